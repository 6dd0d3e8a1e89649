#include "mainwin/fmain.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/value_conversion.h"
#include "dialogs/opt_dlg.h"
#include "dialogs/prj_interaction_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/window_file.h"
#include "dialogs/message_dlg.h"
#include "mainwin/file_cfg_ids.h"
#include "mainwin/fsplash.h"
#include "mainwin/startup_files.h"
#include "mainwin/startup_texts.h"
#include "project/prj_paths.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

static void initGlyphResources()
{
    Q_INIT_RESOURCE(mainwin_glyphs);
}

namespace {

const char* const kHelpContext = "helpContext";
const char* const kSlot = "slot";

QIcon glyph(const char* name)
{
    return QIcon(QStringLiteral(":/glyphs/%1.xpm").arg(QLatin1String(name)));
}

void setHelpContext(QObject* o, int ctx)
{
    o->setProperty(kHelpContext, ctx);
}

int helpContextOf(const QObject* o)
{
    return o ? o->property(kHelpContext).toInt() : 0;
}

} // namespace

// ------------------------------------------------------------------ creation

TFMain::TFMain(std::shared_ptr<IMainInteraction> ui, QWidget* parent)
    : QMainWindow(parent), ui_(ui ? std::move(ui) : std::make_shared<TMainInteractionDlg>(this))
{
    initGlyphResources();
    setObjectName(QStringLiteral("FMain"));
    FMain = this;
    setHelpContext(this, MainHelpContext);
    ProtSel = new TProtSel(this);
    ProtSel->setObjectName(QStringLiteral("ProtSel"));

    // 1. Scheduler.
    scheduler_ = new TScheduler(this);
    Scheduler = scheduler_;
    scheduler_->OnChange = [this](QObject* s) { SchListChanged(s); };
    // 2. Project, owned by the window.
    project_ = new TVortalinPrj(this);
    Project = project_;
    // 3. Settings.
    progCfg_ = std::make_unique<TProgCfg>();
    ProgCfg = progCfg_.get();
    progCfg_->OnPrgCfgChanged = [this](TProgCfg* c) { ProgCfgChanged(c); };
    progCfg_->ProtSel = ProtSel;
    auto opt = std::make_unique<TfrmOptDlg>(this);
    OptDlg = opt.get();
    progCfg_->SetOptionDlg(std::move(opt));
    // 4. The drag object, the work-list manager and the internal clipboard
    //    join here once they exist.
    // 6. Language texts and the message dialog's button lists.
    langTexts_ = std::make_unique<TVortalinText>();
    langTexts_->SetVersion(5);
    LangTexts = langTexts_.get();
    for (QStringList& l : ButtonLists)
        l.clear();

    // 7, 8: bar, menus and tool bar.
    createMenus();
    createToolBar();
    setFixedHeight(BarClientHeight());

    // 9. Focus loss and return.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState s) { ApplicationStateChanged(s); });
    SetUserMsgHelpHandler([this](int ctx) { ShowHelp(ctx); });
    MainSetPrgOpFuncs = [this](PTOperatingFuncs f) { SetPrgOpFuncs(f); };
    MainSetContextFuncs = [this](TContextList* l) { SetContextFuncs(l); };
}

TFMain::~TFMain()
{
    SetUserMsgHelpHandler({});
    MainSetPrgOpFuncs = {};
    MainSetContextFuncs = {};
    disconnect(qApp, nullptr, this, nullptr);
    qDeleteAll(CtxButtons);
    CtxButtons.clear();
    progCfg_.reset();
    ProgCfg = nullptr;
    if (project_)
        project_->Release();
    Project = nullptr;
    if (scheduler_)
        scheduler_->Release();
    Scheduler = nullptr;
    Mutex.Release();
    if (Splash)
        delete Splash.data();
    LangTexts = nullptr;
    if (FMain == this)
        FMain = nullptr;
}

