#include "dialogs/glyph_button.h"
#include "dialogs/glyph_button_layout.h"
#include "dialogs/glyph_pictures.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include "tests/support/wait_until.h"

namespace {

GlyphDrawState state75x25(int captionWidth, TGlyphKind kind, bool pressed = false)
{
    GlyphDrawState s;
    s.client = QSize(75, 25);
    s.width = 75;
    s.captionWidth = captionWidth;
    s.glyphKind = kind;
    s.picture = kind == glNone ? QSize() : QSize(18, 18);
    s.pressed = pressed;
    return s;
}

const GlyphPaintOp* findOp(const std::vector<GlyphPaintOp>& ops, GlyphPaintOp::Kind kind, int nth = 0)
{
    for (const auto& op : ops)
        if (op.kind == kind && nth-- == 0)
            return &op;
    return nullptr;
}

struct PlaceCase {
    const char* name;
    int captionWidth;
    TGlyphKind kind;
    bool pressed;
    bool picture;
    QPoint pictureAt;
    int textLeft;
    int textTop;
};

TEST(GlyphButtonLayout, GlyphAndCaptionAreCentredTogether)
{
    const PlaceCase cases[] = {
        {"glyph", 15, glOK, false, true, {19, 3}, 41, 0},
        {"glyph pressed", 15, glOK, true, true, {20, 4}, 42, 1},
        {"no glyph centres the caption", 15, glNone, false, false, {}, 30, 0},
        {"caption wider than button, truncated toward zero", 80, glNone, false, false, {}, -2, 0},
        {"glyph and wide caption", 60, glYes, false, true, {-3, 3}, 19, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ops = planGlyphButton(state75x25(c.captionWidth, c.kind, c.pressed));
        const GlyphPaintOp* pic = findOp(ops, GlyphPaintOp::Picture);
        ASSERT_EQ(pic != nullptr, c.picture);
        if (pic) {
            EXPECT_EQ(pic->at, c.pictureAt);
        }
        const GlyphPaintOp* caption = findOp(ops, GlyphPaintOp::Caption);
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->rect.left, c.textLeft);
        EXPECT_EQ(caption->rect.top, c.textTop);
    }
}

TEST(GlyphButtonLayout, DefaultFocusAndDisabledLooks)
{
    GlyphDrawState s = state75x25(15, glOK);
    s.focused = true;
    s.isDefault = true;
    auto ops = planGlyphButton(s);
    ASSERT_EQ(ops.front().kind, GlyphPaintOp::Outline);
    EXPECT_EQ(ops.front().rect, (GdiRect{0, 0, 75, 25}));
    const GlyphPaintOp* focus = findOp(ops, GlyphPaintOp::FocusRect);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->rect, (GdiRect{4, 4, 71, 21}));   // 4 pixels inside the edge

    s.isDefault = false;   // focused only: outline, no focus rectangle
    ops = planGlyphButton(s);
    EXPECT_EQ(ops.front().kind, GlyphPaintOp::Outline);
    EXPECT_EQ(findOp(ops, GlyphPaintOp::FocusRect), nullptr);

    s.focused = false;     // neither: no outline
    ops = planGlyphButton(s);
    EXPECT_EQ(findOp(ops, GlyphPaintOp::Outline), nullptr);

    s.enabled = false;     // embossed: highlight one pixel down right, shadow on top
    ops = planGlyphButton(s);
    const GlyphPaintOp* first = findOp(ops, GlyphPaintOp::Caption, 0);
    const GlyphPaintOp* second = findOp(ops, GlyphPaintOp::Caption, 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->colour, GlyphColour::Highlight);
    EXPECT_EQ(second->colour, GlyphColour::Shadow);
    EXPECT_EQ(first->rect, second->rect.moved(1, 1));
}

