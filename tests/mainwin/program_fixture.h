#pragma once

// The main program with all its windows, as its entry composes them, on
// the demo project.

#include "mainwin_fixture.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/value_conversion.h"
#include "dialogs/shared_objects.h"
#include "mainwin/halvorn_windows.h"

#include <gtest/gtest.h>

#include <memory>

namespace mwtest {

class ProgramTest : public MainWinTest {
protected:
    void SetUp() override
    {
        MainWinTest::SetUp();
        makeMain(demoProject());
        main->FormShow();
        ASSERT_TRUE(main->Shown);
        main->show();
    }
    void TearDown() override
    {
        HexDisplay = 0;
        MainWinTest::TearDown();
    }

    // Triggers a bar entry and returns the open window it brought whose
    // object name begins with `Prefix` (case ignored).
    QWidget* openThrough(QAction* Entry, const QString& Prefix)
    {
        Entry->trigger();
        for (int slot = 0; slot < 64; ++slot)
            if (QWidget* w = main->OpenWindowOfSlot(slot))
                if (w->objectName().startsWith(Prefix, Qt::CaseInsensitive))
                    return w;
        return nullptr;
    }
    int slotOf(const QWidget* W) const
    {
        for (int slot = 0; slot < 64; ++slot)
            if (main->OpenWindowOfSlot(slot) == W)
                return slot;
        return -1;
    }
};

} // namespace mwtest
