#include "comm/din_answer_scan.h"

#include "comm/din_codec.h"

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

} // namespace DinAnswerScan
