#include "comm/ansi.h"

#include "comm/din_codec.h"
#include "comm/modem_dialogue.h"
#include "comm/serial_com.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <cstring>

using namespace DinCodec;

namespace {

// Backstop of the wait in Close for an outstanding asynchronous request;
// the request itself ends at its time-out at the latest.
constexpr int CloseWaitBackstopMs = 20;

} // namespace

TAnsi::TAnsi(QObject* Owner)
    : tCustomSerialQelProt(Owner)
    , FPort(std::make_unique<TSerialCom>())
{
    FTimeOut = 100;
    FBaudrate = B_38400;
    FComport = Com1;
    FSendSlow = false;
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, &TAnsi::OnTimer);
}

TAnsi::~TAnsi()
{
    FOnRspAvail = nullptr;
    Close();
}

QString TAnsi::GetVersion() const
{
    return QStringLiteral("DIN 66019 II Driver\r\nVersion: 1.6\r\nDate: 24.01.2002");
}

void TAnsi::SetModemCMD(const QString& value)
{
    if (!IsOpen())
        FModemCMD = value.trimmed();
}

// ---------------------------------------------------------------- open/close

int TAnsi::Open()
{
    if (FPort->IsOpen()) {
        FClosed = false;
        return QelResult::AlreadyOpen;
    }
    const int bits = BaudRateBits(FBaudrate);
    const int r = FPort->Open(FComport, bits, 7, 'E');
    if (r != 0) {
        Close();
        return r;
    }
    FUseRts = FModemCMD.isEmpty();
    FCharTicks = TSerialCom::CharTicks(bits);
    FPort->SetHandler(EV_RXCHAR | EV_TXEMPTY, this, [this](uint32_t mask, void*) { OnLineEvent(mask); });
    FClosed = false;

    int result = QelResult::Ok;
    if (!FModemCMD.isEmpty()) {
        const std::shared_ptr<const bool> alive = AliveToken();
        result = DialModem();
        if (!*alive)
            return QelResult::OpenFailed;
    }

    FPending = false;
    FPort->Flush();
    {
        std::lock_guard lk(FLock);
        ClearRingLocked();
        FSendLen = 0;
    }
    FGoodExchange = false;
    FReqId = 1;
    if (result != QelResult::Ok)
        Close();
    return result;
}

int TAnsi::Close()
{
    if (!FPort->IsOpen()) {
        FClosed = true;
        return QelResult::NotOpen;
    }
    FClosed = true;
    FPort->ClrDTR(); // hangs up a modem
    if (FDialLoop)
        FDialLoop->quit();

    if (FPending) {
        if (SyncActive()) {
            // The outstanding request is the synchronous exchange's own: its
            // loop is suspended below us, so waiting for it would never end.
            // It ends here with -100 and the exchange returns.
            FRec.Status = QelResult::DriverClosed;
            FGoodExchange = false;
            FTimer.stop();
            FPending = false;
            SyncWake();
        } else {
            // An asynchronous request ends with its answer or its time-out.
            const std::shared_ptr<const bool> alive = AliveToken();
            while (FPending && FPort->IsOpen()) {
                QEventLoop loop;
                QTimer backstop;
                backstop.setSingleShot(true);
                connect(&backstop, &QTimer::timeout, &loop, &QEventLoop::quit);
                backstop.start(CloseWaitBackstopMs);
                FCloseLoop = &loop;
                loop.exec();
                if (!*alive)
                    return QelResult::Ok; // freed (and closed) by a handler meanwhile
                FCloseLoop = nullptr;
            }
        }
    }
    FPort->Close();
    FTimer.stop();
    {
        std::lock_guard lk(FLock);
        ClearRingLocked();
        FSendLen = 0;
    }
    QCoreApplication::removePostedEvents(this, WakeEvent);
    return QelResult::Ok;
}

