// The project dialog's rows and their applying to the project, headless:
// the dialog is a script that edits the rows through the same calls its
// buttons make; questions and the inverter dialog are answered from queues.

#include "project/prj_edit_rows.h"
#include "prj_fixture.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace prjtest;

namespace {

class EditUi : public ScriptedInteraction {
public:
    bool EditInv(TInvEditData& Data) override
    {
        invEdits.push_back(Data);
        if (invAnswers.empty())
            return false;
        auto f = invAnswers.front();
        invAnswers.pop_front();
        return f(Data);
    }
    bool EditPrj(TPrjEditRows& Rows) override
    {
        ++runs;
        pageShown = Rows.Page;
        return dialog ? dialog(Rows) : false;
    }
    std::deque<std::function<bool(TInvEditData&)>> invAnswers;
    std::function<bool(TPrjEditRows&)> dialog;
    int runs = 0;
    int pageShown = -1;
};

// The inverter dialog confirmed with changes.
std::function<bool(TInvEditData&)> edit(std::function<void(TInvEditData&)> f)
{
    return [f](TInvEditData& d) {
        f(d);
        return true;
    };
}

class PrjEdit : public PrjTest {
protected:
    void SetUp() override
    {
        PrjTest::SetUp();
        prj.SetInteraction(eui);
        for (int n : {3, 21, 25})
            makeCfgFile(n);
        ASSERT_EQ(prj.AddInv(3, 21, QStringLiteral("Three"), prANSI, true), 0);
        ASSERT_EQ(prj.AddInv(7, 25, QStringLiteral("Seven"), prZelk, true), 0);
        prj.GetInv(3)->WorkFiles << QStringLiteral("/data/a.wr5");
        prj.GetInv(3)->DownFiles << QStringLiteral("/data/p.dw5");
        prj.DownFiles << QStringLiteral("/data/global.dw5");
        prj.Modified = false;
        prj.PendingChanges = 0;
        changes.clear();
        protChanges.clear();
    }
    void run(std::function<bool(TPrjEditRows&)> dialog, int page = -1)
    {
        eui->dialog = std::move(dialog);
        prj.EditPrj(page);
    }
    static QStringList invColumns(const TPrjEditRows& r)
    {
        QStringList out;
        for (const TPrjInvRow& i : r.Inverters)
            out << QString::number(i.Copy->InvAdr) + u'|' + i.Copy->Name + u'|' + r.NumberText(i) + u'|'
                    + TPrjEditRows::ProtText(i.Copy->Prot);
        return out;
    }
    static QStringList fileColumns(const TPrjEditRows& r, int kind)
    {
        QStringList out;
        for (const TPrjFileRow& f : r.Files[size_t(kind)])
            out << QString::number(f.Adr) + u'|' + f.Name + u'|' + f.Dir;
        return out;
    }

