#include "config/cfg_records.h"
#include "config/value_conversion.h"
#include "config/vortalin_help.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t fmt(int unit, int kind, int display)
{
    return static_cast<uint16_t>(unit | (kind << 6) | (display << 8));
}

TParaRec makePara(uint16_t format, int mul, int div, int offset, uint32_t attr)
{
    TParaRec p;
    p.Format = format;
    p.Mul = static_cast<int16_t>(mul);
    p.Div = static_cast<int16_t>(div);
    p.Offset = static_cast<int16_t>(offset);
    p.Attr = attr;
    return p;
}

// Sets the decimal separator for one test and puts the old one back.
class SeparatorGuard {
public:
    explicit SeparatorGuard(QChar sep) : old_(DecimalSeparator()) { SetDecimalSeparator(sep); }
    ~SeparatorGuard() { SetDecimalSeparator(old_); }

private:
    QChar old_;
};

struct NumCase {
    const char* what;
    uint16_t format;
    int mul, div, offset;
    uint32_t attr;
    int32_t raw;
    const char* text;
    char sep;
};

const char* const kErr = "(Error calculating value)";

const NumCase kNumCases[] = {
    {"kind 0, 1 decimal, Hz", fmt(18, 0, 1), 1, 10, 0, 0x40, 505, "50.5 Hz", '.'},
    {"comma separator", fmt(18, 0, 1), 1, 10, 0, 0x40, 505, "50,5 Hz", ','},
    {"negative", fmt(18, 0, 1), 1, 10, 0, 0x40, -5, "-0.5 Hz", '.'},
    {"half rounds away from zero", fmt(0, 0, 1), 1, 100, 0, 0x40, 125, "1.3", '.'},
    {"negative half", fmt(0, 0, 1), 1, 100, 0, 0x40, -125, "-1.3", '.'},
    {"no decimals", fmt(18, 0, 0), 1, 10, 0, 0x40, 505, "51 Hz", '.'},
    {"offset and degree sign", fmt(31, 0, 1), 1, 10, -400, 0x40, 700, "30.0 \u00B0C", '.'},
    {"offset sum wraps in 32 bits", fmt(0, 0, 0), 1, 1, 1, 0x80, 2147483647, "-2147483648", '.'},
    {"kind 0 divisor 0", fmt(18, 0, 1), 1, 0, 0, 0x40, 505, kErr, '.'},
    {"kind 0 divisor 0 and 0/0", fmt(0, 0, 1), 0, 0, 0, 0x40, 0, kErr, '.'},
    {"kind 1", fmt(8, 1, 3), 1000, 1, 0, 0x40, 8, "125.000 ms", '.'},
    {"kind 1 four decimals", fmt(0, 1, 4), 1, 3, 0, 0x40, 1, "0.3333", '.'},
    {"kind 1 zero denominator", fmt(8, 1, 3), 1000, 1, 0, 0x40, 0, kErr, '.'},
    {"kind 1 offset to zero", fmt(8, 1, 3), 1000, 1, -8, 0x40, 8, kErr, '.'},
    {"kind 1 divisor 0", fmt(8, 1, 3), 1000, 0, 0, 0x40, 8, kErr, '.'},
    {"kind 2 general", fmt(36, 2, 5), 7, 0, 9, 0x80, 1024, "1024 Inc", '.'},
    {"kind 3 fixed", fmt(37, 3, 4), 0, 0, 0, 0x40, 100, "100.0000 %", '.'},
    {"general 15 digits", fmt(0, 0, 5), 1, 3, 0, 0x40, 1, "0.333333333333333", '.'},
    {"general small is scientific", fmt(0, 1, 5), 1, 1000, 0, 0x80, 1000000, "1E-9", '.'},
    {"general keeps separator", fmt(0, 0, 5), 1, 4, 0, 0x40, 10, "2,5", ','},
    {"hex 16-bit negative", fmt(0, 2, 6), 1, 1, 0, 0x40, -2, "FFFFFFFEh", '.'},
    {"hex byte wider than 2 digits", fmt(0, 2, 6), 1, 1, 0, 0x00, 0x1234, "1234h", '.'},
    {"hex byte", fmt(0, 2, 6), 1, 1, 0, 0x00, 10, "0Ah", '.'},
    {"hex form 8, 32-bit", fmt(0, 2, 8), 1, 1, 0, 0x80, 0x12AB, "000012ABh", '.'},
    {"hex form 15, size 0xC0", fmt(0, 2, 15), 1, 1, 0, 0xC0, -1, "FFFFFFFFh", '.'},
    {"hex of the scaled value, with unit", fmt(18, 0, 6), 1, 10, 0, 0x40, 505, "0032h Hz", '.'},
    {"dotted 32-bit", fmt(0, 2, 7), 1, 1, 0, 0x80, static_cast<int32_t>(0xC0A80001u), "192.168.0.1", '.'},
    {"dotted 16-bit", fmt(0, 2, 7), 1, 1, 0, 0x40, 0x0203, "2.3", '.'},
    {"dotted size 0xC0", fmt(0, 2, 7), 1, 1, 0, 0xC0, 0x12340105, "1.5", '.'},
    {"dotted byte", fmt(0, 2, 7), 1, 1, 0, 0x00, 0x1FF, "255", '.'},
    {"dotted ignores scaling", fmt(18, 0, 7), 1, 10, 0, 0x40, 0x0102, "1.2 Hz", '.'},
    {"dotted still fails on divisor 0", fmt(18, 0, 7), 1, 0, 0, 0x40, 0x0102, kErr, '.'},
};

