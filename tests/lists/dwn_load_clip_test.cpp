// Lines coming into a download-list window: pasted rows by kind and
// content flags, and dropped descriptions, download-list lines,
// operator-list lines and work-list rows.

#include "dwn_load_fixture.h"

#include "lists/wrk_list_item.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>

using namespace dwntest;

namespace {

class DwnClip : public DwnWindowTest {
protected:
    void SetUp() override
    {
        DwnWindowTest::SetUp();
        addInv(1, 21, QStringLiteral("A"));
        addInv(2, 21, QStringLiteral("B"));
        addInv(5, 3, QStringLiteral("Old"));
    }
    static TClpBrdItem item(int kind, int inv, int adr, int32_t value, const QString& remark = {})
    {
        TClpBrdItem i;
        i.Kind = uint8_t(kind);
        i.ValueValid = true;
        i.InvAdr = inv;
        i.Address = adr;
        i.SetSel = 2;
        i.Value = value;
        i.Remark = remark;
        return i;
    }
    static std::vector<int> addresses(TDwnLoad* w)
    {
        std::vector<int> a;
        for (const auto& e : w->Engine().Lines)
            a.push_back(e->Address);
        return a;
    }
    static constexpr int All = 63;
};

TEST_F(DwnClip, PastedLinesGoToAListOfTheSameTypeOrMoveAnEmptyOne)
{
    TDwnLoad* target = open(2);
    add(target, 0x0103, 1);
    // Two lines of inverter 1 (same configuration) before line 0.
    EXPECT_EQ(target->Edit().PasteItems(0, {item(0, 1, 0x0101, 11, QStringLiteral("a")), item(0, 1, 0x0102, 12)}, All), 0);
    EXPECT_EQ(addresses(target), (std::vector<int>{0x0101, 0x0102, 0x0103}));
    const TDwnEntry& l = *target->Engine().Lines[0];
    EXPECT_EQ(l.Value, 11);
    EXPECT_EQ(l.SetMask, 2);
    EXPECT_EQ(l.Note, QStringLiteral("a"));
    EXPECT_NE(l.Para, nullptr);
    EXPECT_EQ(target->Engine().InvAdr, 2);
    EXPECT_TRUE(target->Engine().Modified);

    // An empty list moves to the copied lines' inverter.
    TDwnLoad* empty = open(1);
    EXPECT_EQ(empty->Edit().PasteItems(0, {item(0, 5, 0x0002, 7), item(0, 5, 0x0101, 8)}, All), 0);
    EXPECT_EQ(empty->Engine().InvAdr, 5);
    EXPECT_EQ(empty->Engine().CfgId, 3);
    EXPECT_EQ(addresses(empty), (std::vector<int>{0x0002, 0x0101}));
    EXPECT_TRUE(empty->windowTitle().endsWith(QStringLiteral(" - Old")));
    EXPECT_FALSE(empty->ContextItems.Item(4)->Enabled);
    // Lines of another type into a list that has lines: refused.
    EXPECT_EQ(target->Edit().PasteItems(0, {item(0, 5, 0x0002, 7)}, All), 1);
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].text, msg(0, 19).join(u'\n'));
}

