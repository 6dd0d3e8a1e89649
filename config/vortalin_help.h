#pragma once

#include <QString>

#include <cstdint>

// Text of a set selector: -1 "I" (indirect), 0 "A" (actual set), a bit mask
// of sets 0..7 as "0-2;4"; other negative values give "".
QString SetMaskToStr(int16_t mask);

// The file name with its extension replaced by ext (given without a dot).
// Both "\" and "/" end a folder name, so a dot in a folder is not taken.
QString ChangeExt(const QString& fileName, const QString& ext);
