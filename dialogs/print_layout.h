#pragma once

#include <QString>

// What the printer tells about its page, in the units its driver gives.
struct TPrinterMetrics {
    int HorzSizeMm = 0;     // printable width in millimetres
    int VertSizeMm = 0;     // printable height in millimetres
    int PhysOffsetXPx = 0;  // unprintable border left and top, device pixels
    int PhysOffsetYPx = 0;
    int DpiX = 0;
    int DpiY = 0;
};

class QPrinter;

// The printer's page as its driver counts it: the printable area in whole
// millimetres (rounded, so an A4 page Qt gives as 209.9 mm counts 210),
// the unprintable border in device pixels.
TPrinterMetrics PrinterMetrics(const QPrinter& Printer);

// The page arithmetic of one print job, in tenths of millimetres.
struct TPrintLayout {
    int PageWidth = 0;
    int PageHeight = 0;
    int OffsetX = 0;
    int OffsetY = 0;
    int LeftMargin = 0;  // from the printable area's edge
    int TopMargin = 0;
    int FontHeight = 0;
    int PenWidth = 5;
    int BottomY = 0;  // where the footer begins
};

// Margins typed in millimetres ("15", "10"; when either is no integer both
// are 0) less the unprintable border, never below 0; a line is the point
// size x 375 / 100 high; with a footer the page ends a line, the rule and
// 10 above the bottom.
TPrintLayout MakePrintLayout(const TPrinterMetrics& m, const QString& leftMm, const QString& topMm,
                             int fontPointSize, bool withFooter);

// Which margin leaves no page to print on: 0 none, 1 the left margin
// reaches the page width, 2 the top margin leaves no room for one line under
// the title and its rule. Such a job would print every line on a page of
// its own, below the footer line.
int PrintMarginFault(const TPrintLayout& layout);
