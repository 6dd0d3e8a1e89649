// The main window: creation, menus and tool bar.
#include "mainwin/fmain.h"
#include "mainwin/fmain_helpers.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/max_placement.h"
#include "dialogs/message_dlg.h"
#include "dialogs/opt_dlg.h"
#include "dialogs/shared_objects.h"
#include "mainwin/bar_shortcuts.h"
#include "mainwin/fbs_comm.h"
#include "mainwin/fsplash.h"

#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

using namespace fmain_detail;

static void initGlyphResources()
{
    Q_INIT_RESOURCE(mainwin_glyphs);
}

namespace {

QIcon glyph(const char* name)
{
    return QIcon(QStringLiteral(":/glyphs/%1.xpm").arg(QLatin1String(name)));
}

} // namespace

// ------------------------------------------------------------------ creation

TFMain::TFMain(std::shared_ptr<IMainInteraction> ui, QWidget* parent)
    : QMainWindow(parent), ui_(ui ? std::move(ui) : std::make_shared<TMainInteractionDlg>(this))
{
    initGlyphResources();
    setObjectName(QStringLiteral("FMain"));
    FMain = this;
    barSettle_ = new QTimer(this);
    barSettle_->setSingleShot(true);
    barSettle_->setInterval(BarSettleMs);
    connect(barSettle_, &QTimer::timeout, this, [this] {
        if (!barSettling_)
            return;
        if (geometry() == barInWorkArea() && !(windowState() & Qt::WindowMaximized)) {
            barSettling_ = false;
            updateBarHints();
        } else {
            queueBarPlacement();
        }
    });
    // Maximised child windows go below the bar.
    SetMaxPlacementBar(this);
    setHelpContext(this, MainHelpContext);
    ProtSel = new TProtSel(this);
    ProtSel->setObjectName(QStringLiteral("ProtSel"));

    // Scheduler.
    scheduler_ = new TScheduler(this);
    Scheduler = scheduler_;
    scheduler_->OnChange = [this](QObject* s) { SchListChanged(s); };
    // Project, owned by the window.
    project_ = new TVortalinPrj(this);
    Project = project_;
    // Settings.
    progCfg_ = std::make_unique<TProgCfg>();
    ProgCfg = progCfg_.get();
    progCfg_->OnPrgCfgChanged = [this](TProgCfg* c) { ProgCfgChanged(c); };
    progCfg_->ProtSel = ProtSel;
    auto opt = std::make_unique<TfrmOptDlg>(this);
    OptDlg = opt.get();
    progCfg_->SetOptionDlg(std::move(opt));
    // The drag object, the work-list manager and the internal clipboard.
    createListObjects();
    // The clipboard viewer.
    joinClipboardViewer();
    // Language texts and the message dialog's button lists.
    langTexts_ = std::make_unique<TVortalinText>();
    langTexts_->SetVersion(5);
    LangTexts = langTexts_.get();
    for (QStringList& l : ButtonLists)
        l.clear();

    // Bar, menus and tool bar.
    createMenus();
    createToolBar();
    setFixedHeight(BarClientHeight());

    // Focus loss and return.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState s) { ApplicationStateChanged(s); });
    SetUserMsgHelpHandler([this](int ctx) { ShowHelp(ctx); });
}

void TFMain::ShowFbsComm()
{
    // One window for the whole run; closing only hides it.
    if (!FbsComm)
        FbsComm = new TFbsComm(std::make_shared<TFbsInteractionDlg>(InvSel));
    FbsComm->ShowWindow();
}

