#pragma once

#include <QString>

#include <array>

// Configuration numbers a file names, for the project built around a file
// given on the command line, read by the download-list and scope modules.

// The configuration number of a download list; -1 none (lists/dwn_file.cpp).
int GetDwnFileCfgId(const QString& FileName);

// The four configuration numbers of a scope recording; -1 each when the
// file is missing or short, 0 each for a file that is no recording.
std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName);
