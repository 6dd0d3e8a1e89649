// Operation slots, context commands, the Windows menu, arrangement and the
// saved window layout, on a started main window.
#include "fake_kinds.h"
#include "mainwin_fixture.h"

#include "mainwin/prj_expl.h"
#include "mainwin/prj_expl_kind.h"
#include "mainwin/scope_kind.h"
#include "scope/scope_window.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "dialogs/max_placement.h"
#include "dialogs/shared_objects.h"
#include "dialogs/window_file.h"
#include "mainwin/bar_layout.h"
#include "mainwin/fsplash.h"
#include "wait_until.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using namespace mwtest;

namespace {

// A window of a scheduler slot standing in for a list window.
class StandIn : public QWidget, public IWindowFileName {
public:
    StandIn(const QString& name, const QString& file = {}) : file_(file)
    {
        setObjectName(name);
        setWindowTitle(name);
    }
    QString WindowFileName() const override { return file_; }

private:
    QString file_;
};

class MainWindows : public MainWinTest {
protected:
    void SetUp() override
    {
        MainWinTest::SetUp();
        start(demoProject());
        ASSERT_TRUE(main->Shown);
        // Each test opens its own windows: the explorer the demo restores goes,
        // and so does the scope, which counts as open until its first close.
        windows->PrjExpl().Window()->close();
        main->MenuInverterScope->trigger();
        windows->Scope().Window()->close();
    }
    // Registers a window as an open client (state 3); its slot.
    int openWindow(QWidget* w)
    {
        const int slot = Scheduler->Register(w, {}, {}, {});
        Scheduler->SetState(slot, 3);
        return slot;
    }
    std::vector<QAction*> windowEntries() const
    {
        const auto all = main->miWindows->actions();
        return std::vector<QAction*>(all.begin() + 5, all.end());
    }
};

TEST_F(MainWindows, OnlyTheFilledSlotsEnableTheirEntriesAndNothingIsCalledAfterTheWindowHasGone)
{
    auto window = std::make_unique<QObject>();
    TOperatingFuncs funcs;
    funcs.Owner = window.get();
    int copies = 0, marks = 0;
    funcs.Slots[osCopy] = [&] { ++copies; };
    funcs.Slots[osMarkAll] = [&] { ++marks; };
    // A window reaches the receiver through the main form it was given.
    const TMainFormRef form(main.get());
    form.SetPrgOpFuncs(&funcs);
    EXPECT_EQ(main->CurOpFuncs, &funcs);

    for (QAction* a : {main->MenuSave1, main->MenuSaveAs1, main->MenuCut1, main->MenuPaste1, main->MenuDelete1,
                       main->MenuPrint1, main->MenuSearch1})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    for (QToolButton* b : {main->SaveBtn, main->CutBtn, main->PasteBtn, main->DelBtn})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(main->MenuCopy1->isEnabled());
    EXPECT_TRUE(main->CopyBtn->isEnabled());
    EXPECT_TRUE(main->MenuMarkAll1->isEnabled());

    main->CopyBtn->click();
    main->MenuMarkAll1->trigger();
    main->MenuCut1->trigger();  // disabled: nothing
    main->CallSlot(osCut);      // empty slot: nothing
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(marks, 1);

    // The window goes without handing over nothing: its record is dropped.
    window.reset();
    EXPECT_EQ(main->CurOpFuncs, nullptr);
    EXPECT_FALSE(main->MenuCopy1->isEnabled());
    main->CallSlot(osCopy);
    EXPECT_EQ(copies, 1);
}

TEST_F(MainWindows, ContextCommandsBecomeEntriesAndButtonsThatAreReusedAndFreed)
{
    auto window = std::make_unique<QObject>();
    TContextList five(window.get());
    std::vector<int> clicks;
    five.Add(QStringLiteral("Work list"), {}, {}, 77);
    for (int i = 1; i < 5; ++i)
        five.Add(QStringLiteral("Cmd %1").arg(i), [&clicks, i](QObject*) { clicks.push_back(i); },
                 QStringLiteral("Hint %1").arg(i), 100 + i, i != 3);
    main->SetContextFuncs(&five);
    EXPECT_EQ(main->MenuContext0->title(), QStringLiteral("Work list"));
    EXPECT_TRUE(main->MenuContext0->menuAction()->isEnabled());
    ASSERT_EQ(main->MenuContext0->actions().size(), 4);
    ASSERT_EQ(main->CtxButtons.size(), 4u);
    const QRect panel5 = main->Panel5->geometry();
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        QToolButton* b = main->CtxButtons[size_t(i - 1)];
        EXPECT_EQ(b->geometry(), QRect(panel5.right() + 1 + (i - 1) * 32 + 4, 8, 32, 32));
        EXPECT_EQ(b->toolTip(), QStringLiteral("Hint %1").arg(i));
        EXPECT_EQ(b->isEnabled(), i != 3);
        EXPECT_EQ(main->MenuContext0->actions()[i - 1]->text(), QStringLiteral("Cmd %1").arg(i));
    }
    main->CtxButtons[1]->click();
    main->MenuContext0->actions()[3]->trigger();
    EXPECT_EQ(clicks, (std::vector<int>{2, 4}));

