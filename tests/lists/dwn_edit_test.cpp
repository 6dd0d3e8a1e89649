// A download list's editing without a window: pastes and drops by kind and
// by the kind of list, the editor a column opens, the editors' callbacks
// and labels, search, copy, print, and what a running transfer refuses.

#include "dwn_fixture.h"

#include "config/drag_drop.h"
#include "lists/dwn_edit.h"
#include "lists/wrk_list_item.h"

#include <QMimeData>

#include <functional>

using namespace dwntest;

namespace {

enum class ListKind { Empty, Normal, Ops };

class DwnEdit : public DwnTest {
protected:
    void SetUp() override
    {
        DwnTest::SetUp();
        // Two inverters of a type with parameter sets, one of a type without.
        for (const auto& [adr, type] : {std::pair{1, 21}, std::pair{2, 21}, std::pair{5, 3}})
            addInv(adr, type);
        fresh();
    }
    // A new empty list on inverter 1, its view of ten rows and its editing.
    void fresh()
    {
        engine = makeEngine();
        useInv(1);
        view = std::make_unique<TDwnLoadView>(engine->Lines);
        view->SetRows(10);
        edit = std::make_unique<TDwnEdit>(*engine, *view);
        ui.messages.clear();
    }
    void useInv(int adr)
    {
        engine->InvAdr = adr;
        engine->CfgId = prj.GetInv(adr)->Cfg->CfgId;
    }
    TDwnEntry* line(int adr, int32_t value = 0, int mode = DwnMode::RW, const QString& note = {})
    {
        return engine->InsertNewLine(int(engine->Lines.size()), FindSharedPara(engine->Cfg(), adr), adr, value, -1,
                                     mode, false, note);
    }
    static std::shared_ptr<TParaRec> opDesc()
    {
        auto d = std::make_shared<TParaRec>();
        d->Addr = 0x80;
        d->DefVal = 3;
        d->SetName(0, QStringLiteral("Op"));
        return d;
    }
    void makeList(ListKind k)
    {
        if (k == ListKind::Normal)
            line(0x0103, 1);
        if (k == ListKind::Ops) {
            engine->OpList = true;
            engine->InsertNewLine(0, opDesc(), 0x80, 1, -1, DwnMode::RW, true, QString());
        }
    }
    void mark(const std::vector<int>& lines)
    {
        view->ClearMarks();
        for (int i : lines)
            engine->Lines[size_t(i)]->Selected = 1;
    }

