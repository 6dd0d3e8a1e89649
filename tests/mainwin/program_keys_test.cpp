// The bar's keys and F1 pressed in each kind of window of the main
// program: a key the window has no binding for acts through the bar on the
// active window's slots; a key it binds itself, and an edit field's own
// editing keys, stay with the window.
#include "program_fixture.h"

#include "dialogs/operating_funcs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QtTest/QTest>

using namespace mwtest;

namespace {

struct WindowKind {
    const char* name;
    QAction* TFMain::*entry;  // the bar entry that opens it
    const char* prefix;       // its object name's beginning
    const char* focus;        // the control that has the focus
    int help;                 // its help topic
};

// Operator parameters and the Quintel-mode window first: they are the
// windows a first inverter's entry opens without a list file.
const WindowKind kKinds[] = {
    {"work list", &TFMain::MenuNewWorkList1, "fwrklist", "RemarkMemo", 55},
    {"download list", &TFMain::MenuNewDownloadList1, "dwnload", "ListView1", 44},
    {"operator window", &TFMain::MenuOperatorParameter, "op_para", "ListView1", 34},
    {"explorer", &TFMain::MenuPrjExpl, "fprjexpl", "TV", 41},
    {"scope", &TFMain::MenuInverterScope, "scope", "PaintBox", 43},
    {"Quintel-mode window", &TFMain::MenuQuintel, "frmcpwindow", "ListView1", TFMain::MainHelpContext},
};

// Makes `W` the active window with `Focus` focused.
void activate(QWidget* W, QWidget* Focus)
{
    W->show();
    W->raise();
    W->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W)) << W->objectName().toStdString();
    Focus->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Focus) << Focus->objectName().toStdString();
}

// Cuts an action off from its command and counts its triggers instead.
int* countInstead(QAction* A)
{
    static std::vector<std::unique_ptr<int>> counters;
    counters.push_back(std::make_unique<int>(0));
    int* n = counters.back().get();
    QObject::disconnect(A, &QAction::triggered, nullptr, nullptr);
    QObject::connect(A, &QAction::triggered, [n] { ++*n; });
    return n;
}

class ProgramKeys : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        for (const WindowKind& k : kKinds) {
            QWidget* w = openThrough(main.get()->*k.entry, QLatin1String(k.prefix));
            ASSERT_NE(w, nullptr) << k.name;
            opened.push_back(w);
        }
    }
    void TearDown() override
    {
        // The list, operator and Quintel-mode windows belong to no one of
        // the program's objects; the explorer and the scope go with them.
        for (size_t i : {0, 1, 2, 5})
            delete opened.value(i).data();
        ProgramTest::TearDown();
    }
    // Makes the window of `Kind` active with its control focused; the
    // control, or null when that failed.
    QWidget* activateKind(size_t Kind)
    {
        QWidget* w = opened[Kind];
        QWidget* focus = w->findChild<QWidget*>(QLatin1String(kKinds[Kind].focus));
        if (!focus)
            return nullptr;
        activate(w, focus);
        return QApplication::focusWidget() == focus ? focus : nullptr;
    }
    // The active window's slot `Slot` counted instead of run; null when
    // the window leaves it empty.
    int* countSlot(int Slot)
    {
        if (!main->CurOpFuncs || !main->CurOpFuncs->Filled(Slot))
            return nullptr;
        slotCounts.push_back(std::make_unique<int>(0));
        int* n = slotCounts.back().get();
        main->CurOpFuncs->Slots[size_t(Slot)] = [n] { ++*n; };
        return n;
    }

    QList<QPointer<QWidget>> opened;
    std::vector<std::unique_ptr<int>> slotCounts;
};

