#pragma once

// Quintel-mode values at QuintelSel + n: each such parameter is an alias of
// entry n's target parameter (n = 0: the password parameter), so a value
// written to the target shows in the Quintel table and the other way round.

#include "sim/sim_model.h"

#include <cstdint>
#include <functional>

namespace qelsim {

// The target for which `addr` stands, or -1 when `addr` is no such alias
// (no values at QuintelSel, n outside the table, or entry n undefined).
// `stored` reads a parameter's set-0 value (the target table of an
// inverter that keeps entries in parameter pairs).
int quintelAliasTarget(const SimModel& model, uint16_t addr, const std::function<int32_t(uint16_t)>& stored);

} // namespace qelsim
