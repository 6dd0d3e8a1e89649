#pragma once

// What the scope records and how: five setup slots (channels A to D and a
// slot of further settings), and the ring of samples a recording fills.

#include <QString>

#include <array>
#include <cstdint>

class TParaRec;

struct TScopeChannel {
    int16_t Address = -1;           // parameter address; -1 channel off
    TParaRec* Para = nullptr;       // resolved at run time (CheckChannels)
    int16_t SetSel = 0;             // -1 indirect set addressing, 0..7 set number
    int16_t Inverter = 0;           // project inverter address
    int32_t YOffset = 0;
    int32_t YFactor = 1;
    int32_t LastY = 0;              // display only
    uint32_t Colour = 0;            // 0x00BBGGRR
    double ZeroLine = 0;            // display only
    int32_t TrigLevel = 0;
    int32_t General1 = 0, General2 = 0, General3 = 0;
    uint8_t Invisible = 0;
    uint8_t NewStyle = 0;
};

inline constexpr int kScopeChannels = 4;
inline constexpr int kScopeSlots = 5;

// The five slots, with named access to the settings the general fields
// and slot 4 hold.
struct TScopeSetup {
    std::array<TScopeChannel, kScopeSlots> Chan;

    TScopeSetup();

    int32_t& TimeBase() { return Chan[0].General1; }          // ms (or offline unit) per division
    int32_t& TrigChannel() { return Chan[0].General2; }       // -1 none, 0..3
    int32_t& BackColour() { return Chan[0].General3; }
    int32_t& ReadCycle() { return Chan[1].General1; }         // ms, 0 as fast as possible
    int32_t& TrigDelay() { return Chan[1].General2; }         // ms after the trigger
    int32_t& GridColour() { return Chan[1].General3; }
    int32_t& MaxReadTime() { return Chan[2].General1; }       // ms, at least 1000
    int32_t& TrigSlope() { return Chan[2].General2; }         // 0 falling, 1 rising, 2 both, 3 equal
    int32_t& RollMode() { return Chan[3].General1; }
    int32_t& OfflineMode() { return Chan[3].General2; }       // 0 online, 1 offline
    int32_t& ScrollPos() { return Chan[4].YOffset; }
    int32_t& XYChannel() { return Chan[4].YFactor; }          // 0 off, 1..4 channel A..D
    int32_t& OfflineTrigPos() { return Chan[4].TrigLevel; }   // base+6
    int32_t& OfflineTimeBase() { return Chan[4].General1; }   // base+4
    int32_t& OfflineTrigger() { return Chan[4].General2; }    // base+5

    int32_t TimeBase() const { return Chan[0].General1; }
    int32_t TrigChannel() const { return Chan[0].General2; }
    int32_t ReadCycle() const { return Chan[1].General1; }
    int32_t TrigDelay() const { return Chan[1].General2; }
    int32_t MaxReadTime() const { return Chan[2].General1; }
    int32_t TrigSlope() const { return Chan[2].General2; }
    int32_t OfflineMode() const { return Chan[3].General2; }
    int32_t XYChannel() const { return Chan[4].YFactor; }
    int32_t OfflineTimeBase() const { return Chan[4].General1; }

    // Brings every setting into its range (values from a file).
    void Clamp();
};

// Limits of the settings.
inline constexpr int32_t kMaxTimeBase = 214748364;
inline constexpr int32_t kMaxReadCycle = 60000;
inline constexpr int32_t kMinMaxReadTime = 1000;

// One sample of the ring.
struct TScopeSample {
    int32_t ChanVal[kScopeChannels] = {0, 0, 0, 0};
    uint16_t TimeDelta = 0;  // since the previous sample, ms or the offline unit
};

inline constexpr int kScopeRingSize = 10001;
inline constexpr int kScopeLastIndex = kScopeRingSize - 1;
using TScopeRing = std::array<TScopeSample, kScopeRingSize>;

// The ring of the scope module, reused by every recording.
extern TScopeRing ScopeRing;

// Text of one set: "I" for -1, else the set number as SetMaskToStr shows it.
QString SetNumberText(int set);
