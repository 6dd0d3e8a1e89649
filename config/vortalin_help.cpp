#include "config/vortalin_help.h"

QString SetMaskToStr(int16_t mask)
{
    if (mask == -1)
        return QStringLiteral("I");
    if (mask == 0)
        return QStringLiteral("A");
    if (mask < 0)
        return QString();
    QString text;
    int bit = 0;
    while (bit < 8) {
        if (!(mask & (1 << bit))) {
            ++bit;
            continue;
        }
        int last = bit;
        while (last + 1 < 8 && (mask & (1 << (last + 1))))
            ++last;
        if (!text.isEmpty())
            text += QLatin1Char(';');
        text += QString::number(bit);
        if (last > bit)
            text += QLatin1Char('-') + QString::number(last);
        bit = last + 1;
    }
    return text;
}

QString ChangeExt(const QString& fileName, const QString& ext)
{
    QString name = fileName;
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char('/'))
            break;
        if (c == QLatin1Char('.')) {
            name.truncate(i);
            break;
        }
    }
    return name + QLatin1Char('.') + ext;
}
