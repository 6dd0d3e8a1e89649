// The DIN 66019 II line on a pseudo-terminal: addressing, faults, modem.
#include "pty_client.h"

#include "sim/sim_din_frames.h"
#include "sim/sim_din_pty_server.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <QFile>

#include <fcntl.h>
#include <mutex>
#include <termios.h>
#include <unistd.h>

using namespace qelsim;
using simtest::PtyClient;

namespace {

// A read of service 0 (set byte 1) of `par`, request number `id`, with the
// address part when `addr` >= 0.
QByteArray readFrame(int addr, int id, uint16_t par)
{
    QByteArray f;
    if (addr >= 0)
        f += din::EOT + din::hex(uint32_t(addr), 2);
    const QByteArray body = QByteArray("G") + din::hexDigit(id) + din::hex(par, 4) + "01" + din::ENQ;
    return f + body + din::blockCheck(body);
}

// A write of service 0 (set byte 1) of `value` to `par` of inverter `addr`.
QByteArray writeFrame(int addr, int id, uint16_t par, int32_t value)
{
    const QByteArray body = QByteArray("G") + din::hexDigit(id) + din::hex(par, 4) + din::hex(uint32_t(value), 8) + "01";
    return din::EOT + din::hex(uint32_t(addr), 2) + din::STX + body + din::ETX + din::blockCheck(body + din::ETX);
}

QByteArray valueAnswer(int id, int32_t value)
{
    SimReply r;
    r.data.setI32(4, value);
    return din::answer(0, false, din::hexDigit(id), r);
}

class DinPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        inv1 = server.addInverter(1, 4711);
        inv2 = server.addInverter(2, 4712);
        inv1->setValue(0x0203, 111);
        inv2->setValue(0x0203, 222);
        ASSERT_TRUE(server.start());
        client = std::make_unique<PtyClient>(server.path());
        ASSERT_TRUE(client->isOpen());
    }
    QByteArray ask(const QByteArray& frame, int expect)
    {
        client->write(frame);
        return client->readAtLeast(expect);
    }

    SimDinPtyServer server;
    std::shared_ptr<SimInverter> inv1, inv2;
    std::unique_ptr<PtyClient> client;
};

} // namespace

TEST_F(DinPty, AnswersTheAddressedInverterAndTheLastOneWithoutAddress)
{
    const QByteArray a1 = valueAnswer(2, 111);
    EXPECT_EQ(ask(readFrame(1, 2, 0x0203), a1.size()), a1);
    const QByteArray a2 = valueAnswer(3, 222);
    EXPECT_EQ(ask(readFrame(2, 3, 0x0203), a2.size()), a2);
    // No address part: the inverter addressed last answers.
    const QByteArray a3 = valueAnswer(4, 222);
    EXPECT_EQ(ask(readFrame(-1, 4, 0x0203), a3.size()), a3);

    // Configuration number by plain access.
    SimReply cfg;
    cfg.data.setU16(0, 0x160F);
    cfg.data.setU16(2, 4711);
    const QByteArray plain = din::answer(-1, false, 0, cfg);
    EXPECT_EQ(ask(QByteArray("\x04" "01" "160F\x05"), plain.size()), plain);
    EXPECT_EQ(server.requestCount(), 4);
    EXPECT_EQ(server.receivedFrames().first(), readFrame(1, 2, 0x0203));
}

TEST_F(DinPty, WritesAndBroadcasts)
{
    // Write 0x0203 := 0x1234 in set 0 (set byte 1).
    const QByteArray body = QByteArray("G5") + "0203" + "00001234" + "01" + din::ETX;
    EXPECT_EQ(ask(QByteArray("\x04" "01" "\x02") + body + din::blockCheck(body), 2), QByteArray("5\x06"));
    EXPECT_EQ(inv1->value(0x0203, 0), 0x1234);

    // A broadcast write reaches every inverter and is not answered; the
    // read after it proves the line went on.
    client->write(QByteArray("\x04" "F0" "\x02") + body + din::blockCheck(body));
    const QByteArray a = valueAnswer(6, 0x1234);
    EXPECT_EQ(ask(readFrame(2, 6, 0x0203), a.size()), a);
    EXPECT_EQ(inv2->value(0x0203, 0), 0x1234);

    // An address nobody serves stays silent.
    client->write(readFrame(9, 7, 0x0203));
    EXPECT_EQ(ask(readFrame(1, 8, 0x0203), a.size()), valueAnswer(8, 0x1234));
}

TEST_F(DinPty, FaultsShapeTheAnswer)
{
    const QByteArray req = readFrame(1, 3, 0x0203);
    const QByteArray right = valueAnswer(3, 111);
    const QByteArray older = valueAnswer(4, 111); // the same answer under another number
    QByteArray badCheck = right;
    badCheck[badCheck.size() - 1] = char(badCheck[badCheck.size() - 1] ^ 1);

    struct Case {
        const char* spec;
        QByteArray expected;
    } cases[] = {
        {"refuse=5", QByteArray("35\x15")},
        {"echo", req + right},
        {"badcheck", badCheck},
        {"stale", older + right},
        {"foreignid", older},
        {"garbage=7f3f", QByteArray("\x7f?") + right},
        {"foreignaddr", valueAnswer(3, 222)},
        {"split=5+delay=10", right},
    };
    for (const Case& c : cases) {
        SimFault f;
        ASSERT_TRUE(SimFault::parse(QString::fromLatin1(c.spec), f, nullptr)) << c.spec;
        server.faults().push(f);
        EXPECT_EQ(ask(req, c.expected.size()), c.expected) << c.spec;
    }
    EXPECT_EQ(server.sentChunks().mid(server.sentChunks().size() - 2),
              (QList<QByteArray>{right.left(right.size() / 2), right.mid(right.size() / 2)}));

    // Silence: nothing comes for the first request, the second is answered.
    server.faults().push(SimFault{.silence = true});
    client->write(req);
    EXPECT_EQ(ask(readFrame(1, 5, 0x0203), right.size()), valueAnswer(5, 111));
}

