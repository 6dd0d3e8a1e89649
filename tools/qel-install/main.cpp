// qel-install: sets up a user's installation of Halvorn and Quintel.
//
//   qel-install [--prefix DIR] [--registry FILE] [--lang DIR] [--configs DIR]
//               [--help-pages DIR] [--resources DIR] [--language N] [--force]
//               [--port COMn=DEVICE]... [--library NAME=FILE]...
//
// Writes the initial settings that are missing (all of them with --force),
// creates the folders they name and copies the generated files there. Source
// folders default to the build tree the tool was built in.

#include "installer.h"

#include "platform/settings_store.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

// A folder of the build tree next to this tool (build/tools/qel-install/..),
// else the same folder of the source tree it was built from (readable
// files such as help pages are installed as they are).
QString buildTreeDir(const char* rel)
{
    const QString dir = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(
        QStringLiteral("../../") + QString::fromLatin1(rel));
    if (QFileInfo(dir).isDir())
        return QDir::cleanPath(dir);
    const QString src = QStringLiteral(QEL_SOURCE_TREE "/") + QString::fromLatin1(rel);
    return QFileInfo(src).isDir() ? src : QString();
}

bool parsePairs(const QStringList& items, QMap<QString, QString>& out, const char* what)
{
    for (const QString& item : items) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq <= 0) {
            std::fprintf(stderr, "qel-install: %s expects NAME=VALUE, got \"%s\"\n", what, qPrintable(item));
            return false;
        }
        out.insert(item.left(eq), item.mid(eq + 1));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qel-install"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Sets up the settings, folders and files of Halvorn and Quintel for this user."));
    p.addHelpOption();
    const QCommandLineOption prefix(QStringLiteral("prefix"), QStringLiteral("Program folder (default %1).").arg(defaultInstallPrefix()), QStringLiteral("dir"));
    const QCommandLineOption registry(QStringLiteral("registry"), QStringLiteral("Settings store file (default %1).").arg(SettingsStore::defaultPath()), QStringLiteral("file"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Folder of the language files (*.srb)."), QStringLiteral("dir"));
    const QCommandLineOption configs(QStringLiteral("configs"), QStringLiteral("Folder of the configuration files (Para*.bin, LNG*.add)."), QStringLiteral("dir"));
    const QCommandLineOption help(QStringLiteral("help-pages"), QStringLiteral("Folder of the help pages."), QStringLiteral("dir"));
    const QCommandLineOption res(QStringLiteral("resources"), QStringLiteral("Folder of the program icons and splash picture."), QStringLiteral("dir"));
    const QCommandLineOption language(QStringLiteral("language"), QStringLiteral("Initial program language 0..6 (0 English, 1 Deutsch, ...)."), QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Reset every setting to its initial value."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Map a COM port to a device, e.g. COM1=/dev/ttyUSB0."), QStringLiteral("COMn=device"));
    const QCommandLineOption library(QStringLiteral("library"), QStringLiteral("Shared object of a card library, e.g. nican.DLL=/usr/lib/libcan.so."), QStringLiteral("name=file"));
    for (const auto* o : {&prefix, &registry, &lang, &configs, &help, &res, &language, &force, &port, &library})
        p.addOption(*o);
    p.process(app);

    InstallOptions o;
    o.prefix = p.isSet(prefix) ? p.value(prefix) : defaultInstallPrefix();
    o.registryPath = p.isSet(registry) ? p.value(registry) : SettingsStore::defaultPath();
    o.langDir = p.isSet(lang) ? p.value(lang) : buildTreeDir("data/lang");
    o.configDir = p.isSet(configs) ? p.value(configs) : buildTreeDir("data/configs");
    o.helpDir = p.isSet(help) ? p.value(help) : buildTreeDir("data/help");
    o.resourceDir = p.isSet(res) ? p.value(res) : buildTreeDir("data/icons");
    bool ok = false;
    o.progLng = p.value(language).toInt(&ok);
    if (!ok || o.progLng < 0 || o.progLng > 6) {
        std::fprintf(stderr, "qel-install: --language expects 0 to 6\n");
        return 2;
    }
    o.overwriteValues = p.isSet(force);
    if (!parsePairs(p.values(port), o.ports, "--port") || !parsePairs(p.values(library), o.libraries, "--library"))
        return 2;

    InstallReport r;
    const bool done = runInstall(o, r);
    std::printf("settings: %s (%lld written, %lld kept)\n", qPrintable(o.registryPath),
                static_cast<long long>(r.written.size()), static_cast<long long>(r.kept.size()));
    std::printf("files installed: %lld\n", static_cast<long long>(r.copied.size()));
    for (const QString& w : r.warnings)
        std::fprintf(stderr, "qel-install: warning: %s\n", qPrintable(w));
    for (const QString& e : r.errors)
        std::fprintf(stderr, "qel-install: error: %s\n", qPrintable(e));
    return done ? 0 : 1;
}
