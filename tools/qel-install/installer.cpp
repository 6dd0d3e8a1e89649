#include "installer.h"

#include "platform/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>

namespace {

using St = SettingsStore::Status;

constexpr quint32 B9600Index = 3;  // index of 9600 bit/s in the baud-rate table

const QString kVortalin = QStringLiteral("Software\\QEL\\Vortalin5");
const QString kDefPrj = kVortalin + QStringLiteral("\\DefPrj");
const QString kPrjExpl = kVortalin + QStringLiteral("\\PrjExpl");
const QString kAppl = kVortalin + QStringLiteral("\\Appl");
const QString kDin = kVortalin + QStringLiteral("\\Din");
const QString kZelk = kVortalin + QStringLiteral("\\Zelk");
const QString kIP = kVortalin + QStringLiteral("\\IP");
const QString kCAN = kVortalin + QStringLiteral("\\CAN");
const QString kPBS = kVortalin + QStringLiteral("\\PBS");
const QString kManual = QStringLiteral("Software\\QEL\\Document\\Manual");
const QString kQuintel = QStringLiteral("Software\\QEL\\Quintel5");
const QString kPorts = QStringLiteral("Software\\QEL\\Ports");
const QString kLibraries = QStringLiteral("Software\\QEL\\Libraries");

QString withSlash(const QString& dir)
{
    QString d = QDir::cleanPath(dir);
    if (!d.endsWith(u'/'))
        d += u'/';
    return d;
}

InitialValue dw(const QString& key, const char* name, quint32 v)
{
    return InitialValue{key, QString::fromLatin1(name), false, v, {}};
}

InitialValue sz(const QString& key, const char* name, const QString& v)
{
    return InitialValue{key, QString::fromLatin1(name), true, 0, v};
}

// The directory a program reads: the stored value, or its alternate when
// the switch is on and the alternate exists (as the main program does).
QString effectiveDir(const SettingsStore& s, const QString& key, const char* name,
                     const char* altSwitch = nullptr, const char* altName = nullptr)
{
    QString dir;
    s.readString(key, QString::fromLatin1(name), dir);
    if (altSwitch) {
        quint32 on = 0;
        QString alt;
        if (s.readDword(key, QString::fromLatin1(altSwitch), on) == St::Ok && on != 0
            && s.readString(key, QString::fromLatin1(altName), alt) == St::Ok)
            dir = alt;
    }
    return dir;
}

// Copies through a temporary file in the target folder, then renames, so
// that a program starting meanwhile never reads half a file.
bool copyReplacing(const QString& src, const QString& dst, QString& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path to = fs::path(dst.toStdString());
    const fs::path tmp = fs::path((dst + QStringLiteral(".part")).toStdString());
    fs::copy_file(fs::path(src.toStdString()), tmp, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(tmp, to, ec);
    if (ec) {
        fs::remove(tmp);
        error = QStringLiteral("%1: %2").arg(dst, QString::fromStdString(ec.message()));
        return false;
    }
    return true;
}

// Files of `srcDir` matching `filters` (without case) into each folder of
// `targets`. A chooser may send a file to some targets only.
void copyFiles(const QString& srcDir, const QStringList& filters, const QStringList& targets,
               InstallReport& report, const std::function<bool(const QString&, int)>& wanted = {})
{
    const QFileInfoList files = QDir(srcDir).entryInfoList(filters, QDir::Files, QDir::Name);
    for (const QFileInfo& f : files) {
        for (int t = 0; t < targets.size(); ++t) {
            if (wanted && !wanted(f.fileName(), t))
                continue;
            const QString dst = targets[t] + f.fileName();
            QString error;
            if (copyReplacing(f.absoluteFilePath(), dst, error))
                report.copied << dst;
            else
                report.errors << QStringLiteral("cannot install %1").arg(error);
        }
    }
}

bool sourceUsable(const QString& dir, const char* what, InstallReport& report)
{
    if (dir.isEmpty()) {
        report.warnings << QStringLiteral("no %1 folder given: none installed").arg(QString::fromLatin1(what));
        return false;
    }
    if (!QFileInfo(dir).isDir()) {
        report.errors << QStringLiteral("%1 folder %2 does not exist").arg(QString::fromLatin1(what), dir);
        return false;
    }
    return true;
}

QStringList unique(const QStringList& dirs)
{
    QStringList out;
    for (const QString& d : dirs)
        if (!d.isEmpty() && !out.contains(d))
            out << d;
    return out;
}

} // namespace

InstallPaths InstallPaths::under(const QString& prefix)
{
    // The programs start from anywhere: a relative prefix is taken from the
    // folder the install step runs in, not stored as given.
    const QString p = withSlash(QDir(prefix).absolutePath());
    return InstallPaths{p, p + QStringLiteral("configs/"), p + QStringLiteral("data")};
}

QString defaultInstallPrefix()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/qel");
}

