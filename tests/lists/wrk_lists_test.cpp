// The work-list manager: slots, captions and positions, finding a file
// already open, a file that fails to load, and settings and texts that
// reach windows opened before and after.

#include "lists/fwrk_list.h"
#include "lists/wrk_lists.h"
#include "fake_main_form.h"
#include "wrk_fixture.h"

#include "../dialogs/choice_dlg_support.h"

#include <QDir>
#include <QFile>
#include <QPointer>

using namespace listtest;

namespace {

class WrkListsTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        mgr.SetInteraction(ui);
    }
    void TearDown() override
    {
        for (int i = 0; i < TWrkLists::MaxLists; ++i)
            delete mgr.Window(i);
    }
    // A valid work-list file at `name`.
    QString listFile(const QString& name)
    {
        const QString p = path(name);
        TFWrkList w(0);
        EXPECT_EQ(w.SaveToFile(p), 0);
        return p;
    }
    TWrkLists mgr;
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
};

TEST_F(WrkListsTest, SlotsCaptionsAndPositions)
{
    qeltest::TFakeMainForm mainForm;
    mainForm.Bar = QRect(10, 0, 800, 60);
    auto tools = std::make_shared<TWrkListTools>();
    tools->MainForm = &mainForm;
    mgr.SetTools(tools);
    std::vector<TFWrkList*> w;
    for (int i = 0; i < 3; ++i)
        w.push_back(mgr.OpenList(QString()));
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(w[size_t(i)], nullptr);
        EXPECT_EQ(w[size_t(i)]->WindowNo(), i);
        EXPECT_EQ(w[size_t(i)]->windowTitle(), QStringLiteral("Neue Arbeitsliste%1").arg(i + 1));
    }
    const QRect frame = mainForm.Bar;
    EXPECT_EQ(w[2]->pos(), QPoint(50, frame.top() + frame.height() + 50));
    EXPECT_EQ(WrkListPosition(QRect(0, 5, 100, 40), 3), QPoint(75, 120));

    delete w[1];
    EXPECT_EQ(mgr.Window(1), nullptr);
    EXPECT_EQ(mgr.FindFreeSlot(), 1);
    TFWrkList* again = mgr.OpenList(QString());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->WindowNo(), 1);
    EXPECT_EQ(again->windowTitle(), QStringLiteral("Neue Arbeitsliste2"));
    EXPECT_EQ(mgr.FindFreeSlot(), 3);

    // Slot numbers outside 0..31 are ignored.
    mgr.ReleaseSlot(-1);
    mgr.ReleaseSlot(32);
    EXPECT_EQ(mgr.Window(0), w[0]);
}

TEST_F(WrkListsTest, TheThirtyThirdOpenGivesNothing)
{
    for (int i = 0; i < TWrkLists::MaxLists; ++i)
        ASSERT_NE(mgr.OpenList(QString()), nullptr) << i;
    EXPECT_EQ(mgr.FindFreeSlot(), -1);
    EXPECT_EQ(mgr.OpenList(QString()), nullptr);
    EXPECT_EQ(mgr.OpenList(listFile(QStringLiteral("a.wr5"))), nullptr);
    delete mgr.Window(17);
    TFWrkList* w = mgr.OpenList(QString());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->WindowNo(), 17);
}

TEST_F(WrkListsTest, AFileAlreadyOpenGivesItsWindow)
{
    const QString file = listFile(QStringLiteral("List.wr5"));
    const QString other = listFile(QStringLiteral("list.wr5"));  // another file on this file system
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("sub"))));
    ASSERT_TRUE(QFile::link(file, path(QStringLiteral("sub/link.wr5"))));

    TFWrkList* w = mgr.OpenList(file);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Core().FileName, file);
    EXPECT_EQ(w->windowTitle(), file);
    EXPECT_TRUE(ui->messages.empty());
    for (const QString& same : {file, path(QStringLiteral("sub/../List.wr5")), path(QStringLiteral("sub/link.wr5")),
                                QDir(dir()).relativeFilePath(file).prepend(dir() + QStringLiteral("/./"))}) {
        SCOPED_TRACE(same.toStdString());
        EXPECT_EQ(mgr.OpenList(same), w);
    }
    EXPECT_EQ(mgr.FindFreeSlot(), 1);

    TFWrkList* second = mgr.OpenList(other);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, w);
    EXPECT_EQ(second->Core().FileName, other);

    EXPECT_TRUE(SameListFile(path(QStringLiteral("x/../gone.wr5")), path(QStringLiteral("gone.wr5"))));
    EXPECT_FALSE(SameListFile(path(QStringLiteral("Gone.wr5")), path(QStringLiteral("gone.wr5"))));
    EXPECT_FALSE(SameListFile(file, path(QStringLiteral("gone.wr5"))));
}

