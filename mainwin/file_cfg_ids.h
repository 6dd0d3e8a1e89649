#pragma once

#include "lists/dwn_file.h"

#include <QString>

#include <array>

// Configuration numbers a file names, for the project built around a file
// given on the command line. A download list's comes from its reader
// (GetDwnFileCfgId); a scope recording's answers -1 until the scope file
// reader is wired in, and this one then goes.

// The four configuration numbers of a scope recording; -1 each when none.
std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName);
