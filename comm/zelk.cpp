#include "comm/zelk.h"

#include "comm/line_trace.h"
#include "comm/serial_com.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>

using namespace BinCodec;

namespace {

// Backstop of the synchronous wait; the answer or the time-out wakes it.
constexpr int SyncBackstopMs = 50;
// While CTS is on but no byte has come, CTS is looked at again this often.
constexpr auto CtsRecheck = std::chrono::milliseconds(2);

// Results that end a synchronous exchange; every other one is tried again.
bool EndsSyncExchange(int status)
{
    switch (status) {
    case 0: case 2: case 3: case 4: case 7: case 8: case 11:
        return true;
    default:
        return false;
    }
}

} // namespace

tZelk::tZelk(QObject* Owner)
    : tCustomSerialQelProt(Owner)
    , FPort(std::make_unique<TSerialCom>())
{
    FTimeOut = 100;
    FBaudrate = B_38400;
    FComport = Com1;
    FSendSlow = false;
}

tZelk::~tZelk()
{
    // No answer reaches anybody from a driver being destroyed.
    FOnRspAvail = nullptr;
    FOnReqAvail = nullptr;
    FPendingList.clear();
    Close();
    if (FSyncLoop)
        FSyncLoop->quit();
}

QString tZelk::GetVersion() const
{
    return QStringLiteral("Zelk Driver\r\nVersion: 1.5\r\nDate: 24.01.2002");
}

void tZelk::SetTimeOut(int ms)
{
    FTimeOut = std::clamp(ms, 10, 10000);
}

void tZelk::SetOnReqAvail(tOnReq event) { FOnReqAvail = std::move(event); }
tOnReq tZelk::GetOnReqAvail() const { return FOnReqAvail; }

void tZelk::SetMaster(bool value)
{
    if (!FOpen)
        FMaster = value;
}

void tZelk::SetNextReqId(int value)
{
    if (value >= 1 && value <= MaxReqId)
        FNextReqId = value;
}

// ---------------------------------------------------------------- open/close

int tZelk::Open()
{
    if (FOpen)
        return QelResult::AlreadyOpen;
    if (FPort->IsOpen())
        FPort->Close();
    const int bits = BaudRateBits(FBaudrate);
    const int r = FPort->Open(FComport, bits, 8, 'E');
    if (r != 0) {
        FPort->Close();
        return r;
    }
    // The threads of the port are running but no handler is set yet, so
    // the state they share can be reset without the lock being contended.
    {
        std::lock_guard lk(FSendLock);
        FSending = false;
        FQueue.clear();
        FCurPos = 0;
    }
    FRxCount = 0;
    FPort->Flush(); // nothing from before the driver was open
    FCharTicks = TSerialCom::CharTicks(bits);
    FPort->SetHandler(EV_TXEMPTY | EV_CTS | EV_ERR, this, [this](uint32_t mask, void*) { OnLineEvent(mask); });
    FOpen = true;
    return QelResult::Ok;
}

int tZelk::Close()
{
    if (!FOpen)
        return QelResult::NotOpen;
    FOpen = false;
    FPort->Close(); // waits for both threads
    {
        std::lock_guard lk(FSendLock);
        FSending = false;
        FQueue.clear();
    }
    FRxCount = 0;
    // Telegrams not parsed yet are dropped: outstanding requests end at
    // their time-out.
    QCoreApplication::removePostedEvents(this, TelEvent);
    {
        std::lock_guard lk(FHandLock);
        FHandOver.clear();
    }
    return QelResult::Ok;
}

// ------------------------------------------------------------------ requests

int tZelk::ReadParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(true, Addr, Service, Data);
}

int tZelk::WriteParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(false, Addr, Service, Data);
}

int tZelk::Request(bool IsRead, int Addr, int Service, const TTelData& Data)
{
    if (!FOpen)
        return QelResult::DriverClosed;
    const int id = FNextReqId;
    const uint8_t byte0 = static_cast<uint8_t>(FMaster ? id << 4 : id);
    uint8_t tel[TelBufferSize];
    const int n = BuildTel(IsRead ? TelKind::ReadReq : TelKind::WriteReq, Service, byte0, Data, 0,
                           Dialect::Zelk, tel);
    if (n < 0)
        return n;
    // An answer names only the number: while a request with this number
    // is outstanding, another one would take its answer.
    for (const TReqListItem& item : FPendingList)
        if (item.ReqId == id)
            return QelResult::DriverBusy;
    LineTrace::Now(TLineStage::RequestHanded);

    const int r = Send(tel, n);
    if (r < 0)
        return r;

    TReqListItem item;
    item.ReqId = id;
    item.IsRead = IsRead;
    item.Service = Service;
    item.InvAdr = Addr;
    item.Timer = TimerFor(id);
    item.Timer->start(FTimeOut);
    FPendingList.push_back(std::move(item));
    FNextReqId = id % MaxReqId + 1;
    return id;
}

