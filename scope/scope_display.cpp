#include "scope/scope_display.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kMaxVal = 2147483647.0;

int roundClamped(double v, double lo, double hi)
{
    if (!(v >= lo))  // NaN too
        v = lo;
    return int(std::llround(std::min(v, hi)));
}
} // namespace

void TScopeDisplay::SetPlotSize(int Width, int Height)
{
    PlotWidth = Width;
    PlotHeight = Height;
    // Never 0: the inverse formulas and the column arithmetic divide by them.
    DivW = std::max(1, (Width - 1) / 10);
    DivH = std::max(1, (Height - 1) / 10);
    CalcZeroLines();
}

void TScopeDisplay::CalcZeroLines()
{
    for (int k = 0; k < kScopeChannels; ++k) {
        TScopeChannel& c = Eng.Setup.Chan[k];
        c.ZeroLine = 5.0 * DivH + double(c.YOffset) * DivH / std::max(1, c.YFactor);
    }
}

void TScopeDisplay::SetScrollPos(int64_t v)
{
    Eng.Setup.ScrollPos() = int32_t(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

int64_t TScopeDisplay::TimeColumn(int64_t t) const
{
    return (t - ScrollPos()) * DivW / std::max(1, Eng.Setup.TimeBase());
}

int TScopeDisplay::XYColumn(int32_t v) const
{
    const TScopeChannel& c = Eng.Setup.Chan[std::clamp(XYChan(), 0, 3)];
    const double x = (double(v) - c.YOffset) * DivW / std::max(1, c.YFactor) + 5.0 * DivW;
    return roundClamped(x, 0, 10.0 * DivW);
}

int TScopeDisplay::ValueRow(int Chan, int32_t v) const
{
    const TScopeChannel& c = Eng.Setup.Chan[Chan];
    const double y = c.ZeroLine - double(v) * DivH / std::max(1, c.YFactor);
    return roundClamped(y, 0, 10.0 * DivH);
}

int32_t TScopeDisplay::ValueAtRow(int Chan, int y) const
{
    const TScopeChannel& c = Eng.Setup.Chan[Chan];
    const double v = -(y - c.ZeroLine) * std::max(1, c.YFactor) / DivH;
    return roundClamped(v, -kMaxVal, kMaxVal);
}

int32_t TScopeDisplay::XYValueAtColumn(int x) const
{
    const TScopeChannel& c = Eng.Setup.Chan[std::clamp(XYChan(), 0, 3)];
    const double v = double(std::max(1, c.YFactor)) * (x - 5.0 * DivW) / DivW + c.YOffset;
    return roundClamped(v, -kMaxVal, kMaxVal);
}

int32_t TScopeDisplay::XYValue(int Index) const
{
    const int k = XYChan();
    if (k < 0 || k >= kScopeChannels || Eng.Setup.Chan[k].Address < 0)
        return 0;
    return Eng.Ring[Index].ChanVal[k];
}

bool TScopeDisplay::TraceChannel(int Chan) const
{
    const TScopeChannel& c = Eng.Setup.Chan[Chan];
    return c.Address >= 0 && !c.Invisible && !(XYMode() && Chan == XYChan());
}

std::vector<QLine> TScopeDisplay::GridLines() const
{
    std::vector<QLine> l;
    const int w = 10 * DivW, h = 10 * DivH;
    if (FullGrid) {
        for (int i = 0; i <= 10; ++i)
            l.emplace_back(0, i * DivH, w + 1, i * DivH);
        for (int i = 0; i <= 10; ++i)
            l.emplace_back(i * DivW, 0, i * DivW, h);
        return l;
    }
    l.emplace_back(0, 5 * DivH, w + 1, 5 * DivH);
    l.emplace_back(5 * DivW, 0, 5 * DivW, h);
    for (int i = 0; i <= 10; ++i) {
        l.emplace_back(4 * DivW + DivW / 2, i * DivH, 5 * DivW + DivW / 2, i * DivH);
        l.emplace_back(i * DivW, 4 * DivH + DivH / 2, i * DivW, 5 * DivH + DivH / 2);
    }
    return l;
}

std::vector<TScopeTrace> TScopeDisplay::Traces()
{
    std::vector<TScopeTrace> out;
    const int64_t right = 10 * int64_t(DivW) + 1;
    for (int k = 0; k < kScopeChannels; ++k) {
        if (!TraceChannel(k))
            continue;
        TScopeTrace tr;
        tr.Channel = k;
        tr.Colour = Eng.Setup.Chan[k].Colour;
        int64_t t = 0;
        bool any = false;
        int lastY = Eng.Setup.Chan[k].LastY;
        bool stop = false;
        ForEachSample([&](int i) {
            if (stop)
                return;
            int64_t x = 0;
            if (XYMode()) {
                x = XYColumn(XYValue(i));
                t = ScrollPos();
            } else {
                t += Eng.Ring[i].TimeDelta;
                if (t < ScrollPos())
                    return;
                x = TimeColumn(t);
                if (x > right) {
                    stop = true;
                    return;
                }
            }
            const QPoint p(int(x), ValueRow(k, Eng.Ring[i].ChanVal[k]));
            if (!any || p != tr.Points.back())
                tr.Points.push_back(p);
            any = true;
            lastY = p.y();
            if (i == Eng.TrigIndex && k == Eng.Setup.TrigChannel()) {
                tr.HasTrigger = true;
                tr.Trigger = p;
            }
        });
        Eng.Setup.Chan[k].LastY = lastY;
        out.push_back(std::move(tr));
    }
    return out;
}

TScopeSampleDraw TScopeDisplay::DrawSample(int Index, int ClientWidth)
{
    TScopeSampleDraw d;
    const TScopeSample& s = Eng.Ring[Index];
    int64_t t = 0, x = 0;
    if (XYMode()) {
        x = XYColumn(XYValue(Index));
        t = x;
    } else {
        t = DrawTime + s.TimeDelta;
        x = t * DivW / std::max(1, Eng.Setup.TimeBase());
        if (x > 10 * int64_t(DivW)) {
            DrawTime = -1;
            t = 0;
            x = 0;
            d.ClearPlot = Eng.Setup.RollMode() == 0;
        }
        if (Eng.Setup.RollMode() != 0) {
            d.Erase = true;
            d.EraseFrom = DrawX + 1;
            d.EraseTo = x + 1 < DrawX + 1 ? ClientWidth : int(x) + 1;
            d.BarFrom = int(x) + 1;
            d.BarTo = int(x) + 3;
        }
    }
    for (int k = 0; k < kScopeChannels; ++k) {
        if (!TraceChannel(k))
            continue;
        TScopeChannel& c = Eng.Setup.Chan[k];
        const int y = ValueRow(k, s.ChanVal[k]);
        d.Segments.push_back({k, c.Colour, QPoint(DrawX, c.LastY), QPoint(int(x), y), DrawTime != -1});
        c.LastY = y;
    }
    DrawTime = t;
    DrawX = int(x);
    return d;
}

TScopeScrollInfo TScopeDisplay::ScrollInfo()
{
    TScopeScrollInfo s;
    constexpr int64_t imax = std::numeric_limits<int>::max();
    const int64_t rec = Eng.RecTime;
    const int64_t page = 10 * int64_t(Eng.Setup.TimeBase());
    s.Max = int(std::clamp<int64_t>(rec, 0, imax));
    s.PageSize = int(std::min(page, imax));
    if (rec < page)
        SetScrollPos(0);
    s.Position = int(ScrollPos());
    s.LargeStep = int(std::clamp<int64_t>(rec / 10, 1, 32767));
    const int small = Eng.Setup.TimeBase() / 10;
    s.SetSmallStep = small >= 1 && small <= 32767;
    s.SmallStep = s.SetSmallStep ? small : 1;
    s.Visible = !XYMode();
    return s;
}

bool TScopeDisplay::ScrollbarChange(int Position)
{
    if (Eng.RecState != TScopeEngine::recIdle)
        return false;
    const int64_t page = 10 * int64_t(Eng.Setup.TimeBase());
    int64_t pos = Position;
    if (pos + page > Eng.RecTime + 10)
        pos = std::max<int64_t>(0, Eng.RecTime - page + 10);
    if (pos == ScrollPos())
        return false;
    SetScrollPos(pos);
    return true;
}

bool TScopeDisplay::TimeBoxMove(int x, bool LeftOnly)
{
    if (XYMode() || Eng.RecState != TScopeEngine::recIdle || !LeftOnly || x < 0 || x > 10 * DivW)
        return false;
    if (DragStart == -1)
        DragStart = x;
    DragEnd = x;
    return true;
}

bool TScopeDisplay::TimeBoxUp()
{
    if (DragStart == -1 || XYMode() || Eng.RecState != TScopeEngine::recIdle) {
        DragStart = -1;
        return false;
    }
    if (DragEnd < DragStart)
        std::swap(DragStart, DragEnd);
    const int from = DragStart, to = DragEnd;
    DragStart = -1;
    if (to < from + 5)
        return false;
    const double base = Eng.Setup.TimeBase();
    SetScrollPos(std::llround(double(ScrollPos()) + double(from) / DivW * base));
    const double nb = std::llround(double(to - from) / DivW * base / 10.0);
    Eng.Setup.TimeBase() = int32_t(std::clamp(nb, 1.0, double(kMaxTimeBase)));
    return true;
}
