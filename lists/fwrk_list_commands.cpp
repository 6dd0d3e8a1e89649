// The work-list window's commands: menus, editors, clipboard, drag and
// drop, print and the operation slots that follow the selection.
#include "lists/fwrk_list.h"
#include "lists/fwrk_list_view.h"
#include "lists/wrk_lists.h"

#include "config/drag_drop.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/drag_exec.h"
#include "dialogs/help_context.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

constexpr const char* kHelpContext = kHelpContextProperty;

QAction* entry(QMenu* menu, const char* name, const QString& caption, int help, const QKeySequence& key = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setProperty(kHelpContext, help);
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

// The memo's selection as one text, with its line breaks.
QString memoSelection(const QPlainTextEdit& memo)
{
    return memo.textCursor().selectedText().replace(QChar(0x2029), u'\n');
}

}  // namespace

// ------------------------------------------------------------------ building

void TFWrkList::createMenus()
{
    setProperty(kHelpContext, 55);
    pmList = new QMenu(this);
    pmList->setObjectName(QStringLiteral("pmList"));
    pmList->setProperty(kHelpContext, 55);
    MiEditVal = entry(pmList, "MiEditVal", QStringLiteral("Wert bearbeiten"), 86, Qt::Key_F3);
    MiEditSet = entry(pmList, "MiEditSet", QStringLiteral("Satzadressierung"), 45, Qt::Key_F4);
    MiEditRem = entry(pmList, "MiEditRem", QStringLiteral("Bemerkung bearbeiten"), 88, Qt::Key_F5);
    MiEditAdr = entry(pmList, "MiEditAdr", QStringLiteral("Parameter einfügen"), 84, Qt::Key_F6);
    MiEditInv = entry(pmList, "MiEditInv", QStringLiteral("Umrichter bearbeiten"), 95, Qt::Key_F2);
    MiInsertBlank = entry(pmList, "MiInsertBlank", QStringLiteral("Leerzeile einfügen"), 87, Qt::Key_F7);
    pmList->addSeparator();
    MiSaveList = entry(pmList, "MiSaveList", QStringLiteral("Speichern"), 17, QKeySequence(Qt::CTRL | Qt::Key_S));
    MiSaveAs = entry(pmList, "MiSaveAs", QStringLiteral("Speichern unter"), 18);
    miAddToPrj = entry(pmList, "miAddToPrj", addToPrjText_, 91);
    pmList->addSeparator();
    MiCut = entry(pmList, "MiCut", QStringLiteral("Ausschneiden"), 24, QKeySequence(Qt::CTRL | Qt::Key_X));
    MiCopy = entry(pmList, "MiCopy", QStringLiteral("Kopieren"), 25, QKeySequence(Qt::CTRL | Qt::Key_C));
    MiPaste = entry(pmList, "MiPaste", QStringLiteral("Einfügen"), 26, QKeySequence(Qt::CTRL | Qt::Key_V));
    MiDelete = entry(pmList, "MiDelete", QStringLiteral("Entfernen"), 27, Qt::Key_Delete);
    MiMarkAll = entry(pmList, "MiMarkAll", QStringLiteral("Alles markieren"), 28, QKeySequence(Qt::CTRL | Qt::Key_A));
    pmList->addSeparator();
    miSetDefColWidth = entry(pmList, "miSetDefColWidth", QStringLiteral("Spaltenbreite zurücksetzen"), 94);

    pmText = new QMenu(this);
    pmText->setObjectName(QStringLiteral("pmText"));
    pmText->setProperty(kHelpContext, 55);
    MiCutItem = entry(pmText, "MiCutItem", MiCut->text(), 24, QKeySequence(Qt::CTRL | Qt::Key_X));
    MiCopyItem = entry(pmText, "MiCopyItem", MiCopy->text(), 25, QKeySequence(Qt::CTRL | Qt::Key_C));
    MiPasteItem = entry(pmText, "MiPasteItem", MiPaste->text(), 26, QKeySequence(Qt::CTRL | Qt::Key_V));
    MiDelItem = entry(pmText, "MiDelItem", MiDelete->text(), 27, Qt::Key_Delete);
    MiMarkAllItem = entry(pmText, "MiMarkAllItem", MiMarkAll->text(), 28);

    // The list menu's keys work while the list has the focus; the memo's
    // keys are taken by the event filter.
    for (QAction* a : pmList->actions()) {
        a->setShortcutContext(Qt::WidgetShortcut);
        PL->addAction(a);
    }
    const std::pair<QAction*, void (TFWrkList::*)()> actions[] = {
        {MiEditVal, &TFWrkList::EditValue},       {MiEditSet, &TFWrkList::EditSet},
        {MiEditRem, &TFWrkList::EditRemark},      {MiEditAdr, &TFWrkList::EditAddress},
        {MiEditInv, &TFWrkList::EditInverter},    {MiInsertBlank, &TFWrkList::InsertBlank},
        {miAddToPrj, &TFWrkList::AddToOrRemoveFromPrj}, {MiCut, &TFWrkList::Cut},
        {MiCopy, &TFWrkList::Copy},               {MiPaste, &TFWrkList::Paste},
        {MiDelete, &TFWrkList::Delete},           {MiMarkAll, &TFWrkList::MarkAll},
        {miSetDefColWidth, &TFWrkList::ResetColumnWidths}, {MiCutItem, &TFWrkList::Cut},
        {MiCopyItem, &TFWrkList::Copy},           {MiPasteItem, &TFWrkList::Paste},
        {MiDelItem, &TFWrkList::Delete},          {MiMarkAllItem, &TFWrkList::MarkAll},
    };
    for (const auto& [a, f] : actions)
        connect(a, &QAction::triggered, this, [this, f = f] { (this->*f)(); });
    connect(MiSaveList, &QAction::triggered, this, [this] { Save(); });
    connect(MiSaveAs, &QAction::triggered, this, [this] { SaveAs(); });
    connect(pmList, &QMenu::aboutToShow, this, [this] { ListPopup(); });
    connect(pmText, &QMenu::aboutToShow, this, [this] { TextPopup(); });

    PL->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PL, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pmList->popup(PL->viewport()->mapToGlobal(p)); });
    RemarkMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RemarkMemo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pmText->popup(RemarkMemo->mapToGlobal(p)); });

    // Slots 0..8; 3, 4 and 6 then follow the selection. Slot 0 (the open
    // dialog's preparation) has no dialog to act on here.
    opFuncs_.Owner = this;
    opFuncs_.Slots[osSave] = [this] { Save(); };
    opFuncs_.Slots[osSaveAs] = [this] { SaveAs(); };
    opFuncs_.Slots[osPaste] = [this] { Paste(); };
    opFuncs_.Slots[osMarkAll] = [this] { MarkAll(); };
    opFuncs_.Slots[osPrint] = [this] { Print(); };
}

