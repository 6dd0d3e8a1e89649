#pragma once

// Waiting on a window from a synchronous command of the main program (the
// parameter save waits for its list's upload, closing all windows for a
// window that refuses): a local event loop that sleeps until something
// happens rather than a spin over the event queue.

#include <functional>

class QEventLoop;
class QWidget;

// One sleep in a local event loop: it ends when the window is destroyed,
// when ConnectWake's connections quit the given loop (the event the caller
// waits for), or after MaxMs at the latest.
void SleepOnWindow(QWidget* Window, int MaxMs, const std::function<void(QEventLoop&)>& ConnectWake = {});

// Sleeps until Done(window) holds or the window has gone (closed or
// destroyed), looking at the condition again after each sleep; true when
// Done held with the window still open.
bool WaitOnWindow(QWidget* Window, const std::function<bool(QWidget&)>& Done, int RecheckMs,
                  const std::function<void(QEventLoop&)>& ConnectWake = {});
