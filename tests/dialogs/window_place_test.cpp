// Placement of windows that open in the screen centre, clear of the bar.
#include "dialogs/window_place.h"

#include <gtest/gtest.h>

TEST(CentredFrame, CentresOnTheWorkAreaAndKeepsClearOfTheBar)
{
    const QRect work(0, 24, 1280, 976);  // a panel of 24 above, none below
    const QRect bar(0, 24, 1280, 80);    // the main bar along the top of the work area
    struct Case {
        const char* name;
        QRect bar;
        QSize frame;
        QRect want;
    } cases[] = {
        {"small window: the work area's centre, below the bar anyway", bar, {400, 300}, {440, 362, 400, 300}},
        {"no bar: the work area's centre", {}, {400, 300}, {440, 362, 400, 300}},
        {"tall window would cover the bar: moved down to its bottom edge", bar, {400, 850}, {440, 104, 400, 850}},
        {"taller than the room below the bar: hangs off the bottom", bar, {400, 960}, {440, 104, 400, 960}},
        {"bar only at the left: a window beside it stays centred", QRect(0, 24, 300, 80), {400, 960},
         {440, 32, 400, 960}},
        {"wider than the work area: left edge on the work area's", bar, {1400, 300}, {0, 362, 1400, 300}},
        {"odd sizes: centred to the pixel", bar, {401, 301}, {439, 361, 401, 301}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect r = CentredFrame(work, c.bar, c.frame);
        EXPECT_EQ(r, c.want);
        if (!c.bar.isEmpty() && r.intersects(c.bar))
            ADD_FAILURE() << "covers the bar";
    }
}

TEST(CentredFrame, OverTheWindowItServesInsideTheWorkAreaAndClearOfTheBar)
{
    const QRect work(0, 24, 1280, 976);
    const QRect bar(0, 24, 1280, 80);
    struct Case {
        const char* name;
        QRect over;
        QSize frame;
        QRect want;
    } cases[] = {
        {"over a window in the middle: its centre", {300, 300, 600, 400}, {400, 300}, {400, 350, 400, 300}},
        {"over a window at the right edge: inside the work area", {1000, 400, 280, 200}, {600, 400},
         {680, 300, 600, 400}},
        {"over a window at the left edge: inside the work area", {0, 400, 200, 200}, {600, 400}, {0, 300, 600, 400}},
        {"over a window just below the bar: not over the bar", {100, 104, 600, 100}, {400, 300},
         {200, 104, 400, 300}},
        {"over a window low down: up to the work area's bottom", {100, 900, 600, 100}, {400, 300},
         {200, 700, 400, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CentredFrameOver(work, bar, c.over, c.frame), c.want);
    }
}
