#pragma once

// TAnsi: the DIN 66019 II driver on a serial line (7 data bits, even
// parity), point to point or on an RS-485 bus, optionally through a dial-up
// modem. One request at a time.
//
// Threads: the port's line-event thread runs OnLineEvent: it feeds the
// frame byte by byte in SendSlow mode, raises RTS one character after the
// last byte, moves received bytes into the receive ring and posts the
// wake-up event (QEvent::User + 100) when they end a frame. Everything
// else, the evaluation of the answer included, runs in the GUI thread.
// The ring and the send state are guarded by FLock.

#include "comm/custom_serial_qel_prot.h"
#include "comm/din_request.h"
#include "platform/clock.h"

#include <QEvent>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class QEventLoop;
class TSerialCom;

class TAnsi : public tCustomSerialQelProt {
    Q_OBJECT

public:
    // The wake-up message of the line-event thread (window message 1124).
    static constexpr QEvent::Type WakeEvent = static_cast<QEvent::Type>(QEvent::User + 100);
    static constexpr int RingSize = 120;

    explicit TAnsi(QObject* Owner = nullptr);
    ~TAnsi() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prANSI; }
    bool IsOpen() const override { return !FClosed; }

    int Open() override;
    int Close() override;

    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;

    // Dial command; empty = no modem. Trimmed; taken only while closed.
    QString GetModemCMD() const { return FModemCMD; }
    void SetModemCMD(const QString& value);


protected:
    bool event(QEvent* e) override;
    bool SyncRequestPending() const override { return FDin.Pending(); }
    int SyncEvaluate(TRecTel& Rsp) override;

private:
    int Request(bool IsRead, int Addr, int Service, const TTelData& Data);
    // The evaluation of the answer; returns the finished Status, or -400
    // while the answer is still pending.
    int Evaluate();
    int FinishWith(int status, bool good);
    void OnTimer();
    void OnLineEvent(uint32_t mask);
    // Line-event thread, FLock held: takes what the port holds into the
    // ring; true when one of the bytes ends a frame.
    bool DrainPortLocked();
    void ClearRingLocked();
    int DialModem();

    std::unique_ptr<TSerialCom> FPort;
    qel::TTimer FTimer; // timer 1: the answer time-out
    QString FModemCMD;

    bool FClosed = true;
    std::atomic<bool> FDialling{false};
    TDinRequest FDin;
    int64_t FCharTicks = 0;
    bool FTimedOut = false;
    QEventLoop* FCloseLoop = nullptr;
    QEventLoop* FDialLoop = nullptr;

    // Shared with the line-event thread.
    std::mutex FLock;
    // The newest bytes received for the current request (an overflow
    // drops the oldest, DinAnswerScan::Append).
    uint8_t FRing[RingSize] = {};
    int FRingPos = 0;
    bool FEtxFlag = false;
    uint8_t FSendBuf[DinCodec::MinTelBuffer] = {};
    int FSendLen = 0;
    int FSendPos = 0;           // last byte handed to the port
    uint32_t FSendGen = 0;      // counts frames, so a late event of an old one is told apart
    bool FEchoPending = false;  // the echo of the current frame is still to be taken out
    std::atomic<bool> FSent{false};
    bool FUseRts = true;        // RTS is switched only without a modem
};
