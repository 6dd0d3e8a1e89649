#include "scope/scope_display.h"

#include "config/cfg_records.h"
#include "config/lang_texts.h"
#include "config/value_conversion.h"
#include "scope/scope_span.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int64_t kMax32 = 2147483647;

int64_t limit32(int64_t v)
{
    return std::clamp<int64_t>(v, -kMax32, kMax32);
}

int64_t roundSat(double v)
{
    constexpr double big = 9.2e18;
    return std::llround(std::clamp(v, -big, big));
}
} // namespace

QString TScopeDisplay::Text(int Section, int Index) const
{
    return Eng.Texts ? Eng.Texts->GetText(Section, Index) : QStringLiteral("???");
}

QString TScopeDisplay::ValueText(const TParaRec& p, int32_t v) const
{
    return p.ValueToText(v, Eng.Language, Separator, ShowDecValue);
}

QString TScopeDisplay::valueCell(const TParaRec& p, int32_t v) const
{
    return valueCell(p, v, v);
}

QString TScopeDisplay::valueCell(const TParaRec& Conv, int32_t Shown, int32_t Raw) const
{
    // Read-outs carry the raw value already; no decimal prefix.
    return Conv.ValueToText(Shown, Eng.Language, Separator, false) + u'[' + QString::number(Raw) + u']';
}

void TScopeDisplay::WriteCursorText(int Row, int Col, const QString& Text, int64_t Colour)
{
    if (Row < 0 || Row > 4 || Col < 0 || Col > 3)
        return;
    Cells[Col][Row] = Text;
    if (Col == 0)
        CellColour[Row] = Colour;
}

void TScopeDisplay::ClearcursorText()
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 5; ++r)
            Cells[c][r].clear();
    std::fill(std::begin(CellColour), std::end(CellColour), -1);
}

bool TScopeDisplay::GetXpixRecord(int x, int64_t& Time, int& Index) const
{
    if (x < 0 || x > 10 * DivW + 1)
        return false;
    const int64_t base = std::max(1, Eng.Setup.TimeBase());
    int64_t t = 0;
    int result = 0;  // 0 walking, 1 found, 2 beyond the plot
    ForEachSample([&](int i) {
        if (result != 0)
            return;
        t += Eng.Ring[i].TimeDelta;
        if (t < ScrollPos())
            return;
        const int64_t c = DivW * (t - ScrollPos()) / base;
        if (c > 10 * DivW + 1) {
            result = 2;
        } else if (c >= x) {
            result = 1;
            Time = t;
            Index = i;
        }
    });
    return result == 1;
}

// ---- cursor commands

void TScopeDisplay::SetCursorMode(int c, int Mode)
{
    Cursor[c].Mode = Mode;
    Cursor[c].VDrawn = Cursor[c].HDrawn = false;
    SelCursor = c;
    ShowReadouts = true;
    ClearcursorText();
}

void TScopeDisplay::CursorOff(int c)
{
    const int other = 1 - c;
    Cursor[c].Mode = TScopeCursor::Off;
    Cursor[c].VDrawn = Cursor[c].HDrawn = false;
    if (Cursor[other].Mode == TScopeCursor::Off)
        ShowReadouts = false;
    SelCursor = other;
    ClearcursorText();
}

void TScopeDisplay::ToggleHelpLine()
{
    TScopeCursor& h = Cursor[2];
    h.VDrawn = h.HDrawn = false;
    if (h.Mode == TScopeCursor::Horizontal) {
        h.Mode = TScopeCursor::Off;
    } else {
        h.Mode = TScopeCursor::Horizontal;
        SelCursor = 2;
    }
}

void TScopeDisplay::NextMeasMode()
{
    MeasMode = MeasMode >= 3 ? 0 : MeasMode + 1;
    DrawCursors(1);
}

void TScopeDisplay::ResetCursors()
{
    CursorOff(0);
    CursorOff(1);
    for (int c = 0; c < 2; ++c) {
        Cursor[c].X = 0;
        Cursor[c].Index = -1;
    }
}

