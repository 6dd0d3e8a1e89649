// commprobe over both simulated cards: the real program, the loader
// pointed at the card libraries by the install step, the cards set up
// from a file named in the environment.

#include "temp_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

QString built(const QString& rel) { return qeltest::binaryDir() + QLatin1Char('/') + rel; }

class CardCommProbe : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        for (const char* p : {"tools/commprobe/commprobe", "tools/qel-install/qel-install"})
            ASSERT_TRUE(QFileInfo(built(QString::fromLatin1(p))).isExecutable()) << p << " not built";
        QProcess install;
        install.start(built(QStringLiteral("tools/qel-install/qel-install")),
                      {"--registry", path("registry.reg"), "--prefix", path("prefix"), "--library",
                       "nican.DLL=" + built("sim/cards/libsimcan.so"), "--library",
                       "IBDDIWNT.DLL=" + built("sim/cards/libsimibs.so")});
        ASSERT_TRUE(install.waitForFinished(30000));
        QFile setup(path("cards.json"));
        ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
        setup.write(R"({"inverters": [{"address": 4, "cfgid": 4660},
                                       {"address": 6, "cfgid": 33, "fault": "silence*always"}]})");
    }

    int Probe(const QStringList& args, QStringList& lines)
    {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QEL_REGISTRY", path("registry.reg"));
        env.insert("QEL_SIMCAN_SETUP", path("cards.json"));
        env.insert("QEL_SIMIBS_SETUP", path("cards.json"));
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

// The 72 data bytes as printed, with `hex` at byte `pos`.
QString Data(std::initializer_list<std::pair<int, const char*>> fields)
{
    QString data(144, QLatin1Char('0'));
    for (const auto& [pos, hex] : fields)
        data.replace(pos * 2, int(strlen(hex)), QString::fromLatin1(hex));
    return data;
}

TEST_F(CardCommProbe, ParametersVariablesAndProcessDataOverBothCards)
{
    for (const char* prot : {"can", "ibs"}) {
        QStringList lines;
        EXPECT_EQ(Probe({"--prot", prot, "--addr", "4", "read", "-1", "0x160F", "pdwrite", "16", "1", "2", "3",
                         "4", "5", "6", "7", "8", "pdread", "16", "write", "0", "0x0101", "77", "1", "read", "0",
                         "0x0101", "1"},
                        lines),
                  0)
            << prot;
        ASSERT_EQ(lines.size(), 5) << prot;
        EXPECT_EQ(lines[0], "result=0 status=0 data=" + Data({{0, "0F16"}, {2, "3412"}})) << prot;
        EXPECT_EQ(lines[2], "result=0 status=0 data=" + Data({{0, "0102030405060708"}})) << prot;
        EXPECT_EQ(lines[4], "result=0 status=0 data=" + Data({{0, "010101004D000000"}})) << prot;
    }
    QStringList lines;
    EXPECT_EQ(Probe({"--prot", "can", "--card-id", "CAN0", "--bitrate", "125000", "--addr", "4", "fbread", "4", "0",
                     "0"},
                    lines),
              0);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], "result=0 status=0 data=" + Data({{0, "04"}, {5, "0105"}}));
    EXPECT_EQ(Probe({"--prot", "ibs", "--card", "2", "--addr", "4", "fbread", "1", "0", "0"}, lines), 0);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=0 status=0 data=01000000001251454C0D")) << qPrintable(lines[0]);
}

TEST_F(CardCommProbe, SilentInverterAndWrongArguments)
{
    QStringList lines;
    EXPECT_EQ(Probe({"--prot", "can", "--addr", "6", "--retries", "1", "--timeout", "50", "read", "-1", "1"}, lines),
              1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=0 status=-10 ")) << qPrintable(lines[0]);
    EXPECT_EQ(Probe({"--prot", "can", "--bitrate", "12345", "read", "-1", "1"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "ibs", "pdread", "18"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "ibs", "fbread", "5", "0", "0"}, lines), 2);
}

} // namespace
