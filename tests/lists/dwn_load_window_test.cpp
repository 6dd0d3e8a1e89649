// The download-list window offscreen: opening and numbering, caption,
// the visible rows, keys, closing, and the editing through the editors and
// commands.

#include "dwn_load_fixture.h"

#include "dialogs/text_fit.h"

#include "dialogs/glyph_button.h"
#include "dialogs/max_placement.h"
#include "lists/fwrk_list.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>

using namespace dwntest;

namespace {

void key(QWidget* w, int k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, k, m);
    QApplication::sendEvent(w, &press);
}

class DwnWindow : public DwnWindowTest {
protected:
    void SetUp() override
    {
        DwnWindowTest::SetUp();
        addInv(1, 21, QStringLiteral("Pump"));
        addInv(2, 21, QStringLiteral("  "));
        addInv(5, 3, QStringLiteral("Old"));
    }
};

TEST_F(DwnWindow, TenWindowsAtMostAndAClosedOneFreesItsNumber)
{
    std::vector<TDwnLoad*> w;
    for (int i = 0; i < kDwnMaxWindows; ++i)
        w.push_back(open());
    EXPECT_EQ(w[9]->WdwNr(), 10);
    EXPECT_TRUE(w[9]->objectName().startsWith(QStringLiteral("DwnLoad")));
    EXPECT_EQ(CreateDwnLoad(shared, 1, 0, {}), nullptr);
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].text, txt(2, 13));
    EXPECT_TRUE(w[3]->close());
    EXPECT_EQ(windows.Open().size(), kDwnMaxWindows - 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TDwnLoad* again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->WdwNr(), 4);
}

TEST_F(DwnWindow, NoInverterInTheProjectNoWindow)
{
    TVortalinPrj empty;
    ::Project = &empty;
    EXPECT_EQ(CreateDwnLoad(shared, 1, 0, {}), nullptr);
    EXPECT_TRUE(windows.Open().isEmpty());
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].text, txt(0, 15));
    // The number was released.
    ::Project = &prj;
    TDwnLoad* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->WdwNr(), 1);
}

TEST_F(DwnWindow, CaptionNamesTheInverterOrItsAddress)
{
    open(1);
    open(1);
    TDwnLoad* third = open(1);
    EXPECT_EQ(third->windowTitle(), txt(2, 12) + QStringLiteral("3 - Pump"));
    EXPECT_EQ(third->GetShortName(), txt(2, 12) + u'3');
    TDwnLoad* blank = open(2);
    EXPECT_EQ(blank->windowTitle(), txt(2, 12) + QStringLiteral("4 - ") + txt(0, 0) + QStringLiteral(":2"));
    // An address outside the project takes the first inverter.
    TDwnLoad* moved = open(77);
    EXPECT_EQ(moved->Engine().InvAdr, 1);
    EXPECT_EQ(moved->Engine().CfgId, 21);
}

TEST_F(DwnWindow, ReadWidthsDoNotCutTheHeaders)
{
    TDwnLoad* w = open();
    // Widths as a list file gives them (the defaults): narrower than the
    // headers need in this font.
    w->RefreshView(true);
    EXPECT_EQ(DescribeCutTexts(FindCutTexts(w)), QString());
    for (int c = 0; c < kDwnColCount; ++c)
        EXPECT_EQ(w->Engine().ColWidths[size_t(c)], kDwnDefaultColWidths[size_t(c)]) << c;
}

