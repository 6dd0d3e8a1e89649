#include "tools/lngtool/lang_source.h"

#include <gtest/gtest.h>

#include "config/lang_texts.h"

namespace {

using lngsrc::Entry;

TEST(LangSource, ParsesSectionsEntriesAndEscapes)
{
    const auto r = lngsrc::parseSource(QString::fromUtf8("# comment\n"
                                                         "[1]\n"
                                                         "0=Größe\n"
                                                         "1=Zeile 1\\nZeile 2\\n\r\n"
                                                         "\n"
                                                         "[0]\n"
                                                         "0=\\sblank at both ends\\s\n"
                                                         "1=a\\\\n is no break\\tx\n"
                                                         "2=\\z\n"
                                                         "3=\n"
                                                         "4=x=y = z \n"));
    ASSERT_TRUE(r.errors.isEmpty()) << r.errors.join('\n').toStdString();
    ASSERT_EQ(r.sections.size(), 2u);
    const auto& s0 = r.sections.at(0);
    ASSERT_EQ(s0.size(), 5u);
    EXPECT_EQ(s0[0], Entry{" blank at both ends "});
    EXPECT_EQ(s0[1], Entry{"a\\n is no break\tx"});
    EXPECT_EQ(s0[2], Entry{});
    EXPECT_EQ(s0[3], Entry{""});
    EXPECT_EQ(s0[4], Entry{"x=y = z "});
    EXPECT_EQ(r.sections.at(1)[0], Entry{QString::fromUtf8("Größe")});
    EXPECT_EQ(r.sections.at(1)[1], (Entry{"Zeile 1", "Zeile 2", ""}));
}

TEST(LangSource, ReportsFaultsWithTheirLine)
{
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"[0]\n0=a\n2=c\n", "entries 1 to 1 missing"},
        {"[0]\n1=b\n", "entries 0 to 0 missing"},
        {"[0]\n0=a\n0=b\n", "line 3: entry (0,0) given twice"},
        {"0=a\n", "line 1: entry outside a section"},
        {"[20]\n0=a\n", "line 1: section 20 outside 0 to 19"},
        {"[0]\n0=a\\q\n", "line 2: unknown escape \\q"},
        {"[0]\n0=a\\\n", "line 2: backslash at the end"},
        {"[0]\nwhat\n", "line 2: neither a section header nor an entry"},
        {"[0]\n0=a\n[0]\n", "line 3: section 0 begins a second time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const auto r = lngsrc::parseSource(QString::fromUtf8(c.source));
        ASSERT_FALSE(r.errors.isEmpty());
        EXPECT_TRUE(r.errors.join('\n').contains(QString::fromUtf8(c.expected)))
            << r.errors.join('\n').toStdString();
    }
}

TEST(LangSource, CompiledFileLoadsBackAndDumpsToTheSameSource)
{
    lngsrc::Sections sections;
    sections[0] = {{"OK"}, {}, {"", "two", ""}, {" lead", "trail "}, {"back\\slash", "\\z"}};
    sections[3] = {{QString::fromUtf8("Übernehmen °C")}};  // sections 1 and 2 are empty
    sections[9] = {{"-10=No answer"}};
    QStringList errors;
    const QByteArray bytes = lngsrc::compile(sections, CodePage::Cp1252, &errors);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(bytes.left(16), QByteArray("\x05\x00VORTALIN50_SRB", 16));

    TVortalinText t;
    t.SetVersion(5);
    ASSERT_TRUE(t.LoadFromBytes(bytes));
    EXPECT_EQ(t.GetText(3, 0), QString::fromUtf8("Übernehmen °C"));
    EXPECT_EQ(t.GetText(0, 1), "???");
    EXPECT_EQ(*t.GetStrings(0, 2), (Entry{"", "two", ""}));
    EXPECT_EQ(t.GetText(1, 0), "???");
    EXPECT_EQ(t.GetErrorText(-10), "No answer");

    // The source form of the loaded store parses back to the same sections,
    // with the empty sections in between kept.
    lngsrc::Sections dumped;
    for (int s = 0; s < TVortalinText::MaxSections; ++s) {
        if (!t.HasSection(s))
            continue;
        auto& sec = dumped[s];
        for (int i = 0; i < t.SectionSize(s); ++i)
            sec.push_back(*t.GetStrings(s, i));
    }
    const QString text = lngsrc::formatSource(dumped);
    const auto back = lngsrc::parseSource(text);
    ASSERT_TRUE(back.errors.isEmpty()) << back.errors.join('\n').toStdString();
    lngsrc::Sections expected = sections;
    expected[1];
    expected[2];
    for (int s = 4; s < 9; ++s)
        expected[s];
    EXPECT_EQ(back.sections, expected);
}

