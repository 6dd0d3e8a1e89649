// The DIN 66019 II serial driver end to end against the inverter simulator
// on a pseudo-terminal: asynchronous and synchronous exchanges, every
// fault the line can show, the address part, broadcasts, closing, the
// modem dialogue.

#include "comm/ansi.h"
#include "tests/comm/after_time_out.h"
#include "tests/comm/driver_fixture.h"
#include "sim/sim_din_pty_server.h"
#include "tests/support/sim_virtual_time.h"
#include "tests/support/wait_until.h"

#include <QObject>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using drvtest::Fault;
using drvtest::kEot;
using drvtest::Par;
using qelsim::SimDinPtyServer;

namespace {

class AnsiDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(sim.start({}, &error)) << error.toStdString();
        // The driver opens "COM4" through the port map.
        qputenv("QEL_COM4", sim.path().toLocal8Bit());
        sim.addInverter(1)->setValue(0x0203, 0x1234);
        sim.addInverter(3)->setValue(0x0203, 0x3333);
        sim.addInverter(4)->setValue(0x0203, 0x4444);
        drv = std::make_unique<TAnsi>();
        drv->SetComport(Com4);
        drvtest::RecordAnswers(*drv, answers);
    }

    void TearDown() override
    {
        drv.reset();
        qunsetenv("QEL_COM4");
    }

    void OpenDriver(int timeOut = 300)
    {
        drv->SetTimeOut(timeOut);
        ASSERT_EQ(drv->Open(), 0);
    }

    // One asynchronous request and its answer.
    TRecTel AsyncExchange(bool read, int addr, int service, const TTelData& d)
    {
        return drvtest::AsyncExchange(*drv, answers, read, addr, service, d);
    }

    QByteArray LastFrame() const { return drvtest::LastFrame(sim); }

    qeltest::SimVirtualTime time;
    SimDinPtyServer sim;
    std::unique_ptr<TAnsi> drv;
    std::vector<TRecTel> answers;
};

TEST_F(AnsiDriverTest, SettingsVersionAndOpenClose)
{
    EXPECT_EQ(drv->GetVersion(), QStringLiteral("DIN 66019 II Driver\r\nVersion: 1.6\r\nDate: 24.01.2002"));
    EXPECT_EQ(drv->GetProtType(), prANSI);
    EXPECT_EQ(drv->GetTimeOut(), 100);
    EXPECT_EQ(drv->GetBaudrate(), B_38400);
    EXPECT_FALSE(drv->GetOnReqAvail());
    drv->SetOnReqAvail([](QObject*, TRecTel) {});
    EXPECT_FALSE(drv->GetOnReqAvail());
    drv->SetRetryCnt(0);
    EXPECT_EQ(drv->GetRetryCnt(), 1);
    drv->SetRetryCnt(51);
    EXPECT_EQ(drv->GetRetryCnt(), 50);
    drv->SetModemCMD("  ATD123 ");
    EXPECT_EQ(drv->GetModemCMD(), QStringLiteral("ATD123"));
    drv->SetModemCMD("");

    EXPECT_EQ(drv->Close(), QelResult::NotOpen);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);
    OpenDriver();
    EXPECT_TRUE(drv->IsOpen());
    EXPECT_EQ(drv->Open(), QelResult::AlreadyOpen);
    // Line settings are taken only while closed; the others at any time.
    drv->SetComport(Com1);
    drv->SetBaudrate(B_9600);
    drv->SetModemCMD("ATD1");
    EXPECT_EQ(drv->GetComport(), Com4);
    EXPECT_EQ(drv->GetBaudrate(), B_38400);
    EXPECT_EQ(drv->GetModemCMD(), QString());
    drv->SetSendSlow(true);
    EXPECT_TRUE(drv->GetSendSlow());
    EXPECT_EQ(drv->ReadParaRsp(1, 1, 0, 0, TTelData{}), QelResult::NotSupported);
    EXPECT_EQ(drv->Close(), 0);
    EXPECT_FALSE(drv->IsOpen());
}

TEST_F(AnsiDriverTest, OpenFailsOnMissingDevice)
{
    qputenv("QEL_COM4", "/nonexistent/tty-for-test");
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv->IsOpen());
}

