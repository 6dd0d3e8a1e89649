#include "comm/scheduler.h"

#include "comm/prot_sel.h"
#include "scripted_driver.h"
#include "wait_until.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

namespace {

// A client whose next requests and received answers the test scripts.
struct Client {
    int slot = -1;
    int asked = 0;
    std::deque<int> tags; // a request with this tag per turn, while any
    std::vector<std::pair<TRecTel, int>> answers;
    std::function<void()> duringAsk;
};

struct SchFixture : ::testing::Test {
    ScriptedDriver* ansi = nullptr;
    std::unique_ptr<TProtSel> sel;
    TScheduler* sch = nullptr; // freed through Release
    std::vector<int> askLog;   // slots in the order they were asked
    std::array<Client, 4> clients;

    void SetUp() override
    {
        sel = std::make_unique<TProtSel>(nullptr, [this](TProt kind) -> std::unique_ptr<tCustomQelProt> {
            if (kind != prANSI)
                return nullptr;
            auto d = std::make_unique<ScriptedDriver>(prANSI);
            ansi = d.get();
            return d;
        });
        sel->SetProtocol(1, prANSI);
        ASSERT_EQ(sel->GetActiveProtocol(1), prANSI);
        sch = new TScheduler;
        ASSERT_EQ(sch->Attach(sel.get()), 0);
    }
    void TearDown() override
    {
        if (sch)
            sch->Release();
    }

    int reg(int i, int state = 3)
    {
        Client& c = clients[i];
        c.slot = sch->Register(
            nullptr,
            [this, i](TReqRec& req) {
                Client& c = clients[i];
                ++c.asked;
                askLog.push_back(c.slot);
                if (c.duringAsk)
                    c.duringAsk();
                if (c.tags.empty())
                    return;
                req.Valid = 1;
                req.InvAdr = 1;
                req.Service = 0;
                req.IsRead = 1;
                req.Tag = c.tags.front();
                req.Data.ParAdr = uint16_t(0x100 + i);
                c.tags.pop_front();
            },
            [this, i](const TRecTel& rsp, int tag) { clients[i].answers.push_back({rsp, tag}); },
            nullptr);
        if (state != 1)
            sch->SetState(c.slot, state);
        return c.slot;
    }

