#pragma once

// The download-list window: a remark memo over a report view of the list
// that holds only its visible rows and scrolls with a separate scroll bar.
// The list itself (lines, file, transfers) is TDwnLoadEngine, the rows
// and their geometry TDwnLoadView; this class draws them, serves the
// list's questions with the real dialogs and forwards what the user does.

#include "config/clpbrd_content.h"
#include "dialogs/context_item.h"
#include "dialogs/operating_funcs.h"
#include "dialogs/window_file.h"
#include "lists/dwn_edit.h"
#include "lists/dwn_load_dlg.h"
#include "lists/dwn_load_engine.h"
#include "lists/dwn_load_env.h"
#include "lists/dwn_load_view.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QMimeData;
class QMenu;
class QPlainTextEdit;
class QScrollBar;
class QTableView;

// Where the window's controls go in a client area of W x H with the memo
// MemoH high: memo and splitter at the top, the list below, the scroll bar
// at its right edge.
struct TDwnGeometry {
    QRect Memo, Splitter, List, ScrollBar;
};
TDwnGeometry DwnLayoutGeometry(int W, int H, int MemoH, int ScrollBarW);
// Fully visible rows of a view area ViewH high with rows RowH high: at
// least 1.
int DwnVisibleRows(int ViewH, int RowH);

class TDwnLoad : public QWidget, public IDwnNotify, public IWindowFileName {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 649;
    static constexpr int DefaultHeight = 341;
    static constexpr int SplitterHeight = 6;
    static constexpr int HelpContext = 44;

    ~TDwnLoad() override;

    TDwnLoadEngine& Engine() { return *engine_; }
    const TDwnLoadEngine& Engine() const { return *engine_; }
    TDwnLoadView& View() { return view_; }
    // The list's editing: the editors' callbacks, clipboard, drag and drop.
    TDwnEdit& Edit() { return edit_; }
    int WdwNr() const { return engine_->WdwNr; }
    // Handed to the main window while the window is active.
    TOperatingFuncs OpFuncs;
    TContextList ContextItems;
    QString WindowFileName() const override { return engine_->FileName; }
    int LayoutBusy = 0;
    bool DragStarted = false;

    QString GetShortName() const { return engine_->GetShortName(); }
    // With Apply set the caption becomes the window's.
    QString GetCaptionText(bool Apply);
    TDwnEntry* GetDwnEntry(int Index) const { return engine_->GetDwnEntry(Index); }
    void RefreshList() { FillList(view_.Position); }
    // The virtual view.
    void SetLinesCount();
    void SetScrollMax();
    void FillList(int TopIndex);
    void SelectRange(int A, int B);
    void SelectLine(int Index) override;

    // ---- editing (TDwnEdit holds the logic; these open the editors and
    // dialogs it names, or forward)
    void SetDialogBoxes();
    void OpenEditor(int Column);
    void MenuchangeValClick() { openForCurrent(6); }
    void MenuChangeSetClick() { openForCurrent(2); }
    void MenuChangenoteClick() { openForCurrent(7); }
    void Parametereinf1Click();
    void MenuInsertBlankLineClick() { edit_.InsertSpecial(DwnMode::Blank); }
    void MenuInsertUserClick() { edit_.InsertSpecial(DwnMode::UserStep); }
    void MenuAddProjClick();
    void ChangePara(int32_t Value) { edit_.ChangePara(Value); }
    void ChangeSet(int16_t Sel) { edit_.ChangeSet(Sel); }
    void ChangeNote(const QString& Text) { edit_.ChangeNote(Text); }
    void ChangeMode(int Mode) { edit_.ChangeMode(Mode); }
    void EnterPara(int16_t Address) { edit_.EnterPara(Address); }
    void SearchPara(int16_t Address) { edit_.SearchPara(Address); }
    // Drag of the marked lines through the program's drag object; nothing
    // without a marked line.
    void ListView1StartDrag();
    // The drag events of the list view: whether the running drag is taken,
    // and the drop at Row.
    bool ListView1DragOver(const QMimeData* Data) const;
    bool ListView1DragDrop(const QMimeData* Data, int Row);

