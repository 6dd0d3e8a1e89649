// The Interbus driver end to end against the simulated Interbus board:
// opening (bus start, configuration, PCP connections, process-data mapping,
// handshake detection), PCP and telegram requests through the protocol
// selector and the scheduler, the handshake in process data, bus
// information and control, process data, and the board's faults.

#include "comm/ibs.h"
#include "comm/prot_sel.h"
#include "sim/cards/sim_ibs_card.h"
#include "tests/comm/card_fixture.h"
#include "tests/comm/driver_fixture.h"

#include <gtest/gtest.h>

namespace {

using cardtest::Fieldbus;
using qelsim::SimIbsBoard;

class IbsDriver : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        board = cardtest::CardControl<SimIbsBoard>("simibs", "qelsim_ibs_board");
        ASSERT_NE(board, nullptr) << "simulated Interbus board not built";
        board->reset();
        scope = std::make_unique<cardtest::LibraryScope>(
            path("registry.reg"), std::map<QString, QString>{{"IBDDIWNT.DLL", cardtest::CardLibrary("simibs")}});
        time = std::make_unique<cardtest::CardVirtualTime<SimIbsBoard>>(board);
    }
    void TearDown() override
    {
        sel.reset();
        if (board) {
            EXPECT_EQ(board->openNodes(), 0);
            board->reset();
        }
        scope.reset();
        time.reset();
    }

    tIbs& OpenSel(std::initializer_list<int> addrs)
    {
        sel = std::make_unique<TProtSel>();
        for (int a : addrs)
            sel->SetProtocol(a, prIBS);
        auto* ibs = dynamic_cast<tIbs*>(sel->DriverOf(prIBS));
        EXPECT_TRUE(ibs && ibs->IsOpen());
        return *ibs;
    }

    // Messages the driver sent with one code.
    QList<QVector<uint16_t>> Sent(int code) const
    {
        QList<QVector<uint16_t>> out;
        for (const auto& m : board->sent())
            if (m.value(0) == code)
                out << m;
        return out;
    }

    SimIbsBoard* board = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    // The board answers in this thread, on the same clock as the driver.
    std::unique_ptr<cardtest::CardVirtualTime<SimIbsBoard>> time;
    std::unique_ptr<TProtSel> sel;
};

TEST_F(IbsDriver, OpeningReadsTheRingAndConnectsTheInverters)
{
    board->addInverter(5);                  // position 4
    board->addHandshakeInverter(3);         // position 2
    board->addDevice(7, 0xE3, 8, "ACME");   // PCP, another maker
    sel = std::make_unique<TProtSel>();
    sel->IBS()->SetCardNo(9);               // not taken
    sel->IBS()->SetCardNo(3);
    auto& ibs = *dynamic_cast<tIbs*>(sel->DriverOf(prIBS));
    EXPECT_EQ(ibs.GetCardNo(), 3);
    ASSERT_EQ(ibs.Open(), 0);
    EXPECT_EQ(board->openedNodes(), (QList<QByteArray>{"IBB3N1_M", "IBB3N1_D"}));
    // The bus was running: not started again.
    EXPECT_TRUE(Sent(0x1303).isEmpty());
    EXPECT_EQ(ibs.DeviceCount(), 6);
    EXPECT_EQ(ibs.Device(5).IdCode, 0xE3);
    EXPECT_EQ(ibs.Device(5).State, 1);
    EXPECT_EQ(ibs.Device(5).CommRef, 2);
    EXPECT_EQ(ibs.Device(5).Length, 8);
    EXPECT_GE(ibs.Device(5).InOfs, 0);
    EXPECT_EQ(ibs.Device(3).State, 4);
    EXPECT_EQ(ibs.Device(7).State, 2);  // not "QEL"
    EXPECT_EQ(ibs.Device(7).CommRef, 0);
    EXPECT_EQ(ibs.Device(2).State, 2);  // an I/O module
    EXPECT_EQ(ibs.Device(1).DevNo, -1);
    EXPECT_EQ(ibs.Close(), 0);
    EXPECT_EQ(board->openNodes(), 0);

    // A stopped bus is started: alarm stop, configuration, start.
    board->clearLog();
    board->setDiagnostic(0x80);
    ASSERT_EQ(ibs.Open(), 0);
    ASSERT_GE(board->sent().size(), 3);
    EXPECT_EQ(board->sent()[0], (QVector<uint16_t>{0x1303, 0}));
    EXPECT_EQ(board->sent()[1], (QVector<uint16_t>{0x0710, 1, 1}));
    EXPECT_EQ(board->sent()[2], (QVector<uint16_t>{0x0701, 0}));
    ibs.Close();
}

