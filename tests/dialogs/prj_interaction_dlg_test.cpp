// The project's questions shown with the real dialogs.

#include "project/vortalin_prj.h"
#include "dialogs/glyph_button.h"
#include "dialogs/file_dlg.h"
#include "dialogs/prj_interaction_dlg.h"
#include "modal.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace {

using qeltest::answerModal;

TEST(PrjInteractionDlgTest, SaveFilterBecomesQtNameFilters)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("Projektdateien (*.pr5)|*.pr5|Alle Dateien (*.*)|*.*")),
              (QStringList{QStringLiteral("Projektdateien (*.pr5)"), QStringLiteral("Alle Dateien (*)")}));
    EXPECT_EQ(QtNameFilters(QStringLiteral("Lists|*.wr5;*.trc|odd")),
              QStringList{QStringLiteral("Lists (*.wr5 *.trc)")});
    EXPECT_TRUE(QtNameFilters(QString()).isEmpty());
}

class PrjDialogsTest : public qeltest::TempDirTest {};

TEST_F(PrjDialogsTest, WriteErrorShowsTheMessageDialogWithTheFileName)
{
    TVortalinPrj prj;
    InstallPrjDialogs(prj);
    QFile plain(path(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString bad = path(QStringLiteral("plain/p.pr5"));
    QString shown;
    answerModal([&](QDialog& dlg) {
        if (auto* label = dlg.findChild<QLabel*>(QStringLiteral("lblMessage")))
            shown = label->text();
        auto* ok = dlg.findChild<TVarneGlyphButton*>(QStringLiteral("btn0"));
        ASSERT_NE(ok, nullptr);
        ok->click();
    });
    EXPECT_EQ(prj.SaveToFile(bad), 1);
    EXPECT_TRUE(shown.contains(bad)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("konnte nicht geschrieben werden")));
}

TEST_F(PrjDialogsTest, SaveDialogAddsTheDefaultExtensionAndStartsInTheDataFolder)
{
    TVortalinPrj prj;
    InstallPrjDialogs(prj);
    prj.DataPath = dir();
    prj.PrjName = QStringLiteral("P");
    QString startDir;
    QStringList filters;
    answerModal([&](QDialog& dlg) {
        auto* fd = qobject_cast<QFileDialog*>(&dlg);
        ASSERT_NE(fd, nullptr);
        startDir = fd->directory().absolutePath();
        filters = fd->nameFilters();
        fd->selectFile(QStringLiteral("Plant"));
        dlg.accept();  // QFileDialog::accept takes the typed name
    });
    EXPECT_EQ(prj.SaveToFile(QString()), 0);
    EXPECT_EQ(startDir, QDir(dir()).absolutePath());
    EXPECT_EQ(filters.size(), 2);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("Plant.pr5"))));
    EXPECT_EQ(QFileInfo(prj.FileName).fileName(), QStringLiteral("Plant.pr5"));
}

TEST(PrjInteractionDlgTest, ChoiceDialogsArePluggedIn)
{
    TPrjInteractionDlg ui;
    TInvEditData data;
    EXPECT_EQ(ui.ChooseCfg(3, true), -1);
    EXPECT_FALSE(ui.EditInv(data));
    EXPECT_EQ(ui.AskAddFile(QStringLiteral("f"), {}), -2);
    ui.SelCfgDlg = [](int adr, bool autoOk) { return autoOk ? adr * 10 : -1; };
    ui.InvEditDlg = [](TInvEditData& d) {
        d.InvName = QStringLiteral("X");
        return true;
    };
    ui.AddFileDlg = [](const QString&, const QStringList& choices) { return int(choices.size()); };
    EXPECT_EQ(ui.ChooseCfg(3, true), 30);
    EXPECT_TRUE(ui.EditInv(data));
    EXPECT_EQ(data.InvName, QStringLiteral("X"));
    EXPECT_EQ(ui.AskAddFile(QStringLiteral("f"), {QStringLiteral("a"), QStringLiteral("b")}), 2);
}

}  // namespace
