// The Profibus DP driver end to end against the simulated DP master card:
// opening (initialisation requests, parameter sets, operating modes,
// diagnoses, connections), requests through the protocol selector and the
// scheduler (parameter channel, process data, telegrams), time-outs,
// re-configuration and restart, the synchronous exchange and the card's
// faults.

#include "comm/pbs.h"
#include "comm/prot_sel.h"
#include "platform/virtual_clock.h"
#include "sim/cards/sim_pbs_card.h"
#include "sim/sim_zelk_telegram.h"
#include "tests/comm/card_fixture.h"

#include <gtest/gtest.h>

namespace {

using cardtest::Fieldbus;
using cardtest::SchedReq;
using qelsim::SimFault;
using qelsim::SimPbsCard;

QByteArray Hex(const char* h) { return QByteArray::fromHex(h); }

TTelData Plain(uint16_t par, uint16_t value = 0)
{
    TTelData d;
    d.ParAdr = par;
    d.ParSet = value;
    return d;
}

class PbsDriver : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        card = cardtest::CardControl<SimPbsCard>("simpbs", "qelsim_pbs_card");
        ASSERT_NE(card, nullptr) << "simulated Profibus DP card not built";
        card->reset();
        scope = std::make_unique<cardtest::LibraryScope>(
            path("registry.reg"), std::map<QString, QString>{{"PAPI.DLL", cardtest::CardLibrary("simpbs")}});
        time = std::make_unique<cardtest::CardVirtualTime<SimPbsCard>>(card);
    }
    void TearDown() override
    {
        client.reset();
        sel.reset();
        if (card)
            card->reset();
        scope.reset();
        time.reset();
    }

    // The selector with the addresses on Profibus (each one reopens the
    // driver with the longer list).
    tPBS& OpenSel(std::initializer_list<int> addrs)
    {
        sel = std::make_unique<TProtSel>();
        auto* pbs = dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
        for (int a : addrs)
            sel->SetProtocol(a, prPBS);
        EXPECT_TRUE(pbs->IsOpen());
        return *pbs;
    }
    cardtest::SchedulerClient& Client()
    {
        if (!client)
            client = std::make_unique<cardtest::SchedulerClient>(*sel);
        return *client;
    }
    QList<SimPbsCard::Request> Sent(int service) const
    {
        QList<SimPbsCard::Request> out;
        for (const auto& r : card->requests())
            if (r.service == service)
                out << r;
        return out;
    }
    // Waits until every listed slave has its connection open.
    bool Connected(tPBS& pbs, int count)
    {
        return qeltest::waitUntil([&] {
            for (int i = 0; i < count; ++i)
                if (!pbs.Slave(i).ConnOpen)
                    return false;
            return true;
        });
    }

    SimPbsCard* card = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    // The card answers in this thread, on the same clock as the driver.
    std::unique_ptr<cardtest::CardVirtualTime<SimPbsCard>> time;
    std::unique_ptr<TProtSel> sel;
    std::unique_ptr<cardtest::SchedulerClient> client;
};

