// The work-list window's commands on the real widgets: menus and their
// keys, operation slots that follow the selection, the memo's clipboard,
// copy and paste between lists, drops, the editors following the row,
// print to PDF, and (against the simulator) the copied line of a value read.

#include "lists/fwrk_list.h"
#include "lists/fwrk_list_view.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/adr_edit.h"
#include "lists/val_edit.h"
#include "lists/wrk_list_tools.h"
#include "fake_main_form.h"
#include "wrk_fixture.h"

#include "config/drag_drop.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "modal.h"
#include "wait_until.h"
#include "pdf_text.h"

#include <QAction>
#include <QClipboard>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTimer>

using namespace listtest;

namespace {

QString screenshotDir()
{
    const QString env = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    const QString dir = env.isEmpty() ? qeltest::binaryDir() + QStringLiteral("/screenshots") : env;
    QDir().mkpath(dir);
    return dir;
}

struct WrkEditWindow : qeltest::TempDirTest {
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        FillProject(prj);
        a = make(0);
        b = make(1);
    }
    void TearDown() override
    {
        for (QPointer<TFWrkList>& w : {std::ref(a), std::ref(b)})
            if (w) {
                w->Core().Modified = false;
                delete w.data();
            }
    }
    QPointer<TFWrkList> make(int no)
    {
        auto* w = new TFWrkList(no);
        w->Core().Project = &prj;
        w->Core().SetInteraction(ui);
        w->ClpBrd = &clp;
        w->DragDropObj = &dd;
        w->Tools = tools;
        mainForm.OnSetPrgOpFuncs = [this](PTOperatingFuncs f) { handed.push_back(f ? f->Filled(osCopy) : -1); };
        tools->MainForm = &mainForm;
        return w;
    }
    static std::shared_ptr<TWrkListItem> row(TVortalinPrj& prj, int inv, int adr, const QString& remark = {})
    {
        auto r = std::make_shared<TWrkListItem>();
        r->Inverter = inv;
        r->Address = adr;
        r->Remark = remark;
        if (const TPrjInvRec* i = prj.GetInv(inv))
            r->Para = FindParaShared(i->Cfg, adr);
        return r;
    }
    static std::shared_ptr<TWrkListItem> blank(const QString& remark)
    {
        auto r = std::make_shared<TWrkListItem>();
        r->SetSel = r->Address = r->Inverter = -1;
        r->Remark = remark;
        return r;
    }
    void fill(TFWrkList& w)
    {
        TWrkListCore& c = w.Core();
        c.InsertItem(row(prj, 1, 0x0101, QStringLiteral("speed")), c.Model().TrailingRow());
        c.InsertItem(blank(QStringLiteral("-- gap --")), c.Model().TrailingRow());
        c.InsertItem(row(prj, 2, 0x0108, QStringLiteral("load")), c.Model().TrailingRow());
        c.InsertItem(row(prj, 9, 0x0101), c.Model().TrailingRow());
        c.Modified = false;
    }
    void selectRows(TFWrkList& w, std::initializer_list<int> rows)
    {
        QItemSelection s;
        for (int r : rows)
            s.select(w.Core().Model().index(r, 0), w.Core().Model().index(r, 6));
        w.List()->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (rows.size())
            w.List()->selectionModel()->setCurrentIndex(w.Core().Model().index(*rows.begin(), 0),
                                                         QItemSelectionModel::NoUpdate);
    }
    // A press and a double click at x on a row.
    void doubleClick(TFWrkList& w, int row, int x)
    {
        QWidget* vp = w.List()->viewport();
        const QPoint p(x, w.List()->rowViewportPosition(row) + 3);
        QMouseEvent press(QEvent::MouseButtonPress, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &release);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, p, vp->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &dbl);
    }
    bool dropOn(TFWrkList& w, int row)
    {
        const std::unique_ptr<QMimeData> data = dd.MimeData();
        QWidget* vp = w.List()->viewport();
        const QPoint p(20, row >= 0 ? w.List()->rowViewportPosition(row) + 3 : vp->height() - 2);
        QDragEnterEvent enter(p, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &enter);
        QDropEvent e(p, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &e);
        return e.isAccepted();
    }
    QString text(TFWrkList& w, int r, int c) { return w.Core().Model().Text(r, c); }

    TVortalinPrj prj;
    TVortalinClpBrd clp;
    TDragDrop dd;
    // The tool windows the test's windows open.
    std::shared_ptr<TWrkListTools> tools = std::make_shared<TWrkListTools>();
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
    qeltest::TFakeMainForm mainForm;
    std::vector<int> handed;
    QPointer<TFWrkList> a, b;
};