QAction* TFMain::addEntry(QMenu* menu, const char* name, const QString& caption, int helpContext,
                          const QKeySequence& shortcut)
{
    auto* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    setHelpContext(a, helpContext);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

void TFMain::createMenus()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // The menus stay in the window on every desktop.
    MainMenu1->setNativeMenuBar(false);

    auto topMenu = [this](const char* name, const QString& title) {
        QMenu* m = MainMenu1->addMenu(title);
        m->setObjectName(QLatin1String(name));
        setHelpContext(m, MainHelpContext);
        setHelpContext(m->menuAction(), MainHelpContext);
        m->installEventFilter(this);
        return m;
    };
    MenuFile1 = topMenu("MenuFile1", QStringLiteral("&Datei"));
    MenuNewProject1 = addEntry(MenuFile1, "MenuNewProject1", QStringLiteral("Neues Projekt"), 13);
    MenuNewDownloadList1 = addEntry(MenuFile1, "MenuNewDownloadList1", QStringLiteral("Neue Downloadliste"), 14);
    MenuNewWorkList1 = addEntry(MenuFile1, "MenuNewWorkList1", QStringLiteral("Neue Arbeitsliste"), 15);
    MenusaveParas = addEntry(MenuFile1, "MenusaveParas", QStringLiteral("Parameter sichern"), 167);
    MenuFile1->addSeparator();
    MenuOpen1 = addEntry(MenuFile1, "MenuOpen1", QStringLiteral("Öffnen"), 16, QKeySequence(Qt::CTRL | Qt::Key_O));
    MenuSave1 = addEntry(MenuFile1, "MenuSave1", QStringLiteral("Speichern"), 17, QKeySequence(Qt::CTRL | Qt::Key_S));
    MenuSaveAs1 = addEntry(MenuFile1, "MenuSaveAs1", QStringLiteral("Speichern unter"), 18);
    MenuFile1->addSeparator();
    MenuSavePrj = addEntry(MenuFile1, "MenuSavePrj", QStringLiteral("Projekt speichern"), 19);
    MenuSavePrjAs = addEntry(MenuFile1, "MenuSavePrjAs", QStringLiteral("Projekt speichern unter"), 20);
    MenuCopyPrj = addEntry(MenuFile1, "MenuCopyPrj", QStringLiteral("Projekt kopieren"), 21);
    MenuFile1->addSeparator();
    MenuPrint1 = addEntry(MenuFile1, "MenuPrint1", QStringLiteral("Drucken"), 22, QKeySequence(Qt::CTRL | Qt::Key_P));
    MenuFile1->addSeparator();
    MenuQuit1 = addEntry(MenuFile1, "MenuQuit1", QStringLiteral("Beenden"), 23);

    MenuEdit1 = topMenu("MenuEdit1", QStringLiteral("&Bearbeiten"));
    MenuCut1 = addEntry(MenuEdit1, "MenuCut1", QStringLiteral("Ausschneiden"), 24, QKeySequence(Qt::CTRL | Qt::Key_X));
    MenuCopy1 = addEntry(MenuEdit1, "MenuCopy1", QStringLiteral("Kopieren"), 25, QKeySequence(Qt::CTRL | Qt::Key_C));
    MenuPaste1 = addEntry(MenuEdit1, "MenuPaste1", QStringLiteral("Einfügen"), 26, QKeySequence(Qt::CTRL | Qt::Key_V));
    MenuDelete1 =
        addEntry(MenuEdit1, "MenuDelete1", QStringLiteral("Löschen"), 27, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    MenuEdit1->addSeparator();
    MenuMarkAll1 =
        addEntry(MenuEdit1, "MenuMarkAll1", QStringLiteral("Alles markieren"), 28, QKeySequence(Qt::CTRL | Qt::Key_A));
    MenuSearch1 = addEntry(MenuEdit1, "MenuSearch1", QStringLiteral("Suchen"), 29, QKeySequence(Qt::CTRL | Qt::Key_F));

    MenuView1 = topMenu("MenuView1", QStringLiteral("&Ansicht"));
    MenuPrjExpl = addEntry(MenuView1, "MenuPrjExpl", QStringLiteral("Projekt-Explorer"), 32);
    MenuPrjExpl->setCheckable(true);
    MenuInverterScope = addEntry(MenuView1, "MenuInverterScope", QStringLiteral("Umrichter-Scope"), 33);
    MenuInverterScope->setCheckable(true);
    MenuOperatorParameter = addEntry(MenuView1, "MenuOperatorParameter", QStringLiteral("Bedienerparameter"), 34);
    MenuQuintel = addEntry(MenuView1, "MenuQuintel", QStringLiteral("Quintel-Modus"), 171);
    MenuFBS = addEntry(MenuView1, "MenuFBS", QStringLiteral("Feldbus"), 0);
    MenuView1->addSeparator();
    MenuHexdisplay = addEntry(MenuView1, "MenuHexdisplay", QStringLiteral("Hexadezimal"), 140, QKeySequence(Qt::Key_F12));
    MenuHexdisplay->setCheckable(true);
    MenuView1->addSeparator();
    MenuChangeProject1 = addEntry(MenuView1, "MenuChangeProject1", QStringLiteral("Projekt bearbeiten"), 31);
    MenuDefaultSettings1 = addEntry(MenuView1, "MenuDefaultSettings1", QStringLiteral("Einstellungen"), 30);

    MenuContext0 = topMenu("MenuContext0", QStringLiteral("-"));
    MenuContext0->menuAction()->setEnabled(false);

    miWindows = topMenu("miWindows", QStringLiteral("&Fenster"));
    miArrangeVertical = addEntry(miWindows, "miArrangeVertical", QStringLiteral("Nebeneinander"), 38);
    miArrangeHorizontal = addEntry(miWindows, "miArrangeHorizontal", QStringLiteral("Untereinander"), 37);
    miArrangeOverlapped = addEntry(miWindows, "miArrangeOverlapped", QStringLiteral("Überlappend"), 36);
    MiNext = addEntry(miWindows, "MiNext", QStringLiteral("Nächstes Fenster"), 165, QKeySequence(Qt::CTRL | Qt::Key_N));
    N7 = miWindows->addSeparator();
    N7->setObjectName(QStringLiteral("N7"));
    miWindows->menuAction()->setVisible(false);

    MenuHelp1 = topMenu("MenuHelp1", QStringLiteral("&Hilfe"));
    miInhalt = addEntry(MenuHelp1, "miInhalt", QStringLiteral("Inhalt"), 40);
    miHowTo = addEntry(MenuHelp1, "miHowTo", QStringLiteral("Hilfe benutzen"), 62);
    N8 = MenuHelp1->addSeparator();
    N8->setObjectName(QStringLiteral("N8"));
    miInvManuals = addEntry(MenuHelp1, "miInvManuals", QStringLiteral("Handbücher"), 64);
    N9 = MenuHelp1->addSeparator();
    N9->setObjectName(QStringLiteral("N9"));
    HelpAboutItem = addEntry(MenuHelp1, "HelpAboutItem", QStringLiteral("Info"), 39);

    // Starting states.
    for (QAction* a : {MenuSave1, MenuSaveAs1, MenuPrint1, MenuCut1, MenuCopy1, MenuPaste1, MenuDelete1, MenuMarkAll1})
        a->setEnabled(false);
    MenuFBS->setVisible(false);
    updateLaterEntries();

    // Commands.
    connect(MenuFile1, &QMenu::aboutToShow, this, [this] { UpdateMenuFile(); });
    connect(MenuNewProject1, &QAction::triggered, this, [this] { NewProject(); });
    connect(MenuNewDownloadList1, &QAction::triggered, this, [this] {
        if (Later.CreateDwnLoad)
            Later.CreateDwnLoad(currentInv(), progCfg_->lng, QString());
    });
    connect(MenuNewWorkList1, &QAction::triggered, this, [this] {
        if (!Later.OpenWorkList)
            return;
        if (!Later.OpenWorkList(QString()))
            ui_->Message(langTexts_->GetStrings(4, 21) ? *langTexts_->GetStrings(4, 21) : QStringList{},
                         ButtonList(1), langTexts_->GetText(5, 10), icInformation, {}, {}, {}, 0, -1);
    });
    connect(MenusaveParas, &QAction::triggered, this, [this] {
        if (Later.SaveParas)
            Later.SaveParas();
    });
    connect(MenuOpen1, &QAction::triggered, this, [this] { OpenFile(); });
    connect(MenuSavePrj, &QAction::triggered, this, [this] { SavePrj(); });
    connect(MenuSavePrjAs, &QAction::triggered, this, [this] { SavePrjAs(); });
    connect(MenuCopyPrj, &QAction::triggered, this, [this] { CopyPrj(); });
    connect(MenuQuit1, &QAction::triggered, this, [this] { close(); });
    const std::pair<QAction*, int> slotEntries[] = {{MenuSave1, osSave},     {MenuSaveAs1, osSaveAs},
                                                    {MenuCut1, osCut},       {MenuCopy1, osCopy},
                                                    {MenuPaste1, osPaste},   {MenuDelete1, osDelete},
                                                    {MenuMarkAll1, osMarkAll}, {MenuPrint1, osPrint},
                                                    {MenuSearch1, osSearch}};
    for (const auto& [a, slot] : slotEntries) {
        a->setProperty(kSlot, slot);
        connect(a, &QAction::triggered, this, [this, slot = slot] { CallSlot(slot); });
    }
    connect(MenuDefaultSettings1, &QAction::triggered, this, [this] { progCfg_->Execute(); });
    connect(MenuChangeProject1, &QAction::triggered, this, [this] {
        if (Later.EditPrj)
            Later.EditPrj();
    });
    connect(MenuPrjExpl, &QAction::triggered, this, [this] {
        if (Later.ShowPrjExpl)
            Later.ShowPrjExpl(false);
        MenuPrjExpl->setChecked(true);
    });
    connect(MenuInverterScope, &QAction::triggered, this, [this] {
        MenuInverterScope->setChecked(true);
        if (Later.ShowScope)
            Later.ShowScope(currentInv(), progCfg_->lng, QString());
    });
    connect(MenuOperatorParameter, &QAction::triggered, this, [this] {
        if (Later.CreateOpPara)
            Later.CreateOpPara(currentInv(), progCfg_->lng);
    });
    connect(MenuQuintel, &QAction::triggered, this, [this] {
        if (Later.ShowQuintelWindow)
            Later.ShowQuintelWindow(currentInv(), progCfg_->lng);
    });
    connect(MenuFBS, &QAction::triggered, this, [this] {
        if (Later.ShowFbs)
            Later.ShowFbs();
    });
    connect(MenuHexdisplay, &QAction::triggered, this, [this] { ToggleHexDisplay(); });
    connect(miArrangeVertical, &QAction::triggered, this, [this] { Arrange(akSideBySide); });
    connect(miArrangeHorizontal, &QAction::triggered, this, [this] { Arrange(akAboveEachOther); });
    connect(miArrangeOverlapped, &QAction::triggered, this, [this] { Arrange(akOverlapped); });
    connect(MiNext, &QAction::triggered, this, [this] { NextWindow(); });
    connect(miInhalt, &QAction::triggered, this, [this] { ShowHelpContents(); });
    connect(miHowTo, &QAction::triggered, this, [this] { ShowHelp(62); });
    connect(miInvManuals, &QAction::triggered, this, [this] { OpenManual(); });
    connect(HelpAboutItem, &QAction::triggered, this, [this] { About(); });

    // F1 on the bar: the window's topic (inside an open menu: the entry's).
    auto* f1 = new QAction(this);
    f1->setObjectName(QStringLiteral("HelpKey"));
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    f1->setShortcutContext(Qt::WindowShortcut);
    addAction(f1);
    connect(f1, &QAction::triggered, this, [this] { ShowHelp(MainHelpContext); });
}

void TFMain::createToolBar()
{
    layout_ = ToolBarLayout();
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(TToolBarLayout::PanelHeight);
    setCentralWidget(Panel1);

    auto button = [this](const char* name, const QRect& r, QAction* action, const char* glyphName) {
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QLatin1String(name));
        b->setAutoRaise(true);
        b->setGeometry(r);
        b->setIconSize(QSize(24, 24));
        action->setIcon(glyph(glyphName));
        b->setDefaultAction(action);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return b;
    };
    auto divider = [this](const char* name, const QRect& r) {
        auto* p = new QFrame(Panel1);
        p->setObjectName(QLatin1String(name));
        p->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        p->setGeometry(r);
        return p;
    };
    OpenBtn = button("OpenBtn", layout_.OpenBtn, MenuOpen1, "open");
    SaveBtn = button("SaveBtn", layout_.SaveBtn, MenuSave1, "save");
    Panel3 = divider("Panel3", layout_.Panel3);
    CutBtn = button("CutBtn", layout_.CutBtn, MenuCut1, "cut");
    CopyBtn = button("CopyBtn", layout_.CopyBtn, MenuCopy1, "copy");
    PasteBtn = button("PasteBtn", layout_.PasteBtn, MenuPaste1, "paste");
    DelBtn = button("DelBtn", layout_.DelBtn, MenuDelete1, "delete");
    Panel4 = divider("Panel4", layout_.Panel4);
    PrjEditBtn = button("PrjEditBtn", layout_.PrjEditBtn, MenuChangeProject1, "prjedit");
    ExplBtn = button("ExplBtn", layout_.ExplBtn, MenuPrjExpl, "explorer");
    ScopeButton = button("ScopeButton", layout_.ScopeButton, MenuInverterScope, "scope");
    NewWorkBtn = button("NewWorkBtn", layout_.NewWorkBtn, MenuNewWorkList1, "worklist");
    NewDwnLoadBtn = button("NewDwnLoadBtn", layout_.NewDwnLoadBtn, MenuNewDownloadList1, "download");
    Panel5 = divider("Panel5", layout_.Panel5);
    // The frame line along the top of the tool bar.
    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Panel2->setGeometry(0, 0, 4000, TToolBarLayout::DividerWidth);
    Panel2->lower();
}