TEST_F(PbsDriver, OpeningInitialisesTheCardAndTheBus)
{
    card->addInverter(5);
    card->addInverter(3);
    sel = std::make_unique<TProtSel>();
    sel->PBS()->SetBaudRate(TPbsBaudRate::B_500K);
    sel->PBS()->SetMasteraddr(2);
    auto& pbs = *dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
    pbs.SetSlaveList({"5", "3"});
    ASSERT_EQ(pbs.Open(), 0);
    EXPECT_EQ(pbs.Open(), QelResult::AlreadyOpen);
    EXPECT_TRUE(pbs.IsOpen());
    EXPECT_TRUE(pbs.InDataExchange(0) && pbs.InDataExchange(1));
    EXPECT_EQ(pbs.State(), tPBS::stOperate);
    EXPECT_EQ(pbs.Mode(), 0xC0);
    EXPECT_EQ(pbs.Slave(0).Addr, 3);
    EXPECT_EQ(pbs.Slave(1).Addr, 5);

    // Settings are not taken while open.
    pbs.SetSlaveList({"9"});
    pbs.SetMasteraddr(7);
    pbs.SetBaudrate(TPbsBaudRate::B_12M);
    EXPECT_EQ(pbs.GetSlaveList(), (QStringList{"3", "5"}));
    EXPECT_EQ(pbs.GetMasteraddr(), 2);
    EXPECT_EQ(pbs.GetBaudrate(), TPbsBaudRate::B_500K);

    // The initialisation requests in order, with their data.
    const auto log = card->requests();
    ASSERT_GE(log.size(), 7);
    const int expected[][2] = {{5, 27}, {11, 193}, {11, 225}, {11, 225}, {11, 225}, {11, 232}, {11, 232}, {11, 194}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(log[i].layer, expected[i][0]) << i;
        EXPECT_EQ(log[i].service, expected[i][1]) << i;
    }
    EXPECT_EQ(log[0].data.left(40),
              Hex("00FF0000" "0C00" "0001" "00000000000000000000000000000000000000000000" "7D1010" "06" "7701"
                  "4200" "4000"));
    EXPECT_EQ(log[1].data.left(40), Hex("02") + QByteArray(33, 0) + Hex("030000E0FF") + QByteArray(1, 0));
    EXPECT_EQ(log[2].data.left(6), Hex("4200007F0000"));
    EXPECT_EQ(card->busParams(), QByteArray(reinterpret_cast<const char*>(tPBS::BusParamSet(TPbsBaudRate::B_500K, 2).data()), 66));
    EXPECT_EQ(card->busParams().mid(2, 2), Hex("0204"));
    EXPECT_EQ(log[3].data.left(6), Hex("340000030000"));
    const QByteArray slaveSet = Hex("0034E000000000000000000000000000000938013" "20B05EB000005B7A39300040000001200000000000000000000000000000000");
    EXPECT_EQ(card->paramSet(3), slaveSet);
    EXPECT_EQ(card->paramSet(5), slaveSet);
    EXPECT_EQ(log[5].data.left(2), Hex("0603"));
    EXPECT_EQ(log[7].data.left(3), Hex("008040"));
    EXPECT_EQ(pbs.Slave(1).InOfs, 32);
    EXPECT_EQ(pbs.Slave(1).InLen, 16);

    // Stop, Clear, Operate; then a connection to each slave with the send
    // time-out of the bit rate.
    const auto modes = Sent(194);
    ASSERT_EQ(modes.size(), 3);
    EXPECT_EQ(uint8_t(modes[1].data[2]), 0x80);
    EXPECT_EQ(uint8_t(modes[2].data[2]), 0xC0);
    ASSERT_TRUE(Connected(pbs, 2));
    const auto connects = Sent(64);
    ASSERT_EQ(connects.size(), 2);
    EXPECT_EQ(connects[0].ref, 0);
    EXPECT_EQ(connects[0].data.left(16), Hex("03000000C800010000000000000200" "02"));
    EXPECT_EQ(connects[1].ref, 1);

    // Close aborts the connections and releases the card.
    card->clearLog();
    EXPECT_EQ(pbs.Close(), 0);
    EXPECT_FALSE(pbs.IsOpen());
    EXPECT_EQ(Sent(65).size(), 2);
    EXPECT_EQ(Sent(65)[0].data.left(2), Hex("0080"));
    EXPECT_GE(card->calls("profi_end"), 1);
    EXPECT_EQ(pbs.Slave(0).Addr, 255);
    EXPECT_EQ(pbs.Close(), QelResult::NotOpen);
}

TEST_F(PbsDriver, OpenFailsWithoutAUsableLibrary)
{
    sel = std::make_unique<TProtSel>();
    auto& pbs = *dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
    card->failCall("profi_get_versions", 1, 1);
    EXPECT_EQ(pbs.Open(), QelResult::ResourceMissing);
    EXPECT_FALSE(pbs.IsOpen());
    {
        // A library without the entry points.
        cardtest::LibraryScope other(path("other.reg"), {{"PAPI.DLL", cardtest::CardLibrary("simcan")}});
        tPBS fresh;
        EXPECT_EQ(fresh.Open(), QelResult::ResourceMissing);
    }
    {
        cardtest::LibraryScope none(path("none.reg"));
        tPBS fresh;
        EXPECT_EQ(fresh.Open(), QelResult::ResourceMissing);
    }
}

TEST_F(PbsDriver, ParameterChannelReadsAndWrites)
{
    auto inv = card->addInverter(4);
    inv->setValue(0x0123, 0x1234);
    card->setVariable(4, 0x6000, 2, Hex("AB"));
    card->setVariable(4, 0x6001, 0, Hex("12345678"));
    card->setVariable(4, 0x6002, 1, Hex("FFFE"));
    OpenSel({4});
    auto& c = Client();

    TRecTel r = c.RunOne({4, -1, true, Plain(0x0123)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(0), 0x0123);
    EXPECT_EQ(r.Data.GetU16(2), 0x1234);
    EXPECT_EQ(r.IsRead, 1);
    EXPECT_EQ(card->channelRequest(4).left(4), Hex("41002123")) << card->channelRequest(4).toHex().toStdString();

    // A write of 0xFFFF: length code 1, the value sign-extended.
    r = c.RunOne({4, -1, false, Plain(0x0123, 0xFFFF)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.IsRead, 0);
    const QByteArray w = card->channelRequest(4);
    EXPECT_EQ(uint8_t(w[0]) & 0xBF, 0x12);
    EXPECT_EQ(w.mid(1), Hex("002123FFFF0000"));
    EXPECT_EQ(inv->value(0x0123) & 0xFFFF, 0xFFFF);

    // VarAcc: the answer's length and value, big-endian from byte 6.
    const struct {
        uint16_t index;
        uint8_t sub;
        int len;
        const char* value;
    } reads[] = {{0x6000, 2, 1, "AB"}, {0x6001, 0, 4, "12345678"}, {0x6002, 1, 2, "FFFE"}};
    for (const auto& rd : reads) {
        r = c.RunOne({4, 13, true, Fieldbus(0, rd.index, rd.sub)});
        EXPECT_EQ(r.Status, 0) << rd.index;
        EXPECT_EQ(r.Data.GetU16(2), rd.index);
        EXPECT_EQ(r.Data.GetByte(4), rd.sub);
        EXPECT_EQ(r.Data.GetByte(5), rd.len);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(r.Data.Bytes() + 6), rd.len), Hex(rd.value));
    }
    r = c.RunOne({4, 13, false, Fieldbus(0, 0x6001, 0, 4, {0xCA, 0xFE, 0xBA, 0xBE})});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(card->variable(4, 0x6001, 0), Hex("CAFEBABE"));
    EXPECT_EQ(card->channelRequest(4).mid(1), Hex("006001CAFEBABE"));
    r = c.RunOne({4, 13, false, Fieldbus(0, 0x6000, 2, 1, {0x7F})});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(card->variable(4, 0x6000, 2), Hex("7F"));
    // A variable the slave does not have.
    r = c.RunOne({4, 13, true, Fieldbus(0, 0x7000, 0)});
    EXPECT_EQ(r.Status, 13);
}

