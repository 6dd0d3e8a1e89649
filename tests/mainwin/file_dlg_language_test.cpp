// The file dialogs speak the program's language: Qt's own texts through
// Qt's translations, chosen by the language setting at start-up and when it
// changes, and the title the language file has for them.
#include "mainwin_fixture.h"

#include "config/prog_cfg.h"
#include "dialogs/qt_translations.h"
#include "dialogs/shared_objects.h"
#include "file_dlg_texts.h"
#include "modal.h"
#include "wait_until.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using mwtest::MainWinTest;

// The texts of the open dialog as File, Open shows it.
qeltest::FileDlgTexts openDialogTexts(TFMain& Main)
{
    qeltest::FileDlgTexts t;
    qeltest::onModal<QFileDialog>([&t](QFileDialog& d) {
        t = qeltest::fileDlgTexts(d);
        d.reject();
    });
    TMainInteractionDlg(&Main).ChooseOpenFile(Main.OpenDlgFilter, 1, QDir::tempPath());
    return t;
}

void expectAll(const QStringList& Shown, const QStringList& Wanted, const char* What)
{
    for (const QString& w : Wanted)
        EXPECT_TRUE(Shown.contains(w)) << What << " without \"" << w.toStdString() << "\" in \""
                                       << Shown.join(QStringLiteral("\", \"")).toStdString() << '"';
}

class FileDlgLanguage : public MainWinTest {
protected:
    void TearDown() override
    {
        InstallQtTranslations(0);
        MainWinTest::TearDown();
    }
};


TEST_F(FileDlgLanguage, GermanFromTheStartEnglishOnceTheSettingChanges)
{
    setDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("ProgLng"), 1);
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    const qeltest::FileDlgTexts de = openDialogTexts(*main);
    EXPECT_EQ(de.Title.toStdString(), "Öffnen");
    expectAll(de.Labels, {QStringLiteral("Suchen in:"), QStringLiteral("Dateiname:"), QStringLiteral("Dateien des Typs:")},
              "labels");
    expectAll(de.Buttons, {QStringLiteral("Öffnen"), QStringLiteral("Abbrechen")}, "buttons");
    expectAll(de.Heads, {QStringLiteral("Größe"), QStringLiteral("Änderungsdatum")}, "column heads");

    // English chosen in the settings: Qt's texts follow at once (the
    // program's own texts, the title among them, at the next start).
    ProgCfg->ProgLng = 0;
    main->ProgCfgChanged(ProgCfg);
    const qeltest::FileDlgTexts en = openDialogTexts(*main);
    expectAll(en.Labels, {QStringLiteral("Look in:"), QStringLiteral("File name:"), QStringLiteral("Files of type:")},
              "labels");
    expectAll(en.Buttons, {QStringLiteral("Open"), QStringLiteral("Cancel")}, "buttons");
    expectAll(en.Heads, {QStringLiteral("Size"), QStringLiteral("Date Modified")}, "column heads");
}

TEST_F(FileDlgLanguage, TheFileListsColumnsShowTheirTextsWhole)
{
    // German: the longer heads and dates that Qt's fixed widths cut.
    setDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("ProgLng"), 1);
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    QFile file(path(QStringLiteral("Linie mit langem Namen.pr5")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4000, 'x'));
    file.close();
    std::vector<std::pair<int, int>> widths;  // (shown, needed) of size, type and date
    qeltest::onModal<QFileDialog>([&widths](QFileDialog& d) {
        auto* view = d.findChild<QTreeView*>(QStringLiteral("treeView"));
        if (view && qeltest::waitUntil([view] { return view->model()->rowCount(view->rootIndex()) > 0; })) {
            QCoreApplication::processEvents();
            for (int c = 1; c < view->header()->count(); ++c)
                widths.emplace_back(view->header()->sectionSize(c),
                                    std::max(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(c), view->header()->sectionSizeHint(c)));
        }
        d.reject();
    });
    TMainInteractionDlg(main.get()).ChooseOpenFile(main->OpenDlgFilter, 1, dir());
    ASSERT_EQ(widths.size(), 3u);
    for (const auto& [shown, needed] : widths)
        EXPECT_GE(shown, needed);
}

} // namespace
