#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// What the page writer draws on: a printer page in tenths of millimetres or
// the 640 x 480 clipboard picture in pixels. y grows downwards on both.
// Text is placed by its top left corner.
class IPrintCanvas {
public:
    virtual ~IPrintCanvas() = default;

    // The font for the following text, sized so that one line of it is
    // lineHeight units high.
    virtual void SetFont(const QFont& font, int lineHeight) = 0;
    virtual void SetFontColour(const QColor& colour) = 0;
    virtual void SetPen(int width, const QColor& colour, Qt::PenStyle style) = 0;
    virtual int TextWidth(const QString& text) = 0;
    virtual void TextOut(int x, int y, const QString& text) = 0;
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    // The outline only (left, top) to (right, bottom).
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // Ends the current page and begins the next; false when that failed.
    virtual bool NewPage() = 0;
};
