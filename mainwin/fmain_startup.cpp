// The main window: start-up sequence, bar placement, shutdown and focus.
#include "mainwin/fmain.h"
#include "mainwin/fmain_helpers.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/file_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/window_place.h"
#include "mainwin/editor_windows.h"
#include "mainwin/file_cfg_ids.h"
#include "mainwin/fsplash.h"
#include "mainwin/startup_files.h"
#include "mainwin/startup_texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QScreen>

using namespace fmain_detail;

// ------------------------------------------------------------------ start-up

void TFMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // No resize handle below the tool bar; again once the window system has
    // the window, since Qt sets its own hints while it maps it.
    SetX11NoResize(this);
    QMetaObject::invokeMethod(this, [this] { SetX11NoResize(this); }, Qt::QueuedConnection);
    updateBarHints();
    if (!Shown && !startupQueued_) {
        startupQueued_ = true;
        QMetaObject::invokeMethod(this, [this] { FormShow(); }, Qt::QueuedConnection);
    }
}

void TFMain::splashText(const QString& text)
{
    if (Splash)
        Splash->SetState(text);
    QCoreApplication::processEvents();
}

bool TFMain::startupFailed(const QString& text)
{
    ui_->ErrorBox(text);
    inStartup_ = false;
    ui_->Terminate(1);
    return false;
}

int TFMain::newPrjFromSettings()
{
    return project_->NewPrj(QString(), progCfg_->MinInvAdr, progCfg_->MaxInvAdr, progCfg_->Watchinterval,
                            progCfg_->DefProts);
}

void TFMain::copyBaudRatesBack()
{
    const TBaudRate din = ProtSel->Ansi()->GetBaudrate();
    const TBaudRate zelk = ProtSel->Zelk()->GetBaudrate();
    if (progCfg_->Din.Baudrate != din || progCfg_->Zelk.Baudrate != zelk)
        progCfg_->Modified = true;
    progCfg_->Din.Baudrate = din;
    progCfg_->Zelk.Baudrate = zelk;
}

void TFMain::FormShow()
{
    if (Shown || inStartup_)
        return;
    inStartup_ = true;
    TProgCfg& cfg = *progCfg_;
    if (!loadSettings())
        return;
    loadResources();
    applyMenuSettings();
    // The index of the configuration files.
    splashText(QStringLiteral("Checking parameter files"));
    cfg.ScanBinFiles();
    if (!loadLanguageFile() || !holdSingleInstance())
        return;
    const TVortalinText& t = *langTexts_;
    // The help file of the program language; the manuals entry needs a
    // manual folder.
    HelpFile = ChooseHelpFile(cfg.ApplicationPath, cfg.ProgLng);
    miInvManuals->setEnabled(!cfg.ManualPath.isEmpty());
    // Filter and folder of the file-open dialog.
    OpenDlgFilter = OpenDialogFilter(t);
    OpenDlgDir = cfg.DataPath;
    // Texts of the editors and the options dialog.
    pushTexts();
    fillButtonLists();
    wireProject();
    pushPrjTexts();
    // Texts of the work-list manager, the explorer and the other kinds of
    // windows.
    pushListTexts();
    forEachKind([&](IWindowKind& k) { k.TextsChanged(t, cfg); });
    // Texts and settings of the print window.
    Editors->SetUpPrintWindow(t, cfg);
    openStartProject();
    // The serial rates the project's drivers now use become the settings'.
    copyBaudRatesBack();
    // The scheduler starts on the protocol selector.
    splashText(QStringLiteral("Reading inverter cfg"));
    scheduler_->Attach(ProtSel);
    scheduler_->SetActive(true);
    finishStartup();
}

QStringList TFMain::textLines(int s, int i) const
{
    const QStringList* l = langTexts_->GetStrings(s, i);
    return l ? *l : QStringList{QStringLiteral("???")};
}

bool TFMain::loadSettings()
{
    TProgCfg& cfg = *progCfg_;
    // Let the splash window paint; no window is active yet.
    QCoreApplication::processEvents();
    CurOpFuncs = nullptr;
    CurContext = nullptr;
    // The settings; without them the program cannot run.
    splashText(QStringLiteral("Registry load"));
    if (!cfg.LoadFromRegistry())
        return startupFailed(QStringLiteral("Invalid registry.\nPlease re-install program."));
    // Everything that follows the settings, the drivers among them.
    ProgCfgChanged(&cfg);
    return true;
}

