#include "lists/rem_edit.h"

#include "dialogs/glyph_button.h"
#include "lists/tool_editor_fit.h"
#include "dialogs/window_activate.h"
#include "dialogs/window_place.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QResizeEvent>

TfrmRemEdit::TfrmRemEdit(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmRemEdit"));
    setWindowTitle(QStringLiteral("Remark Editor"));
    setModal(false);
    resize(300, 110);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 6, 284, 16);

    RemEdit = new QLineEdit(this);
    RemEdit->setObjectName(QStringLiteral("RemEdit"));
    RemEdit->setGeometry(8, 26, 284, 22);
    RemEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    RemEdit->installEventFilter(this);

    PopupTxt = new QMenu(this);
    PopupTxt->setObjectName(QStringLiteral("PopupTxt"));
    auto item = [this](const char* name, const QString& caption, const QKeySequence& key, void (TfrmRemEdit::*op)()) {
        QAction* a = PopupTxt->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, op);
        return a;
    };
    MiCutItem = item("MiCutItem", QStringLiteral("Ausschneiden"), QKeySequence(Qt::CTRL | Qt::Key_X), &TfrmRemEdit::Cut);
    MiCopyItem = item("MiCopyItem", QStringLiteral("Kopieren"), QKeySequence(Qt::CTRL | Qt::Key_C), &TfrmRemEdit::Copy);
    MiPasteItem =
        item("MiPasteItem", QStringLiteral("Einfügen"), QKeySequence(Qt::CTRL | Qt::Key_V), &TfrmRemEdit::Paste);
    MiDelItem = item("MiDelItem", QStringLiteral("Löschen"), {}, &TfrmRemEdit::Delete);
    MiMarkAllItem = item("MiMarkAllItem", QStringLiteral("Alles Markieren"), {}, &TfrmRemEdit::MarkAll);
    connect(RemEdit, &QWidget::customContextMenuRequested, this, &TfrmRemEdit::showPopup);

    OkButton = new TVarneGlyphButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->SetGlyphKind(glOK);
    OkButton->setText(QStringLiteral("OK"));
    OkButton->setDefault(true);
    OkButton->setGeometry(130, 56, 75, 25);
    CancelButton = new TVarneGlyphButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->SetGlyphKind(glCancel);
    CancelButton->setText(QStringLiteral("Cancel"));
    CancelButton->setGeometry(215, 56, 75, 25);
    connect(OkButton, &QPushButton::clicked, this, &TfrmRemEdit::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TfrmRemEdit::CancelClick);

    ApplyToolEditorFit(*this, *OkButton, *CancelButton);
    OkButton->setEnabled(false);

    // The slots the editor offers; which of them are filled follows the
    // edit field's selection and the clipboard.
    opFuncs_.Owner = this;
    opFuncs_.Slots[osMarkAll] = [this] { MarkAll(); };
    connect(RemEdit, &QLineEdit::textChanged, this, &TfrmRemEdit::SelectionMayHaveChanged);
    connect(RemEdit, &QLineEdit::selectionChanged, this, &TfrmRemEdit::SelectionMayHaveChanged);
}

TfrmRemEdit::~TfrmRemEdit() = default;

void TfrmRemEdit::SetMainForm(TVortalinClpBrd* ClpBrd, IMainForm* Main)
{
    clpBrd_ = ClpBrd;
    main_ = Main;
    enabled_ = ClpBrd != nullptr;
}

void TfrmRemEdit::EditRemark(const QString& Text, const QString& Description, TOnRemarkEvent onRemark)
{
    if (!enabled_)
        return;
    OnRemark = std::move(onRemark);
    OkButton->setEnabled(bool(OnRemark));
    orgText_ = Text;
    RemEdit->setText(Text);
    Label1->setText(Description);
    if (!isVisible()) {
        if (!placed_) {
            CentreOnWorkArea(this);
            placed_ = true;
        }
        show();
    }
}

// ---- operation slots

void TfrmRemEdit::handOver(PTOperatingFuncs funcs)
{
    main_.SetPrgOpFuncs(funcs);
}

void TfrmRemEdit::setSelectionSlots(bool on)
{
    for (int slot : {osCut, osCopy, osDelete})
        opFuncs_.Slots[size_t(slot)] = {};
    if (!on)
        return;
    opFuncs_.Slots[osCut] = [this] { Cut(); };
    opFuncs_.Slots[osCopy] = [this] { Copy(); };
    opFuncs_.Slots[osDelete] = [this] { Delete(); };
}

