// The main window's Quintel entry: the demo project's first inverter in a
// Quintel-mode window over the simulated line, and the windows going with
// the main window.

#include "mainwin_fixture.h"

#include "dialogs/shared_objects.h"
#include "lists/val_edit.h"
#include "quintel/cp_window.h"
#include "wait_until.h"

#include <QAction>
#include <gtest/gtest.h>

using namespace mwtest;

namespace {

TEST_F(MainWinTest, QuintelEntryOpensTheFirstInvertersWindow)
{
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    ASSERT_TRUE(main->MenuQuintel->isEnabled());
    main->MenuQuintel->trigger();
    QPointer<TfrmCpWindow> w = windows->Quintel().Windows()[0];
    ASSERT_TRUE(w);
    EXPECT_EQ(w->InvAdr(), 1);
    EXPECT_EQ(w->windowTitle(), LangTexts->GetText(5, 47) + QStringLiteral(" - Conveyor"));
    EXPECT_EQ(w->y(), main->frameGeometry().bottom() + 1 + 25);
    const TCpWindowEnv& env = w->Env();
    EXPECT_EQ(env.Scheduler, Scheduler);
    EXPECT_EQ(env.ClpBrd, ClpBrd);
    ASSERT_TRUE(env.ValEdit && env.Print);
    EXPECT_EQ(env.ValEdit->windowTitle(), LangTexts->GetText(5, 3));
    EXPECT_EQ(env.ValEdit->Core().Texts, LangTexts);
    ASSERT_TRUE(qeltest::waitUntil(
        [&] { return w->Engine().State == 3 && w->Core().Rows.Count() > 5 &&
                     w->Core().Rows.Row(0).ValueText != QStringLiteral(" "); },
        30000));
    EXPECT_TRUE(ui->messages.empty());
    // The same entry again: the same window.
    main->MenuQuintel->trigger();
    EXPECT_EQ(windows->Quintel().Windows()[0], w);
    EXPECT_TRUE(windows->Quintel().Windows()[1].isNull());
    endMain();
    EXPECT_TRUE(w.isNull());
}

}  // namespace
