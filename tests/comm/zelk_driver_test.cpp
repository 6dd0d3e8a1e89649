// The Zelk driver end to end against the inverter simulator on a
// pseudo-terminal: many requests outstanding, answers in any order,
// back-to-back requests, the slave role, the synchronous exchange with its
// two sets of results, time-outs and broken answers.

#include "tests/support/sim_virtual_time.h"
#include "comm/zelk.h"
#include "sim/sim_zelk_pty.h"
#include "tests/comm/driver_fixture.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <optional>

#include <map>
#include <memory>
#include <vector>

using drvtest::Fault;
using drvtest::Par;
using qelsim::SimData;
using qelsim::SimZelkPty;

namespace {

class ZelkDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QEL_COM6", QByteArray());
    }

    // Starts the simulator in its role and maps COM6 to it.
    void StartSim(bool simIsMaster = false)
    {
        sim.setMaster(simIsMaster);
        QString error;
        ASSERT_TRUE(sim.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM6", sim.path().toLocal8Bit());
        inv = sim.addInverter(1);
        for (uint16_t p = 0x0200; p < 0x0210; ++p)
            inv->setValue(p, 0x1000 + p);
        drv = std::make_unique<tZelk>();
        drv->SetComport(Com6);
        drvtest::RecordAnswers(*drv, answers);
    }

    void OpenDriver(int timeOut = 1000, bool master = true)
    {
        drv->SetMaster(master);
        drv->SetTimeOut(timeOut);
        ASSERT_EQ(drv->Open(), 0);
    }

    void TearDown() override
    {
        drv.reset();
        sim.stop();
        qunsetenv("QEL_COM6");
    }

    bool WaitAnswers(size_t n, int ms = 10000)
    {
        return qeltest::waitUntil([&] { return answers.size() >= n; }, ms);
    }

    const TRecTel* AnswerFor(int id) const
    {
        for (const TRecTel& a : answers)
            if (a.ReqId == id)
                return &a;
        return nullptr;
    }

    std::optional<qeltest::SimVirtualTime> time{std::in_place};
    SimZelkPty sim;
    std::shared_ptr<qelsim::SimInverter> inv;
    std::unique_ptr<tZelk> drv;
    std::vector<TRecTel> answers;
};

TEST_F(ZelkDriverTest, SettingsVersionAndOpenClose)
{
    StartSim();
    EXPECT_EQ(drv->GetVersion(), QStringLiteral("Zelk Driver\r\nVersion: 1.5\r\nDate: 24.01.2002"));
    EXPECT_EQ(drv->GetProtType(), prZelk);
    EXPECT_EQ(drv->GetTimeOut(), 100);
    EXPECT_EQ(drv->GetBaudrate(), B_38400);
    EXPECT_EQ(drv->GetComport(), Com6);
    EXPECT_FALSE(drv->GetSendSlow());
    EXPECT_TRUE(drv->GetMaster());
    drv->SetTimeOut(5);
    EXPECT_EQ(drv->GetTimeOut(), 10);
    drv->SetTimeOut(20000);
    EXPECT_EQ(drv->GetTimeOut(), 10000);
    EXPECT_EQ(drv->GetNextReqId(), 1);
    drv->SetNextReqId(16);
    drv->SetNextReqId(0);
    EXPECT_EQ(drv->GetNextReqId(), 1);
    drv->SetNextReqId(15);
    EXPECT_EQ(drv->GetNextReqId(), 15);
    drv->SetOnReqAvail([](QObject*, TRecTel) {});
    EXPECT_TRUE(drv->GetOnReqAvail());

    TRecTel rsp;
    EXPECT_EQ(drv->Close(), QelResult::NotOpen);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0203)), QelResult::DriverClosed);
    EXPECT_EQ(drv->ReadParaRsp(1, 1, 0, 0, Par(0x0203)), QelResult::DriverClosed);
    EXPECT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), QelResult::DriverClosed);
    EXPECT_EQ(rsp.Status, QelResult::DriverClosed);

    OpenDriver();
    EXPECT_EQ(drv->Open(), QelResult::AlreadyOpen);
    // Role and line settings are taken only while closed.
    drv->SetMaster(false);
    drv->SetComport(Com1);
    drv->SetBaudrate(B_9600);
    EXPECT_TRUE(drv->GetMaster());
    EXPECT_EQ(drv->GetComport(), Com6);
    EXPECT_EQ(drv->GetBaudrate(), B_38400);

    // Services without a layout are refused before anything is sent.
    for (int s : {14, 13, -2, 19, 64})
        EXPECT_EQ(drv->ReadParaReq(1, s, Par(0x0203)), QelResult::NotSupported) << s;
    EXPECT_EQ(drv->ReadParaRsp(1, 1, -1, 0, Par(0x0203)), QelResult::NotSupported);
    EXPECT_EQ(drv->WriteParaRsp(1, 1, 14, 0, Par(0x0203)), QelResult::NotSupported);
    EXPECT_EQ(drv->GetNextReqId(), 15);
    EXPECT_EQ(drv->Close(), 0);
    EXPECT_FALSE(drv->IsOpen());
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(sim.requestCount(), 0);

    qputenv("QEL_COM6", "/nonexistent/tty-for-test");
    EXPECT_EQ(drv->Open(), QelResult::OpenFailed);
    EXPECT_FALSE(drv->IsOpen());
}

