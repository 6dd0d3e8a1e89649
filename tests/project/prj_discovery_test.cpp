// Finding inverters: AddInv, NewInv, the bus search of NewPrj and
// ChangeCfgId, end to end through the protocol selector against the
// simulator (DIN 66019 II and Zelk on pseudo-terminals, DIN 66019 II over
// UDP), with a scripted interaction and progress. The test plays the main
// window: it sets each address's protocol in the selector when the project
// reports it.

#include "tests/support/sim_virtual_time.h"
#include "comm/prot_sel.h"
#include "project/prj_discovery.h"
#include "sim/sim_din_net_server.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"
#include "sim/sim_zelk_pty.h"

#include "prj_fixture.h"
#include "sample_inverter.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <optional>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

using qelsim::SimDinNetServer;
using qelsim::SimDinPtyServer;
using qelsim::SimInverter;
using qelsim::SimModel;
using qelsim::SimZelkPty;

// Readable failure output.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Records what the search shows; cancels when `cancelAt` says so.
class SearchProgressLog : public IProgress {
public:
    void Start(const QString& t, const QString& c) override
    {
        title = t;
        cancelText = c;
        cancel = false;
    }
    // Only the search's own steps are kept, not those of the configuration
    // loads within them.
    void SetText(const QString& t) override
    {
        if (!t.isEmpty() && searching())
            texts << t;
        if (cancelAt && cancelAt(t))
            cancel = true;
    }
    void SetMax(int m) override
    {
        if (searching())
            max = m;
    }
    void SetPosition(int p) override
    {
        if (searching())
            positions.push_back({texts.value(texts.size() - 1), p});
    }
    bool Cancelled() const override { return cancel; }
    void Finish() override { ++finishes; }

    QString title, cancelText;
    QStringList texts;
    int max = -1, finishes = 0;
    bool cancel = false;
    std::vector<std::pair<QString, int>> positions;
    std::function<bool(const QString&)> cancelAt;
    QString searchTitle = QStringLiteral("Umrichter suchen");

private:
    bool searching() const { return title == searchTitle; }
};

// Scripts the inverter dialog too.
class Interaction : public prjtest::ScriptedInteraction {
public:
    bool EditInv(TInvEditData& Data) override
    {
        invEdits.push_back(Data);
        if (!editInv)
            return false;
        return editInv(Data);
    }
    std::function<bool(TInvEditData&)> editInv;
};

class DiscoveryTest : public prjtest::PrjTest {
protected:
    void SetUp() override
    {
        prjtest::PrjTest::SetUp();
        prj.SetInteraction(ui2);
        QString error;
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM1", din.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com1);
        sel->Ansi()->SetBaudrate(B_19200);
        // Long enough for an answer on a loaded machine; every address
        // nobody serves costs one time-out.
        sel->Ansi()->SetTimeOut(400);
        sel->Zelk()->SetTimeOut(400);
        sel->SetRetryCnt(0);
        prj.ProtSel = sel.get();
        prj.OnInvProtChanged = [this](QObject*, int a, TProt p) {
            protChanges.push_back({a, p});
            if (onProt)
                onProt(a, p);
            sel->SetProtocol(a, p);
        };
        auto log = std::make_unique<SearchProgressLog>();
        progress = log.get();
        prj.SetProgress(std::move(log));
        for (int type : {21, 22, 25})
            copySample(type);
    }
    void TearDown() override
    {
        prj.SetScheduler(nullptr);
        prj.ProtSel = nullptr;
        sel.reset();
        qunsetenv("QEL_COM1");
        qunsetenv("QEL_COM2");
    }


    std::shared_ptr<Interaction> ui2 = std::make_shared<Interaction>();
    std::optional<qeltest::SimVirtualTime> time{std::in_place};
    SimDinPtyServer din;
    std::unique_ptr<TProtSel> sel;
    SearchProgressLog* progress = nullptr;
    std::function<void(int, TProt)> onProt;
};

constexpr TProtSet kDin = ProtBit(prANSI);

// ---------------------------------------------------------------- AddInv