// Caption, program icon and splash picture from the settings.
void TFMain::loadResources()
{
    TProgCfg& cfg = *progCfg_;
    bool ok = true;
    setWindowTitle(cfg.AppName + QStringLiteral("     "));
    QCoreApplication::setApplicationName(cfg.AppName);
    QPixmap icon;
    if (icon.load(cfg.ApplicationPath + cfg.AppIcon))
        QApplication::setWindowIcon(QIcon(icon));
    else
        ok = false;
    if (Splash && !Splash->LoadPicture(cfg.ApplicationPath + cfg.AppPicture))
        ok = false;
    if (!ok)
        ui_->ErrorBox(QStringLiteral("Error loading resources."));
}

// The help entries and the fieldbus window's entry as the settings allow.
void TFMain::applyMenuSettings()
{
    const TProgCfg& cfg = *progCfg_;
    const THelpMenuVisibility help = HelpMenuVisibility(cfg.NoAdvHelpMenu);
    miInhalt->setVisible(help.miInhalt);
    miHowTo->setVisible(help.miHowTo);
    N8->setVisible(help.N8);
    miInvManuals->setVisible(help.miInvManuals);
    N9->setVisible(help.N9);
    MenuFBS->setVisible(cfg.EnableFbsWindow);
}

// The language file of the program language; none installed ends the
// start-up, and so does one that cannot be read.
bool TFMain::loadLanguageFile()
{
    const TProgCfg& cfg = *progCfg_;
    splashText(QStringLiteral("Reading language file"));
    const QString lngFile = ChooseLanguageFile(cfg.ApplicationPath, cfg.ProgLng);
    if (lngFile.isEmpty())
        return startupFailed(QStringLiteral("Fatal Error:\nNo language file installed !"));
    if (!langTexts_->LoadFromFile(lngFile, Language::CodePageOf(cfg.ProgLng)))
        return startupFailed(QStringLiteral("Error reading language file \n") + lngFile);
    return true;
}

// A second instance says so and ends. The button lists are filled only
// further down; the message uses what list 1 will hold, so that it has its
// OK button.
bool TFMain::holdSingleInstance()
{
    const TVortalinText& t = *langTexts_;
    if (Mutex.Acquire(QLatin1String(MutexName)) == TSingleInstanceLock::lrAlreadyExists) {
        ui_->Message(textLines(0, 43), {QStringLiteral("0") + t.GetText(0, 6)}, progCfg_->AppName, icInformation,
                     {}, {}, {}, 0, -1);
        inStartup_ = false;
        ui_->Terminate(1);
        return false;
    }
    return true;
}

// The message dialog's button lists.
void TFMain::fillButtonLists()
{
    const TVortalinText& t = *langTexts_;
    ButtonLists[0] = {QStringLiteral("0") + t.GetText(0, 6)};
    ButtonLists[1] = {QStringLiteral("3") + t.GetText(0, 8), QStringLiteral("4") + t.GetText(0, 9)};
    ButtonLists[2] = {QStringLiteral("8") + t.GetText(0, 10), QStringLiteral("6") + t.GetText(0, 7)};
    ButtonLists[3] = {QStringLiteral("3") + t.GetText(0, 8), QStringLiteral("4") + t.GetText(0, 9),
                      QStringLiteral("6") + t.GetText(0, 7)};
    ButtonLists[4] = {QStringLiteral(":") + t.GetText(2, 23), QStringLiteral(":") + t.GetText(2, 24),
                      QStringLiteral(":") + t.GetText(2, 25)};
}

// The project: its dialogs, drivers, scheduler, events and folders.
void TFMain::wireProject()
{
    const TProgCfg& cfg = *progCfg_;
    TVortalinPrj& prj = *project_;
    ui_->InstallPrjDialogs(prj, this);
    prj.ProtSel = ProtSel;
    prj.SetScheduler(scheduler_);
    prj.OnInvStateChanged = [this](QObject* s, int a, int st) { PrjDataInvStateChanged(s, a, st); };
    prj.OnPrjChanged = [this](QObject* s, TPrjChanges c) { PrjDataInvListChanged(s, c); };
    prj.OnInvProtChanged = [this](QObject* s, int a, TProt p) { PrjDataInvProtChanged(s, a, p); };
    prj.BinPath = cfg.BinPath;
    prj.DataPath = cfg.DataPath;
    prj.FilterStr = OpenDlgFilter;
    prj.ParaLanguage = cfg.SecondLng;
}

