// The main window's start-up, shutdown and project events, against the
// simulator on COM1 (two inverters of type 21 answering at 9600 bit/s).
#include "fake_kinds.h"
#include "mainwin_fixture.h"

#include "mainwin/prj_expl.h"
#include "mainwin/prj_expl_kind.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/shared_objects.h"
#include "platform/single_instance.h"
#include "platform/settings_store.h"
#include "wait_until.h"

#include <QCoreApplication>
#include <QScreen>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace mwtest;

namespace {

const QString kDin = QStringLiteral("Software\\QEL\\Vortalin5\\Din");
const QString kDefPrj = QStringLiteral("Software\\QEL\\Vortalin5\\DefPrj");
const QString kAppl = QStringLiteral("Software\\QEL\\Vortalin5\\Appl");

} // namespace

TEST_F(MainWinTest, FailureExitsEndWithStatusOneAndLeaveTheSettingsAlone)
{
    struct Case {
        const char* name;
        std::function<void(MainWinTest&)> prepare;
        QString text;  // the error box; the language file's name follows for "reading"
    } cases[] = {
        {"settings missing",
         [](MainWinTest& t) {
             SettingsStore s(t.registryPath());
             ASSERT_TRUE(s.load());
             ASSERT_EQ(s.deleteValue(kAppl, QStringLiteral("lng")), SettingsStore::Status::Ok);
             ASSERT_TRUE(s.save());
         },
         QStringLiteral("Invalid registry.\nPlease re-install program.")},
        {"no language file",
         [](MainWinTest& t) {
             for (const QString& f : QDir(t.appPath()).entryList({QStringLiteral("*.srb")}))
                 ASSERT_TRUE(QFile::remove(t.appPath() + f));
         },
         QStringLiteral("Fatal Error:\nNo language file installed !")},
        {"unreadable language file",
         [](MainWinTest& t) {
             QFile f(t.appPath() + QStringLiteral("lngproge.srb"));
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write("not a language file");
         },
         QStringLiteral("Error reading language file \n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        install();
        c.prepare(*this);
        const QByteArray before = registryBytes();
        ui = std::make_shared<RecordingUi>();
        start();
        ASSERT_EQ(ui->errorBoxes.size(), 1);
        EXPECT_TRUE(ui->errorBoxes[0].startsWith(c.text)) << ui->errorBoxes[0].toStdString();
        if (QString(c.name) == QLatin1String("unreadable language file")) {
            EXPECT_EQ(ui->errorBoxes[0], c.text + appPath() + QStringLiteral("lngproge.srb"));
        }
        EXPECT_EQ(ui->terminated, std::vector<int>{1});
        EXPECT_TRUE(ui->messages.empty());
        EXPECT_FALSE(main->Shown);
        EXPECT_FALSE(Scheduler->Active());
        endMain();
        EXPECT_EQ(registryBytes(), before);
        // The lock is not held by a start-up that failed.
        TSingleInstanceLock probe;
        EXPECT_EQ(probe.Acquire(QLatin1String(TFMain::MutexName)), TSingleInstanceLock::lrTaken);
        QFile::remove(appPath() + QStringLiteral("lngproge.srb"));
    }
}

TEST_F(MainWinTest, ASecondInstanceTellsSoAndEndsWhileTheFirstKeepsItsLock)
{
    TSingleInstanceLock first;
    ASSERT_EQ(first.Acquire(QLatin1String(TFMain::MutexName)), TSingleInstanceLock::lrTaken);
    start(demoProject());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, *LangTexts->GetStrings(0, 43));
    EXPECT_EQ(ui->messages[0].Title, QStringLiteral("Halvorn"));
    EXPECT_EQ(ui->messages[0].Buttons, QStringList{QStringLiteral("0") + LangTexts->GetText(0, 6)});
    EXPECT_EQ(ui->terminated, std::vector<int>{1});
    EXPECT_FALSE(main->Shown);
    EXPECT_EQ(main->MutexHandle(), 0);
    endMain();
    TSingleInstanceLock third;
    EXPECT_EQ(third.Acquire(QLatin1String(TFMain::MutexName)), TSingleInstanceLock::lrAlreadyExists);
}

TEST_F(MainWinTest, TheDemoLoadsBothInvertersAnswerTheWatchAndQuitEndsWithStatusZero)
{
    const QByteArray before = registryBytes();
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    EXPECT_TRUE(ui->errorBoxes.isEmpty());
    EXPECT_NE(main->MutexHandle(), 0);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Halvorn - demo.pr5"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Halvorn"));
    ASSERT_NE(Project->GetInv(1), nullptr);
    ASSERT_NE(Project->GetInv(2), nullptr);
    EXPECT_EQ(main->ProtSel->GetProtocol(1), prANSI);
    EXPECT_TRUE(Scheduler->Active());
    EXPECT_TRUE(qeltest::waitUntil(
        [] { return Project->GetInv(1)->State == -2 && Project->GetInv(2)->State == -2; }, 20000));
    // The texts reached the bar and the message dialog's lists.
    EXPECT_EQ(main->MenuFile1->title(), LangTexts->GetText(5, 21));
    EXPECT_EQ(main->OpenBtn->toolTip(), LangTexts->GetText(5, 10));
    EXPECT_EQ(main->MenuOpen1->text(), LangTexts->GetText(5, 10));
    EXPECT_EQ(ButtonList(4).size(), 3);
    EXPECT_EQ(Project->FilterStr, main->OpenDlgFilter);
    EXPECT_FALSE(main->MenuSave1->isEnabled());
    EXPECT_TRUE(main->MenuNewWorkList1->isEnabled());
    EXPECT_EQ(main->HelpFile, appPath() + QStringLiteral("Halvorne.html"));

    main->MenuQuit1->trigger();
    EXPECT_EQ(ui->terminated, std::vector<int>{0});
    EXPECT_TRUE(ui->messages.empty());
    endMain();
    EXPECT_EQ(registryBytes(), before);  // nothing changed, nothing written
    TSingleInstanceLock probe;
    EXPECT_EQ(probe.Acquire(QLatin1String(TFMain::MutexName)), TSingleInstanceLock::lrTaken);
}

