#include "lists/val_edit_core.h"
#include "lists/wrk_list_item.h"
#include "wrk_fixture.h"

#include <cstring>

using namespace listtest;

namespace {

struct ValEditCoreTest : ::testing::Test {
    void SetUp() override
    {
        FillProject(prj);
        sch = new TScheduler;
        ed.SetInteraction(ui);
        ASSERT_TRUE(ed.Connect(sch, &prj));
        ASSERT_TRUE(ed.Connected);
        ed.OnRefresh = [this] { ++refreshes; };
        ed.OnClose = [this] {
            ++closes;
            ed.Closed();
        };
    }
    void TearDown() override { sch->Release(); }

    std::shared_ptr<const TParaRec> para(int inv, int addr)
    {
        return FindParaShared(prj.GetInv(inv)->Cfg, addr);
    }
    // Opens a writing edit and shows it.
    void edit(int inv, int addr, int set, int32_t value)
    {
        ed.TakeEdit(set, inv, para(inv, addr), QStringLiteral("label"), value, nullptr);
        if (!ed.Visible)
            ed.Shown();
    }
    // The editor's turn; Valid says whether it gave a request.
    TReqRec turn()
    {
        TReqRec r;
        std::memset(r.Data.Bytes(), 0xAA, TTelData::Size);
        ed.GiveNextReq(r);
        return r;
    }
    void answer(const TReqRec& r, int status = 0)
    {
        TRecTel t;
        t.Status = status;
        t.Service = r.Service;
        ed.ReceiveAnswer(t, r.Tag);
    }

    TVortalinPrj prj;
    TScheduler* sch = nullptr;
    TValEditCore ed;
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
    int refreshes = 0;
    int closes = 0;
};

TEST_F(ValEditCoreTest, RequestTableAndTags)
{
    struct Case {
        int inv, addr, set;
        int32_t value;
        int service;
        uint16_t parSet;
        int32_t dataValue;
    };
    const Case cases[] = {
        {1, 0x101, 6, 1234, 0, 6, 1234},   {1, 0x101, 0, 77, 1, 1, 77},
        {1, 0x101, -1, -5, 1, 0, -5},      {2, 0x109, 3, -2, -1, 0xFFFE, 0},
        {2, 0x108, -1, 65535, -1, 0xFFFF, 0},
    };
    ed.CloseOnOK = false;
    int tag = 0;
    for (int round = 0; round < 4; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.addr);
            edit(c.inv, c.addr, c.set, c.value);
            ed.OkClicked();
            EXPECT_EQ(ed.WriteState, 2);
            const TReqRec r = turn();
            ASSERT_EQ(r.Valid, 1);
            EXPECT_EQ(ed.WriteState, 4);
            tag = tag == 15 ? 0 : tag + 1;
            EXPECT_EQ(r.Tag, tag);
            EXPECT_EQ(r.IsRead, 0);
            EXPECT_EQ(r.InvAdr, c.inv);
            EXPECT_EQ(r.Service, c.service);
            EXPECT_EQ(r.Data.ParAdr, c.addr);
            EXPECT_EQ(r.Data.ParSet, c.parSet);
            EXPECT_EQ(r.Data.Value, c.dataValue);
            for (int i = 8; i < TTelData::Size; ++i)
                ASSERT_EQ(r.Data.GetByte(i), 0);
            answer(r);
            EXPECT_EQ(ed.WriteState, 0);
            EXPECT_EQ(ed.OrgValue, c.value);
        }
    }
    EXPECT_EQ(tag, 4);  // 20 writes: 1..15, 0, 1..4
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(closes, 0);
}