void TFWrkList::connectList()
{
    PL->OnPress = [this](int x) {
        std::array<int, 7> widths{};
        for (int i = 0; i < 7; ++i)
            widths[size_t(i)] = PL->horizontalHeader()->sectionSize(i);
        core_.ClickedColumn = WrkClickedColumn(x, PL->columnViewportPosition(0), widths);
    };
    PL->OnDoubleClick = [this] { DoubleClick(); };
    PL->OnDeleteKey = [this] { Delete(); };
    PL->OnStartDrag = [this] { startDrag(); };
    PL->OnDragOver = [this](const QMimeData* d) { return dragAccepted(d); };
    PL->OnDrop = [this](const QMimeData*, int row) { drop(row); };
    connect(PL->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { listSelectionChanged(); });
    connect(PL->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
        // The menu's keys act as its entries would.
        ListPopup();
        UpdateEditors(cur.isValid() ? cur.row() : -1);
    });
    // A list holding only the trailing row gives that row the focus.
    connect(&core_.Model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        if (core_.Model().TrailingRow() == 0 && !PL->currentIndex().isValid())
            PL->setCurrentIndex(core_.Model().index(0, 0));
    });
    connect(RemarkMemo, &QPlainTextEdit::selectionChanged, this, [this] { memoSelectionMayHaveChanged(); });
    RemarkMemo->installEventFilter(this);
}