TEST_F(WrkEditWindow, MenusHaveTheirEntriesKeysAndHelpAndEnableBeforeOpening)
{
    const struct {
        const char* name;
        QKeySequence key;
        int help;
    } list[] = {{"MiEditVal", Qt::Key_F3, 86},      {"MiEditSet", Qt::Key_F4, 45},
                {"MiEditRem", Qt::Key_F5, 88},      {"MiEditAdr", Qt::Key_F6, 84},
                {"MiEditInv", Qt::Key_F2, 95},      {"MiInsertBlank", Qt::Key_F7, 87},
                {nullptr, {}, 0},                   {"MiSaveList", QKeySequence(Qt::CTRL | Qt::Key_S), 17},
                {"MiSaveAs", {}, 18},               {"miAddToPrj", {}, 91},
                {nullptr, {}, 0},                   {"MiCut", QKeySequence(Qt::CTRL | Qt::Key_X), 24},
                {"MiCopy", QKeySequence(Qt::CTRL | Qt::Key_C), 25}, {"MiPaste", QKeySequence(Qt::CTRL | Qt::Key_V), 26},
                {"MiDelete", Qt::Key_Delete, 27},   {"MiMarkAll", QKeySequence(Qt::CTRL | Qt::Key_A), 28},
                {nullptr, {}, 0},                   {"miSetDefColWidth", {}, 94}};
    const QList<QAction*> acts = a->pmList->actions();
    ASSERT_EQ(acts.size(), 18);
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        if (!list[i].name) {
            EXPECT_TRUE(acts[i]->isSeparator());
            continue;
        }
        EXPECT_EQ(acts[i]->objectName(), QLatin1String(list[i].name));
        EXPECT_EQ(acts[i]->shortcut(), list[i].key);
        EXPECT_EQ(acts[i]->property("HelpContext").toInt(), list[i].help);
    }
    QStringList text;
    for (QAction* x : a->pmText->actions())
        text.append(x->objectName());
    EXPECT_EQ(text, (QStringList{QStringLiteral("MiCutItem"), QStringLiteral("MiCopyItem"),
                                 QStringLiteral("MiPasteItem"), QStringLiteral("MiDelItem"),
                                 QStringLiteral("MiMarkAllItem")}));
    EXPECT_EQ(a->pmText->actions()[4]->shortcut(), QKeySequence());
    EXPECT_EQ(a->property("HelpContext").toInt(), 55);

    fill(*a);
    a->show();
    // Row 2: inverter 2 has no parameter sets; nothing selected yet.
    selectRows(*a, {2});
    a->ListPopup();
    EXPECT_TRUE(a->MiEditVal->isEnabled());
    EXPECT_FALSE(a->MiEditSet->isEnabled());
    EXPECT_TRUE(a->MiCopy->isEnabled());
    EXPECT_FALSE(a->miAddToPrj->isEnabled());
    // The blank row: no editors.
    selectRows(*a, {1});
    a->ListPopup();
    for (QAction* x : {a->MiEditVal, a->MiEditSet, a->MiEditRem, a->MiEditAdr, a->MiEditInv})
        EXPECT_FALSE(x->isEnabled()) << x->objectName().toStdString();
    EXPECT_TRUE(a->MiInsertBlank->isEnabled());

    // A file in the project: the item removes it.
    const QString file = path(QStringLiteral("list.wr5"));
    ASSERT_EQ(a->SaveToFile(file), 0);
    a->ListPopup();
    EXPECT_TRUE(a->miAddToPrj->isEnabled());
    const QString addText = a->miAddToPrj->text();
    ASSERT_GE(prj.AddFile(file, -1), 0);
    a->ListPopup();
    EXPECT_NE(a->miAddToPrj->text(), addText);
    a->miAddToPrj->trigger();
    EXPECT_EQ(prj.FindFile(file), -2);
    a->ListPopup();
    EXPECT_EQ(a->miAddToPrj->text(), addText);

    // The memo's menu: cut, copy and delete with selected text only.
    a->Memo()->setPlainText(QStringLiteral("note"));
    a->TextPopup();
    EXPECT_FALSE(a->MiCopyItem->isEnabled());
    a->Memo()->selectAll();
    a->TextPopup();
    EXPECT_TRUE(a->MiCopyItem->isEnabled() && a->MiCutItem->isEnabled() && a->MiDelItem->isEnabled());
}

