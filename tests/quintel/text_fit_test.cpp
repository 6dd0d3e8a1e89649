// Every window and dialog of the second program, with the texts the
// start-up gives them, in English and in German: no control cuts its text.
#include "q2_fixture.h"

#include "config/lang_texts.h"
#include "dialogs/print_form.h"
#include "dialogs/progress_window.h"
#include "dialogs/text_fit.h"
#include "lists/val_edit.h"
#include "quintel/cp_dialogs_ui.h"
#include "quintel/cp_form.h"
#include "quintel/cp_settings_dlg.h"
#include "quintel/sel_mode.h"
#include "modal.h"
#include "screenshot.h"

#include <QDir>

using q2::ProgramTest;

namespace {

class QuintelTextFitTest : public ProgramTest {
protected:
    void walk(QWidget& w, const QString& lang)
    {
        report += DescribeCutTexts(FindCutTexts(&w));
        qeltest::saveScreenshot(w, QStringLiteral("fit_q_%1_%2.png").arg(lang, w.objectName()));
    }
    QString report;
};

TEST_F(QuintelTextFitTest, EveryWindowFitsItsTexts)
{
    // As the program entry does.
    InstallTextFit();
    addInverter(1, 21);
    prog.reset();
    for (const char* lang : {"e", "d"}) {
        SCOPED_TRACE(lang);
        const QString l = QString::fromLatin1(lang);
        report.clear();
        TVortalinText texts;
        texts.SetVersion(5);
        ASSERT_TRUE(texts.LoadFromFile(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang/cp%1.srb").arg(l))));

        TForm1 form(*store, ui);
        form.Program().LockDir = dir();
        TCpDialogsUi real;
        real.Main = &form;
        real.SelMode = new TSelMode(&form);
        real.SettingsDlg = new TCPsettings(&form);
        real.ValEdit = new TfrmValEdit(&form);
        real.PrintForm = new TFrmvortalinprint(&form);
        real.Progress = new TProgress(&form);
        real.Progress->setWindowFlag(Qt::Window);
        real.ApplyTexts(texts);

        form.show();
        ASSERT_TRUE(form.Program().Shown);
        walk(form, l);
        real.ValEdit->EditValue(0, 1, nullptr, QStringLiteral("CP01"), 0, {});
        walk(*real.ValEdit, l);
        real.PrintForm->show();
        walk(*real.PrintForm, l);
        real.ProgressStart(texts.GetText(2, 0), QStringLiteral("CP01"), 10);
        walk(*real.Progress, l);
        real.ProgressStop();

        qeltest::onModal<TSelMode>([&](TSelMode& d) {
            walk(d, l);
            d.reject();
        });
        real.SelMode->exec();
        qeltest::onModal<TCPsettings>([&](TCPsettings& d) {
            walk(d, l);
            d.reject();
        });
        TCpSettings s;
        real.SettingsDlg->Execute(s);

        EXPECT_TRUE(report.isEmpty()) << report.toStdString();
    }
}

} // namespace
