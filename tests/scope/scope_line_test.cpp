// End to end: the scope as a scheduler client, through the protocol
// selector and the DIN 66019 II driver, over a pseudo-terminal to the
// simulator whose parameters follow a sine.

#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"

#include "scope_line_fixture.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <set>

using qelsim::SimFault;

namespace {

class ScopeLineTest : public scopetest::ScopeLineFixture {
protected:
    void SetUp() override
    {
        ScopeLineFixture::SetUp();
        openLine();
        if (HasFatalFailure())
            return;

        eng.NowMs = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        eng.SetScheduler(&sch);
        addInv(1);
        eng.ScopeInv = 1;
        for (TScopeChannel& c : eng.Setup.Chan)
            c.Inverter = 1;
        eng.Setup.Chan[0].Address = 0x0105;  // sine 500..1500, 2 s
        eng.Setup.Chan[2].Address = 0x0109;  // sine -800..800, 400 ms
        eng.CheckChannels();
        sch.SetActive(true);
    }
    void TearDown() override
    {
        eng.Stop();
        sch.SetActive(false);
        eng.SetScheduler(nullptr);
        closeLine();
    }

    // Requests of a service the simulator carried out.
    std::vector<qelsim::SimRequest> requests(int service) const
    {
        std::vector<qelsim::SimRequest> out;
        for (const auto& r : inv->handledRequests())
            if (r.service == service)
                out.push_back(r);
        return out;
    }

