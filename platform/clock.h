#pragma once

// The program's clock for the time it counts: answer time-outs, repeat
// limits, ticks, polls and cycles. By default this is the steady clock with
// Qt timers; a test installs a virtual clock (platform/virtual_clock.h) so
// that a wait of many seconds runs in milliseconds with the same events in
// the same order.
//
// Timing of bytes on a line (the serial port's end-of-frame gap, its worker
// threads) stays on the real clock: it measures the line, not the program.

#include <QObject>
#include <QTimer>

#include <chrono>

namespace qel {

using TSteady = std::chrono::steady_clock;

class TTimer;

class TClock {
public:
    virtual ~TClock() = default;
    virtual TSteady::time_point Now() const = 0;
    // Makes `t` expire after `ms`, then every `ms` when `periodic`; replaces
    // an earlier arming of `t`.
    virtual void Arm(TTimer& t, int ms, bool periodic) = 0;
    virtual void Disarm(TTimer& t) = 0;
    // Holds the calling thread for `ms` without running its event loop: a
    // synchronous poll of a device that answers in its own time.
    virtual void Sleep(int ms) = 0;
};

// The clock in use (the real one unless a test installed another).
TClock& Clock();
// Installs `c`; nullptr goes back to the real clock. Timers already running
// stay on the clock they were started on.
void SetClock(TClock* c);

inline TSteady::time_point Now() { return Clock().Now(); }
inline void SleepFor(int ms) { Clock().Sleep(ms); }

// Work on its way between the program and a far end in the same process (a
// simulated inverter on a pseudo-terminal): bytes handed to a line and not
// yet taken by the other side, an answer being made. Each side adds what it
// puts on the way and takes off what it has dealt with. A virtual clock
// holds the time while anything is on the way, as a real far end answers
// in no program time beyond what it is told to wait; the real clock
// ignores it. Callable from any thread.
void LineFlow(long delta);
// What is on the way now.
long LineInFlight();

// A timer on the program clock, used like QTimer.
class TTimer : public QObject {
    Q_OBJECT

public:
    explicit TTimer(QObject* Parent = nullptr);
    ~TTimer() override;

    void setSingleShot(bool on) { FSingleShot = on; }
    bool isSingleShot() const { return FSingleShot; }
    void setInterval(int ms);
    int interval() const { return FInterval; }
    bool isActive() const { return FClock != nullptr; }

    void start(int ms);
    void start() { start(FInterval); }
    void stop();

    // Calls `f` once after `ms`, unless `context` is gone by then.
    template <class F> static void singleShot(int ms, QObject* context, F f)
    {
        auto* t = new TTimer(context);
        t->setSingleShot(true);
        QObject::connect(t, &TTimer::timeout, context, [t, f = std::move(f)]() mutable {
            t->deleteLater();
            f();
        });
        t->start(ms);
    }

    // For clocks: the time is up. A single-shot timer is inactive when
    // timeout() is emitted, as with QTimer.
    void Expire();
    // For clocks that go away: the timer stops without firing.
    void Drop() { FClock = nullptr; }

    // The Qt timer the real clock runs this timer on.
    QTimer& QtTimer() { return FQt; }

signals:
    void timeout();

private:
    QTimer FQt;
    TClock* FClock = nullptr; // the clock it runs on; null when stopped
    int FInterval = 0;
    bool FSingleShot = false;
};

// Milliseconds elapsed on the program clock, used like QElapsedTimer.
class TStopwatch {
public:
    void start() { FStart = Now(); }
    qint64 elapsed() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Now() - FStart).count();
    }

private:
    TSteady::time_point FStart = Now();
};

} // namespace qel