TEST_F(DiscoveryTest, AddInvRefusesAddressesOutsideTheBusOccupiedOnesAndASecondZelk)
{
    makeCfgFile(8);
    for (int adr : {-1, 240, 1000}) {
        SCOPED_TRACE(adr);
        EXPECT_EQ(prj.AddInv(adr, 8, QStringLiteral("X"), prOffline, false), -2);
    }
    EXPECT_TRUE(protChanges.empty());
    EXPECT_EQ(prj.PendingChanges, 0u);

    ASSERT_EQ(prj.AddInv(4, 8, QStringLiteral("A"), prZelk, false), 0);
    protChanges.clear();
    EXPECT_EQ(prj.AddInv(4, 8, QStringLiteral("B"), prOffline, false), -1);
    EXPECT_EQ(prj.AddInv(5, 8, QStringLiteral("B"), prZelk, false), -2);
    EXPECT_TRUE(protChanges.empty());
    EXPECT_EQ(prj.GetInv(4)->Name, QStringLiteral("A"));
    EXPECT_EQ(prj.InvCount(), 1);
}

TEST_F(DiscoveryTest, AddInvIdentifiesTheNumberAndTheVariant)
{
    // 8 with 0x0B08: 21; 8 without it (error 2): 25; 8 whose 0x0B08 read
    // fails otherwise: stays 8.
    din.addInverter(qeltest::sampleInverter(2, 21));
    din.addInverter(qeltest::sampleInverter(3, 25));
    auto odd = din.addInverter(4, 8);
    odd->setRefusal(PrjDiscovery::kVariantPar, SimInverter::kAnyService, 5);
    makeCfgFile(8);

    for (auto [adr, expected] : {std::pair{2, 21}, {3, 25}, {4, 8}}) {
        SCOPED_TRACE(adr);
        ASSERT_EQ(prj.AddInv(adr, 0, QStringLiteral("Inv"), prANSI, true), 0);
        const TPrjInvRec* inv = prj.GetInv(adr);
        EXPECT_EQ(inv->CfgId, expected);
        EXPECT_EQ(inv->PrjCfgId, 0);
        ASSERT_TRUE(inv->Cfg);
        EXPECT_EQ(inv->Cfg->CfgId, expected);
        EXPECT_EQ(inv->State, -1);
    }
    EXPECT_TRUE(ui2->messages.empty());
    EXPECT_EQ(prj.PendingChanges, pcInvAdded);
}

TEST_F(DiscoveryTest, AddInvWithoutAnswerChoosesUnlessQuiet)
{
    // Nobody at address 6: quiet gives up, otherwise the choice decides.
    EXPECT_EQ(prj.AddInv(6, 0, QStringLiteral("Q"), prANSI, true), -2);
    EXPECT_TRUE(ui2->cfgChoices.empty());
    EXPECT_EQ(prj.GetInv(6), nullptr);
    ASSERT_GE(protChanges.size(), 2u);
    EXPECT_EQ(protChanges.back(), (std::pair{6, prOffline}));
    EXPECT_EQ(prj.PendingChanges, 0u);

    ui2->cfgAnswers = {22};
    ASSERT_EQ(prj.AddInv(6, 0, QStringLiteral("Q"), prANSI, false), 0);
    EXPECT_EQ(ui2->cfgChoices, (std::vector<std::pair<int, bool>>{{6, false}}));
    EXPECT_EQ(prj.GetInv(6)->CfgId, 22);
    // Chosen without having been read: no state change.
    EXPECT_TRUE(stateChanges.empty());
}