// The texts of the project, its messages and its dialogs.
void TFMain::pushPrjTexts()
{
    const TVortalinText& t = *langTexts_;
    TVortalinPrj& prj = *project_;
    prj.DefPrjName = t.GetText(3, 0);
    prj.DefInvName = t.GetText(7, 43);
    prj.MsgCancelText = t.GetText(0, 7);
    prj.MsgInvSearchTitle = t.GetText(7, 53);
    prj.MsgOverride = textLines(0, 13);
    prj.MsgSave = textLines(7, 40);
    prj.SetMsgYesText(t.GetText(7, 41));
    prj.SetMsgNoText(t.GetText(7, 42));
    prj.MsgNoCfg = textLines(7, 49);
    prj.MsgNotOnDisc = textLines(7, 50);
    prj.SetMsgNotOnDiscSelText(t.GetText(7, 57));
    prj.SetMsgNotOnDiscCancelText(t.GetText(7, 10));
    prj.MsgCopyErrText = textLines(7, 51).join(u'\n');
    prj.MsgExtSearch = textLines(7, 52);
    prj.MsgErrWrToFile = textLines(7, 58);
    prj.MsgWrongId = textLines(7, 54);
    prj.SetMsgNewIdText(t.GetText(7, 55));
    prj.SetMsgOldIdText(t.GetText(7, 56));
    prj.ReadTitle = t.GetText(7, 38);
    prj.LoadTitle = t.GetText(7, 38);
    prj.GroupText = t.GetText(7, 37);
    prj.CancelText = t.GetText(7, 10);
    PushPrjEditTexts(prj.PrjEdit(), t);
}

// The project named on the command line, or a new one from the
// default-project settings; a failure lets the user end the program.
void TFMain::openStartProject()
{
    TVortalinPrj& prj = *project_;
    splashText(QStringLiteral("Reading project data"));
    int rc = 0;
    switch (ClassifyCommandLine(CmdLineParam)) {
    case clNone:
        splashText(QStringLiteral("Building new project"));
        rc = newPrjFromSettings();
        break;
    case clDownList:
        rc = prj.NewPrjForFile(CmdLineParam, GetDwnFileCfgId(CmdLineParam), -1, -1, -1, wkDownList);
        break;
    case clScope: {
        const auto ids = ReadScopeFileCfgIds(CmdLineParam);
        rc = prj.NewPrjForFile(CmdLineParam, ids[0], ids[1], ids[2], ids[3], wkScope);
        break;
    }
    case clProject:
        // The start-up's own words head the box that says why.
        if (!loadProject(CmdLineParam, QStringLiteral("Error loading projectfile"))) {
            splashText(QStringLiteral("Building new project"));
            rc = newPrjFromSettings();
        }
        break;
    }
    if (rc != 0 && ui_->Message(textLines(0, 46), ButtonList(2), QString(), icInformation, {}, {}, {}, 0, 1) == 1) {
        exitStatus_ = 1;
        closeRequested_ = true;
    }
}