TEST_F(IbsDriver, OpenFailsWithNothingLeftOpen)
{
    board->addInverter(2);
    sel = std::make_unique<TProtSel>();
    auto& ibs = *dynamic_cast<tIbs*>(sel->DriverOf(prIBS));
    const struct {
        const char* what;
        std::function<void()> fault;
    } cases[] = {
        {"board not ready", [&] { board->setDiagnostic(0x20); }},
        {"board in error", [&] { board->setDiagnostic(0xB0); }},
        {"data node", [&] { board->failCall("DDI_DevOpenNode", 2); }},
        {"diagnostic", [&] { board->failCall("GetIBSDiagnostic", 1); }},
        {"bus start refused", [&] { board->setDiagnostic(0x80), board->failMessage(0x0701, 1); }},
        {"configuration", [&] { board->failMessage(0x0309, 1); }},
        {"mapping", [&] { board->failMessage(0x0327, 2); }},
        {"mailbox", [&] { board->failCall("DDI_MXI_SndMessage", 1); }},
    };
    for (const auto& c : cases) {
        board->setDiagnostic(0xA0);
        c.fault();
        EXPECT_EQ(ibs.Open(), QelResult::OpenFailed) << c.what;
        EXPECT_FALSE(ibs.IsOpen()) << c.what;
        EXPECT_EQ(board->openNodes(), 0) << c.what;
        board->failCall("DDI_DevOpenNode", 0);
        board->failCall("GetIBSDiagnostic", 0);
        board->failCall("DDI_MXI_SndMessage", 0);
        board->failMessage(0x0701, 0);
        board->failMessage(0x0309, 0);
        board->failMessage(0x0327, 0);
    }
    board->setDiagnostic(0xA0);
    EXPECT_EQ(ibs.Open(), 0);
}

TEST_F(IbsDriver, PcpParameterAccessThroughTheScheduler)
{
    auto inv = board->addInverter(5);
    inv->setValue(0x0102, 0x4321);
    OpenSel({5});
    cardtest::SchedulerClient client(*sel);
    TTelData d;
    d.ParAdr = 0x0102;
    TRecTel r = client.RunOne({5, QelService::Plain, true, d});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(2), 0x4321);
    client.RunOne({5, QelService::Plain, true, d});
    // The third request: request number 3, reference 2.
    d.ParSet = 7;
    r = client.RunOne({5, QelService::Plain, false, d});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(inv->value(0x0102), 7);
    ASSERT_FALSE(Sent(0x0082).isEmpty());
    EXPECT_EQ(Sent(0x0082).back(), (QVector<uint16_t>{0x0082, 4, 0x0302, 0x2102, 2, 7}));
    EXPECT_EQ(Sent(0x0081).back(), (QVector<uint16_t>{0x0081, 3, 0x0202, 0x2102, 0}));
}

struct PcpCase {
    int cls, code, add, result;
};

