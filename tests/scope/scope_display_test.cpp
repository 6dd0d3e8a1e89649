// The scope display without widgets: divisions, coordinates, traces, the
// incremental drawing, scroll bar and zoom, cursors, read-outs and the
// value chooser.

#include "config/cfg_records.h"
#include "config/value_conversion.h"
#include "scope/scope_display.h"
#include "scope/set_scope_core.h"
#include "scope_fixture.h"

#include <QDateTime>
#include <Qt>

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scopetest::MakeTexts(texts);
        eng.Texts = &texts;
        eng.Ring.fill(TScopeSample{});
        para.SetIdText(QStringLiteral("P1"));
        para.Mul = 1;
        para.Div = 1;
        para.Attr = ParaAttr::Signed;
        para.LowerLim = INT32_MIN;
        para.UpperLim = INT32_MAX;
        d.SetPlotSize(401, 301);
    }
    // Channel k on with the test parameter.
    void on(int k, int32_t factor = 100, int32_t offset = 0)
    {
        eng.Setup.Chan[k].Address = int16_t(0x100 + k);
        eng.Setup.Chan[k].Para = &para;
        eng.Setup.Chan[k].YFactor = factor;
        eng.Setup.Chan[k].YOffset = offset;
        d.CalcZeroLines();
    }
    // Samples with the given deltas; channel 0 takes the values.
    void record(const std::vector<int>& deltas, const std::vector<int32_t>& values = {})
    {
        eng.RecTime = 0;
        for (size_t i = 0; i < deltas.size(); ++i) {
            eng.Ring[i].TimeDelta = uint16_t(deltas[i]);
            eng.Ring[i].ChanVal[0] = i < values.size() ? values[i] : 0;
            eng.RecTime += deltas[i];
        }
        eng.RingStart = 0;
        eng.RingEnd = int(deltas.size()) - 1;
    }

    // Both cursors vertical, on samples 0 and 1 at the given times.
    void cursorsOnTheFirstTwo(int64_t t0, int64_t t1)
    {
        d.SetCursorMode(0, TScopeCursor::Vertical);
        d.SetCursorMode(1, TScopeCursor::Vertical);
        d.Cursor[0].Index = 0;
        d.Cursor[0].Time = t0;
        d.Cursor[1].Index = 1;
        d.Cursor[1].Time = t1;
    }

    TVortalinText texts;
    TScopeEngine eng;
    TScopeDisplay d{eng};
    TParaRec para;
};

TEST_F(DisplayTest, DivisionsGridAndTinyPlots)
{
    EXPECT_EQ(d.DivW, 40);
    EXPECT_EQ(d.DivH, 30);
    d.FullGrid = true;
    const auto full = d.GridLines();
    ASSERT_EQ(full.size(), 22u);
    EXPECT_EQ(full[0], QLine(0, 0, 401, 0));
    EXPECT_EQ(full[10], QLine(0, 300, 401, 300));
    EXPECT_EQ(full[21], QLine(400, 0, 400, 300));
    d.FullGrid = false;
    const auto cross = d.GridLines();
    EXPECT_EQ(cross[0], QLine(0, 150, 401, 150));
    EXPECT_EQ(cross[1], QLine(200, 0, 200, 300));
    EXPECT_EQ(cross[2], QLine(180, 0, 220, 0));  // tick
    EXPECT_EQ(cross[3], QLine(0, 135, 0, 165));

    // A plot squeezed to nothing keeps one pixel per division.
    for (auto [w, h] : {std::pair{0, 0}, {5, -20}, {11, 11}}) {
        d.SetPlotSize(w, h);
        EXPECT_EQ(d.DivW, 1) << w;
        EXPECT_EQ(d.DivH, 1) << h;
        on(0);
        EXPECT_EQ(d.ValueAtRow(0, 3), 200);
    }
}