TEST(ValueToNumText, TableOfKindsAndForms)
{
    for (const NumCase& c : kNumCases) {
        SeparatorGuard sep(QLatin1Char(c.sep));
        const TParaRec p = makePara(c.format, c.mul, c.div, c.offset, c.attr);
        EXPECT_EQ(p.ValueToNumText(c.raw, false), QString::fromUtf8(c.text)) << c.what;
    }
}

TEST(ValueToNumText, RawModeIsHexWithoutUnit)
{
    SeparatorGuard sep(QLatin1Char('.'));
    const TParaRec p = makePara(fmt(18, 0, 1), 1, 0, 0, 0x40);  // divisor 0 plays no part
    EXPECT_EQ(p.ValueToNumText(505, true), QStringLiteral("01F9h"));
}

TEST(UnitTable, EntriesAndGaps)
{
    EXPECT_EQ(UnitText(0), QString());
    EXPECT_EQ(UnitText(17), QStringLiteral("1/min"));
    EXPECT_EQ(UnitText(40), QString());
    EXPECT_EQ(UnitText(48), QStringLiteral("lbin"));
    EXPECT_EQ(UnitText(57), QStringLiteral("\u00B0F"));
    EXPECT_EQ(UnitText(63), QString());
    EXPECT_EQ(UnitText(64), QString());
}

// A parameter with the three-field control table.
class PlainTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HexDisplay = 0;
        table_ = std::make_shared<TPlainTextRec>();
        addDef(0x01, {{0, "Off", "Aus"}, {1, "On", "Ein"}});
        addDef(0x06, {{0, "Stop", "Halt"}, {2, "Fwd", "Rechts"}, {4, "Rev", "Links"}});
        addDef(0xF0, {{0x00, "Keypad", "Tastatur"}, {0x10, "Terminal", "Klemme"}});
        para_ = makePara(fmt(0, 2, 0), 1, 1, 0, 0x40);
        para_.PlainText = table_;
        oldSep_ = DecimalSeparator();
        SetDecimalSeparator(QLatin1Char('.'));
    }
    void TearDown() override
    {
        HexDisplay = 0;
        SetDecimalSeparator(oldSep_);
    }

    struct Named {
        int value;
        const char* name;
        const char* name2;
    };
    std::shared_ptr<TPlainTextRec> single(uint32_t mask, std::initializer_list<Named> values)
    {
        auto t = std::make_shared<TPlainTextRec>();
        addDef(*t, mask, values);
        return t;
    }
    void addDef(uint32_t mask, std::initializer_list<Named> values) { addDef(*table_, mask, values); }
    static void addDef(TPlainTextRec& t, uint32_t mask, std::initializer_list<Named> values)
    {
        auto d = std::make_shared<TDefRec>();
        d->Mask = mask;
        for (const Named& n : values) {
            auto s = std::make_shared<TSubRec>();
            s->Value = n.value;
            s->Name.Set(0, QString::fromUtf8(n.name));
            s->Name.Set(1, QString::fromUtf8(n.name2));
            d->SubList.Add(s);
        }
        t.DefList.Add(d);
    }

    std::shared_ptr<TPlainTextRec> table_;
    TParaRec para_;
    QChar oldSep_;
};