    // The same list again changes nothing.
    const std::vector<QToolButton*> before = main->CtxButtons;
    main->SetContextFuncs(&five);
    EXPECT_EQ(main->CtxButtons, before);

    // Three items after five: two entries and buttons remain, reused.
    TContextList three(window.get());
    three.Add(QStringLiteral("Download list"));
    three.Add(QStringLiteral("A"), [&clicks](QObject*) { clicks.push_back(10); });
    three.Add(QStringLiteral("B"));
    main->SetContextFuncs(&three);
    ASSERT_EQ(main->MenuContext0->actions().size(), 2);
    ASSERT_EQ(main->CtxButtons.size(), 2u);
    EXPECT_EQ(main->CtxButtons[0], before[0]);
    EXPECT_EQ(main->CtxButtons[1], before[1]);
    EXPECT_EQ(main->MenuContext0->actions()[1]->text(), QStringLiteral("B"));
    main->CtxButtons[0]->click();
    EXPECT_EQ(clicks.back(), 10);

    // Nothing: "-", disabled, buttons hidden but kept for later.
    main->SetContextFuncs(nullptr);
    EXPECT_EQ(main->MenuContext0->title(), QStringLiteral("-"));
    EXPECT_FALSE(main->MenuContext0->menuAction()->isEnabled());
    EXPECT_EQ(main->CtxButtons.size(), 2u);
    for (QToolButton* b : main->CtxButtons)
        EXPECT_TRUE(b->isHidden());

    // The window goes while its list is held: its commands are not called.
    main->SetContextFuncs(&three);
    window.reset();
    EXPECT_EQ(main->CurContext, nullptr);
    const size_t n = clicks.size();
    main->CtxButtons[0]->click();
    EXPECT_EQ(clicks.size(), n);
}

TEST_F(MainWindows, TheWindowsMenuListsOpenWindowsAndNextCyclesThroughThem)
{
    // Slots 62 and 63: fill the slots below with clients without windows.
    std::vector<std::unique_ptr<QObject>> fillers;
    for (int i = 0; i < 62; ++i) {
        fillers.push_back(std::make_unique<QObject>());
        if (Scheduler->GetItem(i))
            continue;
        ASSERT_EQ(Scheduler->Register(fillers.back().get(), {}, {}, {}), i);
    }
    StandIn a(QStringLiteral("fwrklist1")), b(QStringLiteral("fwrklist2"));
    a.show();
    b.show();
    ASSERT_EQ(openWindow(&a), 62);
    EXPECT_FALSE(main->miWindows->menuAction()->isVisible());
    main->CurSlot = 10;
    main->NextWindow();  // one window: nothing
    EXPECT_EQ(main->CurSlot, 10);

    ASSERT_EQ(openWindow(&b), 63);
    EXPECT_TRUE(main->miWindows->menuAction()->isVisible());
    const auto entries = windowEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("fwrklist1"));
    EXPECT_EQ(entries[1]->data().toInt(), 63);

    main->CurSlot = 62;
    main->MiNext->trigger();
    EXPECT_EQ(main->CurSlot, 63);
    main->MiNext->trigger();
    EXPECT_EQ(main->CurSlot, 62);

    b.showMinimized();
    entries[1]->trigger();
    EXPECT_EQ(main->CurSlot, 63);
    EXPECT_FALSE(b.isMinimized());

    // A paused window (state 2, minimised) stays; one that has gone leaves.
    Scheduler->SetState(63, 2);
    EXPECT_TRUE(main->miWindows->menuAction()->isVisible());
    // A hidden window (a closed scope only hides) leaves, and comes back
    // when shown again.
    b.hide();
    ASSERT_TRUE(qeltest::waitUntil([&] { return windowEntries().size() == 1u; }));
    EXPECT_FALSE(main->miWindows->menuAction()->isVisible());
    b.show();
    ASSERT_TRUE(qeltest::waitUntil([&] { return windowEntries().size() == 2u; }));
    Scheduler->Unregister(63);
    EXPECT_FALSE(main->miWindows->menuAction()->isVisible());
    EXPECT_EQ(windowEntries().size(), 1u);
    Scheduler->Unregister(62);
    for (int s = 0; s < 62; ++s)
        if (TSchItem* item = Scheduler->GetItem(s))
            for (const auto& f : fillers)
                if (item->Form == f.get())
                    Scheduler->Unregister(s);
}