TEST_F(AnsiDriverTest, AsyncReadWriteAndRequestNumbers)
{
    OpenDriver();
    TRecTel r = AsyncExchange(true, 1, 0, Par(0x0203, 1));
    EXPECT_EQ(r.ReqId, 2); // the first request after opening
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 0x1234);
    EXPECT_EQ(r.InvAdr, 1);
    EXPECT_EQ(r.Service, 0);
    EXPECT_EQ(r.IsRead, 1);
    EXPECT_EQ(r.IsReq, 0);

    r = AsyncExchange(false, 1, 1, Par(0x0203, 1, 0x5678));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.IsRead, 0);
    EXPECT_EQ(sim.inverter(1)->value(0x0203), 0x5678);

    r = AsyncExchange(true, 1, -1, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.ParAdr, 0x0203);
    EXPECT_EQ(r.Data.ParSet, 0x5678);

    // Request numbers run 1..15: after 15 comes 1.
    for (int i = 0; i < 12; ++i)
        AsyncExchange(true, 1, -2, TTelData{});
    EXPECT_EQ(answers.back().ReqId, 1);
    EXPECT_EQ(answers.back().Status, 0);
}

TEST_F(AnsiDriverTest, RefusalsBeforeSending)
{
    OpenDriver(2000);
    const int sent = sim.requestCount();
    EXPECT_EQ(drv->ReadParaReq(240, 0, Par(1)), QelResult::AddrRange);
    EXPECT_EQ(drv->ReadParaReq(-1, 0, Par(1)), QelResult::AddrRange);
    EXPECT_EQ(drv->WriteParaReq(256, 0, Par(1)), QelResult::AddrRange);
    EXPECT_EQ(drv->ReadParaReq(1, 14, Par(1)), QelResult::NotSupported);
    EXPECT_EQ(drv->WriteParaReq(1, 2, Par(1)), QelResult::NotSupported);
    EXPECT_EQ(drv->ReadParaReq(1, 48, Par(1)), QelResult::NotSupported);
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(sim.requestCount(), sent);

    sim.faults().push(Fault("delay=300"));
    ASSERT_GE(drv->ReadParaReq(1, 0, Par(0x0203)), 1);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverBusy);
    EXPECT_EQ(drv->WriteParaReq(3, 0, Par(0x0203)), QelResult::DriverBusy);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == 1; }));
    EXPECT_EQ(answers[0].Status, 0);
}

TEST_F(AnsiDriverTest, AddressPartLeftOutAfterGoodExchange)
{
    OpenDriver();
    AsyncExchange(true, 3, 0, Par(0x0203));
    EXPECT_TRUE(LastFrame().startsWith(kEot));
    TRecTel r = AsyncExchange(true, 3, 0, Par(0x0203));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 0x3333);
    EXPECT_FALSE(LastFrame().startsWith(kEot)) << "same inverter after a good exchange";

    r = AsyncExchange(true, 4, 0, Par(0x0203));
    EXPECT_TRUE(LastFrame().startsWith(kEot)) << "another inverter";
    EXPECT_EQ(r.Data.Value, 0x4444);

    sim.faults().push(Fault("silence"));
    r = AsyncExchange(true, 4, 0, Par(0x0203));
    EXPECT_EQ(r.Status, QelResult::NoAnswer);
    AsyncExchange(true, 4, 0, Par(0x0203));
    EXPECT_TRUE(LastFrame().startsWith(kEot)) << "after a time-out";
    AsyncExchange(true, 4, 0, Par(0x0203));
    EXPECT_FALSE(LastFrame().startsWith(kEot));
}

