// The recording engine fed request by request and answer by answer:
// per-channel and fast reading, time stamps, values, the trigger, the
// ring's wrap and max read time, stops, X/Y mode and the offline states.

#include "scope_fixture.h"

#include <gtest/gtest.h>

namespace {

class ScopeEngineTest : public scopetest::ScopeTest {
protected:
    void SetUp() override
    {
        ScopeTest::SetUp();
        eng.SetScheduler(&sch);
        addInv(1);
        eng.ScopeInv = 1;
        for (TScopeChannel& c : eng.Setup.Chan)
            c.Inverter = 1;
    }
    void TearDown() override { eng.SetScheduler(nullptr); }

    // Channels on 16-bit parameters of type 21: 0x0105 unsigned, 0x0109
    // signed, 0x0106 and 0x0108 unsigned.
    void channels(std::initializer_list<int> on)
    {
        static constexpr int16_t addr[4] = {0x0105, 0x0106, 0x0109, 0x0108};
        for (int k = 0; k < 4; ++k)
            eng.Setup.Chan[k].Address = -1;
        for (int k : on)
            eng.Setup.Chan[k].Address = addr[k];
        eng.CheckChannels();
    }

    TReqRec next()
    {
        TReqRec r;
        eng.BuildRequest(r);
        return r;
    }
    // Requests until one is sent.
    TReqRec nextValid()
    {
        for (int i = 0; i < 20; ++i) {
            TReqRec r = next();
            if (r.Valid)
                return r;
        }
        ADD_FAILURE() << "no request";
        return {};
    }
    static TRecTel answer(const TReqRec& req, int value, int status = 0)
    {
        TRecTel t;
        t.InvAdr = req.InvAdr;
        t.Service = req.Service;
        t.Status = status;
        t.IsRead = req.IsRead;
        t.Data.ParAdr = req.Data.ParAdr;
        if (req.Service == QelService::Plain)
            t.Data.ParSet = uint16_t(value);
        else
            t.Data.Value = value;
        return t;
    }
    // One fast-read sample.
    static TRecTel fast(int stamp, int a, int b = 0, int c = 0, int d = 0)
    {
        TRecTel t;
        t.Service = QelService::ScopeRead;
        t.IsRead = 1;
        t.Data.SetU16(0, uint16_t(stamp));
        t.Data.SetI32(4, a);
        t.Data.SetI32(8, b);
        t.Data.SetU16(12, uint16_t(c));
        t.Data.SetU16(14, uint16_t(d));
        return t;
    }
    // Starts and answers the fast-read set-up writes.
    void startFast()
    {
        ASSERT_EQ(eng.FastService, 18);
        eng.SpeedButton1Click(true);
        for (;;) {
            TReqRec r = next();
            if (eng.RecState == 1)
                break;
            ASSERT_TRUE(r.Valid);
            eng.HandleReply(answer(r, 0), r.Tag);
        }
    }
    void sendFast(int stamp, int a, int b = 0, int c = 0, int d = 0)
    {
        TReqRec r = nextValid();
        ASSERT_EQ(r.Tag, 10000);
        eng.HandleReply(fast(stamp, a, b, c, d), r.Tag);
    }

    TScheduler sch;
};

TEST_F(ScopeEngineTest, PerChannelReadsAlternateAndTimeTheCompleteSamples)
{
    channels({0, 2});
    eng.FastService = 0;
    eng.Setup.Chan[2].SetSel = 3;
    eng.SpeedButton1Click(true);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 5);  // read cycle 0: exclusive
    EXPECT_TRUE(screen->recordingLook);
    EXPECT_FALSE(next().Valid);  // set-up turn
    EXPECT_EQ(eng.RecState, 1);
    EXPECT_TRUE(eng.Unsaved);