TEST_F(DinPty, RunOfBusyAndPerInverterFaults)
{
    SimFault busy;
    ASSERT_TRUE(SimFault::parse("busy*3", busy, nullptr));
    inv2->faults().push(busy);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ask(readFrame(2, 1 + i, 0x0203), 3), QByteArray(1, din::hexDigit(1 + i)) + "6\x15");
    EXPECT_EQ(ask(readFrame(2, 4, 0x0203), valueAnswer(4, 222).size()), valueAnswer(4, 222));
    // Inverter 1 was never affected; a persistent refusal by parameter.
    inv1->setRefusal(0x0203, SimInverter::kAnyService, 2);
    EXPECT_EQ(ask(readFrame(1, 5, 0x0203), 3), QByteArray("52\x15"));
}

TEST_F(DinPty, GarbledRequestIsRefusedWithErrorOne)
{
    QByteArray req = readFrame(1, 3, 0x0203);
    req[req.size() - 1] = char(req[req.size() - 1] ^ 0x04);
    EXPECT_EQ(ask(req, 3), QByteArray("31\x15"));
}

TEST(DinPtyModem, DialsAndThenCarriesFrames)
{
    SimDinPtyServer server;
    server.addInverter(1)->setValue(0x0203, 9);
    SimModemSettings modem;
    modem.enabled = true;
    modem.dialResult = "CONNECT 9600";
    server.setModem(modem);
    ASSERT_TRUE(server.start());
    PtyClient client(server.path());
    ASSERT_TRUE(client.isOpen());
    client.write("AT\r\n");
    EXPECT_TRUE(client.readUntilEndsWith("OK\r\n").contains("OK"));
    client.write("ATDT0815\r\n");
    EXPECT_TRUE(client.readUntilEndsWith("CONNECT 9600\r\n").endsWith("CONNECT 9600\r\n"));
    EXPECT_TRUE(server.modemOnline());
    client.write(readFrame(1, 2, 0x0203));
    EXPECT_EQ(client.readAtLeast(valueAnswer(2, 9).size()), valueAnswer(2, 9));
    EXPECT_EQ(server.modemCommands(), (QStringList{"AT", "ATDT0815"}));

    // Hanging up (closing the port) takes the modem back to command mode.
    client.close();
    EXPECT_TRUE(qeltest::waitUntil([&] { return !server.modemOnline(); }));
}

TEST(DinPtyModem, FailureTextsAndMissingOk)
{
    for (const char* text : {"BUSY", "NO CARRIER", "NO DIALTONE", "ERROR", "NO ANSWER"}) {
        SimDinPtyServer server;
        server.addInverter(1);
        SimModemSettings modem;
        modem.enabled = true;
        modem.echo = false;
        modem.dialResult = text;
        server.setModem(modem);
        ASSERT_TRUE(server.start());
        PtyClient client(server.path());
        client.write("AT\r\n");
        EXPECT_EQ(client.readUntilEndsWith("OK\r\n"), QByteArray("\r\nOK\r\n"));
        client.write("ATD1\r\n");
        const QByteArray line = QByteArray("\r\n") + text + "\r\n";
        EXPECT_EQ(client.readUntilEndsWith(line), line);
        EXPECT_FALSE(server.modemOnline());
    }
}

namespace {

void setLineSpeed(const QString& path, speed_t speed)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    ::close(fd);
}

} // namespace

TEST_F(DinPty, WithALineRateAnswersOnlyAtThatRateAndLogsEveryRequest)
{
    std::mutex m;
    QStringList log;
    server.setRequestLog([&](const QString& line) {
        std::lock_guard lock(m);
        log.append(line);
    });
    server.setLineRate(9600);

    setLineSpeed(server.path(), B19200);
    EXPECT_EQ(server.currentLineRate(), 19200);
    client->write(readFrame(1, 2, 0x0203));
    EXPECT_TRUE(client->readAtLeast(1, 300).isEmpty());

    setLineSpeed(server.path(), B9600);
    const QByteArray a = valueAnswer(3, 111);
    EXPECT_EQ(ask(readFrame(1, 3, 0x0203), int(a.size())), a);
    // A write names the value it carries.
    EXPECT_EQ(ask(writeFrame(1, 4, 0x0203, 1500), 2), QByteArray("4") + din::ACK);
    EXPECT_EQ(inv1->value(0x0203, 0), 1500);

    std::lock_guard lock(m);
    EXPECT_EQ(log, (QStringList{QStringLiteral("addr=1 service=0 read par=0x0203 ignored (line rate 19200)"),
                                QStringLiteral("addr=1 service=0 read par=0x0203"),
                                QStringLiteral("addr=1 service=0 write par=0x0203 value=1500")}));
}
