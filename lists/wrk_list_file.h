#pragma once

// The work-list file "*.wr5" (read and written) and the trace file "*.trc"
// (read only): single-byte text in Windows-1252, lines ended by CR LF (CR or
// LF alone also read). Only the text form lives here; the window looks the
// parameters up.

#include "lists/wrk_list_item.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace wrkfile {

// Lines of a text split at CR LF, CR or LF; a final line break adds no line.
QStringList SplitLines(const QString& text);

// A decimal integer with an optional sign, nothing else; false otherwise.
bool ParseDec(QStringView text, int32_t& out);

// One row line, "inverter,set,address;remark". False: the line is
// rejected (a field is not an integer). A line whose numbers are out of
// range gives a blank row (-1, -1, -1) with its remark. Para stays null.
bool ParseLine(const QString& line, TWrkListItem& row);

// The file text of a work list: six column widths, the comment lines and
// one line per row (line breaks in a remark written as blanks).
QByteArray WrkFileBytes(const std::array<int, 6>& widths, const QStringList& comments,
                        const std::vector<std::shared_ptr<TWrkListItem>>& rows);

// The comment lines of the memo's text: one per memo line; a final line
// break adds no line (as reading the file back rules).
QStringList MemoCommentLines(const QString& Memo);

// What a work-list file holds, as far as it could be read.
struct WrkFileContent {
    bool Ok = true;  // false: a column width was not a number (reading stopped there)
    std::array<std::optional<int>, 6> Widths;
    QStringList Comments;
    std::vector<std::shared_ptr<TWrkListItem>> Rows;
};
WrkFileContent ReadWrkFile(const QByteArray& bytes);

// Pairs of lines, inverter address then parameter address. Ok false: an
// odd line count (no rows at all) or a line that is not a number (the rows
// before it are kept). Rows get set selector -1; no range check.
struct TraceFileContent {
    bool Ok = true;
    std::vector<std::shared_ptr<TWrkListItem>> Rows;
};
TraceFileContent ReadTraceFile(const QByteArray& bytes);

// ".trc" exactly (compared with case): the file is read as a trace file.
bool IsTraceFileName(const QString& path);
// The extension of the file-name part, with its dot; empty when none.
QString Extension(const QString& path);

} // namespace wrkfile
