#include "mainwin/file_cfg_ids.h"

#include "scope/scope_file.h"

std::array<int, 4> ReadScopeFileCfgIds(const QString& FileName)
{
    int a = 0, b = 0, c = 0, d = 0;
    if (ReadScopeFileCfgIds(FileName, a, b, c, d) != 0)
        return {-1, -1, -1, -1};
    return {a, b, c, d};
}
