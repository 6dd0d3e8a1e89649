#pragma once

// The local wait of a driver's synchronous steps: nested event loops until
// a condition holds.

#include "platform/clock.h"

#include <QEventLoop>

#include <memory>

// Runs nested event loops until `done()` holds. `current` is the driver's
// pointer to the loop now running: its wake-ups quit that loop, and each
// loop also ends after `backstopMs` so that `done()` is looked at again.
// False when the driver went away meanwhile (`alive` cleared); then nothing
// of the driver, `current` included, is touched again.
template <class Done>
bool RunNestedWait(QEventLoop*& current, const std::shared_ptr<const bool>& alive, int backstopMs, Done done)
{
    while (!done()) {
        QEventLoop loop;
        qel::TTimer backstop;
        backstop.setSingleShot(true);
        QObject::connect(&backstop, &qel::TTimer::timeout, &loop, &QEventLoop::quit);
        backstop.start(backstopMs);
        QEventLoop* outer = current;
        current = &loop;
        loop.exec();
        if (!*alive)
            return false;
        current = outer;
    }
    return true;
}
