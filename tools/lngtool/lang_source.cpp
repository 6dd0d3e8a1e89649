#include "tools/lngtool/lang_source.h"

#include <QRegularExpression>
#include <QSet>

#include <set>

namespace lngsrc {

namespace {

constexpr int kMaxSection = 19;  // the loader reads at most sections 0 to 19
constexpr int kVersion = 5;
const char kMagic[] = "VORTALIN50_SRB";

QString keyName(int section, int index)
{
    return QStringLiteral("(%1,%2)").arg(section).arg(index);
}

void put16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& b, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((uint32_t(v) >> (8 * i)) & 0xFF));
}

void set32(QByteArray& b, int pos, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[pos + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
}

} // namespace

std::optional<Entry> unescapeEntry(const QString& value, QString* error)
{
    if (value == QLatin1String("\\z"))
        return Entry{};
    Entry lines;
    QString cur;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\')) {
            cur += c;
            continue;
        }
        if (i + 1 >= value.size()) {
            if (error)
                *error = QStringLiteral("backslash at the end of the text");
            return std::nullopt;
        }
        const QChar e = value.at(++i);
        switch (e.unicode()) {
        case 'n':
            lines.append(cur);
            cur.clear();
            break;
        case '\\':
            cur += QLatin1Char('\\');
            break;
        case 't':
            cur += QLatin1Char('\t');
            break;
        case 's':
            cur += QLatin1Char(' ');
            break;
        default:
            if (error)
                *error = QStringLiteral("unknown escape \\%1").arg(e);
            return std::nullopt;
        }
    }
    lines.append(cur);
    return lines;
}

QString escapeEntry(const Entry& entry)
{
    if (entry.isEmpty())
        return QStringLiteral("\\z");
    QStringList parts;
    for (const QString& line : entry) {
        QString out;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            const bool edge = i == 0 || i == line.size() - 1;
            if (c == QLatin1Char('\\'))
                out += QStringLiteral("\\\\");
            else if (c == QLatin1Char('\t'))
                out += QStringLiteral("\\t");
            else if (c == QLatin1Char(' ') && edge)
                out += QStringLiteral("\\s");
            else
                out += c;
        }
        parts.append(out);
    }
    QString joined = parts.join(QStringLiteral("\\n"));
    // A single line that reads like the no-lines marker must stay a line.
    if (joined == QLatin1String("\\z"))
        joined = QStringLiteral("\\\\z");
    return joined;
}

ParseResult parseSource(const QString& text)
{
    ParseResult r;
    static const QRegularExpression sectionRe(QStringLiteral("^\\s*\\[\\s*(-?\\d+)\\s*\\]\\s*$"));
    static const QRegularExpression entryRe(QStringLiteral("^\\s*(-?\\d+)=(.*)$"));

    std::map<int, std::map<int, Entry>> found;
    int section = -1;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines.at(n);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString where = QStringLiteral("line %1: ").arg(n + 1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        if (const auto m = sectionRe.match(line); m.hasMatch()) {
            section = m.captured(1).toInt();
            if (section < 0 || section > kMaxSection) {
                r.errors.append(where + QStringLiteral("section %1 outside 0 to %2").arg(section).arg(kMaxSection));
                section = -1;
                continue;
            }
            if (found.count(section))
                r.errors.append(where + QStringLiteral("section %1 begins a second time").arg(section));
            found[section];
            continue;
        }
        const auto m = entryRe.match(line);
        if (!m.hasMatch()) {
            r.errors.append(where + QStringLiteral("neither a section header nor an entry"));
            continue;
        }
        if (section < 0) {
            r.errors.append(where + QStringLiteral("entry outside a section"));
            continue;
        }
        const int index = m.captured(1).toInt();
        if (index < 0) {
            r.errors.append(where + QStringLiteral("negative index"));
            continue;
        }
        QString err;
        const auto entry = unescapeEntry(m.captured(2), &err);
        if (!entry) {
            r.errors.append(where + err);
            continue;
        }
        auto& sec = found[section];
        if (sec.count(index)) {
            r.errors.append(where + QStringLiteral("entry %1 given twice").arg(keyName(section, index)));
            continue;
        }
        sec[index] = *entry;
    }

    for (auto& [num, entries] : found) {
        Section s;
        int expected = 0;
        for (auto& [index, entry] : entries) {
            if (index != expected) {
                r.errors.append(QStringLiteral("section %1: entries %2 to %3 missing; later entries would shift")
                                    .arg(num)
                                    .arg(expected)
                                    .arg(index - 1));
            }
            expected = index + 1;
            s.push_back(entry);
        }
        r.sections[num] = std::move(s);
    }
    return r;
}

