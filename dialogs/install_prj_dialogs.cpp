#include "dialogs/install_prj_dialogs.h"

#include "config/prog_cfg.h"
#include "dialogs/add_file_dlg.h"
#include "dialogs/inv_edit_dlg.h"
#include "dialogs/prj_interaction_dlg.h"
#include "dialogs/progress_form.h"
#include "dialogs/sel_cfg_dlg.h"
#include "project/vortalin_prj.h"

TPrjDialogs::~TPrjDialogs() = default;

void TPrjDialogs::SetTexts(const TVortalinText& texts)
{
    SelCfg->SetTexts(texts);
    InvEdit->SetTexts(texts);
    AddFile->SetTexts(texts);
}

std::shared_ptr<TPrjDialogs> InstallPrjDialogs(TVortalinPrj& prj, const TProgCfg& cfg, QWidget* parent)
{
    auto dlgs = std::make_shared<TPrjDialogs>();
    dlgs->SelCfg = std::make_unique<TFrmSelCfg>(nullptr);
    dlgs->InvEdit = std::make_unique<TfrmInvEdit>(nullptr);
    dlgs->AddFile = std::make_unique<TfrmAddFileDlg>(nullptr);
    dlgs->InvEdit->SelCfgDlg = dlgs->SelCfg.get();
    const TCfgFileList* index = &cfg.CfgFileList;
    dlgs->SelCfg->CfgFileList = index;

    auto ui = std::make_shared<TPrjInteractionDlg>(parent);
    // The hooks hold the dialogs: they go with the interaction.
    ui->SelCfgDlg = [dlgs, index](int InvAdr, bool AllowAuto) {
        dlgs->SelCfg->CfgFileList = index;
        return dlgs->SelCfg->Execute(InvAdr, AllowAuto);
    };
    ui->InvEditDlg = [dlgs](TInvEditData& d) {
        TfrmInvEdit& f = *dlgs->InvEdit;
        f.SetInvName(d.InvName);
        f.SetInvAdr(d.InvAdr);
        f.SetCfgId(d.CfgId);
        f.SetProt(d.Prot);
        f.SetEditName(d.EditName);
        f.SetEditAdr(d.EditAdr);
        f.SetEditCfg(d.EditCfg);
        f.SetEditProt(d.EditProt);
        if (!f.Execute())
            return false;
        d.InvName = f.InvName();
        d.InvAdr = f.InvAdr();
        d.CfgId = f.CfgId();
        d.Prot = f.Prot();
        return true;
    };
    ui->AddFileDlg = [dlgs](const QString& FileName, const QStringList& Choices) {
        dlgs->AddFile->SetChoices(Choices);
        return dlgs->AddFile->Execute(FileName);
    };
    PlugPrjEditDlg(*ui, prj, parent);
    prj.SetInteraction(ui);
    prj.SetProgress(std::make_unique<TfrmProgress>());
    return dlgs;
}
