#include "platform/clock.h"

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
};

TRealClock realClock;
TClock* current = &realClock;

} // namespace

TClock& Clock() { return *current; }

void SetClock(TClock* c) { current = c ? c : &realClock; }

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
