#pragma once

// A clock for tests: while it is installed, the program's time stands still
// as long as the GUI thread has work, and jumps to the next due timer
// whenever that thread's event loop would otherwise wait. A 20 s wait of
// 55 ms ticks then runs as fast as the ticks' work, in the same order.
//
// Work of other threads the time must wait for is told through
// LineFlow (platform/clock.h): while bytes are on their way between a port
// and a simulated far end in this process, the time holds. A far end that
// is to answer later sleeps on this clock (SleepUntil), so its delays take
// program time, not real time.

#include "platform/clock.h"

#include <QObject>

#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace qel {

class TVirtualClock final : public QObject, public TClock {
    Q_OBJECT

public:
    // Installs itself as the program clock.
    TVirtualClock();
    // Puts the clock it replaced back; timers still armed stop without
    // firing.
    ~TVirtualClock() override;

    TSteady::time_point Now() const override { return TSteady::time_point(TSteady::duration(FNow.load())); }
    void Arm(TTimer& t, int ms, bool periodic) override;
    void Disarm(TTimer& t) override;
    // The time moves on by `ms` at once, after the work on its way has
    // arrived (a real far end goes on working while the caller is held).
    // Far ends due by then wake; timers due by then fire when the event
    // loop runs again, late, as on the real clock.
    void Sleep(int ms) override;

    // For a far end's thread holding one unit of LineFlow: sleeps until the
    // time has come to `t`, giving the unit back meanwhile, and holds one
    // again when it returns. False (at once or later) when `stop` is set.
    // `idle` runs every few milliseconds of the sleep: the far end takes
    // what reaches it meanwhile, so that the time can move on.
    bool SleepUntil(TSteady::time_point t, const std::atomic<bool>& stop, const std::function<void()>& idle = {});

    // Time passed since the clock was installed.
    std::chrono::milliseconds Elapsed() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Now() - FStart);
    }
    // Timers fired so far.
    long long Fired() const { return FFired; }

    // Called right after each timer has fired, in the same pass of the
    // event loop, with the timer's interval and whether it was single-shot.
    void SetAfterFire(std::function<void(int interval, bool singleShot)> f) { FAfterFire = std::move(f); }
    // Asked each time before the time moves on; while it answers true the
    // time stands (a test waiting for a state acts on it before the
    // program goes on). Gives back the gate it replaces.
    std::function<bool()> SetGate(std::function<bool()> f) { return std::exchange(FGate, std::move(f)); }

private:
    struct TSleeper {
        bool Woken = false;
    };
    // A timer, or a far end's thread asleep (Timer null).
    struct TArmed {
        TTimer* Timer;
        int Ms;
        bool Periodic;
        TSleeper* Sleeper = nullptr;
    };
    // Ordered by due time, then by arming order.
    using TKey = std::pair<TSteady::time_point, long long>;

    void AboutToBlock();
    void Step();

    bool Due() const;

    TClock* FOuter = &Clock();
    TSteady::time_point FStart = TSteady::now();
    std::atomic<TSteady::rep> FNow{FStart.time_since_epoch().count()};
    // Guards FDue and the sleepers, which far ends' threads reach too.
    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::map<TKey, TArmed> FDue;
    // Real time the GUI thread has waited for work on the way; after a
    // second of it the work counts as lost (a far end's answer to a port
    // closed meanwhile) and the time moves on.
    QTimer FLost;
    std::function<void(int, bool)> FAfterFire;
    std::function<bool()> FGate;
    bool FLostDue = false;
    long long FSeq = 0;
    long long FFired = 0;
    bool FStepQueued = false;
    int FStepLevel = 0;       // the loop level that queued it
    long long FStepSeq = 0;   // the step queued last; older ones do nothing
};

} // namespace qel
