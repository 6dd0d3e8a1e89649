#pragma once

#include <array>

// What the set editor shows, without widgets: the eight set boxes, whether
// they are enabled, and which of the three kinds of set addressing is
// chosen. Every change of a box, also one made by the program, keeps at
// least one box ticked.
class TSetEditState {
public:
    enum TChoice { chEnhanced, chActual, chIndirect };

    // Selector to boxes and choice: -1 (and below) indirect, 0 actual set,
    // above 0 the low eight bits as boxes; box 0 when those bits are all 0.
    void ShowSet(int sel);
    // A box ticked or cleared; clearing the only ticked box ticks it again.
    void SetBox(int index, bool ticked);
    // Enhanced enables the boxes; the other two disable them (ticks stay).
    void Choose(TChoice choice);
    // Enables the boxes, chooses enhanced and ticks all eight.
    void All();

    // -1 indirect, 0 actual set, else SetMask.
    int GetSet() const;
    // Sum of the ticked boxes' bits (bit n = set n).
    int SetMask() const { return mask_; }
    bool Box(int index) const { return index >= 0 && index < 8 && (mask_ >> index & 1) != 0; }
    bool BoxesEnabled() const { return boxesEnabled_; }
    TChoice Choice() const { return choice_; }

private:
    void CheckNotZero(int changed);

    int mask_ = 0;
    bool boxesEnabled_ = true;
    TChoice choice_ = chEnhanced;
};