TEST_F(MainWinTest, ANewProjectFindsTheInvertersAtAnotherRateAndTheRateIsSavedAtExit)
{
    setDword(kDin, QStringLiteral("Baudrate"), B_19200);
    // The extended search over the rates: yes.
    ui->prj->messageAnswers = {0};
    start();
    ASSERT_TRUE(main->Shown);
    ASSERT_EQ(ui->prj->messages.size(), 1u);
    EXPECT_EQ(ui->prj->messages[0].Msg, Project->MsgExtSearch);
    ASSERT_NE(Project->GetInv(1), nullptr);
    EXPECT_EQ(main->ProtSel->Ansi()->GetBaudrate(), B_9600);
    EXPECT_EQ(ProgCfg->Din.Baudrate, B_9600);
    EXPECT_TRUE(ProgCfg->Modified);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Halvorn - ") + Project->DefPrjName);

    // The new project is not to be saved.
    ui->messageAnswers = {1};
    main->close();
    EXPECT_EQ(ui->terminated, std::vector<int>{0});
    endMain();
    EXPECT_EQ(readDword(kDin, QStringLiteral("Baudrate")), quint32(B_9600));
}

TEST_F(MainWinTest, NewProjectCopiesBothSerialRatesBackIntoTheSettings)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    ProgCfg->Modified = false;
    // A search of an earlier command left the Zelk driver on another rate.
    main->ProtSel->Zelk()->SetBaudrate(B_38400);
    ui->prj->messageAnswers = {1, 1};  // no extended search, no manual entry
    setDword(kDefPrj, QStringLiteral("Ansi"), 0);
    main->MenuNewProject1->trigger();
    EXPECT_EQ(ProgCfg->Zelk.Baudrate, B_38400);
    EXPECT_EQ(ProgCfg->Din.Baudrate, B_9600);
    EXPECT_TRUE(ProgCfg->Modified);
}

