// The sample inverter types: generated files load, agree with their sources,
// and dump back to a source that builds the same bytes.

#include "config/cfg_codes.h"
#include "config/cfg_file.h"
#include "config/cfg_list.h"
#include "tools/cfgtool/cfg_source.h"

#include "temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString configDir()
{
    return QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs"));
}

QByteArray readFile(const QString& p)
{
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const int kSampleIds[] = {3, 21, 22, 25, 26};

class SampleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(QDir(configDir()).filePath(QStringLiteral("Para0021.bin"))))
            FAIL() << "sample configuration files missing in " << qPrintable(configDir())
                   << " (build the sample_configs target)";
    }
    QString binFile(int id) const { return QDir(configDir()).filePath(TVortalinCfgList::BinFileName(id)); }
};

TEST_F(SampleTest, EverySampleLoadsAndDumpsBackToTheSameBytes)
{
    TVortalinCfgList list;
    for (int id : kSampleIds) {
        const int index = list.LoadFromFile(binFile(id), false);
        ASSERT_GE(index, 0) << id << " error " << list.LastError;
        const TCfgRec* cfg = list.GetCfg(index);
        EXPECT_EQ(cfg->CfgId, id);
        EXPECT_GT(cfg->GrpList.Count(), 3);
        // Files keep their group order, and a configuration's groups are sorted by index.
        for (int g = 1; g < cfg->GrpList.Count(); ++g)
            EXPECT_LE(cfg->GrpList.GetItem(g - 1)->Index, cfg->GrpList.GetItem(g)->Index) << id << " group " << g;

        const QByteArray bytes = readFile(binFile(id));
        CfgFileHeader header;
        ASSERT_EQ(ParseCfgHeader(bytes, header), 0);
        CfgSource src;
        QStringList errors;
        ASSERT_TRUE(CfgSourceFromJsonText(CfgSourceToJsonText(*cfg, LayoutOf(header)), src, errors)) << qPrintable(errors.join('\n'));
        EXPECT_EQ(BuildCfgFile(*src.cfg, src.layout), bytes) << id;
        EXPECT_TRUE(CheckHeaderParams(src).isEmpty()) << qPrintable(CheckHeaderParams(src).join('\n'));
    }
}

TEST_F(SampleTest, EveryCutOfTheFullSampleIsAReadError)
{
    const QByteArray whole = readFile(binFile(21));
    // The trailer's end mark is not read, so the last four bytes may go.
    for (qsizetype len = 0; len < whole.size() - 4; ++len) {
        const QByteArray cut = whole.left(len);
        CfgFileHeader header;
        int rc = ParseCfgHeader(cut, header);
        if (rc == 0) {
            TCfgRec cfg;
            rc = ParseCfgBody(cut, header, cfg, nullptr);
        }
        ASSERT_EQ(rc, kIoReadError) << len;
    }
}

TEST_F(SampleTest, IdentificationRefinesEightAndTwelve)
{
    // 0x160F reports 8 or 12; parameter 0x0B08 present or not.
    const struct {
        int id, reported;
        bool hasB08;
    } cases[] = {{21, 8, true}, {22, 12, true}, {25, 8, false}, {26, 12, false}};
    TVortalinCfgList list;
    for (const auto& c : cases) {
        const TCfgRec* cfg = list.GetCfg(list.LoadFromFile(binFile(c.id), false));
        ASSERT_NE(cfg, nullptr);
        ASSERT_NE(cfg->FindPara(0x160F), nullptr);
        EXPECT_EQ(cfg->FindPara(0x160F)->DefVal, c.reported);
        EXPECT_EQ(cfg->FindPara(0x0B08) != nullptr, c.hasB08) << c.id;
        EXPECT_EQ(cfg->TypeValue, c.id);
        EXPECT_EQ(cfg->FindPara(2)->ValueToText(c.id, 0, QLatin1Char('+'), false), cfg->TypeName);
    }
}

TEST_F(SampleTest, FullTypeCoversEveryKindFormAndFlag)
{
    TVortalinCfgList list;
    const TCfgRec* cfg = list.GetCfg(list.LoadFromFile(binFile(21), false));
    ASSERT_NE(cfg, nullptr);
    EXPECT_EQ(cfg->NewStyle, 1);
    bool kinds[4] = {}, displays[16] = {};
    uint32_t attrs = 0, flags = 0;
    bool supervisorGroup = false, invisibleGroup = false, multiFieldTable = false;
    for (const auto& g : cfg->GrpList) {
        supervisorGroup |= (g->Prop & 7) == 7;
        invisibleGroup |= !(g->Prop & 0x10);
        for (const auto& p : g->ParaList) {
            kinds[(p->Format >> 6) & 3] = true;
            displays[(p->Format >> 8) & 0xF] = true;
            attrs |= p->Attr;
            flags |= p->Flags;
            multiFieldTable |= p->PlainText && p->PlainText->DefList.Count() >= 3;
        }
    }
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(kinds[k]) << "kind " << k;
    for (int d = 0; d <= 8; ++d)
        EXPECT_TRUE(displays[d]) << "display " << d;
    for (uint32_t bit : {ParaAttr::Signed, ParaAttr::PerSet, ParaAttr::VarLowerLim, ParaAttr::VarUpperLim, ParaAttr::VarDefault})
        EXPECT_EQ(attrs & bit, bit) << std::hex << bit;
    for (uint32_t bit : {ParaFlag::NoNumFallback, ParaFlag::DownloadWA, ParaFlag::DownloadWO, ParaFlag::NotInCompleteList,
                         ParaFlag::NoDecPrefix, ParaFlag::DownloadRO, ParaFlag::ConfirmWrite, ParaFlag::IndexPara})
        EXPECT_EQ(flags & bit, bit) << std::hex << bit;
    EXPECT_TRUE(supervisorGroup);
    EXPECT_TRUE(invisibleGroup);
    EXPECT_TRUE(multiFieldTable);
    EXPECT_GE(cfg->ScopeBase, 0);
    EXPECT_NE(cfg->FindPara(cfg->ScopeBase + 13), nullptr);
    EXPECT_TRUE(cfg->FindPara(cfg->ScopeBase + 4)->Flags & 0x800);  // microseconds
    EXPECT_GT(cfg->QuintelCount, 0);
    EXPECT_NE(cfg->FindPara(cfg->QuintelBase + 75), nullptr);
    for (int a = 33; a <= 40; ++a)
        EXPECT_NE(cfg->FindPara(a), nullptr) << a;
}