TEST_F(DwnClip, PastedValuesRemarksAndKindsFollowTheFlags)
{
    TDwnLoad* w = open(1);
    TClpBrdItem unread = item(0, 1, 0x0101, 0, QStringLiteral("r"));
    unread.ValueValid = false;
    std::vector<TClpBrdItem> items{item(0, 1, 0x0104, 99, QStringLiteral("r")), unread,
                                     item(1, 1, 0, 0, QStringLiteral("blank")), item(2, 1, 0, -500, QStringLiteral("wait"))};
    // Addresses, sets and inverters only (the explorer's 15): defaults, no remarks.
    w->Edit().PasteItems(0, items, 15);
    const auto& l = w->Engine().Lines;
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0]->Value, l[0]->Para->DefVal);
    EXPECT_TRUE(l[0]->Note.isEmpty());
    EXPECT_EQ(l[2]->Mode, DwnMode::Blank);
    EXPECT_EQ(l[3]->Mode, DwnMode::UserStep);
    EXPECT_EQ(l[3]->Value, 0);
    // Everything: values, remarks; an unread value gets the default.
    w->Edit().PasteItems(4, items, All);
    EXPECT_EQ(l[4]->Value, 99);
    EXPECT_EQ(l[4]->Note, QStringLiteral("r"));
    EXPECT_EQ(l[5]->Value, l[5]->Para->DefVal);
    EXPECT_NE(l[5]->Value, 0);
    EXPECT_EQ(l[7]->Value, -500);
    EXPECT_EQ(l[7]->Note, QStringLiteral("wait"));
    // Without inverter, set or address nothing is pasted.
    EXPECT_EQ(w->Edit().PasteItems(0, items, cbfLines | cbfValue | cbfRemark), 0);
    EXPECT_EQ(l.size(), 8u);
}

TEST_F(DwnClip, OperatorLinesAndNormalLinesDoNotMix)
{
    TDwnLoad* normal = open(1);
    add(normal, 0x0101, 1);
    auto desc = std::make_shared<TParaRec>();
    desc->Addr = 0x80;
    desc->DefVal = 3;
    desc->SetName(0, QStringLiteral("Op"));
    TClpBrdItem op = item(3, 1, 0x80, 5);
    op.Para = desc;
    EXPECT_EQ(normal->Edit().PasteItems(0, {op}, All), 1);
    EXPECT_EQ(normal->Engine().Lines.size(), 1u);
    EXPECT_EQ(answerer.texts(), QStringList{msg(0, 19).join(u'\n')});
    // An empty list becomes an operator list holding its own copy.
    TDwnLoad* ops = open(1);
    EXPECT_EQ(ops->Edit().PasteItems(0, {op}, All), 0);
    ASSERT_EQ(ops->Engine().Lines.size(), 1u);
    EXPECT_TRUE(ops->Engine().OpList);
    const TDwnEntry& l = *ops->Engine().Lines[0];
    EXPECT_TRUE(l.OwnsPara);
    EXPECT_NE(l.Para.get(), desc.get());
    EXPECT_EQ(l.Para->GetName(0), QStringLiteral("Op"));
    EXPECT_EQ(l.Value, 5);
    // Parameters into the operator list: refused.
    EXPECT_EQ(ops->Edit().PasteItems(0, {item(0, 1, 0x0101, 1)}, All), 1);
    EXPECT_EQ(ops->Engine().Lines.size(), 1u);
    // Removing operator lines leaves a pasted copy's description alone.
    ops->Engine().MarkAll();
    ops->Engine().RemoveMarkedLines();
    EXPECT_EQ(desc->GetName(0), QStringLiteral("Op"));
}