TEST_F(WrkEditWindow, SlotsFollowTheSelectionAndActivationHandsTheRecordOver)
{
    fill(*a);
    a->show();
    const TOperatingFuncs& f = a->OpFuncs();
    for (int s : {osSave, osSaveAs, osPaste, osMarkAll, osPrint})
        EXPECT_TRUE(f.Filled(s)) << s;
    EXPECT_FALSE(f.Filled(osSearch));
    handed.clear();
    selectRows(*a, {a->Core().Model().TrailingRow()});
    EXPECT_FALSE(f.Filled(osCopy));
    EXPECT_TRUE(handed.empty());
    selectRows(*a, {0, 2});
    EXPECT_TRUE(f.Filled(osCut) && f.Filled(osCopy) && f.Filled(osDelete));
    EXPECT_EQ(handed, std::vector<int>{1});
    selectRows(*a, {1});  // still rows: no change handed over
    EXPECT_EQ(handed.size(), 1u);
    a->List()->clearSelection();
    EXPECT_FALSE(f.Filled(osCopy));
    EXPECT_EQ(handed, (std::vector<int>{1, 0}));
    // Slot 4 assigned through the selection makes the list menu's copy live.
    selectRows(*a, {0});
    a->ListPopup();
    EXPECT_TRUE(a->MiCut->isEnabled());
    // The main window's slot copies the rows.
    f.Slots[osCopy]();
    ASSERT_NE(clp.Content(), nullptr);
    EXPECT_EQ(clp.Content()->Count(), 1);
    // The list's keys stay with the menu's entries, enabled as the
    // selection goes, the menu never opened; the view keeps none of them.
    clp.SetIntClpBrd(nullptr);
    a->List()->clearSelection();
    EXPECT_FALSE(a->MiCopy->isEnabled());
    selectRows(*a, {0, 2});
    EXPECT_TRUE(a->MiCopy->isEnabled());
    EXPECT_TRUE(a->List()->actions().contains(a->MiCopy));
    EXPECT_EQ(a->MiCopy->shortcutContext(), Qt::WidgetShortcut);
    for (const QKeySequence::StandardKey key :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll}) {
        const QKeyCombination k = QKeySequence(key)[0];
        QKeyEvent over(QEvent::ShortcutOverride, k.key(), k.keyboardModifiers());
        over.setAccepted(false);
        QCoreApplication::sendEvent(a->List(), &over);
        EXPECT_FALSE(over.isAccepted()) << int(key);
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
    QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(a->List(), &ctrlC);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
    selectRows(*a, {1});
    EXPECT_FALSE(a->MiEditVal->isEnabled());
    selectRows(*a, {0});
    EXPECT_TRUE(a->MiEditVal->isEnabled());
}

