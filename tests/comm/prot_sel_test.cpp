#include "comm/ibs.h"
#include "comm/prot_sel.h"

#include "comm/custom_serial_qel_prot.h"
#include "comm/ip.h"
#include "comm/offline.h"
#include "comm/refusing_driver.h"
#include "scripted_driver.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

struct SelFixture : ::testing::Test {
    std::vector<TRecTel> answers;

    void listen(TProtSel& sel)
    {
        sel.OnRspAvail = [this, &sel](QObject* sender, TRecTel tel) {
            EXPECT_EQ(sender, &sel);
            answers.push_back(tel);
        };
    }
};

// A selector whose DIN 66019 II and Zelk slots hold scripted drivers.
struct ScriptedSel {
    ScriptedDriver* ansi = nullptr;
    ScriptedDriver* zelk = nullptr;
    TProtSel sel{nullptr, [this](TProt kind) -> std::unique_ptr<tCustomQelProt> {
        if (kind == prANSI) {
            auto d = std::make_unique<ScriptedDriver>(prANSI);
            ansi = d.get();
            return d;
        }
        if (kind == prZelk) {
            auto d = std::make_unique<ScriptedDriver>(prZelk, false);
            zelk = d.get();
            return d;
        }
        return nullptr;
    }};
};

TEST_F(SelFixture, ClosedDriverFallsBackToOffline)
{
    TProtSel sel;
    listen(sel);
    // The serial lines' port is missing.
    qputenv("QEL_COM9", "/nonexistent/qel-no-port");
    sel.Ansi()->SetComport(Com9);
    sel.Zelk()->SetComport(Com9);
    EXPECT_EQ(sel.DriverOf(prOffline)->objectName(), "fOffline");
    EXPECT_EQ(sel.DriverOf(prANSI)->objectName(), "fAnsi");
    EXPECT_EQ(sel.DriverOf(prOffline)->GetTimeOut(), TProtSel::OfflineTimeOut);
    EXPECT_TRUE(sel.DriverOf(prOffline)->IsOpen());

    // No serial port for the DIN driver, no Zelk, IP or card driver built
    // yet: each slot fails to open and its addresses go offline.
    const TProt kinds[] = {prANSI, prZelk, prIBS, prIP, prCAN, prPBS};
    for (int i = 0; i < 6; ++i) {
        sel.SetProtocol(5 + i, kinds[i]);
        EXPECT_EQ(sel.GetProtocol(5 + i), kinds[i]);
        EXPECT_EQ(sel.GetActiveProtocol(5 + i), prOffline);
        EXPECT_EQ(sel.GetDriver(5 + i), sel.DriverOf(prOffline));
        EXPECT_EQ(sel.DriverOf(kinds[i])->GetProtType(), kinds[i]);
        // Profibus DP reports a missing card library with -105.
        EXPECT_EQ(sel.DriverOf(kinds[i])->Open(),
                  kinds[i] == prPBS ? QelResult::ResourceMissing : QelResult::OpenFailed);
    }
    EXPECT_EQ(sel.GetDriver(300), sel.DriverOf(prOffline));
    EXPECT_EQ(sel.GetProtocol(300), prOffline);

    TTelData data;
    const int h = sel.ReadParaReq(5, 0, data);
    EXPECT_EQ(h, 1);
    TRecTel rsp;
    EXPECT_EQ(sel.ReadPara(5, 0, data, rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::Offline);
    EXPECT_EQ(rsp.ReqId, -1); // the driver's own number
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == 1; }));
    EXPECT_EQ(answers[0].ReqId, h);
    EXPECT_EQ(answers[0].InvAdr, 5);
    EXPECT_EQ(answers[0].Status, QelResult::Offline);
}

