#pragma once

#include "lists/wrk_list_item.h"

#include <QAbstractTableModel>

#include <algorithm>
#include <QString>

#include <array>
#include <memory>
#include <memory>
#include <vector>

// The rows of a work-list window as the list shows them: one record and
// seven column texts per row, and always one trailing row without a record
// (its texts single blanks) that new rows go before.
class TWrkListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColCount = 7;
    enum Column { colInv = 0, colAdr, colSet, colId, colName, colValue, colRemark };
    using Texts = std::array<QString, ColCount>;

    explicit TWrkListModel(QObject* parent = nullptr);

    // Rows including the trailing one.
    int RowCount() const { return int(rows_.size()); }
    int TrailingRow() const { return RowCount() - 1; }
    // The record of a row; null for the trailing row and outside the list.
    const std::shared_ptr<TWrkListItem>& Item(int row) const;
    // Index of the row holding `item`, -1 when none does.
    int RowOf(const TWrkListItem* item) const;
    QString Text(int row, int col) const;

    struct NewRow {
        std::shared_ptr<TWrkListItem> item;
        Texts texts;
    };
    // Inserts before `row` (0..TrailingRow()).
    void InsertRow(int row, std::shared_ptr<TWrkListItem> item, const Texts& texts);
    // Inserts the rows, in their order, before `row` with one notification.
    void InsertRows(int row, std::vector<NewRow> rows);
    // Removes a row other than the trailing one; its record goes with it.
    void RemoveRow(int row);
    // Removes the rows (ascending, no duplicates, the trailing row not
    // among them) with one notification for each contiguous block.
    void RemoveRows(const std::vector<int>& rows);
    // Removes every row but the trailing one.
    void Clear();
    // Writes one cell, and reports a change only when the text differs
    // (unchanged values are not repainted).
    void SetText(int row, int col, const QString& text);
    void SetCaption(int col, const QString& text);
    QString Caption(int col) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Cell writes that changed a text; for tests of the repaint rule.
    int ChangedCells = 0;

private:
    using Row = NewRow;
    // Rows held by pointer: inserting into or erasing from the middle of a
    // long list moves pointers, not seven texts a row.
    std::vector<std::unique_ptr<Row>> rows_;
    Texts captions_;
};
