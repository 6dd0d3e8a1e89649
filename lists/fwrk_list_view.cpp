#include "lists/fwrk_list_view.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TWrkListView::TWrkListView(QWidget* parent) : QTableView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
}

namespace {

// The keys of the window's menu commands that the view would otherwise
// take itself (its own copy writes a cell to the system clipboard).
bool isCommandKey(const QKeyEvent* k)
{
    return k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Paste)
           || k->matches(QKeySequence::SelectAll);
}

}  // namespace

bool TWrkListView::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && isCommandKey(static_cast<QKeyEvent*>(e))) {
        e->ignore();  // left to the menu's shortcut
        return true;
    }
    return QTableView::event(e);
}

void TWrkListView::startDrag(Qt::DropActions)
{
    if (OnStartDrag)
        OnStartDrag();
}

void TWrkListView::dragEnterEvent(QDragEnterEvent* e)
{
    if (OnDragOver && OnDragOver(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TWrkListView::dragMoveEvent(QDragMoveEvent* e)
{
    if (OnDragOver && OnDragOver(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TWrkListView::dropEvent(QDropEvent* e)
{
    if (!OnDragOver || !OnDragOver(e->mimeData())) {
        e->ignore();
        return;
    }
    const QModelIndex i = indexAt(e->position().toPoint());
    e->acceptProposedAction();
    if (OnDrop)
        OnDrop(e->mimeData(), i.isValid() ? i.row() : -1);
}

void TWrkListView::mousePressEvent(QMouseEvent* e)
{
    if (OnPress)
        OnPress(int(e->position().x()));
    QTableView::mousePressEvent(e);
}

void TWrkListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (OnPress)
        OnPress(int(e->position().x()));
    QTableView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton && OnDoubleClick)
        OnDoubleClick();
}

void TWrkListView::keyPressEvent(QKeyEvent* e)
{
    if (isCommandKey(e)) {
        // Its menu entry is disabled: nothing to do.
        e->ignore();
        return;
    }
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && OnDoubleClick) {
            OnDoubleClick();
            return;
        }
        if (e->key() == Qt::Key_Delete && OnDeleteKey) {
            OnDeleteKey();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}
