// The explorer's tree and pages without a display.
#include "prj_expl_fixture.h"

using namespace expltest;

namespace {

QStringList childTexts(const TExplNode* n)
{
    QStringList out;
    for (const auto& c : n->Children)
        out << c->Text;
    return out;
}

class ExplTree : public ::testing::Test {
protected:
    void build()
    {
        core.Project = &p.prj;
        core.BuildTree();
    }
    TExplNode* inv(int i) { return core.Root()->Children[size_t(i)].get(); }
    TExplNode* group(int invIdx, int g) { return inv(invIdx)->Children.front()->Children[size_t(g)].get(); }

    ExplProject p;
    TPrjExplCore core;
};

TEST_F(ExplTree, EmptyProjectShowsRootWithFileLinksOnly)
{
    p.prj.PrjName = QStringLiteral("Leer");
    build();
    EXPECT_EQ(core.Root()->Text, QStringLiteral("Leer"));
    EXPECT_EQ(childTexts(core.Root()), QStringList{"Alle Dateiverknüpfungen"});
    EXPECT_EQ(childTexts(core.Root()->Children.front().get()),
              (QStringList{"Arbeitslisten", "Parameterlisten", "Scope Dateien", "Andere Dateien"}));
    EXPECT_EQ(core.Selected(), core.Root());
    EXPECT_EQ(core.PageMode, pmProject);
    EXPECT_EQ(core.PageMask, 2);
    EXPECT_EQ(core.CurAdr, -1);
    EXPECT_EQ(core.CurSetSel, -10);
}

TEST_F(ExplTree, InvertersInAddressOrderBeforeFileLinksAndFirstGroupSelected)
{
    p.add(5, 100, QStringLiteral("Fuenf"));
    p.add(1, 101, QStringLiteral("Eins"));
    p.add(3, 100, QStringLiteral("Drei"));
    build();
    EXPECT_EQ(childTexts(core.Root()), (QStringList{"Eins", "Drei", "Fuenf", "Alle Dateiverknüpfungen"}));
    // Inverter: groups, then its four file nodes.
    EXPECT_EQ(childTexts(inv(0)),
              (QStringList{"Gruppen", "Arbeitslisten", "Parameterlisten", "Scope Dateien", "Andere Dateien"}));
    EXPECT_EQ(inv(0)->Image, imgNotConnected);
    EXPECT_EQ(core.Selected(), group(0, 0));
    EXPECT_EQ(core.CurAdr, 1);
    EXPECT_EQ(core.PageMode, pmParaList);
    EXPECT_EQ(core.Panels[0], QStringLiteral("Umrichter: 1"));
    EXPECT_EQ(core.Panels[1], QStringLiteral("Satzadressierung: Indirekt"));

    // Old style shows every group and parameter, hidden ones included.
    EXPECT_EQ(childTexts(inv(0)->Children.front().get()),
              (QStringList{"dr: Antrieb", "sy: System", "hg: Verborgen"}));
    EXPECT_EQ(childTexts(group(0, 0)),
              (QStringList{"d1: Sollwert", "d2: Strom", "d3: Zaehler", "d4: Versteckt", "d5: Service", "d6: Modus"}));
    // NewStyle filters by visibility and access level.
    EXPECT_EQ(childTexts(inv(1)->Children.front().get()), (QStringList{"dr: Antrieb", "sy: System"}));
    EXPECT_EQ(childTexts(group(1, 0)), (QStringList{"d1: Sollwert", "d2: Strom", "d3: Zaehler", "d6: Modus"}));
    // Shortcut images: capital Q is SHORTCUT_Q, a digit none.
    EXPECT_EQ(group(1, 0)->Image, 25);
    EXPECT_EQ(group(1, 1)->Image, imgShortcutNone);
    EXPECT_EQ(group(0, 2)->Image, imgShortcutA + ('h' - 'a'));
}

TEST_F(ExplTree, FiltersFollowTheSettings)
{
    p.add(1, 100, QStringLiteral("A"));
    core.ShowInvisible = true;
    build();
    EXPECT_EQ(childTexts(group(0, 0)), (QStringList{"d1: Sollwert", "d2: Strom", "d3: Zaehler", "d4: Versteckt",
                                                    "d6: Modus"}));
    EXPECT_EQ(inv(0)->Children.front()->Children.size(), 3u);
    core.ShowSupervisor = true;
    core.RebuildTree();
    EXPECT_EQ(group(0, 0)->Children.size(), 6u);
}

TEST_F(ExplTree, PlainTextChildrenAndImages)
{
    p.add(1, 100, QStringLiteral("A"));
    build();
    TExplNode* modus = group(0, 0)->Children.back().get();
    EXPECT_EQ(modus->Image, imgDotGreen);
    EXPECT_TRUE(modus->Children.empty());

    core.SetShowPTInfo(true);
    core.RebuildTree();
    modus = group(0, 0)->Children.back().get();
    EXPECT_EQ(modus->Image, imgDotBlue);
    ASSERT_EQ(modus->Children.size(), 1u);
    const TExplNode* pt = modus->Children.front().get();
    EXPECT_EQ(pt->Text, QStringLiteral("PT-Index: 7"));
    EXPECT_EQ(pt->Kind, nkPlainText);
    ASSERT_EQ(pt->Children.size(), 1u);
    EXPECT_EQ(pt->Children.front()->Text, QStringLiteral("Modus"));
    EXPECT_EQ(childTexts(pt->Children.front().get()), QStringList{"Ein"});

    // Switching plain-text info off only changes the image.
    core.SetShowPTInfo(false);
    EXPECT_EQ(modus->Image, imgDotGreen);
    EXPECT_FALSE(core.CanExpand(modus));
    EXPECT_FALSE(core.CanExpand(group(0, 0)));
    core.ShowParaInfo = true;
    EXPECT_TRUE(core.CanExpand(group(0, 0)));
}

TEST_F(ExplTree, LanguageSwitchRenamesInPlace)
{
    p.add(1, 100, QStringLiteral("A"));
    core.SetShowPTInfo(true);
    build();
    ASSERT_EQ(core.Rows.size(), 4u);
    core.ExpandSets(0);
    TExplNode* g = group(0, 0);
    core.SetLanguage(1);
    EXPECT_EQ(g->Text, QStringLiteral("dr: Antrieb EN"));
    EXPECT_EQ(g->Children.front()->Text, QStringLiteral("d1: Sollwert EN"));
    EXPECT_EQ(g->Children.back()->Children.front()->Children.front()->Text, QStringLiteral("Mode"));
    EXPECT_EQ(core.Rows[0].Name, QStringLiteral("Sollwert EN"));
    EXPECT_EQ(core.Rows[1].Name, QStringLiteral("Satz 0"));
    EXPECT_EQ(core.Fields.value("lbGrpName"), QStringLiteral("Antrieb EN"));
    // Any other value counts as 0.
    core.SetLanguage(5);
    EXPECT_EQ(g->Text, QStringLiteral("dr: Antrieb"));
}

TEST_F(ExplTree, ShortcutKeysAndEnterOrder)
{
    p.add(1, 100, QStringLiteral("A"));
    build();
    EXPECT_FALSE(core.SelectShortcut(u'x'));
    EXPECT_EQ(core.Selected(), group(0, 0));
    core.Select(group(0, 1));
    EXPECT_FALSE(core.SelectShortcut(u'1'));  // a digit is no shortcut letter
    EXPECT_EQ(core.Selected(), group(0, 1));
    EXPECT_TRUE(core.SelectShortcut(u'q'));
    EXPECT_EQ(core.Selected(), group(0, 0));
    EXPECT_EQ(NextNodeInOrder(group(0, 0)), group(0, 0)->Children.front().get());
    EXPECT_EQ(NextNodeInOrder(group(0, 0)->Children.back().get()), group(0, 1));
}

TEST_F(ExplTree, NodeStateNameAndFileUpdates)
{
    p.add(2, 100, QStringLiteral("A"));
    build();
    core.Select(inv(0));
    EXPECT_EQ(core.PageMode, pmInverter);
    EXPECT_EQ(core.Fields.value("lbInvState"), QStringLiteral("keine Verbindung"));
    EXPECT_EQ(core.Fields.value("lbInvProt"), QStringLiteral("Offline"));
    EXPECT_EQ(core.LastRow, 0);
    core.SetInvState(2, -2);
    EXPECT_EQ(inv(0)->Image, imgConnected);
    EXPECT_EQ(core.Fields.value("lbInvState"), QStringLiteral("Verbindung aktiv"));
    core.SetInvState(2, -3);
    EXPECT_EQ(inv(0)->Image, imgIncorrectId);
    EXPECT_EQ(core.Fields.value("lbInvState"), QStringLiteral("Verbindung mit falscher ID"));

    p.prj.GetInv(2)->SetName(QStringLiteral("Neu"));
    core.UpdateInvNames();
    EXPECT_EQ(inv(0)->Text, QStringLiteral("Neu"));

    p.prj.WorkFiles << QStringLiteral("/data/global.wl5");
    p.prj.GetInv(2)->WorkFiles << QStringLiteral("/data/inv/own.wl5");
    p.prj.GetInv(2)->ScopeFiles << QStringLiteral("/data/a.sc5");
    core.UpdateFileLists();
    EXPECT_EQ(core.FileList(flWork), (QStringList{"/data/global.wl5", "/data/inv/own.wl5"}));
    EXPECT_EQ(core.FileList(flAll), (QStringList{"/data/global.wl5", "/data/a.sc5", "/data/inv/own.wl5"}));
    // The inverter's own work-list node.
    core.Select(inv(0)->Children[1].get());
    EXPECT_EQ(core.PageMode, pmWorkLists);
    ASSERT_EQ(core.Rows.size(), 1u);
    EXPECT_EQ(core.Rows[0].Caption, QStringLiteral("own.wl5"));
    EXPECT_EQ(core.Rows[0].Name, QStringLiteral("/data/inv/"));
    QString opened;
    core.OnPrjChgReq = [&](QObject*, int code, const QString& f) { opened = QString::number(code) + f; };
    EXPECT_TRUE(core.ActivateRow(0));
    EXPECT_EQ(opened, QStringLiteral("0/data/inv/own.wl5"));
    // The list of all links opens nothing.
    opened.clear();
    core.Select(core.Root()->Children.back().get());
    EXPECT_EQ(core.PageMode, pmAllFiles);
    EXPECT_EQ(core.Rows.size(), 3u);
    EXPECT_FALSE(core.ActivateRow(0));
    EXPECT_TRUE(opened.isEmpty());

    p.prj.PrjName = QStringLiteral("Anlage");
    core.UpdatePrjProps();
    EXPECT_EQ(core.Root()->Text, QStringLiteral("Anlage"));
    EXPECT_EQ(core.Caption, QStringLiteral("Projekt-Explorer - ") + p.prj.DefPrjName);
}

TEST_F(ExplTree, GroupWithoutShownParametersAndInverterWithoutShownGroups)
{
    auto empty = std::make_shared<TCfgRec>();
    empty->CfgId = 102;
    empty->NewStyle = 1;
    auto g = MakeGroup("EE", 'e', QStringLiteral("Leer"), 0x10, 0x0100);
    g->ParaList.Add(MakePara(0x0101, QStringLiteral("e1"), QStringLiteral("Unsichtbar"), 0x40, 0));
    empty->GrpList.Add(g);
    auto hiddenOnly = std::make_shared<TCfgRec>();
    hiddenOnly->CfgId = 103;
    hiddenOnly->NewStyle = 1;
    hiddenOnly->GrpList.Add(MakeGroup("HH", 'h', QStringLiteral("Versteckt"), 0x00, 0x0100));
    p.prj.Append(empty);
    p.prj.Append(hiddenOnly);
    p.add(1, 103, QStringLiteral("Ohne"));
    p.add(2, 102, QStringLiteral("Leer"));
    build();
    // No shown group: its groups node is selected.
    EXPECT_EQ(core.Selected(), inv(0)->Children.front().get());
    EXPECT_EQ(core.PageMode, pmGroups);
    EXPECT_TRUE(core.Rows.empty());
    // A group without shown parameters: an empty list, not polled.
    core.Select(group(1, 0));
    EXPECT_EQ(core.PageMode, pmParaList);
    EXPECT_TRUE(core.Rows.empty());
    EXPECT_EQ(core.LastRow, -1);
}

TEST_F(ExplTree, GroupPageAndGroupList)
{
    p.add(1, 100, QStringLiteral("A"));
    build();
    core.Select(inv(0)->Children.front().get());
    EXPECT_EQ(core.PageMode, pmGroups);
    ASSERT_EQ(core.Rows.size(), 2u);
    EXPECT_EQ(core.Rows[1].Caption + u'|' + core.Rows[1].Name, QStringLiteral("sy|System"));
    EXPECT_EQ(core.ListHeader, (QStringList{"ID:", "Name:"}));
    EXPECT_TRUE(core.ActivateRow(1));
    EXPECT_EQ(core.Selected(), group(0, 1));

    core.ShowParaInfo = true;
    core.Select(group(0, 0));
    EXPECT_EQ(core.PageMask, 9);
    const QMap<QString, QString> want{{"lbGrpIndex", "1"},        {"lbGrpId", "dr"},       {"lbGrpShortcut", "Q"},
                                      {"lbGrpProp", "0010 hex"},  {"lbGrpMaxPara", "0"},   {"lbGrpLastPara", "1"},
                                      {"lbGrpBaseAddr", "0100 hex"}, {"lbGrpName", "Antrieb"}};
    for (auto it = want.begin(); it != want.end(); ++it)
        EXPECT_EQ(core.Fields.value(it.key()), it.value()) << it.key().toStdString();
    // The group page tab keeps page mode 4 for the next group.
    core.TabSwitched(3);
    EXPECT_EQ(core.PageMode, pmGroupPage);
    EXPECT_FALSE(core.CopyOn());
    core.Select(group(0, 1));
    EXPECT_EQ(core.PageMode, pmGroupPage);
    EXPECT_EQ(core.ActivePage, 3);
    core.TabSwitched(0);
    EXPECT_EQ(core.PageMode, pmParaList);
    EXPECT_TRUE(core.CopyOn());
}

struct ParaPageCase {
    const char* name;
    uint16_t format;
    uint32_t attr, flags;
    QMap<QString, QString> fields;
};

TEST_F(ExplTree, ParameterPageFields)
{
    p.add(1, 100, QStringLiteral("A"));
    build();
    TExplNode* node = group(0, 0)->Children.front().get();
    const std::vector<ParaPageCase> cases{
        {"raw limits, both protections", 0, 0x40, 0x0A,
         {{"lbLowerLim", "0"}, {"lbLowerLimConv", ""}, {"lbResolution", "1"}, {"lbWriteProt", "kein Schreibschutz"},
          {"lbAttr", "00000040 hex"}, {"lbFlags", "0000000A hex"}, {"lbAddr", "0101 hex"}, {"lbFormat", "0000 hex"},
          {"lbProgrammable", "Nein"}, {"lbEnter", "Nein"}}},
        {"converted limits, keypad only", 0x0012, 0x840, 0x22,
         {{"lbLowerLim", "(0) "}, {"lbUpperLim", "(1000) "}, {"lbDefVal", "(50)"}, {"lbResolution", "(1)"},
          {"lbWriteProt", "Ext. Bus"}, {"lbProgrammable", "Ja"}, {"lbEnter", "Ja"}, {"lbFormat", "0012 hex"}}},
        {"variable limits, no protection bit", 0x0012, 0x40 | 0x3000 | 0xC000 | 0x40000, 0,
         {{"lbLowerLim", "( Variabler Wert )"}, {"lbLowerLimConv", ""}, {"lbUpperLim", "( Variabler Wert )"},
          {"lbDefVal", "( Variabler Wert )"}, {"lbWriteProt", "immer Schreibgeschützt"}}},
    };
    for (const ParaPageCase& c : cases) {
        TParaRec& para = *node->Para->Para;
        para.Format = c.format;
        para.Attr = c.attr;
        para.Flags = c.flags;
        core.Select(node);
        EXPECT_EQ(core.PageMode, pmParameter);
        EXPECT_EQ(core.PageMask, 0x110);
        for (auto it = c.fields.begin(); it != c.fields.end(); ++it)
            EXPECT_EQ(core.Fields.value(it.key()), it.value()) << c.name << ' ' << it.key().toStdString();
        if (c.format && !(c.attr & 0x3000)) {
            EXPECT_EQ(core.Fields.value("lbLowerLimConv"), para.ValueToText(0, 0, u'+', false).left(24));
            EXPECT_FALSE(core.Fields.value("lbResolutionConv").isEmpty());
        }
    }
    // A converted text longer than 24 characters: 21 and "...".
    TParaRec& para = *node->Para->Para;
    para.Attr = 0x40 | ParaAttr::Size32;
    para.Format = 0x0012;
    para.Mul = 1;
    para.Div = 1;
    para.UpperLim = 2000000000;
    core.Select(node);
    const QString full = para.ValueToText(para.UpperLim, 0, u'+', false);
    if (full.size() > 24)
        EXPECT_EQ(core.Fields.value("lbUpperLimConv"), full.left(21) + QStringLiteral("..."));
    else
        EXPECT_EQ(core.Fields.value("lbUpperLimConv"), full);
    // A missing write-protection line.
    core.Texts.RWText = QStringList{"a", "b"};
    para.Flags = 0;
    core.Select(node);
    EXPECT_EQ(core.Fields.value("lbWriteProt"), QStringLiteral("ERROR 3"));
}

TEST_F(ExplTree, ParameterValueRowsBySetAddressing)
{
    p.add(1, 100, QStringLiteral("New"));
    p.add(2, 101, QStringLiteral("Old"));
    build();
    auto rows = [&] {
        QStringList out;
        for (const TParaValRow& r : core.ParaVal)
            out << r.Caption + u'=' + r.Value;
        return out;
    };
    core.Select(group(0, 0)->Children[0].get());  // per set, NewStyle
    EXPECT_EQ(core.LastRow, 7);
    EXPECT_EQ(rows()[7], QStringLiteral("7=nicht aktuell"));
    core.Select(group(0, 0)->Children[1].get());  // not per set
    EXPECT_EQ(core.LastRow, 0);
    EXPECT_EQ(rows()[0], QStringLiteral("0=nicht aktuell"));
    EXPECT_EQ(rows()[1], QStringLiteral("1=nicht programmierbar"));
    core.Select(group(1, 0)->Children[0].get());  // old style
    EXPECT_EQ(core.LastRow, 0);
    EXPECT_EQ(rows()[0], QStringLiteral("Ind.=nicht aktuell"));
    EXPECT_EQ(rows()[1], QStringLiteral("=nur indirekt adressierbar"));
}

} // namespace
