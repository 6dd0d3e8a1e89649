// The profile-file layer's reader: load, read the sections a project file
// has and every key in them, change a value and write the file out again,
// which must read back the same.

#include "platform/profile_file.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = qelfuzz::writeScratch(QStringLiteral("profile.ini"), data, size);
    ProfileFile pf(path);
    if (!pf.load())
        return 0;
    for (const char* section : {"PROJECT", "REMARKS", "GLOBALFILES", "INV0", "FILES0", "WINDOW0"}) {
        const QString name = QString::fromLatin1(section);
        for (const QString& line : pf.sectionLines(name)) {
            const QString key = line.section(u'=', 0, 0);
            pf.hasKey(name, key);
            pf.readString(name, key, QStringLiteral("default"));
        }
    }
    pf.writeString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), QStringLiteral("x"));
    // What is written reads back as the same file.
    const QByteArray once = pf.serialize();
    const QString again = qelfuzz::writeScratch(QStringLiteral("again.ini"), reinterpret_cast<const uint8_t*>(once.constData()), size_t(once.size()));
    ProfileFile pf2(again);
    if (!pf2.load() || pf2.serialize() != once)
        __builtin_trap();
    return 0;
}
