#include "lists/wrk_list_file.h"

#include "platform/codepage.h"

#include <limits>

namespace wrkfile {

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool ParseDec(QStringView text, int32_t& out)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= text.size())
        return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return false;
    out = int32_t(v);
    return true;
}

bool ParseLine(const QString& line, TWrkListItem& row)
{
    int32_t inv = -1;
    int32_t set = -2;
    int32_t adr = 0;
    QString rest = line;
    const qsizetype c1 = line.indexOf(u',');
    if (c1 >= 0) {
        if (!ParseDec(QStringView(line).left(c1).trimmed(), inv))
            return false;
        const qsizetype c2 = line.indexOf(u',', c1 + 1);
        if (c2 >= 0) {
            if (!ParseDec(QStringView(line).mid(c1 + 1, c2 - c1 - 1).trimmed(), set))
                return false;
            rest = line.mid(c2 + 1);
        } else {
            rest = line.mid(c1 + 1);
        }
    }
    QString remark;
    const qsizetype semi = rest.indexOf(u';');
    QStringView adrText = semi >= 0 ? QStringView(rest).left(semi).trimmed() : QStringView(rest).trimmed();
    if (semi >= 0)
        remark = rest.mid(semi + 1);
    if (!ParseDec(adrText, adr))
        return false;

    row = TWrkListItem{};
    row.Remark = remark;
    if (inv < 0 || inv > 239 || set < -1 || set > 255 || adr < 0 || adr > 0x7FFF) {
        row.Inverter = -1;
        row.SetSel = -1;
        row.Address = -1;
        return true;
    }
    row.Inverter = inv;
    row.SetSel = set;
    row.Address = adr;
    return true;
}

QByteArray WrkFileBytes(const std::array<int, 6>& widths, const QStringList& comments,
                        const std::vector<std::shared_ptr<TWrkListItem>>& rows)
{
    QString text;
    for (int i = 0; i < 6; ++i)
        text += QStringLiteral(";#COLWIDTH_%1=%2\r\n").arg(i).arg(widths[size_t(i)]);
    for (const QString& c : comments)
        text += u';' + c + QStringLiteral("\r\n");
    for (const auto& r : rows) {
        QString remark = r->Remark;
        // A line break would end the row line; the reader would take the
        // rest for a line of its own.
        remark.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        remark.replace(u'\r', u' ');
        remark.replace(u'\n', u' ');
        if (r->IsBlank())
            text += QStringLiteral("-1,-1,-1;") + remark + QStringLiteral("\r\n");
        else
            text += QStringLiteral("%1,%2,%3;").arg(r->Inverter).arg(r->SetSel).arg(r->Address) + remark
                + QStringLiteral("\r\n");
    }
    return toCodePage(text, CodePage::Cp1252, '?');
}

QStringList MemoCommentLines(const QString& Memo)
{
    if (Memo.isEmpty())
        return {};
    QStringList lines = Memo.split(u'\n');
    if (Memo.endsWith(u'\n'))
        lines.removeLast();
    return lines;
}

WrkFileContent ReadWrkFile(const QByteArray& bytes)
{
    WrkFileContent out;
    std::array<bool, 6> seen{};
    for (const QString& line : SplitLines(fromCodePage(bytes, CodePage::Cp1252))) {
        const QString t = line.trimmed();
        if (t.startsWith(QStringLiteral(";#"))) {
            const qsizetype eq = t.indexOf(u'=');
            const QString name = eq >= 0 ? t.left(eq) : t;
            int col = -1;
            for (int i = 0; i < 6; ++i)
                if (name == QStringLiteral(";#COLWIDTH_%1").arg(i))
                    col = i;
            if (col >= 0 && eq >= 0) {
                if (!seen[size_t(col)]) {
                    seen[size_t(col)] = true;
                    int32_t w = 0;
                    if (!ParseDec(QStringView(t).mid(eq + 1).trimmed(), w)) {
                        out.Ok = false;
                        return out;
                    }
                    out.Widths[size_t(col)] = w;
                }
                continue;
            }
        }
        if (t.startsWith(u';')) {
            // Blanks before the ";" are not part of the comment either.
            qsizetype semi = line.indexOf(u';');
            out.Comments.append(line.mid(semi + 1));
            continue;
        }
        auto row = std::make_shared<TWrkListItem>();
        if (ParseLine(line, *row))
            out.Rows.push_back(std::move(row));
    }
    return out;
}

TraceFileContent ReadTraceFile(const QByteArray& bytes)
{
    TraceFileContent out;
    const QStringList lines = SplitLines(fromCodePage(bytes, CodePage::Cp1252));
    if (lines.size() % 2 != 0) {
        out.Ok = false;
        return out;
    }
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        int32_t inv = 0;
        int32_t adr = 0;
        if (!ParseDec(QStringView(lines[i]).trimmed(), inv) || !ParseDec(QStringView(lines[i + 1]).trimmed(), adr)) {
            out.Ok = false;
            return out;
        }
        auto row = std::make_shared<TWrkListItem>();
        row->Inverter = inv;
        row->Address = adr;
        row->SetSel = -1;
        out.Rows.push_back(std::move(row));
    }
    return out;
}

QString Extension(const QString& path)
{
    const qsizetype sep = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > sep ? path.mid(dot) : QString();
}

bool IsTraceFileName(const QString& path)
{
    return Extension(path) == QStringLiteral(".trc");
}

} // namespace wrkfile
