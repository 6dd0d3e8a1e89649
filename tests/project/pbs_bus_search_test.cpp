// The project's bus search over Profibus DP: inverters of sample types
// behind the simulated DP master card are found and identified through
// the protocol selector. Each address tried joins the driver's slave list
// and reopens it; an empty address keeps Open waiting for its full time.

#include "comm/pbs.h"
#include "comm/prot_sel.h"
#include "platform/virtual_clock.h"
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
        // The card answers at once in this thread: each address's open
        // wait runs on virtual time.
        clock = std::make_unique<qel::TVirtualClock>();
        ASSERT_TRUE(QFileInfo::exists(cardtest::CardLibrary("simpbs"))) << "simpbs not built";
        card = cardtest::CardControl<qelsim::SimPbsCard>("simpbs", "qelsim_pbs_card");
        ASSERT_TRUE(card);
        card->reset();
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
        clock.reset();
    }

    qelsim::SimPbsCard* card = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    std::unique_ptr<TProtSel> sel;
    std::unique_ptr<qel::TVirtualClock> clock;
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

} // namespace