TEST_F(DwnWindow, ComponentsMenuShortcutsAndHelpContexts)
{
    TDwnLoad* w = open();
    for (const char* n : {"Splitter1", "ListView1", "Memo1", "ScrollBar1", "PopupMenu1"})
        EXPECT_NE(w->findChild<QObject*>(QString::fromLatin1(n)), nullptr) << n;
    struct Item {
        const char* name;
        QKeySequence key;
        int help;
        std::pair<int, int> caption;
    };
    const std::vector<Item> items{
        {"MenuchangeVal", Qt::Key_F3, 86, {5, 3}},
        {"MenuChangeSet", Qt::Key_F4, 45, {5, 2}},
        {"MenuChangenote", Qt::Key_F5, 88, {5, 4}},
        {"Parametereinf1", Qt::Key_F6, 84, {2, 5}},
        {"MenuInsertBlankLine", Qt::Key_F7, 87, {2, 8}},
        {"MenuInsertUser", {}, 138, {2, 17}},
        {"MenuSave", QKeySequence(Qt::CTRL | Qt::Key_S), 17, {5, 11}},
        {"MenuSaveAs", {}, 18, {5, 12}},
        {"MenuAddProj", {}, 91, {5, 14}},
        {"MenuCut", QKeySequence(Qt::CTRL | Qt::Key_X), 24, {5, 5}},
        {"MenuCopy", QKeySequence(Qt::CTRL | Qt::Key_C), 25, {5, 6}},
        {"MenuPaste", QKeySequence(Qt::CTRL | Qt::Key_V), 26, {5, 7}},
        {"MenuDel", Qt::Key_Delete, 27, {5, 8}},
        {"MenuMarkAll", QKeySequence(Qt::CTRL | Qt::Key_A), 28, {5, 9}},
    };
    const QList<QAction*> actions = w->PopupMenu1->actions();
    QStringList order;
    for (QAction* a : actions)
        order << a->objectName();
    EXPECT_EQ(order.join(u','), QStringLiteral("MenuchangeVal,MenuChangeSet,MenuChangenote,Parametereinf1,"
                                               "MenuInsertBlankLine,MenuInsertUser,N1,MenuSave,MenuSaveAs,"
                                               "MenuAddProj,N2,MenuCut,MenuCopy,MenuPaste,MenuDel,MenuMarkAll"));
    for (const Item& i : items) {
        auto* a = w->PopupMenu1->findChild<QAction*>(QString::fromLatin1(i.name));
        if (!a)
            for (QAction* b : actions)
                if (b->objectName() == QLatin1String(i.name))
                    a = b;
        ASSERT_NE(a, nullptr) << i.name;
        EXPECT_EQ(a->shortcut(), i.key) << i.name;
        EXPECT_EQ(a->property("HelpContext").toInt(), i.help) << i.name;
        EXPECT_EQ(a->text(), txt(i.caption.first, i.caption.second)) << i.name;
    }
    EXPECT_FALSE(w->MenuAddProj->isEnabled());
    EXPECT_EQ(w->property("HelpContext").toInt(), 44);
    EXPECT_EQ(w->Memo1->toolTip(), txt(2, 7));
    EXPECT_EQ(w->Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("R / W"));
    EXPECT_EQ(w->Model().headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(), txt(2, 7));
}

TEST_F(DwnWindow, ThreeLinesShowInTheFirstRowsAndHundredScrollTo91)
{
    TDwnLoad* w = open();
    w->resize(649, 341);
    ASSERT_TRUE(qeltest::waitUntil([w] { return w->View().Rows > 3; }));
    for (int a : {0x0101, 0x0102, 0x0103})
        add(w, a, 5);
    // Every row the view draws is fully visible.
    const auto lastRowVisible = [w] {
        const int r = w->View().Rows - 1;
        return w->ListView1->rowViewportPosition(r) + w->ListView1->rowHeight(r) <= w->ListView1->viewport()->height();
    };
    EXPECT_TRUE(qeltest::waitUntil(lastRowVisible));
    const int rows = w->View().Rows;
    EXPECT_EQ(w->Model().rowCount(), rows);
    EXPECT_EQ(w->ScrollBar1->maximum(), 0);
    EXPECT_EQ(w->Model().index(2, 3).data().toString(), QStringLiteral("0103h"));
    EXPECT_TRUE(w->Model().index(3, 0).data().toString().isEmpty());
    EXPECT_EQ(w->Model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("3"));

    for (int i = 3; i < 100; ++i)
        add(w, 0x0101, i);
    EXPECT_EQ(w->ScrollBar1->maximum(), 100 - rows + 1);
    w->ListView1->setFocus();
    key(w->ListView1, Qt::Key_End);
    EXPECT_EQ(w->ScrollBar1->value(), 100 - rows + 1);
    EXPECT_TRUE(w->Model().index(rows - 1, 0).data().toString().isEmpty());
    EXPECT_EQ(marks(w), std::vector<int>{99});
    EXPECT_EQ(w->ListView1->selectionModel()->selectedRows().size(), 1);
    // The scroll bar moves the rows.
    w->ScrollBar1->setValue(10);
    EXPECT_EQ(w->Model().index(0, 0).data().toString(), QStringLiteral("10"));
    // Growing the window adds rows.
    w->resize(649, 600);
    ASSERT_TRUE(qeltest::waitUntil([w, rows] { return w->View().Rows > rows; }));
    EXPECT_EQ(w->Model().rowCount(), w->View().Rows);
}

