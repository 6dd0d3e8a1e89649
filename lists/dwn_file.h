#pragma once

// The text formats of download lists (*.dw5, the older *.dwn, read only)
// and operator-parameter lists (*.op5): Windows-1252 lines ending in CR LF
// (LF alone accepted). A line is either a remark (";" and the text) or up
// to four integer fields separated by "," with an optional ";" and note.
// What a line means for a list (configuration, columns, entries) depends on
// the project and is decided by the list's owner (dwn_load_engine.h).

#include "lists/dwn_entry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

constexpr int kDwnColCount = 8;
constexpr int kDwnMaxColWidth = 2000;
using TDwnColWidths = std::array<int, kDwnColCount>;
// The layout's column widths.
constexpr TDwnColWidths kDwnDefaultColWidths{45, 45, 50, 45, 40, 150, 140, 200};

// One line of a file after splitting and converting its fields.
struct TDwnFileLine {
    enum Kind {
        Empty,    // nothing but blanks
        Remark,   // Text is the remark
        Fields,   // one to four integer fields; Note after the first ";"
        Ignored,  // a decimal point, more than four fields, a field that
                  // is no integer or lies outside its range
    };
    Kind kind = Empty;
    int FieldCount = 0;
    int32_t Address = 0;
    int32_t Value = 0;
    int32_t Mode = 0;
    int32_t SetMask = -1;
    QString Text;  // remark text or note
};

// Fields: one Value; two Address, Value; three Address, Value, SetMask;
// four Address, Value, Mode, SetMask. Address and SetMask must fit in
// signed 16 bits, Mode in 0..255, Value in signed 32 bits.
TDwnFileLine ParseDwnLine(const QString& line);

// The file's bytes as lines: decoded from Windows-1252, split at LF with a
// CR before it removed.
QStringList SplitDwnFileLines(const QByteArray& bytes);

// What a list file holds besides its lines.
struct TDwnFileHeader {
    QStringList Remark;  // one string per remark line; empty: none written
    int32_t CfgId = 0;
    bool OpList = false;
    TDwnColWidths ColWidths = kDwnDefaultColWidths;
};

// The whole file: remark lines, the configuration (or operator-list) line,
// the eight column lines and one entry line per line. Line breaks inside a
// note or name become blanks, and a name's "," and ";" too, so every line
// reads back as written.
QByteArray DwnListBytes(const TDwnFileHeader& Header, const TDwnList& Lines);

// The operator description of an entry line's note: name, Mul, Div,
// Offset, Format, Attr (each only while a "," follows), then Flags up to
// the next ";"; what follows that ";" goes to LineNote. A field that does
// not convert (or lies outside its range) leaves it and the later ones at
// their defaults.
void ParseOpParaNote(const QString& Note, TParaRec& Para, QString& LineNote);

// GetDwnFileCfgId's answer for bytes already read: 0 when the first
// configuration-bearing line is an operator-list line or there is none,
// else the number of the first configuration line.
int DwnCfgIdOfBytes(const QByteArray& bytes);

// -1 when the file is missing, cannot be opened or fails while being read;
// otherwise as DwnCfgIdOfBytes.
int GetDwnFileCfgId(const QString& Name);

// ---- operator-parameter window's list

// One row of the operator-parameter window.
struct TOpParaRow {
    int16_t Address = 0;
    int32_t Value = 0;    // last value read
    int32_t SetMask = 0;  // 0..255
    const TParaRec* Para = nullptr;  // the row's description (none: defaults)
    // False when no value was ever read (or the last read failed): the row
    // is written read-only, so a download never sends a value nobody saw.
    bool Valid = true;
};

// "Standard", "InterBus", ... by the upper 16 bits of Id, "Unknown Type: n"
// for another number.
QString OpParaTypeText(int32_t Id);

// The *.op5 file of the rows: the identification remark, the operator-list
// configuration line with Id, one entry line per row (Attr and Flags
// unsigned).
QByteArray OpParaListBytes(int32_t Id, const std::vector<TOpParaRow>& Rows);
// Writes them to Name (replaced only when complete): 0 or the I/O code.
int WriteOpParaList(const QString& Name, int32_t Id, const std::vector<TOpParaRow>& Rows);