    std::vector<int> tags;
    int v = 0;
    for (int sample = 0; sample < 3; ++sample) {
        for (int ch = 0; ch < 2; ++ch) {
            TReqRec r = nextValid();
            tags.push_back(r.Tag);
            EXPECT_EQ(r.Service, QelService::ParaSet);
            EXPECT_EQ(r.IsRead, 1);
            EXPECT_EQ(r.InvAdr, 1);
            EXPECT_EQ(r.Data.ParSet, ch == 0 ? 1 : 8);
            nowMs += 7;
            eng.HandleReply(answer(r, ++v), r.Tag);
        }
    }
    EXPECT_EQ(tags, (std::vector<int>{10000, 10002, 10000, 10002, 10000, 10002}));
    EXPECT_EQ(eng.RingEnd, 2);
    EXPECT_EQ(eng.Ring[0].TimeDelta, 1);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 14);  // between the completions
    EXPECT_EQ(eng.Ring[1].ChanVal[0], 3);
    EXPECT_EQ(eng.Ring[1].ChanVal[2], 4);
    EXPECT_EQ(eng.Ring[1].ChanVal[1], 0);  // off
    EXPECT_EQ(eng.RecTime, 29);
    EXPECT_EQ(screen->drawn, (std::vector<int>{0, 1, 2}));

    // A later error gives the sample up and starts the pass again.
    TReqRec r = nextValid();
    eng.HandleReply(answer(r, 50), r.Tag);
    r = nextValid();
    eng.HandleReply(answer(r, 0, 5), r.Tag);
    EXPECT_EQ(eng.RingEnd, 2);
    EXPECT_EQ(nextValid().Tag, 10000);
    EXPECT_TRUE(ui->shown.empty());
}

TEST_F(ScopeEngineTest, SixteenBitValuesAndFirstSampleErrors)
{
    channels({0, 2});
    eng.FastService = 0;
    eng.Setup.Chan[0].NewStyle = eng.Setup.Chan[2].NewStyle = 0;
    eng.SpeedButton1Click(true);
    TReqRec r = nextValid();
    EXPECT_EQ(r.Service, QelService::Plain);
    eng.HandleReply(answer(r, 0xFFFF), r.Tag);
    r = nextValid();
    eng.HandleReply(answer(r, 0xFFFF), r.Tag);
    EXPECT_EQ(eng.Ring[0].ChanVal[0], 65535);  // no signed attribute
    EXPECT_EQ(eng.Ring[0].ChanVal[2], -1);     // signed
    eng.Stop();

    // An error on the first sample: three lines, then the stop.
    eng.SpeedButton1Click(true);
    r = nextValid();
    eng.HandleReply(answer(r, 0, 2), r.Tag);
    EXPECT_EQ(eng.RecState, 0);
    ASSERT_EQ(ui->shown.size(), 1u);
    EXPECT_EQ(ui->shown[0].Msg, (QStringList{QStringLiteral("Inv 1"), QStringLiteral("1.5 A (0.1)"), QStringLiteral("E2")}));
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 2);
}

