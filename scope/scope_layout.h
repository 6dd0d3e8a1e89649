#pragma once

// Where the scope window puts its plot, time strip and read-out rows for a
// client size; a plain function so that the arithmetic is tested headless.

#include <QRect>

#include <array>

struct TScopeLayout {
    static constexpr int ToolHeight = 30;     // the tool panel above the plot
    static constexpr int RowHeight = 16;      // one read-out row
    static constexpr int StripHeight = 24;    // the time strip below the plot
    static constexpr int ScrollTop = 7;       // the scroll bar's top in the strip
    static constexpr int FirstWidth = 28;     // column 0 at least (its texts may need more)
    static constexpr int CellGap = 2;         // between a cell and the next column
    // The smallest client that leaves the plot 11 x 11 pixels (one per
    // division and the edge) with the read-outs shown.
    static constexpr int MinWidth = 160;
    static constexpr int MinHeight = ToolHeight + 5 * RowHeight + StripHeight + 11;

    int PlotHeight = 0;
    QRect Plot, Strip, ScrollBar;
    // Read-out cells [column][row]; column 0 keeps its place at x 0.
    std::array<std::array<QRect, 5>, 4> Cells;
};

// FirstColumn: the width of read-out column 0; the other three share the
// rest of the client width.
TScopeLayout ScopeLayout(int ClientWidth, int ClientHeight, bool ShowReadouts,
                         int FirstColumn = TScopeLayout::FirstWidth);
// The client width at which read-out columns 1 to 3 are ValueWidth wide
// each, right of a first column FirstColumn wide.
int ScopeReadoutClientWidth(int FirstColumn, int ValueWidth);
