// The CAN driver end to end against the simulated CAN card: frames on the
// bus as the card logs them, answers through the protocol selector and the
// scheduler, the segmented telegram with its acknowledgements, aborts,
// process data, bus commands and the card's faults.

#include "comm/can.h"
#include "comm/prot_sel.h"
#include "sim/cards/sim_can_card.h"
#include "tests/comm/card_fixture.h"
#include "tests/comm/driver_fixture.h"

#include <gtest/gtest.h>

namespace {

using cardtest::Fieldbus;
using cardtest::SchedReq;
using qelsim::SimCanCard;
using qelsim::SimCanFrame;

QByteArray Hex(const char* text) { return QByteArray::fromHex(text); }

class CanDriver : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        card = cardtest::CardControl<SimCanCard>("simcan", "qelsim_can_card");
        ASSERT_NE(card, nullptr) << "simulated CAN card not built";
        card->reset();
        scope = std::make_unique<cardtest::LibraryScope>(
            path("registry.reg"), std::map<QString, QString>{{"nican.DLL", cardtest::CardLibrary("simcan")}});
        time = std::make_unique<cardtest::CardVirtualTime<SimCanCard>>(card);
    }
    void TearDown() override
    {
        sel.reset();
        if (card) {
            EXPECT_FALSE(card->interfaceOpen());
            EXPECT_FALSE(card->threadRunning());
            card->reset();
        }
        scope.reset();
        time.reset();
    }

    // A selector with the CAN driver open for the given addresses.
    TCan& OpenSel(std::initializer_list<int> addrs, int timeOut = 200)
    {
        sel = std::make_unique<TProtSel>();
        sel->Can()->SetTimeOut(timeOut);
        for (int a : addrs)
            sel->SetProtocol(a, prCAN);
        auto* can = dynamic_cast<TCan*>(sel->DriverOf(prCAN));
        EXPECT_TRUE(can && can->IsOpen());
        return *can;
    }

    // Frames the driver wrote to one identifier.
    QList<SimCanFrame> WrittenTo(uint32_t id) const
    {
        QList<SimCanFrame> out;
        for (const SimCanFrame& f : card->written())
            if (f.id == id)
                out << f;
        return out;
    }

    SimCanCard* card = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    // The card's thread tells the clock what it has on its way.
    std::unique_ptr<cardtest::CardVirtualTime<SimCanCard>> time;
    std::unique_ptr<TProtSel> sel;
};

TEST_F(CanDriver, PlainReadIsAnSdoUploadThroughTheScheduler)
{
    card->addInverter(4)->setValue(0x0102, 0x1234);
    OpenSel({4});
    cardtest::SchedulerClient client(*sel);
    TTelData d;
    d.ParAdr = 0x0102;
    const TRecTel rsp = client.RunOne({4, QelService::Plain, true, d});
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.InvAdr, 4);
    EXPECT_EQ(rsp.Data.GetU16(2), 0x1234);

    ASSERT_EQ(WrittenTo(0x605).size(), 1);
    EXPECT_EQ(WrittenTo(0x605)[0].data, Hex("4002210000000000"));
    ASSERT_FALSE(card->delivered().isEmpty());
    EXPECT_EQ(card->delivered().back().id, 0x585u);
    EXPECT_TRUE(card->delivered().back().data.startsWith(Hex("4B0221003412")));
}

TEST_F(CanDriver, PlainWriteIsTakenOnlyWithTheEchoedValue)
{
    auto inv = card->addInverter(0);
    TCan& can = OpenSel({0});
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    TTelData d;
    d.ParAdr = 0x0010;
    d.ParSet = 0xBEEF;
    TRecTel rsp = drvtest::AsyncExchange(can, answers, false, 0, QelService::Plain, d);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(uint16_t(inv->value(0x0010)), 0xBEEF);
    EXPECT_EQ(WrittenTo(0x601).back().data, Hex("2B102000EFBE0000"));

    // The inverter echoes another value: not accepted, time-out.
    card->pushReply(0, Hex("6B102000EEBE0000"));
    rsp = drvtest::AsyncExchange(can, answers, false, 0, QelService::Plain, d);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
}

struct AbortCase {
    const char* bytes4to7;
    int result;
};

