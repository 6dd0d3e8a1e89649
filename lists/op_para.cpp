#include "lists/op_para.h"

#include "dialogs/max_placement.h"
#include "dialogs/report_view.h"
#include "dialogs/shared_objects.h"
#include "lists/op_para_glyph.h"
#include "lists/val_edit.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>
#include <QVBoxLayout>

int OpParaSlotFor(const std::array<int, kOpParaSlots>& SlotInvAdr, int InvAdr, bool* Existing)
{
    if (Existing)
        *Existing = false;
    // Every slot is looked at: after a close the window of this inverter may
    // sit behind a free slot.
    for (int i = 0; i < kOpParaSlots; ++i)
        if (SlotInvAdr[i] >= 0 && SlotInvAdr[i] == InvAdr) {
            if (Existing)
                *Existing = true;
            return i;
        }
    for (int i = 0; i < kOpParaSlots; ++i)
        if (SlotInvAdr[i] < 0)
            return i;
    return -1;
}

QPoint OpParaPlace(const QRect& MainFrame, int Slot)
{
    return {25 * (Slot + 1), MainFrame.top() + MainFrame.height() + 25 * (Slot + 1)};
}

Top_para* CreateOpPara(const TOpParaEnv& Env, int InvAdr, int Language)
{
    if (!Env.Windows)
        return nullptr;
    TOpParaWindows& windows = *Env.Windows;
    if (InvAdr < 0)
        InvAdr = 0;
    std::array<int, kOpParaSlots> adrs;
    for (int i = 0; i < kOpParaSlots; ++i)
        adrs[i] = windows[i] ? windows[i]->Core().InvAdr : -1;
    bool existing = false;
    const int slot = OpParaSlotFor(adrs, InvAdr, &existing);
    if (existing) {
        windows[slot]->Core().Restart();
        return windows[slot];
    }
    if (slot < 0) {
        const TVortalinText* t = Env.Texts;
        const QStringList lines =
            t && t->GetStrings(2, 13) ? *t->GetStrings(2, 13) : QStringList{QStringLiteral("???")};
        const QStringList ok{QStringLiteral("0") + (t ? t->GetText(0, 6) : QStringLiteral("???"))};
        Env.ShowMessage(lines, ok, QString(), dmiInformation, {}, {}, {}, 0, -1);
        return nullptr;
    }
    auto* w = new Top_para(Env, nullptr, InvAdr, Language);
    windows[slot] = w;
    if (Env.MainForm)
        w->move(OpParaPlace(Env.MainForm.BarFrame(), slot));
    w->show();
    return w;
}

// ---------------------------------------------------------------- model

TOpParaModel::TOpParaModel(TOpParaCore& core, QObject* parent) : QAbstractTableModel(parent), core_(core) {}

int TOpParaModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : core_.RowCount();
}

int TOpParaModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant TOpParaModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= core_.RowCount())
        return {};
    const TOpRow& r = core_.Rows()[index.row()];
    switch (index.column()) {
    case 0: return r.Caption;
    case 1: return r.SetText;
    case 2: return r.Name;
    case 3: return r.ValueText;
    }
    return {};
}

QVariant TOpParaModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return Captions[section];
    return QAbstractTableModel::headerData(section, o, role);
}

void TOpParaModel::Reset()
{
    beginResetModel();
    endResetModel();
}

void TOpParaModel::RowChanged(int row)
{
    emit dataChanged(index(row, 3), index(row, 3), {Qt::DisplayRole});
}

// ---------------------------------------------------------------- window

