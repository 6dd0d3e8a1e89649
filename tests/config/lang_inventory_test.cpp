// The shipped language sources against the key inventory of each program, and
// the language files the build generates from them.

#include "tools/lngtool/lang_source.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "config/lang_texts.h"
#include "temp_dir.h"

namespace {

struct Shipped {
    const char* program;
    const char* source;
    const char* srb;
    bool german;
};

const Shipped kShipped[] = {
    {"halvorn", "halvorn-en.lng", "lngproge.srb", false},
    {"halvorn", "halvorn-de.lng", "lngprogd.srb", true},
    {"quintel", "quintel-en.lng", "cpe.srb", false},
    {"quintel", "quintel-de.lng", "cpd.srb", true},
};

QString langDir()
{
    return QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/lang"));
}

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

lngsrc::ParseResult source(const char* name)
{
    return lngsrc::parseSource(readText(QDir(langDir()).filePath(QString::fromLatin1(name))));
}

std::vector<lngsrc::InventoryKey> inventory(const char* program)
{
    const QString path = QDir(langDir()).filePath(QStringLiteral("inventory-%1.tsv").arg(QLatin1String(program)));
    const auto inv = lngsrc::parseInventory(readText(path));
    EXPECT_TRUE(inv.errors.isEmpty()) << inv.errors.join('\n').toStdString();
    EXPECT_FALSE(inv.keys.empty()) << path.toStdString();
    return inv.keys;
}

TEST(LangInventory, EverySourceCoversItsProgramsInventory)
{
    for (const Shipped& s : kShipped) {
        SCOPED_TRACE(s.source);
        const auto src = source(s.source);
        ASSERT_TRUE(src.errors.isEmpty()) << src.errors.join('\n').toStdString();
        const QStringList faults = lngsrc::checkAgainstInventory(src.sections, inventory(s.program), s.german);
        EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
    }
}

TEST(LangInventory, LanguagesOfOneProgramHaveTheSameShape)
{
    // Same sections with the same number of entries, so that no text is
    // shifted against the other language.
    for (const char* program : {"halvorn", "quintel"}) {
        SCOPED_TRACE(program);
        const auto en = source(QStringLiteral("%1-en.lng").arg(QLatin1String(program)).toLatin1().constData());
        const auto de = source(QStringLiteral("%1-de.lng").arg(QLatin1String(program)).toLatin1().constData());
        ASSERT_EQ(en.sections.size(), de.sections.size());
        for (const auto& [num, entries] : en.sections) {
            ASSERT_TRUE(de.sections.count(num)) << num;
            EXPECT_EQ(entries.size(), de.sections.at(num).size()) << "section " << num;
        }
    }
}

TEST(LangInventory, InventoryNamesEveryResultCodeOnce)
{
    for (const char* program : {"halvorn", "quintel"}) {
        const auto keys = inventory(program);
        const auto it = std::find_if(keys.begin(), keys.end(),
                                     [](const lngsrc::InventoryKey& k) { return k.section == 9 && k.index == 0; });
        ASSERT_NE(it, keys.end()) << program;
        EXPECT_EQ(it->lines, "codes");
    }
}

TEST(LangInventory, GeneratedFilesHoldTheSourceTexts)
{
    const QDir built(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang")));
    for (const Shipped& s : kShipped) {
        SCOPED_TRACE(s.srb);
        const QString file = built.filePath(QString::fromLatin1(s.srb));
        ASSERT_TRUE(QFile::exists(file)) << file.toStdString() << " missing: build the target lang_files";

        TVortalinText texts;
        texts.SetVersion(5);
        ASSERT_TRUE(texts.LoadFromFile(file, CodePage::Cp1252));
        const auto src = source(s.source);
        for (const auto& [num, entries] : src.sections) {
            ASSERT_EQ(texts.SectionSize(num), int(entries.size())) << "section " << num;
            for (size_t i = 0; i < entries.size(); ++i) {
                const QStringList* got = texts.GetStrings(num, int(i));
                ASSERT_NE(got, nullptr);
                EXPECT_EQ(*got, entries[i]) << "(" << num << "," << i << ")";
            }
        }
        for (int code : lngsrc::requiredResultCodes())
            EXPECT_NE(texts.GetErrorText(code), QStringLiteral("Error Code %1").arg(code)) << code;
        // Lookups beyond the file stay "???".
        EXPECT_EQ(texts.GetText(9, 1), "???");
        EXPECT_EQ(texts.GetText(19, 0), "???");
    }
}

} // namespace
