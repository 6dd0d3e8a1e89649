#pragma once

#include "lists/dwn_file.h"  // GetDwnFileCfgId

#include <QString>

#include <array>

// Configuration numbers a file names, for the project built around a file
// given on the command line. This one answers -1 (no number) until the
// scope file reader exists; its module then provides the real function and
// this one goes.

// The four configuration numbers of a scope recording; -1 each when none.
std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName);
