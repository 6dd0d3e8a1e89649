// The configuration file index: which files are read, which records come
// from the cache, when "binfiles.lst" is rewritten, and what invalid or
// odd files are listed as.

#include "config/bin_file_index.h"
#include "config/cfg_file.h"
#include "config/prog_cfg.h"

#include "temp_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QByteArray cfgBytes(int cfgId, const QString& group, const QString& type, CfgFileLayout layout = {})
{
    TCfgRec cfg;
    cfg.CfgId = cfgId;
    cfg.NewStyle = 1;
    cfg.GroupName = group;
    cfg.TypeName = type;
    return BuildCfgFile(cfg, layout);
}

class CfgIndexTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        ASSERT_TRUE(QDir(dir()).mkpath(QStringLiteral("bin")));
        ASSERT_TRUE(QDir(dir()).mkpath(QStringLiteral("data")));
        binDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        dataDir = path(QStringLiteral("data"));
        indexFile = dataDir + QStringLiteral("/binfiles.lst");
        SetCfgIndexMessageHandler([this](const QString& text) { messages << text; });
    }
    void TearDown() override { SetCfgIndexMessageHandler({}); }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(binDir + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    static void setTime(const QString& file, const QDateTime& t)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
    }
    TCfgScanReport scan(TCfgFileList& out) { return ScanCfgFiles(binDir, dataDir, out); }
    const TCfgFileRec* find(const TCfgFileList& l, const QString& fileName) const
    {
        for (const auto& r : l)
            if (r.FileName == fileName)
                return &r;
        return nullptr;
    }
    TCfgFileList indexOnDisk() const
    {
        QFile f(indexFile);
        return f.open(QIODevice::ReadOnly) ? ParseCfgIndexFile(f.readAll()) : TCfgFileList{};
    }

    QString binDir, dataDir, indexFile;
    QStringList messages;
};

TEST_F(CfgIndexTest, FirstStartReadsEveryMatchingFileAndWritesTheIndex)
{
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12"));
    write("para0013.BIN", cfgBytes(13, "Vortex", "VX-13"));                      // case of the name ignored
    write("PARA0014.bin", cfgBytes(15, "Vortex", "VX-15"));                      // number differs from the name
    QByteArray v51 = cfgBytes(16, "Old", "V51");
    v51[0] = char(-51), v51[1] = char(0xFF);                                     // version -51
    write("Para0016.bin", v51);
    write("Para0017.bin", cfgBytes(17, "x", "y", {kCfgFileVersion, false, true})); // no configuration info
    write("Para0018.bin", cfgBytes(18, "Cut", "Cut").left(40));                  // info offset beyond the end
    write("Para0019.bin", cfgBytes(19, "Old", "V52", {kCfgFileOldVersion, true, false}));
    write("ParaAB12.bin", cfgBytes(12, "No", "Number"));                         // no number in the name
    write("Para00120.bin", cfgBytes(12, "Long", "Name"));                        // not the pattern
    write("Other.bin", cfgBytes(12, "Other", "Name"));

    TCfgFileList list;
    const TCfgScanReport rep = scan(list);
    EXPECT_EQ(rep.filesRead, 7);
    EXPECT_TRUE(rep.indexWritten);
    EXPECT_TRUE(messages.isEmpty());

    struct Expect { const char* file; int id; const char* group; const char* type; };
    const Expect expected[] = {
        {"Para0012.", 12, "Vortex", "VX-12"},
        {"para0013.", 13, "Vortex", "VX-13"},
        {"PARA0014.", 14, "(invalid files)", "(invalid file)"},
        {"Para0016.", 16, "(invalid files)", "(invalid file)"},
        {"Para0017.", 17, "", ""},
        {"Para0018.", 18, "(invalid files)", "(invalid file)"},
        {"Para0019.", 19, "Old", "V52"},
    };
    ASSERT_EQ(list.size(), std::size(expected));
    for (size_t i = 0; i < list.size(); ++i) {
        const TCfgFileRec& r = list[i];
        const Expect& e = expected[i];
        EXPECT_EQ(r.FileName, QLatin1String(e.file)) << i;
        EXPECT_EQ(r.CfgId, e.id) << e.file;
        EXPECT_EQ(r.GroupName, QLatin1String(e.group)) << e.file;
        EXPECT_EQ(r.TypeName, QLatin1String(e.type)) << e.file;
        const QString full = binDir + QLatin1String(e.file) + (i == 1 ? "BIN" : "bin");
        EXPECT_EQ(r.FileSize, QFileInfo(full).size()) << e.file;
        EXPECT_EQ(r.FileTime, CfgFileTime(full)) << e.file;
    }
    EXPECT_EQ(indexOnDisk(), list);
}

TEST_F(CfgIndexTest, UnchangedFilesComeFromTheIndexWithoutOpeningOrRewriting)
{
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12"));
    write("Para0021.bin", cfgBytes(21, "Vortex", "VX-21"));
    TCfgFileList first;
    scan(first);

    // Same size and time but other names: only opening the file would show them.
    const QDateTime stamp = QFileInfo(binDir + "Para0012.bin").lastModified();
    write("Para0012.bin", cfgBytes(12, "Vortix", "VY-12"));
    setTime(binDir + "Para0012.bin", stamp);
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    setTime(indexFile, old);

    TCfgFileList second;
    const TCfgScanReport rep = scan(second);
    EXPECT_EQ(rep.filesRead, 0);
    EXPECT_FALSE(rep.indexChanged);
    EXPECT_FALSE(rep.indexWritten);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second[0].TypeName, QStringLiteral("VX-12"));
    EXPECT_EQ(QFileInfo(indexFile).lastModified(), old);
}

