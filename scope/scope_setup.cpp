#include "scope/scope_setup.h"

#include "config/vortalin_help.h"

#include <algorithm>

TScopeRing ScopeRing;

TScopeSetup::TScopeSetup()
{
    static constexpr uint32_t colours[kScopeChannels] = {0x0000FF, 0xFF0000, 0x008000, 0x00FFFF};
    for (int k = 0; k < kScopeChannels; ++k)
        Chan[k].Colour = colours[k];
    TimeBase() = 1000;
    TrigChannel() = -1;
    BackColour() = 0x000000;
    ReadCycle() = 0;
    TrigDelay() = 1000;
    GridColour() = 0xC0C0C0;
    MaxReadTime() = 999999999;
    TrigSlope() = 0;
    RollMode() = 0;
    OfflineMode() = 0;
    OfflineTimeBase() = 2;
    XYChannel() = 0;
    Chan[4].Colour = 0;
}

void TScopeSetup::Clamp()
{
    for (TScopeChannel& c : Chan) {
        c.SetSel = std::clamp<int16_t>(c.SetSel, -1, 7);
        if (c.YFactor < 1 && &c != &Chan[4])
            c.YFactor = 1;
        if (c.Address < -1)
            c.Address = -1;
    }
    TimeBase() = std::clamp(TimeBase(), 1, kMaxTimeBase);
    if (TrigChannel() < -1 || TrigChannel() > 3)
        TrigChannel() = -1;
    ReadCycle() = std::clamp(ReadCycle(), 0, kMaxReadCycle);
    TrigDelay() = std::max(TrigDelay(), 0);
    MaxReadTime() = std::max(MaxReadTime(), kMinMaxReadTime);
    TrigSlope() = std::clamp(TrigSlope(), 0, 3);
    RollMode() = std::clamp(RollMode(), 0, 1);
    OfflineMode() = std::clamp(OfflineMode(), 0, 1);
    XYChannel() = std::clamp(XYChannel(), 0, 4);
}

QString SetNumberText(int set)
{
    return set < 0 ? SetMaskToStr(int16_t(set)) : SetMaskToStr(int16_t(1 << std::min(set, 7)));
}
