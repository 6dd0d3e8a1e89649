// The IP driver end to end against the inverter simulator on loopback: UDP
// (with the ".255" host rule) and TCP, refused and dropped connections,
// time-outs, stale and foreign answers, and the address texts.

#include "comm/din_answer_scan.h"
#include "comm/ip.h"
#include "comm/prot_sel.h"
#include "sim/sim_din_net_server.h"
#include "tests/comm/after_time_out.h"
#include "tests/comm/driver_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

#include <QFileInfo>
#include <QNetworkProxy>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

using drvtest::Fault;
using drvtest::kEot;
using drvtest::LastFrame;
using drvtest::Par;
using qelsim::SimDinNetServer;

namespace {

// A raw IPv4 socket on loopback, closed with the object.
struct RawSocket {
    int fd = -1;
    quint16 port = 0;

    RawSocket(int type, const char* host)
    {
        fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        inet_pton(AF_INET, host, &sa.sin_addr);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
            return;
        socklen_t len = sizeof sa;
        getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
        port = ntohs(sa.sin_port);
    }
    ~RawSocket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;
};

class IpDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drv = std::make_unique<TIp>();
        drvtest::RecordAnswers(*drv, answers);
    }

    void TearDown() override { drv.reset(); }

    // A simulator with inverters 1 and 3 over UDP on 127.0.0.2; the driver
    // points at it and binds the same port on its own side.
    void StartUdp(int timeOut = 300)
    {
        sim = std::make_unique<SimDinNetServer>();
        sim->addInverter(1)->setValue(0x0203, 0x1234);
        sim->addInverter(3)->setValue(0x0203, 0x3333);
        QString error;
        ASSERT_TRUE(sim->startUdp(0, {QStringLiteral("127.0.0.2")}, &error)) << error.toStdString();
        drv->SetUDP(true);
        drv->SetIpAddress(QStringLiteral("127.0.0.2"));
        drv->SetIpPort(sim->port());
        drv->SetTimeOut(timeOut);
        ASSERT_EQ(drv->Open(), 0);
    }

    void StartTcp(int timeOut = 300, const QString& host = QStringLiteral("127.0.0.1"))
    {
        sim = std::make_unique<SimDinNetServer>();
        sim->addInverter(1)->setValue(0x0203, 0x1234);
        sim->addInverter(3)->setValue(0x0203, 0x3333);
        QString error;
        ASSERT_TRUE(sim->startTcp(0, QStringLiteral("127.0.0.1"), &error)) << error.toStdString();
        drv->SetUDP(false);
        drv->SetIpAddress(host);
        drv->SetIpPort(sim->port());
        drv->SetTimeOut(timeOut);
        ASSERT_EQ(drv->Open(), 0);
        EXPECT_TRUE(qeltest::waitUntil([&] { return sim->openConnections() == 1; }));
    }

    // One asynchronous request and its answer.
    TRecTel AsyncExchange(bool read, int addr, int service, const TTelData& d)
    {
        return drvtest::AsyncExchange(*drv, answers, read, addr, service, d);
    }

    std::unique_ptr<SimDinNetServer> sim;
    std::unique_ptr<TIp> drv;
    std::vector<TRecTel> answers;
};

