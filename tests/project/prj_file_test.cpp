// The project file: exact bytes written, reading hand-written files, the
// reader's tolerance and failure rules, saving and the project for one file.

#include "prj_fixture.h"

#include "config/cfg_codes.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace prjtest;

namespace {

// The small project of the exact-bytes tests.
const char kSmallPrj[] =
    "[PROJECT]\r\n"
    "NAME=Line 3\r\n"
    "WATCHINTERVAL=30\r\n"
    "\r\n"
    "[REMARKS]\r\n"
    "LINE0=Commissioned\r\n"
    "LINE1=Hall B\r\n"
    "\r\n"
    "[GLOBALFILES]\r\n"
    "WORK0=/data/Main.wr5\r\n"
    "REM0=/data/Plan.TXT\r\n"
    "\r\n"
    "[INV1]\r\n"
    "CFGID=8\r\n"
    "PROT=1\r\n"
    "NAME=Press\r\n"
    "\r\n"
    "[FILES1]\r\n"
    "FILES1DOWN0=/data/Press.dw5\r\n"
    "FILES1DOWN1=/data/Press.op5\r\n"
    "FILES1SCOPE0=/data/Run.SCO\r\n"
    "\r\n"
    "[INV12]\r\n"
    "CFGID=5\r\n"
    "PROT=0\r\n"
    "NAME=Fan\r\n"
    "\r\n"
    "[WINDOW0]\r\n"
    "WDWTYPE=0\r\n"
    "INVNR=-2\r\n"
    "FILENAME=\r\n"
    "STATE=2\r\n"
    "HEIGHT=300\r\n"
    "WIDTH=400\r\n"
    "LEFT=20\r\n"
    "TOP=100\r\n"
    "\r\n"
    "[WINDOW1]\r\n"
    "WDWTYPE=3\r\n"
    "INVNR=1\r\n"
    "FILENAME=/data/Main.wr5\r\n"
    "STATE=0\r\n"
    "HEIGHT=200\r\n"
    "WIDTH=500\r\n"
    "LEFT=10\r\n"
    "TOP=5\r\n";

class PrjFileTest : public PrjTest {
protected:
    void buildSmallProject()
    {
        makeCfgFile(8);
        makeCfgFile(5);
        prj.PrjName = QStringLiteral("Line 3");
        prj.SetWatchInterval(30);
        prj.Remarks = {QStringLiteral("Commissioned"), QStringLiteral("Hall B")};
        ASSERT_EQ(prj.AddInv(12, 5, QStringLiteral("Fan"), prOffline, false), 0);
        ASSERT_EQ(prj.AddInv(1, 8, QStringLiteral("Press"), prANSI, false), 0);
        ASSERT_EQ(prj.AddFile(QStringLiteral("/data/Plan.TXT"), -1), 0);
        ASSERT_EQ(prj.AddFile(QStringLiteral("/data/Main.wr5"), -1), 0);
        ASSERT_EQ(prj.AddFile(QStringLiteral("/data/Run.SCO"), 1), 0);
        ASSERT_EQ(prj.AddFile(QStringLiteral("/data/Press.dw5"), 1), 0);
        ASSERT_EQ(prj.AddFile(QStringLiteral("/data/Press.op5"), 1), 1);
        TSavedWdwRec& w0 = *prj.GetWdw(prj.AddWdw());
        w0 = {0, -2, QString(), 2, 300, 400, 20, 100};
        TSavedWdwRec& w1 = *prj.GetWdw(prj.AddWdw());
        w1 = {3, 1, QStringLiteral("/data/Main.wr5"), 0, 200, 500, 10, 5};
        changes.clear();
    }

