#include "dialogs/inv_sel_dlg.h"

#include "dialogs/glyph_button.h"
#include "project/vortalin_prj.h"
#include "dialogs/window_place.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>

TfrmInvSel::TfrmInvSel(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmInvSel"));
    setWindowTitle(QStringLiteral("Select Inverter"));
    setModal(false);
    resize(260, 80);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 6, 244, 16);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 24, 244, 22);

    OkButton = new TVarneGlyphButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->SetGlyphKind(glOK);
    OkButton->setText(QStringLiteral("OK"));
    OkButton->setDefault(true);
    OkButton->setGeometry(80, 54, 85, 25);
    CancelButton = new TVarneGlyphButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->SetGlyphKind(glCancel);
    CancelButton->setText(QStringLiteral("Cancel"));
    CancelButton->setAutoDefault(false);
    CancelButton->setGeometry(170, 54, 85, 25);

    // Room for the buttons: the client grows to the OK button, and a
    // narrow client pulls both buttons in from its right edge.
    if (height() < OkButton->geometry().bottom() + 1 + 5)
        resize(width(), OkButton->geometry().bottom() + 1 + 5);
    if (width() < CancelButton->geometry().right() + 1 + 5) {
        CancelButton->move(width() - 5 - CancelButton->width(), CancelButton->y());
        OkButton->move(CancelButton->x() - 5 - OkButton->width(), OkButton->y());
    }
    ComboBox1->resize(width() - 2 * ComboBox1->x(), ComboBox1->height());

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0)
            return;
        bool ok = false;
        const int adr = ComboBox1->itemText(i).section(u' ', 0, 0).toInt(&ok);
        if (ok)
            selAdr_ = int16_t(adr);
    });
    connect(OkButton, &QPushButton::clicked, this, &TfrmInvSel::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TfrmInvSel::CancelClick);

    CentreOnWorkArea(this);
}

TfrmInvSel::~TfrmInvSel() = default;

bool TfrmInvSel::SetProject(TVortalinPrj* Project)
{
    if (isVisible())
        return prjSet_;
    prj_ = Project;
    prjSet_ = Project != nullptr;
    return prjSet_;
}

void TfrmInvSel::FillList()
{
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    int selected = -1;
    if (prjSet_ && prj_) {
        for (int a = 0; a < kPrjInvCount; ++a)
            if (const TPrjInvRec* inv = prj_->GetInv(a)) {
                if (a == selAdr_)
                    selected = ComboBox1->count();
                ComboBox1->addItem(QString::number(a).leftJustified(4, u' ', true) + inv->Name);
            }
    }
    ComboBox1->setCurrentIndex(selected);
}

bool TfrmInvSel::ShowSelect(const QString& Prompt, int16_t InvAdr, TOnInvSelect OnSelect,
                            QObject* caller)
{
    if (!prjSet_ || !prj_)
        return false;
    Label1->setText(Prompt);
    onSelect_ = std::move(OnSelect);
    caller_ = caller;
    callerGiven_ = caller != nullptr;
    OkButton->setEnabled(bool(onSelect_));
    selAdr_ = InvAdr;
    FillList();
    if (!isVisible()) {
        modal_ = false;
        show();
    }
    return true;
}

int TfrmInvSel::SelectInv(const QString& Prompt, int16_t& InvAdr)
{
    if (!prjSet_ || !prj_)
        return 2;
    Label1->setText(Prompt);
    onSelect_ = nullptr;
    caller_ = nullptr;
    callerGiven_ = false;
    OkButton->setEnabled(true);
    selAdr_ = InvAdr;
    if (isVisible())
        hide();
    FillList();
    modal_ = true;
    const int r = exec();
    modal_ = false;
    InvAdr = selAdr_;
    return r == QDialog::Accepted ? 1 : 2;
}

void TfrmInvSel::OkClick()
{
    if (selAdr_ < 0) {
        if (modal_)
            accept();
        return;
    }
    if (onSelect_) {
        if (callerGiven_ && !caller_) {
            // The window that asked is gone: nobody to tell.
            onSelect_ = nullptr;
            OkButton->setEnabled(false);
            return;
        }
        // The callback may re-point this window; call a copy.
        const TOnInvSelect cb = onSelect_;
        cb(selAdr_);
        if (CloseOnOK)
            close();
        return;
    }
    accept();
}

void TfrmInvSel::CancelClick()
{
    if (modal_)
        reject();
    else if (CloseOnCancel)
        close();
}

void TfrmInvSel::SetOkText(const QString& t) { OkButton->setText(t); }
void TfrmInvSel::SetCancelText(const QString& t) { CancelButton->setText(t); }
void TfrmInvSel::SetCaptionText(const QString& t) { setWindowTitle(t); }