int TFMain::BarClientHeight() const
{
    return MainMenu1->sizeHint().height() + TToolBarLayout::PanelHeight;
}

void TFMain::updateLaterEntries()
{
    MenuNewDownloadList1->setEnabled(bool(Later.CreateDwnLoad));
    MenuNewWorkList1->setEnabled(bool(Later.OpenWorkList));
    MenusaveParas->setEnabled(bool(Later.SaveParas));
    MenuChangeProject1->setEnabled(bool(Later.EditPrj));
    MenuPrjExpl->setEnabled(bool(Later.ShowPrjExpl));
    MenuInverterScope->setEnabled(bool(Later.ShowScope));
    MenuOperatorParameter->setEnabled(bool(Later.CreateOpPara));
    MenuQuintel->setEnabled(bool(Later.ShowQuintelWindow));
    MenuFBS->setEnabled(bool(Later.ShowFbs));
}

// ------------------------------------------------------------------ start-up

void TFMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
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
    // 1.
    QCoreApplication::processEvents();
    CurOpFuncs = nullptr;
    CurContext = nullptr;
    // 2.
    splashText(QStringLiteral("Registry load"));
    if (!cfg.LoadFromRegistry()) {
        startupFailed(QStringLiteral("Invalid registry.\nPlease re-install program."));
        return;
    }
    // 3.
    ProgCfgChanged(&cfg);
    // 4.
    {
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
    // 5.
    const THelpMenuVisibility help = HelpMenuVisibility(cfg.NoAdvHelpMenu);
    miInhalt->setVisible(help.miInhalt);
    miHowTo->setVisible(help.miHowTo);
    N8->setVisible(help.N8);
    miInvManuals->setVisible(help.miInvManuals);
    N9->setVisible(help.N9);
    MenuFBS->setVisible(cfg.EnableFbsWindow);
    // The windows plugged in since creation.
    updateLaterEntries();
    // 6.
    splashText(QStringLiteral("Checking parameter files"));
    cfg.ScanBinFiles();
    // 7.
    splashText(QStringLiteral("Reading language file"));
    const QString lngFile = ChooseLanguageFile(cfg.ApplicationPath, cfg.ProgLng);
    if (lngFile.isEmpty()) {
        startupFailed(QStringLiteral("Fatal Error:\nNo language file installed !"));
        return;
    }
    // 8.
    if (!langTexts_->LoadFromFile(lngFile, Language::CodePageOf(cfg.ProgLng))) {
        startupFailed(QStringLiteral("Error reading language file \n") + lngFile);
        return;
    }
    const TVortalinText& t = *langTexts_;
    auto lines = [&t](int s, int i) {
        const QStringList* l = t.GetStrings(s, i);
        return l ? *l : QStringList{QStringLiteral("???")};
    };
    // 9. The button lists are filled only at step 14; the message uses
    //    what list 1 will hold, so that it has its OK button.
    if (Mutex.Acquire(QLatin1String(MutexName)) == TSingleInstanceLock::lrAlreadyExists) {
        ui_->Message(lines(0, 43), {QStringLiteral("0") + t.GetText(0, 6)}, cfg.AppName, icInformation, {}, {}, {},
                     0, -1);
        inStartup_ = false;
        ui_->Terminate(1);
        return;
    }
    // 10.
    HelpFile = ChooseHelpFile(cfg.ApplicationPath, cfg.ProgLng);
    miInvManuals->setEnabled(!cfg.ManualPath.isEmpty());
    // 11.
    OpenDlgFilter = OpenDialogFilter(t);
    OpenDlgDir = cfg.DataPath;
    // 12, 13: editors and the options dialog.
    pushTexts();
    // 14.
    ButtonLists[0] = {QStringLiteral("0") + t.GetText(0, 6)};
    ButtonLists[1] = {QStringLiteral("3") + t.GetText(0, 8), QStringLiteral("4") + t.GetText(0, 9)};
    ButtonLists[2] = {QStringLiteral("8") + t.GetText(0, 10), QStringLiteral("6") + t.GetText(0, 7)};
    ButtonLists[3] = {QStringLiteral("3") + t.GetText(0, 8), QStringLiteral("4") + t.GetText(0, 9),
                      QStringLiteral("6") + t.GetText(0, 7)};
    ButtonLists[4] = {QStringLiteral(":") + t.GetText(2, 23), QStringLiteral(":") + t.GetText(2, 24),
                      QStringLiteral(":") + t.GetText(2, 25)};
    // 15.
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
    prj.DefPrjName = t.GetText(3, 0);
    prj.DefInvName = t.GetText(7, 43);
    prj.MsgCancelText = t.GetText(0, 7);
    prj.MsgInvSearchTitle = t.GetText(7, 53);
    prj.MsgOverride = lines(0, 13);
    prj.MsgSave = lines(7, 40);
    prj.SetMsgYesText(t.GetText(7, 41));
    prj.SetMsgNoText(t.GetText(7, 42));
    prj.MsgNoCfg = lines(7, 49);
    prj.MsgNotOnDisc = lines(7, 50);
    prj.SetMsgNotOnDiscSelText(t.GetText(7, 57));
    prj.SetMsgNotOnDiscCancelText(t.GetText(7, 10));
    prj.MsgCopyErrText = lines(7, 51).join(u'\n');
    prj.MsgExtSearch = lines(7, 52);
    prj.MsgErrWrToFile = lines(7, 58);
    prj.MsgWrongId = lines(7, 54);
    prj.SetMsgNewIdText(t.GetText(7, 55));
    prj.SetMsgOldIdText(t.GetText(7, 56));
    prj.ReadTitle = t.GetText(7, 38);
    prj.LoadTitle = t.GetText(7, 38);
    prj.GroupText = t.GetText(7, 39);
    prj.CancelText = t.GetText(7, 10);
    // 16 to 18: work-list manager, explorer, print window.
    if (Later.PushTexts)
        Later.PushTexts(t, cfg);
    // 19.
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
        if (prj.LoadFromFile(CmdLineParam) != 0) {
            ui_->ErrorBox(QStringLiteral("Error loading projectfile"));
            splashText(QStringLiteral("Building new project"));
            rc = newPrjFromSettings();
        }
        break;
    }
    if (rc != 0 && ui_->Message(lines(0, 46), ButtonList(2), QString(), icInformation, {}, {}, {}, 0, 1) == 1) {
        exitStatus_ = 1;
        closeRequested_ = true;
    }
    // 20.
    copyBaudRatesBack();
    // 21.
    splashText(QStringLiteral("Reading inverter cfg"));
    scheduler_->Attach(ProtSel);
    scheduler_->SetActive(true);
    // 22.
    if (Splash) {
        Splash->hide();
        delete Splash.data();
    }
    // 23.
    pushMainTexts();
    MenuHexdisplay->setChecked(false);
    // 24.
    PlaceBarInWorkArea();
    RestoreWindows();
    Shown = true;
    inStartup_ = false;
    if (closeRequested_)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void TFMain::pushTexts()
{
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
}