TEST_F(CanDriver, AbortCodesGiveTheInvertersErrorNumbers)
{
    card->addInverter(4);
    // Every answer here is pushed before its request, so only the last case
    // waits out the time-out; a generous one keeps a late answer on a loaded
    // machine from being taken for the next request's.
    TCan& can = OpenSel({4}, 1500);
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    const AbortCase cases[] = {
        {"00000106", 4},  {"10000106", 8},  {"11000106", 14}, {"00000206", 2},  {"00000406", 13},
        {"01000406", 3},  {"00000606", 1},  {"00000706", 3},  {"12000906", 12}, {"30000906", 3},
        {"00000906", 11}, {"00000506", 7},  {"22000008", 6},  {"37000008", 15}, {"00000008", 3},
        {"00000005", 7},
    };
    TTelData d;
    d.ParAdr = 0x0102;
    for (const AbortCase& c : cases) {
        card->pushReply(4, Hex("80022100") + Hex(c.bytes4to7));
        const TRecTel rsp = drvtest::AsyncExchange(can, answers, true, 4, QelService::Plain, d);
        EXPECT_EQ(rsp.Status, c.result) << c.bytes4to7;
    }
    // An abort for another index is not this request's.
    card->pushReply(4, Hex("8003210000000206"));
    EXPECT_EQ(drvtest::AsyncExchange(can, answers, true, 4, QelService::Plain, d).Status, QelResult::NoAnswer);
}

// The request segments of the telegrams the driver wrote to one node.
QList<QList<SimCanFrame>> RequestSegments(const QList<SimCanFrame>& tel)
{
    QList<QList<SimCanFrame>> out;
    QList<SimCanFrame> cur;
    for (const SimCanFrame& f : tel) {
        if (uint8_t(f.data[1]) != 0)
            continue;
        cur << f;
        if (uint8_t(f.data[3]) == 0) {
            out << cur;
            cur.clear();
        }
    }
    return out;
}

