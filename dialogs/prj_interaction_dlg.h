#pragma once

#include "project/prj_interaction.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class TVortalinPrj;

// The project's questions and choices shown with the program's dialogs:
// messages through UserMessageDlg, the save dialog through QFileDialog.
// The configuration choice, the inverter dialog and the add-file question
// are the choice dialogs, plugged in below by whoever creates them; while
// one is not plugged in, its question counts as cancelled.
class TPrjInteractionDlg : public IPrjInteraction {
public:
    explicit TPrjInteractionDlg(QWidget* parent = nullptr);

    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default,
                int Cancel) override;
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override;
    int ChooseCfg(int InvAdr, bool AllowAuto) override;
    bool EditInv(TInvEditData& Data) override;
    int AskAddFile(const QString& FileName, const QStringList& Choices) override;
    bool EditPrj(TPrjEditRows& Rows) override { return PrjEditDlg ? PrjEditDlg(Rows) : false; }

    // The choice dialogs (TFrmSelCfg.Execute, TfrmInvEdit, TfrmAddFileDlg.Execute).
    std::function<int(int InvAdr, bool AllowAuto)> SelCfgDlg;
    std::function<bool(TInvEditData& Data)> InvEditDlg;
    std::function<int(const QString& FileName, const QStringList& Choices)> AddFileDlg;
    // The project dialog (TfrmPrjEdit.Execute).
    std::function<bool(TPrjEditRows& Rows)> PrjEditDlg;

private:
    QPointer<QWidget> parent_;
};

// Plugs the project dialog (TfrmPrjEdit) into the interaction of prj.
void PlugPrjEditDlg(TPrjInteractionDlg& ui, TVortalinPrj& prj, QWidget* parent);

// Installs the dialogs into the project: the interaction above and a
// progress window for the configuration list's progress.
void InstallPrjDialogs(TVortalinPrj& prj, QWidget* parent = nullptr);
