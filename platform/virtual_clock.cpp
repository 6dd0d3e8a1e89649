#include "platform/virtual_clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <thread>

namespace qel {

TVirtualClock::TVirtualClock()
{
    SetClock(this);
    auto* dispatcher = QCoreApplication::instance()->thread()->eventDispatcher();
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TVirtualClock::AboutToBlock,
            Qt::DirectConnection);
    FLost.setSingleShot(true);
    FLost.setInterval(1000);
    connect(&FLost, &QTimer::timeout, this, [this] {
        if (LineInFlight() == 0)
            return;
        qWarning("virtual clock: work on its way for a second of real time counts as lost");
        FLostDue = true;
        Step();
    });
}

TVirtualClock::~TVirtualClock()
{
    SetClock(FOuter);
    std::lock_guard lk(FLock);
    for (auto& [key, armed] : FDue) {
        if (armed.Timer)
            armed.Timer->Drop();
        else
            armed.Sleeper->Woken = true;
    }
    FDue.clear();
    FWake.notify_all();
}

void TVirtualClock::Arm(TTimer& t, int ms, bool periodic)
{
    Disarm(t);
    ms = std::max(ms, 0);
    std::lock_guard lk(FLock);
    FDue.emplace(TKey{Now() + std::chrono::milliseconds(ms), FSeq++}, TArmed{&t, ms, periodic});
}

void TVirtualClock::Disarm(TTimer& t)
{
    std::lock_guard lk(FLock);
    const auto it = std::find_if(FDue.begin(), FDue.end(), [&](const auto& e) { return e.second.Timer == &t; });
    if (it != FDue.end())
        FDue.erase(it);
}

void TVirtualClock::Sleep(int ms)
{
    const auto lostAt = TSteady::now() + std::chrono::seconds(1);
    while (LineInFlight() != 0) {
        if (TSteady::now() >= lostAt) {
            qWarning("virtual clock: work on its way for a second of real time counts as lost");
            LineFlow(-LineInFlight());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::lock_guard lk(FLock);
    const auto until = Now() + std::chrono::milliseconds(std::max(ms, 0));
    FNow = until.time_since_epoch().count();
    for (auto it = FDue.begin(); it != FDue.end() && it->first.first <= until;) {
        if (it->second.Timer) {
            ++it;
            continue;
        }
        // As in Step: the far end works from now on, the time holds for it.
        LineFlow(1);
        it->second.Sleeper->Woken = true;
        it = FDue.erase(it);
    }
    FWake.notify_all();
}

bool TVirtualClock::SleepUntil(TSteady::time_point t, const std::atomic<bool>& stop,
                               const std::function<void()>& idle)
{
    TSleeper me;
    std::unique_lock lk(FLock);
    if (t <= Now())
        return !stop;
    const TKey key{t, FSeq++};
    FDue.emplace(key, TArmed{nullptr, 0, false, &me});
    lk.unlock();
    LineFlow(-1);
    lk.lock();
    while (!me.Woken) {
        if (stop) {
            FDue.erase(key);
            lk.unlock();
            LineFlow(1);
            return false;
        }
        if (idle) {
            lk.unlock();
            idle();
            lk.lock();
            if (me.Woken)
                break;
        }
        FWake.wait_for(lk, std::chrono::milliseconds(idle ? 2 : 10));
    }
    // The clock took the unit back for this thread when it woke it.
    return !stop;
}

bool TVirtualClock::Due() const
{
    std::lock_guard lk(FLock);
    return !FDue.empty();
}

void TVirtualClock::AboutToBlock()
{
    // Only the GUI thread's loops move the time.
    if (QThread::currentThread() != thread())
        return;
    // A step queued from another loop level may wait behind the posted
    // events whose handler runs this loop, never to be delivered while it
    // runs: a fresh one is queued, and the older does nothing.
    const int level = QThread::currentThread()->loopLevel();
    if ((FStepQueued && FStepLevel == level) || !Due())
        return;
    if (LineInFlight() != 0) {
        // LineFlow wakes this thread when the work has arrived.
        if (!FLost.isActive())
            FLost.start();
        return;
    }
    FLost.stop();
    FStepQueued = true;
    FStepLevel = level;
    QMetaObject::invokeMethod(
        this,
        [this, seq = ++FStepSeq] {
            if (seq == FStepSeq)
                Step();
        },
        Qt::QueuedConnection);
}

void TVirtualClock::Step()
{
    FStepQueued = false;
    // Work already posted happens before the time moves on; so does work
    // still on its way (LineFlow raised by that posted work, or before).
    if (LineInFlight() != 0 && !FLostDue)
        return;
    QCoreApplication::sendPostedEvents();
    if (LineInFlight() != 0) {
        if (!FLostDue)
            return;
        LineFlow(-LineInFlight());
    }
    FLostDue = false;
    if (FGate && FGate())
        return;
    TArmed armed;
    {
        std::lock_guard lk(FLock);
        if (FDue.empty())
            return;
        const auto first = FDue.begin();
        armed = first->second;
        FNow = std::max(Now(), first->first.first).time_since_epoch().count();
        FDue.erase(first);
        if (armed.Periodic)
            FDue.emplace(TKey{Now() + std::chrono::milliseconds(std::max(armed.Ms, 1)), FSeq++}, armed);
        if (!armed.Timer) {
            // The far end works from now on: the time holds for it.
            LineFlow(1);
            armed.Sleeper->Woken = true;
            FWake.notify_all();
            return;
        }
    }
    ++FFired;
    const int interval = armed.Timer->interval();
    const bool singleShot = armed.Timer->isSingleShot();
    armed.Timer->Expire();
    if (FAfterFire)
        FAfterFire(interval, singleShot);
}

} // namespace qel
