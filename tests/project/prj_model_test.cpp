// The project model: entries and their configurations, linked files, the
// add-file question, settings and saved windows.

#include "prj_fixture.h"

#include <gtest/gtest.h>

#include <QPointer>

using namespace prjtest;

namespace {

using PrjModelTest = PrjTest;

TEST_F(PrjModelTest, AddInvRefusalsFireNothing)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(5, 8, QStringLiteral("Z"), prZelk, false), 0);
    protChanges.clear();
    prj.PendingChanges = 0;
    EXPECT_EQ(prj.AddInv(5, 8, QStringLiteral("again"), prANSI, false), -1);
    EXPECT_EQ(prj.AddInv(6, 8, QStringLiteral("Z2"), prZelk, false), -2);
    for (int adr : {-1, 240, 1000})
        EXPECT_EQ(prj.AddInv(adr, 8, QStringLiteral("out"), prANSI, false), -2) << adr;
    EXPECT_TRUE(protChanges.empty());
    EXPECT_EQ(prj.PendingChanges, 0u);
    EXPECT_EQ(prj.GetInv(5)->Name, QStringLiteral("Z"));
    EXPECT_EQ(prj.GetInv(-1), nullptr);
    EXPECT_EQ(prj.GetInv(240), nullptr);
}

TEST_F(PrjModelTest, AddInvAttachesLoadedOrFileConfigurationAndCutsTheName)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(1, 8, QString(30, u'n'), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(2, 8, QStringLiteral("B"), prIP, false), 0);
    const TPrjInvRec* a = prj.GetInv(1);
    EXPECT_EQ(a->Name.size(), kInvNameLen);
    EXPECT_EQ(a->InvAdr, 1);
    EXPECT_EQ(a->State, -1);
    EXPECT_EQ(a->Cfg, prj.GetInv(2)->Cfg);  // one configuration, shared
    EXPECT_EQ(prj.Count(), 1);
    EXPECT_EQ(prj.PendingChanges, pcInvAdded);
    EXPECT_EQ(protChanges, (std::vector<std::pair<int, TProt>>{{1, prANSI}, {2, prIP}}));
    EXPECT_TRUE(changes.empty());  // the caller fires
}

TEST_F(PrjModelTest, AddInvWithoutConfigurationGivesTheAddressUp)
{
    // Not on disk; the choice offers another number, which loads.
    makeCfgFile(5);
    ui->cfgAnswers = {5};
    ASSERT_EQ(prj.AddInv(3, 9, QStringLiteral("A"), prANSI, false), 0);
    EXPECT_EQ(prj.GetInv(3)->CfgId, 5);
    EXPECT_EQ(prj.GetInv(3)->PrjCfgId, 9);  // the file keeps the number given
    // Cancelled choice: entry dropped, address reported offline, bit 2
    // taken back when it was not set before.
    prj.PendingChanges = 0;
    protChanges.clear();
    EXPECT_EQ(prj.AddInv(4, 9, QStringLiteral("B"), prANSI, false), -2);
    EXPECT_EQ(prj.GetInv(4), nullptr);
    EXPECT_EQ(protChanges, (std::vector<std::pair<int, TProt>>{{4, prANSI}, {4, prOffline}}));
    EXPECT_EQ(prj.PendingChanges, 0u);
    // Bit 2 set before stays.
    prj.PendingChanges = pcInvAdded;
    EXPECT_EQ(prj.AddInv(4, 9, QStringLiteral("B"), prANSI, false), -2);
    EXPECT_EQ(prj.PendingChanges, pcInvAdded);
    // Number 0 without a protocol selector goes to the choice as well.
    ui->cfgChoices.clear();
    EXPECT_EQ(prj.AddInv(6, 0, QStringLiteral("C"), prANSI, true), -2);
    EXPECT_EQ(ui->cfgChoices, (std::vector<std::pair<int, bool>>{{6, false}}));
}

