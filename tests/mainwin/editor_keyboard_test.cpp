// An editor that the user opens from the keyboard takes the keyboard: it
// becomes the active window, its field has the focus, and what the user
// types next with Enter reaches the inverter (the fixture's simulated line).
#include "program_fixture.h"

#include "lists/fwrk_list.h"
#include "lists/fwrk_list_view.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/op_para.h"
#include "lists/op_para_core.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/wrk_lists.h"
#include "mainwin/editor_windows.h"
#include "mainwin/prj_expl.h"
#include "mainwin/prj_expl_kind.h"
#include "sim/sim_inverter.h"
#include "wait_until.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <bit>
#include <functional>

using namespace mwtest;

namespace {

class EditorKeyboard : public ProgramTest {
protected:
    // Presses Key in Focus, a control of the active window Window, as the
    // user does (through the shortcuts). Offscreen, a shown window becomes
    // active at once; on X11 the window manager may leave the keyboard with
    // the window the key was pressed in. Window is therefore made active
    // again at once: only the opened editor's own request brings the
    // keyboard over.
    static void pressIn(QWidget* Window, QWidget* Focus, int Key)
    {
        Window->raise();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window)) << Window->objectName().toStdString();
        Focus->setFocus();
        QTest::keyClick(Focus, Qt::Key(Key));
        Window->activateWindow();
    }
    // Waits until Editor is the active window with Field (when named) focused.
    static bool hasKeyboard(QWidget* Editor, const char* Field)
    {
        QWidget* field = Field ? Editor->findChild<QWidget*>(QLatin1String(Field)) : nullptr;
        if (Field && !field)
            return false;
        return qeltest::waitUntil([&] {
            return QApplication::activeWindow() == Editor && (!field || QApplication::focusWidget() == field);
        });
    }
    // Types Text and Enter into whatever has the keyboard.
    static void typeWithEnter(const QString& Text)
    {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, Text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    // A value of Para other than Now, and its text as a user types it.
    static int32_t otherValue(const TParaRec& Para, int32_t Now)
    {
        return Now == Para.LowerLim ? Para.LowerLim + 1 : Para.LowerLim;
    }
    // The set a write with the selector reaches: the lowest of a mask; the
    // simulator's actual (and indirectly pointed) set is 0.
    static int setOf(int SetSel) { return SetSel > 0 ? std::countr_zero(unsigned(SetSel)) : 0; }
    // Opens the editor with Key in Focus and writes a new value through it.
    void writeThroughEditor(QWidget* Window, QWidget* Focus, int Key)
    {
        TfrmValEdit* ed = windows->Editors().ValEdit();
        ASSERT_FALSE(ed->isVisible());
        pressIn(Window, Focus, Key);
        ASSERT_TRUE(ed->isVisible());
        ASSERT_TRUE(hasKeyboard(ed, "Edit1"));
        auto* edit = ed->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        EXPECT_EQ(edit->selectedText(), edit->text());
        const TValEditCore& c = ed->Core();
        ASSERT_TRUE(c.Para);
        const TParaRec para = *c.Para;
        const int set = setOf(c.SetSel);
        auto sim = din.inverter(c.Inverter);
        ASSERT_TRUE(sim);
        const int32_t wanted = otherValue(para, sim->value(uint16_t(para.Addr), set));
        typeWithEnter(para.ValueToNumText(wanted, false));
        EXPECT_TRUE(qeltest::waitUntil([&] { return sim->value(uint16_t(para.Addr), set) == wanted; }, 30000))
            << "no write of " << wanted;
    }
};


TEST_F(EditorKeyboard, F3InTheExplorerOpensTheValueEditorWithTheKeyboardAndEnterWrites)
{
    TFPrjExpl* w = windows->PrjExpl().Window();
    main->Kinds.PrjExpl->RebuildTree();
    main->Kinds.PrjExpl->Show(0, 0, QString());
    QTreeWidgetItem* groups = w->TV->topLevelItem(0)->child(0)->child(0);
    for (int g = 0; g < groups->childCount(); ++g)
        if (groups->child(g)->text(0).startsWith(QStringLiteral("dr:")))
            w->TV->setCurrentItem(groups->child(g));
    TPrjExplCore& core = w->Core();
    ASSERT_TRUE(qeltest::waitUntil(
        [&] {
            for (const TExplRow& r : core.Rows)
                if (r.Value == core.Texts.NotActText)
                    return false;
            return !core.Rows.empty();
        },
        30000));
    w->lvParaList->setCurrentItem(w->lvParaList->topLevelItem(0));
    writeThroughEditor(w, w->lvParaList, Qt::Key_F3);

    // F4: the set addressing, with OK focused.
    windows->Editors().ValEdit()->hide();
    TfrmSetEdit* set = windows->Editors().SetEdit();
    ASSERT_FALSE(set->isVisible());
    pressIn(w, w->lvParaList, Qt::Key_F4);
    ASSERT_TRUE(set->isVisible());
    EXPECT_TRUE(hasKeyboard(set, "OkButton"));
}

