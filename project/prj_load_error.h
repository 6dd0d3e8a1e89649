#pragma once

#include <QString>

// Why the last project file did not load: the first fault the reader met.
struct TPrjLoadError {
    enum TKind {
        None,          // read completely
        Unreadable,    // the file is missing or cannot be read; Code is the I/O code
        NotAProject,   // no PROJECT section: some other file
        BadValue,      // the value in line Line is no valid number; Text is that line
        MissingValue,  // section Section lacks the key Text
    };
    TKind Kind = None;
    int Code = 0;
    int Line = 0;
    QString Section{};
    QString Text{};
};