void TfrmRemEdit::Activated()
{
    RemEdit->setFocus();
    setSelectionSlots(RemEdit->hasSelectedText());
    opFuncs_.Slots[osPaste] = {};
    if (clipboardHasText())
        opFuncs_.Slots[osPaste] = [this] { Paste(); };
    handOver(&opFuncs_);
}

void TfrmRemEdit::SelectionMayHaveChanged()
{
    const bool selected = RemEdit->hasSelectedText();
    if (selected == opFuncs_.Filled(osCopy))
        return;
    setSelectionSlots(selected);
    // Only the active editor's record belongs to the main window: a caller
    // re-pointing the editor while its own window is active keeps its menu.
    if (isActiveWindow())
        handOver(&opFuncs_);
}

bool TfrmRemEdit::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate) {
        const bool r = QDialog::event(e);
        Activated();
        return r;
    }
    return QDialog::event(e);
}

bool TfrmRemEdit::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == RemEdit) {
        switch (e->type()) {
        case QEvent::KeyPress: {
            // The edit keys go through the internal clipboard, not straight
            // to the system's.
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->matches(QKeySequence::Cut)) {
                Cut();
                return true;
            }
            if (k->matches(QKeySequence::Copy)) {
                Copy();
                return true;
            }
            if (k->matches(QKeySequence::Paste)) {
                Paste();
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
            SelectionMayHaveChanged();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmRemEdit::showPopup(const QPoint& pos)
{
    const bool selected = RemEdit->hasSelectedText();
    MiCutItem->setEnabled(selected);
    MiCopyItem->setEnabled(selected);
    MiDelItem->setEnabled(selected);
    PopupTxt->popup(RemEdit->mapToGlobal(pos));
}

// ---- edit commands

bool TfrmRemEdit::clipboardHasText() const
{
    const TIntClpBrd* c = clpBrd_ ? clpBrd_->Content() : nullptr;
    return c && c->HasLines();
}

void TfrmRemEdit::Copy()
{
    if (!clpBrd_ || !RemEdit->hasSelectedText())
        return;
    auto c = std::make_unique<TIntClpBrd>();
    c->Lines = {RemEdit->selectedText()};
    c->Flags = cbfTextOnly;
    clpBrd_->SetIntClpBrd(std::move(c));
}

void TfrmRemEdit::Cut()
{
    if (!clpBrd_ || !RemEdit->hasSelectedText())
        return;
    Copy();
    RemEdit->insert(QString());
}

void TfrmRemEdit::Paste()
{
    const TIntClpBrd* c = clpBrd_ ? clpBrd_->Content() : nullptr;
    // A text content without any line has nothing to paste.
    if (!c || !c->HasLines() || c->Lines.isEmpty())
        return;
    RemEdit->insert(c->Lines.first());
}

void TfrmRemEdit::Delete()
{
    if (RemEdit->hasSelectedText())
        RemEdit->insert(QString());
}

void TfrmRemEdit::MarkAll()
{
    RemEdit->setFocus();
    RemEdit->selectAll();
}

// ---- buttons and window

void TfrmRemEdit::OkClick()
{
    if (!OnRemark)
        return;
    // The callback may re-point the editor; call a copy.
    const TOnRemarkEvent onRemark = OnRemark;
    onRemark(RemEdit->text());
    if (CloseOnOK)
        hide();
}

void TfrmRemEdit::CancelClick()
{
    if (CloseOnCancel)
        hide();
    else
        RemEdit->setText(orgText_);
}

void TfrmRemEdit::reject()
{
    CancelClick();
}

void TfrmRemEdit::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        ActivateWhenShown(this);
}

void TfrmRemEdit::closeEvent(QCloseEvent* e)
{
    // Closing only hides; the window lives for the whole run.
    hide();
    e->accept();
}

void TfrmRemEdit::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    // Withdrawn, so that the main menu no longer acts on the hidden field.
    if (!e->spontaneous())
        handOver(nullptr);
}

void TfrmRemEdit::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (!e->oldSize().isValid())
        return;
    // The label and the field stretch, the buttons keep their distance
    // from the right edge.
    const int dw = e->size().width() - e->oldSize().width();
    Label1->resize(Label1->width() + dw, Label1->height());
    RemEdit->resize(RemEdit->width() + dw, RemEdit->height());
    OkButton->move(OkButton->x() + dw, OkButton->y());
    CancelButton->move(CancelButton->x() + dw, CancelButton->y());
}

void TfrmRemEdit::SetOkText(const QString& text) { OkButton->setText(text); }
void TfrmRemEdit::SetCancelText(const QString& text) { CancelButton->setText(text); }
void TfrmRemEdit::SetCaptionText(const QString& text) { setWindowTitle(text); }
