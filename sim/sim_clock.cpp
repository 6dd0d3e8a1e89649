#include "sim/sim_clock.h"

namespace qelsim {

namespace {
std::atomic<SimClock*> current{nullptr};
}

SimClock* simClock() { return current.load(std::memory_order_acquire); }

void setSimClock(SimClock* clock) { current.store(clock, std::memory_order_release); }

} // namespace qelsim
