// The complete list, Compress, the inverter choice and the list-changed
// notice, headless.

#include "dwn_fixture.h"

using dwntest::DwnTest;

namespace {

struct L {
    int adr, value, mode, mask;
};

std::vector<L> linesOf(const TDwnList& list, size_t from = 0, size_t count = SIZE_MAX)
{
    std::vector<L> out;
    for (size_t i = from; i < list.size() && out.size() < count; ++i)
        out.push_back({list[i]->Address, list[i]->Value, list[i]->Mode, list[i]->SetMask});
    return out;
}

bool operator==(const L& a, const L& b)
{
    return a.adr == b.adr && a.value == b.value && a.mode == b.mode && a.mask == b.mask;
}

void PrintTo(const L& l, std::ostream* os)
{
    *os << "{0x" << std::hex << l.adr << std::dec << ", " << l.value << ", " << l.mode << ", " << l.mask << "}";
}

constexpr L kBlank{0, 0, DwnMode::Blank, -1};

// Index of the first line with that address and mask at or after `from`.
size_t find(const TDwnList& list, int adr, int mask, size_t from = 0)
{
    for (size_t i = from; i < list.size(); ++i)
        if (list[i]->Address == adr && list[i]->SetMask == mask && !list[i]->IsBlank())
            return i;
    return SIZE_MAX;
}

}  // namespace

TEST_F(DwnTest, CompleteListOfATypeWithoutSetsAsksNothing)
{
    addInv(1, 3);
    engine->InvAdr = 1;
    engine->CfgId = 3;
    engine->InsertNewLine(0, nullptr, 5, 5, 0, 0, false, {});
    engine->OpList = true;
    engine->DoMakeList();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(engine->OpList);
    EXPECT_TRUE(engine->Modified);
    const TDwnList& l = engine->Lines;
    ASSERT_EQ(l.size(), 31u);
    // Access and type lines; no set selector or finish (type 3 has none).
    EXPECT_EQ(linesOf(l, 0, 4), (std::vector<L>{{1, 5179, 0, -1}, {2, 3, 1, -1}, kBlank, {2, 3, 1, -1}}));
    // Group 1 in full, then a blank line; groups that gave nothing get none.
    EXPECT_EQ(linesOf(l, 5, 1), (std::vector<L>{{0x0101, 500, 0, -1}}));
    EXPECT_EQ(linesOf(l, 16, 2), (std::vector<L>{{0x010C, 3, 0, -1}, kBlank}));
    EXPECT_EQ(linesOf(l, 27), (std::vector<L>{{0x030A, 16711935, 0, -1}, kBlank, {0x1601, 253, 0, -1}, kBlank}));
    for (const auto& e : l) {
        EXPECT_FALSE(e->OwnsPara);
        EXPECT_TRUE(e->Note.isEmpty());
        EXPECT_EQ(bool(e->Para), !e->IsBlank());
    }
}

TEST_F(DwnTest, CompleteListSavedWritesBlankLinesInTheirFixedForm)
{
    addInv(1, 3);
    engine->InvAdr = 1;
    engine->CfgId = 3;
    engine->DoMakeList();
    ASSERT_EQ(engine->Lines.size(), 31u);
    ASSERT_EQ(engine->Lines[2]->SetMask, -1);  // a blank line as built

    ui.saveAnswers = {path(QStringLiteral("complete.dw5"))};
    ASSERT_EQ(engine->SaveData(QString()), 0);
    const QByteArray bytes = readFile(path(QStringLiteral("complete.dw5")));
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    ASSERT_EQ(lines.size(), 1 + 8 + 31);
    EXPECT_EQ(bytes.left(bytes.indexOf("1,5179")),
              "0,3,100,0\r\n0,45,101,0\r\n1,45,101,0\r\n2,50,101,0\r\n3,45,101,0\r\n"
              "4,40,101,0\r\n5,150,101,0\r\n6,140,101,0\r\n7,200,101,0\r\n");
    EXPECT_EQ(lines.mid(9, 4), (QList<QByteArray>{"1,5179,0,-1;\r", "2,3,1,-1;\r", "0,0,5,0;\r", "2,3,1,-1;\r"}));
    EXPECT_EQ(lines.mid(36), (QList<QByteArray>{"778,16711935,0,-1;\r", "0,0,5,0;\r", "5633,253,0,-1;\r",
                                                "0,0,5,0;"}));
    for (int i = 9; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        const bool blank = engine->Lines[size_t(i - 9)]->IsBlank();
        EXPECT_EQ(lines[i].startsWith("0,0,5,0;"), blank);
    }
}