TEST_F(DisplayTest, CoordinatesAndInverses)
{
    on(0, 100);
    eng.Setup.TimeBase() = 1000;
    EXPECT_EQ(d.TimeColumn(2500), 100);
    EXPECT_EQ(d.ValueRow(0, 100), 120);
    EXPECT_EQ(d.ValueRow(0, 0), 150);
    EXPECT_EQ(d.ValueRow(0, 100000), 0);
    EXPECT_EQ(d.ValueRow(0, -100000), 300);
    EXPECT_EQ(d.ValueAtRow(0, 120), 100);
    // An offset puts its value on the centre line.
    on(1, 50, 1000);
    EXPECT_EQ(d.ValueRow(1, 1000), 150);
    EXPECT_EQ(d.ValueAtRow(1, 150), 1000);
    // X/Y: channel B on the X axis.
    eng.Setup.XYChannel() = 2;
    EXPECT_EQ(d.XYColumn(1000), 200);
    EXPECT_EQ(d.XYColumn(1050), 240);
    EXPECT_EQ(d.XYColumn(INT32_MAX), 400);
    EXPECT_EQ(d.XYValueAtColumn(240), 1050);
    // Inverses beyond 32 bits are limited.
    on(2, 0x30000000);
    EXPECT_EQ(d.ValueAtRow(2, 100000), -2147483647);
    EXPECT_EQ(d.ValueAtRow(2, -100000), 2147483647);
}

TEST_F(DisplayTest, LongRecordingColumnsDoNotOverflow)
{
    on(0);
    eng.Setup.TimeBase() = 1;
    record(std::vector<int>(5, 60000));
    // Time 300000 ms with 40 pixels a ms: 12 million columns, far right.
    EXPECT_EQ(d.TimeColumn(300000), 12000000);
    eng.Setup.TimeBase() = 2;
    eng.Setup.ScrollPos() = 0;
    EXPECT_EQ(d.TimeColumn(int64_t(2000000000) * 2), int64_t(4000000000) * 20);
    // Only the samples left of the edge are drawn: none past the first.
    const auto tr = d.Traces();
    ASSERT_EQ(tr.size(), 1u);
    EXPECT_TRUE(tr[0].Points.empty());
    int64_t t = 0;
    int i = -1;
    EXPECT_FALSE(d.GetXpixRecord(10, t, i));
}

TEST_F(DisplayTest, TracesSkipHiddenAndStopAtTheRightEdge)
{
    on(0, 100);
    on(1, 100);
    eng.Setup.Chan[1].Invisible = 1;
    eng.Setup.TimeBase() = 100;  // 10 samples of 25 ms a division
    std::vector<int> deltas(100, 25);
    std::vector<int32_t> vals(100, 100);
    vals[3] = 0;
    record(deltas, vals);
    eng.Setup.TrigChannel() = 0;
    eng.TrigIndex = 3;
    auto tr = d.Traces();
    ASSERT_EQ(tr.size(), 1u);
    EXPECT_EQ(tr[0].Channel, 0);
    // t = 25 .. 1000 ms inside 10 divisions; 1025 would be column 410.
    ASSERT_FALSE(tr[0].Points.empty());
    EXPECT_EQ(tr[0].Points.front(), QPoint(10, 120));
    EXPECT_EQ(tr[0].Points.back(), QPoint(400, 120));
    EXPECT_EQ(tr[0].Points.size(), 40u);
    EXPECT_TRUE(tr[0].HasTrigger);
    EXPECT_EQ(tr[0].Trigger, QPoint(40, 150));
    EXPECT_EQ(eng.Setup.Chan[0].LastY, 120);
    // Scrolled: samples before the left edge are passed over.
    eng.Setup.ScrollPos() = 500;
    tr = d.Traces();
    EXPECT_EQ(tr[0].Points.front(), QPoint(0, 120));
    EXPECT_FALSE(tr[0].HasTrigger);
    // Equal neighbours are not repeated.
    eng.Setup.ScrollPos() = 0;
    eng.Setup.TimeBase() = 100000;
    tr = d.Traces();
    EXPECT_EQ(tr[0].Points.size(), 4u);
}

