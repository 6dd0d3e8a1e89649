#include "dialogs/prj_interaction_dlg.h"

#include "project/vortalin_prj.h"
#include "dialogs/file_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/prj_edit.h"
#include "dialogs/progress_form.h"


static_assert(int(pmiWarning) == icWarning && int(pmiError) == icError
                  && int(pmiInformation) == icInformation
                  && int(pmiConfirmation) == icConfirmation && int(pmiNone) == icNone,
              "project icon codes are the message dialog's");

TPrjInteractionDlg::TPrjInteractionDlg(QWidget* parent) : parent_(parent) {}

int TPrjInteractionDlg::Message(const QStringList& Msg, const QStringList& Buttons,
                                const QString& Title, int Icon, const QString& P1,
                                const QString& P2, const QString& P3, int Default, int Cancel)
{
    return UserMessageDlg(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
}

QString TPrjInteractionDlg::ChooseSaveFile(const TSaveDlgOptions& Options)
{
    return ChooseFileDlg(fdSave, Options, parent_, QStringLiteral("dlgSavePrj"), parent_);
}

int TPrjInteractionDlg::ChooseCfg(int InvAdr, bool AllowAuto)
{
    return SelCfgDlg ? SelCfgDlg(InvAdr, AllowAuto) : -1;
}

bool TPrjInteractionDlg::EditInv(TInvEditData& Data)
{
    return InvEditDlg ? InvEditDlg(Data) : false;
}

int TPrjInteractionDlg::AskAddFile(const QString& FileName, const QStringList& Choices)
{
    return AddFileDlg ? AddFileDlg(FileName, Choices) : -2;
}

void PlugPrjEditDlg(TPrjInteractionDlg& ui, TVortalinPrj& prj, QWidget* parent)
{
    // A dialog for each run; the rows keep the page shown last.
    QPointer<QWidget> owner(parent);
    TVortalinPrj* project = &prj;
    ui.PrjEditDlg = [owner, project](TPrjEditRows& rows) {
        TfrmPrjEdit dlg(owner.data());
        dlg.FilterStr = project->FilterStr;
        return dlg.Execute(rows);
    };
}

void InstallPrjDialogs(TVortalinPrj& prj, QWidget* parent)
{
    auto ui = std::make_shared<TPrjInteractionDlg>(parent);
    PlugPrjEditDlg(*ui, prj, parent);
    prj.SetInteraction(ui);
    prj.SetProgress(std::make_unique<TfrmProgress>());
}