TEST_F(AnsiDriverTest, LineFaults)
{
    struct Case {
        const char* fault;
        int service;
        int status;
    };
    const Case cases[] = {
        {"ok", 0, 0},
        {"silence", 0, QelResult::NoAnswer},
        {"delay=120", 0, 0},
        {"split=40", 0, 0},
        {"echo", 0, 0},
        {"echo", -1, 0},
        {"garbage", 0, 0},
        {"badcheck", 0, QelResult::Checksum},
        {"stale", 0, 0},
        {"stale", -1, 0},          // an answer for another parameter first
        {"foreignid", 0, QelResult::NoAnswer},
        {"foreignid", -1, QelResult::NoAnswer},
        {"refuse=5", 0, 5},
        {"refuse=2", -1, 2},
        {"busy", 0, 6},
        {"garbage=1502", 0, 0},    // a NAK without a digit in front is no refusal
    };
    OpenDriver(400);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fault << " service " << c.service);
        sim.faults().push(Fault(c.fault));
        const TRecTel r = AsyncExchange(true, 1, c.service, Par(0x0203));
        EXPECT_EQ(r.Status, c.status);
        if (c.status == 0) {
            EXPECT_EQ(c.service == 0 ? r.Data.Value : r.Data.ParSet, 0x1234);
        }
    }
    // The late answer of a timed-out request arrives during the next one
    // and is not taken for its answer.
    sim.inverter(1)->setValue(0x0204, 0x99);
    drv->SetTimeOut(1000);
    for (int service : {0, -1}) {
        SCOPED_TRACE(service);
        sim.faults().push(Fault("delay=1500"));
        EXPECT_EQ(AsyncExchange(true, 1, service, Par(0x0203)).Status, QelResult::NoAnswer);
        const TRecTel r = AsyncExchange(true, 1, service, Par(0x0204));
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(service == 0 ? r.Data.Value : r.Data.ParSet, 0x99);
    }
    drv->SetTimeOut(400);

    // Writes are acknowledged; an echoed write frame is not taken for an answer.
    for (const char* f : {"ok", "echo", "split=30", "garbage"}) {
        SCOPED_TRACE(f);
        sim.faults().push(Fault(f));
        EXPECT_EQ(AsyncExchange(false, 1, 0, Par(0x0203, 0, 77)).Status, 0);
    }
    // The echo of a write looks like a data frame of its own service and
    // number: only its removal keeps it from passing for the answer.
    for (const char* f : {"refuse=3", "echo+refuse=3"}) {
        SCOPED_TRACE(f);
        sim.faults().push(Fault(f));
        EXPECT_EQ(AsyncExchange(false, 1, 0, Par(0x0203, 0, 78)).Status, 3);
    }
    EXPECT_EQ(sim.inverter(1)->value(0x0203), 77);
}

// Noise that holds no frame end wakes nobody and is never scanned away:
// once it has filled the receive ring, the answer behind it must still be
// read whole, whichever ring position it starts at.
TEST_F(AnsiDriverTest, AnswerBehindNoiseThatFillsTheRing)
{
    OpenDriver(400);
    int written = 0;
    for (int noise : {100, 110, 115, 119, 125, 250, 600}) {
        SCOPED_TRACE(noise);
        const QByteArray garbage = QByteArray("xyz?#", 5).repeated(noise / 5 + 1).left(noise);
        const QByteArray spec = "garbage=" + garbage.toHex();
        sim.faults().push(Fault(spec.constData()));
        const TRecTel r = AsyncExchange(true, 1, 0, Par(0x0203));
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Data.Value, 0x1234);

        sim.faults().push(Fault(spec.constData()));
        EXPECT_EQ(AsyncExchange(false, 1, 0, Par(0x0204, 0, ++written)).Status, 0);
        EXPECT_EQ(sim.inverter(1)->value(0x0204), written);
    }
}