TEST_F(DwnClip, DroppedLinesGoBeforeTheTargetRowWithTheirValuesNotesAndModes)
{
    TDwnLoad* source = open(1);
    add(source, 0x0101, 11, DwnMode::WA, 1, QStringLiteral("n1"));
    add(source, 0, 0, DwnMode::Blank, 0, QStringLiteral("gap"));
    add(source, 0x0102, 12, DwnMode::RO, -1);
    TDwnLoad* target = open(2);
    add(target, 0x0103, 1);
    add(target, 0x0104, 2);
    const int at = target->Edit().DropPosition(1);
    EXPECT_EQ(at, 1);
    ASSERT_TRUE(target->Edit().DropDwnLines(at, 1, {source->Engine().Lines[0], source->Engine().Lines[1],
                                             source->Engine().Lines[2]}, false));
    EXPECT_EQ(addresses(target), (std::vector<int>{0x0103, 0x0101, 0, 0x0102, 0x0104}));
    const auto& l = target->Engine().Lines;
    EXPECT_EQ(l[1]->Value, 11);
    EXPECT_EQ(l[1]->Mode, DwnMode::WA);
    EXPECT_EQ(l[1]->Note, QStringLiteral("n1"));
    EXPECT_EQ(l[2]->Mode, DwnMode::Blank);
    EXPECT_EQ(l[3]->SetMask, -1);
    EXPECT_FALSE(l[1]->OwnsPara);
    // Copies: the source keeps its lines.
    EXPECT_EQ(source->Engine().Lines.size(), 3u);
    EXPECT_NE(l[1].get(), source->Engine().Lines[0].get());
    // No drop target: the last visible row's line, clamped to the end.
    EXPECT_GE(target->Edit().DropPosition(-1), int(l.size()) - 1);
    // Lines of another type are refused with the message.
    TDwnLoad* old = open(5);
    add(old, 0x0002, 1);
    EXPECT_FALSE(target->Edit().DropDwnLines(0, 5, {old->Engine().Lines[0]}, false));
    EXPECT_EQ(l.size(), 5u);
    EXPECT_EQ(answerer.texts(), QStringList{msg(0, 19).join(u'\n')});
    // Kinds by list: operator lines only into an empty or operator list.
    EXPECT_TRUE(target->Edit().AcceptsKind(ddkDwnLines));
    EXPECT_TRUE(target->Edit().AcceptsKind(ddkWrkRows));
    EXPECT_FALSE(target->Edit().AcceptsKind(ddkOpLines));
    EXPECT_FALSE(target->Edit().AcceptsKind(2));  // no such kind
    target->Engine().TransferState = DwnTransfer::Compare;
    EXPECT_FALSE(target->Edit().AcceptsKind(ddkDwnLines));
    target->Engine().TransferState = DwnTransfer::Idle;
}

TEST_F(DwnClip, DroppedWorkRowsAndDescriptions)
{
    TDwnLoad* w = open(1);
    auto row = [&](int inv, int adr, int32_t v, bool valid, const char* remark) {
        auto r = std::make_shared<TWrkListItem>();
        r->Inverter = inv;
        r->Address = adr;
        r->Value = v;
        r->ValueValid = valid;
        r->SetSel = 1;
        r->Remark = QString::fromLatin1(remark);
        if (adr >= 0)
            r->Para = FindParaShared(prj.GetInv(inv)->Cfg, adr);
        return r;
    };
    ASSERT_TRUE(w->Edit().DropWrkRows(0, {row(2, 0x0101, 33, true, "read"), row(1, 0x0102, 0, false, "unread"),
                                   row(-1, -1, 0, false, "blank"), row(5, 0x0002, 4, true, "old")}));
    const auto& l = w->Engine().Lines;
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0]->Value, 33);
    EXPECT_EQ(l[0]->Note, QStringLiteral("read"));
    EXPECT_EQ(l[1]->Value, l[1]->Para->DefVal);
    EXPECT_EQ(l[2]->Mode, DwnMode::Blank);
    EXPECT_EQ(l[2]->Note, QStringLiteral("blank"));
    EXPECT_EQ(answerer.texts(), QStringList{msg(0, 19).join(u'\n')});

    // Descriptions from the explorer: default value, the drag's set.
    const auto cfg = prj.GetInv(2)->Cfg;
    ASSERT_TRUE(w->Edit().DropDescriptions(0, 2, 4, {FindParaShared(cfg, 0x0104)}));
    EXPECT_EQ(l[0]->Address, 0x0104);
    EXPECT_EQ(l[0]->SetMask, 4);
    EXPECT_EQ(l[0]->Value, l[0]->Para->DefVal);
    EXPECT_FALSE(w->Edit().DropDescriptions(0, 5, 4, {FindParaShared(prj.GetInv(5)->Cfg, 0x0002)}));
    EXPECT_EQ(l.size(), 4u);
}

}  // namespace

// ---------------------------------------------------------------- between windows