TEST(IpAddressText, DottedDecimalNeverOctal)
{
    struct Case {
        const char* text;
        bool ok;
        const char* address;
    };
    const Case cases[] = {
        {"000.000.000.000", true, "0.0.0.0"},
        {"010.001.002.008", true, "10.1.2.8"}, // decimal: octal would read 8.1.2.?
        {"127.0.0.1", true, "127.0.0.1"},
        {" 127.000.000.002 ", true, "127.0.0.2"},
        {"255.255.255.255", true, "255.255.255.255"},
        {"1.2.3.256", false, ""},
        {"1.2.3", false, ""},
        {"1.2.3.4.5", false, ""},
        {"1..3.4", false, ""},
        {"1.2.3.-4", false, ""},
        {"0x7f.0.0.1", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        QHostAddress a;
        EXPECT_EQ(TIp::ParseDottedDecimal(QString::fromLatin1(c.text), a), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(a.toString(), QString::fromLatin1(c.address)) << c.text;
        }
    }

    EXPECT_TRUE(TIp::IsHostName(QStringLiteral("localhost")));
    EXPECT_TRUE(TIp::IsHostName(QStringLiteral("::1")));
    EXPECT_FALSE(TIp::IsHostName(QStringLiteral("000.000.000.000")));

    EXPECT_EQ(TIp::BroadcastBaseOf(QStringLiteral("192.168.7.255")), QStringLiteral("192.168.7."));
    EXPECT_EQ(TIp::BroadcastBaseOf(QStringLiteral("127.0.0.0255")), QStringLiteral("127.0.0."));
    EXPECT_EQ(TIp::BroadcastBaseOf(QStringLiteral("127.0.0.7")), QString());
    EXPECT_EQ(TIp::BroadcastBaseOf(QStringLiteral("127.0.0.255x")), QString());
    EXPECT_EQ(TIp::BroadcastBaseOf(QStringLiteral("127.0.0.")), QString());
    EXPECT_EQ(TIp::BroadcastBaseOf(QStringLiteral("gateway")), QString());
}

// The answer scan shared by the DIN drivers: an echo of the own frame is
// taken out once, so an answer equal to the frame (service 48 without
// address part) is still found behind it, and one that arrives later too.
TEST(DinAnswerScan, EchoTakenOutOncePerFrame)
{
    TTelData d;
    d.SetU32(0, 0x11223344);
    d.SetU32(4, 0x55667788);
    uint8_t frame[DinCodec::MinTelBuffer];
    const int n = DinCodec::AnsiBuildTel(48, 3, -1, d, true, frame);
    ASSERT_GT(n, 0);

    bool echoPending = true;
    DinAnswerScan::TParams p;
    p.ReqId = 3;
    p.AckId = 3;
    p.Service = 48;
    p.WantAck = true;
    p.Echo = frame;
    p.EchoLen = n;
    p.EchoPending = &echoPending;

    // Echo and answer in one go.
    uint8_t buf[120];
    std::memcpy(buf, frame, size_t(n));
    std::memcpy(buf + n, frame, size_t(n));
    int count = 2 * n;
    TTelData got;
    int err = 0;
    EXPECT_EQ(DinAnswerScan::Scan(buf, count, p, got, err), DinAnswerScan::TOutcome::Success);
    EXPECT_EQ(got.GetU32(0), 0x11223344u);
    EXPECT_EQ(got.GetU32(4), 0x55667788u);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(echoPending);

    // Echo first, the answer in a later call.
    echoPending = true;
    got.Clear();
    std::memcpy(buf, frame, size_t(n));
    count = n;
    EXPECT_EQ(DinAnswerScan::Scan(buf, count, p, got, err), DinAnswerScan::TOutcome::None);
    EXPECT_EQ(count, 0);
    std::memcpy(buf, frame, size_t(n));
    count = n;
    EXPECT_EQ(DinAnswerScan::Scan(buf, count, p, got, err), DinAnswerScan::TOutcome::Success);
    EXPECT_EQ(got.GetU32(4), 0x55667788u);

    // A refusal for this request and one for another.
    const uint8_t refusals[] = {'2', '5', DinCodec::NAK, '3', '7', DinCodec::NAK};
    std::memcpy(buf, refusals, sizeof refusals);
    count = int(sizeof refusals);
    p.Echo = nullptr;
    EXPECT_EQ(DinAnswerScan::Scan(buf, count, p, got, err), DinAnswerScan::TOutcome::Refused);
    EXPECT_EQ(err, 7);
    EXPECT_EQ(count, 0);
}

TEST_F(IpDriverTest, SettingsVersionAndOpenRules)
{
    EXPECT_EQ(drv->GetVersion(), QStringLiteral("IP Driver\r\nVersion: 1.2\r\nDate: 06.09.2002"));
    EXPECT_EQ(drv->GetProtType(), prIP);
    EXPECT_EQ(drv->GetIpAddress(), QStringLiteral("000.000.000.000"));
    EXPECT_EQ(drv->GetIpPort(), 8000);
    EXPECT_FALSE(drv->GetUDP());
    EXPECT_EQ(drv->GetTimeOut(), 5000);
    drv->SetTimeOut(20);
    EXPECT_EQ(drv->GetTimeOut(), 50);
    EXPECT_FALSE(drv->GetOnReqAvail());
    drv->SetOnReqAvail([](QObject*, TRecTel) {});
    EXPECT_FALSE(drv->GetOnReqAvail());
    EXPECT_EQ(drv->ReadParaRsp(1, 1, 0, 0, TTelData{}), QelResult::NotSupported);
    EXPECT_EQ(drv->Close(), QelResult::NotOpen);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);

    // The start address names no inverter (Linux would take 0.0.0.0 for
    // the local host), and neither does port 0: both fail at once.
    for (bool udp : {false, true}) {
        drv->SetUDP(udp);
        drv->SetIpAddress(QStringLiteral("000.000.000.000"));
        EXPECT_EQ(drv->Open(), QelResult::OpenFailed) << udp;
        drv->SetIpAddress(QStringLiteral("127.0.0.1"));
        drv->SetIpPort(0);
        EXPECT_EQ(drv->Open(), QelResult::OpenFailed) << udp;
        drv->SetIpPort(8000);
        EXPECT_FALSE(drv->IsOpen());
    }

    StartUdp();
    EXPECT_TRUE(drv->IsOpen());
    EXPECT_EQ(drv->Open(), QelResult::AlreadyOpen);
    // Address, port and transport are taken only while closed.
    const quint16 port = sim->port();
    drv->SetIpAddress(QStringLiteral("127.0.0.9"));
    drv->SetIpPort(1);
    drv->SetUDP(false);
    EXPECT_EQ(drv->GetIpAddress(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(drv->GetIpPort(), port);
    EXPECT_TRUE(drv->GetUDP());
    drv->SetTimeOut(400); // the time-out at any time
    EXPECT_EQ(drv->GetTimeOut(), 400);
    EXPECT_EQ(drv->Close(), 0);
    EXPECT_FALSE(drv->IsOpen());
    EXPECT_EQ(drv->Close(), QelResult::NotOpen);
}

TEST_F(IpDriverTest, InvalidHostNameFailsOpen)
{
    // Refused by the resolver without any lookup on the network.
    for (bool udp : {true, false}) {
        drv->SetUDP(udp);
        drv->SetTimeOut(50);
        drv->SetIpAddress(QStringLiteral("bad host!"));
        EXPECT_EQ(drv->Open(), QelResult::OpenFailed) << udp;
        EXPECT_FALSE(drv->IsOpen());
        drv->SetIpAddress(QStringLiteral("1.2.3.999"));
        EXPECT_EQ(drv->Open(), QelResult::OpenFailed) << udp;
        EXPECT_FALSE(drv->IsOpen());
    }
}

TEST_F(IpDriverTest, UdpOpenFailsWhenTheLocalPortIsTaken)
{
    // A socket that does not share its port holds it on every address.
    QUdpSocket holder;
    holder.setProxy(QNetworkProxy::NoProxy);
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
    drv->SetUDP(true);
    drv->SetIpAddress(QStringLiteral("127.0.0.2"));
    drv->SetIpPort(holder.localPort());
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv->IsOpen());
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);

    holder.close();
    EXPECT_EQ(drv->Open(), 0);
    EXPECT_EQ(drv->Close(), 0);
    // Closing releases the local port.
    QUdpSocket again;
    EXPECT_TRUE(again.bind(QHostAddress::AnyIPv4, drv->GetIpPort(), QUdpSocket::DontShareAddress));
}

