#pragma once

// The windows the main program adds to its main window at program entry:
// the editors and the print window, the download-list tools, the scope with
// the editors of its set-up dialog, the operator-parameter and project-edit
// hooks and the project explorer. One for the run, created after the main
// window (before its start-up); Release() before the main window is freed,
// the object itself after it.

#include <memory>

class TEditorWindows;
class TFMain;
class TScope;
class TSetScopeEditorsDlg;
struct TDwnLoadShared;

class THalvornWindows {
public:
    explicit THalvornWindows(TFMain& Main);
    ~THalvornWindows();
    THalvornWindows(const THalvornWindows&) = delete;
    THalvornWindows& operator=(const THalvornWindows&) = delete;

    TScope* Scope() const { return scope_.get(); }
    // Frees the scope and then the editors, which must not outlive the
    // scheduler, project and texts of the main window. What the main window
    // still refers to while it is freed (the download-list tools, the scope
    // set-up's editors) stays until this object goes.
    void Release();

private:
    std::unique_ptr<TEditorWindows> editors_;
    std::unique_ptr<TDwnLoadShared> tools_;
    std::unique_ptr<TSetScopeEditorsDlg> scopeEditors_;
    std::unique_ptr<TScope> scope_;
};
