// Reading and writing download lists through the list logic: the project
// decides configurations, inverters and descriptions; the interaction is
// scripted.

#include "dwn_fixture.h"

#include "config/cfg_codes.h"

#include <QFileInfo>

#include <unistd.h>

using dwntest::DwnTest;

namespace {

struct Expect {
    int adr, value, mode, mask;
    bool para;
    const char* note;
};

void expectLines(const TDwnList& lines, const std::vector<Expect>& want)
{
    ASSERT_EQ(lines.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        const TDwnEntry& e = *lines[i];
        EXPECT_EQ(e.Address, want[i].adr);
        EXPECT_EQ(e.Value, want[i].value);
        EXPECT_EQ(e.Mode, want[i].mode);
        EXPECT_EQ(e.SetMask, want[i].mask);
        EXPECT_EQ(bool(e.Para), want[i].para);
        EXPECT_EQ(e.Note, QString::fromUtf8(want[i].note));
        EXPECT_FALSE(e.Selected);
        EXPECT_FALSE(e.OwnsPara);
    }
}

// A project interaction whose inverter dialog confirms (optionally with
// another address).
class InvDialogYes : public IPrjInteraction {
public:
    int Message(const QStringList&, const QStringList&, const QString&, int, const QString&,
                const QString&, const QString&, int, int Cancel) override
    {
        return Cancel;
    }
    QString ChooseSaveFile(const TSaveDlgOptions&) override { return {}; }
    int ChooseCfg(int, bool) override { return -1; }
    int AskAddFile(const QString&, const QStringList&) override { return -2; }
    bool EditInv(TInvEditData& d) override
    {
        edits.push_back(d);
        if (adr >= 0)
            d.InvAdr = adr;
        return ok;
    }
    bool ok = true;
    int adr = -1;
    std::vector<TInvEditData> edits;
};

}  // namespace

TEST_F(DwnTest, SampleSetPointersAreWrittenAlways)
{
    for (int type : {25, 26})
        ASSERT_TRUE(QFile::copy(dwntest::sampleBin(type), prj.BinPath + TVortalinCfgList::BinFileName(type)));
    int adr = 1;
    for (int type : {21, 22, 25, 26}) {
        SCOPED_TRACE(type);
        addInv(adr, type);
        const auto cfg = prj.GetInv(adr++)->Cfg;
        ASSERT_TRUE(cfg);
        EXPECT_EQ(DwnParaMode(cfg->FindPara(cfg->SetPtrParAdr)), DwnMode::WA);
    }
}

TEST_F(DwnTest, SaveAsThenLoadKeepsEveryLine)
{
    addInv(1, 21);
    engine->InvAdr = 1;
    engine->CfgId = 21;
    engine->Remark = {QStringLiteral("Remark"), QString()};
    engine->ColWidths[7] = 321;
    const auto cfg = engine->Cfg();
    engine->InsertNewLine(0, FindSharedPara(cfg, 0x0101), 0x0101, 600, -1, DwnMode::RW, false, QStringLiteral("n1"));
    engine->InsertNewLine(99, FindSharedPara(cfg, 0x0102), 0x0102, 7, 0x05, DwnMode::WO, false, {});
    engine->InsertNewLine(-4, nullptr, 0, 0, 0, DwnMode::Blank, false, QStringLiteral("blank"));
    engine->InsertNewLine(3, nullptr, 0, -250, 0, DwnMode::UserStep, false, QStringLiteral("wait"));
    engine->InsertNewLine(4, nullptr, 0x0777, 3, 0, DwnMode::RO, false, {});
    engine->Lines[1]->Selected = 1;
    engine->Modified = true;
    engine->Options.DataPath = path(QStringLiteral("data"));

    ui.saveAnswers = {path(QStringLiteral("out.txt"))};
    ASSERT_EQ(engine->SaveData(QString()), 0);
    const QString file = path(QStringLiteral("out.dw5"));
    ASSERT_EQ(ui.saveDialogs.size(), 1u);
    EXPECT_EQ(ui.saveDialogs[0].FilterIndex, 1);
    EXPECT_EQ(ui.saveDialogs[0].InitialDir, path(QStringLiteral("data")));
    EXPECT_EQ(engine->FileName, file);
    EXPECT_FALSE(engine->Modified);
    EXPECT_EQ(notify.addProj, 1);
    EXPECT_TRUE(ui.messages.empty());

    // Saving again writes over the file without a dialog.
    ASSERT_EQ(engine->SaveData(engine->FileName), 0);
    EXPECT_EQ(ui.saveDialogs.size(), 1u);

    auto back = makeEngine();
    back->InvAdr = 1;
    back->LoadData(file);
    expectLines(back->Lines, {{0, 0, 5, 0, false, "blank"},
                              {0x0101, 600, 0, -1, true, "n1"},
                              {0x0102, 7, 3, 5, true, ""},
                              {0, -250, 10, 0, false, "wait"},
                              {0x0777, 3, 1, 0, false, ""}});
    EXPECT_EQ(back->Lines[1]->Para.get(), cfg->FindPara(0x0101));
    EXPECT_EQ(back->Remark, (QStringList{QStringLiteral("Remark"), QString()}));
    EXPECT_EQ(back->ColWidths[7], 321);
    EXPECT_EQ(back->CfgId, 21);
    EXPECT_EQ(back->FileName, file);
    EXPECT_FALSE(back->Modified);
    EXPECT_FALSE(back->OpList);
}

