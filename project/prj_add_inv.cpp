// Adding one inverter entry to the project: its configuration number (given,
// read from the inverter, or chosen), then its configuration (already
// loaded, from its configuration file, read from the inverter, or chosen).

#include "comm/prot_sel.h"
#include "project/prj_discovery.h"
#include "project/vortalin_prj.h"

using namespace PrjDiscovery;

int TVortalinPrj::AddInv(int InvAdr, int CfgId, const QString& Name, TProt Prot, bool Quiet)
{
    // Inv has 240 slots; any other address would be out of its bounds.
    if (InvAdr < 0 || InvAdr >= kPrjInvCount)
        return -2;
    if (GetInv(InvAdr))
        return -1;
    if (Prot == prZelk)
        for (int a = 0; a < kPrjInvCount; ++a)
            if (const TPrjInvRec* e = GetInv(a); e && e->Prot == prZelk)
                return -2;

    const bool hadAdded = (PendingChanges & pcInvAdded) != 0;
    PendingChanges |= pcInvAdded;

    auto entry = std::make_unique<TPrjInvRec>();
    TPrjInvRec* inv = entry.get();
    Inv[size_t(InvAdr)] = std::move(entry);
    inv->SetName(Name);
    inv->PrjCfgId = CfgId;
    inv->InvAdr = InvAdr;
    inv->Prot = Prot;
    inv->State = -1;
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

    int number = CfgId;
    bool fromInverter = false;
    if (CfgId == 0) {
        if (ProtSel) {
            number = IdentifyCfgId(*ProtSel, InvAdr);
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
    if (AttachCfgFile(*this, *inv, number) || AttachCfgFromInverter(*this, *inv))
        return 0;

    if (fromInverter
        && Interaction().Message(MsgNotOnDisc, NotOnDiscButtons, QStringLiteral(" "), pmiInformation,
                                 QString::number(InvAdr), QString::number(number), QString(), 0, 1)
               == 1)
        return giveUp();

    const int chosen = Interaction().ChooseCfg(InvAdr, false);
    if (chosen < 0 || !AttachCfgFile(*this, *inv, chosen))
        return giveUp();
    if (fromInverter)
        SetInvState(InvAdr, -3);
    return 0;
}
