#include "config/cfg_codes.h"
#include "config/cfg_file.h"
#include "config/cfg_list.h"

#include "temp_dir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// A configuration with one group (0x0100: 0x0101, 0x0102), a second group
// (0x0200: 0x0201) and one table (id 7, mask 3, values 1 and 2).
std::shared_ptr<TCfgRec> cfgWithNames()
{
    auto cfg = std::make_shared<TCfgRec>();
    cfg->CfgId = 21;
    for (int base : {0x0100, 0x0200}) {
        auto g = std::make_shared<TGrpRec>();
        g->BaseAddr = static_cast<int16_t>(base);
        g->Name.Set(0, QStringLiteral("G%1").arg(base, 0, 16));
        g->Name.Set(1, g->Name.Get(0));
        for (int n : {1, 2}) {
            if (base == 0x0200 && n == 2)
                continue;
            auto p = std::make_shared<TParaRec>();
            p->Addr = static_cast<int16_t>(base + n);
            p->SetName(0, QStringLiteral("P%1").arg(base + n, 0, 16));
            p->SetName(1, p->GetName(0));
            g->ParaList.Add(p);
        }
        cfg->GrpList.Add(g);
    }
    auto t = std::make_shared<TPlainTextRec>();
    t->TextId = 7;
    auto d = std::make_shared<TDefRec>();
    d->Mask = 3;
    d->Name.Set(0, QStringLiteral("Mode"));
    d->Name.Set(1, QStringLiteral("Mode"));
    for (int v : {1, 2}) {
        auto s = std::make_shared<TSubRec>();
        s->Value = v;
        s->Name.Set(0, QStringLiteral("V%1").arg(v));
        s->Name.Set(1, s->Name.Get(0));
        d->SubList.Add(s);
    }
    t->DefList.Add(d);
    cfg->PlainTexts.Add(t);
    return cfg;
}

