#pragma once

#include "dialogs/prj_interaction_dlg.h"
#include "lists/op_para_interaction.h"

#include <QPointer>

class TfrmInvSel;

// The operator window's questions with the program's dialogs: the message
// dialog with the main program's button lists, the save dialog, and the
// inverter selection given (without it the choice counts as cancelled).
class TOpParaInteractionDlg : public IOpParaInteraction {
public:
    explicit TOpParaInteractionDlg(QWidget* parent = nullptr, TfrmInvSel* InvSel = nullptr)
        : dlg_(parent), invSel_(InvSel)
    {
    }

    int Message(const TDwnMessage& Msg) override;
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override { return dlg_.ChooseSaveFile(Options); }
    int ChooseInverter(const QString& Caption, int InvAdr) override;

private:
    TPrjInteractionDlg dlg_;
    QPointer<TfrmInvSel> invSel_;
};
