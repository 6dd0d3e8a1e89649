#pragma once

// One line of a download list and the list itself. Lines are shared so a
// drag can carry the marked lines themselves and keep them alive after the
// window dropped them; a line holds its parameter description the same way
// (for a configuration's parameter an aliasing pointer that keeps the whole
// configuration), so nothing it refers to dangles when the inverter leaves
// the project.

#include "config/cfg_records.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// Transfer modes of a line.
namespace DwnMode {
constexpr uint8_t RW = 0;        // read and written
constexpr uint8_t RO = 1;        // never written by a download
constexpr uint8_t WA = 2;        // written in every transfer
constexpr uint8_t WO = 3;        // never read by upload or compare
constexpr uint8_t Blank = 5;     // no parameter, never transferred
constexpr uint8_t UserStep = 10; // a pause or a message during a transfer
}  // namespace DwnMode

// File-only marks of the third field: configuration, column and
// operator-list lines.
namespace DwnFileMode {
constexpr int CfgLine = 100;
constexpr int ColLine = 101;
constexpr int OpListLine = 102;
}  // namespace DwnFileMode

struct TDwnEntry {
    int32_t Value = 0;    // raw value; in a user step the wait (< 0, ms) or message switch
    int16_t SetMask = 0;  // -1 indirect, 0 actual set, 1..255 sets 0..7
    int16_t Address = 0;  // 0 in blank lines and user steps
    std::shared_ptr<TParaRec> Para;  // none: unknown parameter, blank line, user step
    uint8_t Mode = DwnMode::RW;
    uint8_t OwnsPara = 0;  // Para is the line's own copy (operator lists)
    uint8_t Selected = 0;  // marked in the window
    QString Note;          // at most 255 characters

    bool IsBlank() const { return Mode == DwnMode::Blank; }
    bool IsUserStep() const { return Mode == DwnMode::UserStep; }
};

using TDwnEntryPtr = std::shared_ptr<TDwnEntry>;
// Index 0 is the first line.
using TDwnList = std::vector<TDwnEntryPtr>;

constexpr int kDwnNoteLen = 255;

// Frees the line at Index (with its own description) and removes it; an
// index outside the list is left alone.
void DeleteDwnEntry(TDwnList& List, int Index);

// Frees and removes every marked line in one pass; the index of the first
// line removed, -1 when none was marked.
int DeleteMarkedDwnEntries(TDwnList& List);

// The mode a description asks for: none 0 (RW); flag 0x2000 WO before
// 0x1000 WA before 0x20000 RO.
uint8_t DwnParaMode(const TParaRec* Para);

// A configuration's description of Addr, sharing ownership of the whole
// configuration; none when either is missing.
std::shared_ptr<TParaRec> FindSharedPara(const std::shared_ptr<TCfgRec>& Cfg, int Addr);