TEST_F(MainWindows, ArrangePlacesTheShownWindowsBelowTheBarAndLeavesAHiddenOneHidden)
{
    main->show();
    // The scope as before its first opening: registered, open to the
    // scheduler (state 2), and hidden.
    QWidget* scope = windows->Scope().Window();
    int scopeSlot = -1;
    for (int s = 0; s < TScheduler::SlotCount; ++s)
        if (const TSchItem* item = Scheduler->GetItem(s); item && item->Form == scope)
            scopeSlot = s;
    ASSERT_GE(scopeSlot, 0);
    Scheduler->SetState(scopeSlot, 2);
    ASSERT_TRUE(scope->isHidden());

    StandIn w1(QStringLiteral("fwrklist1")), w2(QStringLiteral("fwrklist2")), w3(QStringLiteral("fwrklist3"));
    std::vector<int> used;
    for (StandIn* w : {&w1, &w2, &w3}) {
        w->show();
        used.push_back(openWindow(w));
    }
    const QRect work = main->screen()->availableGeometry();
    const int top = main->frameGeometry().top() + main->frameGeometry().height();
    const QRect area(work.left(), top, work.width(), work.bottom() + 1 - top);
    const struct {
        QAction* entry;
        std::function<QRect(int)> rect;  // window k's frame
    } arranges[] = {
        {main->miArrangeVertical,
         [&](int k) { return QRect(area.left() + k * (area.width() / 3), top, area.width() / 3, area.height()); }},
        {main->miArrangeHorizontal,
         [&](int k) { return QRect(area.left(), top + k * (area.height() / 3), area.width(), area.height() / 3); }},
        {main->miArrangeOverlapped, [&](int k) { return QRect(area.left() + 20 * k, top + 20 * k, 600, 400); }},
    };
    for (const auto& a : arranges) {
        SCOPED_TRACE(a.entry->objectName().toStdString());
        a.entry->trigger();
        int k = 0;
        for (StandIn* w : {&w1, &w2, &w3}) {
            SCOPED_TRACE(k);
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(w->frameGeometry(), a.rect(k));
            ++k;
        }
        EXPECT_TRUE(scope->isHidden());
    }
    for (int s : used)
        Scheduler->Unregister(s);
}

TEST_F(MainWindows, SavingTheLayoutOffersToAddAFileOutsideTheProjectAndDropsARefusedOne)
{
    const QString outside = path(QStringLiteral("elsewhere/list.wr5"));
    StandIn list(QStringLiteral("fwrklist1"), outside);
    StandIn expl(QStringLiteral("FPrjExpl"));
    StandIn quintel(QStringLiteral("FQuintel1"));
    list.setGeometry(30, 140, 300, 200);
    const int s1 = openWindow(&expl);
    const int s2 = openWindow(&list);
    const int s3 = openWindow(&quintel);

    main->SaveWindowLayout();  // the add-file question: refused
    EXPECT_EQ(ui->prj->addFileQuestions, QStringList{outside});
    ASSERT_EQ(Project->WdwCount(), 1);
    EXPECT_EQ(Project->GetWdw(0)->WdwType, int(wkPrjExpl));
    EXPECT_EQ(Project->GetWdw(0)->InvNr, -2);

    ui->prj->addFileAnswers = {-1};  // added to the whole project
    main->MenuSavePrj->trigger();
    ASSERT_EQ(Project->WdwCount(), 2);
    const TSavedWdwRec& rec = *Project->GetWdw(1);
    EXPECT_EQ(rec.WdwType, int(wkWorkList));
    EXPECT_EQ(rec.FileName, outside);
    EXPECT_EQ(rec.InvNr, -1);
    EXPECT_EQ(rec.Width, 300);
    EXPECT_EQ(rec.Height, 200);
    EXPECT_FALSE(Project->Modified);  // saved under its name
    for (int s : {s1, s2, s3})
        Scheduler->Unregister(s);
}