QString formatSource(const Sections& sections)
{
    QString out;
    for (const auto& [num, entries] : sections) {
        if (!out.isEmpty())
            out += QLatin1Char('\n');
        out += QStringLiteral("[%1]\n").arg(num);
        for (size_t i = 0; i < entries.size(); ++i)
            out += QStringLiteral("%1=%2\n").arg(i).arg(escapeEntry(entries[i]));
    }
    return out;
}

QByteArray compile(const Sections& sections, CodePage cp, QStringList* errors)
{
    QStringList errs;
    const int count = sections.empty() ? 0 : sections.rbegin()->first + 1;
    if (!sections.empty() && (sections.begin()->first < 0 || count - 1 > kMaxSection))
        errs.append(QStringLiteral("section numbers must lie in 0 to %1").arg(kMaxSection));

    QByteArray out;
    put16(out, kVersion);
    out.append(kMagic, 14);
    put32(out, count);
    const int table = out.size();
    out.append(QByteArray(4 * std::max(count, 0), '\0'));
    if (errs.isEmpty()) {
        for (int num = 0; num < count; ++num) {
            set32(out, table + 4 * num, out.size());
            const auto it = sections.find(num);
            if (it == sections.end()) {
                put32(out, 0);
                continue;
            }
            put32(out, int32_t(it->second.size()));
            for (size_t i = 0; i < it->second.size(); ++i) {
                const Entry& entry = it->second[i];
                if (entry.size() > 0x7FFF)
                    errs.append(keyName(num, int(i)) + QStringLiteral(": too many lines"));
                put16(out, int(entry.size()));
                for (const QString& line : entry) {
                    for (const QChar c : line) {
                        if (unicodeToCodePage(c.unicode(), cp) < 0) {
                            errs.append(keyName(num, int(i))
                                        + QStringLiteral(": character U+%1 has no place in the code page")
                                              .arg(c.unicode(), 4, 16, QLatin1Char('0')));
                        }
                    }
                    const QByteArray bytes = toCodePage(line, cp);
                    if (bytes.size() > 255)
                        errs.append(keyName(num, int(i)) + QStringLiteral(": a line longer than 255 bytes"));
                    out.append(char(std::min<qsizetype>(bytes.size(), 255)));
                    out.append(bytes.left(255));
                }
            }
        }
    }
    if (errors)
        *errors += errs;
    return errs.isEmpty() ? out : QByteArray();
}

InventoryResult parseInventory(const QString& text)
{
    InventoryResult r;
    std::set<std::pair<int, int>> seen;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool header = true;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines.at(n);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (header) {
            header = false;
            continue;
        }
        const QString where = QStringLiteral("inventory line %1: ").arg(n + 1);
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 7) {
            r.errors.append(where + QStringLiteral("%1 fields, 7 expected").arg(f.size()));
            continue;
        }
        bool ok1 = false, ok2 = false;
        InventoryKey k;
        k.section = f[0].toInt(&ok1);
        k.index = f[1].toInt(&ok2);
        if (!ok1 || !ok2 || k.section < 0 || k.section > kMaxSection || k.index < 0) {
            r.errors.append(where + QStringLiteral("bad section or index"));
            continue;
        }
        k.role = f[2].trimmed();
        k.lines = f[3].trimmed();
        static const QRegularExpression linesRe(QStringLiteral("^(\\d+\\+?|codes)$"));
        if (!linesRe.match(k.lines).hasMatch() || k.lines.startsWith(QLatin1Char('0')))
            r.errors.append(where + QStringLiteral("lines must be a count n, n+ or codes"));
        for (const QString& p : f[4].split(QLatin1Char(','), Qt::SkipEmptyParts))
            k.placeholders.append(p.trimmed());
        k.germanDefault = f[5];
        k.note = f[6];
        if (!seen.insert({k.section, k.index}).second)
            r.errors.append(where + QStringLiteral("key %1 listed twice").arg(keyName(k.section, k.index)));
        r.keys.push_back(k);
    }
    return r;
}

