#pragma once

#include <QChar>
#include <QString>

// Process-wide state of the value conversion of TParaRec (the methods are in
// cfg_records.h).

// While set, every value text is the raw value in hexadecimal without unit
// and without plain texts. Creating a TVortalinCfgList clears it.
extern unsigned char HexDisplay;

// The decimal separator of value texts ("." or ","). Starts as the system
// locale's separator; the programs and tests may set it.
QChar DecimalSeparator();
void SetDecimalSeparator(QChar sep);

// Unit text of a Format unit index 0..63 (empty for "none").
QString UnitText(int index);

// What a failed conversion shows.
inline const char* const kCalcErrorText = "(Error calculating value)";
