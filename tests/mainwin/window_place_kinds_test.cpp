// Every kind of window that opens in the screen centre opens centred on the
// work area and below the main bar; file dialogs open over the window they
// serve; maximised windows fill the work area below the bar.
#include "dialogs/max_placement.h"
#include "dialogs/window_place.h"
#include "dialogs/message_dlg.h"
#include "dialogs/opt_dlg.h"
#include "dialogs/inv_edit_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/prj_interaction_dlg.h"
#include "dialogs/prj_edit.h"
#include "dialogs/progress_form.h"
#include "dialogs/progress_window.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "mainwin/fbs_comm.h"
#include "mainwin/main_interaction.h"
#include "project/prj_edit_rows.h"
#include "scope/scope_engine.h"
#include "scope/set_scope.h"
#include "scope/scope_window.h"
#include "quintel/cp_dialogs_ui.h"
#include "config/lang_texts.h"
#include "config/vortalin_clpbrd.h"
#include "config/prog_cfg.h"
#include "project/vortalin_prj.h"
#include "mainwin_fixture.h"
#include "program_fixture.h"
#include "wait_until.h"
#include "temp_dir.h"
#include "modal.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Check = std::function<void(QWidget&)>;

// Opens the window, hands it to the check while it is shown, closes it.
struct Kind {
    const char* name;
    std::function<void(const Check&)> open;
};

template <class D, class Run>
void modal(D& d, const Check& check, Run run)
{
    qeltest::onModal(d, [&d, check] {
        check(d);
        d.reject();
    });
    run();
}

// Hands the next file dialog to the check while `run` shows it.
template <class Run>
void fileDialog(const Check& check, Run run)
{
    qeltest::onModal<QFileDialog>([check](QFileDialog& d) {
        check(d);
        d.reject();
    });
    run();
}

TSaveDlgOptions saveOptions()
{
    TSaveDlgOptions o;
    o.DefaultExt = QStringLiteral("wr5");
    o.Filter = QStringLiteral("Work lists (*.wr5)|*.wr5");
    o.InitialDir = QDir::tempPath();
    return o;
}

} // namespace

TEST(WindowPlacement, CentredWindowsOpenOnTheWorkAreaBelowTheBar)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QRect work = screen->availableGeometry();
    QWidget bar(nullptr, Qt::Window);
    bar.setGeometry(work.x(), work.y(), work.width(), 70);
    bar.show();
    SetMaxPlacementBar(&bar);
    const QRect barFrame = bar.frameGeometry();

    const Kind kinds[] = {
        {"options dialog", [](const Check& c) { TfrmOptDlg d; TOptValues v; modal(d, c, [&] { d.RunOptions(v); }); }},
        {"project dialog",
         [](const Check& c) {
             TfrmPrjEdit d;
             TPrjEditRows rows;
             modal(d, c, [&] { d.Execute(rows); });
         }},
        {"inverter dialog", [](const Check& c) { TfrmInvEdit d; modal(d, c, [&] { d.Execute(); }); }},
        {"progress window (bar)",
         [](const Check& c) {
             TfrmProgress w;
             w.Start(QStringLiteral("t"), QStringLiteral("Cancel"));
             c(w);
         }},
        {"progress window (picture)",
         [](const Check& c) {
             TProgress w;
             w.Start(10);
             c(w);
         }},
        {"print window",
         [](const Check& c) {
             TFrmvortalinprint w;
             w.show();
             c(w);
         }},
        {"message dialog",
         [](const Check& c) {
             qeltest::onModal<QDialog>([c](QDialog& d) {
                 c(d);
                 d.reject();
             });
             UserMessageDlg(QStringList{QStringLiteral("A message")}, QStringList{QStringLiteral("OK")},
                            QStringLiteral("Title"), 0, {}, {}, {}, 0, 0);
         }},
        {"value editor",
         [](const Check& c) {
             TfrmValEdit w;
             w.EditValue(0, 1, nullptr, QStringLiteral("value"), 0, {});
             c(w);
         }},
        {"set editor",
         [](const Check& c) {
             TfrmSetEdit w;
             w.EditSet(0, QStringLiteral("set"), {});
             c(w);
         }},
        {"remark editor",
         [](const Check& c) {
             TVortalinClpBrd clp;
             TfrmRemEdit w;
             w.SetMainForm(&clp, {});
             w.EditRemark(QStringLiteral("r"), QStringLiteral("remark"), {});
             ASSERT_TRUE(w.isVisible());
             c(w);
         }},
        {"mode editor",
         [](const Check& c) {
             TfrmModeEdit w;
             w.EditMode(QStringLiteral("mode"), 0, {});
             c(w);
         }},
        {"scope set-up dialog",
         [](const Check& c) {
             TSetScope d;
             TScopeEngine eng;
             modal(d, c, [&] { d.Execute(eng, 0); });
         }},
        {"scope window",
         [](const Check& c) {
             TVortalinPrj prj;
             prj.BinPath = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs")) + u'/';
             prj.SetInteraction(std::make_shared<mwtest::ScriptedPrjInteraction>());
             ASSERT_EQ(prj.AddInv(1, 21, QStringLiteral("Inv 1"), prOffline, true), 0);
             TVortalinText texts;
             TProgCfg cfg;
             TScope w(&prj, &texts, &cfg, nullptr);
             w.ShowScope(1, 0, QString());
             c(w);
             w.close();
         }},
        {"fieldbus window",
         [](const Check& c) {
             TFbsComm w;
             w.ShowWindow();
             c(w);
         }},
        {"open dialog of the bar",
         [&bar](const Check& c) {
             TMainInteractionDlg ui(&bar);
             fileDialog(c, [&] { ui.ChooseOpenFile(QStringLiteral("All files (*.*)|*.*"), 1, QDir::tempPath()); });
         }},
        {"save dialog of the bar",
         [&bar](const Check& c) {
             TMainInteractionDlg ui(&bar);
             fileDialog(c, [&] { ui.ChooseSaveFile(saveOptions()); });
         }},
        {"project's save dialog",
         [&bar](const Check& c) {
             TPrjInteractionDlg ui(&bar);
             fileDialog(c, [&] { ui.ChooseSaveFile(saveOptions()); });
         }},
        {"project dialog's file dialog",
         [](const Check& c) {
             TfrmPrjEdit d;
             fileDialog(c, [&] { d.ChooseFile(QDir::tempPath(), QStringLiteral("All files (*.*)|*.*"), 1); });
         }},
        {"Quintel's open dialog",
         [](const Check& c) {
             TCpDialogsUi ui;
             fileDialog(c, [&] { ui.ChooseOpenFile(QDir::tempPath()); });
         }},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.name);
        // The bar is the active window: a file dialog serves no other.
        QApplication::setActiveWindow(&bar);
        bool checked = false;
        k.open([&](QWidget& w) {
            checked = true;
            ASSERT_TRUE(w.isVisible());
            const QRect f = w.frameGeometry();
            EXPECT_GT(f.top(), barFrame.bottom()) << "covers the bar";
            // Centred where it fits below the bar.
            if (f.height() <= work.bottom() - barFrame.bottom()) {
                EXPECT_NEAR(f.center().x(), work.center().x(), 1);
                if (work.center().y() - f.height() / 2 > barFrame.bottom()) {
                    EXPECT_NEAR(f.center().y(), work.center().y(), 1);
                }
            }
        });
        EXPECT_TRUE(checked) << "the window did not open";
    }
    SetMaxPlacementBar(nullptr);
}

