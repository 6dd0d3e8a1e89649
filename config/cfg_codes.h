#pragma once

#include <QString>

// Result codes of the configuration files besides 0 and the I/O codes.
constexpr int kErrNotCfgFile = -1010;    // not a configuration (or .add) file
constexpr int kErrOtherCfgFile = -1011;  // .add file of another configuration
constexpr int kErrCancelled = -1020;     // cancelled by the user

// I/O error codes, numbered as the system's file layer numbers them.
constexpr int kIoFileNotFound = 2;
constexpr int kIoPathNotFound = 3;
constexpr int kIoAccessDenied = 5;
constexpr int kIoReadError = 100;   // read beyond the end or device error
constexpr int kIoWriteError = 101;  // disk full, device error

// The I/O code of a file that cannot be opened or created.
int IoOpenErrorCode(const QString& fileName, bool forWriting);