    static void expectSmallProject(const TVortalinPrj& prj)
    {
        EXPECT_EQ(prj.PrjName, QStringLiteral("Line 3"));
        EXPECT_EQ(prj.WatchInterval(), 30);
        EXPECT_EQ(prj.Remarks, (QStringList{QStringLiteral("Commissioned"), QStringLiteral("Hall B")}));
        EXPECT_EQ(prj.WorkFiles, QStringList{QStringLiteral("/data/Main.wr5")});
        EXPECT_EQ(prj.RemFiles, QStringList{QStringLiteral("/data/Plan.TXT")});
        EXPECT_TRUE(prj.DownFiles.isEmpty());
        EXPECT_TRUE(prj.ScopeFiles.isEmpty());
        ASSERT_EQ(prj.InvCount(), 2);
        const TPrjInvRec* press = prj.GetInv(1);
        ASSERT_NE(press, nullptr);
        EXPECT_EQ(press->Name, QStringLiteral("Press"));
        EXPECT_EQ(press->Prot, prANSI);
        EXPECT_EQ(press->PrjCfgId, 8);
        EXPECT_EQ(press->CfgId, 8);
        ASSERT_NE(press->Cfg, nullptr);
        EXPECT_EQ(press->Cfg->CfgId, 8);
        EXPECT_EQ(press->DownFiles,
                  (QStringList{QStringLiteral("/data/Press.dw5"), QStringLiteral("/data/Press.op5")}));
        EXPECT_EQ(press->ScopeFiles, QStringList{QStringLiteral("/data/Run.SCO")});
        const TPrjInvRec* fan = prj.GetInv(12);
        ASSERT_NE(fan, nullptr);
        EXPECT_EQ(fan->Name, QStringLiteral("Fan"));
        EXPECT_EQ(fan->Prot, prOffline);
        EXPECT_EQ(fan->CfgId, 5);
        ASSERT_EQ(prj.WdwCount(), 2);
        const TSavedWdwRec& w1 = *prj.GetWdw(1);
        EXPECT_EQ(w1.WdwType, 3);
        EXPECT_EQ(w1.InvNr, 1);
        EXPECT_EQ(w1.FileName, QStringLiteral("/data/Main.wr5"));
        EXPECT_EQ(w1.State, 0);
        EXPECT_EQ(w1.Height, 200);
        EXPECT_EQ(w1.Width, 500);
        EXPECT_EQ(w1.Left, 10);
        EXPECT_EQ(w1.Top, 5);
        EXPECT_EQ(prj.GetWdw(0)->InvNr, -2);
        EXPECT_EQ(prj.GetWdw(0)->State, 2);
    }
};

TEST_F(PrjFileTest, WritesTheExactFileOfASmallProject)
{
    buildSmallProject();
    const QString file = path(QStringLiteral("Plant/Line3.pr5"));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("Plant"))));
    prj.Modified = true;
    ASSERT_EQ(prj.SaveToFile(file), 0);
    EXPECT_EQ(readBytes(file), QByteArray(kSmallPrj));
    EXPECT_FALSE(prj.Modified);
    // The name keeps its case, and a new name is news for the caption.
    EXPECT_EQ(prj.FileName, file);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral});
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(PrjFileTest, ReadsTheSmallProjectFromHandWrittenBytes)
{
    makeCfgFile(8);
    makeCfgFile(5);
    const QString file = writeFile(QStringLiteral("Line3.pr5"), kSmallPrj);
    EXPECT_EQ(prj.LoadFromFile(file), 0);
    expectSmallProject(prj);
    EXPECT_EQ(prj.FileName, file);
    EXPECT_FALSE(prj.Modified);
    EXPECT_EQ(prj.Count(), 2);  // the two configurations in use
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral | pcInvAdded});
    EXPECT_EQ(protChanges, (std::vector<std::pair<int, TProt>>{{1, prANSI}, {12, prOffline}}));
}

TEST_F(PrjFileTest, SavedProjectReadsBackTheSame)
{
    buildSmallProject();
    const QString file = path(QStringLiteral("again.pr5"));
    ASSERT_EQ(prj.SaveToFile(file), 0);
    TVortalinPrj other;
    other.BinPath = prj.BinPath;
    ASSERT_EQ(other.LoadFromFile(file), 0);
    expectSmallProject(other);
}

