#include "dialogs/progress_form.h"
#include "dialogs/progress_image.h"
#include "dialogs/progress_range.h"
#include "dialogs/progress_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include "dialogs/glyph_button.h"
#include "screenshot.h"

namespace {

// Counts posted events of its own type, to see whether a call pumped them.
class PumpProbe : public QObject {
public:
    void post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++seen;
        return true;
    }
    int seen = 0;
};

TEST(ProgressRange, SettersTakeOnlyValuesInRange)
{
    TProgressRange r;   // 0..100 at 0
    struct Step {
        const char* what;
        char prop;      // 'x' max, 'n' min, 'a' position
        int value;
        bool taken;
        int min, max, pos;
    };
    const Step steps[] = {
        {"negative max ignored", 'x', -1, false, 0, 100, 0},
        {"min at max refused", 'n', 100, false, 0, 100, 0},
        {"min below 0 refused", 'n', -1, false, 0, 100, 0},
        {"min below max", 'n', 10, true, 10, 100, 10},
        {"position below min", 'a', 9, false, 10, 100, 10},
        {"position above max", 'a', 101, false, 10, 100, 10},
        {"position at max", 'a', 100, true, 10, 100, 100},
        {"max shrinks, position follows", 'x', 50, true, 10, 50, 50},
        {"max below min pulls min down", 'x', 5, true, 5, 5, 5},
        {"max 0", 'x', 0, true, 0, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const bool taken = s.prop == 'x' ? r.SetMax(s.value) : s.prop == 'n' ? r.SetMin(s.value) : r.SetActVal(s.value);
        EXPECT_EQ(taken, s.taken);
        EXPECT_EQ(r.Min(), s.min);
        EXPECT_EQ(r.Max(), s.max);
        EXPECT_EQ(r.ActVal(), s.pos);
    }
}

TEST(ProgressForm, OnlyTakenPositionsPumpEvents)
{
    TfrmProgress form;
    PumpProbe probe;
    form.SetMax(10);
    form.SetActVal(2);
    probe.post();

    form.SetActVal(-1);  // below Min
    form.SetActVal(11);  // above Max
    EXPECT_EQ(probe.seen, 0);
    EXPECT_EQ(form.ActVal(), 2);

    form.SetActVal(7);
    EXPECT_EQ(probe.seen, 1);
    EXPECT_EQ(form.prbProgress()->value(), 7);
    EXPECT_EQ(form.prbProgress()->minimum(), 0);
    EXPECT_EQ(form.prbProgress()->maximum(), 10);
}

TEST(ProgressForm, CancelButtonTextFlagAndShowing)
{
    TfrmProgress form;
    TVarneGlyphButton* cancel = form.VarneGlyphButton1();
    EXPECT_EQ(cancel->text(), "CC");
    EXPECT_EQ(form.windowTitle(), "Progress");
    EXPECT_EQ(form.size(), QSize(385, 102));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    form.SetCancelText("  ");
    EXPECT_FALSE(cancel->isVisibleTo(&form));
    form.SetCancelText("Abbrechen");
    EXPECT_TRUE(cancel->isVisibleTo(&form));

    form.SetTitle("Konfiguration lesen");
    form.SetText("Gruppe 3");
    form.SetMax(40);
    form.SetActVal(13);
    form.show();
    cancel->click();
    EXPECT_TRUE(form.Cancel());
    EXPECT_TRUE(form.isVisible());   // the button closes nothing
    qeltest::saveScreenshot(form, "progress_form.png");

    form.hide();
    form.show();   // showing again clears the flag
    EXPECT_FALSE(form.Cancel());
    EXPECT_EQ(form.LabProgress()->text(), "Gruppe 3");
    EXPECT_EQ(form.windowTitle(), "Konfiguration lesen");
}

TEST(ProgressForm, DrivenThroughTheProgressInterface)
{
    TfrmProgress form;
    IProgress& p = form;
    form.SetText("old");
    p.Start("Laden", "Abbrechen");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Laden");
    EXPECT_EQ(form.LabProgress()->text(), "");
    EXPECT_FALSE(p.Cancelled());
    p.SetMax(20);
    p.SetText("Parameter");
    p.SetPosition(5);
    EXPECT_EQ(form.ActVal(), 5);
    form.VarneGlyphButton1()->click();
    EXPECT_TRUE(p.Cancelled());
    p.Finish();
    EXPECT_FALSE(form.isVisible());
    p.Start("Laden", " ");   // a blank cancel text: no button, flag cleared
    EXPECT_FALSE(form.VarneGlyphButton1()->isVisibleTo(&form));
    EXPECT_FALSE(p.Cancelled());
    p.Finish();
}

int blackInColumn(const QImage& img, int x)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        n += (img.pixel(x, y) & 0xFFFFFF) == 0;
    return n;
}

