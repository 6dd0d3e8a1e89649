#include "lists/set_edit.h"

#include "dialogs/glyph_button.h"
#include "lists/tool_editor_fit.h"
#include "dialogs/window_activate.h"
#include "dialogs/window_place.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QShowEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

TfrmSetEdit::TfrmSetEdit(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmSetEdit"));
    setWindowTitle(QStringLiteral("Set Editor"));
    setModal(false);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 6, 304, 16);

    EnhSetRB = new QRadioButton(QStringLiteral("Enhanced"), this);
    EnhSetRB->setObjectName(QStringLiteral("EnhSetRB"));
    EnhSetRB->setGeometry(8, 26, 120, 20);

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(150, 28, 16, 16);
    AllLabel = new QLabel(QStringLiteral("All"), this);
    AllLabel->setObjectName(QStringLiteral("AllLabel"));
    AllLabel->setGeometry(170, 28, 100, 16);

    for (int i = 0; i < 8; ++i) {
        auto* box = new QCheckBox(QString::number(i) + u':', this);
        box->setObjectName(QStringLiteral("CheckBox") + QString::number(i));
        // Caption left of the box.
        box->setLayoutDirection(Qt::RightToLeft);
        box->setGeometry(8 + i * 38, 48, 36, 20);
        box->setProperty("Tag", 1 << i);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            state_.SetBox(i, on);
            syncControls();
        });
        CheckBox[size_t(i)] = box;
    }

    ActSetRB = new QRadioButton(QStringLiteral("Actual Set"), this);
    ActSetRB->setObjectName(QStringLiteral("ActSetRB"));
    ActSetRB->setGeometry(8, 76, 140, 20);
    IndirectSetRB = new QRadioButton(QStringLiteral("Indirect "), this);
    IndirectSetRB->setObjectName(QStringLiteral("IndirectSetRB"));
    IndirectSetRB->setGeometry(8, 98, 140, 20);

    OkButton = new TVarneGlyphButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->SetGlyphKind(glOK);
    OkButton->setText(QStringLiteral("OK"));
    OkButton->setDefault(true);
    OkButton->setGeometry(156, 84, 75, 25);
    CancelButton = new TVarneGlyphButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->SetGlyphKind(glCancel);
    CancelButton->setText(QStringLiteral("Cancel"));
    CancelButton->setGeometry(238, 84, 75, 25);

    connect(EnhSetRB, &QRadioButton::clicked, this, [this] {
        state_.Choose(TSetEditState::chEnhanced);
        syncControls();
    });
    connect(ActSetRB, &QRadioButton::clicked, this, [this] {
        state_.Choose(TSetEditState::chActual);
        syncControls();
    });
    connect(IndirectSetRB, &QRadioButton::clicked, this, [this] {
        state_.Choose(TSetEditState::chIndirect);
        syncControls();
    });
    connect(Button1, &QPushButton::clicked, this, [this] {
        state_.All();
        syncControls();
    });
    connect(OkButton, &QPushButton::clicked, this, &TfrmSetEdit::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TfrmSetEdit::CancelClick);

    resize(320, 116);
    ApplyToolEditorFit(*this, *OkButton, *CancelButton);
    setFixedSize(size());
    OkButton->setEnabled(false);
    syncControls();
}

TfrmSetEdit::~TfrmSetEdit() = default;

void TfrmSetEdit::syncControls()
{
    for (int i = 0; i < 8; ++i) {
        QCheckBox* box = CheckBox[size_t(i)];
        const QSignalBlocker block(box);
        box->setChecked(state_.Box(i));
        box->setEnabled(state_.BoxesEnabled());
    }
    QRadioButton* chosen = state_.Choice() == TSetEditState::chEnhanced ? EnhSetRB
                           : state_.Choice() == TSetEditState::chActual ? ActSetRB
                                                                          : IndirectSetRB;
    const QSignalBlocker block(chosen);
    chosen->setChecked(true);
}

void TfrmSetEdit::ShowSet(int sel)
{
    state_.ShowSet(sel);
    syncControls();
}

void TfrmSetEdit::EditSet(int16_t Sel, const QString& Description, TOnSetEvent onSet)
{
    OnSet = std::move(onSet);
    OkButton->setEnabled(bool(OnSet));
    orgSel_ = Sel;
    Label1->setText(Description);
    ShowSet(Sel);
    if (!isVisible()) {
        if (!placed_) {
            CentreOnWorkArea(this);
            placed_ = true;
        }
        show();
        if (OnSet)
            OkButton->setFocus();
    }
}

void TfrmSetEdit::OkClick()
{
    if (!OnSet)
        return;
    // The callback may re-point the editor; call a copy.
    const TOnSetEvent onSet = OnSet;
    onSet(GetSet());
    if (CloseOnOK)
        hide();
}

void TfrmSetEdit::CancelClick()
{
    if (CloseOnCancel)
        hide();
    else
        ShowSet(orgSel_);
}

void TfrmSetEdit::reject()
{
    CancelClick();
}

void TfrmSetEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ActivateWhenShown(this);
}

void TfrmSetEdit::closeEvent(QCloseEvent* event)
{
    // Closing only hides; the window lives for the whole run.
    hide();
    event->accept();
}

void TfrmSetEdit::SetEnhancedText(const QString& text) { EnhSetRB->setText(text); }
void TfrmSetEdit::SetActualText(const QString& text) { ActSetRB->setText(text); }
void TfrmSetEdit::SetIndirectText(const QString& text) { IndirectSetRB->setText(text); }
void TfrmSetEdit::SetAllText(const QString& text) { AllLabel->setText(text); }
void TfrmSetEdit::SetOkText(const QString& text) { OkButton->setText(text); }
void TfrmSetEdit::SetCancelText(const QString& text) { CancelButton->setText(text); }
void TfrmSetEdit::SetCaptionText(const QString& text) { setWindowTitle(text); }
