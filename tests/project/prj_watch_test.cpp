// The configuration watch: its turns over the entries and cycles, the
// states it sets from the answers, and the wrong-number question, first
// driven directly with a clock of the test's own, then end to end through
// the scheduler and the protocol selector against the simulator.

#include "tests/support/sim_virtual_time.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "project/prj_discovery.h"
#include "project/prj_watch.h"
#include "sim/sim_din_pty_server.h"

#include "prj_fixture.h"
#include "wait_until.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

using qelsim::SimDinPtyServer;
using qelsim::SimInverter;

// Readable failure output.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Runs a hook while the question is on screen.
class Interaction : public prjtest::ScriptedInteraction {
public:
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) override
    {
        if (whileOpen)
            whileOpen();
        return ScriptedInteraction::Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
    }
    std::function<void()> whileOpen;
};

TRecTel Answer(int adr, int status, int number, int service = QelService::Plain)
{
    TRecTel t;
    t.InvAdr = adr;
    t.Status = status;
    t.Service = service;
    t.IsRead = 1;
    if (service == QelService::ParaSet)
        t.Data.SetI32(4, number);
    else
        t.Data.SetU16(2, uint16_t(number));
    return t;
}

class WatchTest : public prjtest::PrjTest {
protected:
    void SetUp() override
    {
        prjtest::PrjTest::SetUp();
        prj.SetInteraction(ui2);
        sch = std::make_unique<TScheduler>();
        prj.SetScheduler(sch.get());
        watch = prj.Watch();
        ASSERT_NE(watch, nullptr);
        watch->Now = [this] { return now; };
    }
    void TearDown() override
    {
        prj.SetScheduler(nullptr);
        sch.reset();
    }

    // The address of the next request, -1 for none.
    int nextRequest()
    {
        TReqRec req;
        req.Data.SetU32(40, 0xDEADBEEF);  // left over from another client
        watch->WatchRequest(req);
        if (!req.Valid)
            return -1;
        EXPECT_EQ(req.IsRead, 1);
        EXPECT_EQ(req.Service, QelService::Plain);
        EXPECT_EQ(req.Data.ParAdr, PrjDiscovery::kCfgIdPar);
        EXPECT_EQ(req.Data.ParSet, 0);
        EXPECT_EQ(req.Data.GetU32(40), 0u);
        return req.InvAdr;
    }

    std::shared_ptr<Interaction> ui2 = std::make_shared<Interaction>();
    std::unique_ptr<TScheduler> sch;
    TPrjWatch* watch = nullptr;
    // Taken before the watch's cycle start, so it runs just behind it.
    TPrjWatch::TClock::time_point now = TPrjWatch::TClock::now();
};

}  // namespace

TEST_F(WatchTest, RegistersAsPolledClient)
{
    EXPECT_EQ(prj.scheduler(), sch.get());
    EXPECT_EQ(sch->GetState(watch->Slot()), 3);
    EXPECT_EQ(watch->Index(), -1);
    // Assigning another scheduler moves the client.
    TScheduler other;
    prj.SetScheduler(&other);
    EXPECT_EQ(sch->GetItem(0), nullptr);
    EXPECT_EQ(other.GetState(prj.Watch()->Slot()), 3);
}

TEST_F(WatchTest, EachCycleAsksEveryEntryOnceAndRestartsAfterTheInterval)
{
    makeCfgFile(5);
    for (int a : {3, 7, 239})
        ASSERT_EQ(prj.AddInv(a, 5, QStringLiteral("I"), prOffline, false), 0);
    prj.SetWatchInterval(10);

    EXPECT_EQ(nextRequest(), 3);
    EXPECT_EQ(nextRequest(), 7);
    EXPECT_EQ(nextRequest(), 239);
    EXPECT_EQ(nextRequest(), -1);
    EXPECT_EQ(nextRequest(), -1);

    // The cycle started at registration; a new one no earlier than the
    // interval after that. The turn that starts it makes no request.
    now += std::chrono::seconds(10);
    EXPECT_EQ(nextRequest(), -1);
    now += std::chrono::seconds(1);
    EXPECT_EQ(nextRequest(), -1);
    EXPECT_EQ(watch->Index(), -1);
    EXPECT_EQ(nextRequest(), 3);

    // A new entry joins the running cycle; a removed one is skipped.
    ASSERT_EQ(prj.AddInv(5, 5, QStringLiteral("I"), prOffline, false), 0);
    prj.RemoveInv(7);
    EXPECT_EQ(nextRequest(), 5);
    EXPECT_EQ(nextRequest(), 239);
    EXPECT_EQ(nextRequest(), -1);
}

