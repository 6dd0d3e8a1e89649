// Copying a project with its linked files.

#include "prj_fixture.h"

#include <gtest/gtest.h>

using namespace prjtest;

namespace {

class PrjCopyTest : public PrjTest {
protected:
    void SetUp() override
    {
        PrjTest::SetUp();
        makeCfgFile(8);
        ASSERT_EQ(prj.AddInv(1, 8, QStringLiteral("A"), prANSI, false), 0);
        ASSERT_EQ(prj.AddInv(4, 8, QStringLiteral("B"), prANSI, false), 0);
        auto progress = std::make_unique<RecordingProgress>();
        progressRec = progress.get();
        prj.SetProgress(std::move(progress));
        prj.CopyPrjTitle = QStringLiteral("Copy");
        prj.CopyPrjText = QStringLiteral("Copying files");
    }

    // Writes a source file whose content is its own name, and links it.
    QString link(const QString& name, int invAdr)
    {
        const QString p = writeFile(name, name.toUtf8());
        EXPECT_GE(prj.AddFile(p, invAdr), 0);
        return p;
    }

    void expectContent(const QString& name, const QString& content)
    {
        EXPECT_EQ(readBytes(path(name)), content.toUtf8()) << name.toStdString();
    }

    RecordingProgress* progressRec = nullptr;
};

TEST_F(PrjCopyTest, CopiesTheProjectAndEveryLinkedFile)
{
    link(QStringLiteral("src/Press.dw5"), 1);
    link(QStringLiteral("other/Run.SCO"), 4);
    link(QStringLiteral("src/Plan.txt"), -1);
    ASSERT_EQ(prj.SaveToFile(path(QStringLiteral("src/Plant.pr5"))), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("dest"))));
    ui->saveAnswers = {path(QStringLiteral("dest/Copy.pr5"))};

    EXPECT_EQ(prj.CopyPrj(true), 0);
    expectContent(QStringLiteral("dest/Press.dw5"), QStringLiteral("src/Press.dw5"));
    expectContent(QStringLiteral("dest/Run.SCO"), QStringLiteral("other/Run.SCO"));
    expectContent(QStringLiteral("dest/Plan.txt"), QStringLiteral("src/Plan.txt"));
    const QByteArray copy = readBytes(path(QStringLiteral("dest/Copy.pr5")));
    EXPECT_TRUE(copy.contains("FILES4SCOPE0=" + QFile::encodeName(path(QStringLiteral("dest/Run.SCO")))));
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(prj.FileName, path(QStringLiteral("src/Plant.pr5")));
    // Progress over the entries' files; the project's own go beyond.
    EXPECT_TRUE(progressRec->started);
    EXPECT_EQ(progressRec->title, QStringLiteral("Copy"));
    EXPECT_EQ(progressRec->text, QStringLiteral("Copying files"));
    EXPECT_EQ(progressRec->max, 2);
    EXPECT_EQ(progressRec->positions, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(progressRec->finished);
}

TEST_F(PrjCopyTest, CopyIntoItsOwnFolderLeavesEverySourceWhole)
{
    link(QStringLiteral("src/Press.dw5"), 1);
    link(QStringLiteral("other/Run.wr5"), 4);
    ASSERT_EQ(prj.SaveToFile(path(QStringLiteral("src/Plant.pr5"))), 0);
    ui->saveAnswers = {path(QStringLiteral("src/Second.pr5"))};
    EXPECT_EQ(prj.CopyPrj(false), 0);
    expectContent(QStringLiteral("src/Press.dw5"), QStringLiteral("src/Press.dw5"));
    expectContent(QStringLiteral("other/Run.wr5"), QStringLiteral("other/Run.wr5"));
    expectContent(QStringLiteral("src/Run.wr5"), QStringLiteral("other/Run.wr5"));
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FALSE(progressRec->started);
}

TEST_F(PrjCopyTest, FilesOfOneNameNeverOverwriteASourceOrEachOther)
{
    link(QStringLiteral("a/Same.wr5"), 1);
    link(QStringLiteral("b/Same.wr5"), -1);
    // Into a third folder: the first is copied, the second is refused.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("dest"))));
    ui->saveAnswers = {path(QStringLiteral("dest/c.pr5")), path(QStringLiteral("a/c.pr5"))};
    EXPECT_EQ(prj.CopyPrj(false), 1);
    expectContent(QStringLiteral("dest/Same.wr5"), QStringLiteral("a/Same.wr5"));
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, (QStringList{prj.MsgCopyErrText, QStringLiteral("Same.wr5")}));
    EXPECT_EQ(ui->messages[0].Buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(ui->messages[0].Icon, pmiError);
    // Into the folder of the first: the second would replace a source.
    EXPECT_EQ(prj.CopyPrj(false), 1);
    expectContent(QStringLiteral("a/Same.wr5"), QStringLiteral("a/Same.wr5"));
    expectContent(QStringLiteral("b/Same.wr5"), QStringLiteral("b/Same.wr5"));
}

TEST_F(PrjCopyTest, FailuresAreListedAndTheRestIsCopied)
{
    const QString gone = path(QStringLiteral("src/Gone.dw5"));
    ASSERT_GE(prj.AddFile(gone, 1), 0);
    link(QStringLiteral("src/Here.dw5"), 4);
    ASSERT_EQ(prj.SaveToFile(path(QStringLiteral("src/p.pr5"))), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("dest"))));
    // The project's own file is never a target; the overwrite question
    // comes first.
    ui->saveAnswers = {path(QStringLiteral("src/p.pr5")), path(QStringLiteral("dest/q.pr5"))};
    ui->messageAnswers = {0};
    const QByteArray before = readBytes(path(QStringLiteral("src/p.pr5")));
    EXPECT_EQ(prj.CopyPrj(false), 1);
    EXPECT_EQ(readBytes(path(QStringLiteral("src/p.pr5"))), before);
    ASSERT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(ui->messages[0].Msg, prj.MsgOverride);
    EXPECT_EQ(ui->messages[1].Msg,
              (QStringList{prj.MsgCopyErrText, QStringLiteral("p.pr5"), QStringLiteral("Gone.dw5")}));

    ui->messages.clear();
    EXPECT_EQ(prj.CopyPrj(false), 1);
    expectContent(QStringLiteral("dest/Here.dw5"), QStringLiteral("src/Here.dw5"));
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, (QStringList{prj.MsgCopyErrText, QStringLiteral("Gone.dw5")}));
}

TEST_F(PrjCopyTest, CancelledOrWrongNameCopiesNothing)
{
    link(QStringLiteral("src/Press.dw5"), 1);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("dest"))));
    EXPECT_EQ(prj.CopyPrj(true), 1);
    ui->saveAnswers = {path(QStringLiteral("dest/c.txt"))};
    EXPECT_EQ(prj.CopyPrj(true), 1);
    EXPECT_TRUE(QDir(path(QStringLiteral("dest"))).isEmpty());
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FALSE(progressRec->started);
}

}  // namespace
