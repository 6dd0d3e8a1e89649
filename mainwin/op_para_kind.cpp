#include "mainwin/op_para_kind.h"

#include "dialogs/shared_objects.h"
#include "lists/op_para_interaction_dlg.h"

TOpParaKind::TOpParaKind(const TWindowTools& Tools)
{
    static_cast<TWindowTools&>(env_) = Tools;
    env_.Project = Project;
    env_.Scheduler = Scheduler;
    env_.Texts = LangTexts;
    env_.Windows = &windows_;
    QPointer<TfrmInvSel> invSel = Tools.InvSel;
    env_.MakeInteraction = [invSel](QWidget* parent) {
        return std::make_shared<TOpParaInteractionDlg>(parent, invSel.data());
    };
}

TOpParaKind::~TOpParaKind()
{
    for (QPointer<Top_para>& w : windows_)
        delete w.data();
}

QWidget* TOpParaKind::Show(int Inv, int Lng, const QString&)
{
    return CreateOpPara(env_, Inv, Lng);
}

void TOpParaKind::HexDisplayChanged()
{
    for (QPointer<Top_para>& w : windows_)
        if (w)
            w->InvalidateValues();
}