TEST_F(WatchTest, NoRequestWithIntervalZeroPausedOrWithoutEntries)
{
    EXPECT_EQ(nextRequest(), -1);  // no entries: the cycle is complete at once
    makeCfgFile(5);
    ASSERT_EQ(prj.AddInv(3, 5, QStringLiteral("I"), prOffline, false), 0);
    now += std::chrono::seconds(6);
    EXPECT_EQ(nextRequest(), -1);  // restarts the cycle
    EXPECT_EQ(watch->Index(), -1);

    prj.SetWatchInterval(0);
    EXPECT_EQ(nextRequest(), -1);
    now += std::chrono::hours(24);
    EXPECT_EQ(nextRequest(), -1);
    EXPECT_EQ(watch->Index(), -1);

    prj.SetWatchInterval(5);
    sch->SetState(watch->Slot(), 1);
    EXPECT_EQ(nextRequest(), -1);
    sch->SetState(watch->Slot(), 3);
    EXPECT_EQ(nextRequest(), 3);
}

TEST_F(WatchTest, AnswersSetTheStates)
{
    makeCfgFile(5);
    ASSERT_EQ(prj.AddInv(3, 5, QStringLiteral("I"), prOffline, false), 0);
    struct Step {
        TRecTel answer;
        int state;
    };
    const Step steps[] = {
        {Answer(3, 0, 5), -2},
        {Answer(3, QelResult::NoAnswer, 5), -1},
        {Answer(3, QelResult::Offline, 5), -1},
        {Answer(3, 0, 5, QelService::ParaSet), -2},
        {Answer(3, 0, 5, QelService::Inv4), -1},  // no number in that service's answer
        {Answer(3, 0, -1), -1},
    };
    for (const Step& s : steps)
        watch->WatchResponse(s.answer, 0);
    EXPECT_EQ(stateChanges, (std::vector<std::pair<int, int>>{{3, -2}, {3, -1}, {3, -2}, {3, -1}}));
    EXPECT_EQ(prj.GetInv(3)->State, -1);

    // An answer for an entry removed meanwhile changes nothing.
    stateChanges.clear();
    watch->WatchResponse(Answer(9, 0, 77), 0);
    EXPECT_TRUE(stateChanges.empty());
    EXPECT_TRUE(ui2->messages.empty());
}

