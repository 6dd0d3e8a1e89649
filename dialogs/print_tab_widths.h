#pragma once

#include <QList>

// Column widths of a list (pixels, or whatever a list file holds) to the
// print window's tab widths in percent: each width by the sum of all. A
// negative width counts 0; when the sum is 0 every column gets an equal
// share. The lists call this in place of dividing by the sum themselves,
// which a list file can make 0 or negative.
QList<int> TabWidthsToPercent(const QList<int>& widths);
