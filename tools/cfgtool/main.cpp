// cfgtool: builds configuration files and second-language files from their
// JSON sources, and dumps a configuration file back to its JSON form.
//
//   cfgtool build <source.json>... --out <folder>
//   cfgtool dump <ParaNNNN.bin> [<out.json>]

#include "config/cfg_file.h"
#include "config/cfg_list.h"
#include "config/file_save.h"
#include "tools/cfgtool/cfg_source.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void printErr(const QString& s)
{
    std::fprintf(stderr, "%s\n", qPrintable(s));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    const int rc = SaveFileAtomically(path, bytes);
    if (rc != 0) {
        printErr(QStringLiteral("cannot write %1 (%2)").arg(path).arg(rc));
        return false;
    }
    return true;
}

int build(const QStringList& sources, const QString& outDir)
{
    if (!QDir().mkpath(outDir)) {
        printErr(QStringLiteral("cannot create %1").arg(outDir));
        return 1;
    }
    int failures = 0;
    for (const QString& path : sources) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            printErr(QStringLiteral("%1: cannot open").arg(path));
            ++failures;
            continue;
        }
        CfgSource src;
        QStringList errors;
        if (CfgSourceFromJsonText(f.readAll(), src, errors))
            errors << CheckHeaderParams(src);
        if (!errors.isEmpty()) {
            for (const QString& e : errors)
                printErr(path + QStringLiteral(": ") + e);
            ++failures;
            continue;
        }
        const QDir dir(outDir);
        const int id = src.cfg->CfgId;
        if (!writeFile(dir.filePath(TVortalinCfgList::BinFileName(id)), BuildCfgFile(*src.cfg, src.layout)))
            ++failures;
        for (const auto& [letter, names] : src.addNames) {
            const QString name = TVortalinCfgList::AddFileName(id, AddLanguageOfLetter(letter));
            if (!writeFile(dir.filePath(name), BuildAddFile(id, names)))
                ++failures;
        }
    }
    return failures ? 1 : 0;
}

int dump(const QString& binFile, const QString& outFile)
{
    QFile f(binFile);
    if (!f.open(QIODevice::ReadOnly)) {
        printErr(QStringLiteral("%1: cannot open").arg(binFile));
        return 1;
    }
    const QByteArray data = f.readAll();
    CfgFileHeader header;
    int rc = ParseCfgHeader(data, header);
    TCfgRec cfg;
    cfg.CfgId = header.cfgId;
    cfg.NewStyle = header.newStyle ? 1 : 0;
    if (rc == 0)
        rc = ParseCfgBody(data, header, cfg, nullptr);
    if (rc != 0) {
        printErr(QStringLiteral("%1: not a readable configuration file (%2)").arg(binFile).arg(rc));
        return 1;
    }
    const QByteArray json = CfgSourceToJsonText(cfg, LayoutOf(header));
    if (outFile.isEmpty()) {
        std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
        return 0;
    }
    return writeFile(outFile, json) ? 0 : 1;
}

int usage()
{
    printErr(QStringLiteral("usage: cfgtool build <source.json>... --out <folder>\n"
                            "       cfgtool dump <ParaNNNN.bin> [<out.json>]"));
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString cmd = args.takeFirst();
    if (cmd == QLatin1String("build")) {
        const qsizetype o = args.indexOf(QStringLiteral("--out"));
        if (o < 0 || o + 1 >= args.size())
            return usage();
        const QString out = args[o + 1];
        args.remove(o, 2);
        if (args.isEmpty())
            return usage();
        return build(args, out);
    }
    if (cmd == QLatin1String("dump") && (args.size() == 1 || args.size() == 2))
        return dump(args[0], args.value(1));
    return usage();
}
