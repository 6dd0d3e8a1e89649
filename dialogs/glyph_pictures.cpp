#include "dialogs/glyph_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {

// The standard 16-colour palette entries the pictures use.
const QColor kBlack{0, 0, 0};
const QColor kMaroon{128, 0, 0};
const QColor kGreen{0, 128, 0};
const QColor kNavy{0, 0, 128};
const QColor kGray{128, 128, 128};
const QColor kSilver{192, 192, 192};
const QColor kRed{255, 0, 0};
const QColor kLime{0, 255, 0};
const QColor kBlue{0, 0, 255};
const QColor kYellow{255, 255, 0};
const QColor kWhite{255, 255, 255};

QPen pen(const QColor& c, int w)
{
    QPen p(c, w);
    p.setCapStyle(Qt::SquareCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

void drawCheck(QPainter& p, int dx, int dy, const QColor& c)
{
    p.setPen(pen(c, 2));
    p.drawPolyline(QPolygon({QPoint(3 + dx, 9 + dy), QPoint(6 + dx, 12 + dy), QPoint(13 + dx, 4 + dy)}));
}

void drawOk(QPainter& p)
{
    drawCheck(p, 1, 1, kBlack);   // shadow
    drawCheck(p, 0, 0, kGreen);
}

void drawCancel(QPainter& p)
{
    p.setPen(pen(kMaroon, 3));
    p.drawLine(5, 5, 13, 13);
    p.drawLine(13, 5, 5, 13);
    p.setPen(pen(kRed, 1));
    p.drawLine(4, 4, 12, 12);
    p.drawLine(12, 4, 4, 12);
}

void drawHelp(QPainter& p)
{
    p.setPen(pen(kNavy, 2));
    p.drawArc(QRect(5, 2, 8, 7), 180 * 16, -270 * 16);
    p.drawLine(9, 9, 9, 11);
    p.fillRect(QRect(8, 13, 3, 3), kBlue);
}

void drawYes(QPainter& p)
{
    p.setPen(pen(kGreen, 1));
    p.drawEllipse(QRect(0, 0, 17, 17));
    drawCheck(p, 1, 1, kGreen);
    p.setPen(pen(kLime, 1));
    p.drawPoint(15, 3);
}

void drawNo(QPainter& p)
{
    p.setPen(pen(kRed, 2));
    p.drawEllipse(QRect(2, 2, 13, 13));
    p.drawLine(5, 12, 12, 5);
}

void drawClose(QPainter& p)
{
    // A door standing open.
    p.fillRect(QRect(4, 2, 10, 14), kBlack);
    p.fillRect(QRect(5, 3, 8, 12), kWhite);
    p.setPen(Qt::NoPen);
    p.setBrush(kMaroon);
    p.drawPolygon(QPolygon({QPoint(5, 3), QPoint(10, 5), QPoint(10, 17), QPoint(5, 15)}));
    p.fillRect(QRect(8, 10, 1, 2), kYellow);
}

void drawAbort(QPainter& p)
{
    // A stop sign: red octagon with a white bar.
    p.setPen(pen(kMaroon, 1));
    p.setBrush(kRed);
    p.drawPolygon(QPolygon({QPoint(6, 1), QPoint(11, 1), QPoint(16, 6), QPoint(16, 11),
                            QPoint(11, 16), QPoint(6, 16), QPoint(1, 11), QPoint(1, 6)}));
    p.fillRect(QRect(4, 8, 10, 2), kWhite);
}

void drawRetry(QPainter& p)
{
    p.setPen(pen(kBlue, 2));
    p.drawArc(QRect(3, 3, 12, 12), 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygon({QPoint(10, 0), QPoint(16, 4), QPoint(10, 8)}));
}

void drawIgnore(QPainter& p)
{
    // An arrow jumping over a bar.
    p.fillRect(QRect(8, 9, 2, 8), kGray);
    p.setPen(pen(kNavy, 2));
    QPainterPath path;
    path.moveTo(1, 14);
    path.cubicTo(3, 3, 13, 3, 15, 11);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawPolygon(QPolygon({QPoint(12, 10), QPoint(17, 10), QPoint(15, 15)}));
}

void drawAll(QPainter& p)
{
    p.setPen(pen(kSilver, 2));
    p.drawPolyline(QPolygon({QPoint(1, 6), QPoint(4, 9), QPoint(10, 2)}));
    p.setPen(pen(kGreen, 2));
    p.drawPolyline(QPolygon({QPoint(5, 11), QPoint(8, 14), QPoint(15, 6)}));
    p.setPen(pen(kGreen, 2));
    p.drawPolyline(QPolygon({QPoint(1, 6), QPoint(4, 9), QPoint(10, 2)}));
}

const char* const kNames[kGlyphKindCount] = {
    "GLOK", "GLCANCEL", "GLHELP", "GLYES", "GLNO", "GLCLOSE",
    "GLABORT", "GLRETRY", "GLIGNORE", "GLALL", "GLNONE",
};

} // namespace

const char* glyphResourceName(int kind)
{
    return kind >= 0 && kind < kGlyphKindCount ? kNames[kind] : "";
}

bool loadGlyphPicture(int kind, QImage& out)
{
    if (kind < 0 || kind >= kGlyphKindCount)
        return false;

    // Drawn without antialiasing so every pixel is one of the 16 colours and
    // the olive background can be keyed out exactly.
    QImage img(kGlyphSize, kGlyphSize, QImage::Format_RGB32);
    img.fill(kGlyphTransparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        switch (kind) {
        case glOK: drawOk(p); break;
        case glCancel: drawCancel(p); break;
        case glHelp: drawHelp(p); break;
        case glYes: drawYes(p); break;
        case glNo: drawNo(p); break;
        case glClose: drawClose(p); break;
        case glAbort: drawAbort(p); break;
        case glRetry: drawRetry(p); break;
        case glIgnore: drawIgnore(p); break;
        case glAll: drawAll(p); break;
        default: break;   // glNone: an empty picture
        }
    }

    QImage keyed = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = kGlyphTransparent.rgb();
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = qRgba(0, 0, 0, 0);
    }
    out = keyed;
    return true;
}
