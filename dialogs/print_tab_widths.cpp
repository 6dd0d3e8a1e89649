#include "dialogs/print_tab_widths.h"

#include <algorithm>

QList<int> TabWidthsToPercent(const QList<int>& widths)
{
    QList<int> percent;
    percent.reserve(widths.size());
    qint64 sum = 0;
    for (int w : widths)
        sum += std::max(0, w);
    for (int w : widths) {
        if (sum == 0)
            percent << int(100 / widths.size());
        else
            percent << int(qint64(std::max(0, w)) * 100 / sum);
    }
    return percent;
}