TEST_F(WrkEditWindow, CopiedRowsPasteIntoAnotherListInOrderAndMemoTextStaysText)
{
    fill(*a);
    a->show();
    a->List()->setFocus();
    a->Core().Model().Item(0)->Value = 1500;
    a->Core().Model().Item(0)->ValueValid = true;
    selectRows(*a, {0, 1, 2});
    a->Copy();
    ASSERT_NE(clp.Content(), nullptr);
    EXPECT_EQ(clp.Content()->Lines.size(), 3);

    b->show();
    b->List()->setFocus();
    b->Core().InsertItem(blank(QStringLiteral("end")), 0);
    selectRows(*b, {0});
    b->Paste();
    const TWrkListModel& m = b->Core().Model();
    ASSERT_EQ(m.TrailingRow(), 4);
    EXPECT_EQ(m.Item(0)->Address, 0x0101);
    EXPECT_EQ(m.Item(0)->Value, 1500);
    EXPECT_TRUE(m.Item(0)->ValueValid);
    EXPECT_TRUE(m.Item(1)->IsBlank());
    EXPECT_EQ(m.Item(1)->Remark, QStringLiteral("-- gap --"));
    EXPECT_FALSE(m.Item(2)->ValueValid);
    EXPECT_EQ(m.Item(3)->Remark, QStringLiteral("end"));
    for (int r : {0, 2})
        EXPECT_EQ(m.Text(r, TWrkListModel::colValue), b->Core().NotActText);

    // Cut removes the rows (never the trailing one).
    selectRows(*b, {0, 4});
    b->Cut();
    EXPECT_EQ(m.TrailingRow(), 3);
    EXPECT_EQ(clp.Content()->Count(), 1);

    // The memo: Ctrl+C copies its selection as text; such text pastes into
    // a memo but not into the rows.
    a->Memo()->setPlainText(QStringLiteral("line one\nline two"));
    a->Memo()->setFocus();
    ASSERT_TRUE(a->MemoActive());
    QTextCursor cur = a->Memo()->textCursor();
    cur.setPosition(5);
    cur.setPosition(13, QTextCursor::KeepAnchor);
    a->Memo()->setTextCursor(cur);
    EXPECT_TRUE(a->OpFuncs().Filled(osCopy));
    QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(a->Memo(), &ctrlC);
    ASSERT_NE(clp.Content(), nullptr);
    EXPECT_EQ(clp.Content()->Flags, cbfTextOnly);
    EXPECT_EQ(clp.Content()->Lines, QStringList{QStringLiteral("one\nline")});
    b->List()->setFocus();
    b->Paste();
    EXPECT_EQ(m.TrailingRow(), 3);
    b->Memo()->setFocus();
    b->Paste();
    EXPECT_EQ(b->Memo()->toPlainText(), QStringLiteral("one\nline\n"));
    // Delete and mark all on the memo.
    a->Delete();
    EXPECT_EQ(a->Memo()->toPlainText(), QStringLiteral("line  two"));
    a->MarkAll();
    EXPECT_EQ(a->Memo()->textCursor().selectedText(), QStringLiteral("line  two"));
    EXPECT_EQ(a->Core().Model().TrailingRow(), 4);
}

TEST_F(WrkEditWindow, DropsGoBeforeTheRowUnderThePointerAndNeverOnTheirOwnList)
{
    fill(*a);
    fill(*b);
    a->show();
    b->show();
    std::vector<std::shared_ptr<void>> rows{a->Core().Model().Item(0), a->Core().Model().Item(2)};
    ASSERT_TRUE(dd.Start(a->List(), ddkWrkRows, rows, 0, 0));
    EXPECT_FALSE(dropOn(*a, 1));
    EXPECT_EQ(a->Core().Model().TrailingRow(), 4);
    EXPECT_TRUE(dropOn(*b, 1));
    const TWrkListModel& m = b->Core().Model();
    ASSERT_EQ(m.TrailingRow(), 6);
    EXPECT_EQ(m.Item(1)->Address, 0x0101);
    EXPECT_EQ(m.Item(2)->Address, 0x0108);
    EXPECT_TRUE(m.Item(3)->IsBlank());
    // Below the last row: before the focused one.
    selectRows(*b, {0});
    EXPECT_TRUE(dropOn(*b, -1));
    EXPECT_EQ(m.TrailingRow(), 8);
    EXPECT_EQ(m.Item(0)->Remark, QStringLiteral("speed"));
    EXPECT_TRUE(b->Core().Modified);
    dd.End();
    EXPECT_FALSE(dropOn(*b, 0));

    // A drag from a list carries the selected records themselves.
    a->List()->clearSelection();
    dd.Kind = ddkWrkRows;
    EXPECT_FALSE(a->PrepareDrag());
    EXPECT_EQ(dd.Kind, ddkNone);
    selectRows(*a, {1, a->Core().Model().TrailingRow()});
    ASSERT_TRUE(a->PrepareDrag());
    EXPECT_EQ(dd.Kind, ddkWrkRows);
    EXPECT_EQ(dd.SourceView.data(), a->List());
    ASSERT_EQ(dd.Items.size(), 1u);
    EXPECT_EQ(dd.Items[0].get(), a->Core().Model().Item(1).get());
    EXPECT_EQ(dd.InvAdr, 0);
    EXPECT_EQ(dd.SetSel, 0);
}

