// The DIN 66019 II answer scan and its decoders on whatever a line delivers.
// The first four bytes choose the outstanding request (service, request
// numbers, acknowledge wanted, echo of the own frame); the rest is the
// receive buffer, in an allocation of exactly its size so that a read past
// what arrived is caught.

#include "comm/din_answer_scan.h"
#include "comm/din_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const uint8_t flags = data[0];
    const int service = int(data[1] % 70) - 2; // -2 .. 67: every service and beyond
    const int reqId = data[2] & 0x0F;
    const int ackId = data[2] >> 4;
    data += 4;
    size -= 4;
    const int count = int(std::min<size_t>(size, 120)); // the driver's receive ring

    // The own frame as the driver would have sent it, for the echo check.
    TTelData req;
    req.ParAdr = uint16_t(data[-1] * 0x0101);
    uint8_t frame[DinCodec::MaxTelLen + 8] = {};
    const int frameLen = DinCodec::AnsiBuildTel(service, reqId, (flags & 8) ? -1 : 1, req, (flags & 16) != 0, frame);

    DinAnswerScan::TParams p;
    p.WantAck = (flags & 1) != 0;
    p.IsRead = (flags & 2) != 0;
    p.AckId = ackId;
    p.ReqId = reqId;
    p.Service = service;
    p.ExpectedParAdr = req.ParAdr;
    bool echoPending = true;
    if ((flags & 4) && frameLen > 0) {
        p.Echo = frame;
        p.EchoLen = frameLen;
        p.EchoPending = &echoPending;
    }

    // Byte by byte as the ring fills, then the whole buffer at once.
    std::unique_ptr<uint8_t[]> ring(new uint8_t[size_t(count) + 1]);
    int ringPos = 0;
    for (int i = 0; i < count; ++i) {
        ring[size_t(ringPos++)] = data[i];
        TTelData out;
        int error = 0;
        const auto outcome = DinAnswerScan::Scan(ring.get(), ringPos, p, out, error);
        if (ringPos < 0 || ringPos > count)
            __builtin_trap();
        if (outcome != DinAnswerScan::TOutcome::None)
            ringPos = 0;
    }
    {
        std::unique_ptr<uint8_t[]> whole(new uint8_t[size_t(count) + 1]);
        std::memcpy(whole.get(), data, size_t(count));
        int n = count;
        TTelData out;
        int error = 0;
        DinAnswerScan::Scan(whole.get(), n, p, out, error);
    }

    // The payload decoder and the request block check on their own.
    {
        std::unique_ptr<uint8_t[]> payload(new uint8_t[size ? size : 1]);
        std::memcpy(payload.get(), data, size);
        TTelData out;
        DinCodec::AnsiDecodeData(service, out, payload.get(), int(size));
        DinCodec::RequestBcc(payload.get(), int(size));
    }
    return 0;
}
