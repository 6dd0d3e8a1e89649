#include "mainwin/prj_expl_kind.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/max_placement.h"
#include "dialogs/shared_objects.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/window_tools.h"
#include "mainwin/fmain.h"
#include "mainwin/prj_expl.h"

#include <QAction>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// The explorer's texts from section 3 of the language file (a few shared
// ones from sections 0 and 4).
TPrjExplTexts explTexts(const TVortalinText& t)
{
    TPrjExplTexts x;
    auto s = [&t](int i) { return t.GetText(3, i); };
    x.tsGrpListCaption = s(3);
    x.tsParaListCaption = s(4);
    x.NameText = s(15);
    x.IdText = s(23);
    x.ValText = s(24);
    x.NotActText = s(52);
    x.tsPlaintextCaption = s(53);
    x.tsScopeCaption = s(54);
    x.tsWorkCaption = s(55);
    x.tsProgCaption = s(56);
    x.tsRemCaption = s(57);
    x.SbInvText = s(58);
    x.SbSetAdrModeText = s(59);
    x.SbSetPtrText = s(60);
    x.SbActSetText = s(61);
    x.SbPasswordText = s(62);
    x.NotProgText = s(63);
    x.IndOnlyText = s(64);
    x.NoText = s(65);
    x.YesText = s(66);
    if (const QStringList* rw = t.GetStrings(3, 67))
        x.RWText = *rw;
    x.EditSetPtrText = s(68);
    x.EditSetText = s(69);
    x.EditPasswordText = s(70);
    x.IndirectText = s(71);
    x.tsLinkedFilesCaption = s(72);
    x.HeaderText = s(73);
    x.NotConnectedText = s(74);
    x.ConnectedText = s(75);
    x.IncorrectIdText = s(76);
    x.ExpandSetDisplText = s(77);
    x.CollapseSetDisplText = s(78);
    x.VariableValueText = s(79);
    x.PathText = t.GetText(7, 23);
    x.InvText = t.GetText(4, 0);
    x.SetText = t.GetText(4, 2);
    x.UnknownInvText = t.GetText(0, 4);
    return x;
}

void pushCaptions(const TVortalinText& t, TFPrjExpl& w)
{
    // Page tabs: list, project, inverter, group, parameter, plain texts,
    // bit field, named value, details.
    const int pages[9] = {4, 1, 2, 5, 6, 8, 9, 10, 7};
    for (int i = 0; i < 9; ++i)
        w.SetPageText(i, t.GetText(3, pages[i]));
    const std::pair<const char*, int> labels[] = {
        {"lbPrjName", 11},     {"lbWatchInterval", 12}, {"lbRemarks", 13},      {"lbInvName", 17},
        {"lbInvAdr", 18},      {"lbInvPrjCfgId", 19},   {"lbInvCfgIdInUse", 20}, {"lbInvCfgId", 21},
        {"lbInvState", 22},    {"lbGrpIndex", 25},      {"lbGrpId", 26},         {"lbGrpShortcut", 27},
        {"lbGrpProp", 28},     {"lbGrpMaxPara", 29},    {"lbGrpLastPara", 30},   {"lbGrpBaseAddr", 31},
        {"lbGrpName", 32},     {"lbUpperLim", 34},      {"lbLowerLim", 35},      {"lbDefVal", 36},
        {"lbResolution", 37},  {"lbProgrammable", 38},  {"lbWriteProt", 39},     {"lbEnter", 40},
        {"lbAttr", 41},        {"lbFlags", 42},         {"lbMul", 43},           {"lbDiv", 44},
        {"lbOffset", 45},      {"lbFormat", 46},        {"lbTextId", 47},        {"lbPtTextId", 47},
        {"lbDefCount", 48},    {"lbDefMask", 50},       {"lbAddr", 14},          {"lbName", 15},
        {"lbIdText", 23},      {"lbDefName", 15},       {"lbSubName", 15},       {"lbSubValue", 24},
    };
    for (const auto& [name, i] : labels)
        w.SetFieldCaption(QLatin1String(name), t.GetText(3, i));
    w.SetFieldCaption(QStringLiteral("lbSubAttr"), t.GetText(3, 51));
    w.SetFieldCaption(QStringLiteral("labPrjInvList"), t.GetText(3, 58));
    w.SetFieldCaption(QStringLiteral("labDefIndList"), t.GetText(3, 49));
    w.SetFieldCaption(QStringLiteral("lbInvProt"), t.GetText(7, 20));
    // The columns of the project's inverters, a plain-text table and a
    // definition's values.
    w.InvListView->setHeaderLabels({t.GetText(3, 14), t.GetText(3, 15), t.GetText(3, 16)});
    w.lvPlainText->setHeaderLabels({t.GetText(3, 50), t.GetText(3, 15)});
    w.lvSubInd->setHeaderLabels({t.GetText(3, 24), t.GetText(3, 51), t.GetText(3, 15)});
    // The list's pop-up entries shared with the main menu.
    w.MiEditVal->setText(t.GetText(5, 3));
    w.MiCopy->setText(t.GetText(5, 6));
    w.MiMarkAll->setText(t.GetText(5, 9));
}

