#include "config/cfg_codes.h"
#include "config/cfg_file.h"
#include "config/cfg_list.h"
#include "config/progress_iface.h"

#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Bytes laid out by hand, independently of the writer.
class Bytes {
public:
    Bytes& i16(int v)
    {
        b_.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
        return *this;
    }
    Bytes& i32(int64_t v)
    {
        for (int i = 0; i < 4; ++i)
            b_.append(char((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& u8(int v)
    {
        b_.append(char(v));
        return *this;
    }
    Bytes& text(const char* s)
    {
        b_.append(s);
        return *this;
    }
    // Length byte and `size` - 1 bytes.
    Bytes& name(const char* s, int size = 48)
    {
        const int n = int(qstrlen(s));
        u8(n);
        b_.append(s, n);
        b_.append(size - 1 - n, '\0');
        return *this;
    }
    Bytes& zeros(int n)
    {
        b_.append(n, '\0');
        return *this;
    }
    int size() const { return int(b_.size()); }
    const QByteArray& data() const { return b_; }

private:
    QByteArray b_;
};

// The tiny configuration: one group with one parameter, one table with one
// definition and one value; header, info and trailer.
QByteArray tinyFileBytes(int version = -53, const char* magic = "VORTALIN50_BIN")
{
    Bytes b;
    b.i16(version).text(magic).i16(1).i32(12);
    b.i32(54).i32(214).i32(341).i32(466).zeros(16);
    // group block at 54
    b.i32(1).u8(1).text("ru").text("R").i16(0x17).u8(1).u8(0).i16(0x0100).name("Drive").i32(120);
    // parameter block at 120
    b.i32(1).i16(0x0101).i16(7).i32(0).i32(100).i32(5).i32(0x80).i32(0x0E).i16(1).i16(10).i16(0).i16(0x0112);
    b.zeros(4).name("ru01", 5).u8(1).name("Freq");
    // plain-text index at 214
    b.i32(1).i16(7).i32(224);
    // definitions at 224, values at 284
    b.i32(1).i32(3).name("Mode").i32(284);
    b.i32(1).i32(1).u8(0).name("On");
    // info at 341
    b.name("Family").name("T12").i16(1).i16(3).i16(6).i16(2).i16(7).i32(683).i32(12).i32(1);
    b.u8(3).i16(37).i16(-1).i16(0x0E00);
    // trailer at 466
    b.i32(1).i32(-1).i32(0xA55AA55A);
    EXPECT_EQ(b.size(), 478);
    return b.data();
}

std::shared_ptr<TCfgRec> tinyCfg()
{
    auto cfg = std::make_shared<TCfgRec>();
    cfg->CfgId = 12;
    cfg->NewStyle = 1;
    auto table = std::make_shared<TPlainTextRec>();
    table->TextId = 7;
    auto def = std::make_shared<TDefRec>();
    def->Mask = 3;
    def->Name.Set(0, QStringLiteral("Mode"));
    auto sub = std::make_shared<TSubRec>();
    sub->Value = 1;
    sub->Name.Set(0, QStringLiteral("On"));
    def->SubList.Add(sub);
    table->DefList.Add(def);
    cfg->PlainTexts.Add(table);
    auto g = std::make_shared<TGrpRec>();
    g->Index = 1;
    g->IdChar = {'r', 'u'};
    g->Shortcut = 'R';
    g->Prop = 0x17;
    g->MaxPara = 1;
    g->LastPara = 0;
    g->BaseAddr = 0x0100;
    g->Name.Set(0, QStringLiteral("Drive"));
    auto p = std::make_shared<TParaRec>();
    p->Addr = 0x0101;
    p->TextId = 7;
    p->UpperLim = 100;
    p->DefVal = 5;
    p->Attr = 0x80;
    p->Flags = 0x0E;
    p->Mul = 1;
    p->Div = 10;
    p->Format = 0x0112;
    p->SetIdText(QStringLiteral("ru01"));
    p->DefCount = 1;
    p->SetName(0, QStringLiteral("Freq"));
    p->PlainText = table;
    g->ParaList.Add(p);
    cfg->GrpList.Add(g);
    cfg->GroupName = QStringLiteral("Family");
    cfg->TypeName = QStringLiteral("T12");
    cfg->AccessParAdr = 1;
    cfg->SetPtrParAdr = 3;
    cfg->ActSetParAdr = 6;
    cfg->TypeParAdr = 2;
    cfg->FinishParAdr = 7;
    cfg->AccessValue = 683;
    cfg->TypeValue = 12;
    cfg->FinishValue = 1;
    cfg->MaxSet = 3;
    cfg->QuintelCount = 37;
    cfg->QuintelSel = -1;
    cfg->QuintelBase = 0x0E00;
    cfg->ScopeBase = -1;
    return cfg;
}

void putI32(QByteArray& b, int at, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
}

// Counts calls and cancels at a given position.
class ScriptedProgress : public IProgress {
public:
    int cancelAtPosition = -1;
    int starts = 0, finishes = 0, lastMax = -1;
    QString title, cancelText;
    void Start(const QString& t, const QString& c) override
    {
        ++starts;
        title = t;
        cancelText = c;
        cancelled_ = false;
    }
    void SetText(const QString&) override {}
    void SetMax(int max) override { lastMax = max; }
    void SetPosition(int pos) override
    {
        if (pos == cancelAtPosition)
            cancelled_ = true;
    }
    bool Cancelled() const override { return cancelled_; }
    void Finish() override { ++finishes; }

private:
    bool cancelled_ = false;
};

class CfgFileTest : public qeltest::TempDirTest {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString p = path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
    static QByteArray read(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(CfgFileTest, WriterProducesTheHandBuiltBytes)
{
    const QString file = path(QStringLiteral("Para0012.bin"));
    auto cfg = tinyCfg();
    ASSERT_EQ(cfg->SaveToFile(file), 0);
    EXPECT_EQ(read(file), tinyFileBytes());
    EXPECT_EQ(cfg->FileName, file);
    EXPECT_EQ(cfg->FileDate, QFileInfo(file).lastModified());
}

TEST_F(CfgFileTest, ReaderTakesEveryFieldOfTheHandBuiltFile)
{
    TVortalinCfgList list;
    const QString file = write(QStringLiteral("Para0012.bin"), tinyFileBytes());
    ASSERT_EQ(list.LoadFromFile(file, false), 0);
    EXPECT_EQ(list.LastError, 0);
    const TCfgRec* c = list.GetCfg(0);
    ASSERT_NE(c, nullptr);
    const auto want = tinyCfg();
    EXPECT_EQ(c->CfgId, 12);
    EXPECT_EQ(c->NewStyle, 1);
    EXPECT_EQ(c->GroupName, want->GroupName);
    EXPECT_EQ(c->TypeName, want->TypeName);
    EXPECT_EQ(c->AccessParAdr, 1);
    EXPECT_EQ(c->SetPtrParAdr, 3);
    EXPECT_EQ(c->ActSetParAdr, 6);
    EXPECT_EQ(c->TypeParAdr, 2);
    EXPECT_EQ(c->FinishParAdr, 7);
    EXPECT_EQ(c->AccessValue, 683);
    EXPECT_EQ(c->TypeValue, 12);
    EXPECT_EQ(c->FinishValue, 1);
    EXPECT_EQ(c->MaxSet, 3);
    EXPECT_EQ(c->QuintelCount, 37);
    EXPECT_EQ(c->QuintelSel, -1);
    EXPECT_EQ(c->QuintelBase, 0x0E00);
    EXPECT_EQ(c->ScopeBase, -1);
    EXPECT_EQ(c->FileName, file);
    ASSERT_EQ(c->GrpList.Count(), 1);
    const TGrpRec* g = c->GrpList.GetItem(0);
    EXPECT_EQ(g->IdText(), QStringLiteral("ru"));
    EXPECT_EQ(g->Shortcut, 'R');
    EXPECT_EQ(g->Prop, 0x17);
    EXPECT_EQ(g->MaxPara, 1);
    EXPECT_EQ(g->LastPara, 0);
    EXPECT_EQ(g->BaseAddr, 0x0100);
    EXPECT_EQ(g->GetName(0), QStringLiteral("Drive"));
    EXPECT_EQ(g->GetName(1), QStringLiteral("Drive"));
    const TParaRec* p = c->FindPara(0x0101);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->TextId, 7);
    EXPECT_EQ(p->UpperLim, 100);
    EXPECT_EQ(p->DefVal, 5);
    EXPECT_EQ(p->Attr, 0x80u);
    EXPECT_EQ(p->Flags, 0x0Eu);
    EXPECT_EQ(p->Div, 10);
    EXPECT_EQ(p->Format, 0x0112);
    EXPECT_EQ(p->GetIdText(), QStringLiteral("ru01"));
    EXPECT_EQ(p->DefCount, 1);
    EXPECT_EQ(p->GetName(1), QStringLiteral("Freq"));
    ASSERT_NE(p->PlainText, nullptr);
    EXPECT_EQ(p->PlainText.get(), c->PlainTexts.FindId(7));
    EXPECT_EQ(p->ValueToText(1, 0, QLatin1Char('+'), false), QStringLiteral("On"));
}

TEST_F(CfgFileTest, SaveThenLoadGivesTheSameFileAgain)
{
    TVortalinCfgList list;
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), tinyFileBytes()), false), 0);
    const QString again = path(QStringLiteral("b.bin"));
    ASSERT_EQ(list.GetCfg(0)->SaveToFile(again), 0);
    EXPECT_EQ(read(again), tinyFileBytes());
}

TEST_F(CfgFileTest, SecondFileWithTheSameNumberReturnsTheLoadedOne)
{
    TVortalinCfgList list;
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), tinyFileBytes()), false), 0);
    list.LastError = 77;
    // Only the header is read: a damaged body does not matter.
    EXPECT_EQ(list.LoadFromFile(write(QStringLiteral("b.bin"), tinyFileBytes().left(30)), false), 0);
    EXPECT_EQ(list.LastError, 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetCfg(0)->FileName, path(QStringLiteral("a.bin")));
}

