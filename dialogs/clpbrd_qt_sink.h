#pragma once

#include "config/vortalin_clpbrd.h"

// Hands the internal clipboard's data to the system clipboard.
class TQtClpBrdSink : public IClpBrdSink {
public:
    void SetMimeData(std::unique_ptr<QMimeData> data) override;
};
