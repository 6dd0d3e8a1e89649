// Quintel value files: the cp5 text written, hand-written cp5 and cpd files
// read, the configuration-number scan and MaskToSetNo.

#include "quintel_fixture.h"
#include "temp_dir.h"

#include "config/cfg_codes.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qtest;

namespace {

class QuintelFileTest : public qeltest::TempDirTest {
protected:
    QString write(const QString& name, const QByteArray& text)
    {
        const QString p = path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return p;
    }
    QByteArray read(const QString& p)
    {
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static std::unique_ptr<tCpEntry> entry(int paraAddr, int id, int value, int def, int address)
    {
        auto e = std::make_unique<tCpEntry>();
        e->Para = para(paraAddr);
        e->Id = id;
        e->Value = value;
        e->Def = def;
        e->Address = int16_t(address);
        return e;
    }
};

TEST_F(QuintelFileTest, WritesTheTableAsText)
{
    tQuintel q;
    EXPECT_EQ(q.SaveToFile(path("none.cp5")), -1);  // no configuration
    q.Cfg = makeCfg(21, true, 4, 0x0E00, 0x0E40);
    EXPECT_EQ(q.SaveToFile(path("none.cp5")), -1);  // no entries
    EXPECT_FALSE(QFile::exists(path("none.cp5")));

    // The address written is the target's, not where the value is read.
    q.Entries.push_back(entry(5, 0, 0, 1, 0x0E40));
    q.Entries.push_back(entry(258, 1, 150, 2, 0x0E41));
    q.Entries.push_back(entry(0x999, -1, 77, 0x0C01, 0x999));  // not shown: -1
    q.Entries.push_back(entry(0x103, 2, -70000, -32768, 0x0E43));
    for (int k = 1; k <= 7; ++k)
        q.Norm[size_t(k)] = {1, 1, 0, 0};
    q.Norm[2] = {10, 3, -4, int16_t(0x8112)};
    const QString file = path("table.cp5");
    ASSERT_EQ(q.SaveToFile(file), 0);
    QByteArray expected = "0,21,100,0\r\n"
                          "5,0,0,1\r\n"
                          "258,150,0,2\r\n"
                          "-1,77,0,3073\r\n"
                          "259,-70000,0,-32768\r\n"
                          "0,1,200,1\r\n0,1,201,1\r\n0,0,202,1\r\n0,0,203,1\r\n"
                          "0,3,200,2\r\n0,10,201,2\r\n0,-4,202,2\r\n0,-32494,203,2\r\n";
    for (int k = 3; k <= 7; ++k)
        expected += QStringLiteral("0,1,200,%1\r\n0,1,201,%1\r\n0,0,202,%1\r\n0,0,203,%1\r\n").arg(k).toLatin1();
    EXPECT_EQ(read(file), expected);

    // Without sets no normalisation lines; an existing file is replaced.
    q.Cfg->NewStyle = 0;
    q.Entries.resize(2);
    ASSERT_EQ(q.SaveToFile(file), 0);
    EXPECT_EQ(read(file), QByteArray("0,21,100,0\r\n5,0,0,1\r\n258,150,0,2\r\n"));

    EXPECT_EQ(q.SaveToFile(path("missing/dir/t.cp5")), kIoPathNotFound);
}

TEST_F(QuintelFileTest, SavedTableReadsBack)
{
    ScriptedInverter inv;
    inv.values = {{0x0E00, 0x102}, {0x0E01, 0x0802}, {0x0E02, -1}, {0x0E04, 0x103}, {0x0E05, 0x0100}};
    inv.setValues[{0x0E48, 0x04}] = 10;
    inv.setValues[{0x0E49, 0x04}] = 3;
    inv.values[0x102] = 1500;
    auto cfg = makeCfg(21, true, 4, 0x0E00, -1);
    tQuintel q;
    q.Start(1, cfg, {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(5 + 28 + 3);
    ASSERT_EQ(q.State, 3);
    ASSERT_EQ(q.Entries[1]->Value, 1500);
    const QString file = path("t.cp5");
    ASSERT_EQ(q.SaveToFile(file), 0);

    tQuintel r;
    r.Cfg = cfg;
    ASSERT_EQ(r.LoadFromFile(file), 0);
    ASSERT_EQ(r.Entries.size(), q.Entries.size());
    for (size_t k = 0; k < q.Entries.size(); ++k) {
        SCOPED_TRACE(k);
        const tCpEntry& a = *q.Entries[k];
        const tCpEntry& b = *r.Entries[k];
        EXPECT_EQ(b.Id, a.Id);
        EXPECT_EQ(b.Address, a.Address);
        EXPECT_EQ(b.Def, a.Def);
        EXPECT_EQ(b.NormSet, a.NormSet);
        EXPECT_EQ(b.Name, a.Name);
        if (a.Id >= 0) {
            EXPECT_EQ(b.Value, a.Value);
            EXPECT_EQ(b.Para->Div, a.Para->Div);
            EXPECT_EQ(b.Para->Mul, a.Para->Mul);
        }
    }
    EXPECT_EQ(r.Entries[1]->Para->Div, 10);
    EXPECT_EQ(r.NextId, q.NextId);
    EXPECT_EQ(r.AllSet0, q.AllSet0);
}

TEST_F(QuintelFileTest, ReaderRules)
{
    // N = 4; parameters 0x101..0x104 (257..260) are known.
    struct Case {
        const char* name;
        const char* file;
        QByteArray text;
        int result;
        // Address, Id, Value, Def per entry ("" for none expected).
        std::vector<std::array<int, 4>> entries;
    } cases[] = {
        {"blanks, comments, LF-only lines, a comment after a field", "a.cp5",
         " ; a table\n\t0 , 21 , 100 , 0 \n 257 ,\t150, 0 , 2 ; CP00\r\n;258,1,0,1\n258,-5,0,3\r\n",
         0, {{257, 0, 150, 2}, {258, 1, -5, 3}, {-1, -1, 0, 0}, {-1, -1, 0, 0}}},
        {"two fields: address and definition word", "b.cp5", "0,21,100,0\n257,17\n",
         0, {{257, 0, 0, 17}, {-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}}},
        {"an entry line with a field that is no number keeps its place, undefined", "c.cp5",
         "257,1x,0,1\n258,-2147483648,0,1\n258,99999999999,0,2\n260,4,0,1\n",
         0, {{-1, -1, 0, 0}, {258, 0, INT32_MIN, 1}, {-1, -1, 0, 0}, {260, 1, 4, 1}}},
        {"address, value or definition damaged", "c2.cp5",
         "0x101,1,0,1\n257,2147483648,0,1\n257,1,0,\n257,1,0,1,1\n",
         0, {{-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}}},
        {"a kind that is no number skips its line, as does any damaged line of another kind", "c3.cp5",
         "257,1,x,1\n0,1x,200,1\n257,1,0x,1\n258,2,0,1\n",
         0, {{258, 0, 2, 1}, {-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}}},
        {"undefined and unknown targets; the definition word is 16 bits", "d.cp5",
         "-1,5,0,1\n999,5,0,1\n259,7,0,70657\n",
         0, {{-1, -1, 0, 0}, {999, -1, 0, 0}, {259, 0, 7, 5121}, {-1, -1, 0, 0}}},
        {"more entry lines than N", "e.cp5", "257,1,0,1\n258,2,0,1\n259,3,0,1\n260,4,0,1\n257,5,0,1\n",
         0, {{257, 0, 1, 1}, {258, 1, 2, 1}, {259, 2, 3, 1}, {260, 3, 4, 1}}},
        {"only the header", "f.cp5", "0,21,100,0\r\n",
         0, {{-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}}},
        {"another configuration: -1000, no filling", "g.cp5", "257,1,0,1\n0,22,100,0\n258,2,0,1\n",
         tQuintel::OtherCfgFile, {{257, 0, 1, 1}}},
        {"kind 101 and unknown kinds are ignored", "h.cp5", "1,2,101,3\n257,9,7,1\n",
         0, {{-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}, {-1, -1, 0, 0}}},
        {"cpd: header, dropped line, records of three lines", "i.cpd",
         "; old layout\n21\n999\n258\n 3 \n250\n-1\n0\n0\n259\n16\n5\n260\n2\n",
         0, {{258, 0, 250, 8}, {-1, -1, 0, 0}, {259, 1, 5, 0}, {-1, -1, 0, 0}}},
        {"cpd in lower case, set 15, a record with no number keeps its place", "j.CpD",
         "21\n\n257\n15\n-9\n258\nx\n1\n259\n0\n3",
         0, {{257, 0, -9, -32768}, {-1, -1, 0, 0}, {259, 1, 3, 1}, {-1, -1, 0, 0}}},
        {"cpd of another configuration", "k.cpd", "22\n0\n257\n0\n1\n", tQuintel::OtherCfgFile, {}},
    };
    auto cfg = makeCfg(21, true, 4, 0x0E00, -1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tQuintel q;
        q.Cfg = cfg;
        ASSERT_EQ(q.LoadFromFile(write(QString::fromLatin1(c.file), c.text)), c.result);
        ASSERT_EQ(q.Entries.size(), c.entries.size());
        int ids = 0;
        for (size_t k = 0; k < c.entries.size(); ++k) {
            SCOPED_TRACE(k);
            const tCpEntry& e = *q.Entries[k];
            const auto& x = c.entries[k];
            EXPECT_EQ(e.Address, x[0]);
            EXPECT_EQ(e.Id, x[1]);
            EXPECT_EQ(e.Value, x[2]);
            EXPECT_EQ(e.Def, x[3]);
            if (e.Id >= 0) {
                ++ids;
                EXPECT_EQ(e.Name, QStringLiteral("CP%1").arg(k, 2, 10, QLatin1Char('0')));
                EXPECT_EQ(e.Status, 0);
                EXPECT_EQ(e.Para->Addr, x[0]);
            }
        }
        EXPECT_EQ(q.NextId, ids);
    }
}

TEST_F(QuintelFileTest, NormalisationValuesSelectorAddressesAndIdText)
{
    auto cfg = makeCfg(22, true, 3, -0x0E00, 0x0E40);
    tQuintel q;
    q.Cfg = cfg;
    q.State = 3;
    q.Index = 2;
    q.Status = 1;
    q.ShowIdText = true;
    ASSERT_EQ(q.LoadFromFile(write("n.cp5", "0,22,100,0\n"
                                            "1,-3,0,1\n"
                                            "258,10,0,2050\n"  // set 1, normalisation set 2
                                            "0,60,200,2\n0,70000,201,2\n0,-4,202,2\n0,274,203,2\n"
                                            "0,9,200,0\n0,9,200,8\n")),
              0);
    EXPECT_TRUE(q.ShowIdText);  // CP00's value is -3
    EXPECT_EQ(q.Entries[0]->Address, 0x0E40);
    EXPECT_EQ(q.Entries[1]->Address, 0x0E41);
    EXPECT_EQ(q.Entries[1]->NormSet, 2);
    const TParaRec& p = *q.Entries[1]->Para;
    EXPECT_EQ(p.Mul, 60);
    EXPECT_EQ(p.Div, int16_t(70000 & 0xFFFF));
    EXPECT_EQ(p.Offset, -4);
    EXPECT_EQ(p.Format, 274);
    EXPECT_EQ(q.Norm[1].Mul, 1);  // reset before reading
    EXPECT_EQ(q.Norm[1].Div, 1);
    EXPECT_FALSE(q.AllSet0);
    // Loading leaves the machine where it was.
    EXPECT_EQ(q.State, 3);
    EXPECT_EQ(q.Index, 2);
    EXPECT_EQ(q.Status, 1);
    EXPECT_EQ(cfg->FindPara(0x102)->Mul, 1);

    // A reload clears what the last one set.
    ASSERT_EQ(q.LoadFromFile(write("o.cp5", "1,0,0,1\n")), 0);
    EXPECT_FALSE(q.ShowIdText);
    EXPECT_TRUE(q.AllSet0);
    EXPECT_EQ(q.Norm[2].Mul, 1);
}

TEST_F(QuintelFileTest, NoConfigurationOrNoFile)
{
    tQuintel q;
    EXPECT_EQ(q.LoadFromFile(write("a.cp5", "0,21,100,0\n")), -1);
    q.Cfg = makeCfg(21, true, 4, 0x0E00, -1);
    EXPECT_EQ(q.LoadFromFile(path("missing.cp5")), -1);
    EXPECT_TRUE(q.Entries.empty());
}

TEST_F(QuintelFileTest, ScanCfgId)
{
    struct Case {
        const char* name;
        QByteArray text;
        bool found;
        int id;
    } cases[] = {
        {"cp5 header after comments and empty lines", "; x\n\n  \n0, 21 ,100,0\r\n", true, 21},
        {"cpd header", ";old\n 26 \n0\n", true, 26},
        {"entry lines before the header", "257,1,0,1\n1,2,101,3\n0,8,100,0\n", true, 8},
        {"fewer than four fields", "0,21,100\n", false, 0},
        {"second or third field no number", "0,x,100,0\n0,3,1x0,0\n0,12,100,0\n", true, 12},
        {"a line without comma that is no number", "abc\n0,5,100,0\n", true, 5},
        {"nothing found", "257,1,0,1\n", false, 0},
        {"empty file", "", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int id = -77;
        EXPECT_EQ(tQuintel::ScanCfgId(write("s.cp5", c.text), id), c.found);
        if (c.found) {
            EXPECT_EQ(id, c.id);
        }
    }
    int id = 0;
    EXPECT_FALSE(tQuintel::ScanCfgId(path("missing.cp5"), id));
}

TEST(QuintelMaskToSetNo, LowestSetBitOfNine)
{
    const std::pair<uint32_t, int> cases[] = {{0, 0}, {1, 0}, {8, 3}, {12, 2}, {256, 8}, {512, 0}, {0x80000000u, 0}, {0x300, 8}};
    for (auto [mask, no] : cases)
        EXPECT_EQ(tQuintel::MaskToSetNo(mask), no) << mask;
}

} // namespace
