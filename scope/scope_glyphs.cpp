#include "scope/scope_glyphs.h"

#include <QPainter>

QPixmap ScopeGlyph(const char* kind)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QByteArray k(kind);
    if (k == "INVERTER") {
        p.setPen(Qt::black);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(3, 1, 10, 14);
        p.setBrush(Qt::green);
        p.drawRect(5, 3, 6, 4);
    } else if (k == "EXPORT") {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(1, 1, 9, 13);
        p.setPen(QPen(Qt::blue, 2));
        p.drawLine(6, 8, 14, 8);
        p.drawLine(11, 5, 14, 8);
        p.drawLine(11, 11, 14, 8);
    } else if (k == "READOFFLINE") {
        p.setPen(Qt::black);
        p.setBrush(QColor(80, 80, 160));
        p.drawRect(2, 2, 12, 8);
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(8, 10, 8, 15);
    } else if (k == "RUN") {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 8), QPoint(4, 14)}));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        p.drawRect(3, 3, 10, 10);
    }
    return pm;
}
