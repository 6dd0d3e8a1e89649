#pragma once

// The operator-parameter window: a list of the operator module's parameters
// of one inverter with their values, read cyclically (TOpParaCore), edited
// with the value editor. Up to ten are open, one per inverter.

#include "lists/window_tools.h"
#include "lists/op_para_core.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QTableView;
class TfrmValEdit;
class Top_para;

// The list's rows as the view shows them: address, set, name, value.
class TOpParaModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TOpParaModel(TOpParaCore& core, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void Reset();
    void RowChanged(int row);
    std::array<QString, 4> Captions;

private:
    TOpParaCore& core_;
};

inline constexpr int kOpParaSlots = 10;

// The operator windows of one owner (the main program's operator kind, a
// test) by slot; an empty slot is free.
using TOpParaWindows = std::array<QPointer<Top_para>, kOpParaSlots>;

// What every operator window is created with: the program's shared objects,
// the main form and tool windows (new windows cascade below the main bar, a
// maximised one fills the work area below it, dialogs/max_placement.h), and
// the windows of its owner, among which it takes its slot. The value editor
// edits a row; the message box tells that ten are open.
struct TOpParaEnv : TWindowTools {
    TVortalinPrj* Project = nullptr;
    TScheduler* Scheduler = nullptr;
    const TVortalinText* Texts = nullptr;
    TOpParaWindows* Windows = nullptr;
    // The dialogs of a new window; none: every question is cancelled.
    std::function<std::shared_ptr<IOpParaInteraction>(QWidget* parent)> MakeInteraction;
};

// The slot for InvAdr given the addresses of the slots' windows (-1 free):
// the slot of that inverter's window when one is open (Existing set), else
// the first free slot, else -1.
int OpParaSlotFor(const std::array<int, kOpParaSlots>& SlotInvAdr, int InvAdr, bool* Existing);
// Where the window of slot i opens below the main window's frame.
QPoint OpParaPlace(const QRect& MainFrame, int Slot);

// Opens the operator window for InvAdr (or rebuilds the one already open)
// among Env.Windows: the window, or null when ten are open (the message is
// shown).
Top_para* CreateOpPara(const TOpParaEnv& Env, int InvAdr, int Language);

class Top_para : public QWidget {
    Q_OBJECT
public:
    static constexpr int HelpContext = 34;

    Top_para(const TOpParaEnv& Env, QWidget* owner, int InvAdr, int Language);
    ~Top_para() override;

    TOpParaCore& Core() { return *core_; }
    // Handed to the main window: only Save and Save As (both DoSaveAs),
    // once a list is built; item 0 names the context menu, item 1 chooses
    // the inverter.
    TOperatingFuncs OpFuncs;
    TContextList ContextItems;
    TOpParaModel& Model() { return *model_; }
    QTableView* List() const { return ListView1; }

    void InvalidateValues() { core_->InvalidateValues(); }
    void DoSettings() { core_->DoSettings(); }
    void DoSaveAs() { core_->DoSaveAs(); }
    int SaveData(const QString& Name) { return core_->SaveData(Name); }
    void SetCaption();
    // Opens the value editor for the selected row.
    void EditSelected();

protected:
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void FormActivate();
    void FormResize();
    void pointEditor();
    void handOver(bool closing);
    void detachEditor();
    int selectedRow() const;

    const TOpParaEnv env_;
    std::unique_ptr<TOpParaCore> core_;
    TOpParaModel* model_ = nullptr;
    QTableView* ListView1 = nullptr;
    bool closing_ = false;
};