TEST_F(CfgFileTest, VersionAndMagicChecks)
{
    const struct {
        int version;
        const char* magic;
        bool ok;
    } cases[] = {
        {-53, "VORTALIN50_BIN", true}, {-52, "VORTALIN50_BIN", true}, {-60, "VORTALIN50_BIN", true},
        {-53, "vortalin50_bin", true},  {-51, "VORTALIN50_BIN", false}, {0, "VORTALIN50_BIN", false},
        {53, "VORTALIN50_BIN", false},  {-53, "VORTALIN50_ADD", false}, {-53, "VORTALIN40_BIN", false},
    };
    for (const auto& c : cases) {
        TVortalinCfgList list;
        const int r = list.LoadFromFile(write(QStringLiteral("v.bin"), tinyFileBytes(c.version, c.magic)), false);
        EXPECT_EQ(r, c.ok ? 0 : -1) << c.version << c.magic;
        EXPECT_EQ(list.LastError, c.ok ? 0 : kErrNotCfgFile) << c.version << c.magic;
        EXPECT_EQ(list.Count(), c.ok ? 1 : 0);
    }
}

TEST_F(CfgFileTest, MissingFileGivesTheIoCode)
{
    TVortalinCfgList list;
    EXPECT_EQ(list.LoadFromFile(path(QStringLiteral("none.bin")), false), -1);
    EXPECT_EQ(list.LastError, kIoFileNotFound);
    EXPECT_EQ(list.LoadFromFile(path(QStringLiteral("nodir/none.bin")), false), -1);
    EXPECT_EQ(list.LastError, kIoPathNotFound);
}

