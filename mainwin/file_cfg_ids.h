#pragma once

#include "lists/dwn_file.h"  // GetDwnFileCfgId

#include <QString>

#include <array>

// Configuration numbers a file names, for the project built around a file
// given on the command line: the download list's from lists/, the scope
// recording's read by the scope's file reader.

// The four configuration numbers of a scope recording; -1 each when the
// file is missing or short, 0 each for a file that is no recording.
std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName);
