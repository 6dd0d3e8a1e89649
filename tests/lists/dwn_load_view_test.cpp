// The download-list window's rows without widgets: the scroll range over
// the visible rows, row texts, the selection by keys and mouse, and the
// layout arithmetic.

#include "lists/dwn_load.h"
#include "lists/dwn_load_view.h"

#include <gtest/gtest.h>

namespace {

TDwnList makeLines(int n)
{
    TDwnList l;
    for (int i = 0; i < n; ++i) {
        auto e = std::make_shared<TDwnEntry>();
        e->Address = int16_t(0x100 + i);
        e->Value = i;
        l.push_back(e);
    }
    return l;
}

std::vector<int> marked(const TDwnList& l)
{
    std::vector<int> m;
    for (size_t i = 0; i < l.size(); ++i)
        if (l[i]->Selected)
            m.push_back(int(i));
    return m;
}

TEST(DwnLoadView, ThreeLinesInTenRowsDoNotScroll)
{
    TDwnList lines = makeLines(3);
    TDwnLoadView v(lines);
    v.SetRows(10);
    EXPECT_EQ(v.ScrollMax, 0);
    EXPECT_EQ(v.LargeStep, 10);
    TDwnRowModel m(v);
    m.Refill();
    ASSERT_EQ(m.rowCount(), 10);
    EXPECT_EQ(m.RowTexts(0)[0], QStringLiteral("0"));
    EXPECT_EQ(m.RowTexts(2)[3], QStringLiteral("0102h"));
    for (const QString& t : m.RowTexts(3))
        EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("3"));
}

TEST(DwnLoadView, HundredLinesScrollTo91WhereTheLastRowIsEmpty)
{
    TDwnList lines = makeLines(100);
    TDwnLoadView v(lines);
    v.SetRows(10);
    EXPECT_EQ(v.ScrollMax, 91);
    v.SetPosition(500);
    EXPECT_EQ(v.Position, 91);
    TDwnRowModel m(v);
    m.Refill();
    EXPECT_EQ(m.RowTexts(8)[0], QStringLiteral("99"));
    EXPECT_TRUE(m.RowTexts(9)[0].isEmpty());
    // Fewer rows: the model shrinks to them, the position stays in range.
    v.SetRows(0);
    EXPECT_EQ(v.Rows, 1);
    EXPECT_EQ(v.ScrollMax, 100);
    m.Refill();
    EXPECT_EQ(m.rowCount(), 1);
}

TEST(DwnLoadView, EmptyListKeysAndMouseTouchNothing)
{
    TDwnList lines;
    TDwnLoadView v(lines);
    v.SetRows(5);
    EXPECT_EQ(v.ScrollMax, 0);
    for (auto k : {TDwnLoadView::Key::End, TDwnLoadView::Key::Down, TDwnLoadView::Key::PageDown,
                   TDwnLoadView::Key::Home}) {
        const auto r = v.KeyDown(k, true, false);
        EXPECT_TRUE(r.Consumed);
        EXPECT_EQ(v.Position, 0);
    }
    v.MousePress(2, true, false, false, false);
    v.MouseRelease(2, false, false);
    EXPECT_EQ(v.CurrentLine(), 2);  // past the end: inserts append there
    EXPECT_EQ(v.CurrentEntry(), nullptr);
    v.SelectLine(-1);
    EXPECT_EQ(v.FocusRow, 0);
}

struct KeyCase {
    const char* name;
    int startPos, startRow, anchor;
    TDwnLoadView::Key key;
    bool shift, ctrl;
    int pos, row;
    std::vector<int> marks;
};

class DwnLoadViewKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(DwnLoadViewKeys, MoveFocusScrollAndSelect)
{
    const KeyCase& c = GetParam();
    TDwnList lines = makeLines(100);
    TDwnLoadView v(lines);
    v.SetRows(10);
    v.SetPosition(c.startPos);
    v.FocusRow = c.startRow;
    v.Anchor = c.anchor;
    lines[size_t(c.anchor)]->Selected = 1;
    const auto r = v.KeyDown(c.key, c.shift, c.ctrl);
    EXPECT_TRUE(r.Consumed);
    EXPECT_EQ(v.Position, c.pos);
    EXPECT_EQ(v.FocusRow, c.row);
    EXPECT_EQ(marked(lines), c.marks);
}

