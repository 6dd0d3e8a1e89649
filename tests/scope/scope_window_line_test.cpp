// End to end: the scope window records the simulator's sines through the
// scheduler, the protocol selector and the DIN 66019 II driver on a
// pseudo-terminal, and shows them.

#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "config/prog_cfg.h"
#include "scope/scope_plot.h"
#include "scope/scope_window.h"

#include "scope_line_fixture.h"
#include "wait_until.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QToolButton>


namespace {

class ScopeWindowLineTest : public scopetest::ScopeLineFixture {
protected:
    void SetUp() override
    {
        ScopeLineFixture::SetUp();
        openLine();
        if (HasFatalFailure())
            return;
        addInv(1);
        w = std::make_unique<TScope>(&prj, &texts, &cfg, &sch);
        w->Engine().Interaction = ui;
        sch.SetActive(true);
    }
    void TearDown() override
    {
        w->Engine().Stop();
        sch.SetActive(false);
        w.reset();
        closeLine();
    }
    int pixels(QRgb c) const
    {
        const QImage& img = w->PaintBox->Image();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixel(x, y) == c;
        return n;
    }

    TProgCfg cfg;
    std::unique_ptr<TScope> w;
};

TEST_F(ScopeWindowLineTest, RecordsAndShowsTheSine)
{
    w->ShowScope(1, 0, QString());
    ASSERT_TRUE(w->ScopeOpen());
    w->AssignChannel(0, 1, 0x0105);  // sine 500..1500, 2 s
    w->AssignChannel(2, 1, 0x0109);  // sine -800..800, 400 ms
    TScopeSetup& S = w->Engine().Setup;
    S.Chan[0].YFactor = 100;
    S.Chan[0].YOffset = 1000;
    S.Chan[2].YFactor = 200;
    S.TimeBase() = 100;
    w->Display().CalcZeroLines();

    w->SpeedButton1->click();
    ASSERT_TRUE(w->SpeedButton1->isChecked());
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->Engine().RecState == 1 && w->Engine().RingEnd >= 3; }, 20000));
    // Drawn while recording, sample by sample.
    ASSERT_TRUE(qeltest::waitUntil([&] { return pixels(qRgb(255, 0, 0)) > 20; }, 20000));
    ASSERT_TRUE(qeltest::waitUntil(
        [&] { return w->Engine().RingEnd >= 20 && w->Engine().RecTime >= 600; }, 20000));
    w->SpeedButton1->click();
    EXPECT_EQ(w->Engine().RecState, 0);
    EXPECT_TRUE(ui->shown.empty()) << shownTexts().join(u',').toStdString();
    EXPECT_TRUE(w->Panel1->isEnabled());
    EXPECT_GT(pixels(qRgb(255, 0, 0)), 20);
    EXPECT_GT(pixels(qRgb(0, 128, 0)), 20);

    // A vertical cursor reads a sample of the recording.
    w->C1vert->trigger();
    w->Display().MouseMove(w->Display().DivW * 3, 10);
    w->DrawCursors(0);
    const int idx = w->Display().Cursor[0].Index;
    ASSERT_GE(idx, 0);
    EXPECT_TRUE(w->Readout[1][1]->text().endsWith(
        QStringLiteral("[%1]").arg(w->Engine().Ring[idx].ChanVal[0])));
    const QString d = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    if (!d.isEmpty()) {
        w->grab().save(QDir(d).filePath(QStringLiteral("scope_sine.png")));
        w->Engine().SaveToFile(QDir(d).filePath(QStringLiteral("sine.sc5")));
    }
}

} // namespace
