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
