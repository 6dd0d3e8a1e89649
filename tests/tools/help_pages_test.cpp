// The shipped help pages: every help context the program opens has its
// anchor in every language, the pages parse and link only inside themselves,
// and the install step puts them (and nothing of the build around them)
// where the main program looks for its help file.

#include "installer.h"

#include "temp_dir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <set>

namespace {

// Help file per language letter: "Halvorn" + letter + ".html".
const char* const kPages[] = {"Halvorne.html", "Halvornd.html"};

// Every help context the main program's windows, menus and questions carry
// (0 means no topic and has no anchor).
const std::set<int> kProgramContexts = {
    6,   13,  14,  15,  16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  26,  27,  28,
    29,  30,  31,  32,  33,  34,  36,  37,  38,  39,  40,  41,  43,  44,  45,  46,  47,
    48,  49,  50,  52,  53,  54,  55,  62,  64,  65,  66,  67,  68,  70,  71,  75,  84,
    86,  87,  88,  91,  94,  95,  137, 138, 140, 141, 142, 152, 165, 167, 168, 171,
};

QString helpSourceDir() { return QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/help")); }

QString readPage(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Help contexts set in code: an integer literal given to a name that says it
// is a help context (HelpContext = 30, SetHelpContext(168), ...); 0 is none.
void contextsInText(const QString& code, std::set<int>& found)
{
    static const QRegularExpression use(
        QStringLiteral(R"(\w*help_?(?:context|ctx)\w*\s*(?:=|\(|\{)\s*(\d+))"),
        QRegularExpression::CaseInsensitiveOption);
    auto m = use.globalMatch(code);
    while (m.hasNext()) {
        const int n = m.next().captured(1).toInt();
        if (n != 0)
            found.insert(n);
    }
}

// The same over the product's source folders.
std::set<int> contextsInCode()
{
    std::set<int> found;
    const QDir root(qeltest::sourceDir());
    for (const char* folder : {"platform", "comm", "config", "dialogs", "lists", "quintel", "mainwin", "scope", "apps"}) {
        QDirIterator it(root.filePath(QString::fromLatin1(folder)), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            contextsInText(readPage(it.next()), found);
    }
    return found;
}

struct PageScan {
    QString error;            // empty when the page parsed
    QStringList ids;          // every id attribute, in order
    QStringList localLinks;   // href="#..." targets
    QStringList otherRefs;    // any other href or src
    bool hasScript = false;
};

PageScan scanPage(const QString& text)
{
    PageScan scan;
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("script"))
            scan.hasScript = true;
        const QXmlStreamAttributes a = xml.attributes();
        if (a.hasAttribute(QLatin1String("id")))
            scan.ids << a.value(QLatin1String("id")).toString();
        for (const char* ref : {"href", "src"}) {
            const QString v = a.value(QLatin1String(ref)).toString();
            if (v.startsWith(u'#'))
                scan.localLinks << v.mid(1);
            else if (!v.isEmpty())
                scan.otherRefs << v;
        }
    }
    if (xml.hasError())
        scan.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return scan;
}

std::set<int> contextAnchors(const QStringList& ids)
{
    std::set<int> out;
    static const QRegularExpression ctx(QStringLiteral(R"(^ctx(\d+)$)"));
    for (const QString& id : ids) {
        const auto m = ctx.match(id);
        if (m.hasMatch())
            out.insert(m.captured(1).toInt());
    }
    return out;
}

TEST(HelpPages, EveryLanguageHasEveryContextAndParsesWithUniqueIdsAndOwnLinks)
{
    std::set<int> wanted = kProgramContexts;
    const std::set<int> inCode = contextsInCode();
    wanted.insert(inCode.begin(), inCode.end());

    std::set<int> firstAnchors;
    for (const char* name : kPages) {
        SCOPED_TRACE(name);
        const QString text = readPage(QDir(helpSourceDir()).filePath(QString::fromLatin1(name)));
        ASSERT_FALSE(text.isEmpty());
        const PageScan scan = scanPage(text);
        ASSERT_TRUE(scan.error.isEmpty()) << scan.error.toStdString();
        EXPECT_FALSE(scan.hasScript);
        EXPECT_TRUE(scan.otherRefs.isEmpty()) << scan.otherRefs.join(u' ').toStdString();

        const QSet<QString> unique(scan.ids.begin(), scan.ids.end());
        EXPECT_EQ(unique.size(), scan.ids.size()) << "duplicate id";
        for (const QString& target : scan.localLinks)
            EXPECT_TRUE(unique.contains(target)) << "dangling link #" << target.toStdString();

        const std::set<int> anchors = contextAnchors(scan.ids);
        for (int n : wanted)
            EXPECT_TRUE(anchors.count(n)) << "no anchor ctx" << n;
        if (firstAnchors.empty())
            firstAnchors = anchors;
        else
            EXPECT_EQ(anchors, firstAnchors) << "languages cover different topics";
    }
}

TEST(HelpPages, ScanFindsContextsSetInCodeAndPageCheckCatchesFaults)
{
    // The code scan sees the ways a help context is set, and not other "help" numbers.
    std::set<int> found;
    contextsInText(QStringLiteral("int HelpContext = 30;\n"
                                  "    UserMsgHelpContext = 168; ... UserMsgHelpContext = 0;\n"
                                  "dlg.SetHelpContext(75); item.helpContext{44}; kHelpCtxScope =43;\n"
                                  "const int kHelpLine = 2; helpHandler()(helpContext_);"),
                   found);
    EXPECT_EQ(found, (std::set<int>{30, 43, 44, 75, 168}));
    EXPECT_TRUE(contextsInCode().count(30)) << "the options dialog's context is not seen in the tree";

    const PageScan bad = scanPage(QStringLiteral(
        "<html><body><h2 id=\"ctx1\">a</h2><h2 id=\"ctx1\">b</h2><a href=\"#x\">x</a><p>open</body></html>"));
    EXPECT_FALSE(bad.error.isEmpty());
    const PageScan dup = scanPage(QStringLiteral(
        "<html><body><h2 id=\"ctx1\">a</h2><h2 id=\"ctx1\">b</h2><img src=\"http://x/y.png\"/></body></html>"));
    ASSERT_TRUE(dup.error.isEmpty());
    EXPECT_EQ(dup.ids.size(), 2);
    EXPECT_EQ(dup.otherRefs, QStringList{QStringLiteral("http://x/y.png")});
}

class HelpInstallTest : public qeltest::TempDirTest {};

TEST_F(HelpInstallTest, PagesGoToTheProgramFolderWithoutBuildFiles)
{
    // A help folder as the build tree or the source tree holds it: the pages
    // and a picture beside the build system's own files.
    const QString src = path(QStringLiteral("help"));
    ASSERT_TRUE(QDir().mkpath(src));
    for (const char* name : kPages)
        ASSERT_TRUE(QFile::copy(QDir(helpSourceDir()).filePath(QString::fromLatin1(name)),
                                QDir(src).filePath(QString::fromLatin1(name))));
    for (const char* extra : {"pic.png", "CMakeLists.txt", "cmake_install.cmake", "CTestTestfile.cmake"}) {
        QFile f(QDir(src).filePath(QString::fromLatin1(extra)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }

    InstallOptions o;
    o.prefix = path(QStringLiteral("prefix"));
    o.registryPath = path(QStringLiteral("registry.reg"));
    o.helpDir = src;
    InstallReport r;
    ASSERT_TRUE(runInstall(o, r)) << r.errors.join(u'\n').toStdString();

    const QString app = InstallPaths::under(o.prefix).application;
    for (const char* name : {"Halvorne.html", "Halvornd.html", "pic.png"})
        EXPECT_TRUE(QFileInfo::exists(app + QString::fromLatin1(name))) << name;
    for (const char* name : {"CMakeLists.txt", "cmake_install.cmake", "CTestTestfile.cmake"})
        EXPECT_FALSE(QFileInfo::exists(app + QString::fromLatin1(name))) << name;
}

} // namespace
