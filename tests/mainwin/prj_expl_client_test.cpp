// The explorer as a scheduler client, its editing arguments, copy and drag,
// with the provider and the handler called directly.
#include "prj_expl_fixture.h"

#include "config/drag_drop.h"

using namespace expltest;

namespace {

class ExplClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto bare = MakeCfg(104, false);
        bare->SetPtrParAdr = bare->ActSetParAdr = bare->AccessParAdr = 0;
        p.prj.Append(bare);
        p.add(1, 100, QStringLiteral("New"));
        p.add(2, 101, QStringLiteral("Old"));
        p.add(3, 104, QStringLiteral("Bare"));
        core.Project = &p.prj;
        core.SetScheduler(&sch, nullptr);
        core.BuildTree();
        core.Shown();
    }
    TExplNode* group(int inv, int g) { return core.Root()->Children[size_t(inv)]->Children.front()->Children[size_t(g)].get(); }
    TReqRec ask()
    {
        TReqRec r;
        core.GetRequest(r);
        return r;
    }
    static std::string req(const TReqRec& r)
    {
        if (!r.Valid)
            return "none";
        return QStringLiteral("%1:%2:%3:%4")
            .arg(r.InvAdr)
            .arg(r.Service)
            .arg(r.Data.ParAdr, 4, 16, QLatin1Char('0'))
            .arg(r.Data.GetByte(2))
            .toStdString();
    }
    std::vector<std::string> asks(int n)
    {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i)
            out.push_back(req(ask()));
        return out;
    }
    void answer(const TReqRec& r, int32_t value, int status = 0)
    {
        TRecTel t;
        t.InvAdr = r.InvAdr;
        t.Service = r.Service;
        t.Status = status;
        t.IsRead = 1;
        t.Data = r.Data;
        if (r.Service == QelService::Plain)
            t.Data.SetU16(2, uint16_t(value));
        else
            t.Data.SetI32(4, value);
        core.HandleResponse(t, r.Tag);
    }
    QStringList values() const
    {
        QStringList out;
        for (const TExplRow& r : core.Rows)
            out << r.Value;
        return out;
    }

    ExplProject p;
    TScheduler sch;
    TPrjExplCore core;
};

TEST_F(ExplClient, StateFollowsTheWindow)
{
    EXPECT_EQ(core.SchedState(), 3);
    core.Minimised();
    EXPECT_EQ(core.SchedState(), 2);
    core.Resized();  // restored: the wanted state again
    EXPECT_EQ(core.SchedState(), 3);
    core.Closing();
    EXPECT_EQ(core.SchedState(), 1);
    EXPECT_EQ(req(ask()), "none");
    ASSERT_NE(sch.GetItem(core.SchedSlot), nullptr);
    // The scheduler's list-changed notice rebuilds the tree.
    core.Select(core.Root());
    sch.GetItem(core.SchedSlot)->OnInvListChanged();
    EXPECT_EQ(core.Selected(), group(0, 0));
}

TEST_F(ExplClient, RowsRoundRobinWithoutStatusParameters)
{
    core.Select(group(2, 0));  // old style, no set pointer, active set, password: 6 rows
    ASSERT_EQ(core.Rows.size(), 6u);
    const auto got = asks(13);
    const std::vector<std::string> want{"3:-1:0101:0", "3:-1:0102:0", "3:-1:0103:0", "3:-1:0104:0", "3:-1:0105:0",
                                        "3:-1:0106:0", "3:-1:0101:0", "3:-1:0102:0", "3:-1:0103:0", "3:-1:0104:0",
                                        "3:-1:0105:0", "3:-1:0106:0", "3:-1:0101:0"};
    EXPECT_EQ(got, want);
}

TEST_F(ExplClient, TwentyStepCycleWithStatusParameters)
{
    core.Select(group(1, 0));  // old style with the three status parameters
    const auto got = asks(23);
    EXPECT_EQ(got[0], "2:-1:0201:0");
    EXPECT_EQ(got[1], "2:-1:0202:0");
    EXPECT_EQ(got[2], "2:-1:0203:0");
    for (int i = 3; i < 20; ++i)
        EXPECT_EQ(got[size_t(i)], QStringLiteral("2:-1:%1:0").arg(0x101 + (i - 3) % 6, 4, 16, QLatin1Char('0')).toStdString());
    EXPECT_EQ(got[20], "2:-1:0201:0");
    EXPECT_EQ(got[22], "2:-1:0203:0");
}

