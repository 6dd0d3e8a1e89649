#include "dialogs/glyph_button_layout.h"

namespace {

using Op = GlyphPaintOp;

Op polyline(GlyphColour c, std::vector<QPoint> pts)
{
    Op op;
    op.kind = Op::Polyline;
    op.colour = c;
    op.points = std::move(pts);
    return op;
}

Op rectOp(Op::Kind kind, GlyphColour c, const GdiRect& r)
{
    Op op;
    op.kind = kind;
    op.colour = c;
    op.rect = r;
    return op;
}

} // namespace

GlyphPlacement placeGlyphAndCaption(const GlyphDrawState& s, const GdiRect& r)
{
    GlyphPlacement p;
    p.textRect = r;
    // Integer division truncates toward zero, as the layout expects for
    // captions wider than the button.
    if (s.glyphKind == glNone) {
        p.textRect.left = (s.width - s.captionWidth) / 2;
        return p;
    }
    const int w = s.picture.width();
    const int h = s.picture.height();
    const int x = (s.client.width() - s.captionWidth - w - 4) / 2;
    const int y = (s.client.height() - h) / 2;
    p.textRect.left = x + w + 4;
    p.drawPicture = w > 0 && h > 0;
    p.pictureAt = s.pressed ? QPoint(x + 1, y + 1) : QPoint(x, y);
    return p;
}

std::vector<GlyphPaintOp> planGlyphButton(const GlyphDrawState& s)
{
    std::vector<Op> ops;
    GdiRect r{0, 0, s.client.width(), s.client.height()};

    if (s.isDefault || s.focused) {
        ops.push_back(rectOp(Op::Outline, GlyphColour::WindowText, r));
        r = r.shrunk(1);
    }
    ops.push_back(rectOp(Op::Fill, GlyphColour::Face, r));

    if (s.mouseInside) {
        // Raised: dark outer edge bottom right, light top left, shadow inside.
        ops.push_back(polyline(GlyphColour::WindowText,
            {{r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left - 1, r.bottom - 1}}));
        ops.push_back(polyline(GlyphColour::Highlight,
            {{r.left, r.bottom - 2}, {r.left, r.top}, {r.right - 1, r.top}}));
        ops.push_back(polyline(GlyphColour::Shadow,
            {{r.right - 2, r.top + 1}, {r.right - 2, r.bottom - 2}, {r.left, r.bottom - 2}}));
    } else {
        // Flat: a thin light/shadow frame.
        ops.push_back(polyline(GlyphColour::Highlight,
            {{r.left, r.bottom - 2}, {r.left, r.top}, {r.right - 1, r.top}}));
        ops.push_back(polyline(GlyphColour::Shadow,
            {{r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left - 1, r.bottom - 1}}));
    }

    if (s.pressed) {
        ops.push_back(rectOp(Op::Fill, GlyphColour::Face, r));
        ops.push_back(polyline(GlyphColour::Shadow,
            {{r.left, r.bottom - 2}, {r.left, r.top}, {r.right - 1, r.top}}));
        ops.push_back(polyline(GlyphColour::Highlight,
            {{r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left - 1, r.bottom - 1}}));
    }

    if (s.isDefault && s.focused) {
        r = r.shrunk(3);
        ops.push_back(rectOp(Op::FocusRect, GlyphColour::WindowText, r));
    }

    GlyphPlacement place = placeGlyphAndCaption(s, r);
    if (place.drawPicture) {
        Op pic;
        pic.kind = Op::Picture;
        pic.at = place.pictureAt;
        ops.push_back(pic);
    }
    GdiRect tr = place.textRect;
    if (s.pressed)
        tr = tr.moved(1, 1);

    if (s.enabled) {
        ops.push_back(rectOp(Op::Caption, GlyphColour::ButtonText, tr));
    } else {
        // Embossed: light copy one pixel down right, shadow copy on top.
        ops.push_back(rectOp(Op::Caption, GlyphColour::Highlight, tr.moved(1, 1)));
        ops.push_back(rectOp(Op::Caption, GlyphColour::Shadow, tr));
    }
    return ops;
}
