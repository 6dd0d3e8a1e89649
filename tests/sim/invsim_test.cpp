// The invsim program: prints where it serves on one line, takes faults and
// inverter types from its command line, and ends on SIGTERM.
#include "pty_client.h"
#include "temp_dir.h"

#include "sim/sim_din_frames.h"
#include "wait_until.h"

#include <QFileInfo>
#include <QNetworkProxy>
#include <QProcess>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace qelsim;

namespace {

class InvSim : public qeltest::TempDirTest {
protected:
    QString start(const QStringList& args)
    {
        const QString program = qeltest::binaryDir() + QStringLiteral("/sim/invsim");
        EXPECT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
        proc.start(program, args);
        EXPECT_TRUE(proc.waitForStarted());
        QByteArray out;
        qeltest::waitUntil([&] { out += proc.readAllStandardOutput(); return out.contains('\n'); });
        return QString::fromLocal8Bit(out.trimmed());
    }
    void TearDown() override
    {
        proc.terminate();
        EXPECT_TRUE(proc.waitForFinished(5000));
        EXPECT_EQ(proc.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(proc.exitCode(), 0);
    }
    QProcess proc;
};

QByteArray readFrame(int addr, int id, uint16_t par)
{
    const QByteArray body = QByteArray("G") + din::hexDigit(id) + din::hex(par, 4) + "01" + din::ENQ;
    return din::EOT + din::hex(uint32_t(addr), 2) + body + din::blockCheck(body);
}

} // namespace

TEST_F(InvSim, ServesAPseudoTerminalWithQueuedFaultsAndATypeFromItsSource)
{
    const QString link = path(QStringLiteral("line"));
    const QString where = start({QStringLiteral("--din"), QStringLiteral("--link"), link, QStringLiteral("--addr"),
                                 QStringLiteral("2"), QStringLiteral("--config"),
                                 qeltest::sourceDir() + QStringLiteral("/data/configs/type0022.json"),
                                 QStringLiteral("--fault"), QStringLiteral("busy*2")});
    EXPECT_EQ(where, link);
    simtest::PtyClient client(link);
    ASSERT_TRUE(client.isOpen());
    client.write(readFrame(2, 1, 0x160F));
    EXPECT_EQ(client.readAtLeast(3), QByteArray("16\x15"));
    client.write(readFrame(2, 2, 0x160F));
    EXPECT_EQ(client.readAtLeast(3), QByteArray("26\x15"));
    SimReply r;
    r.data.setI32(4, 12); // what type 22 reports
    const QByteArray expected = din::answer(0, false, '3', r);
    client.write(readFrame(2, 3, 0x160F));
    EXPECT_EQ(client.readAtLeast(expected.size()), expected);
}

TEST_F(InvSim, ServesTcpOnAFreePort)
{
    const QString where = start({QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--cfgid"),
                                 QStringLiteral("77")});
    bool ok = false;
    const quint16 port = quint16(where.toUInt(&ok));
    ASSERT_TRUE(ok && port != 0) << where.toStdString();
    QTcpSocket s;
    s.setProxy(QNetworkProxy::NoProxy);
    s.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
    ASSERT_TRUE(qeltest::waitUntil([&] { return s.state() == QAbstractSocket::ConnectedState; }));
    SimReply r;
    r.data.setI32(4, 77);
    const QByteArray expected = din::answer(0, false, '1', r);
    s.write(readFrame(1, 1, 0x160F));
    QByteArray got;
    qeltest::waitUntil([&] { got += s.readAll(); return got.size() >= expected.size(); });
    EXPECT_EQ(got, expected);
}

TEST(InvSimArgs, RefusesBadFaultsAndAddresses)
{
    const QString program = qeltest::binaryDir() + QStringLiteral("/sim/invsim");
    for (const QStringList& args : {QStringList{"--fault", "refuse=99"}, QStringList{"--addr", "240"},
                                    QStringList{"--zelk", "--udp", "0"}}) {
        QProcess p;
        p.start(program, args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
}
