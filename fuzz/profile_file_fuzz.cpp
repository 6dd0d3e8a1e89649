// The profile-file layer's reader: load, read every section and key,
// change a value and write the file out again, which must read back the
// same.

#include "platform/profile_file.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = qelfuzz::writeScratch(QStringLiteral("profile.ini"), data, size);
    ProfileFile pf(path);
    if (!pf.load())
        return 0;
    const QStringList sections = pf.sectionNames();
    for (const QString& section : sections) {
        pf.sectionLines(section);
        for (const QString& key : pf.keyNames(section))
            pf.readString(section, key, QStringLiteral("default"));
    }
    pf.writeString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), QStringLiteral("x"));
    if (!sections.isEmpty())
        pf.eraseSection(sections.first());
    // What is written reads back as the same file.
    const QByteArray once = pf.serialize();
    const QString again = qelfuzz::writeScratch(QStringLiteral("again.ini"), reinterpret_cast<const uint8_t*>(once.constData()), size_t(once.size()));
    ProfileFile pf2(again);
    if (!pf2.load() || pf2.serialize() != once)
        __builtin_trap();
    return 0;
}
