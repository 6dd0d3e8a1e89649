// The explorer window in the main program, offscreen, against the simulated
// DIN line of the fixture (two inverters of type 21 at 9600 bit/s).
#include "mainwin_fixture.h"

#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "dialogs/shared_objects.h"
#include "lists/fwrk_list.h"
#include "lists/set_edit.h"
#include "lists/wrk_lists.h"
#include "lists/val_edit.h"
#include "mainwin/prj_expl.h"
#include "mainwin/prj_expl_kind.h"
#include "sim/sim_fault.h"
#include "sim/sim_inverter.h"
#include "sim/sim_model.h"
#include "wait_until.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace mwtest;

namespace {

// The explorer as a restored project shows it: its tree rebuilt.
void restoreExplorer(TFMain& m)
{
    m.Kinds.PrjExpl->RebuildTree();
    m.Kinds.PrjExpl->Show(0, 0, QString());
}

class PrjExplWindow : public MainWinTest {
protected:
    TFPrjExpl* startWithExplorer()
    {
        TFMain& m = makeMain(demoProject());
        TFPrjExpl* w = windows->PrjExpl().Window();
        m.FormShow();
        return w;
    }
    // Saves a screenshot for a person to look at (QEL_SCREENSHOT_DIR).
    static void shot(QWidget* w, const char* name)
    {
        const QByteArray dir = qgetenv("QEL_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            w->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QLatin1String(name)));
    }
    static QString cell(QTreeWidget* l, int row, int col)
    {
        QTreeWidgetItem* it = l->topLevelItem(row);
        return it ? it->text(col) : QString();
    }
};

TEST_F(PrjExplWindow, CreatedHiddenRestoredShownFromTheMenuAndClosed)
{
    TFMain& m = makeMain(demoProject());
    TFPrjExpl* w = windows->PrjExpl().Window();
    EXPECT_FALSE(w->isVisible());
    m.FormShow();
    ASSERT_TRUE(main->Shown);
    EXPECT_EQ(main->findChild<TFPrjExpl*>(QStringLiteral("FPrjExpl")), w);
    for (const char* name : {"TV", "PC", "lvParaList", "lvParaVal", "sbPrjExpl", "PM", "Splitter1", "InvListView",
                             "lvPlainText", "lvSubInd", "ParaDetailsPage"})
        EXPECT_TRUE(w->findChild<QObject*>(QLatin1String(name))) << name;
    EXPECT_EQ(w->PC->count(), 9);
    // The texts of the language file.
    EXPECT_EQ(w->Core().Texts.HeaderText, LangTexts->GetText(3, 73));
    // The demo's saved layout holds the explorer (kind 0): restored shown.
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(main->MenuPrjExpl->isChecked());
    EXPECT_EQ(w->geometry().size(), QSize(780, 480));
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(main->MenuPrjExpl->isEnabled());

    main->MenuPrjExpl->trigger();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->isVisible(); }));
    EXPECT_TRUE(main->MenuPrjExpl->isChecked());
    EXPECT_EQ(Scheduler->GetState(w->Core().SchedSlot), 3);
    // Tree: project, the two inverters, the file links; first group selected.
    QTreeWidgetItem* root = w->TV->topLevelItem(0);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->text(0), QStringLiteral("Demo line"));
    ASSERT_EQ(root->childCount(), 4);
    EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Conveyor"));
    EXPECT_EQ(root->child(1)->text(0), QStringLiteral("Pump"));
    EXPECT_EQ(w->TV->currentItem(), root->child(0)->child(0)->child(0));
    EXPECT_EQ(w->Core().CurAdr, 1);
    EXPECT_EQ(w->Panels[0]->text(), LangTexts->GetText(3, 58) + QStringLiteral(" 1"));

    // The current inverter of the menu commands follows the tree.
    w->TV->setCurrentItem(root->child(1));
    EXPECT_EQ(w->Core().CurAdr, 2);
    EXPECT_EQ(main->Kinds.PrjExpl->CurrentInv(), 2);
    EXPECT_EQ(w->PC->currentIndex(), 2);

    // The inverter list changes: the tree is rebuilt by the scheduler notice.
    Project->RemoveInv(2);
    Project->FirePendingChanges();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->TV->topLevelItem(0)->childCount() == 3; }));

    w->close();
    EXPECT_FALSE(main->MenuPrjExpl->isChecked());
    EXPECT_FALSE(main->ExplBtn->isChecked());
    EXPECT_EQ(Scheduler->GetState(w->Core().SchedSlot), 1);
    EXPECT_EQ(main->CurOpFuncs, nullptr);
    EXPECT_EQ(main->CurContext, nullptr);
}

