#pragma once

// The inverter scope window: one for the whole run, hidden until the main
// window opens it. It owns the recording engine, carries out its screen
// effects, and draws what TScopeDisplay computes: grid and traces into an
// off-screen picture, the cursor lines over it, the read-outs below.

#include "dialogs/main_form.h"
#include "dialogs/window_file.h"
#include "scope/scope_display.h"
#include "scope/scope_engine.h"
#include "scope/scope_layout.h"
#include "scope/scope_screen.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolButton;
class TFrmvortalinprint;
class TProgCfg;
class TScopeSurface;
class TSetScope;
class TVortalinScrollbar;
class ISetScopeEditors;

class TScope : public QWidget, public IScopeScreen, public IWindowFileName {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 557;
    static constexpr int ClientHeight = 307;
    static constexpr int HelpContext = 43;

    // FormCreate: registers with Sch (client state 2).
    TScope(TVortalinPrj* Prj, const TVortalinText* Texts, const TProgCfg* Cfg, TScheduler* Sch,
           QWidget* parent = nullptr);
    ~TScope() override;

    TScopeEngine& Engine() { return eng_; }
    TScopeDisplay& Display() { return disp_; }

    // ---- surroundings
    TFrmvortalinprint* PrintForm = nullptr;
    // The editors of the set-up dialog (not owned).
    void SetEditors(ISetScopeEditors* Editors);
    // The main window: it takes the scope's slots and context commands.
    TMainFormRef MainForm;
    // The main menu entry and tool button are to be released.
    std::function<void()> OnScopeClosed;

    // ---- the main window's calls
    void ShowScope(int Inv, int Lng, const QString& FileName);
    void RefreshDisplay();
    bool ScopeOpen() const { return scopeOpen_; }
    QString Title() const { return title_; }

    QString BuildCaption() const;
    void UpdateToolItems();
    void Save();
    void SaveAs();
    void Copy();
    void Print();
    // 0 print, 1 copy as a picture; false when nothing was printed.
    bool PrintScope(int Flag);
    void ShowEditValue();
    // The status blink, every 500 ms of a recording.
    void Timer1Timer();
    void DoSettings();
    void SetUpScope(int Page);
    // A parameter dropped on channel k: Address of Inverter (negative
    // addresses change nothing).
    void AssignChannel(int k, int Inverter, int Address);
    // Drops on the channel buttons: the drag object's parameters, download
    // lines and work-list rows; only the first item counts.
    bool ButtonCH_XXDragOver(const QMimeData* Data, int k) const;
    void ButtonCH_XXDragDrop(int k);

    const TOperatingFuncs& Commands() const { return commands_; }
    TContextList& ContextItems() { return context_; }
    QString WindowFileName() const override { return eng_.FileName; }

    // ---- components (object names as given)
    QToolButton* SpeedButton1;
    QFrame* Panel1;
    QComboBox* ComboBox1;
    QPushButton* Dnbtn;
    QLineEdit* Edit1;
    QPushButton* Upbtn;
    QFrame* Panel2;
    std::array<QPushButton*, kScopeChannels> ButtonCH;
    TScopeSurface* PaintBox;
    TScopeSurface* TimeBox;
    QScrollBar* MoveCursor;
    TVortalinScrollbar* ScrollBar1;
    QMenu* PopupMenu1;
    QAction *RunStop1, *CursorI1, *CursorII1, *C1vert, *C1hor, *c1off, *C2Vert, *C2Hor, *C2off, *HLine,
        *Messart, *FullGrid1, *AddProj1;
    QMenu *Cursor1Func, *Cursor2Func;
    QTimer* Timer1;
    std::array<std::array<QLabel*, 5>, 4> Readout;

    // ---- drawing
    void DrawGrid();
    void DrawTraces();
    void DrawCursors(int Flag);
    void UpDateScrollBar();
    void Relayout();
    void fitReadouts();
    // The status text written on the time strip by the blink.
    QString StatusText() const { return status_; }

    // Keys of the cursor catcher and the value edit, drops on the channel
    // buttons, clicks on the measurement column, hints during a recording.
    bool eventFilter(QObject* o, QEvent* e) override;

    // ---- screen effects of the engine
    void SetRunButton(bool Down) override;
    void SetRecordingLook(bool Recording) override;
    void ClearPlot() override;
    void RestartDrawing() override { disp_.RestartDrawing(); }
    void DrawSample(int Index) override;
    void RedrawAll() override;
    int ScrollPosition() const override { return int(disp_.ScrollPos()); }
    void ChannelsResolved() override;
    void CaptionChanged() override;
    void FileChanged() override;
    void Busy(bool On) override;
    void CloseForEmptyProject() override;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildTools();
    void buildMenu();
    void buildContextItems();
    void setTexts();
    void applyEdit(TEditResult r);
    void stepClick(bool Down);
    void editEntered();
    void cursorCommand(std::function<void()> f, bool Focus);
    void menuMarks();
    void writeStatus(const QString& Text);
    void writeReadouts();
    void updateOverlay();
    void clearStrip();
    void paintZoomStrip();
    void plotMouseDown(QMouseEvent* e);
    void plotMouseMove(QMouseEvent* e);
    bool formCloseQuery();
    void formClose();
    void message(int Section, int Index);
    QString text(int Section, int Index) const;
    QColor colour(uint32_t c) const;

    TScopeEngine eng_;
    TScopeDisplay disp_{eng_};
    TVortalinPrj* project_;
    const TVortalinText* texts_;
    const TProgCfg* cfg_;
    TSetScope* setScope_;
    TOperatingFuncs commands_;
    TContextList context_{this};
    QStringList msgList_;
    QString title_;
    QString status_;
    bool scopeOpen_ = false;
    bool blink_ = false;
    bool minimised_ = false;
    bool closingForEmpty_ = false;
    bool applying_ = false;
    bool hintsOff_ = false;
    TScopeLayout layout_;
    int readoutFirst_ = TScopeLayout::FirstWidth;  // read-out column 0, grown to its texts
};
