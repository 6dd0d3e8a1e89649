#include "modal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

namespace qeltest {

void onModalWidget(std::function<bool(QWidget&)> match, std::function<void(QWidget&)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, [poll, match, act] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || !match(*w))
            return;
        poll->stop();
        poll->deleteLater();
        act(*w);
    });
    poll->start();
}

void failIfLeftOpen(QWidget& w, const char* what, std::function<void(QWidget&)> close, int ms)
{
    QPointer<QWidget> guard(&w);
    const std::string name = what;
    QTimer::singleShot(ms, [guard, name, close] {
        if (!guard || !guard->isVisible())
            return;
        ADD_FAILURE() << name << " left open";
        if (close)
            close(*guard);
        else if (auto* d = qobject_cast<QDialog*>(guard.data()))
            d->reject();
        else
            guard->close();
    });
}

}  // namespace qeltest
