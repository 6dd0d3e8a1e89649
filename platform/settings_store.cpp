#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// True when `path` lies strictly below `parent`.
bool isBelow(const QString& path, const QString& parent)
{
    return path.size() > parent.size() + 1 && path.at(parent.size()) == u'\\'
        && sameName(path.left(parent.size()), parent);
}

QString escaped(const QString& s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += u'"';
    for (QChar c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

// Reads a quoted string starting at text[pos] == '"'. On success `pos` is
// just past the closing quote.
bool unquote(const QString& text, qsizetype& pos, QString& out)
{
    out.clear();
    qsizetype i = pos + 1;
    while (i < text.size()) {
        QChar c = text.at(i);
        if (c == u'"') {
            pos = i + 1;
            return true;
        }
        if (c == u'\\' && i + 1 < text.size()
            && (text.at(i + 1) == u'\\' || text.at(i + 1) == u'"')) {
            out += text.at(i + 1);
            i += 2;
            continue;
        }
        out += c;
        ++i;
    }
    return false;
}

QString decodeFile(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {  // a Windows export in UTF-16LE
        QStringDecoder dec(QStringDecoder::Utf16LE);
        return dec(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

} // namespace

SettingsStore::SettingsStore(QString filePath) : path_(std::move(filePath)) {}

QString SettingsStore::defaultPath()
{
    QString over = qEnvironmentVariable("QEL_REGISTRY");
    if (!over.isEmpty())
        return over;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/qel/registry.reg");
}

const QString& SettingsStore::rootKey()
{
    static const QString root = QStringLiteral("HKEY_CURRENT_USER\\");
    return root;
}

QString SettingsStore::normalizeKey(const QString& key)
{
    // Until nothing changes: dropping a backslash at either end can bare a
    // blank there (" \\A", "A \\"), which the reader trims off the bracketed
    // path, so a single pass would write a key that reads back as another.
    QString out = key;
    for (;;) {
        QString next;
        next.reserve(out.size());
        for (QChar c : out.trimmed()) {
            if (c == u'\\' && (next.isEmpty() || next.endsWith(u'\\')))
                continue;
            next += c;
        }
        while (next.endsWith(u'\\'))
            next.chop(1);
        if (next == out)
            return out;
        out = next;
    }
}

int SettingsStore::findKey(const QList<Key>& keys, const QString& path)
{
    for (int i = 0; i < keys.size(); ++i)
        if (sameName(keys[i].path, path))
            return i;
    return -1;
}

int SettingsStore::findValue(const Key& key, const QString& name)
{
    for (int i = 0; i < key.values.size(); ++i)
        if (sameName(key.values[i].name, name))
            return i;
    return -1;
}

bool SettingsStore::parse(const QByteArray& bytes, QList<Key>& out)
{
    out.clear();
    const QStringList lines = decodeFile(bytes).split(u'\n');
    int current = -1;  // index into out, -1: outside any key
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(u';'))
            continue;
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            QString path = t.mid(1, t.size() - 2).trimmed();
            if (path.startsWith(u'-')) {  // a deletion entry of an import file
                current = -1;
                continue;
            }
            // Normalized before and after the root goes, so that blanks or
            // backslashes in front of the root do not keep it in the path.
            path = normalizeKey(path);
            if (path.startsWith(rootKey(), Qt::CaseInsensitive))
                path = normalizeKey(path.mid(rootKey().size()));
            if (path.isEmpty()) {
                current = -1;
                continue;
            }
            current = findKey(out, path);
            if (current < 0) {
                out.append(Key{path, {}});
                current = int(out.size()) - 1;
            }
            continue;
        }
        if (current < 0 || (t.at(0) != u'"' && t.at(0) != u'@'))
            continue;  // not a value line: nothing the store can keep

        Value v;
        qsizetype pos = 0;
        if (t.at(0) == u'@') {
            pos = 1;
        } else if (!unquote(t, pos, v.name)) {
            continue;
        }
        while (pos < t.size() && t.at(pos).isSpace())
            ++pos;
        if (pos >= t.size() || t.at(pos) != u'=')
            continue;
        ++pos;
        while (pos < t.size() && t.at(pos).isSpace())
            ++pos;
        QString data = t.mid(pos);

        bool typed = false;
        if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QString hex = data.mid(6).trimmed();
            bool ok = false;
            const quint32 d = hex.toUInt(&ok, 16);
            if (ok && !hex.isEmpty() && hex.size() <= 8) {
                v.type = Type::Dword;
                v.dword = d;
                typed = true;
            }
        } else if (data.startsWith(u'"')) {
            qsizetype p = 0;
            QString s;
            if (unquote(data, p, s) && data.mid(p).trimmed().isEmpty()) {
                v.type = Type::String;
                v.text = s;
                typed = true;
            }
        }
        if (!typed) {
            // Kept as found, with its continuation lines.
            v.type = Type::Other;
            v.raw = data;
            while (v.raw.endsWith(u'\\') && n + 1 < lines.size()) {
                QString next = lines[n + 1];
                // Every carriage return at the end goes, as with the first
                // line: the writer ends lines with LF alone, so a kept one
                // would be lost on the next reading.
                while (next.endsWith(u'\r'))
                    next.chop(1);
                // A blank line ends the value: the writer puts one after
                // every key, and a value whose last line ends in a
                // backslash would take it in and grow by a line per save.
                if (next.trimmed().isEmpty())
                    break;
                ++n;
                v.raw += u'\n' + next;
            }
        }
        Key& key = out[current];
        const int at = findValue(key, v.name);
        if (at >= 0)
            key.values[at] = v;  // a later line wins, as on import
        else
            key.values.append(v);
    }
    return true;
}

