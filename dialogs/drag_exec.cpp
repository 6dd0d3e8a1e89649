#include "dialogs/drag_exec.h"

#include "config/drag_drop.h"

#include <QDrag>
#include <QMimeData>

Qt::DropAction ExecDrag(TDragDrop& dd, QObject* source)
{
    std::unique_ptr<QMimeData> data = dd.MimeData();
    if (!data || !source)
        return Qt::IgnoreAction;
    auto* drag = new QDrag(source);
    drag->setMimeData(data.release());
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    drag->deleteLater();
    dd.End();
    return result;
}
