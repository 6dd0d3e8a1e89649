#pragma once

// Wakes the GUI thread from a thread that is not the program's own (the
// notification thread of a card library) without calling into Qt there:
// the foreign thread signals an eventfd that a socket notifier of the GUI
// thread watches. Posting an event would touch Qt's posted-event list from
// that thread, once per notification and with an allocation each; here
// notifications coalesce into at most one wake-up until the GUI thread has
// taken it, and the hand-over is a plain mutex and descriptor that race
// checkers see.
//
// A wake-up on its way counts as work on its way for the program clock
// (qel::LineFlow), so a virtual clock does not move on before the GUI
// thread has dealt with it, as with an event already posted.

#include <QObject>

#include <functional>
#include <mutex>

class QSocketNotifier;

class TThreadWake : public QObject {
    Q_OBJECT

public:
    // `onWake` runs in the GUI thread (the thread that creates the object)
    // once for one or more Signal calls.
    explicit TThreadWake(std::function<void()> onWake, QObject* Parent = nullptr);
    ~TThreadWake() override;
    TThreadWake(const TThreadWake&) = delete;
    TThreadWake& operator=(const TThreadWake&) = delete;

    // False when the descriptor could not be made; Signal then does nothing.
    bool IsValid() const { return FFd >= 0; }

    // Any thread.
    void Signal();
    // GUI thread: a wake-up not yet taken is dropped (the sender is gone).
    void Cancel();

private:
    void Activated();
    // Takes the signalled mark; true when it was set.
    bool TakeSignal();

    std::function<void()> FOnWake;
    int FFd = -1;
    QSocketNotifier* FNotifier = nullptr;
    std::mutex FLock;
    bool FSignalled = false; // under FLock
};
