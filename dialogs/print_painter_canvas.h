#pragma once

#include "dialogs/print_canvas.h"

#include <QPen>

#include <functional>

class QPainter;

// The page writer's canvas on a QPainter: a printer page (the painter
// scaled to 0.1 mm) or the clipboard picture (pixels).
class TPainterPrintCanvas : public IPrintCanvas {
public:
    // newPage begins the next page of the device (the printer's newPage).
    TPainterPrintCanvas(QPainter& painter, std::function<bool()> newPage);

    void SetFont(const QFont& font, int lineHeight) override;
    void SetFontColour(const QColor& colour) override { fontColour_ = colour; }
    void SetPen(int width, const QColor& colour, Qt::PenStyle style) override;
    int TextWidth(const QString& text) override;
    void TextOut(int x, int y, const QString& text) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    bool NewPage() override;

private:
    QPainter& painter_;
    std::function<bool()> newPage_;
    QColor fontColour_ = Qt::black;
    QPen pen_;
};
