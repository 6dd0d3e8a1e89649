#include "sim/sim_din_frames.h"

namespace qelsim::din {

char hexDigit(int nibble)
{
    nibble &= 0xF;
    return char(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

QByteArray hex(uint32_t value, int digits)
{
    QByteArray out(digits, '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[i] = hexDigit(int(value & 0xF));
    return out;
}

char blockCheck(const QByteArray& bytes)
{
    uint8_t x = 0;
    for (char c : bytes)
        x ^= uint8_t(c);
    if (x < 0x20)
        x += 0x20;
    return char(x);
}

bool answersWithAck(int service, bool isWrite)
{
    if (isWrite)
        return service == -1 || service == 0 || service == 1 || service == 16 || service == 17 || service == 32
            || service == 33;
    return service == -2 || service == 32 || service == 33;
}

namespace {

// Reads hex fields from a payload; any character that is not 0-9 or A-F
// marks the payload as broken.
struct HexReader {
    const QByteArray& p;
    int pos = 0;
    bool ok = true;
    uint32_t take(int digits)
    {
        uint32_t v = 0;
        for (int i = 0; i < digits; ++i) {
            if (pos >= p.size()) {
                ok = false;
                return 0;
            }
            const char c = p[pos++];
            int n;
            if (c >= '0' && c <= '9')
                n = c - '0';
            else if (c >= 'A' && c <= 'F')
                n = c - 'A' + 10;
            else {
                ok = false;
                n = 0;
            }
            v = (v << 4) | uint32_t(n);
        }
        return v;
    }
};

// Request payload length for a service and direction; -1 when the
// combination has no layout.
int requestLength(int service, bool isWrite)
{
    if (isWrite) {
        switch (service) {
        case -1: return 8;
        case 0: case 1: return 14;
        case 16: case 17: case 48: case 49: return 16;
        case 32: case 33: return 6;
        default: return -1;
        }
    }
    switch (service) {
    case -1: return 4;
    case 0: case 1: case 32: case 33: return 6;
    case 2: case 3: case 4: case 5: case 7: case 10: return 4;
    case 6: case 11: return 5;
    case 8: case 9: return 9;
    case 12: return 7;
    case 16: case 17: case 18: return 0;
    default: return -1;
    }
}

void decodePayload(Frame& f, const QByteArray& payload)
{
    SimRequest& r = f.req;
    const int len = requestLength(r.service, r.isWrite);
    if (len < 0) {
        f.known = false;
        return;
    }
    if (payload.size() != len) {
        f.layoutOk = false;
        return;
    }
    HexReader h{payload};
    SimData& d = r.data;
    switch (r.service) {
    case -1:
        d.setU16(0, uint16_t(h.take(4)));
        if (r.isWrite)
            d.setU16(2, uint16_t(h.take(4)));
        break;
    case 0:
    case 1:
        d.setU16(0, uint16_t(h.take(4)));
        if (r.isWrite)
            d.setU32(4, h.take(8));
        d.setU8(2, uint8_t(h.take(2)));
        break;
    case 32:
    case 33:
        d.setU16(0, uint16_t(h.take(4)));
        d.setU8(2, uint8_t(h.take(2)));
        break;
    case 2: case 3: case 4: case 5: case 7: case 10:
        d.setU16(0, uint16_t(h.take(4)));
        break;
    case 6:
    case 11:
        d.setU16(0, uint16_t(h.take(4)));
        d.setU8(2, uint8_t(h.take(1)));
        break;
    case 8:
        d.setU16(2, uint16_t(h.take(4)));
        d.setU16(4, uint16_t(h.take(4)));
        d.setU8(0, uint8_t(h.take(1)));
        break;
    case 9:
        d.setU16(2, uint16_t(h.take(4)));
        d.setU8(4, uint8_t(h.take(2)));
        d.setU8(5, uint8_t(h.take(2)));
        d.setU8(0, uint8_t(h.take(1)));
        break;
    case 12:
        d.setU16(0, uint16_t(h.take(4)));
        d.setU8(2, uint8_t(h.take(2)));
        d.setU8(3, uint8_t(h.take(1)));
        break;
    case 16:
    case 48:
        if (r.isWrite) {
            d.setU32(0, h.take(8));
            d.setU32(4, h.take(8));
        }
        break;
    case 17:
    case 49:
        if (r.isWrite)
            for (int i = 0; i < 4; ++i)
                d.setU16(2 * i, uint16_t(h.take(4)));
        break;
    default:
        break;
    }
    f.layoutOk = h.ok;
}

int digitValue(char c)
{
    int v = c - 0x30;
    if (v > 15)
        v -= 7;
    return v & 0xF;
}

} // namespace

std::optional<Frame> RequestParser::next()
{
    for (;;) {
        int t = -1;
        for (int i = 0; i < buf_.size(); ++i)
            if (buf_[i] == ENQ || buf_[i] == ETX) {
                t = i;
                break;
            }
        if (t < 0) {
            // Keep the tail of a frame that is still arriving; a stream of
            // bytes without any end is line noise.
            if (buf_.size() > 256)
                buf_.remove(0, buf_.size() - 64);
            return std::nullopt;
        }
        Frame f;
        int start = 0;
        int eot = -1;
        for (int i = t - 1; i >= 0; --i)
            if (buf_[i] == EOT) {
                eot = i;
                break;
            }
        if (eot >= 0 && eot + 2 < t) {
            f.hasAddress = true;
            HexReader h{buf_, eot + 1};
            f.address = int(h.take(2));
            start = eot + 3;
            if (!h.ok) {
                f.address = -1;
            }
        } else if (eot >= 0) {
            start = eot + 1;
        }
        const int frameStart = eot >= 0 ? eot : 0;

        if (buf_[t] == ENQ) {
            int letter = -1;
            for (int i = t - 1; i >= start; --i)
                if (uint8_t(buf_[i]) > 'F' && uint8_t(buf_[i]) < 0x80) {
                    letter = i;
                    break;
                }
            if (letter < 0) {
                f.req.isWrite = false;
                if (t == start) {
                    f.req.service = -2;
                } else {
                    f.req.service = -1;
                    // The four digits before ENQ; anything before them is noise.
                    decodePayload(f, buf_.mid(std::max(start, t - 4), std::min(4, t - start)));
                }
                f.raw = buf_.mid(frameStart, t + 1 - frameStart);
                buf_.remove(0, t + 1);
                return f;
            }
            if (t + 1 >= buf_.size())
                return std::nullopt; // block check still to come
            f.req.service = uint8_t(buf_[letter]) - 'G';
            f.req.isWrite = false;
            if (letter + 1 < t) {
                f.digit = buf_[letter + 1];
                f.req.reqId = digitValue(f.digit);
            }
            f.checkOk = blockCheck(buf_.mid(letter, t + 1 - letter)) == buf_[t + 1];
            decodePayload(f, buf_.mid(letter + 2, std::max(0, t - letter - 2)));
            f.raw = buf_.mid(frameStart, t + 2 - frameStart);
            buf_.remove(0, t + 2);
            return f;
        }

        // ETX: a write frame from the last STX.
        int stx = -1;
        for (int i = t - 1; i >= start; --i)
            if (buf_[i] == STX) {
                stx = i;
                break;
            }
        if (stx < 0) {
            buf_.remove(0, t + 1);
            continue;
        }
        if (t + 1 >= buf_.size())
            return std::nullopt;
        f.req.isWrite = true;
        f.checkOk = blockCheck(buf_.mid(stx + 1, t - stx)) == buf_[t + 1];
        const QByteArray body = buf_.mid(stx + 1, t - stx - 1);
        if (!body.isEmpty() && uint8_t(body[0]) > 'F') {
            f.req.service = uint8_t(body[0]) - 'G';
            if (body.size() > 1) {
                f.digit = body[1];
                f.req.reqId = digitValue(f.digit);
            }
            decodePayload(f, body.mid(2));
        } else {
            f.req.service = -1;
            decodePayload(f, body);
        }
        f.raw = buf_.mid(frameStart, t + 2 - frameStart);
        buf_.remove(0, t + 2);
        return f;
    }
}

QByteArray answerPayload(int service, const SimData& d)
{
    QByteArray p;
    auto text = [&](int pos) {
        const QByteArray t = d.text(pos);
        p += hex(uint32_t(t.size()), 2);
        p += t;
    };
    switch (service) {
    case -1:
        p += hex(d.u16(0), 4) + hex(d.u16(2), 4);
        break;
    case 0: case 1: case 3:
        p += hex(d.u32(4), 8);
        break;
    case 2: case 4:
        p += hex(d.u32(4), 8) + hex(d.u32(8), 8);
        break;
    case 5: case 7:
        for (int pos = 2; pos <= 8; pos += 2)
            p += hex(d.u16(pos), 4);
        break;
    case 6: case 11:
        text(3);
        break;
    case 8:
        p += hex(d.u32(8), 8) + hex(d.u8(12), 2);
        for (int i = 14; i <= 18; ++i)
            p += char(d.u8(i));
        break;
    case 9:
        p += hex(d.u32(8), 8) + hex(d.u8(12), 2);
        text(13);
        break;
    case 10:
        p += hex(d.u8(2), 2);
        p += char(d.u8(4));
        p += char(d.u8(5));
        p += char(d.u8(6));
        p += hex(d.u16(8), 4) + hex(d.u8(10), 2) + hex(d.u8(11), 2);
        break;
    case 12:
        p += hex(d.u32(4), 8) + hex(d.u8(8), 2);
        text(9);
        break;
    case 16: case 48:
        p += hex(d.u32(0), 8) + hex(d.u32(4), 8);
        break;
    case 17: case 49:
        for (int pos = 0; pos <= 6; pos += 2)
            p += hex(d.u16(pos), 4);
        break;
    case 18:
        p += hex(d.u16(0), 4) + hex(d.u32(4), 8) + hex(d.u32(8), 8) + hex(d.u16(12), 4) + hex(d.u16(14), 4);
        break;
    default:
        break;
    }
    return p;
}

QByteArray answer(int service, bool isWrite, char digit, const SimReply& reply)
{
    QByteArray out;
    if (reply.status != 0) {
        if (digit)
            out += digit;
        out += hexDigit(reply.status);
        out += NAK;
        return out;
    }
    if (answersWithAck(service, isWrite)) {
        if (digit)
            out += digit;
        out += ACK;
        return out;
    }
    QByteArray body;
    if (service >= 0) {
        body += char('G' + service);
        body += digit ? digit : '0';
    }
    body += answerPayload(service, reply.data);
    body += ETX;
    out += STX;
    out += body;
    out += blockCheck(body);
    return out;
}

} // namespace qelsim::din
