#include "sim/sim_zelk_telegram.h"

#include <vector>

namespace qelsim::zelk {

namespace {

// Length tables: answers to reads, answers to writes, read requests, write
// requests. b(k, m): byte k of the telegram plus m.
constexpr int b(int k, int m) { return k * 256 + m; }

struct Row {
    int service, ansRead, ansWrite, reqRead, reqWrite;
};
constexpr Row kLengths[] = {
    {0, 8, 4, 6, 10},         {1, 8, 4, 6, 10},         {2, 12, 4, 5, 13},
    {3, 8, 4, 5, 9},          {4, 12, 4, 5, 13},        {5, 12, 4, 5, 13},
    {6, b(2, 5), 4, 6, b(5, 7)}, {7, 12, 4, 5, 13},     {8, 14, 4, 8, 18},
    {9, b(7, 10), 4, 8, b(12, 14)}, {10, 12, 4, 5, 13}, {11, b(2, 5), 4, 6, b(5, 7)},
    {12, b(7, 10), 4, 7, b(11, 13)}, {16, 12, 4, 3, 11}, {17, 12, 4, 3, 11},
    {18, 18, 4, 3, 17},       {32, 4, 4, 6, 6},         {33, 4, 4, 6, 6},
    {48, 12, 12, 11, 11},     {49, 12, 12, 11, 11},     {50, 16, 16, 17, 17},
};

// Field layouts.
enum Kind { U8, U16, U32, Text, Chars5, Zero };
struct Field {
    Kind kind;
    int pos;
};
using Layout = std::vector<Field>;

// Request layouts; byte 2 of services 1 and 33 is the wire set byte as
// received (0 actual set, 1 indirect).
std::optional<Layout> requestLayout(int service, bool isWrite)
{
    if (!isWrite) {
        switch (service) {
        case 0: case 1: case 32: case 33: case 6: case 11: return Layout{{U16, 0}, {U8, 2}};
        case 2: case 3: case 4: case 5: case 7: case 10: return Layout{{U16, 0}};
        case 8: return Layout{{U16, 2}, {U16, 4}, {U8, 0}};
        case 9: return Layout{{U16, 2}, {U8, 4}, {U8, 5}, {U8, 0}};
        case 12: return Layout{{U16, 0}, {U8, 2}, {U8, 3}};
        case 16: case 17: case 18: return Layout{};
        case 48: return Layout{{U32, 0}, {U32, 4}};
        case 49: return Layout{{U16, 0}, {U16, 2}, {U16, 4}, {U16, 6}};
        case 50: return Layout{{U32, 0}, {U16, 4}, {U16, 6}, {U16, 8}, {U32, 12}};
        default: return std::nullopt;
        }
    }
    switch (service) {
    case 0: case 1: return Layout{{U16, 0}, {U32, 4}, {U8, 2}};
    case 2: case 4: return Layout{{U16, 0}, {U32, 4}, {U32, 8}};
    case 3: return Layout{{U16, 0}, {U32, 4}};
    case 5: case 7: return Layout{{U16, 0}, {U16, 2}, {U16, 4}, {U16, 6}, {U16, 8}};
    case 6: case 11: return Layout{{U16, 0}, {U8, 2}, {Text, 3}};
    case 8: return Layout{{U16, 2}, {U16, 4}, {U8, 0}, {U8, 12}, {U32, 8}, {Chars5, 13}};
    case 9: return Layout{{U16, 2}, {Zero, 4}, {U8, 5}, {U8, 0}, {U8, 12}, {U32, 8}, {Text, 13}};
    case 10: return Layout{{U16, 0}, {U8, 2}, {U8, 4}, {U8, 5}, {U8, 6}, {U16, 8}, {U8, 10}, {U8, 11}};
    case 12: return Layout{{U16, 0}, {U8, 2}, {U8, 3}, {U32, 4}, {U8, 8}, {Text, 9}};
    case 16: case 48: return Layout{{U32, 0}, {U32, 4}};
    case 17: case 49: return Layout{{U16, 0}, {U16, 2}, {U16, 4}, {U16, 6}};
    case 18: return Layout{{U16, 0}, {U32, 4}, {U32, 8}, {U16, 12}, {U16, 14}};
    case 32: case 33: return Layout{{U16, 0}, {U8, 2}};
    case 50: return Layout{{U32, 0}, {U16, 4}, {U16, 6}, {U16, 8}, {U32, 12}};
    default: return std::nullopt;
    }
}

std::optional<Layout> answerLayout(int service, bool isWrite)
{
    if (isWrite) {
        if (service == 48 || service == 49 || service == 50)
            return answerLayout(service, false);
        if (lengthEntry(true, true, service) == 0)
            return std::nullopt;
        return Layout{};
    }
    switch (service) {
    case 0: case 1: case 3: return Layout{{U32, 4}};
    case 2: case 4: return Layout{{U32, 4}, {U32, 8}};
    case 5: case 7: return Layout{{U16, 2}, {U16, 4}, {U16, 6}, {U16, 8}};
    case 6: case 11: return Layout{{Text, 3}};
    case 8: return Layout{{U32, 8}, {U8, 12}, {Chars5, 13}};
    case 9: return Layout{{U32, 8}, {U8, 12}, {Text, 13}};
    case 10: return Layout{{U8, 2}, {U8, 4}, {U8, 5}, {U8, 6}, {U16, 8}, {U8, 10}, {U8, 11}};
    case 12: return Layout{{U32, 4}, {U8, 8}, {Text, 9}};
    case 16: case 48: return Layout{{U32, 0}, {U32, 4}};
    case 17: case 49: return Layout{{U16, 0}, {U16, 2}, {U16, 4}, {U16, 6}};
    case 18: return Layout{{U16, 0}, {U32, 4}, {U32, 8}, {U16, 12}, {U16, 14}};
    case 32: case 33: return Layout{};
    case 50: return Layout{{U32, 0}, {U16, 4}, {U16, 6}, {U32, 12}};
    default: return std::nullopt;
    }
}

void encode(QByteArray& out, const Layout& layout, const SimData& d)
{
    for (const Field& f : layout) {
        switch (f.kind) {
        case U8: out += char(d.u8(f.pos)); break;
        case Zero: out += char(0); break;
        case U16: out += char(d.u16(f.pos) >> 8); out += char(d.u16(f.pos)); break;
        case U32:
            for (int s = 24; s >= 0; s -= 8)
                out += char(d.u32(f.pos) >> s);
            break;
        case Text: {
            const QByteArray t = d.text(f.pos);
            out += char(t.size());
            out += t;
            break;
        }
        case Chars5:
            for (int i = 1; i <= 5; ++i)
                out += char(d.u8(f.pos + i));
            break;
        }
    }
}

// Returns false when the telegram is too short for the layout.
bool decodeFields(const QByteArray& raw, int from, int end, const Layout& layout, SimData& d)
{
    int p = from;
    auto byte = [&](int i) { return uint8_t(raw[i]); };
    for (const Field& f : layout) {
        switch (f.kind) {
        case U8:
        case Zero:
            if (p + 1 > end)
                return false;
            if (f.kind == U8)
                d.setU8(f.pos, byte(p));
            p += 1;
            break;
        case U16:
            if (p + 2 > end)
                return false;
            d.setU16(f.pos, uint16_t(byte(p) << 8 | byte(p + 1)));
            p += 2;
            break;
        case U32:
            if (p + 4 > end)
                return false;
            d.setU32(f.pos, uint32_t(byte(p)) << 24 | uint32_t(byte(p + 1)) << 16 | uint32_t(byte(p + 2)) << 8
                                | byte(p + 3));
            p += 4;
            break;
        case Text: {
            if (p + 1 > end)
                return false;
            const int len = byte(p);
            if (p + 1 + len > end)
                return false;
            d.setText(f.pos, raw.mid(p + 1, len));
            p += 1 + len;
            break;
        }
        case Chars5:
            if (p + 5 > end)
                return false;
            d.setText(f.pos, raw.mid(p, 5), 5);
            p += 5;
            break;
        }
    }
    return p == end;
}

QByteArray finish(QByteArray t)
{
    t += char(checkByte(t, int(t.size())));
    return t;
}

char numberByte(int number, bool high)
{
    return char(high ? (number & 0xF) << 4 : number & 0xF);
}

} // namespace

int lengthEntry(bool isAnswer, bool isWrite, int service)
{
    for (const Row& r : kLengths)
        if (r.service == service)
            return isAnswer ? (isWrite ? r.ansWrite : r.ansRead) : (isWrite ? r.reqWrite : r.reqRead);
    return 0;
}

int telegramLength(const QByteArray& bytes)
{
    if (bytes.size() < 2)
        return -1;
    const uint8_t b1 = uint8_t(bytes[1]);
    const int entry = lengthEntry(b1 & 0x80, b1 & 0x40, b1 & 0x3F);
    if (entry < 256)
        return entry;
    const int k = entry / 256;
    if (bytes.size() <= k)
        return -1;
    return uint8_t(bytes[k]) + entry % 256;
}

uint8_t checkByte(const QByteArray& bytes, int count)
{
    uint8_t x = 0;
    for (int i = 0; i < count && i < bytes.size(); ++i)
        x ^= uint8_t(bytes[i]);
    return x;
}

Telegram decode(const QByteArray& raw)
{
    Telegram t;
    t.raw = raw;
    if (raw.size() < 3) {
        t.lengthOk = false;
        return t;
    }
    const uint8_t b0 = uint8_t(raw[0]);
    const uint8_t b1 = uint8_t(raw[1]);
    t.highNibble = (b0 >> 4) != 0;
    t.number = t.highNibble ? b0 >> 4 : b0 & 0xF;
    t.isAnswer = b1 & 0x80;
    t.isWrite = b1 & 0x40;
    t.service = b1 & 0x3F;
    t.lengthOk = telegramLength(raw) == raw.size();
    t.checkOk = checkByte(raw, int(raw.size()) - 1) == uint8_t(raw[raw.size() - 1]);
    const auto layout = t.isAnswer ? answerLayout(t.service, t.isWrite) : requestLayout(t.service, t.isWrite);
    if (!layout) {
        t.lengthOk = false;
        return t;
    }
    const int end = int(raw.size()) - 1 - (t.isAnswer ? 1 : 0);
    if (t.isAnswer && end >= 2)
        t.status = uint8_t(raw[end]);
    if (!decodeFields(raw, 2, end, *layout, t.data))
        t.lengthOk = false;
    return t;
}

QByteArray buildRequest(int service, bool isWrite, int number, bool highNibble, const SimData& data)
{
    const auto layout = requestLayout(service, isWrite);
    if (!layout)
        return {};
    QByteArray t;
    t += numberByte(number, highNibble);
    t += char(service | (isWrite ? 0x40 : 0));
    encode(t, *layout, data);
    return finish(t);
}

QByteArray buildAnswer(int service, bool isWrite, int number, bool highNibble, int status, const SimData& data)
{
    const auto layout = answerLayout(service, isWrite);
    if (!layout)
        return {};
    QByteArray t;
    t += numberByte(number, highNibble);
    t += char(service | 0x80 | (isWrite ? 0x40 : 0));
    // A refused read keeps the telegram's length, with empty texts.
    SimData d = data;
    if (status != 0) {
        d = SimData{};
    }
    encode(t, *layout, d);
    t += char(status);
    return finish(t);
}

std::optional<QByteArray> StreamReader::next()
{
    const int n = telegramLength(buf_);
    if (n < 0)
        return std::nullopt;
    if (n == 0 || n > 64) {
        buf_.clear();
        return std::nullopt;
    }
    if (buf_.size() < n)
        return std::nullopt;
    QByteArray t = buf_.left(n);
    buf_.remove(0, n);
    return t;
}

} // namespace qelsim::zelk