TEST_F(DwnTest, OlderFileTakesModesFromTheConfigurationUntilALongerLine)
{
    addInv(1, 3);
    addInv(4, 21, QStringLiteral("B"));
    const QString file = writeFile(QStringLiteral("old.dwn"),
                                   ";old\r\n"
                                   "-32768,21\r\n"   // configuration 21: the list moves to inverter 4
                                   "519,5\r\n"       // 0x0207 RO by its description
                                   "\r\n"
                                   "-32768,0;gap\r\n"  // blank line
                                   "-258,7\r\n"      // WA line for 0x0102
                                   "258,100.5\r\n"   // ignored
                                   "259,5,3\r\n"     // three fields: modes from the file from here on
                                   "519,6\n"
                                   "7,3,5,2;b\r\n"    // blank line and user step with stray fields
                                   "4,-250,10,-1;w\r\n");
    engine->InvAdr = 1;
    engine->LoadData(file);
    EXPECT_EQ(engine->InvAdr, 4);
    EXPECT_EQ(engine->CfgId, 21);
    expectLines(engine->Lines, {{0x0207, 5, 1, -1, true, ""},
                                {0, 0, 5, -1, false, "gap"},
                                {0x0102, 7, 2, -1, true, ""},
                                {0x0103, 5, 0, 3, true, ""},
                                {0x0207, 6, 0, -1, true, ""},
                                {7, 3, 5, 2, false, "b"},
                                {4, -250, 10, -1, false, "w"}});
    EXPECT_EQ(engine->Remark, QStringList{QStringLiteral("old")});
    EXPECT_EQ(notify.contexts, std::vector<bool>{true});
    EXPECT_TRUE(ui.messages.empty());

    // An older list is never written over: the dialog asks for a *.dw5 name.
    ui.saveAnswers = {path(QStringLiteral("new.dwn"))};
    ASSERT_EQ(engine->SaveData(engine->FileName), 0);
    ASSERT_EQ(ui.saveDialogs.size(), 1u);
    EXPECT_TRUE(ui.saveDialogs[0].FileName.isEmpty());
    EXPECT_EQ(ui.saveDialogs[0].InitialDir, dir());
    EXPECT_EQ(engine->FileName, path(QStringLiteral("new.dw5")));
    EXPECT_TRUE(readFile(file).startsWith(";old\r\n-32768,21"));
    // Blank lines and user steps are written in their fixed form.
    EXPECT_EQ(readFile(engine->FileName),
              ";old\r\n0,21,100,0\r\n"
              "0,45,101,0\r\n1,45,101,0\r\n2,50,101,0\r\n3,45,101,0\r\n"
              "4,40,101,0\r\n5,150,101,0\r\n6,140,101,0\r\n7,200,101,0\r\n"
              "519,5,1,-1;\r\n0,0,5,0;gap\r\n258,7,2,-1;\r\n259,5,0,3;\r\n519,6,0,-1;\r\n"
              "0,0,5,0;b\r\n0,-250,10,0;w\r\n");
}

TEST_F(DwnTest, ColumnWidthsOutsideTheirRangeAreIgnored)
{
    engine->LoadData(writeFile(QStringLiteral("c.dw5"), "0,2000,101,0\r\n1,-1,101,0\r\n2,2001,101,0\r\n"
                                                       "8,60,101,0\r\n-1,60,101,0\r\n7,0,101,0\r\n"));
    EXPECT_EQ(engine->ColWidths, (TDwnColWidths{2000, 45, 50, 45, 40, 150, 140, 0}));
    EXPECT_TRUE(engine->Lines.empty());
}