TEST_F(CanDriver, TelegramTravelsInAcknowledgedSegments)
{
    auto inv = card->addInverter(2);
    OpenSel({2});
    cardtest::SchedulerClient client(*sel);
    // A write of service 3 is a telegram of 9 bytes: three segments, the
    // last with one byte.
    client.RunOne({2, QelService::Inv3, false, drvtest::Par(0x0101, 0, 1)});
    QList<QList<SimCanFrame>> tels = RequestSegments(WrittenTo(0x7EB));
    ASSERT_EQ(tels.size(), 1);
    ASSERT_EQ(tels[0].size(), 3);
    EXPECT_EQ(uint8_t(tels[0][0].data[0]), 0x23);
    EXPECT_EQ(uint8_t(tels[0][0].data[3]), 2);
    EXPECT_EQ(uint8_t(tels[0][1].data[3]), 1);
    EXPECT_EQ(uint8_t(tels[0][2].data[3]), 0);
    EXPECT_EQ(uint8_t(tels[0][2].data[0]), 0x2F);
    for (const SimCanFrame& f : tels[0])
        EXPECT_EQ(uint8_t(f.data[2]), 3); // node = address + 1
    card->clearLog();

    // A write of service 0 (10 bytes) and its answer.
    const TRecTel w = client.RunOne({2, QelService::ParaSet, false, drvtest::Par(0x0101, 1, 123456)});
    EXPECT_EQ(w.Status, 0);
    EXPECT_EQ(inv->value(0x0101, 0), 123456);
    const QList<SimCanFrame> tel = WrittenTo(0x7EB);
    tels = RequestSegments(tel);
    ASSERT_EQ(tels.size(), 1);
    ASSERT_EQ(tels[0].size(), 3);
    EXPECT_EQ(uint8_t(tels[0][2].data[0]), 0x2B);
    QList<SimCanFrame> acks;
    for (const SimCanFrame& f : tel)
        if (uint8_t(f.data[1]) == 3)
            acks << f;
    // Every answer segment is acknowledged with its count and data echoed.
    QList<SimCanFrame> answerSegs;
    for (const SimCanFrame& f : card->delivered())
        if (f.id == 0x7EB && uint8_t(f.data[1]) == 1)
            answerSegs << f;
    ASSERT_FALSE(answerSegs.isEmpty());
    ASSERT_EQ(acks.size(), answerSegs.size());
    for (int i = 0; i < acks.size(); ++i) {
        EXPECT_EQ(uint8_t(acks[i].data[0]), 0x60);
        EXPECT_EQ(uint8_t(acks[i].data[1]), 3);
        EXPECT_EQ(acks[i].data[3], answerSegs[i].data[3]);
        EXPECT_EQ(acks[i].data.mid(4), answerSegs[i].data.mid(4));
    }

    const TRecTel r = client.RunOne({2, QelService::ParaSet, true, drvtest::Par(0x0101, 1)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.Value, 123456);

    // An error number in the answer telegram.
    inv->setRefusal(0x0101, qelsim::SimInverter::kAnyService, 3);
    EXPECT_EQ(client.RunOne({2, QelService::ParaSet, true, drvtest::Par(0x0101, 1)}).Status, 3);
}

TEST_F(CanDriver, SynchronousExchangesPollAndGiveUpTheirObjectAfterATimeOut)
{
    auto inv = card->addInverter(1);
    inv->setValue(0x0200, 77);
    TCan& can = OpenSel({1}, 100);
    sel->SetRetryCnt(2);
    TRecTel rsp;
    TTelData d;
    d.ParAdr = 0x0200;
    EXPECT_EQ(sel->ReadPara(1, QelService::Plain, d, rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
    EXPECT_EQ(rsp.Data.GetU16(2), 77);
    EXPECT_EQ(can.Objects().size(), 2u);

    inv->faults().push(drvtest::Fault("silence*always"));
    EXPECT_EQ(sel->ReadPara(1, QelService::Plain, d, rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::NoAnswer);
    EXPECT_EQ(WrittenTo(0x602).size(), 3); // one try, then the retry
    // Only the telegram object stays; the card has the interface and it.
    EXPECT_EQ(can.Objects().size(), 1u);
    EXPECT_EQ(card->openObjects(), 2);
    inv->faults().clear();
    EXPECT_EQ(sel->ReadPara(1, QelService::Plain, d, rsp), 0);
    EXPECT_EQ(rsp.Status, 0);
}

TEST_F(CanDriver, AddressesAbove127SendNothingAndTimeOut)
{
    TCan& can = OpenSel({130}, 50);
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    TTelData d;
    EXPECT_EQ(drvtest::AsyncExchange(can, answers, true, 130, QelService::Plain, d).Status, QelResult::NoAnswer);
    EXPECT_TRUE(card->written().isEmpty());
}

TEST_F(CanDriver, WaitToutHoldsTheAnswerUntilTheTimerTicks)
{
    card->addInverter(0)->setValue(0x0001, 5);
    sel = std::make_unique<TProtSel>();
    sel->Can()->SetWaitTout(true);
    sel->Can()->SetTimeOut(3000);
    sel->SetProtocol(0, prCAN);
    auto& can = *dynamic_cast<TCan*>(sel->DriverOf(prCAN));
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    TTelData d;
    d.ParAdr = 1;
    ASSERT_GE(can.ReadParaReq(0, QelService::Plain, d), 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return can.Holding(); }));
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(qeltest::waitUntil([&] { return !answers.empty(); }, 10000));
    EXPECT_EQ(answers[0].Status, 0);
    EXPECT_EQ(answers[0].Data.GetU16(2), 5);
}

TEST_F(CanDriver, LateAnswersInsideTheTimeOutAreRead)
{
    // Each answer comes a few milliseconds of card time after its request;
    // the time must not run on to the time-out between the card waking for
    // the answer and handing it over.
    auto inv = card->addInverter(2);
    inv->setValue(0x0102, 0x1234);
    TCan& can = OpenSel({2});
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    TTelData d;
    d.ParAdr = 0x0102;
    for (int delay = 1; delay <= 60; ++delay) {
        qelsim::SimFault late;
        late.delayMs = delay;
        inv->faults().push(late);
        const TRecTel rsp = drvtest::AsyncExchange(can, answers, true, 2, QelService::Plain, d);
        ASSERT_EQ(rsp.Status, 0) << "answer " << delay << " ms late";
        EXPECT_EQ(rsp.Data.GetU16(2), 0x1234);
    }
}

TEST_F(CanDriver, FieldbusVariablesNodeStateAndBusCommands)
{
    card->addInverter(5);
    card->setVariable(5, 0x6000, 1, 0x0102, 2);
    OpenSel({5});
    cardtest::SchedulerClient client(*sel);

    TRecTel r = client.RunOne({5, QelService::Fieldbus, true, Fieldbus(fbVarAcc, 0x6000, 1, 2)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(5), 2);
    EXPECT_EQ(r.Data.GetByte(6), 0x01);
    EXPECT_EQ(r.Data.GetByte(7), 0x02);

    r = client.RunOne({5, QelService::Fieldbus, false, Fieldbus(fbVarAcc, 0x6000, 1, 2, {0xAB, 0xCD})});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(card->variable(5, 0x6000, 1), 0xABCDu);
    EXPECT_EQ(WrittenTo(0x606).back().data, Hex("2B006001CDAB0000"));
    // Unknown variable: the card aborts with "does not exist".
    EXPECT_EQ(client.RunOne({5, QelService::Fieldbus, true, Fieldbus(fbVarAcc, 0x6001, 0, 1)}).Status, 2);

    r = client.RunOne({5, QelService::Fieldbus, true, Fieldbus(fbCanBusInfo, 0, 0)});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(5), 1);
    EXPECT_EQ(r.Data.GetByte(6), 0x05);
    // NMT stop for this node: no answer, result 0 at the time-out.
    r = client.RunOne({5, QelService::Fieldbus, false, Fieldbus(fbControlBus, 4, 0, 1, {0x02})});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(WrittenTo(0).back().data, Hex("0206"));
    EXPECT_EQ(client.RunOne({5, QelService::Fieldbus, true, Fieldbus(fbCanBusInfo, 0, 0)}).Data.GetByte(6), 0x04);
}

TEST_F(CanDriver, RefusedRequestsSendNothing)
{
    card->addInverter(5);
    TCan& can = OpenSel({5});
    const struct {
        bool read;
        TTelData data;
    } refused[] = {
        {false, Fieldbus(fbVarAcc, 0x6000, 1, 3, {1, 2, 3})},
        {false, Fieldbus(fbVarAcc, 0x6000, 1, 0)},
        {true, Fieldbus(fbIdentify, 0, 0)},
        {false, Fieldbus(fbControlBus, 3, 0, 1, {1})},
        {true, Fieldbus(fbIbsBusInfo, 0, 0)},
    };
    for (const auto& c : refused)
        EXPECT_EQ(c.read ? can.ReadParaReq(5, 13, c.data) : can.WriteParaReq(5, 13, c.data),
                  QelResult::NotSupported);
    EXPECT_EQ(can.ReadParaReq(5, QelService::ScopeRead + 30, TTelData{}), QelResult::NotSupported);
    EXPECT_TRUE(card->written().isEmpty());
}

TEST_F(CanDriver, ProcessDataInBothDirections)
{
    auto inv = card->addInverter(3);
    OpenSel({3});
    cardtest::SchedulerClient client(*sel);
    TTelData out;
    for (int i = 0; i < 8; ++i)
        out.SetByte(i, uint8_t(0x10 + i));
    EXPECT_EQ(client.RunOne({3, QelService::ProcData16, false, out}).Status, 0);
    EXPECT_EQ(inv->processOut()[7], 0x17);
    EXPECT_EQ(WrittenTo(0x204).back().data, Hex("1011121314151617"));

    inv->setProcessLoopback(false);
    inv->setProcessIn({1, 2, 3, 4, 5, 6, 7, 8});
    TRecTel r = client.RunOne({3, QelService::ProcData32, true, TTelData{}});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(0), 1);
    EXPECT_EQ(r.Data.GetByte(7), 8);
    EXPECT_TRUE(WrittenTo(0x184).back().remote);

    r = client.RunOne({3, QelService::ProcData16RW, false, out});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetByte(0), 1);
    EXPECT_EQ(inv->processOut()[0], 0x10);
}