TEST_F(PbsDriver, RefusedRequestsAndRequestNumbers)
{
    card->addInverter(4);
    auto& pbs = OpenSel({4});
    const struct {
        bool read;
        int service;
        TTelData data;
    } refused[] = {
        {true, 13, Fieldbus(1, 0, 0)},         {true, 13, Fieldbus(4, 0, 0)},
        {true, 18, TTelData{}},                {true, 48, TTelData{}},
        {true, 49, TTelData{}},                {true, 50, TTelData{}},
        // VarAcc writes of a length the channel cannot carry.
        {false, 13, Fieldbus(0, 0x6000, 0, 3)}, {false, 13, Fieldbus(0, 0x6000, 0, 0)},
        {false, 13, Fieldbus(0, 0x6000, 0, 5)},
    };
    int number = 0;
    for (const auto& c : refused) {
        const int r = c.read ? pbs.ReadParaReq(4, c.service, c.data) : pbs.WriteParaReq(4, c.service, c.data);
        EXPECT_EQ(r, QelResult::NotSupported) << c.service;
        EXPECT_EQ(pbs.Busy(), 0);
        ++number;
    }
    EXPECT_EQ(card->channelRequests(4), 0);
    // Each refusal used a number; the next request gets the one after.
    TRecTel answer;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) { answer = t; });
    const int id = pbs.ReadParaReq(4, 16, TTelData{});
    EXPECT_EQ(id, number % 15 + 1);
    // Busy refuses without a number; so does a closed driver.
    EXPECT_EQ(pbs.ReadParaReq(4, 16, TTelData{}), QelResult::DriverBusy);
    TRecTel rsp;
    EXPECT_EQ(pbs.ReadPara(4, -1, Plain(1), rsp), QelResult::DriverBusy);
    EXPECT_EQ(rsp.Status, QelResult::DriverBusy);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answer.ReqId == id; }));
    const int next = pbs.ReadParaReq(4, 16, TTelData{});
    EXPECT_EQ(next, id % 15 + 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answer.ReqId == next; }));
    // Numbers run 1..15 and then 1 again.
    std::vector<int> ids;
    for (int i = 0; i < 16; ++i) {
        const int n = pbs.ReadParaReq(4, 16, TTelData{});
        ids.push_back(n);
        ASSERT_TRUE(qeltest::waitUntil([&] { return answer.ReqId == n && pbs.Busy() == 0; }));
    }
    for (size_t i = 1; i < ids.size(); ++i)
        EXPECT_EQ(ids[i], ids[i - 1] % 15 + 1);
}

