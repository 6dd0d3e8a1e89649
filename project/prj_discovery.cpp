// Finding inverters and their configurations: the identification shared
// with the watch, adding an inverter on request, building a project by a
// bus search, and switching an entry to another configuration.

#include "project/prj_discovery.h"

#include "comm/prot_sel.h"
#include "project/vortalin_prj.h"

#include <algorithm>

namespace PrjDiscovery {

namespace {

// Reads a parameter synchronously with service -1; the status of the read.
// A read the driver could not run at all (busy with another synchronous
// exchange, from whose message loop we were called) returns its code and
// leaves the record untouched, so its default status 0 must not count.
int readPlain(TProtSel& protSel, int invAdr, uint16_t par, TRecTel& rsp)
{
    TTelData data;
    data.ParAdr = par;
    data.ParSet = 0;
    const int r = protSel.ReadPara(invAdr, QelService::Plain, data, rsp);
    return r != 0 ? r : rsp.Status;
}

}  // namespace

int RefineCfgId(TProtSel& protSel, int invAdr, int number, TVariantRule rule)
{
    if (number != 8 && number != 12)
        return number;
    TRecTel rsp;
    const int status = readPlain(protSel, invAdr, kVariantPar, rsp);
    if (status == 0)
        return number == 8 ? 21 : 22;
    if (status == 2 || rule == TVariantRule::NewOnAnyError)
        return number == 8 ? 25 : 26;
    return number;
}

int IdentifyCfgId(TProtSel& protSel, int invAdr)
{
    TRecTel rsp;
    if (readPlain(protSel, invAdr, kCfgIdPar, rsp) != 0)
        return -1;
    // Service -1 answers with the 16-bit value at data position 2.
    const int number = rsp.Data.GetI16(2);
    // A negative number would read as "no number" to every caller.
    if (number < 0)
        return -1;
    return RefineCfgId(protSel, invAdr, number, TVariantRule::KeepOnOtherError);
}

bool AttachCfgFile(TVortalinPrj& prj, TPrjInvRec& inv, int number)
{
    const int index =
        prj.TVortalinCfgList::LoadFromFile(prj.BinPath + TVortalinCfgList::BinFileName(number), true);
    if (index < 0)
        return false;
    inv.Cfg = prj.GetCfgShared(index);
    inv.CfgId = inv.Cfg->CfgId;
    // A missing second-language file only leaves the second names empty.
    if (prj.ParaLanguage > 0)
        inv.Cfg->LoadAddFile(prj.BinPath + TVortalinCfgList::AddFileName(number, prj.ParaLanguage));
    return true;
}

bool AttachCfgFromInverter(TVortalinPrj& prj, TPrjInvRec& inv)
{
    if (!prj.ProtSel)
        return false;
    const int before = prj.Count();
    const int index = prj.ReadFromInverter(inv.InvAdr, *prj.ProtSel, true);
    if (index < 0)
        return false;
    inv.Cfg = prj.GetCfgShared(index);
    // A configuration read anew carries the number as the inverter reports
    // it; 8 and 12 stand for two firmware variants each, so it gets the
    // refined number, under which it is saved and found again, which the
    // watch compares with, and which keeps the other variant's inverter
    // from being given this configuration.
    if (prj.Count() > before && index == prj.Count() - 1)
        inv.Cfg->CfgId = RefineCfgId(*prj.ProtSel, inv.InvAdr, inv.Cfg->CfgId, TVariantRule::KeepOnOtherError);
    inv.CfgId = inv.Cfg->CfgId;

    const QString number = QString::number(inv.CfgId);
    if (prj.Interaction().Message(prj.MsgSave, prj.YesNoButtons, QStringLiteral(" "), pmiConfirmation,
                                  number, QString::number(inv.InvAdr), QString(), 0, 1)
        != 0)
        return true;
    const QString file = prj.BinPath + TVortalinCfgList::BinFileName(inv.CfgId);
    // The configuration is used whether or not it could be saved.
    if (inv.Cfg->SaveToFile(file) != 0)
        prj.Interaction().Message(prj.MsgErrWrToFile, prj.OkGlyphButtons, QString(), pmiError, file,
                                  QString(), QString(), 0, 1);
    return true;
}

QString PortText(TComPort port)
{
    if (port >= Com1 && port <= Com4)
        return QStringLiteral(", COM%1").arg(int(port) + 1);
    return QString();
}

QString BaudText(TBaudRate baud)
{
    const int bits = BaudRateBits(baud);
    return bits > 0 ? QStringLiteral(", %1baud").arg(bits) : QString();
}

}  // namespace PrjDiscovery

using namespace PrjDiscovery;

