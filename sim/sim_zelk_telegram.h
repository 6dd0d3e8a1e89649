#pragma once

// The binary telegram as the inverter side builds and reads it: byte 0 the
// request number in one nibble, byte 1 service (bits 0-5), write (bit 6)
// and answer (bit 7), the payload big-endian, then (answers) the status,
// and an XOR check byte over everything before it.

#include "sim/sim_data.h"

#include <QByteArray>

#include <optional>

namespace qelsim::zelk {

// The length table entry for a telegram kind and service: 0 no telegram,
// below 256 the length, else the value of byte (entry / 256) plus
// (entry % 256).
int lengthEntry(bool isAnswer, bool isWrite, int service);

// Length of the telegram at the start of `bytes`: 0 when the service has
// no telegram, -1 when more bytes are needed to tell.
int telegramLength(const QByteArray& bytes);

uint8_t checkByte(const QByteArray& bytes, int count);

struct Telegram {
    QByteArray raw;
    int number = 0;          // request number 1..15
    bool highNibble = true;  // the number sits in the high nibble
    bool isAnswer = false;
    bool isWrite = false;
    int service = 0;
    int status = 0;          // answers only
    bool checkOk = true;
    bool lengthOk = true;
    SimData data;            // fields at their data-area positions
};

// Decodes one whole telegram (requests by the request layouts, answers by
// the answer layouts).
Telegram decode(const QByteArray& raw);

// Builds a request or an answer; an empty result when the service has no
// layout in that direction. Text fields carry all their characters.
QByteArray buildRequest(int service, bool isWrite, int number, bool highNibble, const SimData& data);
QByteArray buildAnswer(int service, bool isWrite, int number, bool highNibble, int status, const SimData& data);

// Cuts telegrams out of a byte stream.
class StreamReader {
public:
    void append(const QByteArray& bytes) { buf_.append(bytes); }
    // The next whole telegram; none while one is incomplete. A service
    // without telegram (or an impossible length) drops what was received.
    std::optional<QByteArray> next();
    int pending() const { return int(buf_.size()); }
    void clear() { buf_.clear(); }

private:
    QByteArray buf_;
};

} // namespace qelsim::zelk
