#pragma once

// The scope's messages and save dialog with the program's dialogs: the
// message dialog with the program's button lists, and the save dialog.

#include "dialogs/prj_interaction_dlg.h"
#include "scope/scope_interaction.h"

class TVortalinText;

class TScopeInteractionDlg : public IScopeInteraction {
public:
    TScopeInteractionDlg(QWidget* parent, const TVortalinText* texts) : dlg_(parent), texts_(texts) {}

    int Message(const QStringList& Msg, int ButtonList, const QString& Title, int Icon, const QString& P1,
                const QString& P2, const QString& P3, int Default, int Cancel) override;
    QString ChooseSaveFile(const TSaveDlgOptions& Options, const QString& Proposal) override;

    // The captions of a button list: the program's list, or while there is
    // none, the captions from the language texts.
    QStringList Buttons(int ButtonList) const;

private:
    TPrjInteractionDlg dlg_;
    const TVortalinText* texts_;
};
