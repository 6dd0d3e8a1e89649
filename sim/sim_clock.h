#pragma once

// The simulator's time. By default the steady clock with real sleeps; a
// test running the program on a virtual clock hands the simulator the same
// time (tests/support/sim_virtual_time.h), so that an answer delay or the
// character times of a slow line take program time, and tells the clock
// what the simulator has on its way.

#include <atomic>
#include <chrono>
#include <functional>

namespace qelsim {

class SimClock {
public:
    virtual ~SimClock() = default;
    virtual std::chrono::steady_clock::time_point now() const = 0;
    // Called by a line's thread while it works on what it received (one
    // unit of work on its way); false when `stop` was set meanwhile.
    // `idle` runs every few milliseconds of the sleep (see asleepBytes).
    virtual bool sleepUntil(std::chrono::steady_clock::time_point t, const std::atomic<bool>& stop,
                            const std::function<void()>& idle) = 0;
    // Work put on its way (bytes written, a request taken up: positive) or
    // dealt with (bytes read, the request done: negative).
    virtual void flow(long delta) = 0;
};

// The clock in use; null: the steady clock.
SimClock* simClock();
void setSimClock(SimClock* clock);

inline std::chrono::steady_clock::time_point simNow()
{
    const SimClock* c = simClock();
    return c ? c->now() : std::chrono::steady_clock::now();
}

inline void simFlow(long delta)
{
    if (SimClock* c = simClock())
        c->flow(delta);
}

} // namespace qelsim
