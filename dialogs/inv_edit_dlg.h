#pragma once

#include "comm/tel_records.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TFrmSelCfg;
class TVarneGlyphButton;
class TVortalinText;

// Protocol list of the inverter dialog: item 0 DIN 66019 II, 1 Zelk,
// 2 Interbus, 3 IP, 4 CAN, 5 Profibus, 6 Offline.
int InvEditProtItem(int prot);   // any protocol outside 1..6 is Offline
TProt InvEditItemProt(int item);  // Offline for item 6 or no item

// Enters or edits one inverter: name, address, configuration number and
// protocol. Owned by the project's dialogs and reused for every showing.
class TfrmInvEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInvEdit(QWidget* parent = nullptr);
    ~TfrmInvEdit() override;

    QString InvName() const;
    void SetInvName(const QString& name);
    int InvAdr() const;
    void SetInvAdr(int adr);
    int CfgId() const;
    void SetCfgId(int id);
    TProt Prot() const;
    void SetProt(int prot);

    bool EditName() const { return editName_; }
    void SetEditName(bool on);
    bool EditAdr() const { return editAdr_; }
    void SetEditAdr(bool on);
    bool EditCfg() const { return editCfg_; }
    void SetEditCfg(bool on);
    bool EditProt() const { return editProt_; }
    void SetEditProt(bool on);

    QString FrmNewInvText = QStringLiteral("Umrichter hinzufügen");
    QString FrmEditInvText = QStringLiteral("Umrichter bearbeiten");
    // The configuration choice behind "..."; none: the number cannot be changed.
    QPointer<TFrmSelCfg> SelCfgDlg;

    void SetInvNameLabText(const QString& t);
    void SetInvAdrLabText(const QString& t);
    void SetInvCfgIdLabText(const QString& t);
    void SetInvProtLabText(const QString& t);
    void SetOKBtnText(const QString& t);
    void SetCancelBtnText(const QString& t);

    // Every text from the language texts at once.
    void SetTexts(const TVortalinText& texts);

    // Shows the dialog modally; true when closed with OK.
    bool Execute();

    QLabel* labname;
    QLineEdit* edInvName;
    QLabel* labInvAdr;
    QSpinBox* speInvAdr;
    QLabel* labCfgId;
    QLineEdit* edCfgId;
    QPushButton* btnSelCfg;
    QLabel* labProt;
    QComboBox* cobProt;
    TVarneGlyphButton* btnOK;
    TVarneGlyphButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OKClick();
    void SelCfgClick();

    bool editName_ = true;
    bool editAdr_ = true;
    bool editCfg_ = true;
    bool editProt_ = true;
};