int TAnsi::DialModem()
{
    FDialling.store(true);
    SetSyncFlag(true); // keeps the line-event side off the port
    FPort->SetRTS();
    FPort->SetDTR();
    FPort->Flush();
    {
        std::lock_guard lk(FLock);
        ClearRingLocked();
    }

    TModemDialogue dialogue(FModemCMD.toLatin1());
    const QByteArray at = dialogue.Start();
    FPort->Write(at.constData(), static_cast<int>(at.size()));

    // Polls every 10 ms in a local event loop, so that the program stays
    // responsive for the up to 60 s that a connection may take.
    int result = QelResult::OpenFailed;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(TModemDialogue::PollMs);
    const std::shared_ptr<const bool> alive = AliveToken();
    connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!*alive) // freed by a handler run inside the loop
            return;
        if (FClosed || !FPort->IsOpen()) { // closed from inside the loop
            result = QelResult::OpenFailed;
            loop.quit();
            return;
        }
        QByteArray received;
        uint8_t buf[128];
        uint16_t n = 0;
        while (FPort->Read(buf, sizeof buf, n) == 0 && n > 0)
            received.append(reinterpret_cast<const char*>(buf), n);
        QByteArray toSend;
        switch (dialogue.Poll(received, toSend)) {
        case TModemDialogue::Action::Wait:
            break;
        case TModemDialogue::Action::SendCommand:
            FPort->Flush();
            FPort->Write(toSend.constData(), static_cast<int>(toSend.size()));
            break;
        case TModemDialogue::Action::Connected:
            result = QelResult::Ok;
            loop.quit();
            break;
        case TModemDialogue::Action::Failed:
            result = QelResult::OpenFailed;
            loop.quit();
            break;
        }
    });
    tick.start();
    FDialLoop = &loop;
    loop.exec();
    if (!*alive)
        return QelResult::OpenFailed;
    FDialLoop = nullptr;
    tick.stop();

    SetSyncFlag(false);
    FDialling.store(false);
    return result;
}

// ------------------------------------------------------------------ requests

int TAnsi::ReadParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(true, Addr, Service, Data);
}

int TAnsi::WriteParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(false, Addr, Service, Data);
}

int TAnsi::Request(bool IsRead, int Addr, int Service, const TTelData& Data)
{
    if (FClosed)
        return QelResult::DriverClosed;
    // While the modem dials, and while a synchronous exchange waits for
    // the driver to become idle, nothing new is taken.
    if (FDialling.load() || SyncWaitingForIdle())
        return QelResult::DriverBusy;
    // One request at a time, also after the time-out of a synchronous
    // exchange's own request: the exchange ends that request itself before
    // it tries again, so a request taken here could only be another
    // client's, would replace the exchange's request, and its answer would
    // be handed to the exchange.
    if (FPending)
        return QelResult::DriverBusy;
    if (Addr < 0 || Addr > (IsRead ? MaxInvAdr : MaxBroadcastAdr))
        return QelResult::AddrRange;
    if (Addr != FLastAdr) {
        FLastAdr = Addr;
        FGoodExchange = false;
    }

    // A fresh record: no data or result of an earlier exchange survives.
    FRec = TRecTel{};
    FRec.InvAdr = Addr;
    FRec.Service = Service;
    FRec.IsRead = IsRead ? 1 : 0;
    FRec.IsReq = 0;
    FRec.Status = QelResult::Pending;
    if (IsRead)
        FExpectedParAdr = Data.ParAdr;

    FReqId = FReqId % MaxReqId + 1;
    FRec.ReqId = FReqId;

    uint8_t frame[MinTelBuffer];
    const int n = AnsiBuildTel(Service, FReqId, FGoodExchange ? -1 : Addr, Data, !IsRead, frame);
    if (n < 0)
        return n;

    {
        std::lock_guard lk(FLock);
        FPort->Flush();
        ClearRingLocked();
        std::memcpy(FSendBuf, frame, static_cast<size_t>(n));
        FSendLen = n;
        FSendPos = FSendSlow ? 0 : n - 1;
        ++FSendGen;
        FEchoRemoved = false;
        FSent.store(false);
    }
    if (FUseRts)
        FPort->ClrRTS();
    const int written = FPort->Write(frame, FSendSlow ? 1 : n);
    if (written <= 0) {
        std::lock_guard lk(FLock);
        FSendLen = 0;
        return QelResult::OpenFailed;
    }

    FPendingService = Service;
    FPending = true;
    FTimedOut = false;
    FTimer.start(std::max(0, FTimeOut));
    return FReqId;
}

