// The configuration file reader ("ParaNNNN.bin"): header, then body, as the
// configuration list loads it; what was read is written back out, and that
// must read back the same.

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
    if (ParseCfgBody(bytes, header, cfg, nullptr) != 0)
        return 0;
    // What was read is written out again; that file reads back and writes
    // the same bytes.
    const QByteArray once = BuildCfgFile(cfg, LayoutOf(header));
    CfgFileHeader h2;
    TCfgRec cfg2;
    if (ParseCfgHeader(once, h2) != 0)
        __builtin_trap();
    cfg2.CfgId = h2.cfgId;
    cfg2.NewStyle = h2.newStyle ? 1 : 0;
    if (ParseCfgBody(once, h2, cfg2, nullptr) != 0 || BuildCfgFile(cfg2, LayoutOf(h2)) != once)
        __builtin_trap();
    return 0;
}
