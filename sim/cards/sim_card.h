#pragma once

// The part of the control interface every simulated card library offers
// (sim_can_card.h, sim_ibs_card.h, sim_pbs_card.h): a test reaches it
// through the library's control function (dlsym) and drives the card from
// there.

#include "sim/sim_clock.h"
#include "sim/sim_fault.h"
#include "sim/sim_inverter.h"

#include <cstdint>
#include <memory>

namespace qelsim {

class SimCard {
public:
    virtual ~SimCard() = default;

    // Everything back to a fresh card (what that is, each card says).
    virtual void reset() = 0;
    // The time of the card and its inverters; null: the steady clock. The
    // library holds its own copy of the simulator, which the test's
    // setSimClock does not reach.
    virtual void setClock(SimClock* clock) = 0;

    // An inverter behind the card at `address`; a bare one is created by
    // the first form.
    virtual std::shared_ptr<SimInverter> addInverter(int address, int32_t cfgId = 1) = 0;
    virtual void addInverter(const std::shared_ptr<SimInverter>& inv) = 0;
    virtual std::shared_ptr<SimInverter> inverter(int address) const = 0;

    // Faults for requests whose inverter has none queued.
    virtual SimFaultQueue& faults() = 0;
};

} // namespace qelsim
