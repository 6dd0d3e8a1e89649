// The add-file question offscreen.

#include "dialogs/add_file_dlg.h"
#include "dialogs/glyph_button.h"

#include "choice_dlg_support.h"
#include "screenshot.h"

#include <QComboBox>
#include <QPlainTextEdit>

namespace {

using qeltest::answerModal;

TEST(AddFileDlgTest, AnswersAndTheQuestion)
{
    TVortalinText texts;
    choicetest::loadKeyTexts(texts);
    TfrmAddFileDlg f;
    f.SetTexts(texts);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("7.45"));
    EXPECT_EQ(f.btnAddFile->text(), QStringLiteral("7.12"));
    EXPECT_EQ(f.btnCancel->text(), QStringLiteral("7.10"));
    f.SetChoices({QStringLiteral("-1  Global im Projekt"), QStringLiteral("3   Pumpe"),
                  QStringLiteral("120 Lüfter")});

    struct Case {
        const char* name;
        int item;  // -1: cancel
        int expected;
    };
    for (const Case& c : {Case{"preselected whole project", 0, -1}, Case{"inverter", 2, 120},
                          Case{"cancel", -1, -2}}) {
        SCOPED_TRACE(c.name);
        QString memo;
        int preselected = -5;
        answerModal([&](QDialog&) {
            memo = f.meFile->toPlainText();
            preselected = f.cbInvList->currentIndex();
            if (c.item < 0) {
                f.btnCancel->click();
                return;
            }
            f.cbInvList->setCurrentIndex(c.item);
            f.btnAddFile->click();
        });
        EXPECT_EQ(f.Execute(QStringLiteral("/data/Lists/Pumpe.WR5")), c.expected);
        EXPECT_EQ(preselected, 0);
        // The name as given, not lower-cased.
        EXPECT_EQ(memo, QStringLiteral("Link /data/Lists/Pumpe.WR5\nto the project?"));
    }
}

TEST(AddFileDlgTest, Screenshot)
{
    TfrmAddFileDlg f;
    f.AddToPrjText = {QStringLiteral("Soll die Datei: @P1"), QStringLiteral("zum Projekt hinzugefügt werden ?")};
    f.SetChoices({QStringLiteral("-1  Global im Projekt"), QStringLiteral("3   Pumpe")});
    answerModal([&](QDialog& d) {
        qeltest::saveScreenshot(d, "add_file_dlg.png");
        d.reject();
    });
    EXPECT_EQ(f.Execute(QStringLiteral("liste.wr5")), -2);
}

}  // namespace
