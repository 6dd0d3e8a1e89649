#include "comm/ansi.h"

#include "comm/din_codec.h"
#include "comm/line_trace.h"
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
    connect(&FTimer, &qel::TTimer::timeout, this, &TAnsi::OnTimer);
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

    FDin.Reset();
    FPort->Flush();
    {
        std::lock_guard lk(FLock);
        ClearRingLocked();
        FSendLen = 0;
    }
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

    if (FDin.Pending()) {
        if (SyncActive()) {
            // The outstanding request is the synchronous exchange's own: its
            // loop is suspended below us, so waiting for it would never end.
            // It ends here with -100 and the exchange returns.
            FDin.Finish(QelResult::DriverClosed, false);
            FTimer.stop();
            SyncWake();
        } else {
            // An asynchronous request ends with its answer or its time-out.
            const std::shared_ptr<const bool> alive = AliveToken();
            while (FDin.Pending() && FPort->IsOpen()) {
                QEventLoop loop;
                qel::TTimer backstop;
                backstop.setSingleShot(true);
                connect(&backstop, &qel::TTimer::timeout, &loop, &QEventLoop::quit);
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
    qel::TTimer tick;
    tick.setInterval(TModemDialogue::PollMs);
    const std::shared_ptr<const bool> alive = AliveToken();
    connect(&tick, &qel::TTimer::timeout, &loop, [&] {
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

    uint8_t frame[MinTelBuffer];
    const int n = FDin.Prepare(IsRead, Addr, Service, Data, frame);
    if (n < 0)
        return n;
    LineTrace::Now(TLineStage::RequestHanded);

    {
        std::lock_guard lk(FLock);
        FPort->Flush();
        ClearRingLocked();
        std::memcpy(FSendBuf, frame, static_cast<size_t>(n));
        FSendLen = n;
        FSendPos = FSendSlow ? 0 : n - 1;
        ++FSendGen;
        FEchoPending = true;
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

    FDin.Sent();
    FTimedOut = false;
    FTimer.start(std::max(0, FTimeOut));
    return FDin.ReqId();
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
    do {
        if (FPort->Read(buf, sizeof buf, n) != 0)
            break;
        for (int i = 0; i < n; ++i) {
            const uint8_t b = buf[i];
            if (b == ACK || b == EOT || b == NAK || FEtxFlag)
                wake = true;
            FEtxFlag = b == ETX;
        }
        DinAnswerScan::Append(FRing, FRingPos, RingSize, buf, n);
        // A short read has taken everything there was; what comes later
        // is a new line event (asking again would only cost a system call).
    } while (n == sizeof buf);
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
        // character: one character time after the transmitter became
        // empty. An absolute sleep on the monotonic clock with the port
        // thread's small timer slack is exact enough, so nothing spins.
        const auto until = FPort->TxEmptyTime() + std::chrono::steady_clock::duration(FCharTicks);
        LineTrace::At(TLineStage::RtsDeadline, until);
        TSerialCom::SleepUntil(until);
        std::lock_guard lk(FLock);
        // A new request in the meantime has started its own frame.
        if (gen == FSendGen && FSendLen > 0) {
            if (FUseRts)
                FPort->SetRTS();
            LineTrace::Now(TLineStage::RtsRaised);
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
    if (wake) {
        LineTrace::Now(TLineStage::AnswerPosted);
        QCoreApplication::postEvent(this, new QEvent(WakeEvent));
    }
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
    Rsp = FDin.Rec();
    return status;
}

int TAnsi::FinishWith(int status, bool good)
{
    LineTrace::Now(TLineStage::AnswerEvaluated);
    FDin.Finish(status, good);
    FTimer.stop();
    SyncWake();
    if (FCloseLoop)
        FCloseLoop->quit();
    RaiseRspAvail(FDin.Rec()); // not while synchronous
    return status;
}

int TAnsi::Evaluate()
{
    // 1. Port closed: no answer can come. The record says so, so that no
    //    earlier success is read from it; no event is raised.
    if (!FPort->IsOpen()) {
        FDin.Abandon();
        FDin.Rec().Status = QelResult::DriverClosed;
        return QelResult::DriverClosed;
    }
    // 2. Nothing pending.
    if (!FDin.Pending()) {
        if (SyncActive()) {
            FDin.Rec().Status = QelResult::NotSupported;
            return QelResult::NotSupported;
        }
        return QelResult::Pending;
    }
    // 3. Broadcast write: no answer is waited for.
    if (FDin.IsBroadcast())
        return FinishWith(QelResult::Ok, false);

    // 4. Take what the port holds; a line error spoils what is in the ring.
    int lineError;
    {
        std::lock_guard lk(FLock);
        uint8_t buf[RingSize];
        uint16_t n = 0;
        if (FPort->Read(buf, sizeof buf, n) == 0 && n > 0) {
            FEtxFlag = buf[n - 1] == ETX;
            DinAnswerScan::Append(FRing, FRingPos, RingSize, buf, n);
        }
        lineError = FPort->GetError();
        if (lineError != 0)
            ClearRingLocked();
    }
    if (lineError != 0 && !SyncActive())
        return FinishWith(lineError, false);

    // 5. Look for the answer, past the echo of our own frame (two-wire
    //    line, once per frame: an answer can be byte for byte the frame)
    //    and past old or foreign answers. On the serial line a poll is
    //    acknowledged, and no negative service carries a request number.
    DinAnswerScan::TOutcome outcome;
    int errorNumber = 0;
    {
        std::lock_guard lk(FLock);
        DinAnswerScan::TParams p = FDin.ScanParams(true, true);
        p.Echo = FSendLen > 0 ? FSendBuf : nullptr;
        p.EchoLen = FSendLen;
        p.EchoPending = &FEchoPending;
        outcome = DinAnswerScan::Scan(FRing, FRingPos, p, FDin.Rec().Data, errorNumber);
    }
    if (outcome != DinAnswerScan::TOutcome::None)
        return FinishWith(TDinRequest::StatusOf(outcome, errorNumber), outcome == DinAnswerScan::TOutcome::Success);

    // 6. Time-out; while the frame is still going out, that is said apart.
    if (FTimedOut)
        return FinishWith(FSent.load() ? QelResult::NoAnswer : QelResult::SendTimeOut, false);
    FDin.Rec().Status = QelResult::Pending;
    return QelResult::Pending;
}
