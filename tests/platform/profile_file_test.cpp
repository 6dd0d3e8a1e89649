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

    EXPECT_EQ(p.sectionLines(QStringLiteral("Project")),
              (QStringList{QStringLiteral("NAME = My project"), QStringLiteral("WatchInterval=60"),
                           QStringLiteral("Empty="), QStringLiteral("name=second")}));
    EXPECT_TRUE(p.hasKey(QStringLiteral("project"), QStringLiteral("empty")));
    EXPECT_FALSE(p.hasKey(QStringLiteral("project"), QStringLiteral("OTHER")));
}

TEST_F(ProfileFileTest, WritingReplacesTheFirstKeyAndEndsLinesWithCrlf)
{
    // The project writer builds the file in memory from nothing.
    ProfileFile p(file());
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), QStringLiteral("n")));
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("WATCHINTERVAL"), QStringLiteral("5")));
    ASSERT_TRUE(p.writeString(QStringLiteral("INV1"), QStringLiteral("CFGID"), QStringLiteral("7")));
    ASSERT_TRUE(p.writeString(QStringLiteral("project"), QStringLiteral("name"), QStringLiteral("m")));  // replaces
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("EXTRA"), QString()));  // into the first section
    EXPECT_EQ(p.serialize(), QByteArray("[PROJECT]\r\nname=m\r\nWATCHINTERVAL=5\r\nEXTRA=\r\n\r\n[INV1]\r\nCFGID=7\r\n"));
}

TEST_F(ProfileFileTest, RefusesTextThatWouldNotReadBack)
{
    ProfileFile p(file());
    EXPECT_FALSE(p.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("two\r\nlines")));
    EXPECT_FALSE(p.writeString(QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("v")));
    EXPECT_FALSE(p.writeString(QStringLiteral("S]"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(p.writeString(QStringLiteral("S"), QStringLiteral(" "), QStringLiteral("v")));
    EXPECT_FALSE(p.writeString(QString(), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_TRUE(p.serialize().isEmpty());
}

TEST_F(ProfileFileTest, SingleByteTextRoundTripsAndMissingFileIsEmpty)
{
    ProfileFile p(file());
    ASSERT_TRUE(p.load());  // no file
    EXPECT_EQ(p.readString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), QStringLiteral("###")), QStringLiteral("###"));
    const QString name = QStringLiteral("Förderband Süd € \u0081");
    ASSERT_TRUE(p.writeString(QStringLiteral("PROJECT"), QStringLiteral("NAME"), name));
    writeFile(p.serialize());
    EXPECT_TRUE(readFile().contains("NAME=F\xF6rderband S\xFC" "d \x80 \x81\r\n"));
    ProfileFile r(file());
    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.readString(QStringLiteral("project"), QStringLiteral("name"), QString()), name);
}

TEST_F(ProfileFileTest, AFileThatCannotBeReadFailsToLoad)
{
    // A folder in place of the file exists but cannot be read.
    const QString name = path(QStringLiteral("dir.pr5"));
    ASSERT_TRUE(QDir().mkpath(name));
    ProfileFile p(name);
    EXPECT_FALSE(p.load());
}

} // namespace
