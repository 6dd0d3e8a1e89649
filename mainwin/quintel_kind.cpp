#include "mainwin/quintel_kind.h"

#include "config/prog_cfg.h"
#include "dialogs/shared_objects.h"
#include "quintel/cp_window.h"

TQuintelKind::TQuintelKind(const TWindowTools& Tools)
{
    static_cast<TWindowTools&>(env_) = Tools;
    env_.Scheduler = Scheduler;
    env_.Project = Project;
    env_.Texts = LangTexts;
    env_.ClpBrd = ClpBrd;
    env_.Windows = &windows_;
}

TQuintelKind::~TQuintelKind()
{
    for (QPointer<TfrmCpWindow>& w : windows_)
        delete w.data();
}

void TQuintelKind::TextsChanged(const TVortalinText&, const TProgCfg& Cfg)
{
    env_.AppName = Cfg.AppName;
    env_.VersionText = Cfg.VersionText;
}

QWidget* TQuintelKind::Show(int Inv, int Lng, const QString&)
{
    return ShowQuintelWindow(env_, Inv, Lng);
}