TEST(GlyphPictures, ElevenPicturesKeyedOnOlive)
{
    for (int k = 0; k < kGlyphKindCount; ++k) {
        SCOPED_TRACE(glyphResourceName(k));
        QImage img;
        ASSERT_TRUE(loadGlyphPicture(k, img));
        ASSERT_EQ(img.size(), QSize(18, 18));
        int opaque = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 18; ++x) {
                const QRgb px = img.pixel(x, y);
                if (qAlpha(px) == 0)
                    continue;
                ++opaque;
                EXPECT_NE(QColor(px).rgb() & 0xFFFFFF, kGlyphTransparent.rgb() & 0xFFFFFF);
            }
        if (k == glNone) {
            EXPECT_EQ(opaque, 0);
        } else {
            EXPECT_GT(opaque, 10);
        }
    }
    QImage untouched(3, 3, QImage::Format_ARGB32);
    EXPECT_FALSE(loadGlyphPicture(kGlyphKindCount, untouched));
    EXPECT_EQ(untouched.size(), QSize(3, 3));
}

TEST(GlyphButton, GlyphKindSetsWidthAndKeepsPictureOnFailure)
{
    TVarneGlyphButton b;
    EXPECT_EQ(b.size(), QSize(75, 25));
    EXPECT_EQ(b.GlyphKind(), glNone);
    EXPECT_EQ(b.GlyphWidth(), 0);

    b.SetGlyphKind(static_cast<TGlyphKind>(12));   // names no picture: nothing loaded
    EXPECT_TRUE(b.Glyph().isNull());
    EXPECT_EQ(b.GlyphWidth(), 0);

    b.SetGlyphKind(glOK);
    EXPECT_EQ(b.GlyphWidth(), 18);
    const QImage ok = b.Glyph();

    b.SetGlyphKind(static_cast<TGlyphKind>(12));   // keeps the OK picture and its width
    EXPECT_EQ(b.Glyph(), ok);
    EXPECT_EQ(b.GlyphWidth(), 18);

    b.SetGlyphKind(glNone);
    EXPECT_EQ(b.GlyphWidth(), 0);

    b.SetGlyphKind(glCancel);
    b.SetGlyphWidth(0);   // a stored layout overrides the computed width
    EXPECT_EQ(b.GlyphWidth(), 0);
    EXPECT_EQ(b.Glyph().width(), 18);
}

QRgb px(const QImage& img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

class GlyphButtonRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        button = new TVarneGlyphButton(&window);
        button->move(40, 30);
        button->setText(QStringLiteral("&OK"));
        button->SetGlyphKind(glOK);
        window.show();
        parkCursor();
    }
    void parkCursor() { QCursor::setPos(window.mapToGlobal(QPoint(190, 90))); }
    QImage render() { return button->grab().toImage(); }
    QRgb role(QPalette::ColorRole r) const { return button->palette().color(r).rgb() & 0xFFFFFF; }

    QWidget window;
    TVarneGlyphButton* button = nullptr;
};

// Every opaque glyph pixel appears at `at` in the rendering.
void expectGlyphAt(const QImage& shot, const QImage& glyph, QPoint at)
{
    int checked = 0;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb g = glyph.pixel(x, y);
            if (qAlpha(g) != 255)
                continue;
            ASSERT_EQ(shot.pixel(at.x() + x, at.y() + y) & 0xFFFFFF, g & 0xFFFFFF)
                << "glyph pixel " << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 10);
}