QByteArray SettingsStore::serialize() const
{
    QString s = QString::fromLatin1(kHeader) + QStringLiteral("\n\n");
    for (const Key& key : keys_) {
        // A path that itself begins like the root, or with the minus of a
        // deletion entry, gets the root in front, which reading takes off
        // again.
        const bool rootLike = key.path.startsWith(rootKey(), Qt::CaseInsensitive) || key.path.startsWith(u'-');
        s += u'[' + (rootLike ? rootKey() + key.path : key.path) + QStringLiteral("]\n");
        for (const Value& v : key.values) {
            s += v.name.isEmpty() ? QStringLiteral("@") : escaped(v.name);
            s += u'=';
            switch (v.type) {
            case Type::Dword:
                s += QStringLiteral("dword:%1").arg(v.dword, 8, 16, QLatin1Char('0'));
                break;
            case Type::String:
                s += escaped(v.text);
                break;
            case Type::Other:
                s += v.raw;
                break;
            }
            s += u'\n';
        }
        s += u'\n';
    }
    return s.toUtf8();
}

bool SettingsStore::load()
{
    QFile f(path_);
    if (!f.exists()) {
        keys_.clear();
        ops_.clear();
        return true;
    }
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QList<Key> keys;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError || !parse(bytes, keys))
        return false;
    keys_ = std::move(keys);
    ops_.clear();
    return true;
}

bool SettingsStore::save()
{
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath()))
        return false;

    // Serialises the read-modify-write against other programs saving the
    // same file.
    QLockFile lock(path_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000))
        return false;

    QList<Key> fresh;
    QFile in(path_);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError || !parse(bytes, fresh))
            return false;
        in.close();
    }
    for (const Op& op : ops_)
        apply(fresh, op);  // a change that no longer applies is simply dropped

    SettingsStore merged(path_);
    merged.keys_ = fresh;
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = merged.serialize();
    if (out.write(bytes) != bytes.size() || !out.commit())
        return false;
    keys_ = std::move(fresh);
    ops_.clear();
    return true;
}

SettingsStore::Status SettingsStore::apply(QList<Key>& keys, const Op& op)
{
    const QString path = op.key;
    switch (op.kind) {
    case Op::CreateKey: {
        // Every parent gets its own entry, as in an export, so that a
        // parent survives the deletion of its last child.
        qsizetype from = 0;
        while (true) {
            const qsizetype sep = path.indexOf(u'\\', from);
            const QString part = sep < 0 ? path : path.left(sep);
            if (findKey(keys, part) < 0)
                keys.append(Key{part, {}});
            if (sep < 0)
                break;
            from = sep + 1;
        }
        return Status::Ok;
    }
    case Op::DeleteKey: {
        bool found = false;
        for (qsizetype i = keys.size() - 1; i >= 0; --i) {
            if (sameName(keys[i].path, path) || isBelow(keys[i].path, path)) {
                keys.removeAt(i);
                found = true;
            }
        }
        return found ? Status::Ok : Status::KeyMissing;
    }
    case Op::SetValue: {
        Op create{Op::CreateKey, path, {}};
        apply(keys, create);
        Key& key = keys[findKey(keys, path)];
        const int at = findValue(key, op.value.name);
        if (at >= 0) {
            Value v = op.value;
            v.name = key.values[at].name;  // keep the case first written
            key.values[at] = v;
        } else {
            key.values.append(op.value);
        }
        return Status::Ok;
    }
    case Op::DeleteValue: {
        const int k = findKey(keys, path);
        if (k < 0)
            return Status::KeyMissing;
        const int at = findValue(keys[k], op.value.name);
        if (at < 0)
            return Status::ValueMissing;
        keys[k].values.removeAt(at);
        return Status::Ok;
    }
    }
    return Status::Invalid;
}