TEST_F(PbsDriver, ProcessDataAndTelegrams)
{
    auto inv = card->addInverter(6);
    inv->setValue(0x0200, 4711, 0);
    auto& pbs = OpenSel({6});
    ASSERT_TRUE(Connected(pbs, 1));
    auto& c = Client();

    TTelData pd;
    pd.SetU32(0, 0x11223344);
    pd.SetU32(4, 0x55667788);
    TRecTel r = c.RunOne({6, 16, false, pd});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU32(0), 0x11223344u); // a write leaves the request's data
    r = c.RunOne({6, 16, true, TTelData{}});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU32(0), 0x11223344u);
    EXPECT_EQ(r.Data.GetU32(4), 0x55667788u);
    r = c.RunOne({6, 17, true, TTelData{}});
    EXPECT_EQ(r.Data.GetU16(0), 0x1122);
    EXPECT_EQ(r.Data.GetU16(6), 0x7788);
    TTelData pd16;
    for (int i = 0; i < 4; ++i)
        pd16.SetU16(2 * i, uint16_t(0xA000 + i));
    r = c.RunOne({6, 49, false, pd16});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(0), 0xA000); // read back in the same exchange
    EXPECT_EQ(r.Data.GetU16(6), 0xA003);

    // Services 0 to 12 travel as telegrams over the acyclic connection.
    TTelData q;
    q.ParAdr = 0x0200;
    q.ParSet = 1;
    r = c.RunOne({6, 0, true, q});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 4711);
    q.Value = -5;
    r = c.RunOne({6, 0, false, q});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(inv->value(0x0200, 0), -5);
    ASSERT_FALSE(Sent(68).isEmpty());
    EXPECT_EQ(Sent(68)[0].ref, 0);
    EXPECT_EQ(uint8_t(Sent(68)[0].data[0]), 6);

    // Inverter refusals and negative confirmations.
    const struct {
        std::function<void()> fault;
        int status;
    } faults[] = {
        {[&] { inv->faults().push(SimFault{.refuse = 3}); }, 3},
        {[&] { card->pushNegativeTelegram(6, 0xC2); }, 6},
        {[&] { card->pushNegativeTelegram(6, 0xA9); }, 7},
        {[&] { card->pushNegativeTelegram(6, 0x11); }, 15},
        {[&] { inv->faults().push(SimFault{.badCheck = true}); }, QelResult::Checksum},
        {[&] { card->failCall("profi_snd_req_res", 23, 5); }, 0},
    };
    for (const auto& f : faults) {
        f.fault();
        r = c.RunOne({6, 0, true, q});
        EXPECT_EQ(r.Status, f.status);
    }
}

TEST_F(PbsDriver, TelegramAnswersThatDoNotFitAreMalformed)
{
    auto inv = card->addInverter(6);
    auto& pbs = OpenSel({6});
    ASSERT_TRUE(Connected(pbs, 1));
    pbs.SetTimeOut(5500);
    TRecTel answer;
    bool got = false;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) { answer = t, got = true; });
    for (const char* what : {"another service", "too short"}) {
        inv->faults().push(SimFault{.silence = true});
        got = false;
        TTelData q;
        q.ParAdr = 0x0200;
        const int id = pbs.ReadParaReq(6, 0, q);
        ASSERT_GT(id, 0);
        // A well-formed answer of service 1 with this request's number, or
        // two bytes.
        QByteArray tel = qelsim::zelk::buildAnswer(1, false, id, true, 0, qelsim::SimData{});
        if (QByteArray(what) == "too short")
            tel = tel.left(2);
        tel[tel.size() - 1] = char(qelsim::zelk::checkByte(tel, int(tel.size()) - 1));
        QByteArray d(6, 0);
        d[2] = 6;
        d[5] = char(tel.size());
        d.append(tel);
        card->inject(68, 1, 0, 0, d);
        ASSERT_TRUE(qeltest::waitUntil([&] { return got; })) << what;
        EXPECT_EQ(answer.Status, QelResult::Malformed) << what;
        EXPECT_EQ(answer.ReqId, id);
    }
}

TEST_F(PbsDriver, ErrorAnswersOfTheParameterChannel)
{
    auto inv = card->addInverter(2);
    OpenSel({2});
    auto& c = Client();
    const struct {
        int cls, code, add, status;
    } cases[] = {
        {6, 5, 1, 0}, // counts as success
        {6, 5, 0, 3},
        {8, 0, 34, 6},
        {5, 0, 0, 14},
        {6, 3, 48, 8},
        {8, 0, 77, 7}, // unknown: still a refusal
    };
    for (const auto& k : cases) {
        card->pushParamError(2, k.cls, k.code, k.add);
        const TRecTel r = c.RunOne({2, -1, true, Plain(0x10)});
        EXPECT_EQ(r.Status, k.status) << k.cls << "/" << k.code << "/" << k.add;
    }
    inv->faults().push(SimFault{.refuse = 4});
    EXPECT_EQ(c.RunOne({2, -1, false, Plain(0x10, 1)}).Status, 4);
    inv->faults().push(SimFault{.silence = true});
    EXPECT_EQ(c.RunOne({2, -1, true, Plain(0x10)}).Status, QelResult::NoAnswer);
    // The channel answers again afterwards.
    EXPECT_EQ(c.RunOne({2, -1, true, Plain(0x10)}).Status, 0);
}