int TVortalinPrj::NewInv(int InvAdr, int CfgId, const QString& Name, TProt Prot, bool ShowDialog,
                         bool EditName, bool EditAdr, bool EditCfg, bool EditProt)
{
    if (InvAdr == -1) {
        for (int a = 1; a < kPrjInvCount && InvAdr < 0; ++a)
            if (!GetInv(a))
                InvAdr = a;
        // Every address from 1 up is taken: there is nowhere to add it.
        if (InvAdr < 0)
            return -1;
    }
    QString name = Name.isEmpty() ? DefInvName + u' ' + QString::number(InvAdr) : Name;

    if (ShowDialog) {
        TInvEditData data;
        data.InvName = name;
        data.InvAdr = InvAdr;
        data.CfgId = CfgId;
        data.Prot = Prot;
        data.EditName = EditName;
        data.EditAdr = EditAdr;
        data.EditCfg = EditCfg;
        data.EditProt = EditProt;
        if (!Interaction().EditInv(data))
            return -1;
        name = data.InvName;
        InvAdr = data.InvAdr;
        CfgId = data.CfgId;
        Prot = data.Prot;
    }

    const int r = AddInv(InvAdr, CfgId, name, Prot, false);
    if (r != 0)
        return r;
    Modified = true;
    PendingChanges |= pcInvAdded;
    FirePendingChanges();
    return InvAdr;
}

namespace {

// The progress of a bus search. The configuration list's progress is also
// used by the configuration loads within a step, which restart and hide
// it; so every step shows the search again, and a cancel seen at any time
// during the search is kept until the search ends.
class SearchProgress {
public:
    explicit SearchProgress(TVortalinPrj& prj) : prj_(prj), p_(prj.Progress()) {}

    void Start(int max)
    {
        cancelled_ = false;
        max_ = max;
        p_.Start(prj_.MsgInvSearchTitle, prj_.MsgCancelText);
        p_.SetText(QString());
        p_.SetMax(max_);
        p_.SetPosition(0);
    }
    void SetMax(int max)
    {
        max_ = max;
        p_.SetMax(max_);
        p_.SetPosition(0);
    }
    // One step: shows text and position; true when the search goes on.
    bool Step(const QString& text, int pos)
    {
        Poll();
        if (cancelled_)
            return false;
        p_.Start(prj_.MsgInvSearchTitle, prj_.MsgCancelText);
        p_.SetMax(max_);
        p_.SetText(text);
        p_.SetPosition(pos);
        Poll();
        return !cancelled_;
    }
    void Poll() { cancelled_ = cancelled_ || p_.Cancelled(); }
    bool Cancelled() const { return cancelled_; }
    void Finish() { p_.Finish(); }

private:
    TVortalinPrj& prj_;
    IProgress& p_;
    bool cancelled_ = false;
    int max_ = 0;
};

}  // namespace

