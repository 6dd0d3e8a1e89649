// Halvorn: the main program. The main window is created first; it runs the
// start-up sequence when the message loop shows it.
#include "mainwin/dwn_load_install.h"
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"
#include "mainwin/fsplash.h"
#include "mainwin/op_para_plug.h"
#include "mainwin/prj_expl_plug.h"

#include "config/prog_cfg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "scope/scope_window.h"
#include "scope/set_scope_editors.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The main window ends the program itself (start-up failures, Quit).
    QApplication::setQuitOnLastWindowClosed(false);

    auto* main = new TFMain();
    main->CmdLineParam = QCoreApplication::arguments().value(1);
    main->Splash = new TFSplash();
    // The editors and the print window, one each for the run and shared by
    // every window; the choice and explorer windows, progress, project and
    // fieldbus windows are created here as they join the program (see
    // mainwin/later_windows.h).
    auto editors = std::make_unique<TEditorWindows>();

    TDwnLoadShared tools;
    tools.ValEdit = frmValEdit;
    tools.SetEdit = frmSetEdit;
    tools.AdrEdit = frmAdrEdit;
    tools.ModeEdit = frmModeEdit;
    tools.RemEdit = frmRemEdit;
    tools.Print = Frmvortalinprint;
    InstallDwnLoad(*main, tools);

    // The scope, one window for the whole run, with the editors its set-up
    // dialog uses.
    TSetScopeEditorsDlg scopeEditors;
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
    PlugOpParaAndPrjEdit(*main, frmValEdit);
    // The project explorer, with the program's editors.
    PlugPrjExpl(*main);

    main->show();
    const int status = app.exec();
    delete scope;
    editors.reset();
    delete main;
    return status;
}
