// The operator-parameter window's logic without a display or a line: a
// scripted operator module answers each request the client gives, so the
// building, the cyclic reading, the rebuild and the saved bytes are checked
// exactly.

#include "lists/op_para_core.h"
#include "lists/val_edit_core.h"

#include "op_para_fixture.h"
#include "temp_dir.h"
#include "wrk_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <map>

using namespace listtest;

namespace {

struct OpParam {
    QByteArray name;
    uint32_t attr = 0x480;
    uint32_t flags = 0x0F;
    int16_t div = 1, mul = 1, offset = 0;
    uint16_t format = 0;
    std::array<int32_t, 8> values{};
    uint8_t lengthByte = 0;  // non-zero: the name's length byte as sent
};

// An operator module: answers services 6, 5, 4, 1 (value of 0x81) and 0
// for the parameters it has, error 2 for the others.
struct ScriptedModule {
    std::map<int, OpParam> params;
    int failNext = 0;          // the next requests answer error 6
    int failService = -100;    // only requests of this service fail (-100: any)
    std::vector<std::pair<int, int>> asked;  // service, address

    TRecTel answer(const TReqRec& req)
    {
        TRecTel r;
        r.InvAdr = req.InvAdr;
        r.Service = req.Service;
        r.IsRead = 1;
        r.Data.ParAdr = req.Data.ParAdr;
        asked.push_back({req.Service, req.Data.ParAdr});
        if (failNext > 0 && (failService == -100 || failService == req.Service)) {
            --failNext;
            r.Status = 6;
            return r;
        }
        auto it = params.find(req.Data.ParAdr);
        if (it == params.end()) {
            r.Status = 2;
            return r;
        }
        const OpParam& p = it->second;
        switch (req.Service) {
        case 6:
            r.Data.SetByte(3, p.lengthByte ? p.lengthByte : uint8_t(p.name.size()));
            for (int i = 0; i < p.name.size() && 4 + i < TTelData::Size; ++i)
                r.Data.SetByte(4 + i, uint8_t(p.name[i]));
            break;
        case 5:
            r.Data.SetU16(2, uint16_t(p.div));
            r.Data.SetU16(4, uint16_t(p.mul));
            r.Data.SetU16(6, uint16_t(p.offset));
            r.Data.SetU16(8, p.format);
            break;
        case 4:
            r.Data.SetU32(4, p.attr);
            r.Data.SetU32(8, p.flags);
            break;
        case 0:
        case 1: {
            const uint8_t mask = req.Service == 1 ? 1 : req.Data.GetByte(2);
            r.Data.SetI32(4, p.values[std::countr_zero(unsigned(mask)) & 7]);
            break;
        }
        default:
            r.Status = 3;
        }
        return r;
    }
};

struct OpParaCore : qeltest::TempDirTest {
    void SetUp() override
    {
        TempDirTest::SetUp();
        FillProject(prj);
        fresh();
    }
    void fresh()
    {
        ui = std::make_shared<ScriptedOpUi>();
        module = ScriptedModule();
        core = std::make_unique<TOpParaCore>(&prj, 1, 0);
        core->SetInteraction(ui);
        core->SchedState = 3;  // polled, as after registering
        module.params[0x80] = {"Module id", 0x480, 0x0F, 1, 1, 0, 0, {0x10203}};
        module.params[0x81] = {"Parameter count", 0x480, 0x0F, 1, 1, 0, 0, {3}};
        module.params[0x83] = {"Contrast", 0x100480, 0x0F, 10, 1, 0, 1, {50, 70}};
    }
    // One turn: the client's request (if any) answered by the module.
    bool turn()
    {
        TReqRec req;
        core->GiveNextReq(req);
        if (!req.Valid)
            return false;
        const TRecTel r = module.answer(req);
        core->ReceiveAnswer(r, req.Tag);
        return true;
    }
    void turns(int n)
    {
        for (int i = 0; i < n; ++i)
            turn();
    }
    // Turns until the list is built (state 10, no cyclic read yet).
    void build()
    {
        for (int i = 0; i < 2000 && core->ReqState != TOpParaCore::rqBuilt; ++i)
            turn();
    }
    QStringList rowTexts() const
    {
        QStringList out;
        for (const TOpRow& r : core->Rows())
            out << r.Caption + u'|' + r.SetText + u'|' + r.Name + u'|' + r.ValueText;
        return out;
    }

