#pragma once

// The abstract protocol driver. Every driver (offline, DIN 66019 II, Zelk,
// IP, the card drivers) implements these operations; the protocol selector
// owns the drivers and talks to them only through this interface.
//
// Everything runs in the GUI thread. Asynchronous requests return a request
// number 1..15 at once and complete later through OnRspAvail. Synchronous
// requests (ReadPara/WritePara) run a local event loop until the exchange is
// over and never raise OnRspAvail.

#include "comm/bin_codec.h"
#include "comm/din_codec.h"
#include "comm/tel_records.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class QEventLoop;

class tCustomQelProt : public QObject {
    Q_OBJECT

public:
    // Sets RetryCnt to 5. The owner (the protocol selector) frees the
    // driver; Name becomes the component name (objectName).
    explicit tCustomQelProt(QObject* Owner = nullptr, const QString& Name = {});
    ~tCustomQelProt() override;

    // TimeOut property (ms). The base keeps the value; drivers clamp it.
    virtual void SetTimeOut(int ms);
    virtual int GetTimeOut() const;

    // OnReqAvail is kept only by drivers that take requests from the
    // inverter (Zelk); elsewhere writing it is ignored and it reads empty.
    virtual void SetOnReqAvail(tOnReq event);
    virtual tOnReq GetOnReqAvail() const;
    virtual void SetOnRspAvail(tOnRsp event);
    virtual tOnRsp GetOnRspAvail() const;

    // Three lines separated by CR LF: "<name> Driver", "Version: x", "Date: d".
    virtual QString GetVersion() const = 0;
    virtual TProt GetProtType() const = 0;
    virtual bool IsOpen() const = 0;

    // 0, -3 already open, another negative code when opening fails.
    virtual int Open() = 0;
    // 0, -4 when not open.
    virtual int Close() = 0;

    // Asynchronous requests: request number 1..15 or a negative code.
    virtual int ReadParaReq(int Addr, int Service, const TTelData& Data) = 0;
    virtual int WriteParaReq(int Addr, int Service, const TTelData& Data) = 0;

    // Answers to requests the inverter sent (Zelk slave role); -104 elsewhere.
    virtual int ReadParaRsp(int Addr, int ReqId, int Service, uint8_t Result, const TTelData& Data);
    virtual int WriteParaRsp(int Addr, int ReqId, int Service, uint8_t Result, const TTelData& Data);

    // Synchronous requests with retries: 0 or a negative code; the result of
    // the exchange is in Rsp.Status. The default is the common loop below.
    virtual int ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp);
    virtual int WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp);

    // RetryCnt property: writing clamps to 1..50.
    int GetRetryCnt() const { return FRetryCnt; }
    void SetRetryCnt(int value);

    // Version property: read only (writing has no effect).
    QString Version() const { return GetVersion(); }

    // Upper bound of the repeats on inverter error 6 inside one synchronous
    // exchange, in ms (the inverter may answer 6 for ever).
    static constexpr int RepeatOnBusyLimitMs = 10000;

    // The DIN 66019 II frame codec shared by the serial and the IP driver
    // (stateless; see comm/din_codec.h for the contracts).
    static int AnsiBuildTel(int Service, int ReqId, int Addr, const TTelData& Data, bool IsWrite,
                            uint8_t* Buffer)
    {
        return DinCodec::AnsiBuildTel(Service, ReqId, Addr, Data, IsWrite, Buffer);
    }
    static int AnsiCheckAck(uint8_t* Buffer, int& Count, int Id)
    {
        return DinCodec::AnsiCheckAck(Buffer, Count, Id);
    }
    static int AnsiCheckNak(uint8_t* Buffer, int& Count, int& ErrorNumber, int Id)
    {
        return DinCodec::AnsiCheckNak(Buffer, Count, ErrorNumber, Id);
    }
    static int AnsiCheckData(uint8_t* Buffer, int& Count, int Id, TTelData& Data, int Service)
    {
        return DinCodec::AnsiCheckData(Buffer, Count, Id, Data, Service);
    }
    static int AnsiDecodeData(int Service, TTelData& Data, const uint8_t* Payload, int Len)
    {
        return DinCodec::AnsiDecodeData(Service, Data, Payload, Len);
    }

    // The binary telegram codec of the Zelk line and the card drivers
    // (see comm/bin_codec.h; Buffer holds BinCodec::TelBufferSize bytes).
    static int BinBuildTel(int Service, int ReqId, const TTelData& Data, bool IsWrite, uint8_t* Buffer)
    {
        return BinCodec::BinBuildTel(Service, ReqId, Data, IsWrite, Buffer);
    }
    static int BinDecodeTel(TRecTel& Rsp, int Count, const uint8_t* Buffer)
    {
        return BinCodec::BinDecodeTel(Rsp, Count, Buffer);
    }

protected:
    // ---- Hooks of the common synchronous exchange ----

    // An asynchronous request of this driver is outstanding.
    virtual bool SyncRequestPending() const = 0;
    // Evaluate the current answer inside a synchronous exchange: copy the
    // driver's answer record into Rsp and return its Status, or -400 while
    // the answer is still pending.
    virtual int SyncEvaluate(TRecTel& Rsp) = 0;

    // The common loop: wait for idle, send, evaluate until not pending,
    // retry on -300, 1, -7..-11, repeat the whole on error 6.
    int SyncExchange(bool IsRead, int Addr, int Service, const TTelData& Data, TRecTel& Rsp);

    // Drivers call this whenever something the synchronous loop waits for
    // may have happened (an answer arrived, the time-out came, the driver
    // became idle or closed). Safe to call when no loop is waiting.
    void SyncWake();

    // The synchronous flag: while set, the driver raises no OnRspAvail.
    // Read by worker threads too, hence atomic.
    bool SyncActive() const { return FSyncFlag.load(); }
    // A synchronous exchange is waiting for the driver to become idle:
    // new asynchronous requests are refused with -101 meanwhile, so that a
    // busy client cannot starve it.
    bool SyncWaitingForIdle() const { return FSyncWaitIdle; }
    // Lets a driver mark its own blocking phases (modem dialling) as
    // synchronous, so that the worker-thread side keeps off.
    void SetSyncFlag(bool on) { FSyncFlag.store(on); }

    // Raises OnRspAvail with a copy of the record, unless synchronous.
    void RaiseRspAvail(const TRecTel& Rec);

    // False once the driver is destroyed. A local event loop of the driver
    // holds a copy and checks it after the loop returns: a handler run
    // inside the loop may have freed the driver.
    std::shared_ptr<const bool> AliveToken() const { return FAlive; }

    int FTimeOut = 0;
    int FRetryCnt = 5;
    tOnRsp FOnRspAvail;

private:
    // Runs the event loop until SyncWake() or at most `maxMs`. False when
    // the driver was destroyed meanwhile (touch nothing of it then).
    bool SyncWait(int maxMs);
    static bool CountsAsFailedTry(int status);

    QEventLoop* FSyncLoop = nullptr;
    bool FSyncWoken = false;
    bool FSyncBusy = false;
    bool FSyncWaitIdle = false;
    std::atomic<bool> FSyncFlag{false};
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
