#include "comm/thread_wake.h"

#include "platform/clock.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

TThreadWake::TThreadWake(std::function<void()> onWake, QObject* Parent)
    : QObject(Parent)
    , FOnWake(std::move(onWake))
{
    FFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FFd < 0)
        return;
    FNotifier = new QSocketNotifier(FFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TThreadWake::Activated);
}

TThreadWake::~TThreadWake()
{
    Cancel();
    delete FNotifier;
    if (FFd >= 0)
        ::close(FFd);
}

void TThreadWake::Signal()
{
    if (FFd < 0)
        return;
    {
        std::lock_guard lock(FLock);
        if (FSignalled)
            return; // the GUI thread has not taken the last one yet
        FSignalled = true;
        // Booked before the descriptor fires, so that the GUI thread never
        // gives back a unit not yet booked.
        qel::LineFlow(1);
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(FFd, &one, sizeof one);
}

bool TThreadWake::TakeSignal()
{
    std::lock_guard lock(FLock);
    const bool was = FSignalled;
    FSignalled = false;
    return was;
}

void TThreadWake::Cancel()
{
    if (FFd < 0)
        return;
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(FFd, &count, sizeof count);
    if (TakeSignal())
        qel::LineFlow(-1);
}

void TThreadWake::Activated()
{
    // The counter is cleared before the mark: a Signal after this read
    // either finds the mark still set (and its news is taken by the call
    // below) or fires the descriptor again.
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(FFd, &count, sizeof count);
    // Given back before the news is taken: nothing lets the event loop run
    // in between, and the handler may end this object's owner.
    if (TakeSignal())
        qel::LineFlow(-1);
    FOnWake();
}
