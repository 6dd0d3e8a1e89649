#pragma once

// Runs a piece of code right after a driver's answer time-out has fired,
// in the same pass of the event loop and before a synchronous exchange
// waiting on that time-out has looked at the result: as the handler of
// another window's timer that comes due together with it would. The
// driver's timer is told by its interval (give the driver a distinctive
// time-out) and by being single-shot. On a virtual clock the hook runs
// right after the clock has fired the timer.

#include "platform/virtual_clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <functional>
#include <utility>

class AfterTimeOut : public QObject {
public:
    AfterTimeOut(int IntervalMs, std::function<void()> Then)
        : FInterval(IntervalMs)
        , FThen(std::move(Then))
    {
        FVirtual = dynamic_cast<qel::TVirtualClock*>(&qel::Clock());
        if (FVirtual) {
            FVirtual->SetAfterFire([this](int interval, bool singleShot) {
                if (FFired || !singleShot || interval != FInterval)
                    return;
                FFired = true;
                FThen();
            });
        } else {
            QCoreApplication::instance()->installEventFilter(this);
        }
    }
    ~AfterTimeOut() override
    {
        if (FVirtual)
            FVirtual->SetAfterFire({});
        else
            QCoreApplication::instance()->removeEventFilter(this);
    }

    bool Fired() const { return FFired; }

protected:
    bool eventFilter(QObject* Obj, QEvent* Ev) override
    {
        if (FFired || Ev->type() != QEvent::Timer)
            return false;
        auto* timer = qobject_cast<QTimer*>(Obj);
        if (!timer || !timer->isSingleShot() || timer->interval() != FInterval)
            return false;
        FFired = true;
        Obj->event(Ev); // the time-out itself
        FThen();
        return true;
    }

private:
    int FInterval;
    std::function<void()> FThen;
    bool FFired = false;
    qel::TVirtualClock* FVirtual = nullptr;
};