// --------------------------------------------------------- line-event thread

void TAnsi::ClearRingLocked()
{
    FRingPos = 0;
    FEtxFlag = false;
}

bool TAnsi::DrainPortLocked()
{
    bool wake = false;
    uint8_t buf[64];
    uint16_t n = 0;
    while (FPort->Read(buf, sizeof buf, n) == 0 && n > 0) {
        for (int i = 0; i < n; ++i) {
            const uint8_t b = buf[i];
            if (FRingPos >= RingSize)
                FRingPos = 0;
            FRing[FRingPos++] = b;
            if (b == ACK || b == EOT || b == NAK || FEtxFlag)
                wake = true;
            FEtxFlag = b == ETX;
        }
    }
    return wake;
}

void TAnsi::OnLineEvent(uint32_t mask)
{
    if (FDialling.load())
        return;

    bool lastByteOut = false;
    uint32_t gen = 0;
    {
        std::lock_guard lk(FLock);
        if ((mask & EV_TXEMPTY) && FSendLen > 0 && !FSent.load() && FSendPos < FSendLen) {
            ++FSendPos;
            if (FSendPos < FSendLen)
                FPort->Write(&FSendBuf[FSendPos], 1); // SendSlow: one byte per event
            else
                lastByteOut = true;
        }
        gen = FSendGen;
    }
    if (lastByteOut) {
        // Release the RS-485 bus only after the stop bit of the last
        // character: one character time, polled (a sleep is too coarse).
        const auto until = std::chrono::steady_clock::now()
            + std::chrono::steady_clock::duration(FCharTicks);
        while (std::chrono::steady_clock::now() < until) {
        }
        std::lock_guard lk(FLock);
        // A new request in the meantime has started its own frame.
        if (gen == FSendGen && FSendLen > 0) {
            if (FUseRts)
                FPort->SetRTS();
            FSent.store(true);
        }
    }
    if (!FSent.load())
        return;
    bool wake;
    {
        std::lock_guard lk(FLock);
        wake = DrainPortLocked();
    }
    if (wake)
        QCoreApplication::postEvent(this, new QEvent(WakeEvent));
}

// ---------------------------------------------------------------- GUI thread

bool TAnsi::event(QEvent* e)
{
    if (e->type() == WakeEvent) {
        if (SyncActive())
            SyncWake(); // the synchronous loop evaluates
        else
            Evaluate();
        return true;
    }
    return tCustomSerialQelProt::event(e);
}

void TAnsi::OnTimer()
{
    FTimer.stop();
    FTimedOut = true;
    if (SyncActive())
        SyncWake();
    else
        Evaluate();
}

int TAnsi::SyncEvaluate(TRecTel& Rsp)
{
    const int status = Evaluate();
    Rsp = FRec;
    return status;
}

int TAnsi::FinishWith(int status, bool good)
{
    FRec.Status = status;
    FGoodExchange = good;
    FTimer.stop();
    FPending = false;
    SyncWake();
    if (FCloseLoop)
        FCloseLoop->quit();
    RaiseRspAvail(FRec); // not while synchronous
    return status;
}