TEST_F(DwnWindow, KeysAndMouseMarkLinesInTheWindow)
{
    TDwnLoad* w = open();
    for (int i = 0; i < 40; ++i)
        add(w, 0x0101, i);
    const int rows = w->View().Rows;
    w->ListView1->setFocus();
    key(w->ListView1, Qt::Key_Home);
    for (int i = 0; i < rows; ++i)
        key(w->ListView1, Qt::Key_Down);
    // Down on the last row scrolled one line and kept the focus there.
    EXPECT_EQ(w->View().Position, 1);
    EXPECT_EQ(w->View().FocusRow, rows - 1);
    EXPECT_EQ(marks(w), std::vector<int>{rows});
    key(w->ListView1, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(marks(w), (std::vector<int>{rows, rows + 1}));
    key(w->ListView1, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(marks(w), (std::vector<int>{rows, rows + 1}));
    key(w->ListView1, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(marks(w), std::vector<int>{rows + 1});

    // A click on a row marks its line alone.
    QWidget* vp = w->ListView1->viewport();
    const QPoint p(40, w->ListView1->rowViewportPosition(2) + 2);
    QMouseEvent press(QEvent::MouseButtonPress, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
    EXPECT_EQ(marks(w), std::vector<int>{w->View().Position + 2});
}

TEST_F(DwnWindow, CloseAsksWhileModifiedAndRefusesDuringATransfer)
{
    TDwnLoad* w = open();
    QPointer<TDwnLoad> guard(w);
    add(w, 0x0101, 1);
    w->Engine().Modified = true;
    answerer.answers = {2};  // Cancel
    EXPECT_FALSE(w->close());
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].title, w->GetShortName());
    w->Engine().TransferState = DwnTransfer::Upload;
    EXPECT_FALSE(w->close());
    EXPECT_EQ(answerer.shown.size(), 1u);  // no question during a transfer
    w->Engine().TransferState = DwnTransfer::Idle;
    answerer.answers = {1};  // No
    EXPECT_TRUE(w->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

// ---------------------------------------------------------------- editing

TEST_F(DwnWindow, ModeChangeSparesBlankLinesAndUserSteps)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1, DwnMode::RW);
    add(w, 0, 0, DwnMode::Blank);
    add(w, 0, -100, DwnMode::UserStep);
    add(w, 0x0102, 1, DwnMode::WA);
    w->Engine().MarkAll();
    w->ChangeMode(DwnMode::WO);
    std::vector<int> modes;
    for (const auto& e : w->Engine().Lines)
        modes.push_back(e->Mode);
    EXPECT_EQ(modes, (std::vector<int>{DwnMode::WO, DwnMode::Blank, DwnMode::UserStep, DwnMode::WO}));
    EXPECT_TRUE(w->Engine().Modified);
    // A mode outside 0..3 changes nothing.
    w->ChangeMode(5);
    EXPECT_EQ(w->Engine().Lines[0]->Mode, DwnMode::WO);
}

TEST_F(DwnWindow, SixteenBitValueOfAnOldTypeIsRefused)
{
    TDwnLoad* w = open(5);
    ASSERT_EQ(w->Engine().CfgId, 3);
    add(w, 0x0002, 10);
    w->SelectLine(0);
    w->ChangePara(70000);
    EXPECT_EQ(w->Engine().Lines[0]->Value, 10);
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].text, texts.GetErrorText(3));
    w->ChangePara(65535);
    EXPECT_EQ(w->Engine().Lines[0]->Value, 65535);
    // The set editor does not open for a type without sets.
    w->MenuChangeSetClick();
    EXPECT_FALSE(set.isVisible());
    ASSERT_EQ(answerer.shown.size(), 2u);
    EXPECT_EQ(answerer.shown[1].text, txt(0, 20));
}