int tZelk::ReadParaRsp(int, int ReqId, int Service, uint8_t Result, const TTelData& Data)
{
    return Answer(true, ReqId, Service, Result, Data);
}

int tZelk::WriteParaRsp(int, int ReqId, int Service, uint8_t Result, const TTelData& Data)
{
    return Answer(false, ReqId, Service, Result, Data);
}

int tZelk::Answer(bool IsRead, int ReqId, int Service, uint8_t Result, const TTelData& Data)
{
    if (!FOpen)
        return QelResult::DriverClosed;
    // The plain access -1 never appears on the line, so nothing answers it.
    if (Service < 0)
        return QelResult::NotSupported;
    const int id = ReqId & 0x0F;
    const uint8_t byte0 = static_cast<uint8_t>(FMaster ? id : id << 4);
    uint8_t tel[TelBufferSize];
    const int n = BuildTel(IsRead ? TelKind::ReadRsp : TelKind::WriteRsp, Service, byte0, Data, Result,
                           Dialect::Zelk, tel);
    if (n < 0)
        return n;
    return Send(tel, n);
}

// ----------------------------------------------------------------- sending

int tZelk::Send(const uint8_t* bytes, int len)
{
    Telegram t;
    std::memcpy(t.Bytes, bytes, static_cast<size_t>(len));
    t.Len = len;
    t.Slow = FSendSlow;
    std::lock_guard lk(FSendLock);
    if (FSending) {
        // The port would replace the unsent rest of the telegram on its
        // way: this one waits for the transmitter to become empty.
        if (static_cast<int>(FQueue.size()) >= MaxQueuedTelegrams)
            return QelResult::DriverBusy;
        FQueue.push_back(t);
        return QelResult::Ok;
    }
    if (!StartLocked(t))
        return FPort->IsOpen() ? QelResult::OpenFailed : QelResult::NotOpen;
    return QelResult::Ok;
}

bool tZelk::StartLocked(const Telegram& t)
{
    FCur = t;
    FCurPos = 0;
    FPort->ClrRTS();
    const int want = t.Slow ? 1 : t.Len;
    const int written = FPort->Write(t.Bytes, want);
    FSending = written == want;
    return FSending;
}

// ------------------------------------------------------- line-event thread

void tZelk::OnLineEvent(uint32_t mask)
{
    if (mask & EV_TXEMPTY)
        OnTxEmpty();
    if (mask & EV_ERR) {
        FPort->GetError();
        FRxCount = 0;
    }
    // CTS on: the inverter is sending. Bytes left over when CTS fell (they
    // came while the last telegram was collected) are taken as well.
    if ((mask & EV_CTS) && (FPort->CTS() || FPort->InQueue() > 0))
        Receive();
}

void tZelk::OnTxEmpty()
{
    std::unique_lock lk(FSendLock);
    if (!FSending)
        return;
    if (FCur.Slow && FCurPos + 1 < FCur.Len) {
        ++FCurPos;
        if (FPort->Write(&FCur.Bytes[FCurPos], 1) != 1)
            FSending = false;
        return;
    }
    // The telegram is out. The next one follows at once; otherwise the
    // line is released one character after the stop bit of the last byte
    // (polled: a sleep is too coarse).
    if (FQueue.empty()) {
        lk.unlock();
        // One character time after the transmitter became empty, slept
        // on the monotonic clock (the port's threads have a small timer
        // slack), not spun.
        const auto until = FPort->TxEmptyTime() + std::chrono::steady_clock::duration(FCharTicks);
        LineTrace::At(TLineStage::RtsDeadline, until);
        TSerialCom::SleepUntil(until);
        lk.lock();
        if (FQueue.empty()) {
            FPort->SetRTS();
            LineTrace::Now(TLineStage::RtsRaised);
            FSending = false;
            return;
        }
    }
    while (!FQueue.empty()) {
        const Telegram next = FQueue.front();
        FQueue.pop_front();
        if (StartLocked(next))
            return;
    }
}

int tZelk::ReadMore()
{
    uint16_t n = 0;
    const int room = TelBufferSize - FRxCount;
    if (room > 0)
        FPort->Read(FRx + FRxCount, static_cast<uint16_t>(room), n);
    FRxCount += n;
    return n;
}

