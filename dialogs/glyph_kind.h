#pragma once

#include <cstdint>

// The pictures a glyph button can show left of its caption. The numbers
// matter: message-dialog captions select a glyph by their first character
// ('0' + kind, ':' for glNone).
enum TGlyphKind : std::uint8_t {
    glOK = 0,
    glCancel = 1,
    glHelp = 2,
    glYes = 3,
    glNo = 4,
    glClose = 5,
    glAbort = 6,
    glRetry = 7,
    glIgnore = 8,
    glAll = 9,
    glNone = 10,
};

constexpr int kGlyphKindCount = 11;