TEST_F(PbsDriver, TimeOutsCountTicksFromSending)
{
    auto inv = card->addInverter(2);
    auto& pbs = OpenSel({2});
    TRecTel answer;
    int answers = 0;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) {
        answer = t;
        ++answers;
    });
    for (const auto& [timeout, ticks] : {std::pair{55, 2}, std::pair{550, 11}}) {
        pbs.SetTimeOut(timeout);
        inv->faults().push(SimFault{.silence = true});
        const int before = answers;
        ASSERT_GT(pbs.ReadParaReq(2, -1, Plain(0x20)), 0);
        const int sent = pbs.TickCount();
        ASSERT_TRUE(qeltest::waitUntil([&] { return answers > before; }, 5000));
        EXPECT_EQ(answer.Status, QelResult::NoAnswer);
        EXPECT_EQ(pbs.LastAnswerTick() - sent, ticks) << timeout;
    }
    // An address outside the list ends by the time-out too.
    pbs.SetTimeOut(55);
    const int before = answers;
    ASSERT_GT(pbs.ReadParaReq(9, 16, TTelData{}), 0);
    const int sent = pbs.TickCount();
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers > before; }));
    EXPECT_EQ(answer.Status, QelResult::NoAnswer);
    EXPECT_EQ(pbs.LastAnswerTick() - sent, 2);
    // Process data complete at once and are delivered at the next tick.
    ASSERT_GT(pbs.ReadParaReq(2, 16, TTelData{}), 0);
    const int pdSent = pbs.TickCount();
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers > before + 1; }));
    EXPECT_EQ(answer.Status, 0);
    EXPECT_EQ(pbs.LastAnswerTick() - pdSent, 1);
}

TEST_F(PbsDriver, InputsWithoutTheRequestsToggleAreWaitedOut)
{
    auto inv = card->addInverter(2);
    inv->setValue(0x0102, 0x1234);
    auto& pbs = OpenSel({2});
    pbs.SetTimeOut(20 * 55);
    TRecTel answer;
    int answers = 0;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) {
        answer = t;
        ++answers;
    });
    inv->faults().push(SimFault{.delayMs = 300});
    ASSERT_GT(pbs.ReadParaReq(2, -1, Plain(0x0102)), 0);
    const QByteArray sent = card->channelRequest(2);
    ASSERT_FALSE(sent.isEmpty());
    const char toggle = char(sent[0] & 0x40);
    // Before the answer: garbage that still carries the old toggle, and a
    // read with the request's toggle that is longer than the input image.
    QByteArray stale(16, char(0x55));
    stale[0] = char((toggle ^ 0x40) | 0x10);
    QByteArray tooLong(20, 0);
    tooLong[0] = toggle;
    card->pushInput(2, stale);
    card->pushInput(2, tooLong);
    card->pushInput(2, stale);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers > 0; }, 5000));
    EXPECT_EQ(answer.Status, 0);
    EXPECT_EQ(answer.Data.GetU16(2), 0x1234);
}

TEST_F(PbsDriver, SynchronousExchange)
{
    auto inv = card->addInverter(3);
    inv->setValue(0x0040, 321);
    auto& pbs = OpenSel({3});
    TRecTel rsp;
    EXPECT_EQ(sel->ReadPara(3, -1, Plain(0x40), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.GetU16(2), 321);
    EXPECT_EQ(pbs.Busy(), 0);

    // Failed tries are repeated up to RetryCnt times.
    pbs.SetRetryCnt(3);
    inv->faults().push(SimFault{.silence = true, .count = 2});
    EXPECT_EQ(sel->ReadPara(3, -1, Plain(0x40), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    inv->faults().push(SimFault{.silence = true, .count = 3});
    EXPECT_EQ(sel->WritePara(3, -1, Plain(0x40, 5), rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);

    // From inside an answer handler.
    int inner = 99;
    TRecTel innerRsp;
    sel->OnRspAvail = [&](QObject*, TRecTel) { inner = sel->ReadPara(3, -1, Plain(0x40), innerRsp); };
    ASSERT_GT(sel->ReadParaReq(3, 16, TTelData{}), 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return inner != 99; }));
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(innerRsp.Status, 0);
    EXPECT_EQ(innerRsp.Data.GetU16(2), 321);
}

TEST_F(PbsDriver, RepeatsOnBusyButNotForEver)
{
    qel::TVirtualClock* clock = &time->Clock();
    auto inv = card->addInverter(3);
    OpenSel({3});
    // Error 6 asks for the request again: repeated with a fresh count of
    // tries, then the repeats end after the shared limit.
    inv->faults().push(SimFault{.refuse = 6, .count = 0});
    TRecTel rsp;
    const auto start = clock->Elapsed().count();
    EXPECT_EQ(sel->ReadPara(3, -1, Plain(0x40), rsp), 0);
    // The last repeat began before the limit and ends within a few ticks.
    const auto took = clock->Elapsed().count() - start;
    EXPECT_GE(took, tCustomQelProt::RepeatOnBusyLimitMs);
    EXPECT_LT(took, tCustomQelProt::RepeatOnBusyLimitMs + 20 * tPBS::TickMs);
    EXPECT_EQ(rsp.Status, 6);
    EXPECT_GT(card->channelRequests(3), 5);
    inv->faults().clear();
    EXPECT_EQ(sel->ReadPara(3, -1, Plain(0x40), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
}

TEST_F(PbsDriver, ProcessDataOfASlaveOutOfDataExchange)
{
    auto inv = card->addInverter(3);
    auto& pbs = OpenSel({3});
    auto& c = Client();
    TTelData pd;
    pd.SetU16(0, 0x1234);
    ASSERT_EQ(c.RunOne({3, 17, false, pd}).Status, 0);
    ASSERT_EQ(c.RunOne({3, 17, true, TTelData{}}).Data.GetU16(0), 0x1234);
    // Not in data exchange: neither read nor written; the last image.
    card->setNeverReady(3, true);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !pbs.InDataExchange(0); }));
    pd.SetU16(0, 0x9999);
    EXPECT_EQ(c.RunOne({3, 17, false, pd}).Status, 0);
    inv->setProcessLoopback(false);
    const TRecTel r = c.RunOne({3, 17, true, TTelData{}});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(0), 0x1234);
    EXPECT_EQ(inv->processOut()[1], 0x12); // 0x9999 never reached the slave
    EXPECT_EQ(c.RunOne({3, -1, true, Plain(1)}).Status, QelResult::NoAnswer);
}