TFMain::~TFMain()
{
    destroying_ = true;
    SetUserMsgHelpHandler({});
    disconnect(qApp, nullptr, this, nullptr);
    qDeleteAll(CtxButtons);
    CtxButtons.clear();
    // Its scheduler slot goes before the scheduler.
    delete FbsComm;
    FbsComm = nullptr;
    leaveClipboardViewer();
    releaseListObjects();
    progCfg_.reset();
    ProgCfg = nullptr;
    if (project_) {
        // Nothing of the project's last changes reaches the windows.
        project_->OnPrjChanged = nullptr;
        project_->OnInvStateChanged = nullptr;
        project_->OnInvProtChanged = nullptr;
        project_->Release();
    }
    Project = nullptr;
    if (scheduler_)
        scheduler_->Release();
    Scheduler = nullptr;
    Mutex.Release();
    if (Splash)
        delete Splash.data();
    LangTexts = nullptr;
    if (MaxPlacementBar() == this)
        SetMaxPlacementBar(nullptr);
    if (FMain == this)
        FMain = nullptr;
    // The child objects freed after this body (the drivers) may run the event
    // loop while they close: nothing queued for the main window may reach it
    // once it is only a plain widget.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
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

    createFileMenu();
    createEditMenu();
    createViewMenu();
    MenuContext0 = addTopMenu("MenuContext0", QStringLiteral("-"));
    MenuContext0->menuAction()->setEnabled(false);
    createWindowsMenu();
    createHelpMenu();

    // Starting states.
    for (QAction* a : {MenuSave1, MenuSaveAs1, MenuPrint1, MenuCut1, MenuCopy1, MenuPaste1, MenuDelete1, MenuMarkAll1})
        a->setEnabled(false);
    MenuFBS->setVisible(false);

    connectMenuCommands();
    createProgramKeys();
}

QMenu* TFMain::addTopMenu(const char* name, const QString& title)
{
    QMenu* m = MainMenu1->addMenu(title);
    m->setObjectName(QLatin1String(name));
    setHelpContext(m, MainHelpContext);
    setHelpContext(m->menuAction(), MainHelpContext);
    m->installEventFilter(this);
    return m;
}

void TFMain::createFileMenu()
{
    MenuFile1 = addTopMenu("MenuFile1", QStringLiteral("&Datei"));
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
}

