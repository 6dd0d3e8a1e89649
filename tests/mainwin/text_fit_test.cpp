// Every window and dialog of the main program, with the texts the start-up
// gives them, in English and in German: no control cuts its text.
#include "mainwin_fixture.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/add_file_dlg.h"
#include "dialogs/install_prj_dialogs.h"
#include "dialogs/inv_edit_dlg.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/sel_cfg_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "mainwin/editor_windows.h"
#include "mainwin/halvorn_windows.h"
#include "mainwin/scope_kind.h"
#include "scope/scope_window.h"
#include "modal.h"
#include "screenshot.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTabBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace mwtest;

namespace {

const QString kAppl = QStringLiteral("Software\\QEL\\Vortalin5\\Appl");

class TextFitTest : public MainWinTest {
protected:
    void TearDown() override
    {
        endMain();
        MainWinTest::TearDown();
    }

    // The cut texts of a shown window, once per window.
    void walk(QWidget& w, const QString& lang)
    {
        if (!walked.insert(&w).second)
            return;
        report += DescribeCutTexts(FindCutTexts(&w));
        // Every tab shows: no tab bar scrolls its tabs.
        for (const QTabBar* bar : w.findChildren<QTabBar*>())
            for (const QToolButton* arrow : bar->findChildren<QToolButton*>())
                if (arrow->isVisible()) {
                    report += QStringLiteral("%1/%2: the tabs scroll\n").arg(w.objectName(), bar->parentWidget()->objectName());
                    break;
                }
        qeltest::saveScreenshot(w, QStringLiteral("fit_%1_%2.png").arg(lang, w.objectName()));
    }
    void walkShown(const QString& lang)
    {
        QCoreApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip)
                walk(*w, lang);
    }
    // Runs open, which shows a modal dialog, and walks the dialog.
    void walkModal(const QString& lang, const std::function<void()>& open)
    {
        bool seen = false;
        qeltest::onModal<QDialog>([&](QDialog& d) {
            seen = true;
            walk(d, lang);
            d.reject();
        });
        open();
        EXPECT_TRUE(seen) << "no dialog";
    }

    std::set<QWidget*> walked;
    QString report;
};

} // namespace

TEST_F(TextFitTest, EveryWindowOfTheMainProgramFitsItsTexts)
{
    const struct {
        int lng;
        const char* name;
    } languages[] = {{0, "en"}, {1, "de"}};
    for (const auto& l : languages) {
        SCOPED_TRACE(l.name);
        const QString lang = QString::fromLatin1(l.name);
        install();
        // The program's texts and the parameter texts alike.
        setDword(kAppl, QStringLiteral("ProgLng"), quint32(l.lng));
        setDword(kAppl, QStringLiteral("lng"), quint32(l.lng));
        setDword(kAppl, QStringLiteral("EnableFbsWindow"), 1);
        ui = std::make_shared<RecordingUi>();
        makeMain(demoProject());
        main->show();
        main->FormShow();
        ASSERT_TRUE(main->Shown);
        walked.clear();
        report.clear();

        // The windows the main window opens.
        for (QAction* a : {main->MenuPrjExpl, main->MenuInverterScope, main->MenuNewDownloadList1,
                           main->MenuNewWorkList1, main->MenuOperatorParameter, main->MenuQuintel})
            if (a->isEnabled() && !a->isChecked())
                a->trigger();
        main->ShowFbsComm();
        walkShown(lang);
        // The editors, the print window and the inverter choice.
        windows->Editors().ValEdit()->EditValue(0, 1, nullptr, QStringLiteral("0x0101"), 0, {});
        windows->Editors().SetEdit()->EditSet(1, QStringLiteral("0x0101"), [](int16_t) {});
        windows->Editors().RemEdit()->EditRemark(QStringLiteral("Remark"), QStringLiteral("0x0101"), [](const QString&) {});
        windows->Editors().AdrEdit()->EditAddress(1, QStringLiteral("Conveyor"), false, [](int16_t) {}, 0x0101);
        windows->Editors().ModeEdit()->EditMode(QStringLiteral("0x0101"), 0, [](int) {});
        windows->Editors().Print()->show();
        ASSERT_TRUE(main->InvSel);
        main->InvSel->ShowSelect(LangTexts->GetText(5, 0), 1, [](int16_t) {});
        walkShown(lang);

        // The modal dialogs.
        walkModal(lang, [&] { main->MenuDefaultSettings1->trigger(); });
        if (TScope* scope = windows->Scope().Window(); scope && scope->isVisible())
            walkModal(lang, [&] { scope->SetUpScope(0); });
        const std::shared_ptr<TPrjDialogs> prjDialogs = InstallPrjDialogs(*Project, *ProgCfg, main.get());
        prjDialogs->SetTexts(*LangTexts);
        walkModal(lang, [&] { main->MenuChangeProject1->trigger(); });
        walkModal(lang, [&] { prjDialogs->InvEdit->Execute(); });
        walkModal(lang, [&] { prjDialogs->SelCfg->Execute(1, false); });
        walkModal(lang, [&] { prjDialogs->AddFile->Execute(QStringLiteral("list.wr5")); });
        walkModal(lang, [&] {
            const QStringList* msg = LangTexts->GetStrings(2, 2);
            UserMessageDlg(msg, &ButtonList(1), QStringLiteral("Conveyor"), 3, {}, {}, {}, 0, 0);
        });

        EXPECT_TRUE(report.isEmpty()) << report.toStdString();
        main->CloseAllWindows();
        endMain();
    }
}
