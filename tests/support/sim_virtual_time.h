#pragma once

// The program and the simulator on one virtual clock: a wait of seconds
// for a silent inverter runs in a moment, with the same events in the same
// order. While it lives, the simulator's delays and character times take
// program time, and the time holds while bytes are on their way between a
// port and the simulator. Simulators that use it must be gone before it
// (declare it before them).

#include "platform/virtual_clock.h"
#include "sim/sim_clock.h"

namespace qeltest {

class SimVirtualTime final : public qelsim::SimClock {
public:
    SimVirtualTime() { qelsim::setSimClock(this); }
    ~SimVirtualTime() override { qelsim::setSimClock(nullptr); }

    std::chrono::steady_clock::time_point now() const override { return clock.Now(); }
    bool sleepUntil(std::chrono::steady_clock::time_point t, const std::atomic<bool>& stop,
                    const std::function<void()>& idle) override
    {
        return clock.SleepUntil(t, stop, idle);
    }
    void flow(long delta) override { qel::LineFlow(delta); }

    qel::TVirtualClock clock;
};

} // namespace qeltest
