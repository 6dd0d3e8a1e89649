// The configuration file reader ("ParaNNNN.bin"): header, then body, as the
// configuration list loads it; what was read is written back out.

#include "config/cfg_file.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qelfuzz::bytes(data, size);
    CfgFileHeader header;
    if (ParseCfgHeader(bytes, header) != 0)
        return 0;
    TCfgRec cfg;
    cfg.CfgId = header.cfgId;
    cfg.NewStyle = header.newStyle ? 1 : 0;
    if (ParseCfgBody(bytes, header, cfg, nullptr) == 0)
        BuildCfgFile(cfg, LayoutOf(header));
    return 0;
}
