#pragma once

#include "config/cfg_records.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// One clipboard content: copied parameter rows together with their text
// form. Built by a copying window, handed to TVortalinClpBrd, read (never
// changed) by pasting windows.

// Which parts of a content are valid (TIntClpBrd::Flags).
inline constexpr uint8_t cbfLines = 0x01;    // Lines valid; stored contents go to the system clipboard
inline constexpr uint8_t cbfInvAdr = 0x02;   // the items' InvAdr
inline constexpr uint8_t cbfSetSel = 0x04;   // the items' SetSel
inline constexpr uint8_t cbfAddress = 0x08;  // the items' Address
inline constexpr uint8_t cbfValue = 0x10;    // the items' Value
inline constexpr uint8_t cbfRemark = 0x20;   // the items' Remark
// What the windows set: copied text only, explorer parameters, list rows.
inline constexpr uint8_t cbfTextOnly = cbfLines;
inline constexpr uint8_t cbfParameters = cbfLines | cbfInvAdr | cbfSetSel | cbfAddress;
inline constexpr uint8_t cbfRows = cbfParameters | cbfValue | cbfRemark;

// Kinds of a copied row.
inline constexpr uint8_t cbkParameter = 0;
inline constexpr uint8_t cbkBlank = 1;
inline constexpr uint8_t cbkUserStep = 2;
inline constexpr uint8_t cbkOperator = 3;

// One copied row.
struct TClpBrdItem {
    int InvAdr = 0;
    int SetSel = 0;   // used as 16-bit
    int Address = 0;  // used as 16-bit
    // Shared with the copying window's line: the description outlives a
    // window that closes while the row is on the clipboard.
    std::shared_ptr<const TParaRec> Para;
    int Value = 0;
    // False for a row copied before its value was read: pasted, it must
    // stay unread rather than become a valid 0.
    bool ValueValid = false;
    uint8_t Kind = cbkParameter;
    QString Remark;
};

class TIntClpBrd {
public:
    std::vector<TClpBrdItem> Items;
    QStringList Lines;
    uint8_t Flags = 0;

    int Count() const { return int(Items.size()); }
    // Rows paste only with addresses, sets and inverters valid.
    bool PastesRows() const
    {
        return (Flags & (cbfInvAdr | cbfSetSel | cbfAddress)) == (cbfInvAdr | cbfSetSel | cbfAddress);
    }
    bool HasValues() const { return (Flags & cbfValue) != 0; }
    bool HasRemarks() const { return (Flags & cbfRemark) != 0; }
    bool HasLines() const { return (Flags & cbfLines) != 0; }
    // The lines as the system clipboard gets them: CR LF between lines,
    // none after the last.
    QString Text() const { return Lines.join(QStringLiteral("\r\n")); }
};
