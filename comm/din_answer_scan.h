#pragma once

// Finding the answer to the outstanding DIN 66019 II request in a receive
// buffer: the acknowledge, data and refusal checks in their fixed order,
// skipping old and foreign answers. Shared by the drivers that carry
// DIN 66019 II frames (serial line and IP); each says what it expects.

#include "comm/tel_records.h"

#include <cstdint>

namespace DinAnswerScan {

struct TParams {
    bool WantAck = false;      // an acknowledge answers the request
    int AckId = 0;             // request number for the acknowledge and refusal checks
    int ReqId = 0;             // request number for the data check
    int Service = 0;           // pending service
    bool IsRead = false;
    uint16_t ExpectedParAdr = 0; // service -1 reads: the parameter asked for
    // The own frame as a two-wire line echoes it: removed where it leads
    // the buffer, once per frame (an answer can equal the frame byte for
    // byte, services 48 and 49). *EchoPending is cleared once it is out;
    // the caller sets it when it sends a frame. None on lines without echo.
    const uint8_t* Echo = nullptr;
    int EchoLen = 0;
    bool* EchoPending = nullptr;
};

enum class TOutcome {
    None,      // nothing conclusive yet (what is left may still grow into an answer)
    Success,   // acknowledge or data frame (decoded into Data)
    Malformed, // -300
    Checksum,  // -11
    Refused,   // the inverter's error number is in ErrorNumber
};

// Works on the first Count bytes of Buffer and removes what it consumed.
TOutcome Scan(uint8_t* Buffer, int& Count, const TParams& P, TTelData& Data, int& ErrorNumber);

// Appends Len received bytes to a receive buffer of Size bytes that holds
// Count. A buffer that overflows keeps the newest bytes: noise that holds
// no frame end is never scanned away, and once it has filled the buffer,
// the answer behind it must still arrive whole (a buffer that wrapped or
// stopped taking bytes would cut or drop it, and the request would wait
// for its time-out).
void Append(uint8_t* Buffer, int& Count, int Size, const uint8_t* Bytes, int Len);

} // namespace DinAnswerScan
