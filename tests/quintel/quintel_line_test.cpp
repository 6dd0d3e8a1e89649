// End to end: the engine as a scheduler client, through the protocol
// selector and the DIN 66019 II driver on a pseudo-terminal, against
// simulated inverters of the sample types.

#include "tests/support/sim_virtual_time.h"
#include "quintel/quintel.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "tools/cfgtool/cfg_source.h"
#include "sample_inverter.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using qelsim::SimDinPtyServer;
using qelsim::SimFault;
using qelsim::SimInverter;
using qelsim::SimModel;

namespace {

constexpr int kAddr = 4;

class QuintelLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM5", din.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com5);
        sel->Ansi()->SetTimeOut(2000);  // generous: other test programs may load the machine
        // Each injected silence is one failed answer for the engine.
        sel->SetRetryCnt(0);
        sel->SetProtocol(kAddr, prANSI);
        ASSERT_TRUE(sel->DriverOf(prANSI)->IsOpen());
        sch = std::make_unique<TScheduler>();
        ASSERT_EQ(sch->Attach(sel.get()), 0);
        slot = sch->Register(
            &owner, [this](TReqRec& r) { q.GetRequest(r); },
            [this](const TRecTel& t, int tag) {
                q.ResponseAvail(t, tag);
                statuses.push_back(q.Status);
            },
            {});
        ASSERT_GE(slot, 0);
        sch->SetState(slot, 3);
    }
    void TearDown() override
    {
        sch->Unregister(slot);
        sch.reset();
        sel.reset();
        qunsetenv("QEL_COM5");
    }

    std::shared_ptr<TCfgRec> loadType(int type)
    {
        QFile f(qeltest::sampleSource(type));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        CfgSource src;
        QStringList errors;
        EXPECT_TRUE(CfgSourceFromJsonText(f.readAll(), src, errors)) << errors.join('\n').toStdString();
        return src.cfg;
    }
    std::shared_ptr<SimInverter> addInverter(int type)
    {
        auto inv = qeltest::sampleInverter(kAddr, type);
        din.addInverter(inv);
        return inv;
    }
    void start(int type)
    {
        cfg = loadType(type);
        ASSERT_TRUE(cfg);
        q.Start(kAddr, cfg, [this](const QString& n, int c) { errors.push_back({n, c}); });
        sch->SetActive(true);
    }
    // Every shown entry has an answer.
    bool tableRead() const
    {
        if (q.State != 3)
            return false;
        for (const auto& e : q.Entries)
            if (e->Id >= 0 && e->Status == tQuintel::NotReadYet)
                return false;
        return true;
    }
    const tCpEntry& byTarget(int target) const
    {
        for (const auto& e : q.Entries)
            if (e->Id >= 0 && e->Para->Addr == target)
                return *e;
        ADD_FAILURE() << "no entry for " << target;
        static tCpEntry none;
        return none;
    }
    int requestsAt(int parAdr) const
    {
        int n = 0;
        for (const auto& r : din.inverter(kAddr)->handledRequests())
            n += r.data.u16(0) == parAdr ? 1 : 0;
        return n;
    }

    qeltest::SimVirtualTime time;
    SimDinPtyServer din;
    std::unique_ptr<TProtSel> sel;
    std::unique_ptr<TScheduler> sch;
    QObject owner;
    int slot = -1;
    tQuintel q;
    std::shared_ptr<TCfgRec> cfg;
    std::vector<int> statuses;
    std::vector<std::pair<QString, int>> errors;
};

TEST_F(QuintelLineTest, PairsTableIsReadPolledAndWritten)
{
    auto inv = addInverter(21);
    start(21);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(); }, 20000));
    ASSERT_EQ(q.Entries.size(), 37u);
    EXPECT_EQ(q.Entries[0]->Value, 5179);  // the password
    EXPECT_EQ(byTarget(0x101).Value, inv->value(0x101, 0));
    const tCpEntry& accel = byTarget(0x103);  // actual set
    EXPECT_EQ(accel.Value, inv->value(0x103));
    EXPECT_EQ(q.Entries[5]->Id, -1);  // CP05: target -1
    EXPECT_EQ(q.Entries[6]->Name, QStringLiteral("CP06"));
    // CP07 (0x107) uses normalisation set 1, read from the inverter.
    const tCpEntry& pulses = byTarget(0x107);
    EXPECT_EQ(pulses.NormSet, 1);
    EXPECT_EQ(pulses.Para->Div, int16_t(inv->value(0x0E48, 1)));
    EXPECT_EQ(pulses.Para->Mul, int16_t(inv->value(0x0E49, 1)));
    EXPECT_EQ(pulses.Para->Format, uint16_t(inv->value(0x0E4B, 1)));
    EXPECT_FALSE(q.AllSet0);

    // CP02 stands for set 1 of 0x101.
    ASSERT_EQ(q.Entries[2]->Def & 0xFF, 2);
    q.SetValue(q.Entries[2]->Id, 432);
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv->value(0x101, 1) == 432 && q.State == 3; }));
    EXPECT_EQ(inv->value(0x101, 0), byTarget(0x101).Value);
    EXPECT_EQ(q.Entries[2]->Status, 0);

    // A value out of the parameter's limits: the inverter's error goes to OnError.
    q.SetValue(q.Entries[2]->Id, 7000);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0], std::make_pair(QStringLiteral("CP02"), 3));
    EXPECT_EQ(inv->value(0x101, 1), 432);
}