TEST_F(DwnWindow, ValueEditorChangesTheMarkedLineAlsoScrolledAway)
{
    TDwnLoad* w = open();
    for (int i = 0; i < 60; ++i)
        add(w, 0x0101, i);
    w->SelectLine(50);
    w->MenuchangeValClick();
    ASSERT_TRUE(val.isVisible());
    w->ScrollBar1->setValue(0);
    // The editor's OK goes to the line it shows.
    val.Core().Value = 4242;
    w->ChangePara(4242);
    EXPECT_EQ(w->Engine().Lines[50]->Value, 4242);
    EXPECT_EQ(w->Engine().Lines[0]->Value, 0);
    // With two marked lines the value editor is detached.
    w->Engine().Lines[3]->Selected = 1;
    w->SetDialogBoxes();
    w->ChangePara(1);
    EXPECT_EQ(w->Engine().Lines[50]->Value, 4242);
    val.hide();
}

TEST_F(DwnWindow, SearchFromTheLastLineFindsNothingAndClearsTheMarks)
{
    TDwnLoad* w = open();
    add(w, 0x0205, 1);
    add(w, 0x0101, 1);
    add(w, 0x0205, 2);
    add(w, 0x0102, 3);
    w->SelectLine(0);
    w->SearchPara(0x0205);
    EXPECT_EQ(marks(w), std::vector<int>{2});
    EXPECT_EQ(w->View().CurrentLine(), 2);
    w->SelectLine(3);
    w->SearchPara(0x0205);
    EXPECT_TRUE(marks(w).empty());
    EXPECT_EQ(w->View().FocusRow, -1);
    EXPECT_EQ(w->Edit().SearchAdr, 0x0205);
}

TEST_F(DwnWindow, InsertsAtTheCurrentLine)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1);
    add(w, 0x0102, 2);
    w->View().FocusRow = 1;
    w->MenuInsertBlankLineClick();
    w->View().FocusRow = 0;
    w->View().Position = 0;
    w->MenuInsertUserClick();
    std::vector<int> modes;
    for (const auto& e : w->Engine().Lines)
        modes.push_back(e->Mode);
    EXPECT_EQ(modes, (std::vector<int>{DwnMode::UserStep, DwnMode::RW, DwnMode::Blank, DwnMode::RW}));
    // An empty row past the end appends.
    w->View().Position = 0;
    w->View().FocusRow = 4;
    w->EnterPara(0x0103);
    ASSERT_EQ(w->Engine().Lines.size(), 5u);
    EXPECT_EQ(w->Engine().Lines[4]->Address, 0x0103);
    EXPECT_NE(w->Engine().Lines[4]->Para, nullptr);
    EXPECT_EQ(w->Engine().Lines[4]->SetMask, -1);
    // Without a focused row blank lines need a line.
    w->View().FocusRow = -1;
    w->MenuInsertBlankLineClick();
    EXPECT_EQ(w->Engine().Lines.size(), 5u);
}

