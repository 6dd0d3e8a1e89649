#pragma once

// tZelk: the binary telegram on a point-to-point serial line (8 data bits,
// even parity). Several requests may be outstanding at once, one per
// request number, each with its own time-out timer. The driver takes
// either role: master (the system asks, the inverter answers) or slave
// (the inverter may also send requests, reported through OnReqAvail and
// answered with ReadParaRsp / WriteParaRsp).
//
// Request numbers on the line: a request of the system carries its number
// in the high nibble of byte 0 as master and in the low nibble as slave;
// an answer carries the number of the request it answers in the other
// nibble. Received telegrams are read the same way.
//
// Threads: the port's line-event thread runs OnLineEvent. It feeds queued
// telegrams to the port (byte by byte with SendSlow), raises RTS one
// character after the last byte, and collects a received telegram when CTS
// comes on (the inverter is sending), waiting up to 200 ms for its rest.
// Each complete telegram is queued for the GUI thread as a copy of its own
// and a TelEvent wakes it; parsing, timers and events all run in the GUI
// thread. The send state is guarded by FSendLock, the hand-over queue by
// FHandLock; the receive buffer belongs to the line-event thread alone.

#include "comm/bin_codec.h"
#include "comm/custom_serial_qel_prot.h"
#include "platform/clock.h"

#include <QEvent>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class QEventLoop;
class TSerialCom;

class tZelk : public tCustomSerialQelProt {
    Q_OBJECT

public:
    // A complete telegram from the line-event thread (window message 1124).
    static constexpr QEvent::Type TelEvent = static_cast<QEvent::Type>(QEvent::User + 100);
    // Telegrams waiting for the port behind the one being sent; a request
    // or answer beyond this is refused with -101.
    static constexpr int MaxQueuedTelegrams = 32;
    // How long the receive waits for the rest of a telegram.
    static constexpr int RestWaitMs = 200;

    explicit tZelk(QObject* Owner = nullptr);
    ~tZelk() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prZelk; }
    bool IsOpen() const override { return FOpen; }

    // Clamped to 10..10000 ms.
    void SetTimeOut(int ms) override;
    void SetOnReqAvail(tOnReq event) override;
    tOnReq GetOnReqAvail() const override;

    // 0, -3 already open, or the port's code (-2) when it cannot be opened.
    int Open() override;
    // 0, -4 not open. Outstanding requests end at their time-out with -10.
    int Close() override;

    // Request number 1..15, or -100 closed, -104 no layout for the service,
    // -101 the next number is still outstanding (or the send queue is
    // full), -2 / -4 the port did not take the telegram.
    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;

    // Answers to a request the inverter sent: 0, -100 closed, -104 no
    // layout, -101 send queue full, -2 / -4 sending failed. Addr is unused.
    int ReadParaRsp(int Addr, int ReqId, int Service, uint8_t Result, const TTelData& Data) override;
    int WriteParaRsp(int Addr, int ReqId, int Service, uint8_t Result, const TTelData& Data) override;

    // The driver's own synchronous exchange: results 0, 2, 3, 4, 7, 8 and
    // 11 end it, any other is tried again up to RetryCnt times. Answers to
    // asynchronous requests still raise OnRspAvail meanwhile.
    int ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;
    int WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;

    // Role on the line; taken only while closed.
    bool GetMaster() const { return FMaster; }
    void SetMaster(bool value);
    // Number of the next request, 1..15; other values are ignored.
    int GetNextReqId() const { return FNextReqId; }
    void SetNextReqId(int value);
    // Requests waiting for their answer or time-out.
    int PendingCount() const { return static_cast<int>(FPendingList.size()); }

protected:
    bool event(QEvent* e) override;
    // The common synchronous loop of the base is not used.
    bool SyncRequestPending() const override { return false; }
    int SyncEvaluate(TRecTel& Rsp) override;

private:
    struct TReqListItem {
        int ReqId = 0;
        qel::TTimer* Timer = nullptr; // the request number's own, see TimerFor
        bool IsRead = true;
        int Service = 0;
        int InvAdr = 0;
    };
    struct Telegram {
        uint8_t Bytes[BinCodec::TelBufferSize] = {};
        int Len = 0;
        bool Slow = false;
    };

    int Request(bool IsRead, int Addr, int Service, const TTelData& Data);
    int Answer(bool IsRead, int ReqId, int Service, uint8_t Result, const TTelData& Data);
    int SyncExchange(bool IsRead, int Addr, int Service, const TTelData& Data, TRecTel& Rsp);
    // Hands a telegram to the port, or queues it behind the one being sent.
    int Send(const uint8_t* bytes, int len);
    // FSendLock held: starts the next queued telegram; false when the
    // port did not take it.
    bool StartLocked(const Telegram& t);
    void OnTimeOut(int ReqId);
    // The time-out timer of a request number, made at its first use and
    // kept: numbers are unique among the outstanding requests, and no timer
    // is made and freed per exchange.
    qel::TTimer* TimerFor(int ReqId);
    void OnTelegram(const uint8_t* t, int n);
    // Completes a request: to the synchronous exchange waiting for it, or
    // through OnRspAvail. Last thing a caller does (a handler may free us).
    void Deliver(const TRecTel& rec);

    // Line-event thread.
    void OnLineEvent(uint32_t mask);
    void OnTxEmpty();
    void Receive();
    int ReadMore();
    // What has no telegram spoils the burst it came in: drops the receive
    // buffer and what the port holds of the burst.
    void DropBurst();
    // Queues a complete telegram for the GUI thread and wakes it.
    void Handover(const uint8_t* bytes, int len);

    std::unique_ptr<TSerialCom> FPort;
    bool FOpen = false;
    bool FMaster = true;
    int FNextReqId = 1;
    int64_t FCharTicks = 0;
    tOnReq FOnReqAvail;
    std::vector<TReqListItem> FPendingList;
    std::array<qel::TTimer*, MaxReqId + 1> FReqTimers{}; // children of the driver

    // Synchronous exchange.
    bool FSyncRunning = false;
    int FSyncWaitId = 0;
    TRecTel FSyncAnswer;
    QEventLoop* FSyncLoop = nullptr;

    // Send state, shared with the line-event thread under FSendLock.
    std::mutex FSendLock;
    bool FSending = false;      // a telegram is with the port (or its RTS wait)
    Telegram FCur;              // the telegram being sent
    int FCurPos = 0;            // last byte handed to the port
    std::deque<Telegram> FQueue;

    // Receive buffer: line-event thread only (and Open/Close with the
    // threads stopped).
    uint8_t FRx[BinCodec::TelBufferSize] = {};
    int FRxCount = 0;

    // Complete telegrams on their way to the GUI thread, each a copy of
    // its own, so a second one never overwrites the first.
    std::mutex FHandLock;
    std::deque<Telegram> FHandOver;
};
