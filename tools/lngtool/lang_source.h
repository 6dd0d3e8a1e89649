#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

#include "platform/codepage.h"

// The readable source form of a language file and the key inventory it is
// checked against.
//
// Source (UTF-8): "[n]" starts section n (0 to 19); "i=text" is entry i of
// that section. Blank lines and lines starting with "#" are skipped. The text
// after "=" is taken as it stands, with these escapes: "\n" ends one line of
// the entry and starts the next, "\\" a backslash, "\t" a tab, "\s" a space
// (for leading or trailing blanks); a text of only "\z" is an entry without
// lines. Indices of a section run from 0 without gaps, since a gap would shift
// every later entry of the section.
namespace lngsrc {

using Entry = QStringList;                    // the lines of one entry
using Section = std::vector<Entry>;           // entries by index
using Sections = std::map<int, Section>;      // sections by number

struct ParseResult {
    Sections sections;
    QStringList errors;  // "line N: ..." for every fault found
};

ParseResult parseSource(const QString& text);

// The source text of the sections (as lngtool dumps a file).
QString formatSource(const Sections& sections);

// Escaping of one entry's lines into a source value, and back.
QString escapeEntry(const Entry& entry);
std::optional<Entry> unescapeEntry(const QString& value, QString* error = nullptr);

// The ".srb" bytes (version 5, magic "VORTALIN50_SRB"); empty on failure with
// the reasons in `errors` (a character the code page lacks, a line longer than
// 255 bytes, a section number outside 0 to 19).
QByteArray compile(const Sections& sections, CodePage cp, QStringList* errors);

// One key of the inventory: a text that the programs look up by
// (section, index), what it is used as, and what its wording must contain.
struct InventoryKey {
    int section = 0;
    int index = 0;
    QString role;            // window, control, message, button, text, codes (comma-separated when several)
    QString lines;           // "n": exactly n lines ("1": only line 0 is used); "n+": at least n, all shown;
                             // "codes": "code=text" lines
    QString germanDefault;   // the built-in German text, escaped like a source value; empty when none
    QStringList placeholders;  // "@P1" ... that the caller fills
    QString note;            // where it is used
};

struct InventoryResult {
    std::vector<InventoryKey> keys;
    QStringList errors;
};

// Tab-separated, header line first: section, index, role, lines, placeholders
// (comma-separated), german_default, note. Lines starting with "#" are
// skipped.
InventoryResult parseInventory(const QString& text);

// The result codes that entry 0 of section 9 must name.
std::vector<int> requiredResultCodes();

// Checks a parsed source against the inventory: every key present with the
// number of lines its use needs, no button caption that the message dialog
// would read as a glyph code, every placeholder the caller fills present and
// no other, section 9's code lines complete; with `german` set, every built-in
// German default used as it stands. Returns the faults found.
QStringList checkAgainstInventory(const Sections& sections, const std::vector<InventoryKey>& keys,
                                  bool german);

} // namespace lngsrc
