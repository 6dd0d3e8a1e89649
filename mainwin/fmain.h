#pragma once

#include "dialogs/main_form.h"
#include "mainwin/bar_layout.h"
#include "mainwin/bar_x11.h"
#include "mainwin/main_interaction.h"
#include "mainwin/window_kinds.h"
#include "platform/single_instance.h"
#include "project/vortalin_prj.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolButton;
class QFrame;
class TFSplash;
class TProgCfg;
class TProtSel;
class TScheduler;
class TVortalinText;
class TfrmOptDlg;
class TFbsComm;
class TBarShortcuts;
class TEditorWindows;
class TfrmInvSel;

// The main window: a bar across the top of the work area with the main
// menu and the tool bar. It creates the objects shared by the whole run,
// runs the start-up sequence when first shown, acts on the active window's
// operation slots and context commands, keeps the Windows menu, and saves,
// restores and closes the windows the project records. The other windows
// reach it as IMainForm (listed after the window base, so that their hold
// lets go before the child windows are freed).
class TFMain : public QMainWindow, public IMainForm {
    Q_OBJECT
public:
    // `ui` null: the real dialogs. `Splash` is the splash window the entry
    // created (may be null); the start-up frees it.
    explicit TFMain(std::shared_ptr<IMainInteraction> ui = {}, QWidget* parent = nullptr);
    ~TFMain() override;

    static constexpr int MainHelpContext = 6;
    static constexpr const char* MutexName = "QEL_Vortalin_5";

    // ---- state
    bool Shown = false;
    PTOperatingFuncs CurOpFuncs = nullptr;
    TContextList* CurContext = nullptr;
    std::vector<QToolButton*> CtxButtons;  // owned
    int CurSlot = 0;
    TSingleInstanceLock Mutex;
    int MutexHandle() const { return Mutex.Handle(); }

    // The first command-line parameter (the entry sets it; empty: none).
    QString CmdLineParam;
    // The splash window, until the start-up frees it.
    QPointer<TFSplash> Splash;
    // The kinds of windows the main window opens, and the single editors
    // and print window: set by the program's entry (THalvornWindows) before
    // the main window is shown.
    TWindowKinds Kinds;
    TEditorWindows* Editors = nullptr;

    // ---- components
    TProtSel* ProtSel;
    QMenuBar* MainMenu1;
    QWidget* Panel1;
    QToolButton *OpenBtn, *SaveBtn, *CutBtn, *CopyBtn, *PasteBtn, *DelBtn, *PrjEditBtn, *ExplBtn, *ScopeButton,
        *NewWorkBtn, *NewDwnLoadBtn;
    QFrame *Panel2, *Panel3, *Panel4, *Panel5;
    QMenu *MenuFile1, *MenuEdit1, *MenuView1, *MenuContext0, *miWindows, *MenuHelp1;
    QAction *MenuNewProject1, *MenuNewDownloadList1, *MenuNewWorkList1, *MenusaveParas, *MenuOpen1, *MenuSave1,
        *MenuSaveAs1, *MenuSavePrj, *MenuSavePrjAs, *MenuCopyPrj, *MenuPrint1, *MenuQuit1;
    QAction *MenuCut1, *MenuCopy1, *MenuPaste1, *MenuDelete1, *MenuMarkAll1, *MenuSearch1;
    QAction *MenuPrjExpl, *MenuInverterScope, *MenuOperatorParameter, *MenuQuintel, *MenuFBS, *MenuHexdisplay,
        *MenuChangeProject1, *MenuDefaultSettings1;
    QAction *miArrangeVertical, *miArrangeHorizontal, *miArrangeOverlapped, *MiNext, *N7;
    QAction *miInhalt, *miHowTo, *N8, *miInvManuals, *N9, *HelpAboutItem;
    // The keyed entries' reach into the other windows (owned).
    TBarShortcuts* BarKeys = nullptr;
    TfrmOptDlg* OptDlg = nullptr;  // owned by the settings
    // The inverter choice, owned; handed to the windows that choose an
    // inverter (fmain_lists.cpp).
    TfrmInvSel* InvSel = nullptr;
    // The fieldbus test window, created when first shown (MenuFBS).
    TFbsComm* FbsComm = nullptr;
    void ShowFbsComm();

    // The open dialog's filter ("|" form) and start directory.
    QString OpenDlgFilter;
    QString OpenDlgDir;
    // The help file (empty: none).
    QString HelpFile;

    IMainInteraction& Interaction() const { return *ui_; }

    // ---- start-up and shutdown
    // The start-up sequence; nothing when Shown is set. Also run once by the
    // first showing.
    void FormShow();
    // The bar's height: menu and tool bar.
    int BarClientHeight() const;
    // Places the bar in the work area's top left corner with its width.
    void PlaceBarInWorkArea();
    // True from a maximise request until the window system has stayed
    // quiet with the bar placed across the work area.
    bool BarPlacementSettling() const { return barSettling_; }
    // Serial addresses released when the program loses the focus, taken
    // back when it regains it.
    void AppDeactivate();
    void AppActivate();
    void ApplicationStateChanged(Qt::ApplicationState state);

    // ---- operation slots and context commands (IMainForm)
    void SetPrgOpFuncs(PTOperatingFuncs Funcs) override;
    void SetContextFuncs(TContextList* List) override;
    QRect BarFrame() const override { return frameGeometry(); }
    void CallSlot(int Slot);

