#pragma once

#include "config/vortalin_clpbrd.h"

class QMimeData;

// Hands the internal clipboard's data to the system clipboard, with a
// marker beside the text that tells this program's own content from
// another program's (the clipboard's owner cannot be asked on every
// platform).
class TQtClpBrdSink : public IClpBrdSink {
public:
    void SetMimeData(std::unique_ptr<QMimeData> data) override;
};

// The marker's MIME type; its data is the id of the process that copied.
extern const QString ClpBrdMarkerType;

// Adds the marker of this process.
void AddClpBrdMarker(QMimeData& data);
// Whether the data carries the marker of this process.
bool IsOwnClpBrdData(const QMimeData* data);
