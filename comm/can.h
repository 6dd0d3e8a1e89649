#pragma once

// TCan: inverters on a CAN bus behind a CAN interface card, reached through
// the card's frame library ("nican.DLL", loaded at Open). Inverter address
// a is node a + 1. Plain parameter and variable access travel as expedited
// SDO transfers, process data as PDOs, node state by remote frames, bus
// commands as NMT frames; every other service is the binary telegram cut
// into 4-byte segments on identifier 0x7EB, acknowledged in both
// directions.
//
// The library's notification callback runs in a thread of the library and
// only notes the object handle and wakes the GUI thread (TThreadWake);
// everything else runs in the GUI thread.

#include "comm/card_library.h"
#include "comm/custom_qel_prot.h"
#include "comm/nican_api.h"
#include "comm/thread_wake.h"
#include "comm/to_prop_types.h"
#include "platform/clock.h"

#include <QEvent>
#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class QEventLoop;

// One opened receive object.
struct TCanObject {
    int Key = 0;        // the identifier minus 0x581
    int CobId = 0;      // the CAN identifier
    NCTYPE_OBJH Handle = 0;
};

class TCan : public tCustomQelProt {
    Q_OBJECT

public:
    static constexpr QEvent::Type AnswerEvent = static_cast<QEvent::Type>(QEvent::User + 101);
    static constexpr int TelegramId = 0x7EB;
    static constexpr int OpenAttempts = 6;
    static constexpr int MaxErrors = 5;
    static constexpr int MaxOutTel = 51;
    static constexpr int MaxInTel = 50;
    // Period at which a synchronous exchange polls its receive object.
    static constexpr int SyncPollMs = 5;

    explicit TCan(QObject* Owner = nullptr);
    ~TCan() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prCAN; }
    bool IsOpen() const override { return FOpen; }

    int Open() override;
    int Close() override;

    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;

    // Taken only while closed.
    QString GetCardID() const { return FCardId; }
    void SetCardID(const QString& Value);
    TCanBaudRate GetBaudRate() const { return FBaudRate; }
    void SetBaudRate(TCanBaudRate Value);
    bool GetWaitTout() const { return FWaitTout; }
    void SetWaitTout(bool Value);

    // Receive objects opened so far (the telegram object first).
    const std::vector<TCanObject>& Objects() const { return FObjects; }
    int ErrorCount() const { return FErrCnt; }
    // An answer is held until the time-out (WaitTout).
    bool Holding() const { return FHolding; }

    // The library's notification callback (runs in the library's thread).
    static NCTYPE_STATE NotifyCallback(NCTYPE_OBJH ObjHandle, NCTYPE_STATE State, NCTYPE_STATUS Status,
                                       void* RefData);

protected:
    bool event(QEvent* e) override;
    bool SyncRequestPending() const override { return FPending; }
    int SyncEvaluate(TRecTel& Rsp) override;

private:
    enum class TPhase { Sdo, Segments, Answer, Plain };

    bool BindLibrary();
    void ReleaseObjects();
    // Index of the receive object for an identifier, opened on first use;
    // the telegram object when it cannot be opened.
    int RecvObject(int CobId);
    bool OpenRecvObject(int CobId, TCanObject& Obj);
    void CloseRecvObject(size_t Index);
    void Arm(NCTYPE_OBJH Handle);
    void Disarm(NCTYPE_OBJH Handle);
    int FindObject(NCTYPE_OBJH Handle) const;
    void DropWaiting(NCTYPE_OBJH Handle);

    int Request(bool IsRead, int Addr, int Service, const TTelData& Data);
    int BuildRequest(bool IsRead, int Service, const TTelData& Data, int& CobId);
    void SendFrame();
    void WriteFrame(const NCTYPE_CAN_FRAME& Frame);
    void SendAck(const uint8_t* Frame);

    int Evaluate(NCTYPE_OBJH Named = 0);
    // 1 decided (request completed), 0 ignored.
    bool Judge(const uint8_t* Frame);
    int AbortResult(const uint8_t* Frame) const;
    bool SdoIndexMatches(const uint8_t* Frame) const;
    void Complete(int Status);
    void EndHeldOrTimedOut();
    void OnTimer();
    bool WaitIdle();

    // The GUI thread's side of a notification: evaluates the objects noted.
    void FramesNotified();

    // Objects the library's thread reported, handed over to the GUI thread
    // under a lock of our own; FWake only wakes it.
    std::mutex FNotifyMutex;
    std::vector<NCTYPE_OBJH> FNotified;
    TThreadWake FWake{[this] { FramesNotified(); }};

    TCardLibrary FLib;
    ncConfig_t FConfig = nullptr;
    ncOpenObject_t FOpenObject = nullptr;
    ncCloseObject_t FCloseObject = nullptr;
    ncRead_t FRead = nullptr;
    ncWrite_t FWrite = nullptr;
    ncGetAttribute_t FGetAttribute = nullptr;
    ncAction_t FAction = nullptr;
    ncCreateNotification_t FCreateNotification = nullptr;
    ncReset_t FReset = nullptr;

    QString FCardId = QStringLiteral("CAN0");
    TCanBaudRate FBaudRate = TCanBaudRate::B_20K;
    bool FWaitTout = false;

    bool FOpen = false;
    bool FClosing = false;
    NCTYPE_OBJH FIntf = 0;
    std::vector<TCanObject> FObjects;

    qel::TTimer FTimer;     // timer 1: the answer time-out
    qel::TTimer FSyncPoll;  // the synchronous exchange's polling
    QEventLoop* FWaitLoop = nullptr;

    // The outstanding request.
    bool FPending = false;
    bool FHolding = false;
    int FHeldStatus = 0;
    bool FTimedOut = false;
    bool FBusy = false;
    int FReqId = 0;
    int FAddr = 0;
    int FNode = 0;
    int FService = 0;
    bool FIsRead = false;
    bool FExpectAnswer = true;
    TPhase FPhase = TPhase::Sdo;
    NCTYPE_OBJH FReqObj = 0;
    TRecTel FRec;
    int FErrCnt = 0;

    NCTYPE_CAN_FRAME FFrame{};
    bool FSecondRemote = false;  // 48, 49: a remote frame follows the data
    uint16_t FSdoIndex = 0;
    uint16_t FSdoSub = 0;        // subindex, or the segment count
    uint32_t FValueWritten = 0;
    int FLenWritten = 0;
    bool FCountSet = false;

    uint8_t FOut[MaxOutTel] = {};
    int FOutLen = 0;
    int FSendPos = 0;
    uint8_t FIn[MaxInTel] = {};
    int FInLen = 0;
};
