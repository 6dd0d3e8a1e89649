// The IP driver's receive path over loopback sockets: noise and the
// inverter's answer in one datagram (UDP) or one write on the connection
// (TCP) go through the socket notifications into the receive buffer and
// its evaluation. Byte 0 chooses UDP or TCP, the request (read of service
// 0, -1 or 6, or a write) and a refusal; byte 1 is the value or the error
// number; the rest is the noise in front of the answer.
//
// The driver's promise: the request ends, with an answer or an error code,
// at its time-out at the latest (the program runs on a virtual clock, so
// that takes no real time); and behind noise that holds no frame (no STX,
// ACK, NAK or EOT) the answer is read, however long the noise, when it is
// a data frame or carries a request number.

#include "comm/ip.h"
#include "fuzz_line.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <memory>
#include <vector>

namespace {

using qelfuzz::broken;

// Runs the event loop with the time standing until `done` holds; loopback
// bytes arrive at once, so a second of real time means they never will.
bool pump(const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (std::chrono::steady_clock::now() > until)
            return false;
    }
    return true;
}

struct TIpLine {
    TIp Drv;
    std::vector<TRecTel> Answers;
    QUdpSocket Far;                      // UDP: the inverter on 127.0.0.2
    QTcpServer Server;                   // TCP: the gateway on 127.0.0.1
    std::unique_ptr<QTcpSocket> Conn;

    explicit TIpLine(bool udp)
    {
        qelfuzz::virtualClock();
        Drv.SetTimeOut(1000);
        Drv.SetOnRspAvail([this](QObject*, TRecTel rec) { Answers.push_back(rec); });
        Drv.SetUDP(udp);
        quint16 port = 0;
        if (udp) {
            Far.setProxy(QNetworkProxy::NoProxy);
            if (!Far.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0, QAbstractSocket::ShareAddress))
                broken("no datagram socket on loopback");
            port = Far.localPort();
            Drv.SetIpAddress(QStringLiteral("127.0.0.2"));
        } else {
            Server.setProxy(QNetworkProxy::NoProxy);
            if (!Server.listen(QHostAddress::LocalHost, 0))
                broken("no listening socket on loopback");
            port = Server.serverPort();
            Drv.SetIpAddress(QStringLiteral("127.0.0.1"));
        }
        Drv.SetIpPort(port);
        if (Drv.Open() != 0)
            broken("the driver does not open");
        if (!udp) {
            if (!pump([this] { return Server.hasPendingConnections(); }))
                broken("the connection never came");
            Conn.reset(Server.nextPendingConnection());
        }
    }

    // Takes the request that went out.
    void TakeRequest()
    {
        if (Conn) {
            if (!pump([this] { return Conn->bytesAvailable() > 0; }))
                broken("the request never arrived");
            Conn->readAll();
            return;
        }
        if (!pump([this] { return Far.hasPendingDatagrams(); }))
            broken("the request never arrived");
        while (Far.hasPendingDatagrams()) {
            QHostAddress from;
            quint16 fromPort = 0;
            QByteArray d(qsizetype(Far.pendingDatagramSize()), '\0');
            Far.readDatagram(d.data(), d.size(), &from, &fromPort);
            Peer = from;
            PeerPort = fromPort;
        }
    }

    void SendAnswer(const QByteArray& bytes)
    {
        if (Conn) {
            Conn->write(bytes);
            Conn->flush();
        } else {
            Far.writeDatagram(bytes, Peer, PeerPort);
        }
    }

    QHostAddress Peer;
    quint16 PeerPort = 0;
};

bool holdsNoFrame(const QByteArray& noise)
{
    for (char c : {'\x02', '\x04', '\x06', '\x15'})
        if (noise.contains(c))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static TIpLine udp(true);
    static TIpLine tcp(false);
    const uint8_t opt = data[0];
    const qelfuzz::TLineRequest req(opt, data[1]);
    const QByteArray noise = qelfuzz::bytes(data + 2, size - 2);
    TIpLine& l = (opt & 4) ? tcp : udp;

    // Bytes of an earlier answer still on their way are taken first.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    l.Answers.clear();
    const int id = req.Place(l.Drv, "a request on an idle connection was refused");
    l.TakeRequest();

    const qelsim::SimReply reply = qelfuzz::dinReply(req);
    l.SendAnswer(noise + qelfuzz::dinFrame(req, id, reply));

    if (req.Numbered() && holdsNoFrame(noise)) {
        if (!pump([&] { return !l.Answers.empty(); }))
            broken(qelfuzz::kBehindNoise.NotRead);
        qelfuzz::expectAnswerRead(l.Answers.front(), req, id, reply.data, reply.data.u16(2), qelfuzz::kBehindNoise);
    }
    // Whatever came, the request ends: at its time-out at the latest.
    qelfuzz::expectEndsOnce(l.Answers, qelfuzz::hasResultCode, "the request ended more than once or with no result code");
    return 0;
}
