#include "dialogs/msg_icons.h"

#include <QPainter>
#include <QPainterPath>

#include "dialogs/message_dlg.h"

namespace {

constexpr int kSize = 32;

void drawSign(QPainter& p, const QString& sign, const QColor& colour, const QRectF& area)
{
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(area, Qt::AlignCenter, sign);
}

void drawDisc(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(fill.darker(140), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1.5, 1.5, kSize - 3, kSize - 3));
}

} // namespace

QPixmap MsgIconPicture(int iconCode)
{
    if (iconCode != icWarning && iconCode != icError && iconCode != icInformation
        && iconCode != icConfirmation)
        return {};

    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(0, 0, kSize, kSize);

    switch (iconCode) {
    case icWarning: {
        QPainterPath triangle;
        triangle.moveTo(kSize / 2.0, 2);
        triangle.lineTo(kSize - 1.5, kSize - 3);
        triangle.lineTo(1.5, kSize - 3);
        triangle.closeSubpath();
        p.setPen(QPen(QColor(120, 90, 0), 1.5));
        p.setBrush(QColor(250, 200, 30));
        p.drawPath(triangle);
        drawSign(p, QStringLiteral("!"), Qt::black, whole.adjusted(0, 6, 0, 0));
        break;
    }
    case icError:
        drawDisc(p, QColor(210, 40, 40));
        drawSign(p, QStringLiteral("\u00D7"), Qt::white, whole);
        break;
    case icInformation:
        drawDisc(p, QColor(40, 100, 200));
        drawSign(p, QStringLiteral("i"), Qt::white, whole);
        break;
    case icConfirmation:
        drawDisc(p, QColor(40, 100, 200));
        drawSign(p, QStringLiteral("?"), Qt::white, whole);
        break;
    }
    return pm;
}
