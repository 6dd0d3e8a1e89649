#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QPixmap>
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
    void SetParams(const QStringList* params);   // nullptr keeps the current entries
    void SetParam(const QString& name, const QString& value);
    void SetParam(const QString& name, long long value);
    void SetParam(const QString& name, double value);

    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    TWAV WAV() const { return wav_; }
    void SetWAV(TWAV wav) { wav_ = wav; }
    QString CustomWAV() const { return customWav_; }
    void SetCustomWAV(const QString& name) { customWav_ = name; }

    QFont Font() const { return font_; }
    void SetFont(const QFont& font) { font_ = font; }

    int Icon() const { return icon_; }
    void SetIcon(int iconCode) { icon_ = iconCode; }
    QPixmap CustomIcon() const { return customIcon_; }
    void SetCustomIcon(const QPixmap& picture);   // also sets Icon to icCustom

    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& colour) { backColor_ = colour; }

    int Default() const { return default_; }
    void SetDefault(int index) { default_ = index; }
    int Cancel() const { return cancel_; }
    void SetCancel(int index) { cancel_ = index; }

    int ButtonsMinWidth() const { return buttonsMinWidth_; }
    void SetButtonsMinWidth(int width) { buttonsMinWidth_ = width > 20 ? width : 20; }
    bool ButtonsSameWidth() const { return buttonsSameWidth_; }
    void SetButtonsSameWidth(bool same) { buttonsSameWidth_ = same; }
    // Kept for callers; glyphs follow the caption prefix.
    bool ButtonsShowGlyph() const { return buttonsShowGlyph_; }
    void SetButtonsShowGlyph(bool show) { buttonsShowGlyph_ = show; }
    QCursor ButtonsCursor() const { return buttonsCursor_; }
    void SetButtonsCursor(const QCursor& cursor) { buttonsCursor_ = cursor; }

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
    QPixmap customIcon_;
    QColor backColor_;
    int default_ = -1;
    int cancel_ = -1;
    int buttonsMinWidth_ = 75;
    bool buttonsSameWidth_ = true;
    bool buttonsShowGlyph_ = false;
    QCursor buttonsCursor_;
    int helpContext_ = 0;
    int result_ = 0;
};