TEST_F(ScopeEngineTest, FastReadGoesToTheChannelsInverterAndDecodesTheSample)
{
    addInv(2);
    eng.Setup.Chan[2].Inverter = 2;
    eng.Setup.Chan[3].Inverter = 2;
    eng.Setup.Chan[3].SetSel = 2;
    channels({2, 3});  // A off: slot 0 stays on inverter 1
    ASSERT_EQ(eng.FastService, 18);
    eng.SpeedButton1Click(true);
    std::vector<std::array<int, 5>> writes;  // parameter, value, set byte, tag, inverter
    for (;;) {
        TReqRec r = next();
        if (eng.RecState == 1)
            break;
        ASSERT_TRUE(r.Valid);
        EXPECT_EQ(r.IsRead, 0);
        EXPECT_EQ(r.Service, 0);
        writes.push_back({r.Data.ParAdr, r.Data.Value, r.Data.ParSet, r.Tag, r.InvAdr});
        eng.HandleReply(answer(r, 0), r.Tag);
    }
    EXPECT_EQ(writes, (std::vector<std::array<int, 5>>{{37, 0x0109, 1, 18, 2}, {38, 1, 1, 34, 2},
                                                        {39, 0x0108, 4, 19, 2}, {40, 4, 4, 35, 2}}));
    TReqRec r = nextValid();
    EXPECT_EQ(r.Service, 18);
    EXPECT_EQ(r.InvAdr, 2);
    eng.HandleReply(fast(65530, 111, 222, 0xFFFE, 0x8000), r.Tag);
    sendFast(10, 1, 2, 3, 4);
    EXPECT_EQ(eng.Ring[0].ChanVal[0], 0);  // off channels hold 0
    EXPECT_EQ(eng.Ring[0].ChanVal[1], 0);
    EXPECT_EQ(eng.Ring[0].ChanVal[2], -2);
    EXPECT_EQ(eng.Ring[0].ChanVal[3], -32768);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 16);  // 65530 -> 10
    EXPECT_EQ(eng.RecTime, 17);
}

TEST_F(ScopeEngineTest, SoftwareTrigger)
{
    struct Case {
        const char* name;
        int slope, level, chan;
        std::vector<int> values;
        int fireAt;  // sample index, -1 never
    };
    const Case cases[] = {
        {"falling, reaches the level", 0, 100, 0, {150, 100, 90}, 1},
        {"falling, after staying above", 0, 100, 0, {150, 150, 99}, 2},
        {"falling ignores rising", 0, 100, 0, {50, 150, 160}, -1},
        {"rising", 1, 100, 0, {50, 99, 100}, 2},
        {"both", 2, 100, 0, {150, 120, 101, 60}, 3},
        {"equal", 3, 100, 0, {99, 101, 100}, 2},
        {"equal first value never fires", 3, 100, 0, {100, 101}, -1},
        {"trigger channel off", 0, 100, 1, {150, 50, 150, 50}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        channels({0, 2});
        eng.Setup.TrigSlope() = c.slope;
        eng.Setup.TrigChannel() = c.chan;
        eng.Setup.Chan[c.chan].TrigLevel = c.level;
        eng.Setup.TrigDelay() = 15;
        startFast();
        int stamp = 100;
        for (int v : c.values)
            sendFast(stamp += 10, v);
        EXPECT_EQ(eng.TrigIndex, c.fireAt);
        if (c.fireAt >= 0) {
            EXPECT_EQ(eng.TrigTime, 1 + 10 * c.fireAt);
            // Stops at the first sample more than the delay after it.
            while (eng.RecState != 0 && eng.RingEnd < 20)
                sendFast(stamp += 10, 0);
            EXPECT_EQ(eng.RingEnd, c.fireAt + 2);
        }
        eng.Stop();
    }
}

TEST_F(ScopeEngineTest, RingWrapsAndMaxReadTimeKeepsTheNewest)
{
    channels({0});
    startFast();
    eng.StartDate = 100;
    int stamp = 0;
    for (int i = 0; i < kScopeRingSize; ++i)
        sendFast(stamp += 3, i);
    EXPECT_FALSE(eng.Wrapped);
    EXPECT_EQ(eng.RingEnd, kScopeLastIndex);
    EXPECT_EQ(eng.RecTime, 1 + 3 * kScopeLastIndex);
    sendFast(stamp += 3, -1);
    EXPECT_TRUE(eng.Wrapped);
    EXPECT_EQ(eng.RingEnd, 0);
    EXPECT_EQ(eng.RingStart, 1);
    EXPECT_EQ(eng.RecTime, 3 * kScopeLastIndex + 3);  // the overwritten delta 1 is gone
    EXPECT_DOUBLE_EQ(eng.StartDate, 100 + 1 / 86400000.0);
    eng.Stop();
    EXPECT_EQ(eng.RingEnd, 0);  // the newest complete sample stays
    EXPECT_EQ(eng.RingStart, 1);

    // Max read time 1000 ms with 2 ms per sample.
    eng.Setup.MaxReadTime() = 1000;
    startFast();
    for (int i = 0; i < 700; ++i)
        sendFast(stamp += 2, i);
    EXPECT_EQ(eng.LastIndex, 500);
    EXPECT_TRUE(eng.Wrapped);
    EXPECT_EQ(eng.RingEnd, 699 - 501);
    EXPECT_EQ(eng.RingStart, eng.RingEnd + 1);
    EXPECT_EQ(eng.Ring[eng.RingEnd].ChanVal[0], 699);
}

TEST_F(ScopeEngineTest, StopsActAtOnceAndKeepOnlyCompleteSamples)
{
    channels({0, 1, 2});
    eng.FastService = 0;
    eng.SpeedButton1Click(true);
    for (int i = 0; i < 6; ++i) {  // two samples
        TReqRec r = nextValid();
        eng.HandleReply(answer(r, 10 + i), r.Tag);
    }
    ASSERT_EQ(eng.RingEnd, 1);
    // Stop while B's request is outstanding: its answer is ignored.
    TReqRec a = nextValid();
    eng.HandleReply(answer(a, 99), a.Tag);
    TReqRec b = nextValid();
    eng.Setup.ScrollPos() = 1234;
    eng.SpeedButton1Click(false);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(eng.Setup.ScrollPos(), 0);  // the display starts at the oldest sample
    EXPECT_FALSE(screen->button);
    EXPECT_FALSE(screen->recordingLook);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 2);
    eng.HandleReply(answer(b, 98), b.Tag);
    EXPECT_EQ(eng.RingEnd, 1);
    EXPECT_EQ(eng.Ring[1].ChanVal[0], 13);

    // Stop while the first channel's request is outstanding: the newest
    // complete sample stays. So does a stop by deactivation.
    eng.SpeedButton1Click(true);
    for (int i = 0; i < 3; ++i) {
        TReqRec r = nextValid();
        eng.HandleReply(answer(r, 20 + i), r.Tag);
    }
    nextValid();
    eng.FormDeactivate();
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(eng.RingEnd, 0);
    EXPECT_EQ(eng.Ring[0].ChanVal[2], 22);

    // A project change stops a recording of the open window before
    // resolving the channels.
    eng.WindowOpen = true;
    eng.SpeedButton1Click(true);
    nextValid();
    prj.FirePendingChanges();
    eng.ProjectChanged();
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 2);
}

