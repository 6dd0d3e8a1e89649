#include "dialogs/clpbrd_qt_sink.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void TQtClpBrdSink::SetMimeData(std::unique_ptr<QMimeData> data)
{
    if (QClipboard* cb = QGuiApplication::clipboard())
        cb->setMimeData(data.release());  // the clipboard owns it
}
