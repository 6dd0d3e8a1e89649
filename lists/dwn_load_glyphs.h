#pragma once

#include <QPixmap>
#include <QString>

// "DWNARROW", "UPARROW", "Complete", "Compress", "CHECK" or "INVERTER";
// an empty picture for another name.
QPixmap DwnGlyph(const QString& Name);
