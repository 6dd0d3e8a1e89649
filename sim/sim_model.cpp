#include "sim/sim_model.h"

namespace qelsim {

const SimGroup* SimModel::group(uint16_t base) const
{
    for (const SimGroup& g : groups)
        if (g.base == base)
            return &g;
    return nullptr;
}

const SimPlainText* SimModel::plainText(uint16_t textId) const
{
    for (const SimPlainText& t : plainTexts)
        if (t.textId == textId)
            return &t;
    return nullptr;
}

SimModel SimModel::bare(int32_t cfgId)
{
    SimModel m;
    m.cfgId = cfgId;
    return m;
}

} // namespace qelsim
