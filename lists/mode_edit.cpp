#include "lists/mode_edit.h"

#include "dialogs/glyph_button.h"
#include "lists/tool_editor_fit.h"
#include "dialogs/window_activate.h"
#include "dialogs/window_place.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QResizeEvent>

TfrmModeEdit::TfrmModeEdit(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmModeEdit"));
    setWindowTitle(QStringLiteral("frmModeEdit"));
    setModal(false);
    resize(300, 84);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 6, 284, 16);

    OkButton = new TVarneGlyphButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->SetGlyphKind(glOK);
    OkButton->setText(QStringLiteral("Okey"));
    OkButton->setDefault(true);
    OkButton->setFocusPolicy(Qt::NoFocus);
    OkButton->setGeometry(130, 54, 75, 25);

    CancelButton = new TVarneGlyphButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->SetGlyphKind(glCancel);
    CancelButton->setText(QStringLiteral("Cansel"));
    CancelButton->setFocusPolicy(Qt::NoFocus);
    CancelButton->setGeometry(215, 54, 75, 25);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("RW-Read+Write"), QStringLiteral("RO-Read Only"),
                         QStringLiteral("WA-Write Always"), QStringLiteral("WO-Write Only")});
    ComboBox1->setGeometry(8, 26, 284, 22);

    connect(OkButton, &QPushButton::clicked, this, &TfrmModeEdit::OKBtnClick);
    connect(CancelButton, &QPushButton::clicked, this, &TfrmModeEdit::CancelBtnClick);

    ApplyToolEditorFit(*this, *OkButton, *CancelButton);
    ComboBox1->resize(width() - 2 * ComboBox1->x(), ComboBox1->height());
    OkButton->setEnabled(false);
}

TfrmModeEdit::~TfrmModeEdit() = default;

void TfrmModeEdit::SelectMode(int mode)
{
    // A blank line or user step carries no mode 0..3: nothing is selected.
    ComboBox1->setCurrentIndex(mode >= 0 && mode < ComboBox1->count() ? mode : -1);
}

void TfrmModeEdit::EditMode(const QString& Label, int Mode, TOnModeChanged Callback)
{
    OnModeChanged = std::move(Callback);
    OkButton->setEnabled(bool(OnModeChanged));
    StartMode = Mode;
    SelectMode(Mode);
    Label1->setText(Label);
    if (!isVisible()) {
        if (!placed_) {
            CentreOnWorkArea(this);
            placed_ = true;
        }
        show();
    }
}

void TfrmModeEdit::OKBtnClick()
{
    // Without a mode picked there is nothing the download list could take.
    if (!OnModeChanged || ComboBox1->currentIndex() < 0)
        return;
    const TOnModeChanged callback = OnModeChanged;
    callback(ComboBox1->currentIndex());
    if (CloseOnOK)
        hide();
}

void TfrmModeEdit::CancelBtnClick()
{
    if (CloseOnCancel)
        hide();
    else
        SelectMode(StartMode);
}

void TfrmModeEdit::reject()
{
    CancelBtnClick();
}

void TfrmModeEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ComboBox1->setFocus();
    if (!event->spontaneous())
        ActivateWhenShown(this);
}

void TfrmModeEdit::closeEvent(QCloseEvent* event)
{
    hide();
    event->accept();
}

void TfrmModeEdit::SetOkText(const QString& text) { OkButton->setText(text); }
void TfrmModeEdit::SetCancelText(const QString& text) { CancelButton->setText(text); }
void TfrmModeEdit::SetCaptionText(const QString& text) { setWindowTitle(text); }

void TfrmModeEdit::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (!event->oldSize().isValid())
        return;
    const int dw = event->size().width() - event->oldSize().width();
    Label1->resize(Label1->width() + dw, Label1->height());
    ComboBox1->resize(ComboBox1->width() + dw, ComboBox1->height());
    OkButton->move(OkButton->x() + dw, OkButton->y());
    CancelButton->move(CancelButton->x() + dw, CancelButton->y());
}