TEST_F(WrkEditWindow, DoubleClicksOpenTheEditorOfTheColumnAndEditorsFollowTheRow)
{
    TfrmSetEdit setEd;
    TfrmAdrEdit adrEd;
    TfrmValEdit valEd;
    TfrmInvSel invSel;
    adrEd.SetProject(&prj);
    invSel.SetProject(&prj);
    TfrmRemEdit remEd;
    remEd.SetMainForm(&clp, nullptr);
    tools->SetEdit = &setEd;
    tools->AdrEdit = &adrEd;
    tools->ValEdit = &valEd;
    tools->InvSel = &invSel;
    tools->RemEdit = &remEd;
    fill(*a);
    a->Core().Model().Item(0)->SetSel = 3;
    a->show();
    const QHeaderView* h = a->List()->horizontalHeader();
    auto mid = [h](int col) { return h->sectionViewportPosition(col) + h->sectionSize(col) / 2; };

    selectRows(*a, {0});
    doubleClick(*a, 0, mid(2));
    EXPECT_EQ(a->Core().ClickedColumn, 2);
    ASSERT_TRUE(setEd.isVisible());
    EXPECT_EQ(setEd.OrgSel(), 3);
    EXPECT_EQ(setEd.Label1->text(), a->Core().DescriptionText(0));
    // The focused row changes: the visible editor follows it.
    selectRows(*a, {2});
    EXPECT_EQ(setEd.OrgSel(), 0);
    // Nothing to edit on a blank row: the editor shows no row.
    selectRows(*a, {1});
    EXPECT_EQ(setEd.OrgSel(), -1);
    EXPECT_EQ(setEd.Label1->text(), a->Core().UnknownParaText);
    setEd.hide();

    // A double click on a boundary counts as column 5 (the value).
    selectRows(*a, {0});
    doubleClick(*a, 0, h->sectionViewportPosition(1));
    EXPECT_EQ(a->Core().ClickedColumn, 5);
    ASSERT_TRUE(valEd.isVisible());
    EXPECT_EQ(valEd.Core().Label, a->Core().ValueLabel(0));
    EXPECT_EQ(valEd.Core().Value, a->Core().Model().Item(0)->Para->DefVal);
    EXPECT_FALSE(bool(valEd.Core().OnValue));
    valEd.hide();
    // The value column of a row without description opens nothing.
    selectRows(*a, {3});
    doubleClick(*a, 3, mid(5));
    EXPECT_FALSE(valEd.isVisible());

    // Column 1: the address editor; Enter acts as the double click.
    selectRows(*a, {3});
    doubleClick(*a, 3, mid(1));
    EXPECT_TRUE(adrEd.isVisible());
    adrEd.hide();
    selectRows(*a, {0});
    doubleClick(*a, 0, mid(6));
    ASSERT_TRUE(remEd.isVisible());
    EXPECT_EQ(remEd.Label1->text(), a->Core().DescriptionText(0));
    remEd.RemEdit->setText(remEd.RemEdit->text() + QStringLiteral("!"));
    remEd.OkButton->click();
    EXPECT_EQ(a->Core().Model().Item(0)->Remark, QStringLiteral("speed!"));
    remEd.hide();
    a->List()->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(a->List(), &enter);
    EXPECT_TRUE(remEd.isVisible());
    EXPECT_EQ(remEd.RemEdit->text(), QStringLiteral("speed!"));
    remEd.hide();
    // Column 0: the inverter choice.
    doubleClick(*a, 0, mid(0));
    EXPECT_TRUE(invSel.isVisible());
    invSel.hide();
    // F7 inserts a blank row before the focused one.
    a->MiInsertBlank->trigger();
    EXPECT_TRUE(a->Core().Model().Item(0)->IsBlank());
    // Closing re-points the visible editors to no row.
    setEd.show();
    a->Core().Modified = false;
    a->close();
    EXPECT_EQ(setEd.OrgSel(), -1);
}