TEST_F(DiscoveryTest, AddInvReadsAConfigurationThatIsNotOnDiskAndOffersToSaveIt)
{
    QFile::remove(prj.BinPath + TVortalinCfgList::BinFileName(21));
    din.addInverter(qeltest::sampleInverter(2, 21));
    const QString saved = prj.BinPath + TVortalinCfgList::BinFileName(21);

    struct Case {
        const char* name;
        int answer;
        bool writable;
        bool fileWritten;
        int messages;
    };
    for (const Case& c : {Case{"declined", 1, true, false, 1}, Case{"saved", 0, true, true, 1},
                          Case{"unwritable", 0, false, false, 2}}) {
        SCOPED_TRACE(c.name);
        QFile::remove(saved);
        while (prj.Count() > 0)
            prj.Delete(0);
        prj.RemoveInv(2);
        ui2->messages.clear();
        ui2->messageAnswers = {c.answer};
        const QString bin = prj.BinPath;
        if (!c.writable)
            prj.BinPath = path(QStringLiteral("missing/"));

        ASSERT_EQ(prj.AddInv(2, 0, QStringLiteral("Read"), prANSI, true), 0);
        const TPrjInvRec* inv = prj.GetInv(2);
        EXPECT_EQ(inv->CfgId, 21);
        ASSERT_TRUE(inv->Cfg);
        EXPECT_EQ(inv->Cfg->TypeName, QStringLiteral("VX-210"));
        ASSERT_EQ(int(ui2->messages.size()), c.messages);
        const auto& q = ui2->messages[0];
        EXPECT_EQ(q.Msg, prj.MsgSave);
        EXPECT_EQ(q.Buttons, prj.YesNoButtons);
        EXPECT_EQ(q.Icon, pmiConfirmation);
        EXPECT_EQ(q.P1, QStringLiteral("21"));
        EXPECT_EQ(q.P2, QStringLiteral("2"));
        EXPECT_EQ(QFile::exists(saved), c.fileWritten);
        if (c.messages == 2) {
            const auto& e = ui2->messages[1];
            EXPECT_EQ(e.Msg, prj.MsgErrWrToFile);
            EXPECT_EQ(e.Icon, pmiError);
            EXPECT_EQ(e.P1, prj.BinPath + TVortalinCfgList::BinFileName(21));
        }
        prj.BinPath = bin;
    }
}

TEST_F(DiscoveryTest, VariantsReadFromTheInvertersGetTheirOwnConfigurations)
{
    // Both report 8; each configuration read is kept and saved under the
    // refined number, so the second is not taken for the first.
    for (int type : {21, 25})
        QFile::remove(prj.BinPath + TVortalinCfgList::BinFileName(type));
    din.addInverter(qeltest::sampleInverter(2, 21));
    din.addInverter(qeltest::sampleInverter(3, 25));
    ui2->messageAnswers = {0, 0};

    ASSERT_EQ(prj.AddInv(2, 0, QStringLiteral("A"), prANSI, true), 0);
    ASSERT_EQ(prj.AddInv(3, 0, QStringLiteral("B"), prANSI, true), 0);
    const TPrjInvRec* a = prj.GetInv(2);
    const TPrjInvRec* b = prj.GetInv(3);
    EXPECT_EQ(a->CfgId, 21);
    EXPECT_EQ(b->CfgId, 25);
    EXPECT_EQ(a->Cfg->TypeName, QStringLiteral("VX-210"));
    EXPECT_EQ(b->Cfg->TypeName, QStringLiteral("VX-250"));
    ASSERT_EQ(ui2->messages.size(), 2u);
    EXPECT_EQ(ui2->messages[1].P1, QStringLiteral("25"));

    // The saved files are found again by the next project.
    TVortalinPrj next;
    next.BinPath = prj.BinPath;
    ASSERT_EQ(next.AddInv(1, 25, QStringLiteral("C"), prOffline, true), 0);
    EXPECT_EQ(next.GetInv(1)->Cfg->TypeName, QStringLiteral("VX-250"));
}

TEST_F(DiscoveryTest, AddInvWithANumberNeitherOnDiskNorReadableAsksToChoose)
{
    // Reports 30; no file, and the description services are refused.
    auto inv = din.addInverter(5, 30);
    for (uint16_t par : {0x0002, 0x0004})
        inv->setRefusal(par, SimInverter::kAnyService, 5);

    ui2->messageAnswers = {1};
    EXPECT_EQ(prj.AddInv(5, 0, QStringLiteral("N"), prANSI, false), -2);
    ASSERT_EQ(ui2->messages.size(), 1u);
    EXPECT_EQ(ui2->messages[0].Msg, prj.MsgNotOnDisc);
    EXPECT_EQ(ui2->messages[0].Buttons, prj.NotOnDiscButtons);
    EXPECT_EQ(ui2->messages[0].Icon, pmiInformation);
    EXPECT_EQ(ui2->messages[0].P1, QStringLiteral("5"));
    EXPECT_EQ(ui2->messages[0].P2, QStringLiteral("30"));
    EXPECT_EQ(prj.GetInv(5), nullptr);
    EXPECT_TRUE(ui2->cfgChoices.empty());

    ui2->messageAnswers = {0};
    ui2->cfgAnswers = {22};
    ASSERT_EQ(prj.AddInv(5, 0, QStringLiteral("N"), prANSI, false), 0);
    EXPECT_EQ(prj.GetInv(5)->CfgId, 22);
    EXPECT_EQ(stateChanges, (std::vector<std::pair<int, int>>{{5, -3}}));
}

