// The fieldbus window from the main program: MenuFBS with EnableFbsWindow
// on shows the one window; showing it again only raises it.

#include "comm/scheduler.h"
#include "dialogs/glyph_button.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "config/lang_texts.h"
#include "mainwin/fbs_comm.h"
#include "mainwin_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class FbsMenu : public mwtest::MainWinTest {};

int usedSlots()
{
    int n = 0;
    for (int i = 0; i < 64; ++i)
        n += Scheduler->GetItem(i) ? 1 : 0;
    return n;
}

TEST_F(FbsMenu, ShowsTheOneWindowOnTheFirstProjectInverter)
{
    setDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("EnableFbsWindow"), 1);
    start(demoProject());
    ASSERT_TRUE(main->Shown);
    EXPECT_TRUE(main->MenuFBS->isVisible());
    ASSERT_TRUE(main->MenuFBS->isEnabled());
    const int before = usedSlots();
    main->MenuFBS->trigger();
    TFbsComm* win = main->FbsComm;
    ASSERT_TRUE(win);
    EXPECT_TRUE(win->isVisible());
    // The demo's first inverter.
    EXPECT_EQ(win->Logic().InvAdr(), 1);
    EXPECT_EQ(win->windowTitle(), "Feldbus - Conveyor");
    EXPECT_EQ(usedSlots(), before + 1);
    main->MenuFBS->trigger();
    EXPECT_EQ(main->FbsComm, win);
    EXPECT_EQ(usedSlots(), before + 1);
    win->close();
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(usedSlots(), before);
    main->MenuFBS->trigger();
    EXPECT_EQ(main->FbsComm, win);
    EXPECT_TRUE(win->isVisible());

    // "Umrichter" asks the program's inverter selection dialog.
    ASSERT_TRUE(main->InvSel);
    QString prompt;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (!main->InvSel->isVisible())
            return;
        answer.stop();
        prompt = main->InvSel->Label1->text();
        main->InvSel->ComboBox1->setCurrentIndex(2);
        main->InvSel->OkButton->click();
    });
    answer.start(10);
    win->Button1->click();
    EXPECT_EQ(prompt, LangTexts->GetText(5, 0) + "; 1");
    // The demo's Profibus DP inverter.
    EXPECT_EQ(win->Logic().InvAdr(), 3);
    EXPECT_EQ(win->windowTitle(), "Feldbus - Fan");
}

} // namespace
