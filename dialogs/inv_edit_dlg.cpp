#include "dialogs/inv_edit_dlg.h"

#include "config/lang_texts.h"
#include "dialogs/glyph_button.h"
#include "dialogs/sel_cfg_dlg.h"
#include "dialogs/window_place.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <array>

namespace {

constexpr std::array<TProt, 7> kItemProt{prANSI, prZelk, prIBS, prIP, prCAN, prPBS, prOffline};

}  // namespace

int InvEditProtItem(int prot)
{
    for (int i = 0; i < 6; ++i)
        if (kItemProt[size_t(i)] == prot)
            return i;
    return 6;
}

TProt InvEditItemProt(int item)
{
    return item >= 0 && item < int(kItemProt.size()) ? kItemProt[size_t(item)] : prOffline;
}

TfrmInvEdit::TfrmInvEdit(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmInvEdit"));
    setWindowTitle(FrmNewInvText);

    labname = new QLabel(QStringLiteral("Name:"), this);
    labname->setObjectName(QStringLiteral("labname"));
    labname->setGeometry(8, 12, 90, 16);
    edInvName = new QLineEdit(this);
    edInvName->setObjectName(QStringLiteral("edInvName"));
    edInvName->setGeometry(100, 8, 192, 22);

    labInvAdr = new QLabel(QStringLiteral("Umrichteradr.:"), this);
    labInvAdr->setObjectName(QStringLiteral("labInvAdr"));
    labInvAdr->setGeometry(8, 40, 90, 16);
    speInvAdr = new QSpinBox(this);
    speInvAdr->setObjectName(QStringLiteral("speInvAdr"));
    speInvAdr->setRange(0, 239);
    speInvAdr->setGeometry(100, 36, 70, 22);

    labCfgId = new QLabel(QStringLiteral("Cfg-Id:"), this);
    labCfgId->setObjectName(QStringLiteral("labCfgId"));
    labCfgId->setGeometry(8, 68, 90, 16);
    edCfgId = new QLineEdit(QStringLiteral("0"), this);
    edCfgId->setObjectName(QStringLiteral("edCfgId"));
    edCfgId->setReadOnly(true);
    edCfgId->setFocusPolicy(Qt::NoFocus);
    edCfgId->setGeometry(100, 64, 70, 22);
    btnSelCfg = new QPushButton(QStringLiteral("..."), this);
    btnSelCfg->setObjectName(QStringLiteral("btnSelCfg"));
    btnSelCfg->setAutoDefault(false);
    btnSelCfg->setGeometry(174, 64, 24, 22);

    labProt = new QLabel(QStringLiteral("Protocoll:"), this);
    labProt->setObjectName(QStringLiteral("labProt"));
    labProt->setGeometry(8, 96, 90, 16);
    cobProt = new QComboBox(this);
    cobProt->setObjectName(QStringLiteral("cobProt"));
    cobProt->addItems({QStringLiteral("DIN66019II"), QStringLiteral("Zelk"), QStringLiteral("Interbus"),
                       QStringLiteral("IP"), QStringLiteral("CAN"), QStringLiteral("Profibus"),
                       QStringLiteral("Offline")});
    cobProt->setGeometry(100, 92, 192, 22);
    cobProt->setCurrentIndex(6);

    btnOK = new TVarneGlyphButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->SetGlyphKind(glOK);
    btnOK->setText(QStringLiteral("OK"));
    btnOK->setDefault(true);
    btnOK->setGeometry(104, 128, 92, 25);
    btnCancel = new TVarneGlyphButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->SetGlyphKind(glCancel);
    btnCancel->setText(QStringLiteral("Abbrechen"));
    btnCancel->setAutoDefault(false);
    btnCancel->setGeometry(200, 128, 92, 25);

    connect(btnOK, &QPushButton::clicked, this, &TfrmInvEdit::OKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSelCfg, &QPushButton::clicked, this, &TfrmInvEdit::SelCfgClick);
    setFixedSize(300, 162);
}

TfrmInvEdit::~TfrmInvEdit() = default;

QString TfrmInvEdit::InvName() const { return edInvName->text(); }
void TfrmInvEdit::SetInvName(const QString& name) { edInvName->setText(name); }
int TfrmInvEdit::InvAdr() const { return speInvAdr->value(); }
void TfrmInvEdit::SetInvAdr(int adr) { speInvAdr->setValue(adr); }
int TfrmInvEdit::CfgId() const { return edCfgId->text().toInt(); }
void TfrmInvEdit::SetCfgId(int id) { edCfgId->setText(QString::number(id)); }
TProt TfrmInvEdit::Prot() const { return InvEditItemProt(cobProt->currentIndex()); }
void TfrmInvEdit::SetProt(int prot) { cobProt->setCurrentIndex(InvEditProtItem(prot)); }

void TfrmInvEdit::SetEditName(bool on)
{
    editName_ = on;
    edInvName->setEnabled(on);
}
void TfrmInvEdit::SetEditAdr(bool on)
{
    editAdr_ = on;
    speInvAdr->setEnabled(on);
}
void TfrmInvEdit::SetEditCfg(bool on)
{
    editCfg_ = on;
    btnSelCfg->setEnabled(on);
}
void TfrmInvEdit::SetEditProt(bool on)
{
    editProt_ = on;
    cobProt->setEnabled(on);
}

void TfrmInvEdit::SetInvNameLabText(const QString& t) { labname->setText(t); }
void TfrmInvEdit::SetInvAdrLabText(const QString& t) { labInvAdr->setText(t); }
void TfrmInvEdit::SetInvCfgIdLabText(const QString& t) { labCfgId->setText(t); }
void TfrmInvEdit::SetInvProtLabText(const QString& t) { labProt->setText(t); }
void TfrmInvEdit::SetOKBtnText(const QString& t) { btnOK->setText(t); }
void TfrmInvEdit::SetCancelBtnText(const QString& t) { btnCancel->setText(t); }

void TfrmInvEdit::SetTexts(const TVortalinText& texts)
{
    FrmNewInvText = texts.GetText(7, 15);
    FrmEditInvText = texts.GetText(7, 14);
    SetInvNameLabText(texts.GetText(7, 26));
    SetInvAdrLabText(texts.GetText(7, 27));
    SetInvCfgIdLabText(texts.GetText(7, 19));
    SetInvProtLabText(texts.GetText(7, 20));
    SetCancelBtnText(texts.GetText(7, 10));
    SetOKBtnText(texts.GetText(7, 11));
}

bool TfrmInvEdit::Execute()
{
    setWindowTitle(edInvName->text().isEmpty() ? FrmNewInvText : FrmEditInvText);
    if (!editCfg_) {
        btnSelCfg->setEnabled(false);
        edCfgId->setEnabled(false);
    } else if (SelCfgDlg) {
        btnSelCfg->setEnabled(true);
        edCfgId->setEnabled(false);
    } else {
        btnSelCfg->setEnabled(false);
        edCfgId->setEnabled(true);
    }
    CentreOnWorkArea(this);
    return exec() == QDialog::Accepted;
}

void TfrmInvEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    edInvName->setFocus();
}

void TfrmInvEdit::OKClick()
{
    if (edInvName->text().isEmpty()) {
        edInvName->setText(QString::number(speInvAdr->value()));
        edInvName->setFocus();
        return;
    }
    accept();
}

void TfrmInvEdit::SelCfgClick()
{
    if (!SelCfgDlg)
        return;
    const int id = SelCfgDlg->Execute(speInvAdr->value(), true);
    // A cancelled choice keeps the number: -1 would make the entry unaddable.
    if (id >= 0)
        SetCfgId(id);
}