void TFMain::PlaceBarInWorkArea()
{
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    setGeometry(PlaceBar(client, margins, s->availableGeometry(), BarClientHeight(), true));
}

void TFMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    // Always a bar: only the height is fixed; left, top and width stay.
    if (height() != BarClientHeight())
        setGeometry(PlaceBar(geometry(), {}, {}, BarClientHeight(), false));
}

void TFMain::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    // A window manager keeps a maximised window at full height: a maximise
    // request places the bar across the top of the work area instead.
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowState(windowState() & ~Qt::WindowMaximized);
                PlaceBarInWorkArea();
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
    // 1.
    CloseAllWindows();
    // 2.
    if (progCfg_->Modified)
        progCfg_->SaveToRegistry();
    // 3.
    if (project_ && project_->Modified) {
        const QStringList* msg = langTexts_->GetStrings(7, 47);
        if (ui_->Message(msg ? *msg : QStringList{}, ButtonList(2), langTexts_->GetText(5, 33), icInformation, {}, {},
                         {}, 0, 1) == 0)
            project_->SaveToFile(project_->FileName);
    }
    // 4. Leaving the clipboard viewer chain belongs to the clipboard viewer.
    // 5.
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

// ------------------------------------------------------------------ slots

void TFMain::enableSlotEntries()
{
    for (QAction* a : {MenuSave1, MenuSaveAs1, MenuCut1, MenuCopy1, MenuPaste1, MenuDelete1, MenuMarkAll1, MenuPrint1,
                       MenuSearch1})
        a->setEnabled(CurOpFuncs && CurOpFuncs->Filled(a->property(kSlot).toInt()));
}