TEST_F(ValEditCoreTest, SixteenBitRange)
{
    struct Case {
        int addr;
        int32_t value;
        bool sent;
    };
    const Case cases[] = {
        {0x109, -32768, true}, {0x109, 32767, true}, {0x109, 32768, false},
        {0x108, 65535, true},  {0x108, 0, true},     {0x108, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ui->messages.clear();
        edit(2, c.addr, 0, c.value);
        ed.OkClicked();
        const TReqRec r = turn();
        EXPECT_EQ(r.Valid, c.sent ? 1 : 0);
        if (c.sent) {
            answer(r);
            continue;
        }
        EXPECT_EQ(ed.WriteState, 0);
        EXPECT_EQ(ed.Value, c.value);
        ASSERT_EQ(ui->messages.size(), 1u);
        EXPECT_EQ(ui->messages[0].Msg, QStringList{QStringLiteral("Error code : 3")});
        EXPECT_EQ(ui->messages[0].Icon, 2);
    }
}

TEST_F(ValEditCoreTest, ErrorAnswerShowsItsTextAndTheStartValue)
{
    ed.CloseOnOK = false;
    ed.CloseOnCancel = false;
    edit(1, 0x101, 1, 100);
    ed.Value = 250;
    ed.OkClicked();
    TReqRec r = turn();
    answer(r, 5);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, QStringList{QStringLiteral("Error code :5")});
    EXPECT_EQ(ed.Value, 100);
    EXPECT_EQ(ed.WriteState, 0);
    EXPECT_EQ(closes, 0);

    // Success keeps the window open without CloseOnOK; Cancel then returns
    // to the value written.
    ed.Value = 300;
    ed.OkClicked();
    r = turn();
    ed.Value = 301;  // typed after the write went out
    answer(r);
    EXPECT_EQ(ed.OrgValue, 300);
    EXPECT_EQ(closes, 0);
    ed.CancelClicked();
    EXPECT_EQ(ed.Value, 300);
    EXPECT_EQ(closes, 0);

    // With CloseOnOK the window closes after the answer.
    ed.CloseOnOK = true;
    ed.OkClicked();
    answer(turn());
    EXPECT_EQ(closes, 1);
}

TEST_F(ValEditCoreTest, RePointingAndLateAnswers)
{
    // Re-pointed between OK and the turn: nothing is sent.
    edit(1, 0x101, 1, 10);
    ed.OkClicked();
    edit(1, 0x102, 1, 20);
    EXPECT_EQ(turn().Valid, 0);

    // Re-pointed after the write went out: an error is still shown, but the
    // new edit keeps its value and window.
    edit(1, 0x101, 1, 10);
    ed.Value = 11;
    ed.OkClicked();
    TReqRec r = turn();
    edit(1, 0x102, 1, 20);
    ed.Value = 21;
    answer(r, 4);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ed.Value, 21);
    EXPECT_EQ(ed.OrgValue, 20);
    // ... and a success neither resets nor closes it.
    ed.OkClicked();
    r = turn();
    edit(1, 0x101, 1, 30);
    answer(r);
    EXPECT_EQ(ed.OrgValue, 30);
    EXPECT_EQ(closes, 0);

    // A second OK while the first write is out: the answer still counts,
    // with the value that was sent; the second write stays pending.
    ed.CloseOnOK = false;
    ed.Value = 31;
    ed.OkClicked();
    r = turn();
    ed.Value = 32;
    ed.OkClicked();
    answer(r);
    EXPECT_EQ(ed.OrgValue, 31);
    EXPECT_EQ(ed.WriteState, 2);
    r = turn();
    EXPECT_EQ(r.Data.Value, 32);

    // An answer nobody waits for changes nothing.
    answer(r);
    const int shown = int(ui->messages.size());
    answer(r, 5);
    EXPECT_EQ(int(ui->messages.size()), shown);
}

TEST_F(ValEditCoreTest, InverterLeftTheProject)
{
    edit(2, 0x108, 0, 5);
    ed.Value = 6;
    ed.OkClicked();
    prj.RemoveInv(2);
    EXPECT_EQ(turn().Valid, 0);
    EXPECT_EQ(ed.WriteState, 0);
    EXPECT_EQ(ed.Value, 5);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, QStringList{QStringLiteral("Error code :-103")});
    // The editor's description stays valid.
    EXPECT_FALSE(ed.ValueText().isEmpty());
}

