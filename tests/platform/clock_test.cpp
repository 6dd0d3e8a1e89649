#include "platform/clock.h"
#include "platform/virtual_clock.h"

#include "wait_until.h"

#include <QEventLoop>
#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

// A 55 ms tick and a 20 s limit on the virtual clock: the same ticks in
// the same order as in real time, in a moment.
TEST(VirtualClock, TimersFireInDueOrderWithoutWaitingRealTime)
{
    const auto realStart = qel::TSteady::now();
    qel::TVirtualClock clock;
    qel::TStopwatch watch;
    std::vector<std::pair<char, qint64>> events;

    qel::TTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &qel::TTimer::timeout, [&] {
        ++ticks;
        if (ticks == 1)
            events.push_back({'t', watch.elapsed()});
    });
    tick.start(55);

    qel::TTimer stopped;
    stopped.setSingleShot(true);
    QObject::connect(&stopped, &qel::TTimer::timeout, [&] { events.push_back({'x', watch.elapsed()}); });
    stopped.start(100);

    QEventLoop loop;
    qel::TTimer::singleShot(30, &loop, [&] {
        events.push_back({'a', watch.elapsed()});
        stopped.stop();
    });
    qel::TTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &qel::TTimer::timeout, [&] {
        EXPECT_FALSE(limit.isActive());
        events.push_back({'l', watch.elapsed()});
        loop.quit();
    });
    limit.start(20000);
    loop.exec();

    EXPECT_EQ(events, (std::vector<std::pair<char, qint64>>{{'a', 30}, {'t', 55}, {'l', 20000}}));
    EXPECT_EQ(ticks, 363);
    EXPECT_EQ(clock.Elapsed(), 20000ms);
    EXPECT_TRUE(tick.isActive());
    EXPECT_LT(qel::TSteady::now() - realStart, 5s);
}

// A handler of a posted event that waits in a nested loop on a timer (a
// driver's restart run from its event): the time still moves on for it.
TEST(VirtualClock, NestedLoopOfAPostedEventGetsItsTime)
{
    qel::TVirtualClock clock;
    QEventLoop outer;
    bool waited = false;
    // A step is queued by the outer loop before the event is handled.
    qel::TTimer::singleShot(5000, &outer, [&] { outer.quit(); });
    QMetaObject::invokeMethod(
        &outer,
        [&] {
            QEventLoop inner;
            qel::TTimer::singleShot(55, &inner, [&] { inner.quit(); });
            inner.exec();
            waited = true;
        },
        Qt::QueuedConnection);
    outer.exec();
    EXPECT_TRUE(waited);
    EXPECT_EQ(clock.Elapsed(), 5000ms);
}

// Held without its event loop, the time moves on at once; a timer due
// meanwhile fires afterwards, late, as on the real clock.
TEST(VirtualClock, SleepMovesTheTimeAndLeavesDueTimersLate)
{
    qel::TVirtualClock clock;
    qint64 firedAt = -1;
    qel::TStopwatch watch;
    QEventLoop loop;
    qel::TTimer::singleShot(10, &loop, [&] {
        firedAt = watch.elapsed();
        loop.quit();
    });
    qel::SleepFor(30);
    EXPECT_EQ(clock.Elapsed(), 30ms);
    EXPECT_EQ(firedAt, -1);
    loop.exec();
    EXPECT_EQ(firedAt, 30);
}

// Back on the real clock, the same timers run on Qt's.
TEST(VirtualClock, RealClockAgainOnceTheTestClockIsGone)
{
    qel::TTimer left;
    {
        qel::TVirtualClock clock;
        left.start(10);
    }
    EXPECT_FALSE(left.isActive()); // dropped with its clock, never fired

    int fired = 0;
    qel::TTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &qel::TTimer::timeout, [&] { ++fired; });
    const auto start = qel::TSteady::now();
    timer.start(20);
    ASSERT_TRUE(qeltest::waitUntil([&] { return fired == 1; }));
    EXPECT_GE(qel::TSteady::now() - start, 19ms);
    EXPECT_FALSE(timer.isActive());
}

} // namespace