TEST_F(PrjExplWindow, LiveValuesInTheListSetRowsAndParameterPage)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    restoreExplorer(*main);
    TPrjExplCore& core = w->Core();
    ASSERT_EQ(core.PageMode, pmParaList);
    ASSERT_GT(core.Rows.size(), 0u);
    const QString notAct = core.Texts.NotActText;
    // Every shown row is read.
    ASSERT_TRUE(qeltest::waitUntil(
        [&] {
            for (int r = 0; r <= core.LastRow; ++r)
                if (cell(w->lvParaList, r, 2) == notAct)
                    return false;
            return true;
        },
        30000));
    // A per-set row (in the first group that has one) expands into eight
    // set rows that are read too.
    QTreeWidgetItem* groups = w->TV->topLevelItem(0)->child(0)->child(0);
    int perSet = -1;
    for (int g = 0; g < groups->childCount() && perSet < 0; ++g) {
        w->TV->setCurrentItem(groups->child(g));
        for (int r = 0; r < int(core.Rows.size()) && perSet < 0; ++r)
            if (core.Rows[size_t(r)].StateImage == 1)
                perSet = r;
    }
    ASSERT_GE(perSet, 0);
    {
        core.ExpandSets(perSet);
        EXPECT_EQ(w->lvParaList->topLevelItemCount(), int(core.Rows.size()));
        EXPECT_EQ(cell(w->lvParaList, perSet + 1, 1), core.Texts.SetText + QStringLiteral(" 0"));
        ASSERT_TRUE(qeltest::waitUntil(
            [&] {
                for (int r = perSet + 1; r <= perSet + 8; ++r)
                    if (cell(w->lvParaList, r, 2) == notAct)
                        return false;
                return true;
            },
            30000));
        shot(w, "explorer_group_list.png");
    }
    // The status bar: set pointer, active set and password of the inverter.
    ASSERT_TRUE(core.SetPtrNode && core.ActSetNode && core.PasswordNode);
    ASSERT_TRUE(qeltest::waitUntil(
        [&] {
            return w->Panels[2]->text().startsWith(core.SetPtrPrefix) && w->Panels[2]->text().size() > core.SetPtrPrefix.size() + 1 &&
                   w->Panels[3]->text().startsWith(core.ActSetPrefix) && !w->Panels[4]->text().isEmpty();
        },
        30000));
    EXPECT_EQ(w->Panels[3]->text(),
              core.ActSetPrefix + QString::number(din.inverter(1)->value(uint16_t(core.ActSetNode->Para->Addr))));
    // The parameter page of the first parameter.
    QTreeWidgetItem* group = w->TV->currentItem();
    ASSERT_TRUE(group && group->childCount() > 0);
    w->TV->setCurrentItem(group->child(0));
    EXPECT_EQ(core.PageMode, pmParameter);
    EXPECT_TRUE(w->PC->isTabVisible(4) && w->PC->isTabVisible(8));
    ASSERT_TRUE(qeltest::waitUntil([&] { return cell(w->lvParaVal, 0, 1) != notAct; }, 30000));
    shot(w, "explorer_parameter_page.png");
    // The inverter page reads the configuration number.
    w->TV->setCurrentItem(w->TV->topLevelItem(0)->child(0));
    // (what the simulated type reports: its parameter 0x160F)
    qelsim::SimModel model;
    ASSERT_TRUE(qelsim::SimModel::fromJsonFile(
        QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type0021.json")), model, nullptr));
    const QString reported = QString::number(model.cfgId);
    QLabel* cfgNo = w->findChild<QLabel*>(QStringLiteral("lbInvCfgId"));
    ASSERT_TRUE(qeltest::waitUntil([&] { return cfgNo->text() == reported; }, 30000)) << cfgNo->text().toStdString();
}

} // namespace