TEST_F(ExplClient, ServicesAndSetBytesBySelector)
{
    core.Select(group(0, 0));  // NewStyle: d1 (per set), d2, d3, d6
    auto rowReq = [&] {
        for (;;) {
            TReqRec r = ask();
            if (r.Data.ParAdr < 0x200)
                return req(r);
        }
    };
    // Indirect (-1): service 1, set byte 0.
    EXPECT_EQ(rowReq(), "1:1:0101:0");
    core.SetAddrModeChanged(0);  // actual set
    EXPECT_EQ(core.Panels[1], QStringLiteral("Satzadressierung: A"));
    EXPECT_EQ(rowReq(), "1:1:0101:1");
    core.SetAddrModeChanged(4);  // set 2
    EXPECT_EQ(rowReq(), "1:0:0101:4");
    // Expanded: the set rows read with masks 1..128; the parameter row with the selector.
    core.SetAddrModeChanged(-1);
    core.ExpandSets(0);
    ASSERT_EQ(core.Rows.size(), 12u);
    EXPECT_EQ(core.Rows[0].StateImage, 2);
    EXPECT_EQ(core.Rows[3].Name, QStringLiteral("Satz 2"));
    std::vector<std::string> got;
    for (int i = 0; i < 9; ++i)
        got.push_back(rowReq());
    EXPECT_EQ(got, (std::vector<std::string>{"1:1:0101:0", "1:0:0101:1", "1:0:0101:2", "1:0:0101:4", "1:0:0101:8",
                                             "1:0:0101:16", "1:0:0101:32", "1:0:0101:64", "1:0:0101:128"}));
    EXPECT_EQ(core.SetMaskOfRow(8), 128);
    EXPECT_EQ(core.SetMaskOfRow(0), 0);
    core.CollapseSets(5);  // from a set row
    EXPECT_EQ(core.Rows.size(), 4u);
    EXPECT_EQ(core.Rows[0].StateImage, 1);
    // Only a row of a per-set parameter expands.
    core.ExpandSets(1);
    EXPECT_EQ(core.Rows.size(), 4u);

    // A mask is refused for an old-style inverter.
    core.Select(group(1, 0));
    core.SetAddrModeChanged(4);
    EXPECT_EQ(core.CurSetSel, -1);
    core.SetAddrModeChanged(0);
    EXPECT_EQ(core.CurSetSel, 0);
}

TEST_F(ExplClient, ParameterAndInverterPages)
{
    core.Select(group(0, 0)->Children.front().get());  // per set, NewStyle
    std::vector<std::string> got;
    for (int i = 0; i < 8; ++i) {
        TReqRec r;
        do
            r = ask();
        while (r.Data.ParAdr != 0x101);
        got.push_back(req(r));
        answer(r, 100 + i);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"1:0:0101:1", "1:0:0101:2", "1:0:0101:4", "1:0:0101:8", "1:0:0101:16",
                                             "1:0:0101:32", "1:0:0101:64", "1:0:0101:128"}));
    const TParaRec& para = *core.PagePara->Para;
    EXPECT_EQ(core.ParaVal[7].Value, para.ValueToText(107, 0, u'+', false));
    TExplEditArgs a;
    ASSERT_TRUE(core.ParaValEditArgs(3, a));
    EXPECT_EQ(a.SetSel, 8);
    EXPECT_EQ(a.Value, 103);

    core.Select(group(1, 0)->Children.front().get());  // old style
    TReqRec r;
    do
        r = ask();
    while (r.Data.ParAdr != 0x101);
    EXPECT_EQ(req(r), "2:-1:0101:0");
    ASSERT_TRUE(core.ParaValEditArgs(0, a));
    EXPECT_EQ(a.SetSel, -1);
    EXPECT_FALSE(core.ParaValEditArgs(1, a));

    core.Select(core.Root()->Children[1].get());
    do
        r = ask();
    while (r.Data.ParAdr >= 0x200 && r.Data.ParAdr < 0x300);
    EXPECT_EQ(req(r), "2:-1:160f:0");
    answer(r, 101);
    EXPECT_EQ(core.Fields.value(TPrjExplCore::CfgIdLabel), QStringLiteral("101"));
}

TEST_F(ExplClient, AnswersSignErrorsAndPanels)
{
    core.Select(group(1, 0));  // old style: service -1
    QStringList got;
    for (int i = 0; i < 9; ++i) {
        TReqRec r = ask();
        switch (r.Data.ParAdr) {
        case 0x201: answer(r, 3); break;
        case 0x202: answer(r, 2); break;
        case 0x203: answer(r, 0, 5); break;
        case 0x101: answer(r, 0, 3); break;
        default: answer(r, 0xFFFF); break;
        }
    }
    const TParaRec& signedPara = *core.Rows[1].Node->Para;
    const TParaRec& unsignedPara = *core.Rows[2].Node->Para;
    EXPECT_EQ(core.Rows[0].Value, QStringLiteral("Fehler: 3"));
    EXPECT_FALSE(core.Rows[0].Valid);
    EXPECT_EQ(core.Rows[1].Value, signedPara.ValueToText(-1, 0, u'+', false));
    EXPECT_EQ(core.Rows[1].RawValue, -1);
    EXPECT_EQ(core.Rows[2].Value, unsignedPara.ValueToText(65535, 0, u'+', false));
    EXPECT_EQ(core.Rows[2].RawValue, 65535);
    EXPECT_EQ(core.Panels[2], QStringLiteral("Satzzeiger (s1):  ") + core.SetPtrNode->Para->ValueToText(3, 0, u'+', false));
    EXPECT_EQ(core.Panels[3], QStringLiteral("Akt. Satz (s2): 2"));
    EXPECT_EQ(core.Panels[4], QStringLiteral("Passwort: Fehler: 5"));
    core.OnGetErrorText = [](int c) { return QStringLiteral("E%1").arg(c); };
    TReqRec r;
    do
        r = ask();
    while (r.Data.ParAdr != 0x101);
    answer(r, 0, 3);
    EXPECT_EQ(core.Rows[0].Value, QStringLiteral("E3"));
}

