#include "comm/prot_sel.h"

#include "comm/ansi.h"
#include "comm/can.h"
#include "comm/ibs.h"
#include "comm/ip.h"
#include "comm/offline.h"
#include "comm/pbs.h"
#include "comm/scheduler.h"
#include "comm/zelk.h"

#include <QStringList>

namespace {

constexpr TProt BusKinds[] = {prANSI, prZelk, prIBS, prIP, prCAN, prPBS};

const char* driverName(TProt kind)
{
    switch (kind) {
    case prZelk: return "fZelk";
    case prANSI: return "fAnsi";
    case prIBS: return "fIbs";
    case prIP: return "fIp";
    case prCAN: return "fCan";
    case prPBS: return "fPbs";
    default: return "fOffline";
    }
}

std::unique_ptr<tCustomQelProt> defaultDriver(TProt kind)
{
    switch (kind) {
    case prZelk: return std::make_unique<tZelk>();
    case prANSI: return std::make_unique<TAnsi>();
    case prIBS: return std::make_unique<tIbs>();
    case prIP: return std::make_unique<TIp>();
    case prCAN: return std::make_unique<TCan>();
    case prPBS: return std::make_unique<tPBS>();
    default: return std::make_unique<tOffline>();
    }
}

// The serial settings of a driver that has them.
template <class Prop> void copySerialSettings(Prop& prop, tCustomQelProt* driver)
{
    if (auto* d = dynamic_cast<tCustomSerialQelProt*>(driver)) {
        prop.SetBaudrate(d->GetBaudrate());
        prop.SetComport(d->GetComport());
        prop.SetTimeOut(d->GetTimeOut());
        prop.SetSendSlow(d->GetSendSlow());
        return;
    }
    prop.SetTimeOut(driver->GetTimeOut());
}

// The Profibus slave list the kind table asks for: the addresses of kind
// prPBS in ascending order as decimal texts.
QStringList pbsSlaves(const std::array<TProt, TProtSel::AddrCount>& kinds)
{
    QStringList list;
    for (int adr = 0; adr < TProtSel::AddrCount; ++adr)
        if (kinds[adr] == prPBS)
            list << QString::number(adr);
    return list;
}

} // namespace

TProtSel::TProtSel(QObject* Owner, const TDriverFactory& Factory)
    : QObject(Owner)
{
    // Created in the order Zelk, DIN 66019 II, Interbus, IP, CAN, Profibus
    // DP, offline.
    for (TProt kind : {prZelk, prANSI, prIBS, prIP, prCAN, prPBS, prOffline}) {
        std::unique_ptr<tCustomQelProt> driver;
        if (Factory)
            driver = Factory(kind);
        if (!driver)
            driver = defaultDriver(kind);
        driver->setParent(this);
        driver->setObjectName(QString::fromLatin1(driverName(kind)));
        tCustomQelProt* d = driver.get();
        d->SetOnRspAvail([this, d](QObject*, TRecTel tel) { DoRspAvail(d, tel); });
        d->SetOnReqAvail([this, d](QObject*, TRecTel tel) { DoReqAvail(d, tel); });
        FDrivers[kind] = std::move(driver);
    }
    FDrivers[prOffline]->SetTimeOut(OfflineTimeOut);

    FZelkProp = std::make_unique<TSerialProp>(FDrivers[prZelk].get());
    copySerialSettings(*FZelkProp, FDrivers[prZelk].get());
    FAnsiProp = std::make_unique<TAnsiProp>(FDrivers[prANSI].get());
    copySerialSettings(*FAnsiProp, FDrivers[prANSI].get());
    if (auto* d = dynamic_cast<TAnsi*>(FDrivers[prANSI].get()))
        FAnsiProp->SetModemCmd(d->GetModemCMD());

    FIbsProp = std::make_unique<TIBSProp>(FDrivers[prIBS].get());
    FIbsProp->SetTimeOut(FDrivers[prIBS]->GetTimeOut());
    if (auto* d = dynamic_cast<tIbs*>(FDrivers[prIBS].get()))
        FIbsProp->SetCardNo(d->GetCardNo());

    FIpProp = std::make_unique<TIPProp>(FDrivers[prIP].get());
    FIpProp->SetTimeOut(FDrivers[prIP]->GetTimeOut());
    if (auto* d = dynamic_cast<TIp*>(FDrivers[prIP].get())) {
        FIpProp->SetIpAddress(d->GetIpAddress());
        FIpProp->SetIpPort(d->GetIpPort());
        FIpProp->SetUDP(d->GetUDP());
    }

    FCanProp = std::make_unique<TCanProp>(FDrivers[prCAN].get());
    FCanProp->SetTimeOut(FDrivers[prCAN]->GetTimeOut());
    if (auto* d = dynamic_cast<TCan*>(FDrivers[prCAN].get())) {
        FCanProp->SetBaudRate(d->GetBaudRate());
        FCanProp->SetCardID(d->GetCardID());
        FCanProp->SetWaitTout(d->GetWaitTout());
    }

    FPbsProp = std::make_unique<TPbsProp>(FDrivers[prPBS].get());
    FPbsProp->SetTimeOut(FDrivers[prPBS]->GetTimeOut());
    if (auto* d = dynamic_cast<tPBS*>(FDrivers[prPBS].get())) {
        FPbsProp->SetBaudRate(d->GetBaudrate());
        FPbsProp->SetMasteraddr(d->GetMasteraddr());
    }

    FDrivers[prOffline]->Open();
    OnRspAvail = nullptr;
    OnReqAvail = nullptr;
    FAttachedScheduler = nullptr;
    FKinds.fill(prOffline);
    FRingPos = 0;
}

