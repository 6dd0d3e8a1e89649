// The project's bus search over the card drivers: inverters of sample
// types behind the simulated CAN card and the simulated Interbus board are
// found and identified through the protocol selector.

#include "comm/prot_sel.h"
#include "project/prj_discovery.h"
#include "sim/cards/sim_can_card.h"
#include "sim/cards/sim_ibs_card.h"
#include "sim/sim_model.h"
#include "tests/comm/card_fixture.h"

#include "prj_fixture.h"
#include "sample_inverter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using qelsim::SimInverter;
using qelsim::SimModel;

class CardBusSearch : public prjtest::PrjTest {
protected:
    void SetUp() override
    {
        prjtest::PrjTest::SetUp();
        for (const char* lib : {"simcan", "simibs"})
            ASSERT_TRUE(QFileInfo::exists(cardtest::CardLibrary(lib))) << lib << " not built";
        can = cardtest::CardControl<qelsim::SimCanCard>("simcan", "qelsim_can_card");
        ibs = cardtest::CardControl<qelsim::SimIbsBoard>("simibs", "qelsim_ibs_board");
        ASSERT_TRUE(can && ibs);
        can->reset();
        ibs->reset();
        time = std::make_unique<cardtest::CardVirtualTime<qelsim::SimCanCard, qelsim::SimIbsBoard>>(can, ibs);
        scope = std::make_unique<cardtest::LibraryScope>(
            path("registry.reg"), std::map<QString, QString>{{"nican.DLL", cardtest::CardLibrary("simcan")},
                                                             {"IBDDIWNT.DLL", cardtest::CardLibrary("simibs")}});
        for (int type : {21, 22})
            ASSERT_NO_FATAL_FAILURE(copySample(type));
        sel = std::make_unique<TProtSel>();
        sel->Can()->SetTimeOut(100);
        sel->SetRetryCnt(0);
        prj.ProtSel = sel.get();
        prj.OnInvProtChanged = [this](QObject*, int a, TProt p) { sel->SetProtocol(a, p); };
    }
    void TearDown() override
    {
        prj.ProtSel = nullptr;
        sel.reset();
        can->reset();
        ibs->reset();
        scope.reset();
        time.reset();
    }

    qelsim::SimCanCard* can = nullptr;
    qelsim::SimIbsBoard* ibs = nullptr;
    std::unique_ptr<cardtest::LibraryScope> scope;
    std::unique_ptr<cardtest::CardVirtualTime<qelsim::SimCanCard, qelsim::SimIbsBoard>> time;
    std::unique_ptr<TProtSel> sel;
};

TEST_F(CardBusSearch, FindsTheInvertersBehindTheCanCard)
{
    can->addInverter(qeltest::sampleInverter(1, 21));
    can->addInverter(qeltest::sampleInverter(4, 22));
    ASSERT_EQ(prj.NewPrj(QStringLiteral("Can"), 0, 5, 5, ProtBit(prCAN)), 0);
    EXPECT_EQ(entries(), (std::vector<int>{1, 4}));
    EXPECT_EQ(prj.GetInv(1)->Prot, prCAN);
    EXPECT_EQ(prj.GetInv(1)->CfgId, 21);
    EXPECT_EQ(prj.GetInv(4)->CfgId, 22);
}

TEST_F(CardBusSearch, FindsTheInvertersOnTheInterbusRing)
{
    ibs->addInverter(qeltest::sampleInverter(3, 22));
    ibs->addInverter(qeltest::sampleInverter(5, 21));
    ibs->addDevice(4, 0x02, 2);
    ASSERT_EQ(prj.NewPrj(QStringLiteral("Ring"), 0, 6, 5, ProtBit(prIBS)), 0);
    EXPECT_EQ(entries(), (std::vector<int>{3, 5}));
    EXPECT_EQ(prj.GetInv(3)->Prot, prIBS);
    EXPECT_EQ(prj.GetInv(3)->CfgId, 22);
    EXPECT_EQ(prj.GetInv(5)->CfgId, 21);
}

} // namespace