TEST_F(DwnTest, OperatorListFileGivesLinesWithTheirOwnDescriptions)
{
    addInv(2, 21);
    // As the operator-parameter window writes it (Attr and Flags unsigned).
    const QString file = writeFile(QStringLiteral("op.op5"),
                                   ";Parameter of operator: Standard Version: 0001\r\n"
                                   "0,65537,102,0; Flag for operator list\r\n"
                                   "131,50,0,3;Contrast,0,1,0,37,2147484800,2147483663;\r\n"
                                   "132,9,1,0;,0,1,0,0,0,0;\r\n");
    engine->InvAdr = 2;
    engine->LoadData(file);
    EXPECT_TRUE(engine->OpList);
    EXPECT_EQ(engine->CfgId, 0x10001);
    EXPECT_EQ(engine->Remark, QStringList{QStringLiteral("Parameter of operator: Standard Version: 0001")});
    ASSERT_EQ(engine->Lines.size(), 2u);
    const TDwnEntry& a = *engine->Lines[0];
    EXPECT_EQ(std::tuple(a.Address, a.Value, a.Mode, a.SetMask), std::tuple(int16_t(0x83), 50, uint8_t(0), int16_t(3)));
    ASSERT_TRUE(a.Para);
    EXPECT_TRUE(a.OwnsPara);
    EXPECT_EQ(a.Para->GetName(0), QStringLiteral("Contrast"));
    EXPECT_EQ(a.Para->GetIdText(), QString());
    EXPECT_EQ(a.Para->Attr, 0x80000480u);
    EXPECT_EQ(a.Para->Flags, 0x8000000Fu);
    EXPECT_EQ(a.Para->Format, 0x25);
    EXPECT_EQ(engine->Lines[1]->Mode, DwnMode::RO);
    EXPECT_TRUE(engine->Lines[1]->OwnsPara);

    // Written back it is an operator list again, saved as *.op5.
    ui.saveAnswers = {path(QStringLiteral("copy"))};
    ASSERT_EQ(engine->SaveData(QString()), 0);
    EXPECT_EQ(ui.saveDialogs[0].FilterIndex, 2);
    EXPECT_EQ(GetDwnFileCfgId(path(QStringLiteral("copy.op5"))), 0);
    EXPECT_TRUE(readFile(path(QStringLiteral("copy.op5")))
                    .contains("131,50,0,3;Contrast,0,1,0,37,-2147482496,-2147483633;\r\n"));
}

TEST_F(DwnTest, ConfigurationOutsideTheProjectAsks)
{
    addInv(1, 21);
    const QByteArray bytes = "258,5,0,1\r\n0,3,100,0\r\n257,6,0,-1\r\n";
    struct Case {
        int answer;
        bool linesAfter, named;
        int invAdr, cfgId;
    } cases[] = {
        {1, true, true, 1, 3},   // No: goes on with the window's inverter
        {2, false, false, 1, 3}, // Cancel: stops, the lines so far stay
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ui.messages.clear();
        auto e = makeEngine();
        e->InvAdr = 1;
        e->CfgId = 21;
        ui.answers = {c.answer};
        e->LoadData(writeFile(QStringLiteral("a.dw5"), bytes));
        ASSERT_EQ(ui.messages.size(), 1u);
        const TDwnMessage& m = ui.messages[0];
        EXPECT_EQ(m.Lines, msg(0, 44));
        EXPECT_EQ(std::tuple(m.P1, m.Buttons, m.Icon, m.Default, m.Cancel),
                  std::tuple(QStringLiteral("3"), int(dblYesNoCancel), int(dmiConfirmation), 0, 1));
        EXPECT_EQ(m.Title, txt(2, 12) + QStringLiteral("1"));
        EXPECT_EQ(e->Lines.size(), c.linesAfter ? 2u : 1u);
        EXPECT_EQ(e->FileName.isEmpty(), !c.named);
        EXPECT_EQ(std::tuple(e->InvAdr, e->CfgId), std::tuple(c.invAdr, c.cfgId));
    }
}

TEST_F(DwnTest, ConfigurationQuestionYesAddsTheInverter)
{
    auto dlg = std::make_shared<InvDialogYes>();
    dlg->adr = 7;
    prj.SetInteraction(dlg);
    addInv(1, 21);
    engine->InvAdr = 1;
    ui.answers = {0};
    engine->LoadData(writeFile(QStringLiteral("a.dw5"), "0,3,100,0\r\n257,6\r\n"));
    ASSERT_EQ(dlg->edits.size(), 1u);
    EXPECT_EQ(dlg->edits[0].CfgId, 3);
    EXPECT_FALSE(dlg->edits[0].EditCfg);
    EXPECT_EQ(dlg->edits[0].Prot, prOffline);
    ASSERT_TRUE(prj.GetInv(7));
    EXPECT_EQ(engine->InvAdr, 7);
    EXPECT_EQ(engine->CfgId, 3);
    ASSERT_EQ(engine->Lines.size(), 1u);
    EXPECT_EQ(engine->Lines[0]->Para.get(), prj.GetInv(7)->Cfg->FindPara(0x0101));

    // Refused in the dialog: reading stops.
    dlg->ok = false;
    auto e2 = makeEngine();
    e2->InvAdr = 1;
    ui.answers = {0};
    e2->LoadData(writeFile(QStringLiteral("b.dw5"), "0,22,100,0\r\n257,6\r\n"));
    EXPECT_TRUE(e2->Lines.empty());
    EXPECT_TRUE(e2->FileName.isEmpty());
}

