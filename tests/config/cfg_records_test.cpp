#include "config/cfg_list.h"
#include "config/cfg_records.h"
#include "config/value_conversion.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<TParaRec> para(int addr)
{
    auto p = std::make_shared<TParaRec>();
    p->Addr = static_cast<int16_t>(addr);
    return p;
}

std::shared_ptr<TGrpRec> group(int base)
{
    auto g = std::make_shared<TGrpRec>();
    g->BaseAddr = static_cast<int16_t>(base);
    return g;
}

TEST(CfgRecords, NewRecordsHaveTheirDefaults)
{
    const TParaRec p;
    EXPECT_EQ(p.Div, 1);
    EXPECT_EQ(p.Mul, 0);
    EXPECT_EQ(p.Offset, 0);
    EXPECT_EQ(p.GetIdText(), QStringLiteral("    "));
    EXPECT_EQ(p.GetName(0), QString(47, QLatin1Char(' ')));
    EXPECT_EQ(p.GetName(1), QString(47, QLatin1Char(' ')));
    EXPECT_EQ(p.PlainText, nullptr);
    const TCfgRec c;
    EXPECT_EQ(c.GroupName, QString(47, QLatin1Char(' ')));
    EXPECT_EQ(c.TypeName, QString(47, QLatin1Char(' ')));
    EXPECT_EQ(c.CfgId, 0);
}

TEST(CfgRecords, NamesAreCutAndSelectedByLanguage)
{
    TParaRec p;
    p.SetName(0, QString(60, QLatin1Char('x')));
    p.SetName(1, QStringLiteral("Zweit"));
    EXPECT_EQ(p.GetName(0).size(), 47);
    EXPECT_EQ(p.GetName(1), QStringLiteral("Zweit"));
    EXPECT_EQ(p.GetName(2), p.GetName(0));  // any other language is name 0
    EXPECT_EQ(p.GetName(-1), p.GetName(0));
    p.SetName(7, QStringLiteral("First"));  // writes name 0 likewise
    EXPECT_EQ(p.GetName(0), QStringLiteral("First"));
    p.SetIdText(QStringLiteral("abcdef"));
    EXPECT_EQ(p.GetIdText(), QStringLiteral("abcd"));
}

TEST(CfgRecords, GetItemOutsideTheListGivesNone)
{
    TParaList list;
    list.Add(para(1));
    list.Add(para(2));
    EXPECT_EQ(list.GetItem(-1), nullptr);
    EXPECT_EQ(list.GetItem(2), nullptr);
    ASSERT_NE(list.GetItem(1), nullptr);
    EXPECT_EQ(list.GetItem(1)->Addr, 2);
}

TEST(CfgRecords, LookupsTakeTheFirstMatchAndCompareAsStated)
{
    TSubList subs;
    for (int v : {3, 5, 3}) {
        auto s = std::make_shared<TSubRec>();
        s->Value = v;
        s->Name.Set(0, QString::number(subs.Count()));
        subs.Add(s);
    }
    ASSERT_NE(subs.FindValue(3), nullptr);
    EXPECT_EQ(subs.FindValue(3)->GetName(0), QStringLiteral("0"));
    EXPECT_EQ(subs.FindValue(4), nullptr);

    TDefList defs;
    auto d = std::make_shared<TDefRec>();
    d->Mask = 0xFFFF0000u;
    defs.Add(d);
    EXPECT_EQ(defs.FindMask(0xFFFF0000u), d.get());
    EXPECT_EQ(defs.FindMask(0xFFFF), nullptr);

    // Text ids compare as unsigned 16-bit numbers.
    TPlainTextList tables;
    auto t = std::make_shared<TPlainTextRec>();
    t->TextId = -1;
    tables.Add(t);
    EXPECT_EQ(tables.FindId(65535), t.get());
    EXPECT_EQ(tables.FindId(-1), nullptr);

    // Addresses compare sign-extended.
    TParaList paras;
    paras.Add(para(0x8001));
    EXPECT_EQ(paras.FindAddr(0x8001), nullptr);
    EXPECT_NE(paras.FindAddr(static_cast<int16_t>(0x8001)), nullptr);

    TGrpList groups;
    groups.Add(group(0x1200));
    EXPECT_EQ(groups.FindGroup(0x1234), groups.GetItem(0));
    EXPECT_EQ(groups.FindGroup(0x1334), nullptr);
}

TEST(CfgRecords, FindParaFallsBackToEveryGroup)
{
    TCfgRec cfg;
    auto g1 = group(0x0100);
    g1->ParaList.Add(para(0x0101));
    auto g2 = group(0x0200);
    g2->ParaList.Add(para(0x0305));  // lies in another group than its address says
    g2->ParaList.Add(para(0x0101));  // duplicate, found second
    cfg.GrpList.Add(g1);
    cfg.GrpList.Add(g2);
    EXPECT_EQ(cfg.FindPara(0x0101), g1->ParaList.GetItem(0));
    EXPECT_EQ(cfg.FindPara(0x0305), g2->ParaList.GetItem(0));
    EXPECT_EQ(cfg.FindPara(0x0102), nullptr);
}

