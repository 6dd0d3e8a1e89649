// The main window's shared list objects: the clipboard, the drag object,
// the work-list manager and the inverter choice, created with the window,
// fed at start-up and used by the new-list entry and the restore.

#include "mainwin_fixture.h"

#include "config/drag_drop.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "lists/fwrk_list.h"
#include "lists/wrk_lists.h"
#include "mainwin/main_interaction.h"
#include "modal.h"
#include "project/vortalin_prj.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace mwtest;

namespace {

TEST_F(MainWinTest, ListObjectsAreFedAtStartUpAndGoWithTheWindow)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    ASSERT_TRUE(DragDrop && ClpBrd && WrkLists && main->InvSel);
    const TVortalinText& t = *LangTexts;
    EXPECT_EQ(WrkLists->DefHeader(), t.GetText(4, 7));
    EXPECT_EQ(WrkLists->InvColText(), t.GetText(4, 0));
    EXPECT_EQ(WrkLists->LoadErrorMsgText(), t.GetText(4, 21));
    EXPECT_EQ(WrkLists->VersionText(), ProgCfg->VersionText);
    EXPECT_EQ(WrkLists->Scheduler(), Scheduler);
    EXPECT_EQ(WrkLists->Project(), Project);
    EXPECT_EQ(WrkLists->VortalinClipBoard(), ClpBrd);
    EXPECT_EQ(WrkLists->DragDropObj(), DragDrop);
    EXPECT_EQ(WrkLists->Tools().MainForm.get(), static_cast<IMainForm*>(main.get()));
    EXPECT_TRUE(WrkLists->OnGetErrorText());
    EXPECT_EQ(WrkLists->OnGetErrorText()(-10), t.GetErrorText(-10));
    EXPECT_EQ(WrkLists->Separator(), ProgCfg->Separator.at(0));
    EXPECT_EQ(WrkLists->Language(), ProgCfg->lng);
    EXPECT_EQ(main->InvSel->windowTitle(), t.GetText(5, 0));
    EXPECT_EQ(main->InvSel->CloseOnOK, ProgCfg->CloseOnOK);
    EXPECT_EQ(main->InvSel->CloseOnCancel, ProgCfg->CloseOnCancel);
    EXPECT_TRUE(main->InvSel->HasProject());

    // A stored content with text reaches the system clipboard.
    auto c = std::make_unique<TIntClpBrd>();
    c->Flags = cbfTextOnly;
    c->Lines = {QStringLiteral("a"), QStringLiteral("b")};
    ClpBrd->SetIntClpBrd(std::move(c));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a\r\nb"));

    // New work lists: numbered, shown, cascading below the bar.
    main->NewWorkBtn->click();
    main->NewWorkBtn->click();
    TFWrkList* first = WrkLists->Window(0);
    TFWrkList* second = WrkLists->Window(1);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    EXPECT_EQ(second->windowTitle(), t.GetText(4, 7) + u'2');
    EXPECT_EQ(second->pos() - first->pos(), QPoint(25, 25));
    EXPECT_EQ(second->Core().Scheduler(), Scheduler);
    EXPECT_TRUE(ui->messages.empty());
    delete first;
    delete second;

    const QPointer<TfrmInvSel> invSel = main->InvSel;
    endMain();
    EXPECT_EQ(DragDrop, nullptr);
    EXPECT_EQ(ClpBrd, nullptr);
    EXPECT_EQ(WrkLists, nullptr);
    EXPECT_TRUE(invSel.isNull());
}

TEST_F(MainWinTest, RestoreOpensARecordedWorkList)
{
    const QString file = path(QStringLiteral("prefix/data/Pumps.wr5"));
    {
        TFWrkList writer(0);
        ASSERT_EQ(writer.SaveToFile(file), 0);
    }
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    while (Project->WdwCount() > 0)
        Project->DeleteWdw(0);
    TSavedWdwRec* rec = Project->GetWdw(Project->AddWdw());
    rec->WdwType = wkWorkList;
    rec->FileName = file;
    rec->Left = 40;
    rec->Top = 150;
    rec->Width = 400;
    rec->Height = 250;
    main->RestoreWindows();
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Core().FileName, file);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->size(), QSize(400, 250));
    EXPECT_TRUE(ui->messages.empty());
    // Restored again: the same window, none added.
    main->RestoreWindows();
    EXPECT_EQ(WrkLists->Window(1), nullptr);
    delete w;
}

}  // namespace

TEST_F(MainWinTest, TheSaveDialogTakesTheCallersNameAndLeavesTheOverwriteQuestionToIt)
{
    // A work list's file exists already: the list asks about it itself.
    const QString existing = path(QStringLiteral("New work list 1.wr5"));
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    TMainInteractionDlg real;
    TSaveDlgOptions o;
    o.DefaultExt = QStringLiteral("wr5");
    o.Filter = QStringLiteral("Work lists (*.wr5)|*.wr5");
    o.InitialDir = dir();
    o.FileName = QStringLiteral("New work list 1.wr5");
    QStringList preset;
    qeltest::answerModal([&](QDialog& dlg) {
        auto* fd = qobject_cast<QFileDialog*>(&dlg);
        ASSERT_NE(fd, nullptr);
        preset = fd->selectedFiles();
        EXPECT_TRUE(fd->testOption(QFileDialog::DontConfirmOverwrite));
        dlg.accept();
    });
    EXPECT_EQ(real.ChooseSaveFile(o), existing);
    EXPECT_EQ(preset, QStringList{existing});
}
