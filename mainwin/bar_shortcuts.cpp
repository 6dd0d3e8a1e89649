#include "mainwin/bar_shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace {

// Whether a binding in `Context` on widget `W` is live while `Focus` has the
// focus (the rules Qt applies to widget shortcuts).
bool widgetContextLive(Qt::ShortcutContext Context, const QWidget* W, const QWidget* Focus)
{
    if (!W->isVisible() || !W->isEnabled())
        return false;
    switch (Context) {
    case Qt::ApplicationShortcut:
        return true;
    case Qt::WidgetShortcut:
        return W == Focus;
    case Qt::WidgetWithChildrenShortcut:
        for (const QWidget* f = Focus; f; f = f->isWindow() ? nullptr : f->parentWidget())
            if (f == W)
                return true;
        return false;
    case Qt::WindowShortcut:
        return Focus && W->window() == Focus->window();
    }
    return false;
}

bool actionLive(const QAction* A, const QWidget* Focus, int Depth = 0)
{
    if (!A->isEnabled() || !A->isVisible() || Depth > 8)
        return false;
    for (QObject* o : A->associatedObjects()) {
        // An entry of a menu is live where the menu itself is attached
        // (a menu that only pops up has no live keys).
        if (auto* m = qobject_cast<QMenu*>(o)) {
            if (actionLive(m->menuAction(), Focus, Depth + 1))
                return true;
        } else if (auto* w = qobject_cast<QWidget*>(o)) {
            if (widgetContextLive(A->shortcutContext(), w, Focus))
                return true;
        }
    }
    return false;
}

} // namespace

TBarShortcuts::TBarShortcuts(QWidget* Bar, QList<QAction*> Entries) : QObject(Bar), bar_(Bar)
{
    for (QAction* a : Entries) {
        entries_.append(a);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    qApp->installEventFilter(this);
}

TBarShortcuts::~TBarShortcuts()
{
    qApp->removeEventFilter(this);
}

bool TBarShortcuts::WindowClaims(QWidget* Focus, const QKeySequence& Key) const
{
    if (!Focus)
        return false;
    QWidget* window = Focus->window();
    if (window == bar_)
        return false;
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->shortcuts().contains(Key) && actionLive(a, Focus))
            return true;
    }
    for (QShortcut* s : window->findChildren<QShortcut*>()) {
        auto* w = qobject_cast<QWidget*>(s->parent());
        if (s->isEnabled() && s->keys().contains(Key) && w && widgetContextLive(s->context(), w, Focus))
            return true;
    }
    return false;
}

bool TBarShortcuts::eventFilter(QObject* Watched, QEvent* E)
{
    if (E->type() != QEvent::ShortcutOverride || !Watched->isWidgetType())
        return false;
    // Qt passes the question up the parents of the focused control; one
    // answer per key press is enough.
    QWidget* focus = QApplication::focusWidget();
    if (focus && Watched != focus)
        return false;
    const QKeySequence key(static_cast<QKeyEvent*>(E)->keyCombination());
    const QWidget* target = focus ? focus : static_cast<QWidget*>(Watched);
    bool checked = false, claimed = false;
    for (const QPointer<QAction>& a : entries_) {
        if (!a || !a->shortcuts().contains(key))
            continue;
        if (!checked) {
            claimed = WindowClaims(const_cast<QWidget*>(target), key);
            checked = true;
        }
        const Qt::ShortcutContext want = claimed ? Qt::WindowShortcut : Qt::ApplicationShortcut;
        if (a->shortcutContext() != want)
            a->setShortcutContext(want);
    }
    return false;
}
