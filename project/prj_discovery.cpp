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

// One bus search of NewPrj: the address range, the protocols asked for,
// the serial drivers' port and baud texts taken at its start, its
// progress, and whether an inverter was found.
class BusSearch {
public:
    BusSearch(TVortalinPrj& prj, int firstAdr, int lastAdr, TProtSet prots)
        : prj_(prj), first_(firstAdr), last_(lastAdr), prots_(prots), progress_(prj)
    {
        if (TProtSel* sel = prj_.ProtSel) {
            dinPort_ = PortText(sel->Ansi()->GetComport());
            dinBaud_ = BaudText(sel->Ansi()->GetBaudrate());
            zelkPort_ = PortText(sel->Zelk()->GetComport());
            zelkBaud_ = BaudText(sel->Zelk()->GetBaudrate());
        } else {
            // Without a protocol selector no inverter can answer.
            prots_ = 0;
        }
    }

    bool Found() const { return found_; }

    // Every protocol asked for once at the drivers' own rates.
    void FirstPass()
    {
        progress_.Start(3 * count() + 1);
        serialPass();
        busPass();
        progress_.Finish();
    }

    // After a first pass that found nothing: the serial drivers at every
    // rate, when the user agrees.
    void ExtendedScan()
    {
        if (found_ || !(has(prANSI) || has(prZelk)) || !askExtended())
            return;
        progress_.Start(1);
        if (has(prANSI))
            extendedDin();
        if (has(prZelk) && !found_)
            extendedZelk();
        progress_.Finish();
    }

private:
    bool has(TProt p) const { return (prots_ & ProtBit(p)) != 0; }
    int count() const { return last_ - first_ + 1; }
    QString invName(int a) const { return prj_.DefInvName + u' ' + QString::number(a); }
    // One quiet attempt; true when the inverter was added.
    bool tryAdd(int a, TProt prot)
    {
        if (prj_.AddInv(a, 0, invName(a), prot, true) != 0)
            return false;
        found_ = true;
        return true;
    }

    // DIN 66019 II at every address, then one Zelk attempt.
    void serialPass()
    {
        if (has(prANSI)) {
            for (int a = first_; a <= last_; ++a) {
                if (!progress_.Step(QStringLiteral("DIN66019, Inv %1").arg(a) + dinPort_ + dinBaud_, a - first_ + 1))
                    break;
                tryAdd(a, prANSI);
            }
        }
        if (has(prZelk) && !progress_.Cancelled()) {
            // One Zelk inverter per project: one attempt at the first free address.
            int a = first_;
            while (a <= last_ && prj_.GetInv(a))
                ++a;
            const QString text = QStringLiteral("Zelk, Inv %1").arg(a) + zelkPort_ + zelkBaud_;
            if (a <= last_ && progress_.Step(text, count() + 1))
                tryAdd(a, prZelk);
        }
    }

    // The buses that have no baud rates of their own here.
    void busPass()
    {
        searchBus(prIP, QStringLiteral("IP"));
        searchBus(prCAN, QStringLiteral("CAN"));
        searchBus(prPBS, QStringLiteral("Profibus"));
        if (has(prIBS)) {
            // Interbus addresses start at 2; the raised range holds from here on.
            first_ = std::max(first_, 2);
            last_ = std::max(last_, first_);
            searchBus(prIBS, QStringLiteral("Interbus"));
        }
    }

    // Every address without an entry.
    void searchBus(TProt prot, const QString& label)
    {
        if (!has(prot) || progress_.Cancelled())
            return;
        for (int a = first_; a <= last_; ++a) {
            if (prj_.GetInv(a))
                continue;
            // Counted from the first address like the serial steps: counted
            // from address 0 the position of a range high on the bus would
            // lie beyond the bar's maximum of 3 * n + 1.
            if (!progress_.Step(label + QStringLiteral(", Inv %1").arg(a), count() + 1 + (a - first_)))
                break;
            tryAdd(a, prot);
        }
    }