TEST_F(ScopeEngineTest, GivenUpSampleLeavesAWrappedRingAlone)
{
    channels({0, 2});
    eng.FastService = 0;
    eng.SpeedButton1Click(true);
    for (int i = 0; i < 2 * (kScopeRingSize + 3); ++i) {
        TReqRec r = nextValid();
        nowMs += 1;
        eng.HandleReply(answer(r, i), r.Tag);
    }
    ASSERT_TRUE(eng.Wrapped);
    ASSERT_EQ(eng.RingEnd, 2);
    const TScopeSample oldest = eng.Ring[3];
    // A read of C fails: the sample in the making is dropped.
    TReqRec r = nextValid();
    eng.HandleReply(answer(r, 7), r.Tag);
    r = nextValid();
    eng.HandleReply(answer(r, 0, 5), r.Tag);
    EXPECT_EQ(eng.RingEnd, 2);
    EXPECT_EQ(eng.RingStart, 3);
    EXPECT_EQ(eng.Ring[3].ChanVal[0], oldest.ChanVal[0]);
    // Stopped with A answered: likewise.
    r = nextValid();
    eng.HandleReply(answer(r, 8), r.Tag);
    eng.Stop();
    EXPECT_EQ(eng.RingEnd, 2);
    EXPECT_EQ(eng.RingStart, 3);
    EXPECT_EQ(eng.Ring[3].ChanVal[0], oldest.ChanVal[0]);
    EXPECT_EQ(eng.Ring[2].ChanVal[2], 2 * (kScopeRingSize + 3) - 1);
}

