#include "dialogs/user_msg_text.h"

namespace {

char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

bool matchesAt(const QString& line, qsizetype pos, const QString& token)
{
    if (pos + token.size() > line.size())
        return false;
    for (qsizetype i = 0; i < token.size(); ++i)
        if (asciiUpper(line[pos + i].unicode()) != asciiUpper(token[i].unicode()))
            return false;
    return true;
}

QString replaceAll(const QString& line, const QString& token, const QString& value)
{
    if (token.isEmpty())
        return line;
    QString out;
    out.reserve(line.size());
    qsizetype i = 0;
    while (i < line.size()) {
        if (matchesAt(line, i, token)) {
            out += value;
            i += token.size();
        } else {
            out += line[i];
            ++i;
        }
    }
    return out;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString FillPlaceholders(const QString& line, const QStringList& params)
{
    QString out = line;
    for (const QString& entry : params) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;   // no name: nothing to look for
        out = replaceAll(out, QLatin1Char('@') + entry.left(eq), entry.mid(eq + 1));
    }
    return out;
}

QStringList FillPlaceholders(const QStringList& lines, const QStringList& params)
{
    QStringList out;
    out.reserve(lines.size());
    for (const QString& line : lines)
        out << FillPlaceholders(line, params);
    return out;
}

void SetParamEntry(QStringList& params, const QString& name, const QString& value)
{
    const QString entry = name + QLatin1Char('=') + value;
    for (QString& p : params) {
        const qsizetype eq = p.indexOf(QLatin1Char('='));
        if (eq >= 0 && sameName(p.left(eq), name)) {
            p = entry;
            return;
        }
    }
    params << entry;
}

TButtonCaption SplitButtonCaption(const QString& caption)
{
    TButtonCaption c;
    if (!caption.isEmpty()) {
        const char16_t first = caption[0].unicode();
        if ((first >= u'0' && first <= u'9') || first == u':') {
            c.glyphCode = first - u'0';
            c.text = caption.mid(1);
            return c;
        }
    }
    c.text = caption;
    return c;
}

void PresetDefaultCancel(const QStringList& buttons, int& defaultIndex, int& cancelIndex)
{
    for (int i = 0; i < buttons.size(); ++i) {
        const QString plain = QString(buttons[i]).remove(QLatin1Char('&')).toUpper();
        if (plain == QLatin1String("OK") && defaultIndex < 0)
            defaultIndex = i;
        if ((plain == QLatin1String("CANCEL") || plain == QLatin1String("ABORT")) && cancelIndex < 0)
            cancelIndex = i;
    }
}

QStringList TrimButtonCaptions(QStringList buttons)
{
    while (!buttons.isEmpty() && buttons.last().isEmpty())
        buttons.removeLast();
    if (buttons.isEmpty())
        buttons << QStringLiteral("OK");
    return buttons;
}