    TVortalinPrj prj;
    std::unique_ptr<TOpParaCore> core;
    std::shared_ptr<ScriptedOpUi> ui = std::make_shared<ScriptedOpUi>();
    ScriptedModule module;
};

TEST_F(OpParaCore, BuildsRowsPerSetAndStopsAtTheReportedCount)
{
    build();
    EXPECT_EQ(core->Found, 3);
    EXPECT_EQ(core->ParCount, 3);
    EXPECT_FALSE(core->SaveSlots);
    EXPECT_EQ(rowTexts(), (QStringList{"0080h|0|Module id|??", "0081h|0|Parameter count|??",
                                       "0083h|0|Contrast|??", "0083h|1|Contrast|??"}));
    // The requests of the build, in order; 0x84 is never asked.
    const std::vector<std::pair<int, int>> expected{{6, 0x80}, {5, 0x80}, {4, 0x80}, {6, 0x81}, {1, 0x81},
                                                    {5, 0x81}, {4, 0x81}, {6, 0x82}, {6, 0x83}, {5, 0x83},
                                                    {4, 0x83}};
    EXPECT_EQ(module.asked, expected);
    const Top_pararec& c = *core->Rows()[3].Rec;
    EXPECT_EQ(c.SetMask, 2);
    EXPECT_EQ(c.Div, 10);
    EXPECT_EQ(c.Format, 1);
    EXPECT_EQ(c.Attr, 0x100480u);
    EXPECT_TRUE(ui->messages.empty());

    // Cyclic reading: every row in turn with service 0 and its set mask.
    module.asked.clear();
    turns(4);
    EXPECT_TRUE(core->SaveSlots);
    EXPECT_EQ(module.asked, (std::vector<std::pair<int, int>>{{0, 0x80}, {0, 0x81}, {0, 0x83}, {0, 0x83}}));
    EXPECT_EQ(core->ReqState, TOpParaCore::rqCyclic);
    EXPECT_EQ(core->Rows()[2].ValueText, c.ValueToText(50, 0, u'+', false));
    EXPECT_EQ(core->Rows()[3].ValueText, c.ValueToText(70, 0, u'+', false));
    EXPECT_EQ(core->LastId, 0x10203);
}

TEST_F(OpParaCore, BuildEndings)
{
    struct Case {
        const char* name;
        std::function<void(ScriptedModule&)> script;
        int state;
        int rows;
        bool message;
    };
    const std::vector<Case> cases{
        {"0x80 missing before the count is known", [](ScriptedModule& m) { m.params.erase(0x80); },
         TOpParaCore::rqNone, 0, true},
        {"more than ten failures while building",
         [](ScriptedModule& m) {
             m.failNext = 11;
             m.failService = 5;
         },
         TOpParaCore::rqCyclic, 1, false},
        {"ten failures are repeated", [](ScriptedModule& m) { m.failNext = 10; }, TOpParaCore::rqCyclic, 4, false},
        {"a count above what the module has ends at 0x100",
         [](ScriptedModule& m) { m.params[0x81].values[0] = 10; }, TOpParaCore::rqCyclic, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        c.script(module);
        build();
        turn();
        EXPECT_EQ(core->ReqState, c.state);
        EXPECT_EQ(core->RowCount(), c.rows);
        ASSERT_EQ(ui->messages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(ui->messages[0].P1, QStringLiteral("1"));
            EXPECT_EQ(ui->messages[0].Buttons, int(dblOk));
            EXPECT_EQ(ui->messages[0].Icon, int(dmiError));
            EXPECT_FALSE(core->SaveSlots);
            EXPECT_FALSE(turn());  // nothing more is asked
        }
    }
}

TEST_F(OpParaCore, NameLengthByteAndSetCountAreBounded)
{
    module.params[0x83].name = QByteArray(70, 'x');
    module.params[0x83].attr = 0xC00480;  // 12 further sets
    module.params[0x83].lengthByte = 200;
    build();
    // 0x80, 0x81, and 0x83 in sets 0 to 7.
    ASSERT_EQ(core->RowCount(), 10);
    EXPECT_EQ(core->Rows()[2].Name, QString(47, u'x'));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(core->Rows()[2 + k].Rec->SetMask, uint8_t(1u << k));
    EXPECT_EQ(core->Rows()[9].SetText, QStringLiteral("7"));
}

TEST_F(OpParaCore, ChangedModuleIdRebuildsTheWholeListAndDetachesTheEditor)
{
    build();
    turns(8);
    ASSERT_EQ(core->RowCount(), 4);
    TValEditCore editor;
    core->Editor = &editor;
    TOpEditArgs a;
    ASSERT_TRUE(core->EditArgs(3, a));
    EXPECT_EQ(a.SetSel, 2);
    EXPECT_EQ(a.Value, 70);
    editor.TakeEdit(a.SetSel, a.Inverter, a.Para, a.Label, a.Value, nullptr);
    std::weak_ptr<const TParaRec> held = a.Para;
    a.Para.reset();

    // A new module: 0x80 reports another id; four parameters now.
    module.params[0x80].values[0] = 0x20001;
    module.params[0x81].values[0] = 4;
    module.params[0x84] = {"Added", 0x480, 0x0F, 1, 1, 0, 0, {9}};
    module.asked.clear();
    turns(1);
    EXPECT_EQ(core->ReqState, TOpParaCore::rqReset);
    build();
    EXPECT_EQ(editor.Para, nullptr);
    EXPECT_TRUE(held.expired());
    // Found starts again at 0, so the rebuilt list has every parameter.
    EXPECT_EQ(core->Found, 4);
    EXPECT_EQ(core->RowCount(), 5);
    ASSERT_GE(module.asked.size(), 2u);
    EXPECT_EQ(module.asked[1], std::make_pair(6, 0x80));  // right after the read that saw the new id
    turns(5);
    EXPECT_EQ(core->LastId, 0x20001);
    EXPECT_EQ(core->ReqState, TOpParaCore::rqCyclic);
}

TEST_F(OpParaCore, FailedReadShowsErrorAndInvalidateRedraws)
{
    build();
    turns(4);
    module.failNext = 1;
    turn();  // row 0 fails
    EXPECT_EQ(core->Rows()[0].ValueText, QStringLiteral("Error Code 6"));
    EXPECT_FALSE(core->Rows()[0].Rec->ValueValid);
    int redrawn = 0;
    core->OnRowChanged = [&](int) { ++redrawn; };
    turns(3);
    EXPECT_EQ(redrawn, 0);  // unchanged values are not redrawn
    core->InvalidateValues();
    turns(4);
    EXPECT_EQ(redrawn, 4);
}

TEST_F(OpParaCore, StaleAnswerAfterRestartIsDropped)
{
    build();
    TReqRec req;
    core->GiveNextReq(req);
    core->Restart();
    TReqRec next;
    core->GiveNextReq(next);  // rebuilding: asks the name of 0x80
    ASSERT_EQ(next.Service, 6);
    core->ReceiveAnswer(module.answer(req), req.Tag);  // the old cyclic answer
    EXPECT_EQ(core->RowCount(), 0);
    core->ReceiveAnswer(module.answer(next), next.Tag);
    EXPECT_EQ(core->RowCount(), 1);
}

TEST_F(OpParaCore, SaveWritesRowsNeverReadAsReadOnly)
{
    module.params[0x83].flags = 0x100F;  // write always
    build();
    EXPECT_EQ(core->SaveData(path(QStringLiteral("none.op5"))), 0);
    QByteArray bytes = ReadBytes(path(QStringLiteral("none.op5")));
    QList<QByteArray> lines = bytes.split('\n');
    ASSERT_GE(lines.size(), 6);
    // Never read: value 0 and mode 1 on every row.
    for (int i = 2; i < 6; ++i)
        EXPECT_TRUE(lines[i].contains(",0,1,")) << lines[i].toStdString();

    turns(4);
    module.failNext = 1;
    turn();               // row 0's last read failed
    core->InvalidateValues();  // a redraw keeps what was read
    ui->savePath = path(QStringLiteral("saved"));
    EXPECT_EQ(core->SaveData(QString()), 0);
    ASSERT_EQ(ui->saveOptions.size(), 1u);
    EXPECT_EQ(ui->saveOptions[0].DefaultExt, QStringLiteral("op5"));
    bytes = ReadBytes(path(QStringLiteral("saved.op5")));
    lines = bytes.split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith(";Parameter of operator: Standard Version: 0203"));
    EXPECT_TRUE(lines[1].startsWith("0,66051,102,0;"));
    EXPECT_TRUE(lines[2].startsWith("128,66051,1,1;Module id,")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("129,3,0,1;Parameter count,")) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith("131,50,2,1;Contrast,")) << lines[4].toStdString();
    EXPECT_TRUE(lines[5].startsWith("131,70,2,2;Contrast,")) << lines[5].toStdString();