    // ---- operation slots
    void DoSave() { engine_->DoSave(); }
    void DoSaveAs() { engine_->DoSaveAs(); }
    void DoDelete();
    void DoMarkAll();
    void DoCopy();
    void DoPaste();
    void DoCut();
    void DoPrint();
    void DoSearch();
    // ---- context commands
    void DoDownload() { engine_->DoDownload(); }
    void DoUpload() { engine_->DoUpload(); }
    void DoMakeList() { engine_->DoMakeList(); }
    void DoCompress() { engine_->DoCompress(); }
    void DoCompare() { engine_->DoCompare(); }
    void DoSettings() { engine_->DoSettings(); }

    // The input box of user steps and raw values: true with the entry.
    std::function<bool(const QString& Title, const QString& Prompt, QString& Value)> InputBox;

    // Components by their names.
    QWidget* Splitter1 = nullptr;
    QTableView* ListView1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* MenuchangeVal = nullptr;
    QAction* MenuChangeSet = nullptr;
    QAction* MenuChangenote = nullptr;
    QAction* Parametereinf1 = nullptr;
    QAction* MenuInsertBlankLine = nullptr;
    QAction* MenuInsertUser = nullptr;
    QAction* MenuSave = nullptr;
    QAction* MenuSaveAs = nullptr;
    QAction* MenuAddProj = nullptr;
    QAction* MenuCut = nullptr;
    QAction* MenuCopy = nullptr;
    QAction* MenuPaste = nullptr;
    QAction* MenuDel = nullptr;
    QAction* MenuMarkAll = nullptr;
    TDwnRowModel& Model() { return *model_; }
    // The memo is the active control.
    bool MemoActive() const;
    // A transfer runs: the lines stay as they are.
    bool Transferring() const { return engine_->Transferring(); }

    // What the list's operations tell the window.
    void RefreshView(bool FromTop) override;
    void RowsChanged() override;
    void ClearViewSelection() override;
    void CaptionChanged() override { GetCaptionText(true); }
    void ControlsEnabled(bool Enabled) override;
    void ContextItemsChanged(bool CompressEnabled) override;
    void AddProjEnabled() override;
    // Clipboard items hold their descriptions: removed lines leave it alone.
    void ReleaseClipboard() override {}
    void CloseWindow() override;

signals:
    // A transfer ended (finished, cancelled or refused): its controls are
    // enabled again.
    void TransferEnded();

protected:
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend TDwnLoad* CreateDwnLoad(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName);
    TDwnLoad(int WdwNr, const TDwnLoadShared& Shared);


    void buildMenu();
    void buildContextItems();
    // The slots and context items to the main window (none: nullptr).
    void handOver(bool None = false);
    // The items changed: the active window hands them over again (first
    // none, then the list); an inactive one does so when it is activated.
    void handOverChangedItems();
    void setTexts();
    void FormResize();
    void FormClose();
    void syncSelection();
    void focusRowInView();
    void listKey(QKeyEvent* k);
    bool listMouse(QEvent* e);
    void openForCurrent(int Column);
    void dragSplitter(int Y);
    QString text(int S, int I) const;
    void inputValue(TDwnEntry& line);

    const TDwnLoadShared shared_;
    std::unique_ptr<TDwnLoadDlg> dlg_;
    std::unique_ptr<TDwnLoadEngine> engine_;
    TDwnLoadView view_;
    TDwnEdit edit_;
    TDwnRowModel* model_ = nullptr;
    int memoHeight_ = 32;
    int splitterGrab_ = -1;
    QPoint pressPos_;
    bool settingMemo_ = false;
    bool filling_ = false;
    // The items changed while another window was active: the main window,
    // which ignores a hand-over of the list it holds, has outdated ones.
    bool itemsOutdated_ = false;
};

// Opens a window for InvAdr with the list in FileName (empty: a new list),
// using the tool windows in Shared and numbered among Shared.Windows; none
// when ten are open or the project has no inverter.
TDwnLoad* CreateDwnLoad(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName);
QString GetDwnLoadFileName(const TDwnLoad* Window);
// The linked file of the project opened from the explorer: an open window
// of it takes the focus, else a window opens for InvAdr.
TDwnLoad* ShowDwnLoadFile(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName);
// The parameter save: a complete list of InvAdr uploaded without
// questions, saved through the save dialog, and the window closed.
void DwnSaveParas(const TDwnLoadShared& Shared, int InvAdr, int Language);
