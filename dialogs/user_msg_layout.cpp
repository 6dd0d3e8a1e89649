#include "dialogs/user_msg_layout.h"

#include <algorithm>

int UserMsgWidthLimit(int screenWidth)
{
    return static_cast<int>(static_cast<long long>(screenWidth) * 60 / 100);
}

TUserMsgLayout LayoutUserMsg(const TUserMsgLayoutIn& in, const TUserMsgMeasure& measure)
{
    TUserMsgLayout out;
    int width = in.initialClient.width();
    int height = in.initialClient.height();

    int labelLeft = kMsgLabelLeft;
    if (in.hasPicture) {
        out.picture = QRect(QPoint(kMsgPictureLeft, kMsgPictureTop), in.picture);
        labelLeft = out.picture.x() + out.picture.width() + 10;
    } else {
        out.picture = QRect(0, 0, 1, 1);
    }

    out.labelText = in.lines.join(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : in.lines)
        widest = std::max(widest, measure.TextWidth(line));
    const int lineHeight = measure.LineHeight();

    if (widest > 0)
        width = widest + labelLeft + 18;

    int labelWidth = widest;
    int textHeight = 0;
    const int limit = UserMsgWidthLimit(in.screenWidth);
    if (width > limit) {
        labelWidth = std::max(1, widest - (width - limit));
        out.wordWrap = true;
        textHeight = measure.WrappedHeight(out.labelText, labelWidth);
        width = limit;
    } else {
        textHeight = static_cast<int>(in.lines.size()) * lineHeight;
    }
    out.label = QRect(labelLeft, kMsgLabelTop, labelWidth, textHeight);

    if (textHeight > 0) {
        height = textHeight < out.picture.height()
                     ? out.picture.y() + out.picture.height() + 20
                     : kMsgLabelTop + textHeight + 20;
    }

    // Buttons in one row below the text.
    int widestButton = in.buttonsMinWidth;
    QList<int> own;
    for (const TUserMsgButtonIn& b : in.buttons) {
        const int w = measure.TextWidth(b.caption) + b.glyphWidth + 16;
        own << w;
        widestButton = std::max(widestButton, w);
    }
    int x = 8;
    for (int w : own) {
        const int bw = in.buttonsSameWidth ? widestButton : std::max(in.buttonsMinWidth, w);
        out.buttons << QRect(x, height, bw, kMsgButtonHeight);
        x += bw + 5;
    }
    if (!out.buttons.isEmpty()) {
        height += 30;
        x += 8;
        if (width < x) {
            width = x;
        } else {
            const int shift = (width - x) / 2;
            for (QRect& r : out.buttons)
                r.translate(shift, 0);
        }
    }
    out.client = QSize(width, height);
    return out;
}