TEST_F(PrjFileTest, ReaderIsTolerantOfLayoutCaseBlanksAndOrder)
{
    makeCfgFile(8);
    const QString longPath = QStringLiteral("/very/") + QString(120, u'x') + QStringLiteral("/Deep.Wr5");
    const QString longRemark = QString(95, u'r') + QStringLiteral("12345678  ");
    const QByteArray bytes =
        "; written by hand\n"
        "[remarks]\n"
        "  anything = " + longRemark.toLatin1() + "\n"
        "\n"
        "line9=  second  \n"
        "[Project]\n"
        "WatchInterval = 0\n"
        "name =  Hall A  \n"
        "NAME=ignored duplicate\n"
        "[globalfiles]\n"
        "x=/Data/Notes\n"
        "y = /Data/Trace.TRC\n"
        "z=\n"
        "[inv7]\n"
        "name=Pump\n"
        "prot=2\n"
        "cfgid=8\n"
        "[files7]\n"
        "a=" + longPath.toLatin1() + "\n"
        "b=/Data/Rec.sc5\n"
        "[window3]\n"
        "top=1\nleft=2\nwidth=3\nheight=4\nstate=1\nfilename=###\ninvnr=7\nwdwtype=2\n";
    const QString file = writeFile(QStringLiteral("hand.pr5"), bytes);
    ASSERT_EQ(prj.LoadFromFile(file), 0);
    EXPECT_EQ(prj.PrjName, QStringLiteral("Hall A"));
    EXPECT_EQ(prj.WatchInterval(), 0);
    // Remarks: text after the first '=', cut to 100 characters, trimmed.
    const QString afterEq = u' ' + longRemark;
    EXPECT_EQ(prj.Remarks, (QStringList{afterEq.left(100).trimmed(), QStringLiteral("second")}));
    EXPECT_EQ(prj.Remarks[0].size(), 99);
    // Files keep their case and full length; empty values are no files.
    EXPECT_EQ(prj.RemFiles, QStringList{QStringLiteral("/Data/Notes")});
    EXPECT_EQ(prj.WorkFiles, QStringList{QStringLiteral("/Data/Trace.TRC")});
    const TPrjInvRec* pump = prj.GetInv(7);
    ASSERT_NE(pump, nullptr);
    EXPECT_EQ(pump->Prot, prZelk);
    EXPECT_EQ(pump->Name, QStringLiteral("Pump"));
    EXPECT_EQ(pump->WorkFiles, QStringList{longPath});
    EXPECT_EQ(pump->ScopeFiles, QStringList{QStringLiteral("/Data/Rec.sc5")});
    ASSERT_EQ(prj.WdwCount(), 1);
    const TSavedWdwRec& w = *prj.GetWdw(0);
    EXPECT_EQ(w.WdwType, 2);
    EXPECT_EQ(w.InvNr, 7);
    EXPECT_EQ(w.FileName, QStringLiteral("###"));
    EXPECT_EQ(w.State, 1);
    EXPECT_EQ(w.Height, 4);
    EXPECT_EQ(w.Width, 3);
    EXPECT_EQ(w.Left, 2);
    EXPECT_EQ(w.Top, 1);
}

TEST_F(PrjFileTest, MissingFileGivesAnEmptyProjectNamedByTheDefault)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(3, 8, QStringLiteral("Old"), prANSI, false), 0);
    prj.Remarks = {QStringLiteral("old")};
    prj.AddFile(QStringLiteral("/old.wr5"), -1);
    prj.AddWdw();
    changes.clear();
    const QString file = path(QStringLiteral("none.pr5"));
    EXPECT_EQ(prj.LoadFromFile(file), 1);
    EXPECT_EQ(prj.PrjName, QStringLiteral("###"));
    EXPECT_EQ(prj.InvCount(), 0);
    EXPECT_TRUE(prj.Remarks.isEmpty());
    EXPECT_TRUE(prj.WorkFiles.isEmpty());
    EXPECT_EQ(prj.WdwCount(), 0);
    EXPECT_EQ(prj.WatchInterval(), 5);  // stays
    EXPECT_EQ(prj.FileName, file);
    // The entry went: the main window must restart the scheduler.
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral | pcInvRemoved});
    EXPECT_EQ(prj.Count(), 0);  // its configuration went with it
}

