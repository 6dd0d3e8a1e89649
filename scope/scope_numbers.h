#pragma once

// The scope's lenient number reading: entries are trimmed, cut before the
// first character that cannot belong to the number, and read as decimal
// integers. A number too long for 32 bits saturates; the caller then
// applies the field's limits.

#include <QString>

#include <cstdint>

// Reads "-?digits" as a saturated 32-bit integer; false for anything else.
bool ParseScopeInteger(const QString& Text, int32_t& Value);

// The trimmed text up to the first character that is not a digit (nor a
// "-" when AllowMinus); an empty result is "0".
QString CutToNumber(const QString& Text, bool AllowMinus);

// The set-up dialog's reader: CutToNumber with minus signs, then a text
// that is still no integer gives 0.
int32_t MakeStringToDecimal(const QString& Text);
