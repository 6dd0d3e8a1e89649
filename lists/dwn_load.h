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

constexpr int kDwnMaxWindows = 10;

struct TWrkListItem;

// The text line of a copied line: set, address, ident, name, value, note.
QString DwnCopyLine(const TDwnEntry& Line, const TVortalinText* Texts, const TDwnTextOptions& Opt);

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
// A value for an inverter type without parameter sets: 0..0xFFFF, or
// -0x8000..0x7FFF for a signed parameter.
bool DwnFits16Bit(const TParaRec& Para, int32_t Value);

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
    TDwnLoadDlg& Dialogs() { return *dlg_; }
    int WdwNr() const { return engine_->WdwNr; }
    int16_t SearchAdr = -1;
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

    // ---- editing
    void SetDialogBoxes();
    void OpenEditor(int Column);
    void MenuchangeValClick() { openForCurrent(6); }
    void MenuChangeSetClick() { openForCurrent(2); }
    void MenuChangenoteClick() { openForCurrent(7); }
    void Parametereinf1Click();
    void MenuInsertBlankLineClick() { insertSpecial(DwnMode::Blank); }
    void MenuInsertUserClick() { insertSpecial(DwnMode::UserStep); }
    void MenuAddProjClick();
    void ChangePara(int32_t Value);
    void ChangeSet(int16_t Sel);
    void ChangeNote(const QString& Text);
    void ChangeMode(int Mode);
    void EnterPara(int16_t Address);
    void SearchPara(int16_t Address);
    bool CheckInvCfgId(int InvAdr, int CfgId);

    // ---- clipboard and drops (the insert position clamps into 0..count)
    // Pastes Items at At by the content's Flags; the number refused
    // (message (0,19) shown for any).
    int PasteItems(int At, const std::vector<TClpBrdItem>& Items, int Flags);
    // Drops of parameter descriptions (kind 1) of inverter InvAdr with set
    // selector SetSel, download-list lines (kind 3), operator-list lines
    // (kind 5) and work-list rows (kind 4). False: refused (own lines,
    // kinds that do not mix, another configuration), with the message.
    bool DropDescriptions(int At, int InvAdr, int SetSel, const std::vector<std::shared_ptr<const TParaRec>>& Paras);
    bool DropDwnLines(int At, int InvAdr, const std::vector<TDwnEntryPtr>& Lines, bool OpLines);
    bool DropWrkRows(int At, const std::vector<std::shared_ptr<TWrkListItem>>& Rows);
    // Whether a drop of Kind fits the list: 1, 3, 4 into an empty or normal
    // list, 5 into an empty or operator list; nothing during a transfer.
    bool AcceptsKind(int Kind) const;
    // The insert position of a drop at Row of the view (-1: none).
    int DropPosition(int Row) const;
    // Drag of the marked lines (kind 3, or 5 from an operator list) through
    // the program's drag object; nothing without a marked line.
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
    bool Transferring() const { return engine_->TransferState != DwnTransfer::Idle; }

    // What the list's operations tell the window.
    void RefreshView(bool FromTop) override;
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
    bool FormCloseQuery();
    void FormClose();
    void syncSelection();
    void focusRowInView();
    void listKey(QKeyEvent* k);
    bool listMouse(QEvent* e);
    void openForCurrent(int Column);
    void insertSpecial(int Mode);
    void afterInsert(int Count, int FocusLine);
    int32_t defaultValue(const TParaRec* Para) const { return Para ? Para->DefVal : 0; }
    void refuseMessage();
    void dragSplitter(int Y);
    int message(const QStringList& Lines, int Buttons, int Icon, const QString& P1 = {});
    QString text(int S, int I) const;
    QString lineLabel(int& marked, TDwnEntry*& line, int& lineIndex) const;
    bool inputValue(TDwnEntry& line);

    const TDwnLoadShared shared_;
    std::unique_ptr<TDwnLoadDlg> dlg_;
    std::unique_ptr<TDwnLoadEngine> engine_;
    TDwnLoadView view_;
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
// using the tool windows in Shared; none when ten are open or the project
// has no inverter.
TDwnLoad* CreateDwnLoad(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName);
QString GetDwnLoadFileName(const TDwnLoad* Window);
// The open windows.
QList<TDwnLoad*> DwnLoadWindows();
// The open window of FileName: names compared as canonical paths with
// case (a cleaned absolute path for a file not on disk); none when there
// is no such window.
TDwnLoad* FindDwnLoadWindow(const QString& FileName);
// The linked file of the project opened from the explorer: an open window
// of it takes the focus, else a window opens for InvAdr.
TDwnLoad* ShowDwnLoadFile(const TDwnLoadShared& Shared, int InvAdr, int Language, const QString& FileName);
// The parameter save: a complete list of InvAdr uploaded without
// questions, saved through the save dialog, and the window closed.
void DwnSaveParas(const TDwnLoadShared& Shared, int InvAdr, int Language);