TEST_F(PrjFileTest, UnreadableFileReadsLikeAnEmptyOne)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.pr5"))));
    prj.Remarks = {QStringLiteral("old")};
    EXPECT_EQ(prj.LoadFromFile(path(QStringLiteral("folder.pr5"))), 1);
    EXPECT_EQ(prj.PrjName, QStringLiteral("###"));
    EXPECT_TRUE(prj.Remarks.isEmpty());
    EXPECT_EQ(prj.FileName, path(QStringLiteral("folder.pr5")));
}

// What a file holds, and what the reader makes of it.
struct ReadCase {
    const char* what;
    const char* body;
    int result;
    QString name;
    int interval;
    std::vector<int> entries;  // addresses
    int windows;
};

TEST_F(PrjFileTest, ReaderFailureRulesAndPresenceOfKeys)
{
    makeCfgFile(8);
    const ReadCase cases[] = {
        {"complete", "[PROJECT]\nNAME=P\nWATCHINTERVAL=9\n", 0, "P", 9, {}, 0},
        {"name missing, rest read", "[PROJECT]\nWATCHINTERVAL=9\n[INV2]\nCFGID=8\nPROT=1\nNAME=A\n", 1,
         "###", 9, {2}, 0},
        {"interval missing", "[PROJECT]\nNAME=P\n", 1, "P", 5, {}, 0},
        {"interval not a number", "[PROJECT]\nNAME=P\nWATCHINTERVAL=often\n", 1, "P", 5, {}, 0},
        {"interval -1 counts as missing", "[PROJECT]\nNAME=P\nWATCHINTERVAL=-1\n", 1, "P", 5, {}, 0},
        {"other negative interval is taken", "[PROJECT]\nNAME=P\nWATCHINTERVAL=-2\n", 0, "P", -2, {}, 0},
        {"project and inverter named ###",
         "[PROJECT]\nNAME=###\nWATCHINTERVAL=7\n[INV4]\nCFGID=8\nPROT=0\nNAME=###\n", 0, "###", 7, {4}, 0},
        {"negative, missing or bad CFGID, or no NAME: no entry",
         "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n[INV1]\nCFGID=-1\nPROT=1\nNAME=A\n"
         "[INV2]\nPROT=1\nNAME=B\n[INV3]\nCFGID=x\nPROT=1\nNAME=C\n[INV4]\nCFGID=8\nPROT=1\n"
         "[INV5]\nCFGID=8\nPROT=1\nNAME=E\n",
         0, "P", 7, {5}, 0},
        {"PROT not a number stops the reading",
         "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n[INV1]\nCFGID=8\nPROT=1\nNAME=A\n"
         "[INV2]\nCFGID=8\nPROT=x\nNAME=B\n[INV3]\nCFGID=8\nPROT=1\nNAME=C\n"
         "[WINDOW0]\nWDWTYPE=0\nINVNR=1\nFILENAME=\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=1\nTOP=1\n",
         1, "P", 7, {1}, 0},
        {"PROT missing stops the reading", "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n[INV1]\nCFGID=8\nNAME=A\n",
         1, "P", 7, {}, 0},
        {"window keys missing or at their defaults are not restored",
         "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n"
         "[WINDOW0]\nWDWTYPE=0\nINVNR=1\nFILENAME=\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=-1\nTOP=1\n"
         "[WINDOW1]\nWDWTYPE=0\nINVNR=1\nFILENAME=\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=1\nTOP=-1\n"
         "[WINDOW2]\nWDWTYPE=0\nINVNR=1\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=1\nTOP=1\n"
         "[WINDOW3]\nWDWTYPE=0\nINVNR=-3\nFILENAME=\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=1\nTOP=1\n"
         "[WINDOW5]\nWDWTYPE=0\nINVNR=0\nFILENAME=\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=0\nTOP=0\n",
         0, "P", 7, {}, 1},
    };
    int n = 0;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TVortalinPrj p;
        p.BinPath = prj.BinPath;
        const QString file = writeFile(QStringLiteral("case%1.pr5").arg(n++), c.body);
        EXPECT_EQ(p.LoadFromFile(file), c.result);
        EXPECT_EQ(p.PrjName, c.name);
        EXPECT_EQ(p.WatchInterval(), c.interval);
        std::vector<int> entries;
        for (int a = 0; a < kPrjInvCount; ++a)
            if (p.GetInv(a))
                entries.push_back(a);
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(p.WdwCount(), c.windows);
    }
}