TEST_F(ProgramKeys, TheBarsKeysActFromEveryWindowOnItsSlots)
{
    for (size_t i = 0; i < std::size(kKinds); ++i) {
        SCOPED_TRACE(kKinds[i].name);
        QWidget* focus = activateKind(i);
        ASSERT_NE(focus, nullptr);
        ASSERT_NE(main->CurOpFuncs, nullptr);
        EXPECT_EQ(main->CurOpFuncs->Owner, opened[i]);

        // F12: the hexadecimal display.
        const int hex = HexDisplay;
        QTest::keyClick(focus, Qt::Key_F12);
        EXPECT_NE(HexDisplay, hex);
        EXPECT_EQ(main->MenuHexdisplay->isChecked(), HexDisplay != 0);

        // Ctrl+O: the open dialog.
        const int dialogs = ui->openDialogs;
        QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(ui->openDialogs, dialogs + 1);

        // Ctrl+S: the window's Save slot, where it has one; a download list
        // binds Ctrl+S itself, to the same command.
        auto* ownSave = opened[i]->findChild<QAction*>(QStringLiteral("MenuSave"));
        int* saves = ownSave ? countInstead(ownSave) : countSlot(osSave);
        QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
        if (saves) {
            EXPECT_EQ(*saves, 1);
        } else {
            EXPECT_FALSE(main->MenuSave1->isEnabled());
        }

        // Ctrl+N: the next open window.
        main->CurSlot = slotOf(opened[i]);
        QTest::keyClick(focus, Qt::Key_N, Qt::ControlModifier);
        EXPECT_NE(main->CurSlot, slotOf(opened[i]));
        EXPECT_NE(main->OpenWindowOfSlot(main->CurSlot), nullptr);
    }
}

TEST_F(ProgramKeys, KeysAWindowBindsItselfStayWithIt)
{
    struct Own {
        size_t kind;
        const char* focus;
        QKeyCombination key;
        const char* action;  // the window's own entry
        int slot;            // the bar's slot that must not run
    };
    const Own cases[] = {
        {0, "PL", Qt::CTRL | Qt::Key_C, "MiCopy", osCopy},
        {0, "PL", Qt::CTRL | Qt::Key_S, "MiSaveList", osSave},
        {1, "ListView1", Qt::CTRL | Qt::Key_A, "MenuMarkAll", osMarkAll},
        {1, "Memo1", Qt::CTRL | Qt::Key_S, "MenuSave", osSave},
        {3, "TV", Qt::CTRL | Qt::Key_A, "MiMarkAll", osMarkAll},
        {4, "PaintBox", Qt::CTRL | Qt::Key_X, "Messart", osCut},
    };
    for (const Own& c : cases) {
        SCOPED_TRACE(std::string(kKinds[c.kind].name) + " " + c.action);
        QWidget* w = opened[c.kind];
        auto* focus = w->findChild<QWidget*>(QLatin1String(c.focus));
        ASSERT_NE(focus, nullptr);
        activate(w, focus);
        auto* own = w->findChild<QAction*>(QLatin1String(c.action));
        ASSERT_NE(own, nullptr);
        own->setEnabled(true);
        int* ownRuns = countInstead(own);
        int* slotRuns = countSlot(c.slot);
        QTest::keyClick(focus, c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(*ownRuns, 1);
        if (slotRuns) {
            EXPECT_EQ(*slotRuns, 0);
        }
    }

    // An edit field keeps its own Ctrl+C while the bar's Copy is live.
    auto* memo = opened[0]->findChild<QWidget*>(QStringLiteral("RemarkMemo"));
    ASSERT_NE(memo, nullptr);
    activate(opened[0], memo);
    QTest::keyClicks(memo, QStringLiteral("memo text"));
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    int* copies = countSlot(osCopy);
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("memo text"));
    if (copies) {
        EXPECT_EQ(*copies, 0);
    }
}

TEST_F(ProgramKeys, F1OpensTheHelpTopicOfTheActiveWindow)
{
    for (size_t i = 0; i < std::size(kKinds); ++i) {
        SCOPED_TRACE(kKinds[i].name);
        QWidget* focus = activateKind(i);
        ASSERT_NE(focus, nullptr);
        ui->urls.clear();
        QTest::keyClick(focus, Qt::Key_F1);
        ASSERT_EQ(ui->urls.size(), 1);
        EXPECT_EQ(ui->urls[0].fragment(), QStringLiteral("ctx%1").arg(kKinds[i].help));
    }
}

} // namespace