namespace {

// The group "Drive" of inverter 1 shown, every row read once.
TFPrjExpl* showDrive(TFMain& m, TFPrjExpl* w)
{
    restoreExplorer(m);
    QTreeWidgetItem* groups = w->TV->topLevelItem(0)->child(0)->child(0);
    for (int g = 0; g < groups->childCount(); ++g)
        if (groups->child(g)->text(0).startsWith(QStringLiteral("dr:")))
            w->TV->setCurrentItem(groups->child(g));
    return w;
}

bool allRead(const TPrjExplCore& core)
{
    for (const TExplRow& r : core.Rows)
        if (r.Value == core.Texts.NotActText)
            return false;
    return !core.Rows.empty();
}

TEST_F(PrjExplWindow, ValueTypedInTheEditorReachesTheInverterAndShows)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    showDrive(*main, w);
    TPrjExplCore& core = w->Core();
    ASSERT_EQ(core.Rows[0].StateImage, 1);
    core.ExpandSets(0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(core); }, 30000));
    // Set 2 of the first parameter.
    TExplEditArgs a;
    ASSERT_TRUE(core.RowEditArgs(3, a));
    ASSERT_EQ(a.SetSel, 4);
    const TParaRec& para = *a.Para;
    auto sim = din.inverter(1);
    const int32_t before = sim->value(uint16_t(para.Addr), 2);
    EXPECT_EQ(core.Rows[3].RawValue, before);
    const int32_t wanted = before == para.LowerLim ? para.LowerLim + 1 : para.LowerLim;
    w->EditValueArgs(a);
    ASSERT_TRUE(w->ValEdit && w->ValEdit->isVisible());
    auto* edit = w->ValEdit->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    const QString typed = para.ValueToNumText(wanted, false);
    edit->setText(typed);
    emit edit->textEdited(typed);
    w->ValEdit->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    ASSERT_TRUE(qeltest::waitUntil([&] { return sim->value(uint16_t(para.Addr), 2) == wanted; }, 30000));
    // Only set 2 changed, and the row shows it at the next poll.
    EXPECT_EQ(sim->value(uint16_t(para.Addr), 1), core.Rows[2].RawValue);
    const QString shown = para.ValueToText(wanted, core.Language(), u'+', core.ShowDecValue);
    ASSERT_TRUE(qeltest::waitUntil([&] { return cell(w->lvParaList, 3, 2) == shown; }, 30000));
}

TEST_F(PrjExplWindow, SilencedInverterShowsItsErrorAndItsNodeFollowsTheWatch)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    showDrive(*main, w);
    TPrjExplCore& core = w->Core();
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(core); }, 30000));
    QTreeWidgetItem* invItem = w->TV->topLevelItem(0)->child(0);
    const TExplNode* invNode = core.Root()->Children.front().get();
    ASSERT_TRUE(qeltest::waitUntil([&] { return invNode->Image != imgNotConnected; }, 30000));

    qelsim::SimFault silence;
    QString error;
    ASSERT_TRUE(qelsim::SimFault::parse(QStringLiteral("silence*always"), silence, &error)) << error.toStdString();
    din.faults().push(silence);
    auto isErrorText = [&](const QString& text) {
        for (int code = -40; code <= 40; ++code)
            if (code && text == LangTexts->GetErrorText(code))
                return true;
        return false;
    };
    ASSERT_TRUE(qeltest::waitUntil([&] { return isErrorText(cell(w->lvParaList, 0, 2)); }, 30000))
        << cell(w->lvParaList, 0, 2).toStdString();
    EXPECT_FALSE(core.Rows[0].Valid);
    ASSERT_TRUE(qeltest::waitUntil([&] { return invNode->Image == imgNotConnected; }, 60000));
    EXPECT_EQ(invItem->icon(0).pixmap(16, 16).toImage(), ExplImage(imgNotConnected).toImage());

    din.faults().clear();
    ASSERT_TRUE(qeltest::waitUntil([&] { return invNode->Image != imgNotConnected; }, 60000));
    ASSERT_TRUE(qeltest::waitUntil([&] { return allRead(core) && !isErrorText(core.Rows[0].Value); }, 30000));
}

} // namespace

