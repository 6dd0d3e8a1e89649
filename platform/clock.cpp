#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <thread>

namespace qel {
namespace {

class TRealClock final : public TClock {
public:
    TSteady::time_point Now() const override { return TSteady::now(); }
    void Arm(TTimer& t, int ms, bool periodic) override
    {
        t.QtTimer().setSingleShot(!periodic);
        t.QtTimer().start(ms);
    }
    void Disarm(TTimer& t) override { t.QtTimer().stop(); }
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

TRealClock realClock;
// Read by the port and simulator threads too.
std::atomic<TClock*> current{&realClock};
std::atomic<long> inFlight{0};

} // namespace

TClock& Clock() { return *current.load(std::memory_order_acquire); }

void SetClock(TClock* c)
{
    inFlight.store(0);
    current.store(c ? c : &realClock, std::memory_order_release);
}

void LineFlow(long delta)
{
    if (current.load(std::memory_order_acquire) == &realClock)
        return;
    // Whatever was on the way has arrived: a GUI thread waiting for it to
    // move the time looks again.
    if (inFlight.fetch_add(delta) + delta == 0) {
        if (auto* app = QCoreApplication::instance()) {
            if (auto* dispatcher = app->thread()->eventDispatcher())
                dispatcher->wakeUp();
        }
    }
}

long LineInFlight() { return inFlight.load(); }

TTimer::TTimer(QObject* Parent)
    : QObject(Parent)
{
    connect(&FQt, &QTimer::timeout, this, &TTimer::Expire);
}

TTimer::~TTimer() { stop(); }

void TTimer::setInterval(int ms)
{
    FInterval = ms;
    if (isActive())
        start(ms);
}

void TTimer::start(int ms)
{
    stop();
    FInterval = ms;
    FClock = &Clock();
    FClock->Arm(*this, ms, !FSingleShot);
}

void TTimer::stop()
{
    if (FClock) {
        TClock* c = FClock;
        FClock = nullptr;
        c->Disarm(*this);
    }
}

void TTimer::Expire()
{
    if (!FClock)
        return;
    if (FSingleShot)
        stop();
    emit timeout();
}

} // namespace qel
