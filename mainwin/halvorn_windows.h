#pragma once

#include "lists/window_tools.h"
#include "mainwin/dwn_load_kind.h"
#include "mainwin/editor_windows.h"
#include "mainwin/op_para_kind.h"
#include "mainwin/prj_expl_kind.h"
#include "mainwin/quintel_kind.h"
#include "mainwin/scope_kind.h"
#include "mainwin/wrk_list_kind.h"

class TFMain;

// The main program's windows around the main window, in the order the
// program's entry creates them: the single editors and print window, the
// project explorer, the scope, then the operator-parameter, work-list,
// download-list and Quintel-mode windows. What the windows use besides the
// shared objects (the main form, the tool windows, the message box) is
// gathered once here and given to every kind; the main window reaches the
// kinds through its table of window kinds, filled here. Created right after
// the main window (and its splash), freed before it, the last created
// first; tests start the same set.
class THalvornWindows {
public:
    explicit THalvornWindows(TFMain& Main);
    ~THalvornWindows();
    THalvornWindows(const THalvornWindows&) = delete;
    THalvornWindows& operator=(const THalvornWindows&) = delete;

    TEditorWindows& Editors() { return editors_; }
    const TWindowTools& Tools() const { return tools_; }
    TPrjExplKind& PrjExpl() { return prjExpl_; }
    TScopeKind& Scope() { return scope_; }
    TOpParaKind& OpPara() { return opPara_; }
    TDwnLoadKind& DwnLoad() { return dwnLoad_; }
    TQuintelKind& Quintel() { return quintel_; }

private:
    // Window layouts are measured for narrower fonts: texts grow their
    // controls. Installed before the first window is created.
    struct TTextFitting {
        TTextFitting();
    };

    TFMain& main_;
    TTextFitting textFitting_;
    TEditorWindows editors_;
    TWindowTools tools_;
    TPrjExplKind prjExpl_;
    TScopeKind scope_;
    TOpParaKind opPara_;
    TWrkListKind wrkList_;
    TDwnLoadKind dwnLoad_;
    TQuintelKind quintel_;
};
