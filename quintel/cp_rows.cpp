#include "quintel/cp_rows.h"

TCpRowModel::TCpRowModel(QObject* parent) : QAbstractTableModel(parent) {}

int TCpRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TCpRowModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant TCpRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count() || role != Qt::DisplayRole)
        return {};
    const TRow& r = Row(index.row());
    switch (index.column()) {
    case ColName: return r.Name;
    case ColSet: return r.SetText;
    case ColPara: return r.ParaName;
    default: return r.ValueText;
    }
}

QVariant TCpRowModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3)
        return {};
    return FCaptions[size_t(section)];
}

void TCpRowModel::Clear()
{
    if (FRows.empty())
        return;
    beginResetModel();
    FRows.clear();
    endResetModel();
}

void TCpRowModel::Append(const TRow& row)
{
    beginInsertRows({}, Count(), Count());
    FRows.push_back(row);
    endInsertRows();
}

void TCpRowModel::SetValueText(int i, const QString& text)
{
    if (i < 0 || i >= Count() || FRows[size_t(i)].ValueText == text)
        return;
    FRows[size_t(i)].ValueText = text;
    const QModelIndex at = index(i, ColValue);
    emit dataChanged(at, at);
}

void TCpRowModel::SetCaption(int col, const QString& text)
{
    FCaptions[size_t(col)] = text;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void TCpRowModel::SetWidth(int col, int width)
{
    if (FWidths[size_t(col)] == width)
        return;
    FWidths[size_t(col)] = width;
    emit widthsChanged();
}
