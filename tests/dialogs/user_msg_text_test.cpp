#include "dialogs/user_msg_text.h"

#include <gtest/gtest.h>

namespace {

const QStringList kParams{"P1=Para0001.bin", "P2=", "P3=7"};

TEST(UserMsgText, PlaceholdersAreFilled)
{
    struct Case {
        const char* line;
        QStringList params;
        const char* expected;
    };
    const Case cases[] = {
        {"File @P1 not found", kParams, "File Para0001.bin not found"},
        {"lower case @p1 too", kParams, "lower case Para0001.bin too"},
        {"@P3 and @P3 again", kParams, "7 and 7 again"},
        {"empty [@P2] vanishes", kParams, "empty [] vanishes"},
        {"no token here", kParams, "no token here"},
        {"@P1 missing value", {}, "@P1 missing value"},
        // A value is not searched again for its own token ...
        {"@P1", {"P1=@P1@P1"}, "@P1@P1"},
        // ... but later entries see it.
        {"@P1", {"P1=@P2", "P2=x"}, "x"},
        // Only a to z compare without case.
        {"@\u00e4", {"\u00c4=no"}, "@\u00e4"},
        // The token is a plain prefix match, so "@P1" also hits "@P10".
        {"@P10", {"P1=a"}, "a0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(FillPlaceholders(QString::fromUtf8(c.line), c.params), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(FillPlaceholders(QStringList{"a @P3", "b @p3"}, kParams), (QStringList{"a 7", "b 7"}));
}

TEST(UserMsgText, SetParamReplacesByNameOrAppends)
{
    QStringList params;
    SetParamEntry(params, "P1", "a");
    SetParamEntry(params, "P2", "");
    SetParamEntry(params, "p1", "b");
    EXPECT_EQ(params, (QStringList{"p1=b", "P2="}));
}

TEST(UserMsgText, CaptionPrefixSelectsGlyph)
{
    struct Case {
        const char* caption;
        const char* text;
        int glyph;
    };
    const Case cases[] = {
        {"0OK", "OK", 0}, {"3&Ja", "&Ja", 3}, {"4Nein", "Nein", 4}, {"6Abbrechen", "Abbrechen", 6},
        {"8Ignorieren", "Ignorieren", 8}, {"9Alle", "Alle", 9}, {":Liste", "Liste", 10},
        {"&OK", "&OK", -1}, {"Weiter", "Weiter", -1}, {"", "", -1}, {"5", "", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const TButtonCaption split = SplitButtonCaption(c.caption);
        EXPECT_EQ(split.text, c.text);
        EXPECT_EQ(split.glyphCode, c.glyph);
    }
}

TEST(UserMsgText, PresetRuleTakesFirstOkAndCancelWhileUnset)
{
    int def = -1, cancel = -1;
    PresetDefaultCancel({"Yes", "&Ok", "ok", "A&bort", "&Cancel"}, def, cancel);
    EXPECT_EQ(def, 1);
    EXPECT_EQ(cancel, 3);

    def = 0;
    cancel = -1;
    PresetDefaultCancel({"0OK", "6Cancel", "&OK", "CANCEL"}, def, cancel);
    EXPECT_EQ(def, 0);      // already set
    EXPECT_EQ(cancel, 3);   // prefixed captions are not "CANCEL"
}

TEST(UserMsgText, TrailingEmptyCaptionsDropped)
{
    EXPECT_EQ(TrimButtonCaptions({"3Ja", "4Nein", "", ""}), (QStringList{"3Ja", "4Nein"}));
    EXPECT_EQ(TrimButtonCaptions({"", "x", ""}), (QStringList{"", "x"}));
    EXPECT_EQ(TrimButtonCaptions({"", ""}), QStringList{"OK"});
    EXPECT_EQ(TrimButtonCaptions({}), QStringList{"OK"});
}

} // namespace