// Hand-built .add bytes: header, then the three sections.
QByteArray addBytes(int version = -53, const char* magic = "VORTALIN50_ADD", int cfgId = 21)
{
    QByteArray b;
    auto i16 = [&b](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto i32 = [&b](int64_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto name = [&b](const char* s) {
        const int n = int(qstrlen(s));
        b.append(char(n)).append(s, n).append(47 - n, '\0');
    };
    i16(version);
    b.append(magic, 14);
    i32(cfgId);
    b.append(25, 'x');   // not read
    i32(57);             // groups
    i32(57 + 4 + 2 * 50);
    i32(57 + 4 + 2 * 50 + 4 + 3 * 50);
    // groups: 0x0100 and a missing 0x0500
    i32(2);
    i16(0x0100), name("Gruppe eins");
    i16(0x0500), name("Fehlt");
    // parameters: 0x0102, a missing 0x0199, 0x0201
    i32(3);
    i16(0x0102), name("Zweiter");
    i16(0x0199), name("Fehlt");
    i16(0x0201), name("Dritter");
    // tables: 7 with mask 3 (values 2 and a missing 3), and a missing table 9
    i32(2);
    i16(7), i16(1);
    i32(3), name("Betriebsart"), i16(2);
    i32(2), name("Zwei");
    i32(3), name("Fehlt");
    i16(9), i16(1);
    i32(1), name("Fehlt"), i16(1);
    i32(1), name("Fehlt");
    return b;
}

class AddFileTest : public qeltest::TempDirTest {
protected:
    QString write(const QByteArray& bytes)
    {
        const QString p = path(QStringLiteral("LNG0021d.add"));
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
};

TEST_F(AddFileTest, OverwritesSecondNamesOfWhatItFinds)
{
    auto cfg = cfgWithNames();
    ASSERT_EQ(cfg->LoadAddFile(write(addBytes())), 0);
    EXPECT_EQ(cfg->GrpList.GetItem(0)->GetName(1), QStringLiteral("Gruppe eins"));
    EXPECT_EQ(cfg->GrpList.GetItem(0)->GetName(0), QStringLiteral("G100"));
    EXPECT_EQ(cfg->GrpList.GetItem(1)->GetName(1), QStringLiteral("G200"));
    EXPECT_EQ(cfg->FindPara(0x0101)->GetName(1), QStringLiteral("P101"));
    EXPECT_EQ(cfg->FindPara(0x0102)->GetName(1), QStringLiteral("Zweiter"));
    EXPECT_EQ(cfg->FindPara(0x0201)->GetName(1), QStringLiteral("Dritter"));
    const TDefRec* d = cfg->PlainTexts.FindId(7)->DefList.GetItem(0);
    EXPECT_EQ(d->GetName(1), QStringLiteral("Betriebsart"));
    EXPECT_EQ(d->SubList.FindValue(1)->GetName(1), QStringLiteral("V1"));
    EXPECT_EQ(d->SubList.FindValue(2)->GetName(1), QStringLiteral("Zwei"));
    EXPECT_EQ(d->SubList.FindValue(2)->GetName(0), QStringLiteral("V2"));
}

TEST_F(AddFileTest, WriterOutputReadsBack)
{
    AddFileNames names;
    names.groups.push_back({0x0200, QStringLiteral("Zweite Gruppe")});
    names.params.push_back({0x0101, QStringLiteral("Erster")});
    names.tables.push_back({7, {{3, QStringLiteral("Art"), {{1, QStringLiteral("Eins")}}}}});
    auto cfg = cfgWithNames();
    ASSERT_EQ(ApplyAddFile(BuildAddFile(21, names), *cfg), 0);
    EXPECT_EQ(cfg->GrpList.GetItem(1)->GetName(1), QStringLiteral("Zweite Gruppe"));
    EXPECT_EQ(cfg->FindPara(0x0101)->GetName(1), QStringLiteral("Erster"));
    EXPECT_EQ(cfg->PlainTexts.GetItem(0)->DefList.GetItem(0)->SubList.FindValue(1)->GetName(1), QStringLiteral("Eins"));
}

TEST_F(AddFileTest, HeaderChecks)
{
    const struct {
        int version;
        const char* magic;
        int cfgId;
        int result;
    } cases[] = {
        {-53, "VORTALIN50_ADD", 21, 0},
        {-52, "vortalin50_add", 21, 0},
        {-51, "VORTALIN50_ADD", 21, kErrNotCfgFile},
        {-53, "VORTALIN50_BIN", 21, kErrNotCfgFile},
        {-53, "VORTALIN50_ADD", 22, kErrOtherCfgFile},
    };
    for (const auto& c : cases) {
        auto cfg = cfgWithNames();
        EXPECT_EQ(cfg->LoadAddFile(write(addBytes(c.version, c.magic, c.cfgId))), c.result) << c.magic << c.version;
        if (c.result != 0) {
            EXPECT_EQ(cfg->FindPara(0x0102)->GetName(1), QStringLiteral("P102"));
        }
    }
    auto cfg = cfgWithNames();
    EXPECT_EQ(cfg->LoadAddFile(path(QStringLiteral("missing.add"))), kIoFileNotFound);
}

TEST_F(AddFileTest, TruncatedFileKeepsTheNamesReadSoFar)
{
    const QByteArray whole = addBytes();
    for (int len = 0; len < whole.size(); ++len) {
        auto cfg = cfgWithNames();
        const int r = cfg->LoadAddFile(write(whole.left(len)));
        if (len < 20)
            EXPECT_EQ(r, kIoReadError) << len;
        else
            EXPECT_EQ(r, 0) << len;
    }
    // Cut inside the parameter section: group names and the first parameter
    // name are set, the rest keep their names.
    auto cfg = cfgWithNames();
    ASSERT_EQ(cfg->LoadAddFile(write(whole.left(57 + 4 + 2 * 50 + 4 + 50 + 10))), 0);
    EXPECT_EQ(cfg->GrpList.GetItem(0)->GetName(1), QStringLiteral("Gruppe eins"));
    EXPECT_EQ(cfg->FindPara(0x0102)->GetName(1), QStringLiteral("Zweiter"));
    EXPECT_EQ(cfg->FindPara(0x0201)->GetName(1), QStringLiteral("P201"));
}

}  // namespace