TEST_F(ExplClient, StaleAnswersAreDroppedAfterEveryChange)
{
    core.Select(group(0, 0));
    const QStringList before = values();
    struct Change {
        const char* name;
        std::function<void()> act;
    };
    const std::vector<Change> changes{
        {"node", [&] { core.Select(group(0, 0)); }},
        {"expand", [&] { core.ExpandSets(0); }},
        {"collapse", [&] { core.CollapseSets(0); }},
        {"rebuild", [&] { core.RebuildTree(); }},
        {"selector", [&] { core.SetAddrModeChanged(2); }},
    };
    for (const Change& c : changes) {
        TReqRec r;
        do
            r = ask();
        while (r.Data.ParAdr != 0x101);
        c.act();
        answer(r, 77);
        for (const TExplRow& row : core.Rows)
            EXPECT_EQ(row.Value, QStringLiteral("nicht aktuell")) << c.name;
    }
    // An answer with a tag other than the one asked is dropped too.
    TReqRec r;
    do
        r = ask();
    while (r.Data.ParAdr != 0x101);
    TReqRec other = r;
    other.Tag = r.Tag + 1;
    answer(other, 5);
    EXPECT_EQ(values(), before);
    answer(r, 5);
    EXPECT_NE(values(), before);
}

TEST_F(ExplClient, EachRowKeepsItsOwnValueForEditingAndCopy)
{
    core.Select(group(0, 0));
    core.ExpandSets(0);
    // Answer every row with a value of its own: row index * 10.
    for (int i = 0; i < 30; ++i) {
        TReqRec r = ask();
        if (r.Data.ParAdr >= 0x200)
            continue;
        answer(r, core.PollRow * 10);
    }
    TExplEditArgs a;
    ASSERT_TRUE(core.RowEditArgs(2, a));  // set 1
    EXPECT_EQ(a.SetSel, 2);
    EXPECT_EQ(a.Value, 20);
    EXPECT_EQ(a.InvAdr, 1);
    EXPECT_EQ(a.Label, QStringLiteral("d1 Sollwert ; Umr. 1 ; Satz 1"));
    ASSERT_TRUE(core.RowEditArgs(0, a));  // the parameter row: the selector
    EXPECT_EQ(a.SetSel, -1);
    EXPECT_EQ(a.Value, 0);
    ASSERT_TRUE(core.RowEditArgs(9, a));  // d2
    EXPECT_EQ(a.Value, 90);
    EXPECT_EQ(core.Rows[0].Node->Value, 0);  // the set rows leave the parameter's value alone

    auto c = core.CopyContent({0, 2, 9});
    EXPECT_EQ(c->Flags, 15);
    ASSERT_EQ(c->Items.size(), 2u);
    EXPECT_EQ(c->Items[1].Address, 0x102);
    EXPECT_EQ(c->Items[1].Value, 90);
    EXPECT_TRUE(c->Items[1].ValueValid);
    EXPECT_EQ(c->Items[0].SetSel, -1);
    EXPECT_EQ(c->Items[0].InvAdr, 1);
    ASSERT_EQ(c->Lines.size(), 3);
    EXPECT_EQ(c->Lines[0], QStringLiteral("d1;Sollwert;") + core.Rows[0].Value);
    EXPECT_EQ(c->Lines[1], QStringLiteral("Satz 1;") + core.Rows[2].Value);

    // A row not read yet is not valid.
    core.Select(group(0, 0));
    c = core.CopyContent({9});
    ASSERT_EQ(c->Items.size(), 1u);
    EXPECT_FALSE(c->Items[0].ValueValid);
    ASSERT_TRUE(core.RowEditArgs(9, a));
    EXPECT_EQ(a.Value, core.Rows[9].Node->Para->DefVal);
}

TEST_F(ExplClient, DragContent)
{
    core.Select(group(0, 0));
    core.ExpandSets(0);
    EXPECT_TRUE(core.DragItems({1, 2, 3}).empty());  // set rows only
    auto items = core.DragItems({0, 3, 9, 10});
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(static_cast<TParaRec*>(items[1].get())->Addr, 0x102);
    TDragDrop dd;
    EXPECT_TRUE(dd.Start(&core, ddkExplParams, items, int16_t(core.CurAdr), int16_t(core.CurSetSel)));
    EXPECT_EQ(dd.Kind, ddkExplParams);
    EXPECT_EQ(dd.InvAdr, 1);
    EXPECT_FALSE(dd.Start(&core, ddkExplParams, core.DragItems({1}), 1, -1));
    EXPECT_EQ(dd.Kind, ddkNone);
    // The group list drags nothing.
    core.Select(core.Root()->Children[0]->Children.front().get());
    EXPECT_TRUE(core.DragItems({0}).empty());
}

} // namespace