TEST_F(IbsDriver, PcpErrorsGiveTheInvertersErrorNumbers)
{
    board->addInverter(2);
    tIbs& ibs = OpenSel({2});
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(ibs, answers);
    const PcpCase cases[] = {
        {6, 2, 0, 1},     {6, 3, 0x30, 8},  {6, 3, 0, 4},     {6, 4, 0, 13},    {6, 6, 0, 13},
        {6, 7, 0, 13},    {6, 5, 0x10, 3},  {6, 5, 0x11, 13}, {6, 5, 0x14, 1},  {6, 5, 0, 7},
        {6, 8, 9, 3},     {6, 1, 0, 7},     {8, 1, 0x22, 6},  {8, 0, 0x30, 3},  {8, 0, 0x41, 3},
        {8, 0, 0x33, 11}, {8, 0, 0x34, 14}, {8, 0, 0x10, 7},  {5, 0, 0, 7},
    };
    TTelData d;
    d.ParAdr = 1;
    for (const PcpCase& c : cases) {
        board->pushPcpError(2, c.cls, c.code, c.add);
        EXPECT_EQ(drvtest::AsyncExchange(ibs, answers, true, 2, QelService::Plain, d).Status, c.result)
            << c.cls << "/" << c.code << "/" << c.add;
    }
}

TEST_F(IbsDriver, TelegramsTravelInThePcpChannel)
{
    auto inv = board->addInverter(4);
    OpenSel({4});
    cardtest::SchedulerClient client(*sel);
    EXPECT_EQ(client.RunOne({4, QelService::ParaSet, false, drvtest::Par(0x0101, 1, -5000)}).Status, 0);
    EXPECT_EQ(inv->value(0x0101, 0), -5000);
    const TRecTel r = client.RunOne({4, QelService::ParaSet, true, drvtest::Par(0x0101, 1)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, -5000);
    const QVector<uint16_t> m = Sent(0x0885).back();
    EXPECT_EQ(m[2], 2);       // reference
    EXPECT_EQ(m[3], 0x5FFB);
    EXPECT_EQ(m[1], (m[4] + 1) / 2 + 3);

    inv->setRefusal(0x0101, qelsim::SimInverter::kAnyService, 8);
    EXPECT_EQ(client.RunOne({4, QelService::ParaSet, true, drvtest::Par(0x0101, 1)}).Status, 8);
    // No answer: -10 after the poll count.
    inv->faults().push(drvtest::Fault("silence"));
    EXPECT_EQ(client.RunOne({4, QelService::ParaSet, true, drvtest::Par(0x0101, 1)}).Status, QelResult::NoAnswer);
}

TEST_F(IbsDriver, HandshakeInProcessData)
{
    auto inv = board->addHandshakeInverter(3);
    inv->setValue(0x0044, 321);
    OpenSel({3});
    cardtest::SchedulerClient client(*sel);
    TTelData d;
    d.ParAdr = 0x0044;
    TRecTel r = client.RunOne({3, QelService::Plain, true, d});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(2), 321);
    d.ParSet = 0x1234;
    EXPECT_EQ(client.RunOne({3, QelService::Plain, false, d}).Status, 0);
    EXPECT_EQ(inv->value(0x0044), 0x1234);
    // On the wire: the address with bit 15 for a write, then the value,
    // each most significant byte first.
    const QByteArray out = board->outputImage();
    const int ofs = dynamic_cast<tIbs*>(sel->DriverOf(prIBS))->Device(3).OutOfs;
    EXPECT_EQ(out.mid(ofs, 4), QByteArray::fromHex("80441234"));
    inv->setRefusal(0x0044, qelsim::SimInverter::kAnyService, 4);
    EXPECT_EQ(client.RunOne({3, QelService::Plain, true, d}).Status, 4);
    EXPECT_TRUE(Sent(0x0081).isEmpty());
}

