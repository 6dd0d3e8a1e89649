// commprobe over the simulated Profibus DP card: the real program, the
// loader pointed at the card library by the install step, the card set up
// from a file named in the environment.

#include "temp_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

QString built(const QString& rel) { return qeltest::binaryDir() + QLatin1Char('/') + rel; }

class PbsCommProbe : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        for (const char* p : {"tools/commprobe/commprobe", "tools/qel-install/qel-install", "sim/cards/libsimpbs.so"})
            ASSERT_TRUE(QFileInfo::exists(built(QString::fromLatin1(p)))) << p << " not built";
        QProcess install;
        install.start(built(QStringLiteral("tools/qel-install/qel-install")),
                      {"--registry", path("registry.reg"), "--prefix", path("prefix"), "--library",
                       "PAPI.DLL=" + built("sim/cards/libsimpbs.so")});
        ASSERT_TRUE(install.waitForFinished(30000));
        QFile setup(path("card.json"));
        ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
        setup.write(R"({"inverters": [{"address": 4, "cfgid": 4660},
                                       {"address": 6, "cfgid": 33, "fault": "silence*always"}]})");
    }

    int Probe(const QStringList& args, QStringList& lines)
    {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QEL_REGISTRY", path("registry.reg"));
        env.insert("QEL_SIMPBS_SETUP", path("card.json"));
        probe.setProcessEnvironment(env);
        probe.start(built(QStringLiteral("tools/commprobe/commprobe")), args);
        if (!probe.waitForFinished(60000)) {
            probe.kill();
            probe.waitForFinished();
            return -1;
        }
        lines = QString::fromLatin1(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return probe.exitCode();
    }
};

QString Data(std::initializer_list<std::pair<int, const char*>> fields)
{
    QString data(144, QLatin1Char('0'));
    for (const auto& [pos, hex] : fields)
        data.replace(pos * 2, int(strlen(hex)), QString::fromLatin1(hex));
    return data;
}

TEST_F(PbsCommProbe, ParametersProcessDataAndTelegrams)
{
    QStringList lines;
    EXPECT_EQ(Probe({"--prot", "pbs", "--bitrate", "1500000", "--master", "2", "--addr", "4", "read", "-1",
                     "0x160F", "pdwrite", "16", "1", "2", "3", "4", "5", "6", "7", "8", "pdread", "16", "write", "0",
                     "0x0101", "77", "1", "read", "0", "0x0101", "1"},
                    lines),
              0);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "result=0 status=0 data=" + Data({{0, "0F16"}, {2, "3412"}}));
    EXPECT_EQ(lines[2], "result=0 status=0 data=" + Data({{0, "0102030405060708"}}));
    EXPECT_EQ(lines[4], "result=0 status=0 data=" + Data({{0, "010101004D000000"}}));
}

TEST_F(PbsCommProbe, RefusalsSilenceAndWrongArguments)
{
    QStringList lines;
    // Identify is not carried over Profibus DP.
    EXPECT_EQ(Probe({"--prot", "pbs", "--addr", "4", "fbread", "1", "0", "0"}, lines), 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=-104 status=-104 ")) << qPrintable(lines[0]);
    EXPECT_EQ(Probe({"--prot", "pbs", "--addr", "6", "--retries", "1", "read", "-1", "1"}, lines), 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=0 status=-10 ")) << qPrintable(lines[0]);
    EXPECT_EQ(Probe({"--prot", "pbs", "--bitrate", "125000", "read", "-1", "1"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "pbs", "--master", "126", "read", "-1", "1"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "can", "--bitrate", "1500000", "read", "-1", "1"}, lines), 2);
}

} // namespace
