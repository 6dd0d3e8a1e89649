#include "quintel/cp_window.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/print_tab_widths.h"
#include "dialogs/shared_objects.h"
#include "lists/val_edit.h"
#include "quintel/cp_table_view.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The context command's glyph: a small inverter cabinet with a sine.
QPixmap inverterGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(2, 1, 11, 13);
    p.setPen(QColor(0, 0, 0x80));
    p.drawLine(4, 8, 5, 5);
    p.drawLine(5, 5, 7, 8);
    p.drawLine(7, 8, 9, 11);
    p.drawLine(9, 11, 11, 8);
    return pm;
}

}  // namespace

QPoint CpWindowPos(int i, int mainBottom) { return {25 + 25 * i, mainBottom + 25 + 25 * i}; }

TfrmCpWindow* ShowQuintelWindow(const TCpWindowEnv& Env, int a, int Language)
{
    if (!Env.Windows)
        return nullptr;
    TQuintelWindows& windows = *Env.Windows;
    if (a < 0)
        a = 0;
    int freeEntry = -1;
    for (int i = 0; i < kQuintelWindowCount; ++i) {
        TfrmCpWindow* w = windows[size_t(i)];
        if (!w) {
            freeEntry = i;
            break;
        }
        if (w->InvAdr() == a) {
            w->Restart();
            return w;
        }
    }
    if (freeEntry < 0) {
        const TVortalinText* t = Env.Texts;
        const QStringList* msg = t ? t->GetStrings(2, 13) : nullptr;
        const QStringList* btn = t ? t->GetStrings(0, 6) : nullptr;
        const QStringList m = msg ? *msg : QStringList{};
        const QStringList b = btn ? *btn : QStringList{};
        Env.ShowMessage(m, b, QString(), icInformation, {}, {}, {}, 0, -1);
        return nullptr;
    }
    auto* w = new TfrmCpWindow(Env, a, Language);
    windows[size_t(freeEntry)] = w;
    const QRect bar = Env.MainForm.BarFrame();
    const int bottom = bar.top() + bar.height();
    w->move(CpWindowPos(freeEntry, bottom));
    w->show();
    w->Restart();
    return w;
}

TfrmCpWindow::TfrmCpWindow(const TCpWindowEnv& Env, int a, int Language, QWidget* parent)
    : QWidget(parent, Qt::Window), ContextItems(this), env_(Env), core_(env_, Language, this)
{
    setObjectName(QStringLiteral("frmCpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(DefaultWidth, DefaultHeight);

    ListView1 = NewCpTableView(&core_.Rows, this, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListView1);

    // 1. Context commands; handed over twice so that the main window takes
    // the new list even where it held one at the same place.
    const TVortalinText* t = env_.Texts;
    auto text = [t](int s, int i) { return t ? t->GetText(s, i) : QString(); };
    ContextItems.Add(text(5, 47), {}, {}, 0, true);
    TContextItem& sel = ContextItems.Add(text(0, 11), [this](QObject*) { SelectInverter(); }, text(0, 11), 0, true);
    sel.Glyph = inverterGlyph();
    env_.MainForm.SetContextFuncs(nullptr);
    env_.MainForm.SetContextFuncs(&ContextItems);
    // 2. The inverter and the caption.
    core_.OnCaptionChanged = [this] { updateCaption(); };
    core_.OnReleaseEntries = [this] { releaseEditor(); };
    core_.InvAdr = a;
    updateCaption();
    // 3. Scheduler client, not polled yet.
    core_.Register(this);
    // 4. Copy and print; the column headers.
    OpFuncs.Owner = this;
    OpFuncs.Slots[osCopy] = [this] { CopyToClipboard(); };
    OpFuncs.Slots[osPrint] = [this] { Print(); };
    const std::pair<int, int> headers[] = {{0, 47}, {0, 2}, {0, 1}, {0, 3}};
    for (int c = 0; c < 4; ++c)
        core_.Rows.SetCaption(c, text(headers[c].first, headers[c].second));
    connect(&core_.Rows, &TCpRowModel::widthsChanged, this, [this] { applyWidths(); });
    applyWidths();

    connect(ListView1, &QTableView::doubleClicked, this, [this] { EditSelected(); });
    // While the editor is shown it follows the selection.
    connect(ListView1, &QTableView::clicked, this, [this] {
        if (editorShown())
            EditSelected();
    });
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (editorShown())
            EditSelected();
    });
}

