#pragma once

#include "dialogs/prj_interaction_dlg.h"
#include "lists/op_para_interaction.h"

#include <functional>

// The operator window's questions with the program's dialogs: the message
// dialog with the main program's button lists, the save dialog, and the
// inverter selection once it is plugged in (until then it counts as
// cancelled).
class TOpParaInteractionDlg : public IOpParaInteraction {
public:
    explicit TOpParaInteractionDlg(QWidget* parent = nullptr) : dlg_(parent) {}

    int Message(const TDwnMessage& Msg) override;
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override { return dlg_.ChooseSaveFile(Options); }
    int ChooseInverter(const QString& Caption, int InvAdr) override
    {
        return InvSelDlg ? InvSelDlg(Caption, InvAdr) : -1;
    }

    // The modal inverter selection (TfrmInvSel): the chosen address, -1
    // when not closed with OK.
    static std::function<int(const QString& Caption, int InvAdr)> InvSelDlg;

private:
    TPrjInteractionDlg dlg_;
};
