#include "dialogs/glyph_button.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "dialogs/glyph_pictures.h"

namespace {

QString withoutAmpersands(QString s)
{
    return s.remove(QLatin1Char('&'));
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// A pen move from a to b in GDI style: b itself is not drawn.
void gdiLine(QPainter& p, QPoint a, QPoint b)
{
    if (a == b)
        return;
    const QPoint end(b.x() - sign(b.x() - a.x()), b.y() - sign(b.y() - a.y()));
    p.drawLine(a, end);
}

void focusRect(QPainter& p, const GdiRect& r, const QColor& c)
{
    // Dotted, every other pixel, like the platform's focus rectangle.
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.setPen(c);
    for (int x = r.left; x < r.right; ++x)
        for (int y : {r.top, r.bottom - 1})
            if (((x + y) & 1) == 0)
                p.drawPoint(x, y);
    for (int y = r.top + 1; y < r.bottom - 1; ++y)
        for (int x : {r.left, r.right - 1})
            if (((x + y) & 1) == 0)
                p.drawPoint(x, y);
}

QRect toQRect(const GdiRect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

} // namespace

TVarneGlyphButton::TVarneGlyphButton(QWidget* parent)
    : QPushButton(parent)
{
    resize(75, 25);
    setAttribute(Qt::WA_Hover, true);
}

TVarneGlyphButton::~TVarneGlyphButton() = default;

void TVarneGlyphButton::SetGlyphKind(TGlyphKind kind)
{
    glyphKind_ = kind;
    QImage picture;
    if (loadGlyphPicture(kind, picture))
        glyph_ = picture;   // a kind without a picture keeps the old one
    glyphWidth_ = kind == glNone ? 0 : glyph_.width();
    update();
}

bool TVarneGlyphButton::pointerInside() const
{
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

GlyphDrawState TVarneGlyphButton::currentDrawState() const
{
    GlyphDrawState s;
    s.client = size();
    s.width = width();
    s.captionWidth = fontMetrics().horizontalAdvance(withoutAmpersands(text()));
    s.glyphKind = glyphKind_;
    s.picture = glyph_.size();
    s.pressed = isDown();
    s.focused = hasFocus();
    s.isDefault = isDefault();
    s.mouseInside = pointerInside();
    s.enabled = isEnabled();
    return s;
}

QColor TVarneGlyphButton::colour(GlyphColour role) const
{
    const QPalette& pal = palette();
    switch (role) {
    case GlyphColour::Face: return pal.color(QPalette::Button);
    case GlyphColour::WindowText: return pal.color(QPalette::WindowText);
    case GlyphColour::Highlight: return pal.color(QPalette::Light);
    case GlyphColour::Shadow: return pal.color(QPalette::Dark);
    case GlyphColour::ButtonText: return pal.color(QPalette::Active, QPalette::ButtonText);
    }
    return {};
}

void TVarneGlyphButton::paintEvent(QPaintEvent*)
{
    const GlyphDrawState state = currentDrawState();
    mouseInside_ = state.mouseInside;

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font());

    for (const GlyphPaintOp& op : planGlyphButton(state)) {
        switch (op.kind) {
        case GlyphPaintOp::Outline:
            if (op.rect.width() > 0 && op.rect.height() > 0) {
                p.setPen(colour(op.colour));
                p.setBrush(colour(GlyphColour::Face));
                p.drawRect(op.rect.left, op.rect.top, op.rect.width() - 1, op.rect.height() - 1);
                p.setBrush(Qt::NoBrush);
            }
            break;
        case GlyphPaintOp::Fill:
            if (op.rect.width() > 0 && op.rect.height() > 0)
                p.fillRect(toQRect(op.rect), colour(op.colour));
            break;
        case GlyphPaintOp::Polyline:
            p.setPen(colour(op.colour));
            for (size_t i = 1; i < op.points.size(); ++i)
                gdiLine(p, op.points[i - 1], op.points[i]);
            break;
        case GlyphPaintOp::FocusRect:
            focusRect(p, op.rect, colour(op.colour));
            break;
        case GlyphPaintOp::Picture:
            p.drawImage(op.at, glyph_);
            break;
        case GlyphPaintOp::Caption:
            if (op.rect.width() > 0 && op.rect.height() > 0) {
                // Clipped to the text rectangle like the platform's text
                // output; '&' marks the underlined accelerator letter.
                p.save();
                p.setClipRect(toQRect(op.rect));
                p.setPen(colour(op.colour));
                p.drawText(toQRect(op.rect),
                           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                           text());
                p.restore();
            }
            break;
        }
    }
}

void TVarneGlyphButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    if (!mouseInside_)
        update();
}

void TVarneGlyphButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    if (mouseInside_)
        update();
}

void TVarneGlyphButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A fast second click presses the button again.
    mousePressEvent(event);
}

void TVarneGlyphButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
}

QSize TVarneGlyphButton::sizeHint() const
{
    const int w = fontMetrics().horizontalAdvance(withoutAmpersands(text())) + glyphWidth_ + 16;
    return QSize(qMax(75, w), 25);
}

QSize TVarneGlyphButton::minimumSizeHint() const
{
    return sizeHint();
}