TEST_F(IbsDriver, DevicesWithoutPcpOrHandshakeAndAStoppedBusGiveNoAnswer)
{
    board->addInverter(4);
    board->addDevice(3, 0x02, 2);
    OpenSel({3, 4});
    cardtest::SchedulerClient client(*sel);
    TTelData d;
    d.ParAdr = 1;
    EXPECT_EQ(client.RunOne({3, QelService::Plain, true, d}).Status, QelResult::NoAnswer);
    EXPECT_TRUE(Sent(0x0081).isEmpty());

    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, false, Fieldbus(fbControlBus, 0, 0)}).Status, 0);
    EXPECT_EQ(Sent(0x0702).size(), 1);
    EXPECT_EQ(client.RunOne({4, QelService::Plain, true, d}).Status, QelResult::NoAnswer);
    EXPECT_TRUE(Sent(0x0081).isEmpty());
    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, false, Fieldbus(fbControlBus, 1, 0)}).Status, 0);
    EXPECT_EQ(client.RunOne({4, QelService::Plain, true, d}).Status, 0);
    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, true, Fieldbus(fbControlBus, 1, 0)}).Status, 7);
    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, false, Fieldbus(fbControlBus, 9, 0)}).Status, 13);
    board->failMessage(0x0702, 1);
    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, false, Fieldbus(fbControlBus, 0, 0)}).Status, 3);
}

TEST_F(IbsDriver, BusInformation)
{
    board->addInverter(4);
    tIbs& ibs = OpenSel({4});
    cardtest::SchedulerClient client(*sel);
    TRecTel r = client.RunOne({4, QelService::Fieldbus, true, Fieldbus(fbIbsBusInfo, 0, 0)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(5), 4);
    EXPECT_EQ(r.Data.GetByte(7), 3); // three devices
    r = client.RunOne({4, QelService::Fieldbus, true, Fieldbus(fbIbsBusInfo, 0, 1)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(5), 24);
    EXPECT_EQ(r.Data.GetByte(6), 0x11);
    EXPECT_EQ(r.Data.GetByte(7), 0x01);
    r = client.RunOne({4, QelService::Fieldbus, true, Fieldbus(fbIbsBusInfo, 1, 4)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(5), 9);
    EXPECT_EQ(r.Data.GetByte(6) << 8 | r.Data.GetByte(7), ibs.Device(4).DevNo);
    EXPECT_EQ(r.Data.GetByte(9), 0xE3);
    EXPECT_EQ(r.Data.GetByte(14), 2);
    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, true, Fieldbus(fbIbsBusInfo, 2, 0)}).Status, 13);
    EXPECT_EQ(client.RunOne({4, QelService::Fieldbus, false, Fieldbus(fbIbsBusInfo, 0, 0)}).Status, 7);
}

TEST_F(IbsDriver, VariablesAndIdentification)
{
    board->addInverter(2);
    board->setVariable(2, 0x6000, 2, QByteArray::fromHex("0A0B0C"));
    OpenSel({2});
    cardtest::SchedulerClient client(*sel);
    TRecTel r = client.RunOne({2, QelService::Fieldbus, true, Fieldbus(fbVarAcc, 0x6000, 2)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(5), 3);
    EXPECT_EQ(r.Data.GetByte(8), 0x0C);
    r = client.RunOne({2, QelService::Fieldbus, false, Fieldbus(fbVarAcc, 0x6000, 2, 3, {1, 2, 3})});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(board->variable(2, 0x6000, 2), QByteArray::fromHex("010203"));
    // Subindex and length, then the bytes, most significant first.
    EXPECT_EQ(Sent(0x0082).back().mid(3), (QVector<uint16_t>{0x6000, 0x0203, 0x0102, 0x0300}));
    EXPECT_EQ(Sent(0x0082).back()[1], 5);
    r = client.RunOne({2, QelService::Fieldbus, true, Fieldbus(fbIdentify, 0, 0)});
    EXPECT_EQ(r.Status, 0);
    const QByteArray text(reinterpret_cast<const char*>(r.Data.Bytes()) + 6, r.Data.GetByte(5));
    EXPECT_EQ(text, "QEL\rSim drive\rV5.0");
}

TEST_F(IbsDriver, ProcessDataIsSwappedToAndFromTheBoardsOrder)
{
    auto inv = board->addInverter(2);
    tIbs& ibs = OpenSel({2});
    cardtest::SchedulerClient client(*sel);
    TTelData out;
    for (int i = 0; i < 8; ++i)
        out.SetByte(i, uint8_t(0x10 + i));
    EXPECT_EQ(client.RunOne({2, QelService::ProcData16, false, out}).Status, 0);
    EXPECT_EQ(inv->processOut()[0], 0x10);
    EXPECT_EQ(inv->processOut()[7], 0x17);
    EXPECT_EQ(board->outputImage().mid(ibs.Device(2).OutOfs, 8), QByteArray::fromHex("1110131215141716"));

    inv->setProcessLoopback(false);
    inv->setProcessIn({1, 2, 3, 4, 5, 6, 7, 8});
    const TRecTel r = client.RunOne({2, QelService::ProcData32, true, TTelData{}});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(0), 1);
    EXPECT_EQ(r.Data.GetByte(7), 8);
}

