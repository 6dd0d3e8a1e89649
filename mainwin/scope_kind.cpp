#include "mainwin/scope_kind.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/val_edit.h"
#include "lists/window_tools.h"
#include "mainwin/fmain.h"
#include "scope/scope_window.h"
#include "scope/set_scope_editors.h"

#include <QAction>

TScopeKind::TScopeKind(TFMain& Main, const TWindowTools& Tools) : editors_(std::make_unique<TSetScopeEditorsDlg>())
{
    TSetScopeEditorsDlg& ed = *editors_;
    ed.AdrEdit = Tools.AdrEdit;
    ed.ValEdit = Tools.ValEdit;
    QPointer<TfrmInvSel> invSel = Tools.InvSel;
    ed.InvSel = [invSel](const QString& Prompt, int& Inverter) {
        int16_t a = int16_t(Inverter);
        const int r = invSel ? invSel->SelectInv(Prompt, a) : 2;
        Inverter = a;
        return r;
    };
    ed.CloseInvSel = [invSel] {
        if (invSel && invSel->isVisible())
            invSel->close();
    };
    TFMain* main = &Main;
    scope_ = new TScope(Project, LangTexts, ProgCfg, Scheduler);
    scope_->PrintForm = Tools.Print;
    scope_->MainForm = Tools.MainForm;
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
