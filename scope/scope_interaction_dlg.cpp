#include "scope/scope_interaction_dlg.h"

#include "config/lang_texts.h"
#include "dialogs/shared_objects.h"

QStringList TScopeInteractionDlg::Buttons(int ButtonList) const
{
    if (ButtonList >= 1 && ButtonList <= kButtonListCount && !ButtonLists[size_t(ButtonList - 1)].isEmpty())
        return ButtonLists[size_t(ButtonList - 1)];
    auto t = [this](int i) { return texts_ ? texts_->GetText(0, i) : QString(); };
    switch (ButtonList) {
    case sbYesNo:
        return {QStringLiteral("3") + t(8), QStringLiteral("4") + t(9)};
    case sbYesNoCancel:
        return {QStringLiteral("3") + t(8), QStringLiteral("4") + t(9), QStringLiteral("1") + t(7)};
    default:
        return {QStringLiteral("0") + t(6)};
    }
}

int TScopeInteractionDlg::Message(const QStringList& Msg, int ButtonList, const QString& Title, int Icon,
                                  const QString& P1, const QString& P2, const QString& P3, int Default,
                                  int Cancel)
{
    return dlg_.Message(Msg, Buttons(ButtonList), Title, Icon, P1, P2, P3, Default, Cancel);
}

QString TScopeInteractionDlg::ChooseSaveFile(const TSaveDlgOptions& Options, const QString& Proposal)
{
    TSaveDlgOptions o = Options;
    if (!Proposal.isEmpty())
        o.FileName = Proposal;
    return dlg_.ChooseSaveFile(o);
}