    // Which client a request on the line came from.
    int clientOfSent(size_t n) const { return ansi->SentLog.at(n).Data.ParAdr - 0x100; }
};

TEST_F(SchFixture, StepAsksEveryClientOnceStartingAfterTheLastAsked)
{
    reg(0);
    reg(1);
    reg(2);
    sch->SetActive(true); // current slot 0: asks 1, 2, 0
    EXPECT_EQ(askLog, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(sch->RunState(), TScheduler::rsIdle);

    // Nobody had a request: the next step comes from the retry timer and
    // stops at the first client that supplies one.
    askLog.clear();
    clients[2].tags = {22};
    ASSERT_TRUE(qeltest::waitUntil([&] { return ansi->SentLog.size() == 1; }));
    EXPECT_EQ(askLog, (std::vector<int>{1, 2}));
    EXPECT_EQ(sch->RunState(), TScheduler::rsAwaiting);

    // The answer goes to client 2 with its tag, and the next step runs at
    // once, starting after 2.
    askLog.clear();
    clients[0].tags = {10};
    ansi->Answer(ansi->SentLog[0].ReqId, 0, 77);
    ASSERT_EQ(clients[2].answers.size(), 1u);
    EXPECT_EQ(clients[2].answers[0].second, 22);
    EXPECT_EQ(clients[2].answers[0].first.Data.Value, 77);
    EXPECT_EQ(askLog, (std::vector<int>{0}));
    ASSERT_EQ(ansi->SentLog.size(), 2u);
    EXPECT_EQ(clientOfSent(1), 0);

    // States 1 and 2 are not polled.
    sch->SetState(clients[1].slot, 2);
    sch->SetState(clients[2].slot, 1);
    askLog.clear();
    ansi->Answer(ansi->SentLog[1].ReqId);
    EXPECT_EQ(askLog, (std::vector<int>{0}));
}

TEST_F(SchFixture, ExclusiveClientIsAskedAloneAndASecondOneIsRefused)
{
    reg(0);
    reg(1);
    reg(2);
    EXPECT_EQ(sch->SetState(clients[2].slot, 5), 5);
    // A second exclusive client keeps its state, and the first one stays
    // the only one asked, although the second comes before it in turn.
    EXPECT_EQ(sch->SetState(clients[1].slot, 5), 3);
    EXPECT_EQ(sch->GetState(clients[1].slot), 3);
    clients[0].tags = {1};
    clients[1].tags = {2};
    clients[2].tags = {21, 22};
    sch->SetActive(true);
    ASSERT_EQ(ansi->SentLog.size(), 1u);
    ansi->Answer(ansi->SentLog[0].ReqId);
    ansi->Answer(ansi->SentLog[1].ReqId);
    ASSERT_TRUE(qeltest::waitUntil([&] { return clients[2].asked >= 3; }));
    EXPECT_EQ(clients[0].asked, 0);
    EXPECT_EQ(clients[1].asked, 0);
    EXPECT_EQ(clientOfSent(0), 2);
    EXPECT_EQ(clientOfSent(1), 2);

    // Back to 3: the others get their turns again.
    sch->SetState(clients[2].slot, 3);
    ASSERT_TRUE(qeltest::waitUntil([&] { return ansi->SentLog.size() == 3; }));
    EXPECT_EQ(clientOfSent(2), 0);
}

TEST_F(SchFixture, OneShotTurnStartsAtTheGivenClientAndWaitsOutAnExclusiveOne)
{
    reg(0);
    reg(1);
    reg(2);
    reg(3);
    EXPECT_TRUE(sch->SetNextSlot(clients[2].slot));
    EXPECT_FALSE(sch->SetNextSlot(clients[3].slot)); // the first is not used yet
    EXPECT_FALSE(sch->SetNextSlot(64));
    sch->SetActive(true);
    EXPECT_EQ(askLog, (std::vector<int>{2, 3, 0, 1}));

    // While a client is exclusive the one-shot turn waits for it.
    clients[3].tags = {30};
    clients[1].tags = {10, 11};
    sch->SetState(clients[1].slot, 5);
    ASSERT_TRUE(sch->SetNextSlot(clients[3].slot));
    askLog.clear();
    ASSERT_TRUE(qeltest::waitUntil([&] { return ansi->SentLog.size() == 1; }));
    EXPECT_EQ(clientOfSent(0), 1);
    sch->SetState(clients[1].slot, 3);
    ansi->Answer(ansi->SentLog[0].ReqId);
    ASSERT_EQ(ansi->SentLog.size(), 2u);
    EXPECT_EQ(clientOfSent(1), 3);
    EXPECT_EQ(askLog.back(), clients[3].slot);
}

TEST_F(SchFixture, AnswerForAClientThatLeftIsDroppedAndTheNextStepRunsAtOnce)
{
    reg(0);
    reg(1);
    clients[1].tags = {5};
    sch->SetActive(true);
    ASSERT_EQ(ansi->SentLog.size(), 1u);
    sch->Unregister(clients[1].slot);
    // A newcomer in the same slot must not get the old client's answer.
    const int oldSlot = clients[1].slot;
    EXPECT_EQ(reg(2), oldSlot);
    clients[0].tags = {7};
    const int askedBefore = clients[0].asked;
    ansi->Answer(ansi->SentLog[0].ReqId);
    EXPECT_TRUE(clients[1].answers.empty());
    EXPECT_TRUE(clients[2].answers.empty());
    EXPECT_EQ(clients[0].asked, askedBefore + 1); // in the same call
    EXPECT_EQ(ansi->SentLog.size(), 2u);
}

TEST_F(SchFixture, RequestOfAClientThatLeftWhileAskedGoesNowhere)
{
    reg(0);
    clients[0].tags = {1};
    clients[0].duringAsk = [&] {
        // Leaves, and a newcomer takes the same slot, while being asked.
        sch->Unregister(clients[0].slot);
        EXPECT_EQ(reg(1, 1), clients[0].slot);
    };
    sch->SetActive(true);
    EXPECT_TRUE(ansi->SentLog.empty());
    EXPECT_EQ(sch->RunState(), TScheduler::rsIdle);
}

TEST_F(SchFixture, PausingWhileAnAnswerIsOutstandingKeepsItForItsClient)
{
    reg(0);
    reg(1);
    clients[0].tags = {100};
    sch->SetActive(true);
    ASSERT_EQ(ansi->SentLog.size(), 1u);

    // Off and on while waiting: nothing new goes out until the answer.
    clients[1].tags = {200};
    sch->SetActive(false);
    sch->SetActive(true);
    EXPECT_EQ(ansi->SentLog.size(), 1u);
    EXPECT_EQ(sch->RunState(), TScheduler::rsAwaiting);
    qeltest::runEventLoopFor(150); // no retry step sends either
    EXPECT_EQ(ansi->SentLog.size(), 1u);

    ansi->Answer(ansi->SentLog[0].ReqId);
    ASSERT_EQ(clients[0].answers.size(), 1u);
    EXPECT_EQ(clients[0].answers[0].second, 100);
    EXPECT_TRUE(clients[1].answers.empty());
    ASSERT_EQ(ansi->SentLog.size(), 2u);
    EXPECT_EQ(clientOfSent(1), 1);
    ansi->Answer(ansi->SentLog[1].ReqId);
    ASSERT_EQ(clients[1].answers.size(), 1u);
    EXPECT_EQ(clients[1].answers[0].second, 200);

    // Stopped while waiting: the answer is still delivered, nothing follows.
    clients[0].tags = {101};
    clients[1].tags = {201};
    ASSERT_TRUE(qeltest::waitUntil([&] { return ansi->SentLog.size() == 3; }));
    sch->SetActive(false);
    ansi->Answer(ansi->SentLog[2].ReqId);
    EXPECT_EQ(clients[0].answers.size() + clients[1].answers.size(), 3u);
    qeltest::runEventLoopFor(150);
    EXPECT_EQ(ansi->SentLog.size(), 3u);
}

TEST_F(SchFixture, StrayAnswerFollowedByARefusedSendLeavesTheAnswerToItsClient)
{
    reg(0);
    reg(1);
    clients[0].tags = {100};
    sch->SetActive(true);
    ASSERT_EQ(ansi->SentLog.size(), 1u);

    // An answer nobody here asked for: the cycle goes on after 100 ms and
    // client 1's request is refused by the busy driver.
    clients[1].tags = {200};
    ansi->Answer(9);
    EXPECT_EQ(sch->RunState(), TScheduler::rsStray);
    ASSERT_TRUE(qeltest::waitUntil([&] { return clients[1].tags.empty(); }));
    EXPECT_EQ(ansi->SentLog.size(), 1u);

    ansi->Answer(ansi->SentLog[0].ReqId, 0, 42);
    ASSERT_EQ(clients[0].answers.size(), 1u);
    EXPECT_EQ(clients[0].answers[0].second, 100);
    EXPECT_EQ(clients[0].answers[0].first.Data.Value, 42);
    EXPECT_TRUE(clients[1].answers.empty());
}

TEST_F(SchFixture, RegisterAndChangeNotices)
{
    int changes = 0;
    bool complete = false;
    sch->OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, sch);
        ++changes;
        TSchItem* item = sch->GetItem(0);
        complete = item && item->OnGiveNextReq && item->OnReceiveAnswer;
    };
    reg(0, 1);
    EXPECT_TRUE(complete); // callbacks stored before the notice
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sch->GetState(0), 1);
    EXPECT_EQ(sch->GetItem(0)->Form, nullptr);
    sch->ItemChanged(0); // no window: no notice
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sch->GetState(64), 0);
    EXPECT_EQ(sch->SetState(63, 3), 0);
    EXPECT_EQ(sch->GetItem(-1), nullptr);

    // A window as owner becomes the client's form.
    QWidget window;
    QObject plain;
    ASSERT_EQ(sch->Register(&window, nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(sch->Register(&plain, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(sch->GetItem(1)->Form, &window);
    EXPECT_EQ(sch->GetItem(2)->Form, nullptr);
    const int before = changes;
    sch->ItemChanged(1);
    EXPECT_EQ(changes, before + 1);
    sch->FocusItem(1);
    sch->FocusItem(2);

    for (int i = 3; i < TScheduler::SlotCount; ++i)
        ASSERT_EQ(sch->Register(nullptr, nullptr, nullptr, nullptr), i);
    EXPECT_EQ(sch->Register(nullptr, nullptr, nullptr, nullptr), -1);
    sch->Unregister(17);
    EXPECT_EQ(sch->GetState(17), 0);
    EXPECT_EQ(sch->Register(nullptr, nullptr, nullptr, nullptr), 17);
}

TEST_F(SchFixture, StepIsNotReenteredFromAProvidersMessageLoop)
{
    reg(0);
    reg(1);
    int depth = 0;
    int maxDepth = 0;
    bool nestedDone = false;
    clients[1].duringAsk = [&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (!nestedDone) {
            nestedDone = true;
            // A modal wait inside the provider; meanwhile something stops
            // and restarts the scheduler, which asks for a step.
            QEventLoop loop;
            QTimer::singleShot(0, [&] {
                sch->SetActive(false);
                sch->SetActive(true);
                loop.quit();
            });
            loop.exec();
        }
        --depth;
    };
    clients[0].tags = {1};
    sch->SetActive(true);
    EXPECT_EQ(maxDepth, 1);
    // The step asked for meanwhile ran afterwards and sent client 0's request.
    ASSERT_EQ(ansi->SentLog.size(), 1u);
    EXPECT_EQ(clientOfSent(0), 0);
    EXPECT_EQ(sch->RunState(), TScheduler::rsAwaiting);
}

TEST_F(SchFixture, AttachDetachAndRelease)
{
    EXPECT_EQ(sch->Attach(sel.get()), 1); // already ours
    auto* other = new TScheduler;
    EXPECT_EQ(other->Attach(sel.get()), 1);
    EXPECT_EQ(other->Selector(), nullptr);
    other->Release();
    EXPECT_EQ(sel->AttachedScheduler(), sch);

    reg(0);
    clients[0].tags = {1};
    sch->SetActive(true);
    ASSERT_EQ(ansi->SentLog.size(), 1u);

    // Released while its request is outstanding: the selector no longer
    // knows it, and the late answer reaches nobody.
    sch->Release();
    sch = nullptr;
    EXPECT_EQ(sel->AttachedScheduler(), nullptr);
    EXPECT_FALSE(sel->OnRspAvail);
    ansi->Answer(ansi->SentLog[0].ReqId);
    EXPECT_TRUE(clients[0].answers.empty());

    // A new scheduler can take the selector.
    sch = new TScheduler;
    EXPECT_EQ(sch->Attach(sel.get()), 0);
    sch->Detach();
    EXPECT_EQ(sel->AttachedScheduler(), nullptr);
}

TEST_F(SchFixture, ReleaseFromInsideAClientsCallback)
{
    reg(0);
    clients[0].tags = {1};
    QPointer<TScheduler> watch(sch);
    clients[0].duringAsk = [&] {
        if (clients[0].asked == 2) {
            sch->Release();
            sch = nullptr;
        }
    };
    sch->SetActive(true);
    ansi->Answer(ansi->SentLog.at(0).ReqId);
    EXPECT_EQ(sel->AttachedScheduler(), nullptr);
    ASSERT_TRUE(qeltest::waitUntil([&] { return watch.isNull(); }));
}

TEST_F(SchFixture, ClientExceptionDoesNotStopTheCycle)
{
    reg(0);
    // Asked first from SetActive (nothing to send), then from the retry
    // timer, where it throws; the timer after that gets its request.
    clients[0].duringAsk = [&] {
        if (clients[0].asked == 2)
            throw std::runtime_error("client fault");
        if (clients[0].asked == 3)
            clients[0].tags = {1};
    };
    sch->SetActive(true);
    ASSERT_TRUE(qeltest::waitUntil([&] { return ansi->SentLog.size() == 1; }));
    EXPECT_EQ(clients[0].asked, 3);
}

} // namespace
