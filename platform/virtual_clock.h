#pragma once

// A clock for tests: while it is installed, the program's time stands still
// as long as the GUI thread has work, and jumps to the next due timer
// whenever that thread's event loop would otherwise wait. A 20 s wait of
// 55 ms ticks then runs as fast as the ticks' work, in the same order.
//
// Only fits where everything the waits are for happens in the GUI thread
// (drivers over simulated cards); bytes arriving from a line in real time
// would find the time-outs long gone.

#include "platform/clock.h"

#include <QObject>

#include <map>
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

    TSteady::time_point Now() const override { return FNow; }
    void Arm(TTimer& t, int ms, bool periodic) override;
    void Disarm(TTimer& t) override;

    // Time passed since the clock was installed.
    std::chrono::milliseconds Elapsed() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(FNow - FStart);
    }
    // Timers fired so far.
    long long Fired() const { return FFired; }

private:
    struct TArmed {
        TTimer* Timer;
        int Ms;
        bool Periodic;
    };
    // Ordered by due time, then by arming order.
    using TKey = std::pair<TSteady::time_point, long long>;

    void AboutToBlock();
    void Step();

    TClock* FOuter = &Clock();
    TSteady::time_point FStart = TSteady::now();
    TSteady::time_point FNow = FStart;
    std::map<TKey, TArmed> FDue;
    long long FSeq = 0;
    long long FFired = 0;
    bool FStepQueued = false;
};

} // namespace qel