namespace {

void key(QWidget* w, int k, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

TEST_F(PrjExplWindow, KeysMouseMenuCopyAndHandOver)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    showDrive(*main, w);
    w->activateWindow();
    w->HandOver();
    TPrjExplCore& core = w->Core();
    ASSERT_EQ(core.PageMode, pmParaList);
    const int rows = w->lvParaList->topLevelItemCount();
    ASSERT_EQ(core.Rows[0].StateImage, 1);

    // Right expands, Left collapses the focused row's sets.
    w->lvParaList->setCurrentItem(w->lvParaList->topLevelItem(0));
    key(w->lvParaList, Qt::Key_Right);
    EXPECT_EQ(w->lvParaList->topLevelItemCount(), rows + 8);
    key(w->lvParaList, Qt::Key_Left);
    EXPECT_EQ(w->lvParaList->topLevelItemCount(), rows);

    // A press on the state image toggles; elsewhere it does not.
    w->resize(900, 500);
    w->show();
    const QRect cell = w->lvParaList->visualItemRect(w->lvParaList->topLevelItem(0));
    auto press = [&](int x) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, cell.center().y()), w->lvParaList->viewport()->mapToGlobal(QPointF(x, cell.center().y())),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->lvParaList->viewport(), &e);
    };
    press(cell.left() + 6);
    EXPECT_EQ(w->lvParaList->topLevelItemCount(), rows + 8);
    EXPECT_FALSE(w->RowClick);
    press(cell.left() + 150);
    EXPECT_EQ(w->lvParaList->topLevelItemCount(), rows + 8);
    EXPECT_TRUE(w->RowClick);
    press(cell.left() + 6);
    EXPECT_EQ(w->lvParaList->topLevelItemCount(), rows);

    // Copy and mark all through the main window's slots.
    ASSERT_TRUE(main->CurOpFuncs && main->CurOpFuncs->Filled(osCopy) && main->CurOpFuncs->Filled(osMarkAll));
    EXPECT_EQ(main->CurContext->Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(main->CurContext->Item(i)->HelpContext, i == 0 ? 41 : 44 + i);
    EXPECT_EQ(main->CurContext->Item(1)->Enabled, core.SetAddrAllowed);
    EXPECT_FALSE(main->CurContext->Item(2)->Glyph.isNull());
    EXPECT_EQ(main->CurContext->Item(3)->Caption(), core.Texts.EditPasswordText);
    main->CallSlot(osMarkAll);
    EXPECT_EQ(int(w->SelectedRows().size()), rows);
    main->CallSlot(osCopy);
    const QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), rows);
    EXPECT_EQ(lines[0], core.Rows[0].Caption + u';' + core.Rows[0].Name + u';' + core.Rows[0].Value);

    // The popup's entries follow the focused row.
    w->lvParaList->setCurrentItem(w->lvParaList->topLevelItem(0));
    emit w->lvParaList->customContextMenuRequested(cell.center());
    EXPECT_TRUE(w->miExpandCollapse->isEnabled());
    EXPECT_EQ(w->miExpandCollapse->text(), core.Texts.ExpandSetDisplText);
    w->PM->hide();
    w->miExpandCollapse->trigger();
    EXPECT_EQ(w->lvParaList->topLevelItemCount(), rows + 8);

    // A shortcut letter selects a group; one no group uses changes nothing.
    QTreeWidgetItem* drive = w->TV->currentItem();
    key(w->lvParaList, Qt::Key_S, QStringLiteral("s"));
    EXPECT_TRUE(w->TV->currentItem()->text(0).startsWith(QStringLiteral("sy:")));
    key(w->TV, Qt::Key_Z, QStringLiteral("z"));
    EXPECT_TRUE(w->TV->currentItem()->text(0).startsWith(QStringLiteral("sy:")));
    // Enter in the tree: the next node in tree order.
    w->TV->setCurrentItem(drive);
    key(w->TV, Qt::Key_Return);
    EXPECT_EQ(w->TV->currentItem(), drive->child(0));
    EXPECT_EQ(core.PageMode, pmParameter);
    // Off the list, copy and mark all are not offered.
    EXPECT_FALSE(main->CurOpFuncs->Filled(osCopy));
}

} // namespace

namespace {

TEST_F(PrjExplWindow, TypeThreeInverterWithoutSetAddressingShowsLiveValues)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    qelsim::SimModel model;
    ASSERT_TRUE(qelsim::SimModel::fromJsonFile(
        QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type0003.json")), model, nullptr));
    auto sim = std::make_shared<qelsim::SimInverter>(5, model);
    din.addInverter(sim);
    ASSERT_EQ(Project->AddInv(5, 3, QStringLiteral("Three"), prANSI, true), 0);
    Project->FirePendingChanges();
    TPrjExplCore& core = w->Core();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->TV->topLevelItem(0)->childCount() == 5; }));
    QTreeWidgetItem* inv = w->TV->topLevelItem(0)->child(3);
    EXPECT_EQ(inv->text(0), QStringLiteral("Three"));
    QTreeWidgetItem* groups = inv->child(0);
    for (int g = 0; g < groups->childCount(); ++g)
        if (groups->child(g)->text(0).startsWith(QStringLiteral("dr:")))
            w->TV->setCurrentItem(groups->child(g));
    ASSERT_EQ(core.CurAdr, 5);
    ASSERT_EQ(core.PageMode, pmParaList);
    EXPECT_FALSE(core.SetAddrAllowed);
    for (const TExplRow& r : core.Rows)
        EXPECT_EQ(r.StateImage, 0);
    // Every row shows the simulated inverter's value (read with service -1).
    ASSERT_TRUE(qeltest::waitUntil(
        [&] {
            for (const TExplRow& r : core.Rows) {
                const TParaRec& p = *r.Node->Para;
                int32_t v = sim->value(uint16_t(p.Addr));
                if (!(p.Attr & ParaAttr::Signed))
                    v &= 0xFFFF;
                else
                    v = int16_t(v);
                if (r.Value != p.ValueToText(v, core.Language(), u'+', core.ShowDecValue))
                    return false;
            }
            return !core.Rows.empty();
        },
        30000));
    // Its parameter page: one indirect row.
    w->TV->setCurrentItem(w->TV->currentItem()->child(0));
    EXPECT_EQ(cell(w->lvParaVal, 0, 0), QStringLiteral("Ind."));
    EXPECT_EQ(cell(w->lvParaVal, 1, 1), core.Texts.IndOnlyText);
    ASSERT_TRUE(qeltest::waitUntil([&] { return cell(w->lvParaVal, 0, 1) != core.Texts.NotActText; }, 30000));
}

} // namespace

