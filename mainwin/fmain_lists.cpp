// The main window's shared list objects: the internal clipboard, the drag
// object, the work-list manager and the inverter choice.
#include "mainwin/fmain.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/drag_drop.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/clpbrd_qt_sink.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "lists/wrk_lists.h"

namespace {

// The work lists' questions go through the main window's dialogs, so that
// they are shown (and, in tests, recorded) in one place.
class TMainListInteraction : public IListInteraction {
public:
    explicit TMainListInteraction(IMainInteraction& ui) : ui_(ui) {}
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) override
    {
        return ui_.Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
    }
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override { return ui_.ChooseSaveFile(Options); }

private:
    IMainInteraction& ui_;
};

}  // namespace

void TFMain::createListObjects()
{
    DragDrop = new TDragDrop(this);
    WrkLists = new TWrkLists(this);
    WrkLists->SetInteraction(std::make_shared<TMainListInteraction>(*ui_));
    ClpBrd = new TVortalinClpBrd(this);
    ClpBrd->SetSink(std::make_shared<TQtClpBrdSink>());
    InvSel = new TfrmInvSel();
}

void TFMain::releaseListObjects()
{
    delete InvSel;
    InvSel = nullptr;
    delete WrkLists;
    WrkLists = nullptr;
    delete ClpBrd;
    ClpBrd = nullptr;
    delete DragDrop;
    DragDrop = nullptr;
}

void TFMain::pushListTexts()
{
    const TVortalinText& t = *langTexts_;
    const TProgCfg& cfg = *progCfg_;
    TWrkLists& m = *WrkLists;
    m.SetTexts(t, cfg.AppName, cfg.VersionText);
    m.SetShowDecValue(cfg.ShowDecValue);
    m.SetDataPath(cfg.DataPath);
    m.SetScheduler(scheduler_);
    m.SetProject(project_);
    m.SetVortalinClipBoard(ClpBrd);
    m.SetDragDropObj(DragDrop);
    m.SetOnGetErrorText([this](int code) { return langTexts_->GetErrorText(code); });
    listSettingsChanged(cfg);

    InvSel->SetOkText(t.GetText(0, 6));
    InvSel->SetCancelText(t.GetText(0, 7));
    InvSel->SetCaptionText(t.GetText(5, 0));
    InvSel->SetProject(project_);
}

void TFMain::listSettingsChanged(const TProgCfg& Cfg)
{
    if (WrkLists) {
        WrkLists->SetSeparator(Cfg.Separator.isEmpty() ? QChar(u'\0') : Cfg.Separator.at(0));
        WrkLists->SetShowDecValue(Cfg.ShowDecValue);
        WrkLists->SetLanguage(Cfg.lng);
    }
    if (InvSel) {
        InvSel->CloseOnOK = Cfg.CloseOnOK;
        InvSel->CloseOnCancel = Cfg.CloseOnCancel;
    }
}
