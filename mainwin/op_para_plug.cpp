#include "mainwin/op_para_plug.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "lists/op_para.h"
#include "lists/op_para_interaction_dlg.h"
#include "lists/val_edit.h"
#include "mainwin/fmain.h"
#include "project/prj_edit_rows.h"

#include <QPointer>

namespace {

// The language's texts of the project dialog.
void pushPrjEditTexts(const TVortalinText& t, TPrjEditRows& d)
{
    auto lines = [&t](int i) {
        const QStringList* l = t.GetStrings(7, i);
        return l ? *l : QStringList{QStringLiteral("???")};
    };
    d.FrmHeaderText = t.GetText(7, 0);
    for (int i = 0; i < 6; ++i)
        d.SetPageText(i, t.GetText(7, 1 + i));
    d.PrjNameLabText = t.GetText(7, 7);
    d.IntervalLabText = t.GetText(7, 8);
    d.RemarkLabText = t.GetText(7, 9);
    for (int g = 0; g < 7; ++g)
        d.SetButtonText(g, t.GetText(7, 10 + g));
    d.SetButtonText(7, t.GetText(7, 36));
    for (int i = 0; i < 4; ++i)
        d.SetInvColText(i, t.GetText(7, 17 + i));
    for (int i = 0; i < 3; ++i)
        d.SetFileColText(i, t.GetText(7, 21 + i));
    d.ChgCfgIdInfo = lines(33);
    d.DelCfgIdInfo = lines(34);
    d.AssFilesInfoHeader = t.GetText(7, 35);
    d.ToManyZelk = lines(46);
    d.InvAdrInUse = lines(48);
}

} // namespace

void PlugOpParaAndPrjEdit(TFMain& Main, TfrmValEdit* ValEdit)
{
    QPointer<TFMain> main(&Main);

    TOpParaEnv env;
    env.Project = Project;
    env.Scheduler = Scheduler;
    env.Texts = LangTexts;
    env.ValEdit = ValEdit;
    env.MainFrame = [main] { return main ? main->frameGeometry() : QRect(); };
    env.MakeInteraction = [](QWidget* parent) { return std::make_shared<TOpParaInteractionDlg>(parent); };
    env.ShowMessage = [](const TDwnMessage& m, const QStringList& buttons) {
        UserMessageDlg(m.Lines, buttons, m.Title, m.Icon, m.P1, m.P2, QString(), m.Default, m.Cancel);
    };
    SetOpParaEnv(env);

    TLaterWindows& later = Main.Later;
    later.CreateOpPara = [](int Inv, int Lng) -> QWidget* { return CreateOpPara(Inv, Lng); };
    later.EditPrj = [] {
        if (Project)
            Project->EditPrj(-1);
    };
    auto hex = later.HexDisplayChanged;
    later.HexDisplayChanged = [hex] {
        if (hex)
            hex();
        for (int i = 0; i < kOpParaSlots; ++i)
            if (Top_para* w = OpParaWindow(i))
                w->InvalidateValues();
    };
    auto push = later.PushTexts;
    later.PushTexts = [push](const TVortalinText& Texts, const TProgCfg& Cfg) {
        if (push)
            push(Texts, Cfg);
        if (Project)
            pushPrjEditTexts(Texts, Project->PrjEdit());
    };
}