TEST_F(PrjModelTest, ConfigurationIsFreedOnlyWhenNoEntryHoldsIt)
{
    // Para0009.bin describes configuration 8: the entry asking for 9 holds
    // configuration 8, which a second entry then shares by its number.
    makeCfgFile(9, 8);
    makeCfgFile(5);
    ASSERT_EQ(prj.AddInv(1, 9, QStringLiteral("A"), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(2, 8, QStringLiteral("B"), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(3, 5, QStringLiteral("C"), prANSI, false), 0);
    ASSERT_EQ(prj.GetInv(1)->Cfg, prj.GetInv(2)->Cfg);
    EXPECT_EQ(prj.Count(), 2);

    prj.RemoveInv(2);
    EXPECT_EQ(prj.GetInv(2), nullptr);
    EXPECT_EQ(prj.PendingChanges & pcInvRemoved, pcInvRemoved);
    ASSERT_NE(prj.FindCfg(8), nullptr);  // entry 1 still holds it
    EXPECT_EQ(prj.FindCfg(8), prj.GetInv(1)->Cfg.get());

    prj.RemoveInv(1);
    EXPECT_EQ(prj.FindCfg(8), nullptr);
    prj.RemoveInv(3);
    EXPECT_EQ(prj.Count(), 0);
    EXPECT_EQ(prj.InvCount(), 0);
    EXPECT_TRUE(changes.empty());  // the caller fires
}

TEST_F(PrjModelTest, ClearInvsKeepsConfigurationsAndStateEvents)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(1, 8, QStringLiteral("A"), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(2, 8, QStringLiteral("Z"), prZelk, false), 0);
    prj.SetInvState(1, -2);
    prj.SetInvState(1, -2);  // unchanged: no event
    prj.SetInvState(7, -3);  // no entry
    EXPECT_EQ(stateChanges, (std::vector<std::pair<int, int>>{{1, -2}}));
    EXPECT_EQ(prj.GetInv(1)->State, -2);
    prj.AddFile(QStringLiteral("/g.wr5"), -1);
    prj.PendingChanges = 0;
    prj.ClearInvs();
    EXPECT_EQ(prj.PendingChanges, pcInvRemoved);
    prj.PendingChanges = 0;
    prj.ClearInvs();  // nothing freed
    EXPECT_EQ(prj.PendingChanges, 0u);
    EXPECT_EQ(prj.InvCount(), 0);
    EXPECT_TRUE(prj.WorkFiles.isEmpty());
    EXPECT_EQ(prj.Count(), 1);
}

TEST_F(PrjModelTest, ReleaseFreesTheProjectItsOwnerHolds)
{
    makeCfgFile(8);
    QObject owner;
    QPointer<TVortalinPrj> p = new TVortalinPrj(&owner);
    p->BinPath = prj.BinPath;
    ASSERT_EQ(p->AddInv(1, 8, QStringLiteral("A"), prANSI, false), 0);
    // A window may still hold the configuration of an entry.
    const std::shared_ptr<TCfgRec> held = p->GetInv(1)->Cfg;
    p->Release();
    EXPECT_TRUE(p.isNull());
    EXPECT_TRUE(owner.children().isEmpty());
    EXPECT_EQ(held->CfgId, 8);
}

// Where a linked file lands by its extension.
TEST_F(PrjModelTest, LinkedFileKindFollowsTheExtensionInAnyCase)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(4, 8, QStringLiteral("A"), prANSI, false), 0);
    struct Case {
        const char* name;
        int kind;  // 0 work, 1 down, 2 scope, 3 notes
    };
    const Case cases[] = {
        {"/l/a.wr5", 0}, {"/l/B.TRC", 0},     {"/l/c.dw5", 1},        {"/l/d.DWN", 1},
        {"/l/e.Op5", 1}, {"/l/f.SCO", 2},     {"/l/g.sc5", 2},        {"/l/h.txt", 3},
        {"/l/noext", 3}, {"/l.wr5/inside", 3}, {"C:\\l.sco\\plain", 3}, {"/l/x.wr5.bak", 3},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        SCOPED_TRACE(c.name);
        ASSERT_GE(prj.AddFile(name, 4), 0);
        const TPrjInvRec* inv = prj.GetInv(4);
        const QStringList* lists[] = {&inv->WorkFiles, &inv->DownFiles, &inv->ScopeFiles, &inv->RemFiles};
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(lists[k]->contains(name), k == c.kind) << k;
    }
}

TEST_F(PrjModelTest, AddFindRemoveFileComparesWithoutCase)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(9, 8, QStringLiteral("A"), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(3, 8, QStringLiteral("B"), prANSI, false), 0);
    changes.clear();
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/One.wr5"), -1), 0);
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/Two.wr5"), -1), 1);
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/Three.dw5"), 9), 0);
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/Four.dw5"), 3), 0);
    EXPECT_EQ(changes, std::vector<TPrjChanges>(4, pcFiles));
    EXPECT_TRUE(prj.Modified);

    prj.Modified = false;
    prj.PendingChanges = pcInvAdded;
    changes.clear();
    // Already linked anywhere, also in other case; no such inverter.
    EXPECT_EQ(prj.AddFile(QStringLiteral("/p/ONE.WR5"), 3), -2);
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/three.dw5"), -1), -2);
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/New.wr5"), 7), -1);
    EXPECT_EQ(prj.AddFile(QStringLiteral("/P/New.wr5"), -2), -1);
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(prj.Modified);

    EXPECT_EQ(prj.FindFile(QStringLiteral("/p/two.WR5")), -1);
    EXPECT_EQ(prj.FindFile(QStringLiteral("/P/THREE.dw5")), 9);
    EXPECT_EQ(prj.FindFile(QStringLiteral("/P/Four.dw5")), 3);
    EXPECT_EQ(prj.FindFile(QStringLiteral("/P/Two")), -2);

    EXPECT_EQ(prj.RemoveFile(QStringLiteral("/p/three.DW5")), 9);
    EXPECT_TRUE(prj.GetInv(9)->DownFiles.isEmpty());
    EXPECT_EQ(prj.RemoveFile(QStringLiteral("/P/one.wr5")), -1);
    EXPECT_EQ(prj.WorkFiles, QStringList{QStringLiteral("/P/Two.wr5")});
    EXPECT_EQ(prj.RemoveFile(QStringLiteral("/P/one.wr5")), -2);
    // Bit 8 exactly, whatever was pending.
    EXPECT_EQ(changes, std::vector<TPrjChanges>(2, pcFiles));
    EXPECT_EQ(prj.PendingChanges, 0u);
    EXPECT_TRUE(prj.Modified);
}

