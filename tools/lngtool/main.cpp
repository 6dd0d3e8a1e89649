// lngtool: compiles language sources to ".srb" language files, dumps a
// language file back to its source form, and checks a source against the key
// inventory.
//
//   lngtool compile <source> <out.srb> [--codepage 1252|1251]
//   lngtool dump <in.srb> [<out source>] [--codepage 1252|1251]
//   lngtool check <source> <inventory.tsv> [--german]

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

#include "config/lang_texts.h"
#include "tools/lngtool/lang_source.h"

namespace {

int usage()
{
    std::fputs("usage: lngtool compile <source> <out.srb> [--codepage 1252|1251]\n"
               "       lngtool dump <in.srb> [<out source>] [--codepage 1252|1251]\n"
               "       lngtool check <source> <inventory.tsv> [--german]\n",
               stderr);
    return 2;
}

void report(const QString& text)
{
    std::fputs(qUtf8Printable(text + QLatin1Char('\n')), stderr);
}

bool readUtf8(const QString& path, QString* text)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return false;
    }
    *text = QString::fromUtf8(f.readAll());
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        report(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
        return false;
    }
    return true;
}

lngsrc::ParseResult readSource(const QString& path, bool* ok)
{
    QString text;
    *ok = readUtf8(path, &text);
    if (!*ok)
        return {};
    lngsrc::ParseResult r = lngsrc::parseSource(text);
    for (const QString& e : r.errors)
        report(path + QStringLiteral(": ") + e);
    *ok = r.errors.isEmpty();
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);

    CodePage cp = CodePage::Cp1252;
    if (const qsizetype i = args.indexOf(QStringLiteral("--codepage")); i >= 0) {
        if (i + 1 >= args.size())
            return usage();
        const QString v = args.at(i + 1);
        if (v == QLatin1String("1251"))
            cp = CodePage::Cp1251;
        else if (v != QLatin1String("1252"))
            return usage();
        args.remove(i, 2);
    }
    const bool german = args.removeAll(QStringLiteral("--german")) > 0;
    if (args.isEmpty())
        return usage();
    const QString cmd = args.takeFirst();

    if (cmd == QLatin1String("compile") && args.size() == 2) {
        bool ok = false;
        const lngsrc::ParseResult src = readSource(args[0], &ok);
        if (!ok)
            return 1;
        QStringList errors;
        const QByteArray bytes = lngsrc::compile(src.sections, cp, &errors);
        for (const QString& e : errors)
            report(args[0] + QStringLiteral(": ") + e);
        if (!errors.isEmpty())
            return 1;
        return writeFile(args[1], bytes) ? 0 : 1;
    }

    if (cmd == QLatin1String("dump") && (args.size() == 1 || args.size() == 2)) {
        TVortalinText texts;
        texts.SetVersion(5);
        if (!texts.LoadFromFile(args[0], cp)) {
            report(QStringLiteral("%1 is not a complete language file").arg(args[0]));
            return 1;
        }
        lngsrc::Sections sections;
        for (int s = 0; s < TVortalinText::MaxSections; ++s) {
            if (!texts.HasSection(s))
                continue;
            lngsrc::Section& sec = sections[s];
            for (int i = 0; i < texts.SectionSize(s); ++i)
                sec.push_back(*texts.GetStrings(s, i));
        }
        const QByteArray out = lngsrc::formatSource(sections).toUtf8();
        if (args.size() == 2)
            return writeFile(args[1], out) ? 0 : 1;
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return 0;
    }

    if (cmd == QLatin1String("check") && args.size() == 2) {
        bool ok = false;
        const lngsrc::ParseResult src = readSource(args[0], &ok);
        QString invText;
        if (!readUtf8(args[1], &invText))
            return 1;
        const lngsrc::InventoryResult inv = lngsrc::parseInventory(invText);
        for (const QString& e : inv.errors)
            report(args[1] + QStringLiteral(": ") + e);
        const QStringList faults = lngsrc::checkAgainstInventory(src.sections, inv.keys, german);
        for (const QString& f : faults)
            report(args[0] + QStringLiteral(": ") + f);
        return ok && inv.errors.isEmpty() && faults.isEmpty() ? 0 : 1;
    }

    return usage();
}
