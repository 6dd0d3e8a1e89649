#include "comm/scheduler.h"

#include "comm/prot_sel.h"

#include <QMetaObject>
#include <QtGlobal>

#include <exception>

// Marks a client callback (and, for a step or an answer, the step) as
// running, also when the callback throws: the scheduler must not stay
// "inside a step" for ever.
class TScheduler::CallbackScope {
public:
    CallbackScope(TScheduler& Sch, bool Step)
        : FSch(Sch)
        , FOuterStep(Step && !Sch.FInStep)
    {
        if (FOuterStep)
            FSch.FInStep = true;
        ++FSch.FCallbackDepth;
    }
    ~CallbackScope()
    {
        if (FOuterStep)
            FSch.FInStep = false;
        FSch.leaveCallback();
    }
    bool outerStep() const { return FOuterStep; }

private:
    TScheduler& FSch;
    bool FOuterStep;
};

TScheduler::TScheduler(QObject* parent)
    : QObject(parent)
{
    FRetryTimer.setSingleShot(true);
    FRetryTimer.setInterval(RetryMs);
    connect(&FRetryTimer, &qel::TTimer::timeout, this, &TScheduler::retryTimeout);
}

TScheduler::~TScheduler()
{
    // The selector must never call into a freed scheduler.
    Detach();
}

void TScheduler::raiseChange()
{
    if (!OnChange || FReleased)
        return;
    auto handler = OnChange; // the handler may replace OnChange while it runs
    CallbackScope scope(*this, false);
    handler(this);
}

void TScheduler::leaveCallback()
{
    if (--FCallbackDepth == 0 && FReleased && !FDeleteQueued) {
        // Released from inside a callback: the object stays inert until
        // the callers on the stack have returned.
        FDeleteQueued = true;
        deleteLater();
    }
}

int TScheduler::Register(QObject* Owner, TOnGiveNextReq OnGiveNextReq,
                         TOnReceiveAnswer OnReceiveAnswer, TOnInvListChanged OnInvListChanged)
{
    if (FReleased)
        return -1;
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (FItems[slot])
            continue;
        auto item = std::make_unique<TSchItem>();
        item->State = csRegistered;
        if (Owner && Owner->isWidgetType())
            item->Form = Owner;
        // The callbacks are in place before anyone hears of the client, so
        // a change handler that looks at it finds it complete.
        item->OnGiveNextReq = std::move(OnGiveNextReq);
        item->OnReceiveAnswer = std::move(OnReceiveAnswer);
        item->OnInvListChanged = std::move(OnInvListChanged);
        FItems[slot] = std::move(item);
        FItemSerial[slot] = ++FLastSerial;
        raiseChange();
        return slot;
    }
    return -1;
}

void TScheduler::Unregister(int Slot)
{
    if (!validSlot(Slot) || !FItems[Slot])
        return;
    // An answer still on its way for this client is dropped when it comes.
    if (FOutHandle > 0 && FOutSlot == Slot)
        FOutSlot = -1;
    FItems[Slot].reset();
    raiseChange();
}

int TScheduler::GetState(int Slot) const
{
    if (!validSlot(Slot) || !FItems[Slot])
        return 0;
    return FItems[Slot]->State;
}

int TScheduler::exclusiveSlot() const
{
    for (int slot = 0; slot < SlotCount; ++slot)
        if (FItems[slot] && FItems[slot]->State == csExclusive)
            return slot;
    return -1;
}

int TScheduler::SetState(int Slot, int State)
{
    if (!validSlot(Slot) || !FItems[Slot])
        return 0;
    TSchItem* item = FItems[Slot].get();
    // Only one client at a time is exclusive; a second one keeps its state.
    if (State == csExclusive && exclusiveSlot() >= 0)
        State = item->State;
    item->State = State;
    raiseChange();
    return State;
}

TSchItem* TScheduler::GetItem(int Slot) const
{
    return validSlot(Slot) ? FItems[Slot].get() : nullptr;
}