TEST_F(IpDriverTest, UdpReadWriteAndAddressPart)
{
    StartUdp();
    TRecTel r = AsyncExchange(true, 1, 0, Par(0x0203, 1));
    EXPECT_EQ(r.ReqId, 2); // the first request after opening
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 0x1234);
    EXPECT_EQ(r.InvAdr, 1);
    EXPECT_EQ(r.IsRead, 1);
    EXPECT_TRUE(LastFrame(*sim).startsWith(kEot));

    // After a good exchange the address part is left out.
    r = AsyncExchange(false, 1, 1, Par(0x0203, 1, 0x5678));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.IsRead, 0);
    EXPECT_FALSE(LastFrame(*sim).startsWith(kEot));
    EXPECT_EQ(sim->inverter(1)->value(0x0203), 0x5678);

    r = AsyncExchange(true, 1, -1, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.ParAdr, 0x0203);
    EXPECT_EQ(r.Data.ParSet, 0x5678);

    // Another inverter, and the same one after a time-out, get it again.
    r = AsyncExchange(true, 3, 0, Par(0x0203));
    EXPECT_EQ(r.Data.Value, 0x3333);
    EXPECT_TRUE(LastFrame(*sim).startsWith(kEot));
    sim->faults().push(Fault("silence"));
    EXPECT_EQ(AsyncExchange(true, 3, 0, Par(0x0203)).Status, QelResult::NoAnswer);
    EXPECT_FALSE(LastFrame(*sim).startsWith(kEot));
    EXPECT_EQ(AsyncExchange(true, 3, 0, Par(0x0203)).Status, 0);
    EXPECT_TRUE(LastFrame(*sim).startsWith(kEot));

    // Services 32 and 33 are answered by an acknowledge.
    EXPECT_EQ(AsyncExchange(true, 3, 32, Par(0x0203)).Status, 0);

    // Request numbers run 1..15: after 15 comes 1.
    while (answers.back().ReqId != 15)
        AsyncExchange(true, 1, 0, Par(0x0203));
    EXPECT_EQ(AsyncExchange(true, 1, 0, Par(0x0203)).ReqId, 1);
    EXPECT_EQ(answers.back().Status, 0);
}

