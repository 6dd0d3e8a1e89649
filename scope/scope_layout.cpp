#include "scope/scope_layout.h"

#include <algorithm>

TScopeLayout ScopeLayout(int ClientWidth, int ClientHeight, bool ShowReadouts, int FirstColumn)
{
    TScopeLayout l;
    const int w = std::max(ClientWidth, TScopeLayout::MinWidth);
    const int h = std::max(ClientHeight, TScopeLayout::MinHeight);
    int plotH = h - TScopeLayout::ToolHeight;
    if (ShowReadouts)
        plotH -= 5 * TScopeLayout::RowHeight;
    const int rowsTop = TScopeLayout::ToolHeight + plotH;
    const int L = FirstColumn + TScopeLayout::CellGap;
    const int b = (w - L) / 3;
    for (int r = 0; r < 5; ++r) {
        const int y = rowsTop + r * TScopeLayout::RowHeight;
        l.Cells[0][r] = QRect(0, y, FirstColumn, TScopeLayout::RowHeight);
        l.Cells[1][r] = QRect(L, y, b - TScopeLayout::CellGap, TScopeLayout::RowHeight);
        l.Cells[2][r] = QRect(L + b, y, b - TScopeLayout::CellGap, TScopeLayout::RowHeight);
        l.Cells[3][r] = QRect(L + 2 * b, y, b, TScopeLayout::RowHeight);
    }
    plotH -= TScopeLayout::StripHeight;
    l.PlotHeight = plotH;
    l.Plot = QRect(0, TScopeLayout::ToolHeight, w, plotH);
    l.Strip = QRect(0, TScopeLayout::ToolHeight + plotH, w, TScopeLayout::StripHeight);
    l.ScrollBar = QRect(0, TScopeLayout::ScrollTop, w, TScopeLayout::StripHeight - TScopeLayout::ScrollTop);
    return l;
}

int ScopeReadoutClientWidth(int FirstColumn, int ValueWidth)
{
    return FirstColumn + TScopeLayout::CellGap + 3 * (ValueWidth + TScopeLayout::CellGap);
}
