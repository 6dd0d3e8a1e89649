// Geometry of the bar, its tool bar and the arrangements, without a display.
#include "mainwin/bar_layout.h"

#include <gtest/gtest.h>

TEST(ToolBarLayout, ButtonsAndDividersSitWhereTheBarPutsThem)
{
    const TToolBarLayout l = ToolBarLayout();
    struct Case {
        const char* name;
        QRect r;
        int left, width, top, height;
    } cases[] = {
        {"OpenBtn", l.OpenBtn, 8, 32, 8, 32},        {"SaveBtn", l.SaveBtn, 40, 32, 8, 32},
        {"Panel3", l.Panel3, 76, 2, 0, 46},          {"CutBtn", l.CutBtn, 82, 32, 8, 32},
        {"CopyBtn", l.CopyBtn, 114, 32, 8, 32},      {"PasteBtn", l.PasteBtn, 146, 32, 8, 32},
        {"DelBtn", l.DelBtn, 178, 32, 8, 32},        {"Panel4", l.Panel4, 214, 2, 0, 46},
        {"PrjEditBtn", l.PrjEditBtn, 220, 32, 8, 32}, {"ExplBtn", l.ExplBtn, 252, 32, 8, 32},
        {"ScopeButton", l.ScopeButton, 284, 32, 8, 32}, {"NewWorkBtn", l.NewWorkBtn, 316, 32, 8, 32},
        {"NewDwnLoadBtn", l.NewDwnLoadBtn, 348, 32, 8, 32}, {"Panel5", l.Panel5, 384, 2, 0, 46},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.r, QRect(c.left, c.top, c.width, c.height));
    }
    // Context buttons follow Panel5: its right edge + (i - 1) * width + 4.
    EXPECT_EQ(l.ContextButton(1), QRect(390, 8, 32, 32));
    EXPECT_EQ(l.ContextButton(3), QRect(454, 8, 32, 32));
}

TEST(PlaceBar, KeepsLeftTopAndWidthOrFillsTheWorkAreaTop)
{
    const QRect work(0, 30, 1280, 994);
    // A resize while not maximised: only the height is fixed.
    EXPECT_EQ(PlaceBar(QRect(100, 200, 640, 400), {}, work, 66, false), QRect(100, 200, 640, 66));
    // Start and maximise: the work area's top left corner and width, minus
    // the frame.
    EXPECT_EQ(PlaceBar(QRect(100, 200, 640, 400), QMargins(2, 24, 3, 4), work, 66, true),
              QRect(2, 54, 1275, 66));
}

TEST(ArrangeBounds, SplitsTheWorkAreaBelowTheBar)
{
    const QRect work(0, 0, 1024, 768);
    const QRect bar(0, 0, 1024, 68);  // bottom edge at 68
    const auto side = ArrangeBounds(akSideBySide, work, bar, 3);
    ASSERT_EQ(side.size(), 3u);
    EXPECT_EQ(side[0], QRect(0, 68, 341, 700));
    EXPECT_EQ(side[1], QRect(341, 68, 341, 700));
    EXPECT_EQ(side[2], QRect(682, 68, 341, 700));

    const auto above = ArrangeBounds(akAboveEachOther, work, bar, 3);
    ASSERT_EQ(above.size(), 3u);
    EXPECT_EQ(above[0], QRect(0, 68, 1024, 233));
    EXPECT_EQ(above[2], QRect(0, 68 + 2 * 233, 1024, 233));

    const auto overlapped = ArrangeBounds(akOverlapped, QRect(10, 20, 1024, 768), bar, 2);
    ASSERT_EQ(overlapped.size(), 2u);
    EXPECT_EQ(overlapped[0], QRect(10, 68, 600, 400));
    EXPECT_EQ(overlapped[1], QRect(30, 88, 600, 400));

    EXPECT_TRUE(ArrangeBounds(akSideBySide, work, bar, 0).empty());
}

TEST(NextOpenSlot, GoesUpAndWrapsAround)
{
    auto open = [](int s) { return s == 62 || s == 63; };
    EXPECT_EQ(NextOpenSlot(62, 64, open), 63);
    EXPECT_EQ(NextOpenSlot(63, 64, open), 62);
    EXPECT_EQ(NextOpenSlot(0, 64, open), 62);
    EXPECT_EQ(NextOpenSlot(5, 64, [](int) { return false; }), -1);
}

// The bar's own strut shapes the screen's work area; the bar still goes to
// the top of the work area as it is without that strut.
TEST(BarWorkArea, GivesBackTheStripOfTheBarsOwnStrutOnly)
{
    TBarWorkArea area;
    const QRect screen(0, 0, 1280, 1024);
    // Before any strut: the work area as it is (a panel of 30 above).
    EXPECT_EQ(area.Of(QRect(0, 30, 1280, 994)), QRect(0, 30, 1280, 994));
    area.StrutSet(112);
    // The window system has not answered yet, then it has.
    EXPECT_EQ(area.Of(QRect(0, 30, 1280, 994)), QRect(0, 30, 1280, 994));
    EXPECT_EQ(area.Of(QRect(0, 112, 1280, 912)), QRect(0, 30, 1280, 994));
    // The bar moved: the strut's former end still counts as its own until
    // the window system follows.
    area.StrutSet(150);
    EXPECT_EQ(area.Of(QRect(0, 112, 1280, 912)), QRect(0, 30, 1280, 994));
    EXPECT_EQ(area.Of(QRect(0, 150, 1280, 874)), QRect(0, 30, 1280, 994));
    // Another panel reaching further down is not the bar's to give back.
    EXPECT_EQ(area.Of(QRect(0, 200, 1280, 824)), QRect(0, 200, 1280, 824));
    // Strut removed and the panel gone: the whole screen.
    area.StrutSet(0);
    EXPECT_EQ(area.Of(screen), screen);
}
