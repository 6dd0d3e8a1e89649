#pragma once

// DIN 66019 II character frames: building a request frame and finding and
// decoding the inverter's answer in a receive buffer. Stateless; shared by
// the serial DIN 66019 II driver and the IP driver (both reach it through
// the static members of tCustomQelProt).

#include "comm/tel_records.h"

#include <cstdint>

namespace DinCodec {

inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;
inline constexpr uint8_t EOT = 0x04;
inline constexpr uint8_t ENQ = 0x05;
inline constexpr uint8_t ACK = 0x06;
inline constexpr uint8_t NAK = 0x15;

// The longest request frame; drivers give a buffer of at least MinTelBuffer.
inline constexpr int MaxTelLen = 24;
inline constexpr int MinTelBuffer = 51;

// Hex digits: a nibble as '0'..'9', 'A'..'F'.
char NibbleToHex(int nibble);
// Reads one digit as code - 0x30, minus 7 more when above 15; unchecked,
// so a stray character yields a value outside 0..15 (or below 0).
int HexDigitValue(uint8_t c);
uint8_t Hex2ToByte(const uint8_t* p);
uint16_t Hex4ToWord(const uint8_t* p);
uint32_t Hex8ToLong(const uint8_t* p);
void ByteToHex2(uint8_t v, uint8_t* out);
void WordToHex4(uint16_t v, uint8_t* out);
void LongToHex8(uint32_t v, uint8_t* out);

// Block check of a request frame of `len` bytes: XOR from the byte after
// STX (or, without STX, from the service letter: the first character above
// 'F' within the first 21) up to and including the first ETX or ENQ, at
// most 51 bytes; below 0x20 adds 0x20. Returns -1 when there is no start or
// no end within the frame.
int RequestBcc(const uint8_t* frame, int len);
// Block check of an answer: XOR of the bytes from `from` (the byte after
// STX) up to and including the ETX at `etx`; below 0x20 adds 0x20.
uint8_t AnswerBcc(const uint8_t* buf, int from, int etx);

// Builds the request frame into Buffer (at least MaxTelLen bytes).
// Addr -1 leaves the address part out. Returns the frame length, or -104
// when the service, or the service in this direction, is refused.
int AnsiBuildTel(int Service, int ReqId, int Addr, const TTelData& Data, bool IsWrite, uint8_t* Buffer);

// The three answer checks. Each works on the first Count bytes of Buffer;
// when it finds what it looks for (result other than 0) it removes the
// bytes it consumed from the front and updates Count.
//
// Acknowledge: 0 none, 1 for request Id, 2 for another request.
int AnsiCheckAck(uint8_t* Buffer, int& Count, int Id);
// Refusal: 0 none, 1 for request Id (ErrorNumber 1..15), 2 for another
// request, -2 malformed refusal.
int AnsiCheckNak(uint8_t* Buffer, int& Count, int& ErrorNumber, int Id);
// Data frame: 0 no complete frame, 1 decoded into Data, 2 a frame of another
// service or request, -1 block check wrong, -2 malformed.
int AnsiCheckData(uint8_t* Buffer, int& Count, int Id, TTelData& Data, int Service);

// Decodes the answer payload (the bytes between the service letter and
// number digit, or STX for service -1, and ETX) into Data. 0 decoded, -1 a
// service without answer payload, -2 the payload does not fit the service
// (too short, or a text longer than its frame). Nothing is stored unless 0.
int AnsiDecodeData(int Service, TTelData& Data, const uint8_t* payload, int len);

} // namespace DinCodec
