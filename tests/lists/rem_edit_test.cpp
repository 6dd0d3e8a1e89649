// The remark editor driven by object name, with a fake main window that
// receives its operation slots and calls them as the main menu does, and
// the real internal clipboard on the system clipboard.

#include "config/vortalin_clpbrd.h"
#include "dialogs/clpbrd_qt_sink.h"
#include "dialogs/glyph_button.h"
#include "lists/rem_edit.h"
#include "wait_until.h"
#include "screenshot.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// The main window as far as the editor sees it: the records handed over
// ("-" for none, else the filled slots) and the menu's calls into them.
class FakeMain : public QWidget, public IMainForm {
public:
    void SetContextFuncs(TContextList*) override {}
    QRect BarFrame() const override { return frameGeometry(); }
    void SetPrgOpFuncs(PTOperatingFuncs f) override
    {
        cur = f;
        QString s = QStringLiteral("-");
        if (f) {
            s.clear();
            for (int i = 0; i < TOperatingFuncs::SlotCount; ++i)
                if (f->Filled(i))
                    s += QString::number(i);
        }
        handed.push_back(s);
    }
    // As a menu entry: nothing without a record or with its slot empty; a
    // copy is called, since the slot may change the record while it runs.
    void Call(int slot)
    {
        if (!cur || !cur->Filled(slot))
            return;
        const std::function<void()> f = cur->Slots[size_t(slot)];
        f();
    }
    PTOperatingFuncs cur = nullptr;
    std::vector<QString> handed;
};

void activate(QWidget& w)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(qeltest::waitUntil([&w] { return w.isActiveWindow(); }, 5000));
}

std::unique_ptr<TIntClpBrd> content(uint8_t flags, const QStringList& lines)
{
    auto c = std::make_unique<TIntClpBrd>();
    c->Flags = flags;
    c->Lines = lines;
    return c;
}

class RemEditWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        clp.SetSink(std::make_shared<TQtClpBrdSink>());
        form.SetMainForm(&clp, &main);
    }
    void open(const QString& text)
    {
        form.EditRemark(text, QStringLiteral("Row 3"), [this](const QString& r) { got.push_back(r); });
        // An editor that opens asks for the keyboard once shown: that is
        // done before a test hands the keyboard elsewhere.
        QCoreApplication::processEvents();
    }
    TVarneGlyphButton* ok() { return form.findChild<TVarneGlyphButton*>(QStringLiteral("OkButton")); }
    TVarneGlyphButton* cancel() { return form.findChild<TVarneGlyphButton*>(QStringLiteral("CancelButton")); }
    QLineEdit* edit() { return form.findChild<QLineEdit*>(QStringLiteral("RemEdit")); }

    TVortalinClpBrd clp;
    FakeMain main;
    TfrmRemEdit form;
    std::vector<QString> got;
};

TEST(RemEditBare, NothingOpensBeforeTheMainWindowIsAttached)
{
    TfrmRemEdit form;
    EXPECT_FALSE(form.EditorEnabled());
    EXPECT_FALSE(form.CloseOnOK);
    EXPECT_FALSE(form.CloseOnCancel);
    form.EditRemark(QStringLiteral("x"), QStringLiteral("Row"), [](const QString&) {});
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.findChild<QLineEdit*>(QStringLiteral("RemEdit"))->text().isEmpty());
    // A main window without a clipboard holder enables nothing either.
    FakeMain main;
    form.SetMainForm(nullptr, &main);
    form.EditRemark(QStringLiteral("x"), QStringLiteral("Row"), {});
    EXPECT_FALSE(form.isVisible());
}

TEST_F(RemEditWindow, OkAndCancelFollowTheCloseSettings)
{
    open(QStringLiteral("old"));
    ASSERT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Remark Editor"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Row 3"));
    EXPECT_EQ(edit()->text(), QStringLiteral("old"));
    EXPECT_TRUE(ok()->isEnabled());

    // Start values: both false, the editor stays.
    edit()->setText(QStringLiteral("new"));
    ok()->click();
    EXPECT_EQ(got, std::vector<QString>{QStringLiteral("new")});
    EXPECT_TRUE(form.isVisible());
    edit()->setText(QStringLiteral("typed"));
    cancel()->click();
    EXPECT_EQ(edit()->text(), QStringLiteral("old"));
    EXPECT_TRUE(form.isVisible());

    form.CloseOnOK = true;
    ok()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(got.size(), 2u);

    form.CloseOnCancel = true;
    open(QStringLiteral("again"));
    edit()->setText(QStringLiteral("typed"));
    cancel()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(got.size(), 2u);

    // Detached: no callback, OK disabled and doing nothing.
    form.EditRemark(QString(), QString(), nullptr);
    EXPECT_FALSE(ok()->isEnabled());
    ok()->click();
    EXPECT_EQ(got.size(), 2u);
}

