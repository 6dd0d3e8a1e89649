#include "lists/adr_edit.h"

#include "dialogs/glyph_button.h"
#include "lists/tool_editor_fit.h"
#include "dialogs/window_activate.h"
#include "dialogs/window_place.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSignalBlocker>

TfrmAdrEdit::TfrmAdrEdit(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAdrEdit"));
    setWindowTitle(QStringLiteral("Address Editor"));
    setModal(false);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);

    RadioButton1 = new QRadioButton(QStringLiteral("Direct"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    RadioButton2 = new QRadioButton(QStringLiteral("List"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));

    OkButton = new TVarneGlyphButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->SetGlyphKind(glOK);
    OkButton->setText(QStringLiteral("OK"));
    OkButton->setDefault(true);
    CancelButton = new TVarneGlyphButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->SetGlyphKind(glCancel);
    CancelButton->setText(QStringLiteral("Cancel"));

    connect(RadioButton1, &QRadioButton::clicked, this, &TfrmAdrEdit::ChooseDirect);
    connect(RadioButton2, &QRadioButton::clicked, this, &TfrmAdrEdit::ChooseList);
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        lists_.ChooseGroup(index);
        showParams();
    });
    connect(ComboBox2, &QComboBox::activated, this, [this](int index) {
        lists_.ChooseParam(index);
    });
    connect(OkButton, &QPushButton::clicked, this, &TfrmAdrEdit::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TfrmAdrEdit::CancelClick);

    resize(350, 134);
    Label1->setGeometry(4, 4, 342, 16);
    RadioButton1->move(4, 26);
    Edit1->move(179, 24);
    RadioButton2->setGeometry(4, 50, 167, 20);
    ComboBox1->move(4, 74);
    ComboBox2->move(179, 74);
    OkButton->setGeometry(186, 104, 75, 25);
    CancelButton->setGeometry(268, 104, 75, 25);
    ApplyToolEditorFit(*this, *OkButton, *CancelButton);
    setMinimumSize(250, 120);

    ChooseList();
    OkButton->setEnabled(false);
}

TfrmAdrEdit::~TfrmAdrEdit() = default;

void TfrmAdrEdit::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int w = width();
    const int half = w / 2 - 8;
    const int right = w / 2 + 4;
    Label1->resize(w - 8, Label1->height());
    RadioButton1->setGeometry(RadioButton1->x(), RadioButton1->y(), half, 20);
    Edit1->setGeometry(right, Edit1->y(), half, 22);
    ComboBox1->setGeometry(ComboBox1->x(), ComboBox1->y(), half, 22);
    ComboBox2->setGeometry(right, ComboBox2->y(), half, 22);
    if (event->oldSize().isValid()) {
        const int dw = w - event->oldSize().width();
        OkButton->move(OkButton->x() + dw, OkButton->y());
        CancelButton->move(CancelButton->x() + dw, CancelButton->y());
    }
}

void TfrmAdrEdit::placeOnce()
{
    if (placed_)
        return;
    CentreOnWorkArea(this);
    placed_ = true;
}

void TfrmAdrEdit::SetProject(TVortalinPrj* project)
{
    if (isVisible())
        return;
    lists_.Project = project;
}

void TfrmAdrEdit::showLists()
{
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(lists_.Groups);
    ComboBox1->setCurrentIndex(lists_.GroupIndex);
    showParams();
}

void TfrmAdrEdit::showParams()
{
    const QSignalBlocker block(ComboBox2);
    ComboBox2->clear();
    ComboBox2->addItems(lists_.Params);
    ComboBox2->setCurrentIndex(lists_.ParamIndex);
}

void TfrmAdrEdit::FillLists(int InvAdr)
{
    shownInv_ = InvAdr;
    lists_.FillLists(InvAdr);
    showLists();
    Edit1->clear();
}

void TfrmAdrEdit::ChooseDirect()
{
    RadioButton1->setChecked(true);
    Edit1->setEnabled(true);
    ComboBox1->setEnabled(false);
    ComboBox2->setEnabled(false);
    Edit1->setText(TAdrEditLists::DirectText(lists_.Address));
}

void TfrmAdrEdit::ChooseList()
{
    Edit1->setEnabled(false);
    ComboBox1->setEnabled(true);
    ComboBox2->setEnabled(true);
    RadioButton2->setChecked(true);
}

void TfrmAdrEdit::EditAddress(int InvAdr, const QString& Description, bool KeepOpen,
                              TOnAddressEvent onAddress, int16_t address)
{
    if (!EditorEnabled() || modal_)
        return;
    Label1->setText(Description);
    OnAddress = std::move(onAddress);
    OkButton->setEnabled(bool(OnAddress));
    keepOpen_ = KeepOpen;
    lists_.Address = address;
    ChooseList();
    FillLists(InvAdr);
    if (!isVisible()) {
        placeOnce();
        show();
    }
}

int TfrmAdrEdit::EditAddressModal(int InvAdr, const QString& Description, int16_t& address)
{
    if (!EditorEnabled() || modal_)
        return 2;
    Label1->setText(Description);
    OnAddress = nullptr;
    keepOpen_ = false;
    lists_.Address = address;
    if (isVisible())
        hide();
    ChooseList();
    FillLists(InvAdr);
    // OK ends the modal call.
    OkButton->setEnabled(true);
    placeOnce();
    modal_ = true;
    setModal(true);
    const int result = exec();
    setModal(false);
    modal_ = false;
    OkButton->setEnabled(false);
    address = int16_t(lists_.Address);
    return result == 1 ? 1 : 2;
}

void TfrmAdrEdit::SetLanguage(int language)
{
    if (language == lists_.Language)
        return;
    lists_.Language = language;
    if (isVisible()) {
        const QString typed = Edit1->text();
        FillLists(shownInv_);
        Edit1->setText(typed);
    }
}

void TfrmAdrEdit::OkClick()
{
    if (Edit1->isEnabled())
        lists_.Address = TAdrEditLists::ReadDirectEntry(Edit1->text());
    if (lists_.Address < 0) {
        // Modeless: stays open. Modal: the caller gets -1, no valid parameter.
        if (modal_)
            done(1);
        return;
    }
    if (OnAddress) {
        const TOnAddressEvent onAddress = OnAddress;
        onAddress(int16_t(lists_.Address));
        if (CloseOnOK && !keepOpen_)
            hide();
    } else if (modal_) {
        done(1);
    }
}

void TfrmAdrEdit::CancelClick()
{
    if (modal_)
        done(2);
    else if (CloseOnCancel)
        hide();
}

void TfrmAdrEdit::reject()
{
    CancelClick();
}

void TfrmAdrEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ActivateWhenShown(this);
}

void TfrmAdrEdit::closeEvent(QCloseEvent* event)
{
    if (modal_)
        done(2);
    else
        hide();
    event->accept();
}

void TfrmAdrEdit::SetOkText(const QString& text) { OkButton->setText(text); }
void TfrmAdrEdit::SetCancelText(const QString& text) { CancelButton->setText(text); }
void TfrmAdrEdit::SetDirectText(const QString& text) { RadioButton1->setText(text); }
void TfrmAdrEdit::SetListText(const QString& text) { RadioButton2->setText(text); }
void TfrmAdrEdit::SetCaptionText(const QString& text) { setWindowTitle(text); }
