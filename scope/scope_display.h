#pragma once

// What the scope window shows, without widgets: the plot's divisions and
// coordinates, the traces as point lists, the incremental drawing of a new
// sample, the time scroll bar and the zoom, the two cursors and the help
// line with the 4 x 5 read-outs and their measurements, and the value
// chooser's texts and steps. The window paints what this class computes.
//
// Time columns and the scroll position are computed in 64 bits: a long
// recording times the pixels per division does not fit 32 bits.

#include "scope/scope_engine.h"

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class TParaRec;

struct TScopeCursor {
    enum { Off = 0, Vertical = 1, Horizontal = 2 };
    int Mode = Off;
    int X = 0;        // column of the vertical line
    int Index = -1;   // ring index of the sample under a vertical line
    int64_t Time = 0; // time of that sample from the oldest (X/Y: the column)
    int Y = 0;        // row of the horizontal line
    int NewY = 0;     // row the horizontal line is to move to
    bool VDrawn = false, HDrawn = false;
    int32_t Values[kScopeChannels] = {0, 0, 0, 0};
};

// One channel's trace: a line through Points (equal neighbours dropped),
// and the trigger mark when the trigger sample lies on it.
struct TScopeTrace {
    int Channel = 0;
    uint32_t Colour = 0;
    std::vector<QPoint> Points;
    bool HasTrigger = false;
    QPoint Trigger;
};

// What one new sample of a recording does to the plot.
struct TScopeSampleDraw {
    bool ClearPlot = false;        // the trace starts again on a cleared plot
    bool Erase = false;            // roll mode: the band is erased, its grid redrawn
    int EraseFrom = 0, EraseTo = 0;  // columns, EraseTo exclusive
    int BarFrom = 0, BarTo = 0;    // roll mode: the bar in the grid colour
    struct Segment {
        int Channel = 0;
        uint32_t Colour = 0;
        QPoint From, To;
        bool Line = false;  // false: only the start of a new line
    };
    std::vector<Segment> Segments;
};

struct TScopeScrollInfo {
    int Max = 0, PageSize = 0, Position = 0, LargeStep = 1, SmallStep = 1;
    bool SetSmallStep = false;
    bool Visible = true;
};

// Result of applying a value entry.
enum class TEditResult { Changed, Unchanged, NotInteger };

class TScopeDisplay {
public:
    explicit TScopeDisplay(TScopeEngine& Engine) : Eng(Engine) {}

    TScopeEngine& Eng;
    QChar Separator = u'+';
    bool ShowDecValue = false;

    // ---- geometry
    int PlotWidth = 0, PlotHeight = 0;
    int DivW = 1, DivH = 1;
    bool FullGrid = false;
    bool ShowReadouts = false;
    int SelCursor = 0;
    int MeasMode = 0;
    int64_t DrawTime = -1;
    int DrawX = 0;
    int DragStart = -1, DragEnd = -1;
    std::array<TScopeCursor, 3> Cursor;

    // The plot's size; DivW and DivH follow (at least 1 each).
    void SetPlotSize(int Width, int Height);
    void CalcZeroLines();
    bool XYMode() const { return Eng.Setup.XYChannel() > 0; }
    int XYChan() const { return Eng.Setup.XYChannel() - 1; }
    int64_t ScrollPos() const { return Eng.Setup.ScrollPos(); }
    void SetScrollPos(int64_t v);

    // Coordinates.
    int64_t TimeColumn(int64_t t) const;
    int XYColumn(int32_t v) const;
    int ValueRow(int Chan, int32_t v) const;
    int32_t ValueAtRow(int Chan, int y) const;
    int32_t XYValueAtColumn(int x) const;
    // The X/Y channel's value of a sample (0 without an address).
    int32_t XYValue(int Index) const;
    // Channels drawn as traces: an address, visible, not the X/Y channel.
    bool TraceChannel(int Chan) const;

    // Lines of the grid (full grid or centre cross with ticks).
    std::vector<QLine> GridLines() const;
    // Traces of a full redraw; LastY of each channel is left at its last row.
    std::vector<TScopeTrace> Traces();
    // A new sample of a recording.
    TScopeSampleDraw DrawSample(int Index, int ClientWidth);
    // The engine's first sample of a recording.
    void RestartDrawing()
    {
        DrawTime = -1;
        DrawX = 0;
    }

    // ---- time scroll bar and zoom
    TScopeScrollInfo ScrollInfo();
    // True when the scroll position changed (grid and traces to redraw).
    bool ScrollbarChange(int Position);
    // Left button held over the time strip at column x.
    bool TimeBoxMove(int x, bool LeftOnly);
    // True when the zoom was applied (everything to redraw).
    bool TimeBoxUp();

    // ---- cursors
    // Ring walk from RingStart to RingEnd.
    template <class F>
    void ForEachSample(F f) const
    {
        int i = Eng.RingStart;
        for (int n = 0; n < kScopeRingSize; ++n) {
            f(i);
            if (i == Eng.RingEnd)
                return;
            i = i >= Eng.LastIndex ? 0 : i + 1;
        }
    }
    bool GetXpixRecord(int x, int64_t& Time, int& Index) const;
    void SetCursorMode(int c, int Mode);  // C1vert, C1hor, C2Vert, C2Hor
    void CursorOff(int c);                // c1off, C2off
    void ToggleHelpLine();                // HLine
    void NextMeasMode();                  // Messart
    // Mouse down on the plot: selects a cursor near (x, y), then moves it.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    // Cursor keys on the key catcher; true when the key was taken.
    bool KeyDown(int Key);
    // The window is closed or a file loaded: both cursors off and reset.
    void ResetCursors();
    // The grid was redrawn: no cursor line is drawn any more.
    void GridCleared();
    // The time base becomes NewBase keeping the selected cursor's column.
    void KeepCursorColumn(int32_t NewBase);

    // Renews the cursor lines (Flag 0) and the read-out texts.
    void DrawCursors(int Flag);
    bool CursorsShown() const { return ShowReadouts || Cursor[2].Mode == TScopeCursor::Horizontal; }

    // ---- read-outs: column 0..3, row 0..4
    QString Cells[4][5];
    int64_t CellColour[5] = {-1, -1, -1, -1, -1};  // column 0; -1 button face
    void WriteCursorText(int Row, int Col, const QString& Text, int64_t Colour = -1);
    void ClearcursorText();

    // ---- value chooser (items 0..8) and edit
    QString EditValueText(int Item) const;
    // The step buttons: Down for Dnbtn.
    int32_t SteppedValue(int Item, bool Down) const;
    TEditResult ApplyEditValue(int Item, int32_t Value);
    TEditResult ApplyEditText(int Item, const QString& Text);

    QString Text(int Section, int Index) const;
    QString ValueText(const TParaRec& p, int32_t v) const;

private:
    QString valueCell(const TParaRec& p, int32_t v) const;
    // Shown converted with Conv, Raw in brackets.
    QString valueCell(const TParaRec& Conv, int32_t Shown, int32_t Raw) const;
    void measure();
};

// A read-out of a ring walk's integral (the sum of 64-bit terms, in 1/10000
// of the unit times seconds), or the error text when the scale has no
// divisor.
QString ScopeIntegralText(const TParaRec& p, int64_t Sum);
// The integral sum from ring index From forward to To; false without a
// divisor.
bool ScopeIntegral(const TScopeEngine& Eng, int Chan, int From, int To, int64_t& Sum);