void TScopeDisplay::GridCleared()
{
    for (TScopeCursor& c : Cursor)
        c.VDrawn = c.HDrawn = false;
}

void TScopeDisplay::KeepCursorColumn(int32_t NewBase)
{
    const TScopeCursor& c = Cursor[SelCursor];
    if (c.VDrawn)
        SetScrollPos(std::max<int64_t>(0, c.Time - int64_t(c.X / DivW) * NewBase));
}

// ---- moving

void TScopeDisplay::MouseDown(int x, int y)
{
    if (Eng.RecState != TScopeEngine::recIdle || x < 0 || y < 0 || x >= PlotWidth || y >= PlotHeight)
        return;
    for (int c = 0; c < 3; ++c) {
        const TScopeCursor& cur = Cursor[c];
        if ((cur.Mode == TScopeCursor::Vertical && std::abs(x - cur.X) < 5)
            || (cur.Mode == TScopeCursor::Horizontal && std::abs(y - cur.Y) < 5)) {
            SelCursor = c;
            break;
        }
    }
    MouseMove(x, y);
}

void TScopeDisplay::MouseMove(int x, int y)
{
    if (Eng.RecState != TScopeEngine::recIdle || x < 0 || y < 0 || x >= PlotWidth || y >= PlotHeight)
        return;
    TScopeCursor& c = Cursor[SelCursor];
    if (c.Mode == TScopeCursor::Horizontal) {
        c.NewY = y;
    } else if (c.Mode == TScopeCursor::Vertical) {
        if (XYMode()) {
            c.Time = x;
        } else {
            int64_t t = 0;
            int i = -1;
            if (GetXpixRecord(x, t, i)) {
                c.Index = i;
                c.Time = t;
            }
        }
    }
    DrawCursors(0);
}

bool TScopeDisplay::KeyDown(int Key)
{
    constexpr int Left = 0x01000012, Up = 0x01000013, Right = 0x01000014, Down = 0x01000015;
    if (Key != Left && Key != Up && Key != Right && Key != Down)
        return false;
    TScopeCursor& c = Cursor[SelCursor];
    if (c.Mode == TScopeCursor::Horizontal) {
        if (Key == Up || Key == Down) {
            c.NewY += Key == Up ? -1 : 1;
            DrawCursors(0);
        }
        return true;
    }
    if (c.Mode != TScopeCursor::Vertical || (Key != Left && Key != Right))
        return true;
    const int step = Key == Left ? -1 : 1;
    if (XYMode()) {
        c.Time = std::clamp<int64_t>(c.X + step, 0, 10 * DivW);
    } else {
        int col = c.X;
        int64_t t = 0;
        int i = -1;
        for (;;) {
            col += step;
            if (!GetXpixRecord(col, t, i))
                return true;  // no neighbouring sample: the cursor stays
            if (TimeColumn(t) != c.X)
                break;
        }
        c.Index = i;
        c.Time = t;
    }
    DrawCursors(0);
    return true;
}

// ---- lines and read-outs

