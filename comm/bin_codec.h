#pragma once

// The maker's binary telegram, used on the Zelk line and carried inside the
// fieldbus messages of the card drivers:
//
//   byte 0      request number in one nibble (which one depends on the role)
//   byte 1      bits 0-5 service, bit 6 write, bit 7 answer
//   2 .. n-2    payload, multi-byte fields big-endian; answers end with the
//               status byte (0 success, 1..15 the inverter's error number)
//   n-1         XOR of bytes 0 .. n-2
//
// One table of field layouts per service and telegram kind drives both
// building and decoding; the four length tables tell a receiver how long a
// telegram is from its first bytes. Everything here is stateless.

#include "comm/tel_records.h"

#include <cstdint>

namespace BinCodec {

// The four kinds of telegram, each with its own layouts and length table.
enum class TelKind : int {
    ReadRsp = 0,  // answer to a read   (bit 7 set, bit 6 clear)
    WriteRsp = 1, // answer to a write  (bit 7 set, bit 6 set)
    ReadReq = 2,  // read request       (bit 7 clear, bit 6 clear)
    WriteReq = 3, // write request      (bit 7 clear, bit 6 set)
};

constexpr uint8_t AnswerBit = 0x80;
constexpr uint8_t WriteBit = 0x40;
constexpr uint8_t ServiceMask = 0x3F;

// The longest legal telegram: a write request of service 9 with a text of
// 24 characters. Anything longer is malformed.
constexpr int MaxTelLen = 38;
// Room every caller gives a builder, and the size of the drivers' telegram
// buffers.
constexpr int TelBufferSize = 40;

// Kind announced by byte 1 of a telegram.
constexpr TelKind KindOf(uint8_t byte1)
{
    const bool answer = (byte1 & AnswerBit) != 0;
    const bool write = (byte1 & WriteBit) != 0;
    return answer ? (write ? TelKind::WriteRsp : TelKind::ReadRsp)
                  : (write ? TelKind::WriteReq : TelKind::ReadReq);
}

// Length tables, 64 entries each, indexed by the service of byte 1: below
// 256 the length itself; 256 or more: the value of telegram byte
// (entry / 256) plus (entry % 256); 0: the service has no telegram.
extern const uint16_t (&LenReadRsp)[64];
extern const uint16_t (&LenWriteRsp)[64];
extern const uint16_t (&LenReadReq)[64];
extern const uint16_t (&LenWriteReq)[64];
const uint16_t* LengthTable(TelKind kind);

// Results of TelLength besides a length.
constexpr int LenNoTelegram = 0;  // the service has no telegram of this kind
constexpr int LenNeedMore = -1;   // byte 1 or the length byte has not arrived yet

// Length of the telegram at the start of `buf`, of which `count` bytes are
// there: the length (3 .. MaxTelLen), LenNoTelegram, LenNeedMore, or -300
// when a text length byte is over 24 (a corrupt length never makes a
// receiver wait for, read or check more than a legal telegram holds).
int TelLength(const uint8_t* buf, int count);

// Big-endian readers and the check byte.
constexpr uint8_t GetByte(const uint8_t* p) { return p[0]; }
constexpr uint16_t GetWordBE(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
constexpr uint32_t GetLongBE(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint8_t Xor(const uint8_t* buf, int count);

// Which services a builder accepts. The card drivers' builder leaves out
// the layouts only the Zelk line has (reads of 16, 17, 48, 49, 50 and the
// plain access -1, writes of 50 and -1).
enum class Dialect : int { Card, Zelk };

// Builds a telegram of `kind` into `Buffer` (TelBufferSize bytes): byte 0
// as given, byte 1 the service (-1 goes out as 1) with the kind's bits, the
// payload from `Data`, for answers the status byte `Status`, and the check
// byte. Texts are cut to 24 characters; all their characters are sent, so
// the telegram always has the length its table gives. Returns the length,
// or -104 when the service has no layout of this kind in the dialect.
int BuildTel(TelKind kind, int Service, uint8_t Byte0, const TTelData& Data, uint8_t Status,
             Dialect dialect, uint8_t* Buffer);

// Decodes the payload (and for answers the status) of a complete telegram
// of `count` bytes whose length and check byte are already known to be
// right, into the data-area positions of its service. `Service` may be -1
// for an answer of service 1 to a plain access: its status and the low 16
// bits of the value (telegram bytes 4-5) go to data bytes 2-3. A service
// without a decoding leaves `Data` and `Status` as they were. Returns
// false when the bytes are not enough for the layout.
bool DecodePayload(TelKind kind, int Service, const uint8_t* Buffer, int count, TTelData& Data,
                   int32_t& Status);

// The card drivers' request builder: request number in the high nibble.
// Returns the length, or -104 for a service or direction it does not build.
int BinBuildTel(int Service, int ReqId, const TTelData& Data, bool IsWrite, uint8_t* Buffer);

// Checks and decodes one complete answer of `Count` bytes. 0 success (or a
// wrong check byte: Status -11, nothing decoded), -104 not an answer, -300
// wrong length, including every length the tables cannot give (then Status
// is -300 too, so the record never reads as a success).
int BinDecodeTel(TRecTel& Rsp, int Count, const uint8_t* Buffer);

} // namespace BinCodec
