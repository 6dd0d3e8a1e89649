#include "wait_until.h"

#include "platform/virtual_clock.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace qeltest {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    if (condition())
        return true;
    QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    // On a virtual clock the condition is also looked at before each move
    // of the time, so the program stands where it came true.
    auto* virtualClock = dynamic_cast<qel::TVirtualClock*>(&qel::Clock());
    std::function<bool()> outerGate;
    if (virtualClock) {
        // Once: a loop nested in ours (a synchronous exchange) may need the
        // time to move on before ours can end.
        outerGate = virtualClock->SetGate([&, held = false]() mutable {
            if (held || !condition())
                return false;
            held = true;
            loop.quit();
            return true;
        });
    }
    loop.exec();
    if (virtualClock)
        virtualClock->SetGate(std::move(outerGate));
    return condition();
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    qel::TTimer::singleShot(ms, &loop, [&] { loop.quit(); });
    loop.exec();
}

} // namespace qeltest