TEST_F(SampleTest, OlderTypeHasNoSetsAndTheImpliedScopeBlock)
{
    TVortalinCfgList list;
    const TCfgRec* cfg = list.GetCfg(list.LoadFromFile(binFile(3), false));
    ASSERT_NE(cfg, nullptr);
    EXPECT_EQ(readFile(binFile(3)).left(2), QByteArray("\xCC\xFF", 2));  // -52
    EXPECT_EQ(cfg->NewStyle, 0);
    EXPECT_EQ(cfg->ScopeBase, 0x3200);
    EXPECT_NE(cfg->FindPara(0x3200 + 13), nullptr);
}

TEST_F(SampleTest, GermanNamesFromTheSecondLanguageFile)
{
    TVortalinCfgList list;
    TCfgRec* cfg = list.GetCfg(list.LoadFromFile(binFile(21), false));
    ASSERT_NE(cfg, nullptr);
    const QString add = QDir(configDir()).filePath(TVortalinCfgList::AddFileName(21, 1));
    ASSERT_EQ(cfg->LoadAddFile(add), 0);
    EXPECT_EQ(cfg->FindPara(0x0101)->GetName(1), QStringLiteral("Maximalfrequenz"));
    EXPECT_EQ(cfg->FindPara(0x0101)->GetName(0), QStringLiteral("Maximum frequency"));
    EXPECT_EQ(cfg->FindPara(0x1601)->GetName(1), QStringLiteral("Temperatur K\u00FChlk\u00F6rper"));
    EXPECT_EQ(cfg->GrpList.FindGroup(0x0100)->GetName(1), QStringLiteral("Antrieb"));
    EXPECT_EQ(cfg->FindPara(0x0301)->ValueToText(0x11, 1, QLatin1Char('+'), false), QStringLiteral("Ein+Halt+Klemme"));
    // The file of another number is refused.
    TCfgRec* other = list.GetCfg(list.LoadFromFile(binFile(22), false));
    EXPECT_EQ(other->LoadAddFile(add), kErrOtherCfgFile);
}

TEST(CfgSource, ErrorsInTheSourceAreReported)
{
    const char* bad = R"({"cfgId": 5, "newStyle": true, "groups": [
        {"index": 1, "idChar": "ab", "baseAddr": "0x0100", "name": "G", "params": [
          {"addr": "0x0101", "name": "This name is far longer than forty-seven characters"},
          {"addr": "0x0101", "name": "Twice"},
          {"addr": "0x0201", "name": "Elsewhere"},
          {"addr": "0x0102", "name": "Euro \u20AC ok"},
          {"addr": "0x0103", "name": "Not 1252 \u0416"},
          {"addr": "zz", "name": "Bad number"}]}]})";
    CfgSource src;
    QStringList errors;
    EXPECT_FALSE(CfgSourceFromJsonText(bad, src, errors));
    const QString all = errors.join('\n');
    EXPECT_TRUE(all.contains(QStringLiteral("params[0].name: longer than 47"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(QStringLiteral("params[1].addr: address used twice"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(QStringLiteral("params[2].addr: not in the group"))) << qPrintable(all);
    EXPECT_FALSE(all.contains(QStringLiteral("params[3]"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(QStringLiteral("params[4].name: not representable"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(QStringLiteral("params[5].addr: not an integer"))) << qPrintable(all);
}

TEST(CfgSource, HeaderParametersMustAgreeWithTheInfo)
{
    const char* text = R"({"cfgId": 5, "newStyle": true, "info": {"maxSet": 3, "accessParAdr": 1},
        "groups": [{"index": 0, "idChar": "iv", "baseAddr": 0, "name": "G", "params": [
          {"addr": 4, "name": "Highest set", "defVal": 2},
          {"addr": 5, "name": "Password address", "defVal": 1}]}]})";
    CfgSource src;
    QStringList errors;
    ASSERT_TRUE(CfgSourceFromJsonText(text, src, errors)) << qPrintable(errors.join('\n'));
    const QStringList problems = CheckHeaderParams(src);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("maxSet")));
}

}  // namespace
