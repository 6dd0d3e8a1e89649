#pragma once

// What every simulated card library shares: the export of its C entry
// points and the bound on the logs a test reads back.

#include <QList>

#include <type_traits>

// Only the vendor's C entry points leave a card library.
#define SIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace qelsim {

// Entries a card keeps in one log, so that a long run does not grow it
// without bound.
constexpr int kSimCardMaxLog = 20000;

// Appends to a log; a full log first drops its older half.
template <class T> void AppendToCardLog(QList<T>& log, std::type_identity_t<T> entry)
{
    if (log.size() >= kSimCardMaxLog)
        log.remove(0, kSimCardMaxLog / 2);
    log.append(std::move(entry));
}

} // namespace qelsim