QList<InitialValue> initialValues(const InstallPaths& p, int progLng)
{
    const quint32 lang = quint32(std::clamp(progLng, 0, 6));
    return {
        // Main program: default project.
        dw(kDefPrj, "MinInvAdr", 0),
        dw(kDefPrj, "MaxInvAdr", 31),
        dw(kDefPrj, "Ansi", 1),
        dw(kDefPrj, "Zelk", 0),
        dw(kDefPrj, "IBS", 0),
        dw(kDefPrj, "IP", 0),
        dw(kDefPrj, "CAN", 0),
        dw(kDefPrj, "PBS", 0),
        dw(kDefPrj, "WatchInterval", 5),
        // Project explorer.
        dw(kPrjExpl, "ShowPlainTextInfo", 1),
        dw(kPrjExpl, "ShowParaInfo", 1),
        dw(kPrjExpl, "ShowInvisible", 0),
        dw(kPrjExpl, "ShowSupervisor", 0),
        // Program.
        sz(kAppl, "ApplicationPath", p.application),
        sz(kAppl, "BinPath", p.bin),
        sz(kAppl, "DataPath", p.data),
        dw(kAppl, "lng", 0),
        dw(kAppl, "CloseOnCancel", 1),
        dw(kAppl, "CloseOnOK", 1),
        dw(kAppl, "NoAdvHelpMenu", 0),
        dw(kAppl, "ShowDecValue", 0),
        dw(kAppl, "ChangeDownloadProperties", 0),
        dw(kAppl, "EnableFbsWindow", 0),
        dw(kAppl, "DwnHighPriority", 0),
        sz(kAppl, "Separator", QStringLiteral("+")),
        dw(kAppl, "PtMode", 0),
        dw(kAppl, "ProgLng", lang),
        dw(kAppl, "SecondLng", 1),
        sz(kAppl, "AppName", QStringLiteral("Halvorn")),
        sz(kAppl, "AppPicture", QStringLiteral("halvorn_splash.png")),
        sz(kAppl, "AppIcon", QStringLiteral("halvorn.png")),
        sz(kAppl, "Vendor", QStringLiteral("QEL")),
        dw(kAppl, "EnableAltBinPath", 0),
        dw(kAppl, "EnableAltApplPath", 0),
        // Serial drivers: 9600 bit/s on COM1.
        dw(kDin, "SendSingle", 0),
        dw(kDin, "Baudrate", B9600Index),
        dw(kDin, "Comport", 0),
        dw(kDin, "TimeOut", 100),
        sz(kDin, "ModemCmd", QString()),
        dw(kDin, "CloseCom", 0),
        dw(kZelk, "SendSingle", 0),
        dw(kZelk, "Baudrate", B9600Index),
        dw(kZelk, "Comport", 0),
        dw(kZelk, "TimeOut", 100),
        dw(kZelk, "CloseCom", 0),
        // IP, CAN and Profibus DP drivers.
        sz(kIP, "Host", QStringLiteral("127.0.0.1")),
        dw(kIP, "Port", 5010),
        dw(kIP, "TimeOut", 500),
        dw(kIP, "UDP", 1),
        sz(kCAN, "CardId", QStringLiteral("CAN0")),
        dw(kCAN, "Baudrate", 12),  // 500K
        dw(kCAN, "TimeOut", 200),
        dw(kCAN, "WaitTOut", 0),
        dw(kPBS, "Masteraddress", 1),
        dw(kPBS, "Baudrate", 5),  // 500K
        dw(kPBS, "TimeOut", 200),
        // The manual of the help menu: none.
        sz(kManual, "Path", QString()),
        // Second program.
        dw(kQuintel, "Inverter", 1),
        sz(kQuintel, "ApplicationPath", p.application),
        sz(kQuintel, "BinPath", p.bin),
        sz(kQuintel, "DataPath", p.data),
        dw(kQuintel, "Proglng", lang),
        dw(kQuintel, "Paralng", 0),
        sz(kQuintel, "AppName", QStringLiteral("Quintel")),
        sz(kQuintel, "AppIcon", QStringLiteral("quintel.png")),
        dw(kQuintel, "SendSingle", 0),
        dw(kQuintel, "Baudrate", B9600Index),
        dw(kQuintel, "Comport", 0),
        dw(kQuintel, "TimeOut", 100),
        dw(kQuintel, "Protocol", 1),
    };
}