TEST_F(DisplayTest, IncrementalDrawingRestartsOrRolls)
{
    on(0, 100);
    eng.Setup.TimeBase() = 100;
    eng.Ring[0] = {{100, 0, 0, 0}, 1};
    eng.Ring[1] = {{0, 0, 0, 0}, 500};
    eng.Ring[2] = {{-100, 0, 0, 0}, 600};
    d.RestartDrawing();
    auto s = d.DrawSample(0, 401);
    ASSERT_EQ(s.Segments.size(), 1u);
    EXPECT_FALSE(s.Segments[0].Line);
    EXPECT_EQ(s.Segments[0].To, QPoint(0, 120));
    s = d.DrawSample(1, 401);
    EXPECT_TRUE(s.Segments[0].Line);
    EXPECT_EQ(s.Segments[0].From, QPoint(0, 120));
    EXPECT_EQ(s.Segments[0].To, QPoint(200, 150));
    EXPECT_FALSE(s.ClearPlot);
    // 1100 ms is beyond 10 divisions: the line starts again at 0.
    s = d.DrawSample(2, 401);
    EXPECT_TRUE(s.ClearPlot);
    EXPECT_FALSE(s.Erase);
    EXPECT_FALSE(s.Segments[0].Line);
    EXPECT_EQ(s.Segments[0].To, QPoint(0, 180));
    EXPECT_EQ(d.DrawTime, 0);

    // Roll mode: no clearing; the band ahead is erased and a bar drawn.
    eng.Setup.RollMode() = 1;
    d.RestartDrawing();
    d.DrawSample(0, 401);
    s = d.DrawSample(1, 401);
    EXPECT_TRUE(s.Erase);
    EXPECT_EQ(s.EraseFrom, 1);
    EXPECT_EQ(s.EraseTo, 201);
    EXPECT_EQ(s.BarFrom, 201);
    EXPECT_EQ(s.BarTo, 203);
    s = d.DrawSample(2, 401);
    EXPECT_FALSE(s.ClearPlot);
    EXPECT_EQ(s.EraseFrom, 201);
    EXPECT_EQ(s.EraseTo, 401);
    EXPECT_EQ(s.BarFrom, 1);

    // Hidden channels are not drawn while recording either.
    eng.Setup.Chan[0].Invisible = 1;
    EXPECT_TRUE(d.DrawSample(1, 401).Segments.empty());
}

TEST_F(DisplayTest, ZoomByTheTimeStrip)
{
    eng.Setup.TimeBase() = 1000;
    record(std::vector<int>(100, 1000));
    // 3 pixels: nothing.
    EXPECT_TRUE(d.TimeBoxMove(100, true));
    EXPECT_TRUE(d.TimeBoxMove(103, true));
    EXPECT_FALSE(d.TimeBoxUp());
    EXPECT_EQ(eng.Setup.TimeBase(), 1000);
    EXPECT_EQ(d.DragStart, -1);
    // Dragged right to left from 200 to 100.
    d.TimeBoxMove(200, true);
    d.TimeBoxMove(100, true);
    EXPECT_TRUE(d.TimeBoxUp());
    EXPECT_EQ(eng.Setup.ScrollPos(), 2500);
    EXPECT_EQ(eng.Setup.TimeBase(), 250);
    // Not with other buttons, outside the plot, in X/Y mode or recording.
    EXPECT_FALSE(d.TimeBoxMove(10, false));
    EXPECT_FALSE(d.TimeBoxMove(401, true));
    eng.RecState = TScopeEngine::recSampling;
    EXPECT_FALSE(d.TimeBoxMove(10, true));
    eng.RecState = TScopeEngine::recIdle;
    eng.Setup.XYChannel() = 1;
    EXPECT_FALSE(d.TimeBoxMove(10, true));
    // A tiny stretch never gives a time base of 0.
    eng.Setup.XYChannel() = 0;
    eng.Setup.TimeBase() = 1;
    d.TimeBoxMove(0, true);
    d.TimeBoxMove(6, true);
    EXPECT_TRUE(d.TimeBoxUp());
    EXPECT_EQ(eng.Setup.TimeBase(), 1);
}