TEST_F(RemEditWindow, TheRecordGoesOverOnActivationAndOnlyWhenTheSelectionComesOrGoes)
{
    open(QStringLiteral("hello world"));
    activate(form);
    EXPECT_TRUE(edit()->hasFocus());
    ASSERT_FALSE(main.handed.empty());
    EXPECT_EQ(main.handed.back(), QStringLiteral("7"));  // no selection, empty clipboard
    const size_t n = main.handed.size();

    edit()->setSelection(0, 5);
    ASSERT_EQ(main.handed.size(), n + 1);
    EXPECT_EQ(main.handed.back(), QStringLiteral("3467"));
    edit()->setSelection(0, 8);  // still a selection: nothing new
    EXPECT_EQ(main.handed.size(), n + 1);
    edit()->setText(QStringLiteral("hello world!"));  // drops the selection
    ASSERT_EQ(main.handed.size(), n + 2);
    EXPECT_EQ(main.handed.back(), QStringLiteral("7"));
    edit()->selectAll();
    edit()->deselect();
    ASSERT_EQ(main.handed.size(), n + 4);
    EXPECT_EQ(main.handed.back(), QStringLiteral("7"));

    // Closing withdraws it: the main menu no longer reaches the hidden field.
    form.close();
    EXPECT_EQ(main.handed.back(), QStringLiteral("-"));
}

TEST_F(RemEditWindow, PasteIsOfferedOnActivationOnlyWithClipboardText)
{
    struct Case {
        uint8_t flags;
        QStringList lines;
        QString expected;
    };
    const Case cases[] = {
        {cbfLines, {QStringLiteral("a")}, QStringLiteral("57")},
        {cbfRows, {QStringLiteral("a"), QStringLiteral("b")}, QStringLiteral("57")},
        {cbfInvAdr | cbfSetSel | cbfAddress, {QStringLiteral("a")}, QStringLiteral("7")},
    };
    open(QStringLiteral("text"));
    for (const Case& c : cases) {
        clp.SetIntClpBrd(content(c.flags, c.lines));
        activate(main);
        activate(form);
        EXPECT_EQ(main.handed.back(), c.expected) << int(c.flags);
    }
    clp.SetIntClpBrd(nullptr);
    activate(main);
    activate(form);
    EXPECT_EQ(main.handed.back(), QStringLiteral("7"));
}

TEST_F(RemEditWindow, ACallerRePointingItWhileItsOwnWindowIsActiveKeepsTheMenu)
{
    open(QStringLiteral("hello"));
    activate(form);
    edit()->selectAll();
    ASSERT_EQ(main.handed.back(), QStringLiteral("3467"));
    activate(main);
    main.SetPrgOpFuncs(nullptr);  // the list window's own record
    const size_t n = main.handed.size();
    form.EditRemark(QStringLiteral("next row"), QStringLiteral("Row 4"), [](const QString&) {});
    EXPECT_EQ(main.handed.size(), n);
    activate(form);
    EXPECT_EQ(main.handed.back(), QStringLiteral("7"));
}

TEST_F(RemEditWindow, CopyAndCutGoThroughTheInternalClipboardToTheSystemOne)
{
    open(QStringLiteral("hello world"));
    activate(form);
    edit()->setSelection(6, 5);
    main.Call(osCopy);
    ASSERT_NE(clp.Content(), nullptr);
    EXPECT_EQ(clp.Content()->Flags, cbfLines);
    EXPECT_EQ(clp.Content()->Lines, QStringList{QStringLiteral("world")});
    EXPECT_TRUE(clp.Content()->Items.empty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("world"));
    EXPECT_EQ(edit()->text(), QStringLiteral("hello world"));

    edit()->setSelection(0, 6);
    main.Call(osCut);
    EXPECT_EQ(clp.Content()->Lines, QStringList{QStringLiteral("hello ")});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("hello "));
    EXPECT_EQ(edit()->text(), QStringLiteral("world"));

    // The keys do the same, never straight to the system clipboard.
    edit()->selectAll();
    QKeyEvent copyKey(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(edit(), &copyKey);
    EXPECT_EQ(clp.Content()->Lines, QStringList{QStringLiteral("world")});

    // Without a selection nothing is copied or cut.
    clp.SetIntClpBrd(content(cbfLines, {QStringLiteral("kept")}));
    edit()->deselect();
    form.Copy();
    form.Cut();
    EXPECT_EQ(clp.Content()->Lines, QStringList{QStringLiteral("kept")});
    EXPECT_EQ(edit()->text(), QStringLiteral("world"));
}

