// Quintel's file dialogs in the program's language: the language file's
// titles and Qt's own texts in that language, also after the settings
// dialog changed it.
#include "config/lang_texts.h"
#include "dialogs/qt_translations.h"
#include "file_dlg_texts.h"
#include "modal.h"
#include "quintel/cp_dialogs_ui.h"
#include "quintel/cp_settings.h"
#include "quintel/cp_settings_dlg.h"
#include "temp_dir.h"

#include <QComboBox>
#include <QDir>

#include <gtest/gtest.h>

namespace {

qeltest::FileDlgTexts shownTexts(const std::function<void()>& Open)
{
    qeltest::FileDlgTexts t;
    qeltest::onModal<QFileDialog>([&t](QFileDialog& d) {
        t = qeltest::fileDlgTexts(d);
        d.reject();
    });
    Open();
    return t;
}

} // namespace

TEST(QuintelFileDlgLanguage, GermanTitlesAndQtTextsThenEnglishFromTheSettings)
{
    TVortalinText texts;
    texts.SetVersion(5);
    ASSERT_TRUE(texts.LoadFromFile(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang/cpd.srb"))));
    TCPsettings settingsDlg;
    TCpDialogsUi ui;
    ui.SettingsDlg = &settingsDlg;
    ui.ApplyTexts(texts);
    ui.SetLanguage(1);
    const QString dir = QDir::tempPath();

    const qeltest::FileDlgTexts open = shownTexts([&] { ui.ChooseOpenFile(dir); });
    EXPECT_EQ(open.Title.toStdString(), "Öffnen");
    EXPECT_TRUE(open.Labels.contains(QStringLiteral("Suchen in:"))) << open.Labels.join(u',').toStdString();
    EXPECT_TRUE(open.Buttons.contains(QStringLiteral("Abbrechen"))) << open.Buttons.join(u',').toStdString();
    const qeltest::FileDlgTexts save = shownTexts([&] { ui.ChooseSaveFile(dir, QString()); });
    EXPECT_EQ(save.Title.toStdString(), "Speichern");
    EXPECT_TRUE(save.Buttons.contains(QStringLiteral("Speichern"))) << save.Buttons.join(u',').toStdString();

    // English chosen in the settings dialog: Qt's texts follow at once.
    TCpSettings s;
    s.Proglng = 1;
    qeltest::onModal<TCPsettings>([](TCPsettings& d) {
        d.LangBox->setCurrentIndex(0);
        d.OkBtn->click();
    });
    ASSERT_TRUE(ui.RunSettings(s));
    EXPECT_EQ(s.Proglng, 0);
    const qeltest::FileDlgTexts en = shownTexts([&] { ui.ChooseOpenFile(dir); });
    EXPECT_TRUE(en.Labels.contains(QStringLiteral("Look in:"))) << en.Labels.join(u',').toStdString();
    EXPECT_TRUE(en.Buttons.contains(QStringLiteral("Cancel"))) << en.Buttons.join(u',').toStdString();
    InstallQtTranslations(0);
}