TEST_F(DiscoveryTest, AddInvFromWithinAnotherSynchronousReadGetsNoNumber)
{
    // The driver is busy with a read to an address nobody serves; the
    // identification run from its message loop cannot be made and must not
    // be taken for a number 0 read from the inverter.
    din.addInverter(qeltest::sampleInverter(2, 21));
    sel->SetProtocol(9, prANSI);
    int r = 1;
    QTimer::singleShot(0, [&] { r = prj.AddInv(2, 0, QStringLiteral("Busy"), prANSI, true); });
    TTelData data;
    data.ParAdr = PrjDiscovery::kCfgIdPar;
    TRecTel rsp;
    sel->ReadPara(9, QelService::Plain, data, rsp);
    EXPECT_EQ(r, -2);
    EXPECT_EQ(prj.GetInv(2), nullptr);
    EXPECT_TRUE(ui2->messages.empty());
    EXPECT_TRUE(ui2->cfgChoices.empty());
}

// ---------------------------------------------------------------- NewInv

TEST_F(DiscoveryTest, NewInvTakesTheFirstFreeAddressAndReports)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(1, 8, QStringLiteral("One"), prOffline, false), 0);
    prj.PendingChanges = 0;

    EXPECT_EQ(prj.NewInv(-1, 8, QString(), prOffline, false, true, true, true, true), 2);
    EXPECT_EQ(prj.GetInv(2)->Name, QStringLiteral("Umrichter 2"));
    EXPECT_TRUE(prj.Modified);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcInvAdded});
    EXPECT_EQ(prj.PendingChanges, 0u);

    // A configuration that cannot be had: the address is given up.
    EXPECT_EQ(prj.NewInv(7, 99, QStringLiteral("None"), prOffline, false, true, true, true, true), -2);
    EXPECT_EQ(prj.GetInv(7), nullptr);
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(DiscoveryTest, NewInvThroughTheInverterDialog)
{
    makeCfgFile(8);
    makeCfgFile(5);
    ui2->editInv = [](TInvEditData& d) {
        d.InvName = QStringLiteral("Pump");
        d.InvAdr = 9;
        d.CfgId = 5;
        return true;
    };
    EXPECT_EQ(prj.NewInv(-1, 8, QString(), prOffline, true, true, true, false, true), 9);
    ASSERT_EQ(ui2->invEdits.size(), 1u);
    const TInvEditData& shown = ui2->invEdits[0];
    EXPECT_EQ(shown.InvAdr, 1);
    EXPECT_EQ(shown.InvName, QStringLiteral("Umrichter 1"));
    EXPECT_EQ(shown.CfgId, 8);
    EXPECT_FALSE(shown.EditCfg);
    EXPECT_TRUE(shown.EditName && shown.EditAdr && shown.EditProt);
    EXPECT_EQ(prj.GetInv(9)->Name, QStringLiteral("Pump"));
    EXPECT_EQ(prj.GetInv(9)->CfgId, 5);

    ui2->editInv = [](TInvEditData&) { return false; };
    changes.clear();
    EXPECT_EQ(prj.NewInv(-1, 8, QString(), prOffline, true, true, true, true, true), -1);
    EXPECT_EQ(prj.InvCount(), 1);
    EXPECT_TRUE(changes.empty());
}

// ---------------------------------------------------------------- NewPrj

