#pragma once

#include <QColor>
#include <QImage>

#include "dialogs/glyph_kind.h"

// The button glyphs of the programs: 18 x 18 pictures in the 16 standard
// colours, drawn on olive, which is their transparent colour.

inline const QColor kGlyphTransparent{128, 128, 0};
constexpr int kGlyphSize = 18;

// The picture of `kind` with the olive pixels made transparent, in `out`.
// Returns false (and leaves `out` alone) for a number that names no glyph,
// the one way loading a glyph can fail.
bool loadGlyphPicture(int kind, QImage& out);

// The resource name each kind was known by ("GLOK" ...), for messages and
// tests; empty for an unknown kind.
const char* glyphResourceName(int kind);