TEST_F(PbsDriver, ConfigurationFaultReconfiguresAndRestarts)
{
    card->addInverter(4);
    card->addInverter(8);
    // Slave 8 carries another process data layout than the template.
    card->setSlaveConfig(8, Hex("B7A595"));
    auto& pbs = OpenSel({4, 8});
    EXPECT_TRUE(pbs.InDataExchange(0));
    EXPECT_TRUE(pbs.InDataExchange(1));
    // Both slaves' configurations were read, then the bus restarted with
    // the template taken from slave 8.
    const auto reads = Sent(2);
    ASSERT_EQ(reads.size(), 2);
    EXPECT_EQ(uint8_t(reads[0].data[0]), 4);
    EXPECT_EQ(uint8_t(reads[1].data[0]), 8);
    // (one open for 4, one for 4 and 8, the restart)
    EXPECT_EQ(Sent(27).size(), 3);
    EXPECT_EQ(pbs.TemplateCfg(), (std::vector<uint8_t>{0x00, 0x05, 0xB7, 0xA5, 0x95}));
    EXPECT_EQ(card->paramSet(8).mid(25, 5), Hex("0005B7A595"));
    EXPECT_EQ(card->paramSet(4).mid(25, 5), Hex("0005B7A393"));
    // The re-configuration began after the fault showed in four ticks.
    const auto log = card->requests();
    int operate = -1, read = -1;
    for (int i = 0; i < log.size(); ++i) {
        if (log[i].service == 194 && uint8_t(log[i].data[2]) == 0xC0 && operate < 0)
            operate = i;
        if (log[i].service == 2 && read < 0)
            read = i;
    }
    EXPECT_LT(operate, read);
    EXPECT_TRUE(pbs.IsOpen());
}

TEST_F(PbsDriver, ParameterFaultTakesTheSlavesIdent)
{
    card->addInverter(4);
    card->setSlaveIdent(4, 0x1234);
    auto& pbs = OpenSel({4});
    EXPECT_TRUE(pbs.InDataExchange(0));
    EXPECT_EQ(card->paramSet(4).mid(22, 2), Hex("1234"));
    EXPECT_EQ(Sent(27).size(), 2);
    // Only ident 0x05EB gets a connection: none in the next ten ticks.
    const int t = pbs.TickCount();
    ASSERT_TRUE(qeltest::waitUntil([&] { return pbs.TickCount() >= t + 10; }));
    EXPECT_TRUE(Sent(64).isEmpty());
}

TEST_F(PbsDriver, UnusableConfigurationAnswerLeavesTheTemplate)
{
    card->addInverter(4);
    auto& pbs = OpenSel({4});
    card->clearLog();
    card->setSlaveConfig(4, Hex("B7A39300")); // length 6
    card->setStatusBits(4, 0);                  // a new diagnosis: configuration fault
    ASSERT_TRUE(qeltest::waitUntil([&] { return Sent(27).size() >= 1; }));
    EXPECT_EQ(Sent(2).size(), 1);
    EXPECT_EQ(pbs.TemplateCfg(), (std::vector<uint8_t>{0x00, 0x05, 0xB7, 0xA3, 0x93}));
    EXPECT_EQ(pbs.TemplateIdent(), 0x05EB);
}

TEST_F(PbsDriver, ConfigurationAnswerMarkedInvalidStillAdvances)
{
    card->addInverter(4);
    auto& pbs = OpenSel({4});
    card->clearLog();
    card->dropConfirmation(2, 1);
    card->setSlaveConfig(4, Hex("B7A595"));
    card->setStatusBits(4, 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return Sent(2).size() == 1; }));
    QByteArray d(10, 0);
    d[0] = 1; // not valid
    d[5] = 5;
    d[6] = char(0xB7);
    d[7] = char(0xA5);
    d[8] = char(0x95);
    card->inject(2, 1, 0, 0, d);
    // The read is over: the restart follows (its template untouched).
    ASSERT_TRUE(qeltest::waitUntil([&] { return Sent(27).size() == 1; }));
    EXPECT_EQ(Sent(2).size(), 1);
    EXPECT_EQ(card->paramSet(4).mid(25, 5), Hex("0005B7A393"));
    // The fault stays, so the next read takes the slave's configuration.
    ASSERT_TRUE(qeltest::waitUntil([&] { return pbs.InDataExchange(0) && Sent(27).size() == 2; }, 10000));
    EXPECT_EQ(pbs.TemplateCfg(), (std::vector<uint8_t>{0x00, 0x05, 0xB7, 0xA5, 0x95}));
}