    std::unique_ptr<TDwnLoadView> view;
    std::unique_ptr<TDwnEdit> edit;
};

TEST_F(DwnEdit, PasteTakesWhatFitsTheListAndRefusesTheRestWithOneMessage)
{
    struct Case {
        const char* what;
        ListKind list;
        uint8_t kind;
        int inv, adr;
        int added, refused;
        bool opAfter;
        int invAfter;
    };
    const Case cases[] = {
        {"parameter of the same type", ListKind::Normal, cbkParameter, 2, 0x0101, 1, 0, false, 1},
        {"parameter of another type", ListKind::Normal, cbkParameter, 5, 0x0002, 0, 1, false, 1},
        {"parameter of another type, empty list", ListKind::Empty, cbkParameter, 5, 0x0002, 1, 0, false, 5},
        {"parameter the type lacks", ListKind::Normal, cbkParameter, 2, 0x7F7F, 0, 0, false, 1},
        {"parameter into operator list", ListKind::Ops, cbkParameter, 1, 0x0101, 0, 1, true, 1},
        {"operator entry into normal list", ListKind::Normal, cbkOperator, 1, 0x80, 0, 1, false, 1},
        {"operator entry into empty list", ListKind::Empty, cbkOperator, 1, 0x80, 1, 0, true, 1},
        {"blank line into operator list", ListKind::Ops, cbkBlank, 1, 0, 1, 0, true, 1},
        {"user step into normal list", ListKind::Normal, cbkUserStep, 1, 0, 1, 0, false, 1},
        {"unknown kind", ListKind::Normal, 9, 1, 0x0101, 0, 1, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        makeList(c.list);
        const size_t before = engine->Lines.size();
        TClpBrdItem it;
        it.Kind = c.kind;
        it.InvAdr = c.inv;
        it.Address = c.adr;
        it.SetSel = 2;
        it.Value = 5;
        it.ValueValid = true;
        it.Remark = QStringLiteral("r");
        if (c.kind == cbkOperator)
            it.Para = opDesc();
        // Past the end: appended.
        EXPECT_EQ(edit->PasteItems(99, {it}, cbfRows), c.refused);
        ASSERT_EQ(engine->Lines.size(), before + size_t(c.added));
        EXPECT_EQ(engine->OpList, c.opAfter);
        EXPECT_EQ(engine->InvAdr, c.invAfter);
        ASSERT_EQ(ui.messages.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(ui.messages[0].Lines, msg(0, 19));
            EXPECT_EQ(ui.messages[0].Title, engine->GetShortName());
        }
        if (c.added) {
            const TDwnEntry& l = *engine->Lines.back();
            EXPECT_EQ(l.Note, QStringLiteral("r"));
            EXPECT_EQ(l.SetMask, 2);
            EXPECT_EQ(l.Value, 5);
            // An operator entry's line holds a description of its own.
            EXPECT_EQ(bool(l.OwnsPara), c.kind == cbkOperator);
            if (c.kind == cbkOperator) {
                EXPECT_NE(l.Para.get(), it.Para.get());
            }
        }
    }
}

TEST_F(DwnEdit, DropsTakeTheKindsThatFitTheList)
{
    QObject ownView, otherView;
    const auto para = [&](int inv, int adr) { return FindSharedPara(prj.GetInv(inv)->Cfg, adr); };
    const auto dwnLine = [&](int inv, int adr) {
        auto l = std::make_shared<TDwnEntry>();
        l->Address = int16_t(adr);
        l->Para = para(inv, adr);
        l->Value = 9;
        return l;
    };
    const auto opLine = [&] {
        auto l = std::make_shared<TDwnEntry>();
        l->Address = 0x80;
        l->Para = opDesc();
        l->OwnsPara = 1;
        return l;
    };
    const auto wrkRow = [&](int inv, int adr) {
        auto r = std::make_shared<TWrkListItem>();
        r->Inverter = inv;
        r->Address = adr;
        if (adr >= 0)
            r->Para = para(inv, adr);
        return r;
    };
    struct Case {
        const char* what;
        ListKind list;
        uint8_t kind;
        std::vector<std::shared_ptr<void>> items;
        int inv;
        bool own, transfer;
        bool taken;
        int added;
        size_t messages;
        bool opAfter;
    };
    const Case cases[] = {
        {"explorer parameters", ListKind::Normal, ddkExplParams, {para(2, 0x0104)}, 2, false, false, true, 1, 0, false},
        {"explorer parameters of another type", ListKind::Normal, ddkExplParams, {para(5, 0x0002)}, 5, false, false,
         false, 0, 1, false},
        {"explorer parameters into operator list", ListKind::Ops, ddkExplParams, {para(1, 0x0104)}, 1, false, false,
         false, 0, 0, true},
        {"own lines", ListKind::Normal, ddkDwnLines, {dwnLine(1, 0x0101)}, 1, true, false, false, 0, 0, false},
        {"download lines", ListKind::Normal, ddkDwnLines, {dwnLine(2, 0x0101), dwnLine(2, 0x0102)}, 2, false, false,
         true, 2, 0, false},
        {"download lines of another type, empty list", ListKind::Empty, ddkDwnLines, {dwnLine(5, 0x0002)}, 5, false,
         false, true, 1, 0, false},
        {"download lines during a transfer", ListKind::Normal, ddkDwnLines, {dwnLine(1, 0x0101)}, 1, false, true,
         false, 0, 0, false},
        {"operator lines into empty list", ListKind::Empty, ddkOpLines, {opLine()}, 1, false, false, true, 1, 0, true},
        {"operator lines into normal list", ListKind::Normal, ddkOpLines, {opLine()}, 1, false, false, false, 0, 0,
         false},
        {"work rows and a blank row", ListKind::Normal, ddkWrkRows, {wrkRow(2, 0x0101), wrkRow(-1, -1)}, 0, false,
         false, true, 2, 0, false},
        {"work row of another type", ListKind::Normal, ddkWrkRows, {wrkRow(5, 0x0002), wrkRow(-1, -1)}, 0, false,
         false, true, 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        makeList(c.list);
        const size_t before = engine->Lines.size();
        TDragDrop dd;
        ASSERT_TRUE(dd.Start(c.own ? &ownView : &otherView, c.kind, c.items, int16_t(c.inv), 4));
        const auto data = dd.MimeData();
        if (c.transfer)
            engine->TransferState = DwnTransfer::Compare;
        EXPECT_EQ(edit->Drop(dd, data.get(), &ownView, -1), c.taken);
        EXPECT_EQ(engine->Lines.size(), before + size_t(c.added));
        EXPECT_EQ(ui.messages.size(), c.messages);
        EXPECT_EQ(engine->OpList, c.opAfter);
        engine->TransferState = DwnTransfer::Idle;
    }
}

TEST_F(DwnEdit, DroppedCopiesKeepTheirValuesAndOwnTheirDescriptions)
{
    line(0x0103, 1);
    line(0x0104, 2);
    auto source = std::make_shared<TDwnEntry>();
    source->Address = 0x0101;
    source->Para = FindSharedPara(engine->Cfg(), 0x0101);
    source->Value = 11;
    source->Mode = DwnMode::WA;
    source->Note = QStringLiteral("n");
    ASSERT_TRUE(edit->DropDwnLines(edit->DropPosition(1), 2, {source}, false));
    const TDwnEntry& l = *engine->Lines[1];
    EXPECT_NE(&l, source.get());
    EXPECT_EQ(l.Value, 11);
    EXPECT_EQ(l.Mode, DwnMode::WA);
    EXPECT_EQ(l.Note, QStringLiteral("n"));
    // Explorer parameters: the default value and the drag's set.
    const auto desc = FindSharedPara(engine->Cfg(), 0x0105);
    ASSERT_TRUE(edit->DropDescriptions(0, 1, 4, {desc}));
    EXPECT_EQ(engine->Lines[0]->Value, desc->DefVal);
    EXPECT_EQ(engine->Lines[0]->SetMask, 4);
    EXPECT_TRUE(engine->Modified);

    // Operator lines that own their description are copied with a copy.
    fresh();
    auto op = std::make_shared<TDwnEntry>();
    op->Para = opDesc();
    op->OwnsPara = 1;
    ASSERT_TRUE(edit->DropDwnLines(0, 1, {op}, true));
    EXPECT_TRUE(engine->Lines[0]->OwnsPara);
    EXPECT_NE(engine->Lines[0]->Para, op->Para);
    EXPECT_EQ(engine->Lines[0]->Para->GetName(0), QStringLiteral("Op"));
}

TEST_F(DwnEdit, TheDragCarriesTheMarkedLinesThemselves)
{
    line(0x0101);
    line(0x0102);
    QObject view1;
    TDragDrop dd;
    EXPECT_FALSE(edit->StartDrag(dd, &view1));
    EXPECT_EQ(dd.Kind, ddkNone);
    mark({1});
    ASSERT_TRUE(edit->StartDrag(dd, &view1));
    EXPECT_EQ(dd.Kind, ddkDwnLines);
    EXPECT_EQ(dd.InvAdr, 1);
    ASSERT_EQ(dd.Items.size(), 1u);
    EXPECT_EQ(dd.Item<TDwnEntry>(0).get(), engine->Lines[1].get());
    engine->OpList = true;
    ASSERT_TRUE(edit->StartDrag(dd, &view1));
    EXPECT_EQ(dd.Kind, ddkOpLines);
}

TEST_F(DwnEdit, EachColumnOpensItsEditor)
{
    enum class Line { Param, Unknown, Blank, UserStep, None };
    struct Case {
        const char* what;
        int inv;
        Line line;
        int column;
        bool props;
        TDwnEditor want;
    };
    const Case cases[] = {
        {"value", 1, Line::Param, 6, false, TDwnEditor::Value},
        {"ident column", 1, Line::Param, 3, false, TDwnEditor::Value},
        {"mode while properties are fixed", 1, Line::Param, 1, false, TDwnEditor::Value},
        {"mode while properties change", 1, Line::Param, 1, true, TDwnEditor::Mode},
        {"set", 1, Line::Param, 2, false, TDwnEditor::Set},
        {"set of a type without sets", 5, Line::Param, 2, false, TDwnEditor::None},
        {"note", 1, Line::Param, 7, false, TDwnEditor::Remark},
        {"unknown parameter", 1, Line::Unknown, 6, false, TDwnEditor::Value},
        {"unknown parameter, raw value", 1, Line::Unknown, 6, true, TDwnEditor::InputBox},
        {"blank line's value", 1, Line::Blank, 6, false, TDwnEditor::None},
        {"blank line's note", 1, Line::Blank, 7, false, TDwnEditor::Remark},
        {"user step", 1, Line::UserStep, 5, false, TDwnEditor::InputBox},
        {"empty row", 1, Line::None, 6, false, TDwnEditor::Address},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine->Lines.clear();
        ui.messages.clear();
        useInv(c.inv);
        switch (c.line) {
        case Line::Param: line(c.inv == 1 ? 0x0101 : 0x0002); break;
        case Line::Unknown: line(0x7F7F); break;
        case Line::Blank: line(0, 0, DwnMode::Blank); break;
        case Line::UserStep: line(0, -100, DwnMode::UserStep); break;
        case Line::None: break;
        }
        view->FocusRow = 0;
        edit->SearchAdr = 0x0101;
        EXPECT_EQ(edit->EditorFor(c.column, c.props), c.want);
        // Only a set for a type without sets says why nothing opens.
        const bool refused = c.column == 2 && c.inv == 5;
        ASSERT_EQ(ui.messages.size(), refused ? 1u : 0u);
        if (refused) {
            EXPECT_EQ(ui.messages[0].Lines, msg(0, 20));
        }
        // An empty row inserts there.
        EXPECT_EQ(edit->SearchAdr, c.line == Line::None ? -1 : 0x0101);
    }
}

TEST_F(DwnEdit, TheEditorsLabelFollowsTheMarks)
{
    line(0x0101);
    line(0x7F7F);
    line(0x0102);
    const QString name = engine->GetShortName();
    const TParaRec& p = *engine->Lines[0]->Para;
    struct Case {
        std::vector<int> marked;
        int count, index;
        QString label;
    };
    const Case cases[] = {
        {{}, 0, 0, QString()},
        {{0}, 1, 0, p.GetIdText() + u' ' + p.GetName(0) + QStringLiteral("; ") + name + QStringLiteral("; ")
                        + txt(0, 27) + QStringLiteral(" 0")},
        {{1}, 1, 1, name + QStringLiteral("; ") + txt(0, 27) + QStringLiteral(" 1")},
        // Several: the second marked line is looked at.
        {{0, 1, 2}, 2, 1, name + QStringLiteral("; ") + txt(0, 26)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        mark(c.marked);
        const TDwnEditTarget t = edit->Target();
        EXPECT_EQ(t.Marked, c.count);
        EXPECT_EQ(t.Line, engine->Lines[size_t(c.index)].get());
        EXPECT_EQ(t.Label, c.label);
    }
}

TEST_F(DwnEdit, CallbacksChangeOnlyTheLinesTheyApplyTo)
{
    line(0x0101, 1);
    line(0x7F7F, 2);
    line(0, 0, DwnMode::Blank);
    line(0, -100, DwnMode::UserStep);
    engine->MarkAll();
    // Sets only for lines with a description; an unchanged set is no change.
    edit->ChangeSet(3);
    std::vector<int> sets;
    for (const auto& l : engine->Lines)
        sets.push_back(l->SetMask);
    EXPECT_EQ(sets, (std::vector<int>{3, -1, -1, -1}));
    EXPECT_TRUE(engine->Modified);
    engine->Modified = false;
    edit->ChangeSet(3);
    EXPECT_FALSE(engine->Modified);
    // Notes are cut to 255 characters.
    edit->ChangeNote(QString(300, u'x'));
    for (const auto& l : engine->Lines)
        EXPECT_EQ(l->Note.size(), kDwnNoteLen);
    // The value goes to the one marked line, and only with a description.
    edit->ChangePara(7);
    EXPECT_EQ(engine->Lines[0]->Value, 1);
    mark({1});
    edit->ChangePara(7);
    EXPECT_EQ(engine->Lines[1]->Value, 2);
    mark({0});
    edit->ChangePara(7);
    EXPECT_EQ(engine->Lines[0]->Value, 7);
    EXPECT_TRUE(ui.messages.empty());
    // The input box's entry: an integer, blanks around it allowed.
    EXPECT_FALSE(edit->EnterValue(*engine->Lines[3], QStringLiteral("12a")));
    EXPECT_EQ(engine->Lines[3]->Value, -100);
    EXPECT_TRUE(edit->EnterValue(*engine->Lines[3], QStringLiteral(" -2500 ")));
    EXPECT_EQ(engine->Lines[3]->Value, -2500);
}

TEST_F(DwnEdit, SearchGoesForwardPastBlankLines)
{
    line(0x0101);
    line(0, 0, DwnMode::Blank);
    line(0, -100, DwnMode::UserStep);
    line(0x0101);
    // Nothing searched and no current line: the editor starts at 0x7FFF.
    EXPECT_EQ(edit->StartSearch(), 0x7FFF);
    view->FocusRow = 0;
    EXPECT_EQ(edit->StartSearch(), 0x0101);
    edit->SearchPara(0x0101);
    EXPECT_EQ(notify.selected, std::vector<int>{3});
    // Address 0: the blank line is passed over, the user step found.
    edit->SearchPara(0);
    EXPECT_EQ(notify.selected, (std::vector<int>{3, 2}));
    EXPECT_EQ(edit->SearchAdr, 0);
}

TEST_F(DwnEdit, CopyGivesEachMarkedLineItsKind)
{
    line(0x0101, 11, DwnMode::RW, QStringLiteral("n"));
    line(0, 0, DwnMode::Blank);
    line(0, -100, DwnMode::UserStep);
    line(0x0102);
    EXPECT_FALSE(edit->CopyMarked({}));
    mark({0, 1, 2});
    auto c = edit->CopyMarked({});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Flags, cbfRows);
    ASSERT_EQ(c->Count(), 3);
    EXPECT_EQ(c->Lines.size(), 3);
    EXPECT_EQ(c->Items[0].Kind, cbkParameter);
    EXPECT_EQ(c->Items[0].Para, engine->Lines[0]->Para);
    EXPECT_EQ(c->Items[0].Remark, QStringLiteral("n"));
    EXPECT_EQ(c->Items[1].Kind, cbkBlank);
    EXPECT_EQ(c->Items[2].Kind, cbkUserStep);
    EXPECT_EQ(c->Items[2].Value, -100);
    engine->OpList = true;
    EXPECT_EQ(edit->CopyMarked({})->Items[0].Kind, cbkOperator);
}

TEST_F(DwnEdit, NothingComesInDuringATransfer)
{
    line(0x0101, 1);
    line(0, -100, DwnMode::UserStep);
    TClpBrdItem it;
    it.InvAdr = 1;
    it.Address = 0x0102;
    const std::pair<const char*, std::function<void()>> ops[] = {
        {"paste", [&] { edit->PasteItems(0, {it}, cbfRows); }},
        {"descriptions", [&] { edit->DropDescriptions(0, 1, 0, {FindSharedPara(engine->Cfg(), 0x0102)}); }},
        {"lines", [&] { edit->DropDwnLines(0, 1, {engine->Lines[0]}, false); }},
        {"work rows", [&] { edit->DropWrkRows(0, {std::make_shared<TWrkListItem>()}); }},
        {"input box", [&] { edit->EnterValue(*engine->Lines[1], QStringLiteral("5")); }},
    };
    engine->TransferState = DwnTransfer::Download;
    engine->Modified = false;
    for (const auto& [what, op] : ops) {
        SCOPED_TRACE(what);
        op();
        EXPECT_EQ(engine->Lines.size(), 2u);
        EXPECT_EQ(engine->Lines[1]->Value, -100);
        EXPECT_FALSE(engine->Modified);
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST_F(DwnEdit, PrintRowsOfBlankLinesAndUserStepsLeaveTheParameterColumnsBlank)
{
    line(0x0101, 1);
    line(0, 0, DwnMode::Blank, QStringLiteral("gap"));
    line(0, -300, DwnMode::UserStep, QStringLiteral("wait"));
    engine->Remark = {QStringLiteral("r1")};
    TDwnPrintHead head;
    head.AppName = QStringLiteral("App");
    head.Caption = QStringLiteral("Cap");
    head.ColWidths = {50, 50, 0, 0, 0, 0, 0, 0};
    head.ColCaptions = {QStringLiteral("3"), QStringLiteral("R / W")};
    const TListPrintJob j = edit->PrintJob(head);
    EXPECT_EQ(j.DialogCaption, txt(0, 18) + u' ' + engine->GetShortName());
    EXPECT_EQ(j.Title, QStringLiteral("App  Cap"));
    EXPECT_EQ(j.TabPercents.mid(0, 3), (QList<int>{50, 50, 0}));
    EXPECT_EQ(j.Header, QStringLiteral("3\tR / W"));
    // Below the date lines: a blank line, the remark and a blank line.
    EXPECT_EQ(j.HeadLines.mid(3), (QStringList{QStringLiteral(" "), QStringLiteral("r1"), QStringLiteral(" ")}));
    ASSERT_EQ(j.Rows.size(), 3);
    EXPECT_TRUE(j.Rows[0].startsWith(QStringLiteral("0\tRW\t")));
    EXPECT_EQ(j.Rows[1], QStringLiteral("1\t \t \t \t \t\t\tgap"));
    EXPECT_EQ(j.Rows[2], QStringLiteral("2\t \t \t \t \t") + txt(2, 18) + QStringLiteral("\t-300\twait"));
}

}  // namespace