void TFWrkList::ApplyText(int Id, const QString& Text)
{
    switch (Id) {
    case wltEditValMenu: MiEditVal->setText(Text); break;
    case wltEditSetMenu: MiEditSet->setText(Text); break;
    case wltEditRemMenu: MiEditRem->setText(Text); break;
    case wltEditAdrMenu: MiEditAdr->setText(Text); break;
    case wltEditInvMenu: MiEditInv->setText(Text); break;
    case wltInsBlankMenu: MiInsertBlank->setText(Text); break;
    case wltSaveMenu: MiSaveList->setText(Text); break;
    case wltSaveAsMenu: MiSaveAs->setText(Text); break;
    case wltAddToPrjMenu:
        if (miAddToPrj->text() == addToPrjText_)
            miAddToPrj->setText(Text);
        addToPrjText_ = Text;
        break;
    case wltRemFromPrjMenu:
        if (miAddToPrj->text() == remFromPrjText_)
            miAddToPrj->setText(Text);
        remFromPrjText_ = Text;
        break;
    case wltCutMenu: MiCut->setText(Text); MiCutItem->setText(Text); break;
    case wltCopyMenu: MiCopy->setText(Text); MiCopyItem->setText(Text); break;
    case wltInsertMenu: MiPaste->setText(Text); MiPasteItem->setText(Text); break;
    case wltDeleteMenu: MiDelete->setText(Text); MiDelItem->setText(Text); break;
    case wltMarkAllMenu: MiMarkAll->setText(Text); MiMarkAllItem->setText(Text); break;
    case wltDefColWidthMenu: miSetDefColWidth->setText(Text); break;
    case wltPrintCaption: core_.PrintCaptionText = Text; break;
    case wltAppName: core_.AppNameText = Text; break;
    case wltPageFooter: core_.PageFooterText = Text; break;
    case wltVersion: core_.VersionText = Text; break;
    case wltFileDate: core_.FileDateText = Text; break;
    case wltPrintDate: core_.PrintDateText = Text; break;
    default: break;
    }
}

// ------------------------------------------------------------------ rows and selection

int TFWrkList::FocusedRow() const
{
    const QModelIndex i = PL->currentIndex();
    return i.isValid() ? i.row() : core_.Model().TrailingRow();
}

std::vector<int> TFWrkList::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& i : PL->selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool TFWrkList::MemoActive() const
{
    return focusWidget() == RemarkMemo;
}

bool TFWrkList::realRow(int Row) const
{
    const std::shared_ptr<TWrkListItem>& item = core_.Model().Item(Row);
    return item && !item->IsBlank();
}

void TFWrkList::handOver()
{
    Tools->MainForm.SetPrgOpFuncs(&opFuncs_);
}

bool TFWrkList::setSelectionSlots(bool On)
{
    if (opFuncs_.Filled(osCopy) == On)
        return false;
    if (On) {
        opFuncs_.Slots[osCut] = [this] { Cut(); };
        opFuncs_.Slots[osCopy] = [this] { Copy(); };
        opFuncs_.Slots[osDelete] = [this] { Delete(); };
    } else {
        opFuncs_.Slots[osCut] = nullptr;
        opFuncs_.Slots[osCopy] = nullptr;
        opFuncs_.Slots[osDelete] = nullptr;
    }
    return true;
}

void TFWrkList::listSelectionChanged()
{
    // Only whether more than the trailing row is selected matters: the
    // selection's ranges tell that without listing its rows (which, done at
    // every change while thousands of rows go, made deleting them slow).
    const int trailing = core_.Model().TrailingRow();
    bool realSelected = false;
    for (const QItemSelectionRange& r : PL->selectionModel()->selection())
        if (r.isValid() && r.top() < trailing)
            realSelected = true;
    if (setSelectionSlots(realSelected))
        handOver();
    ListPopup();
}

void TFWrkList::memoSelectionMayHaveChanged()
{
    if (setSelectionSlots(RemarkMemo->textCursor().hasSelection()))
        handOver();
}