TProtSel::~TProtSel()
{
    if (FAttachedScheduler)
        FAttachedScheduler->Detach();
    OnRspAvail = nullptr;
    OnReqAvail = nullptr;
    // No answer of a closing driver reaches a half-destroyed selector.
    for (auto& d : FDrivers) {
        d->SetOnRspAvail(nullptr);
        d->SetOnReqAvail(nullptr);
    }
    FZelkProp.reset();
    FAnsiProp.reset();
    FIbsProp.reset();
    FIpProp.reset();
    FCanProp.reset();
    FPbsProp.reset();
    for (auto& d : FDrivers)
        d.reset();
}

TScheduler* TProtSel::AttachedScheduler() const
{
    return FAttachedScheduler.data();
}

void TProtSel::SetAttachedScheduler(TScheduler* Sch)
{
    FAttachedScheduler = Sch;
}

void TProtSel::SetRetryCnt(int Value)
{
    if (Value < 0 || Value > 49)
        return;
    FRetryCnt = Value;
    for (TProt kind : BusKinds)
        FDrivers[kind]->SetRetryCnt(Value);
}

tCustomQelProt* TProtSel::DriverOf(TProt Kind) const
{
    if (Kind < prOffline || Kind > prPBS)
        return FDrivers[prOffline].get();
    return FDrivers[Kind].get();
}

tCustomQelProt* TProtSel::GetDriver(int Addr) const
{
    tCustomQelProt* offline = FDrivers[prOffline].get();
    if (!validAddr(Addr))
        return offline;
    const TProt kind = FKinds[Addr];
    if (kind < prANSI || kind > prPBS)
        return offline;
    tCustomQelProt* d = FDrivers[kind].get();
    return d->IsOpen() ? d : offline;
}

TProt TProtSel::GetProtocol(int Addr) const
{
    return validAddr(Addr) ? FKinds[Addr] : prOffline;
}

TProt TProtSel::GetActiveProtocol(int Addr) const
{
    if (GetDriver(Addr) == FDrivers[prOffline].get())
        return prOffline;
    return FKinds[Addr];
}

void TProtSel::SetProtocol(int Addr, TProt Kind)
{
    if (!validAddr(Addr))
        return;
    if (Kind == FKinds[Addr] && Kind == GetActiveProtocol(Addr))
        return;
    FKinds[Addr] = Kind;
    if (FHolds > 0)
        FUpdatePending = true;
    else
        UpdateDrivers();
}

void TProtSel::HoldDriverUpdates()
{
    ++FHolds;
}

void TProtSel::ReleaseDriverUpdates()
{
    if (FHolds > 0 && --FHolds == 0)
        updatePendingDrivers();
}