TEST_F(DiscoveryTest, SearchFindsTheInvertersOnTheLineWithItsProgress)
{
    din.addInverter(qeltest::sampleInverter(2, 21));
    din.addInverter(qeltest::sampleInverter(3, 25));
    prj.MsgInvSearchTitle = progress->searchTitle = QStringLiteral("Searching");
    prj.MsgCancelText = QStringLiteral("Stop");
    prj.Remarks = QStringList{QStringLiteral("old")};
    prj.FileName = QStringLiteral("/old.pr5");

    ASSERT_EQ(prj.NewPrj(QStringLiteral("Line"), 1, 4, 30, kDin), 0);

    EXPECT_EQ(entries(), (std::vector<int>{2, 3}));
    for (auto [adr, cfg] : {std::pair{2, 21}, {3, 25}}) {
        const TPrjInvRec* inv = prj.GetInv(adr);
        EXPECT_EQ(inv->Prot, prANSI);
        EXPECT_EQ(inv->CfgId, cfg);
        EXPECT_EQ(inv->Name, QStringLiteral("Umrichter %1").arg(adr));
    }
    EXPECT_EQ(prj.PrjName, QStringLiteral("Line"));
    EXPECT_EQ(prj.WatchInterval(), 30);
    EXPECT_TRUE(prj.Remarks.isEmpty());
    EXPECT_TRUE(prj.FileName.isEmpty());
    EXPECT_TRUE(ui2->messages.empty());
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral | pcInvAdded});
    // Every address was reported offline first.
    ASSERT_GE(protChanges.size(), 240u);
    for (int a = 0; a < 240; ++a)
        EXPECT_EQ(protChanges[size_t(a)], (std::pair{a, prOffline}));

    EXPECT_EQ(progress->title, QStringLiteral("Searching"));
    EXPECT_EQ(progress->cancelText, QStringLiteral("Stop"));
    EXPECT_EQ(progress->max, 13);
    const std::vector<std::pair<QString, int>> steps = {{"DIN66019, Inv 1, COM1, 19200baud", 1},
                                                        {"DIN66019, Inv 2, COM1, 19200baud", 2},
                                                        {"DIN66019, Inv 3, COM1, 19200baud", 3},
                                                        {"DIN66019, Inv 4, COM1, 19200baud", 4}};
    std::vector<std::pair<QString, int>> shown;
    for (const auto& p : progress->positions)
        if (p.first.startsWith(u"DIN66019"))
            shown.push_back(p);
    EXPECT_EQ(shown, steps);
    EXPECT_GE(progress->finishes, 1);
    EXPECT_FALSE(progress->texts.contains(QStringLiteral("Zelk")));

    ASSERT_EQ(prj.WdwCount(), 1);
    const TSavedWdwRec* w = prj.GetWdw(0);
    EXPECT_EQ(w->WdwType, wkPrjExpl);
    EXPECT_EQ(w->InvNr, -2);
    EXPECT_EQ(w->State, 2);
    EXPECT_EQ(std::tuple(w->Height, w->Width, w->Left, w->Top), std::tuple(300, 400, 20, 100));
}

TEST_F(DiscoveryTest, SearchWithZelkTriesTheFirstFreeAddressOnce)
{
    SimZelkPty zelk;
    QString error;
    ASSERT_TRUE(zelk.start({}, &error)) << error.toStdString();
    zelk.addInverter(qeltest::sampleInverter(0, 22));
    qputenv("QEL_COM2", zelk.path().toLocal8Bit());
    sel->Zelk()->SetComport(Com2);
    sel->Zelk()->SetBaudrate(B_57600);
    din.addInverter(qeltest::sampleInverter(2, 21));

    ASSERT_EQ(prj.NewPrj(QString(), 1, 3, 5, ProtBit(prANSI) | ProtBit(prZelk)), 0);
    EXPECT_EQ(entries(), (std::vector<int>{1, 2}));
    EXPECT_EQ(prj.GetInv(1)->Prot, prZelk);
    EXPECT_EQ(prj.GetInv(1)->CfgId, 22);
    EXPECT_EQ(prj.GetInv(2)->Prot, prANSI);
    EXPECT_EQ(zelk.requestCount() > 0, true);
    EXPECT_TRUE(progress->texts.contains(QStringLiteral("Zelk, Inv 1, COM2, 57600baud")));
    int zelkSteps = 0;
    for (const auto& t : progress->texts)
        zelkSteps += t.startsWith(u"Zelk") ? 1 : 0;
    EXPECT_EQ(zelkSteps, 1);
    EXPECT_EQ(progress->positions.back(), (std::pair{QStringLiteral("Zelk, Inv 1, COM2, 57600baud"), 4}));
    zelk.stop();
}

