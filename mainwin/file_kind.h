#pragma once

#include <QString>

// What the main window does with a file it is asked to open, told by the
// file's extension compared in lower case.
enum class TFileKind {
    Other,         // Open: ignored; explorer request: handed to the desktop
    Project,       // ".pr5" (Open only)
    WorkList,      // ".wr5", ".trc"
    DownloadList,  // ".dw5", ".dwn", ".op5"
    Scope,         // ".sc5"
};

TFileKind FileKindOf(const QString& FileName);

// The result number of a refused desktop open, as the shell reports it:
// 2 when the file does not exist, 31 (no application) otherwise.
int ShellOpenErrorCode(const QString& FileName);