void TScopeDisplay::DrawCursors(int Flag)
{
    if (!CursorsShown())
        return;
    const TScopeSetup& S = Eng.Setup;
    for (int ci = 0; ci < 3; ++ci) {
        TScopeCursor& c = Cursor[ci];
        if (c.Mode == TScopeCursor::Off)
            continue;
        const int header = ci == 0 ? 39 : 40;
        if (Flag == 0) {
            const int64_t col = XYMode() ? c.Time : TimeColumn(c.Time);
            if ((c.HDrawn && c.Y == c.NewY) || (c.VDrawn && col == c.X))
                continue;
            c.HDrawn = c.VDrawn = false;
        }
        if (c.Mode == TScopeCursor::Horizontal) {
            if (Flag == 0) {
                c.NewY = std::clamp(c.NewY, 0, 10 * DivH);
                c.Y = c.NewY;
                c.HDrawn = true;
            }
            if (ci == 2)
                continue;
            for (int k = 0; k < kScopeChannels; ++k) {
                const TScopeChannel& ch = S.Chan[k];
                if (ch.Address < 0 || !ch.Para) {
                    WriteCursorText(k + 1, 0, QStringLiteral(" "));
                    WriteCursorText(k + 1, ci + 1, QStringLiteral(" "));
                    WriteCursorText(k + 1, 3, QStringLiteral(" "));
                } else if (!(XYMode() && k == XYChan())) {
                    WriteCursorText(0, ci + 1, Text(1, header));
                    c.Values[k] = ValueAtRow(k, c.Y);
                    WriteCursorText(k + 1, 0, ch.Para->GetIdText(), ch.Colour);
                    WriteCursorText(k + 1, ci + 1, valueCell(*ch.Para, c.Values[k]));
                }
            }
        } else if (!XYMode()) {
            if (c.Index < 0 || c.Time < ScrollPos())
                continue;
            for (int k = 0; k < kScopeChannels; ++k)
                c.Values[k] = Eng.Ring[c.Index].ChanVal[k];
            c.X = int(std::clamp<int64_t>(TimeColumn(c.Time), 0, std::numeric_limits<int>::max()));
            if (Flag == 0)
                c.VDrawn = true;
            QString date;
            if (Eng.StartDate != 0) {
                const double days = Eng.StartDate + double(c.Time) / 86400000.0;
                const QDateTime d = QDate(1899, 12, 30).startOfDay().addMSecs(std::llround(days * 86400000.0));
                date = QStringLiteral(" (") + d.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) + u')';
            }
            WriteCursorText(0, ci + 1, Text(1, header) + u':' + QString::number(c.Time) + Eng.TimeUnit + date);
            for (int k = 0; k < kScopeChannels; ++k) {
                const TScopeChannel& ch = S.Chan[k];
                if (ch.Address < 0 || !ch.Para)
                    continue;
                WriteCursorText(k + 1, 0, ch.Para->GetIdText(), ch.Colour);
                WriteCursorText(k + 1, ci + 1, valueCell(*ch.Para, c.Values[k]));
            }
        } else {
            const int k = XYChan();
            c.Values[k] = XYValueAtColumn(int(c.Time));
            c.X = int(c.Time);
            if (Flag == 0)
                c.VDrawn = true;
            WriteCursorText(0, ci + 1, Text(1, header));
            const TScopeChannel& ch = S.Chan[k];
            if (ch.Address >= 0 && ch.Para) {
                WriteCursorText(k + 1, 0, ch.Para->GetIdText(), ch.Colour);
                WriteCursorText(k + 1, ci + 1, valueCell(*ch.Para, c.Values[k]));
            }
        }
    }
    measure();
}