// The splash goes, the bar gets its texts and its place, and the windows
// saved with the project come back.
void TFMain::finishStartup()
{
    // The splash window goes.
    if (Splash) {
        Splash->hide();
        delete Splash.data();
    }
    // The bar's own texts; hexadecimal display starts off.
    pushMainTexts();
    MenuHexdisplay->setChecked(false);
    // The bar into the work area, then the windows saved with the project.
    PlaceBarInWorkArea();
    RestoreWindows();
    Shown = true;
    inStartup_ = false;
    if (closeRequested_)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void TFMain::pushTexts()
{
    Editors->SetUp(*langTexts_, *progCfg_, project_, scheduler_);
    PushOptDlgTexts(*OptDlg, *langTexts_);
}

void TFMain::pushMainTexts()
{
    const TVortalinText& t = *langTexts_;
    MenuFile1->setTitle(t.GetText(5, 21));
    MenuNewProject1->setText(t.GetText(3, 0));
    MenuNewDownloadList1->setText(t.GetText(2, 12));
    MenuNewWorkList1->setText(t.GetText(4, 7));
    MenusaveParas->setText(t.GetText(5, 46));
    MenuSaveAs1->setText(t.GetText(5, 12));
    MenuPrint1->setText(t.GetText(5, 13));
    MenuQuit1->setText(t.GetText(5, 25));
    MenuEdit1->setTitle(t.GetText(5, 22));
    MenuMarkAll1->setText(t.GetText(5, 9));
    MenuSearch1->setText(t.GetText(5, 28));
    MenuDefaultSettings1->setText(t.GetText(5, 26));
    MenuChangeProject1->setText(t.GetText(5, 27));
    MenuView1->setTitle(t.GetText(5, 23));
    MenuHelp1->setTitle(t.GetText(5, 24));
    MenuSavePrj->setText(t.GetText(5, 33));
    MenuSavePrjAs->setText(t.GetText(5, 34));
    MenuCopyPrj->setText(t.GetText(5, 35));
    MenuPrjExpl->setText(t.GetText(3, 73));
    MenuInverterScope->setText(t.GetText(1, 44));
    MenuOperatorParameter->setText(t.GetText(5, 44));
    MenuQuintel->setText(t.GetText(5, 47));
    MenuHexdisplay->setText(t.GetText(5, 42));
    miWindows->setTitle(t.GetText(5, 29));
    miArrangeVertical->setText(t.GetText(5, 30));
    miArrangeHorizontal->setText(t.GetText(5, 31));
    miArrangeOverlapped->setText(t.GetText(5, 32));
    MiNext->setText(t.GetText(5, 45));
    miInhalt->setText(t.GetText(5, 36));
    miHowTo->setText(t.GetText(5, 37));
    miInvManuals->setText(t.GetText(5, 39));
    HelpAboutItem->setText(t.GetText(5, 40));
    // Tool buttons: their hint is the entry's caption or the other way round.
    const std::pair<QAction*, QString> hinted[] = {{MenuOpen1, t.GetText(5, 10)}, {MenuSave1, t.GetText(5, 11)},
                                                   {MenuCut1, t.GetText(5, 5)},   {MenuCopy1, t.GetText(5, 6)},
                                                   {MenuPaste1, t.GetText(5, 7)}, {MenuDelete1, t.GetText(5, 8)}};
    for (const auto& [a, hint] : hinted) {
        a->setText(hint);
        a->setToolTip(hint);
    }
    for (QAction* a : {MenuNewDownloadList1, MenuNewWorkList1, MenuChangeProject1, MenuPrjExpl, MenuInverterScope})
        a->setToolTip(a->text());
    MenuFBS->setText(QStringLiteral("Feldbus"));
    // The file dialogs' titles: the Open hint and the Save as entry.
    SetFileDlgTitles(t.GetText(5, 10), t.GetText(5, 12));
}

QRect TFMain::barInWorkArea()
{
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return geometry();
    return PlaceBar(geometry(), FrameMargins(this), barArea_.Of(s->availableGeometry()), BarClientHeight(), true);
}

void TFMain::PlaceBarInWorkArea()
{
    setGeometry(barInWorkArea());
    barPlaced_ = true;
    updateBarHints();
}

void TFMain::updateBarHints()
{
    if (!isVisible() || !testAttribute(Qt::WA_WState_Created))
        return;
    // Not while a maximise request is being answered: the bar is across the
    // whole work area for a moment then.
    if (!barPlaced_ || barSettling_ || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
        return;
    // The work area's top as it is before the strut shapes it.
    if (QScreen* s = screen())
        barArea_.Of(s->availableGeometry());
    const QRect frame = frameGeometry();
    const TBarStrut strut = BarStrut(frame, devicePixelRatioF());
    if (strut == strut_)
        return;
    if (SetX11Strut(this, strut)) {
        strut_ = strut;
        barArea_.StrutSet(strut.Rows > 0 ? frame.bottom() + 1 : 0);
    }
}

void TFMain::hideEvent(QHideEvent* e)
{
    QMainWindow::hideEvent(e);
    if (strut_.Rows > 0 && SetX11Strut(this, TBarStrut())) {
        strut_ = TBarStrut();
        barArea_.StrutSet(0);
    }
}

void TFMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    // Always a bar: only the height is fixed; left, top and width stay.
    if (height() != BarClientHeight())
        setGeometry(PlaceBar(geometry(), {}, {}, BarClientHeight(), false));
    keepBarInWorkArea();
    updateBarHints();
}

void TFMain::moveEvent(QMoveEvent* e)
{
    QMainWindow::moveEvent(e);
    keepBarInWorkArea();
    updateBarHints();
}

void TFMain::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    // A window manager keeps a maximised window at full height: a maximise
    // request places the bar across the top of the work area instead.
    if (e->type() != QEvent::WindowStateChange)
        return;
    if ((windowState() & Qt::WindowMaximized) && !barSettling_) {
        barSettling_ = true;
        barPlacements_ = 0;
    }
    keepBarInWorkArea();
}