TEST_F(CanDriver, OpeningRetriesTheConfigurationAndClosingStopsTheCardThread)
{
    sel = std::make_unique<TProtSel>();
    auto& can = *dynamic_cast<TCan*>(sel->DriverOf(prCAN));
    card->failConfig(5);
    EXPECT_EQ(can.Open(), 0);
    EXPECT_EQ(card->configCalls(), 6);
    EXPECT_TRUE(card->threadRunning());
    EXPECT_EQ(card->openNames(), (QList<QByteArray>{"CAN0", "CAN0::STD2027"}));
    EXPECT_EQ(can.Open(), QelResult::AlreadyOpen);
    EXPECT_EQ(can.Close(), 0);
    EXPECT_EQ(can.Close(), QelResult::NotOpen);
    EXPECT_EQ(card->openObjects(), 0);
    EXPECT_FALSE(card->threadRunning());

    card->failConfig(6);
    EXPECT_EQ(can.Open(), QelResult::OpenFailed);
    EXPECT_EQ(card->openObjects(), 0);

    // Without its telegram object the driver does not open, and the
    // interface it opened is closed again.
    card->failOpen("CAN0::STD2027", 1);
    EXPECT_EQ(can.Open(), QelResult::OpenFailed);
    EXPECT_FALSE(can.IsOpen());
    EXPECT_EQ(card->openObjects(), 0);
    EXPECT_FALSE(card->threadRunning());
}