TEST_F(PlainTextTest, FieldsJoinedBySeparatorInTheChosenLanguage)
{
    EXPECT_EQ(para_.ValueToText(0x13, 0, QLatin1Char('+'), false), QStringLiteral("On+Fwd+Terminal"));
    EXPECT_EQ(para_.ValueToText(0x13, 0, QLatin1Char('/'), false), QStringLiteral("On/Fwd/Terminal"));
    EXPECT_EQ(para_.ValueToText(0x13, 1, QLatin1Char('+'), false), QStringLiteral("Ein+Rechts+Klemme"));
    EXPECT_EQ(para_.ValueToText(0x13, 2, QLatin1Char('+'), false), QStringLiteral("On+Fwd+Terminal"));
    EXPECT_EQ(para_.ValueToText(0x11, 0, QLatin1Char('+'), true), QStringLiteral("17: On+Stop+Terminal"));
    para_.Flags = ParaFlag::NoDecPrefix;
    EXPECT_EQ(para_.ValueToText(0x11, 0, QLatin1Char('+'), true), QStringLiteral("On+Stop+Terminal"));
}

TEST_F(PlainTextTest, UnmatchedFieldShowsItsShiftedNumberAndCancelsTheDecimalPrefix)
{
    EXPECT_EQ(para_.ValueToText(0x31, 0, QLatin1Char('+'), true), QStringLiteral("On+Stop+3"));
    // The field number goes through the parameter's scaling and unit.
    para_.Format = fmt(18, 0, 1);
    para_.Div = 10;
    EXPECT_EQ(para_.ValueToText(0x31, 0, QLatin1Char('+'), false), QStringLiteral("On+Stop+0.3 Hz"));
    para_.Div = 0;
    EXPECT_EQ(para_.ValueToText(0x31, 0, QLatin1Char('+'), false), QStringLiteral("On+Stop+(Error calculating value)"));
}

TEST_F(PlainTextTest, Flag400LeavesUnmatchedFieldsOut)
{
    para_.Flags = ParaFlag::NoNumFallback;
    EXPECT_EQ(para_.ValueToText(0x31, 0, QLatin1Char('+'), true), QStringLiteral("49: On+Stop"));
    // Nothing added at all: the numeric text alone, no prefix.
    para_.PlainText = single(0x1, {{1, "Set", "Gesetzt"}});
    EXPECT_EQ(para_.ValueToText(0, 0, QLatin1Char('+'), true), QStringLiteral("0"));
}

TEST_F(PlainTextTest, EveryMatchingValueIsAdded)
{
    para_.PlainText = single(0x3, {{1, "mm", ""}, {2, "inch", ""}, {1, "Metric", ""}});
    EXPECT_EQ(para_.ValueToText(1, 0, QLatin1Char('+'), false), QStringLiteral("mm+Metric"));
}

TEST_F(PlainTextTest, DecimalPrefixOfAZeroNamedStop)
{
    para_.PlainText = single(0xFFFF, {{0, "Stop", "Halt"}});
    EXPECT_EQ(para_.ValueToText(0, 0, QLatin1Char('+'), true), QStringLiteral("0: Stop"));
    para_.Flags = ParaFlag::NoDecPrefix;
    EXPECT_EQ(para_.ValueToText(0, 0, QLatin1Char('+'), true), QStringLiteral("Stop"));
}

