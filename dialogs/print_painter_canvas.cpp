#include "dialogs/print_painter_canvas.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

TPainterPrintCanvas::TPainterPrintCanvas(QPainter& painter, std::function<bool()> newPage)
    : painter_(painter), newPage_(std::move(newPage))
{
    pen_ = QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter_.setBrush(Qt::NoBrush);
}

void TPainterPrintCanvas::SetFont(const QFont& font, int lineHeight)
{
    // The height of a line (ascent and descent) is what the writer counts
    // with; pixel sizes are in painter units, so the font scales with it.
    QFont f = font;
    const int height = std::max(1, lineHeight);
    f.setPixelSize(height);
    const qreal cell = QFontMetricsF(f).height();
    if (cell > height)
        f.setPixelSize(std::max(1, int(std::floor(qreal(height) * height / cell))));
    painter_.setFont(f);
}

void TPainterPrintCanvas::SetPen(int width, const QColor& colour, Qt::PenStyle style)
{
    pen_.setWidth(std::max(0, width));
    pen_.setColor(colour);
    pen_.setStyle(style);
}

int TPainterPrintCanvas::TextWidth(const QString& text)
{
    return int(std::lround(painter_.fontMetrics().horizontalAdvance(text)));
}

void TPainterPrintCanvas::TextOut(int x, int y, const QString& text)
{
    if (text.isEmpty())
        return;
    painter_.setPen(QPen(fontColour_));
    painter_.drawText(QPointF(x, y + painter_.fontMetrics().ascent()), text);
}

void TPainterPrintCanvas::Line(int x1, int y1, int x2, int y2)
{
    painter_.setPen(pen_);
    painter_.drawLine(x1, y1, x2, y2);
}

void TPainterPrintCanvas::Rectangle(int left, int top, int right, int bottom)
{
    painter_.setPen(pen_);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

bool TPainterPrintCanvas::NewPage()
{
    return newPage_ && newPage_();
}