// Requests sent back to back are all outstanding at once, none is lost on
// the way to the port, and each answer reaches its own request.
TEST_F(ZelkDriverTest, BackToBackRequestsAreAllAnswered)
{
    StartSim();
    for (int round = 0; round < 4; ++round) {
        const bool slow = round % 2 == 1;
        // Paced: each character takes its time at the line's bit rate, so
        // telegrams arrive piecemeal and the receive waits for their rest.
        const bool paced = round >= 2;
        SCOPED_TRACE(testing::Message() << (slow ? "SendSlow" : "whole telegrams") << (paced ? ", paced" : ""));
        sim.setBaudRate(paced ? 38400 : 0);
        answers.clear();
        drv->SetSendSlow(slow);
        if (!drv->IsOpen())
            OpenDriver(3000);
        drv->SetNextReqId(1);
        std::map<int, int> addrOf;
        for (int i = 0; i < 15; ++i) {
            const int addr = 10 + i;
            const int id = drv->ReadParaReq(addr, 0, Par(uint16_t(0x0200 + i)));
            ASSERT_EQ(id, i + 1);
            addrOf[id] = addr;
        }
        EXPECT_EQ(drv->PendingCount(), 15);
        ASSERT_TRUE(WaitAnswers(15));
        for (int id = 1; id <= 15; ++id) {
            const TRecTel* a = AnswerFor(id);
            ASSERT_NE(a, nullptr) << id;
            EXPECT_EQ(a->Status, 0) << id;
            EXPECT_EQ(a->InvAdr, addrOf[id]);
            EXPECT_EQ(a->Service, 0);
            EXPECT_EQ(a->IsRead, 1);
            EXPECT_EQ(a->IsReq, 0);
            EXPECT_EQ(a->Data.Value, 0x1000 + 0x0200 + id - 1) << id;
        }
        EXPECT_EQ(drv->PendingCount(), 0);
    }
    // The requests went out with the number in the high nibble.
    for (const auto& t : sim.receivedRequests())
        EXPECT_TRUE(t.highNibble);
}