TEST_F(MainWindows, AMaximisedWindowGoesBelowTheBarIsSavedMaximisedAndRestoredSo)
{
    main->show();
    const QRect below = MaxPlacementFrame(main->screen()->availableGeometry(), main->frameGeometry());
    auto placed = [below](const QWidget* w) { return !w->isMaximized() && w->frameGeometry() == below; };
    StandIn op(QStringLiteral("op_para"));
    InstallMaxPlacement(&op);
    op.setGeometry(30, 140, 300, 200);
    op.show();
    const int slot = openWindow(&op);
    op.showMaximized();
    ASSERT_TRUE(qeltest::waitUntil([&] { return placed(&op); }));
    main->SaveWindowLayout();
    ASSERT_EQ(Project->WdwCount(), 1);
    const TSavedWdwRec rec = *Project->GetWdw(0);
    EXPECT_EQ(rec.WdwType, int(wkOperator));
    EXPECT_EQ(rec.State, 2);
    // Resized by the user it is saved as a normal window.
    op.resize(300, 200);
    main->SaveWindowLayout();
    EXPECT_EQ(Project->GetWdw(0)->State, 0);
    Scheduler->Unregister(slot);
    op.hide();

    *Project->GetWdw(0) = rec;
    StandIn again(QStringLiteral("op_para"));
    InstallMaxPlacement(&again);
    FakeKind opPara;
    opPara.show = [&](int, int, const QString&) -> QWidget* { return &again; };
    main->Kinds.OpPara = &opPara;
    main->RestoreWindows();
    EXPECT_TRUE(qeltest::waitUntil([&] { return placed(&again); }));
    EXPECT_TRUE(CountsAsMaximised(&again));
}

TEST_F(MainWindows, CloseAllWindowsAsksListWindowsUntilTheyHaveGone)
{
    // A list window that refuses once (its save question answered Cancel).
    class Refusing : public StandIn {
    public:
        using StandIn::StandIn;
        int asked = 0;

    protected:
        void closeEvent(QCloseEvent* e) override
        {
            if (++asked == 1)
                e->ignore();
            else
                e->accept();
        }
    };
    Refusing list(QStringLiteral("dwnload1"));
    list.show();
    StandIn other(QStringLiteral("FQuintel1"));
    other.show();
    main->CloseAllWindows();
    EXPECT_EQ(list.asked, 2);
    EXPECT_FALSE(list.isVisible());
    EXPECT_TRUE(other.isVisible());
}