// The window system answers a maximise request and the un-maximise that
// follows it asynchronously and in no fixed order: the maximised geometry,
// the state changes and, once un-maximised, the geometry from before the
// request can all arrive after the bar was placed. So after the request,
// each answer that leaves the bar elsewhere places it again, until the
// window system has been quiet for a moment. A later move by the user is
// left alone.
void TFMain::keepBarInWorkArea()
{
    if (!barSettling_)
        return;
    barSettle_->start();
    if ((windowState() & Qt::WindowMaximized) || geometry() != barInWorkArea())
        queueBarPlacement();
}

void TFMain::queueBarPlacement()
{
    if (barPlacementQueued_)
        return;
    barPlacementQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            barPlacementQueued_ = false;
            // A window system that never lets go is not fought forever.
            if (!barSettling_ || ++barPlacements_ > MaxBarPlacements) {
                barSettling_ = false;
                return;
            }
            if (windowState() & Qt::WindowMaximized)
                setWindowState(windowState() & ~Qt::WindowMaximized);
            PlaceBarInWorkArea();
            barSettle_->start();
        },
        Qt::QueuedConnection);
}

// ------------------------------------------------------------------ shutdown

void TFMain::closeEvent(QCloseEvent* e)
{
    if (inStartup_) {
        // Takes effect when the start-up has ended.
        closeRequested_ = true;
        e->ignore();
        return;
    }
    if (closing_) {
        e->accept();
        return;
    }
    closing_ = true;
    // Every window closes; each asks about its unsaved list.
    CloseAllWindows();
    // Changed settings go back to the store.
    if (progCfg_->Modified)
        progCfg_->SaveToRegistry();
    // A modified project is offered for saving.
    if (project_ && project_->Modified) {
        const QStringList* msg = langTexts_->GetStrings(7, 47);
        if (ui_->Message(msg ? *msg : QStringList{}, ButtonList(2), langTexts_->GetText(5, 33), icInformation, {}, {},
                         {}, 0, 1) == 0)
            project_->SaveToFile(project_->FileName);
    }
    leaveClipboardViewer();
    e->accept();
    ui_->Terminate(exitStatus_);
}

// ------------------------------------------------------------------ focus

void TFMain::ApplicationStateChanged(Qt::ApplicationState state)
{
    if (!Shown)
        return;
    if (state == Qt::ApplicationActive)
        AppActivate();
    else
        AppDeactivate();
}

void TFMain::AppDeactivate()
{
    // Each close-port setting releases its own protocol, so that another
    // program can use the serial port meanwhile.
    const bool zelk = progCfg_->Zelk.CloseCom;
    const bool din = progCfg_->Din.CloseCom;
    if (!zelk && !din)
        return;
    released_ = true;
    for (int a = 0; a < kPrjInvCount; ++a) {
        const TProt p = ProtSel->GetProtocol(a);
        if ((p == prZelk && zelk) || (p == prANSI && din))
            ProtSel->SetProtocol(a, prOffline);
    }
}

void TFMain::AppActivate()
{
    released_ = false;
    if (!project_)
        return;
    for (int a = 0; a < kPrjInvCount; ++a) {
        const TPrjInvRec* inv = project_->GetInv(a);
        if (!inv || ProtSel->GetProtocol(a) != prOffline)
            continue;
        if (inv->Prot == prZelk || inv->Prot == prANSI)
            ProtSel->SetProtocol(a, inv->Prot);
    }
}