void TFMain::SetPrgOpFuncs(PTOperatingFuncs Funcs)
{
    disconnect(opOwnerConn_);
    CurOpFuncs = Funcs;
    if (Funcs && Funcs->Owner)
        opOwnerConn_ = connect(Funcs->Owner.data(), &QObject::destroyed, this, [this] { SetPrgOpFuncs(nullptr); });
    enableSlotEntries();
}

void TFMain::CallSlot(int Slot)
{
    if (Slot == osReserved || !CurOpFuncs || !CurOpFuncs->Filled(Slot))
        return;
    // A copy: the slot may hand over another record while it runs.
    const std::function<void()> f = CurOpFuncs->Slots[size_t(Slot)];
    f();
}

void TFMain::SetContextFuncs(TContextList* List)
{
    if (List == CurContext)
        return;
    disconnect(ctxOwnerConn_);
    CurContext = List;
    if (List && List->Owner)
        ctxOwnerConn_ =
            connect(List->Owner.data(), &QObject::destroyed, this, [this] { SetContextFuncs(nullptr); });
    QAction* menu = MenuContext0->menuAction();
    if (!List || List->Count() < 1) {
        MenuContext0->setTitle(QStringLiteral("-"));
        menu->setEnabled(false);
        setHelpContext(MenuContext0, MainHelpContext);
        for (QToolButton* b : CtxButtons)
            b->hide();
        return;
    }
    const TContextItem& head = *List->Item(0);
    MenuContext0->setTitle(head.Caption());
    menu->setEnabled(head.Enabled);
    setHelpContext(MenuContext0, head.HelpContext);
    setHelpContext(menu, head.HelpContext);
    const int n = List->Count();
    for (int i = 1; i < n; ++i) {
        if (MenuContext0->actions().size() < i) {
            auto* entry = MenuContext0->addAction(QString());
            entry->setObjectName(QStringLiteral("MenuContextItem%1").arg(i));
            auto* b = new QToolButton(Panel1);
            b->setObjectName(QStringLiteral("CtxButton%1").arg(i));
            b->setAutoRaise(true);
            b->setIconSize(QSize(24, 24));
            b->setGeometry(layout_.ContextButton(i));
            CtxButtons.push_back(b);
            // The command is looked up when clicked, so a list handed over
            // later (or none, once its window has gone) is what counts.
            auto click = [this, i](QObject* sender) {
                TContextItem* item = CurContext ? CurContext->Item(i) : nullptr;
                if (item && item->Enabled && item->OnClick) {
                    const auto f = item->OnClick;
                    f(sender);
                }
            };
            connect(entry, &QAction::triggered, this, [click, entry] { click(entry); });
            connect(b, &QToolButton::clicked, this, [click, b] { click(b); });
        }
        const TContextItem& item = *List->Item(i);
        QAction* entry = MenuContext0->actions().at(i - 1);
        entry->setText(item.Caption());
        entry->setEnabled(item.Enabled);
        setHelpContext(entry, item.HelpContext);
        QToolButton* b = CtxButtons[size_t(i - 1)];
        b->setIcon(QIcon(item.Glyph));
        b->setToolTip(item.Hint());
        b->setEnabled(item.Enabled);
        b->setVisible(true);
    }
    while (MenuContext0->actions().size() >= n && !MenuContext0->actions().isEmpty()) {
        QAction* entry = MenuContext0->actions().at(n - 1);
        MenuContext0->removeAction(entry);
        delete entry;
        delete CtxButtons[size_t(n - 1)];
        CtxButtons.erase(CtxButtons.begin() + (n - 1));
    }
}

// ------------------------------------------------------------------ windows

QWidget* TFMain::OpenWindowOfSlot(int Slot) const
{
    if (!scheduler_)
        return nullptr;
    const TSchItem* item = scheduler_->GetItem(Slot);
    if (!item || item->State <= 1)
        return nullptr;
    return qobject_cast<QWidget*>(item->Form.data());
}