TEST_F(IpDriverTest, RefusalsBeforeSending)
{
    StartUdp(2000);
    const int sent = sim->requestCount();
    EXPECT_EQ(drv->ReadParaReq(240, 0, Par(1)), QelResult::AddrRange);
    EXPECT_EQ(drv->ReadParaReq(-1, 0, Par(1)), QelResult::AddrRange);
    EXPECT_EQ(drv->WriteParaReq(256, 0, Par(1)), QelResult::AddrRange);
    EXPECT_EQ(drv->ReadParaReq(1, 14, Par(1)), QelResult::NotSupported);
    EXPECT_EQ(drv->WriteParaReq(1, 2, Par(1)), QelResult::NotSupported);
    EXPECT_EQ(drv->ReadParaReq(1, 48, Par(1)), QelResult::NotSupported);
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(sim->requestCount(), sent);

    sim->faults().push(Fault("delay=200"));
    ASSERT_GE(drv->ReadParaReq(1, 0, Par(0x0203)), 1);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverBusy);
    EXPECT_EQ(drv->WriteParaReq(3, 0, Par(0x0203)), QelResult::DriverBusy);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == 1; }));
    EXPECT_EQ(answers[0].Status, 0);
}

TEST_F(IpDriverTest, UdpAnswerFaults)
{
    // Generous against the delays below, so that a loaded machine keeps
    // the order of events.
    StartUdp(1000);
    struct Case {
        const char* fault;
        int service;
        int status;
    };
    const Case cases[] = {
        {"ok", 0, 0},
        {"split=30", 0, 0},
        {"stale", 0, 0},          // an old answer first: skipped
        {"stale", -1, 0},         // service -1: an answer for another parameter, skipped
        {"garbage=414243", 0, 0}, // bytes that are no answer, before the answer
        {"foreignid", 0, QelResult::NoAnswer}, // only another request's answer comes
        {"foreignid", -1, QelResult::NoAnswer},
        {"silence", 0, QelResult::NoAnswer},
        // Answered late: the late answer arrives while the next request
        // waits (the simulator answers in order) and must be skipped there.
        {"delay=1500", 0, QelResult::NoAnswer},
        {"badcheck", 0, QelResult::Checksum},
        {"refuse=5", 0, 5},
    };
    for (const Case& c : cases) {
        sim->faults().clear();
        sim->inverter(1)->setValue(0x0203, 0x1234);
        sim->faults().push(Fault(c.fault));
        const TRecTel r = AsyncExchange(true, 1, c.service, Par(0x0203));
        EXPECT_EQ(r.Status, c.status) << c.fault << " service " << c.service;
        if (c.status == 0) {
            if (c.service == -1)
                EXPECT_EQ(r.Data.ParSet, 0x1234) << c.fault;
            else
                EXPECT_EQ(r.Data.Value, 0x1234) << c.fault;
        }
        // A value of its own, so that a late answer with the old one shows.
        sim->inverter(1)->setValue(0x0203, 0x5555);
        const TRecTel next = AsyncExchange(true, 1, 0, Par(0x0203));
        EXPECT_EQ(next.Status, 0) << "after " << c.fault;
        EXPECT_EQ(next.Data.Value, 0x5555) << "after " << c.fault;
    }
}