TEST_F(PrjFileTest, AFailedLoadTellsTheFirstFaultAndWhere)
{
    makeCfgFile(8);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.pr5"))));
    using E = TPrjLoadError;
    const struct {
        const char* what;
        const char* file;  // written with `body` unless it is the folder or missing
        QByteArray body;
        E::TKind kind;
        int code, line;
        const char* section;
        const char* text;
    } cases[] = {
        {"complete", "ok.pr5", "[PROJECT]\nNAME=P\nWATCHINTERVAL=9\n", E::None, 0, 0, "", ""},
        {"missing", "none.pr5", {}, E::Unreadable, kIoFileNotFound, 0, "", ""},
        {"a folder", "folder.pr5", {}, E::Unreadable, kIoAccessDenied, 0, "", ""},
        {"empty", "empty.pr5", "", E::NotAProject, 0, 0, "", ""},
        {"random bytes", "random.pr5", QByteArray("\x8f\x01=\xfe[\x00\x7f\r\n\x13", 10), E::NotAProject, 0, 0, "", ""},
        {"truncated in the interval's key", "cut.pr5", "[PROJECT]\r\nNAME=Demo line\r\nWATCHINT", E::MissingValue, 0,
         0, "PROJECT", "WATCHINTERVAL"},
        {"interval beyond 32 bits, after a comment", "big.pr5",
         "; by hand\r\n[PROJECT]\r\nNAME=P\r\n\r\nWATCHINTERVAL = 99999999999\r\n", E::BadValue, 0, 5, "PROJECT",
         "WATCHINTERVAL=99999999999"},
        {"name missing comes before a bad interval", "first.pr5", "[project]\nWATCHINTERVAL=-1\n", E::MissingValue, 0, 0,
         "PROJECT", "NAME"},
        {"protocol no number", "prot.pr5",
         "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n[INV1]\nCFGID=8\nPROT=1\nNAME=A\n[Inv2]\nCFGID=8\nNAME=B\nPROT=x\n",
         E::BadValue, 0, 11, "INV2", "PROT=x"},
        {"protocol missing", "noprot.pr5", "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n[INV1]\nCFGID=8\nNAME=A\n",
         E::MissingValue, 0, 0, "INV1", "PROT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path(QString::fromLatin1(c.file));
        if (!c.body.isNull())
            writeFile(QString::fromLatin1(c.file), c.body);
        TVortalinPrj p;
        p.BinPath = prj.BinPath;
        EXPECT_EQ(p.LoadFromFile(file), c.kind == E::None ? 0 : 1);
        EXPECT_EQ(p.LoadError.Kind, c.kind);
        EXPECT_EQ(p.LoadError.Code, c.code);
        EXPECT_EQ(p.LoadError.Line, c.line);
        EXPECT_EQ(p.LoadError.Section, QString::fromLatin1(c.section));
        EXPECT_EQ(p.LoadError.Text, QString::fromLatin1(c.text));
    }
}

TEST_F(PrjFileTest, AtMostSixtyFourWindowsAreRestored)
{
    QByteArray bytes = "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n";
    for (int i = 0; i < 70; ++i)
        bytes += "[WINDOW" + QByteArray::number(i) + "]\nWDWTYPE=3\nINVNR=" + QByteArray::number(i)
            + "\nFILENAME=f\nSTATE=0\nHEIGHT=1\nWIDTH=1\nLEFT=1\nTOP=1\n";
    ASSERT_EQ(prj.LoadFromFile(writeFile(QStringLiteral("w.pr5"), bytes)), 0);
    ASSERT_EQ(prj.WdwCount(), 64);
    EXPECT_EQ(prj.GetWdw(63)->InvNr, 63);
}

TEST_F(PrjFileTest, EntryRefusedByAddInvIsSkippedWithItsFiles)
{
    // No configuration file for 9 and the choice is cancelled; a second
    // Zelk inverter is refused.
    makeCfgFile(8);
    const QByteArray bytes = "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n"
                             "[INV1]\nCFGID=9\nPROT=1\nNAME=A\n[FILES1]\nFILES1WORK0=/a.wr5\n"
                             "[INV2]\nCFGID=8\nPROT=2\nNAME=Z1\n"
                             "[INV3]\nCFGID=8\nPROT=2\nNAME=Z2\n[FILES3]\nFILES3WORK0=/z.wr5\n";
    ASSERT_EQ(prj.LoadFromFile(writeFile(QStringLiteral("r.pr5"), bytes)), 0);
    EXPECT_EQ(prj.GetInv(1), nullptr);
    ASSERT_NE(prj.GetInv(2), nullptr);
    EXPECT_EQ(prj.GetInv(3), nullptr);
    EXPECT_EQ(prj.FindFile(QStringLiteral("/a.wr5")), -2);
    EXPECT_EQ(prj.FindFile(QStringLiteral("/z.wr5")), -2);
    EXPECT_EQ(ui->cfgChoices, (std::vector<std::pair<int, bool>>{{1, false}}));
}

TEST_F(PrjFileTest, LoadingDropsConfigurationsNoEntryHolds)
{
    makeCfgFile(5);
    makeCfgFile(8);
    makeCfgFile(9);
    ASSERT_GE(prj.TVortalinCfgList::LoadFromFile(prj.BinPath + QStringLiteral("Para0009.bin"), false), 0);
    ASSERT_EQ(prj.AddInv(1, 5, QStringLiteral("A"), prANSI, false), 0);
    const QByteArray bytes = "[PROJECT]\nNAME=P\nWATCHINTERVAL=7\n[INV2]\nCFGID=8\nPROT=1\nNAME=B\n";
    ASSERT_EQ(prj.LoadFromFile(writeFile(QStringLiteral("d.pr5"), bytes)), 0);
    ASSERT_EQ(prj.Count(), 1);
    EXPECT_EQ(prj.GetCfg(0)->CfgId, 8);
}

TEST_F(PrjFileTest, SavingIntoAnExistingFileKeepsNoneOfItsContent)
{
    const QString file = writeFile(QStringLiteral("old.pr5"),
                                   "; note\r\n[INV5]\r\nCFGID=3\r\nPROT=1\r\nNAME=Gone\r\n[Extra]\r\nk=v\r\n");
    prj.PrjName = QStringLiteral("New");
    ASSERT_EQ(prj.SaveToFile(file), 0);
    EXPECT_EQ(readBytes(file), QByteArray("[PROJECT]\r\nNAME=New\r\nWATCHINTERVAL=5\r\n"));
}

TEST_F(PrjFileTest, WrittenValuesNeverBreakTheirLine)
{
    makeCfgFile(8);
    prj.PrjName = QStringLiteral("Two\nLines");
    prj.Remarks = {QStringLiteral("a\r\nb"), QString(), QStringLiteral("c")};
    ASSERT_EQ(prj.AddInv(1, 8, QStringLiteral("In\rverter"), prANSI, false), 0);
    prj.AddWdw();
    prj.GetWdw(0)->FileName = QStringLiteral("/x\ny.wr5");
    const QString file = path(QStringLiteral("b.pr5"));
    ASSERT_EQ(prj.SaveToFile(file), 0);
    const QByteArray bytes = readBytes(file);
    EXPECT_TRUE(bytes.contains("NAME=Two Lines\r\n"));
    EXPECT_TRUE(bytes.contains("LINE0=a\r\nLINE1=b\r\nLINE2=\r\nLINE3=c\r\n"));
    EXPECT_TRUE(bytes.contains("NAME=In verter\r\n"));
    EXPECT_TRUE(bytes.contains("FILENAME=/x y.wr5\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    TVortalinPrj again;
    again.BinPath = prj.BinPath;
    ASSERT_EQ(again.LoadFromFile(file), 0);
    EXPECT_EQ(again.Remarks.size(), 4);
    EXPECT_EQ(again.GetInv(1)->Name, QStringLiteral("In verter"));
}

TEST_F(PrjFileTest, WriteFailureIsReportedAndNothingHalfWritten)
{
    prj.PrjName = QStringLiteral("P");
    prj.Modified = true;
    // A folder that is a plain file cannot hold the project.
    writeFile(QStringLiteral("plain"), "x");
    const QString bad = path(QStringLiteral("plain/p.pr5"));
    EXPECT_EQ(prj.SaveToFile(bad), 1);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, prj.MsgErrWrToFile);
    EXPECT_EQ(ui->messages[0].Buttons, QStringList{QStringLiteral("0OK")});
    EXPECT_EQ(ui->messages[0].Icon, pmiError);
    EXPECT_EQ(ui->messages[0].P1, bad);
    EXPECT_TRUE(prj.Modified);
    EXPECT_TRUE(prj.FileName.isEmpty());
    EXPECT_TRUE(changes.empty());

    // A target that cannot be replaced keeps what it was, and no
    // temporary file is left beside it.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("dir/busy.pr5/inside"))));
    EXPECT_EQ(prj.SaveToFile(path(QStringLiteral("dir/busy.pr5"))), 1);
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("dir/busy.pr5/inside"))).isDir());
    EXPECT_EQ(QDir(path(QStringLiteral("dir"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("busy.pr5")});
}

TEST_F(PrjFileTest, SaveDialogPathOfSaveToFile)
{
    prj.DataPath = path(QStringLiteral("data"));
    prj.PrjName = QStringLiteral("P");
    // Cancelled.
    EXPECT_EQ(prj.SaveToFile(QString()), 1);
    ASSERT_EQ(ui->saveOptions.size(), 1u);
    EXPECT_EQ(ui->saveOptions[0].DefaultExt, QStringLiteral("pr5"));
    EXPECT_EQ(ui->saveOptions[0].Filter,
              QStringLiteral("Projektdateien (*.pr5)|*.pr5|Alle Dateien (*.*)|*.*"));
    EXPECT_EQ(ui->saveOptions[0].FilterIndex, 1);
    EXPECT_EQ(ui->saveOptions[0].InitialDir, prj.DataPath);
    // Another extension: nothing written, nothing shown.
    ui->saveAnswers = {path(QStringLiteral("p.txt"))};
    EXPECT_EQ(prj.SaveToFile(QString()), 1);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("p.txt"))));
    EXPECT_TRUE(ui->messages.empty());
    // An existing file: overwritten only on Yes.
    const QString existing = writeFile(QStringLiteral("Exists.PR5"), "keep");
    ui->saveAnswers = {existing, existing};
    ui->messageAnswers = {1, 0};
    EXPECT_EQ(prj.SaveToFile(QString()), 1);
    EXPECT_EQ(readBytes(existing), QByteArray("keep"));
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].P1, existing);
    EXPECT_EQ(ui->messages[0].Buttons, (QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}));
    EXPECT_EQ(ui->messages[0].Cancel, -1);
    EXPECT_EQ(prj.SaveToFile(QString()), 0);
    EXPECT_TRUE(readBytes(existing).startsWith("[PROJECT]"));
    EXPECT_EQ(prj.FileName, existing);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral});
}