TEST_F(PlainTextTest, HexDisplayShowsTheRawValueOnly)
{
    para_.Format = fmt(18, 0, 1);
    para_.Div = 10;
    HexDisplay = 1;
    EXPECT_EQ(para_.ValueToText(0x13, 0, QLatin1Char('+'), true), QStringLiteral("0013h"));
    para_.PlainText.reset();
    EXPECT_EQ(para_.ValueToText(505, 0, QLatin1Char('+'), true), QStringLiteral("01F9h"));
}

TEST_F(PlainTextTest, WithoutTableTheNumericText)
{
    para_.PlainText.reset();
    para_.Format = fmt(18, 0, 1);
    para_.Div = 10;
    EXPECT_EQ(para_.ValueToText(505, 0, QLatin1Char('+'), true), QStringLiteral("50.5 Hz"));
}

struct TextCase {
    const char* what;
    uint16_t format;
    int mul, div, offset;
    uint32_t attr;
    const char* text;
    bool ok;
    int32_t raw;
    char sep;
};

const TextCase kTextCases[] = {
    {"comma and unit", fmt(18, 0, 1), 1, 10, 0, 0x40, "12,5 Hz", true, 125, '.'},
    {"point", fmt(18, 0, 1), 1, 10, 0, 0x40, "12.5", true, 125, '.'},
    {"point with comma separator", fmt(18, 0, 1), 1, 10, 0, 0x40, "12.5", true, 125, ','},
    {"negative", fmt(18, 0, 1), 1, 10, 0, 0x40, "-12.5 Hz", true, -125, '.'},
    {"offset", fmt(31, 0, 1), 1, 10, -400, 0x40, "30.0", true, 700, '.'},
    {"hex signed 7FFF", fmt(0, 0, 0), 1, 10, 0, 0x440, "7FFFH", true, 0x7FFF, '.'},
    {"hex signed 8000", fmt(0, 0, 0), 1, 10, 0, 0x440, "8000H", true, -32768, '.'},
    {"hex lower case", fmt(0, 0, 0), 1, 10, 0, 0x440, "8000h", true, -32768, '.'},
    {"hex unsigned 8000", fmt(0, 0, 0), 1, 10, 0, 0x40, "8000H", true, 0x8000, '.'},
    {"hex signed 32-bit not extended", fmt(0, 0, 0), 1, 1, 0, 0x480, "8000H", true, 0x8000, '.'},
    {"hex 32 bits", fmt(0, 0, 0), 1, 1, 0, 0x80, "FFFFFFFFH", true, -1, '.'},
    {"hex too long", fmt(0, 0, 0), 1, 1, 0, 0x80, "1FFFFFFFFH", false, 0, '.'},
    {"hex stops at point", fmt(0, 0, 0), 1, 1, 0, 0x80, "12.5H", true, 0x12, '.'},
    {"decimal integer ignores scaling", fmt(18, 0, 1), 1, 10, 0, 0x40, "25D", true, 25, '.'},
    {"decimal integer with fraction", fmt(18, 0, 1), 1, 10, 0, 0x40, "2.5D", false, 0, '.'},
    {"exponent stops the scan", fmt(18, 0, 1), 1, 10, 0, 0x40, "1E5", true, 10, '.'},
    {"leading blank", fmt(18, 0, 1), 1, 10, 0, 0x40, " 12", true, 0, '.'},
    {"letters", fmt(18, 0, 1), 1, 10, 0, 0x40, "abc", true, 0, '.'},
    {"empty", fmt(18, 0, 1), 1, 10, 0, 0x40, "", true, 0, '.'},
    {"lone minus", fmt(18, 0, 1), 1, 10, 0, 0x40, "-", false, 0, '.'},
    {"minus inside", fmt(0, 2, 0), 1, 1, 0, 0x40, "1-2", false, 0, '.'},
    {"two points", fmt(0, 2, 0), 1, 1, 0, 0x40, "1.2.3", false, 0, '.'},
    {"half to even down", fmt(0, 2, 0), 1, 1, 0, 0x40, "2.5", true, 2, '.'},
    {"half to even up", fmt(0, 2, 0), 1, 1, 0, 0x40, "3.5", true, 4, '.'},
    {"negative half to even", fmt(0, 2, 0), 1, 1, 0, 0x40, "-2.5", true, -2, '.'},
    {"overflow", fmt(0, 2, 0), 1, 1, 0, 0x80, "99999999999", false, 0, '.'},
    {"kind 1", fmt(8, 1, 3), 1000, 1, 0, 0x40, "125", true, 8, '.'},
    {"kind 1 zero", fmt(8, 1, 3), 1000, 1, 0, 0x40, "0", false, 0, '.'},
    {"kind 0 multiplier 0", fmt(0, 0, 1), 0, 10, 0, 0x40, "5", false, 0, '.'},
    {"dotted", fmt(0, 2, 7), 1, 1, 0, 0x80, "192.168.0.1", true, static_cast<int32_t>(0xC0A80001u), '.'},
    {"dotted with comma separator", fmt(0, 2, 7), 1, 1, 0, 0x80, "192.168.0.1", true, static_cast<int32_t>(0xC0A80001u), ','},
    {"dotted parts unchecked", fmt(0, 2, 7), 1, 1, 0, 0x40, "1.300", true, 256 + 300, '.'},
    {"dotted five parts wrap", fmt(0, 2, 7), 1, 1, 0, 0x80, "9.1.2.3.4", true, 0x01020304, '.'},
    {"dotted empty part", fmt(0, 2, 7), 1, 1, 0, 0x80, "1..2", false, 0, '.'},
    {"dotted overridden by H", fmt(0, 2, 7), 1, 1, 0, 0x80, "10H", true, 16, '.'},
};