TEST_F(MainWinTest, NewProjectSavesUnderItsNameOrStopsWhenTheProjectWasNotWritten)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    const QString file = Project->FileName;

    // Yes with a file name: saved under it, no dialog; a new project follows.
    Project->Modified = true;
    QFile::remove(file);
    ui->messageAnswers = {0, 1};  // save: yes; the failed project: go on
    ui->prj->messageAnswers = {1, 1};
    main->MenuNewProject1->trigger();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(ui->saveDialogs, 0);
    EXPECT_EQ(ui->prj->saveDialogs, 0);
    EXPECT_EQ(Project->FileName, QString());

    // A project that cannot be written (its folder is gone) is kept.
    ASSERT_NE(Project->GetInv(2), nullptr);  // the new project's search found it
    Project->GetInv(2)->Name = QStringLiteral("Kept");
    Project->Modified = true;
    ui->messages.clear();
    ui->messageAnswers = {0};
    ui->saveAnswers = {path(QStringLiteral("gone/x.pr5"))};
    ui->prj->messageAnswers = {};
    main->MenuNewProject1->trigger();
    EXPECT_EQ(ui->saveDialogs, 1);
    ASSERT_NE(Project->GetInv(2), nullptr);
    EXPECT_EQ(Project->GetInv(2)->Name, QStringLiteral("Kept"));
    EXPECT_EQ(ui->messages.size(), 1u);  // only the save question

    // Cancelling the save dialog skips the save and goes on.
    ui->messageAnswers = {0, 1};
    ui->saveAnswers = {QString()};
    setDword(kDefPrj, QStringLiteral("Ansi"), 0);
    ASSERT_TRUE(ProgCfg->LoadFromRegistry());
    ui->prj->messageAnswers = {1, 1};
    main->MenuNewProject1->trigger();
    EXPECT_EQ(Project->GetInv(2), nullptr);
}

TEST_F(MainWinTest, ACommandLineFileThatIsNoProjectBuildsANewOne)
{
    setDword(kDefPrj, QStringLiteral("Ansi"), 0);
    for (const char* name : {"list.DW5", "params.op5"}) {
        SCOPED_TRACE(name);
        const QString file = path(QString::fromLatin1(name));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a project\n");
        f.close();
        ui = std::make_shared<RecordingUi>();
        ui->prj->messageAnswers = {1};  // no inverter to enter by hand
        ui->messageAnswers = {0};       // the project could not be built: go on
        start(file);
        EXPECT_TRUE(ui->errorBoxes.isEmpty());
        // Why the file did not load, then that no project could be built.
        ASSERT_EQ(ui->messages.size(), 2u);
        EXPECT_EQ(ui->messages[0].Msg, *LangTexts->GetStrings(0, 49));
        EXPECT_EQ(ui->messages[0].P1, file);
        EXPECT_EQ(ui->messages[0].Title, QStringLiteral("Error loading projectfile"));
        EXPECT_EQ(ui->messages[1].Msg, *LangTexts->GetStrings(0, 46));
        EXPECT_FALSE(main->windowTitle().contains(QString::fromLatin1(name)));
        EXPECT_TRUE(main->Shown);
        EXPECT_TRUE(ui->terminated.empty());
        EXPECT_EQ(Project->FileName, QString());
        endMain();
    }
}