TEST(ProgressImage, BarAndPercentArithmetic)
{
    TProgressImage pic(QSize(329, 25));
    pic.Start(10);
    const QImage& img = pic.Image();
    EXPECT_EQ(img.pixel(100, 12) & 0xFFFFFF, 0xFFFFFFu);   // cleared
    EXPECT_EQ(img.pixel(0, 12) & 0xFFFFFF, 0u);            // frame
    EXPECT_EQ(pic.LastPercent(), -1);

    EXPECT_TRUE(pic.Step(5));
    EXPECT_EQ(pic.BarRight(), 164);   // 5 * 329 / 10
    EXPECT_EQ(pic.LastPercent(), 50);
    EXPECT_EQ(img.pixel(100, 20) & 0xFFFFFF, 0u);
    EXPECT_EQ(img.pixel(300, 20) & 0xFFFFFF, 0xFFFFFFu);

    EXPECT_TRUE(pic.Step(10));
    EXPECT_EQ(pic.BarRight(), 329);
    EXPECT_EQ(pic.LastPercent(), 100);
    EXPECT_EQ(blackInColumn(img, 328), 25);   // filled to the last column
    // "100%" written from the middle on a white box.
    int white = 0;
    for (int x = 164; x < 200; ++x)
        white += (img.pixel(x, 8) & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_GT(white, 5);

    const QImage before = img.copy();
    EXPECT_FALSE(pic.Step(10));   // same position: nothing painted
    EXPECT_EQ(img, before);
}

TEST(ProgressImage, SameColumnAndPercentCostNothing)
{
    TProgressImage pic(QSize(329, 25));
    pic.Start(1000);
    EXPECT_TRUE(pic.Step(1));    // first percentage written
    EXPECT_FALSE(pic.Step(2));   // column 0, 0 %
    EXPECT_FALSE(pic.Step(3));
    EXPECT_TRUE(pic.Step(4));    // column 1
    EXPECT_EQ(pic.BarRight(), 1);

    pic.Start(0);                // a maximum below 1 counts as 1
    EXPECT_EQ(pic.Max(), 1);
    EXPECT_TRUE(pic.Step(1));
    EXPECT_EQ(pic.BarRight(), 329);

    pic.Start(10);               // going back shows the lower position
    pic.Step(8);
    pic.Step(2);
    EXPECT_EQ(pic.BarRight(), 65);
    EXPECT_EQ(pic.Image().pixel(200, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(pic.Image().pixel(30, 20) & 0xFFFFFF, 0u);
    EXPECT_EQ(pic.LastPercent(), 20);
}

TEST(ProgressWindow, StartStepStopCancelAndPumping)
{
    TProgress w;
    std::int64_t now = 1000;
    w.SetClock([&] { return now; });
    PumpProbe probe;

    EXPECT_EQ(w.windowTitle(), "Progress Indicator");
    EXPECT_EQ(w.Label1()->text(), "...");
    EXPECT_EQ(w.size(), QSize(2 * 24 + 329, w.Button1()->y() + w.Button1()->height()));

    w.Button1()->click();  // a cancel left from before
    probe.post();
    w.Start(200);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Cancelled());
    EXPECT_EQ(probe.seen, 1);   // Start pumps once

    probe.post();
    now += 50;
    w.Step(10);
    now += 50;
    w.Step(20);                 // exactly 100 ms: not yet
    EXPECT_EQ(probe.seen, 1);
    now += 1;
    w.Step(30);
    EXPECT_EQ(probe.seen, 2);
    EXPECT_EQ(w.Picture().LastPercent(), 15);

    w.SetTexts("Download", "Parameter schreiben", "Abbrechen");
    EXPECT_EQ(w.windowTitle(), "Download");
    EXPECT_EQ(w.Label1()->text(), "Parameter schreiben");
    EXPECT_TRUE(w.Button1()->isVisible());
    w.Step(77);
    qeltest::saveScreenshot(w, "progress_window.png");

    w.Button1()->click();
    EXPECT_TRUE(w.Cancelled());
    EXPECT_TRUE(w.isVisible());

    w.SetTexts("", "", "");     // old texts stay, button hidden
    EXPECT_EQ(w.windowTitle(), "Download");
    EXPECT_EQ(w.Label1()->text(), "Parameter schreiben");
    EXPECT_FALSE(w.Button1()->isVisible());

    w.Stop();
    EXPECT_FALSE(w.isVisible());
}

} // namespace
