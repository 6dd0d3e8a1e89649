#pragma once

// The request scheduler: shares one protocol selector among every window
// that talks to inverters. It keeps exactly one request outstanding, asks
// its registered clients in turn for the next request and hands each answer
// to the client whose request it was.

#include "comm/tel_records.h"
#include "platform/clock.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class TProtSel;

// The request record a client's provider fills; one per scheduler.
struct TReqRec {
    uint8_t Valid = 0;   // set by the provider when it supplies a request
    int32_t InvAdr = 0;
    int32_t Service = 0;
    uint8_t IsRead = 0;  // 1 read, 0 write
    int32_t Tag = 0;     // handed back with the answer
    TTelData Data;
};

using TOnGiveNextReq = std::function<void(TReqRec& Req)>;
using TOnReceiveAnswer = std::function<void(const TRecTel& Rsp, int Tag)>;
using TOnInvListChanged = std::function<void()>;
using TOnSchedulerChange = std::function<void(QObject* Sender)>;

// A client's state, set by the client itself. The numbers are the ones
// every client has always passed; other values above csPaused are polled
// like csPolled.
enum TSchClientState : int {
    csRegistered = 1,  // just registered or closed: not polled
    csPaused = 2,      // closing or paused: not polled
    csPolled = 3,      // polled in turn with the other clients
    csExclusive = 5,   // polled alone; one client at a time
};

// One client.
struct TSchItem {
    int State = csRegistered;  // a TSchClientState
    TOnGiveNextReq OnGiveNextReq;
    TOnReceiveAnswer OnReceiveAnswer;
    // Kept for the main window, which calls it when the project's inverter
    // list changes; the scheduler never calls it.
    TOnInvListChanged OnInvListChanged;
    // The client's window when the owner given at registration is a widget.
    QPointer<QObject> Form;
};

class TScheduler : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 64;
    static constexpr int RetryMs = 100;

    // Run states.
    enum : int { rsStopped = 0, rsIdle = 1, rsAwaiting = 2, rsStray = 3 };

    explicit TScheduler(QObject* parent = nullptr);
    ~TScheduler() override;

    TOnSchedulerChange OnChange;

    // Slot 0..63, or -1 when every slot is taken.
    int Register(QObject* Owner, TOnGiveNextReq OnGiveNextReq,
                 TOnReceiveAnswer OnReceiveAnswer, TOnInvListChanged OnInvListChanged);
    void Unregister(int Slot);
    int GetState(int Slot) const;
    int SetState(int Slot, int State);
    TSchItem* GetItem(int Slot) const;
    bool SetNextSlot(int Slot);
    void FocusItem(int Slot);
    void ItemChanged(int Slot);

    // 0 taken, 1 not taken.
    int Attach(TProtSel* Sel);
    void Detach();
    TProtSel* Selector() const { return FSelector; }

    void SetActive(bool Value);
    bool Active() const { return FActive; }
    int RunState() const { return FRunState; }

    // Detaches, frees every client and then the scheduler itself. Called
    // from inside a client's callback, the object goes once that call has
    // returned; it does nothing any more in the meantime.
    void Release();

private:
    bool validSlot(int Slot) const { return Slot >= 0 && Slot < SlotCount; }
    void raiseChange();
    int exclusiveSlot() const;
    void NextRequest();
    void step();
    void sendRequest(int Slot);
    void startRetry();
    void RspAvail(QObject* Sender, const TRecTel& Tel);
    void retryTimeout();
    void leaveCallback();
    class CallbackScope;
    friend class CallbackScope;

    std::array<std::unique_ptr<TSchItem>, SlotCount> FItems;
    // Tells a client from a successor in the same slot.
    std::array<uint64_t, SlotCount> FItemSerial{};
    uint64_t FLastSerial = 0;
    TReqRec FReq;
    qel::TTimer FRetryTimer;
    QPointer<TProtSel> FSelector;
    bool FAttached = false;
    int FRunState = rsStopped;
    bool FActive = false;
    int FCurSlot = 0;
    int FOneShotSlot = -1;

    // The request in flight: stored when the selector accepted it, so the
    // answer reaches the client that sent it whatever happens meanwhile.
    int FOutHandle = 0;  // 0: none outstanding
    int FOutSlot = -1;   // -1: its client has unregistered
    int FOutTag = 0;

    // Steps never nest: one asked for while a client's callback runs a
    // message loop is run after the current one.
    bool FInStep = false;
    bool FStepPending = false;
    int FCallbackDepth = 0;
    bool FReleased = false;
    bool FDeleteQueued = false;
};
