#pragma once

#include <functional>

namespace qeltest {

// Runs the event loop until `condition` holds or `timeoutMs` has passed.
// Returns whether the condition held. The condition is checked after every
// batch of events and at least every few milliseconds, so it may also
// depend on state changed by other threads. On a virtual clock
// (platform/virtual_clock.h) the time does not move on while it holds.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs the event loop for `ms` milliseconds of program time. Only for checking that
// something does NOT happen within a time; never to wait for a result.
void runEventLoopFor(int ms);

} // namespace qeltest
