#include "config/drag_drop.h"

#include <QCoreApplication>
#include <QMimeData>

#include <algorithm>

const QString TDragDrop::MimeType = QStringLiteral("application/x-qel-vortalin-drag");

// Numbers are unique for the whole process, so two drag objects (tests)
// never take each other's data either.
quint64 TDragDrop::lastDragNo_ = 0;

namespace {

QByteArray encode(quint64 dragNo)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(dragNo);
}

}  // namespace

TDragDrop::TDragDrop(QObject* owner) : QObject(owner) {}

TDragDrop::~TDragDrop() = default;

bool TDragDrop::Start(QObject* sourceView, uint8_t kind, std::vector<std::shared_ptr<void>> items,
                      int16_t invAdr, int16_t setSel)
{
    End();
    items.erase(std::remove(items.begin(), items.end(), nullptr), items.end());
    if (items.empty() || kind == ddkNone)
        return false;
    Items = std::move(items);
    Kind = kind;
    InvAdr = invAdr;
    SetSel = setSel;
    SourceView = sourceView;
    dragNo_ = ++lastDragNo_;
    return true;
}

std::unique_ptr<QMimeData> TDragDrop::MimeData() const
{
    if (Kind == ddkNone || dragNo_ == 0)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setData(MimeType, encode(dragNo_));
    return data;
}

void TDragDrop::End()
{
    Items.clear();
    Kind = ddkNone;
    SourceView = nullptr;
    dragNo_ = 0;
}

quint64 TDragDrop::DragNumber(const QMimeData* data)
{
    if (!data || !data->hasFormat(MimeType))
        return 0;
    const QList<QByteArray> parts = data->data(MimeType).split(':');
    if (parts.size() != 2)
        return 0;
    bool okPid = false, okNo = false;
    const qint64 pid = parts[0].toLongLong(&okPid);
    const quint64 no = parts[1].toULongLong(&okNo);
    if (!okPid || !okNo || pid != QCoreApplication::applicationPid())
        return 0;
    return no;
}

bool TDragDrop::Accepts(const QMimeData* data, const QObject* targetView,
                        std::initializer_list<uint8_t> kinds) const
{
    if (Kind == ddkNone || dragNo_ == 0 || DragNumber(data) != dragNo_)
        return false;
    if (targetView && SourceView.data() == targetView)
        return false;
    return std::find(kinds.begin(), kinds.end(), Kind) != kinds.end();
}