std::vector<int> requiredResultCodes()
{
    std::vector<int> codes;
    for (int i = 1; i <= 16; ++i)
        codes.push_back(i);
    for (int c : {-1, -2, -3, -4, -7, -8, -9, -10, -11, -100, -101, -103, -104, -105, -300, -400, -1010, -1011,
                  -1020})
        codes.push_back(c);
    return codes;
}

QStringList checkAgainstInventory(const Sections& sections, const std::vector<InventoryKey>& keys, bool german)
{
    QStringList faults;
    static const QRegularExpression placeholderRe(QStringLiteral("@[Pp][1-3]"));
    for (const InventoryKey& k : keys) {
        const QString name = keyName(k.section, k.index);
        const auto sec = sections.find(k.section);
        if (sec == sections.end() || k.index >= int(sec->second.size())) {
            faults.append(name + QStringLiteral(" missing"));
            continue;
        }
        const Entry& entry = sec->second[size_t(k.index)];
        if (k.lines != QLatin1String("codes")) {
            const bool atLeast = k.lines.endsWith(QLatin1Char('+'));
            const int n = QStringView(k.lines).left(atLeast ? k.lines.size() - 1 : k.lines.size()).toInt();
            if (!atLeast && entry.size() != n)
                faults.append(name + QStringLiteral(" must have %1 line(s), has %2").arg(n).arg(entry.size()));
            if (atLeast && entry.size() < n)
                faults.append(name + QStringLiteral(" needs at least %1 line(s), has %2").arg(n).arg(entry.size()));
        } else if (entry.isEmpty()) {
            faults.append(name + QStringLiteral(" has no line"));
        }
        const QString all = entry.join(QLatin1Char('\n'));
        // The message dialog takes a leading digit or ":" of a button caption
        // as its glyph code and hides it.
        if (k.role.split(QLatin1Char(',')).contains(QLatin1String("button")) && !entry.isEmpty()
            && !entry.first().isEmpty()
            && (entry.first().front().isDigit() || entry.first().front() == QLatin1Char(':')))
            faults.append(name + QStringLiteral(": a button caption must not begin with a digit or \":\""));
        if (k.lines == QLatin1String("codes")) {
            std::map<QString, QString> byCode;
            for (const QString& line : entry) {
                const qsizetype eq = line.indexOf(QLatin1Char('='));
                if (eq <= 0) {
                    faults.append(name + QStringLiteral(": line \"%1\" is not code=text").arg(line));
                    continue;
                }
                byCode.emplace(line.left(eq), line.mid(eq + 1));
            }
            for (int code : requiredResultCodes()) {
                const auto it = byCode.find(QString::number(code));
                if (it == byCode.end() || it->second.trimmed().isEmpty())
                    faults.append(name + QStringLiteral(": no text for result code %1").arg(code));
            }
        }
        QSet<QString> used;
        auto it = placeholderRe.globalMatch(all);
        while (it.hasNext())
            used.insert(it.next().captured(0).toUpper());
        for (const QString& p : k.placeholders) {
            if (!all.contains(p))
                faults.append(name + QStringLiteral(" lacks the placeholder %1").arg(p));
        }
        for (const QString& p : used) {
            if (!k.placeholders.contains(p))
                faults.append(name + QStringLiteral(" uses %1, which its caller does not fill").arg(p));
        }
        if (german && !k.germanDefault.isEmpty()) {
            const auto def = unescapeEntry(k.germanDefault);
            if (!def)
                faults.append(name + QStringLiteral(": German default in the inventory is not a valid value"));
            else if (*def != entry)
                faults.append(name + QStringLiteral(": German text differs from the built-in default \"%1\"")
                                         .arg(k.germanDefault));
        }
    }
    return faults;
}

} // namespace lngsrc