void TProtSel::updatePendingDrivers()
{
    // Not from inside an update: a driver's open may run the event loop,
    // and a request sent meanwhile goes to the offline driver as before.
    if (!FUpdatePending || FUpdating)
        return;
    UpdateDrivers();
}

void TProtSel::UpdateDrivers()
{
    const bool outer = !FUpdating;
    FUpdating = true;
    // A hold that ended while a driver's open ran the event loop left its
    // update to this one.
    do {
        FUpdatePending = false;
        applyKinds();
    } while (outer && FUpdatePending && FHolds == 0);
    if (outer)
        FUpdating = false;
}

void TProtSel::applyKinds()
{
    bool used[prPBS + 1] = {};
    for (TProt kind : FKinds)
        if (kind >= prANSI && kind <= prPBS)
            used[kind] = true;

    for (TProt kind : BusKinds)
        if (!used[kind] && FDrivers[kind]->IsOpen())
            FDrivers[kind]->Close();

    // A driver that fails to open stays closed; its addresses go offline.
    for (TProt kind : {prANSI, prZelk, prIBS, prIP, prCAN})
        if (used[kind] && !FDrivers[kind]->IsOpen())
            FDrivers[kind]->Open();

    if (!used[prPBS])
        return;
    tCustomQelProt* pbs = FDrivers[prPBS].get();
    const QStringList wanted = pbsSlaves(FKinds);
    auto* withList = dynamic_cast<tPBS*>(pbs);
    // The driver keeps its list normalised; compared the same way, an
    // unchanged list does not close and reopen it (each Open may wait for
    // the bus for up to 20 s).
    if (pbs->IsOpen() && (!withList || withList->GetSlaveList() == tPBS::NormaliseSlaveList(wanted)))
        return;
    pbs->Close();
    if (withList)
        withList->SetSlaveList(wanted);
    pbs->Open();
}

int TProtSel::ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    updatePendingDrivers();
    return GetDriver(Addr)->ReadPara(Addr, Service, Data, Rsp);
}

int TProtSel::WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    updatePendingDrivers();
    return GetDriver(Addr)->WritePara(Addr, Service, Data, Rsp);
}

int TProtSel::ReadParaReq(int Addr, int Service, const TTelData& Data)
{
    updatePendingDrivers();
    return addRequest(Addr, GetDriver(Addr)->ReadParaReq(Addr, Service, Data));
}

int TProtSel::WriteParaReq(int Addr, int Service, const TTelData& Data)
{
    updatePendingDrivers();
    return addRequest(Addr, GetDriver(Addr)->WriteParaReq(Addr, Service, Data));
}

int TProtSel::addRequest(int Addr, int DriverResult)
{
    if (DriverResult < 0)
        return DriverResult; // a refusal takes no ring entry
    // The entry is overwritten whether or not its answer has come.
    TRingEntry& entry = FRing[FRingPos];
    entry.Kind = GetActiveProtocol(Addr);
    entry.Number = DriverResult;
    const int handle = FRingPos + 1;
    FRingPos = (FRingPos + 1) % RingSize;
    return handle;
}

void TProtSel::DoRspAvail(tCustomQelProt* Driver, TRecTel ReceivedTel)
{
    const TProt kind = Driver->GetProtType();
    // Oldest entry first: a driver's numbers repeat after 15, so with more
    // than 15 requests outstanding the same number stands in the ring
    // twice, and the older request is the one its driver answers first.
    for (int n = 0; n < RingSize; ++n) {
        const int i = (FRingPos + n) % RingSize;
        TRingEntry& entry = FRing[i];
        if (entry.Kind == kind && entry.Number == ReceivedTel.ReqId) {
            entry.Kind = prOffline;
            entry.Number = -1;
            ReceivedTel.ReqId = i + 1;
            break;
        }
    }
    if (OnRspAvail) {
        tOnRsp handler = OnRspAvail; // may be replaced while it runs
        handler(this, ReceivedTel);
    }
}

void TProtSel::DoReqAvail(tCustomQelProt*, TRecTel ReceivedTel)
{
    if (OnReqAvail) {
        tOnReq handler = OnReqAvail;
        handler(this, ReceivedTel);
    }
}