TEST_F(CanDriver, RepeatedErrorStatesResetTheInterface)
{
    card->addInverter(0)->setValue(7, 9);
    OpenSel({0});
    cardtest::SchedulerClient client(*sel);
    TTelData d;
    d.ParAdr = 7;
    card->setErrorStates(5);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(client.RunOne({0, QelService::Plain, true, d}).Status, 0);
    EXPECT_EQ(card->resets(), 0);
    card->setErrorStates(1);
    client.RunOne({0, QelService::Plain, true, d});
    EXPECT_EQ(card->resets(), 1);
    EXPECT_EQ(client.RunOne({0, QelService::Plain, true, d}).Status, 0);
}

TEST_F(CanDriver, AnAnswerHandlerMayRunASynchronousExchange)
{
    card->addInverter(0)->setValue(3, 33);
    TCan& can = OpenSel({0});
    TTelData d;
    d.ParAdr = 3;
    std::vector<TRecTel> inner;
    can.SetOnRspAvail([&](QObject*, TRecTel) {
        TRecTel rsp;
        EXPECT_EQ(can.ReadPara(0, QelService::Plain, d, rsp), 0);
        inner.push_back(rsp);
    });
    ASSERT_GE(can.ReadParaReq(0, QelService::Plain, d), 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !inner.empty(); }));
    EXPECT_EQ(inner[0].Status, 0);
    EXPECT_EQ(inner[0].Data.GetU16(2), 33);
}

TEST_F(CanDriver, AFailedWriteGivesNoAnswer)
{
    card->addInverter(0);
    TCan& can = OpenSel({0}, 50);
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    card->failWrite(1);
    EXPECT_EQ(drvtest::AsyncExchange(can, answers, true, 0, QelService::Plain, TTelData{}).Status,
              QelResult::NoAnswer);
    EXPECT_EQ(can.ErrorCount(), 1);
    EXPECT_EQ(drvtest::AsyncExchange(can, answers, true, 0, QelService::Plain, TTelData{}).Status, 0);
}

TEST_F(CanDriver, LateAnswerOfAnotherRequestIsNotTaken)
{
    auto inv = card->addInverter(0);
    inv->setValue(1, 11);
    inv->setValue(2, 22);
    TCan& can = OpenSel({0}, 100);
    std::vector<TRecTel> answers;
    drvtest::RecordAnswers(can, answers);
    TTelData d;
    d.ParAdr = 1;
    inv->faults().push(drvtest::Fault("delay=300"));
    EXPECT_EQ(drvtest::AsyncExchange(can, answers, true, 0, QelService::Plain, d).Status, QelResult::NoAnswer);
    // The late answer for 1 arrives while 2 is asked: the index tells them apart.
    d.ParAdr = 2;
    const TRecTel r = drvtest::AsyncExchange(can, answers, true, 0, QelService::Plain, d);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Data.GetU16(2), 22);
}

} // namespace
