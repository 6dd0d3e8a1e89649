#include "sim/sim_quintel_alias.h"

namespace qelsim {

int quintelAliasTarget(const SimModel& model, uint16_t addr, const std::function<int32_t(uint16_t)>& stored)
{
    if (model.quintelSel < 0 || model.quintelBase == -1 || addr < uint16_t(model.quintelSel))
        return -1;
    const int n = addr - model.quintelSel;
    if (n >= model.quintelCount)
        return -1;
    int target = -1;
    if (n == 0) {
        target = model.accessParAdr;
    } else if (model.quintelBase < -1) {
        if (n <= int(model.quintelEntries.size()))
            target = int16_t(model.quintelEntries[size_t(n - 1)].target);
    } else {
        target = int16_t(stored(uint16_t(model.quintelBase + 2 * (n - 1))));
    }
    return target < 0 || target == addr ? -1 : target;
}

} // namespace qelsim