TEST_F(DisplayTest, ScrollBar)
{
    eng.Setup.TimeBase() = 1000;
    record(std::vector<int>(50, 1000));
    eng.Setup.ScrollPos() = 700;
    auto s = d.ScrollInfo();
    EXPECT_EQ(s.Max, 50000);
    EXPECT_EQ(s.PageSize, 10000);
    EXPECT_EQ(s.Position, 700);
    EXPECT_EQ(s.LargeStep, 5000);
    EXPECT_EQ(s.SmallStep, 100);
    EXPECT_TRUE(s.Visible);
    EXPECT_TRUE(d.ScrollbarChange(45000));
    EXPECT_EQ(eng.Setup.ScrollPos(), 40010);
    EXPECT_FALSE(d.ScrollbarChange(40010));
    // A recording shorter than a page scrolls back to 0.
    eng.Setup.TimeBase() = 10000;
    s = d.ScrollInfo();
    EXPECT_EQ(eng.Setup.ScrollPos(), 0);
    EXPECT_FALSE(d.ScrollbarChange(5));
    eng.Setup.XYChannel() = 1;
    EXPECT_FALSE(d.ScrollInfo().Visible);
}

TEST_F(DisplayTest, CursorSelectionAndSampleSnapping)
{
    on(0);
    eng.Setup.TimeBase() = 1000;
    // Samples every 10 ms: four share a column (40 pixels a second).
    record(std::vector<int>(1000, 10));
    d.SetCursorMode(0, TScopeCursor::Vertical);
    d.MouseMove(100, 50);
    EXPECT_EQ(d.Cursor[0].Time, 2500);
    EXPECT_EQ(d.Cursor[0].Index, 249);  // t = 10 * (i + 1)
    EXPECT_EQ(d.Cursor[0].X, 100);
    EXPECT_TRUE(d.Cursor[0].VDrawn);
    // Right arrow: the next sample in another column (t 2510..2520 share 100).
    EXPECT_TRUE(d.KeyDown(Qt::Key_Right));
    EXPECT_EQ(d.Cursor[0].X, 101);
    EXPECT_EQ(d.Cursor[0].Time, 2525 + 5);
    EXPECT_TRUE(d.KeyDown(Qt::Key_Left));
    EXPECT_EQ(d.Cursor[0].X, 100);
    EXPECT_FALSE(d.KeyDown(Qt::Key_A));

    d.SetCursorMode(1, TScopeCursor::Horizontal);
    d.MouseMove(10, 90);
    EXPECT_EQ(d.Cursor[1].Y, 90);
    d.KeyDown(Qt::Key_Up);
    EXPECT_EQ(d.Cursor[1].Y, 89);
    // 4 pixels beside cursor 1 selects it, 5 do not.
    d.MouseDown(105, 200);
    EXPECT_EQ(d.SelCursor, 1);
    EXPECT_EQ(d.Cursor[1].Y, 200);
    d.MouseDown(104, 10);
    EXPECT_EQ(d.SelCursor, 0);
    // Nothing moves while recording.
    eng.RecState = TScopeEngine::recSampling;
    d.MouseDown(300, 10);
    EXPECT_EQ(d.Cursor[0].X, 104);
}

