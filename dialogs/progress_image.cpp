#include "dialogs/progress_image.h"

#include <QFontMetrics>
#include <QPainter>

TProgressImage::TProgressImage(QSize size, const QFont& font)
    : image_(size, QImage::Format_RGB32), font_(font)
{
    barBottom_ = size.height();
    image_.fill(background_);
}

void TProgressImage::clearAndFrame()
{
    image_.fill(background_);
    QPainter p(&image_);
    p.setPen(foreground_);
    p.drawRect(0, 0, image_.width() - 1, image_.height() - 1);
}

void TProgressImage::fillBar(int from, int to)
{
    if (to <= from)
        return;
    QPainter p(&image_);
    p.fillRect(QRect(from, barTop_, to - from, barBottom_ - barTop_), foreground_);
}

void TProgressImage::Start(int max)
{
    clearAndFrame();
    barTop_ = 1;
    barBottom_ = image_.height();
    barRight_ = 0;
    max_ = max < 1 ? 1 : max;
    lastPercent_ = -1;
}

bool TProgressImage::Step(int position)
{
    bool changed = false;
    const int right = static_cast<int>(static_cast<long long>(position) * image_.width() / max_);
    if (right != barRight_) {
        if (right > barRight_) {
            fillBar(barRight_, right);
        } else {
            // Going back: redraw from scratch so the bar shows the position.
            clearAndFrame();
            fillBar(0, right);
            lastPercent_ = -1;
        }
        barRight_ = right;
        changed = true;
    }

    const int percent = static_cast<int>(static_cast<long long>(position) * 100 / max_);
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        const QString text = QString::number(percent) + QLatin1Char('%');
        QPainter p(&image_);
        p.setFont(font_);
        const QFontMetrics fm(font_);
        const QRect box(image_.width() / 2, 2, fm.horizontalAdvance(text), fm.height());
        p.fillRect(box, background_);
        p.setPen(foreground_);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        changed = true;
    }
    return changed;
}
