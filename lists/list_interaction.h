#pragma once

#include "project/prj_interaction.h"

#include <QString>
#include <QStringList>

// What the list windows and the value editor show to the user and ask of
// the user: messages and questions, and the save dialog. The logic has no
// widgets; the program installs TListInteractionDlg, tests a scripted one.
class IListInteraction {
public:
    virtual ~IListInteraction() = default;

    // As IPrjInteraction::Message: the index of the pressed button.
    virtual int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                        int Icon, const QString& P1, const QString& P2, const QString& P3,
                        int Default, int Cancel) = 0;

    // The save dialog: the chosen path, empty when cancelled. It never asks
    // about overwriting; the window does that itself.
    virtual QString ChooseSaveFile(const TSaveDlgOptions& Options) = 0;
};

// Used until the program installs its dialogs. Every question is answered
// with its last button (Cancel of the close question, No of the overwrite
// question), since a question without cancel index would otherwise be asked
// for ever; the save dialog counts as cancelled.
class NoListInteraction final : public IListInteraction {
public:
    int Message(const QStringList&, const QStringList& Buttons, const QString&, int,
                const QString&, const QString&, const QString&, int, int Cancel) override
    {
        return Cancel >= 0 ? Cancel : int(Buttons.size()) - 1;
    }
    QString ChooseSaveFile(const TSaveDlgOptions&) override { return QString(); }
};
