#pragma once

#include <memory>

class TfrmAdrEdit;
class TfrmSetEdit;
class TfrmRemEdit;
class TfrmValEdit;
class TFrmvortalinprint;
class TfrmModeEdit;
class TProgCfg;
class TVortalinPrj;
class TVortalinText;
class TScheduler;

// The editors and the print window of the main program: single windows
// created hidden at program entry, right after the main window and the
// splash, and kept for the whole run. Null while they do not exist.
extern TfrmAdrEdit* frmAdrEdit;
extern TfrmSetEdit* frmSetEdit;
extern TfrmRemEdit* frmRemEdit;
extern TfrmValEdit* frmValEdit;
extern TFrmvortalinprint* Frmvortalinprint;
extern TfrmModeEdit* frmModeEdit;

// Owns those windows. Created after the main window; freed before it, so
// that no editor outlives the scheduler, project and texts it was given.
class TEditorWindows {
public:
    // Creates them in the program-entry order and sets the pointers above.
    TEditorWindows();
    // Frees them, the last created first, and clears the pointers.
    ~TEditorWindows();
    TEditorWindows(const TEditorWindows&) = delete;
    TEditorWindows& operator=(const TEditorWindows&) = delete;

private:
    std::unique_ptr<TfrmAdrEdit> adrEdit_;
    std::unique_ptr<TfrmSetEdit> setEdit_;
    std::unique_ptr<TfrmRemEdit> remEdit_;
    std::unique_ptr<TfrmValEdit> valEdit_;
    std::unique_ptr<TFrmvortalinprint> print_;
    std::unique_ptr<TfrmModeEdit> modeEdit_;
};

// Start-up: the editors' connections (value editor to scheduler and project,
// address editor to the project, remark editor to the internal clipboard and
// the main window's slot receiver), their settings and their texts. Editors
// that do not exist are skipped.
void SetUpEditors(const TVortalinText& Texts, const TProgCfg& Cfg, TVortalinPrj* Prj, TScheduler* Sch);
// Start-up: the print window's texts and the folder of its PDF files.
void SetUpPrintWindow(const TVortalinText& Texts, const TProgCfg& Cfg);
// A settings change: the value editor's language and decimal display, the
// address editor's language.
void EditorSettingsChanged(const TProgCfg& Cfg);