TEST_F(AnsiDriverTest, EveryServiceEndToEnd)
{
    // A described inverter, so that every description service answers.
    qelsim::SimModel m = qelsim::SimModel::bare(7);
    qelsim::SimParam p;
    p.addr = 0x0203;
    p.textId = 7;
    p.lower = -100;
    p.upper = 5000;
    p.def = 1234;
    p.attr = 0x400;
    p.flags = 0x5D; // 0x8: writable
    p.mul = 3;
    p.div = 10;
    p.offset = -5;
    p.format = 0x21;
    p.defCount = 2;
    p.name = "Speed";
    m.params[p.addr] = p;
    qelsim::SimGroup g;
    g.base = 0x0200;
    g.index = 2;
    g.idChar[0] = 'S';
    g.idChar[1] = 'P';
    g.shortcut = 'x';
    g.prop = 9;
    g.maxPara = 40;
    g.lastPara = 3;
    g.name = "Motor";
    m.groups.push_back(g);
    qelsim::SimPlainText t;
    t.textId = 7;
    t.fields.push_back({0x0F, "Mode", {{1, 2, "Off"}, {2, 0, "Automatic"}}});
    m.plainTexts.push_back(t);
    sim.inverter(1)->setModel(m);
    sim.inverter(1)->setProcessLoopback(false);
    sim.inverter(1)->setProcessIn({0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7});

    auto req = [](std::initializer_list<std::pair<int, int>> bytes) {
        TTelData d;
        for (auto [pos, b] : bytes)
            d.SetByte(pos, static_cast<uint8_t>(b));
        return d;
    };
    auto text = [](int pos, const char* s) {
        std::vector<std::pair<int, int>> out{{pos, static_cast<int>(std::strlen(s))}};
        for (size_t i = 0; s[i]; ++i)
            out.push_back({pos + 1 + static_cast<int>(i), s[i]});
        return out;
    };
    auto cat = [](std::vector<std::pair<int, int>> a, const std::vector<std::pair<int, int>>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        bool read;
        int service;
        TTelData data;
        int status;
        std::vector<std::pair<int, int>> bytes; // expected answer bytes (position, value)
    };
    const Case cases[] = {
        {"limits", true, 2, req({{0, 0x03}, {1, 0x02}}), 0, {{4, 0x9C}, {7, 0xFF}, {8, 0x88}, {9, 0x13}}},
        {"default", true, 3, req({{0, 0x03}, {1, 0x02}}), 0, {{4, 0xD2}, {5, 0x04}}},
        {"attributes", true, 4, req({{0, 0x03}, {1, 0x02}}), 0, {{5, 0x04}, {8, 0x5D}}},
        {"scaling", true, 5, req({{0, 0x03}, {1, 0x02}}), 0, {{2, 10}, {4, 3}, {6, 0xFB}, {7, 0xFF}, {8, 0x21}}},
        {"name", true, 6, req({{0, 0x03}, {1, 0x02}}), 0, text(3, "Speed")},
        {"texts", true, 7, req({{0, 0x03}, {1, 0x02}}), 0, {{6, 7}, {8, 2}}},
        {"plain value short", true, 8, req({{0, 0}, {2, 7}, {4, 0}}), 0,
         cat({{8, 1}, {12, 2}}, text(13, "Off  "))},
        {"plain value", true, 9, req({{0, 0}, {2, 7}, {4, 0}, {5, 1}}), 0, cat({{8, 2}, {12, 0}}, text(13, "Automatic"))},
        {"group", true, 10, req({{1, 0x02}}), 0, {{2, 2}, {4, 'S'}, {5, 'P'}, {6, 'x'}, {8, 9}, {10, 40}, {11, 3}}},
        {"group name", true, 11, req({{1, 0x02}}), 0, text(3, "Motor")},
        {"bit field", true, 12, req({{0, 7}, {2, 0}}), 0, cat({{4, 0x0F}, {8, 2}}, text(9, "Mode"))},
        {"not described", true, 6, req({{0, 0x99}, {1, 0x09}}), 2, {}},
        {"write 2x32", false, 16, req({{0, 0x44}, {3, 0x11}, {4, 0x88}, {7, 0x55}}), 0, {}},
        {"read 2x32", true, 16, TTelData{}, 0, {{0, 0xA0}, {3, 0xA3}, {4, 0xA4}, {7, 0xA7}}},
        {"write 4x16", false, 17, req({{0, 1}, {2, 2}, {4, 3}, {6, 4}}), 0, {}},
        {"read 4x16", true, 17, TTelData{}, 0, {{0, 0xA0}, {1, 0xA1}, {6, 0xA6}, {7, 0xA7}}},
        {"exchange 2x32", false, 48, req({{0, 9}, {4, 8}}), 0, {{0, 0xA0}, {4, 0xA4}, {7, 0xA7}}},
        {"exchange 4x16", false, 49, req({{0, 5}, {6, 6}}), 0, {{0, 0xA0}, {2, 0xA2}, {6, 0xA6}}},
        {"scope", true, 18, TTelData{}, 0, {}},
        {"write value", false, 0, req({{0, 0x03}, {1, 0x02}, {2, 1}, {4, 77}}), 0, {}},
        {"read value", true, 0, req({{0, 0x03}, {1, 0x02}, {2, 1}}), 0, {{4, 77}}},
        {"read actual set", true, 1, req({{0, 0x03}, {1, 0x02}, {2, 1}}), 0, {{4, 77}}},
        {"plain write", false, -1, req({{0, 0x03}, {1, 0x02}, {2, 0x34}, {3, 0x12}}), 0, {}},
        {"plain read", true, -1, req({{0, 0x03}, {1, 0x02}}), 0, {{0, 0x03}, {1, 0x02}, {2, 0x34}, {3, 0x12}}},
        {"check", true, 32, req({{0, 0x03}, {1, 0x02}, {2, 1}}), 0, {}},
        {"check write", false, 32, req({{0, 0x03}, {1, 0x02}, {2, 1}}), 0, {}},
        {"check set addressing", true, 33, req({{0, 0x03}, {1, 0x02}, {2, 1}}), 0, {}},
        {"poll", true, -2, TTelData{}, 0, {}},
    };
    OpenDriver(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRecTel r = AsyncExchange(c.read, 1, c.service, c.data);
        EXPECT_EQ(r.Status, c.status);
        EXPECT_EQ(r.Service, c.service);
        for (auto [pos, b] : c.bytes)
            EXPECT_EQ(r.Data.GetByte(pos), b) << "at " << pos;
    }
    const auto out = sim.inverter(1)->processOut();
    EXPECT_EQ(out[0], 5); // the last process data written (service 49)
    EXPECT_EQ(out[6], 6);

    // On a line that echoes, an answer that equals the frame byte for byte
    // (process data read back unchanged) follows the echo: one copy is the
    // echo, the other the answer.
    sim.inverter(1)->setProcessLoopback(true);
    sim.faults().push(Fault("echo"));
    const TRecTel r = AsyncExchange(false, 1, 48, req({{0, 0x31}, {4, 0x32}}));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(0), 0x31);
    EXPECT_EQ(r.Data.GetByte(4), 0x32);
}

