#include "lists/wrk_list_model.h"

namespace {
TWrkListModel::Texts blankTexts()
{
    TWrkListModel::Texts t;
    t.fill(QStringLiteral(" "));
    return t;
}
const std::shared_ptr<TWrkListItem> kNoItem;
} // namespace

TWrkListModel::TWrkListModel(QObject* parent) : QAbstractTableModel(parent)
{
    rows_.push_back(std::make_unique<Row>(Row{nullptr, blankTexts()}));
    captions_ = {QStringLiteral("Umr."), QStringLiteral("Adr."), QStringLiteral("Satz"),
                 QStringLiteral("Id"), QStringLiteral("Name"), QStringLiteral("Wert"),
                 QStringLiteral("Bemerkungen")};
}

const std::shared_ptr<TWrkListItem>& TWrkListModel::Item(int row) const
{
    return row >= 0 && row < RowCount() ? rows_[size_t(row)]->item : kNoItem;
}

int TWrkListModel::RowOf(const TWrkListItem* item) const
{
    if (!item)
        return -1;
    for (int r = 0; r < TrailingRow(); ++r)
        if (rows_[size_t(r)]->item.get() == item)
            return r;
    return -1;
}

QString TWrkListModel::Text(int row, int col) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount)
        return QString();
    return rows_[size_t(row)]->texts[size_t(col)];
}

void TWrkListModel::InsertRow(int row, std::shared_ptr<TWrkListItem> item, const Texts& texts)
{
    row = std::clamp(row, 0, TrailingRow());
    beginInsertRows({}, row, row);
    rows_.insert(rows_.begin() + row, std::make_unique<Row>(Row{std::move(item), texts}));
    endInsertRows();
}

void TWrkListModel::InsertRows(int row, std::vector<NewRow> rows)
{
    if (rows.empty())
        return;
    row = std::clamp(row, 0, TrailingRow());
    beginInsertRows({}, row, row + int(rows.size()) - 1);
    std::vector<std::unique_ptr<Row>> block;
    block.reserve(rows.size());
    for (NewRow& r : rows)
        block.push_back(std::make_unique<Row>(std::move(r)));
    rows_.insert(rows_.begin() + row, std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
    endInsertRows();
}

void TWrkListModel::RemoveRows(const std::vector<int>& rows)
{
    // From the last block to the first, so that the indexes of the blocks
    // still to come stay valid.
    for (size_t end = rows.size(); end > 0;) {
        size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        const int first = rows[begin];
        const int last = rows[end - 1];
        end = begin;
        if (first < 0 || last >= TrailingRow())
            continue;
        beginRemoveRows({}, first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
    }
}

void TWrkListModel::RemoveRow(int row)
{
    if (row < 0 || row >= TrailingRow())
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void TWrkListModel::Clear()
{
    if (TrailingRow() == 0)
        return;
    beginRemoveRows({}, 0, TrailingRow() - 1);
    rows_.erase(rows_.begin(), rows_.end() - 1);
    endRemoveRows();
}

void TWrkListModel::SetText(int row, int col, const QString& text)
{
    if (row < 0 || row >= TrailingRow() || col < 0 || col >= ColCount)
        return;
    QString& cell = rows_[size_t(row)]->texts[size_t(col)];
    if (cell == text)
        return;
    cell = text;
    ++ChangedCells;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void TWrkListModel::SetCaption(int col, const QString& text)
{
    if (col < 0 || col >= ColCount)
        return;
    captions_[size_t(col)] = text;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

QString TWrkListModel::Caption(int col) const
{
    return col >= 0 && col < ColCount ? captions_[size_t(col)] : QString();
}

int TWrkListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int TWrkListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColCount;
}

QVariant TWrkListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return Text(index.row(), index.column());
}

QVariant TWrkListModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return Caption(section);
}

Qt::ItemFlags TWrkListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}
