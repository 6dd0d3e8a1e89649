#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` to a temporary file beside `fileName`, checks every write,
// syncs it and renames it over `fileName` only when it is complete, so a
// failed save never damages the existing file. Returns 0 or the I/O code
// (cfg_codes.h); a write-protected file gives kIoAccessDenied and stays. (QSaveFile is not used: it reports success after a short
// write when the file size limit or the disk runs out.)
int SaveFileAtomically(const QString& fileName, const QByteArray& bytes);
