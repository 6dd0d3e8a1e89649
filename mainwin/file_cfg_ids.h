#pragma once

#include <QString>

#include <array>

// Configuration numbers a file names, for the project built around a file
// given on the command line. The scope one answers -1 (no number) until the
// scope module provides the real function; the download-list one is the
// download lists' own (lists/dwn_file.h).

// The configuration number of a download list; -1 none.
int GetDwnFileCfgId(const QString& FileName);

// The four configuration numbers of a scope recording; -1 each when none.
std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName);
