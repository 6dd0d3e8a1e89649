#pragma once

// TFbsComm: the fieldbus test window of the main program. One instance for
// the whole run; closing hides it. Its page "Kommunikation" reads and
// writes fieldbus variables (service 13), its page "Prozessdaten" writes
// process data and shows the inputs, once or continuously. The logic is
// TFbsCommLogic; this class lays out the controls and forwards input.

#include "mainwin/fbs_comm_logic.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TfrmInvSel;

class TFbsComm : public QWidget, public IFbsView {
    Q_OBJECT
public:
    // `Ui` null: the real dialogs. The shared objects as for the logic.
    explicit TFbsComm(std::shared_ptr<IFbsInteraction> Ui = {}, TVortalinPrj* Prj = nullptr,
                      TVortalinText* Texts = nullptr, TScheduler* Sch = nullptr, QWidget* Parent = nullptr);
    ~TFbsComm() override;

    // Shows the window; when it is shown already, only raises it.
    void ShowWindow();

    TFbsCommLogic& Logic() { return *FLogic; }

    QTabWidget* PageControl1;
    QComboBox* cbFunktion;
    QLineEdit *Index, *Subindex, *Laenge, *Daten;
    QPushButton *Readbtn, *WriteBtn, *Button1;
    QLineEdit *PDin1, *PDin2, *PDin3, *PDin4;
    QLineEdit *PdOut1, *PdOut2, *PdOut3, *PdOut4;
    QPushButton* Button2;
    QCheckBox* cbUpdatePdin;
    QComboBox* cbPdType;

    // IFbsView.
    int Funktion() const override;
    void SetFunktion(int Item) override;
    QString Field(const char* Name) const override;
    void SetField(const char* Name, const QString& Text) override;
    int PdType() const override;
    bool UpdateChecked() const override;
    void SetCaption(const QString& Text) override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QLineEdit* FieldEdit(const char* Name) const;

    std::shared_ptr<IFbsInteraction> FUi;
    bool placed_ = false;
    std::unique_ptr<TFbsCommLogic> FLogic;
};

// The real dialogs: the message dialog with one OK button and the inverter
// selection dialog given (TfrmInvSel; without it the choice is cancelled).
class TFbsInteractionDlg : public IFbsInteraction {
public:
    explicit TFbsInteractionDlg(TfrmInvSel* InvSel = nullptr);
    void Message(const QString& Text) override;
    // TfrmInvSel.SelectInv of the selection dialog given.
    int SelectInv(const QString& Prompt, int16_t& InvAdr) override;

private:
    QPointer<TfrmInvSel> invSel_;
};
