#include "lists/op_para_interaction_dlg.h"

#include "dialogs/message_dlg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"

int TOpParaInteractionDlg::Message(const TDwnMessage& Msg)
{
    const QStringList buttons = Msg.Buttons >= 1 && Msg.Buttons <= kButtonListCount && !ButtonList(Msg.Buttons).isEmpty()
        ? ButtonList(Msg.Buttons)
        : QStringList{QStringLiteral("0OK")};
    return UserMessageDlg(Msg.Lines, buttons, Msg.Title, Msg.Icon, Msg.P1, Msg.P2, QString(), Msg.Default,
                          Msg.Cancel);
}

int TOpParaInteractionDlg::ChooseInverter(const QString& Caption, int InvAdr)
{
    if (!invSel_)
        return -1;
    int16_t adr = int16_t(InvAdr);
    return invSel_->SelectInv(Caption, adr) == 1 ? adr : -1;
}
