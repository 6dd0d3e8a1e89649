#pragma once

// The 72-byte data area that travels with every simulated request and
// answer, with the same byte positions the system's drivers use: parameter
// address at 0, set byte at 2, value at 4 and so on, little-endian.
// The simulator keeps its own definition so that it shares no code with
// the product's codecs.

#include <QByteArray>

#include <array>
#include <cstdint>

namespace qelsim {

struct SimData {
    std::array<uint8_t, 72> b{};

    uint8_t u8(int pos) const { return b[pos]; }
    uint16_t u16(int pos) const { return uint16_t(b[pos] | (b[pos + 1] << 8)); }
    int16_t i16(int pos) const { return int16_t(u16(pos)); }
    uint32_t u32(int pos) const
    {
        return uint32_t(b[pos]) | (uint32_t(b[pos + 1]) << 8) | (uint32_t(b[pos + 2]) << 16)
            | (uint32_t(b[pos + 3]) << 24);
    }
    int32_t i32(int pos) const { return int32_t(u32(pos)); }

    void setU8(int pos, uint8_t v) { b[pos] = v; }
    void setU16(int pos, uint16_t v)
    {
        b[pos] = uint8_t(v);
        b[pos + 1] = uint8_t(v >> 8);
    }
    void setU32(int pos, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[pos + i] = uint8_t(v >> (8 * i));
    }
    void setI32(int pos, int32_t v) { setU32(pos, uint32_t(v)); }

    // A text field: length byte at `pos`, characters after it, at most
    // `maxLen` characters (24 on the wire).
    void setText(int pos, const QByteArray& text, int maxLen = 24);
    QByteArray text(int pos, int maxLen = 24) const;

    bool operator==(const SimData&) const = default;
};

// Error numbers the simulated inverters send. The protocols carry 1 to 15;
// which number means what is the inverter's own choice.
enum SimError : int {
    ErrGarbled = 1,       // request with a wrong check or a broken layout
    ErrNotAvailable = 2,  // no such parameter, group or plain text
    ErrLimits = 3,        // value outside the parameter's limits
    ErrReadOnly = 4,      // not writable over the bus
    ErrBusy = 6,          // busy: the master repeats (only sent as a fault)
    ErrService = 7,       // service not supported
    ErrSet = 8,           // parameter set not available
};

// One request as the inverter sees it after the frame was decoded.
struct SimRequest {
    int address = 0;    // inverter address (DIN: from the address part)
    int service = 0;    // -2 poll, -1 plain access, 0..63
    bool isWrite = false;
    int reqId = 0;      // request number from the frame, 0 when none
    SimData data;       // request fields at their data-area positions;
                        // byte 2 of services 1 and 33 holds the wire value
                        // (0 actual set, 1 indirect)
};

// The parameter address a request names (services -1, 0, 1, 32, 33), -1
// for any other service.
inline int parameterOf(const SimRequest& req)
{
    const int s = req.service;
    return (s == -1 || s == 0 || s == 1 || s == 32 || s == 33) ? int(req.data.u16(0)) : -1;
}

// The inverter's reply: status 0 or an error number, answer fields at
// their data-area positions.
struct SimReply {
    int status = 0;
    SimData data;
};

// Windows-1252 text <-> bytes, for names taken from readable sources.
QByteArray toWireText(const QString& text);
QString fromWireText(const QByteArray& bytes);

} // namespace qelsim
