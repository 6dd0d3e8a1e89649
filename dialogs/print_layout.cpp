#include "dialogs/print_layout.h"

#include <QPrinter>

#include <algorithm>
#include <cmath>

TPrinterMetrics PrinterMetrics(const QPrinter& Printer)
{
    TPrinterMetrics m;
    const QRectF paper = Printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = Printer.pageRect(QPrinter::DevicePixel);
    m.DpiX = m.DpiY = Printer.resolution();
    if (m.DpiX <= 0)
        return m;
    m.HorzSizeMm = int(std::lround(page.width() * 25.4 / m.DpiX));
    m.VertSizeMm = int(std::lround(page.height() * 25.4 / m.DpiY));
    m.PhysOffsetXPx = int(std::lround(page.left() - paper.left()));
    m.PhysOffsetYPx = int(std::lround(page.top() - paper.top()));
    return m;
}

TPrintLayout MakePrintLayout(const TPrinterMetrics& m, const QString& leftMm, const QString& topMm,
                             int fontPointSize, bool withFooter)
{
    TPrintLayout l;
    bool okLeft = false, okTop = false;
    const int left = leftMm.trimmed().toInt(&okLeft);
    const int top = topMm.trimmed().toInt(&okTop);
    const bool ok = okLeft && okTop;
    l.FontHeight = fontPointSize * 375 / 100;
    l.PageWidth = m.HorzSizeMm * 10 - 10;
    l.PageHeight = m.VertSizeMm * 10;
    l.OffsetX = m.DpiX > 0 ? int(qint64(m.PhysOffsetXPx) * 254 / m.DpiX) : 0;
    l.OffsetY = m.DpiY > 0 ? int(qint64(m.PhysOffsetYPx) * 254 / m.DpiY) : 0;
    const qint64 leftMargin = ok ? qint64(left) * 10 - l.OffsetX : 0;
    const qint64 topMargin = ok ? qint64(top) * 10 - l.OffsetY : 0;
    l.LeftMargin = int(std::clamp<qint64>(leftMargin, 0, 1'000'000));
    l.TopMargin = int(std::clamp<qint64>(topMargin, 0, 1'000'000));
    l.BottomY = l.PageHeight;
    if (withFooter)
        l.BottomY -= l.FontHeight + l.PenWidth + 10;
    return l;
}

int PrintMarginFault(const TPrintLayout& l)
{
    if (l.LeftMargin >= l.PageWidth)
        return 1;
    if (l.TopMargin + l.FontHeight + l.PenWidth + 10 + l.FontHeight >= l.BottomY)
        return 2;
    return 0;
}
