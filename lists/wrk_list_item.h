#pragma once

#include "config/cfg_records.h"

#include <QString>

#include <cstdint>
#include <memory>

// One row of a work list. A blank row (Address below 0) carries only its
// remark and is never read.
struct TWrkListItem {
    // Description of the row's parameter in its inverter's configuration;
    // null when the inverter is not in the project or its configuration
    // does not know the address. Shared (it keeps its configuration alive),
    // so an answer that arrives after the project dropped that
    // configuration still converts safely.
    std::shared_ptr<const TParaRec> Para;
    int32_t SetSel = 0;    // -1 indirect, 0 actual set, 1..255 set mask
    int32_t Address = 0;   // 0..0x7FFF; -1 blank row
    int32_t Inverter = 0;  // 0..239; -1 on blank rows
    int32_t Value = 0;     // last raw value read
    bool ValueValid = false;
    QString Remark;

    bool IsBlank() const { return Address < 0; }
};

// The description of `addr` in `cfg`, holding `cfg` alive; null when either
// is missing.
inline std::shared_ptr<const TParaRec> FindParaShared(const std::shared_ptr<TCfgRec>& cfg, int addr)
{
    if (!cfg)
        return nullptr;
    const TParaRec* p = cfg->FindPara(addr);
    return p ? std::shared_ptr<const TParaRec>(cfg, p) : nullptr;
}
