#pragma once

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

// The operation slots a window hands to the main window when it becomes
// active: the main window enables its menu entries and tool buttons from the
// filled slots and calls them when the user picks one.
enum TOpSlot : int {
    osReserved = 0,  // the window's own; never called by the main window
    osSave = 1,
    osSaveAs = 2,
    osCut = 3,
    osCopy = 4,
    osPaste = 5,
    osDelete = 6,
    osMarkAll = 7,
    osPrint = 8,
    osSearch = 9,
};

struct TOperatingFuncs {
    static constexpr int SlotCount = 10;

    // Each slot a parameterless callback bound to the window; empty: not filled.
    std::array<std::function<void()>, SlotCount> Slots;

    // The window the slots are bound to. The receiver forgets the record when
    // this object is destroyed, so a slot is never called after its window
    // has gone (even when the window did not hand over nothing on closing).
    QPointer<QObject> Owner;

    bool Filled(int Slot) const { return Slot >= 0 && Slot < SlotCount && bool(Slots[Slot]); }
};

using PTOperatingFuncs = TOperatingFuncs*;