using K = TDwnLoadView::Key;
INSTANTIATE_TEST_SUITE_P(
    Table, DwnLoadViewKeys,
    testing::Values(
        KeyCase{"DownOnLastRowScrolls", 0, 9, 9, K::Down, false, false, 1, 9, {10}},
        KeyCase{"ShiftDownExtendsFromAnchor", 0, 9, 7, K::Down, true, false, 1, 9, {7, 8, 9, 10}},
        KeyCase{"CtrlDownMovesFocusOnly", 0, 3, 3, K::Down, false, true, 0, 4, {3}},
        KeyCase{"UpOnFirstRowScrolls", 5, 0, 5, K::Up, false, false, 4, 0, {4}},
        KeyCase{"UpAtTopStays", 0, 0, 0, K::Up, false, false, 0, 0, {0}},
        KeyCase{"EndGoesToTheEmptyLastRow", 0, 2, 2, K::End, false, false, 91, 9, {99}},
        KeyCase{"HomeGoesToTheTop", 50, 4, 54, K::Home, false, false, 0, 0, {0}},
        KeyCase{"PageDownKeepsTheRow", 0, 4, 4, K::PageDown, false, false, 10, 4, {14}},
        KeyCase{"ShiftPageUpSelectsBack", 20, 0, 20, K::PageUp, true, false, 10, 0, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
        KeyCase{"NoFocusStartsAtRowZero", 30, -1, 0, K::Down, false, false, 30, 1, {31}},
        KeyCase{"CtrlSpaceTogglesTheLine", 0, 0, 5, K::Space, false, true, 0, 0, {0, 5}},
        KeyCase{"SpaceAloneChangesNothing", 0, 0, 5, K::Space, false, false, 0, 0, {5}}),
    [](const testing::TestParamInfo<KeyCase>& i) { return std::string(i.param.name); });

TEST(DwnLoadView, EnterOpensTheValueEditorAndOtherKeysPass)
{
    TDwnList lines = makeLines(4);
    TDwnLoadView v(lines);
    v.SetRows(10);
    EXPECT_TRUE(v.KeyDown(K::Enter, false, false).OpenValueEditor);
    EXPECT_FALSE(v.KeyDown(K::Other, false, false).Consumed);
}

TEST(DwnLoadView, MouseSelectsAnchorsExtendsAndToggles)
{
    TDwnList lines = makeLines(30);
    TDwnLoadView v(lines);
    v.SetRows(10);
    v.SetPosition(5);
    // A plain click marks the line under it and anchors there.
    EXPECT_FALSE(v.MousePress(2, true, false, false, false));
    v.MouseRelease(2, false, false);
    EXPECT_EQ(marked(lines), std::vector<int>{7});
    EXPECT_EQ(v.Anchor, 7);
    // Shift extends from the anchor; the release keeps it.
    EXPECT_TRUE(v.MousePress(5, true, false, true, false));
    v.MouseRelease(5, true, false);
    EXPECT_EQ(marked(lines), (std::vector<int>{7, 8, 9, 10}));
    // Ctrl toggles one line.
    EXPECT_TRUE(v.MousePress(0, true, false, false, true));
    v.MouseRelease(0, false, true);
    EXPECT_EQ(marked(lines), (std::vector<int>{5, 7, 8, 9, 10}));
    // A right press on a marked line keeps the selection for the menu.
    v.MousePress(3, false, true, false, false);
    EXPECT_EQ(marked(lines), (std::vector<int>{5, 7, 8, 9, 10}));
    // A right press elsewhere marks that line alone.
    v.MousePress(9, false, true, false, false);
    EXPECT_EQ(marked(lines), std::vector<int>{14});
}

TEST(DwnLoadView, SelectLineCentresAndClampsToTheLastLine)
{
    TDwnList lines = makeLines(100);
    TDwnLoadView v(lines);
    v.SetRows(10);
    v.SelectLine(40);
    EXPECT_EQ(v.Position, 35);
    EXPECT_EQ(v.FocusRow, 5);
    v.ClearMarks();
    v.SelectLine(500);
    EXPECT_EQ(marked(lines), std::vector<int>{99});
    EXPECT_EQ(v.Position + v.FocusRow, 99);
    v.SelectLine(2);
    EXPECT_EQ(v.Position, 0);
    EXPECT_EQ(v.FocusRow, 2);
}

TEST(DwnLoadView, RowTextsByKindOfLine)
{
    TDwnList lines = makeLines(0);
    auto add = [&](int mode, int adr, int32_t value, int16_t mask, const char* note) {
        auto e = std::make_shared<TDwnEntry>();
        e->Mode = uint8_t(mode);
        e->Address = int16_t(adr);
        e->Value = value;
        e->SetMask = mask;
        e->Note = QString::fromLatin1(note);
        lines.push_back(e);
    };
    add(DwnMode::WA, 0x0a05, -3, 5, "n1");
    add(DwnMode::Blank, 0, 0, 0, "blank");
    add(DwnMode::UserStep, 0, -250, 0, "wait");
    add(DwnMode::WO, 0x0001, 7, -1, "");
    const TDwnTextOptions opt;
    using A = std::array<QString, 7>;
    EXPECT_EQ(DwnLineColumns(*lines[0], nullptr, opt),
              (A{"WA", "0;2", "0A05h", " ", "???", "-3", "n1"}));
    EXPECT_EQ(DwnLineColumns(*lines[1], nullptr, opt), (A{"", "", "", "", "", "", "blank"}));
    EXPECT_EQ(DwnLineColumns(*lines[2], nullptr, opt), (A{"", "", "", "", "???", "-250", "wait"}));
    EXPECT_EQ(DwnLineColumns(*lines[3], nullptr, opt), (A{"WO", "I", "0001h", " ", "???", "7", ""}));
    EXPECT_EQ(DwnModeText(0), QStringLiteral("RW"));
    EXPECT_EQ(DwnModeText(4), QStringLiteral("RW"));
}

TEST(DwnLoadLayout, GeometryAndVisibleRows)
{
    const TDwnGeometry g = DwnLayoutGeometry(649, 341, 32, 16);
    EXPECT_EQ(g.Memo, QRect(0, 0, 649, 32));
    EXPECT_EQ(g.Splitter, QRect(0, 32, 649, 6));
    EXPECT_EQ(g.List.top(), 38);
    EXPECT_EQ(g.List.height(), 341 - 38);
    EXPECT_EQ(g.ScrollBar.left(), 649 - 16 - 1);
    EXPECT_EQ(g.List.width(), g.ScrollBar.left() - 1);
    EXPECT_EQ(g.ScrollBar.top(), 39);
    // A window lower than memo and splitter still has one row.
    EXPECT_EQ(DwnVisibleRows(5, 18), 1);
    EXPECT_EQ(DwnVisibleRows(-40, 18), 1);
    EXPECT_EQ(DwnVisibleRows(180, 18), 10);
    EXPECT_EQ(DwnVisibleRows(179, 18), 9);
}

TEST(DwnLoadEdit, SixteenBitValuesOfOldTypes)
{
    TParaRec p;
    EXPECT_TRUE(DwnFits16Bit(p, 65535));
    EXPECT_FALSE(DwnFits16Bit(p, 70000));
    EXPECT_FALSE(DwnFits16Bit(p, -1));
    p.Attr = ParaAttr::Signed;
    EXPECT_TRUE(DwnFits16Bit(p, -32768));
    EXPECT_FALSE(DwnFits16Bit(p, 40000));
}

}  // namespace
