#include "dialogs/window_wait.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>

void SleepOnWindow(QWidget* Window, int MaxMs, const std::function<void(QEventLoop&)>& ConnectWake)
{
    if (!Window)
        return;
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(Window, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (ConnectWake)
        ConnectWake(loop);
    bound.start(MaxMs);
    loop.exec();
}

bool WaitOnWindow(QWidget* Window, const std::function<bool(QWidget&)>& Done, int RecheckMs,
                  const std::function<void(QEventLoop&)>& ConnectWake)
{
    const QPointer<QWidget> w(Window);
    while (w && w->isVisible()) {
        if (Done(*w))
            return true;
        SleepOnWindow(w, RecheckMs, ConnectWake);
    }
    return false;
}
