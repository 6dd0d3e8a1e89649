// The binary protocol's telegrams as a line or a card delivers them: the
// length from the first bytes (TelLength), the answer decoder and the
// payload decoder of every kind and service, on buffers of exactly the
// bytes that arrived.

#include "comm/bin_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>

using namespace BinCodec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int count = int(std::min<size_t>(size, 4 * TelBufferSize));
    std::unique_ptr<uint8_t[]> buf(new uint8_t[size_t(count) + 1]);
    std::memcpy(buf.get(), data, size_t(count));

    // A receiver growing its buffer byte by byte asks for the length each
    // time; the answer must stay within a legal telegram.
    for (int n = 0; n <= count; ++n) {
        const int len = TelLength(buf.get(), n);
        if (len > MaxTelLen || (len > 0 && len < 3) || (len < 0 && len != LenNeedMore && len != -300))
            __builtin_trap();
    }

    TRecTel rsp;
    BinDecodeTel(rsp, count, buf.get());

    if (count >= 2) {
        const TelKind kind = KindOf(buf[1]);
        for (int service : {-1, int(buf[1] & ServiceMask)}) {
            TTelData out;
            int32_t status = 0;
            DecodePayload(kind, service, buf.get(), count, out, status);
        }
    }
    return 0;
}
