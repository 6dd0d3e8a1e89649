// The editors and the print window as the program entry creates them and
// the start-up sets them up: connections, settings and texts.
#include "mainwin_fixture.h"

#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "mainwin/editor_windows.h"
#include "mainwin/prj_expl.h"
#include "mainwin/prj_expl_kind.h"
#include "wait_until.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QToolButton>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace mwtest;

namespace {

const QString kAppl = QStringLiteral("Software\\QEL\\Vortalin5\\Appl");

QString buttonText(QWidget& w, const char* name)
{
    auto* b = w.findChild<QPushButton*>(QLatin1String(name));
    return b ? b->text() : QStringLiteral("<none>");
}

class EditorWiringTest : public MainWinTest {
protected:
    // As the program entry: the main window first, then the editors.
    void startWithEditors(const QString& cmdLine) { start(cmdLine); }
};

TEST_F(EditorWiringTest, TheEditorsExistInEntryOrderAndGoWithTheirOwner)
{
    auto e = std::make_unique<TEditorWindows>();
    const std::vector<QPointer<QWidget>> made{e->AdrEdit(), e->SetEdit(), e->RemEdit(),
                                                 e->ValEdit(), e->Print(),   e->ModeEdit()};
    for (QWidget* w : made) {
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_TRUE(w->isWindow());
    }
    EXPECT_EQ(e->ValEdit()->objectName(), QStringLiteral("frmValEdit"));
    e.reset();
    for (const QPointer<QWidget>& w : made)
        EXPECT_TRUE(w.isNull());
}

TEST_F(EditorWiringTest, AfterStartUpTheEditorsHaveTheirTextsSettingsAndConnections)
{
    // Settings unlike the editors' own start values.
    setDword(kAppl, QStringLiteral("CloseOnOK"), 0);
    setDword(kAppl, QStringLiteral("CloseOnCancel"), 1);
    setDword(kAppl, QStringLiteral("lng"), 1);
    setDword(kAppl, QStringLiteral("ShowDecValue"), 1);
    startWithEditors(demoProject());
    ASSERT_TRUE(main->Shown);
    const TVortalinText& t = *LangTexts;
    const QString ok = t.GetText(0, 6), cancel = t.GetText(0, 7);

    // Value editor: scheduler and project, texts, language, settings.
    TValEditCore& v = windows->Editors().ValEdit()->Core();
    EXPECT_TRUE(v.Connected);
    EXPECT_EQ(v.Scheduler(), Scheduler);
    EXPECT_EQ(v.Project(), Project);
    EXPECT_EQ(v.Texts, LangTexts);
    EXPECT_EQ(v.Language, 1);
    EXPECT_TRUE(v.ShowDecValue);
    EXPECT_EQ(v.Separator, ProgCfg->Separator.at(0));
    EXPECT_FALSE(v.CloseOnOK);
    EXPECT_TRUE(v.CloseOnCancel);
    EXPECT_EQ(v.OkButtons, ButtonList(1));
    EXPECT_EQ(windows->Editors().ValEdit()->windowTitle(), t.GetText(5, 3));
    EXPECT_EQ(buttonText(*windows->Editors().ValEdit(), "OkButton"), ok);
    EXPECT_EQ(buttonText(*windows->Editors().ValEdit(), "Cancelbutton"), cancel);

    // Address editor: the project, language, settings, texts.
    TfrmAdrEdit& a = *windows->Editors().AdrEdit();
    EXPECT_EQ(a.Lists().Project, Project);
    EXPECT_EQ(a.Lists().Language, 1);
    EXPECT_FALSE(a.CloseOnOK);
    EXPECT_TRUE(a.CloseOnCancel);
    EXPECT_EQ(a.windowTitle(), t.GetText(5, 1));
    EXPECT_EQ(a.RadioButton1->text(), t.GetText(0, 32));
    EXPECT_EQ(a.RadioButton2->text(), t.GetText(0, 33));
    EXPECT_EQ(a.OkButton->text(), ok);
    EXPECT_EQ(a.CancelButton->text(), cancel);

    // Set editor.
    TfrmSetEdit& s = *windows->Editors().SetEdit();
    EXPECT_FALSE(s.CloseOnOK);
    EXPECT_TRUE(s.CloseOnCancel);
    EXPECT_EQ(s.windowTitle(), t.GetText(5, 2));
    EXPECT_EQ(s.EnhSetRB->text(), t.GetText(0, 36));
    EXPECT_EQ(s.ActSetRB->text(), t.GetText(0, 37));
    EXPECT_EQ(s.IndirectSetRB->text(), t.GetText(0, 38));
    EXPECT_EQ(s.AllLabel->text(), t.GetText(0, 31));
    EXPECT_EQ(s.OkButton->text(), ok);
    EXPECT_EQ(s.CancelButton->text(), cancel);

    // Remark editor (its own start values are false).
    TfrmRemEdit& r = *windows->Editors().RemEdit();
    EXPECT_FALSE(r.CloseOnOK);
    EXPECT_TRUE(r.CloseOnCancel);
    EXPECT_EQ(r.windowTitle(), t.GetText(5, 4));
    EXPECT_EQ(r.OkButton->text(), ok);
    EXPECT_EQ(r.CancelButton->text(), cancel);

    // Mode editor: a built-in caption.
    TfrmModeEdit& m = *windows->Editors().ModeEdit();
    EXPECT_FALSE(m.CloseOnOK);
    EXPECT_TRUE(m.CloseOnCancel);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Edit download mode"));
    EXPECT_EQ(m.OkButton->text(), ok);
    EXPECT_EQ(m.CancelButton->text(), cancel);

    // Print window.
    TFrmvortalinprint& p = *windows->Editors().Print();
    EXPECT_EQ(p.Setprtbtn->text(), t.GetText(6, 0));
    EXPECT_EQ(p.SetFontBtn->text(), t.GetText(6, 1));
    EXPECT_EQ(p.printbtn->text(), ok);
    EXPECT_EQ(p.cancelbtn->text(), cancel);
    EXPECT_EQ(p.GroupBox1->title(), t.GetText(6, 2));
    EXPECT_EQ(p.GroupBox2->title(), t.GetText(6, 3));
    EXPECT_EQ(p.GroupBox3->title(), t.GetText(6, 4));
    EXPECT_EQ(p.Label2->text(), t.GetText(6, 5));
    EXPECT_EQ(p.Label3->text(), t.GetText(6, 6));
    EXPECT_EQ(p.DataPath(), ProgCfg->DataPath);

    // The address editor lists the demo's inverter from the project.
    a.EditAddress(1, QStringLiteral("Row 1"), false, [](int16_t) {}, 0x101);
    EXPECT_FALSE(a.Lists().Groups.isEmpty());
    a.hide();
}

TEST_F(EditorWiringTest, TheRemarkEditorWorksTheMainMenuWhileActive)
{
    startWithEditors(demoProject());
    ASSERT_TRUE(main->Shown);
    // The explorer the demo restores would take the editor over as its rows
    // change.
    windows->PrjExpl().Window()->close();
    QCoreApplication::processEvents();
    TfrmRemEdit& r = *windows->Editors().RemEdit();
    ASSERT_TRUE(r.EditorEnabled());
    std::vector<QString> got;
    r.EditRemark(QStringLiteral("motor cold"), QStringLiteral("Row 2"), [&got](const QString& s) { got.push_back(s); });
    ASSERT_TRUE(r.isVisible());
    r.activateWindow();
    ASSERT_TRUE(qeltest::waitUntil([&r] { return r.isActiveWindow(); }, 5000));
    EXPECT_EQ(main->CurOpFuncs, &r.OpFuncs());
    EXPECT_TRUE(main->MenuMarkAll1->isEnabled());
    EXPECT_FALSE(main->MenuCopy1->isEnabled());
    EXPECT_FALSE(main->CopyBtn->isEnabled());

    // The main menu's Mark all and Copy act on the edit field, through the
    // main window's clipboard.
    main->MenuMarkAll1->trigger();
    EXPECT_EQ(r.RemEdit->selectedText(), QStringLiteral("motor cold"));
    EXPECT_TRUE(main->MenuCopy1->isEnabled());
    EXPECT_TRUE(main->CutBtn->isEnabled());
    main->MenuCopy1->trigger();
    ASSERT_NE(ClpBrd->Content(), nullptr);
    EXPECT_EQ(ClpBrd->Content()->Lines, QStringList{QStringLiteral("motor cold")});

    // Closed: the record is withdrawn.
    r.close();
    EXPECT_EQ(main->CurOpFuncs, nullptr);
    EXPECT_FALSE(main->MenuMarkAll1->isEnabled());
}

TEST_F(EditorWiringTest, ASettingsChangeReachesTheValueAndAddressEditors)
{
    startWithEditors(demoProject());
    ASSERT_TRUE(main->Shown);
    ASSERT_EQ(windows->Editors().ValEdit()->Core().Language, 0);
    ProgCfg->lng = 1;
    ProgCfg->ShowDecValue = !ProgCfg->ShowDecValue;
    const bool closeOnOk = windows->Editors().SetEdit()->CloseOnOK;
    ProgCfg->CloseOnOK = !closeOnOk;
    main->ProgCfgChanged(ProgCfg);
    EXPECT_EQ(windows->Editors().ValEdit()->Core().Language, 1);
    EXPECT_EQ(windows->Editors().ValEdit()->Core().ShowDecValue, ProgCfg->ShowDecValue);
    EXPECT_EQ(windows->Editors().AdrEdit()->Lists().Language, 1);
    // The close settings are taken at start-up only.
    EXPECT_EQ(windows->Editors().SetEdit()->CloseOnOK, closeOnOk);
}

} // namespace