// Noise that holds no frame end fills the receive buffer; the answer
// behind it must still be read, over UDP (noise and answer in one
// datagram) and over TCP.
TEST_F(IpDriverTest, AnswerBehindNoiseThatFillsTheBuffer)
{
    for (bool udp : {true, false}) {
        SCOPED_TRACE(udp ? "UDP" : "TCP");
        if (udp)
            StartUdp(1000);
        else
            StartTcp(1000);
        for (int noise : {110, 130, 400}) {
            SCOPED_TRACE(noise);
            const QByteArray garbage = QByteArray("xyz?#", 5).repeated(noise / 5 + 1).left(noise);
            sim->faults().push(Fault(("garbage=" + garbage.toHex()).constData()));
            const TRecTel r = AsyncExchange(true, 1, 0, Par(0x0203));
            EXPECT_EQ(r.Status, 0);
            EXPECT_EQ(r.Data.Value, 0x1234);
        }
        ASSERT_EQ(drv->Close(), 0);
        sim.reset();
    }
}

TEST_F(IpDriverTest, SynchronousExchanges)
{
    StartUdp(100);
    TRecTel rsp;
    EXPECT_EQ(drv->WritePara(1, 0, Par(0x0203, 1, 77), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203, 1), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.Value, 77);

    // Every try times out: RetryCnt requests, Status -10.
    drv->SetRetryCnt(3);
    sim->clearLog();
    sim->faults().push(Fault("silence*always"));
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203, 1), rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    EXPECT_EQ(sim->requestCount(), 3);
    sim->faults().clear();

    // Error 6 is repeated until another answer comes.
    sim->clearLog();
    sim->faults().push(Fault("busy*4"));
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203, 1), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.Value, 77);
    EXPECT_EQ(sim->requestCount(), 5);
    EXPECT_TRUE(answers.empty()); // no answer events while synchronous

    // A broadcast write completes at once inside a synchronous exchange.
    EXPECT_EQ(drv->WritePara(240, 0, Par(0x0203, 1, 5), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_TRUE(qeltest::waitUntil([&] { return sim->inverter(3)->value(0x0203, 0) == 5; }));
}

TEST_F(IpDriverTest, SyncTimeOutIsNoOpeningForAnotherClient)
{
    // Another client's request coming in just after the time-out of the
    // exchange's own request must not take its place: the exchange would
    // report that request's answer as its own.
    StartUdp(173);
    drv->SetRetryCnt(1);
    sim->faults().push(Fault("silence*always"));
    int foreign = 0;
    AfterTimeOut hook(173, [&] { foreign = drv->ReadParaReq(3, 0, Par(0x0203)); });
    TRecTel rsp;
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    ASSERT_TRUE(hook.Fired());
    EXPECT_EQ(foreign, QelResult::DriverBusy);
    EXPECT_EQ(rsp.InvAdr, 1);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    sim->faults().clear();
}

TEST_F(IpDriverTest, BroadcastWriteCompletesAtItsTimeOut)
{
    StartUdp(200);
    const TRecTel r = AsyncExchange(false, 255, 0, Par(0x0203, 1, 0x4321));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.InvAdr, 255);
    EXPECT_EQ(sim->inverter(1)->value(0x0203, 0), 0x4321);
    EXPECT_EQ(sim->inverter(3)->value(0x0203, 0), 0x4321);
}