TEST_F(RemEditWindow, PasteTakesTheFirstLineOfATextContentOnly)
{
    struct Case {
        const char* name;
        std::optional<uint8_t> flags;  // none: an empty clipboard
        QStringList lines;
        QString result;
    };
    const QStringList three{QStringLiteral("1 0x0101 A first"), QStringLiteral("2 0x0102 A second"),
                            QStringLiteral("3 0x0103 A third")};
    const Case cases[] = {
        {"three copied rows", cbfRows, three, QStringLiteral("<1 0x0101 A first>")},
        {"copied text", cbfLines, {QStringLiteral("note")}, QStringLiteral("<note>")},
        {"text content without a line", cbfLines, {}, QStringLiteral("<mid>")},
        {"rows without text", cbfInvAdr | cbfSetSel | cbfAddress, three, QStringLiteral("<mid>")},
        {"empty clipboard", std::nullopt, {}, QStringLiteral("<mid>")},
    };
    for (const Case& c : cases) {
        clp.SetIntClpBrd(c.flags ? content(*c.flags, c.lines) : nullptr);
        open(QStringLiteral("<mid>"));
        edit()->setSelection(1, 3);
        form.Paste();
        EXPECT_EQ(edit()->text(), c.result) << c.name;
    }
    // Ctrl+V pastes from the internal clipboard too.
    clp.SetIntClpBrd(content(cbfLines, {QStringLiteral("inner")}));
    QGuiApplication::clipboard()->setText(QStringLiteral("outer"));
    open(QString());
    QKeyEvent pasteKey(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(edit(), &pasteKey);
    EXPECT_EQ(edit()->text(), QStringLiteral("inner"));
}

TEST_F(RemEditWindow, DeleteAndMarkAll)
{
    open(QStringLiteral("abcdef"));
    activate(form);
    main.Call(osDelete);  // no selection: slot empty
    EXPECT_EQ(edit()->text(), QStringLiteral("abcdef"));
    main.Call(osMarkAll);
    EXPECT_EQ(edit()->selectedText(), QStringLiteral("abcdef"));
    edit()->setSelection(1, 2);
    main.Call(osDelete);
    EXPECT_EQ(edit()->text(), QStringLiteral("adef"));
}

TEST_F(RemEditWindow, ThePopUpMenuIsGermanAndEnablesWhatTheSelectionAllows)
{
    struct Item {
        const char* name;
        const char* caption;
        QKeySequence key;
        bool needsSelection;
    };
    const Item items[] = {
        {"MiCutItem", "Ausschneiden", QKeySequence(Qt::CTRL | Qt::Key_X), true},
        {"MiCopyItem", "Kopieren", QKeySequence(Qt::CTRL | Qt::Key_C), true},
        {"MiPasteItem", "Einfügen", QKeySequence(Qt::CTRL | Qt::Key_V), false},
        {"MiDelItem", "Löschen", QKeySequence(), true},
        {"MiMarkAllItem", "Alles Markieren", QKeySequence(), false},
    };
    open(QStringLiteral("abc"));
    for (bool selected : {false, true}) {
        if (selected)
            edit()->selectAll();
        else
            edit()->deselect();
        emit edit()->customContextMenuRequested(QPoint(2, 2));
        ASSERT_TRUE(form.PopupTxt->isVisible());
        for (const Item& i : items) {
            auto* a = form.PopupTxt->findChild<QAction*>(QLatin1String(i.name));
            ASSERT_NE(a, nullptr) << i.name;
            EXPECT_EQ(a->text(), QString::fromUtf8(i.caption));
            EXPECT_EQ(a->shortcut(), i.key) << i.name;
            EXPECT_EQ(a->isEnabled(), selected || !i.needsSelection) << i.name;
        }
        form.PopupTxt->hide();
    }
    // Its Copy goes through the internal clipboard.
    edit()->selectAll();
    form.MiCopyItem->trigger();
    ASSERT_NE(clp.Content(), nullptr);
    EXPECT_EQ(clp.Content()->Lines, QStringList{QStringLiteral("abc")});
}

TEST_F(RemEditWindow, LayoutAndScreenshot)
{
    form.SetCaptionText(QStringLiteral("Edit remark"));
    form.EditRemark(QStringLiteral("Ramp checked on site"), QStringLiteral("Work list row 3: 1 0x0102 A"),
                    [](const QString&) {});
    EXPECT_EQ(form.size(), QSize(300, 110));
    EXPECT_EQ(cancel()->geometry().right() + 1, form.width() - 10);
    EXPECT_EQ(ok()->geometry().right() + 1, cancel()->x() - 10);
    qeltest::saveScreenshot(form, QStringLiteral("rem_edit.png"));
    // Wider: the field stretches, the buttons keep their distance.
    form.resize(400, form.height());
    EXPECT_EQ(edit()->geometry().right() + 1, form.width() - 8);
    EXPECT_EQ(cancel()->geometry().right() + 1, form.width() - 10);
}

} // namespace