TEST(Splash, ShowsItsPictureAndStateAtItsSize)
{
    TFSplash splash;
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.size(), QSize(455, 293));
    EXPECT_EQ(splash.StateBar->text(), QStringLiteral("Loading program files"));
    EXPECT_TRUE(splash.LoadPicture(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/icons/halvorn_splash.png"))));
    EXPECT_FALSE(splash.LoadPicture(QStringLiteral("/nonexistent.png")));
    splash.SetState(QStringLiteral("Registry load"));
    EXPECT_EQ(splash.StateBar->text(), QStringLiteral("Registry load"));
    // QEL_SCREENSHOT_DIR: keep a picture to look at.
    const QString shots = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        splash.grab().save(QDir(shots).filePath(QStringLiteral("splash.png")));
}

// Shown, the bar is the menu over the tool bar, every button where the
// layout puts it with its picture, the window no higher than both. With
// QEL_SCREENSHOT_DIR set the bar is also saved as a picture.
TEST_F(MainWindows, ShownBarHoldsEveryButtonWithItsPictureWhereTheLayoutPutsIt)
{
    main->show();
    const TToolBarLayout l = ToolBarLayout();
    const std::pair<QToolButton*, QRect> buttons[] = {
        {main->OpenBtn, l.OpenBtn},       {main->SaveBtn, l.SaveBtn},         {main->CutBtn, l.CutBtn},
        {main->CopyBtn, l.CopyBtn},       {main->PasteBtn, l.PasteBtn},       {main->DelBtn, l.DelBtn},
        {main->PrjEditBtn, l.PrjEditBtn}, {main->ExplBtn, l.ExplBtn},         {main->ScopeButton, l.ScopeButton},
        {main->NewWorkBtn, l.NewWorkBtn}, {main->NewDwnLoadBtn, l.NewDwnLoadBtn},
    };
    for (const auto& [b, r] : buttons) {
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_TRUE(b->isVisible());
        EXPECT_EQ(b->geometry(), r);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_TRUE(main->Panel1->rect().contains(r));
    }
    EXPECT_EQ(main->Panel1->y(), main->MainMenu1->geometry().bottom() + 1);
    EXPECT_EQ(main->height(), main->BarClientHeight());
    if (const QString shots = qEnvironmentVariable("QEL_SCREENSHOT_DIR"); !shots.isEmpty())
        main->grab().save(QDir(shots).filePath(QStringLiteral("bar.png")));
}

TEST_F(MainWindows, RestoreOpensEachRecordedKindThroughItsWindowAndPlacesIt)
{
    auto add = [](int kind, int inv, const QString& file, int left) {
        TSavedWdwRec* r = Project->GetWdw(Project->AddWdw());
        r->WdwType = kind;
        r->InvNr = inv;
        r->FileName = file;
        r->State = 0;
        r->Left = left;
        r->Top = 150;
        r->Width = 300;
        r->Height = 200;
    };
    Project->SavedWindows.clear();
    add(wkPrjExpl, -2, {}, 10);
    add(wkScope, 1, QStringLiteral("/d/run.sc5"), 20);
    add(wkWorkList, -1, QStringLiteral("/d/missing.wr5"), 30);
    add(wkDownList, 2, QStringLiteral("/d/p.dw5"), 40);
    add(7, 0, {}, 50);

    std::vector<std::unique_ptr<StandIn>> windows;
    QStringList calls;
    auto make = [&](const QString& name) {
        windows.push_back(std::make_unique<StandIn>(name));
        return windows.back().get();
    };
    FakePrjExpl expl;
    expl.rebuild = [&] { calls << QStringLiteral("rebuild"); };
    expl.show = [&](int, int, const QString&) {
        calls << QStringLiteral("expl");
        return make(QStringLiteral("FPrjExpl"));
    };
    FakeKind scope, work;
    scope.show = [&](int inv, int lng, const QString& f) {
        calls << QStringLiteral("scope %1 %2 %3").arg(inv).arg(lng).arg(f);
        return make(QStringLiteral("Scope"));
    };
    work.show = [&](int, int, const QString& f) -> QWidget* {
        calls << QStringLiteral("work ") + f;
        return nullptr;
    };
    FakeDwnLoad dwn;
    dwn.show = [&](int inv, int lng, const QString& f) {
        calls << QStringLiteral("dwn %1 %2 %3").arg(inv).arg(lng).arg(f);
        return make(QStringLiteral("DwnLoad1"));
    };
    main->Kinds.PrjExpl = &expl;
    main->Kinds.Scope = &scope;
    main->Kinds.WrkList = &work;
    main->Kinds.DwnLoad = &dwn;
    main->RestoreWindows();
    EXPECT_EQ(calls, (QStringList{QStringLiteral("rebuild"), QStringLiteral("expl"), QStringLiteral("scope 1 0 /d/run.sc5"),
                                  QStringLiteral("work /d/missing.wr5"), QStringLiteral("dwn 2 0 /d/p.dw5")}));
    ASSERT_EQ(windows.size(), 3u);
    for (const auto& w : windows) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->size(), QSize(300, 200));
        EXPECT_EQ(w->y(), 150);
    }
    EXPECT_EQ(windows[2]->x(), 40);
    EXPECT_TRUE(main->ScopeButton->isChecked());
    EXPECT_TRUE(main->ExplBtn->isChecked());
    // The work list that could not be opened: its message; the rest went on.
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].Msg, *LangTexts->GetStrings(4, 21));
    EXPECT_EQ(ui->messages[0].Title, LangTexts->GetText(5, 10));
}

} // namespace
