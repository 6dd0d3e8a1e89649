// commprobe end to end: the real program through the protocol selector and
// the DIN 66019 II driver to invsim on a fresh pseudo-terminal.

#include "temp_dir.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString program(const QString& relPath)
{
    return qeltest::binaryDir() + QLatin1Char('/') + relPath;
}

// Runs commprobe to its end; returns its exit code, fills its output lines.
int runProbe(const QStringList& args, QStringList& lines, QString& errText)
{
    QProcess probe;
    probe.start(program(QStringLiteral("tools/commprobe/commprobe")), args);
    if (!probe.waitForFinished(30000)) {
        probe.kill();
        probe.waitForFinished();
        errText = QStringLiteral("commprobe did not finish");
        return -1;
    }
    lines = QString::fromLatin1(probe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    errText = QString::fromLatin1(probe.readAllStandardError());
    return probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
}

// invsim on a fresh pseudo-terminal, with the line options given.
struct InvsimLine : ::testing::Test {
    QProcess sim;
    QString pty;

    void startSim(const QStringList& args)
    {
        const QString invsim = program(QStringLiteral("sim/invsim"));
        const QString probe = program(QStringLiteral("tools/commprobe/commprobe"));
        ASSERT_TRUE(QFileInfo(invsim).isExecutable()) << qPrintable(invsim) << " not built";
        ASSERT_TRUE(QFileInfo(probe).isExecutable()) << qPrintable(probe) << " not built";
        sim.start(invsim, args);
        ASSERT_TRUE(sim.waitForStarted(10000));
        while (!sim.canReadLine())
            ASSERT_TRUE(sim.waitForReadyRead(10000)) << "invsim printed no path";
        pty = QString::fromLatin1(sim.readLine()).trimmed();
        ASSERT_FALSE(pty.isEmpty());
    }
    void TearDown() override
    {
        sim.terminate();
        if (!sim.waitForFinished(5000)) {
            sim.kill();
            sim.waitForFinished();
        }
    }
};

struct CommProbeE2E : InvsimLine {
    void SetUp() override { startSim({"--addr", "3", "--baud", "38400"}); }

    QStringList line() const
    {
        return {QStringLiteral("--device"), pty, QStringLiteral("--baud"), QStringLiteral("38400"),
                QStringLiteral("--addr"), QStringLiteral("3"), QStringLiteral("--timeout"),
                QStringLiteral("200")};
    }
};

// The 72 data bytes as printed, with `hex` at byte `pos`.
QString dataWith(int pos, const QString& hex)
{
    QString data(144, QLatin1Char('0'));
    data.replace(pos * 2, hex.size(), hex);
    return data;
}

TEST_F(CommProbeE2E, WritesAndReadsBackAndCyclesThroughTheScheduler)
{
    QStringList lines;
    QString err;
    // Service 0 with set byte 1, then plain access (service -1).
    const QStringList cmds = {"write", "0", "0x0203", "0x12345678", "1", "read", "0", "0x0203", "1",
                              "write", "-1", "0x0204", "-2", "read", "-1", "0x0204"};
    ASSERT_EQ(runProbe(line() + cmds, lines, err), 0) << qPrintable(err);
    ASSERT_EQ(lines.size(), 4) << qPrintable(lines.join('\n'));
    EXPECT_EQ(lines[0], "result=0 status=0 data=" + dataWith(0, ""));
    EXPECT_EQ(lines[1], "result=0 status=0 data=" + dataWith(4, "78563412"));
    EXPECT_EQ(lines[3], "result=0 status=0 data=" + dataWith(0, "0402FEFF")); // address echoed, then the value

    // A refusal comes back as the inverter's error number.
    ASSERT_EQ(runProbe(line() + QStringList{"read", "2", "0x0203"}, lines, err), 1) << qPrintable(err);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(QRegularExpression("^result=0 status=([1-9]|1[0-5]) data=").match(lines[0]).hasMatch())
        << qPrintable(lines[0]);

    ASSERT_EQ(runProbe(line() + QStringList{"--cycle", "25", "read", "0", "0x0203", "1"}, lines, err), 0)
        << qPrintable(err);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(QRegularExpression("^count=25 failures=0 seconds=[0-9]+\\.[0-9]{3}$").match(lines[0]).hasMatch())
        << qPrintable(lines[0]);
}

struct CommProbeZelkE2E : InvsimLine {
    void SetUp() override { startSim({"--zelk", "--addr", "3", "--baud", "38400"}); }
};

TEST_F(CommProbeZelkE2E, WritesAndReadsBackOnTheBinaryTelegramLine)
{
    QStringList lines;
    QString err;
    const QStringList args = {"--prot", "zelk", "--device", pty, "--baud", "38400", "--addr", "3", "--timeout", "200",
                              "write", "0", "0x0203", "0x12345678", "1", "read", "0", "0x0203", "1"};
    ASSERT_EQ(runProbe(args, lines, err), 0) << qPrintable(err);
    ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join('\n'));
    EXPECT_EQ(lines[1], "result=0 status=0 data=" + dataWith(4, "78563412"));

    ASSERT_EQ(runProbe(args.mid(0, 10) + QStringList{"--cycle", "20", "read", "0", "0x0203", "1"}, lines, err), 0)
        << qPrintable(err);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("count=20 failures=0 ")) << qPrintable(lines[0]);
}

TEST(CommProbeArgs, WrongArgumentsAndMissingDriversAreReported)
{
    QStringList lines;
    QString err;
    EXPECT_EQ(runProbe({"read", "0"}, lines, err), 2);
    EXPECT_TRUE(err.contains("read needs SERVICE PARADR")) << qPrintable(err);
    EXPECT_EQ(runProbe({"--baud", "1000", "read", "0", "1"}, lines, err), 2);
    EXPECT_EQ(runProbe({"--prot", "zelk", "--device", "/dev/null", "read", "0", "1"}, lines, err), 3);
    // "not available" while the slot holds a placeholder, "cannot open" once
    // the driver exists: either way the run stops before any exchange.
    EXPECT_TRUE(err.contains("Zelk driver")) << qPrintable(err);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(runProbe({"--help"}, lines, err), 0);
    EXPECT_TRUE(lines.join('\n').contains("result=R status=S data=HEX"));
}

} // namespace