TEST_F(DiscoveryTest, SearchOverUdp)
{
    time.reset(); // real time: the virtual clock does not see datagrams on their way
    SimDinNetServer net;
    QString error;
    ASSERT_TRUE(net.startUdp(0, {QStringLiteral("127.0.0.2")}, &error)) << error.toStdString();
    net.addInverter(qeltest::sampleInverter(5, 21));
    net.addInverter(qeltest::sampleInverter(7, 22));
    sel->Ip()->SetUDP(true);
    sel->Ip()->SetIpAddress(QStringLiteral("127.0.0.2"));
    sel->Ip()->SetIpPort(net.port());
    sel->Ip()->SetTimeOut(400);

    ASSERT_EQ(prj.NewPrj(QStringLiteral("Net"), 4, 8, 5, ProtBit(prIP)), 0);
    EXPECT_EQ(entries(), (std::vector<int>{5, 7}));
    EXPECT_EQ(prj.GetInv(5)->Prot, prIP);
    EXPECT_EQ(prj.GetInv(5)->CfgId, 21);
    EXPECT_EQ(prj.GetInv(7)->CfgId, 22);
    std::vector<std::pair<QString, int>> shown;
    for (const auto& p : progress->positions)
        if (p.first.startsWith(u"IP"))
            shown.push_back(p);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown.front(), (std::pair{QStringLiteral("IP, Inv 4"), 6}));
    EXPECT_EQ(shown.back(), (std::pair{QStringLiteral("IP, Inv 8"), 10}));
    EXPECT_TRUE(ui2->messages.empty());
    net.stop();
}

TEST_F(DiscoveryTest, CancelStopsTheSearch)
{
    din.addInverter(qeltest::sampleInverter(2, 21));
    SimZelkPty zelk;
    QString error;
    ASSERT_TRUE(zelk.start({}, &error)) << error.toStdString();
    zelk.addInverter(qeltest::sampleInverter(0, 22));
    qputenv("QEL_COM2", zelk.path().toLocal8Bit());
    sel->Zelk()->SetComport(Com2);
    progress->cancelAt = [](const QString& t) { return t.startsWith(u"DIN66019, Inv 2"); };
    ui2->messageAnswers = {1, 1};  // no extended search, no configuration

    EXPECT_EQ(prj.NewPrj(QStringLiteral("C"), 1, 4, 5, ProtBit(prANSI) | ProtBit(prZelk)), -1);
    EXPECT_EQ(prj.InvCount(), 0);
    // Address 2 was shown but not asked; nothing after it, no Zelk attempt.
    EXPECT_EQ(din.inverter(2)->handledCount(), 0);
    EXPECT_EQ(zelk.requestCount(), 0);
    EXPECT_EQ(progress->texts.last(), QStringLiteral("DIN66019, Inv 2, COM1, 19200baud"));
    ASSERT_EQ(ui2->messages.size(), 2u);
    EXPECT_EQ(ui2->messages[0].Msg, prj.MsgExtSearch);
    EXPECT_EQ(ui2->messages[1].Msg, prj.MsgNoCfg);
    zelk.stop();
}

TEST_F(DiscoveryTest, SecondPassFindsAnInverterAtAnotherBaudRate)
{
    // The inverters answer only while the line runs at 4800 baud.
    auto a2 = qeltest::sampleInverter(2, 21);
    auto a3 = qeltest::sampleInverter(3, 25);
    onProt = [&](int, TProt) {
        const bool match = sel->Ansi()->GetBaudrate() == B_4800;
        for (const auto& inv : {a2, a3}) {
            if (match && !din.inverter(inv->address()))
                din.addInverter(inv);
            else if (!match)
                din.removeInverter(inv->address());
        }
    };
    ui2->messageAnswers = {0};

    ASSERT_EQ(prj.NewPrj(QStringLiteral("Slow"), 1, 3, 5, kDin), 0);
    ASSERT_GE(ui2->messages.size(), 1u);
    const auto& q = ui2->messages[0];
    EXPECT_EQ(q.Msg, prj.MsgExtSearch);
    EXPECT_EQ(q.Buttons, prj.YesNoButtons);
    EXPECT_EQ(q.Icon, pmiConfirmation);
    EXPECT_EQ(q.P1, QStringLiteral("1 - 3, COM1, 19200baud"));
    EXPECT_EQ(q.P2, QString());
    EXPECT_EQ(ui2->messages.size(), 1u);

    // The first success ends the scan and leaves the line at its rate.
    EXPECT_EQ(entries(), std::vector<int>{2});
    EXPECT_EQ(prj.GetInv(2)->CfgId, 21);
    EXPECT_EQ(sel->Ansi()->GetBaudrate(), B_4800);
    const QStringList extended = progress->texts.filter(QStringLiteral("baud")).mid(3);
    ASSERT_FALSE(extended.isEmpty());
    EXPECT_EQ(extended.first(), QStringLiteral("DIN66019, Inv 1, COM1, 1200baud"));
    EXPECT_EQ(extended.last(), QStringLiteral("DIN66019, Inv 2, COM1, 4800baud"));
    EXPECT_EQ(progress->max, 24);
    EXPECT_EQ(progress->positions.back().second, 2 * 3 + 2);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral | pcInvAdded});
}

