#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// The index of the installed configuration files: number, family and type
// name of every "ParaNNNN.bin" in the configuration directory, cached in
// "binfiles.lst" in the data directory so that only new or changed files
// are opened at start-up.

// One configuration file of the index.
struct TCfgFileRec {
    int16_t CfgId = 0;      // from the file name
    QString GroupName;      // at most 47 characters
    QString TypeName;       // at most 47 characters
    QString FileName;       // first nine characters of the name ("Para0012.")
    int32_t FileTime = 0;   // see CfgFileTime
    int32_t FileSize = 0;

    bool operator==(const TCfgFileRec&) const = default;
};

using TCfgFileList = std::vector<TCfgFileRec>;

namespace CfgIndex {
inline constexpr int32_t kVersion = 1;
inline constexpr int kRecordSize = 116;
inline constexpr int kFileNameLen = 9;
inline const QString kIndexName = QStringLiteral("binfiles.lst");
inline const QString kPattern = QStringLiteral("PARA????.BIN");
inline const QString kInvalidGroup = QStringLiteral("(invalid files)");
inline const QString kInvalidType = QStringLiteral("(invalid file)");
inline const QString kWriteError = QStringLiteral("Cannot write index file: ");
} // namespace CfgIndex

// The 32-bit time stamp kept per file: the modification time as a DOS packed
// date and time (bits 25-31 year - 1980, 21-24 month, 16-20 day, 11-15 hour,
// 5-10 minute, 0-4 seconds / 2), taken in UTC so that a change of time zone
// or daylight saving time does not make every file look changed. Years
// outside 1980..2107 are clamped.
int32_t CfgFileTime(const QString& path);

// What one scan did; the program ignores it, tests look at it.
struct TCfgScanReport {
    int filesRead = 0;       // configuration files opened
    bool indexChanged = false;
    bool indexWritten = false;
    bool writeFailed = false;
};

// Lists the configuration files in binPath (the directory, with or without
// a final separator), taking unchanged ones from dataPath's "binfiles.lst",
// appends their records to `index` and rewrites the index file when
// anything changed. Names are matched without regard to case, as the
// directory search of the system's origin did; files come in name order.
TCfgScanReport ScanCfgFiles(const QString& binPath, const QString& dataPath, TCfgFileList& index);

// The plain message box for index problems. The program sets it once it has
// its message dialog; unset, the text goes to stderr. Null restores that.
using TPlainMessageFn = std::function<void(const QString& text)>;
void SetCfgIndexMessageHandler(TPlainMessageFn fn);

// The index file's bytes, and its records as read (stopping at the first
// incomplete record; a version other than 1 gives none).
QByteArray BuildCfgIndexFile(const TCfgFileList& records);
TCfgFileList ParseCfgIndexFile(const QByteArray& data);
