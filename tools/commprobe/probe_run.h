#pragma once

#include "tools/commprobe/probe_options.h"

#include <QTextStream>

// Carries out the probe; returns the exit status (see ProbeHelpText). Runs
// event loops of its own, so a QCoreApplication must exist.
int RunCommProbe(const ProbeOptions& opt, QTextStream& out, QTextStream& err);

// One exchange as the probe prints it.
QString ProbeResultLine(int result, const TRecTel& rsp);