int TVortalinPrj::NewPrj(const QString& Name, int FirstAdr, int LastAdr, int WatchInterval,
                         TProtSet Prots)
{
    const QString name = Name.isEmpty() ? DefPrjName : Name;
    // Freed entries add bit 4, so the main window restarts the scheduler
    // even when the search finds nothing.
    ClearInvs();
    for (int a = 0; a < kPrjInvCount; ++a)
        if (OnInvProtChanged)
            OnInvProtChanged(this, a, prOffline);

    FileName.clear();
    PrjName = name;
    SetWatchInterval(WatchInterval);
    Remarks.clear();
    // Addresses outside the bus could never be added.
    FirstAdr = std::clamp(FirstAdr, 0, kPrjInvCount - 1);
    LastAdr = std::clamp(LastAdr, 0, kPrjInvCount - 1);
    if (LastAdr < FirstAdr)
        LastAdr = FirstAdr;
    PendingChanges |= pcGeneral;
    bool found = false;

    QString dinPort, dinBaud, zelkPort, zelkBaud;
    if (ProtSel) {
        dinPort = PortText(ProtSel->Ansi()->GetComport());
        dinBaud = BaudText(ProtSel->Ansi()->GetBaudrate());
        zelkPort = PortText(ProtSel->Zelk()->GetComport());
        zelkBaud = BaudText(ProtSel->Zelk()->GetBaudrate());
    } else {
        // Without a protocol selector no inverter can answer.
        Prots = 0;
    }
    const auto has = [Prots](TProt p) { return (Prots & ProtBit(p)) != 0; };
    const auto invName = [this](int a) { return DefInvName + u' ' + QString::number(a); };
    int n = LastAdr - FirstAdr + 1;

    SearchProgress progress(*this);
    progress.Start(3 * n + 1);

    if (has(prANSI)) {
        for (int a = FirstAdr; a <= LastAdr; ++a) {
            if (!progress.Step(QStringLiteral("DIN66019, Inv %1").arg(a) + dinPort + dinBaud,
                               a - FirstAdr + 1))
                break;
            if (AddInv(a, 0, invName(a), prANSI, true) == 0)
                found = true;
        }
    }

    if (has(prZelk) && !progress.Cancelled()) {
        // One Zelk inverter per project: one attempt at the first free address.
        int a = FirstAdr;
        while (a <= LastAdr && GetInv(a))
            ++a;
        if (a <= LastAdr && progress.Step(QStringLiteral("Zelk, Inv %1").arg(a) + zelkPort + zelkBaud, n + 1)
            && AddInv(a, 0, invName(a), prZelk, true) == 0)
            found = true;
    }

    // Every address without an entry, for a bus that has no baud rates of its own here.
    const auto searchBus = [&](TProt prot, const QString& label) {
        if (!has(prot) || progress.Cancelled())
            return;
        for (int a = FirstAdr; a <= LastAdr; ++a) {
            if (GetInv(a))
                continue;
            // Counted from FirstAdr like the serial steps: counted from address
            // 0 the position of a range high on the bus would lie beyond the
            // bar's maximum of 3 * n + 1.
            if (!progress.Step(label + QStringLiteral(", Inv %1").arg(a), n + 1 + (a - FirstAdr)))
                break;
            if (AddInv(a, 0, invName(a), prot, true) == 0)
                found = true;
        }
    };
    searchBus(prIP, QStringLiteral("IP"));
    searchBus(prCAN, QStringLiteral("CAN"));
    searchBus(prPBS, QStringLiteral("Profibus"));
    if (has(prIBS)) {
        // Interbus addresses start at 2; the raised range holds from here on.
        FirstAdr = std::max(FirstAdr, 2);
        LastAdr = std::max(LastAdr, FirstAdr);
        n = LastAdr - FirstAdr + 1;
        searchBus(prIBS, QStringLiteral("Interbus"));
    }
    progress.Finish();

    if (!found && (has(prANSI) || has(prZelk))) {
        const QString p1 = has(prANSI) ? QStringLiteral("%1 - %2").arg(FirstAdr).arg(LastAdr) + dinPort + dinBaud
                                       : QString();
        const QString p2 = has(prZelk) ? QStringLiteral("Zelk") + zelkPort + zelkBaud : QString();
        if (Interaction().Message(MsgExtSearch, YesNoButtons, QString(), pmiConfirmation, p1, p2, QString(), 0,
                                  1)
            == 0) {
            progress.Start(1);
            if (has(prANSI)) {
                progress.SetMax(8 * n);
                TSerialProp* din = ProtSel->Ansi();
                const TBaudRate before = din->GetBaudrate();
                for (int i = B_1200; i <= B_115200 && !found; ++i) {
                    din->Close();
                    din->SetBaudrate(TBaudRate(i));
                    din->Open();
                    for (int a = FirstAdr; a <= LastAdr && !progress.Cancelled(); ++a) {
                        const QString text = QStringLiteral("DIN66019, Inv %1").arg(a) + dinPort
                                             + BaudText(TBaudRate(i));
                        if (!progress.Step(text, i * n + a - FirstAdr + 1))
                            break;
                        if (AddInv(a, 0, invName(a), prANSI, true) == 0) {
                            found = true;
                            break;
                        }
                    }
                }
                if (!found) {
                    din->Close();
                    din->SetBaudrate(before);
                    din->Open();
                }
            }
            if (has(prZelk) && !found) {
                progress.SetMax(8);
                TSerialProp* zelk = ProtSel->Zelk();
                const TBaudRate before = zelk->GetBaudrate();
                for (int i = B_9600; i <= B_115200; ++i) {
                    zelk->Close();
                    zelk->SetBaudrate(TBaudRate(i));
                    zelk->Open();
                    if (!progress.Step(QStringLiteral("Zelk") + zelkPort + BaudText(TBaudRate(i)), i + 1))
                        break;
                    if (AddInv(0, 0, invName(0), prZelk, true) == 0) {
                        found = true;
                        break;
                    }
                }
                if (!found) {
                    zelk->Close();
                    zelk->SetBaudrate(before);
                    zelk->Open();
                }
            }
            progress.Finish();
        }
    }

    int result = 0;
    if (!found) {
        result = -1;
        if (Interaction().Message(MsgNoCfg, YesNoButtons, QString(), pmiConfirmation, QString(), QString(),
                                  QString(), 0, 1)
                == 0
            && AddInv(1, 0, invName(1), prANSI, false) == 0)
            result = 0;
    }

    SavedWindows.clear();
    TSavedWdwRec* wdw = GetWdw(AddWdw());
    wdw->WdwType = wkPrjExpl;
    wdw->InvNr = -2;
    wdw->FileName.clear();
    wdw->State = 2;
    wdw->Height = 300;
    wdw->Width = 400;
    wdw->Left = 20;
    wdw->Top = 100;

    FirePendingChanges();
    return result;
}

int TVortalinPrj::ChangeCfgId(int InvAdr, int NewCfgId)
{
    TPrjInvRec* inv = GetInv(InvAdr);
    if (!inv)
        return -1;
    if (NewCfgId == inv->CfgId)
        return NewCfgId;

    const std::shared_ptr<TCfgRec> old = inv->Cfg;
    const int oldId = inv->CfgId;
    if (!AttachCfgFile(*this, *inv, NewCfgId)) {
        const std::shared_ptr<TCfgRec> keep = inv->Cfg;
        if (!AttachCfgFromInverter(*this, *inv)) {
            inv->Cfg = keep;
            inv->CfgId = oldId;
            return oldId;
        }
    }
    // The old configuration goes only when no entry holds it any more: the
    // inverter may have reported the number in use, or the file may hold it.
    ReleaseCfgIfUnused(old);
    if (OnPrjChanged)
        OnPrjChanged(this, pcInvRemoved);
    return inv->CfgId;
}
