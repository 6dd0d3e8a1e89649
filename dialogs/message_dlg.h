#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>

#include "dialogs/msg_sound.h"

// The one message box of both programs.

// Icon codes callers pass as small integers.
enum TDefaultIcons {
    icCustom = 0,
    icWarning = 1,
    icError = 2,
    icInformation = 3,
    icConfirmation = 4,
    icNone = 5,
};

// Help context for the next message; a caller sets it around a call so
// that F1 in the dialog opens that topic. 0: no help.
extern int UserMsgHelpContext;

// Opens a help topic; bound by the program to its help viewer. Unset: F1
// does nothing.
void SetUserMsgHelpHandler(std::function<void(int helpContext)> handler);

// Shows a message and returns the 0-based index of the pressed button.
// Msg: message lines with the placeholders "@P1".."@P3" (nullptr: none).
// Buttons: captions, the first character '0'..'9' or ':' choosing the glyph
// (nullptr: "&OK", "&Cancel"). Icon: a TDefaultIcons code. Default and
// Cancel: button indices or -1; a valid Cancel gives the window a close box
// and is what closing and Escape return.
int UserMessageDlg(const QStringList* Msg, const QStringList* Buttons, const QString& Title,
                   int Icon, const QString& P1, const QString& P2, const QString& P3,
                   int Default, int Cancel);
int UserMessageDlg(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                   int Icon, const QString& P1, const QString& P2, const QString& P3,
                   int Default, int Cancel);

// The dialog component behind UserMessageDlg: settings, then Execute builds,
// shows modally and frees the window.
class TUserDlg {
public:
    TUserDlg();

    const QStringList& Buttons() const { return buttons_; }
    // Copies the list (nullptr keeps the current one) and applies the
    // preset rule for Default and Cancel.
    void SetButtons(const QStringList* buttons);

    const QStringList& Message() const { return message_; }
    void SetMessage(const QStringList* lines);   // nullptr keeps the current lines

    const QStringList& Params() const { return params_; }
    void SetParam(const QString& name, const QString& value);

    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    void SetWAV(TWAV wav) { wav_ = wav; }
    void SetCustomWAV(const QString& name) { customWav_ = name; }

    void SetFont(const QFont& font) { font_ = font; }

    int Icon() const { return icon_; }
    // icCustom has no picture of its own: the text keeps the picture's place.
    void SetIcon(int iconCode) { icon_ = iconCode; }

    int Default() const { return default_; }
    void SetDefault(int index) { default_ = index; }
    int Cancel() const { return cancel_; }
    void SetCancel(int index) { cancel_ = index; }

    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    int Result() const { return result_; }

    int Execute();

private:
    QStringList buttons_;
    QStringList message_;
    QStringList params_;
    QString title_;
    TWAV wav_ = wavNone;
    QString customWav_;
    QFont font_;
    int icon_ = icNone;
    int default_ = -1;
    int cancel_ = -1;
    int helpContext_ = 0;
    int result_ = 0;
};