TEST_F(ScopeEngineTest, StartRefusedAndNothingToRecord)
{
    const int other = sch.Register(nullptr, nullptr, nullptr, nullptr);
    sch.SetState(other, 5);
    channels({0});
    eng.SpeedButton1Click(true);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.23")});
    EXPECT_FALSE(screen->button);
    sch.SetState(other, 3);
    // A read cycle above 0 is polled in turn.
    eng.Setup.ReadCycle() = 50;
    eng.SpeedButton1Click(true);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 3);
    eng.Stop();

    ui->shown.clear();
    channels({});
    eng.SpeedButton1Click(true);
    EXPECT_FALSE(next().Valid);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("1.16")});
}

TEST_F(ScopeEngineTest, ReadCycleSkipsAnswersUntilItElapsed)
{
    channels({0});
    eng.Setup.ReadCycle() = 100;
    startFast();
    sendFast(1, 5);  // the cycle counts from the start: dropped
    EXPECT_EQ(eng.PrevStamp, -1);
    nowMs += 100;
    sendFast(101, 6);
    nowMs += 40;
    sendFast(141, 7);  // too early: dropped
    EXPECT_EQ(eng.RingEnd, 0);
    nowMs += 70;
    sendFast(211, 8);
    EXPECT_EQ(eng.RingEnd, 1);
    EXPECT_EQ(eng.Ring[0].ChanVal[0], 6);
    EXPECT_EQ(eng.Ring[1].ChanVal[0], 8);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 110);

    // Per channel, a pass starts only when the cycle has elapsed; read
    // cycles of up to a minute are measured.
    eng.Stop();
    channels({0, 2});
    eng.FastService = 0;
    eng.Setup.ReadCycle() = 60000;
    eng.SpeedButton1Click(true);
    for (int i = 0; i < 8; ++i) {
        TReqRec r = nextValid();
        eng.HandleReply(answer(r, i), r.Tag);
        nowMs += 20000;
    }
    // Answers at 20 s steps: passes at 0, 60 and 120 s, one pass skipped
    // between them.
    EXPECT_EQ(eng.RingEnd, 2);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 60000);
    EXPECT_EQ(eng.Ring[2].TimeDelta, 60000);
    EXPECT_EQ(eng.Ring[2].ChanVal[0], 6);
}

TEST_F(ScopeEngineTest, XYModeDropsARepeatedSample)
{
    channels({0, 2});
    eng.Setup.XYChannel() = 1;
    startFast();
    sendFast(10, 1, 0, 2);
    sendFast(20, 1, 0, 2);
    EXPECT_EQ(eng.RingEnd, 0);
    sendFast(30, 1, 9, 3);
    EXPECT_EQ(eng.RingEnd, 1);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 20);
}