TEST_F(ValEditCoreTest, ClientStatesAndConnection)
{
    EXPECT_EQ(sch->GetState(ed.SchSlot), 1);
    edit(1, 0x101, 1, 1);
    EXPECT_EQ(sch->GetState(ed.SchSlot), 3);
    EXPECT_EQ(ed.WantedState, 3);
    EXPECT_FALSE(ed.Connect(nullptr, nullptr));  // refused while visible
    ed.Minimised();
    EXPECT_EQ(sch->GetState(ed.SchSlot), 2);
    ed.Restored();
    EXPECT_EQ(sch->GetState(ed.SchSlot), 3);
    ed.ResetCfgList();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(sch->GetState(ed.SchSlot), 2);
    // Without a callback and unconnected, OK does nothing.
    ASSERT_TRUE(ed.Connect(nullptr, &prj));
    EXPECT_FALSE(ed.Connected);
    edit(1, 0x101, 1, 1);
    ed.OkClicked();
    EXPECT_EQ(ed.WriteState, 0);
    // With a callback, OK hands the value over and closes.
    int32_t got = 0;
    ed.TakeEdit(1, 1, para(1, 0x101), QString(), 42, [&](int32_t v) { got = v; });
    ed.OkClicked();
    EXPECT_EQ(got, 42);
    EXPECT_EQ(closes, 2);
}

TEST(ValEditControlsTest, ControlsFollowThePlainTextTable)
{
    auto table = std::make_shared<TPlainTextRec>();
    auto addDef = [&](uint32_t mask, std::vector<std::pair<int32_t, bool>> subs, const char* name) {
        TDefRec* d = table->DefList.AddNew();
        d->Mask = mask;
        d->Name.Set(0, QString::fromUtf8(name));
        for (auto [v, hidden] : subs) {
            TSubRec* s = d->SubList.AddNew();
            s->Value = v;
            s->Attr = hidden ? 1 : 0;
            s->Name.Set(0, QStringLiteral("v%1").arg(v));
        }
    };
    addDef(0x1, {}, "A");
    addDef(0x2, {{0, true}, {2, true}}, "B");
    auto p = std::make_shared<TParaRec>();
    p->Flags = ParaFlag::BusWrite;
    p->LowerLim = 0;
    p->UpperLim = 100;
    p->PlainText = table;

    TValEditCore ed;
    ed.Para = p;
    bool scroll = true;
    auto items = ed.BuildControls(&scroll);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].IsCheck && items[1].IsCheck);
    EXPECT_FALSE(scroll);
    ed.SetFromCheck(items[1], true);
    EXPECT_EQ(ed.Value, 2);
    EXPECT_TRUE(ed.CheckState(items[1]));
    EXPECT_FALSE(ed.CheckState(items[0]));

    // A multi-bit field becomes a list of its visible values; hidden ones
    // only with ShowHidden; all hidden: nothing.
    table->DefList.Clear();
    addDef(0xC, {{0, false}, {4, true}, {8, false}}, "C");
    addDef(0x30, {{0x10, true}}, "D");
    items = ed.BuildControls(&scroll);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].Entries.size(), 2u);
    ed.Value = 0x8 | 0x1;
    EXPECT_EQ(ed.ComboIndex(items[0]), 1);
    ed.SetFromCombo(items[0], 0);
    EXPECT_EQ(ed.Value, 0x1);
    ed.Value = 0x4;
    EXPECT_EQ(ed.ComboIndex(items[0]), -1);
    ed.ShowHidden = true;
    items = ed.BuildControls(&scroll);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Entries.size(), 3u);

    // No scroll bar without a project inverter or with equal limits; a
    // parameter that is not writable gives no controls.
    table->DefList.Clear();
    ed.BuildControls(&scroll);
    EXPECT_FALSE(scroll);  // no project
    p->Flags = 0;
    ed.ShowHidden = false;
    EXPECT_FALSE(ed.EditEnabled());
    ed.Value = 500;
    EXPECT_EQ(ed.ScrollBarRange().Position, 100);
    p->Mul = 1;
    p->Div = 10;
    EXPECT_EQ(ed.ScrollBarRange().PageStep, 10);
}

TEST_F(ValEditCoreTest, ScrollBarOnlyForSetTypesWithARange)
{
    bool scroll = false;
    edit(1, 0x101, 1, 1);  // type 21, 0..6000, no table
    ed.BuildControls(&scroll);
    EXPECT_TRUE(scroll);
    edit(2, 0x101, 1, 1);  // type 3: no parameter sets
    ed.BuildControls(&scroll);
    EXPECT_FALSE(scroll);
    edit(1, 0x10A, 1, 1);  // equal limits
    ed.BuildControls(&scroll);
    EXPECT_FALSE(scroll);
}

} // namespace
