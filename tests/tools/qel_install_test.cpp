#include "installer.h"

#include "config/prog_cfg.h"
#include "platform/settings_store.h"

#include "temp_dir.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using St = SettingsStore::Status;

QString S(const char* s) { return QString::fromLatin1(s); }
const QString kQuintel = S("Software\\QEL\\Quintel5");

class QelInstallTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        opts.prefix = path(S("home/share/qel"));
        opts.registryPath = path(S("home/config/qel/registry.reg"));
        opts.langDir = makeSource(S("lang"), {S("lngproge.srb"), S("lngprogd.srb"), S("cpe.srb"), S("readme.txt")});
        opts.configDir = makeSource(S("configs"), {S("Para0003.bin"), S("LNG0003d.add"), S("other.bin")});
        opts.helpDir = makeSource(S("help"), {S("Halvorne.html"), S("pic.png")});
    }

    QString makeSource(const QString& name, const QStringList& files)
    {
        const QString dir = path(S("src/") + name);
        QDir().mkpath(dir);
        for (const QString& f : files) {
            QFile out(dir + u'/' + f);
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(f.toUtf8());
        }
        return dir;
    }

    QByteArray registryBytes() const
    {
        QFile f(opts.registryPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    bool mainProgramLoads() const
    {
        TProgCfg cfg;
        cfg.RegistryPath = opts.registryPath;
        return cfg.LoadFromRegistry();
    }

    InstallOptions opts;
};

TEST_F(QelInstallTest, FreshInstallGivesLoadableSettingsFoldersAndFiles)
{
    InstallReport r;
    ASSERT_TRUE(runInstall(opts, r)) << r.errors.join(u'\n').toStdString();
    EXPECT_TRUE(r.kept.isEmpty());

    TProgCfg cfg;
    cfg.RegistryPath = opts.registryPath;
    ASSERT_TRUE(cfg.LoadFromRegistry());
    const InstallPaths p = InstallPaths::under(opts.prefix);
    EXPECT_EQ(cfg.ApplicationPath, p.application);
    EXPECT_TRUE(cfg.ApplicationPath.endsWith(u'/'));
    EXPECT_EQ(cfg.BinPath, p.bin);
    EXPECT_EQ(cfg.DataPath, p.data);
    EXPECT_FALSE(cfg.DataPath.endsWith(u'/'));  // the programs add the separator before binfiles.lst
    EXPECT_TRUE(cfg.BinPath.endsWith(u'/'));    // file names are appended directly
    EXPECT_EQ(cfg.Din.Baudrate, B_9600);  // CloseCom present: no +3
    EXPECT_TRUE(QFileInfo(p.data).isDir());

    // The second program's required values are there with their types.
    SettingsStore s(opts.registryPath);
    ASSERT_TRUE(s.load());
    quint32 d = 0;
    for (const char* name : {"Inverter", "Proglng", "Paralng", "SendSingle", "Baudrate", "Comport", "TimeOut", "Protocol"})
        EXPECT_EQ(s.readDword(kQuintel, S(name), d), St::Ok) << name;
    EXPECT_TRUE(s.keyExists(S("Software\\QEL\\Ports")));
    EXPECT_TRUE(s.keyExists(S("Software\\QEL\\Libraries")));

    // Files where the settings point; nothing that is not theirs.
    for (const char* f : {"lngproge.srb", "lngprogd.srb", "cpe.srb", "Halvorne.html", "pic.png", "configs/Para0003.bin",
                          "configs/LNG0003d.add"})
        EXPECT_TRUE(QFileInfo::exists(p.application + S(f))) << f;
    EXPECT_FALSE(QFileInfo::exists(p.application + S("readme.txt")));
    EXPECT_FALSE(QFileInfo::exists(p.bin + S("other.bin")));
}

TEST_F(QelInstallTest, SecondRunChangesNothingAndKeepsUserValues)
{
    InstallReport first;
    ASSERT_TRUE(runInstall(opts, first));
    const QByteArray once = registryBytes();
    InstallReport second;
    ASSERT_TRUE(runInstall(opts, second));
    EXPECT_EQ(registryBytes(), once);
    EXPECT_TRUE(second.written.isEmpty());
    EXPECT_EQ(second.kept.size(), first.written.size());

    // What a user set stays; a value of the wrong type is repaired.
    SettingsStore s(opts.registryPath);
    ASSERT_TRUE(s.load());
    const QString appl = S("Software\\QEL\\Vortalin5\\Appl");
    s.writeDword(appl, S("ProgLng"), 1);
    s.writeString(appl, S("DataPath"), path(S("mydata/")));
    s.writeString(kQuintel, S("TimeOut"), S("oops"));
    ASSERT_TRUE(s.save());
    InstallReport third;
    ASSERT_TRUE(runInstall(opts, third));
    EXPECT_EQ(third.written, QStringList{kQuintel + S("\\TimeOut")});
    ASSERT_TRUE(s.load());
    quint32 d = 0;
    QString text;
    EXPECT_EQ(s.readDword(appl, S("ProgLng"), d), St::Ok);
    EXPECT_EQ(d, 1u);
    EXPECT_EQ(s.readString(appl, S("DataPath"), text), St::Ok);
    EXPECT_EQ(text, path(S("mydata/")));
    EXPECT_TRUE(QFileInfo(path(S("mydata"))).isDir());  // the folder the setting names
    EXPECT_EQ(s.readDword(kQuintel, S("TimeOut"), d), St::Ok);

    // Asked to, it resets them.
    opts.overwriteValues = true;
    InstallReport forced;
    ASSERT_TRUE(runInstall(opts, forced));
    ASSERT_TRUE(s.load());
    EXPECT_EQ(s.readDword(appl, S("ProgLng"), d), St::Ok);
    EXPECT_EQ(d, 0u);
}

TEST_F(QelInstallTest, RemovedRequiredValueIsInvalidUntilReinstalled)
{
    InstallReport r;
    ASSERT_TRUE(runInstall(opts, r));
    ASSERT_TRUE(mainProgramLoads());
    SettingsStore s(opts.registryPath);
    ASSERT_TRUE(s.load());
    ASSERT_EQ(s.deleteValue(S("Software\\QEL\\Vortalin5\\Din"), S("TimeOut")), St::Ok);
    ASSERT_TRUE(s.save());
    EXPECT_FALSE(mainProgramLoads());  // "Invalid registry"
    InstallReport again;
    ASSERT_TRUE(runInstall(opts, again));
    EXPECT_TRUE(mainProgramLoads());
}

TEST_F(QelInstallTest, AddingCloseComKeepsTheBaudRateAnOldStoreMeant)
{
    SettingsStore s(opts.registryPath);
    const QString din = S("Software\\QEL\\Vortalin5\\Din");
    s.writeDword(din, S("Baudrate"), 2);  // from 9600: 38400
    ASSERT_TRUE(s.save());
    InstallReport r;
    ASSERT_TRUE(runInstall(opts, r));
    TProgCfg cfg;
    cfg.RegistryPath = opts.registryPath;
    ASSERT_TRUE(cfg.LoadFromRegistry());
    EXPECT_EQ(cfg.Din.Baudrate, B_38400);
    EXPECT_FALSE(cfg.Din.CloseCom);
}

TEST_F(QelInstallTest, FilesFollowMovedDirectoriesAndPortsAndLibrariesAreWritten)
{
    SettingsStore s(opts.registryPath);
    const QString appl = S("Software\\QEL\\Vortalin5\\Appl");
    s.writeString(appl, S("BinPath"), path(S("elsewhere/bin/")));
    s.writeDword(appl, S("EnableAltApplPath"), 1);
    s.writeString(appl, S("AlternateApplPath"), path(S("alt/")));
    ASSERT_TRUE(s.save());
    opts.ports.insert(S("com2"), S("/dev/ttyUSB1"));
    opts.libraries.insert(S("nican.DLL"), S("/opt/lib/libsimcan.so"));
    InstallReport r;
    ASSERT_TRUE(runInstall(opts, r)) << r.errors.join(u'\n').toStdString();
    EXPECT_TRUE(QFileInfo::exists(path(S("elsewhere/bin/Para0003.bin"))));
    EXPECT_TRUE(QFileInfo::exists(path(S("alt/lngproge.srb"))));
    EXPECT_TRUE(QFileInfo::exists(path(S("alt/Halvorne.html"))));
    // The second program has its own directory: its language file goes there.
    const InstallPaths p = InstallPaths::under(opts.prefix);
    EXPECT_TRUE(QFileInfo::exists(p.application + S("cpe.srb")));
    EXPECT_FALSE(QFileInfo::exists(path(S("alt/cpe.srb"))));
    EXPECT_TRUE(QFileInfo::exists(p.bin + S("Para0003.bin")));  // the second program's BinPath

    ASSERT_TRUE(s.load());
    QString text;
    EXPECT_EQ(s.readString(S("Software\\QEL\\Ports"), S("COM2"), text), St::Ok);
    EXPECT_EQ(text, S("/dev/ttyUSB1"));
    EXPECT_EQ(s.readString(S("Software\\QEL\\Libraries"), S("NICAN.dll"), text), St::Ok);
    EXPECT_EQ(text, S("/opt/lib/libsimcan.so"));
}

TEST(QelInstallPaths, RelativePrefixIsStoredAbsolute)
{
    const InstallPaths p = InstallPaths::under(S("inst/qel"));
    EXPECT_EQ(p.application, QDir::current().absoluteFilePath(S("inst/qel")) + u'/');
    EXPECT_EQ(p.bin, p.application + S("configs/"));
    EXPECT_EQ(p.data, p.application + S("data"));
}

TEST_F(QelInstallTest, MissingSourceFolderFails)
{
    opts.configDir = path(S("nowhere"));
    InstallReport r;
    EXPECT_FALSE(runInstall(opts, r));
    ASSERT_FALSE(r.errors.isEmpty());
    EXPECT_TRUE(r.errors.first().contains(S("nowhere")));
}

TEST_F(QelInstallTest, CommandLine)
{
    const QString tool = qeltest::binaryDir() + S("/tools/qel-install/qel-install");
    if (!QFileInfo::exists(tool))
        GTEST_SKIP() << "qel-install not built";
    const QStringList args = {S("--prefix"), opts.prefix, S("--registry"), opts.registryPath, S("--lang"), opts.langDir,
                              S("--configs"), opts.configDir, S("--help-pages"), opts.helpDir, S("--resources"),
                              opts.helpDir, S("--language"), S("1"), S("--port"), S("COM1=/dev/pts/9")};
    QProcess proc;
    proc.start(tool, args);
    ASSERT_TRUE(proc.waitForFinished(30000));
    EXPECT_EQ(proc.exitCode(), 0) << proc.readAllStandardError().toStdString();
    TProgCfg cfg;
    cfg.RegistryPath = opts.registryPath;
    ASSERT_TRUE(cfg.LoadFromRegistry());
    EXPECT_EQ(cfg.ProgLng, 1);

    proc.start(tool, {S("--registry"), opts.registryPath, S("--prefix"), opts.prefix, S("--language"), S("9")});
    ASSERT_TRUE(proc.waitForFinished(30000));
    EXPECT_NE(proc.exitCode(), 0);
}

} // namespace
