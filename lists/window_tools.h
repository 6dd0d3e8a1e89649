#pragma once

// What the main program hands every window it opens besides the shared
// objects (dialogs/shared_objects.h): the main form, the single tool
// windows and the message box. The program's window set fills one when it
// is created, and each kind of window hands it to the windows it opens. A
// member left empty is missing: the windows leave out what needs it.

#include "dialogs/main_form.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class TFrmvortalinprint;
class TfrmAdrEdit;
class TfrmInvSel;
class TfrmModeEdit;
class TfrmRemEdit;
class TfrmSetEdit;
class TfrmValEdit;

// The program's message box with UserMessageDlg's arguments: the index of
// the button pressed.
using TUserMessage = std::function<int(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                                       int Icon, const QString& P1, const QString& P2, const QString& P3,
                                       int Default, int Cancel)>;

struct TWindowTools {
    TMainFormRef MainForm;
    QPointer<TfrmValEdit> ValEdit;
    QPointer<TfrmSetEdit> SetEdit;
    QPointer<TfrmAdrEdit> AdrEdit;
    QPointer<TfrmRemEdit> RemEdit;
    QPointer<TfrmModeEdit> ModeEdit;
    QPointer<TfrmInvSel> InvSel;
    QPointer<TFrmvortalinprint> Print;
    // Unset: the real dialog.
    TUserMessage Message;

    // Message, or the real dialog when it is unset: the index of the
    // button pressed.
    int ShowMessage(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                    const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) const;
};