void writeInitialValues(SettingsStore& store, const InstallPaths& paths, int progLng,
                        bool overwrite, InstallReport& report)
{
    // A serial key from before the CloseCom switch counts its baud index
    // from 9600; adding the switch must not change the rate it means.
    for (const QString& key : {kDin, kZelk}) {
        quint32 baud = 0, closeCom = 0;
        if (!overwrite && store.readDword(key, QStringLiteral("CloseCom"), closeCom) == St::ValueMissing
            && store.readDword(key, QStringLiteral("Baudrate"), baud) == St::Ok) {
            store.writeDword(key, QStringLiteral("Baudrate"), std::min<quint32>((baud & 0xFF) + 3, 7));
            report.written << key + QStringLiteral("\\Baudrate");
        }
    }

    for (const InitialValue& v : initialValues(paths, progLng)) {
        const QString id = v.key + u'\\' + v.name;
        SettingsStore::Type type = SettingsStore::Type::Other;
        const St st = store.valueType(v.key, v.name, type);
        const bool usable = st == St::Ok
            && type == (v.isString ? SettingsStore::Type::String : SettingsStore::Type::Dword);
        if (usable && !overwrite) {
            report.kept << id;
            continue;
        }
        const St w = v.isString ? store.writeString(v.key, v.name, v.text)
                                : store.writeDword(v.key, v.name, v.dword);
        if (w == St::Ok)
            report.written << id;
        else
            report.errors << QStringLiteral("cannot write %1").arg(id);
    }
    // The project's own keys; their values are written only when asked.
    store.createKey(kPorts);
    store.createKey(kLibraries);
}

bool runInstall(const InstallOptions& o, InstallReport& report)
{
    const InstallPaths paths = InstallPaths::under(o.prefix);
    SettingsStore store(o.registryPath);
    if (!store.load()) {
        report.errors << QStringLiteral("cannot read the settings store %1").arg(o.registryPath);
        return false;
    }
    writeInitialValues(store, paths, o.progLng, o.overwriteValues, report);
    for (auto it = o.ports.begin(); it != o.ports.end(); ++it)
        if (store.writeString(kPorts, it.key().toUpper(), it.value()) != St::Ok)
            report.errors << QStringLiteral("cannot map %1").arg(it.key());
    for (auto it = o.libraries.begin(); it != o.libraries.end(); ++it)
        if (store.writeString(kLibraries, it.key(), it.value()) != St::Ok)
            report.errors << QStringLiteral("cannot set library %1").arg(it.key());
    if (!store.save()) {
        report.errors << QStringLiteral("cannot write the settings store %1").arg(o.registryPath);
        return false;
    }

    // Files go where the settings point, which may be where a user moved them.
    const QString mainApp = effectiveDir(store, kAppl, "ApplicationPath", "EnableAltApplPath", "AlternateApplPath");
    const QString mainBin = effectiveDir(store, kAppl, "BinPath", "EnableAltBinPath", "AlternateBinPath");
    const QString mainData = effectiveDir(store, kAppl, "DataPath");
    const QString cpApp = effectiveDir(store, kQuintel, "ApplicationPath");
    const QString cpBin = effectiveDir(store, kQuintel, "BinPath");
    const QString cpData = effectiveDir(store, kQuintel, "DataPath");

    const QStringList folders = unique({mainApp, mainBin, mainData, cpApp, cpBin, cpData});
    for (const QString& d : folders)
        if (!QDir().mkpath(d))
            report.errors << QStringLiteral("cannot create folder %1").arg(d);
    if (!report.errors.isEmpty())
        return false;

    // The file name is appended to the stored directory directly, so the
    // directory is used as the programs use it.
    const QStringList langTargets = {mainApp, cpApp};
    if (sourceUsable(o.langDir, "language", report)) {
        const qsizetype before = report.copied.size();
        copyFiles(o.langDir, {QStringLiteral("*.srb")}, langTargets, report,
                  [](const QString& name, int target) {
                      const bool second = name.startsWith(QStringLiteral("cp"), Qt::CaseInsensitive);
                      return target == (second ? 1 : 0);
                  });
        if (report.copied.size() == before)
            report.warnings << QStringLiteral("no language files in %1").arg(o.langDir);
    }
    if (sourceUsable(o.configDir, "configuration", report)) {
        const qsizetype before = report.copied.size();
        copyFiles(o.configDir, {QStringLiteral("Para*.bin"), QStringLiteral("LNG*.add")}, unique({mainBin, cpBin}),
                  report);
        if (report.copied.size() == before)
            report.warnings << QStringLiteral("no configuration files in %1").arg(o.configDir);
    }
    // Pages and their pictures only: the build tree's help folder also holds
    // the build system's files, the source tree's its CMakeLists.txt.
    if (sourceUsable(o.helpDir, "help", report))
        copyFiles(o.helpDir,
                  {QStringLiteral("*.html"), QStringLiteral("*.png"), QStringLiteral("*.gif"),
                   QStringLiteral("*.jpg"), QStringLiteral("*.svg"), QStringLiteral("*.css")},
                  {mainApp}, report);
    if (sourceUsable(o.resourceDir, "resource", report))
        copyFiles(o.resourceDir, {QStringLiteral("*")}, unique({mainApp, cpApp}), report);
    return report.errors.isEmpty();
}