TEST_F(GlyphButtonRender, FlatRaisedAndPressedPixels)
{
    const int capW = button->fontMetrics().horizontalAdvance(QStringLiteral("OK"));
    const int x = (75 - capW - 18 - 4) / 2;
    const int y = (25 - 18) / 2;

    QImage shot = render();
    ASSERT_EQ(shot.size(), QSize(75, 25));
    EXPECT_FALSE(button->MouseInside());
    expectGlyphAt(shot, button->Glyph(), {x, y});
    // Flat: light top-left edge, shadow right and bottom edge.
    EXPECT_EQ(px(shot, 0, 0), role(QPalette::Light));
    EXPECT_EQ(px(shot, 74, 0), role(QPalette::Dark));
    EXPECT_EQ(px(shot, 74, 12), role(QPalette::Dark));
    EXPECT_EQ(px(shot, 30, 24), role(QPalette::Dark));
    EXPECT_EQ(px(shot, 73, 12), role(QPalette::Button));
    // No olive key colour anywhere.
    for (int yy = 0; yy < 25; ++yy)
        for (int xx = 0; xx < 75; ++xx)
            ASSERT_NE(px(shot, xx, yy), kGlyphTransparent);

    // Pointer over the button: raised frame, dark outer edge with shadow inside.
    QCursor::setPos(button->mapToGlobal(QPoint(37, 12)));
    shot = render();
    EXPECT_TRUE(button->MouseInside());
    EXPECT_EQ(px(shot, 74, 12), role(QPalette::WindowText));
    EXPECT_EQ(px(shot, 73, 12), role(QPalette::Dark));
    EXPECT_EQ(px(shot, 30, 24), role(QPalette::WindowText));
    EXPECT_EQ(px(shot, 30, 23), role(QPalette::Dark));

    // Pointer off again: thin frame back.
    parkCursor();
    shot = render();
    EXPECT_FALSE(button->MouseInside());
    EXPECT_EQ(px(shot, 74, 12), role(QPalette::Dark));

    // Pressed: sunken frame, glyph one pixel down right.
    button->setDown(true);
    shot = render();
    EXPECT_EQ(px(shot, 0, 12), role(QPalette::Dark));
    EXPECT_EQ(px(shot, 74, 12), role(QPalette::Light));
    expectGlyphAt(shot, button->Glyph(), {x + 1, y + 1});
}

TEST_F(GlyphButtonRender, DefaultFocusedShowsOutlineAndFocusRect)
{
    button->setDefault(true);
    window.activateWindow();
    button->setFocus();
    ASSERT_TRUE(qeltest::waitUntil([&] { return button->hasFocus(); }, 5000));
    const QImage shot = render();
    const QRgb text = role(QPalette::WindowText);
    EXPECT_EQ(px(shot, 0, 0), text);
    EXPECT_EQ(px(shot, 74, 24), text);
    // Focus dots on the rectangle 4 pixels inside, every other pixel.
    EXPECT_EQ(px(shot, 4, 4), text);
    EXPECT_NE(px(shot, 5, 4), text);
    EXPECT_EQ(px(shot, 6, 4), text);

    button->setDefault(false);
    EXPECT_FALSE(button->IsDefault());
}

TEST_F(GlyphButtonRender, AmpersandIsMeasuredWithoutAndDrawnUnderlined)
{
    button->SetGlyphKind(glNone);
    button->setText(QStringLiteral("&Abbrechen"));
    const QFontMetrics fm = button->fontMetrics();
    EXPECT_EQ(button->currentDrawState().captionWidth, fm.horizontalAdvance(QStringLiteral("Abbrechen")));
    // The underline sits below the baseline under the first letter only.
    const QImage shot = render();
    const int left = (75 - fm.horizontalAdvance(QStringLiteral("Abbrechen"))) / 2;
    const int top = (25 - fm.height()) / 2;
    auto darkInRow = [&](int y, int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            n += qGray(shot.pixel(x, y)) < 128;
        return n;
    };
    int underlineRow = -1;
    for (int y = top + fm.ascent() + 1; y < 24 && underlineRow < 0; ++y)
        if (darkInRow(y, left, left + fm.horizontalAdvance('A')) > 2)
            underlineRow = y;
    ASSERT_GE(underlineRow, 0);
    EXPECT_EQ(darkInRow(underlineRow, left + fm.horizontalAdvance(QStringLiteral("Ab")) + 1, 70), 0);
}

TEST_F(GlyphButtonRender, DoubleClickGivesTwoClicks)
{
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    const QPointF pos(20, 10);
    const QPointF global = button->mapToGlobal(pos);
    auto send = [&](QEvent::Type type) {
        QMouseEvent ev(type, pos, global, Qt::LeftButton,
                       type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button, &ev);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 2);
}

} // namespace
