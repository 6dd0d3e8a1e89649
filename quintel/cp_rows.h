#pragma once

// The rows of the Quintel program's table: one per shown entry (the row
// index is the entry's Id), columns entry name, set, parameter name and
// value. The column widths live here too so that print and copy can use
// them without a display.

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <vector>

class TCpRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColName = 0, ColSet = 1, ColPara = 2, ColValue = 3;

    struct TRow {
        QString Name;
        QString SetText;
        QString ParaName;
        QString ValueText;
    };

    explicit TCpRowModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    int Count() const { return int(FRows.size()); }
    const TRow& Row(int i) const { return FRows[size_t(i)]; }
    void Clear();
    void Append(const TRow& row);
    void SetValueText(int i, const QString& text);

    QString Caption(int col) const { return FCaptions[size_t(col)]; }
    void SetCaption(int col, const QString& text);
    int Width(int col) const { return FWidths[size_t(col)]; }
    void SetWidth(int col, int width);
    const std::array<int, 4>& Widths() const { return FWidths; }

signals:
    void widthsChanged();

private:
    std::vector<TRow> FRows;
    std::array<QString, 4> FCaptions{QString(), QStringLiteral("S"), QStringLiteral("Nam."),
                                     QStringLiteral("W")};
    std::array<int, 4> FWidths{40, 100, 200, 240};
};