TEST_F(IpDriverTest, UdpHostPerInverterBehindDot255)
{
    // Two gateways on their own loopback hosts, sharing one port.
    SimDinNetServer gw5;
    SimDinNetServer gw7;
    gw5.addInverter(5)->setValue(0x0203, 55);
    gw7.addInverter(7)->setValue(0x0203, 77);
    QString error;
    ASSERT_TRUE(gw5.startUdp(0, {QStringLiteral("127.0.0.5")}, &error)) << error.toStdString();
    ASSERT_TRUE(gw7.startUdp(gw5.port(), {QStringLiteral("127.0.0.7")}, &error)) << error.toStdString();

    drv->SetUDP(true);
    drv->SetIpPort(gw5.port());
    drv->SetTimeOut(200);
    drv->SetIpAddress(QStringLiteral("127.0.0.255"));
    ASSERT_EQ(drv->Open(), 0);
    EXPECT_EQ(drv->BroadcastBase(), QStringLiteral("127.0.0."));

    TRecTel r = AsyncExchange(true, 5, 0, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 55);
    r = AsyncExchange(true, 7, 0, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 77);
    // A write to one inverter goes to its host as well.
    r = AsyncExchange(false, 5, 0, Par(0x0203, 0, 56));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(gw5.inverter(5)->value(0x0203), 56);
    EXPECT_EQ(gw5.requestCount(), 2);
    EXPECT_EQ(gw7.requestCount(), 1);
    // A broadcast write goes to the configured address (nobody there).
    EXPECT_EQ(AsyncExchange(false, 255, 0, Par(0x0203, 0, 1)).Status, 0);
    EXPECT_EQ(gw5.requestCount(), 2);
    EXPECT_EQ(gw7.requestCount(), 1);
    ASSERT_EQ(drv->Close(), 0);

    // Without ".255" every datagram goes to the configured host.
    drv->SetIpAddress(QStringLiteral("127.0.0.7"));
    ASSERT_EQ(drv->Open(), 0);
    EXPECT_EQ(drv->BroadcastBase(), QString());
    EXPECT_EQ(AsyncExchange(true, 5, 0, Par(0x0203)).Status, QelResult::NoAnswer);
    EXPECT_EQ(gw5.requestCount(), 2);
    EXPECT_EQ(gw7.requestCount(), 2);
    r = AsyncExchange(true, 7, 0, Par(0x0203));
    EXPECT_EQ(r.Data.Value, 77);
}

TEST_F(IpDriverTest, TcpExchangesByAddressAndByName)
{
    StartTcp();
    TRecTel r = AsyncExchange(true, 1, 0, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 0x1234);
    sim->faults().push(Fault("stale"));
    r = AsyncExchange(false, 3, 0, Par(0x0203, 0, 9));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(sim->inverter(3)->value(0x0203), 9);
    sim->faults().push(Fault("foreignid"));
    EXPECT_EQ(AsyncExchange(true, 3, 0, Par(0x0203)).Status, QelResult::NoAnswer);
    sim->faults().push(Fault("split=30"));
    r = AsyncExchange(true, 3, 0, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 9);
    TRecTel rsp;
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Data.Value, 0x1234);
    ASSERT_EQ(drv->Close(), 0);
    EXPECT_TRUE(qeltest::waitUntil([&] { return sim->openConnections() == 0; }));

    // A host name is resolved by the socket ("localhost" comes from the
    // hosts file).
    drv->SetIpAddress(QStringLiteral("localhost"));
    ASSERT_EQ(drv->Open(), 0);
    EXPECT_EQ(AsyncExchange(true, 1, 0, Par(0x0203)).Data.Value, 0x1234);
    EXPECT_EQ(sim->connectionCount(), 2);
}