TEST_F(WatchTest, WrongNumberQuestion)
{
    makeCfgFile(5);
    makeCfgFile(9);
    ASSERT_EQ(prj.AddInv(3, 5, QStringLiteral("I"), prOffline, false), 0);
    int requestWhileOpen = -2;
    ui2->whileOpen = [&] {
        EXPECT_TRUE(watch->QuestionOpen());
        requestWhileOpen = nextRequest();
    };

    // Keep the old number: state -3, and no new question while it stays.
    ui2->messageAnswers = {1};
    watch->WatchResponse(Answer(3, 0, 9), 0);
    ASSERT_EQ(ui2->messages.size(), 1u);
    const auto& q = ui2->messages[0];
    EXPECT_EQ(q.Msg, prj.MsgWrongId);
    EXPECT_EQ(q.Buttons, prj.NewOldIdButtons);
    EXPECT_EQ(q.Title, QString());
    EXPECT_EQ(q.Icon, pmiInformation);
    EXPECT_EQ(std::tuple(q.P1, q.P2, q.P3), std::tuple(QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("9")));
    EXPECT_EQ(std::tuple(q.Default, q.Cancel), std::tuple(0, 1));
    EXPECT_EQ(requestWhileOpen, -1);
    EXPECT_FALSE(watch->QuestionOpen());
    EXPECT_EQ(prj.GetInv(3)->State, -3);
    EXPECT_EQ(prj.GetInv(3)->CfgId, 5);
    watch->WatchResponse(Answer(3, 0, 9), 0);
    watch->WatchResponse(Answer(3, 0, 11), 0);
    EXPECT_EQ(ui2->messages.size(), 1u);

    // The number in use again, then the other one: asked again; switch.
    watch->WatchResponse(Answer(3, 0, 5), 0);
    EXPECT_EQ(prj.GetInv(3)->State, -2);
    ui2->messageAnswers = {0};
    changes.clear();
    watch->WatchResponse(Answer(3, 0, 9), 0);
    ASSERT_EQ(ui2->messages.size(), 2u);
    const TPrjInvRec* inv = prj.GetInv(3);
    EXPECT_EQ(inv->CfgId, 9);
    EXPECT_EQ(inv->Cfg->CfgId, 9);
    EXPECT_EQ(inv->State, -2);
    EXPECT_EQ(prj.FindCfg(5), nullptr);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcInvRemoved});
    EXPECT_EQ(stateChanges.back(), (std::pair{3, -2}));

    // Switching to a number that yields no configuration keeps the old one.
    ui2->messageAnswers = {0};
    watch->WatchResponse(Answer(3, 0, 77), 0);
    EXPECT_EQ(prj.GetInv(3)->CfgId, 9);
    EXPECT_EQ(prj.GetInv(3)->State, -3);
    EXPECT_EQ(stateChanges.back(), (std::pair{3, -3}));
}

TEST_F(WatchTest, EntryRemovedWhileTheQuestionIsOpen)
{
    makeCfgFile(5);
    makeCfgFile(9);
    ASSERT_EQ(prj.AddInv(3, 5, QStringLiteral("I"), prOffline, false), 0);
    ui2->whileOpen = [&] { prj.RemoveInv(3); };
    ui2->messageAnswers = {0};
    watch->WatchResponse(Answer(3, 0, 9), 0);
    EXPECT_EQ(prj.GetInv(3), nullptr);
    EXPECT_TRUE(stateChanges.empty());
    EXPECT_FALSE(watch->QuestionOpen());
}

TEST_F(WatchTest, AnswerForAnEntryStillBeingAddedIsIgnored)
{
    // AddInv's reads run the message loop, so a watch answer can arrive
    // before the entry has its number and configuration.
    makeCfgFile(5);
    makeCfgFile(9);
    ui2->messageAnswers = {0};
    prj.OnInvProtChanged = [&](QObject*, int a, TProt p) {
        if (p != prOffline)
            watch->WatchResponse(Answer(a, 0, 9), 0);
    };
    ASSERT_EQ(prj.AddInv(3, 5, QStringLiteral("I"), prANSI, false), 0);
    EXPECT_TRUE(ui2->messages.empty());
    const TPrjInvRec* inv = prj.GetInv(3);
    EXPECT_EQ(inv->CfgId, 5);
    EXPECT_EQ(inv->State, -1);
    EXPECT_TRUE(stateChanges.empty());
    EXPECT_EQ(prj.FindCfg(9), nullptr);
}

