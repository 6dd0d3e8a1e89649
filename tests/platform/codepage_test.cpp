#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

struct ByteCase {
    unsigned char byte;
    char16_t cp1252;
    char16_t cp1251;
};

// Hand-picked from the published code-page charts, covering the irregular
// 0x80-0x9F block (including the holes) and the letters 0xC0-0xFF.
const ByteCase kCases[] = {
    {0x41, u'A', u'A'},
    {0x80, 0x20AC, 0x0402},   // euro sign / DJE
    {0x81, 0x0081, 0x0403},   // undefined in 1252
    {0x88, 0x02C6, 0x20AC},   // circumflex / euro sign
    {0x8A, 0x0160, 0x0409},
    {0x8D, 0x008D, 0x040C},   // undefined in 1252
    {0x8F, 0x008F, 0x040F},
    {0x90, 0x0090, 0x0452},
    {0x96, 0x2013, 0x2013},   // en dash in both
    {0x98, 0x02DC, 0x0098},   // undefined in 1251
    {0x99, 0x2122, 0x2122},
    {0x9D, 0x009D, 0x045C},
    {0x9F, 0x0178, 0x045F},
    {0xA8, 0x00A8, 0x0401},   // diaeresis / IO
    {0xB0, 0x00B0, 0x00B0},   // degree sign in both
    {0xB9, 0x00B9, 0x2116},   // numero sign in 1251
    {0xC0, 0x00C0, 0x0410},
    {0xC4, 0x00C4, 0x0414},
    {0xD6, 0x00D6, 0x0426},
    {0xDF, 0x00DF, 0x042F},
    {0xE4, 0x00E4, 0x0434},
    {0xF6, 0x00F6, 0x0446},
    {0xFC, 0x00FC, 0x044C},
    {0xFF, 0x00FF, 0x044F},
};

TEST(CodePage, SingleBytesToUnicode)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(codePageToUnicode(c.byte, CodePage::Cp1252), c.cp1252);
        EXPECT_EQ(codePageToUnicode(c.byte, CodePage::Cp1251), c.cp1251);
    }
}

TEST(CodePage, EveryByteRoundTrips)
{
    for (CodePage cp : {CodePage::Cp1252, CodePage::Cp1251}) {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = fromCodePage(all, cp);
        ASSERT_EQ(text.size(), 256);
        EXPECT_EQ(toCodePage(text, cp), all);
    }
}

TEST(CodePage, GermanAndRussianWords)
{
    EXPECT_EQ(toCodePage(u"Größe °C", CodePage::Cp1252), QByteArray("Gr\xF6\xDF" "e \xB0" "C"));
    EXPECT_EQ(fromCodePage("\xD7\xE0\xF1\xF2\xEE\xF2\xE0", CodePage::Cp1251), QString::fromUtf8("Частота"));
}

TEST(CodePage, UnrepresentableCharactersBecomeTheFallback)
{
    EXPECT_EQ(toCodePage(u"a\u0416b", CodePage::Cp1252), QByteArray("a?b"));
    EXPECT_EQ(toCodePage(u"\u00C4", CodePage::Cp1251, '#'), QByteArray("#"));
    EXPECT_EQ(unicodeToCodePage(0x4E2D, CodePage::Cp1252), -1);
}

} // namespace