void pushSettings(const TProgCfg& c, TFPrjExpl& w)
{
    TPrjExplCore& core = w.Core();
    core.Separator = c.Separator;
    core.ShowDecValue = c.ShowDecValue;
    core.ShowParaInfo = c.ShowParaInfo;
    const bool filters = core.ShowInvisible != c.ShowInvisible || core.ShowSupervisor != c.ShowSupervisor;
    core.ShowInvisible = c.ShowInvisible;
    core.ShowSupervisor = c.ShowSupervisor;
    core.SetShowPTInfo(c.ShowPlainTextInfo);
    core.SetLanguage(c.lng);
    if (filters && core.Root())
        w.RebuildTree();
}

} // namespace

TPrjExplKind::TPrjExplKind(TFMain& Main, const TWindowTools& Tools)
{
    const TMainRef main(Main);
    w_ = new TFPrjExpl(&Main);
    TFPrjExpl* w = w_;
    w->hide();
    w->MainForm = Tools.MainForm;
    w->ValEdit = Tools.ValEdit;
    w->SetEdit = Tools.SetEdit;
    // Maximised, it fills the work area below the bar.
    InstallMaxPlacement(w);
    w->OnClosed = [main] {
        if (main) {
            main->MenuPrjExpl->setChecked(false);
            main->ExplBtn->setChecked(false);
        }
    };
    // Linked files are opened by the main window.
    w->Core().OnPrjChgReq = [main](QObject* Sender, int Code, const QString& FileName) {
        if (main)
            main->PrjChgReq(Sender, Code, FileName);
    };
    // An open remark editor no longer writes to its former owner.
    QPointer<TfrmRemEdit> rem = Tools.RemEdit;
    w->DetachRemarkEditor = [rem] {
        if (rem && rem->isVisible())
            rem->EditRemark(QStringLiteral(" "), QString(), nullptr);
    };
}

QWidget* TPrjExplKind::Show(int, int, const QString&)
{
    if (!w_->Core().Root())
        w_->RebuildTree();
    w_->show();
    w_->raise();
    w_->activateWindow();
    return w_;
}

void TPrjExplKind::RebuildTree()
{
    w_->RebuildTree();
}

int TPrjExplKind::CurrentInv() const
{
    return w_->Core().CurAdr < 0 ? 0 : w_->Core().CurAdr;
}

void TPrjExplKind::InvStateChanged(int InvAdr, int NewState)
{
    w_->Core().SetInvState(InvAdr, NewState);
}

void TPrjExplKind::ProjectChanged(TPrjChanges Chg)
{
    TPrjExplCore& core = w_->Core();
    if (Chg & pcGeneral)
        core.UpdatePrjProps();
    if (Chg & pcFiles)
        core.UpdateFileLists();
    if (Chg & pcInvName)
        core.UpdateInvNames();
}

void TPrjExplKind::TextsChanged(const TVortalinText& Texts, const TProgCfg& Cfg)
{
    TPrjExplCore& core = w_->Core();
    core.Project = Project;
    if (core.SchedSlot < 0)
        core.SetScheduler(Scheduler, w_);
    const TVortalinText* t = &Texts;
    core.OnGetErrorText = [t](int code) { return t->GetErrorText(code); };
    w_->SetTexts(explTexts(Texts));
    pushCaptions(Texts, *w_);
    pushSettings(Cfg, *w_);
}

void TPrjExplKind::SettingsChanged(const TProgCfg& Cfg)
{
    pushSettings(Cfg, *w_);
}