TEST_F(DisplayTest, ReadoutsDifferenceIntegralAndRms)
{
    on(0);
    para.Mul = 1;
    para.Div = 10;
    std::vector<int32_t> vals(30);
    for (int i = 0; i < 30; ++i)
        vals[i] = 100 * i;
    record(std::vector<int>(30, 10), vals);
    eng.Setup.TimeBase() = 100;
    d.SetCursorMode(0, TScopeCursor::Vertical);
    d.SetCursorMode(1, TScopeCursor::Vertical);
    auto put = [&](int c, int index) {
        d.Cursor[c].Index = index;
        d.Cursor[c].Time = 10 * (index + 1);
        d.Cursor[c].VDrawn = false;
    };
    put(0, 10);
    put(1, 20);
    d.DrawCursors(0);
    EXPECT_EQ(d.MeasMode, 1);
    EXPECT_EQ(d.Cells[0][1], QStringLiteral("P1"));
    EXPECT_EQ(d.CellColour[1], 0x0000FF);
    EXPECT_EQ(d.Cells[1][0], QStringLiteral("1.39:110ms"));  // StartDate 0: no date
    EXPECT_EQ(d.Cells[3][0], QStringLiteral("1.41:100ms"));
    EXPECT_TRUE(d.Cells[3][1].endsWith(QStringLiteral("[1000]"))) << d.Cells[3][1].toStdString();

    // A cursor not yet on a sample gives no difference.
    d.Cursor[0].Index = -1;
    d.DrawCursors(1);
    EXPECT_EQ(d.Cells[3][0], QStringLiteral("1.41"));
    EXPECT_EQ(d.Cells[3][1], QStringLiteral(" "));
    d.Cursor[0].Index = 10;
    d.DrawCursors(1);
    EXPECT_EQ(d.Cells[3][0], QStringLiteral("1.41:100ms"));

    d.NextMeasMode();
    EXPECT_EQ(d.Cells[3][0], QStringLiteral("1.42"));
    const QString integral = d.Cells[3][1];
    // 10 steps from 1000 to 2000, 10 ms each, a tenth of a unit per raw unit.
    int64_t sum = 0;
    ASSERT_TRUE(ScopeIntegral(eng, 0, 10, 20, sum));
    EXPECT_EQ(sum, 150000);
    EXPECT_EQ(integral, ScopeIntegralText(para, 150000));
    d.NextMeasMode();
    EXPECT_EQ(d.Cells[3][0], QStringLiteral("1.43"));
    const QString rms = d.Cells[3][1];
    EXPECT_TRUE(rms.endsWith(QStringLiteral("[1533]"))) << rms.toStdString();

    // The same samples with the cursors swapped.
    put(0, 20);
    put(1, 10);
    d.MeasMode = 2;
    d.DrawCursors(1);
    EXPECT_EQ(d.Cells[3][1], integral);
    d.MeasMode = 3;
    d.DrawCursors(1);
    EXPECT_EQ(d.Cells[3][1], rms);
    d.NextMeasMode();  // 0 with two vertical cursors is 1
    EXPECT_EQ(d.MeasMode, 1);

    // A start date shows the sample's date and time.
    eng.StartDate = TScopeEngine::DateOf(QDateTime(QDate(2026, 3, 4), QTime(10, 0, 0)));
    put(0, 9);
    d.DrawCursors(0);
    EXPECT_EQ(d.Cells[1][0], QStringLiteral("1.39:100ms (04.03.2026 10:00:00)"));
}