TEST_F(SelFixture, SettingTheSameKindAgainRetriesTheOpenAndUnusedDriversClose)
{
    ScriptedSel s;
    s.ansi->OpenResult = QelResult::OpenFailed;
    s.sel.SetProtocol(5, prANSI);
    EXPECT_EQ(s.ansi->OpenCalls, 1);
    EXPECT_EQ(s.sel.GetActiveProtocol(5), prOffline);

    s.ansi->OpenResult = 0;
    s.sel.SetProtocol(5, prANSI); // same kind, driver closed: try again
    EXPECT_EQ(s.ansi->OpenCalls, 2);
    EXPECT_EQ(s.sel.GetActiveProtocol(5), prANSI);
    EXPECT_EQ(s.sel.GetDriver(5), s.ansi);

    s.sel.SetProtocol(5, prANSI); // same kind, active: nothing
    EXPECT_EQ(s.ansi->OpenCalls, 2);

    s.sel.SetProtocol(6, prANSI);
    s.sel.SetProtocol(5, prOffline);
    EXPECT_TRUE(s.ansi->IsOpen()); // still used by 6
    s.sel.SetProtocol(6, prZelk);
    EXPECT_FALSE(s.ansi->IsOpen());
    EXPECT_TRUE(s.zelk->IsOpen());
}

TEST_F(SelFixture, HandleRingWrapsAndMapsEachAnswerToItsOwnRequest)
{
    TProtSel sel;
    listen(sel);
    TTelData data;
    // Fill most of the ring, let it drain.
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(sel.ReadParaReq(i, 0, data), i + 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == 50; }));
    answers.clear();

    // 20 outstanding at once: the offline driver's numbers repeat after 15
    // and the ring wraps after 64; every answer still finds its handle.
    std::map<int, int> adrOfHandle;
    for (int i = 0; i < 20; ++i) {
        const int h = sel.WriteParaReq(100 + i, 0, data);
        EXPECT_EQ(h, (50 + i) % 64 + 1);
        adrOfHandle[h] = 100 + i;
    }
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == 20; }));
    for (const TRecTel& a : answers)
        EXPECT_EQ(adrOfHandle[a.ReqId], a.InvAdr) << "handle " << a.ReqId;
}

TEST_F(SelFixture, SameDriverNumberOnTwoDriversIsToldApartByKind)
{
    ScriptedSel s;
    listen(s.sel);
    s.sel.SetProtocol(1, prANSI);
    s.sel.SetProtocol(2, prZelk);
    TTelData data;
    const int ha = s.sel.ReadParaReq(1, 0, data);
    const int hz = s.sel.ReadParaReq(2, 0, data);
    ASSERT_EQ(s.ansi->SentLog.at(0).ReqId, 1);
    ASSERT_EQ(s.zelk->SentLog.at(0).ReqId, 1);
    EXPECT_EQ(ha, 1);
    EXPECT_EQ(hz, 2);

    s.zelk->Answer(1);
    s.ansi->Answer(1);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].ReqId, hz);
    EXPECT_EQ(answers[0].InvAdr, 2);
    EXPECT_EQ(answers[1].ReqId, ha);
    EXPECT_EQ(answers[1].InvAdr, 1);

    // An answer without an entry keeps the driver's number.
    s.zelk->Answer(9);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[2].ReqId, 9);
}

TEST_F(SelFixture, RefusalIsReturnedAndTakesNoRingEntry)
{
    ScriptedSel s;
    s.sel.SetProtocol(1, prANSI);
    TTelData data;
    s.ansi->RefuseWith = QelResult::NotSupported;
    EXPECT_EQ(s.sel.ReadParaReq(1, 14, data), QelResult::NotSupported);
    s.ansi->RefuseWith = 0;
    EXPECT_EQ(s.sel.ReadParaReq(1, 0, data), 1);
    EXPECT_EQ(s.sel.ReadParaReq(1, 0, data), QelResult::DriverBusy);
}

