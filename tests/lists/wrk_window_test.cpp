// The work-list window's own behaviour: its widgets, the real save dialog,
// the close question and the column widths.

#include "lists/fwrk_list.h"
#include "lists/list_interaction_dlg.h"
#include "lists/wrk_list_file.h"
#include "wrk_fixture.h"

#include "modal.h"
#include "wait_until.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTimer>

using namespace listtest;

namespace {

using qeltest::answerModal;

struct WrkWindowTest : qeltest::TempDirTest {
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        FillProject(prj);
        w = new TFWrkList(3);
        w->Core().Project = &prj;
        guard = w;
    }
    void TearDown() override { delete guard.data(); }
    TVortalinPrj prj;
    TFWrkList* w = nullptr;
    QPointer<TFWrkList> guard;
};

TEST_F(WrkWindowTest, SaveDialogIsPresetWithTheCaption)
{
    w->Core().SetInteraction(std::make_shared<TListInteractionDlg>(w));
    w->Core().SaveDlgInitialDir = dir();
    QString chosenDir;
    w->Core().OnDataPath = [&](const QString& d) { chosenDir = d; };
    w->InsertItem(w->Core().ParseLine(QStringLiteral("1,1,257;x")), -1);
    w->show();
    QStringList preset;
    answerModal([&](QDialog& dlg) {
        auto* fd = qobject_cast<QFileDialog*>(&dlg);
        ASSERT_NE(fd, nullptr);
        preset = fd->selectedFiles();
        dlg.accept();
    });
    EXPECT_TRUE(w->Save());
    ASSERT_EQ(preset.size(), 1);
    EXPECT_EQ(preset[0], path(QStringLiteral("Arbeitsliste.wr5")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("Arbeitsliste.wr5"))));
    EXPECT_EQ(w->windowTitle(), path(QStringLiteral("Arbeitsliste.wr5")));
    EXPECT_EQ(QDir(chosenDir), QDir(dir()));
}

TEST_F(WrkWindowTest, CloseQuestionKeepsAChangedListOpen)
{
    auto ui = std::make_shared<ScriptedListUi>();
    w->Core().SetInteraction(ui);
    w->show();
    auto* memo = w->findChild<QPlainTextEdit*>(QStringLiteral("RemarkMemo"));
    ASSERT_TRUE(memo);
    memo->setPlainText(QStringLiteral("a\nb"));
    EXPECT_EQ(w->Core().Comments, (QStringList{"a", "b"}));
    w->InsertItem(w->Core().ParseLine(QStringLiteral("1,1,257;x")), -1);
    ui->answers = {2};
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(ui->messages.size(), 1u);
}

TEST_F(WrkWindowTest, EachMemoLineIsOneCommentLineAndAFinalBreakAddsNone)
{
    auto* memo = w->findChild<QPlainTextEdit*>(QStringLiteral("RemarkMemo"));
    ASSERT_TRUE(memo);
    const std::pair<QString, QStringList> cases[] = {
        {QStringLiteral("a\nb\n"), {"a", "b"}},
        {QStringLiteral("a\n\n"), {"a", ""}},
        {QStringLiteral("\n"), {""}},
        {QStringLiteral("a"), {"a"}},
        {QString(), {}},
    };
    for (const auto& [text, comments] : cases) {
        memo->setPlainText(text);
        EXPECT_EQ(w->Core().Comments, comments) << text.toStdString();
        // Read back from the file, the comments are the memo's lines again.
        const wrkfile::WrkFileContent back = wrkfile::ReadWrkFile(wrkfile::WrkFileBytes({}, w->Core().Comments, {}));
        EXPECT_EQ(back.Comments, comments) << text.toStdString();
    }
}

TEST_F(WrkWindowTest, WidthsFromAFileAndTheTrailingRow)
{
    WriteBytes(path(QStringLiteral("w.wr5")), ";#COLWIDTH_0=60\r\n;#COLWIDTH_4=-3\r\n;memo\r\n1,1,257;x\r\n");
    ASSERT_EQ(w->LoadFromFile(path(QStringLiteral("w.wr5"))), 0);
    w->show();
    auto* pl = w->findChild<QTableView*>(QStringLiteral("PL"));
    ASSERT_TRUE(pl);
    EXPECT_EQ(pl->horizontalHeader()->sectionSize(0), 60);
    EXPECT_EQ(pl->horizontalHeader()->sectionSize(4), 170);
    EXPECT_EQ(w->findChild<QPlainTextEdit*>(QStringLiteral("RemarkMemo"))->toPlainText(), QStringLiteral("memo"));
    EXPECT_EQ(pl->currentIndex().row(), 1);  // the trailing row
    // A row inserted at the focus goes before the trailing row.
    w->InsertItem(w->Core().ParseLine(QStringLiteral("1,1,258;y")), -1);
    EXPECT_EQ(w->Core().Model().Item(1)->Address, 258);
    EXPECT_EQ(WrkRemarkColumnWidth(300, {40, 50, 70, 40, 170, 100, 0}), 100);
    EXPECT_EQ(WrkRemarkColumnWidth(700, {40, 50, 70, 40, 170, 100, 0}), 230);
}

} // namespace
