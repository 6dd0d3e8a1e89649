// DIN 66019 II over UDP and TCP on loopback.
#include "sim/sim_din_frames.h"
#include "sim/sim_din_net_server.h"
#include "wait_until.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace qelsim;

namespace {

QByteArray readFrame(int addr, int id, uint16_t par)
{
    QByteArray f = din::EOT + din::hex(uint32_t(addr), 2);
    const QByteArray body = QByteArray("G") + din::hexDigit(id) + din::hex(par, 4) + "01" + din::ENQ;
    return f + body + din::blockCheck(body);
}

QByteArray valueAnswer(int id, int32_t value)
{
    SimReply r;
    r.data.setI32(4, value);
    return din::answer(0, false, din::hexDigit(id), r);
}

} // namespace

TEST(DinNet, UdpAnswersBesideAClientOnTheSamePort)
{
    SimDinNetServer server;
    server.addInverter(3)->setValue(0x0203, -7);
    QString error;
    ASSERT_TRUE(server.startUdp(0, {QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.5")}, &error)) << error.toStdString();
    ASSERT_NE(server.port(), 0);

    // Like the product: local port = remote port.
    QUdpSocket client;
    client.setProxy(QNetworkProxy::NoProxy);
    ASSERT_TRUE(client.bind(QHostAddress::AnyIPv4, server.port(), QUdpSocket::ShareAddress)) << client.errorString().toStdString();
    QByteArray got;
    int datagrams = 0;
    auto collect = [&] {
        while (client.hasPendingDatagrams()) {
            QByteArray d(int(client.pendingDatagramSize()), 0);
            client.readDatagram(d.data(), d.size());
            got += d;
            ++datagrams;
        }
    };
    for (const char* host : {"127.0.0.2", "127.0.0.5"}) {
        got.clear();
        client.writeDatagram(readFrame(3, 2, 0x0203), QHostAddress(QString::fromLatin1(host)), server.port());
        const QByteArray expected = valueAnswer(2, -7);
        EXPECT_TRUE(qeltest::waitUntil([&] { collect(); return got.size() >= expected.size(); })) << host;
        EXPECT_EQ(got, expected) << host;
    }

    // A split answer comes as two datagrams.
    SimFault split;
    ASSERT_TRUE(SimFault::parse("split=1", split, nullptr));
    server.faults().push(split);
    got.clear();
    datagrams = 0;
    client.writeDatagram(readFrame(3, 4, 0x0203), QHostAddress(QStringLiteral("127.0.0.2")), server.port());
    EXPECT_TRUE(qeltest::waitUntil([&] { collect(); return got.size() >= valueAnswer(4, -7).size(); }));
    EXPECT_EQ(got, valueAnswer(4, -7));
    EXPECT_EQ(datagrams, 2);
}

TEST(DinNet, TcpConnectionsAndDrop)
{
    SimDinNetServer server;
    server.addInverter(1)->setValue(0x0203, 42);
    ASSERT_TRUE(server.startTcp());
    QTcpSocket client;
    client.setProxy(QNetworkProxy::NoProxy);
    client.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), server.port());
    ASSERT_TRUE(qeltest::waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }));
    QByteArray got;
    auto ask = [&](const QByteArray& frame, int n) {
        got.clear();
        client.write(frame);
        qeltest::waitUntil([&] { got += client.readAll(); return got.size() >= n; });
        return got;
    };
    EXPECT_EQ(ask(readFrame(1, 2, 0x0203), valueAnswer(2, 42).size()), valueAnswer(2, 42));
    server.faults().push(SimFault{.refuse = 6, .count = 2});
    EXPECT_EQ(ask(readFrame(1, 3, 0x0203), 3), QByteArray("36\x15"));
    EXPECT_EQ(ask(readFrame(1, 4, 0x0203), 3), QByteArray("46\x15"));
    EXPECT_EQ(ask(readFrame(1, 5, 0x0203), valueAnswer(5, 42).size()), valueAnswer(5, 42));
    EXPECT_EQ(server.connectionCount(), 1);

    server.dropConnections();
    EXPECT_TRUE(qeltest::waitUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
    // The server's thread counts the connections after it has closed them.
    EXPECT_TRUE(qeltest::waitUntil([&] { return server.openConnections() == 0; }));
}
