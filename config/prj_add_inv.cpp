// Adding one inverter entry to the project: its configuration number (given,
// read from the inverter, or chosen), then its configuration (already
// loaded, or from its configuration file, or chosen).

#include "comm/prot_sel.h"
#include "config/vortalin_prj.h"

namespace {

// The inverter's configuration number from parameter 0x160F, refined by
// 0x0B08 for the numbers 8 and 12; -1 when it cannot be read.
int identifyCfgId(TProtSel& protSel, int invAdr)
{
    TTelData data;
    data.ParAdr = 0x160F;
    data.ParSet = 0;
    TRecTel rsp;
    protSel.ReadPara(invAdr, -1, data, rsp);
    if (rsp.Status != 0)
        return -1;
    const int number = int16_t(rsp.Data.ParSet);
    if (number != 8 && number != 12)
        return number;
    data.ParAdr = 0x0B08;
    TRecTel refine;
    protSel.ReadPara(invAdr, -1, data, refine);
    if (refine.Status == 0)
        return number == 8 ? 21 : 22;
    if (refine.Status == 2)
        return number == 8 ? 25 : 26;
    return number;
}

}  // namespace

int TVortalinPrj::AddInv(int InvAdr, int CfgId, const QString& Name, TProt Prot, bool Quiet)
{
    if (InvAdr < 0 || InvAdr >= kPrjInvCount)
        return -2;
    if (GetInv(InvAdr))
        return -1;
    if (Prot == prZelk)
        for (const auto& e : Inv)
            if (e && e->Prot == prZelk)
                return -2;

    const bool hadAdded = (PendingChanges & pcInvAdded) != 0;
    PendingChanges |= pcInvAdded;

    auto entry = std::make_unique<TPrjInvRec>();
    entry->SetName(Name);
    entry->PrjCfgId = CfgId;
    entry->InvAdr = InvAdr;
    entry->Prot = Prot;
    entry->State = -1;
    TPrjInvRec* inv = entry.get();
    Inv[size_t(InvAdr)] = std::move(entry);
    // The main window sets the address's protocol on this, so that the
    // reads below go out with it.
    if (OnInvProtChanged)
        OnInvProtChanged(this, InvAdr, Prot);

    auto giveUp = [&] {
        freeEntry(InvAdr);
        if (OnInvProtChanged)
            OnInvProtChanged(this, InvAdr, prOffline);
        if (!hadAdded)
            PendingChanges &= ~pcInvAdded;
        return -2;
    };

    // Loads the configuration file of `number` and attaches it.
    auto attachFromFile = [&](int number) {
        const int index = TVortalinCfgList::LoadFromFile(BinPath + BinFileName(number), true);
        if (index < 0)
            return false;
        inv->Cfg = GetCfgShared(index);
        if (ParaLanguage > 0)
            inv->Cfg->LoadAddFile(BinPath + AddFileName(number, ParaLanguage));
        return true;
    };

    int number = CfgId;
    bool fromInverter = false;
    if (CfgId == 0) {
        if (ProtSel) {
            number = identifyCfgId(*ProtSel, InvAdr);
            fromInverter = number >= 0;
            if (!fromInverter)
                number = Quiet ? -1 : Interaction().ChooseCfg(InvAdr, false);
        } else {
            number = Interaction().ChooseCfg(InvAdr, false);
        }
    }
    if (number < 0)
        return giveUp();
    inv->CfgId = number;

    const int loaded = IndexOfCfg(number);
    if (loaded >= 0) {
        inv->Cfg = GetCfgShared(loaded);
        return 0;
    }
    if (attachFromFile(number))
        return 0;

    // Reading the configuration from the inverter comes with the
    // configuration reader; until then a number not on disk goes to the
    // user's choice.
    if (fromInverter
        && Interaction().Message(MsgNotOnDisc, NotOnDiscButtons, QStringLiteral(" "), pmiInformation,
                                 QString::number(InvAdr), QString::number(number), QString(), 0, 1)
            == 1)
        return giveUp();

    const int chosen = Interaction().ChooseCfg(InvAdr, false);
    if (chosen < 0)
        return giveUp();
    inv->CfgId = chosen;
    if (!attachFromFile(chosen))
        return giveUp();
    if (fromInverter)
        SetInvState(InvAdr, -3);
    return 0;
}
