#pragma once

#include "lists/list_interaction.h"
#include "dialogs/prj_interaction_dlg.h"

// The list windows' questions with the program's dialogs: the message
// dialog and the save dialog of the project's interaction.
class TListInteractionDlg : public IListInteraction {
public:
    explicit TListInteractionDlg(QWidget* parent = nullptr) : dlg_(parent) {}

    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default,
                int Cancel) override
    {
        return dlg_.Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
    }
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override
    {
        return dlg_.ChooseSaveFile(Options);
    }

private:
    TPrjInteractionDlg dlg_;
};