void TFMain::SchListChanged(QObject*)
{
    const QList<QAction*> entries = miWindows->actions();
    for (qsizetype i = 5; i < entries.size(); ++i) {
        miWindows->removeAction(entries[i]);
        delete entries[i];
    }
    for (int s = 0; s < TScheduler::SlotCount; ++s) {
        QWidget* w = OpenWindowOfSlot(s);
        if (!w)
            continue;
        QAction* a = miWindows->addAction(w->windowTitle());
        a->setData(s);
        setHelpContext(a, helpContextOf(w));
        connect(a, &QAction::triggered, this, [this, s] { ChooseWindow(s); });
    }
    miWindows->menuAction()->setVisible(miWindows->actions().size() >= 7);
}

void TFMain::ChooseWindow(int Slot)
{
    QWidget* w = OpenWindowOfSlot(Slot);
    if (!w)
        return;
    if (w->isMinimized())
        w->showNormal();
    scheduler_->FocusItem(Slot);
    w->activateWindow();
    CurSlot = Slot;
}

void TFMain::NextWindow()
{
    if (!miWindows->menuAction()->isVisible())
        return;
    const int s = NextOpenSlot(CurSlot, TScheduler::SlotCount, [this](int k) { return OpenWindowOfSlot(k); });
    if (s < 0)
        return;
    CurSlot = s;
    QWidget* w = OpenWindowOfSlot(s);
    if (w->isMinimized())
        w->showNormal();
    scheduler_->FocusItem(s);
    w->activateWindow();
}

void TFMain::Arrange(TArrangeKind Kind)
{
    std::vector<QWidget*> windows;
    for (int s = 0; s < TScheduler::SlotCount; ++s)
        if (QWidget* w = OpenWindowOfSlot(s); w && !w->isMinimized())
            windows.push_back(w);
    if (windows.empty())
        return;
    QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect work = scr ? scr->availableGeometry() : QRect();
    const std::vector<QRect> bounds = ArrangeBounds(Kind, work, frameGeometry(), int(windows.size()));
    for (size_t k = 0; k < windows.size(); ++k) {
        QWidget* w = windows[k];
        w->hide();
        if (w->isMaximized())
            w->setWindowState(w->windowState() & ~Qt::WindowMaximized);
        // Outer bounds: the window's own frame is taken off its client area.
        const QRect frame = w->frameGeometry();
        const QRect client = w->geometry();
        const QMargins m(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
        w->setGeometry(bounds[k].marginsRemoved(m));
        w->showNormal();
    }
}

namespace {

// Kind of a window by its lower-cased name; -1: not recorded.
int windowKind(const QWidget* w)
{
    const QString name = w->objectName().toLower();
    if (name == QLatin1String("fprjexpl"))
        return wkPrjExpl;
    if (name == QLatin1String("op_para"))
        return wkOperator;
    if (name == QLatin1String("scope"))
        return wkScope;
    if (name.startsWith(QLatin1String("fwrklist")))
        return wkWorkList;
    if (name.startsWith(QLatin1String("dwnload")))
        return wkDownList;
    return -1;
}

} // namespace

void TFMain::SaveWindowLayout()
{
    TVortalinPrj& prj = *project_;
    while (prj.WdwCount() > 0)
        prj.DeleteWdw(prj.WdwCount() - 1);
    for (int s = 0; s < TScheduler::SlotCount; ++s) {
        QWidget* w = OpenWindowOfSlot(s);
        if (!w)
            continue;
        const int kind = windowKind(w);
        if (kind < 0)
            continue;
        TSavedWdwRec rec;
        rec.WdwType = kind;
        rec.State = w->isMinimized() ? 1 : w->isMaximized() ? 2 : 0;
        rec.Height = w->height();
        rec.Width = w->width();
        rec.Left = w->x();
        rec.Top = w->y();
        rec.InvNr = -2;
        if (kind == wkScope || kind == wkWorkList || kind == wkDownList) {
            const auto* f = dynamic_cast<const IWindowFileName*>(w);
            rec.FileName = f ? f->WindowFileName() : QString();
            rec.InvNr = rec.FileName.isEmpty() ? -1 : prj.FindFile(rec.FileName);
            if (rec.InvNr == -2) {
                if (!prj.AskAddFile(rec.FileName))
                    continue;
                rec.InvNr = prj.FindFile(rec.FileName);
            }
        }
        const int i = prj.AddWdw();
        *prj.GetWdw(i) = rec;
    }
}

void TFMain::applyWindowRecord(QWidget* w, const TSavedWdwRec& rec)
{
    w->move(rec.Left, rec.Top);
    w->resize(rec.Width, rec.Height);
    switch (rec.State) {
    case 1:
        w->showMinimized();
        break;
    case 2:
        w->showMaximized();
        break;
    default:
        w->showNormal();
        break;
    }
}

void TFMain::RestoreWindows()
{
    if (!project_)
        return;
    // A copy: opening a window may change the project's records.
    std::vector<TSavedWdwRec> records;
    for (int i = 0; i < project_->WdwCount(); ++i)
        records.push_back(*project_->GetWdw(i));
    const TVortalinText& t = *langTexts_;
    const int lng = progCfg_->lng;
    for (const TSavedWdwRec& rec : records) {
        QWidget* w = nullptr;
        switch (rec.WdwType) {
        case wkPrjExpl:
            if (Later.ShowPrjExpl) {
                w = Later.ShowPrjExpl(true);
                MenuPrjExpl->setChecked(true);
            }
            break;
        case wkOperator:
            // As the menu entry opens it: for the explorer's inverter.
            if (Later.CreateOpPara)
                w = Later.CreateOpPara(currentInv(), lng);
            break;
        case wkScope:
            if (Later.ShowScope) {
                w = Later.ShowScope(rec.InvNr, lng, rec.FileName);
                MenuInverterScope->setChecked(true);
            }
            break;
        case wkWorkList:
            if (Later.OpenWorkList) {
                w = Later.OpenWorkList(rec.FileName);
                if (!w) {
                    const QStringList* msg = t.GetStrings(4, 21);
                    ui_->Message(msg ? *msg : QStringList{}, ButtonList(1), t.GetText(5, 10), icInformation, {}, {},
                                 {}, 0, -1);
                }
            }
            break;
        case wkDownList:
            if (Later.CreateDwnLoad)
                w = Later.CreateDwnLoad(rec.InvNr, lng, rec.FileName);
            break;
        default:
            break;
        }
        if (w)
            applyWindowRecord(w, rec);
    }
}

void TFMain::CloseAllWindows()
{
    // Work-list and download-list windows, each asked until it has gone
    // (its own save question may be answered with Cancel).
    for (;;) {
        QWidget* next = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const QString name = w->objectName().toLower();
            if (w != this && w->isVisible() &&
                (name.startsWith(QLatin1String("fwrklist")) || name.startsWith(QLatin1String("dwnload")))) {
                next = w;
                break;
            }
        }
        if (!next)
            break;
        next->close();
        QCoreApplication::processEvents();
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const QString name = w->objectName().toLower();
        if (name == QLatin1String("scope"))
            while (w->isVisible() && !w->close())
                QCoreApplication::processEvents();
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().toLower() == QLatin1String("fprjexpl"))
            w->close();
}