TEST_F(DwnWindow, UserStepValueFromTheInputBox)
{
    TDwnLoad* w = open();
    add(w, 0, -100, DwnMode::UserStep, -1, QStringLiteral("wait"));
    w->SelectLine(0);
    QString prompt;
    QString entry = QStringLiteral("-2500");
    w->InputBox = [&](const QString&, const QString& p, QString& v) {
        prompt = p;
        v = entry;
        return true;
    };
    w->MenuchangeValClick();
    EXPECT_EQ(prompt, QStringLiteral("wait"));
    EXPECT_EQ(w->Engine().Lines[0]->Value, -2500);
    entry = QStringLiteral("12a");
    w->MenuchangeValClick();
    EXPECT_EQ(w->Engine().Lines[0]->Value, -2500);
}

TEST_F(DwnWindow, MemoFocusedDeleteAndMarkAllStayInTheMemo)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1);
    add(w, 0x0102, 2);
    w->activateWindow();
    w->Memo1->setPlainText(QStringLiteral("first second"));
    w->Memo1->setFocus();
    ASSERT_TRUE(qeltest::waitUntil([w] { return w->MemoActive(); }));
    QTextCursor c = w->Memo1->textCursor();
    c.setPosition(0);
    c.setPosition(6, QTextCursor::KeepAnchor);
    w->Memo1->setTextCursor(c);
    w->Engine().Lines[0]->Selected = 1;
    w->DoDelete();
    EXPECT_EQ(w->Memo1->toPlainText(), QStringLiteral("second"));
    EXPECT_EQ(w->Engine().Lines.size(), 2u);
    w->DoMarkAll();
    EXPECT_EQ(w->Memo1->textCursor().selectedText(), QStringLiteral("second"));
    EXPECT_EQ(marks(w), std::vector<int>{0});
    EXPECT_EQ(w->Engine().Remark, QStringList{QStringLiteral("second")});
    EXPECT_TRUE(w->Engine().Modified);
    // In the list they act on the lines.
    w->ListView1->setFocus();
    ASSERT_TRUE(qeltest::waitUntil([w] { return !w->MemoActive(); }));
    w->DoMarkAll();
    EXPECT_EQ(marks(w), (std::vector<int>{0, 1}));
    w->DoDelete();
    EXPECT_TRUE(w->Engine().Lines.empty());
}

TEST_F(DwnWindow, NothingChangesTheLinesDuringATransfer)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1, DwnMode::RW, 4, QStringLiteral("n"));
    add(w, 0x0102, 2);
    w->SelectLine(0);
    w->Engine().TransferState = DwnTransfer::Compare;
    w->Engine().Modified = false;
    w->ChangePara(99);
    w->ChangeSet(1);
    w->ChangeNote(QStringLiteral("x"));
    w->ChangeMode(DwnMode::RO);
    w->View().FocusRow = 0;
    w->EnterPara(0x0103);
    w->MenuInsertBlankLineClick();
    w->MenuInsertUserClick();
    w->DoMarkAll();
    w->DoDelete();
    w->SearchPara(0x0102);
    ASSERT_EQ(w->Engine().Lines.size(), 2u);
    const TDwnEntry& l = *w->Engine().Lines[0];
    EXPECT_EQ(l.Value, 1);
    EXPECT_EQ(l.SetMask, 4);
    EXPECT_EQ(l.Note, QStringLiteral("n"));
    EXPECT_EQ(l.Mode, DwnMode::RW);
    EXPECT_EQ(marks(w), std::vector<int>{0});
    EXPECT_FALSE(w->Engine().Modified);
    // Saving stays possible.
    w->Engine().SaveData(path(QStringLiteral("during.dw5")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("during.dw5"))));
    w->Engine().TransferState = DwnTransfer::Idle;
}