// Offline: set-up writes, the status states, the read-out and its end.
TEST_F(ScopeEngineTest, OfflineRecordingThroughEveryState)
{
    channels({0, 2});
    eng.Setup.OfflineMode() = 1;
    eng.Setup.OfflineTimeBase() = 250;
    eng.Setup.OfflineTrigger() = -3;
    eng.Setup.OfflineTrigPos() = 40;
    eng.CheckChannels();
    ASSERT_EQ(eng.OfflineBase, 0x0F00);
    EXPECT_EQ(eng.TimeUnit, QStringLiteral("us"));
    eng.SpeedButton1Click(true);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 3);
    std::vector<std::array<int, 3>> writes;  // parameter, value, tag
    while (eng.RecState == 5) {
        TReqRec r = next();
        if (!r.Valid)
            break;
        EXPECT_EQ(r.Service, QelService::Plain);
        writes.push_back({r.Data.ParAdr, int16_t(r.Data.ParSet), r.Tag});
        eng.HandleReply(answer(r, 0), r.Tag);
    }
    EXPECT_EQ(writes, (std::vector<std::array<int, 3>>{{0xF00, 0x0105, 16}, {0xF01, -1, 17}, {0xF02, 0x0109, 18},
                                                        {0xF03, -1, 19}, {0xF04, 250, 48}, {0xF05, -3, 49},
                                                        {0xF06, 40, 50}, {0xF07, 255, 0}}));
    EXPECT_EQ(eng.RecState, 6);
    for (int status : {1, 2, 2, 0}) {
        TReqRec r = nextValid();
        EXPECT_EQ(r.Tag, 20000);
        EXPECT_EQ(r.Data.ParAdr, 0xF08);
        eng.HandleReply(answer(r, status), r.Tag);
        EXPECT_EQ(eng.RecState, status == 0 ? 8 : status == 2 ? 7 : 6);
    }
    // Samples 0 and 1, an error that repeats sample 2, then error 3.
    for (int sample = 0; sample < 3; ++sample) {
        TReqRec sel = nextValid();
        EXPECT_EQ(sel.Tag, 20001);
        EXPECT_EQ(sel.Data.ParAdr, 0xF09);
        EXPECT_EQ(sel.Data.ParSet, sample);
        eng.HandleReply(answer(sel, 0), sel.Tag);
        TReqRec a = nextValid();
        EXPECT_EQ(a.Data.ParAdr, 0xF0A);
        EXPECT_EQ(a.Service, QelService::ParaSetAdr);
        EXPECT_EQ(a.Tag, 10000);
        eng.HandleReply(answer(a, 100 + sample), a.Tag);
        TReqRec c = nextValid();
        EXPECT_EQ(c.Data.ParAdr, 0xF0C);
        if (sample == 2) {
            eng.HandleReply(answer(c, 0, 6), c.Tag);  // repeated
            sel = nextValid();
            EXPECT_EQ(sel.Data.ParSet, 2);
            eng.HandleReply(answer(sel, 0), sel.Tag);
            a = nextValid();
            eng.HandleReply(answer(a, 102), a.Tag);
            c = nextValid();
        }
        eng.HandleReply(answer(c, -sample), c.Tag);
    }
    TReqRec sel = nextValid();
    EXPECT_EQ(sel.Data.ParSet, 3);
    eng.HandleReply(answer(sel, 0, 3), sel.Tag);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(eng.RingStart, 0);
    EXPECT_EQ(eng.RingEnd, 2);
    EXPECT_EQ(eng.Ring[2].ChanVal[0], 102);
    EXPECT_EQ(eng.Ring[2].ChanVal[2], -2);
    EXPECT_EQ(eng.Ring[0].TimeDelta, 1);
    EXPECT_EQ(eng.Ring[1].TimeDelta, 250);
    EXPECT_EQ(eng.StartDate, 0);
    EXPECT_TRUE(ui->shown.empty());
}