// A maximise request on each of the program's windows that can take one
// leaves the window's frame, title bar included, filling the work area below
// the bar.
TEST_F(ProgramTest, MaximisedWindowsFillTheWorkAreaBelowTheBar)
{
    const struct {
        const char* name;
        QAction* TFMain::*entry;
        const char* prefix;
        bool owned;  // freed by the test (the explorer belongs to its kind)
    } kinds[] = {
        {"explorer", &TFMain::MenuPrjExpl, "fprjexpl", false},
        {"work list", &TFMain::MenuNewWorkList1, "fwrklist", true},
        {"download list", &TFMain::MenuNewDownloadList1, "dwnload", true},
        {"operator window", &TFMain::MenuOperatorParameter, "op_para", true},
    };
    const QRect work = main->screen()->availableGeometry();
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        QPointer<QWidget> w = openThrough(main.get()->*k.entry, QLatin1String(k.prefix));
        ASSERT_TRUE(w);
        w->showMaximized();
        const QRect want = MaxPlacementFrame(work, main->frameGeometry());
        EXPECT_TRUE(qeltest::waitUntil([&] { return w && !w->isMaximized() && w->frameGeometry() == want; }, 5000))
            << "frame at (" << w->frameGeometry().x() << ", " << w->frameGeometry().y() << ") "
            << w->frameGeometry().width() << " x " << w->frameGeometry().height();
        EXPECT_EQ(w->frameGeometry().top(), main->frameGeometry().bottom() + 1);
        EXPECT_TRUE(CountsAsMaximised(w));
        if (k.owned)
            delete w.data();
        else
            w->close();
    }
}

// A file dialog opens centred over the window it serves: the active window
// for the bar's commands, the list window for its own Save as.
TEST(FileDialogPlacement, OverTheWindowItServes)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget bar(nullptr, Qt::Window);
    bar.setGeometry(work.x(), work.y(), work.width(), 70);
    bar.show();
    SetMaxPlacementBar(&bar);
    QWidget served(nullptr, Qt::Window);
    served.setGeometry(work.x() + 40, work.y() + 150, 500, 400);
    served.show();
    const struct {
        const char* name;
        QWidget* active;
        std::function<void()> open;
    } cases[] = {
        {"the bar's Open with the window active", &served,
         [&bar] { TMainInteractionDlg(&bar).ChooseOpenFile(QStringLiteral("All (*.*)|*.*"), 1, QDir::tempPath()); }},
        {"the window's own Save as with the bar active", &bar,
         [&served] { TPrjInteractionDlg(&served).ChooseSaveFile(saveOptions()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QApplication::setActiveWindow(c.active);
        QRect frame;
        fileDialog([&frame](QWidget& d) { frame = d.frameGeometry(); }, c.open);
        ASSERT_FALSE(frame.isEmpty());
        EXPECT_EQ(frame, CentredFrameOver(work, bar.frameGeometry(), served.frameGeometry(), frame.size()));
        EXPECT_GT(frame.top(), bar.frameGeometry().bottom());
    }
    SetMaxPlacementBar(nullptr);
}
