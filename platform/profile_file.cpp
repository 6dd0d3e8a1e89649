#include "profile_file.h"

#include <QFile>

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

// "[name]" (blanks allowed around); text after the closing bracket is ignored.
bool parseHeader(const QString& line, QString& name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return true;
}

} // namespace

ProfileFile::ProfileFile(QString filePath, CodePage codePage)
    : path_(std::move(filePath)), codePage_(codePage)
{
}

bool ProfileFile::splitKeyLine(const QString& line, QString& key, QString& value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    key = line.left(eq).trimmed();
    if (key.isEmpty())
        return false;
    value = line.mid(eq + 1).trimmed();
    return true;
}

bool ProfileFile::load()
{
    preamble_.clear();
    sections_.clear();
    QFile f(path_);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;

    QStringList lines = fromCodePage(bytes, codePage_).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the line end of the last line
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        QString name;
        if (parseHeader(line, name)) {
            sections_.append(Section{line, name, {}});
            continue;
        }
        if (sections_.isEmpty())
            preamble_.append(line);
        else
            sections_.last().lines.append(line);
    }
    return true;
}

QByteArray ProfileFile::serialize() const
{
    QString text;
    for (const QString& l : preamble_)
        text += l + QStringLiteral("\r\n");
    for (const Section& s : sections_) {
        text += s.header + QStringLiteral("\r\n");
        for (const QString& l : s.lines)
            text += l + QStringLiteral("\r\n");
    }
    return toCodePage(text, codePage_);
}

int ProfileFile::findSection(const QString& name) const
{
    const QString n = name.trimmed();
    for (int i = 0; i < sections_.size(); ++i)
        if (sameName(sections_[i].name, n))
            return i;
    return -1;
}

int ProfileFile::findKeyLine(const Section& s, const QString& key) const
{
    const QString k = key.trimmed();
    QString lineKey, value;
    for (int i = 0; i < s.lines.size(); ++i)
        if (splitKeyLine(s.lines[i], lineKey, value) && sameName(lineKey, k))
            return i;
    return -1;
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const
{
    const int s = findSection(section);
    if (s < 0)
        return defaultValue;
    const int l = findKeyLine(sections_[s], key);
    if (l < 0)
        return defaultValue;
    QString k, v;
    splitKeyLine(sections_[s].lines[l], k, v);
    return v;
}

bool ProfileFile::hasKey(const QString& section, const QString& key) const
{
    const int s = findSection(section);
    return s >= 0 && findKeyLine(sections_[s], key) >= 0;
}

bool ProfileFile::hasSection(const QString& section) const
{
    return findSection(section) >= 0;
}

int ProfileFile::lineOf(const QString& section, const QString& key) const
{
    const int s = findSection(section);
    const int l = s < 0 ? -1 : findKeyLine(sections_[s], key);
    if (l < 0)
        return 0;
    // Every line read is kept, so the count of lines before it is its place.
    int line = int(preamble_.size());
    for (int i = 0; i < s; ++i)
        line += 1 + int(sections_[i].lines.size());
    return line + 1 + l + 1;
}

QStringList ProfileFile::sectionLines(const QString& section) const
{
    QStringList out;
    const int s = findSection(section);
    if (s < 0)
        return out;
    for (const QString& l : sections_[s].lines) {
        const QString t = l.trimmed();
        if (!t.isEmpty())
            out.append(t);
    }
    return out;
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QString sec = section.trimmed();
    const QString k = key.trimmed();
    if (sec.isEmpty() || k.isEmpty() || hasBreak(sec) || hasBreak(k) || hasBreak(value)
        || sec.contains(u']') || k.contains(u'=') || k.startsWith(u'['))
        return false;

    const QString line = k + u'=' + value;
    int s = findSection(sec);
    if (s < 0) {
        // A blank line before a new section, unless the file is empty.
        if (!sections_.isEmpty()) {
            QStringList& prev = sections_.last().lines;
            if (prev.isEmpty() || !prev.last().trimmed().isEmpty())
                prev.append(QString());
        } else if (!preamble_.isEmpty() && !preamble_.last().trimmed().isEmpty()) {
            preamble_.append(QString());
        }
        sections_.append(Section{u'[' + sec + u']', sec, {}});
        s = int(sections_.size()) - 1;
    }
    Section& target = sections_[s];
    const int at = findKeyLine(target, k);
    if (at >= 0) {
        target.lines[at] = line;
        return true;
    }
    // After the last non-blank line of the section, so that a blank line
    // separating it from the next section stays in place.
    qsizetype pos = target.lines.size();
    while (pos > 0 && target.lines[pos - 1].trimmed().isEmpty())
        --pos;
    target.lines.insert(pos, line);
    return true;
}