int TAnsi::Evaluate()
{
    // 1. Port closed: no answer can come. The record says so, so that no
    //    earlier success is read from it; no event is raised.
    if (!FPort->IsOpen()) {
        FPending = false;
        FRec.Status = QelResult::DriverClosed;
        return FRec.Status;
    }
    // 2. Nothing pending.
    if (!FPending) {
        if (SyncActive()) {
            FRec.Status = QelResult::NotSupported;
            return FRec.Status;
        }
        return QelResult::Pending;
    }
    // 3. Broadcast write: no answer is waited for.
    if (FRec.InvAdr > MaxInvAdr)
        return FinishWith(QelResult::Ok, false);

    // 4. Take what the port holds; a line error spoils what is in the ring.
    int lineError;
    {
        std::lock_guard lk(FLock);
        uint8_t buf[RingSize];
        uint16_t n = 0;
        const int room = RingSize - FRingPos;
        if (room > 0 && FPort->Read(buf, static_cast<uint16_t>(room), n) == 0) {
            for (int i = 0; i < n; ++i) {
                FEtxFlag = buf[i] == ETX;
                FRing[FRingPos++] = buf[i];
            }
        }
        lineError = FPort->GetError();
        if (lineError != 0)
            ClearRingLocked();
    }
    if (lineError != 0 && !SyncActive())
        return FinishWith(lineError, false);

    // 5. Look for the answer, past the echo of our own frame (two-wire
    //    line) and past old or foreign answers.
    enum class Outcome { None, Success, Malformed, Checksum, Refused };
    Outcome outcome = Outcome::None;
    int errorNumber = 0;
    {
        std::lock_guard lk(FLock);
        int& count = FRingPos;
        const int svc = FPendingService;
        const int ackId = svc < 0 ? 0 : FReqId;
        const bool wantAck = !FRec.IsRead || svc == QelService::ParaSetCmd
            || svc == QelService::ParaSetAdrCmd || svc == QelService::Poll;
        while (count > 0) {
            // A line echoes each frame once. An answer can be byte for byte
            // the frame (process data written and read back unchanged), so
            // a second copy is the answer, not another echo.
            if (!FEchoRemoved && FSendLen > 0 && count >= FSendLen
                && std::memcmp(FRing, FSendBuf, static_cast<size_t>(FSendLen)) == 0) {
                std::memmove(FRing, FRing + FSendLen, static_cast<size_t>(count - FSendLen));
                count -= FSendLen;
                FEchoRemoved = true;
                continue;
            }
            if (wantAck) {
                const int r = AnsiCheckAck(FRing, count, ackId);
                if (r == 1) {
                    outcome = Outcome::Success;
                    break;
                }
                if (r == 2)
                    continue;
            }
            int r = AnsiCheckData(FRing, count, FReqId, FRec.Data, svc);
            if (r == 1) {
                // Service -1 names no request number: an answer for another
                // parameter is an old one.
                if (FRec.IsRead && svc == QelService::Plain && FRec.Data.ParAdr != FExpectedParAdr)
                    continue;
                outcome = Outcome::Success;
                break;
            }
            if (r == 2)
                continue;
            if (r == -2) {
                outcome = Outcome::Malformed;
                break;
            }
            if (r == -1) {
                outcome = Outcome::Checksum;
                break;
            }
            r = AnsiCheckNak(FRing, count, errorNumber, ackId);
            if (r == 1) {
                outcome = Outcome::Refused;
                break;
            }
            if (r == 2)
                continue;
            if (r == -2) {
                outcome = Outcome::Malformed;
                break;
            }
            break; // nothing (yet)
        }
    }
    switch (outcome) {
    case Outcome::Success:
        return FinishWith(QelResult::Ok, true);
    case Outcome::Malformed:
        return FinishWith(QelResult::Malformed, false);
    case Outcome::Checksum:
        return FinishWith(QelResult::Checksum, false);
    case Outcome::Refused:
        return FinishWith(errorNumber, false);
    case Outcome::None:
        break;
    }

    // 6. Time-out.
    if (FTimedOut)
        return FinishWith(FSent.load() ? QelResult::NoAnswer : QelResult::SendTimeOut, false);
    FRec.Status = QelResult::Pending;
    return QelResult::Pending;
}