    // An existing file: only Yes overwrites.
    ui->answer = 1;
    EXPECT_EQ(core->SaveData(QString()), 1);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Buttons, int(dblYesNo));
    EXPECT_EQ(ui->messages[0].P1, path(QStringLiteral("saved.op5")));

    // A file that cannot be written is reported with its name, as the
    // project's files are.
    ui->messages.clear();
    EXPECT_NE(core->SaveData(path(QStringLiteral("missing/dir/x.op5"))), 0);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Icon, int(dmiError));
    EXPECT_EQ(ui->messages[0].P1, path(QStringLiteral("missing/dir/x.op5")));
}

TEST_F(OpParaCore, CreationAddressAndCaption)
{
    TOpParaCore far(&prj, 300, 0);
    EXPECT_EQ(far.InvAdr, 1);  // 0 has no entry: the first inverter
    TOpParaCore two(&prj, 2, 0);
    EXPECT_EQ(two.InvAdr, 2);
    EXPECT_EQ(two.Caption(), QStringLiteral("??? - B"));
    prj.GetInv(2)->SetName(QStringLiteral("  "));
    EXPECT_EQ(two.Caption(), QStringLiteral("??? - ???:2"));
    ui->chosenInv = 1;
    two.SetInteraction(ui);
    two.ReqState = TOpParaCore::rqCyclic;
    two.DoSettings();
    EXPECT_EQ(two.InvAdr, 1);
    EXPECT_EQ(two.ReqState, TOpParaCore::rqReset);
}

} // namespace