bool TScheduler::SetNextSlot(int Slot)
{
    if (!validSlot(Slot) || FOneShotSlot >= 0)
        return false;
    FOneShotSlot = Slot;
    return true;
}

void TScheduler::FocusItem(int Slot)
{
    TSchItem* item = GetItem(Slot);
    if (!item || !item->Form)
        return;
    // The window is only known as a QObject here; raise and focus it
    // through its slots.
    QMetaObject::invokeMethod(item->Form.data(), "raise");
    QMetaObject::invokeMethod(item->Form.data(), "setFocus");
}

void TScheduler::ItemChanged(int Slot)
{
    TSchItem* item = GetItem(Slot);
    if (item && item->Form)
        raiseChange();
}

int TScheduler::Attach(TProtSel* Sel)
{
    if (FReleased || !Sel)
        return 1;
    TScheduler* holder = Sel->AttachedScheduler();
    if (holder == this)
        return 1;
    if (FSelector && FSelector != Sel)
        Detach();
    if (holder) {
        FSelector = nullptr;
        return 1;
    }
    FSelector = Sel;
    Sel->OnRspAvail = [this](QObject* Sender, TRecTel Tel) { RspAvail(Sender, Tel); };
    Sel->SetAttachedScheduler(this);
    FAttached = true;
    return 0;
}

void TScheduler::Detach()
{
    if (FSelector && FSelector->AttachedScheduler() == this) {
        FSelector->OnRspAvail = nullptr;
        FSelector->SetAttachedScheduler(nullptr);
    }
    FSelector = nullptr;
    FAttached = false;
    // An answer can no longer reach us; do not wait for it.
    if (FOutHandle > 0) {
        FOutHandle = 0;
        FOutSlot = -1;
        if (FRunState == rsAwaiting) {
            FRunState = rsIdle;
            startRetry();
        }
    }
}

void TScheduler::SetActive(bool Value)
{
    if (FReleased)
        return;
    if (!Value) {
        // An answer still outstanding is delivered to its client; no
        // further step runs.
        FActive = false;
        FRunState = rsStopped;
        FRetryTimer.stop();
        return;
    }
    if (FActive)
        return;
    FActive = true;
    if (FOutHandle > 0) {
        // Still waiting for an answer: it starts the next step when it comes.
        FRunState = rsAwaiting;
        return;
    }
    if (FRunState == rsStopped || FRunState == rsIdle) {
        FRunState = rsIdle;
        NextRequest();
    }
}

void TScheduler::Release()
{
    if (FReleased)
        return;
    Detach();
    FActive = false;
    FRunState = rsStopped;
    FRetryTimer.stop();
    FReleased = true;
    // A callback running now holds its own copy of its function.
    for (auto& item : FItems)
        item.reset();
    if (FCallbackDepth == 0) {
        delete this;
        return;
    }
    // Inside a client's callback: freed once that has returned.
}

void TScheduler::startRetry()
{
    FRetryTimer.start(RetryMs);
}

void TScheduler::retryTimeout()
{
    if (FRunState != rsIdle && FRunState != rsStray)
        return;
    // An exception of a client ends here, not in the event loop; the
    // cycle goes on with the next retry.
    try {
        NextRequest();
    } catch (const std::exception& e) {
        qCritical("TScheduler: exception in a client: %s", e.what());
        if (!FReleased && FRunState != rsStopped && FRunState != rsAwaiting)
            startRetry();
    } catch (...) {
        qCritical("TScheduler: exception in a client");
        if (!FReleased && FRunState != rsStopped && FRunState != rsAwaiting)
            startRetry();
    }
}

void TScheduler::NextRequest()
{
    if (FReleased)
        return;
    if (FInStep) {
        // A client's callback is running (perhaps a message loop of its
        // own): run this step when the current one has finished.
        FStepPending = true;
        return;
    }
    CallbackScope scope(*this, true);
    FStepPending = true;
    while (FStepPending && !FReleased) {
        FStepPending = false;
        step();
    }
}

