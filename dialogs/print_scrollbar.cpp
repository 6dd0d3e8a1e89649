#include "dialogs/print_scrollbar.h"

#include <algorithm>
#include <limits>

TVortalinScrollbar::TVortalinScrollbar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
    apply();
}

TVortalinScrollbar::TVortalinScrollbar(QWidget* parent) : TVortalinScrollbar(Qt::Horizontal, parent) {}

void TVortalinScrollbar::SetPageSize(int value)
{
    const qint64 span = qint64(max_) - min_ + 1;
    pageSize_ = int(std::clamp<qint64>(value, 0, std::min<qint64>(span, std::numeric_limits<int>::max())));
    apply();
}

void TVortalinScrollbar::SetRange(int min, int max)
{
    min_ = min;
    max_ = std::max(min, max);
    apply();
}

void TVortalinScrollbar::apply()
{
    // The page stored may be larger than a range set later; the bar then
    // shows the whole range as one page.
    const qint64 span = qint64(max_) - min_ + 1;
    const qint64 page = std::min<qint64>(pageSize_, span);
    const qint64 last = qint64(max_) - std::max<qint64>(page - 1, 0);
    setRange(min_, int(std::max<qint64>(last, min_)));
    setPageStep(int(std::max<qint64>(page, 1)));
}