TEST_F(AnsiDriverTest, SendSlowAndEchoTogether)
{
    drv->SetSendSlow(true);
    OpenDriver();
    sim.faults().push(Fault("echo*always"));
    EXPECT_EQ(AsyncExchange(true, 1, 0, Par(0x0203)).Data.Value, 0x1234);
    EXPECT_EQ(AsyncExchange(false, 1, 0, Par(0x0203, 0, 9)).Status, 0);
    EXPECT_EQ(AsyncExchange(true, 1, 0, Par(0x0203)).Data.Value, 9);
    sim.faults().clear();
    sim.faults().push(Fault("echo+refuse=4"));
    EXPECT_EQ(AsyncExchange(false, 1, 0, Par(0x0203, 0, 10)).Status, 4);
}

TEST_F(AnsiDriverTest, BroadcastWrite)
{
    OpenDriver(150);
    // Asynchronous: completes with 0 at the time-out, every inverter wrote.
    const TRecTel r = AsyncExchange(false, 240, 0, Par(0x0203, 0, 42));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.InvAdr, 240);
    EXPECT_EQ(sim.inverter(1)->value(0x0203), 42);
    EXPECT_EQ(sim.inverter(4)->value(0x0203), 42);
    // The next frame to an inverter carries its address part.
    AsyncExchange(true, 1, 0, Par(0x0203));
    EXPECT_TRUE(LastFrame().startsWith(kEot));

    // Synchronous: returns at once with 0 (the time-out is long).
    drv->SetTimeOut(10000);
    TRecTel rsp;
    EXPECT_EQ(drv->WritePara(255, 0, Par(0x0203, 0, 43), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return sim.inverter(3)->value(0x0203) == 43; }));
}