TEST_F(ZelkDriverTest, ServicesOfTheZelkLine)
{
    StartSim();
    OpenDriver(3000);
    TRecTel rsp;

    // Service -1 goes out as service 1 with set byte 1; the answer gives the
    // low 16 bits of the value in data bytes 2-3.
    inv->setValue(0x0207, 0x12345678);
    ASSERT_EQ(drv->ReadPara(1, QelService::Plain, Par(0x0207), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Service, -1);
    EXPECT_EQ(rsp.Data.GetU16(2), 0x5678);
    const QByteArray sent = sim.receivedFrames().back();
    ASSERT_EQ(sent.size(), 6);
    EXPECT_EQ(uint8_t(sent[1]), 0x01);
    EXPECT_EQ(uint8_t(sent[4]), 0x01);

    // A 16-bit write of -1 reaches the inverter sign-extended.
    TTelData w = Par(0x0208);
    w.ParSet = 0xFFFE;
    ASSERT_EQ(drv->WritePara(1, QelService::Plain, w, rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(inv->value(0x0208), -2);

    // Process data written and read in one exchange.
    TTelData pd;
    pd.SetI32(0, -7);
    pd.SetI32(4, 0x01020304);
    ASSERT_EQ(drv->WritePara(1, QelService::ProcData32RW, pd, rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.GetI32(0), -7);
    EXPECT_EQ(rsp.Data.GetI32(4), 0x01020304);

    // Error numbers of the inverter arrive as the status.
    inv->setRefusal(0x0209, 0, 2);
    ASSERT_EQ(drv->ReadPara(1, 0, Par(0x0209), rsp), 0);
    EXPECT_EQ(rsp.Status, 2);
}

// Answers come in another order than the requests went out; each goes to
// its own request. An answer without a pending request is ignored.
TEST_F(ZelkDriverTest, AnswersOutOfOrder)
{
    time.reset(); // real time: the simulator schedules overlapping answers on the real clock
    StartSim();
    OpenDriver(5000);
    sim.faults().push(Fault("silence*2"));
    const int a = drv->ReadParaReq(3, 0, Par(0x0201));
    const int b = drv->WriteParaReq(4, 0, Par(0x0202, 0, 99));
    ASSERT_EQ(a, 1);
    ASSERT_EQ(b, 2);
    ASSERT_TRUE(qeltest::waitUntil([&] { return sim.requestCount() >= 2; }));

    SimData v;
    v.setI32(4, 4711);
    // An answer for number 9 (none pending), then b's, then a's, in one burst.
    sim.sendRaw(qelsim::zelk::buildAnswer(0, false, 9, true, 0, v) + qelsim::zelk::buildAnswer(0, true, b, true, 3, {})
                + qelsim::zelk::buildAnswer(0, false, a, true, 0, v));
    ASSERT_TRUE(WaitAnswers(2));
    EXPECT_EQ(answers[0].ReqId, b);
    EXPECT_EQ(answers[0].InvAdr, 4);
    EXPECT_EQ(answers[0].IsRead, 0);
    EXPECT_EQ(answers[0].Status, 3);
    EXPECT_EQ(answers[1].ReqId, a);
    EXPECT_EQ(answers[1].InvAdr, 3);
    EXPECT_EQ(answers[1].Data.Value, 4711);
    EXPECT_EQ(drv->PendingCount(), 0);
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(answers.size(), 2u);

    // The inverter itself answers a slow request after a quicker one.
    answers.clear();
    sim.faults().push(Fault("delay=300"));
    const int slow = drv->ReadParaReq(5, 0, Par(0x0205));
    const int quick = drv->ReadParaReq(6, 0, Par(0x0206));
    ASSERT_TRUE(WaitAnswers(2));
    EXPECT_EQ(answers[0].ReqId, quick);
    EXPECT_EQ(answers[0].InvAdr, 6);
    EXPECT_EQ(answers[0].Data.Value, 0x1206);
    EXPECT_EQ(answers[1].ReqId, slow);
    EXPECT_EQ(answers[1].InvAdr, 5);
    EXPECT_EQ(answers[1].Data.Value, 0x1205);
}

// A number still outstanding is not given out again, so no answer can
// reach the wrong request.
TEST_F(ZelkDriverTest, OutstandingNumberIsNotReused)
{
    StartSim();
    OpenDriver(300);
    sim.faults().push(Fault("silence"));
    ASSERT_EQ(drv->ReadParaReq(1, 0, Par(0x0201)), 1);
    drv->SetNextReqId(1);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0202)), QelResult::DriverBusy);
    EXPECT_EQ(drv->GetNextReqId(), 1);
    ASSERT_TRUE(WaitAnswers(1));
    EXPECT_EQ(answers[0].Status, QelResult::NoAnswer);
    EXPECT_EQ(drv->ReadParaReq(1, 0, Par(0x0202)), 1);
    ASSERT_TRUE(WaitAnswers(2));
    EXPECT_EQ(answers[1].Status, 0);
    EXPECT_EQ(answers[1].Data.Value, 0x1202);
}

// No answer, an answer with a wrong check byte, a corrupt length byte, a
// telegram cut short: each request ends with -10, and the line works on.
TEST_F(ZelkDriverTest, TimeOutsAndBrokenAnswers)
{
    StartSim();
    OpenDriver(300);
    struct Case {
        const char* name;
        const char* fault;   // simulator fault, or null for a raw answer
        QByteArray raw;      // sent in place of the answer
    };
    QByteArray corrupt("\x10\x86\xC8", 3); // answer 6 with a text length of 200
    corrupt.append(QByteArray(60, 'x'));
    SimData v;
    v.setI32(4, 1);
    const QByteArray whole = qelsim::zelk::buildAnswer(0, false, 1, true, 0, v);
    const Case cases[] = {
        {"silence", "silence", {}},
        {"wrong check byte", "badcheck", {}},
        {"corrupt length byte", nullptr, corrupt},
        {"telegram cut short", nullptr, whole.left(5)},
        {"service without telegram", nullptr, QByteArray("\x10\x8E\x00\x00", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        answers.clear();
        drv->SetNextReqId(1);
        sim.faults().push(Fault(c.fault ? c.fault : "silence"));
        const int before = sim.requestCount();
        ASSERT_EQ(drv->ReadParaReq(7, 0, Par(0x0201)), 1);
        if (!c.raw.isEmpty()) {
            ASSERT_TRUE(qeltest::waitUntil([&] { return sim.requestCount() > before; }));
            sim.sendRaw(c.raw);
        }
        ASSERT_TRUE(WaitAnswers(1));
        EXPECT_EQ(answers[0].ReqId, 1);
        EXPECT_EQ(answers[0].InvAdr, 7);
        EXPECT_EQ(answers[0].Service, 0);
        EXPECT_EQ(answers[0].IsRead, 1);
        EXPECT_EQ(answers[0].Status, QelResult::NoAnswer);

        // The line is usable afterwards.
        answers.clear();
        ASSERT_EQ(drv->ReadParaReq(7, 0, Par(0x0203)), 2);
        ASSERT_TRUE(WaitAnswers(1));
        EXPECT_EQ(answers[0].Status, 0);
        EXPECT_EQ(answers[0].Data.Value, 0x1203);
    }

    // Closing leaves outstanding requests to their time-out.
    answers.clear();
    sim.faults().push(Fault("silence"));
    const int id = drv->ReadParaReq(8, 0, Par(0x0201));
    ASSERT_GE(id, 1);
    EXPECT_EQ(drv->Close(), 0);
    ASSERT_TRUE(WaitAnswers(1));
    EXPECT_EQ(answers[0].ReqId, id);
    EXPECT_EQ(answers[0].InvAdr, 8);
    EXPECT_EQ(answers[0].Status, QelResult::NoAnswer);
    EXPECT_EQ(drv->PendingCount(), 0);
    ASSERT_EQ(drv->Open(), 0);
    TRecTel rsp;
    ASSERT_EQ(drv->ReadPara(8, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
}

// A burst that starts no telegram is dropped whole, however long: what the
// receive buffer did not take at once must not become the start of the
// next telegram.
TEST_F(ZelkDriverTest, NoiseBurstLeavesNothingBehind)
{
    StartSim();
    OpenDriver(300);
    for (int noise : {10, 41, 100, 300}) {
        SCOPED_TRACE(noise);
        answers.clear();
        sim.sendRaw(QByteArray(noise, 'x')); // as byte 1: a write request of service 56, which has none
        ASSERT_TRUE(qeltest::waitUntil([] { return qel::LineInFlight() == 0; }));
        const int id = drv->ReadParaReq(7, 0, Par(0x0203));
        ASSERT_GE(id, 1);
        ASSERT_TRUE(WaitAnswers(1));
        EXPECT_EQ(answers[0].Status, 0);
        EXPECT_EQ(answers[0].Data.Value, 0x1203);
    }
}

// The synchronous exchange ends on 0, 2, 3, 4, 7, 8 and 11 and tries every
// other result again, up to RetryCnt times.
TEST_F(ZelkDriverTest, SynchronousRetrySets)
{
    StartSim();
    OpenDriver(150);
    drv->SetRetryCnt(3);
    struct Case {
        const char* fault;
        int status;
        int tries;
    };
    const Case cases[] = {
        {"ok", 0, 1},
        {"refuse=3*always", 3, 1},
        {"refuse=11*always", 11, 1},
        {"refuse=8*always", 8, 1},
        {"refuse=5*always", 5, 3},
        {"busy*always", 6, 3},
        {"refuse=1*always", 1, 3},
        {"silence*always", QelResult::NoAnswer, 3},
        {"badcheck*always", QelResult::NoAnswer, 3},
        {"refuse=5*2", 0, 3}, // the third try succeeds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        sim.faults().clear();
        sim.faults().push(Fault(c.fault));
        const int before = sim.requestCount();
        TRecTel rsp;
        EXPECT_EQ(drv->ReadPara(5, 0, Par(0x0204), rsp), 0);
        EXPECT_EQ(rsp.Status, c.status);
        EXPECT_EQ(rsp.InvAdr, 5);
        EXPECT_EQ(rsp.Service, 0);
        EXPECT_EQ(sim.requestCount() - before, c.tries);
        if (c.status == 0) {
            EXPECT_EQ(rsp.Data.Value, 0x1204);
        }
        EXPECT_EQ(drv->PendingCount(), 0);
    }
    EXPECT_TRUE(answers.empty());
}

// Asynchronous answers still raise OnRspAvail during a synchronous
// exchange; a second synchronous exchange started meanwhile is refused.
TEST_F(ZelkDriverTest, SynchronousExchangeBesideAsynchronousRequests)
{
    StartSim();
    OpenDriver(3000);
    int nested = 0;
    TRecTel nestedRsp;
    drv->SetOnRspAvail([&](QObject*, TRecTel rec) {
        answers.push_back(rec);
        nested = drv->ReadPara(1, 0, Par(0x0201), nestedRsp);
    });
    sim.faults().push(Fault("ok"));
    sim.faults().push(Fault("delay=300")); // the synchronous read's answer comes late
    ASSERT_EQ(drv->ReadParaReq(2, 0, Par(0x0202)), 1);
    TRecTel rsp;
    ASSERT_EQ(drv->ReadPara(1, 0, Par(0x0203), rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.ReqId, 2);
    EXPECT_EQ(rsp.Data.Value, 0x1203);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].ReqId, 1);
    EXPECT_EQ(answers[0].Data.Value, 0x1202);
    EXPECT_EQ(nested, QelResult::DriverBusy);
    EXPECT_EQ(nestedRsp.Status, QelResult::DriverBusy);
}

// Slave role: the inverter's requests arrive through OnReqAvail and are
// answered with ReadParaRsp / WriteParaRsp; the system's own requests
// carry their number in the low nibble and their answers are matched.
TEST_F(ZelkDriverTest, SlaveRole)
{
    StartSim(true);
    std::vector<TRecTel> requests;
    drv->SetOnReqAvail([&](QObject* sender, TRecTel rec) {
        EXPECT_EQ(sender, drv.get());
        requests.push_back(rec);
    });
    OpenDriver(3000, false);

    SimData rd;
    rd.setU16(0, 0x0345);
    rd.setU8(2, 1);
    const int n1 = sim.sendRequest(1, false, rd);
    SimData wr;
    wr.setU16(0, 0x0346);
    wr.setI32(4, -5);
    const int n2 = sim.sendRequest(0, true, wr);
    SimData txt;
    txt.setU16(0, 0x0347);
    txt.setU8(2, 2);
    txt.setText(3, "Hello");
    const int n3 = sim.sendRequest(6, true, txt);
    ASSERT_TRUE(qeltest::waitUntil([&] { return requests.size() >= 3; }));

    EXPECT_EQ(requests[0].ReqId, n1);
    EXPECT_EQ(requests[0].IsReq, 1);
    EXPECT_EQ(requests[0].IsRead, 1);
    EXPECT_EQ(requests[0].Service, 1);
    EXPECT_EQ(requests[0].InvAdr, 0);
    EXPECT_EQ(requests[0].Data.ParAdr, 0x0345);
    EXPECT_EQ(requests[1].ReqId, n2);
    EXPECT_EQ(requests[1].IsRead, 0);
    EXPECT_EQ(requests[1].Data.ParAdr, 0x0346);
    EXPECT_EQ(requests[1].Data.Value, -5);
    EXPECT_EQ(requests[2].Service, 6);
    EXPECT_EQ(requests[2].Data.GetByte(2), 2);
    EXPECT_EQ(requests[2].Data.GetByte(3), 5);
    EXPECT_EQ(requests[2].Data.GetByte(8), 'o');
    EXPECT_EQ(requests[2].ReqId, n3);

    TTelData value;
    value.Value = 123456;
    EXPECT_EQ(drv->ReadParaRsp(0, n1, 1, 0, value), 0);
    EXPECT_EQ(drv->WriteParaRsp(0, n2, 0, 4, TTelData{}), 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return sim.receivedAnswers().size() >= 2; }));
    const auto a1 = sim.answerTo(n1);
    ASSERT_TRUE(a1.has_value());
    EXPECT_TRUE(a1->highNibble);
    EXPECT_TRUE(a1->checkOk);
    EXPECT_EQ(a1->status, 0);
    EXPECT_EQ(a1->data.i32(4), 123456);
    const auto a2 = sim.answerTo(n2);
    ASSERT_TRUE(a2.has_value());
    EXPECT_TRUE(a2->isWrite);
    EXPECT_EQ(a2->status, 4);
    EXPECT_EQ(a2->raw.size(), 4);

    // The system's own request as slave.
    const int id = drv->ReadParaReq(9, 0, Par(0x0205));
    ASSERT_EQ(id, 1);
    ASSERT_TRUE(WaitAnswers(1));
    EXPECT_EQ(answers[0].ReqId, 1);
    EXPECT_EQ(answers[0].InvAdr, 9);
    EXPECT_EQ(answers[0].Status, 0);
    EXPECT_EQ(answers[0].Data.Value, 0x1205);
    ASSERT_FALSE(sim.receivedRequests().isEmpty());
    EXPECT_FALSE(sim.receivedRequests().back().highNibble);
    EXPECT_EQ(sim.receivedRequests().back().number, 1);
}

} // namespace
