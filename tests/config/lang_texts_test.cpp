#include "config/lang_texts.h"

#include <QFile>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "srb_builder.h"
#include "temp_dir.h"

namespace {

using qeltest::SrbBuilder;

// Three sections, stored in the file in the order 2, 0, 1.
SrbBuilder sampleFile()
{
    SrbBuilder b;
    b.sections[0] = {{"OK"}, {"Abbrechen"}, {"Zeile 1", "", "Zeile 3"}};
    b.sections[1] = {{}, {"Eins"}};
    b.sections[2] = {{"Zwei-0"}, {"Zwei-1"}};
    b.order = {2, 0, 1};
    return b;
}

TVortalinText& withVersion5(TVortalinText& t)
{
    t.SetVersion(5);
    return t;
}

TEST(LangTexts, LoadsSectionsInNumberOrderWhereverTheyLie)
{
    SrbBuilder b = sampleFile();
    TVortalinText t;
    ASSERT_TRUE(withVersion5(t).LoadFromBytes(b.build()));

    EXPECT_EQ(t.Count(), 7);
    EXPECT_EQ(t.SectionSize(0), 3);
    EXPECT_EQ(t.GetText(0, 0), "OK");
    EXPECT_EQ(t.GetText(0, 1), "Abbrechen");
    EXPECT_EQ(t.GetText(1, 1), "Eins");
    EXPECT_EQ(t.GetText(2, 1), "Zwei-1");

    // A zero-length line is an empty line, not the end of the entry.
    const QStringList* lines = t.GetStrings(0, 2);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(*lines, (QStringList{"Zeile 1", "", "Zeile 3"}));

    // An entry without lines exists but has no text.
    ASSERT_NE(t.GetStrings(1, 0), nullptr);
    EXPECT_TRUE(t.GetStrings(1, 0)->isEmpty());
    EXPECT_EQ(t.GetText(1, 0), "???");
}

TEST(LangTexts, LookupsOutsideTheirSectionReadQuestionMarks)
{
    SrbBuilder b = sampleFile();
    b.sections[3] = {};  // defined, but empty; sections from 4 on are not in the file
    b.order = {2, 0, 3, 1};
    TVortalinText t;
    ASSERT_TRUE(withVersion5(t).LoadFromBytes(b.build()));
    EXPECT_TRUE(t.HasSection(3));
    EXPECT_FALSE(t.HasSection(4));

    const struct {
        int section, index;
    } cases[] = {
        {0, 3},     // past the end of section 0: would be section 1's first entry
        {1, 2},     // past the end of section 1: would be section 2's first entry
        {2, 2},     // past the end of the whole list
        {1, -1},    // before the section: would be section 0's last entry
        {4, 0},     // a section the file does not have: would be section 0's first entry
        {3, 0},     // an empty section: would be section 1's first entry
        {7, 0},     // beyond the file's section count
        {20, 0},    // addressable but never loaded
        {21, 0},    // not a section
        {-1, 0},    // not a section
        {0, 1 << 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.section << "," << c.index << ")");
        EXPECT_EQ(t.GetStrings(c.section, c.index), nullptr);
        EXPECT_EQ(t.GetText(c.section, c.index), "???");
    }
}

TEST(LangTexts, RefusesWrongVersionOrMagic)
{
    struct Case {
        const char* name;
        int16_t version;
        QByteArray magic;
        int16_t storeVersion;
    };
    const Case cases[] = {
        {"version 4", 4, "VORTALIN50_SRB", 5},
        {"version 6", 6, "VORTALIN50_SRB", 5},
        {"magic in lower case", 5, "vortalin50_srb", 5},
        {"other magic", 5, "VORTALIN50_BIN", 5},
        {"store version not set", 5, "VORTALIN50_SRB", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SrbBuilder b = sampleFile();
        b.version = c.version;
        b.magic = c.magic;
        TVortalinText t;
        t.SetVersion(c.storeVersion);
        EXPECT_FALSE(t.LoadFromBytes(b.build()));
        EXPECT_EQ(t.Count(), 0);
        EXPECT_EQ(t.GetText(0, 0), "???");
    }
}

TEST(LangTexts, SectionCountAboveTwentyLoadsSectionsZeroToNineteen)
{
    SrbBuilder b;
    for (int i = 0; i < 25; ++i)
        b.sections[i] = {{QByteArray("S") + QByteArray::number(i)}};
    TVortalinText t;
    ASSERT_TRUE(withVersion5(t).LoadFromBytes(b.build()));
    EXPECT_EQ(t.Count(), 20);
    EXPECT_EQ(t.GetText(19, 0), "S19");
    EXPECT_EQ(t.GetText(20, 0), "???");
}

TEST(LangTexts, NonPositiveCountsMeanNothing)
{
    // Section count 0 and -3: a valid, empty file.
    for (int32_t n : {0, -3}) {
        SrbBuilder b = sampleFile();
        b.declaredCount = n;
        TVortalinText t;
        EXPECT_TRUE(withVersion5(t).LoadFromBytes(b.build()));
        EXPECT_EQ(t.Count(), 0);
    }

    // Negative entry count and negative line count, written by hand.
    QByteArray f;
    SrbBuilder::put16(f, 5);
    f += "VORTALIN50_SRB";
    SrbBuilder::put32(f, 2);
    SrbBuilder::put32(f, 28);  // section 0
    SrbBuilder::put32(f, 32);  // section 1
    SrbBuilder::put32(f, -7);  // section 0: no entries
    SrbBuilder::put32(f, 1);   // section 1: one entry
    SrbBuilder::put16(f, -2);  // without lines
    TVortalinText t;
    ASSERT_TRUE(withVersion5(t).LoadFromBytes(f));
    EXPECT_EQ(t.SectionSize(0), 0);
    EXPECT_EQ(t.SectionSize(1), 1);
    EXPECT_EQ(t.GetText(1, 0), "???");
    EXPECT_EQ(t.GetText(0, 0), "???");
}

TEST(LangTexts, BadSectionOffsetsFail)
{
    // Before the file, past its end, and into the magic (whose bytes decode
    // as a huge entry count that runs past the end).
    for (int32_t offset : {-1, 100000, 2}) {
        SCOPED_TRACE(offset);
        SrbBuilder b = sampleFile();
        b.order = {};
        QByteArray f = b.build();
        SrbBuilder::set32(f, 20 + 4 * 1, offset);  // section 1's offset
        TVortalinText t;
        EXPECT_FALSE(withVersion5(t).LoadFromBytes(f));
        EXPECT_EQ(t.GetText(0, 1), "Abbrechen");  // section 0 was read before
    }
}

TEST(LangTexts, TruncationAtEveryLengthKeepsTheCompleteEntries)
{
    SrbBuilder b = sampleFile();
    b.order = {};  // number order, so entry ends grow with the entries
    const QByteArray full = b.build();
    {
        TVortalinText t;
        ASSERT_TRUE(withVersion5(t).LoadFromBytes(full));
    }
    for (int len = 0; len < full.size(); ++len) {
        SCOPED_TRACE(len);
        TVortalinText t;
        EXPECT_FALSE(withVersion5(t).LoadFromBytes(full.left(len)));
        int complete = 0;
        for (int end : b.entryEnds)
            complete += end <= len ? 1 : 0;
        EXPECT_EQ(t.Count(), complete);
        for (int i = 0; i < t.Count(); ++i)
            EXPECT_NE(t.GetStrings(i < 3 ? 0 : i < 5 ? 1 : 2, i < 3 ? i : i < 5 ? i - 3 : i - 5), nullptr);
    }
}

TEST(LangTexts, ErrorTextsFromTheFirstEntryOfSectionNine)
{
    SrbBuilder b;
    for (int i = 0; i < 9; ++i)
        b.sections[i] = {{"x"}};
    b.sections[9] = {{"-100=Driver closed", "-10=No answer", "-11=", "3=a=b", "garbage", "1=First", "1=Second"},
                     {"-1=Not in the first entry"}};
    TVortalinText t;
    ASSERT_TRUE(withVersion5(t).LoadFromBytes(b.build()));
    EXPECT_EQ(t.GetErrorText(-10), "No answer");
    EXPECT_EQ(t.GetErrorText(-100), "Driver closed");
    EXPECT_EQ(t.GetErrorText(3), "a=b");
    EXPECT_EQ(t.GetErrorText(1), "First");
    EXPECT_EQ(t.GetErrorText(-11), "Error Code -11");
    EXPECT_EQ(t.GetErrorText(-1), "Error Code -1");
    EXPECT_EQ(t.GetErrorText(0), "Error Code 0");

    // Without section 9 every code has the generic text, never another section's lines.
    SrbBuilder noErrors = sampleFile();
    noErrors.sections[0].front() = {"-10=Wrong section"};
    TVortalinText u;
    ASSERT_TRUE(withVersion5(u).LoadFromBytes(noErrors.build()));
    EXPECT_EQ(u.GetErrorText(-10), "Error Code -10");
}

class LangTextsFileTest : public qeltest::TempDirTest {};

TEST_F(LangTextsFileTest, LoadsFromDiskAndReloadReplacesTheTexts)
{
    SrbBuilder b = sampleFile();
    QFile f(path("lngprogd.srb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b.build());
    f.close();

    TVortalinText t;
    t.SetVersion(5);
    EXPECT_FALSE(t.LoadFromFile(path("missing.srb")));
    ASSERT_TRUE(t.LoadFromFile(path("lngprogd.srb")));
    EXPECT_EQ(t.GetText(2, 0), "Zwei-0");

    SrbBuilder other;
    other.sections[0] = {{"Only"}};
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(other.build());
    f.close();
    ASSERT_TRUE(t.LoadFromFile(path("lngprogd.srb")));
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.GetText(0, 0), "Only");
    EXPECT_EQ(t.GetText(2, 0), "???");

    EXPECT_FALSE(t.LoadFromFile(path("missing.srb")));
    EXPECT_EQ(t.Count(), 0);
    EXPECT_FALSE(t.LoadFromFile(dir()));  // a folder is no language file
}

TEST(LangTexts, DecodesWithTheLanguagesCodePage)
{
    SrbBuilder b;
    b.sections[0] = {{QByteArray("Gr\xF6\xDF" "e \xB0")}};
    TVortalinText t;
    ASSERT_TRUE(withVersion5(t).LoadFromBytes(b.build(), CodePage::Cp1252));
    EXPECT_EQ(t.GetText(0, 0), QString::fromUtf8("Größe °"));
    ASSERT_TRUE(t.LoadFromBytes(b.build(), CodePage::Cp1251));
    EXPECT_EQ(t.GetText(0, 0).at(2), QChar(0x0446));  // 0xF6 is "ц" in Windows-1251
}

TEST(LangTexts, LanguageLettersFileNamesAndCodePages)
{
    const struct {
        int code;
        char letter;
        const char* name;
        CodePage cp;
    } cases[] = {
        {0, 'e', "English", CodePage::Cp1252},    {1, 'd', "Deutsch", CodePage::Cp1252},
        {2, 'i', "Italiano", CodePage::Cp1252},   {3, 'f', "Français", CodePage::Cp1252},
        {4, 's', "Castellano", CodePage::Cp1252}, {5, 'r', "Russian", CodePage::Cp1251},
        {6, 'a', "American", CodePage::Cp1252},   {7, 'e', "English", CodePage::Cp1252},
        {-1, 'e', "English", CodePage::Cp1252},   {9, 'e', "English", CodePage::Cp1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Language::Letter(c.code), QLatin1Char(c.letter));
        EXPECT_EQ(Language::Name(c.code), QString::fromUtf8(c.name));
        EXPECT_EQ(Language::CodePageOf(c.code), c.cp);
        EXPECT_EQ(Language::HalvornFileName(c.code), QStringLiteral("lngprog") + QLatin1Char(c.letter) + ".srb");
        EXPECT_EQ(Language::QuintelFileName(c.code), QStringLiteral("cp") + QLatin1Char(c.letter) + ".srb");
    }
}

} // namespace
