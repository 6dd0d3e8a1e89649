#include "mainwin/file_cfg_ids.h"

std::array<int, 4> ReadScopeFileCfgIds(const QString&)
{
    return {-1, -1, -1, -1};
}