// ------------------------------------------------------------------ commands

int TFMain::currentInv() const
{
    return Later.CurrentInv ? Later.CurrentInv() : 0;
}

void TFMain::UpdateMenuFile()
{
    MenuCopyPrj->setEnabled(project_ && !project_->FileName.isEmpty());
}

bool TFMain::askSaveModified()
{
    TVortalinPrj& prj = *project_;
    if (!prj.Modified)
        return true;
    const QStringList* msg = langTexts_->GetStrings(7, 47);
    if (ui_->Message(msg ? *msg : QStringList{}, ButtonList(2), langTexts_->GetText(5, 33), icInformation, {}, {}, {},
                     0, 1) != 0)
        return true;
    QString name = prj.FileName;
    if (name.isEmpty()) {
        TSaveDlgOptions o;
        o.DefaultExt = QStringLiteral("pr5");
        o.Filter = prj.SaveFilter();
        o.InitialDir = prj.DataPath;
        name = ui_->ChooseSaveFile(o);
        if (name.isEmpty())
            return true;  // cancelling the dialog skips the save
    }
    // A project that was to be saved and could not be written is kept.
    return prj.SaveToFile(name) == 0;
}

void TFMain::NewProject()
{
    // 1.
    if (!askSaveModified())
        return;
    // 2.
    CloseAllWindows();
    scheduler_->SetActive(false);
    scheduler_->Detach();
    // 3.
    if (newPrjFromSettings() != 0) {
        const QStringList* msg = langTexts_->GetStrings(0, 46);
        if (ui_->Message(msg ? *msg : QStringList{}, ButtonList(2), QString(), icInformation, {}, {}, {}, 0, 1) == 1)
            close();
    }
    // 4. Both serial rates, as the start-up copies them.
    copyBaudRatesBack();
    // 5.
    RestoreWindows();
}

void TFMain::SavePrj()
{
    if (project_->FileName.isEmpty()) {
        SavePrjAs();
        return;
    }
    SaveWindowLayout();
    project_->SaveToFile(project_->FileName);
}

void TFMain::SavePrjAs()
{
    SaveWindowLayout();
    project_->SaveToFile(QString());
}

void TFMain::CopyPrj()
{
    if (project_->Modified)
        SavePrj();
    project_->CopyPrj(true);
}

void TFMain::OpenFile()
{
    const QString file = ui_->ChooseOpenFile(OpenDlgFilter, 1, OpenDlgDir);
    if (file.isEmpty())
        return;
    const QString ext = QStringLiteral(".") + QFileInfo(file).suffix().toLower();
    OpenDlgDir = QFileInfo(file).absolutePath().toLower();
    const int lng = progCfg_->lng;
    if (ext == QLatin1String(".pr5")) {
        askSaveModified();
        CloseAllWindows();
        scheduler_->SetActive(false);
        scheduler_->Detach();
        if (project_->LoadFromFile(file) != 0 && newPrjFromSettings() != 0) {
            const QStringList* msg = langTexts_->GetStrings(0, 42);
            ui_->Message(msg ? *msg : QStringList{}, ButtonList(1), QString(), icInformation, {}, {}, {}, 0, -1);
            close();
            return;
        }
        RestoreWindows();
    } else if (ext == QLatin1String(".wr5") || ext == QLatin1String(".trc")) {
        if (Later.OpenWorkList && !Later.OpenWorkList(file)) {
            const QStringList* msg = langTexts_->GetStrings(4, 21);
            ui_->Message(msg ? *msg : QStringList{}, ButtonList(1), langTexts_->GetText(5, 10), icInformation, {},
                         {}, {}, 0, -1);
        }
    } else if (ext == QLatin1String(".dwn") || ext == QLatin1String(".dw5") || ext == QLatin1String(".op5")) {
        if (Later.CreateDwnLoad)
            Later.CreateDwnLoad(currentInv(), lng, file);
    } else if (ext == QLatin1String(".sc5")) {
        if (Later.ShowScope)
            Later.ShowScope(currentInv(), lng, file);
    }
}

void TFMain::ToggleHexDisplay()
{
    HexDisplay = HexDisplay ? 0 : 1;
    MenuHexdisplay->setChecked(HexDisplay != 0);
    if (Later.HexDisplayChanged)
        Later.HexDisplayChanged();
}

void TFMain::About()
{
    QStringList lines{progCfg_->AppName, progCfg_->VersionText, QStringLiteral(" ")};
    for (const QString& part : progCfg_->Vendor.split(u';'))
        lines.append(part.left(255));
    ui_->Message(lines, ButtonList(1), QStringLiteral("Info"), icInformation, {}, {}, {}, 0, 0);
}

void TFMain::ShowHelp(int HelpContext)
{
    if (HelpFile.isEmpty())
        return;
    QUrl url = QUrl::fromLocalFile(HelpFile);
    if (HelpContext > 0)
        url.setFragment(QStringLiteral("ctx%1").arg(HelpContext));
    ui_->OpenUrl(url);
}

