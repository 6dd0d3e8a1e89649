#pragma once

#include <memory>

class TFMain;
class TEditorWindows;
class TDwnLoadKind;
class TOpParaKind;
class TPrjExplKind;
class TQuintelKind;
class TScopeKind;
class TWrkListKind;

// The main program's windows around the main window, in the order the
// program's entry creates them: the single editors and print window, the
// project explorer, the scope, then the operator-parameter, work-list,
// download-list and Quintel-mode windows. Each gets what it uses at
// construction; the main window reaches them through its table of window
// kinds, filled here. Created right after the main window (and its splash),
// freed before it; tests start the same set.
class THalvornWindows {
public:
    explicit THalvornWindows(TFMain& Main);
    ~THalvornWindows();
    THalvornWindows(const THalvornWindows&) = delete;
    THalvornWindows& operator=(const THalvornWindows&) = delete;

    TEditorWindows& Editors() const { return *editors_; }
    TPrjExplKind& PrjExpl() const { return *prjExpl_; }
    TScopeKind& Scope() const { return *scope_; }

private:
    TFMain& main_;
    std::unique_ptr<TEditorWindows> editors_;
    std::unique_ptr<TPrjExplKind> prjExpl_;
    std::unique_ptr<TScopeKind> scope_;
    std::unique_ptr<TOpParaKind> opPara_;
    std::unique_ptr<TWrkListKind> wrkList_;
    std::unique_ptr<TDwnLoadKind> dwnLoad_;
    std::unique_ptr<TQuintelKind> quintel_;
};
