#pragma once

// Answering modal dialogs from a test: the dialog's exec() blocks the test,
// so the answer is given from a timer polling for the dialog to appear.

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace qeltest {

// Polls for the active modal widget; the first visible one `match` accepts
// is handed to `act`, once.
void onModalWidget(std::function<bool(QWidget&)> match, std::function<void(QWidget&)> act);

// Fails the test when `w` is still visible `ms` later (`what` names it in
// the failure) and then ends it with `close`, or reject() for a dialog.
void failIfLeftOpen(QWidget& w, const char* what, std::function<void(QWidget&)> close = {}, int ms = 5000);

// Runs `act` on the next visible modal dialog of type T that is not `skip`.
template <class T = QDialog>
void onModal(std::function<void(T&)> act, QWidget* skip = nullptr)
{
    QPointer<QWidget> skipGuard(skip);
    onModalWidget([skipGuard](QWidget& w) { return qobject_cast<T*>(&w) && (!skipGuard || &w != skipGuard.data()); },
                  [act](QWidget& w) { act(*qobject_cast<T*>(&w)); });
}

// Runs `act` once `w` itself is shown modally.
inline void onModal(QWidget& w, std::function<void()> act)
{
    QPointer<QWidget> target(&w);
    onModalWidget([target](QWidget& m) { return &m == target.data(); }, [act](QWidget&) { act(); });
}

// onModal() for a dialog that `act` should have ended: one still open five
// seconds later fails the test and is rejected.
inline void answerModal(std::function<void(QDialog&)> act, QWidget* skip = nullptr)
{
    onModal<QDialog>(
        [act](QDialog& d) {
            QPointer<QDialog> guard(&d);
            act(d);
            if (guard)
                failIfLeftOpen(*guard, "dialog");
        },
        skip);
}

}  // namespace qeltest