namespace {

bool dropOn(TDwnLoad* target, const QMimeData* data, int row, bool* entered = nullptr)
{
    QWidget* vp = target->ListView1->viewport();
    const QPointF p(30, target->ListView1->rowViewportPosition(row) + 2);
    QDragEnterEvent enter(p.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &enter);
    if (entered)
        *entered = enter.isAccepted();
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(p, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &drop);
    return drop.isAccepted();
}

TEST_F(DwnClip, CopyAndPasteBetweenWindows)
{
    TDwnLoad* a = open(1);
    add(a, 0x0101, 11, DwnMode::WA, 1, QStringLiteral("n1"));
    add(a, 0, -300, DwnMode::UserStep, 0, QStringLiteral("wait"));
    add(a, 0x0102, 12, DwnMode::RW, -1);
    a->Engine().Lines[0]->Selected = 1;
    a->Engine().Lines[1]->Selected = 1;
    a->ListView1->setFocus();
    a->DoCopy();
    const TIntClpBrd* c = clipboard.Content();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Flags, 63);
    ASSERT_EQ(c->Count(), 2);
    EXPECT_EQ(c->Items[1].Kind, cbkUserStep);
    const TDwnEntry& first = *a->Engine().Lines[0];
    EXPECT_EQ(c->Lines, (QStringList{
                            QStringLiteral("0\t0101h\t") + first.Para->GetIdText() + u'\t' + first.Para->GetName(0)
                                + u'\t' + first.Para->ValueToText(11, 0, u'+', false) + QStringLiteral("\tn1"),
                            QStringLiteral("\t\t\t") + txt(2, 18) + QStringLiteral("\t-300\twait")}));

    // Into a list of another inverter of the same type, at its current line.
    TDwnLoad* b = open(2);
    add(b, 0x0104, 1);
    b->View().FocusRow = 0;
    b->ListView1->setFocus();
    b->DoPaste();
    EXPECT_EQ(addresses(b), (std::vector<int>{0x0101, 0, 0x0104}));
    EXPECT_EQ(b->Engine().Lines[0]->Value, 11);
    EXPECT_EQ(b->Engine().Lines[1]->Value, -300);
    // Without a focused row nothing is pasted.
    b->View().FocusRow = -1;
    b->DoPaste();
    EXPECT_EQ(b->Engine().Lines.size(), 3u);
    // An empty list on inverter 5 (another type) moves to inverter 1.
    TDwnLoad* e = open(5);
    e->View().FocusRow = 0;
    e->ListView1->setFocus();
    e->DoPaste();
    EXPECT_EQ(e->Engine().InvAdr, 1);
    EXPECT_EQ(e->Engine().CfgId, 21);
    EXPECT_EQ(e->Engine().Lines.size(), 2u);
}

TEST_F(DwnClip, CutOperatorLinesAndPasteThemElsewhere)
{
    const QString file = writeFile(QStringLiteral("ops.op5"),
                                   "0,7,102,0\r\n128,5,0,1;Speed,1,1,0,0,0,8;first\r\n129,6,0,1;Torque,1,1,0,0,0,8;\r\n");
    TDwnLoad* ops = open(1, file);
    ASSERT_TRUE(ops->Engine().OpList);
    ASSERT_EQ(ops->Engine().Lines.size(), 2u);
    ops->Engine().MarkAll();
    ops->ListView1->setFocus();
    ops->DoCut();
    EXPECT_TRUE(ops->Engine().Lines.empty());
    ASSERT_NE(clipboard.Content(), nullptr);
    EXPECT_EQ(clipboard.Content()->Items[0].Kind, cbkOperator);
    // The clipboard keeps the descriptions of the removed lines.
    EXPECT_EQ(clipboard.Content()->Items[0].Para->GetName(0), QStringLiteral("Speed"));
    delete ops;
    // Into a normal list that has lines: refused.
    TDwnLoad* normal = open(1);
    add(normal, 0x0101, 1);
    normal->View().FocusRow = 0;
    normal->ListView1->setFocus();
    normal->DoPaste();
    EXPECT_EQ(normal->Engine().Lines.size(), 1u);
    EXPECT_EQ(answerer.texts(), QStringList{msg(0, 19).join(u'\n')});
    // Into an empty list: an operator list with its own descriptions.
    TDwnLoad* empty = open(1);
    empty->View().FocusRow = 0;
    empty->ListView1->setFocus();
    empty->DoPaste();
    ASSERT_EQ(empty->Engine().Lines.size(), 2u);
    EXPECT_TRUE(empty->Engine().OpList);
    EXPECT_TRUE(empty->Engine().Lines[0]->OwnsPara);
    EXPECT_EQ(empty->Engine().Lines[1]->Para->GetName(0), QStringLiteral("Torque"));
    EXPECT_EQ(empty->Engine().Lines[0]->Note, QStringLiteral("first"));
    EXPECT_EQ(empty->Engine().Lines[1]->Value, 6);
}

