// The explorer's tree and state images, drawn at 16 x 16.
#include "mainwin/prj_expl.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap blank()
{
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    return p;
}

void folder(QPainter& g, bool open)
{
    g.setPen(QColor(128, 96, 0));
    g.setBrush(QColor(240, 200, 80));
    g.drawRect(1, 4, 13, 9);
    g.drawRect(1, 2, 5, 2);
    if (open) {
        g.setBrush(QColor(255, 230, 140));
        QPolygon p({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)});
        g.drawPolygon(p);
    }
}

void page(QPainter& g, const QColor& c)
{
    g.setPen(Qt::black);
    g.setBrush(Qt::white);
    g.drawRect(3, 1, 10, 13);
    g.setPen(c);
    for (int y = 4; y < 13; y += 3)
        g.drawLine(5, y, 11, y);
}

void dot(QPainter& g, const QColor& c)
{
    g.setPen(c.darker());
    g.setBrush(c);
    g.drawEllipse(4, 4, 8, 8);
}

} // namespace

QPixmap ExplImage(int i)
{
    QPixmap p = blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, false);
    if (i >= imgShortcutA && i <= imgShortcutNone) {
        g.setPen(QColor(0, 0, 128));
        g.setBrush(QColor(220, 230, 255));
        g.drawRect(1, 1, 13, 13);
        QFont f = g.font();
        f.setPixelSize(11);
        f.setBold(true);
        g.setFont(f);
        g.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter,
                   i == imgShortcutNone ? QStringLiteral("-") : QString(QChar(u'A' + (i - imgShortcutA))));
        return p;
    }
    switch (i) {
    case imgFolderClosed: folder(g, false); break;
    case imgFolderOpen: folder(g, true); break;
    case imgScope:
        g.setPen(Qt::black);
        g.setBrush(QColor(0, 64, 0));
        g.drawRect(1, 2, 13, 11);
        g.setPen(QColor(0, 255, 0));
        g.drawPolyline(QPolygon({QPoint(2, 9), QPoint(5, 5), QPoint(8, 10), QPoint(11, 4), QPoint(13, 7)}));
        break;
    case imgWorkList: page(g, QColor(0, 0, 192)); break;
    case imgParaList: page(g, QColor(192, 0, 0)); break;
    case imgOtherFiles: page(g, Qt::gray); break;
    case imgConnected: dot(g, QColor(0, 200, 0)); break;
    case imgNotConnected: dot(g, QColor(220, 0, 0)); break;
    case imgIncorrectId: dot(g, QColor(240, 200, 0)); break;
    case imgPlainText:
        g.setPen(Qt::black);
        g.setBrush(QColor(255, 255, 200));
        g.drawRect(2, 3, 11, 9);
        g.drawLine(4, 6, 11, 6);
        g.drawLine(4, 9, 9, 9);
        break;
    case imgDotGreen: dot(g, QColor(0, 170, 0)); break;
    case imgDotBlue: dot(g, QColor(0, 80, 220)); break;
    default: break;
    }
    return p;
}

QPixmap ExplStateImage(int i)
{
    QPixmap p = blank();
    if (i == 0)
        return p;
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setPen(QColor(0, 128, 0));
    g.setBrush(QColor(0, 180, 0));
    if (i == 1)
        g.drawPolygon(QPolygon({QPoint(5, 3), QPoint(12, 8), QPoint(5, 13)}));
    else
        g.drawPolygon(QPolygon({QPoint(3, 5), QPoint(13, 5), QPoint(8, 12)}));
    return p;
}

QPixmap ExplCommandGlyph(int Item)
{
    QPixmap p(24, 24);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setPen(QPen(Qt::black, 1));
    switch (Item) {
    case 1:  // set addressing: eight sets, some chosen
        for (int i = 0; i < 8; ++i) {
            g.setBrush(i % 3 == 0 ? QColor(0, 160, 0) : QColor(Qt::white));
            g.drawRect(2 + (i % 4) * 5, 6 + (i / 4) * 7, 4, 5);
        }
        break;
    case 2:  // set pointer: an arrow onto a set
        g.setBrush(Qt::white);
        g.drawRect(13, 8, 8, 8);
        g.setBrush(QColor(0, 0, 192));
        g.drawPolygon(QPolygon({QPoint(2, 10), QPoint(8, 10), QPoint(8, 7), QPoint(12, 12), QPoint(8, 17),
                                QPoint(8, 14), QPoint(2, 14)}));
        break;
    case 3:  // password: a key
        g.setBrush(QColor(230, 190, 40));
        g.drawEllipse(2, 7, 9, 9);
        g.drawRect(10, 10, 11, 3);
        g.drawRect(16, 13, 2, 4);
        g.drawRect(19, 13, 2, 3);
        break;
    default:
        break;
    }
    return p;
}
