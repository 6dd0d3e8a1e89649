// The main window: project events and settings changes.
#include "mainwin/fmain.h"
#include "mainwin/fmain_helpers.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/prog_cfg.h"
#include "dialogs/qt_translations.h"
#include "mainwin/editor_windows.h"
#include "project/prj_paths.h"

using namespace fmain_detail;

// ------------------------------------------------------------------ project events

QString TFMain::PrjCaption() const
{
    const QString name = project_->FileName.isEmpty() ? project_->DefPrjName : PrjBaseName(project_->FileName);
    return progCfg_->AppName + QStringLiteral(" - ") + name;
}

void TFMain::PrjDataInvListChanged(QObject*, TPrjChanges PrjChg)
{
    if (PrjChg & (pcInvAdded | pcInvRemoved)) {
        scheduler_->SetActive(false);
        scheduler_->Detach();
        for (int a = 0; a < kPrjInvCount; ++a) {
            const TPrjInvRec* inv = project_->GetInv(a);
            ProtSel->SetProtocol(a, inv ? inv->Prot : prOffline);
        }
        for (int s = 0; s < TScheduler::SlotCount; ++s)
            if (TSchItem* item = scheduler_->GetItem(s); item && item->OnInvListChanged) {
                const auto f = item->OnInvListChanged;
                f();
            }
        scheduler_->Attach(ProtSel);
        scheduler_->SetActive(true);
    }
    // A file being read is named only once it has loaded.
    if ((PrjChg & pcGeneral) && !prjLoading_)
        setWindowTitle(PrjCaption());
    forEachKind([PrjChg](IWindowKind& k) { k.ProjectChanged(PrjChg); });
}

void TFMain::PrjDataInvProtChanged(QObject*, int InvAdr, TProt pr)
{
    ProtSel->SetProtocol(InvAdr, pr);
}

void TFMain::PrjDataInvStateChanged(QObject*, int InvAdr, int NewState)
{
    forEachKind([InvAdr, NewState](IWindowKind& k) { k.InvStateChanged(InvAdr, NewState); });
}

void TFMain::ProgCfgChanged(TProgCfg* Cfg)
{
    const TProgCfg& c = *Cfg;
    // Qt's own texts (file dialogs, standard buttons) in the program's
    // language, from the start on and as soon as the setting changes.
    InstallQtTranslations(c.ProgLng);
    forEachKind([&c](IWindowKind& k) { k.SettingsChanged(c); });
    listSettingsChanged(c);
    if (Editors)
        Editors->SettingsChanged(c);

    // The drivers, one at a time; a driver is touched only when one of its
    // settings differs. An open one is closed, set and opened again; a
    // closed one is set and the selector opens what addresses use.
    auto apply = [this](TTOProp* prop, bool differs, const std::function<void()>& set) {
        if (!differs)
            return;
        if (prop->IsOpen()) {
            prop->Close();
            set();
            prop->Open();
        } else {
            set();
            ProtSel->UpdateDrivers();
        }
    };
    TAnsiProp* din = ProtSel->Ansi();
    apply(din,
          din->GetComport() != c.Din.Comport || din->GetBaudrate() != c.Din.Baudrate ||
              din->GetSendSlow() != c.Din.SendSingle || din->GetTimeOut() != c.Din.TimeOut ||
              din->GetModemCmd() != c.Din.ModemCmd.trimmed(),
          [&] {
              din->SetComport(c.Din.Comport);
              din->SetBaudrate(c.Din.Baudrate);
              din->SetSendSlow(c.Din.SendSingle);
              din->SetTimeOut(c.Din.TimeOut);
              din->SetModemCmd(c.Din.ModemCmd);
          });
    TSerialProp* zelk = ProtSel->Zelk();
    apply(zelk,
          zelk->GetComport() != c.Zelk.Comport || zelk->GetBaudrate() != c.Zelk.Baudrate ||
              zelk->GetTimeOut() != c.Zelk.TimeOut || zelk->GetSendSlow() != c.Zelk.SendSingle,
          [&] {
              zelk->SetComport(c.Zelk.Comport);
              zelk->SetBaudrate(c.Zelk.Baudrate);
              zelk->SetTimeOut(c.Zelk.TimeOut);
              zelk->SetSendSlow(c.Zelk.SendSingle);
          });
    TIPProp* ip = ProtSel->Ip();
    apply(ip,
          ip->GetIpAddress() != c.Ip.Host || ip->GetIpPort() != c.Ip.Port || ip->GetUDP() != c.Ip.UDP ||
              ip->GetTimeOut() != c.Ip.TimeOut,
          [&] {
              ip->SetIpAddress(c.Ip.Host);
              ip->SetIpPort(c.Ip.Port);
              ip->SetUDP(c.Ip.UDP);
              ip->SetTimeOut(c.Ip.TimeOut);
          });
    TCanProp* can = ProtSel->Can();
    apply(can,
          can->GetCardID() != c.Can.CardId || int(can->GetBaudRate()) != c.Can.Baudrate ||
              can->GetTimeOut() != c.Can.TimeOut || can->GetWaitTout() != c.Can.WaitTOut,
          [&] {
              can->SetCardID(c.Can.CardId);
              can->SetBaudRate(TCanBaudRate(c.Can.Baudrate));
              can->SetTimeOut(c.Can.TimeOut);
              can->SetWaitTout(c.Can.WaitTOut);
          });
    TPbsProp* pbs = ProtSel->PBS();
    apply(pbs,
          int(pbs->GetBaudRate()) != c.Pbs.Baudrate || pbs->GetTimeOut() != c.Pbs.TimeOut ||
              int(pbs->GetMasteraddr()) != (c.Pbs.Masteraddress & 0xFF),
          [&] {
              pbs->SetBaudRate(TPbsBaudRate(c.Pbs.Baudrate));
              pbs->SetTimeOut(c.Pbs.TimeOut);
              pbs->SetMasteraddr(uint8_t(c.Pbs.Masteraddress));
          });
}
