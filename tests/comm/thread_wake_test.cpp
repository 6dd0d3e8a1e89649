// The wake-up a card library's thread gives the GUI thread: signals from a
// foreign thread coalesce into one wake-up until it is taken, and a
// wake-up on its way holds a virtual clock until the GUI thread took it.

#include "comm/thread_wake.h"
#include "platform/virtual_clock.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Signals n times from a thread of its own, which has ended on return.
void SignalFromThread(TThreadWake& wake, int n)
{
    std::thread t([&] {
        for (int i = 0; i < n; ++i)
            wake.Signal();
    });
    t.join();
}

TEST(ThreadWake, SignalsOfAnotherThreadCoalesceUntilTheWakeUpIsTaken)
{
    qel::TVirtualClock clock;
    int wakes = 0;
    TThreadWake wake([&] { ++wakes; });
    ASSERT_TRUE(wake.IsValid());

    SignalFromThread(wake, 50);
    // On its way until the GUI thread has taken it: the time holds.
    EXPECT_EQ(qel::LineInFlight(), 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return wakes > 0; }, 5000));
    EXPECT_EQ(qel::LineInFlight(), 0);
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(wakes, 1);

    // Taken: the next signal wakes again.
    SignalFromThread(wake, 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return wakes > 1; }, 5000));
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(qel::LineInFlight(), 0);
}

TEST(ThreadWake, ACancelledWakeUpIsDroppedAndGivesTheTimeBack)
{
    qel::TVirtualClock clock;
    int wakes = 0;
    TThreadWake wake([&] { ++wakes; });
    SignalFromThread(wake, 3);
    wake.Cancel();
    EXPECT_EQ(qel::LineInFlight(), 0);
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(wakes, 0);
}

} // namespace
