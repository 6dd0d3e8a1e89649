#include "lists/set_edit_state.h"

void TSetEditState::ShowSet(int sel)
{
    if (sel <= 0) {
        boxesEnabled_ = false;
        SetBox(0, true);
        for (int i = 1; i < 8; ++i)
            SetBox(i, false);
        choice_ = sel < 0 ? chIndirect : chActual;
        return;
    }
    boxesEnabled_ = true;
    // A list file can carry a selector above 255; only its set bits count,
    // and with none of them set box 0 stands in, so the editor never hands
    // over 0 (the actual set) while "Enhanced" is chosen.
    int bits = sel & 0xFF;
    if (bits == 0)
        bits = 1;
    // Ticks first, then clears: the mask never passes through 0 on the way.
    for (int i = 0; i < 8; ++i)
        if (bits >> i & 1)
            SetBox(i, true);
    for (int i = 0; i < 8; ++i)
        if (!(bits >> i & 1))
            SetBox(i, false);
    choice_ = chEnhanced;
}

void TSetEditState::SetBox(int index, bool ticked)
{
    if (index < 0 || index >= 8 || Box(index) == ticked)
        return;
    mask_ ^= 1 << index;
    CheckNotZero(index);
}

void TSetEditState::CheckNotZero(int changed)
{
    if (mask_ == 0)
        mask_ = 1 << changed;
}

void TSetEditState::Choose(TChoice choice)
{
    choice_ = choice;
    boxesEnabled_ = choice == chEnhanced;
}

void TSetEditState::All()
{
    boxesEnabled_ = true;
    choice_ = chEnhanced;
    mask_ = 0xFF;
}

int TSetEditState::GetSet() const
{
    switch (choice_) {
    case chIndirect:
        return -1;
    case chActual:
        return 0;
    case chEnhanced:
        break;
    }
    return mask_;
}
