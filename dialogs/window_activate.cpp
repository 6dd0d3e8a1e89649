#include "dialogs/window_activate.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

void ActivateWhenShown(QWidget* Window)
{
    // Queued: during the show event the native window is not yet visible,
    // and a modal exec() only returns when the dialog closes.
    const QPointer<QWidget> w(Window);
    QMetaObject::invokeMethod(
        Window,
        [w] {
            if (!w || !w->isVisible())
                return;
            w->raise();
            w->activateWindow();
        },
        Qt::QueuedConnection);
}