bool TFWrkList::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == RemarkMemo) {
        switch (e->type()) {
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            memoSelectionMayHaveChanged();
            break;
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            // Cut, copy, paste and select all go through the internal
            // clipboard, as the memo's menu does.
            auto* k = static_cast<QKeyEvent*>(e);
            void (TFWrkList::*op)() = nullptr;
            if (k->matches(QKeySequence::Cut))
                op = &TFWrkList::Cut;
            else if (k->matches(QKeySequence::Copy))
                op = &TFWrkList::Copy;
            else if (k->matches(QKeySequence::Paste))
                op = &TFWrkList::Paste;
            else if (k->matches(QKeySequence::SelectAll))
                op = &TFWrkList::MarkAll;
            if (!op)
                break;
            if (e->type() == QEvent::ShortcutOverride) {
                e->accept();
            } else {
                (this->*op)();
            }
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ------------------------------------------------------------------ menus

void TFWrkList::ListPopup()
{
    const TWrkListMenuState m = core_.ListMenuState(PL->currentIndex().isValid() ? PL->currentIndex().row() : -1,
                                                    opFuncs_.Filled(osCopy));
    miAddToPrj->setEnabled(m.AddToPrjEnabled);
    miAddToPrj->setText(m.AddToPrjIsAdd ? addToPrjText_ : remFromPrjText_);
    if (!m.HasFocusedRow)
        return;
    MiEditInv->setEnabled(m.EditInv);
    MiEditAdr->setEnabled(m.EditAdr);
    MiEditSet->setEnabled(m.EditSet);
    MiEditRem->setEnabled(m.EditRem);
    MiEditVal->setEnabled(m.EditVal);
    MiCut->setEnabled(m.CutCopyDelete);
    MiCopy->setEnabled(m.CutCopyDelete);
    MiDelete->setEnabled(m.CutCopyDelete);
}

void TFWrkList::TextPopup()
{
    const bool sel = RemarkMemo->textCursor().hasSelection();
    MiCutItem->setEnabled(sel);
    MiCopyItem->setEnabled(sel);
    MiDelItem->setEnabled(sel);
}

void TFWrkList::ResetColumnWidths()
{
    core_.ResetColWidths();
    ApplyColumnWidths();
}

void TFWrkList::AddToOrRemoveFromPrj()
{
    if (!core_.Project || core_.FileName.isEmpty())
        return;
    if (miAddToPrj->text() != addToPrjText_)
        core_.Project->RemoveFile(core_.FileName);
    else
        core_.Project->AskAddFile(core_.FileName);
}

// ------------------------------------------------------------------ editors

void TFWrkList::editValueFor(int Row)
{
    TfrmValEdit* ed = Tools->ValEdit;
    if (!ed)
        return;
    const std::shared_ptr<TWrkListItem>& item = core_.Model().Item(Row);
    if (item && !item->IsBlank() && item->Para)
        ed->EditValue(item->SetSel, item->Inverter, item->Para, core_.ValueLabel(Row), core_.ValueStart(Row), nullptr);
    else if (item && !item->IsBlank())
        ed->EditValue(item->SetSel, item->Inverter, nullptr, core_.UnknownParaText, 0, nullptr);
    else
        ed->EditValue(0, 0, nullptr, core_.UnknownParaText, 0, nullptr);
}

void TFWrkList::editSetFor(int Row)
{
    TfrmSetEdit* ed = Tools->SetEdit;
    if (!ed)
        return;
    if (!realRow(Row)) {
        ed->EditSet(-1, core_.UnknownParaText, nullptr);
        return;
    }
    QPointer<TFWrkList> self(this);
    ed->EditSet(int16_t(core_.Model().Item(Row)->SetSel), core_.DescriptionText(Row), [self](int16_t sel) {
        if (self)
            self->core_.ChangeSet(self->SelectedRows(), sel);
    });
}

void TFWrkList::editRemarkFor(int Row)
{
    TfrmRemEdit* ed = Tools->RemEdit;
    if (!ed)
        return;
    if (!realRow(Row)) {
        ed->EditRemark(QString(), core_.UnknownParaText, nullptr);
        return;
    }
    QPointer<TFWrkList> self(this);
    ed->EditRemark(core_.Model().Text(Row, TWrkListModel::colRemark), core_.DescriptionText(Row),
                 [self](const QString& text) {
                     if (self)
                         self->core_.ChangeRemark(self->FocusedRow(), text);
                 });
}

void TFWrkList::editAddressFor(int Row)
{
    TfrmAdrEdit* ed = Tools->AdrEdit;
    if (!ed)
        return;
    if (!realRow(Row)) {
        ed->EditAddress(-1, core_.UnknownParaText, false, nullptr, 0);
        return;
    }
    const std::shared_ptr<TWrkListItem>& item = core_.Model().Item(Row);
    QPointer<TFWrkList> self(this);
    ed->EditAddress(
        item->Inverter, core_.DescriptionText(Row), false,
        [self](int16_t adr) {
            if (self)
                self->core_.ChangeAddress(self->FocusedRow(), uint16_t(adr));
        },
        int16_t(item->Address));
}

void TFWrkList::EditInverter()
{
    TfrmInvSel* sel = Tools->InvSel;
    const int row = FocusedRow();
    if (!sel || !realRow(row))
        return;
    QPointer<TFWrkList> self(this);
    sel->ShowSelect(
        core_.DescriptionText(row), int16_t(core_.Model().Item(row)->Inverter),
        [self](int16_t inv) {
            if (self)
                self->core_.ChangeInverter(self->SelectedRows(), inv);
        },
        this);
}

void TFWrkList::UpdateEditors(int Row)
{
    const TWrkListTools& t = *Tools;
    if (t.RemEdit && t.RemEdit->isVisible())
        editRemarkFor(Row);
    if (t.ValEdit && t.ValEdit->isVisible())
        editValueFor(Row);
    if (t.SetEdit && t.SetEdit->isVisible())
        editSetFor(Row);
    if (t.AdrEdit && t.AdrEdit->isVisible())
        editAddressFor(Row);
}

void TFWrkList::DoubleClick()
{
    const int row = FocusedRow();
    if (!realRow(row))
        return;
    switch (core_.ClickedColumn) {
    case 0: EditInverter(); break;
    case 1: editAddressFor(row); break;
    case 2: editSetFor(row); break;
    case 6: editRemarkFor(row); break;
    default:
        if (core_.Model().Item(row)->Para)
            editValueFor(row);
        break;
    }
}

// ------------------------------------------------------------------ clipboard

void TFWrkList::Copy()
{
    if (!ClpBrd)
        return;
    if (MemoActive()) {
        if (!RemarkMemo->textCursor().hasSelection())
            return;
        auto c = std::make_unique<TIntClpBrd>();
        c->Lines = {memoSelection(*RemarkMemo)};
        c->Flags = cbfTextOnly;
        ClpBrd->SetIntClpBrd(std::move(c));
        return;
    }
    ClpBrd->SetIntClpBrd(core_.CopyRows(SelectedRows()));
}

void TFWrkList::Delete()
{
    if (MemoActive()) {
        RemarkMemo->textCursor().removeSelectedText();
        return;
    }
    core_.DeleteRows(SelectedRows());
}

void TFWrkList::Cut()
{
    Copy();
    Delete();
}

void TFWrkList::Paste()
{
    const TIntClpBrd* c = ClpBrd ? ClpBrd->Content() : nullptr;
    if (!c)
        return;
    if (MemoActive()) {
        if (!c->HasLines())
            return;
        QString text;
        for (const QString& l : c->Lines)
            text += l + u'\n';
        RemarkMemo->textCursor().insertText(text);
        return;
    }
    core_.PasteContent(*c, FocusedRow());
}

void TFWrkList::MarkAll()
{
    if (MemoActive())
        RemarkMemo->selectAll();
    else
        PL->selectAll();
}

// ------------------------------------------------------------------ drag and drop

bool TFWrkList::PrepareDrag()
{
    if (!DragDropObj)
        return false;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        DragDropObj->Kind = ddkNone;
        return false;
    }
    // The records themselves: a drop elsewhere copies them.
    std::vector<std::shared_ptr<void>> items;
    for (int r : rows)
        if (const std::shared_ptr<TWrkListItem>& item = core_.Model().Item(r))
            items.push_back(item);
    return DragDropObj->Start(PL, ddkWrkRows, std::move(items), 0, 0);
}

void TFWrkList::startDrag()
{
    if (PrepareDrag())
        ExecDrag(*DragDropObj, PL);
}

bool TFWrkList::dragAccepted(const QMimeData* Data) const
{
    return DragDropObj && DragDropObj->Accepts(Data, PL, {ddkExplParams, ddkDwnLines, ddkWrkRows});
}

void TFWrkList::drop(int Row)
{
    if (DragDropObj)
        core_.DropItems(*DragDropObj, Row >= 0 ? Row : FocusedRow());
}

// ------------------------------------------------------------------ print

void TFWrkList::Print()
{
    TFrmvortalinprint* p = Tools->Print;
    if (!p)
        return;
    PrintListJob(*p, core_.PrintJob(QDateTime::currentDateTime()));
}