TEST_F(DwnTest, CompleteListBuildModes)
{
    addInv(1, 21);
    engine->InvAdr = 1;
    engine->CfgId = 21;

    // Mode 0: sets through the set selector.
    ui.answers = {0};
    engine->DoMakeList();
    ASSERT_EQ(ui.messages.size(), 1u);
    const TDwnMessage& q = ui.messages[0];
    EXPECT_EQ(q.Lines, msg(2, 22));
    EXPECT_EQ(std::tuple(q.Buttons, q.Icon, q.Default, q.Cancel, q.HelpContext),
              std::tuple(int(dblBuildModes), int(dmiConfirmation), 0, -1, 168));
    const TDwnList& l = engine->Lines;
    EXPECT_EQ(linesOf(l, 0, 6), (std::vector<L>{{1, 5179, 0, -1}, {3, 0, 2, -1}, {2, 21, 1, -1}, kBlank,
                                                 {3, 0, 2, -1}, {2, 21, 1, -1}}));
    // The array block: index 0..3 written, each followed by the other members.
    const size_t a = find(l, 0x0201, -1);
    ASSERT_NE(a, SIZE_MAX);
    for (int v = 0; v <= 3; ++v)
        EXPECT_EQ(linesOf(l, a + 3 * size_t(v), 3),
                  (std::vector<L>{{0x0201, v, 2, -1}, {0x0202, 0, 0, -1}, {0x0203, 0, 0, -1}}));
    EXPECT_EQ(linesOf(l, a + 12, 2), (std::vector<L>{{0x0204, 10, 0, -1}, {0x0205, 0, 2, -1}}));
    // Set 1: selector 1, only the parameters of every set, finish; the
    // end: selector 0 and finish.
    const size_t s1 = find(l, 3, -1, a);
    ASSERT_NE(s1, SIZE_MAX);
    ASSERT_EQ(l[s1]->Value, 1);
    std::vector<L> set1 = linesOf(l, s1 - 1, 15);
    EXPECT_EQ(set1, (std::vector<L>{kBlank, {3, 1, 2, -1}, {0x0101, 500, 0, -1}, {0x0102, 0, 0, -1},
                                    {0x0103, 500, 0, -1}, {0x0109, -25, 0, -1}, {0x010A, 0, 0, -1}, kBlank,
                                    {0x0204, 10, 0, -1}, {0x0205, 0, 2, -1}, kBlank, {0x0301, 17, 0, -1},
                                    {0x0303, 1, 0, -1}, kBlank, {7, 1, 2, -1}}));
    EXPECT_EQ(linesOf(l, l.size() - 2), (std::vector<L>{{3, 0, 2, -1}, {7, 1, 2, -1}}));
    size_t selectors = 0;
    for (const auto& e : l)
        selectors += e->Address == 3 ? 1 : 0;
    EXPECT_EQ(selectors, 1u + 8u + 1u);

    // Mode 1: parameter by parameter over every set.
    ui.answers = {1, 1};  // No to saving, then build mode 1
    engine->DoMakeList();
    EXPECT_EQ(ui.messages[1].Lines, msg(0, 24));
    EXPECT_EQ(linesOf(l, 0, 4), (std::vector<L>{{1, 5179, 0, -1}, {2, 21, 1, -1}, {2, 21, 1, 1}, kBlank}));
    const size_t m = find(l, 0x0101, 1);
    ASSERT_EQ(m, 4u);
    for (int s = 0; s < 8; ++s)
        EXPECT_EQ(linesOf(l, m + size_t(s), 1), (std::vector<L>{{0x0101, 500, 0, 1 << s}}));
    EXPECT_EQ(linesOf(l, find(l, 0x0104, 1), 2), (std::vector<L>{{0x0104, 1450, 0, 1}, {0x0105, 700, 0, 1}}));
    const size_t b = find(l, 0x0201, 1);
    EXPECT_EQ(linesOf(l, b + 9, 4), (std::vector<L>{{0x0201, 3, 2, 1}, {0x0202, 0, 0, 1}, {0x0203, 0, 0, 1},
                                                    {0x0204, 10, 0, 1}}));
    EXPECT_EQ(find(l, 0x0201, 2), SIZE_MAX);
    // A blank line after every group, also after those that gave nothing.
    size_t blanks = 0;
    for (const auto& e : l)
        blanks += e->IsBlank() ? 1 : 0;
    EXPECT_EQ(blanks, 10u);

    // Mode 2: set by set.
    ui.answers = {1, 2};
    engine->DoMakeList();
    blanks = 0;
    for (const auto& e : l)
        blanks += e->IsBlank() ? 1 : 0;
    EXPECT_EQ(blanks, 80u);
    const size_t m2 = find(l, 0x0101, 2);
    ASSERT_NE(m2, SIZE_MAX);
    EXPECT_EQ(linesOf(l, m2, 6), (std::vector<L>{{0x0101, 500, 0, 2}, {0x0102, 0, 0, 2}, {0x0103, 500, 0, 2},
                                                 {0x0109, -25, 0, 2}, {0x010A, 0, 0, 2}, kBlank}));
    EXPECT_GT(find(l, 0x0101, 2), find(l, 0x0301, 1));
    EXPECT_NE(find(l, 0x0301, 128), SIZE_MAX);

    // Cancel to the save question keeps the list.
    const size_t before = l.size();
    ui.answers = {2};
    engine->DoMakeList();
    EXPECT_EQ(l.size(), before);
    EXPECT_TRUE(engine->Modified);
}