TEST_F(PbsDriver, RestartWaitsForTheOutstandingRequest)
{
    auto inv = card->addInverter(4);
    auto& pbs = OpenSel({4});
    pbs.SetTimeOut(550);
    TRecTel answer;
    bool got = false;
    int restartsAtAnswer = -1;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) {
        answer = t;
        got = true;
        restartsAtAnswer = int(Sent(27).size());
    });
    card->clearLog();
    inv->faults().push(SimFault{.silence = true});
    ASSERT_GT(pbs.ReadParaReq(4, -1, Plain(1)), 0);
    card->setSlaveConfig(4, Hex("B7A595"));
    card->setStatusBits(4, 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return got; }));
    EXPECT_EQ(answer.Status, QelResult::NoAnswer);
    EXPECT_EQ(restartsAtAnswer, 0); // the restart had not begun
    ASSERT_TRUE(qeltest::waitUntil([&] { return Sent(27).size() == 1 && pbs.IsOpen() && pbs.InDataExchange(0); }));
    EXPECT_EQ(pbs.State(), tPBS::stOperate);
}

TEST_F(PbsDriver, CardFaultsResetTheMaster)
{
    card->addInverter(4);
    sel = std::make_unique<TProtSel>();
    auto& pbs = *dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
    pbs.SetSlaveList({"4"});
    const struct {
        int result;
        bool reset;
    } defaults[] = {{31, true}, {10, true}, {11, true}, {28, true}, {5, false}};
    for (const auto& d : defaults) {
        card->clearLog();
        card->failCall("profi_set_default", d.result, 1);
        card->setLastError(77);
        ASSERT_EQ(pbs.Open(), 0);
        EXPECT_TRUE(pbs.InDataExchange(0)) << d.result;
        EXPECT_EQ(card->calls("profi_set_default"), 2) << d.result;
        EXPECT_EQ(card->calls("profi_end"), d.reset ? 1 : 0) << d.result;
        EXPECT_EQ(card->calls("profi_get_last_error"), d.result == 31 ? 1 : 0);
        EXPECT_EQ(pbs.Close(), 0);
    }

    // Receive result 7 while running: the fault area is read, the master
    // reset, the request on the bus ended, and the bus initialised again.
    ASSERT_EQ(pbs.Open(), 0);
    card->inverter(4)->faults().push(SimFault{.silence = true});
    pbs.SetTimeOut(5500);
    TRecTel answer;
    bool got = false;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) { answer = t, got = true; });
    card->clearLog();
    ASSERT_GT(pbs.ReadParaReq(4, -1, Plain(1)), 0);
    card->failCall("profi_rcv_con_ind", 7, 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return got; }));
    EXPECT_EQ(answer.Status, QelResult::NoAnswer);
    EXPECT_GE(card->calls("profi_end"), 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return pbs.InDataExchange(0); }));
    EXPECT_TRUE(pbs.IsOpen());
    EXPECT_EQ(Sent(27).size(), 1);
}