TEST_F(IpDriverTest, TcpRefusedConnection)
{
    // Bound but not listening: a connection attempt is refused at once.
    RawSocket closedPort(SOCK_STREAM, "127.0.0.1");
    ASSERT_NE(closedPort.port, 0);
    drv->SetUDP(false);
    drv->SetIpAddress(QStringLiteral("127.0.0.1"));
    drv->SetIpPort(closedPort.port);
    drv->SetTimeOut(5000);
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv->IsOpen());
    EXPECT_TRUE(drv->ConnectionError());
    // Every Open tries again: once the gateway listens, it connects.
    ASSERT_EQ(::listen(closedPort.fd, 4), 0);
    EXPECT_EQ(drv->Open(), 0);
    EXPECT_TRUE(drv->IsOpen());
}

TEST_F(IpDriverTest, TcpConnectTimesOut)
{
    // A listener whose queue is full drops further connection attempts,
    // so the connection is never made.
    RawSocket listener(SOCK_STREAM, "127.0.0.1");
    ASSERT_EQ(::listen(listener.fd, 0), 0);
    RawSocket filler(SOCK_STREAM, "127.0.0.1");
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(listener.port);
    inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
    ASSERT_EQ(::connect(filler.fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);

    drv->SetUDP(false);
    drv->SetIpAddress(QStringLiteral("127.0.0.1"));
    drv->SetIpPort(listener.port);
    drv->SetTimeOut(50); // connect wait 10 x 50 ms
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv->IsOpen());

    // Close while Open waits gives the attempt up (the wait would be 50 s).
    drv->SetTimeOut(5000);
    int closeResult = 0;
    QTimer::singleShot(20, drv.get(), [&] { closeResult = drv->Close(); });
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_EQ(closeResult, QelResult::NotOpen);
    EXPECT_FALSE(drv->IsOpen());
}

TEST_F(IpDriverTest, TcpServerClosesTheConnection)
{
    StartTcp(300);
    EXPECT_EQ(AsyncExchange(true, 1, 0, Par(0x0203)).Status, 0);
    sim->dropConnections();
    ASSERT_TRUE(qeltest::waitUntil([&] { return drv->ConnectionError(); }));
    EXPECT_TRUE(drv->IsOpen()); // noticed at the next request
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);
    EXPECT_FALSE(drv->IsOpen());
    TRecTel rsp;
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), QelResult::DriverClosed);

    // Opened again, it reconnects.
    ASSERT_EQ(drv->Open(), 0);
    EXPECT_EQ(AsyncExchange(true, 1, 0, Par(0x0203)).Data.Value, 0x1234);

    // A line that drops under an outstanding request: the request ends at
    // its time-out, the next one finds the driver closing.
    const size_t before = answers.size();
    sim->faults().push(Fault("silence"));
    ASSERT_GE(drv->ReadParaReq(1, 0, Par(0x0203)), 1);
    sim->dropConnections();
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == before + 1; }));
    EXPECT_EQ(answers.back().Status, QelResult::NoAnswer);
    EXPECT_EQ(drv->WriteParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);
    EXPECT_FALSE(drv->IsOpen());
}

TEST_F(IpDriverTest, CloseWaitsForTheOutstandingRequest)
{
    StartTcp(300);
    sim->faults().push(Fault("delay=100"));
    ASSERT_GE(drv->ReadParaReq(1, 0, Par(0x0203)), 1);
    // A request made while Close waits is refused as "closing".
    int duringClose = 0;
    QTimer::singleShot(10, drv.get(), [&] { duringClose = drv->ReadParaReq(3, 0, Par(0x0203)); });
    EXPECT_EQ(drv->Close(), 0);
    EXPECT_EQ(duringClose, QelResult::NotOpen);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].Status, 0);
    EXPECT_FALSE(drv->IsOpen());
}