TEST(LangSource, CompileRefusesWhatTheFileCannotHold)
{
    const struct {
        const char* name;
        lngsrc::Sections sections;
        CodePage cp;
    } cases[] = {
        {"character outside Windows-1252", {{0, {{QString::fromUtf8("Ж")}}}}, CodePage::Cp1252},
        {"character outside Windows-1251", {{0, {{QString::fromUtf8("é")}}}}, CodePage::Cp1251},
        {"line longer than 255 bytes", {{0, {{QString(256, 'x')}}}}, CodePage::Cp1252},
        {"section 20", {{20, {{"x"}}}}, CodePage::Cp1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList errors;
        EXPECT_TRUE(lngsrc::compile(c.sections, c.cp, &errors).isEmpty());
        EXPECT_FALSE(errors.isEmpty());
    }
    QStringList errors;
    const QByteArray ok = lngsrc::compile({{0, {{QString(255, 'x')}}}}, CodePage::Cp1252, &errors);
    EXPECT_TRUE(errors.isEmpty());
    TVortalinText t;
    t.SetVersion(5);
    ASSERT_TRUE(t.LoadFromBytes(ok));
    EXPECT_EQ(t.GetText(0, 0).size(), 255);
}

TEST(LangSource, InventoryCheckFindsEveryKindOfFault)
{
    const QString inventory = QString::fromUtf8(
        "section\tindex\trole\tlines\tplaceholders\tgerman_default\tnote\n"
        "0\t0\tcontrol\t1\t\tUmrichter\tinverter label\n"
        "0\t1\tmessage\t1+\t@P1,@P2\tDatei @P1\\nFehler @P2\tfile error\n"
        "0\t2\tmessage\t1+\t\t\tno placeholders\n"
        "0\t3\tbutton,control\t1\t\t\tbutton caption\n"
        "9\t0\tcodes\tcodes\t\t\terror texts\n");
    const auto inv = lngsrc::parseInventory(inventory);
    ASSERT_TRUE(inv.errors.isEmpty()) << inv.errors.join('\n').toStdString();
    ASSERT_EQ(inv.keys.size(), 5u);
    EXPECT_EQ(inv.keys[1].placeholders, (QStringList{"@P1", "@P2"}));

    QStringList codeLines;
    for (int code : lngsrc::requiredResultCodes())
        codeLines << QStringLiteral("%1=text %1").arg(code);

    lngsrc::Sections good;
    good[0] = {{"Umrichter"}, {"Datei @P1", "Fehler @P2"}, {"Nothing to fill"}, {"Take 2"}};
    good[9] = {codeLines};
    EXPECT_TRUE(lngsrc::checkAgainstInventory(good, inv.keys, true).isEmpty());

    const struct {
        const char* name;
        std::function<void(lngsrc::Sections&)> spoil;
        bool german;
        const char* expected;
    } cases[] = {
        {"missing key", [](auto& s) { s[0].pop_back(); }, false, "(0,3) missing"},
        {"button read as a glyph code", [](auto& s) { s[0][3] = {"2 sets"}; }, false, "(0,3): a button caption"},
        {"button read as no glyph", [](auto& s) { s[0][3] = {":Next"}; }, false, "(0,3): a button caption"},
        {"missing section", [](auto& s) { s.erase(9); }, false, "(9,0) missing"},
        {"two lines for a caption", [](auto& s) { s[0][0] = {"a", "b"}; }, false, "(0,0) must have 1 line(s), has 2"},
        {"message without lines", [](auto& s) { s[0][2] = {}; }, false, "(0,2) needs at least 1 line(s), has 0"},
        {"placeholder lost", [](auto& s) { s[0][1] = {"File", "Error @P2"}; }, false, "lacks the placeholder @P1"},
        {"placeholder never filled", [](auto& s) { s[0][2] = {"@p3 is empty"}; }, false, "uses @P3"},
        {"result code without text", [](auto& s) { s[9][0].removeAt(3); }, false, "no text for result code 4"},
        {"empty result text", [](auto& s) { s[9][0].last() = "-1020="; }, false, "no text for result code -1020"},
        {"German default changed", [](auto& s) { s[0][0] = {"Antrieb"}; }, true, "differs from the built-in default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        lngsrc::Sections s = good;
        c.spoil(s);
        const QStringList faults = lngsrc::checkAgainstInventory(s, inv.keys, c.german);
        EXPECT_TRUE(faults.join('\n').contains(QString::fromUtf8(c.expected))) << faults.join('\n').toStdString();
    }

    // The German default is only binding for the German source.
    lngsrc::Sections english = good;
    english[0][0] = {"Inverter"};
    english[0][1] = {"File @P1", "Error @P2"};
    EXPECT_TRUE(lngsrc::checkAgainstInventory(english, inv.keys, false).isEmpty());
}

TEST(LangSource, InventoryFormatFaults)
{
    const auto inv = lngsrc::parseInventory(
        "header\n"
        "0\t0\tcontrol\t1\t\t\tok\n"
        "0\t0\tcontrol\t1\t\t\ttwice\n"
        "0\tx\tcontrol\t1\t\t\tbad index\n"
        "0\t1\tcontrol\t2x\t\t\tbad lines\n"
        "0\t2\tcontrol\t1\n");
    const QString all = inv.errors.join('\n');
    EXPECT_TRUE(all.contains("line 3: key (0,0) listed twice")) << all.toStdString();
    EXPECT_TRUE(all.contains("line 4: bad section or index"));
    EXPECT_TRUE(all.contains("line 5: lines must be"));
    EXPECT_TRUE(all.contains("line 6: 4 fields"));
}

} // namespace