TEST_F(QuintelLineTest, SelectorTableValuesAreAliasesOfTheTargets)
{
    auto inv = addInverter(22);
    start(22);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(); }, 20000));
    ASSERT_EQ(q.Entries.size(), 37u);
    EXPECT_EQ(q.Entries[0]->Address, 0x0E40);
    EXPECT_EQ(q.Entries[0]->Value, 5179);
    EXPECT_EQ(q.Entries[1]->Address, 0x0E41);
    EXPECT_EQ(q.Entries[1]->Value, inv->value(0x101, 0));
    EXPECT_EQ(q.Entries[9]->Para->Addr, 0x102);
    EXPECT_EQ(q.NextId, 9);  // CP00, 8 defined of 9, none after
    // CP09 stands for 0x102 in every set (mask 0xFF).
    EXPECT_EQ(requestsAt(0x0E01), 36);

    // Written at the target, seen at QuintelSel + n.
    inv->setValue(0x101, 777, 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return q.Entries[1]->Value == 777; }));

    // Written through the table (CP03: 0x103 in the actual set), seen at
    // the target.
    q.SetValue(q.Entries[3]->Id, 1234);
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv->value(0x103) == 1234 && q.State == 3; }));
    EXPECT_EQ(inv->value(0x0E43), 1234);
    EXPECT_TRUE(errors.empty());
}

TEST_F(QuintelLineTest, OldStyleTableWithSixteenBitValues)
{
    auto inv = addInverter(3);
    start(3);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(); }, 20000));
    ASSERT_EQ(q.Entries.size(), 5u);
    EXPECT_EQ(q.Entries[1]->Def, 1);  // set number 0
    EXPECT_EQ(q.Entries[2]->Para->Addr, 0x109);
    EXPECT_EQ(q.Entries[2]->Value, -25);
    EXPECT_EQ(q.Entries[3]->Id, -1);
    EXPECT_EQ(q.Entries[4]->Value, inv->value(0x301));
    EXPECT_TRUE(q.AllSet0);

    q.SetValue(q.Entries[2]->Id, 40000);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0], std::make_pair(QStringLiteral("CP02"), 3));
    q.SetValue(q.Entries[2]->Id, -30);
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv->value(0x109) == -30; }));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(QuintelLineTest, FailuresWhileReadingTheDefinitions)
{
    struct Case {
        const char* name;
        SimFault fault;
        bool fails;
    };
    SimFault silence;
    silence.silence = true;
    SimFault five = silence, six = silence, refuse;
    five.count = 5;
    six.count = 6;
    refuse.refuse = 2;
    const Case cases[] = {
        {"five silences, then an answer", five, false},
        {"a sixth silence in a row", six, true},
        {"inverter error 2", refuse, true},
    };
    // Each silence costs one time-out; a pty round trip takes a few ms.
    sel->Ansi()->SetTimeOut(300);
    auto inv = addInverter(21);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The engine at rest (its last answer in), so the first definition
        // read is the next request to meet the fault.
        sch->SetActive(false);
        q.Stop();
        statuses.clear();
        inv->faults().clear();
        inv->faults().push(c.fault);
        start(21);
        if (c.fails) {
            ASSERT_TRUE(qeltest::waitUntil([&] { return q.State == 0 && !statuses.empty(); }, 20000));
            EXPECT_EQ(statuses.back(), -3);
            const size_t answers = statuses.size();
            EXPECT_EQ(answers, c.fault.refuse ? 1u : 6u);
            qeltest::runEventLoopFor(200);
            EXPECT_EQ(statuses.size(), answers);  // nothing more is sent
        } else {
            ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(); }, 30000));
            EXPECT_EQ(std::count(statuses.begin(), statuses.end(), -3), 0);
        }
    }
}

} // namespace