TEST_F(DwnClip, DragAndDropBetweenWindowsNeverOntoItsOwnView)
{
    TDwnLoad* a = open(1);
    add(a, 0x0101, 11, DwnMode::WA, 1, QStringLiteral("n1"));
    add(a, 0x0102, 12, DwnMode::RO, -1, QStringLiteral("n2"));
    TDwnLoad* b = open(2);
    add(b, 0x0104, 1);
    add(b, 0x0105, 2);
    // Without a marked line no drag.
    a->ListView1StartDrag();
    EXPECT_EQ(drag.Kind, ddkNone);
    a->Engine().MarkAll();
    ASSERT_TRUE(drag.Start(a->ListView1, ddkDwnLines, {a->Engine().Lines[0], a->Engine().Lines[1]}, 1, 0));
    const auto data = drag.MimeData();
    ASSERT_EQ(data->formats(), QStringList{TDragDrop::MimeType});
    bool entered = true;
    EXPECT_FALSE(dropOn(a, data.get(), 0, &entered));
    EXPECT_FALSE(entered);
    EXPECT_EQ(a->Engine().Lines.size(), 2u);
    EXPECT_TRUE(dropOn(b, data.get(), 1));
    EXPECT_EQ(addresses(b), (std::vector<int>{0x0104, 0x0101, 0x0102, 0x0105}));
    EXPECT_EQ(b->Engine().Lines[1]->Mode, DwnMode::WA);
    EXPECT_EQ(b->Engine().Lines[2]->Note, QStringLiteral("n2"));
    // An ended drag drops nothing.
    drag.End();
    EXPECT_FALSE(dropOn(b, data.get(), 0));
    EXPECT_EQ(b->Engine().Lines.size(), 4u);

    // Work-list rows (kind 4) of the same type.
    auto row = std::make_shared<TWrkListItem>();
    row->Inverter = 1;
    row->Address = 0x0103;
    row->Para = FindParaShared(prj.GetInv(1)->Cfg, 0x0103);
    row->Value = 77;
    row->ValueValid = true;
    QWidget workView;
    ASSERT_TRUE(drag.Start(&workView, ddkWrkRows, {row}, 0, 0));
    const auto rows = drag.MimeData();
    EXPECT_TRUE(dropOn(b, rows.get(), 0));
    EXPECT_EQ(b->Engine().Lines[0]->Address, 0x0103);
    EXPECT_EQ(b->Engine().Lines[0]->Value, 77);
    // Operator lines are not taken by a normal list.
    ASSERT_TRUE(drag.Start(a->ListView1, ddkOpLines, {a->Engine().Lines[0]}, 1, 0));
    const auto ops = drag.MimeData();
    EXPECT_FALSE(dropOn(b, ops.get(), 0, &entered));
    EXPECT_FALSE(entered);
    drag.End();
    // A real drag offscreen ends at once and leaves the object empty.
    a->ListView1StartDrag();
    EXPECT_EQ(drag.Kind, ddkNone);
}

}  // namespace