namespace {

TEST_F(PrjExplWindow, SetAddressingEditorChangesTheSelectorAndTheReads)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    showDrive(*main, w);
    TPrjExplCore& core = w->Core();
    ASSERT_TRUE(w->MiEditSet->isEnabled() || core.EditSetEnabled);
    w->MiEditSet->trigger();
    ASSERT_TRUE(w->SetEdit && w->SetEdit->isVisible());
    EXPECT_EQ(w->SetEdit->OrgSel(), -1);
    w->SetEdit->findChild<QRadioButton*>(QStringLiteral("ActSetRB"))->click();
    w->SetEdit->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    EXPECT_EQ(core.CurSetSel, 0);
    EXPECT_EQ(w->Panels[1]->text(), core.Texts.SbSetAdrModeText + QStringLiteral(" A"));
    // Kept for the inverter while another node is shown.
    QTreeWidgetItem* drive = w->TV->currentItem();
    w->TV->setCurrentItem(w->TV->topLevelItem(0)->child(1));
    EXPECT_EQ(core.CurSetSel, -1);
    w->TV->setCurrentItem(drive);
    EXPECT_EQ(core.CurSetSel, 0);
    // A rebuilt tree starts indirect again.
    w->RebuildTree();
    EXPECT_EQ(core.CurSetSel, -1);
    // The set pointer command opens the value editor on its parameter.
    ASSERT_TRUE(core.SetPtrNode);
    w->MiEditSetPtr->trigger();
    ASSERT_TRUE(w->ValEdit->isVisible());
    EXPECT_EQ(w->ValEdit->Core().Para, core.SetPtrNode->Para);
    // Closing empties both editors.
    w->close();
    EXPECT_EQ(w->ValEdit->Core().Para, nullptr);
    EXPECT_EQ(w->SetEdit->OrgSel(), -1);
}

} // namespace

namespace {

TEST_F(PrjExplWindow, LinkedFileOpensThroughTheMainWindow)
{
    TFPrjExpl* w = startWithExplorer();
    ASSERT_TRUE(main->Shown);
    const QString file = path(QStringLiteral("prefix/data/line.wr5"));
    {
        TFWrkList writer(0);
        ASSERT_EQ(writer.SaveToFile(file), 0);
    }
    ASSERT_GE(Project->AddFile(file, 1), 0);
    Project->FirePendingChanges();
    TPrjExplCore& core = w->Core();
    EXPECT_EQ(core.FileList(flWork).count(file), 1);
    // The work-list node of inverter 1.
    w->TV->setCurrentItem(w->TV->topLevelItem(0)->child(0)->child(1));
    ASSERT_EQ(core.PageMode, pmWorkLists);
    ASSERT_EQ(w->lvParaList->topLevelItemCount(), 1);
    EXPECT_EQ(cell(w->lvParaList, 0, 0), QStringLiteral("line.wr5"));
    w->lvParaList->setCurrentItem(w->lvParaList->topLevelItem(0));
    emit w->lvParaList->itemDoubleClicked(w->lvParaList->topLevelItem(0), 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return WrkLists->Window(0) != nullptr; }));
    EXPECT_EQ(WrkLists->Window(0)->Core().FileName, file);
    // Closed, and its pending activation handled, while the main window is
    // whole: the main window's driver runs an event loop while it is being
    // destroyed, and a work list activated then hands its slots to it.
    WrkLists->Window(0)->close();
    QCoreApplication::processEvents();
}

} // namespace