TEST_F(CfgFileTest, OlderVersionDerivesScopeBase)
{
    // -52 ignores the trailer offset: ScopeBase from NewStyle.
    QByteArray b = tinyFileBytes(-52);
    TVortalinCfgList list;
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), b), false), 0);
    EXPECT_EQ(list.GetCfg(0)->ScopeBase, -1);
    b[16] = 0;  // NewStyle clear
    putI32(b, 18, 13);
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("b.bin"), b), false), 1);
    EXPECT_EQ(list.GetCfg(1)->ScopeBase, 0x3200);
    EXPECT_EQ(list.GetCfg(1)->NewStyle, 0);
}

TEST_F(CfgFileTest, TrailerRules)
{
    TVortalinCfgList list;
    QByteArray noTrailer = tinyFileBytes();
    putI32(noTrailer, 34, 0);
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), noTrailer), false), 0);
    EXPECT_EQ(list.GetCfg(0)->ScopeBase, 0);
    QByteArray zeroEntries = tinyFileBytes();
    putI32(zeroEntries, 18, 13);
    putI32(zeroEntries, 466, 0);
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("b.bin"), zeroEntries.left(470)), false), 1);
    EXPECT_EQ(list.GetCfg(1)->ScopeBase, 0);  // the words behind a count of 0 are not needed
    QByteArray scope = tinyFileBytes();
    putI32(scope, 18, 14);
    putI32(scope, 470, 0x12F00);  // low 16 bits
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("c.bin"), scope), false), 2);
    EXPECT_EQ(list.GetCfg(2)->ScopeBase, 0x2F00);
}