SettingsStore::Status SettingsStore::record(Op op)
{
    op.key = normalizeKey(op.key);
    // Line breaks cannot be carried by the file; a ']' would end the key line.
    const auto breaks = [](const QString& s) { return s.contains(u'\n') || s.contains(u'\r'); };
    if (op.key.isEmpty() || breaks(op.key) || op.key.contains(u']') || breaks(op.value.name))
        return Status::Invalid;
    const Status st = apply(keys_, op);
    if (st == Status::Ok)
        ops_.append(std::move(op));
    return st;
}

bool SettingsStore::keyExists(const QString& key) const
{
    const QString path = normalizeKey(key);
    if (path.isEmpty())
        return false;
    for (const Key& k : keys_)
        if (sameName(k.path, path) || isBelow(k.path, path))
            return true;
    return false;
}

SettingsStore::Status SettingsStore::createKey(const QString& key)
{
    return record(Op{Op::CreateKey, key, {}});
}

SettingsStore::Status SettingsStore::deleteKey(const QString& key)
{
    return record(Op{Op::DeleteKey, key, {}});
}

QStringList SettingsStore::subKeyNames(const QString& key) const
{
    const QString path = normalizeKey(key);
    QStringList out;
    for (const Key& k : keys_) {
        QString rest;
        if (path.isEmpty())
            rest = k.path;
        else if (isBelow(k.path, path))
            rest = k.path.mid(path.size() + 1);
        else
            continue;
        const QString child = rest.section(u'\\', 0, 0);
        if (!out.contains(child, Qt::CaseInsensitive))
            out.append(child);
    }
    return out;
}

const SettingsStore::Value* SettingsStore::lookup(const QString& key, const QString& name,
                                                  Status& status) const
{
    const int k = findKey(keys_, normalizeKey(key));
    if (k < 0) {
        status = keyExists(key) ? Status::ValueMissing : Status::KeyMissing;
        return nullptr;
    }
    const int at = findValue(keys_[k], name);
    if (at < 0) {
        status = Status::ValueMissing;
        return nullptr;
    }
    status = Status::Ok;
    return &keys_[k].values[at];
}

SettingsStore::Status SettingsStore::readDword(const QString& key, const QString& name,
                                               quint32& out) const
{
    Status st;
    const Value* v = lookup(key, name, st);
    if (!v)
        return st;
    if (v->type != Type::Dword)
        return Status::WrongType;
    out = v->dword;
    return Status::Ok;
}

SettingsStore::Status SettingsStore::readString(const QString& key, const QString& name,
                                                QString& out) const
{
    Status st;
    const Value* v = lookup(key, name, st);
    if (!v)
        return st;
    if (v->type != Type::String)
        return Status::WrongType;
    out = v->text;
    return Status::Ok;
}

SettingsStore::Status SettingsStore::valueType(const QString& key, const QString& name,
                                               Type& out) const
{
    Status st;
    const Value* v = lookup(key, name, st);
    if (v)
        out = v->type;
    return st;
}

QStringList SettingsStore::valueNames(const QString& key) const
{
    QStringList out;
    const int k = findKey(keys_, normalizeKey(key));
    if (k >= 0)
        for (const Value& v : keys_[k].values)
            out.append(v.name);
    return out;
}

SettingsStore::Status SettingsStore::writeDword(const QString& key, const QString& name,
                                                quint32 value)
{
    Value v;
    v.name = name;
    v.type = Type::Dword;
    v.dword = value;
    return record(Op{Op::SetValue, key, v});
}

SettingsStore::Status SettingsStore::writeString(const QString& key, const QString& name,
                                                 const QString& value)
{
    // The file format has no way to carry a line break inside a string.
    if (value.contains(u'\n') || value.contains(u'\r'))
        return Status::Invalid;
    Value v;
    v.name = name;
    v.type = Type::String;
    v.text = value;
    return record(Op{Op::SetValue, key, v});
}

SettingsStore::Status SettingsStore::deleteValue(const QString& key, const QString& name)
{
    Value v;
    v.name = name;
    return record(Op{Op::DeleteValue, key, v});
}