TfrmCpWindow::~TfrmCpWindow()
{
    core_.OnReleaseEntries = nullptr;
    core_.OnCaptionChanged = nullptr;
    // The entry is free once the window has gone (its QPointer clears).
    core_.Unregister();
}

void TfrmCpWindow::updateCaption() { setWindowTitle(core_.GetCaption()); }

void TfrmCpWindow::applyWidths()
{
    for (int c = 0; c < 4; ++c) {
        const int w = core_.Rows.Width(c);
        ListView1->setColumnHidden(c, w <= 0);
        if (w > 0)
            ListView1->setColumnWidth(c, w);
    }
}

bool TfrmCpWindow::editorShown() const
{
    return env_.ValEdit && env_.ValEdit->isVisible();
}

void TfrmCpWindow::releaseEditor()
{
    TfrmValEdit* ed = env_.ValEdit;
    if (ed && ed->isVisible() && core_.OwnsPara(ed->Core().Para.get()))
        ed->EditValue(0, core_.InvAdr, nullptr, QString(), 0, {});
}

void TfrmCpWindow::EditSelected()
{
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid() || !env_.ValEdit)
        return;
    const std::optional<TCpEditArgs> a = core_.EditArgs(current.row());
    if (!a)
        return;
    env_.ValEdit->EditValue(a->SetSel, a->Inverter, a->Para, a->Label, a->Value, {});
}

void TfrmCpWindow::SelectInverter()
{
    if (!env_.InvSel)
        return;
    const TVortalinText* t = env_.Texts;
    int16_t adr = int16_t(core_.InvAdr);
    if (env_.InvSel->SelectInv((t ? t->GetText(5, 0) : QString()) + QStringLiteral("; ") + GetCaption(),
                                      adr) != 1)
        return;
    core_.SetInverter(adr);
}

void TfrmCpWindow::Print()
{
    if (core_.Rows.Count() == 0) {
        const QStringList* l = env_.Texts ? env_.Texts->GetStrings(0, 21) : nullptr;
        core_.Message(l ? *l : QStringList{}, GetCaption(), icError);
        return;
    }
    TFrmvortalinprint* pf = env_.Print;
    if (!pf)
        return;
    const TCpPrintJob j = core_.PrintJob();
    if (!pf->BeginPrint(j.Title, j.Header, j.PageText))
        return;
    for (const QString& l : j.Lines)
        pf->PrintLine(l);
    const QList<int> tabs = TabWidthsToPercent(QList<int>(j.ColWidths.begin(), j.ColWidths.end()));
    for (int i = 0; i < tabs.size(); ++i)
        pf->SetTabWidth(i, tabs[i]);
    pf->SetHeader(j.HeaderLine);
    pf->PrintList(&j.Rows);
    pf->EndPrint();
}

void TfrmCpWindow::Activated()
{
    env_.MainForm.HandOver(&OpFuncs, &ContextItems);
}

void TfrmCpWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Activated();
}

bool TfrmCpWindow::eventFilter(QObject* o, QEvent* e)
{
    if (o == ListView1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EditSelected();
            return true;  // consumed by the table
        }
    }
    return QWidget::eventFilter(o, e);
}

void TfrmCpWindow::closeEvent(QCloseEvent* e)
{
    if (editorShown())
        env_.ValEdit->EditValue(0, core_.InvAdr, nullptr, QString(), 0, {});
    env_.MainForm.HandOver(nullptr, nullptr);
    e->accept();
}