    // The recorded samples follow the two sines: in range, and C swings
    // through its range within the recording.
    void expectSines()
    {
        int cMin = 1 << 20, cMax = -(1 << 20);
        for (int i = eng.RingStart; i <= eng.RingEnd; ++i) {
            const TScopeSample& s = eng.Ring[i];
            EXPECT_GE(s.ChanVal[0], 500);
            EXPECT_LE(s.ChanVal[0], 1500);
            EXPECT_GE(s.ChanVal[2], -800);
            EXPECT_LE(s.ChanVal[2], 800);
            EXPECT_EQ(s.ChanVal[1], 0);
            EXPECT_EQ(s.ChanVal[3], 0);
            cMin = std::min(cMin, s.ChanVal[2]);
            cMax = std::max(cMax, s.ChanVal[2]);
        }
        EXPECT_LT(cMin, -400);
        EXPECT_GT(cMax, 400);
    }
};

TEST_F(ScopeLineTest, PerChannelRecordingFollowsTheSine)
{
    eng.FastService = 0;
    eng.SpeedButton1Click(true);
    // Half a second of C's 400 ms period at least.
    ASSERT_TRUE(qeltest::waitUntil([&] { return eng.RingEnd >= 20 && eng.RecTime >= 500; }, 20000));
    eng.SpeedButton1Click(false);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_TRUE(ui->shown.empty());
    expectSines();
    // Reads alternate A, C with their set byte.
    std::vector<int> order;
    for (const auto& r : requests(0))
        order.push_back(r.data.u16(0));
    ASSERT_GE(order.size(), 4u);
    for (size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_NE(order[i], order[i + 1]);
    EXPECT_TRUE(requests(18).empty());
}

TEST_F(ScopeLineTest, FastReadWritesTheSelectionOnceAndFollowsTheSine)
{
    ASSERT_EQ(eng.FastService, 18);
    eng.SpeedButton1Click(true);
    ASSERT_TRUE(qeltest::waitUntil([&] { return eng.RingEnd >= 20 && eng.RecTime >= 500; }, 20000));
    eng.SpeedButton1Click(false);
    EXPECT_TRUE(ui->shown.empty());
    expectSines();
    std::vector<std::array<int, 3>> writes;  // parameter, value, set byte
    for (const auto& r : requests(0))
        if (r.isWrite)
            writes.push_back({r.data.u16(0), r.data.i32(4), r.data.u8(2)});
    EXPECT_EQ(writes, (std::vector<std::array<int, 3>>{{33, 0x0105, 1}, {34, 1, 1}, {37, 0x0109, 1}, {38, 1, 1}}));
    EXPECT_GE(requests(18).size(), 21u);
    // The inverter's own millisecond stamps time the samples.
    for (int i = 1; i <= eng.RingEnd; ++i)
        EXPECT_LT(eng.Ring[i].TimeDelta, 5000);
}

TEST_F(ScopeLineTest, OfflineRecordingThroughEveryState)
{
    inv->setOfflineScope(std::chrono::milliseconds(300), 50);
    eng.Setup.Chan[0].Address = -1;
    eng.Setup.Chan[2].Address = 0x0109;
    eng.Setup.OfflineMode() = 1;
    eng.Setup.OfflineTimeBase() = 5000;  // 5 ms in microseconds
    eng.CheckChannels();
    ASSERT_EQ(eng.TimeUnit, QStringLiteral("us"));
    eng.SpeedButton1Click(true);
    std::set<int> seen;
    ASSERT_TRUE(qeltest::waitUntil([&] {
        seen.insert(eng.RecState);
        return eng.RecState == 0;
    }, 20000));
    EXPECT_TRUE(seen.count(6));
    EXPECT_TRUE(seen.count(8));
    EXPECT_TRUE(ui->shown.empty());
    // Error 3 on sample 50 ended the read-out: samples 0 to 49.
    EXPECT_EQ(eng.RingEnd, 49);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 5000);
    int lo = 1000, hi = -1000;
    for (int i = 1; i <= eng.RingEnd; ++i) {
        // 5 ms steps on a 400 ms sine of 800: at most 63 apart.
        EXPECT_LE(std::abs(eng.Ring[i].ChanVal[2] - eng.Ring[i - 1].ChanVal[2]), 64) << i;
        lo = std::min(lo, eng.Ring[i].ChanVal[2]);
        hi = std::max(hi, eng.Ring[i].ChanVal[2]);
        EXPECT_EQ(eng.Ring[i].ChanVal[0], 0);
    }
    EXPECT_GT(hi - lo, 400);
    // base+0..3 carried the channels, base+7 the start.
    std::vector<int> written;
    for (const auto& r : requests(-1))
        if (r.isWrite && r.data.u16(0) <= 0xF07)
            written.push_back(r.data.u16(0));
    EXPECT_EQ(written, (std::vector<int>{0xF00, 0xF01, 0xF02, 0xF03, 0xF04, 0xF05, 0xF06, 0xF07}));
}

TEST_F(ScopeLineTest, OfflineStopWhileTriggeringReadsOutWhatWasStored)
{
    inv->setOfflineScope(std::chrono::milliseconds(60000), 50);
    eng.Setup.OfflineMode() = 1;
    eng.CheckChannels();
    eng.SpeedButton1Click(true);
    ASSERT_TRUE(qeltest::waitUntil([&] { return eng.RecState == 6 && requests(-1).size() > 12; }, 20000));
    eng.SpeedButton1Click(false);
    EXPECT_TRUE(screen->button);
    ASSERT_TRUE(qeltest::waitUntil([&] { return eng.RecState == 0; }, 20000));
    EXPECT_FALSE(screen->button);
    bool stopWritten = false;
    for (const auto& r : requests(-1))
        stopWritten |= r.isWrite && r.data.u16(0) == 0xF07 && r.data.u16(2) == 0;
    EXPECT_TRUE(stopWritten);
    EXPECT_EQ(eng.RingEnd, 0);  // nothing was stored before the trigger
    EXPECT_TRUE(ui->shown.empty());
}

TEST_F(ScopeLineTest, SilentInverterWhileTriggeringEndsAtTheSecondPress)
{
    sel->Ansi()->SetTimeOut(150);
    inv->setOfflineScope(std::chrono::milliseconds(60000), 50);
    eng.Setup.OfflineMode() = 1;
    eng.CheckChannels();
    eng.SpeedButton1Click(true);
    ASSERT_TRUE(qeltest::waitUntil([&] { return eng.RecState == 6; }, 20000));
    SimFault silent;
    silent.silence = true;
    silent.count = 0;
    inv->faults().push(silent);
    const int before = din.requestCount();
    eng.SpeedButton1Click(false);
    // The stop write and the status reads go unanswered: still waiting.
    ASSERT_TRUE(qeltest::waitUntil([&] { return din.requestCount() >= before + 3; }, 20000));
    EXPECT_NE(eng.RecState, 0);
    EXPECT_TRUE(screen->button);
    eng.SpeedButton1Click(false);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_FALSE(screen->button);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 2);
}

} // namespace