TEST_F(MainWinTest, TheSecondButtonAfterAFailedProjectClosesWithStatusOneOnceTheStartUpHasEnded)
{
    setDword(kDefPrj, QStringLiteral("Ansi"), 0);
    ui->prj->messageAnswers = {1};
    ui->messageAnswers = {1};
    start();
    EXPECT_TRUE(main->Shown);
    EXPECT_TRUE(ui->terminated.empty());
    EXPECT_TRUE(qeltest::waitUntil([this] { return !ui->terminated.empty(); }));
    EXPECT_EQ(ui->terminated, std::vector<int>{1});
}

TEST_F(MainWinTest, QuitDuringTheSearchTakesEffectWhenTheStartUpHasEnded)
{
    setDword(kDin, QStringLiteral("Baudrate"), B_19200);
    ui->prj->messageAnswers = {0};
    ui->prj->onMessage = [this] { main->MenuQuit1->trigger(); };
    ui->messageAnswers = {1};  // do not save the new project
    start();
    EXPECT_TRUE(main->Shown);
    EXPECT_NE(Project->GetInv(1), nullptr);  // the search went on
    EXPECT_TRUE(ui->terminated.empty());
    EXPECT_TRUE(qeltest::waitUntil([this] { return !ui->terminated.empty(); }));
    EXPECT_EQ(ui->terminated, std::vector<int>{0});
}

TEST_F(MainWinTest, TheNewWorkListButtonAsksTheWorkListsForAnUnnamedList)
{
    TFMain& m = makeMain(demoProject());
    QStringList opened;
    FakeKind work;
    work.show = [&](int, int, const QString& f) -> QWidget* {
        opened << f;
        return nullptr;
    };
    m.Kinds.WrkList = &work;
    m.FormShow();
    ASSERT_TRUE(m.Shown);
    EXPECT_TRUE(m.NewWorkBtn->isEnabled());
    m.NewWorkBtn->click();
    EXPECT_EQ(opened, QStringList{QString()});
    ASSERT_EQ(ui->messages.size(), 1u);  // no window: the restore message
    EXPECT_EQ(ui->messages[0].Msg, *LangTexts->GetStrings(4, 21));
}

TEST_F(MainWinTest, InverterListChangesRestartTheSchedulerOthersOnlyUpdateTheCaption)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    int refreshed = 0;
    QObject client;
    const int slot = Scheduler->Register(&client, {}, {}, [&refreshed] { ++refreshed; });
    ASSERT_GE(slot, 0);

    // Bits 1 and 8: the scheduler keeps running, the caption follows.
    const QString renamed = path(QStringLiteral("prefix/data/Plant.pr5"));
    Project->FileName = renamed;
    main->PrjDataInvListChanged(Project, pcGeneral | pcFiles);
    EXPECT_EQ(refreshed, 0);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Halvorn - Plant.pr5"));
    EXPECT_TRUE(Scheduler->Active());

    // Removing an inverter (bit 4): every address set again, every client
    // refreshed, the scheduler attached and running again.
    Project->RemoveInv(2);
    Project->FirePendingChanges();
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(main->ProtSel->GetProtocol(2), prOffline);
    EXPECT_EQ(main->ProtSel->GetProtocol(1), prANSI);
    EXPECT_EQ(Scheduler->Selector(), main->ProtSel);
    EXPECT_TRUE(Scheduler->Active());
    Scheduler->Unregister(slot);
}

TEST_F(MainWinTest, FocusLossReleasesTheSerialAddressesOfEachCloseSettingAndReturnTakesThemBack)
{
    setDword(kDin, QStringLiteral("CloseCom"), 1);
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    // The explorer the demo restores goes first, and with it the program's
    // activation its showing queued.
    windows->PrjExpl().Window()->close();
    QCoreApplication::processEvents();
    main->ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(main->ProtSel->GetProtocol(1), prOffline);
    EXPECT_EQ(main->ProtSel->GetProtocol(2), prOffline);
    main->ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(main->ProtSel->GetProtocol(1), prANSI);
    EXPECT_EQ(main->ProtSel->GetProtocol(2), prANSI);

    // Moving between the program's own windows is no deactivation.
    main->show();
    QWidget other;
    other.show();
    for (QWidget* w : {static_cast<QWidget*>(&other), static_cast<QWidget*>(main.get()), &other}) {
        w->activateWindow();
        qeltest::waitUntil([w] { return w->isActiveWindow(); }, 2000);
        EXPECT_EQ(main->ProtSel->GetProtocol(1), prANSI);
    }
}