Top_para::Top_para(const TOpParaEnv& Env, QWidget* owner, int InvAdr, int Language)
    : QWidget(owner, Qt::Window), ContextItems(this), env_(Env)
{
    setObjectName(QStringLiteral("op_para"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(363, 393);
    InstallMaxPlacement(this);
    setProperty("HelpContext", HelpContext);
    core_ = std::make_unique<TOpParaCore>(env_.Project, InvAdr, Language);
    TOpParaCore& c = *core_;
    c.Texts = env_.Texts;
    if (env_.ValEdit)
        c.Editor = &env_.ValEdit->Core();
    if (env_.MakeInteraction)
        c.SetInteraction(env_.MakeInteraction(this));

    model_ = new TOpParaModel(c, this);
    model_->Captions = {c.text(2, 19), c.text(0, 2), c.text(0, 1), c.text(0, 3)};
    ListView1 = new QTableView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    SetUpReportView(ListView1, model_, QAbstractItemView::SingleSelection);
    ListView1->setSortingEnabled(false);
    ListView1->setColumnWidth(0, 60);
    ListView1->setColumnWidth(1, 40);
    ListView1->setColumnWidth(2, 100);
    ListView1->setColumnWidth(3, 100);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(ListView1);

    c.OnRowsChanged = [this] {
        model_->Reset();
        FormResize();
    };
    c.OnRowChanged = [this](int row) { model_->RowChanged(row); };
    c.OnCaptionChanged = [this] { SetCaption(); };
    c.OnOpFuncsChanged = [this] {
        if (isActiveWindow())
            handOver(false);
    };
    c.OnDetachEditor = [this] { detachEditor(); };
    OpFuncs.Owner = this;
    ContextItems.Add(c.text(10, 1));
    TContextItem& inv = ContextItems.Add(c.text(0, 0), [this](QObject*) { DoSettings(); }, c.text(0, 0));
    inv.Glyph = InverterGlyph();
    SetCaption();
    c.SetScheduler(env_.Scheduler, this);
}

Top_para::~Top_para()
{
    // The slot is free once the window has gone (its QPointer clears).
    core_->SetScheduler(nullptr);
}

void Top_para::SetCaption()
{
    setWindowTitle(core_->Caption());
}

int Top_para::selectedRow() const
{
    const QModelIndex i = ListView1->currentIndex();
    return i.isValid() && ListView1->selectionModel()->isSelected(i) ? i.row() : -1;
}

void Top_para::EditSelected()
{
    TOpEditArgs a;
    if (!env_.ValEdit || !core_->EditArgs(selectedRow(), a))
        return;
    env_.ValEdit->EditValue(a.SetSel, a.Inverter, a.Para, a.Label, a.Value, nullptr);
}

void Top_para::pointEditor()
{
    if (env_.ValEdit && env_.ValEdit->isVisible() && selectedRow() >= 0)
        EditSelected();
}

void Top_para::detachEditor()
{
    if (env_.ValEdit && env_.ValEdit->isVisible())
        env_.ValEdit->EditValue(1, core_->InvAdr, nullptr, QString(), 0, nullptr);
    else if (env_.ValEdit)
        env_.ValEdit->Core().TakeEdit(1, core_->InvAdr, nullptr, QString(), 0, nullptr);
}

void Top_para::handOver(bool closing)
{
    const bool save = core_->SaveSlots && !closing;
    OpFuncs.Slots[osSave] = save ? std::function<void()>([this] { DoSaveAs(); }) : nullptr;
    OpFuncs.Slots[osSaveAs] = OpFuncs.Slots[osSave];
    if (closing)
        env_.MainForm.HandOver(nullptr, nullptr);
    else
        env_.MainForm.HandOver(&OpFuncs, &ContextItems);
}

void Top_para::FormActivate()
{
    handOver(false);
    pointEditor();
}

void Top_para::FormResize()
{
    if (windowState() & Qt::WindowMinimized) {
        core_->Minimised();
        return;
    }
    core_->Restored();
    const int rest = ListView1->viewport()->width() - ListView1->columnWidth(0) - ListView1->columnWidth(1);
    if (rest > 0) {
        ListView1->setColumnWidth(2, rest / 2);
        ListView1->setColumnWidth(3, rest / 2);
    }
}

void Top_para::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    else if (e->type() == QEvent::WindowStateChange)
        FormResize();
    QWidget::changeEvent(e);
}

void Top_para::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    FormResize();
}

void Top_para::closeEvent(QCloseEvent* e)
{
    if (!closing_) {
        closing_ = true;
        handOver(true);
        if (env_.ValEdit && core_->HoldsPara(env_.ValEdit->Core().Para.get()))
            detachEditor();
        core_->Closing();
    }
    e->accept();
}

bool Top_para::eventFilter(QObject* o, QEvent* e)
{
    if (o == ListView1 && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            EditSelected();
            return true;
        }
    } else if (o == ListView1 && e->type() == QEvent::KeyRelease) {
        handOver(false);
        pointEditor();
    } else if (o == ListView1->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            EditSelected();
            return true;
        }
    } else if (o == ListView1->viewport() && e->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            handOver(false);
            pointEditor();
        }
    }
    return QWidget::eventFilter(o, e);
}