TEST_F(PrjModelTest, AskAddFileOffersTheProjectAndEveryInverter)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(123, 8, QStringLiteral("Big"), prANSI, false), 0);
    ASSERT_EQ(prj.AddInv(7, 8, QStringLiteral("Small"), prANSI, false), 0);
    ui->addFileAnswers = {-2, -1, 7, 7};
    EXPECT_FALSE(prj.AskAddFile(QStringLiteral("/f/A.wr5")));
    ASSERT_EQ(ui->addFileQuestions.size(), 1u);
    EXPECT_EQ(ui->addFileQuestions[0].first, QStringLiteral("/f/A.wr5"));
    EXPECT_EQ(ui->addFileQuestions[0].second,
              (QStringList{QStringLiteral("-1  Global im Projekt"), QStringLiteral("7   Small"),
                           QStringLiteral("123 Big")}));
    EXPECT_EQ(prj.FindFile(QStringLiteral("/f/A.wr5")), -2);
    EXPECT_TRUE(prj.AskAddFile(QStringLiteral("/f/A.wr5")));
    EXPECT_EQ(prj.FindFile(QStringLiteral("/f/A.wr5")), -1);
    EXPECT_TRUE(prj.AskAddFile(QStringLiteral("/f/B.wr5")));
    EXPECT_EQ(prj.FindFile(QStringLiteral("/f/B.wr5")), 7);
    EXPECT_FALSE(prj.AskAddFile(QStringLiteral("/F/b.WR5")));  // already linked
}

TEST_F(PrjModelTest, SettingsReadAndWriteAsText)
{
    prj.SetPrjRemarks(QStringLiteral("one\r\ntwo\nthree"));
    EXPECT_EQ(prj.Remarks, (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    EXPECT_EQ(prj.PrjRemarks(), QStringLiteral("one\ntwo\nthree"));
    prj.SetPrjRemarks(QString());
    EXPECT_TRUE(prj.Remarks.isEmpty());

    EXPECT_EQ(prj.WatchInterval(), 5);
    EXPECT_DOUBLE_EQ(prj.WatchIntervalDays(), 5 / 86400.0);
    prj.SetWatchInterval(86400);
    EXPECT_DOUBLE_EQ(prj.WatchIntervalDays(), 1.0);

    EXPECT_EQ(prj.MsgErrWrToFileText(), QStringLiteral("Datei @P1\nkonnte nicht geschrieben werden"));
    prj.SetMsgErrWrToFileText(QStringLiteral("File @P1\ncould not be written"));
    EXPECT_EQ(prj.MsgErrWrToFile.size(), 2);
    prj.SetMsgYesText(QStringLiteral("Yes"));
    prj.SetMsgNoText(QStringLiteral("No"));
    EXPECT_EQ(prj.YesNoButtons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(prj.MsgNotOnDiscCancelText(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(prj.MsgOldIdText(), QStringLiteral("Alte CFG-ID beibehalten"));
    EXPECT_TRUE(prj.MsgNoCfgText().isEmpty());
}

TEST_F(PrjModelTest, SavedWindowsByIndex)
{
    EXPECT_EQ(prj.AddWdw(), 0);
    EXPECT_EQ(prj.AddWdw(), 1);
    const TSavedWdwRec& fresh = *prj.GetWdw(1);
    EXPECT_EQ(fresh.WdwType, 0);
    EXPECT_EQ(fresh.Left, 0);
    EXPECT_TRUE(fresh.FileName.isEmpty());
    prj.GetWdw(1)->InvNr = 9;
    EXPECT_EQ(prj.GetWdw(2), nullptr);
    prj.DeleteWdw(5);
    prj.DeleteWdw(0);
    ASSERT_EQ(prj.WdwCount(), 1);
    EXPECT_EQ(prj.GetWdw(0)->InvNr, 9);
}

}  // namespace