TEST_F(DwnWindow, EditorsFollowTheSelectionAndDetachOnClose)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 7, DwnMode::RW, 2, QStringLiteral("n"));
    add(w, 0x0102, 8, DwnMode::RO, 0);
    w->SelectLine(1);
    mode.EditMode(QString(), 0, nullptr);
    set.EditSet(0, QString(), nullptr);
    ASSERT_TRUE(mode.isVisible() && set.isVisible());
    w->SetDialogBoxes();
    const TDwnEntry& l = *w->Engine().Lines[1];
    const QString label = l.Para->GetIdText() + u' ' + l.Para->GetName(0) + QStringLiteral("; ") + w->GetShortName()
        + QStringLiteral("; ") + txt(0, 27) + QStringLiteral(" 1");
    EXPECT_EQ(mode.Label1->text(), label);
    EXPECT_EQ(set.Label1->text(), label);
    EXPECT_TRUE(mode.OkButton->isEnabled());
    // The mode editor's OK reaches the marked line.
    mode.ComboBox1->setCurrentIndex(DwnMode::WA);
    mode.OkButton->click();
    EXPECT_EQ(w->Engine().Lines[1]->Mode, DwnMode::WA);
    mode.EditMode(QString(), 0, nullptr);
    w->Engine().MarkAll();
    w->SetDialogBoxes();
    EXPECT_EQ(set.Label1->text(), w->GetShortName() + QStringLiteral("; ") + txt(0, 26));
    w->Engine().Modified = false;
    QPointer<TDwnLoad> guard(w);
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(set.OkButton->isEnabled());
    EXPECT_FALSE(mode.OkButton->isEnabled());
    set.hide();
    mode.hide();
}

TEST_F(DwnWindow, AddressEditorInsertsAndSearches)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1);
    w->View().FocusRow = 0;
    w->Parametereinf1Click();
    ASSERT_TRUE(adr.isVisible());
    EXPECT_FALSE(adr.KeepOpen());
    EXPECT_EQ(adr.Label1->text(), txt(2, 5) + QStringLiteral("; ") + w->GetShortName());
    w->SelectLine(0);
    w->DoSearch();
    EXPECT_EQ(w->Edit().SearchAdr, 0x0101);
    EXPECT_TRUE(adr.KeepOpen());
    EXPECT_EQ(adr.Label1->text(), txt(2, 14) + QStringLiteral("; ") + w->GetShortName());
    adr.hide();
}

TEST_F(DwnWindow, AddToProjectLinksTheFileOnce)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1);
    ASSERT_EQ(w->Engine().SaveData(path(QStringLiteral("l.dw5"))), 0);
    EXPECT_TRUE(w->MenuAddProj->isEnabled());
    w->MenuAddProjClick();
    w->MenuAddProjClick();
    EXPECT_EQ(prj.GetInv(1)->DownFiles, QStringList{path(QStringLiteral("l.dw5"))});
}

}  // namespace

namespace {

TEST_F(DwnWindow, ActiveWindowHandsItsSlotsAndContextItems)
{
    TDwnLoad* old = open(5);
    TDwnLoad* w = open(1);
    w->activateWindow();
    ASSERT_TRUE(qeltest::waitUntil([&] { return opFuncs == &w->OpFuncs && context == &w->ContextItems; }));
    for (int s = osSave; s <= osSearch; ++s)
        EXPECT_TRUE(opFuncs->Filled(s)) << s;
    EXPECT_FALSE(opFuncs->Filled(osReserved));
    ASSERT_EQ(context->Count(), 7);
    EXPECT_EQ(context->Item(0)->Caption(), w->GetShortName());
    EXPECT_EQ(context->Item(0)->HelpContext, 44);
    const std::vector<std::pair<std::pair<int, int>, int>> items{
        {{2, 0}, 50}, {{2, 1}, 71}, {{2, 11}, 52}, {{2, 15}, 53}, {{2, 20}, 137}, {{0, 11}, 54}};
    for (int i = 1; i <= 6; ++i) {
        const TContextItem& c = *context->Item(i);
        EXPECT_EQ(c.Caption(), txt(items[size_t(i - 1)].first.first, items[size_t(i - 1)].first.second));
        EXPECT_EQ(c.Hint(), c.Caption());
        EXPECT_EQ(c.HelpContext, items[size_t(i - 1)].second);
        EXPECT_FALSE(c.Glyph.isNull()) << i;
        EXPECT_TRUE(c.Enabled);
    }
    // Compress follows the configuration's parameter sets.
    EXPECT_FALSE(old->ContextItems.Item(4)->Enabled);
    // The mark-all slot reaches the lines.
    add(w, 0x0101, 1);
    add(w, 0x0102, 2);
    w->ListView1->setFocus();
    opFuncs->Slots[osMarkAll]();
    EXPECT_EQ(marks(w), (std::vector<int>{0, 1}));
    w->Engine().Modified = false;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(opFuncs, nullptr);
    EXPECT_EQ(context, nullptr);
}

}  // namespace

