#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QWidget;

// Lets the bar's keyed entries act from every window of the program.
//
// The entries are application-wide shortcuts, except for a key that the
// focused window claims itself (an enabled action or shortcut of its own
// that is live for the focused control): for that key press the bar's entry
// falls back to a window-only shortcut, so the window's own command runs and
// Qt sees no ambiguity. The choice is made at each key press, when Qt asks
// the focused control whether it takes the key (ShortcutOverride), before it
// looks the key up; an edit field that takes its own editing keys (Ctrl+C in
// a line edit) therefore keeps them as well.
class TBarShortcuts : public QObject {
public:
    // `Bar` is the main window; `Entries` its keyed menu entries.
    TBarShortcuts(QWidget* Bar, QList<QAction*> Entries);
    ~TBarShortcuts() override;

    // True when the window of `Focus` has a live key binding of its own for
    // `Key` (the bar's entries aside).
    bool WindowClaims(QWidget* Focus, const QKeySequence& Key) const;

protected:
    bool eventFilter(QObject* Watched, QEvent* E) override;

private:
    QPointer<QWidget> bar_;
    QList<QPointer<QAction>> entries_;
};