TEST(TextToValue, TableOfModes)
{
    for (const TextCase& c : kTextCases) {
        SeparatorGuard sep(QLatin1Char(c.sep));
        const TParaRec p = makePara(c.format, c.mul, c.div, c.offset, c.attr);
        int32_t raw = 4711;
        const bool ok = p.TextToValue(QString::fromUtf8(c.text), raw);
        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(raw, c.ok ? c.raw : 4711) << c.what;
    }
}

TEST(TextToValue, DottedRoundTrip)
{
    const TParaRec p = makePara(fmt(0, 2, 7), 1, 1, 0, 0x80);
    const int32_t raw = static_cast<int32_t>(0xC0A80001u);
    int32_t back = 0;
    ASSERT_TRUE(p.TextToValue(p.ValueToText(raw, 0, QLatin1Char('+'), false), back));
    EXPECT_EQ(back, raw);
}

TEST(SetMaskToStr, Table)
{
    const struct {
        int mask;
        const char* text;
    } cases[] = {
        {-1, "I"}, {0, "A"}, {-2, ""}, {-32768, ""}, {0x17, "0-2;4"}, {0x05, "0;2"}, {0x03, "0-1"},
        {0xFF, "0-7"}, {0x80, "7"}, {0x1B, "0-1;3-4"}, {0x155, "0;2;4;6"}, {0x100, ""}, {0x1C0, "6-7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SetMaskToStr(static_cast<int16_t>(c.mask)), QString::fromLatin1(c.text)) << c.mask;
}

TEST(ChangeExt, Table)
{
    const struct {
        const char* name;
        const char* ext;
        const char* result;
    } cases[] = {
        {"C:\\a.b\\file", "dw5", "C:\\a.b\\file.dw5"},
        {"list.wr5", "trc", "list.trc"},
        {"/home/a.b/file", "dw5", "/home/a.b/file.dw5"},
        {"/home/a.b/list.wr5", "trc", "/home/a.b/list.trc"},
        {"a.tar.gz", "bz", "a.tar.bz"},
        {"noext", "x", "noext.x"},
        {"", "op5", ".op5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangeExt(QString::fromLatin1(c.name), QString::fromLatin1(c.ext)), QString::fromLatin1(c.result)) << c.name;
}

}  // namespace