// Read-outs of a parameter shown as (raw + offset) / 10 with one decimal:
// a difference and a factor are spans (no offset), the integral and the
// RMS are those of the values the trace shows; brackets keep raw figures.
TEST_F(DisplayTest, ReadoutsConvertSpansWithoutAndValuesWithTheOffset)
{
    auto dec = [](QString t) { return t.replace(u'.', DecimalSeparator()); };
    struct Case {
        int16_t offset;
        const char *difference, *integral, *rms;
    };
    // Raw 501 and 954, one second apart: 50.1 and 95.4 without an offset,
    // 10.1 and 55.4 with -400.
    const Case cases[] = {
        {0, "45.3[453]", "72.75 *sec", "76.2[762]"},
        {-400, "45.3[453]", "32.75 *sec", "39.8[762]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        para.Mul = 1;
        para.Div = 10;
        para.Offset = c.offset;
        para.Format = 0x100;  // one decimal, no unit
        on(0, 100);
        record({1, 1000}, {501, 954});
        cursorsOnTheFirstTwo(1, 1001);
        const std::pair<int, const char*> modes[] = {{1, c.difference}, {2, c.integral}, {3, c.rms}};
        for (const auto& [mode, want] : modes) {
            d.MeasMode = mode;
            d.DrawCursors(1);
            EXPECT_EQ(d.Cells[3][1], dec(QString::fromLatin1(want))) << "mode " << mode;
        }
        // The factor of 100 raw units per division is 10.0 in either case,
        // in the value chooser and in the set-up dialog, and reads back.
        EXPECT_EQ(d.EditValueText(5), dec(QStringLiteral("10.0")));
        TSetScopeCore setup;
        setup.Setup = eng.Setup;
        EXPECT_EQ(setup.GetYFac(0), dec(QStringLiteral("10.0")));
        ASSERT_TRUE(setup.SetYFactor(0, dec(QStringLiteral("12.5"))));
        EXPECT_EQ(setup.Setup.Chan[0].YFactor, 125);
        EXPECT_EQ(d.ApplyEditText(5, dec(QStringLiteral("2.0"))), TEditResult::Changed);
        EXPECT_EQ(eng.Setup.Chan[0].YFactor, 20);
    }
}

TEST_F(DisplayTest, IntegralOfOneStepAndWithoutDivisor)
{
    on(0);
    para.Mul = 1;
    para.Div = 10;
    para.Format = 1;  // a unit
    record({1, 10}, {100, 200});
    int64_t sum = 0;
    ASSERT_TRUE(ScopeIntegral(eng, 0, 0, 1, sum));
    EXPECT_EQ(sum, 1500);
    EXPECT_EQ(ScopeIntegralText(para, sum),
              QStringLiteral("0") + DecimalSeparator() + QStringLiteral("15 ") + UnitText(1)
                  + QStringLiteral("*sec"));
    ASSERT_TRUE(ScopeIntegral(eng, 0, 1, 1, sum));
    EXPECT_EQ(sum, 0);
    para.Div = 0;
    EXPECT_FALSE(ScopeIntegral(eng, 0, 0, 1, sum));
    cursorsOnTheFirstTwo(1, 11);
    d.MeasMode = 2;
    d.DrawCursors(1);
    EXPECT_EQ(d.Cells[3][1], QString::fromLatin1(kCalcErrorText));
}

TEST_F(DisplayTest, HorizontalCursorsAndCellLimits)
{
    on(0, 100);
    d.SetCursorMode(0, TScopeCursor::Horizontal);
    d.Cursor[0].NewY = 400;  // below the plot: limited
    d.DrawCursors(0);
    EXPECT_EQ(d.Cursor[0].Y, 300);
    EXPECT_EQ(d.Cursor[0].Values[0], -500);
    EXPECT_EQ(d.Cells[1][2], QStringLiteral(" "));  // channel B off
    EXPECT_EQ(d.MeasMode, 0);
    d.WriteCursorText(5, 0, QStringLiteral("x"));
    d.WriteCursorText(0, 4, QStringLiteral("x"));
    d.WriteCursorText(-1, 0, QStringLiteral("x"));
    d.CursorOff(0);
    EXPECT_FALSE(d.ShowReadouts);
    EXPECT_EQ(d.SelCursor, 1);
    // The help line draws but fills no read-out.
    d.ToggleHelpLine();
    d.Cursor[2].NewY = 10;
    d.DrawCursors(0);
    EXPECT_TRUE(d.Cursor[2].HDrawn);
    EXPECT_TRUE(d.Cells[1][0].isEmpty());
}

TEST_F(DisplayTest, ValueChooserEntriesAndSteps)
{
    struct Case {
        int item;
        const char* text;
        TEditResult result;
        int32_t value;
    };
    const Case cases[] = {
        {0, "0", TEditResult::Changed, 1},
        {0, "-5", TEditResult::Changed, 1},
        {0, "999999999", TEditResult::Changed, 214748364},
        {0, "99999999999999999999", TEditResult::Changed, 214748364},
        {0, "12ms", TEditResult::NotInteger, 214748364},
        {0, " 250 ", TEditResult::Changed, 250},
        {5, "12abc", TEditResult::Changed, 12},
        {5, "abc", TEditResult::Changed, 1},
        {5, "-7", TEditResult::Changed, 1},
        {5, "9999999999", TEditResult::Changed, 0x30000000},
        {1, "-40x", TEditResult::Changed, -40},
        {1, "", TEditResult::Changed, 0},
        {1, "-", TEditResult::NotInteger, 0},
        {1, "1-2", TEditResult::NotInteger, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(d.ApplyEditText(c.item, QString::fromLatin1(c.text)), c.result) << c.text;
        const int32_t v = c.item == 0 ? eng.Setup.TimeBase()
            : c.item <= 4             ? eng.Setup.Chan[c.item - 1].YOffset
                                      : eng.Setup.Chan[c.item - 5].YFactor;
        EXPECT_EQ(v, c.value) << c.text;
    }
    // Steps.
    eng.Setup.TimeBase() = 1;
    EXPECT_EQ(d.SteppedValue(0, true), 1);
    EXPECT_EQ(d.SteppedValue(0, false), 2);
    eng.Setup.Chan[0].YOffset = 5;
    eng.Setup.Chan[0].YFactor = 5;
    EXPECT_EQ(d.SteppedValue(1, true), 0);
    EXPECT_EQ(d.SteppedValue(5, true), 2);
    eng.Setup.Chan[0].YOffset = INT32_MAX - 1;
    EXPECT_EQ(d.SteppedValue(1, false), INT32_MAX);  // saturates, no wrap
    d.ApplyEditValue(5, 0);
    EXPECT_EQ(eng.Setup.Chan[0].YFactor, 1);
    // With a description its conversion reads the text; a rejected text changes nothing.
    on(0, 100, 7);
    EXPECT_EQ(d.EditValueText(1), para.ValueToText(7, 0, u'+', false));
    EXPECT_EQ(d.ApplyEditText(1, QStringLiteral("1-2")), TEditResult::Unchanged);
    EXPECT_EQ(eng.Setup.Chan[0].YOffset, 7);
    eng.Setup.XYChannel() = 1;
    EXPECT_EQ(d.EditValueText(0), QStringLiteral("(1.37)"));
}

TEST_F(DisplayTest, TimeBaseChangeKeepsTheCursorColumn)
{
    on(0);
    eng.Setup.TimeBase() = 1000;
    record(std::vector<int>(2000, 100));
    eng.Setup.ScrollPos() = 10000;
    d.SetCursorMode(0, TScopeCursor::Vertical);
    d.MouseMove(100, 10);  // t = 12500, column 100 in division 2
    ASSERT_EQ(d.Cursor[0].Time, 12500);
    d.ApplyEditValue(0, 100);
    EXPECT_EQ(eng.Setup.ScrollPos(), 12500 - 2 * 100);
    d.Cursor[0].Time = 100;
    d.ApplyEditValue(0, 1000);
    EXPECT_EQ(eng.Setup.ScrollPos(), 0);
}

} // namespace

#include "scope/scope_layout.h"

namespace {

TEST(ScopeLayoutTest, PlotStripAndReadouts)
{
    const TScopeLayout l = ScopeLayout(557, 307, true);
    EXPECT_EQ(l.Plot, QRect(0, 30, 557, 307 - 30 - 80 - 24));
    EXPECT_EQ(l.Strip.top(), l.Plot.bottom() + 1);
    EXPECT_EQ(l.Cells[0][0].top(), l.Strip.bottom() + 1);
    EXPECT_EQ(l.Cells[3][4].bottom(), 306);
    const int b = (557 - 30) / 3;
    EXPECT_EQ(l.Cells[1][2], QRect(30, l.Cells[0][2].top(), b - 2, 16));
    EXPECT_EQ(l.Cells[2][2].left(), 30 + b);
    EXPECT_EQ(l.Cells[3][2].width(), b);
    EXPECT_EQ(ScopeLayout(557, 307, false).Plot.height(), 307 - 30 - 24);
    // A channel column grown to its names: the value columns start after it,
    // and the client width asked for a value width gives cells that wide.
    const TScopeLayout wide = ScopeLayout(ScopeReadoutClientWidth(60, 200), 307, true, 60);
    EXPECT_EQ(wide.Cells[0][0].width(), 60);
    EXPECT_EQ(wide.Cells[1][0].left(), 62);
    for (int c = 1; c < 4; ++c)
        EXPECT_GE(wide.Cells[c][0].width(), 200) << c;
    // Squeezed: the plot keeps 11 x 11 pixels, one per division and the edge.
    for (auto [w, h] : {std::pair{0, 0}, {50, 100}, {TScopeLayout::MinWidth, TScopeLayout::MinHeight}}) {
        const TScopeLayout s = ScopeLayout(w, h, true);
        EXPECT_GE(s.Plot.width(), 11);
        EXPECT_EQ(s.Plot.height(), 11);
    }
}

} // namespace
