#pragma once

#include <QString>

#include <array>

// Configuration numbers a file names, for the project built around a file
// given on the command line. These answer -1 (no number) until the download
// list and scope file readers exist; their modules then provide the real
// functions and these two go.

// The configuration number of a download list; -1 none.
int GetDwnFileCfgId(const QString& FileName);

// The four configuration numbers of a scope recording; -1 each when none.
std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName);