void TScopeDisplay::measure()
{
    const TScopeSetup& S = Eng.Setup;
    const TScopeCursor& c1 = Cursor[0];
    const TScopeCursor& c2 = Cursor[1];
    const bool bothV = c1.Mode == TScopeCursor::Vertical && c2.Mode == TScopeCursor::Vertical;
    if (!bothV)
        MeasMode = 0;
    else if (MeasMode == 0)
        MeasMode = 1;
    if (XYMode() && MeasMode == 2)
        MeasMode = 3;

    auto used = [&](int k) { return S.Chan[k].Address >= 0 && S.Chan[k].Para; };
    // A vertical cursor without a sample, or left of the visible time, has
    // no values to take a difference of.
    auto placed = [&](const TScopeCursor& c) {
        return c.Mode == TScopeCursor::Horizontal
            || (c.Mode == TScopeCursor::Vertical && (XYMode() || (c.Index >= 0 && c.Time >= ScrollPos())));
    };
    if (MeasMode <= 1) {
        const bool bothOn = placed(c1) && placed(c2);
        QString h = Text(1, 41);
        if (MeasMode == 1 && bothOn)
            h += u':' + QString::number(c2.Time - c1.Time) + Eng.TimeUnit;
        WriteCursorText(0, 3, h);
        for (int k = 0; k < kScopeChannels; ++k) {
            if (!used(k))
                continue;
            bool show = bothOn;
            if (XYMode()) {
                if (c1.Mode != c2.Mode)
                    show = false;
                else if (c1.Mode == TScopeCursor::Vertical)
                    show = show && k == XYChan();
                else
                    show = show && k != XYChan();
            }
            if (!show) {
                WriteCursorText(k + 1, 3, QStringLiteral(" "));
                continue;
            }
            const int32_t d = int32_t(limit32(int64_t(c2.Values[k]) - c1.Values[k]));
            WriteCursorText(k + 1, 3, valueCell(SpanDescription(*S.Chan[k].Para), d, d));
        }
        return;
    }
    WriteCursorText(0, 3, Text(1, MeasMode == 2 ? 42 : 43));
    const bool indexed = c1.Index >= 0 && c2.Index >= 0;
    // The walk runs forward in time from the earlier cursor's sample.
    const TScopeCursor& left = c1.Time < c2.Time ? c1 : c2;
    const TScopeCursor& right = &left == &c1 ? c2 : c1;
    for (int k = 0; k < kScopeChannels; ++k) {
        if (!used(k))
            continue;
        if (!indexed) {
            WriteCursorText(k + 1, 3, QStringLiteral(" "));
            continue;
        }
        const TParaRec& p = *S.Chan[k].Para;
        if (MeasMode == 2) {
            int64_t sum = 0;
            const bool ok = ScopeIntegral(Eng, k, left.Index, right.Index, sum);
            WriteCursorText(k + 1, 3, ok ? ScopeIntegralText(p, sum) : QString::fromLatin1(kCalcErrorText));
            continue;
        }
        // The bracket shows the RMS of the raw samples; the text that of
        // the values the trace shows, which include the display offset.
        auto rmsOf = [&](double offset) {
            double rms = 0;
            if (left.Index == right.Index) {
                rms = std::fabs(Eng.Ring[left.Index].ChanVal[k] + offset);
            } else {
                double sq = 0;
                int n = 0;
                int i = left.Index;
                for (int guard = 0; guard < kScopeRingSize; ++guard) {
                    const double v = Eng.Ring[i].ChanVal[k] + offset;
                    sq += v * v;
                    ++n;
                    if (i == right.Index || i == Eng.RingEnd)
                        break;
                    i = i >= Eng.LastIndex ? 0 : i + 1;
                }
                rms = std::sqrt(sq / n);
            }
            return int32_t(std::llround(std::min(rms, double(kMax32))));
        };
        WriteCursorText(k + 1, 3, valueCell(SpanDescription(p), rmsOf(p.Offset), rmsOf(0)));
    }
}

bool ScopeIntegral(const TScopeEngine& Eng, int Chan, int From, int To, int64_t& Sum)
{
    Sum = 0;
    const TParaRec* p = Eng.Setup.Chan[Chan].Para;
    if (!p || p->Div == 0)
        return false;
    const float s = float(p->Mul) / float(p->Div) / 1000.0f;
    int i = From;
    for (int guard = 0; guard < kScopeRingSize && i != To && i != Eng.RingEnd; ++guard) {
        const int w = i >= Eng.LastIndex ? 0 : i + 1;
        // The values the trace shows: the display offset included.
        const double u = double(Eng.Ring[i].ChanVal[Chan]) + p->Offset;
        const double v = double(Eng.Ring[w].ChanVal[Chan]) + p->Offset;
        const double d = Eng.Ring[w].TimeDelta;
        const double a = double(roundSat(std::fabs(v - u) * 10000.0));
        const double b = double(roundSat(std::min(u, v) * 10000.0));
        const int64_t t1 = roundSat(double(roundSat(d * a / 2.0)) * s);
        const int64_t t2 = roundSat(double(roundSat(d * b)) * s);
        for (int64_t term : {t1, t2})
            if (__builtin_add_overflow(Sum, term, &Sum))
                Sum = term > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
        i = w;
    }
    return true;
}

QString ScopeIntegralText(const TParaRec& p, int64_t Sum)
{
    QString n = QString::number(double(Sum) / 10000.0, 'g', 15);
    n.replace(u'.', DecimalSeparator());
    return n + u' ' + UnitText(p.Format & 0x3F) + QStringLiteral("*sec");
}
