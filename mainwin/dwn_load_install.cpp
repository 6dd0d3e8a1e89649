#include "mainwin/dwn_load_install.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/dwn_load.h"
#include "lists/val_edit.h"
#include "mainwin/fmain.h"
#include "project/vortalin_prj.h"

void InstallDwnLoad(TFMain& Main, const TDwnLoadShared& Tools)
{
    TDwnLoadShared& sh = DwnLoadShared();
    sh = Tools;
    sh.MainWindow = &Main;
    if (sh.AdrEdit && Project)
        sh.AdrEdit->SetProject(Project);
    if (sh.ValEdit)
        sh.ValEdit->Connect(Scheduler, Project);

    TLaterWindows& later = Main.Later;
    later.CreateDwnLoad = [](int Inv, int Lng, const QString& FileName) -> QWidget* {
        return CreateDwnLoad(Inv, Lng, FileName);
    };
    later.ShowDwnLoadFile = [](int Inv, int Lng, const QString& FileName) -> QWidget* {
        return ShowDwnLoadFile(Inv, Lng, FileName);
    };
    // Until the explorer names one, the current inverter is the project's
    // first.
    if (!later.CurrentInv)
        later.CurrentInv = [] {
            for (int a = 0; Project && a < kPrjInvCount; ++a)
                if (Project->GetInv(a))
                    return a;
            return 0;
        };
    later.HexDisplayChanged = [before = later.HexDisplayChanged] {
        if (before)
            before();
        for (TDwnLoad* w : DwnLoadWindows())
            w->RefreshList();
    };
    later.SaveParas = [&later] {
        if (!FrmInvSel)
            return;
        int16_t inv = int16_t(later.CurrentInv ? later.CurrentInv() : 0);
        if (FrmInvSel->SelectInv(LangTexts ? LangTexts->GetText(0, 45) : QString(), inv) == 1)
            DwnSaveParas(inv, ProgCfg ? ProgCfg->lng : 0);
    };
}
