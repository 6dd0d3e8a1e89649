#pragma once

#include <QScrollBar>

// A scroll bar with a page size (the proportional thumb), counted as on
// Windows: the range Min..Max covers the whole content and the position
// runs from Min to Max - PageSize + 1. Use Min/Max/SetRange of this class
// (not QScrollBar's) so the page is taken into account.
class TVortalinScrollbar : public QScrollBar {
    Q_OBJECT
public:
    explicit TVortalinScrollbar(Qt::Orientation orientation, QWidget* parent = nullptr);
    explicit TVortalinScrollbar(QWidget* parent = nullptr);

    int PageSize() const { return pageSize_; }
    // Limited to 0..(Max - Min + 1).
    void SetPageSize(int value);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int value) { SetRange(value, std::max(value, max_)); }
    void SetMax(int value) { SetRange(std::min(min_, value), value); }
    void SetRange(int min, int max);

    int Position() const { return value(); }
    void SetPosition(int position) { setValue(position); }

private:
    void apply();

    int min_ = 0;
    int max_ = 100;
    int pageSize_ = 0;
};
