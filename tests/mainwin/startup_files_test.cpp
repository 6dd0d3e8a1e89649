// The files and choices the start-up makes from the settings.
#include "platform/single_instance.h"
#include "mainwin/startup_files.h"

#include "config/lang_texts.h"
#include "dialogs/file_dlg.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

class StartupFiles : public qeltest::TempDirTest {
protected:
    QString app() const { return dir() + u'/'; }
    void touch(const QString& name)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_F(StartupFiles, LanguageFileFallsBackInTheFixedOrder)
{
    struct Case {
        int progLng;
        QStringList installed;
        QString chosen;  // empty: none
    } cases[] = {
        {3, {"lngproge.srb"}, "lngproge.srb"},
        {3, {"lngproga.srb"}, "lngproga.srb"},
        {3, {"lngprogf.srb", "lngproge.srb"}, "lngprogf.srb"},
        {1, {"lngprogi.srb", "lngprogs.srb"}, "lngprogi.srb"},
        {5, {"lngprogd.srb", "lngproge.srb"}, "lngproge.srb"},
        {0, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progLng);
        for (const QString& f : QDir(dir()).entryList(QDir::Files))
            QFile::remove(path(f));
        for (const QString& f : c.installed)
            touch(f);
        EXPECT_EQ(ChooseLanguageFile(app(), c.progLng), c.chosen.isEmpty() ? QString() : app() + c.chosen);
    }
}

TEST_F(StartupFiles, HelpFileIsTheLanguagesOrTheEnglishOneOrNone)
{
    touch(QStringLiteral("Halvornd.html"));
    EXPECT_EQ(ChooseHelpFile(app(), 1), app() + QStringLiteral("Halvornd.html"));
    EXPECT_EQ(ChooseHelpFile(app(), 2), QString());
    touch(QStringLiteral("Halvorne.html"));
    EXPECT_EQ(ChooseHelpFile(app(), 2), app() + QStringLiteral("Halvorne.html"));
}

TEST(CommandLine, OnlyTheExactDownloadAndScopeExtensionsAreNotProjects)
{
    struct Case {
        const char* param;
        TCmdLineKind kind;
    } cases[] = {
        {"", clNone},
        {"/d/list.dw5", clDownList},
        {"/d/list.DW5", clProject},
        {"/d/list.dwn", clProject},
        {"/d/params.op5", clProject},
        {"/d/rec.sc5", clScope},
        {"/d/rec.SC5", clProject},
        {"/d/plant.pr5", clProject},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.param);
        EXPECT_EQ(ClassifyCommandLine(QString::fromLatin1(c.param)), c.kind);
    }
}

TEST(HelpMenu, NoAdvHelpMenuBitsHideEntriesAndSeparators)
{
    struct Case {
        int bits;
        bool inhalt, howTo, n8, manuals, n9;
    } cases[] = {
        {0, true, true, true, true, true},   {1, false, true, true, true, true},
        {2, true, false, true, true, true},  {3, false, false, false, true, true},
        {8, true, true, true, false, false}, {11, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const THelpMenuVisibility v = HelpMenuVisibility(c.bits);
        EXPECT_EQ(v.miInhalt, c.inhalt);
        EXPECT_EQ(v.miHowTo, c.howTo);
        EXPECT_EQ(v.N8, c.n8);
        EXPECT_EQ(v.miInvManuals, c.manuals);
        EXPECT_EQ(v.N9, c.n9);
    }
}

TEST(OpenFilter, KeepsTheBarFormAndShowsAsQtFilters)
{
    TVortalinText none;  // no file: every text reads "???"
    const QString filter = OpenDialogFilter(none);
    EXPECT_EQ(filter.count(u'|'), 13);
    EXPECT_TRUE(filter.startsWith(QStringLiteral("??? (*.pr5;*.wr5;*.dw5;*.sc5)|*.pr5;*.wr5;*.dw5;*.sc5|")));
    EXPECT_TRUE(filter.endsWith(QStringLiteral("??? (*.*)|*.*")));
    const QStringList qt = QtNameFilters(filter);
    ASSERT_EQ(qt.size(), 7);
    EXPECT_EQ(qt[2], QStringLiteral("??? (*.dw5 *.dwn *.op5)"));
    EXPECT_EQ(qt[6], QStringLiteral("??? (*)"));
}

class SingleInstance : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        qputenv("XDG_RUNTIME_DIR", dir().toLocal8Bit());
    }
    void TearDown() override { qunsetenv("XDG_RUNTIME_DIR"); }
};

TEST_F(SingleInstance, ASecondLockIsRefusedUntilTheFirstIsReleasedAndTheFileStays)
{
    TSingleInstanceLock first, second;
    ASSERT_EQ(first.Acquire(QStringLiteral("QEL_Vortalin_5")), TSingleInstanceLock::lrTaken);
    EXPECT_NE(first.Handle(), 0);
    EXPECT_EQ(TSingleInstanceLock::LockPath(QStringLiteral("QEL_Vortalin_5")), path(QStringLiteral("QEL_Vortalin_5.lock")));
    EXPECT_EQ(second.Acquire(QStringLiteral("QEL_Vortalin_5")), TSingleInstanceLock::lrAlreadyExists);
    EXPECT_EQ(second.Handle(), 0);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("QEL_Vortalin_5.lock"))));
    first.Release();
    EXPECT_EQ(first.Handle(), 0);
    EXPECT_EQ(second.Acquire(QStringLiteral("QEL_Vortalin_5")), TSingleInstanceLock::lrTaken);
}
