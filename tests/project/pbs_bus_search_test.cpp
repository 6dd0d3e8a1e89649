// The project's bus search over Profibus DP: inverters of sample types
// behind the simulated DP master card are found and identified through
// the protocol selector. Each address tried joins the driver's slave list
// and reopens it; an empty address keeps Open waiting for its full time.
// A project file with Profibus entries opens the driver once with all of
// them, unless a read on the way needs it earlier.

#include "comm/pbs.h"
#include "comm/prot_sel.h"
#include "project/prj_discovery.h"
#include "sim/cards/sim_pbs_card.h"
#include "sim/sim_model.h"
#include "tests/comm/card_fixture.h"

#include "prj_fixture.h"
#include "sample_inverter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class PbsBusSearch : public prjtest::PrjTest {
protected:
    void SetUp() override
    {
        prjtest::PrjTest::SetUp();
        ASSERT_TRUE(QFileInfo::exists(cardtest::CardLibrary("simpbs"))) << "simpbs not built";
        card = cardtest::CardControl<qelsim::SimPbsCard>("simpbs", "qelsim_pbs_card");
        ASSERT_TRUE(card);
        card->reset();
        // The card answers in this thread: each address's open wait runs
        // on virtual time.
        time = std::make_unique<cardtest::CardVirtualTime<qelsim::SimPbsCard>>(card);
        scope = std::make_unique<cardtest::LibraryScope>(
            path("registry.reg"), std::map<QString, QString>{{"PAPI.DLL", cardtest::CardLibrary("simpbs")}});
        for (int type : {21, 22})
            ASSERT_NO_FATAL_FAILURE(copySample(type));
        sel = std::make_unique<TProtSel>();
        sel->SetRetryCnt(0);
        prj.ProtSel = sel.get();
        prj.OnInvProtChanged = [this](QObject*, int a, TProt p) { sel->SetProtocol(a, p); };
    }
    void TearDown() override
    {
        prj.ProtSel = nullptr;
        sel.reset();
        if (card)
            card->reset();
        scope.reset();
        time.reset();
    }

    qelsim::SimPbsCard* card = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    std::unique_ptr<cardtest::CardVirtualTime<qelsim::SimPbsCard>> time;
    std::unique_ptr<TProtSel> sel;
};

TEST_F(PbsBusSearch, FindsTheSlavesOverASmallRange)
{
    card->addInverter(qeltest::sampleInverter(1, 21));
    card->addInverter(qeltest::sampleInverter(3, 22));
    ASSERT_EQ(prj.NewPrj(QStringLiteral("Dp"), 1, 3, 5, ProtBit(prPBS)), 0);
    const std::vector<int> found = entries();
    EXPECT_EQ(found, (std::vector<int>{1, 3}));
    EXPECT_EQ(prj.GetInv(1)->Prot, prPBS);
    EXPECT_EQ(prj.GetInv(1)->CfgId, 21);
    EXPECT_EQ(prj.GetInv(3)->CfgId, 22);
    auto* pbs = dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
    ASSERT_TRUE(pbs);
    EXPECT_EQ(pbs->GetSlaveList(), (QStringList{"1", "3"}));
    EXPECT_TRUE(pbs->IsOpen());
}

TEST_F(PbsBusSearch, ProjectLoadOpensTheDriverOnceWithEveryEntryAndALaterEntryAtOnce)
{
    for (int a : {1, 2, 3, 4})
        card->addInverter(qeltest::sampleInverter(a, a == 4 ? 22 : 21));
    // Entry 2 has no configuration number: it is read from the inverter
    // while the project loads, so the driver must serve it then.
    QFile f(path("plant.pr5"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[PROJECT]\r\nNAME=Plant\r\nWATCHINTERVAL=0\r\n"
            "[INV1]\r\nCFGID=21\r\nPROT=6\r\nNAME=A\r\n"
            "[INV2]\r\nCFGID=0\r\nPROT=6\r\nNAME=B\r\n"
            "[INV3]\r\nCFGID=21\r\nPROT=6\r\nNAME=C\r\n");
    f.close();
    card->clearLog();
    ASSERT_EQ(prj.LoadFromFile(path("plant.pr5")), 0);
    EXPECT_EQ(entries(), (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(prj.GetInv(2));
    EXPECT_EQ(prj.GetInv(2)->CfgId, 21);
    auto* pbs = dynamic_cast<tPBS*>(sel->DriverOf(prPBS));
    ASSERT_TRUE(pbs);
    EXPECT_EQ(pbs->GetSlaveList(), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(pbs->IsOpen());
    // One open for the read of entry 2 (slaves 1 and 2), one at the end;
    // not one for every entry.
    EXPECT_EQ(card->calls("profi_get_versions"), 2);
    EXPECT_EQ(sel->GetActiveProtocol(3), prPBS);

    // An inverter added afterwards reaches the driver at once.
    ASSERT_EQ(prj.AddInv(4, 22, QStringLiteral("D"), prPBS, true), 0);
    EXPECT_EQ(pbs->GetSlaveList(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_TRUE(pbs->IsOpen());
    EXPECT_EQ(card->calls("profi_get_versions"), 3);
}

} // namespace