void tZelk::Receive()
{
    using Clock = std::chrono::steady_clock;
    ReadMore();
    // CTS may come on before the first byte does: wait for the byte while
    // CTS stays on.
    const auto firstDeadline = Clock::now() + std::chrono::milliseconds(RestWaitMs);
    while (FRxCount == 0 && FPort->CTS() && Clock::now() < firstDeadline) {
        FPort->WaitForInput(std::min(firstDeadline, Clock::now() + CtsRecheck));
        ReadMore();
    }
    // The rest of a telegram is waited for on the device, so a telegram is
    // handed over as soon as its last byte is there.
    auto waitMore = [this](Clock::time_point deadline) {
        if (FRxCount >= TelBufferSize || !FPort->WaitForInput(deadline))
            return false;
        ReadMore();
        return true;
    };
    while (FRxCount > 0) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(RestWaitMs);
        // Byte 1 (and the length byte it names) tell the length.
        int len = TelLength(FRx, FRxCount);
        while (len == LenNeedMore && Clock::now() < deadline) {
            if (!waitMore(deadline))
                break;
            len = TelLength(FRx, FRxCount);
        }
        if (len <= 0 || len > MaxTelLen) {
            // No telegram of this service, a corrupt length byte, or a
            // header that never completed: nothing to hand over; the
            // request concerned ends at its time-out.
            DropBurst();
            return;
        }
        while (FRxCount < len && Clock::now() < deadline) {
            if (!waitMore(deadline))
                break;
        }
        if (FRxCount < len) {
            FRxCount = 0; // the rest never came
            return;
        }
        Handover(FRx, len);
        FRxCount -= len;
        std::memmove(FRx, FRx + len, static_cast<size_t>(FRxCount));
        ReadMore();
    }
}

void tZelk::DropBurst()
{
    // The rest of the burst goes too: bytes the receive buffer had no room
    // for would otherwise wait in the port and be taken for the start of
    // the next telegram, which the inverter sends under a CTS of its own.
    FRxCount = 0;
    uint8_t sink[TelBufferSize];
    uint16_t n = 0;
    for (int left = FPort->InQueue(); left > 0 && FPort->Read(sink, sizeof sink, n) == 0 && n > 0; left -= n) {
    }
}

// ---------------------------------------------------------------- GUI thread

void tZelk::Handover(const uint8_t* bytes, int len)
{
    QEvent* wake;
    {
        // The event is made under the lock too, so that the GUI thread,
        // which takes the lock before looking at it, sees it complete.
        std::lock_guard lk(FHandLock);
        Telegram t;
        std::memcpy(t.Bytes, bytes, static_cast<size_t>(len));
        t.Len = len;
        FHandOver.push_back(t);
        wake = new QEvent(TelEvent);
    }
    LineTrace::Now(TLineStage::AnswerPosted);
    QCoreApplication::postEvent(this, wake);
}

bool tZelk::event(QEvent* e)
{
    std::deque<Telegram> received;
    {
        std::unique_lock lk(FHandLock);
        if (e->type() != TelEvent) {
            lk.unlock();
            return tCustomSerialQelProt::event(e);
        }
        received.swap(FHandOver);
    }
    const std::shared_ptr<const bool> alive = AliveToken();
    for (const Telegram& t : received) {
        try {
            OnTelegram(t.Bytes, t.Len);
        } catch (const std::exception& ex) {
            qCritical("tZelk: exception while handling a telegram: %s", ex.what());
        } catch (...) {
            qCritical("tZelk: exception while handling a telegram");
        }
        if (!*alive)
            break; // freed by a handler
    }
    return true;
}

void tZelk::OnTelegram(const uint8_t* t, int n)
{
    // Wrong length or check byte: ignored, the request ends at its time-out.
    if (n < 3 || n > MaxTelLen || TelLength(t, n) != n || Xor(t, n - 1) != t[n - 1])
        return;
    const bool answer = (t[1] & AnswerBit) != 0;
    // As master, answers carry the number high and the inverter's requests
    // low; as slave the other way round.
    const int number = answer == FMaster ? t[0] >> 4 : t[0] & 0x0F;

    TRecTel rec;
    rec.ReqId = number;
    rec.InvAdr = 0;
    rec.IsReq = answer ? 0 : 1;
    rec.IsRead = (t[1] & WriteBit) == 0 ? 1 : 0;
    rec.Service = t[1] & ServiceMask;
    rec.Status = 0;

    if (!answer) {
        if (!DecodePayload(KindOf(t[1]), rec.Service, t, n, rec.Data, rec.Status))
            return;
        if (FOnReqAvail) {
            tOnReq handler = FOnReqAvail;
            handler(this, rec);
        }
        return;
    }

    auto it = std::find_if(FPendingList.begin(), FPendingList.end(),
                           [number](const TReqListItem& i) { return i.ReqId == number; });
    if (it == FPendingList.end())
        return;
    // An answer of another service or direction is not this request's.
    const int service = (it->Service == QelService::Plain && rec.Service == 1) ? QelService::Plain : rec.Service;
    if (service != it->Service || (rec.IsRead != 0) != it->IsRead)
        return;
    if (!DecodePayload(KindOf(t[1]), service, t, n, rec.Data, rec.Status))
        return;
    rec.Service = service;
    rec.InvAdr = it->InvAdr;
    LineTrace::Now(TLineStage::AnswerEvaluated);
    it->Timer->stop();
    FPendingList.erase(it);
    Deliver(rec);
}

