#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

#include "dialogs/glyph_kind.h"

// Everything the glyph button draws, computed without a display so the
// geometry can be checked headless. Rectangles follow the GDI convention the
// drawing steps are written in: right and bottom are exclusive
// (GdiRect{l, t, r, b}). Lines are pen moves whose end point is not drawn.

struct GdiRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    GdiRect shrunk(int d) const { return {left + d, top + d, right - d, bottom - d}; }
    GdiRect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const GdiRect&) const = default;
};

// The colour roles of the button's drawing (the platform's system colours).
enum class GlyphColour { Face, WindowText, Highlight, Shadow, ButtonText };

// One drawing step of the button, executed in order by the widget.
struct GlyphPaintOp {
    enum Kind {
        Outline,    // rect framed in `colour` and filled with the face colour
        Fill,       // rect filled with `colour`
        Polyline,   // pen moves through `points` in `colour`, last point not drawn
        FocusRect,  // dotted focus rectangle on rect
        Picture,    // the glyph at `at`
        Caption,    // caption in `colour`, single line, vertically centred in rect
    };
    Kind kind = Fill;
    GlyphColour colour = GlyphColour::Face;
    GdiRect rect;
    std::vector<QPoint> points;
    QPoint at;
};

// State of one draw request.
struct GlyphDrawState {
    QSize client;              // client area of the button
    int width = 0;             // the button's Width (equals client width for a child button)
    int captionWidth = 0;      // width of the caption with every '&' removed
    TGlyphKind glyphKind = glNone;
    QSize picture;             // size of the loaded glyph picture
    bool pressed = false;
    bool focused = false;
    bool isDefault = false;
    bool mouseInside = false;
    bool enabled = true;
};

// Where the glyph and the caption go (step "placement" of the drawing).
struct GlyphPlacement {
    bool drawPicture = false;
    QPoint pictureAt;
    GdiRect textRect;   // caption starts at textRect.left, centred vertically
};

GlyphPlacement placeGlyphAndCaption(const GlyphDrawState& s, const GdiRect& r);

// The complete list of drawing steps for a state.
std::vector<GlyphPaintOp> planGlyphButton(const GlyphDrawState& s);
