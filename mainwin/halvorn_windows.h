#pragma once

#include <memory>

class TFMain;
class TEditorWindows;
class TScope;
class TSetScopeEditorsDlg;

// The main program's windows around the main window: the single editors
// and print window, the download lists, the scope with its set-up editors,
// the operator-parameter windows, the project dialog and the explorer.
// The program's entry creates them right after the main window (and its
// splash) and frees them before it; tests start the same set.
class THalvornWindows {
public:
    explicit THalvornWindows(TFMain& Main);
    ~THalvornWindows();
    THalvornWindows(const THalvornWindows&) = delete;
    THalvornWindows& operator=(const THalvornWindows&) = delete;

    TScope* Scope() const { return scope_; }

private:
    std::unique_ptr<TEditorWindows> editors_;
    std::unique_ptr<TSetScopeEditorsDlg> scopeEditors_;
    TScope* scope_ = nullptr;
};
