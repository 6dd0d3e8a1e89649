#pragma once

// DIN 66019 II as the inverter side sees it: request frames cut out of the
// received byte stream and decoded, and answer frames built from a reply.

#include "sim/sim_data.h"

#include <QByteArray>

#include <optional>

namespace qelsim::din {

constexpr char EOT = 0x04, ENQ = 0x05, STX = 0x02, ETX = 0x03, ACK = 0x06, NAK = 0x15;

// One request frame as received.
struct Frame {
    QByteArray raw;          // the bytes of the frame, address part included
    bool hasAddress = false; // EOT and two hex digits came first
    int address = -1;
    SimRequest req;          // service, direction, request number, fields
    char digit = 0;          // the number digit as received; 0 when none
    bool checkOk = true;     // block check right (or none needed)
    bool layoutOk = true;    // payload length and hex digits right
    bool known = true;       // service and direction have a layout
    bool isPoll() const { return req.service == -2; }
};

// Cuts request frames out of a byte stream. Bytes that belong to no frame
// are dropped.
class RequestParser {
public:
    void append(const QByteArray& bytes) { buf_.append(bytes); }
    std::optional<Frame> next();
    void clear() { buf_.clear(); }
    int pending() const { return int(buf_.size()); }

private:
    QByteArray buf_;
};

// Block check: XOR of `bytes`, 0x20 added when below 0x20.
char blockCheck(const QByteArray& bytes);

char hexDigit(int nibble);
QByteArray hex(uint32_t value, int digits);

// Whether the answer to a successful request is a bare acknowledge.
bool answersWithAck(int service, bool isWrite);

// The inverter's answer frame: acknowledge, refusal (status 1..15) or data
// frame. `digit` is the request's number digit (0 when it had none).
QByteArray answer(int service, bool isWrite, char digit, const SimReply& reply);

// Payload of a data answer (between the number digit and ETX).
QByteArray answerPayload(int service, const SimData& d);

} // namespace qelsim::din