// End to end: the scheduler polls the watch; the simulator answers.
class WatchLineTest : public WatchTest {
protected:
    void SetUp() override
    {
        WatchTest::SetUp();
        QString error;
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM3", din.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com3);
        sel->Ansi()->SetTimeOut(400);
        sel->SetRetryCnt(0);
        prj.ProtSel = sel.get();
        prj.OnInvProtChanged = [this](QObject*, int a, TProt p) { sel->SetProtocol(a, p); };
        ASSERT_EQ(sch->Attach(sel.get()), 0);
    }
    void TearDown() override
    {
        prj.SetScheduler(nullptr);
        sch.reset();
        prj.ProtSel = nullptr;
        sel.reset();
        qunsetenv("QEL_COM3");
        WatchTest::TearDown();
    }
    // Configuration-number reads the inverter at `adr` answered.
    int reads(int adr) const
    {
        int n = 0;
        if (auto inv = din.inverter(adr))
            for (const auto& r : inv->handledRequests())
                n += r.data.u16(0) == PrjDiscovery::kCfgIdPar ? 1 : 0;
        return n;
    }

    qeltest::SimVirtualTime time;
    SimDinPtyServer din;
    std::unique_ptr<TProtSel> sel;
};

TEST_F(WatchLineTest, CyclesThroughTheEntriesAndAsksAboutAnotherNumber)
{
    makeCfgFile(8);
    makeCfgFile(25);
    din.addInverter(2, 8)->setRefusal(PrjDiscovery::kVariantPar, SimInverter::kAnyService, 2);
    // Reports 8 and fails the variant read otherwise: added with 8 it
    // stays 8, the watch takes it for 25.
    din.addInverter(4, 8)->setRefusal(PrjDiscovery::kVariantPar, SimInverter::kAnyService, 5);
    ASSERT_EQ(prj.AddInv(2, 25, QStringLiteral("A"), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(4, 0, QStringLiteral("B"), prANSI, false), 0);
    ASSERT_EQ(prj.GetInv(4)->CfgId, 8);
    ASSERT_EQ(prj.AddInv(6, 8, QStringLiteral("Gone"), prANSI, false), 0);
    const int readsAt4 = reads(4);

    ui2->messageAnswers = {1};
    sch->SetActive(true);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !ui2->messages.empty() && prj.GetInv(4)->State == -3; }));
    ASSERT_TRUE(qeltest::waitUntil([&] { return watch->Index() == MaxInvAdr; }));
    EXPECT_EQ(prj.GetInv(2)->State, -2);
    EXPECT_EQ(prj.GetInv(6)->State, -1);
    const auto& q = ui2->messages[0];
    EXPECT_EQ(std::tuple(q.P1, q.P2, q.P3), std::tuple(QStringLiteral("4"), QStringLiteral("8"), QStringLiteral("25")));
    EXPECT_EQ(reads(2), 1);
    EXPECT_EQ(reads(4), readsAt4 + 1);

    // Nothing more until the interval has passed.
    qeltest::runEventLoopFor(300);
    EXPECT_EQ(reads(2), 1);
    now += std::chrono::seconds(6);
    ASSERT_TRUE(qeltest::waitUntil([&] { return reads(2) == 2 && reads(4) == readsAt4 + 2; }));
    ASSERT_TRUE(qeltest::waitUntil([&] { return watch->Index() == MaxInvAdr; }));
    EXPECT_EQ(ui2->messages.size(), 1u);  // kept: not asked again
}

TEST_F(WatchLineTest, VariantReadThatCannotBeMadeIsNoAnswer)
{
    // An answer 8 delivered while the driver is busy with another
    // synchronous read: the 0x0B08 read cannot be made, which counts as a
    // failed read (25), not as an answer (21).
    makeCfgFile(25);
    din.addInverter(2, 8)->setRefusal(PrjDiscovery::kVariantPar, SimInverter::kAnyService, 2);
    ASSERT_EQ(prj.AddInv(2, 25, QStringLiteral("A"), prANSI, false), 0);
    sel->SetProtocol(9, prANSI);
    QTimer::singleShot(0, [&] { watch->WatchResponse(Answer(2, 0, 8), 0); });
    TTelData data;
    data.ParAdr = PrjDiscovery::kCfgIdPar;
    TRecTel rsp;
    sel->ReadPara(9, QelService::Plain, data, rsp);
    EXPECT_TRUE(ui2->messages.empty());
    EXPECT_EQ(prj.GetInv(2)->State, -2);
}
