#include "wait_until.h"

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
    loop.exec();
    return condition();
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace qeltest
