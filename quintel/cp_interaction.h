#pragma once

// Everything the Quintel program shows to the user or asks of the user.
// The program logic (TQuintelProgram) has no widgets; the program installs
// the implementation with the real dialogs, tests install a scripted one.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

class TParaRec;
class TCpSettings;

// What one print of the table hands to the print window.
struct TCpPrintJob {
    QString Title;       // print title (AppName)
    QString Header;      // page header
    QString PageText;    // the page-number label
    QStringList Lines;   // heading lines printed before the list
    std::array<int, 4> ColWidths{};  // list column widths, turned into tab percentages by the print window
    QString HeaderLine;  // column captions separated by tabs
    QStringList Rows;    // one line per row, fields separated by tabs
};

class ICpInteraction {
public:
    virtual ~ICpInteraction() = default;

    // The program's message dialog (UserMessageDlg); the index of the
    // pressed button.
    virtual int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                        int Icon, const QString& P1, const QString& P2, const QString& P3,
                        int Default, int Cancel) = 0;
    // A standard error box, used before any language text is loaded.
    virtual void ErrorBox(const QString& Title, const QString& Text) = 0;

    // File dialogs (default extension "cp5"); empty when cancelled.
    virtual QString ChooseSaveFile(const QString& InitialDir, const QString& ProposedName) = 0;
    virtual QString ChooseOpenFile(const QString& InitialDir) = 0;

    // The settings dialog; on OK the dialog has copied its values back.
    virtual bool RunSettings(TCpSettings& Settings) = 0;
    // The inverter-choice dialog: Address in (the current one, with Offline
    // the offline choice preset) and out, -1 offline.
    virtual bool RunSelMode(int& Address, bool Offline) = 0;
    // The modal value editor; true on OK with Value changed.
    virtual bool EditValue(const std::shared_ptr<TParaRec>& Para, const QString& Label,
                           int32_t& Value) = 0;
    // Language of parameter names in the value editor.
    virtual void SetEditorLanguage(int Lang) = 0;
    // Prints the table; false when the user cancelled the print set-up.
    virtual bool Print(const TCpPrintJob& Job) = 0;
    virtual void SetClipboardText(const QString& Text) = 0;

    // The progress window (no cancel button).
    virtual void ProgressStart(const QString& Caption, const QString& Text, int Max) = 0;
    virtual void ProgressStep(int Position) = 0;
    virtual void ProgressStop() = 0;

    virtual void SetBusyCursor(bool Busy) = 0;
    virtual void SetProgramIcon(const QString& FileName) = 0;
    // Ends the program (after the main loop returns).
    virtual void EndProgram() = 0;
};
