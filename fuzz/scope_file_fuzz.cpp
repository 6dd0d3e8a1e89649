// The scope recording reader on arbitrary bytes: the whole-file parser and
// the configuration-number reader must never read outside the input.

#include "scope/scope_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TScopeFileImage img;
    const TScopeFileResult r = ParseScopeFile(bytes, img);
    if ((r == sfOk || r == sfShortData) && (img.Samples.empty() || img.Samples.size() > size_t(kScopeRingSize)))
        __builtin_trap();
    int a = 0, b = 0, c = 0, d = 0;
    ReadScopeFileCfgIds(bytes, a, b, c, d);
    return 0;
}