TEST_F(CfgIndexTest, ChangedNewAndVanishedFilesUpdateTheIndex)
{
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12"));
    write("Para0021.bin", cfgBytes(21, "Vortex", "VX-21"));
    write("Para0022.bin", cfgBytes(22, "Vortex", "VX-22"));
    TCfgFileList first;
    scan(first);

    const QDateTime stamp = QFileInfo(binDir + "Para0021.bin").lastModified();
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12 long") + QByteArray(4, '\0'));  // size changed
    write("Para0021.bin", cfgBytes(21, "Vortex", "VX-2X"));        // same size, older time
    setTime(binDir + "Para0021.bin", stamp.addDays(-3));
    ASSERT_TRUE(QFile::remove(binDir + "Para0022.bin"));
    write("Para0025.bin", cfgBytes(25, "Vortex", "VX-25"));

    TCfgFileList second;
    const TCfgScanReport rep = scan(second);
    EXPECT_EQ(rep.filesRead, 3);
    EXPECT_TRUE(rep.indexWritten);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0].TypeName, QStringLiteral("VX-12 long"));
    EXPECT_EQ(second[1].TypeName, QStringLiteral("VX-2X"));
    EXPECT_EQ(second[2].TypeName, QStringLiteral("VX-25"));
    EXPECT_EQ(find(second, "Para0022."), nullptr);
    EXPECT_EQ(indexOnDisk(), second);

    // Only a vanished file: nothing to read, but the index is rewritten.
    ASSERT_TRUE(QFile::remove(binDir + "Para0025.bin"));
    TCfgFileList third;
    const TCfgScanReport rep3 = scan(third);
    EXPECT_EQ(rep3.filesRead, 0);
    EXPECT_TRUE(rep3.indexWritten);
    EXPECT_EQ(indexOnDisk(), third);
    EXPECT_EQ(third.size(), 2u);
}

TEST_F(CfgIndexTest, ForeignOrDamagedIndexCountsAsEmptyFromWhereItBreaks)
{
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12"));
    write("Para0021.bin", cfgBytes(21, "Vortex", "VX-21"));
    TCfgFileList first;
    scan(first);
    QFile f(indexFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    ASSERT_EQ(good.size(), 8 + 2 * 116);

    struct Case { const char* what; QByteArray bytes; int read; };
    QByteArray version2 = good;
    version2[0] = 2;
    QByteArray huge = good;
    huge[4] = char(0xFF), huge[5] = char(0xFF), huge[6] = char(0xFF), huge[7] = char(0x7F);
    const Case cases[] = {
        {"other version", version2, 2},
        {"second record cut", good.left(8 + 116 + 50), 1},
        {"count beyond the records", huge, 0},
        {"empty file", QByteArray(), 2},
    };
    for (const Case& c : cases) {
        QFile w(indexFile);
        ASSERT_TRUE(w.open(QIODevice::WriteOnly | QIODevice::Truncate));
        w.write(c.bytes);
        w.close();
        TCfgFileList list;
        const TCfgScanReport rep = scan(list);
        EXPECT_EQ(rep.filesRead, c.read) << c.what;
        EXPECT_EQ(list, first) << c.what;
        // Whatever was read, the file on disk is the full index again (or
        // untouched when nothing changed).
        EXPECT_EQ(indexOnDisk(), first) << c.what;
    }
}

TEST_F(CfgIndexTest, IndexThatCannotBeWrittenIsReportedOnce)
{
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12"));
    write("Para0021.bin", cfgBytes(21, "Vortex", "VX-21"));
    QFile blocker(path("notadir"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString badData = path("notadir/data");

    TCfgFileList list;
    const TCfgScanReport rep = ScanCfgFiles(binDir, badData, list);
    EXPECT_TRUE(rep.writeFailed);
    EXPECT_EQ(list.size(), 2u);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Cannot write index file: ") + badData + QStringLiteral("/binfiles.lst"));
}

TEST_F(CfgIndexTest, ProgramSettingsScanTheirDirectories)
{
    write("Para0012.bin", cfgBytes(12, "Vortex", "VX-12"));
    TProgCfg cfg;
    cfg.BinPath = path("bin");          // without the final separator
    cfg.DataPath = dataDir + QLatin1Char('/');  // with one
    cfg.CfgFileList.push_back({});   // the scan appends
    cfg.ScanBinFiles();
    ASSERT_EQ(cfg.CfgFileList.size(), 2u);
    EXPECT_EQ(cfg.CfgFileList[1].TypeName, QStringLiteral("VX-12"));
    EXPECT_TRUE(QFile::exists(indexFile));
}

TEST(CfgFileTimeTest, DosPackedDateAndTimeInUtc)
{
    QTemporaryDir tmp;
    const QString f = tmp.filePath(QStringLiteral("Para0001.bin"));
    QFile file(f);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    struct Case { QDateTime t; uint32_t packed; };
    const Case cases[] = {
        {QDateTime(QDate(2026, 12, 10), QTime(12, 34, 57), Qt::UTC),
         (46u << 25) | (12u << 21) | (10u << 16) | (12u << 11) | (34u << 5) | 28u},
        {QDateTime(QDate(1975, 1, 1), QTime(0, 0, 0), Qt::UTC), (1u << 21) | (1u << 16)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(file.setFileTime(c.t, QFileDevice::FileModificationTime));
        EXPECT_EQ(static_cast<uint32_t>(CfgFileTime(f)), c.packed) << c.t.toString().toStdString();
    }
}

} // namespace
