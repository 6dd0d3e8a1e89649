#pragma once

// The protocol selector: the one entry point to the inverters. It owns the
// seven protocol drivers, keeps a protocol kind per inverter address 0..239
// and routes each request to the driver of its address, falling back to the
// offline driver when that driver is not open. Asynchronous requests get
// handles 1..64 of its own; every driver answer is mapped back to its handle
// before it is passed on through OnRspAvail.

#include "comm/tel_records.h"
#include "comm/to_prop.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class tCustomQelProt;
class TScheduler;

class TProtSel : public QObject {
    Q_OBJECT
public:
    static constexpr int RingSize = 64;
    static constexpr int AddrCount = MaxInvAdr + 1;
    static constexpr int OfflineTimeOut = 10;

    // Makes the driver of a slot; returning none gives the slot its normal
    // driver. Lets a test put a driver of its own into a bus slot.
    using TDriverFactory = std::function<std::unique_ptr<tCustomQelProt>(TProt Kind)>;

    explicit TProtSel(QObject* Owner = nullptr, const TDriverFactory& Factory = {});
    ~TProtSel() override;

    // Settings objects; fixed for the selector's life.
    TSerialProp* Zelk() const { return FZelkProp.get(); }
    TAnsiProp* Ansi() const { return FAnsiProp.get(); }
    TIBSProp* IBS() const { return FIbsProp.get(); }
    TIPProp* Ip() const { return FIpProp.get(); }
    TCanProp* Can() const { return FCanProp.get(); }
    TPbsProp* PBS() const { return FPbsProp.get(); }

    // 0..49: stored and handed to the six bus drivers; other values ignored.
    int GetRetryCnt() const { return FRetryCnt; }
    void SetRetryCnt(int Value);

    tOnRsp OnRspAvail;
    tOnReq OnReqAvail;

    // The scheduler that holds OnRspAvail (kept by TScheduler::Attach).
    TScheduler* AttachedScheduler() const;
    void SetAttachedScheduler(TScheduler* Sch);

    tCustomQelProt* GetDriver(int Addr) const;
    TProt GetProtocol(int Addr) const;
    TProt GetActiveProtocol(int Addr) const;
    void SetProtocol(int Addr, TProt Kind);
    void UpdateDrivers();

    // While held (calls nest), SetProtocol only records the kinds; the
    // drivers are updated once when the last hold ends, or earlier when a
    // request needs them. A project being read sets the protocol of every
    // entry, and each change of the Profibus slave list reopens that
    // driver, which waits until all its slaves exchange data.
    void HoldDriverUpdates();
    void ReleaseDriverUpdates();

    // The driver of a slot, whether open or not.
    tCustomQelProt* DriverOf(TProt Kind) const;

    // Synchronous exchanges; Rsp.ReqId keeps the driver's number.
    int ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp);
    int WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp);

    // Asynchronous requests: handle 1..64, or the driver's negative code.
    int ReadParaReq(int Addr, int Service, const TTelData& Data);
    int WriteParaReq(int Addr, int Service, const TTelData& Data);

    // Bound to every driver's events.
    void DoRspAvail(tCustomQelProt* Driver, TRecTel ReceivedTel);
    void DoReqAvail(tCustomQelProt* Driver, TRecTel ReceivedTel);

private:
    struct TRingEntry {
        TProt Kind = prOffline;
        int Number = 0;
    };

    int addRequest(int Addr, int DriverResult);
    // Carries out an update that a hold put off.
    void updatePendingDrivers();
    // Opens the drivers the kinds use and closes the others.
    void applyKinds();
    static bool validAddr(int Addr) { return Addr >= 0 && Addr <= MaxInvAdr; }

    // Indexed by TProt.
    std::array<std::unique_ptr<tCustomQelProt>, 7> FDrivers;
    std::unique_ptr<TSerialProp> FZelkProp;
    std::unique_ptr<TAnsiProp> FAnsiProp;
    std::unique_ptr<TIBSProp> FIbsProp;
    std::unique_ptr<TIPProp> FIpProp;
    std::unique_ptr<TCanProp> FCanProp;
    std::unique_ptr<TPbsProp> FPbsProp;

    QPointer<TScheduler> FAttachedScheduler;
    int FRetryCnt = 0;
    int FRingPos = 0;
    std::array<TRingEntry, RingSize> FRing{};
    std::array<TProt, AddrCount> FKinds{};
    int FHolds = 0;
    bool FUpdatePending = false;
    bool FUpdating = false;
};
