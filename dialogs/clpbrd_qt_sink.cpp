#include "dialogs/clpbrd_qt_sink.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

const QString ClpBrdMarkerType = QStringLiteral("application/x-qel-vortalin-clipboard");

namespace {

QByteArray ownId()
{
    return QByteArray::number(QCoreApplication::applicationPid());
}

}  // namespace

void AddClpBrdMarker(QMimeData& data)
{
    data.setData(ClpBrdMarkerType, ownId());
}

bool IsOwnClpBrdData(const QMimeData* data)
{
    return data && data->hasFormat(ClpBrdMarkerType) && data->data(ClpBrdMarkerType) == ownId();
}

void TQtClpBrdSink::SetMimeData(std::unique_ptr<QMimeData> data)
{
    if (!data)
        return;
    AddClpBrdMarker(*data);
    if (QClipboard* cb = QGuiApplication::clipboard())
        cb->setMimeData(data.release());  // the clipboard owns it
}
