#pragma once

// The inverters' side of one DIN 66019 II line: takes each request frame,
// finds the addressed inverter (a frame without address part goes to the
// one addressed last), applies the next fault and returns the bytes to
// send back.

#include "sim/sim_din_frames.h"
#include "sim/sim_server_base.h"

#include <vector>

namespace qelsim {

class SimDinResponder {
public:
    explicit SimDinResponder(SimServerBase& bus) : bus_(bus) {}

    std::vector<SimChunk> respond(const din::Frame& frame);
    void reset() { selected_ = -1; }

private:
    SimServerBase& bus_;
    int selected_ = -1;
};

} // namespace qelsim