void TScheduler::step()
{
    if (FRunState == rsStopped)
        return;
    if (FRunState == rsAwaiting && FOutHandle > 0)
        return; // one request outstanding at a time
    FRetryTimer.stop();
    FReq.Valid = 0;

    int supplier = -1;
    bool asked = false; // a provider ran (and may have changed the states)
    auto ask = [this, &asked](int slot) {
        TSchItem* item = FItems[slot].get();
        if (!item || item->State <= csPaused || !item->OnGiveNextReq)
            return false;
        asked = true;
        auto provider = item->OnGiveNextReq; // survives an Unregister inside the call
        const uint64_t serial = FItemSerial[slot];
        provider(FReq);
        if (!FItems[slot] || FItemSerial[slot] != serial) {
            // The client left while it was asked; its request goes nowhere.
            FReq.Valid = 0;
            return false;
        }
        return FReq.Valid != 0;
    };

    const int exclusive = exclusiveSlot();
    if (exclusive >= 0) {
        // An exclusive client is asked alone; a one-shot turn waits.
        FCurSlot = exclusive;
        if (ask(exclusive))
            supplier = exclusive;
    } else {
        int s = (FCurSlot + 1) % SlotCount;
        if (FOneShotSlot >= 0) {
            s = FOneShotSlot;
            FOneShotSlot = -1;
        }
        for (int n = 0; n < SlotCount; ++n, s = (s + 1) % SlotCount) {
            FCurSlot = s;
            asked = false;
            if (ask(s)) {
                supplier = s;
                break;
            }
            // Only a provider that ran can have stopped the scheduler or
            // made a client exclusive.
            if (asked && (FReleased || FRunState == rsStopped || exclusiveSlot() >= 0))
                break;
        }
    }

    if (FReleased || FRunState == rsStopped)
        return; // stopped while a provider ran: nothing goes out
    if (supplier < 0) {
        FRunState = rsIdle;
        startRetry();
        return;
    }
    sendRequest(supplier);
}

void TScheduler::sendRequest(int Slot)
{
    int handle = QelResult::ResourceMissing;
    if (FSelector) {
        handle = FReq.IsRead ? FSelector->ReadParaReq(FReq.InvAdr, FReq.Service, FReq.Data)
                             : FSelector->WriteParaReq(FReq.InvAdr, FReq.Service, FReq.Data);
    }
    if (handle > 0) {
        FOutHandle = handle;
        FOutSlot = Slot;
        FOutTag = FReq.Tag;
        FRunState = rsAwaiting;
        return;
    }
    // Refused: the request is lost for its client; whatever was
    // outstanding before stays outstanding for its own client.
    FRunState = rsIdle;
    startRetry();
}

void TScheduler::RspAvail(QObject* Sender, const TRecTel& Tel)
{
    Q_UNUSED(Sender);
    if (FReleased)
        return;
    if (FOutHandle <= 0 || Tel.ReqId != FOutHandle) {
        // Stray: an old answer, or one of a request not sent by us.
        if (FRunState != rsStopped) {
            FRunState = rsStray;
            startRetry();
        }
        return;
    }
    const int slot = FOutSlot;
    const int tag = FOutTag;
    FOutHandle = 0;
    FOutSlot = -1;
    const bool stepNow = FRunState == rsAwaiting;
    if (stepNow)
        FRunState = rsIdle;

    CallbackScope scope(*this, true);
    if (slot >= 0 && FItems[slot] && FItems[slot]->OnReceiveAnswer) {
        auto handler = FItems[slot]->OnReceiveAnswer;
        handler(Tel, tag);
    }
    if (stepNow && FRunState == rsIdle && !FRetryTimer.isActive())
        FStepPending = true;
    if (scope.outerStep()) {
        while (FStepPending && !FReleased) {
            FStepPending = false;
            step();
        }
    }
}