    // ---- windows
    void SchListChanged(QObject* Sender);
    void ChooseWindow(int Slot);
    void NextWindow();
    void Arrange(TArrangeKind Kind);
    void SaveWindowLayout();
    void RestoreWindows();
    void CloseAllWindows();
    // The window of a scheduler slot that counts as open (a client with a
    // window and a state above 1); null otherwise.
    QWidget* OpenWindowOfSlot(int Slot) const;
    // The same, only while the window is not hidden (Windows menu, Next).
    QWidget* shownWindowOfSlot(int Slot) const;

    // ---- commands
    void NewProject();
    void SavePrj();
    void SavePrjAs();
    void CopyPrj();
    void OpenFile();
    void ToggleHexDisplay();
    // Parameter save: the inverter asked with the selection dialog, its
    // parameters saved through a complete download list.
    void SaveParas();
    void About();
    void ShowHelp(int HelpContext);
    void ShowHelpContents();
    void OpenManual();
    void UpdateMenuFile();

    // ---- project events and settings
    void PrjDataInvListChanged(QObject* Sender, TPrjChanges PrjChg);
    void PrjDataInvProtChanged(QObject* Sender, int InvAdr, TProt pr);
    void PrjDataInvStateChanged(QObject* Sender, int InvAdr, int NewState);
    void ProgCfgChanged(TProgCfg* Cfg);
    // The explorer's request: with Chg 0, Data names a linked file to open.
    void PrjChgReq(QObject* Sender, int Chg, const QString& Data);
    // The clipboard viewer: the system clipboard changed (fmain_clipboard.cpp).
    void ClipboardChanged();

    // The caption for the current project.
    QString PrjCaption() const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // How long the window system must stay quiet after a maximise request
    // before a move is taken as the user's, and how often the bar is placed
    // again for one request at most.
    static constexpr int BarSettleMs = 300;
    static constexpr int MaxBarPlacements = 20;
    QRect barInWorkArea();
    // The strut for the window manager (bar_x11.h): it follows the bar's
    // frame once the bar has been placed.
    void updateBarHints();
    void keepBarInWorkArea();
    void queueBarPlacement();
    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createViewMenu();
    void createWindowsMenu();
    void createHelpMenu();
    void connectMenuCommands();
    // The table's keys and F1, reaching every window of the program.
    void createProgramKeys();
    void createToolBar();
    QMenu* addTopMenu(const char* name, const QString& title);
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption, int helpContext,
                      const QKeySequence& shortcut = {});
    void enableSlotEntries();
    // The start-up sequence's phases (FormShow); a false return has ended
    // the start-up.
    bool loadSettings();
    void loadResources();
    void applyMenuSettings();
    bool loadLanguageFile();
    bool holdSingleInstance();
    void fillButtonLists();
    void wireProject();
    void pushPrjTexts();
    void openStartProject();
    void finishStartup();
    // The lines of a multi-line language text ("???" when it is missing).
    QStringList textLines(int Section, int Index) const;
    void pushTexts();
    void pushMainTexts();
    void splashText(const QString& text);
    void copyBaudRatesBack();
    int newPrjFromSettings();
    // Loads a project file; one that does not load is named with the reason
    // in a box with the given title (the caller then builds a new project).
    // False when it did not load.
    bool loadProject(const QString& file, const QString& title = QString());
    bool askSaveModified();
    bool startupFailed(const QString& text);
    int currentInv() const;
    void applyWindowRecord(QWidget* w, const TSavedWdwRec& rec);
    // The clipboard, drag object, work-list manager and inverter choice
    // (fmain_lists.cpp).
    void createListObjects();
    void releaseListObjects();
    void pushListTexts();
    void listSettingsChanged(const TProgCfg& Cfg);
    // Calls f for every kind of window (none once the windows have gone,
    // at the end of the run).
    template <class F>
    void forEachKind(F f) const
    {
        for (IWindowKind* k : Kinds.All())
            if (k)
                f(*k);
    }
    void showListOpenError();
    // Opens a help page; tells the user when no program could show it.
    void openHelpPage(const QUrl& Url);
    void joinClipboardViewer();
    void leaveClipboardViewer();

    // Set when freeing begins: slot and context hand-overs are ignored.
    bool destroying_ = false;
    std::shared_ptr<IMainInteraction> ui_;
    std::unique_ptr<TProgCfg> progCfg_;
    std::unique_ptr<TVortalinText> langTexts_;
    QPointer<TVortalinPrj> project_;
    QPointer<TScheduler> scheduler_;
    TToolBarLayout layout_;
    bool startupQueued_ = false;
    bool windowsMenuQueued_ = false;
    bool inStartup_ = false;
    bool closeRequested_ = false;
    // While a project file is read, the caption waits for the outcome.
    bool prjLoading_ = false;
    bool closing_ = false;
    // A maximise request's placement, re-asserted against the window
    // system's late answers until they stop (see keepBarInWorkArea).
    bool barSettling_ = false;
    bool barPlacementQueued_ = false;
    int barPlacements_ = 0;
    QTimer* barSettle_ = nullptr;
    TBarWorkArea barArea_;
    TBarStrut strut_;
    bool barPlaced_ = false;
    bool released_ = false;  // serial addresses released at deactivation
    int exitStatus_ = 0;
    QMetaObject::Connection opOwnerConn_, ctxOwnerConn_;
    QMetaObject::Connection clipboardConn_;
};

// A window's hold on the main window from a callback. Null once the main
// window is gone, and also while the end of its destructor runs: a driver
// closing among its children runs the event loop then, and a window's
// callback must not take the plain widget that is left for a TFMain.
class TMainRef {
public:
    explicit TMainRef(TFMain& Main) : p_(&Main) {}
    TFMain* get() const { return qobject_cast<TFMain*>(p_.data()); }
    operator TFMain*() const { return get(); }
    TFMain* operator->() const { return get(); }

private:
    QPointer<QObject> p_;
};