TEST_F(AnsiDriverTest, SyncRetriesAndResults)
{
    OpenDriver(150);
    drv->SetRetryCnt(3);
    TRecTel rsp;

    // Two silent tries, the third answers.
    sim.faults().push(Fault("silence*2"));
    int before = sim.requestCount();
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.Value, 0x1234);
    EXPECT_EQ(sim.requestCount() - before, 3);

    // Every try silent: Status -10 after RetryCnt tries.
    sim.faults().push(Fault("silence*always"));
    before = sim.requestCount();
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    EXPECT_EQ(sim.requestCount() - before, 3);
    sim.faults().clear();

    // Wrong block check and error 1 are failed tries; another refusal ends them.
    sim.faults().push(Fault("badcheck"));
    sim.faults().push(Fault("refuse=1"));
    before = sim.requestCount();
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(sim.requestCount() - before, 3);
    sim.faults().push(Fault("refuse=2"));
    before = sim.requestCount();
    EXPECT_EQ(drv->WritePara(1, 0, Par(0x0203, 0, 5), rsp), 0);
    EXPECT_EQ(rsp.Status, 2);
    EXPECT_EQ(sim.requestCount() - before, 1);

    // Error 6 is repeated with a fresh count of tries until another result.
    sim.faults().push(Fault("busy*5"));
    before = sim.requestCount();
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(sim.requestCount() - before, 6);

    // A refused request: the code comes back and the record holds no success.
    rsp.Status = 0;
    EXPECT_EQ(drv->ReadPara(300, 0, Par(0x0203), rsp), QelResult::AddrRange);
    EXPECT_EQ(rsp.Status, QelResult::AddrRange);
    EXPECT_TRUE(answers.empty()) << "synchronous exchanges raise no answer event";
}

TEST_F(AnsiDriverTest, SyncRepeatOnErrorSixIsBounded)
{
    OpenDriver(150);
    sim.faults().push(Fault("busy*always"));
    TRecTel rsp;
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 6);
    sim.faults().clear();
    // The driver is usable afterwards.
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
}

TEST_F(AnsiDriverTest, SyncTimeOutIsNoOpeningForAnotherClient)
{
    // Another client's request coming in just after the time-out of the
    // exchange's own request must not take its place: the exchange would
    // report that request's answer as its own.
    OpenDriver(173);
    drv->SetRetryCnt(1);
    sim.faults().push(Fault("silence*always"));
    int foreign = 0;
    AfterTimeOut hook(173, [&] { foreign = drv->ReadParaReq(4, 0, Par(0x0203)); });
    TRecTel rsp;
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    ASSERT_TRUE(hook.Fired());
    EXPECT_EQ(foreign, QelResult::DriverBusy);
    EXPECT_EQ(rsp.InvAdr, 1);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    sim.faults().clear();
}

TEST_F(AnsiDriverTest, CloseEndsSynchronousWait)
{
    OpenDriver(60000);
    sim.faults().push(Fault("silence*always"));
    TRecTel rsp;
    rsp.Status = 0;
    int inner = 0;
    qel::TTimer::singleShot(100, drv.get(), [&] { inner = drv->Close(); });
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), QelResult::DriverClosed);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(rsp.Status, QelResult::DriverClosed);
    EXPECT_FALSE(drv->IsOpen());
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), QelResult::DriverClosed);
    sim.faults().clear();

    // A run of error 6 ends as well when the driver closes.
    OpenDriver(300);
    sim.faults().push(Fault("busy*always"));
    qel::TTimer::singleShot(200, drv.get(), [&] { drv->Close(); });
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), QelResult::DriverClosed);
    EXPECT_EQ(rsp.Status, QelResult::DriverClosed);
    sim.faults().clear();
}

TEST_F(AnsiDriverTest, CloseWaitsForAsynchronousAnswer)
{
    OpenDriver(2000);
    sim.faults().push(Fault("delay=100"));
    ASSERT_GE(drv->ReadParaReq(1, 0, Par(0x0203)), 1);
    EXPECT_EQ(drv->Close(), 0);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].Status, 0);
    EXPECT_EQ(answers[0].Data.Value, 0x1234);
}

