#include "mainwin/op_para_kind.h"

#include "comm/prot_sel.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "lists/op_para_interaction_dlg.h"
#include "mainwin/fmain.h"

#include <QPointer>

TOpParaKind::TOpParaKind(TFMain& Main, TfrmValEdit* ValEdit)
{
    env_.Project = Project;
    env_.Scheduler = Scheduler;
    env_.Texts = LangTexts;
    env_.ValEdit = ValEdit;
    env_.MainForm = &Main;
    env_.MakeInteraction = [](QWidget* parent) { return std::make_shared<TOpParaInteractionDlg>(parent); };
    env_.ShowMessage = [](const TDwnMessage& m, const QStringList& buttons) {
        UserMessageDlg(m.Lines, buttons, m.Title, m.Icon, m.P1, m.P2, QString(), m.Default, m.Cancel);
    };
}

QWidget* TOpParaKind::Show(int Inv, int Lng, const QString&)
{
    return CreateOpPara(env_, Inv, Lng);
}

void TOpParaKind::HexDisplayChanged()
{
    for (int i = 0; i < kOpParaSlots; ++i)
        if (Top_para* w = OpParaWindow(i))
            w->InvalidateValues();
}