TEST_F(WrkEditWindow, PrintsToPdfAndShowsItsMenu)
{
    TFrmvortalinprint print;
    print.SetDataPath(dir());
    print.UsePdfInDataFolder();
    tools->Print = &print;
    fill(*a);
    a->Core().Comments = {QStringLiteral("Pumps of line 2")};
    a->Core().OnCommentsLoaded();
    a->Core().AppNameText = QStringLiteral("Halvorn");
    a->show();
    qeltest::onModal(print, [&print] { print.printbtn->click(); });
    a->Print();
    const QString pdf = path(QStringLiteral("Halvorn: ") + a->Core().Caption + QStringLiteral(".pdf"));
    QStringList pdfs = QDir(dir()).entryList({QStringLiteral("*.pdf")});
    ASSERT_EQ(pdfs.size(), 1) << pdfs.join(u',').toStdString();
    const QString file = QDir(dir()).filePath(pdfs[0]);
    QFile::remove(screenshotDir() + QStringLiteral("/wrk_list_print.pdf"));
    QFile::copy(file, screenshotDir() + QStringLiteral("/wrk_list_print.pdf"));
    if (!qeltest::pdfToTextTool().isEmpty()) {
        const qeltest::PdfText read = qeltest::pdfText(file);
        ASSERT_TRUE(read.finished);
        const QString t = read.text;
        EXPECT_TRUE(t.contains(QStringLiteral("Pumps of line 2")));
        EXPECT_TRUE(t.contains(QStringLiteral("-- gap --")));
        EXPECT_TRUE(t.contains(QStringLiteral("0108h")));
        EXPECT_TRUE(t.contains(a->Core().Model().Caption(6)));
    }

    // The list menu open over the window.
    a->resize(640, 300);
    selectRows(*a, {0, 2});
    const QPoint at = a->List()->viewport()->mapToGlobal(QPoint(60, 30));
    a->pmList->popup(at);
    ASSERT_TRUE(qeltest::waitUntil([&] { return a->pmList->isVisible(); }));
    QImage shot(a->frameGeometry().size().expandedTo(QSize(at.x() - a->x() + a->pmList->width() + 4,
                                                             at.y() - a->y() + a->pmList->height() + 4)),
                QImage::Format_RGB32);
    shot.fill(Qt::darkGray);
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, a->grab());
    painter.drawPixmap(a->mapFromGlobal(at), a->pmList->grab());
    painter.end();
    EXPECT_TRUE(shot.save(screenshotDir() + QStringLiteral("/wrk_list_menu.png")));
    a->pmList->hide();
}

TEST(WrkEditSim, ACopiedRowCarriesTheValueReadFromTheInverterAsShown)
{
    TVortalinPrj prj;
    FillProject(prj);
    qelsim::SimModel m21;
    QString err;
    ASSERT_TRUE(qelsim::SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/data/configs/type0021.json"),
                                               m21, &err))
        << err.toStdString();
    auto inv1 = std::make_shared<qelsim::SimInverter>(1, m21);
    inv1->setValue(0x0101, 500, 0);
    qelsim::SimDinPtyServer server;
    server.addInverter(inv1);
    ASSERT_TRUE(server.start({}, &err)) << err.toStdString();
    qputenv("QEL_COM1", server.path().toLocal8Bit());
    auto sel = std::make_unique<TProtSel>();
    sel->Ansi()->SetComport(Com1);
    sel->Ansi()->SetBaudrate(B_38400);
    sel->Ansi()->SetTimeOut(500);
    sel->SetProtocol(1, prANSI);
    auto* sch = new TScheduler;
    ASSERT_EQ(sch->Attach(sel.get()), 0);
    sch->SetActive(true);
    {
        TVortalinClpBrd clp;
        TFWrkList w(0);
        w.Core().Project = &prj;
        w.ClpBrd = &clp;
        auto r = std::make_shared<TWrkListItem>();
        r->Inverter = 1;
        r->Address = 0x0101;
        r->Para = FindParaShared(prj.GetInv(1)->Cfg, 0x0101);
        w.InsertItem(r, 0);
        w.SetScheduler(sch);
        w.show();
        ASSERT_TRUE(qeltest::waitUntil([&] { return r->ValueValid; }, 10000));
        const QString shown = r->Para->ValueToText(500, 0, w.Core().Separator, false);
        ASSERT_TRUE(qeltest::waitUntil([&] { return w.Core().Model().Text(0, 5) == shown; }));
        w.List()->selectRow(0);
        w.Copy();
        ASSERT_NE(clp.Content(), nullptr);
        ASSERT_EQ(clp.Content()->Count(), 1);
        EXPECT_EQ(clp.Content()->Items[0].Value, 500);
        EXPECT_TRUE(clp.Content()->Items[0].ValueValid);
        EXPECT_EQ(clp.Content()->Lines[0].split(QStringLiteral(" ; ")).value(5), shown);
        w.Core().Modified = false;
        w.SetScheduler(nullptr);
    }
    sch->SetActive(false);
    sch->Release();
    sel.reset();
    server.stop();
    qunsetenv("QEL_COM1");
}

}  // namespace