namespace {

void doubleClick(TDwnLoad* w, int row, int x)
{
    QWidget* vp = w->ListView1->viewport();
    const QPoint p(x, w->ListView1->rowViewportPosition(row) + 2);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                           QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(t, p, vp->mapToGlobal(p), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    }
}

int columnMiddle(TDwnLoad* w, int c)
{
    auto* h = w->ListView1->horizontalHeader();
    return h->sectionViewportPosition(c) + h->sectionSize(c) / 2;
}

TEST_F(DwnWindow, DoubleClickOpensTheEditorOfTheColumnUnderIt)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 5, DwnMode::RW, 2);
    add(w, 0x0102, 6);
    // Value column: the value editor for that line.
    doubleClick(w, 1, columnMiddle(w, 6));
    EXPECT_TRUE(val.isVisible());
    EXPECT_EQ(marks(w), std::vector<int>{1});
    val.hide();
    // Set column of a type with sets: the set editor.
    doubleClick(w, 0, columnMiddle(w, 2));
    EXPECT_TRUE(set.isVisible());
    set.hide();
    // Mode column without ChangeDownloadProperties acts as the address column.
    doubleClick(w, 0, columnMiddle(w, 1));
    EXPECT_FALSE(mode.isVisible());
    EXPECT_TRUE(val.isVisible());
    val.hide();
    cfg.ChangeDownloadProperties = true;
    doubleClick(w, 0, columnMiddle(w, 1));
    EXPECT_TRUE(mode.isVisible());
    mode.hide();
    // An empty row: the address editor inserts.
    doubleClick(w, 3, columnMiddle(w, 5));
    ASSERT_TRUE(adr.isVisible());
    EXPECT_EQ(w->Edit().SearchAdr, -1);
    EXPECT_EQ(adr.Label1->text(), txt(2, 5) + QStringLiteral("; ") + w->GetShortName());
    adr.hide();
    // A line without description with ChangeDownloadProperties: the raw value.
    w->Engine().InsertNewLine(2, nullptr, 0x7777, 3, -1, DwnMode::RW, false, QString());
    w->RefreshView(false);
    w->InputBox = [](const QString&, const QString&, QString& v) {
        v = QStringLiteral("99");
        return true;
    };
    doubleClick(w, 2, columnMiddle(w, 4));
    EXPECT_EQ(w->Engine().Lines[2]->Value, 99);
}

