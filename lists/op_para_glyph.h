#pragma once

#include <QPixmap>

// The "INVERTER" glyph of the inverter-choice context command.
QPixmap InverterGlyph();