TEST_F(DwnTest, EntryLinesWithoutTheListsInverterGoToTheFirstOne)
{
    addInv(5, 21);
    addInv(9, 3);
    engine->InvAdr = 0;
    engine->LoadData(writeFile(QStringLiteral("a.dw5"), "257,6,0,-1\r\n258,7,0,-1\r\n"));
    EXPECT_EQ(engine->InvAdr, 5);
    ASSERT_EQ(engine->Lines.size(), 2u);
    EXPECT_EQ(engine->Lines[1]->Para.get(), prj.GetInv(5)->Cfg->FindPara(0x0102));
}

TEST_F(DwnTest, LinesKeepTheirDescriptionWhenTheInverterLeaves)
{
    addInv(1, 21);
    engine->InvAdr = 1;
    engine->CfgId = 21;
    engine->LoadData(writeFile(QStringLiteral("a.dw5"), "0,21,100,0\r\n257,6,0,-1\r\n"));
    ASSERT_EQ(engine->Lines.size(), 1u);
    prj.RemoveInv(1);
    ASSERT_EQ(prj.FindCfg(21), nullptr);
    const TDwnEntry& e = *engine->Lines[0];
    ASSERT_TRUE(e.Para);
    EXPECT_EQ(e.Para->Addr, 0x0101);
    EXPECT_FALSE(e.Para->GetName(0).trimmed().isEmpty());
    // What needs the configuration does nothing.
    engine->DoMakeList();
    EXPECT_EQ(engine->Lines.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DwnTest, SaveFailuresAndTheOverwriteQuestion)
{
    addInv(1, 21);
    engine->InvAdr = 1;
    engine->CfgId = 21;
    engine->Modified = true;
    engine->InsertNewLine(0, nullptr, 0x101, 1, -1, 0, false, {});

    // The folder does not exist: write error, nothing changes.
    const QString bad = path(QStringLiteral("no/such/list.dw5"));
    const int r = engine->SaveData(bad);
    EXPECT_NE(r, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].Lines, msg(0, 30));
    EXPECT_EQ(ui.messages[0].Title, txt(5, 11));
    EXPECT_EQ(ui.messages[0].P1, bad);
    EXPECT_EQ(ui.messages[0].P2, QString::number(r));
    EXPECT_EQ(ui.messages[0].Icon, dmiError);
    EXPECT_TRUE(engine->Modified);
    EXPECT_TRUE(engine->FileName.isEmpty());
    EXPECT_EQ(notify.addProj, 0);

    // An existing file is kept unless the question is answered Yes.
    const QString existing = writeFile(QStringLiteral("x.dw5"), "keep");
    ui.messages.clear();
    ui.saveAnswers = {existing};
    ui.answers = {1};
    EXPECT_EQ(engine->SaveData(QString()), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].Lines, msg(0, 13));
    EXPECT_EQ(std::tuple(ui.messages[0].P1, ui.messages[0].Buttons, ui.messages[0].Cancel),
              std::tuple(existing, int(dblYesNo), -1));
    EXPECT_EQ(readFile(existing), QByteArray("keep"));
    ui.saveAnswers = {existing};
    ui.answers = {0};
    EXPECT_EQ(engine->SaveData(QString()), 0);
    EXPECT_TRUE(readFile(existing).startsWith("0,21,100,0\r\n"));

    // Cancelled dialog: nothing.
    ui.saveAnswers.clear();
    engine->Modified = true;
    EXPECT_EQ(engine->SaveData(QString()), 1);
    EXPECT_TRUE(engine->Modified);
}

TEST_F(DwnTest, ReadErrorAndMissingFile)
{
    engine->LoadData(path(QStringLiteral("missing.dw5")));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(engine->FileName.isEmpty());
    // A file that opens but cannot be read, for root too (which opens any
    // file whatever its permissions): this process's memory, whose first
    // page is never mapped.
    const QString f = QStringLiteral("/proc/self/mem");
    engine->LoadData(f);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].Lines, msg(0, 29));
    EXPECT_EQ(ui.messages[0].P2, QString::number(kIoReadError));
    EXPECT_TRUE(engine->Lines.empty());
    EXPECT_TRUE(engine->FileName.isEmpty());
}