qel::TTimer* tZelk::TimerFor(int ReqId)
{
    qel::TTimer*& t = FReqTimers[static_cast<size_t>(ReqId)];
    if (!t) {
        t = new qel::TTimer(this);
        t->setSingleShot(true);
        connect(t, &qel::TTimer::timeout, this, [this, ReqId] { OnTimeOut(ReqId); });
    }
    return t;
}

void tZelk::OnTimeOut(int ReqId)
{
    auto it = std::find_if(FPendingList.begin(), FPendingList.end(),
                           [ReqId](const TReqListItem& i) { return i.ReqId == ReqId; });
    if (it == FPendingList.end())
        return;
    TRecTel rec;
    rec.ReqId = it->ReqId;
    rec.InvAdr = it->InvAdr;
    rec.Service = it->Service;
    rec.IsRead = it->IsRead ? 1 : 0;
    rec.IsReq = 0;
    rec.Status = QelResult::NoAnswer;
    FPendingList.erase(it);
    try {
        Deliver(rec);
    } catch (const std::exception& ex) {
        qCritical("tZelk: exception while handling a time-out: %s", ex.what());
    } catch (...) {
        qCritical("tZelk: exception while handling a time-out");
    }
}

void tZelk::Deliver(const TRecTel& rec)
{
    if (FSyncWaitId != 0 && FSyncWaitId == rec.ReqId) {
        FSyncAnswer = rec;
        FSyncWaitId = 0;
        if (FSyncLoop)
            FSyncLoop->quit();
        return;
    }
    if (FOnRspAvail) {
        tOnRsp handler = FOnRspAvail; // it may replace OnRspAvail while it runs
        handler(this, rec);
    }
}

// ------------------------------------------------------ synchronous exchange

int tZelk::ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    return SyncExchange(true, Addr, Service, Data, Rsp);
}

int tZelk::WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    return SyncExchange(false, Addr, Service, Data, Rsp);
}

int tZelk::SyncEvaluate(TRecTel& Rsp)
{
    Rsp = FSyncAnswer;
    return Rsp.Status;
}

int tZelk::SyncExchange(bool IsRead, int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    if (!FOpen) {
        Rsp.Status = QelResult::DriverClosed;
        return QelResult::DriverClosed;
    }
    if (FSyncRunning) {
        Rsp.Status = QelResult::DriverBusy;
        return QelResult::DriverBusy;
    }
    FSyncRunning = true;
    const std::shared_ptr<const bool> alive = AliveToken();
    int result = QelResult::Ok;
    for (int tries = 0;;) {
        const int r = IsRead ? ReadParaReq(Addr, Service, Data) : WriteParaReq(Addr, Service, Data);
        if (r < 1) {
            FSyncAnswer = TRecTel{};
            FSyncAnswer.InvAdr = Addr;
            FSyncAnswer.Service = Service;
            FSyncAnswer.IsRead = IsRead ? 1 : 0;
            FSyncAnswer.Status = r;
            result = r;
            break;
        }
        FSyncWaitId = r;
        while (FSyncWaitId != 0) {
            QEventLoop loop;
            qel::TTimer backstop;
            backstop.setSingleShot(true);
            connect(&backstop, &qel::TTimer::timeout, &loop, &QEventLoop::quit);
            backstop.start(SyncBackstopMs);
            FSyncLoop = &loop;
            loop.exec();
            if (!*alive) {
                // Freed by a handler run inside the loop.
                Rsp.Status = QelResult::DriverClosed;
                return QelResult::DriverClosed;
            }
            FSyncLoop = nullptr;
        }
        if (EndsSyncExchange(FSyncAnswer.Status) || ++tries >= FRetryCnt)
            break;
    }
    Rsp = FSyncAnswer;
    FSyncRunning = false;
    return result;
}
