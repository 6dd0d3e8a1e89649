#include "platform/profile_file.h"

#include "temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class ProfileFileTest : public qeltest::TempDirTest {
protected:
    QString file() const { return path(QStringLiteral("p.pr5")); }
    void writeFile(const QByteArray& bytes)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(ProfileFileTest, ReadingFollowsTheWindowsRules)
{
    writeFile("; comment before\n"
              "[PROJECT]\n"
              "NAME = My project  \r\n"
              "  WatchInterval=60\n"
              "Empty=\n"
              "name=second\n"
              "  [ Inv3 ]  \n"
              "CFGID=12\n"
              "\n"
              "[project]\n"
              "NAME=duplicate section\n"
              "OTHER=x\n");
    ProfileFile p(file());
    ASSERT_TRUE(p.load());

    struct Case { const char* section; const char* key; const char* expected; };
    const Case cases[] = {
        {"project", "name", "My project"},       // case, trimming, first key wins
        {"PROJECT", "WATCHINTERVAL", "60"},       // blanks before the key
        {"PROJECT", "Empty", ""},                 // present but empty: not the default
        {"PROJECT", "Missing", "###"},            // missing key: the default
        {"PROJECT", "OTHER", "###"},              // only in the second, shadowed section
        {"INV3", "cfgid", "12"},                  // blanks inside the brackets
        {"Nothing", "NAME", "###"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p.readString(QString::fromLatin1(c.section), QString::fromLatin1(c.key), QStringLiteral("###")),
                  QString::fromLatin1(c.expected))
            << c.section << "/" << c.key;

    EXPECT_EQ(p.sectionNames(), (QStringList{QStringLiteral("PROJECT"), QStringLiteral("Inv3"), QStringLiteral("project")}));
    EXPECT_EQ(p.sectionLines(QStringLiteral("Project")),
              (QStringList{QStringLiteral("NAME = My project"), QStringLiteral("WatchInterval=60"),
                           QStringLiteral("Empty="), QStringLiteral("name=second")}));
    EXPECT_EQ(p.keyNames(QStringLiteral("project")),
              (QStringList{QStringLiteral("NAME"), QStringLiteral("WatchInterval"), QStringLiteral("Empty")}));
}

TEST_F(ProfileFileTest, EraseThenWriteProducesOnlyTheNewContentWithCrlf)
{
    writeFile("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    ProfileFile p(file());
    ASSERT_TRUE(p.load());
    // The project writer erases every section it finds, then writes.
    for (const QString& s : p.sectionNames())
        EXPECT_TRUE(p.eraseSection(s));
    EXPECT_TRUE(p.sectionNames().isEmpty());
    EXPECT_FALSE(p.eraseSection(QStringLiteral("A")));
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), QStringLiteral("n")));
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("WATCHINTERVAL"), QStringLiteral("5")));
    ASSERT_TRUE(p.writeString(QStringLiteral("INV1"), QStringLiteral("CFGID"), QStringLiteral("7")));
    ASSERT_TRUE(p.writeString(QStringLiteral("project"), QStringLiteral("name"), QStringLiteral("m")));  // replaces
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("EXTRA"), QString()));  // into the first section
    ASSERT_TRUE(p.save());
    EXPECT_EQ(readFile(), QByteArray("[PROJECT]\r\nname=m\r\nWATCHINTERVAL=5\r\nEXTRA=\r\n\r\n[INV1]\r\nCFGID=7\r\n"));

    EXPECT_TRUE(p.eraseKey(QStringLiteral("Project"), QStringLiteral("WatchInterval")));
    EXPECT_FALSE(p.eraseKey(QStringLiteral("Project"), QStringLiteral("WatchInterval")));
    EXPECT_EQ(p.readString(QStringLiteral("PROJECT"), QStringLiteral("WATCHINTERVAL"), QStringLiteral("-1")), QStringLiteral("-1"));
}

TEST_F(ProfileFileTest, RefusesTextThatWouldNotReadBack)
{
    ProfileFile p(file());
    EXPECT_FALSE(p.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("two\r\nlines")));
    EXPECT_FALSE(p.writeString(QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("v")));
    EXPECT_FALSE(p.writeString(QStringLiteral("S]"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(p.writeString(QStringLiteral("S"), QStringLiteral(" "), QStringLiteral("v")));
    EXPECT_FALSE(p.writeString(QString(), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_TRUE(p.sectionNames().isEmpty());
}

TEST_F(ProfileFileTest, SingleByteTextRoundTripsAndMissingFileIsEmpty)
{
    ProfileFile p(file());
    ASSERT_TRUE(p.load());  // no file
    EXPECT_EQ(p.readString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), QStringLiteral("###")), QStringLiteral("###"));
    const QString name = QStringLiteral("Förderband Süd € \u0081");
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), name));
    ASSERT_TRUE(p.save());
    EXPECT_TRUE(readFile().contains("NAME=F\xF6rderband S\xFC" "d \x80 \x81\r\n"));
    ProfileFile r(file());
    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.readString(QStringLiteral("project"), QStringLiteral("name"), QString()), name);
}

TEST_F(ProfileFileTest, FailedSaveReportsAndKeepsTheOldFile)
{
    writeFile("[A]\r\nx=1\r\n");
    ProfileFile p(file());
    ASSERT_TRUE(p.load());
    p.writeString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("2"));
    // A folder in place of the file: the rename cannot replace it.
    ProfileFile blocked(path(QStringLiteral("dir.pr5")));
    ASSERT_TRUE(QDir().mkpath(blocked.filePath()));
    blocked.writeString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("2"));
    EXPECT_FALSE(blocked.save());
    EXPECT_FALSE(blocked.load());
    // A path below a regular file: the folder cannot be made.
    ProfileFile below(path(QStringLiteral("p.pr5/sub/q.pr5")));
    below.writeString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("2"));
    EXPECT_FALSE(below.save());
    EXPECT_EQ(readFile(), QByteArray("[A]\r\nx=1\r\n"));
}

} // namespace