TEST_F(EditorKeyboard, EnterOnAWorkListRowOpensTheValueEditorWithTheKeyboardAndEnterWrites)
{
    const QString file = path(QStringLiteral("prefix/data/demo.wr5"));
    ASSERT_TRUE(QFile::copy(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/demo/demo.wr5")), file));
    ui->openAnswers = {file};
    main->MenuOpen1->trigger();
    TFWrkList* w = WrkLists->Window(0);
    ASSERT_NE(w, nullptr);
    // The first row of a writable parameter.
    int row = -1;
    const auto& rows = w->Core().Rows();
    for (size_t i = 0; i < rows.size() && row < 0; ++i)
        if (!rows[i]->IsBlank() && rows[i]->Para && (rows[i]->Para->Flags & 0x8))
            row = int(i);
    ASSERT_GE(row, 0);
    w->List()->setCurrentIndex(w->List()->model()->index(row, 5));
    writeThroughEditor(w, w->List(), Qt::Key_Return);
    delete w;
}

TEST_F(EditorKeyboard, EnterOnAnOperatorParameterRowOpensTheValueEditorWithTheKeyboardAndEnterWrites)
{
    auto* w = qobject_cast<Top_para*>(openThrough(main->MenuOperatorParameter, QStringLiteral("op_para")));
    ASSERT_NE(w, nullptr);
    TOpParaCore& c = w->Core();
    ASSERT_TRUE(qeltest::waitUntil(
        [&] {
            if (c.Rows().empty())
                return false;
            for (const TOpRow& r : c.Rows())
                if (!r.ValueRead)
                    return false;
            return true;
        },
        30000));
    // The display contrast (0083h), the one of two sets.
    int row = -1;
    for (size_t i = 0; i < c.Rows().size() && row < 0; ++i)
        if (c.Rows()[i].Caption.startsWith(QStringLiteral("0083")))
            row = int(i);
    ASSERT_GE(row, 0);
    w->List()->selectRow(row);
    writeThroughEditor(w, w->List(), Qt::Key_Return);
    delete w;
}

TEST_F(EditorKeyboard, TheSetRemarkAddressAndModeEditorsTakeTheKeyboardWhenTheyOpen)
{
    TEditorWindows& e = windows->Editors();
    const struct {
        const char* name;
        QWidget* editor;
        std::function<void()> open;
        const char* focus;  // the control the editor focuses, if it names one
    } editors[] = {
        {"set", e.SetEdit(), [&] { e.SetEdit()->EditSet(5, QStringLiteral("Sets"), [](int16_t) {}); }, "OkButton"},
        {"remark", e.RemEdit(),
         [&] { e.RemEdit()->EditRemark(QStringLiteral("note"), QStringLiteral("Remark"), [](const QString&) {}); },
         "RemEdit"},
        {"address", e.AdrEdit(),
         [&] { e.AdrEdit()->EditAddress(1, QStringLiteral("Address"), false, [](int16_t) {}, 0x0101); }, nullptr},
        {"mode", e.ModeEdit(), [&] { e.ModeEdit()->EditMode(QStringLiteral("Mode"), 1, [](int) {}); }, "ComboBox1"},
    };
    for (const auto& ed : editors) {
        SCOPED_TRACE(ed.name);
        ASSERT_FALSE(ed.editor->isVisible());
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        ed.open();
        main->activateWindow();  // as X11 may leave it (pressIn)
        ASSERT_TRUE(ed.editor->isVisible());
        EXPECT_TRUE(hasKeyboard(ed.editor, ed.focus));
        ed.editor->hide();
    }
}

} // namespace