// Through the protocol selector: a dropped connection closes the driver at
// the next request, and the address then goes to the offline driver until
// the driver is opened again.
TEST(IpThroughSelector, DroppedConnectionFallsBackToOffline)
{
    SimDinNetServer sim;
    sim.addInverter(4)->setValue(0x0203, 44);
    QString error;
    ASSERT_TRUE(sim.startTcp(0, QStringLiteral("127.0.0.1"), &error)) << error.toStdString();

    TProtSel sel;
    sel.Ip()->SetIpAddress(QStringLiteral("127.0.0.1"));
    sel.Ip()->SetIpPort(sim.port());
    sel.Ip()->SetUDP(false);
    sel.Ip()->SetTimeOut(300);
    sel.SetProtocol(4, prIP);
    ASSERT_EQ(sel.GetActiveProtocol(4), prIP);
    TRecTel rsp;
    ASSERT_EQ(sel.ReadPara(4, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.Value, 44);

    sim.dropConnections();
    auto* ip = static_cast<TIp*>(sel.DriverOf(prIP));
    ASSERT_TRUE(qeltest::waitUntil([&] { return ip->ConnectionError(); }));
    EXPECT_EQ(sel.ReadParaReq(4, 0, Par(0x0203)), QelResult::DriverClosed);
    EXPECT_EQ(sel.GetActiveProtocol(4), prOffline);
    ASSERT_EQ(sel.ReadPara(4, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::Offline);

    // Setting the kind again opens the driver again.
    sel.SetProtocol(4, prIP);
    EXPECT_EQ(sel.GetActiveProtocol(4), prIP);
    ASSERT_EQ(sel.ReadPara(4, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Data.Value, 44);
}

// commprobe over IP: the real program, through the protocol selector and
// this driver, to the simulator (which answers from its own thread while
// the test waits for the program).
TEST(CommProbeIp, ReadsAndWritesOverUdpAndTcp)
{
    const QString probe = qeltest::binaryDir() + QStringLiteral("/tools/commprobe/commprobe");
    ASSERT_TRUE(QFileInfo(probe).isExecutable()) << qPrintable(probe) << " not built";
    auto run = [&](const QStringList& args, QStringList& lines, QString& err) {
        QProcess p;
        p.start(probe, args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        lines = QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        err = QString::fromLatin1(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QStringList cmds = {"--addr", "3", "--timeout", "500", "write", "0", "0x0203", "0x12345678", "1",
                              "read", "0", "0x0203", "1"};
    const QString value = QStringLiteral("0000000078563412") + QString(128, QLatin1Char('0'));

    for (bool udp : {true, false}) {
        SimDinNetServer sim;
        sim.addInverter(3);
        QString error;
        ASSERT_TRUE(udp ? sim.startUdp(0, {QStringLiteral("127.0.0.2")}, &error)
                        : sim.startTcp(0, QStringLiteral("127.0.0.2"), &error))
            << error.toStdString();
        const QStringList line = {"--prot", "ip", "--host", "127.0.0.2", "--port", QString::number(sim.port()),
                                  udp ? "--udp" : "--tcp"};
        QStringList lines;
        QString err;
        ASSERT_EQ(run(line + cmds, lines, err), 0) << udp << qPrintable(err);
        ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join('\n'));
        EXPECT_EQ(lines[1], QStringLiteral("result=0 status=0 data=") + value) << udp;
        EXPECT_EQ(sim.inverter(3)->value(0x0203, 0), 0x12345678) << udp;
    }

    // Nobody listens: the driver cannot be opened.
    RawSocket closedPort(SOCK_STREAM, "127.0.0.1");
    QStringList lines;
    QString err;
    EXPECT_EQ(run({"--prot", "ip", "--host", "127.0.0.1", "--port", QString::number(closedPort.port), "--tcp",
                   "read", "0", "0x0203", "1"},
                  lines, err),
              3)
        << qPrintable(err);
    EXPECT_TRUE(lines.isEmpty());
}

} // namespace