TEST_F(PbsDriver, ResetEndsAWaitingSynchronousExchange)
{
    auto inv = card->addInverter(4);
    auto& pbs = OpenSel({4});
    pbs.SetTimeOut(5500);
    pbs.SetRetryCnt(1);
    inv->faults().push(SimFault{.silence = true});
    QObject context;
    qel::TTimer::singleShot(200, &context, [&] { card->failCall("profi_rcv_con_ind", 7, 1); });
    TRecTel rsp;
    EXPECT_EQ(pbs.ReadPara(4, -1, Plain(1), rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    EXPECT_EQ(pbs.Busy(), 0);
}

TEST_F(PbsDriver, UnconfirmedInitialisationStartsAgain)
{
    card->addInverter(4);
    card->dropConfirmation(193, 1);
    auto& pbs = OpenSel({4});
    EXPECT_TRUE(pbs.InDataExchange(0));
    EXPECT_EQ(Sent(193).size(), 2);
    EXPECT_GE(card->calls("profi_end"), 1);
}

TEST_F(PbsDriver, OversizedIoDescriptionIsNeitherReadNorWritten)
{
    card->addInverter(4);
    card->setIoLength(4, 20, 20);
    OpenSel({4});
    auto& c = Client();
    EXPECT_EQ(c.RunOne({4, -1, true, Plain(1)}).Status, QelResult::NoAnswer);
    EXPECT_EQ(card->calls("profi_set_data"), 0);
    EXPECT_EQ(card->calls("profi_get_data"), 0);
}

TEST_F(PbsDriver, ConnectionServicesNamingNoListedSlaveAreIgnored)
{
    card->addInverter(4);
    auto& pbs = OpenSel({4});
    ASSERT_TRUE(Connected(pbs, 1));
    card->inject(64, 1, 77, 0, {});
    card->inject(65, 2, 200, 0, {});
    card->inject(64, 1, 1, 0, {});
    card->inject(68, 1, 300, 0, {});
    // One indication is read per tick: eight ticks read all four.
    const int t = pbs.TickCount();
    ASSERT_TRUE(qeltest::waitUntil([&] { return pbs.TickCount() >= t + 8; }));
    EXPECT_TRUE(pbs.Slave(0).ConnOpen);
    EXPECT_FALSE(pbs.Slave(1).ConnOpen);
    // The connection of the listed slave closes on its own indication.
    card->inject(65, 2, 0, 0, {});
    ASSERT_TRUE(qeltest::waitUntil([&] { return !pbs.Slave(0).ConnOpen; }));
    // ... and is opened again.
    ASSERT_TRUE(Connected(pbs, 1));
}

TEST_F(PbsDriver, RefusedDiagnosisRequestIsSentAgain)
{
    card->addInverter(4);
    auto& pbs = OpenSel({4});
    ASSERT_TRUE(Connected(pbs, 1));
    card->clearLog();
    // An indication announcing one more diagnosis while the card answers
    // busy for longer than the driver tries.
    QByteArray d(14, 0);
    d[2] = 4;
    d[4] = 1;
    d[11] = 0;
    d[12] = char(0x05);
    d[13] = char(0xEB);
    card->failCall("profi_snd_req_res", 23, tPBS::BusyCalls);
    card->inject(229, 2, 0, 0, d);
    ASSERT_TRUE(qeltest::waitUntil([&] {
        const auto sent = Sent(229);
        return !sent.isEmpty() && sent.last().result == 0;
    }));
    const auto sent = Sent(229);
    EXPECT_EQ(sent.size(), tPBS::BusyCalls + 1);
    EXPECT_EQ(sent.first().result, 23);
    EXPECT_TRUE(pbs.InDataExchange(0));
}

TEST_F(PbsDriver, CloseWaitsForTheRequestOnTheBus)
{
    auto inv = card->addInverter(4);
    auto& pbs = OpenSel({4});
    pbs.SetTimeOut(275);
    inv->faults().push(SimFault{.silence = true});
    TRecTel answer;
    bool got = false;
    pbs.SetOnRspAvail([&](QObject*, TRecTel t) { answer = t, got = true; });
    ASSERT_GT(pbs.ReadParaReq(4, -1, Plain(1)), 0);
    int second = 0;
    QTimer::singleShot(0, [&] { second = pbs.Close(); });
    EXPECT_EQ(pbs.Close(), 0);
    EXPECT_EQ(second, QelResult::ResourceMissing);
    EXPECT_FALSE(pbs.IsOpen());
    ASSERT_TRUE(qeltest::waitUntil([&] { return got; }));
    EXPECT_EQ(answer.Status, QelResult::NoAnswer);
    EXPECT_EQ(pbs.ReadParaReq(4, -1, Plain(1)), QelResult::DriverClosed);
}

TEST_F(PbsDriver, SelectorKeepsTheDriverOpenForAnUnchangedList)
{
    card->addInverter(4);
    auto& pbs = OpenSel({4});
    card->clearLog();
    // 130 is no Profibus address: the normalised list is the same.
    sel->SetProtocol(130, prPBS);
    sel->UpdateDrivers();
    EXPECT_TRUE(Sent(27).isEmpty());
    EXPECT_TRUE(pbs.IsOpen());
    EXPECT_EQ(pbs.GetSlaveList(), QStringList{"4"});
    // A new address reopens it with the new list.
    card->addInverter(6);
    sel->SetProtocol(6, prPBS);
    EXPECT_EQ(Sent(27).size(), 1);
    EXPECT_EQ(pbs.GetSlaveList(), (QStringList{"4", "6"}));
}

TEST_F(PbsDriver, ASlaveThatNeverExchangesDataEndsTheOpenWait)
{
    card->addInverter(4);
    card->addInverter(5);
    card->setNeverReady(5, true);
    qel::TVirtualClock* clock = &time->Clock();
    sel = std::make_unique<TProtSel>();
    auto& pbs = *dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
    pbs.SetSlaveList({"4", "5"});
    const int before = pbs.TickCount();
    const auto start = clock->Elapsed().count();
    ASSERT_EQ(pbs.Open(), 0);
    EXPECT_TRUE(pbs.IsOpen());
    EXPECT_TRUE(pbs.InDataExchange(0));
    EXPECT_FALSE(pbs.InDataExchange(1));
    // The wait ends after its ticks, before the 20 s limit.
    EXPECT_EQ(pbs.TickCount() - before, tPBS::OpenWaitTicks);
    const auto took = clock->Elapsed().count() - start;
    EXPECT_GE(took, tPBS::OpenWaitTicks * tPBS::TickMs);
    EXPECT_LT(took, tPBS::OpenWaitMs);
}

} // namespace