TEST_F(IbsDriver, BoardDataNeverLeadOutsideTheImages)
{
    // 34 modules of 30 bytes fill the images up to byte 1020: the inverter
    // behind them would reach beyond 1024 bytes and gets no offsets.
    for (int a = 2; a <= 35; ++a)
        board->addDevice(a, 0x02, 30);
    auto inv = board->addInverter(36);
    inv->setProcessLoopback(false);
    inv->setProcessIn({1, 2, 3, 4, 5, 6, 7, 8});
    // And the mapping claims records it does not hold.
    board->overstateMapping(40);
    tIbs& ibs = OpenSel({35, 36});
    EXPECT_EQ(ibs.Device(35).OutOfs, 990);
    EXPECT_EQ(ibs.Device(35).InOfs, 990);
    EXPECT_EQ(ibs.Device(36).OutOfs, -1);
    EXPECT_EQ(ibs.Device(36).InOfs, -1);
    cardtest::SchedulerClient client(*sel);
    TTelData out;
    out.SetByte(0, 0x55);
    EXPECT_EQ(client.RunOne({36, QelService::ProcData16, false, out}).Status, 0);
    const TRecTel r = client.RunOne({36, QelService::ProcData16, true, out});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(0), 0); // skipped: nothing read
    EXPECT_EQ(inv->processOut()[0], 0);
}

TEST_F(IbsDriver, RefusedRequestsTouchNothing)
{
    board->addInverter(2);
    tIbs& ibs = OpenSel({2});
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(ibs, answers);
    board->clearLog();
    TTelData longWrite = Fieldbus(fbVarAcc, 0x6000, 0, 67);
    const struct {
        bool read;
        int service;
        TTelData data;
    } refused[] = {
        {true, 13, Fieldbus(fbCanBusInfo, 0, 0)},
        {false, 13, longWrite},
        {false, 13, Fieldbus(fbIdentify, 0, 0)},
        {false, 40, TTelData{}},
    };
    for (const auto& c : refused)
        EXPECT_EQ(c.read ? ibs.ReadParaReq(2, c.service, c.data) : ibs.WriteParaReq(2, c.service, c.data),
                  QelResult::NotSupported);
    qeltest::runEventLoopFor(300);
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(board->sent().isEmpty());

    // One request, one answer: the poll count raises nothing more.
    TTelData d;
    d.ParAdr = 1;
    EXPECT_EQ(drvtest::AsyncExchange(ibs, answers, true, 2, QelService::Plain, d).Status, 0);
    qeltest::runEventLoopFor(1500);
    EXPECT_EQ(answers.size(), 1u);
}

TEST_F(IbsDriver, AnAbortIndicationMakesTheNextRequestConnectAgain)
{
    board->addInverter(2)->setValue(9, 99);
    tIbs& ibs = OpenSel({2});
    cardtest::SchedulerClient client(*sel);
    const int connects = board->connects();
    board->abortConnection(2);
    ASSERT_TRUE(qeltest::waitUntil([&] { return ibs.Device(2).State == 3; }));
    TTelData d;
    d.ParAdr = 9;
    const TRecTel r = client.RunOne({2, QelService::Plain, true, d});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(2), 99);
    EXPECT_EQ(board->connects(), connects + 1);
    EXPECT_EQ(ibs.Device(2).State, 1);
}