void TFMain::ShowHelpContents()
{
    if (!HelpFile.isEmpty())
        ui_->OpenUrl(QUrl::fromLocalFile(HelpFile));
}

void TFMain::OpenManual()
{
    const QString path = progCfg_->ManualPath;
    if (!path.isEmpty())
        ui_->OpenUrl(QUrl::fromLocalFile(path));
}

bool TFMain::eventFilter(QObject* watched, QEvent* e)
{
    // F1 inside an open menu: the topic of the entry under the mouse.
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            QAction* a = menu->activeAction();
            const int ctx = a ? helpContextOf(a) : helpContextOf(menu);
            menu->close();
            ShowHelp(ctx ? ctx : MainHelpContext);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// ------------------------------------------------------------------ project events

QString TFMain::PrjCaption() const
{
    const QString name = project_->FileName.isEmpty() ? project_->DefPrjName : PrjBaseName(project_->FileName);
    return progCfg_->AppName + QStringLiteral(" - ") + name;
}

void TFMain::PrjDataInvListChanged(QObject*, TPrjChanges PrjChg)
{
    if (PrjChg & (pcInvAdded | pcInvRemoved)) {
        scheduler_->SetActive(false);
        scheduler_->Detach();
        for (int a = 0; a < kPrjInvCount; ++a) {
            const TPrjInvRec* inv = project_->GetInv(a);
            ProtSel->SetProtocol(a, inv ? inv->Prot : prOffline);
        }
        for (int s = 0; s < TScheduler::SlotCount; ++s)
            if (TSchItem* item = scheduler_->GetItem(s); item && item->OnInvListChanged) {
                const auto f = item->OnInvListChanged;
                f();
            }
        scheduler_->Attach(ProtSel);
        scheduler_->SetActive(true);
    }
    if (PrjChg & pcGeneral) {
        setWindowTitle(PrjCaption());
        if (Later.UpdatePrjProps)
            Later.UpdatePrjProps();
    }
    if ((PrjChg & pcFiles) && Later.UpdateFileLists)
        Later.UpdateFileLists();
    if ((PrjChg & pcInvName) && Later.UpdateInvNames)
        Later.UpdateInvNames();
}

void TFMain::PrjDataInvProtChanged(QObject*, int InvAdr, TProt pr)
{
    ProtSel->SetProtocol(InvAdr, pr);
}

void TFMain::PrjDataInvStateChanged(QObject*, int InvAdr, int NewState)
{
    if (Later.SetInvState)
        Later.SetInvState(InvAdr, NewState);
}

void TFMain::ProgCfgChanged(TProgCfg* Cfg)
{
    const TProgCfg& c = *Cfg;
    if (Later.SettingsChanged)
        Later.SettingsChanged(c);

    // The drivers, one at a time; a driver is touched only when one of its
    // settings differs. An open one is closed, set and opened again; a
    // closed one is set and the selector opens what addresses use.
    auto apply = [this](TTOProp* prop, bool differs, const std::function<void()>& set) {
        if (!differs)
            return;
        if (prop->IsOpen()) {
            prop->Close();
            set();
            prop->Open();
        } else {
            set();
            ProtSel->UpdateDrivers();
        }
    };
    TAnsiProp* din = ProtSel->Ansi();
    apply(din,
          din->GetComport() != c.Din.Comport || din->GetBaudrate() != c.Din.Baudrate ||
              din->GetSendSlow() != c.Din.SendSingle || din->GetTimeOut() != c.Din.TimeOut ||
              din->GetModemCmd() != c.Din.ModemCmd.trimmed(),
          [&] {
              din->SetComport(c.Din.Comport);
              din->SetBaudrate(c.Din.Baudrate);
              din->SetSendSlow(c.Din.SendSingle);
              din->SetTimeOut(c.Din.TimeOut);
              din->SetModemCmd(c.Din.ModemCmd);
          });
    TSerialProp* zelk = ProtSel->Zelk();
    apply(zelk,
          zelk->GetComport() != c.Zelk.Comport || zelk->GetBaudrate() != c.Zelk.Baudrate ||
              zelk->GetTimeOut() != c.Zelk.TimeOut || zelk->GetSendSlow() != c.Zelk.SendSingle,
          [&] {
              zelk->SetComport(c.Zelk.Comport);
              zelk->SetBaudrate(c.Zelk.Baudrate);
              zelk->SetTimeOut(c.Zelk.TimeOut);
              zelk->SetSendSlow(c.Zelk.SendSingle);
          });
    TIPProp* ip = ProtSel->Ip();
    apply(ip,
          ip->GetIpAddress() != c.Ip.Host || ip->GetIpPort() != c.Ip.Port || ip->GetUDP() != c.Ip.UDP ||
              ip->GetTimeOut() != c.Ip.TimeOut,
          [&] {
              ip->SetIpAddress(c.Ip.Host);
              ip->SetIpPort(c.Ip.Port);
              ip->SetUDP(c.Ip.UDP);
              ip->SetTimeOut(c.Ip.TimeOut);
          });
    TCanProp* can = ProtSel->Can();
    apply(can,
          can->GetCardID() != c.Can.CardId || int(can->GetBaudRate()) != c.Can.Baudrate ||
              can->GetTimeOut() != c.Can.TimeOut || can->GetWaitTout() != c.Can.WaitTOut,
          [&] {
              can->SetCardID(c.Can.CardId);
              can->SetBaudRate(TCanBaudRate(c.Can.Baudrate));
              can->SetTimeOut(c.Can.TimeOut);
              can->SetWaitTout(c.Can.WaitTOut);
          });
    TPbsProp* pbs = ProtSel->PBS();
    apply(pbs,
          int(pbs->GetBaudRate()) != c.Pbs.Baudrate || pbs->GetTimeOut() != c.Pbs.TimeOut ||
              int(pbs->GetMasteraddr()) != (c.Pbs.Masteraddress & 0xFF),
          [&] {
              pbs->SetBaudRate(TPbsBaudRate(c.Pbs.Baudrate));
              pbs->SetTimeOut(c.Pbs.TimeOut);
              pbs->SetMasteraddr(uint8_t(c.Pbs.Masteraddress));
          });
}