void TFMain::createEditMenu()
{
    MenuEdit1 = addTopMenu("MenuEdit1", QStringLiteral("&Bearbeiten"));
    MenuCut1 = addEntry(MenuEdit1, "MenuCut1", QStringLiteral("Ausschneiden"), 24, QKeySequence(Qt::CTRL | Qt::Key_X));
    MenuCopy1 = addEntry(MenuEdit1, "MenuCopy1", QStringLiteral("Kopieren"), 25, QKeySequence(Qt::CTRL | Qt::Key_C));
    MenuPaste1 = addEntry(MenuEdit1, "MenuPaste1", QStringLiteral("Einfügen"), 26, QKeySequence(Qt::CTRL | Qt::Key_V));
    MenuDelete1 =
        addEntry(MenuEdit1, "MenuDelete1", QStringLiteral("Löschen"), 27, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    MenuEdit1->addSeparator();
    MenuMarkAll1 =
        addEntry(MenuEdit1, "MenuMarkAll1", QStringLiteral("Alles markieren"), 28, QKeySequence(Qt::CTRL | Qt::Key_A));
    MenuSearch1 = addEntry(MenuEdit1, "MenuSearch1", QStringLiteral("Suchen"), 29, QKeySequence(Qt::CTRL | Qt::Key_F));
}

void TFMain::createViewMenu()
{
    MenuView1 = addTopMenu("MenuView1", QStringLiteral("&Ansicht"));
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
}

void TFMain::createWindowsMenu()
{
    miWindows = addTopMenu("miWindows", QStringLiteral("&Fenster"));
    miArrangeVertical = addEntry(miWindows, "miArrangeVertical", QStringLiteral("Nebeneinander"), 38);
    miArrangeHorizontal = addEntry(miWindows, "miArrangeHorizontal", QStringLiteral("Untereinander"), 37);
    miArrangeOverlapped = addEntry(miWindows, "miArrangeOverlapped", QStringLiteral("Überlappend"), 36);
    MiNext = addEntry(miWindows, "MiNext", QStringLiteral("Nächstes Fenster"), 165, QKeySequence(Qt::CTRL | Qt::Key_N));
    N7 = miWindows->addSeparator();
    N7->setObjectName(QStringLiteral("N7"));
    miWindows->menuAction()->setVisible(false);
}

void TFMain::createHelpMenu()
{
    MenuHelp1 = addTopMenu("MenuHelp1", QStringLiteral("&Hilfe"));
    miInhalt = addEntry(MenuHelp1, "miInhalt", QStringLiteral("Inhalt"), 40);
    miHowTo = addEntry(MenuHelp1, "miHowTo", QStringLiteral("Hilfe benutzen"), 62);
    N8 = MenuHelp1->addSeparator();
    N8->setObjectName(QStringLiteral("N8"));
    miInvManuals = addEntry(MenuHelp1, "miInvManuals", QStringLiteral("Handbücher"), 64);
    N9 = MenuHelp1->addSeparator();
    N9->setObjectName(QStringLiteral("N9"));
    HelpAboutItem = addEntry(MenuHelp1, "HelpAboutItem", QStringLiteral("Info"), 39);
}

void TFMain::connectMenuCommands()
{
    connect(MenuFile1, &QMenu::aboutToShow, this, [this] { UpdateMenuFile(); });
    connect(MenuNewProject1, &QAction::triggered, this, [this] { NewProject(); });
    connect(MenuNewDownloadList1, &QAction::triggered, this,
            [this] { Kinds.DwnLoad->Show(currentInv(), progCfg_->lng, QString()); });
    connect(MenuNewWorkList1, &QAction::triggered, this, [this] {
        if (!Kinds.WrkList->Show(currentInv(), progCfg_->lng, QString()))
            showListOpenError();
    });
    connect(MenusaveParas, &QAction::triggered, this, [this] { SaveParas(); });
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
    connect(MenuChangeProject1, &QAction::triggered, this, [this] { project_->EditPrj(-1); });
    connect(MenuPrjExpl, &QAction::triggered, this, [this] {
        Kinds.PrjExpl->Show(currentInv(), progCfg_->lng, QString());
        MenuPrjExpl->setChecked(true);
    });
    connect(MenuInverterScope, &QAction::triggered, this, [this] {
        MenuInverterScope->setChecked(true);
        Kinds.Scope->Show(currentInv(), progCfg_->lng, QString());
    });
    connect(MenuOperatorParameter, &QAction::triggered, this,
            [this] { Kinds.OpPara->Show(currentInv(), progCfg_->lng, QString()); });
    connect(MenuQuintel, &QAction::triggered, this,
            [this] { Kinds.Quintel->Show(currentInv(), progCfg_->lng, QString()); });
    connect(MenuFBS, &QAction::triggered, this, [this] { ShowFbsComm(); });
    connect(MenuHexdisplay, &QAction::triggered, this, [this] { ToggleHexDisplay(); });
    connect(miArrangeVertical, &QAction::triggered, this, [this] { Arrange(akSideBySide); });
    connect(miArrangeHorizontal, &QAction::triggered, this, [this] { Arrange(akAboveEachOther); });
    connect(miArrangeOverlapped, &QAction::triggered, this, [this] { Arrange(akOverlapped); });
    connect(MiNext, &QAction::triggered, this, [this] { NextWindow(); });
    connect(miInhalt, &QAction::triggered, this, [this] { ShowHelpContents(); });
    connect(miHowTo, &QAction::triggered, this, [this] { ShowHelp(62); });
    connect(miInvManuals, &QAction::triggered, this, [this] { OpenManual(); });
    connect(HelpAboutItem, &QAction::triggered, this, [this] { About(); });
}

void TFMain::createProgramKeys()
{
    // The table's keys act from every window of the program, the active
    // window's slots behind them.
    BarKeys = new TBarShortcuts(this, {MenuOpen1, MenuSave1, MenuPrint1, MenuCut1, MenuCopy1, MenuPaste1, MenuDelete1,
                                       MenuMarkAll1, MenuSearch1, MenuHexdisplay, MiNext});

    // F1 in any of the program's windows: the topic of the focused control
    // or of the nearest window around it that has one, else the bar's
    // (inside an open menu: the entry's, see eventFilter).
    auto* f1 = new QAction(this);
    f1->setObjectName(QStringLiteral("HelpKey"));
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    f1->setShortcutContext(Qt::ApplicationShortcut);
    addAction(f1);
    connect(f1, &QAction::triggered, this, [this] {
        QWidget* w = QApplication::focusWidget();
        if (!w)
            w = QApplication::activeWindow();
        int ctx = 0;
        for (; w && !ctx; w = w->parentWidget())
            ctx = helpContextOf(w);
        ShowHelp(ctx ? ctx : MainHelpContext);
    });
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