TEST_F(DwnTest, CompleteListArrayLoopAndHighSetsAreBounded)
{
    addInv(1, 21);
    engine->InvAdr = 1;
    auto cfg = engine->Cfg();
    cfg->MaxSet = 9;
    TParaRec* idx = cfg->FindPara(0x0201);
    idx->LowerLim = 0x7FFF0000;
    idx->UpperLim = 0x7FFFFFFF;
    ui.answers = {1};
    engine->DoMakeList();
    size_t indices = 0;
    int maxMask = 0;
    for (const auto& e : engine->Lines) {
        indices += e->Address == 0x0201 ? 1 : 0;
        maxMask = std::max<int>(maxMask, e->SetMask);
    }
    EXPECT_EQ(indices, 65536u);
    EXPECT_EQ(maxMask, 128);
    EXPECT_EQ(engine->Lines[find(engine->Lines, 0x0201, 1) + 3 * 65535]->Value, 0x7FFF0000 + 65535);
}

TEST_F(DwnTest, CompressMergesEqualValuesOfOneAddress)
{
    addInv(1, 21);
    engine->InvAdr = 1;
    for (L l : std::vector<L>{{0x0102, 5, 0, 1}, {0x0102, 5, 0, 2}, {0x0102, 6, 0, 4}, {0x0103, 5, 0, 8},
                              {0x0103, 5, 0, 16}, {0, 0, 5, -1}, {0x0104, 1, 0, -1}, {0x0104, 1, 0, 2}})
        engine->InsertNewLine(99, nullptr, l.adr, l.value, l.mask, l.mode, false, {});
    engine->Lines[0]->Selected = 1;
    ui.answers = {0};
    engine->DoCompress();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].Lines, msg(2, 16));
    EXPECT_EQ(linesOf(engine->Lines),
              (std::vector<L>{{0x0102, 5, 0, 3}, {0x0102, 6, 0, 4}, {0x0103, 5, 0, 24}, {0, 0, 5, -1},
                              {0x0104, 1, 0, -1}, {0x0104, 1, 0, 2}}));
    EXPECT_TRUE(engine->Modified);

    // No: nothing; an empty list: message (0,21).
    ui.answers = {1};
    engine->DoCompress();
    EXPECT_EQ(engine->Lines.size(), 6u);
    engine->Lines.clear();
    engine->DoCompress();
    EXPECT_EQ(ui.messages.back().Lines, msg(0, 21));
}