    bool askExtended()
    {
        const QString p1 = has(prANSI) ? QStringLiteral("%1 - %2").arg(first_).arg(last_) + dinPort_ + dinBaud_
                                       : QString();
        const QString p2 = has(prZelk) ? QStringLiteral("Zelk") + zelkPort_ + zelkBaud_ : QString();
        return prj_.Interaction().Message(prj_.MsgExtSearch, prj_.YesNoButtons, QString(), pmiConfirmation, p1,
                                          p2, QString(), 0, 1)
            == 0;
    }

    // Sets a serial driver's rate, closed while it changes.
    static void setRate(TSerialProp* driver, TBaudRate rate)
    {
        driver->Close();
        driver->SetBaudrate(rate);
        driver->Open();
    }

    // Every address at every rate; the first inverter found keeps its rate.
    void extendedDin()
    {
        const int n = count();
        progress_.SetMax(8 * n);
        TSerialProp* din = prj_.ProtSel->Ansi();
        const TBaudRate before = din->GetBaudrate();
        for (int i = B_1200; i <= B_115200 && !found_; ++i) {
            setRate(din, TBaudRate(i));
            for (int a = first_; a <= last_ && !progress_.Cancelled(); ++a) {
                const QString text = QStringLiteral("DIN66019, Inv %1").arg(a) + dinPort_ + BaudText(TBaudRate(i));
                if (!progress_.Step(text, i * n + a - first_ + 1))
                    break;
                if (tryAdd(a, prANSI))
                    break;
            }
        }
        if (!found_)
            setRate(din, before);
    }

    // Address 0 from 9600 baud up.
    void extendedZelk()
    {
        progress_.SetMax(8);
        TSerialProp* zelk = prj_.ProtSel->Zelk();
        const TBaudRate before = zelk->GetBaudrate();
        for (int i = B_9600; i <= B_115200; ++i) {
            setRate(zelk, TBaudRate(i));
            if (!progress_.Step(QStringLiteral("Zelk") + zelkPort_ + BaudText(TBaudRate(i)), i + 1))
                break;
            if (tryAdd(0, prZelk))
                break;
        }
        if (!found_)
            setRate(zelk, before);
    }

    TVortalinPrj& prj_;
    int first_, last_;
    TProtSet prots_;
    QString dinPort_, dinBaud_, zelkPort_, zelkBaud_;
    SearchProgress progress_;
    bool found_ = false;
};

}  // namespace

int TVortalinPrj::NewPrj(const QString& Name, int FirstAdr, int LastAdr, int WatchInterval,
                         TProtSet Prots)
{
    // Freed entries add bit 4, so the main window restarts the scheduler
    // even when the search finds nothing.
    ClearInvs();
    for (int a = 0; a < kPrjInvCount; ++a)
        if (OnInvProtChanged)
            OnInvProtChanged(this, a, prOffline);
    FileName.clear();
    PrjName = Name.isEmpty() ? DefPrjName : Name;
    SetWatchInterval(WatchInterval);
    Remarks.clear();
    PendingChanges |= pcGeneral;

    // Addresses outside the bus could never be added.
    FirstAdr = std::clamp(FirstAdr, 0, kPrjInvCount - 1);
    LastAdr = std::max(std::clamp(LastAdr, 0, kPrjInvCount - 1), FirstAdr);
    BusSearch search(*this, FirstAdr, LastAdr, Prots);
    search.FirstPass();
    search.ExtendedScan();

    int result = 0;
    if (!search.Found()) {
        result = -1;
        if (Interaction().Message(MsgNoCfg, YesNoButtons, QString(), pmiConfirmation, QString(), QString(),
                                  QString(), 0, 1)
                == 0
            && AddInv(1, 0, DefInvName + QStringLiteral(" 1"), prANSI, false) == 0)
            result = 0;
    }

    // The new project opens with its explorer.
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
