#pragma once

// The work-list window: a comment memo over the list of rows, each read
// again and again through the scheduler while the window is open. The
// rows, files and the scheduler client are TWrkListCore; this class draws
// them and forwards what the user does.

#include "dialogs/main_form.h"
#include "lists/wrk_list_core.h"
#include "lists/wrk_list_tools.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QSplitter;
class TDragDrop;
class TVortalinClpBrd;
class TWrkListView;

class TFWrkList : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 582;
    static constexpr int DefaultHeight = 324;

    // CreateNumbered: the window of slot WindowNo (0..31).
    explicit TFWrkList(int WindowNo, QWidget* parent = nullptr);
    ~TFWrkList() override;

    TWrkListCore& Core() { return core_; }
    int WindowNo() const { return core_.WindowNo; }

    void SetScheduler(TScheduler* Sch) { core_.SetScheduler(Sch); }
    void SetLanguage(int Lang) { core_.SetLanguage(Lang); }
    void SetAskForSaveMsgText(const QString& Text) { core_.SetAskForSaveMsgText(Text); }
    void SetAskForOverrideMsgText(const QString& Text) { core_.SetAskForOverrideMsgText(Text); }
    void SetYesBtnText(const QString& Text) { core_.SetYesBtnText(Text); }
    void SetNoBtnText(const QString& Text) { core_.SetNoBtnText(Text); }
    void SetCancelBtnText(const QString& Text) { core_.SetCancelBtnText(Text); }
    int InsertItem(std::shared_ptr<TWrkListItem> Item, int Index) { return core_.InsertItem(std::move(Item), Index); }
    void ClearRows() { core_.ClearRows(); }
    void DeleteRow(int Index) { core_.DeleteRow(Index); }
    int LoadFromFile(const QString& Path) { return core_.LoadFromFile(Path); }
    int SaveToFile(const QString& Path) { return core_.SaveToFile(Path); }
    bool Save() { return core_.Save(); }
    bool SaveAs() { return core_.SaveAs(); }

    // Column 6 takes the list's width less columns 0..5, at least 100.
    void FitRemarkColumn();
    // Sets the column widths 0..5 on the list and fits column 6.
    void ApplyColumnWidths();

    // Told when the window is destroyed (the manager frees its slot).
    std::function<void(int WindowNo)> OnReleaseSlot;

    // ---- shared objects and events (the manager sets them)
    QPointer<TVortalinClpBrd> ClpBrd;
    QPointer<TDragDrop> DragDropObj;
    // The main form, which takes the window's operation slots, and the tool
    // windows it opens (shared with the manager's other windows).
    std::shared_ptr<const TWrkListTools> Tools = std::make_shared<TWrkListTools>();
    // A text of the manager (a TWrkListsText) that the window shows.
    void ApplyText(int Id, const QString& Text);

    // ---- commands (fwrk_list_commands.cpp)
    // Each works on the comment memo while it is the active control, else
    // on the rows.
    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void MarkAll();
    void Print();
    // The editors for the focused row.
    void EditValue() { editValueFor(FocusedRow()); }
    void EditSet() { editSetFor(FocusedRow()); }
    void EditRemark() { editRemarkFor(FocusedRow()); }
    void EditAddress() { editAddressFor(FocusedRow()); }
    void EditInverter();
    void InsertBlank() { core_.InsertBlank(FocusedRow()); }
    void ResetColumnWidths();
    void AddToOrRemoveFromPrj();
    // A double click (or Enter) by the column of the last press.
    void DoubleClick();
    // Fills the drag object with the selected rows (kind 4); false, with
    // nothing to drag.
    bool PrepareDrag();
    // Re-points every visible editor to the row (-1: none).
    void UpdateEditors(int Row);
    // The list menu's items as they are before it opens.
    void ListPopup();
    void TextPopup();

    const TOperatingFuncs& OpFuncs() const { return opFuncs_; }
    // The focused row; the trailing row when none has the focus.
    int FocusedRow() const;
    // The selected rows in list order (the trailing one included).
    std::vector<int> SelectedRows() const;
    bool MemoActive() const;

    // ---- components
    QMenu* pmList = nullptr;
    QMenu* pmText = nullptr;
    QAction *MiEditVal, *MiEditSet, *MiEditRem, *MiEditAdr, *MiEditInv, *MiInsertBlank, *MiSaveList, *MiSaveAs,
        *miAddToPrj, *MiCut, *MiCopy, *MiPaste, *MiDelete, *MiMarkAll, *miSetDefColWidth;
    QAction *MiCutItem, *MiCopyItem, *MiPasteItem, *MiDelItem, *MiMarkAllItem;
    TWrkListView* List() const { return PL; }
    QPlainTextEdit* Memo() const { return RemarkMemo; }

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void createMenus();
    void connectList();
    void editValueFor(int Row);
    void editSetFor(int Row);
    void editRemarkFor(int Row);
    void editAddressFor(int Row);
    bool realRow(int Row) const;
    void handOver();
    // Slots 3, 4 and 6: assigned or cleared; true when that changed them.
    bool setSelectionSlots(bool On);
    void listSelectionChanged();
    void memoSelectionMayHaveChanged();
    void startDrag();
    bool dragAccepted(const QMimeData* Data) const;
    void drop(int Row);

    TWrkListCore core_;
    QPlainTextEdit* RemarkMemo = nullptr;
    QSplitter* Splitter = nullptr;
    TWrkListView* PL = nullptr;
    TOperatingFuncs opFuncs_;
    QString addToPrjText_ = QStringLiteral("Zum Projekt hinzufügen");
    QString remFromPrjText_ = QStringLiteral("Aus Projekt entfernen");
    bool settingMemo_ = false;
    bool applyingWidths_ = false;
    bool sized_ = false;
};

// Width of column 6 for a list of client width `clientWidth`.
int WrkRemarkColumnWidth(int clientWidth, const std::array<int, 7>& widths);
