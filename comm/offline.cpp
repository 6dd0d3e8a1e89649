#include "comm/offline.h"

#include <QTimerEvent>

#include <algorithm>
#include <exception>

tOffline::tOffline(QObject* Owner)
    : tCustomQelProt(Owner)
{
    FTimeOut = DefaultTimeOut;
}

tOffline::~tOffline()
{
    for (const auto& item : FPending)
        killTimer(item.TimerId);
    FPending.clear();
}

QString tOffline::GetVersion() const
{
    return QStringLiteral("Offline Driver\r\nVersion: 1.10\r\nDate: 01.01.2000");
}

int tOffline::Open()
{
    if (FOpen)
        return QelResult::AlreadyOpen;
    FOpen = true;
    return QelResult::Ok;
}

int tOffline::Close()
{
    if (!FOpen)
        return QelResult::NotOpen;
    // Requests already accepted are still answered at their time-out.
    FOpen = false;
    return QelResult::Ok;
}

int tOffline::ReadParaReq(int Addr, int Service, const TTelData&)
{
    return request(true, Addr, Service);
}

int tOffline::WriteParaReq(int Addr, int Service, const TTelData&)
{
    return request(false, Addr, Service);
}

int tOffline::request(bool IsRead, int Addr, int Service)
{
    if (!FOpen)
        return QelResult::DriverClosed;
    const int timerId = startTimer(FTimeOut < 0 ? -1 : FTimeOut, Qt::PreciseTimer);
    if (timerId == 0)
        return QelResult::ResourceMissing;
    TRequestListItem item;
    item.ReqId = FNextReqId;
    item.TimerId = timerId;
    item.IsRead = IsRead ? 1 : 0;
    item.Service = Service;
    item.InvAdr = Addr;
    FPending.push_back(item);
    FNextReqId = FNextReqId >= MaxReqId ? 1 : FNextReqId + 1;
    return item.ReqId;
}

void tOffline::timerEvent(QTimerEvent* event)
{
    const int timerId = event->timerId();
    killTimer(timerId);
    auto it = std::find_if(FPending.begin(), FPending.end(),
                           [timerId](const TRequestListItem& item) { return item.TimerId == timerId; });
    if (it == FPending.end())
        return;
    TRecTel rsp; // data area all zero
    rsp.ReqId = it->ReqId;
    rsp.InvAdr = it->InvAdr;
    rsp.Service = it->Service;
    rsp.IsRead = it->IsRead;
    rsp.IsReq = 0;
    rsp.Status = QelResult::Offline;
    // Gone from the list before anyone hears of it: the handler may send
    // the next request from here.
    FPending.erase(it);
    // A handler's exception ends here rather than in the event loop.
    try {
        RaiseRspAvail(rsp);
    } catch (const std::exception& e) {
        qCritical("tOffline: exception in the answer handler: %s", e.what());
    } catch (...) {
        qCritical("tOffline: exception in the answer handler");
    }
}

int tOffline::answerNow(bool IsRead, int Addr, int Service, TRecTel& Rsp) const
{
    const int result = FOpen ? QelResult::Ok : QelResult::DriverClosed;
    Rsp.Status = FOpen ? QelResult::Offline : QelResult::DriverClosed;
    Rsp.ReqId = -1;
    Rsp.InvAdr = Addr;
    Rsp.Service = Service;
    Rsp.IsRead = IsRead ? 1 : 0;
    Rsp.IsReq = 0;
    return result;
}

int tOffline::ReadPara(int Addr, int Service, const TTelData&, TRecTel& Rsp)
{
    return answerNow(true, Addr, Service, Rsp);
}

int tOffline::WritePara(int Addr, int Service, const TTelData&, TRecTel& Rsp)
{
    return answerNow(false, Addr, Service, Rsp);
}