TEST_F(ScopeEngineTest, OfflineStopWhileTriggeringAndSecondPress)
{
    channels({0});
    eng.Setup.OfflineMode() = 1;
    eng.CheckChannels();
    eng.SpeedButton1Click(true);
    while (eng.RecState == 5) {
        TReqRec r = next();
        if (r.Valid)
            eng.HandleReply(answer(r, 0), r.Tag);
    }
    TReqRec st = nextValid();
    // Stop pressed while the status read is outstanding: the button stays
    // down, base+7 := 0 is written next, whatever the status says.
    eng.SpeedButton1Click(false);
    EXPECT_EQ(eng.RecState, 10);
    EXPECT_TRUE(screen->button);
    eng.HandleReply(answer(st, 2), st.Tag);
    TReqRec w = nextValid();
    EXPECT_EQ(w.Tag, 20002);
    EXPECT_EQ(w.Data.ParAdr, 0xF07);
    EXPECT_EQ(w.Data.ParSet, 0);
    eng.HandleReply(answer(w, 0), w.Tag);
    EXPECT_EQ(eng.RecState, 6);
    st = nextValid();
    EXPECT_EQ(st.Tag, 20000);
    // The inverter does not answer; a second press ends it at once.
    eng.SpeedButton1Click(false);
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_FALSE(screen->button);
    eng.HandleReply(answer(st, 0), st.Tag);
    EXPECT_EQ(eng.RecState, 0);  // a late status answer changes nothing

    // Closing the window while triggering ends the recording at once.
    eng.SpeedButton1Click(true);
    while (eng.RecState == 5) {
        TReqRec r = next();
        if (r.Valid)
            eng.HandleReply(answer(r, 0), r.Tag);
    }
    ASSERT_EQ(eng.RecState, 6);
    eng.FormClose();
    EXPECT_EQ(eng.RecState, 0);
    EXPECT_EQ(sch.GetState(eng.SchedSlot), 1);
}

TEST_F(ScopeEngineTest, OfflineNeedsABlockAndSetupErrorsStop)
{
    addInv(5, 25);  // a type without offline block
    eng.Setup.Chan[0].Inverter = 5;
    eng.Setup.OfflineMode() = 1;
    channels({0});
    EXPECT_EQ(eng.OfflineBase, -1);
    EXPECT_EQ(eng.Setup.OfflineMode(), 0);
    eng.DoReadOfflineMem();
    EXPECT_EQ(eng.RecState, 0);

    // A refused set-up write: the message built from its tag, then stop.
    eng.Setup.Chan[0].Inverter = 1;
    channels({0});
    eng.Setup.OfflineMode() = 1;
    eng.CheckChannels();
    eng.SpeedButton1Click(true);
    for (int i = 0; i < 4; ++i) {
        TReqRec r = nextValid();
        eng.HandleReply(answer(r, 0), r.Tag);
    }
    TReqRec r = nextValid();
    ASSERT_EQ(r.Tag, 48);
    eng.HandleReply(answer(r, 0, 3), r.Tag);
    EXPECT_EQ(eng.RecState, 0);
    ASSERT_EQ(ui->shown.size(), 1u);
    EXPECT_EQ(ui->shown[0].Msg.value(1), QStringLiteral("1.33"));
    EXPECT_EQ(ui->shown[0].Msg.value(2), QStringLiteral("Offline time base"));
    EXPECT_EQ(ui->shown[0].Msg.value(3), QStringLiteral("E3"));
}

TEST_F(ScopeEngineTest, ReadingTheStoredOfflineMemory)
{
    channels({0});
    eng.DoReadOfflineMem();
    EXPECT_EQ(eng.RecState, 9);
    EXPECT_EQ(eng.Setup.OfflineMode(), 1);
    const int stored[7] = {0x0109, -1, 0x0105, -1, 500, 7, 9};
    for (int i = 0; i < 7; ++i) {
        TReqRec r = nextValid();
        EXPECT_EQ(r.Data.ParAdr, 0xF00 + i);
        EXPECT_EQ(r.IsRead, 1);
        EXPECT_EQ(r.Tag, i < 4 ? 0x110 + i : 0x130 + i - 4);
        eng.HandleReply(answer(r, stored[i]), r.Tag);
    }
    EXPECT_FALSE(next().Valid);
    EXPECT_EQ(eng.RecState, 8);
    EXPECT_EQ(eng.Setup.Chan[0].Address, 0x0109);
    EXPECT_EQ(eng.Setup.Chan[2].Address, 0x0105);
    EXPECT_EQ(eng.Setup.OfflineTimeBase(), 500);
    EXPECT_EQ(eng.Setup.OfflineTrigPos(), 9);
    EXPECT_EQ(nextValid().Tag, 20001);
}

} // namespace