TEST_F(DiscoveryTest, SearchThatFindsNothingRestoresTheRateAndReportsFreedEntries)
{
    makeCfgFile(8);
    struct Case {
        const char* name;
        int noCfgAnswer;
        int result;
        std::vector<int> entries;
    };
    for (const Case& c : {Case{"declined", 1, -1, {}}, Case{"chosen", 0, 0, {1}}}) {
        SCOPED_TRACE(c.name);
        // A project with entries before the search.
        ASSERT_EQ(prj.AddInv(9, 8, QStringLiteral("Old"), prOffline, false), 0);
        prj.PendingChanges = 0;
        changes.clear();
        ui2->messages.clear();
        ui2->messageAnswers = {0, c.noCfgAnswer};
        ui2->cfgAnswers = {22};
        progress->texts.clear();

        EXPECT_EQ(prj.NewPrj(QStringLiteral("Empty"), 1, 1, 5, kDin), c.result);
        EXPECT_EQ(entries(), c.entries);
        EXPECT_EQ(sel->Ansi()->GetBaudrate(), B_19200);
        const QStringList rates = progress->texts.filter(QStringLiteral("DIN66019, Inv 1, COM1, "));
        ASSERT_EQ(rates.size(), 9);
        EXPECT_EQ(rates[1], QStringLiteral("DIN66019, Inv 1, COM1, 1200baud"));
        EXPECT_EQ(rates[8], QStringLiteral("DIN66019, Inv 1, COM1, 115200baud"));
        ASSERT_EQ(ui2->messages.size(), 2u);
        EXPECT_EQ(ui2->messages[1].Msg, prj.MsgNoCfg);
        EXPECT_EQ(ui2->messages[1].Icon, pmiConfirmation);
        // The old entry was freed: bit 4 makes the main window restart the scheduler.
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_TRUE(changes[0] & pcInvRemoved);
        EXPECT_TRUE(changes[0] & pcGeneral);
        EXPECT_EQ((changes[0] & pcInvAdded) != 0, c.result == 0);
        EXPECT_EQ(prj.WdwCount(), 1);
    }
}

TEST_F(DiscoveryTest, CancelledSecondPassRestoresBothRates)
{
    SimZelkPty zelk;
    QString error;
    ASSERT_TRUE(zelk.start({}, &error)) << error.toStdString();
    qputenv("QEL_COM2", zelk.path().toLocal8Bit());
    sel->Zelk()->SetComport(Com2);
    sel->Zelk()->SetBaudrate(B_38400);
    ui2->messageAnswers = {0, 1};
    progress->cancelAt = [](const QString& t) { return t.endsWith(u"2400baud"); };

    EXPECT_EQ(prj.NewPrj(QStringLiteral("C"), 1, 1, 5, ProtBit(prANSI) | ProtBit(prZelk)), -1);
    EXPECT_EQ(sel->Ansi()->GetBaudrate(), B_19200);
    EXPECT_EQ(sel->Zelk()->GetBaudrate(), B_38400);
    // After the cancel no address is asked, the Zelk scan shows nothing.
    const QStringList texts = progress->texts;
    EXPECT_EQ(texts.last(), QStringLiteral("DIN66019, Inv 1, COM1, 2400baud"));
    EXPECT_EQ(ui2->messages.size(), 2u);
    EXPECT_EQ(ui2->messages[0].P2, QStringLiteral("Zelk, COM2, 38400baud"));
    zelk.stop();
}

