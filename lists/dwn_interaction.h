#pragma once

// What a download list shows to and asks of the user, and what it tells its
// window. The list's logic (dwn_load_engine.h) has no widgets: the
// download-list window implements both interfaces with the real dialogs and
// widgets; tests install scripted ones.

#include "config/progress_iface.h"

#include <QString>
#include <QStringList>

// The main window's button lists of the message dialog.
enum TDwnButtonList : int {
    dblOk = 1,            // OK
    dblYesNo = 2,         // Yes, No
    dblIgnoreCancel = 3,  // text (0,10), Cancel
    dblYesNoCancel = 4,   // Yes, No, Cancel
    dblBuildModes = 5,    // the three complete-list build choices
};

// Icon codes, as the message dialog numbers them.
enum TDwnMsgIcon : int {
    dmiWarning = 1,
    dmiError = 2,
    dmiInformation = 3,
    dmiConfirmation = 4,
};

struct TDwnMessage {
    QStringList Lines;  // with "@P1" placeholders
    int Buttons = dblOk;
    QString Title;
    int Icon = dmiInformation;
    QString P1, P2;
    int Default = 0;
    int Cancel = -1;       // -1: no cancel button
    int HelpContext = 0;   // while the message is shown
};

struct TDwnSaveDlg {
    QString InitialDir;
    QString FileName;     // initial name, may be empty
    int FilterIndex = 1;  // 1 "*.dw5", 2 "*.op5"
};

class IDwnInteraction {
public:
    virtual ~IDwnInteraction() = default;
    // Index of the pressed button; Cancel (or -1) when the dialog was closed.
    virtual int Message(const TDwnMessage& Msg) = 0;
    // The save dialog; empty when cancelled. It never asks about
    // overwriting; the list does that itself.
    virtual QString ChooseSaveFile(const TDwnSaveDlg& Dlg) = 0;
    // The modal inverter selection starting at InvAdr: the chosen address,
    // -1 when not closed with OK.
    virtual int ChooseInverter(const QString& Caption, int InvAdr) = 0;
    // The shared progress window of the transfers, with its cancel flag.
    virtual IProgress& Progress() = 0;
    // The window of a user-step wait (no cancel button): shown with the
    // wait as maximum, updated with the time left, hidden at the end.
    virtual void ShowWait(const QString& Caption, const QString& Text, int Max) = 0;
    virtual void UpdateWait(int Remaining) = 0;
    virtual void HideWait() = 0;
    // Hourglass on (true) or restored.
    virtual void BusyCursor(bool On) { (void)On; }
};

// What the list's operations do to its window. Every call has a default
// that does nothing.
class IDwnNotify {
public:
    virtual ~IDwnNotify() = default;
    // Lines changed: scroll range and rows refilled, from the top or at the
    // current position.
    virtual void RefreshView(bool FromTop) { (void)FromTop; }
    // Lines or their marks changed by an edit: scroll range and rows
    // refilled at the view's position (the focused row as the view holds it).
    virtual void RowsChanged() {}
    // The view's row selection is cleared (the lines' marks were).
    virtual void ClearViewSelection() {}
    // File name, inverter or short name changed: rebuild and hand on the
    // caption.
    virtual void CaptionChanged() {}
    // Transfer running (false) or idle (true).
    virtual void ControlsEnabled(bool Enabled) { (void)Enabled; }
    // The inverter changed: the Compress item follows the configuration,
    // the context items are handed to the main window again.
    virtual void ContextItemsChanged(bool CompressEnabled) { (void)CompressEnabled; }
    // The line is marked; show it in the middle of the view with focus.
    // -1: nothing to show, go to the top with row 0 focused.
    virtual void SelectLine(int Index) { (void)Index; }
    // The list has a file: "add to project" becomes possible.
    virtual void AddProjEnabled() {}
    // Lines that own descriptions go: the internal clipboard may refer to
    // them and is emptied first.
    virtual void ReleaseClipboard() {}
    // The list's configuration left the project: the window closes. Called
    // from inside the list's own operations; free the list later
    // (deleteLater), not within the call.
    virtual void CloseWindow() {}
};
