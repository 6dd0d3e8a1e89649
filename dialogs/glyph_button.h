#pragma once

#include <QImage>
#include <QPushButton>

#include "dialogs/glyph_button_layout.h"
#include "dialogs/glyph_kind.h"

// The push button of every dialog: draws itself flat with a thin frame,
// raised while the pointer is over it, sunken while pressed, with an
// optional glyph left of the caption, glyph and caption centred together.
// The geometry comes from planGlyphButton(); this class only paints it.
class TVarneGlyphButton : public QPushButton {
    Q_OBJECT
public:
    explicit TVarneGlyphButton(QWidget* parent = nullptr);
    ~TVarneGlyphButton() override;

    TGlyphKind GlyphKind() const { return glyphKind_; }
    // Loads the picture of `kind` (a kind that names no picture keeps the
    // old one) and recomputes GlyphWidth; runs also for the current kind.
    void SetGlyphKind(TGlyphKind kind);

    // Width of the glyph for callers that size the button. Stored layouts
    // may overwrite it; drawing measures the picture itself.
    int GlyphWidth() const { return glyphWidth_; }
    void SetGlyphWidth(int width) { glyphWidth_ = width; }

    const QImage& Glyph() const { return glyph_; }

    // Whether the button shows the default-button look (follows the
    // dialog's default button as the focus moves between buttons).
    bool IsDefault() const { return isDefault(); }
    // Whether the pointer lay over the button when it was last drawn.
    bool MouseInside() const { return mouseInside_; }

    // What the next paint would draw, from the current widget state.
    GlyphDrawState currentDrawState() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool pointerInside() const;
    QColor colour(GlyphColour role) const;

    bool mouseInside_ = false;
    TGlyphKind glyphKind_ = glNone;
    int glyphWidth_ = 0;
    QImage glyph_;
};
