// The configuration index reader ("binfiles.lst"); what it read is written
// back and must read the same.

#include "config/bin_file_index.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TCfgFileList records = ParseCfgIndexFile(qelfuzz::bytes(data, size));
    const TCfgFileList again = ParseCfgIndexFile(BuildCfgIndexFile(records));
    if (again != records)
        __builtin_trap();
    return 0;
}
