#include "scope/scope_display.h"

#include "config/cfg_records.h"
#include "scope/scope_numbers.h"
#include "scope/scope_span.h"

#include <algorithm>

namespace {
int32_t sat32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
constexpr int32_t kMaxYFactor = 0x30000000;
} // namespace

QString TScopeDisplay::EditValueText(int Item) const
{
    const TScopeSetup& S = Eng.Setup;
    if (Item <= 0)
        return XYMode() ? u'(' + Text(1, 37) + u')' : QString::number(S.TimeBase());
    const int k = (Item - 1) % kScopeChannels;
    const TScopeChannel& c = S.Chan[k];
    if (Item <= 4)
        return c.Para ? ValueText(*c.Para, c.YOffset) : QString::number(c.YOffset);
    return c.Para ? ValueText(SpanDescription(*c.Para), c.YFactor) : QString::number(c.YFactor);
}

int32_t TScopeDisplay::SteppedValue(int Item, bool Down) const
{
    const TScopeSetup& S = Eng.Setup;
    if (Item <= 0)
        return std::max(1, sat32(Down ? S.TimeBase() / 2 : int64_t(S.TimeBase()) * 2));
    const TScopeChannel& c = S.Chan[(Item - 1) % kScopeChannels];
    if (Item <= 4)
        return sat32(Down ? int64_t(c.YOffset) - c.YFactor : int64_t(c.YOffset) + c.YFactor);
    return sat32(Down ? c.YFactor / 2 : int64_t(c.YFactor) * 2);
}

TEditResult TScopeDisplay::ApplyEditValue(int Item, int32_t Value)
{
    TScopeSetup& S = Eng.Setup;
    if (Item <= 0) {
        const int32_t v = std::clamp(Value, 1, kMaxTimeBase);
        KeepCursorColumn(v);
        S.TimeBase() = v;
    } else if (Item <= 4) {
        S.Chan[Item - 1].YOffset = Value;
    } else if (Item <= 8) {
        S.Chan[Item - 5].YFactor = std::clamp(Value, 1, kMaxYFactor);
    } else {
        return TEditResult::Unchanged;
    }
    CalcZeroLines();
    return TEditResult::Changed;
}

TEditResult TScopeDisplay::ApplyEditText(int Item, const QString& Text)
{
    const QString t = Text.left(255);
    int32_t v = 0;
    if (Item <= 0) {
        if (!ParseScopeInteger(t, v))
            return TEditResult::NotInteger;
        return ApplyEditValue(Item, v);
    }
    if (Item > 8)
        return TEditResult::Unchanged;
    const TScopeChannel& c = Eng.Setup.Chan[(Item - 1) % kScopeChannels];
    if (c.Para) {
        const bool ok = Item <= 4 ? c.Para->TextToValue(t, v) : SpanDescription(*c.Para).TextToValue(t, v);
        if (!ok)
            return TEditResult::Unchanged;
    } else if (!ParseScopeInteger(CutToNumber(t, Item <= 4), v)) {
        return TEditResult::NotInteger;
    }
    return ApplyEditValue(Item, v);
}
