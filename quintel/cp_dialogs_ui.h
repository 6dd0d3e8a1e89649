#pragma once

// The Quintel program's interaction with the real dialogs: the message
// dialog, file dialogs, the settings and inverter-choice dialogs, the
// value editor, the print window, the progress window and the clipboard.

#include "quintel/cp_interaction.h"

#include <functional>

class QWidget;
class TCPsettings;
class TFrmvortalinprint;
class TProgress;
class TSelMode;
class TVortalinText;
class TfrmValEdit;

class TCpDialogsUi : public ICpInteraction {
public:
    // The windows are the program's single instances; Main is the main window.
    QWidget* Main = nullptr;
    TSelMode* SelMode = nullptr;
    TCPsettings* SettingsDlg = nullptr;
    TfrmValEdit* ValEdit = nullptr;
    TFrmvortalinprint* PrintForm = nullptr;
    TProgress* Progress = nullptr;
    // Ends the program; the default quits the application's event loop.
    std::function<void()> OnEnd;

    // Pushes the language texts into the dialogs.
    void ApplyTexts(const TVortalinText& Texts);
    // Qt's own texts (file dialogs, standard buttons) in the program's
    // language (the setting's code).
    void SetLanguage(int Proglng);

    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) override;
    void ErrorBox(const QString& Title, const QString& Text) override;
    QString ChooseSaveFile(const QString& InitialDir, const QString& ProposedName) override;
    QString ChooseOpenFile(const QString& InitialDir) override;
    bool RunSettings(TCpSettings& Settings) override;
    bool RunSelMode(int& Address, bool Offline) override;
    bool EditValue(const std::shared_ptr<TParaRec>& Para, const QString& Label, int32_t& Value) override;
    void SetEditorLanguage(int Lang) override;
    bool Print(const TCpPrintJob& Job) override;
    void SetClipboardText(const QString& Text) override;
    void ProgressStart(const QString& Caption, const QString& Text, int Max) override;
    void ProgressStep(int Position) override;
    void ProgressStop() override;
    void SetBusyCursor(bool Busy) override;
    void SetProgramIcon(const QString& FileName) override;
    void EndProgram() override;

private:
    bool FBusy = false;
};