TEST_F(PrjFileTest, FileNameKeepsItsCaseAndOnlyANewNameFiresTheEvent)
{
    const QString upper = path(QStringLiteral("Plant.pr5"));
    ASSERT_EQ(prj.SaveToFile(upper), 0);
    EXPECT_EQ(prj.FileName, upper);
    EXPECT_EQ(changes.size(), 1u);
    const QString lower = path(QStringLiteral("plant.pr5"));
    ASSERT_EQ(prj.SaveToFile(lower), 0);
    EXPECT_EQ(changes.size(), 1u);  // same name but for case
    EXPECT_EQ(prj.FileName, lower);  // yet the file written is the one named
    // Copy mode never takes the name.
    ASSERT_EQ(prj.SaveToFile(path(QStringLiteral("copy.pr5")), true), 0);
    EXPECT_EQ(prj.FileName, lower);
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(PrjFileTest, CopyModeWritesLinkedFilesIntoTheTargetFolder)
{
    makeCfgFile(8);
    ASSERT_EQ(prj.AddInv(2, 8, QStringLiteral("A"), prANSI, false), 0);
    prj.AddFile(QStringLiteral("/src/One.wr5"), 2);
    prj.AddFile(QStringLiteral("C:\\Old\\Two.dw5"), -1);
    const QString file = path(QStringLiteral("Copy/c.pr5"));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("Copy"))));
    ASSERT_EQ(prj.SaveToFile(file, true), 0);
    const QByteArray bytes = readBytes(file);
    const QByteArray dir = QFile::encodeName(path(QStringLiteral("Copy/")));
    EXPECT_TRUE(bytes.contains("DOWN0=" + dir + "Two.dw5\r\n"));
    EXPECT_TRUE(bytes.contains("FILES2WORK0=" + dir + "One.wr5\r\n"));
    // The project itself keeps its links.
    EXPECT_EQ(prj.GetInv(2)->WorkFiles, QStringList{QStringLiteral("/src/One.wr5")});
}