TEST_F(WrkListsTest, AFileThatFailsToLoadIsReportedAndKeepsTheNewListState)
{
    mgr.SetLoadErrorMsgText(QStringLiteral("The work list\ncould not be opened."));
    mgr.SetLoadErrorHeaderText(QStringLiteral("Open"));
    const QString missing = path(QStringLiteral("missing.wr5"));
    TFWrkList* w = mgr.OpenList(missing);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, (QStringList{QStringLiteral("The work list"),
                                                QStringLiteral("could not be opened."), missing}));
    EXPECT_EQ(ui->messages[0].Title, QStringLiteral("Open"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Neue Arbeitsliste1"));
    EXPECT_TRUE(w->Core().FileName.isEmpty());
    // Saving asks for a name.
    EXPECT_FALSE(w->Save());
    EXPECT_EQ(ui->saveOptions.size(), 1u);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(WrkListsTest, DefHeaderRenamesOnlyWindowsWithoutAFile)
{
    TFWrkList* a = mgr.OpenList(QString());
    TFWrkList* b = mgr.OpenList(listFile(QStringLiteral("b.wr5")));
    TFWrkList* c = mgr.OpenList(QString());
    mgr.SetDefHeader(QStringLiteral("New work list "));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("New work list 1"));
    EXPECT_EQ(a->Core().Caption, QStringLiteral("New work list 1"));
    EXPECT_EQ(b->windowTitle(), path(QStringLiteral("b.wr5")));
    EXPECT_EQ(c->windowTitle(), QStringLiteral("New work list 3"));
    EXPECT_EQ(mgr.OpenList(QString())->windowTitle(), QStringLiteral("New work list 4"));
}

TEST_F(WrkListsTest, SettersReachWindowsOpenedBeforeAndAfter)
{
    TVortalinPrj prj;
    TFWrkList* before = mgr.OpenList(QString());
    mgr.SetSeparator(u',');
    mgr.SetShowDecValue(true);
    mgr.SetLanguage(1);
    mgr.SetProject(&prj);
    mgr.SetDataPath(QStringLiteral("/data/lists"));
    mgr.SetValColText(QStringLiteral("Value"));
    mgr.SetUnknownInverterText(QStringLiteral("Unknown inverter"));
    mgr.SetYesBtnText(QStringLiteral("Yes"));
    mgr.SetAskForSaveMsgText(QStringLiteral("Changed:\nsave?"));
    mgr.SetAskForOverrideHeaderText(QStringLiteral("Overwrite"));
    mgr.SetOnGetErrorText([](int code) { return QStringLiteral("E%1").arg(code); });
    mgr.SetSaveDlgWrkText(QStringLiteral("Work lists"));
    TFWrkList* after = mgr.OpenList(QString());
    for (TFWrkList* w : {before, after}) {
        SCOPED_TRACE(w->WindowNo());
        const TWrkListCore& c = w->Core();
        EXPECT_EQ(c.Separator, u',');
        EXPECT_TRUE(c.ShowDecValue);
        EXPECT_EQ(c.Language, 1);
        EXPECT_EQ(c.Project, &prj);
        EXPECT_EQ(c.SaveDlgInitialDir, QStringLiteral("/data/lists"));
        EXPECT_EQ(c.Model().Caption(5), QStringLiteral("Value"));
        EXPECT_EQ(c.Model().Caption(0), QStringLiteral("Umr."));
        EXPECT_EQ(c.UnknownInverterText, QStringLiteral("Unknown inverter"));
        EXPECT_EQ(c.YesBtnText, QStringLiteral("Yes"));
        EXPECT_EQ(c.AskForSaveMsgText, (QStringList{QStringLiteral("Changed:"), QStringLiteral("save?")}));
        EXPECT_EQ(c.AskForOverrideHeaderText, QStringLiteral("Overwrite"));
        ASSERT_TRUE(c.OnGetErrorText);
        EXPECT_EQ(c.OnGetErrorText(-10), QStringLiteral("E-10"));
    }
    // The save dialog's names reach new windows only.
    EXPECT_EQ(before->Core().SaveDlgFilter, QStringLiteral("Arbeitslisten (*.wr5)|*.wr5|Alle Dateien (*.*)|*.*"));
    EXPECT_EQ(after->Core().SaveDlgFilter, QStringLiteral("Work lists (*.wr5)|*.wr5|Alle Dateien (*.*)|*.*"));

    // A window's save-as folder becomes everyone's.
    ui->saveAnswers = {path(QStringLiteral("saved.wr5"))};
    ASSERT_TRUE(after->SaveAs());
    EXPECT_EQ(QDir(mgr.DataPath()), QDir(dir()));
    EXPECT_EQ(QDir(before->Core().SaveDlgInitialDir), QDir(dir()));
}

TEST_F(WrkListsTest, DefaultsAndLanguageTexts)
{
    EXPECT_EQ(mgr.DefHeader(), QStringLiteral("Neue Arbeitsliste"));
    EXPECT_EQ(mgr.Separator(), QChar(u'\0'));
    EXPECT_EQ(mgr.InsBlankMenuText(), QStringLiteral("blabla"));
    EXPECT_EQ(mgr.EditRemMenuText(), QStringLiteral("Bemerkung berbeiten"));
    EXPECT_TRUE(mgr.AskForOverrideMsgText().isEmpty());
    EXPECT_EQ(mgr.PrintDateText(), QStringLiteral("Druckdatum"));

    TVortalinText t;
    choicetest::loadKeyTexts(t);  // (s,i) reads "s.i"
    TFWrkList* w = mgr.OpenList(QString());
    mgr.SetTexts(t, QStringLiteral("Halvorn"), QStringLiteral("Version 5.4"));
    EXPECT_EQ(mgr.InvColText(), QStringLiteral("4.0"));
    EXPECT_EQ(w->Core().Model().Caption(0), QStringLiteral("4.0"));
    EXPECT_EQ(mgr.InsBlankMenuText(), QStringLiteral("2.8"));
    EXPECT_EQ(mgr.AskForSaveMsgText(), QStringLiteral("4.16"));
    EXPECT_EQ(mgr.YesBtnText(), QStringLiteral("0.8"));
    EXPECT_EQ(mgr.SaveDlgAllText(), QStringLiteral("5.15"));
    EXPECT_EQ(mgr.LoadErrorHeaderText(), QStringLiteral("5.10"));
    EXPECT_EQ(mgr.AppNameText(), QStringLiteral("Halvorn"));
    EXPECT_EQ(mgr.VersionText(), QStringLiteral("Version 5.4"));
    EXPECT_EQ(mgr.DefHeader(), QStringLiteral("4.7"));
    EXPECT_EQ(mgr.LoadErrorMsgText(), QStringLiteral("4.21"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("4.71"));
    EXPECT_EQ(w->Core().AskForSaveMsgText, QStringList{QStringLiteral("4.16")});
}

TEST(WrkListsLifetime, WindowsFreedAfterTheManagerLeaveItAlone)
{
    auto* mgr = new TWrkLists;
    QPointer<TFWrkList> w = mgr->OpenList(QString());
    ASSERT_TRUE(w);
    int released = -1;
    w->OnReleaseSlot = [&released, release = w->OnReleaseSlot](int no) {
        released = no;
        release(no);
    };
    delete mgr;
    ASSERT_TRUE(w);  // the manager does not take its windows along
    delete w.data();  // would call into the freed manager
    EXPECT_FALSE(w);
    EXPECT_EQ(released, 0);  // the slot was given back, to no manager
}

}  // namespace