TEST_F(DwnTest, RemovingMarkedLinesSelectsTheLineAtTheFirstGap)
{
    for (int i = 0; i < 5; ++i)
        engine->InsertNewLine(i, nullptr, i + 1, 0, -1, 0, false, {});
    engine->Lines[1]->Selected = engine->Lines[3]->Selected = 1;
    engine->OpList = true;
    engine->RemoveMarkedLines();
    EXPECT_EQ(linesOf(engine->Lines), (std::vector<L>{{1, 0, 0, -1}, {3, 0, 0, -1}, {5, 0, 0, -1}}));
    EXPECT_TRUE(engine->Lines[1]->Selected);
    EXPECT_EQ(notify.selected, std::vector<int>{1});
    EXPECT_EQ(notify.clipboardReleases, 1);
    engine->ClearMarks();
    engine->Lines[2]->Selected = 1;
    engine->RemoveMarkedLines();
    EXPECT_TRUE(engine->Lines[1]->Selected);
    engine->ClearMarks();
    engine->RemoveMarkedLines();
    EXPECT_EQ(notify.selected.back(), -1);
    EXPECT_TRUE(engine->Modified);
}

TEST_F(DwnTest, SettingsChoosesTheInverter)
{
    addInv(1, 21);
    addInv(2, 3);
    addInv(3, 21);
    engine->InvAdr = 1;
    engine->CfgId = 21;
    engine->InsertNewLine(0, nullptr, 0x0101, 1, -1, 0, false, {});
    ui.invAnswer = 2;
    engine->DoSettings();
    EXPECT_EQ(ui.invChoices[0], std::pair(txt(5, 0) + QStringLiteral("; ") + txt(2, 12) + QStringLiteral("1"), 1));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].Lines, msg(0, 19));
    EXPECT_EQ(engine->InvAdr, 1);
    ui.invAnswer = 3;
    engine->DoSettings();
    EXPECT_EQ(engine->InvAdr, 3);
    EXPECT_EQ(notify.contexts, std::vector<bool>{true});
    engine->Lines.clear();
    ui.invAnswer = 2;
    engine->DoSettings();
    EXPECT_EQ(std::tuple(engine->InvAdr, engine->CfgId), std::tuple(2, 3));
    EXPECT_EQ(notify.contexts.back(), false);
    EXPECT_FALSE(engine->CompressEnabled());
    ui.invAnswer = -1;
    engine->DoSettings();
    EXPECT_EQ(engine->InvAdr, 2);
}

TEST_F(DwnTest, ListChangedMovesOrClosesTheList)
{
    addInv(1, 21);
    addInv(4, 21);
    engine->InvAdr = 1;
    engine->CfgId = 21;
    engine->ResetCfgList();
    EXPECT_EQ(notify.captions, 0);
    prj.RemoveInv(1);
    engine->ResetCfgList();
    EXPECT_EQ(engine->InvAdr, 4);
    EXPECT_EQ(notify.captions, 1);
    EXPECT_EQ(notify.closes, 0);
    prj.RemoveInv(4);
    engine->ResetCfgList();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].Lines, msg(0, 15));
    EXPECT_EQ(ui.messages[1].Lines, msg(2, 6));
    EXPECT_EQ(ui.messages[1].P1, txt(2, 12) + QStringLiteral("1"));
    EXPECT_EQ(notify.closes, 1);
    // An operator list ignores it.
    engine->OpList = true;
    engine->ResetCfgList();
    EXPECT_EQ(notify.closes, 1);
}

namespace {

TEST(DwnMarkedLines, RemovedInOnePassReleasingOwnDescriptions)
{
    struct Case {
        std::vector<int> marked;
        std::vector<int> left;
        int first;
    };
    for (const Case& c : std::vector<Case>{{{}, {0, 1, 2, 3, 4}, -1},
                                           {{0, 1, 4}, {2, 3}, 0},
                                           {{2}, {0, 1, 3, 4}, 2},
                                           {{0, 1, 2, 3, 4}, {}, 0}}) {
        TDwnList list;
        for (int i = 0; i < 5; ++i) {
            auto e = std::make_shared<TDwnEntry>();
            e->Address = int16_t(i);
            e->Para = std::make_shared<TParaRec>();
            e->OwnsPara = i % 2 == 0;
            list.push_back(e);
        }
        for (int i : c.marked)
            list[size_t(i)]->Selected = 1;
        const TDwnList before = list;
        EXPECT_EQ(DeleteMarkedDwnEntries(list), c.first);
        std::vector<int> left;
        for (const TDwnEntryPtr& e : list)
            left.push_back(e->Address);
        EXPECT_EQ(left, c.left);
        // A removed line still held elsewhere (clipboard, drag) no longer
        // holds a description of its own; a shared one stays.
        for (int i : c.marked)
            EXPECT_EQ(before[size_t(i)]->Para == nullptr, i % 2 == 0) << i;
    }
}

}  // namespace