TEST_F(SelFixture, RetryCntIsHandedToTheBusDrivers)
{
    ScriptedSel s;
    EXPECT_EQ(s.sel.GetRetryCnt(), 0);
    s.sel.SetRetryCnt(7);
    EXPECT_EQ(s.ansi->GetRetryCnt(), 7);
    EXPECT_EQ(s.sel.DriverOf(prPBS)->GetRetryCnt(), 7);
    s.sel.SetRetryCnt(50); // ignored
    s.sel.SetRetryCnt(-1);
    EXPECT_EQ(s.sel.GetRetryCnt(), 7);
    EXPECT_EQ(s.ansi->GetRetryCnt(), 7);
    s.sel.SetRetryCnt(0); // stored; the drivers make it 1
    EXPECT_EQ(s.sel.GetRetryCnt(), 0);
    EXPECT_EQ(s.ansi->GetRetryCnt(), 1);
    EXPECT_EQ(s.sel.DriverOf(prOffline)->GetRetryCnt(), 5); // not a bus driver
}

TEST_F(SelFixture, SettingsObjectsKeepTheirCopyAndForward)
{
    ScriptedSel s;
    TAnsiProp* ansi = s.sel.Ansi();
    EXPECT_EQ(ansi->Close(), QelResult::NotOpen);
    EXPECT_EQ(ansi->Open(), 0);
    EXPECT_TRUE(ansi->IsOpen());
    EXPECT_EQ(ansi->Open(), QelResult::AlreadyOpen);
    EXPECT_EQ(ansi->GetVersion(), s.ansi->GetVersion());
    ansi->SetTimeOut(250);
    EXPECT_EQ(s.ansi->GetTimeOut(), 250);
    ansi->SetModemCmd("  ATD123  ");
    EXPECT_EQ(ansi->GetModemCmd(), "ATD123");
    EXPECT_EQ(ansi->Close(), 0);
    EXPECT_FALSE(s.ansi->IsOpen());

    // Start values of the slots' drivers are copied at creation.
    TProtSel sel;
    EXPECT_EQ(sel.Zelk()->GetBaudrate(), B_38400);
    EXPECT_EQ(sel.Zelk()->GetTimeOut(), 100);
    EXPECT_EQ(sel.Ip()->GetIpAddress(), "000.000.000.000");
    EXPECT_EQ(sel.Ip()->GetIpPort(), 8000);
    EXPECT_EQ(sel.IBS()->GetCardNo(), 1);
    EXPECT_EQ(sel.Can()->GetCardID(), "CAN0");
    EXPECT_EQ(sel.Can()->GetBaudRate(), TCanBaudRate::B_20K);
    EXPECT_EQ(sel.PBS()->GetBaudRate(), TPbsBaudRate::B_93K75);

    // Forwarded to the driver; the copy is the last value written even
    // when the driver does not take it.
    sel.Ip()->SetIpAddress("127.0.0.1");
    sel.Ip()->SetUDP(true);
    auto* ip = dynamic_cast<TIp*>(sel.DriverOf(prIP));
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(ip->GetIpAddress(), "127.0.0.1");
    EXPECT_TRUE(ip->GetUDP());
    sel.Ip()->SetTimeOut(20);
    EXPECT_EQ(sel.Ip()->GetTimeOut(), 20);
    EXPECT_EQ(ip->GetTimeOut(), 50);
    sel.IBS()->SetCardNo(9);
    EXPECT_EQ(sel.IBS()->GetCardNo(), 9);
    EXPECT_EQ(dynamic_cast<tIbs*>(sel.DriverOf(prIBS))->GetCardNo(), 1);
    sel.Zelk()->SetComport(Com3);
    auto* zelk = dynamic_cast<tCustomSerialQelProt*>(sel.DriverOf(prZelk));
    ASSERT_NE(zelk, nullptr);
    EXPECT_EQ(zelk->GetComport(), Com3);
    EXPECT_EQ(sel.PBS()->Open(), QelResult::ResourceMissing); // no card library configured

    TTOProp none(nullptr);
    EXPECT_EQ(none.Open(), QelResult::ResourceMissing);
    EXPECT_EQ(none.Close(), QelResult::ResourceMissing);
    EXPECT_FALSE(none.IsOpen());
    EXPECT_EQ(none.GetVersion(), "");
}

} // namespace
