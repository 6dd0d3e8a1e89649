// The settings store's file reader (.reg syntax): load, walk every key and
// value, then change a value and save, which reads the file again and
// replays the change onto it. What it writes must read back the same.

#include "platform/settings_store.h"

#include "fuzz_support.h"

namespace {

void walk(const SettingsStore& s, const QString& key, int depth)
{
    for (const QString& name : s.valueNames(key)) {
        quint32 d = 0;
        QString text;
        s.readDword(key, name, d);
        s.readString(key, name, text);
    }
    if (depth >= 8)
        return;
    for (const QString& sub : s.subKeyNames(key))
        walk(s, key.isEmpty() ? sub : key + u'\\' + sub, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = qelfuzz::writeScratch(QStringLiteral("registry.reg"), data, size);
    SettingsStore s(path);
    if (!s.load())
        return 0;
    walk(s, QString(), 0);
    // What is written reads back as the same store.
    const QByteArray once = s.serialize();
    const QString again = qelfuzz::writeScratch(QStringLiteral("again.reg"), reinterpret_cast<const uint8_t*>(once.constData()), size_t(once.size()));
    SettingsStore s2(again);
    if (!s2.load() || s2.serialize() != once)
        __builtin_trap();
    // Saving replaces the file safely (and slowly): every fourth input.
    if (size % 4 == 0) {
        s.writeDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("lng"), 1);
        s.save();
    }
    return 0;
}
