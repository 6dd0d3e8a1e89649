#include "mainwin/halvorn_windows.h"

#include "mainwin/dwn_load_install.h"
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"
#include "mainwin/op_para_plug.h"
#include "mainwin/prj_expl_plug.h"

#include "config/prog_cfg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "scope/scope_window.h"
#include "scope/set_scope_editors.h"

THalvornWindows::THalvornWindows(TFMain& Main)
{
    // Window layouts are measured for narrower fonts: texts grow their controls.
    InstallTextFit();
    TFMain* main = &Main;
    // The editors and the print window, one each for the run and shared by
    // every window; the choice and explorer windows, progress, project and
    // fieldbus windows are created as they join the program (see
    // mainwin/later_windows.h).
    editors_ = std::make_unique<TEditorWindows>();

    TDwnLoadShared tools;
    tools.ValEdit = frmValEdit;
    tools.SetEdit = frmSetEdit;
    tools.AdrEdit = frmAdrEdit;
    tools.ModeEdit = frmModeEdit;
    tools.RemEdit = frmRemEdit;
    tools.Print = Frmvortalinprint;
    InstallDwnLoad(Main, tools);

    // The scope, one window for the whole run, with the editors its set-up
    // dialog uses.
    scopeEditors_ = std::make_unique<TSetScopeEditorsDlg>();
    TSetScopeEditorsDlg& scopeEditors = *scopeEditors_;
    scopeEditors.AdrEdit = frmAdrEdit;
    scopeEditors.ValEdit = frmValEdit;
    scopeEditors.InvSel = [](const QString& Prompt, int& Inverter) {
        int16_t a = int16_t(Inverter);
        const int r = FrmInvSel ? FrmInvSel->SelectInv(Prompt, a) : 2;
        Inverter = a;
        return r;
    };
    scopeEditors.CloseInvSel = [] {
        if (FrmInvSel && FrmInvSel->isVisible())
            FrmInvSel->close();
    };
    auto* scope = new TScope(Project, LangTexts, ProgCfg, Scheduler);
    scope_ = scope;
    scope->PrintForm = Frmvortalinprint;
    scope->MainWindow = main;
    scope->SetEditors(&scopeEditors);
    scopeEditors.Parent = scope;
    scope->OnScopeClosed = [main] { main->MenuInverterScope->setChecked(false); };
    main->Later.ShowScope = [scope](int Inv, int Lng, const QString& FileName) -> QWidget* {
        scope->ShowScope(Inv, Lng, FileName);
        return scope->ScopeOpen() ? scope : nullptr;
    };
    main->Later.HexDisplayChanged = [scope, before = main->Later.HexDisplayChanged] {
        if (before)
            before();
        if (scope->ScopeOpen())
            scope->RefreshDisplay();
    };
    // Plugged in after the scope: it chains the hooks it finds set.
    PlugOpParaAndPrjEdit(Main, frmValEdit);
    // The project explorer, with the program's editors.
    PlugPrjExpl(Main);
}

THalvornWindows::~THalvornWindows()
{
    delete scope_;
    scope_ = nullptr;
    editors_.reset();
}
