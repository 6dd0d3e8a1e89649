#pragma once

#include <memory>

class IMainForm;
struct TWindowTools;
class TfrmAdrEdit;
class TfrmSetEdit;
class TfrmRemEdit;
class TfrmValEdit;
class TFrmvortalinprint;
class TfrmModeEdit;
class TProgCfg;
class TVortalinClpBrd;
class TVortalinPrj;
class TVortalinText;
class TScheduler;

// The editors and the print window of the main program: single windows
// created hidden at program entry, right after the main window and the
// splash, kept for the whole run and handed to the windows that use them.
// Freed before the main window, so that no editor outlives the scheduler,
// project and texts it was given.
class TEditorWindows {
public:
    // Creates them in the program-entry order. The remark editor works on
    // the internal clipboard and hands its slots to the main window.
    explicit TEditorWindows(TVortalinClpBrd* ClpBrd = nullptr, IMainForm* Main = nullptr);
    // Frees them, the last created first.
    ~TEditorWindows();
    TEditorWindows(const TEditorWindows&) = delete;
    TEditorWindows& operator=(const TEditorWindows&) = delete;

    TfrmAdrEdit* AdrEdit() const { return adrEdit_.get(); }
    TfrmSetEdit* SetEdit() const { return setEdit_.get(); }
    TfrmRemEdit* RemEdit() const { return remEdit_.get(); }
    TfrmValEdit* ValEdit() const { return valEdit_.get(); }
    TFrmvortalinprint* Print() const { return print_.get(); }
    TfrmModeEdit* ModeEdit() const { return modeEdit_.get(); }
    // The tool windows every kind of window is given: these, besides the
    // main form, the inverter choice and the message box.
    void HandTo(TWindowTools& Tools) const;

    // Start-up: the connections (value editor to scheduler and project,
    // address editor to the project), the settings and the texts.
    void SetUp(const TVortalinText& Texts, const TProgCfg& Cfg, TVortalinPrj* Prj, TScheduler* Sch);
    // Start-up: the print window's texts and the folder of its PDF files.
    void SetUpPrintWindow(const TVortalinText& Texts, const TProgCfg& Cfg);
    // A settings change: the value editor's language and decimal display,
    // the address editor's language.
    void SettingsChanged(const TProgCfg& Cfg);

private:
    std::unique_ptr<TfrmAdrEdit> adrEdit_;
    std::unique_ptr<TfrmSetEdit> setEdit_;
    std::unique_ptr<TfrmRemEdit> remEdit_;
    std::unique_ptr<TfrmValEdit> valEdit_;
    std::unique_ptr<TFrmvortalinprint> print_;
    std::unique_ptr<TfrmModeEdit> modeEdit_;
};