TEST_F(CfgFileTest, MissingInfoGivesTheDefaults)
{
    QByteArray b = tinyFileBytes();
    putI32(b, 30, 0);
    TVortalinCfgList list;
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), b), false), 0);
    const TCfgRec* c = list.GetCfg(0);
    EXPECT_EQ(c->GroupName, QString());
    EXPECT_EQ(c->TypeName, QString());
    EXPECT_EQ(c->AccessParAdr, -1);
    EXPECT_EQ(c->SetPtrParAdr, -1);
    EXPECT_EQ(c->ActSetParAdr, -1);
    EXPECT_EQ(c->TypeParAdr, -1);
    EXPECT_EQ(c->FinishParAdr, -1);
    EXPECT_EQ(c->MaxSet, 7);
    EXPECT_EQ(c->QuintelCount, 0);
    EXPECT_EQ(c->AccessValue, 0);
}

TEST_F(CfgFileTest, GroupWithoutParametersIsDropped)
{
    TVortalinCfgList list;
    QByteArray noBlock = tinyFileBytes();
    putI32(noBlock, 54 + 4 + 58, 0);  // group's parameter offset
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), noBlock), false), 0);
    EXPECT_EQ(list.GetCfg(0)->GrpList.Count(), 0);
    QByteArray empty = tinyFileBytes();
    putI32(empty, 18, 13);
    putI32(empty, 120, 0);  // parameter count
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("b.bin"), empty), false), 1);
    EXPECT_EQ(list.GetCfg(1)->GrpList.Count(), 0);
}

TEST_F(CfgFileTest, CountsAndLengthsFromTheFileAreNotTrusted)
{
    TVortalinCfgList list;
    // Negative counts read as 0.
    QByteArray negative = tinyFileBytes();
    putI32(negative, 214, -5);
    putI32(negative, 54, -1);
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), negative), false), 0);
    EXPECT_EQ(list.GetCfg(0)->PlainTexts.Count(), 0);
    EXPECT_EQ(list.GetCfg(0)->GrpList.Count(), 0);
    // Length bytes above the field are cut to the field.
    QByteArray longNames = tinyFileBytes();
    putI32(longNames, 18, 13);
    longNames[120 + 4 + 36] = char(200);  // IdText length
    longNames[120 + 4 + 42] = char(255);  // name length
    ASSERT_EQ(list.LoadFromFile(write(QStringLiteral("b.bin"), longNames), false), 1);
    const TParaRec* p = list.GetCfg(1)->FindPara(0x0101);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetIdText(), QStringLiteral("ru01"));
    EXPECT_EQ(p->GetName(0).size(), 47);
    EXPECT_TRUE(p->GetName(0).startsWith(QStringLiteral("Freq")));
    // A huge count with no bytes behind it fails without allocating.
    QByteArray huge = tinyFileBytes();
    putI32(huge, 18, 14);
    putI32(huge, 120, 0x7FFFFFFF);
    EXPECT_EQ(list.LoadFromFile(write(QStringLiteral("c.bin"), huge), false), -1);
    EXPECT_EQ(list.LastError, kIoReadError);
    // An offset outside the file fails.
    QByteArray far = tinyFileBytes();
    putI32(far, 18, 15);
    putI32(far, 26, 1 << 30);
    EXPECT_EQ(list.LoadFromFile(write(QStringLiteral("d.bin"), far), false), -1);
    EXPECT_EQ(list.LastError, kIoReadError);
    putI32(far, 26, -4);
    EXPECT_EQ(list.LoadFromFile(write(QStringLiteral("e.bin"), far), false), -1);
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(CfgFileTest, TruncationAtEveryLengthFailsCleanly)
{
    const QByteArray whole = tinyFileBytes();
    TVortalinCfgList list;
    // The trailer's end mark is written but not read: 474 bytes are enough.
    for (int len = 0; len < 474; ++len) {
        const int r = list.LoadFromFile(write(QStringLiteral("t.bin"), whole.left(len)), false);
        ASSERT_EQ(r, -1) << len;
        EXPECT_EQ(list.LastError, kIoReadError) << len;
        EXPECT_EQ(list.Count(), 0) << len;
    }
    EXPECT_EQ(list.LoadFromFile(write(QStringLiteral("t.bin"), whole), false), 0);
}

