#include "opt_changes.h"

QString separatorOf(const QString& typed)
{
    return typed.isEmpty() ? QStringLiteral("+") : typed.left(1);
}

TOptChanges compareOptValues(const TOptValues& a, const TOptValues& b)
{
    TOptChanges c;
    const bool later = a.DefProts != b.DefProts || a.MinInvAdr != b.MinInvAdr
        || a.MaxInvAdr != b.MaxInvAdr || a.Watchinterval != b.Watchinterval
        || a.ProgLng != b.ProgLng;
    const bool now = a.CloseOnOK != b.CloseOnOK || a.CloseOnCancel != b.CloseOnCancel
        || separatorOf(a.Separator) != separatorOf(b.Separator)
        || a.DwnHighPriority != b.DwnHighPriority || a.ShowPlainTextInfo != b.ShowPlainTextInfo
        || a.ShowParaInfo != b.ShowParaInfo || a.ShowDecValue != b.ShowDecValue
        || a.ShowInvisible != b.ShowInvisible || a.ShowSupervisor != b.ShowSupervisor
        || a.SecondLng != b.SecondLng || a.lng != b.lng || a.Din != b.Din || a.Zelk != b.Zelk
        || a.Ip != b.Ip || a.Can != b.Can || a.Pbs != b.Pbs;
    c.Modified = later || now;
    c.Notify = now;
    return c;
}
