#pragma once

#include <QString>
#include <QStringList>

// Text rules of the message dialog, without any window.

// Fills the placeholders of one line. `params` holds "name=value" entries;
// for each entry in order every "@name" in the line (letters a-z compared
// without case) becomes the value. A value is not searched again for its
// own token; later entries see it.
QString FillPlaceholders(const QString& line, const QStringList& params);
QStringList FillPlaceholders(const QStringList& lines, const QStringList& params);

// Stores "name=value" in `params`, replacing the entry of the same name
// (compared without case) or appending one.
void SetParamEntry(QStringList& params, const QString& name, const QString& value);

// A button caption split into what is shown and the glyph its first
// character selects: '0'..'9' and ':' are glyph codes (character - 48),
// any other first character is part of the caption and selects nothing.
struct TButtonCaption {
    QString text;
    int glyphCode = -1;   // -1: keep the button's glyph
};
TButtonCaption SplitButtonCaption(const QString& caption);

// The preset rule applied when a button list is assigned: the first
// caption reading "OK" (without '&', any case) becomes the default and the
// first reading "CANCEL" or "ABORT" the cancel button, each only while
// still unset (below 0).
void PresetDefaultCancel(const QStringList& buttons, int& defaultIndex, int& cancelIndex);

// Drops trailing empty captions; a list left empty becomes {"OK"}.
QStringList TrimButtonCaptions(QStringList buttons);
