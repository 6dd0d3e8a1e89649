#include "mainwin/scope_kind.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"
#include "scope/scope_window.h"
#include "scope/set_scope_editors.h"

#include <QAction>

TScopeKind::TScopeKind(TFMain& Main, TEditorWindows& Editors) : editors_(std::make_unique<TSetScopeEditorsDlg>())
{
    TSetScopeEditorsDlg& ed = *editors_;
    ed.AdrEdit = Editors.AdrEdit();
    ed.ValEdit = Editors.ValEdit();
    ed.InvSel = [](const QString& Prompt, int& Inverter) {
        int16_t a = int16_t(Inverter);
        const int r = FrmInvSel->SelectInv(Prompt, a);
        Inverter = a;
        return r;
    };
    ed.CloseInvSel = [] {
        if (FrmInvSel->isVisible())
            FrmInvSel->close();
    };
    TFMain* main = &Main;
    scope_ = new TScope(Project, LangTexts, ProgCfg, Scheduler);
    scope_->PrintForm = Editors.Print();
    scope_->MainForm = main;
    scope_->SetEditors(&ed);
    ed.Parent = scope_;
    scope_->OnScopeClosed = [main] { main->MenuInverterScope->setChecked(false); };
}

TScopeKind::~TScopeKind()
{
    delete scope_;
}

QWidget* TScopeKind::Show(int Inv, int Lng, const QString& FileName)
{
    scope_->ShowScope(Inv, Lng, FileName);
    return scope_->ScopeOpen() ? scope_ : nullptr;
}

void TScopeKind::HexDisplayChanged()
{
    if (scope_->ScopeOpen())
        scope_->RefreshDisplay();
}
