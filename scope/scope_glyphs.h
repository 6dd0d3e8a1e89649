#pragma once

#include <QPixmap>

// Small pictures of the scope's context commands ("INVERTER", "EXPORT",
// "READOFFLINE") and of its start button ("RUN", "STOP").
QPixmap ScopeGlyph(const char* kind);
