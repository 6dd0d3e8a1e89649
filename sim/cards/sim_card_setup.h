#pragma once

// The set-up file of a simulated card, named by an environment variable
// (QEL_SIMCAN_SETUP, QEL_SIMIBS_SETUP, QEL_SIMPBS_SETUP), so that programs that load the card
// library (commprobe, the demo) get inverters behind it. JSON:
//
//   { "inverters": [ { "address": 1, "config": "data/configs/type0021.json",
//                      "cfgid": 21, "fault": "delay=50*always",
//                      "kind": "pcp" | "handshake" | "other" } ],
//     "fault": "silence*2" }
//
// "config" (a configuration source; relative paths are taken from the
// file's folder, then from the working folder) or "cfgid" (a bare
// inverter); "kind" only for the Interbus board (default "pcp").

#include "sim/sim_fault.h"
#include "sim/sim_inverter.h"

#include <QString>

#include <memory>
#include <vector>

namespace qelsim {

struct SimCardEntry {
    std::shared_ptr<SimInverter> inverter;
    QString kind;
};

struct SimCardSetup {
    std::vector<SimCardEntry> entries;
    SimFault cardFault;
    bool hasCardFault = false;
};

// False with a message when the file cannot be read or is wrong.
bool LoadSimCardSetup(const QString& path, SimCardSetup& out, QString& error);

// Reads the file named by `envVar`; nothing when unset. A wrong file is
// reported on stderr and ignored.
SimCardSetup SimCardSetupFromEnv(const char* envVar);

} // namespace qelsim
