#include "dialogs/user_msg_layout.h"

#include <gtest/gtest.h>

namespace {

// Every character 7 pixels wide, lines 16 high; wrapping breaks at any
// character, which is enough to see the label's wrapped height used.
class FixedMeasure : public TUserMsgMeasure {
public:
    int TextWidth(const QString& text) const override { return 7 * static_cast<int>(text.size()); }
    int LineHeight() const override { return 16; }
    int WrappedHeight(const QString& text, int width) const override
    {
        lastWrapWidth = width;
        const int perLine = std::max(1, width / 7);
        int lines = 0;
        for (const QString& l : text.split('\n'))
            lines += std::max<int>(1, (l.size() + perLine - 1) / perLine);
        return lines * 16;
    }
    mutable int lastWrapWidth = -1;
};

TUserMsgLayoutIn input(QStringList lines, QList<TUserMsgButtonIn> buttons)
{
    TUserMsgLayoutIn in;
    in.lines = std::move(lines);
    in.buttons = std::move(buttons);
    in.screenWidth = 1000;
    in.initialClient = QSize(312, 213);
    return in;
}

TEST(UserMsgLayout, TextSizesWindowAndButtonsAreCentred)
{
    FixedMeasure m;
    // Widest line 50 chars = 350 px: width = 350 + 8 + 18 = 376.
    TUserMsgLayoutIn in = input({QString(50, 'x'), "short"}, {{"Yes", 18}, {"No", 18}});
    const TUserMsgLayout l = LayoutUserMsg(in, m);
    EXPECT_FALSE(l.wordWrap);
    EXPECT_EQ(l.labelText, QString(50, 'x') + "\nshort");
    EXPECT_EQ(l.label, QRect(8, 8, 350, 32));
    // Text height 32: client height 8 + 32 + 20 = 60, then + 30 for the buttons.
    EXPECT_EQ(l.client, QSize(376, 90));
    // Buttons min 75 wide, same width; x after the row = 8 + 2*80 + 8 = 176;
    // shifted by (376 - 176) / 2 = 100.
    ASSERT_EQ(l.buttons.size(), 2);
    EXPECT_EQ(l.buttons[0], QRect(108, 60, 75, 25));
    EXPECT_EQ(l.buttons[1], QRect(188, 60, 75, 25));
}

TEST(UserMsgLayout, ButtonWidthsFromCaptionGlyphAndMinimum)
{
    FixedMeasure m;
    // "Ignorieren" 70 + 18 + 16 = 104 > 75; "No" stays at the minimum.
    TUserMsgLayoutIn in = input({"m"}, {{"Ignorieren", 18}, {"No", 0}});
    TUserMsgLayout l = LayoutUserMsg(in, m);
    EXPECT_EQ(l.buttons[0].width(), 104);
    EXPECT_EQ(l.buttons[1].width(), 104);
    // Row wider than the window: the window grows to it, no shift.
    EXPECT_EQ(l.buttons[0].left(), 8);
    EXPECT_EQ(l.client.width(), 8 + 104 + 5 + 104 + 5 + 8);

    in.buttonsSameWidth = false;
    l = LayoutUserMsg(in, m);
    EXPECT_EQ(l.buttons[0].width(), 104);
    EXPECT_EQ(l.buttons[1].width(), 75);
}

TEST(UserMsgLayout, WideMessageWrapsAtSixtyPercentOfScreen)
{
    FixedMeasure m;
    // 100 chars = 700 px; window 726 > limit 600 (60 % of 1000).
    TUserMsgLayoutIn in = input({QString(100, 'w')}, {{"OK", 18}});
    const TUserMsgLayout l = LayoutUserMsg(in, m);
    EXPECT_TRUE(l.wordWrap);
    EXPECT_EQ(l.client.width(), 600);
    EXPECT_EQ(m.lastWrapWidth, 700 - 126);         // label shrinks by the excess
    EXPECT_EQ(l.label.width(), 574);
    EXPECT_EQ(l.label.height(), 2 * 16);           // 82 chars per line: two lines
    EXPECT_EQ(l.client.height(), 8 + 32 + 20 + 30);

    EXPECT_EQ(UserMsgWidthLimit(1366), 819);       // truncated
    in.screenWidth = 1366;
    EXPECT_FALSE(LayoutUserMsg(in, m).wordWrap);
}

TEST(UserMsgLayout, PictureMovesLabelAndSetsMinimumHeight)
{
    FixedMeasure m;
    TUserMsgLayoutIn in = input({"one line"}, {{"OK", 18}});
    in.hasPicture = true;
    in.picture = QSize(32, 32);
    const TUserMsgLayout l = LayoutUserMsg(in, m);
    EXPECT_EQ(l.picture, QRect(10, 10, 32, 32));
    EXPECT_EQ(l.label.left(), 52);
    // Text (16) lower than the picture: height from the picture, 10 + 32 + 20.
    EXPECT_EQ(l.client.height(), 62 + 30);
    EXPECT_EQ(l.buttons[0].top(), 62);

    // No lines: the window keeps its initial size.
    in = input({}, {{"OK", 18}});
    const TUserMsgLayout empty = LayoutUserMsg(in, m);
    EXPECT_EQ(empty.client, QSize(312, 213 + 30));
    EXPECT_EQ(empty.picture, QRect(0, 0, 1, 1));
}

} // namespace
