#include "comm/din_answer_scan.h"

#include "comm/din_codec.h"

#include <algorithm>
#include <cstring>

namespace DinAnswerScan {

TOutcome Scan(uint8_t* Buffer, int& Count, const TParams& P, TTelData& Data, int& ErrorNumber)
{
    while (Count > 0) {
        if (P.Echo && P.EchoLen > 0 && P.EchoPending && *P.EchoPending && Count >= P.EchoLen
            && std::memcmp(Buffer, P.Echo, static_cast<size_t>(P.EchoLen)) == 0) {
            std::memmove(Buffer, Buffer + P.EchoLen, static_cast<size_t>(Count - P.EchoLen));
            Count -= P.EchoLen;
            *P.EchoPending = false;
            continue;
        }
        if (P.WantAck) {
            const int r = DinCodec::AnsiCheckAck(Buffer, Count, P.AckId);
            if (r == 1)
                return TOutcome::Success;
            if (r == 2)
                continue; // an old or foreign acknowledge, removed
        }
        int r = DinCodec::AnsiCheckData(Buffer, Count, P.ReqId, Data, P.Service);
        if (r == 1) {
            // Service -1 names no request number: an answer for another
            // parameter is an old one.
            if (P.IsRead && P.Service == QelService::Plain && Data.ParAdr != P.ExpectedParAdr)
                continue;
            return TOutcome::Success;
        }
        if (r == 2)
            continue;
        if (r == -2)
            return TOutcome::Malformed;
        if (r == -1)
            return TOutcome::Checksum;
        r = DinCodec::AnsiCheckNak(Buffer, Count, ErrorNumber, P.AckId);
        if (r == 1)
            return TOutcome::Refused;
        if (r == 2)
            continue;
        if (r == -2)
            return TOutcome::Malformed;
        break; // nothing (yet)
    }
    return TOutcome::None;
}

void Append(uint8_t* Buffer, int& Count, int Size, const uint8_t* Bytes, int Len)
{
    if (Len <= 0 || Size <= 0)
        return;
    if (Len >= Size) {
        std::memcpy(Buffer, Bytes + (Len - Size), static_cast<size_t>(Size));
        Count = Size;
        return;
    }
    const int drop = std::max(0, Count + Len - Size);
    if (drop > 0) {
        std::memmove(Buffer, Buffer + drop, static_cast<size_t>(Count - drop));
        Count -= drop;
    }
    std::memcpy(Buffer + Count, Bytes, static_cast<size_t>(Len));
    Count += Len;
}

} // namespace DinAnswerScan