TEST_F(PrjFileTest, NewPrjForFileAddsDistinctNumbersAndOneWindow)
{
    makeCfgFile(8);
    makeCfgFile(5);
    ASSERT_EQ(prj.AddInv(7, 8, QStringLiteral("Former"), prANSI, false), 0);
    prj.FileName = QStringLiteral("/old.pr5");
    prj.DefPrjName = QStringLiteral("Neu");
    changes.clear();
    protChanges.clear();
    EXPECT_EQ(prj.NewPrjForFile(QStringLiteral("/Lists/A.dw5"), 8, 8, -1, 5, wkDownList), 0);
    EXPECT_TRUE(prj.FileName.isEmpty());
    EXPECT_EQ(prj.PrjName, QStringLiteral("Neu"));
    EXPECT_EQ(prj.GetInv(7), nullptr);
    ASSERT_NE(prj.GetInv(1), nullptr);
    EXPECT_EQ(prj.GetInv(1)->CfgId, 8);
    EXPECT_EQ(prj.GetInv(1)->Name, QStringLiteral("Umrichter 1"));
    EXPECT_EQ(prj.GetInv(1)->Prot, prOffline);
    EXPECT_EQ(prj.GetInv(2), nullptr);
    EXPECT_EQ(prj.GetInv(3), nullptr);
    ASSERT_NE(prj.GetInv(4), nullptr);  // the fourth number's address
    EXPECT_EQ(prj.GetInv(4)->CfgId, 5);
    EXPECT_EQ(prj.InvCount(), 2);
    ASSERT_EQ(prj.WdwCount(), 1);
    const TSavedWdwRec& w = *prj.GetWdw(0);
    EXPECT_EQ(w.WdwType, wkDownList);
    EXPECT_EQ(w.InvNr, 1);
    EXPECT_EQ(w.FileName, QStringLiteral("/Lists/A.dw5"));
    EXPECT_EQ(w.State, 2);
    EXPECT_EQ(w.Height, 300);
    EXPECT_EQ(w.Width, 400);
    EXPECT_EQ(w.Left, 40);
    EXPECT_EQ(w.Top, 100);
    EXPECT_EQ(changes, std::vector<TPrjChanges>{pcGeneral | pcInvAdded | pcInvRemoved});
    EXPECT_EQ(protChanges, (std::vector<std::pair<int, TProt>>{{1, prOffline}, {4, prOffline}}));
}

}  // namespace