    std::shared_ptr<EditUi> eui = std::make_shared<EditUi>();
};

TEST_F(PrjEdit, FillsRowsAndAnUnchangedOkStillWritesTheFileLists)
{
    prj.GetInv(3)->PrjCfgId = 0;  // read automatically, found to be 21
    prj.SetWatchInterval(9000);   // hand-edited, outside the field
    QStringList inv, work, down;
    run([&](TPrjEditRows& r) {
        inv = invColumns(r);
        work = fileColumns(r, pfkWork);
        down = fileColumns(r, pfkDown);
        EXPECT_EQ(r.WatchInterval, 5000);
        EXPECT_EQ(r.SelInv, 0);
        return true;
    }, 3);
    EXPECT_EQ(eui->pageShown, 3);
    EXPECT_EQ(inv, (QStringList{"3|Three|0 / 21|DIN 66019", "7|Seven|25 / 25|Zelk"}));
    EXPECT_EQ(work, (QStringList{"3|a.wr5|/data/"}));
    EXPECT_EQ(down, (QStringList{"-1|global.dw5|/data/", "3|p.dw5|/data/"}));
    EXPECT_EQ(changes, (std::vector<TPrjChanges>{pcFiles}));
    EXPECT_TRUE(prj.Modified);
    EXPECT_EQ(prj.WatchInterval(), 9000);
    EXPECT_EQ(prj.GetInv(3)->PrjCfgId, 0);
    EXPECT_EQ(prj.GetInv(3)->CfgId, 21);
    EXPECT_TRUE(prj.PrjEdit().Inverters.empty());  // copies freed

    // -1 keeps the page shown last.
    run([](TPrjEditRows&) { return false; });
    EXPECT_EQ(eui->pageShown, 3);
}

TEST_F(PrjEdit, CancelLeavesTheProjectUntouched)
{
    eui->invAnswers = {edit([](TInvEditData& d) { d.InvAdr = 9; }),
                       edit([](TInvEditData& d) { d.InvName = QStringLiteral("X"); })};
    run([](TPrjEditRows& r) {
        r.PrjName = QStringLiteral("Other");
        EXPECT_TRUE(r.AddInv());
        EXPECT_TRUE(r.EditInv(0));
        r.DelFile(pfkDown, 0);
        return false;
    });
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(prj.Modified);
    EXPECT_NE(prj.PrjName, QStringLiteral("Other"));
    EXPECT_EQ(prj.InvCount(), 2);
    EXPECT_EQ(prj.GetInv(3)->Name, QStringLiteral("Three"));
    EXPECT_EQ(prj.DownFiles, QStringList{"/data/global.dw5"});
}

TEST_F(PrjEdit, AddressChangeWithLinkedFiles)
{
    struct Case {
        int answer;
        bool moved;
        QStringList work;
    };
    for (const Case& c : {Case{0, true, {"/data/a.wr5"}}, Case{1, true, {}}, Case{2, false, {"/data/a.wr5"}}}) {
        SCOPED_TRACE(c.answer);
        prj.ClearInvs();
        eui = std::make_shared<EditUi>();
        SetUp();
        eui->messageAnswers = {c.answer};
        eui->invAnswers = {edit([](TInvEditData& d) { d.InvAdr = 5; })};
        QStringList files;
        run([&](TPrjEditRows& r) {
            EXPECT_EQ(r.EditInv(0), c.moved);
            files = fileColumns(r, pfkWork);
            return true;
        });
        ASSERT_EQ(eui->messages.size(), 1u);
        EXPECT_EQ(eui->messages[0].Msg, prj.PrjEdit().ChgCfgIdInfo);
        EXPECT_EQ(eui->messages[0].Buttons, (QStringList{"Übernehmen", "Entfernen", "Abbrechen"}));
        EXPECT_EQ(eui->messages[0].Title, QStringLiteral("Achtung"));
        EXPECT_EQ(eui->messages[0].Cancel, 2);
        const int adr = c.moved ? 5 : 3;
        ASSERT_NE(prj.GetInv(adr), nullptr);
        EXPECT_EQ(prj.GetInv(c.moved ? 3 : 5), nullptr);
        EXPECT_EQ(prj.GetInv(adr)->WorkFiles, c.work);
        EXPECT_EQ(prj.GetInv(adr)->CfgId, 21);
        EXPECT_EQ(prj.GetInv(adr)->Name, QStringLiteral("Three"));
        if (c.answer == 0) {
            EXPECT_EQ(files, QStringList{"5|a.wr5|/data/"});
        }
        if (c.moved) {
            EXPECT_EQ(changes.back() & (pcInvAdded | pcInvRemoved | pcFiles), pcInvAdded | pcInvRemoved | pcFiles);
        }
    }
}

TEST_F(PrjEdit, ConflictsAreRefusedWhileEditing)
{
    eui->invAnswers = {
        edit([](TInvEditData& d) { d.InvAdr = 7; }),                                  // address in use
        edit([](TInvEditData& d) { d.Prot = prZelk; }),                               // second Zelk added
        edit([](TInvEditData& d) { d.Prot = prZelk; d.InvName = QStringLiteral("N"); }),  // row 0 to Zelk
        edit([](TInvEditData& d) { d.InvAdr = 7; }),                                  // edit onto 7
        edit([](TInvEditData& d) { d.InvAdr = 12; }),                                 // Zelk row moves
    };
    QStringList inv;
    run([&](TPrjEditRows& r) {
        EXPECT_FALSE(r.AddInv());
        EXPECT_FALSE(r.AddInv());
        EXPECT_TRUE(r.EditInv(0));  // the name is taken, the protocol is not
        EXPECT_FALSE(r.EditInv(0));
        EXPECT_TRUE(r.EditInv(1));
        inv = invColumns(r);
        return true;
    });
    ASSERT_EQ(eui->invEdits.size(), 5u);
    EXPECT_EQ(eui->invEdits[0].InvAdr, 0);  // the first free address
    EXPECT_EQ(eui->invEdits[0].Prot, prANSI);
    ASSERT_EQ(eui->messages.size(), 4u);
    EXPECT_EQ(eui->messages[0].Msg, prj.PrjEdit().InvAdrInUse);
    EXPECT_EQ(eui->messages[1].Msg, prj.PrjEdit().ToManyZelk);
    EXPECT_EQ(eui->messages[2].Msg, prj.PrjEdit().ToManyZelk);
    EXPECT_EQ(eui->messages[3].Msg, prj.PrjEdit().InvAdrInUse);
    EXPECT_EQ(eui->messages[1].Buttons, QStringList{"OK"});
    EXPECT_EQ(inv, (QStringList{"3|N|21|DIN 66019", "12|Seven|25|Zelk"}));
    // One Zelk entry, at the new address.
    EXPECT_EQ(prj.GetInv(7), nullptr);
    ASSERT_NE(prj.GetInv(12), nullptr);
    EXPECT_EQ(prj.GetInv(12)->Prot, prZelk);
    EXPECT_EQ(prj.GetInv(12)->CfgId, 25);
    EXPECT_EQ(prj.GetInv(3)->Name, QStringLiteral("N"));
}

TEST_F(PrjEdit, NumbersSwitchOnlyWhenGivenOrOnAnotherEntry)
{
    // The watch switched inverter 3 from 21 to 25: PrjCfgId stays 21.
    ASSERT_EQ(prj.ChangeCfgId(3, 25), 25);
    prj.GetInv(3)->PrjCfgId = 21;
    changes.clear();
    run([](TPrjEditRows&) { return true; });
    EXPECT_EQ(prj.GetInv(3)->CfgId, 25);  // an untouched row does not undo it
    EXPECT_EQ(prj.GetInv(3)->PrjCfgId, 21);
    EXPECT_EQ(changes, (std::vector<TPrjChanges>{pcFiles}));

    // Number 0: the configuration stays, 0 is stored.
    eui->invAnswers = {edit([](TInvEditData& d) { d.CfgId = 0; })};
    run([](TPrjEditRows& r) { return r.EditInv(0); });
    EXPECT_EQ(prj.GetInv(3)->CfgId, 25);
    EXPECT_EQ(prj.GetInv(3)->PrjCfgId, 0);

    // A number given: switched.
    eui->invAnswers = {edit([](TInvEditData& d) { d.CfgId = 3; })};
    changes.clear();
    run([](TPrjEditRows& r) { return r.EditInv(0); });
    EXPECT_EQ(prj.GetInv(3)->CfgId, 3);
    EXPECT_EQ(prj.GetInv(3)->PrjCfgId, 3);
    EXPECT_TRUE(changes.back() & pcInvAdded);

    // Inverter 7 (25) removed, inverter 3 (number 0 now shown as 3/3) moved
    // onto 7: the entry there takes the row's configuration.
    prj.GetInv(3)->PrjCfgId = 0;
    eui->invAnswers = {edit([](TInvEditData& d) { d.InvAdr = 7; })};
    eui->messageAnswers = {1};  // its files leave the project
    run([](TPrjEditRows& r) {
        EXPECT_TRUE(r.DelInv(1));
        return r.EditInv(0);
    });
    EXPECT_EQ(prj.GetInv(3), nullptr);
    ASSERT_NE(prj.GetInv(7), nullptr);
    EXPECT_EQ(prj.GetInv(7)->CfgId, 3);
    EXPECT_EQ(prj.GetInv(7)->PrjCfgId, 0);
    EXPECT_EQ(prj.GetInv(7)->Name, QStringLiteral("Three"));
    EXPECT_EQ(prj.GetInv(7)->Prot, prANSI);
}

TEST_F(PrjEdit, ZelkMovesToANewRowWithoutLosingTheFormerOne)
{
    // Inverter 7 becomes DIN, a new Zelk inverter is added at 1.
    eui->invAnswers = {edit([](TInvEditData& d) { d.Prot = prANSI; }),
                       edit([](TInvEditData& d) {
                           d.InvAdr = 1;
                           d.CfgId = 21;
                           d.Prot = prZelk;
                           d.InvName = QStringLiteral("New");
                       })};
    run([](TPrjEditRows& r) {
        EXPECT_TRUE(r.EditInv(1));
        EXPECT_TRUE(r.AddInv());
        return true;
    });
    ASSERT_NE(prj.GetInv(7), nullptr);
    EXPECT_EQ(prj.GetInv(7)->Prot, prANSI);
    EXPECT_EQ(prj.GetInv(7)->CfgId, 25);
    ASSERT_NE(prj.GetInv(1), nullptr);
    EXPECT_EQ(prj.GetInv(1)->Prot, prZelk);
    EXPECT_EQ(prj.GetInv(1)->Name, QStringLiteral("New"));
    // The protocol change was announced before the addition.
    ASSERT_FALSE(protChanges.empty());
    EXPECT_EQ(protChanges[0], std::make_pair(7, prANSI));
}

TEST_F(PrjEdit, FileRowsStayInStepWithTheirCopies)
{
    prj.GetInv(3)->WorkFiles = QStringList{"/d/A.wr5", "/d/a.wr5"};
    QStringList afterDel, menu;
    std::vector<int> adrs;
    run([&](TPrjEditRows& r) {
        menu = r.AddFileMenu(&adrs);
        int kind = -1;
        EXPECT_TRUE(r.AddFile(7, QStringLiteral("/x/Trace.TRC"), &kind));
        EXPECT_EQ(kind, pfkWork);
        EXPECT_TRUE(r.AddFile(-1, QStringLiteral("C:\\win\\s.sco"), &kind));
        EXPECT_EQ(kind, pfkScope);
        EXPECT_TRUE(r.AddFile(-1, QStringLiteral("/n/notes.txt"), &kind));
        EXPECT_EQ(kind, pfkRem);
        EXPECT_FALSE(r.AddFile(9, QStringLiteral("/x/y.wr5")));
        // Rows: 3|A.wr5, 3|a.wr5, 7|Trace.TRC; remove the second.
        EXPECT_TRUE(r.DelFile(pfkWork, 1));
        EXPECT_TRUE(r.DelFile(pfkDown, 0));  // the global list
        afterDel = fileColumns(r, pfkWork);
        return true;
    });
    EXPECT_EQ(menu, (QStringList{"-1: Global im Projekt", "3: Three", "7: Seven"}));
    EXPECT_EQ(adrs, (std::vector<int>{-1, 3, 7}));
    EXPECT_EQ(afterDel, (QStringList{"3|A.wr5|/d/", "7|Trace.TRC|/x/"}));
    EXPECT_EQ(prj.GetInv(3)->WorkFiles, QStringList{"/d/A.wr5"});
    EXPECT_EQ(prj.GetInv(7)->WorkFiles, QStringList{"/x/Trace.TRC"});
    EXPECT_EQ(prj.ScopeFiles, QStringList{"C:\\win\\s.sco"});
    EXPECT_EQ(prj.RemFiles, QStringList{"/n/notes.txt"});
    EXPECT_TRUE(prj.DownFiles.isEmpty());
    // The removed global file is gone from the saved project.
    const QString file = path(QStringLiteral("p.pr5"));
    ASSERT_EQ(prj.SaveToFile(file), 0);
    const QByteArray saved = readBytes(file);
    EXPECT_FALSE(saved.contains("global.dw5"));
    EXPECT_TRUE(saved.contains("notes.txt"));
    EXPECT_EQ(TPrjEditRows::FilterIndexForPage(3), 3);
    EXPECT_EQ(TPrjEditRows::FilterIndexForPage(5), 6);
}

TEST_F(PrjEdit, RemovingAnInverterWithFilesNeedsTheAnswer)
{
    eui->messageAnswers = {1, 0};
    std::vector<int> sel;
    run([&](TPrjEditRows& r) {
        EXPECT_FALSE(r.DelInv(0));  // answer 1 keeps it
        EXPECT_EQ(r.Inverters.size(), 2u);
        EXPECT_TRUE(r.DelInv(0));
        sel.push_back(r.SelInv);
        EXPECT_TRUE(r.DelInv(0));  // no files: no question
        sel.push_back(r.SelInv);
        return true;
    });
    EXPECT_EQ(eui->messages.size(), 2u);
    EXPECT_EQ(eui->messages[0].Buttons, (QStringList{"Entfernen", "Abbrechen"}));
    EXPECT_EQ(sel, (std::vector<int>{0, -1}));
    EXPECT_EQ(prj.InvCount(), 0);
    EXPECT_EQ(changes.back() & pcInvRemoved, pcInvRemoved);
}

TEST_F(PrjEdit, GeneralDataAndTheStoppedScheduler)
{
    TScheduler sch;
    sch.SetActive(true);
    prj.SetScheduler(&sch);
    run([](TPrjEditRows& r) {
        r.PrjName = QStringLiteral("Renamed");
        r.WatchInterval = 60;
        r.Remarks = QStringLiteral("one\ntwo");
        return true;
    });
    EXPECT_EQ(prj.PrjName, QStringLiteral("Renamed"));
    EXPECT_EQ(prj.WatchInterval(), 60);
    EXPECT_EQ(prj.Remarks, (QStringList{"one", "two"}));
    EXPECT_EQ(changes.back(), pcGeneral | pcFiles);
    EXPECT_TRUE(sch.Active());  // nothing added or switched

    eui->invAnswers = {edit([](TInvEditData& d) {
        d.InvAdr = 4;
        d.CfgId = 3;
    })};
    run([](TPrjEditRows& r) { return r.AddInv(); });
    EXPECT_FALSE(sch.Active());
    ASSERT_NE(prj.GetInv(4), nullptr);
    EXPECT_EQ(prj.GetInv(4)->CfgId, 3);
    prj.SetScheduler(nullptr);
}

// A new row numbered 0: the number is read from the inverter when applied.
TEST_F(PrjEdit, NewRowWithoutNumberIsIdentifiedAtTheSimulator)
{
    qelsim::SimModel model;
    QString err;
    ASSERT_TRUE(qelsim::SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/data/configs/type0022.json"),
                                               model, &err))
        << err.toStdString();
    const QString bin = TVortalinCfgList::BinFileName(22);
    ASSERT_TRUE(QFile::copy(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs/") + bin),
                            prj.BinPath + bin))
        << "build the sample_configs target";
    qelsim::SimDinPtyServer din;
    din.addInverter(std::make_shared<qelsim::SimInverter>(4, model));
    ASSERT_TRUE(din.start({}, &err)) << err.toStdString();
    qputenv("QEL_COM1", din.path().toLocal8Bit());
    TProtSel sel;
    sel.Ansi()->SetComport(Com1);
    sel.Ansi()->SetBaudrate(B_19200);
    sel.Ansi()->SetTimeOut(400);
    prj.ProtSel = &sel;
    prj.OnInvProtChanged = [&](QObject*, int a, TProt p) { sel.SetProtocol(a, p); };

    eui->invAnswers = {edit([](TInvEditData& d) {
        d.InvAdr = 4;
        d.CfgId = 0;
        d.InvName = QStringLiteral("Auto");
    })};
    run([](TPrjEditRows& r) { return r.AddInv(); });
    ASSERT_NE(prj.GetInv(4), nullptr);
    EXPECT_EQ(prj.GetInv(4)->CfgId, model.fileCfgId);  // found through the inverter
    EXPECT_EQ(prj.GetInv(4)->PrjCfgId, 0);
    EXPECT_TRUE(changes.back() & pcInvAdded);
    prj.ProtSel = nullptr;
    din.stop();
    qunsetenv("QEL_COM1");
}

} // namespace