TEST_F(MainWinTest, SettingsReachOnlyTheDriversWhoseValuesDiffer)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    TAnsiProp* din = main->ProtSel->Ansi();
    ASSERT_TRUE(din->IsOpen());
    // A Zelk time-out: the open DIN driver is not touched.
    ProgCfg->Zelk.TimeOut = 321;
    main->ProgCfgChanged(ProgCfg);
    EXPECT_EQ(main->ProtSel->Zelk()->GetTimeOut(), 321);
    EXPECT_TRUE(din->IsOpen());
    // A DIN time-out: closed, set and opened again.
    ProgCfg->Din.TimeOut = 250;
    main->ProgCfgChanged(ProgCfg);
    EXPECT_EQ(din->GetTimeOut(), 250);
    EXPECT_TRUE(din->IsOpen());
    EXPECT_TRUE(qeltest::waitUntil([] { return Project->GetInv(1)->State == -2; }, 20000));
}

TEST_F(MainWinTest, TheBarStaysABarAndHelpOpensItsTopics)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    main->show();
    const int h = main->BarClientHeight();
    EXPECT_EQ(main->height(), h);
    main->setGeometry(100, 200, 640, 400);
    EXPECT_EQ(main->geometry(), QRect(100, 200, 640, h));
    main->showMaximized();
    // A late restore of the geometry from before the request, as a window
    // manager sends after the un-maximise, does not win over the placement.
    ASSERT_TRUE(qeltest::waitUntil([this] { return !main->isMaximized(); }, 5000));
    ASSERT_TRUE(main->BarPlacementSettling());
    main->setGeometry(100, 200, 640, h);
    // The window system answers the maximise request and the un-maximise
    // asynchronously: wait until its answers have stopped, so that a late
    // restore of the earlier geometry would show.
    EXPECT_TRUE(qeltest::waitUntil([this] { return !main->BarPlacementSettling(); }, 5000));
    EXPECT_FALSE(main->isMaximized());
    EXPECT_EQ(main->height(), h);
    EXPECT_EQ(main->frameGeometry().width(), main->screen()->availableGeometry().width());
    EXPECT_EQ(main->frameGeometry().topLeft(), main->screen()->availableGeometry().topLeft());
    // Once placed, the user may move the bar.
    main->setGeometry(50, 60, 500, h);
    qeltest::runEventLoopFor(100);
    EXPECT_EQ(main->geometry(), QRect(50, 60, 500, h));

    main->miHowTo->trigger();
    ASSERT_EQ(ui->urls.size(), 1);
    EXPECT_EQ(ui->urls[0].toLocalFile(), main->HelpFile);
    EXPECT_EQ(ui->urls[0].fragment(), QStringLiteral("ctx62"));
    EXPECT_FALSE(main->miInvManuals->isEnabled());  // no manual path

    // F1 in another of the program's windows: the topic of the focused
    // control's nearest window that has one.
    QWidget other;
    other.setProperty("HelpContext", 77);
    auto* edit = new QLineEdit(&other);
    other.show();
    QApplication::setActiveWindow(&other);
    edit->setFocus();
    ASSERT_TRUE(qeltest::waitUntil([&] { return QApplication::focusWidget() == edit; }, 2000));
    auto* f1 = main->findChild<QAction*>(QStringLiteral("HelpKey"));
    ASSERT_TRUE(f1);
    f1->trigger();
    ASSERT_EQ(ui->urls.size(), 2);
    EXPECT_EQ(ui->urls[1].fragment(), QStringLiteral("ctx77"));
}