TEST_F(DwnWindow, RemarkEditorEditsTheNotesOfTheMarkedLines)
{
    TDwnLoad* w = open();
    add(w, 0x0101, 1, DwnMode::RW, -1, QStringLiteral("first"));
    add(w, 0x0102, 2, DwnMode::RW, -1, QStringLiteral("second"));
    w->Engine().InsertNewLine(2, nullptr, 0, 0, 0, DwnMode::Blank, false, QStringLiteral("blank"));
    w->RefreshView(false);
    // F5 needs a current line.
    w->View().FocusRow = -1;
    w->MenuChangenote->trigger();
    EXPECT_FALSE(rem.isVisible());
    w->SelectLine(1);
    ASSERT_EQ(w->View().CurrentLine(), 1);
    w->MenuChangenote->trigger();
    ASSERT_TRUE(rem.isVisible());
    const TDwnEntry& l = *w->Engine().Lines[1];
    EXPECT_EQ(rem.RemEdit->text(), QStringLiteral("second"));
    EXPECT_EQ(rem.Label1->text(), l.Para->GetIdText() + u' ' + l.Para->GetName(0) + QStringLiteral("; ")
                                      + w->GetShortName() + QStringLiteral("; ") + txt(0, 27) + QStringLiteral(" 1"));
    w->Engine().Modified = false;
    rem.RemEdit->setText(QStringLiteral("changed"));
    rem.OkButton->click();
    EXPECT_EQ(w->Engine().Lines[1]->Note, QStringLiteral("changed"));
    EXPECT_EQ(w->Model().data(w->Model().index(1, 7), Qt::DisplayRole).toString(), QStringLiteral("changed"));
    EXPECT_TRUE(w->Engine().Modified);

    // Re-pointed with the selection: several marked lines (the second one
    // shown, the blank line among them) all take the text.
    w->SelectRange(0, 2);
    w->SetDialogBoxes();
    EXPECT_EQ(rem.RemEdit->text(), QStringLiteral("changed"));
    EXPECT_EQ(rem.Label1->text(), w->GetShortName() + QStringLiteral("; ") + txt(0, 26));
    rem.RemEdit->setText(QString(300, u'x'));
    rem.OkButton->click();
    for (const TDwnEntryPtr& e : w->Engine().Lines)
        EXPECT_EQ(e->Note, QString(kDwnNoteLen, u'x'));
    // Nothing marked: detached.
    w->View().ClearMarks();
    w->SetDialogBoxes();
    EXPECT_FALSE(rem.OkButton->isEnabled());

    // A double click on the note column opens it for the clicked line.
    doubleClick(w, 0, columnMiddle(w, 7));
    EXPECT_EQ(marks(w), std::vector<int>{0});
    EXPECT_TRUE(rem.OkButton->isEnabled());
    EXPECT_TRUE(rem.Label1->text().endsWith(txt(0, 27) + QStringLiteral(" 0")));
    // Closing the window detaches it.
    w->Engine().Modified = false;
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(rem.OkButton->isEnabled());
    EXPECT_TRUE(rem.Label1->text().isEmpty());
    rem.hide();
}

TEST_F(DwnWindow, WindowsCascadeBelowTheMainBar)
{
    mainForm.Bar = QRect(0, 0, 800, 60);
    TDwnLoad* first = open();
    TDwnLoad* second = open();
    const int below = 60;
    EXPECT_EQ(first->pos(), QPoint(25, below + 25));
    EXPECT_EQ(second->pos(), QPoint(50, below + 50));
}

TEST_F(DwnWindow, MaximisedListWindowsAndTheValueEditorFillTheWorkAreaBelowTheMainBar)
{
    QWidget bar;
    bar.setGeometry(0, 0, 640, 50);
    bar.show();
    SetMaxPlacementBar(&bar);
    const QRect below = MaxPlacementFrame(bar.screen()->availableGeometry(), bar.frameGeometry());
    TDwnLoad* dwn = open();
    auto* wrk = new TFWrkList(0);
    wrk->show();
    val.EditValue(0, -1, nullptr, QString(), 0, nullptr);
    ASSERT_TRUE(val.isVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{dwn, wrk, &val}) {
        SCOPED_TRACE(w->objectName().toStdString());
        w->showMaximized();
        ASSERT_TRUE(qeltest::waitUntil([w, below] { return !w->isMaximized() && w->frameGeometry() == below; }));
        EXPECT_TRUE(CountsAsMaximised(w));
    }
    // Laid out at the new size: as many rows as fit, the remark column
    // fitted, the value editor left at the placed height.
    QCoreApplication::processEvents();
    EXPECT_GT(dwn->View().Rows, 10);
    EXPECT_EQ(dwn->ListView1->geometry().bottom(), dwn->height() - 1);
    EXPECT_EQ(val.frameGeometry(), below);
    EXPECT_TRUE(CountsAsMaximised(&val));
    SetMaxPlacementBar(nullptr);
    delete wrk;
    val.hide();
}

}  // namespace
