#include "dialogs/elided_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

TElidedLabel::TElidedLabel(QWidget* parent) : QLabel(parent)
{
    // Status texts carry error texts and names: never taken for markup.
    setTextFormat(Qt::PlainText);
}

QRect TElidedLabel::textRect() const
{
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

QSize TElidedLabel::minimumSizeHint() const
{
    // Room for the ellipsis alone; the height of the lines.
    const int chrome = width() - textRect().width();
    return {fontMetrics().horizontalAdvance(QChar(0x2026)) + std::max(chrome, 0), QLabel::minimumSizeHint().height()};
}

bool TElidedLabel::Elided() const
{
    const int room = textRect().width();
    const QStringList lines = text().split(u'\n');
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString& l) { return fontMetrics().horizontalAdvance(l) > room; });
}

bool TElidedLabel::event(QEvent* e)
{
    // The whole text as the tip, only while it is cut and no tip of the
    // program's own is set.
    if (e->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        auto* help = static_cast<QHelpEvent*>(e);
        if (Elided())
            QToolTip::showText(help->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(e);
}

void TElidedLabel::paintEvent(QPaintEvent* e)
{
    // A text that fits is drawn as any label draws it (selection included).
    if (!Elided()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    const QRect r = textRect();
    QStringList lines = text().split(u'\n');
    for (QString& l : lines)
        l = fontMetrics().elidedText(l, Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                          isEnabled(), lines.join(u'\n'), foregroundRole());
}