TEST_F(DiscoveryTest, BusSearchOrderAndInterbusFromAddressTwo)
{
    // Nothing answers on these buses here (no gateway, no cards).
    ui2->messageAnswers = {1};
    const TProtSet buses = ProtBit(prIP) | ProtBit(prCAN) | ProtBit(prPBS) | ProtBit(prIBS);
    EXPECT_EQ(prj.NewPrj(QStringLiteral("Bus"), 0, 2, 5, buses), -1);
    QStringList expected;
    for (const char* bus : {"IP", "CAN", "Profibus"})
        for (int a = 0; a <= 2; ++a)
            expected << QStringLiteral("%1, Inv %2").arg(QLatin1String(bus)).arg(a);
    expected << QStringLiteral("Interbus, Inv 2");
    EXPECT_EQ(progress->texts, expected);
    ASSERT_GE(progress->positions.size(), 2u);  // the first is the empty start
    EXPECT_EQ(progress->positions[1], (std::pair{QStringLiteral("IP, Inv 0"), 4}));
    EXPECT_EQ(progress->positions.back(), (std::pair{QStringLiteral("Interbus, Inv 2"), 2}));
    // No serial protocol: no extended search question, only the last one.
    ASSERT_EQ(ui2->messages.size(), 1u);
    EXPECT_EQ(ui2->messages[0].Msg, prj.MsgNoCfg);
}

// ---------------------------------------------------------------- ChangeCfgId

TEST_F(DiscoveryTest, ChangeCfgIdSwitchesToAFileAndFreesOnlyUnusedConfigurations)
{
    makeCfgFile(8);
    makeCfgFile(5);
    ASSERT_EQ(prj.AddInv(1, 8, QStringLiteral("A"), prOffline, false), 0);
    ASSERT_EQ(prj.AddInv(2, 8, QStringLiteral("B"), prOffline, false), 0);

    EXPECT_EQ(prj.ChangeCfgId(3, 5), -1);
    EXPECT_EQ(prj.ChangeCfgId(1, 8), 8);
    EXPECT_TRUE(changes.empty());

    EXPECT_EQ(prj.ChangeCfgId(1, 5), 5);
    EXPECT_EQ(prj.GetInv(1)->CfgId, 5);
    EXPECT_EQ(prj.GetInv(1)->Cfg->CfgId, 5);
    EXPECT_EQ(prj.GetInv(1)->PrjCfgId, 8);
    EXPECT_NE(prj.FindCfg(8), nullptr);  // still used by address 2
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcInvRemoved});

    EXPECT_EQ(prj.ChangeCfgId(2, 5), 5);
    EXPECT_EQ(prj.FindCfg(8), nullptr);
    EXPECT_EQ(prj.GetInv(1)->Cfg, prj.GetInv(2)->Cfg);

    // Neither file nor inverter (offline): nothing changes.
    changes.clear();
    EXPECT_EQ(prj.ChangeCfgId(2, 77), 5);
    EXPECT_EQ(prj.GetInv(2)->CfgId, 5);
    EXPECT_NE(prj.FindCfg(5), nullptr);
    EXPECT_TRUE(changes.empty());
}

TEST_F(DiscoveryTest, ChangeCfgIdKeepsTheConfigurationTheInverterStillReports)
{
    // No file 40: the configuration is read from the inverter, which
    // reports the number in use; that configuration must stay.
    copySample(3);
    din.addInverter(qeltest::sampleInverter(2, 3));
    ASSERT_EQ(prj.AddInv(2, 3, QStringLiteral("A"), prANSI, false), 0);
    TCfgRec* before = prj.GetInv(2)->Cfg.get();

    EXPECT_EQ(prj.ChangeCfgId(2, 40), 3);
    const TPrjInvRec* inv = prj.GetInv(2);
    EXPECT_EQ(inv->CfgId, 3);
    EXPECT_EQ(inv->Cfg.get(), before);
    EXPECT_EQ(prj.FindCfg(3), before);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcInvRemoved});
}

}  // namespace