TEST(CfgRecords, SortByIndexKeepsReadingOrderOfEqualIndexes)
{
    TGrpList groups;
    for (int idx : {5, 2, 5}) {
        auto g = group(groups.Count() * 0x100);
        g->Index = static_cast<uint8_t>(idx);
        groups.Add(g);
    }
    groups.SortByIndex();
    EXPECT_EQ(groups.GetItem(0)->Index, 2);
    EXPECT_EQ(groups.GetItem(1)->BaseAddr, 0x0000);
    EXPECT_EQ(groups.GetItem(2)->BaseAddr, 0x0200);
}

TEST(CfgRecords, CopyToCopiesEveryFieldAndKeepsThePlainTextAlive)
{
    auto table = std::make_shared<TPlainTextRec>();
    table->TextId = 9;
    TParaRec src;
    src.Addr = 0x0102;
    src.TextId = 9;
    src.LowerLim = -5;
    src.UpperLim = 500;
    src.DefVal = 7;
    src.Attr = 0x480;
    src.Flags = 0x1E;
    src.Mul = 3;
    src.Div = 4;
    src.Offset = -2;
    src.Format = 0x0112;
    src.PlainText = table;
    src.DefCount = 2;
    src.SetIdText(QStringLiteral("ru02"));
    src.SetName(0, QStringLiteral("Speed"));
    src.SetName(1, QStringLiteral("Drehzahl"));
    TParaRec dst;
    src.CopyTo(dst);
    table.reset();
    src.PlainText.reset();
    EXPECT_EQ(dst.Addr, 0x0102);
    EXPECT_EQ(dst.TextId, 9);
    EXPECT_EQ(dst.LowerLim, -5);
    EXPECT_EQ(dst.UpperLim, 500);
    EXPECT_EQ(dst.DefVal, 7);
    EXPECT_EQ(dst.Attr, 0x480u);
    EXPECT_EQ(dst.Flags, 0x1Eu);
    EXPECT_EQ(dst.Mul, 3);
    EXPECT_EQ(dst.Div, 4);
    EXPECT_EQ(dst.Offset, -2);
    EXPECT_EQ(dst.Format, 0x0112);
    EXPECT_EQ(dst.DefCount, 2);
    EXPECT_EQ(dst.GetIdText(), QStringLiteral("ru02"));
    EXPECT_EQ(dst.GetName(0), QStringLiteral("Speed"));
    EXPECT_EQ(dst.GetName(1), QStringLiteral("Drehzahl"));
    ASSERT_NE(dst.PlainText, nullptr);
    EXPECT_EQ(dst.PlainText->TextId, 9);
}

TEST(CfgList, DeleteMovesLaterEntriesUpAndHoldersKeepTheirConfiguration)
{
    TVortalinCfgList list;
    for (int id : {10, 20, 30}) {
        auto c = std::make_shared<TCfgRec>();
        c->CfgId = id;
        list.Append(c);
    }
    std::shared_ptr<TCfgRec> held = list.GetCfgShared(0);
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetCfg(0)->CfgId, 20);
    EXPECT_EQ(held->CfgId, 10);
    list.Delete(5);
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 2);
    list.DeleteCfgId(30);
    list.DeleteCfgId(99);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.FindCfg(20), list.GetCfg(0));
    EXPECT_EQ(list.FindCfg(30), nullptr);
    EXPECT_EQ(list.GetCfg(1), nullptr);
}

TEST(CfgList, CreatingAListClearsHexDisplay)
{
    HexDisplay = 1;
    TVortalinCfgList list;
    EXPECT_EQ(HexDisplay, 0);
}

TEST(CfgList, FileNames)
{
    EXPECT_EQ(TVortalinCfgList::BinFileName(12), QStringLiteral("Para0012.bin"));
    EXPECT_EQ(TVortalinCfgList::BinFileName(123456), QStringLiteral("Para3456.bin"));
    EXPECT_EQ(TVortalinCfgList::AddFileName(12, 3), QStringLiteral("LNG0012f.add"));
    EXPECT_EQ(TVortalinCfgList::AddFileName(12, 1), QStringLiteral("LNG0012d.add"));
    EXPECT_EQ(TVortalinCfgList::AddFileName(21, 6), QStringLiteral("LNG0021a.add"));
    EXPECT_EQ(TVortalinCfgList::AddFileName(12, 0), QString());
    EXPECT_EQ(TVortalinCfgList::AddFileName(12, 7), QString());
}

}  // namespace
