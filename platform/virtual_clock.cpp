#include "platform/virtual_clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace qel {

TVirtualClock::TVirtualClock()
{
    SetClock(this);
    auto* dispatcher = QCoreApplication::instance()->thread()->eventDispatcher();
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TVirtualClock::AboutToBlock,
            Qt::DirectConnection);
}

TVirtualClock::~TVirtualClock()
{
    SetClock(FOuter);
    for (auto& [key, armed] : FDue)
        armed.Timer->Drop();
}

void TVirtualClock::Arm(TTimer& t, int ms, bool periodic)
{
    Disarm(t);
    ms = std::max(ms, 0);
    FDue.emplace(TKey{FNow + std::chrono::milliseconds(ms), FSeq++}, TArmed{&t, ms, periodic});
}

void TVirtualClock::Disarm(TTimer& t)
{
    const auto it = std::find_if(FDue.begin(), FDue.end(), [&](const auto& e) { return e.second.Timer == &t; });
    if (it != FDue.end())
        FDue.erase(it);
}

void TVirtualClock::AboutToBlock()
{
    // Only the GUI thread's loops move the time.
    if (FStepQueued || FDue.empty() || QThread::currentThread() != thread())
        return;
    FStepQueued = true;
    QMetaObject::invokeMethod(this, &TVirtualClock::Step, Qt::QueuedConnection);
}

void TVirtualClock::Step()
{
    FStepQueued = false;
    // Work already posted happens before the time moves on.
    QCoreApplication::sendPostedEvents();
    if (FDue.empty())
        return;
    const auto first = FDue.begin();
    const TArmed armed = first->second;
    FNow = std::max(FNow, first->first.first);
    FDue.erase(first);
    if (armed.Periodic)
        FDue.emplace(TKey{FNow + std::chrono::milliseconds(std::max(armed.Ms, 1)), FSeq++}, armed);
    ++FFired;
    armed.Timer->Expire();
}

} // namespace qel
