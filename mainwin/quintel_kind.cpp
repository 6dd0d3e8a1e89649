#include "mainwin/quintel_kind.h"

#include "config/prog_cfg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"
#include "quintel/cp_window.h"

TQuintelKind::TQuintelKind(TFMain& Main, TEditorWindows& Editors) : main_(Main), editors_(Editors) {}

TQuintelKind::~TQuintelKind()
{
    for (auto& w : QuintelWindows)
        delete w.data();
}

QWidget* TQuintelKind::Show(int Inv, int Lng, const QString&)
{
    TCpWindowEnv& env = env_;
    env.Scheduler = Scheduler;
    env.Project = Project;
    env.Texts = LangTexts;
    env.ClpBrd = ClpBrd;
    env.InvSel = FrmInvSel;
    env.MainForm = &main_;
    env.AppName = ProgCfg->AppName;
    env.VersionText = ProgCfg->VersionText;
    IMainInteraction* ui = &main_.Interaction();
    env.Message = [ui](const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                       const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) {
        return ui->Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
    };
    env.ValEdit = editors_.ValEdit();
    env.PrintForm = editors_.Print();
    env.PrintForm->SetDataPath(ProgCfg->DataPath);
    return ShowQuintelWindow(env, Inv, Lng);
}
