#pragma once

// What the scope asks of and shows to the user: messages with one of the
// message dialog's ready-made button lists, and the save dialog. The window
// installs the real dialogs; tests install a scripted one.

#include "project/prj_interaction.h"

#include <QString>
#include <QStringList>

// Button lists of the message dialog (the program's ButtonLists).
enum TScopeButtons : int {
    sbOk = 1,        // OK
    sbYesNo = 2,     // Yes, No
    sbYesNoCancel = 4,
};

class IScopeInteraction {
public:
    virtual ~IScopeInteraction() = default;

    // Message lines with "@P1".."@P3"; returns the index of the pressed
    // button, Cancel when the dialog was closed.
    virtual int Message(const QStringList& Msg, int ButtonList, const QString& Title, int Icon,
                        const QString& P1, const QString& P2, const QString& P3, int Default,
                        int Cancel) = 0;

    // The save dialog opened with `Proposal` as file name: the chosen path,
    // empty when cancelled. It never asks about overwriting.
    virtual QString ChooseSaveFile(const TSaveDlgOptions& Options, const QString& Proposal) = 0;
};

// Until the window installs its dialogs: every question is cancelled.
class NoScopeInteraction final : public IScopeInteraction {
public:
    int Message(const QStringList&, int, const QString&, int, const QString&, const QString&,
                const QString&, int, int Cancel) override
    {
        return Cancel;
    }
    QString ChooseSaveFile(const TSaveDlgOptions&, const QString&) override { return QString(); }
};
