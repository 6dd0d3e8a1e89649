#include "lists/window_tools.h"

#include "dialogs/message_dlg.h"

int TWindowTools::ShowMessage(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                              const QString& P1, const QString& P2, const QString& P3, int Default,
                              int Cancel) const
{
    if (Message)
        return Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
    return UserMessageDlg(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
}