TEST_F(CfgFileTest, ProgressAndCancel)
{
    TVortalinCfgList list;
    auto progress = std::make_unique<ScriptedProgress>();
    ScriptedProgress* prog = progress.get();
    list.SetProgress(std::move(progress));
    list.LoadTitle = QStringLiteral("Loading");
    list.CancelText = QStringLiteral("Cancel");
    prog->cancelAtPosition = 0;
    EXPECT_EQ(list.LoadFromFile(write(QStringLiteral("a.bin"), tinyFileBytes()), true), kErrCancelled);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(prog->starts, 1);
    EXPECT_EQ(prog->finishes, 1);
    EXPECT_EQ(prog->title, QStringLiteral("Loading"));
    EXPECT_EQ(prog->cancelText, QStringLiteral("Cancel"));
    prog->cancelAtPosition = -1;
    EXPECT_EQ(list.LoadFromFile(path(QStringLiteral("a.bin")), true), 0);
    EXPECT_EQ(prog->lastMax, 1);
    EXPECT_EQ(prog->finishes, 2);
    // Without ShowProgress nothing is shown.
    list.Delete(0);
    EXPECT_EQ(list.LoadFromFile(path(QStringLiteral("a.bin")), false), 0);
    EXPECT_EQ(prog->starts, 2);
}

TEST_F(CfgFileTest, FailedSaveKeepsTheOldFile)
{
    const QString file = path(QStringLiteral("Para0012.bin"));
    auto cfg = tinyCfg();
    ASSERT_EQ(cfg->SaveToFile(file), 0);
    const QByteArray before = read(file);
    // A file size limit below the file's size makes the write fail half way
    // (as a full disk would), whatever rights the test runs with.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    cfg->CfgId = 99;
    const int r = cfg->SaveToFile(path(QStringLiteral("Para0012.bin")));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r, kIoWriteError);
    EXPECT_EQ(read(file), before);
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files), QStringList{QStringLiteral("Para0012.bin")});  // no temporary left
    EXPECT_EQ(cfg->SaveToFile(path(QStringLiteral("nodir/x.bin"))), kIoPathNotFound);
}

TEST_F(CfgFileTest, WriteProtectedFileIsNotOverwritten)
{
    const QString file = path(QStringLiteral("Para0012.bin"));
    auto cfg = tinyCfg();
    ASSERT_EQ(cfg->SaveToFile(file), 0);
    const QByteArray before = read(file);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString other = path(QStringLiteral("other.bin"));
    cfg->FileName = other;
    cfg->CfgId = 99;
    EXPECT_EQ(cfg->SaveToFile(file), kIoAccessDenied);
    EXPECT_EQ(read(file), before);
    EXPECT_EQ(cfg->FileName, other);
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files), QStringList{QStringLiteral("Para0012.bin")});
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(CfgFileTest, NewFileFollowsTheUmaskAndAnOldOneKeepsItsRights)
{
    const mode_t oldMask = ::umask(077);
    const QString file = path(QStringLiteral("Para0012.bin"));
    auto cfg = tinyCfg();
    const int r = cfg->SaveToFile(file);
    ::umask(oldMask);
    ASSERT_EQ(r, 0);
    // Unix rights as QFile reports them: user, group, other.
    const auto unixRights = [&file] { return QFile::permissions(file) & QFileDevice::Permissions(0x0777); };
    EXPECT_EQ(unixRights(), QFile::ReadUser | QFile::WriteUser);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_EQ(cfg->SaveToFile(file), 0);
    EXPECT_EQ(unixRights(), QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
}

TEST_F(CfgFileTest, SaveThroughASymbolicLinkWritesTheLinkedFile)
{
    const QString real = path(QStringLiteral("real.bin"));
    const QString link = path(QStringLiteral("Para0012.bin"));
    auto cfg = tinyCfg();
    ASSERT_EQ(cfg->SaveToFile(real), 0);
    ASSERT_TRUE(QFile::link(real, link));
    cfg->CfgId = 99;
    ASSERT_EQ(cfg->SaveToFile(link), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(real), BuildCfgFile(*cfg));
    EXPECT_EQ(cfg->FileName, link);
}

TEST_F(CfgFileTest, NamesUseWindows1252)
{
    auto cfg = tinyCfg();
    cfg->GrpList.GetItem(0)->ParaList.GetItem(0)->SetName(0, QStringLiteral("K\u00FChlk\u00F6rper \u00B0C"));
    const QString file = path(QStringLiteral("x.bin"));
    ASSERT_EQ(cfg->SaveToFile(file), 0);
    const QByteArray bytes = read(file);
    EXPECT_EQ(bytes.mid(120 + 4 + 42, 14), QByteArray("\x0DK\xFChlk\xF6rper \xB0" "C", 14));
    TVortalinCfgList list;
    ASSERT_EQ(list.LoadFromFile(file, false), 0);
    EXPECT_EQ(list.GetCfg(0)->FindPara(0x0101)->GetName(0), QStringLiteral("K\u00FChlk\u00F6rper \u00B0C"));
}

}  // namespace
