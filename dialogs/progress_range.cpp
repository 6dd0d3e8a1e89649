#include "dialogs/progress_range.h"

#include <algorithm>

bool TProgressRange::SetMax(int value)
{
    if (value < 0)
        return false;
    max_ = value;
    min_ = std::min(min_, max_);
    pos_ = std::clamp(pos_, min_, max_);
    return true;
}

bool TProgressRange::SetMin(int value)
{
    if (value < 0 || value >= max_)
        return false;
    min_ = value;
    pos_ = std::clamp(pos_, min_, max_);
    return true;
}

bool TProgressRange::SetActVal(int value)
{
    if (value < min_ || value > max_)
        return false;
    pos_ = value;
    return true;
}