TEST_F(IbsDriver, TheRestartMessageClosesTheDriverAtTheNextRequest)
{
    board->addInverter(2);
    tIbs& ibs = OpenSel({2});
    board->indicate({0x6342, 0});
    ASSERT_TRUE(qeltest::waitUntil([&] { return ibs.RestartPending(); }));
    EXPECT_EQ(ibs.ReadParaReq(2, QelService::Plain, TTelData{}), QelResult::DriverClosed);
    EXPECT_FALSE(ibs.IsOpen());
    EXPECT_EQ(board->openNodes(), 0);
    // The selector answers it offline now.
    TRecTel rsp;
    EXPECT_EQ(sel->ReadPara(2, QelService::Plain, TTelData{}, rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::Offline);
}

TEST_F(IbsDriver, ControlBusIndex3OpensTheDriverAgainOutsideItsPoll)
{
    board->addInverter(2)->setValue(1, 5);
    tIbs& ibs = OpenSel({2});
    cardtest::SchedulerClient client(*sel);
    const int opens = board->openedNodes().size();
    EXPECT_EQ(client.RunOne({2, QelService::Fieldbus, false, Fieldbus(fbControlBus, 3, 0)}).Status, 0);
    EXPECT_TRUE(ibs.IsOpen());
    EXPECT_EQ(board->openedNodes().size(), opens + 2);
    TTelData d;
    d.ParAdr = 1;
    EXPECT_EQ(client.RunOne({2, QelService::Plain, true, d}).Data.GetU16(2), 5);

    // When the board does not come back the answer is 3.
    board->setDiagnostic(0x20);
    EXPECT_EQ(client.RunOne({2, QelService::Fieldbus, false, Fieldbus(fbControlBus, 3, 0)}).Status, 3);
    EXPECT_FALSE(ibs.IsOpen());
}

TEST_F(IbsDriver, AnAnswerHandlerMayRunASynchronousExchange)
{
    board->addInverter(2)->setValue(3, 33);
    tIbs& ibs = OpenSel({2});
    TTelData d;
    d.ParAdr = 3;
    std::vector<TRecTel> inner;
    ibs.SetOnRspAvail([&](QObject*, TRecTel) {
        TRecTel rsp;
        EXPECT_EQ(ibs.ReadPara(2, QelService::Plain, d, rsp), 0);
        inner.push_back(rsp);
    });
    ASSERT_GE(ibs.ReadParaReq(2, QelService::Plain, d), 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !inner.empty(); }));
    EXPECT_EQ(inner[0].Status, 0);
    EXPECT_EQ(inner[0].Data.GetU16(2), 33);
}

TEST_F(IbsDriver, SynchronousExchangeAndLateConfirmation)
{
    auto inv = board->addInverter(6);
    inv->setValue(0x0030, 30);
    OpenSel({6});
    TRecTel rsp;
    TTelData d;
    d.ParAdr = 0x0030;
    EXPECT_EQ(sel->ReadPara(6, QelService::Plain, d, rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.GetU16(2), 30);
    // No answer within the poll count: -10.
    sel->SetRetryCnt(1);
    inv->faults().push(drvtest::Fault("silence"));
    EXPECT_EQ(sel->ReadPara(6, QelService::Plain, d, rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    // Its confirmation comes late, ahead of the next request's own: it
    // carries the old request number and is not taken.
    const int late = rsp.ReqId;
    board->indicate({0x8081, 4, uint16_t(late << 8 | 2), 0, 2, 0x1111});
    inv->setValue(0x0030, 31);
    EXPECT_EQ(sel->ReadPara(6, QelService::Plain, d, rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_NE(rsp.ReqId, late);
    EXPECT_EQ(rsp.Data.GetU16(2), 31);
}

} // namespace