TEST_F(AnsiDriverTest, SyncWaitsForIdleAndRefusesNewAsyncRequests)
{
    OpenDriver(2000);
    sim.faults().push(Fault("delay=200"));
    ASSERT_GE(drv->ReadParaReq(3, 0, Par(0x0203)), 1);

    // A client that keeps asking while the synchronous exchange waits.
    std::vector<int> refused;
    qel::TTimer poller;
    QObject::connect(&poller, &qel::TTimer::timeout, [&] { refused.push_back(drv->ReadParaReq(4, 0, Par(0x0203))); });
    poller.start(20);
    // The answer handler asks at once for the next request.
    drv->SetOnRspAvail([&](QObject*, TRecTel rec) {
        answers.push_back(rec);
        refused.push_back(drv->ReadParaReq(4, 0, Par(0x0203)));
    });
    TRecTel rsp;
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    poller.stop();
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.Value, 0x1234);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].Data.Value, 0x3333);
    ASSERT_FALSE(refused.empty());
    for (int r : refused)
        EXPECT_EQ(r, QelResult::DriverBusy);

    // A second synchronous exchange from inside the first is refused.
    sim.faults().push(Fault("delay=150"));
    int nested = 0;
    TRecTel nestedRsp;
    qel::TTimer::singleShot(50, drv.get(), [&] { nested = drv->ReadPara(3, 0, Par(0x0203), nestedRsp); });
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(nested, QelResult::DriverBusy);
    EXPECT_EQ(rsp.Status, 0);
}

// ------------------------------------------------------------------ modem

TEST_F(AnsiDriverTest, ModemConnects)
{
    qelsim::SimModemSettings m;
    m.enabled = true;
    m.dialResult = "CONNECT 9600";
    m.dialDelayMs = 300;
    sim.setModem(m);
    drv->SetModemCMD("ATDT 555");

    // The message loop runs while dialling, and requests are refused.
    std::vector<int> during;
    qel::TTimer poller;
    QObject::connect(&poller, &qel::TTimer::timeout, [&] { during.push_back(drv->ReadParaReq(1, 0, Par(0x0203))); });
    poller.start(30);
    EXPECT_EQ(drv->Open(), 0);
    poller.stop();
    ASSERT_FALSE(during.empty());
    for (int r : during)
        EXPECT_EQ(r, QelResult::DriverBusy);
    EXPECT_TRUE(sim.modemOnline());
    const QStringList cmds = sim.modemCommands();
    ASSERT_GE(cmds.size(), 2);
    EXPECT_EQ(cmds[0].trimmed(), QStringLiteral("AT"));
    EXPECT_EQ(cmds[1].trimmed(), QStringLiteral("ATDT 555"));

    // Online: frames go through, numbered from the start.
    drv->SetTimeOut(500);
    TRecTel r = AsyncExchange(true, 1, 0, Par(0x0203));
    EXPECT_EQ(r.ReqId, 2);
    EXPECT_EQ(r.Data.Value, 0x1234);
    EXPECT_EQ(drv->Close(), 0);
}

TEST_F(AnsiDriverTest, ModemFailures)
{
    for (const char* result : {"BUSY", "NO CARRIER", "NO DIALTONE", "NO ANSWER", "ERROR"}) {
        SCOPED_TRACE(result);
        qelsim::SimModemSettings m;
        m.enabled = true;
        m.dialResult = result;
        sim.setModem(m);
        drv->SetModemCMD("ATD1");
        EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
        EXPECT_FALSE(drv->IsOpen());
        EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);
    }
    // No "OK" within about a second.
    qelsim::SimModemSettings m;
    m.enabled = true;
    m.answerOk = false;
    sim.setModem(m);
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv->IsOpen());
}

TEST_F(AnsiDriverTest, FreedInsideItsOwnWaits)
{
    // A handler run inside the synchronous wait frees the driver.
    OpenDriver(60000);
    sim.faults().push(Fault("silence"));
    TAnsi* raw = drv.get();
    TRecTel rsp;
    QObject anchor;
    qel::TTimer::singleShot(50, &anchor, [&] { drv.reset(); });
    EXPECT_EQ(raw->ReadPara(1, 0, Par(0x0203), rsp), QelResult::DriverClosed);
    EXPECT_EQ(rsp.Status, QelResult::DriverClosed);
    ASSERT_FALSE(drv);

    // ... and inside the modem dialling.
    drv = std::make_unique<TAnsi>();
    drv->SetComport(Com4);
    qelsim::SimModemSettings m;
    m.enabled = true;
    m.dialDelayMs = 5000;
    sim.setModem(m);
    drv->SetModemCMD("ATD1");
    raw = drv.get();
    qel::TTimer::singleShot(100, &anchor, [&] { drv.reset(); });
    EXPECT_EQ(raw->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv);
}

} // namespace
