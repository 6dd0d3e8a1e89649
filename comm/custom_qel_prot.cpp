#include "comm/custom_qel_prot.h"
#include "platform/clock.h"

#include <QEventLoop>

namespace {

// The synchronous loop is woken by the driver; this is only a backstop in
// case a wake-up is lost, so that the loop re-evaluates now and then.
constexpr int SyncBackstopMs = 50;

void failRecord(TRecTel& Rsp, bool IsRead, int Addr, int Service, int status)
{
    Rsp.ReqId = 0;
    Rsp.InvAdr = Addr;
    Rsp.Service = Service;
    Rsp.IsRead = IsRead ? 1 : 0;
    Rsp.IsReq = 0;
    Rsp.Status = status;
}

} // namespace

tCustomQelProt::tCustomQelProt(QObject* Owner, const QString& Name)
    : QObject(Owner)
{
    setObjectName(Name);
    FRetryCnt = 5;
}

tCustomQelProt::~tCustomQelProt()
{
    *FAlive = false;
    if (FSyncLoop)
        FSyncLoop->quit();
}

void tCustomQelProt::SetTimeOut(int ms) { FTimeOut = ms; }
int tCustomQelProt::GetTimeOut() const { return FTimeOut; }

void tCustomQelProt::SetOnReqAvail(tOnReq) {}
tOnReq tCustomQelProt::GetOnReqAvail() const { return {}; }
void tCustomQelProt::SetOnRspAvail(tOnRsp event) { FOnRspAvail = std::move(event); }
tOnRsp tCustomQelProt::GetOnRspAvail() const { return FOnRspAvail; }

int tCustomQelProt::ReadParaRsp(int, int, int, uint8_t, const TTelData&)
{
    return QelResult::NotSupported;
}

int tCustomQelProt::WriteParaRsp(int, int, int, uint8_t, const TTelData&)
{
    return QelResult::NotSupported;
}

int tCustomQelProt::ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    return SyncExchange(true, Addr, Service, Data, Rsp);
}

int tCustomQelProt::WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    return SyncExchange(false, Addr, Service, Data, Rsp);
}

void tCustomQelProt::SetRetryCnt(int value)
{
    FRetryCnt = value < 1 ? 1 : (value > 50 ? 50 : value);
}

void tCustomQelProt::RaiseRspAvail(const TRecTel& Rec)
{
    if (SyncActive() || !FOnRspAvail)
        return;
    // A copy of the handler: it may replace OnRspAvail while it runs.
    tOnRsp handler = FOnRspAvail;
    handler(this, Rec);
}

void tCustomQelProt::SyncWake()
{
    FSyncWoken = true;
    if (FSyncLoop)
        FSyncLoop->quit();
}

bool tCustomQelProt::SyncWait(int maxMs)
{
    if (FSyncWoken) {
        FSyncWoken = false;
        return true;
    }
    const std::shared_ptr<const bool> alive = FAlive;
    QEventLoop loop;
    qel::TTimer backstop;
    backstop.setSingleShot(true);
    QObject::connect(&backstop, &qel::TTimer::timeout, &loop, &QEventLoop::quit);
    backstop.start(maxMs);
    FSyncLoop = &loop;
    loop.exec();
    if (!*alive)
        return false;
    FSyncLoop = nullptr;
    FSyncWoken = false;
    return true;
}

bool tCustomQelProt::CountsAsFailedTry(int status)
{
    return status == QelResult::Malformed || status == 1
        || (status <= QelResult::Parity && status >= QelResult::Checksum);
}

int tCustomQelProt::SyncExchange(bool IsRead, int Addr, int Service, const TTelData& Data,
                                 TRecTel& Rsp)
{
    if (!IsOpen()) {
        failRecord(Rsp, IsRead, Addr, Service, QelResult::DriverClosed);
        return QelResult::DriverClosed;
    }
    if (FSyncBusy) {
        // Another synchronous exchange of this driver is running (we were
        // called from inside its event loop). Rsp is not touched: it may be
        // that exchange's own record.
        return QelResult::DriverBusy;
    }
    FSyncBusy = true;
    FSyncWoken = false;

    // The driver was freed by a handler run inside our event loop.
    auto destroyed = [&] {
        failRecord(Rsp, IsRead, Addr, Service, QelResult::DriverClosed);
        return QelResult::DriverClosed;
    };
    auto finish = [&](int result) {
        FSyncFlag.store(false);
        FSyncWaitIdle = false;
        FSyncBusy = false;
        return result;
    };

    qel::TStopwatch sinceStart;
    int status = QelResult::Pending;
    for (;;) {
        // Wait until no asynchronous request is outstanding.
        FSyncWaitIdle = true;
        while (IsOpen() && SyncRequestPending()) {
            if (!SyncWait(SyncBackstopMs))
                return destroyed();
        }
        FSyncWaitIdle = false;
        if (!IsOpen()) {
            failRecord(Rsp, IsRead, Addr, Service, QelResult::DriverClosed);
            return finish(QelResult::DriverClosed);
        }
        FSyncFlag.store(true);

        for (int attempt = 0; attempt < FRetryCnt; ++attempt) {
            FSyncWoken = false;
            const int r = IsRead ? ReadParaReq(Addr, Service, Data) : WriteParaReq(Addr, Service, Data);
            if (r < 0) {
                // Never leave an earlier success in the record.
                failRecord(Rsp, IsRead, Addr, Service, r);
                return finish(r);
            }
            for (;;) {
                status = SyncEvaluate(Rsp);
                if (status != QelResult::Pending)
                    break;
                if (!SyncWait(SyncBackstopMs))
                    return destroyed();
            }
            if (!CountsAsFailedTry(status))
                break;
        }

        if (!IsOpen()) {
            failRecord(Rsp, IsRead, Addr, Service, QelResult::DriverClosed);
            return finish(QelResult::DriverClosed);
        }
        // Error 6: the inverter asks for the request again. Repeat with a
        // fresh count of tries, but not for ever.
        if (status != QelResult::InvErrRepeat || sinceStart.elapsed() >= RepeatOnBusyLimitMs)
            break;
        FSyncFlag.store(false);
    }
    return finish(QelResult::Ok);
}
