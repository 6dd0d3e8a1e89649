#include "lists/dwn_load_dlg.h"

#include "config/lang_texts.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/prj_interaction_dlg.h"
#include "dialogs/progress_form.h"
#include "dialogs/progress_window.h"

#include <QApplication>

static QString txt(const TVortalinText* t, int s, int i)
{
    return t ? t->GetText(s, i) : QStringLiteral("???");
}

QStringList DwnButtonList(const TVortalinText* T, int List)
{
    // The main window's lists once it filled them.
    if (List >= 1 && List <= kButtonListCount && !ButtonList(List).isEmpty())
        return ButtonList(List);
    switch (List) {
    case dblOk: return {u'0' + txt(T, 0, 6)};
    case dblYesNo: return {u'3' + txt(T, 0, 8), u'4' + txt(T, 0, 9)};
    case dblIgnoreCancel: return {u'8' + txt(T, 0, 10), u'6' + txt(T, 0, 7)};
    case dblYesNoCancel: return {u'3' + txt(T, 0, 8), u'4' + txt(T, 0, 9), u'6' + txt(T, 0, 7)};
    case dblBuildModes: return {u':' + txt(T, 2, 23), u':' + txt(T, 2, 24), u':' + txt(T, 2, 25)};
    default: return {};
    }
}

TDwnLoadDlg::TDwnLoadDlg(const TVortalinText* Texts, QWidget* Parent) : texts_(Texts), parent_(Parent) {}

TDwnLoadDlg::~TDwnLoadDlg()
{
    while (busy_ > 0)
        BusyCursor(false);
}

int TDwnLoadDlg::Message(const TDwnMessage& Msg)
{
    const int saved = UserMsgHelpContext;
    UserMsgHelpContext = Msg.HelpContext;
    const int r = UserMessageDlg(Msg.Lines, DwnButtonList(texts_, Msg.Buttons), Msg.Title, Msg.Icon,
                                 Msg.P1, Msg.P2, QString(), Msg.Default, Msg.Cancel);
    UserMsgHelpContext = saved;
    return r;
}

QString TDwnLoadDlg::ChooseSaveFile(const TDwnSaveDlg& Dlg)
{
    TSaveDlgOptions o;
    o.DefaultExt = Dlg.FilterIndex == 2 ? QStringLiteral("op5") : QStringLiteral("dw5");
    o.Filter = SaveFilter;
    o.FilterIndex = Dlg.FilterIndex;
    o.InitialDir = Dlg.InitialDir;
    o.FileName = Dlg.FileName;
    return TPrjInteractionDlg(parent_).ChooseSaveFile(o);
}

int TDwnLoadDlg::ChooseInverter(const QString& Caption, int InvAdr)
{
    return InvSelDlg ? InvSelDlg(Caption, InvAdr) : -1;
}

IProgress& TDwnLoadDlg::Progress()
{
    if (!progress_)
        progress_ = std::make_unique<TfrmProgress>();
    return *progress_;
}

void TDwnLoadDlg::ShowWait(const QString& Caption, const QString& Text, int Max)
{
    if (!wait_)
        wait_ = std::make_unique<TProgress>();
    wait_->SetTexts(Caption, Text, QString());
    wait_->Start(Max);
}

void TDwnLoadDlg::UpdateWait(int Remaining)
{
    if (wait_)
        wait_->Step(Remaining);
}

void TDwnLoadDlg::HideWait()
{
    if (wait_)
        wait_->Stop();
}

void TDwnLoadDlg::BusyCursor(bool On)
{
    if (On) {
        ++busy_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0) {
        --busy_;
        QApplication::restoreOverrideCursor();
    }
}
