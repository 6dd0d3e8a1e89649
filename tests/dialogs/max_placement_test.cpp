// Maximised windows below the main bar: the geometry as a table, and the
// answer to a maximise request on a plain window offscreen.
#include "dialogs/max_placement.h"
#include "wait_until.h"

#include <QCoreApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

TEST(MaxPlacement, FrameIsTheWorkAreaBelowTheBar)
{
    struct Case {
        const char* name;
        QRect work, bar, frame;
    } cases[] = {
        {"bar across the top", QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 90), QRect(0, 90, 1280, 934)},
        {"panel above, screen to the right", QRect(1920, 30, 1280, 994), QRect(1920, 30, 1000, 70),
         QRect(1920, 100, 1280, 924)},
        {"bar moved down and narrower", QRect(0, 0, 1024, 768), QRect(200, 300, 400, 68),
         QRect(0, 368, 1024, 400)},
        {"bar above the work area", QRect(0, 40, 1024, 728), QRect(0, -100, 1024, 68), QRect(0, 40, 1024, 728)},
        {"bar ending on the last line", QRect(0, 0, 1024, 768), QRect(0, 700, 1024, 67), QRect(0, 767, 1024, 1)},
        {"no room below the bar", QRect(0, 0, 1024, 768), QRect(0, 700, 1024, 68), QRect(0, 0, 1024, 768)},
        {"no bar", QRect(0, 0, 1024, 768), QRect(), QRect(0, 0, 1024, 768)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MaxPlacementFrame(c.work, c.bar), c.frame);
    }
    // The client rectangle leaves the window's frame inside those bounds.
    EXPECT_EQ(MaxPlacementGeometry(QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 90), QMargins(2, 24, 3, 4)),
              QRect(2, 114, 1275, 906));
}

class MaxPlacementWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        bar.setGeometry(0, 0, 640, 50);
        bar.show();
        SetMaxPlacementBar(&bar);
        w.setGeometry(100, 200, 300, 150);
        InstallMaxPlacement(&w);
        InstallMaxPlacement(&w);  // once is enough
        w.show();
    }
    void TearDown() override { SetMaxPlacementBar(nullptr); }
    QRect expected() const { return MaxPlacementFrame(bar.screen()->availableGeometry(), bar.frameGeometry()); }
    bool placed() const { return !w.isMaximized() && w.frameGeometry() == expected(); }

    QWidget bar;
    QWidget w;
};

TEST_F(MaxPlacementWindow, AMaximiseRequestPlacesTheWindowBelowTheBarUntilItIsResized)
{
    EXPECT_FALSE(CountsAsMaximised(&w));
    w.showMaximized();
    ASSERT_TRUE(qeltest::waitUntil([this] { return placed(); }));
    EXPECT_TRUE(IsMaxPlaced(&w));
    EXPECT_TRUE(CountsAsMaximised(&w));
    // Minimised and restored it is still the maximised window.
    w.showMinimized();
    w.showNormal();
    EXPECT_TRUE(qeltest::waitUntil([this] { return !w.isMinimized(); }));
    EXPECT_TRUE(CountsAsMaximised(&w));
    // A second request places it again.
    w.showMaximized();
    ASSERT_TRUE(qeltest::waitUntil([this] { return !w.isMaximized(); }));
    EXPECT_TRUE(placed());
    // Resized by the user: an ordinary window again.
    w.resize(w.width() - 10, w.height());
    EXPECT_FALSE(IsMaxPlaced(&w));
    EXPECT_FALSE(CountsAsMaximised(&w));
}

TEST_F(MaxPlacementWindow, WithoutABarOrWhenWithdrawnTheWindowManagerKeepsTheRequest)
{
    // Restored before the answer came: nothing is placed.
    w.showMaximized();
    w.showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(IsMaxPlaced(&w));
    EXPECT_EQ(w.geometry(), QRect(100, 200, 300, 150));
    // No bar: the window stays maximised by the window manager, and counts so.
    SetMaxPlacementBar(nullptr);
    w.showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isMaximized());
    EXPECT_FALSE(IsMaxPlaced(&w));
    EXPECT_TRUE(CountsAsMaximised(&w));
}

TEST_F(MaxPlacementWindow, AWorkAreaStartingBelowTheBarIsLeftToTheWindowManager)
{
    // The bar reserves its strip: the work area (here the whole screen)
    // begins below it, and the window manager's maximised window already
    // fills the right place.
    const QRect work = bar.screen()->availableGeometry();
    bar.setGeometry(work.left(), work.top() - 80, 640, 50);
    ASSERT_FALSE(bar.frameGeometry().intersects(work));
    w.showMaximized();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isMaximized());
    EXPECT_FALSE(IsMaxPlaced(&w));
    EXPECT_TRUE(CountsAsMaximised(&w));
}
