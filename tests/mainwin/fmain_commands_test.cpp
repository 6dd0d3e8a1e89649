// Commands of the bar that need no other window: hexadecimal display,
// About, help keys, project copy, and the entries of the windows.
#include "fake_kinds.h"
#include "mainwin_fixture.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/value_conversion.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "dialogs/shared_objects.h"
#include "lists/fwrk_list.h"
#include "lists/wrk_lists.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace mwtest;

class MainCommands : public MainWinTest {
protected:
    void SetUp() override
    {
        MainWinTest::SetUp();
        start(demoProject());
        ASSERT_TRUE(main->Shown);
    }
    void TearDown() override
    {
        HexDisplay = 0;
        MainWinTest::TearDown();
    }
};

TEST_F(MainCommands, F12TogglesTheHexadecimalDisplayAndItsCheckMark)
{
    EXPECT_FALSE(main->MenuHexdisplay->isChecked());
    EXPECT_EQ(main->MenuHexdisplay->shortcut(), QKeySequence(Qt::Key_F12));
    FakeKind scope;
    main->Kinds.Scope = &scope;
    main->MenuHexdisplay->trigger();
    EXPECT_NE(HexDisplay, 0);
    EXPECT_TRUE(main->MenuHexdisplay->isChecked());
    main->MenuHexdisplay->trigger();
    EXPECT_EQ(HexDisplay, 0);
    EXPECT_FALSE(main->MenuHexdisplay->isChecked());
    EXPECT_EQ(scope.hexChanges, 2);
}

TEST_F(MainCommands, AboutShowsNameVersionAndOneLinePerVendorPart)
{
    ProgCfg->Vendor = QStringLiteral("QEL GmbH;Street 1;City");
    main->HelpAboutItem->trigger();
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, (QStringList{QStringLiteral("Halvorn"), ProgCfg->VersionText, QStringLiteral(" "),
                                                QStringLiteral("QEL GmbH"), QStringLiteral("Street 1"),
                                                QStringLiteral("City")}));
    EXPECT_EQ(ui->messages[0].Title, QStringLiteral("Info"));
    EXPECT_EQ(ui->messages[0].Buttons, ButtonList(1));
}

TEST_F(MainCommands, HelpKeysOpenTheTopicOfTheBarOrOfTheMenuEntry)
{
    main->show();
    auto* key = main->findChild<QAction*>(QStringLiteral("HelpKey"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->shortcut(), QKeySequence(Qt::Key_F1));
    key->trigger();
    ASSERT_EQ(ui->urls.size(), 1);
    EXPECT_EQ(ui->urls[0].fragment(), QStringLiteral("ctx6"));
    // F1 in the open File menu on "New project": its topic 13.
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    main->MenuFile1->setActiveAction(main->MenuNewProject1);
    QCoreApplication::sendEvent(main->MenuFile1, &f1);
    ASSERT_EQ(ui->urls.size(), 2);
    EXPECT_EQ(ui->urls[1].fragment(), QStringLiteral("ctx13"));
    EXPECT_EQ(ui->urls[1].toLocalFile(), main->HelpFile);
    // The manual: disabled without a path, opened with one.
    EXPECT_FALSE(main->miInvManuals->isEnabled());
    ProgCfg->ManualPath = path(QStringLiteral("manual.pdf"));
    main->OpenManual();
    ASSERT_EQ(ui->urls.size(), 3);
    EXPECT_EQ(ui->urls[2], QUrl::fromLocalFile(path(QStringLiteral("manual.pdf"))));

    // No program to show the page: the user is told which page it was, from
    // the Help menu as from F1.
    ui->openUrlResult = false;
    main->miInhalt->trigger();
    key->trigger();
    ASSERT_EQ(ui->messages.size(), 2u);
    for (const ShownMessage& m : ui->messages) {
        EXPECT_EQ(m.Msg, *LangTexts->GetStrings(5, 48));
        EXPECT_EQ(m.P1, QDir::toNativeSeparators(main->HelpFile));
        EXPECT_EQ(m.Icon, 2);
    }
    EXPECT_EQ(ui->messages[0].Msg.value(1), QStringLiteral("@P1"));
}

TEST_F(MainCommands, CopyProjectNeedsAFileNameAndEveryWindowEntryIsEnabled)
{
    main->UpdateMenuFile();
    EXPECT_TRUE(main->MenuCopyPrj->isEnabled());
    Project->FileName.clear();
    emit main->MenuFile1->aboutToShow();
    EXPECT_FALSE(main->MenuCopyPrj->isEnabled());

    for (QAction* a : {main->MenuNewWorkList1, main->MenuQuintel, main->MenuNewDownloadList1, main->MenusaveParas,
                       main->MenuChangeProject1, main->MenuPrjExpl, main->MenuInverterScope,
                       main->MenuOperatorParameter})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    for (QToolButton* b : {main->NewWorkBtn, main->NewDwnLoadBtn, main->PrjEditBtn, main->ExplBtn, main->ScopeButton})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(main->ExplBtn->isCheckable());
    EXPECT_TRUE(main->ScopeButton->isCheckable());
    EXPECT_FALSE(main->MenuFBS->isVisible());  // EnableFbsWindow off
    EXPECT_EQ(main->MenuDelete1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(main->MiNext->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    // Search starts enabled (here the restored explorer's record rules it).
    makeMain();
    EXPECT_TRUE(main->MenuSearch1->isEnabled());
}

TEST_F(MainCommands, OpenTakesAProjectWhateverTheCaseOfItsExtension)
{
    const QString other = path(QStringLiteral("prefix/data/Other.PR5"));
    ASSERT_TRUE(QFile::copy(Project->FileName, other));
    ui->openAnswers = {other};
    main->OpenBtn->click();
    EXPECT_EQ(Project->FileName, other);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Halvorn - Other.PR5"));
    EXPECT_EQ(main->OpenDlgDir, path(QStringLiteral("prefix/data")));
    EXPECT_TRUE(Scheduler->Active());
    ASSERT_NE(Project->GetInv(2), nullptr);

    // Another kind without its window in this program: nothing happens.
    ui->openAnswers = {path(QStringLiteral("list.dw5"))};
    main->MenuOpen1->trigger();
    EXPECT_EQ(Project->FileName, other);
    EXPECT_TRUE(ui->messages.empty());

    // A work list that cannot be read: its window opens as a new list and
    // the user is told which file failed.
    const QString list = path(QStringLiteral("list.wr5"));
    ui->openAnswers = {list};
    main->MenuOpen1->trigger();
    EXPECT_EQ(Project->FileName, other);
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), LangTexts->GetText(4, 7) + u'1');
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, *LangTexts->GetStrings(4, 21) + QStringList{list});
    EXPECT_EQ(ui->messages[0].Title, LangTexts->GetText(5, 10));
    delete w;
}
