#pragma once

#include "dialogs/prj_interaction_dlg.h"
#include "lists/op_para_interaction.h"

// The operator window's questions with the program's dialogs: the message
// dialog with the main program's button lists, the save dialog, and the
// program's modal inverter selection (FrmInvSel; without it the choice
// counts as cancelled).
class TOpParaInteractionDlg : public IOpParaInteraction {
public:
    explicit TOpParaInteractionDlg(QWidget* parent = nullptr) : dlg_(parent) {}

    int Message(const TDwnMessage& Msg) override;
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override { return dlg_.ChooseSaveFile(Options); }
    int ChooseInverter(const QString& Caption, int InvAdr) override;

private:
    TPrjInteractionDlg dlg_;
};
