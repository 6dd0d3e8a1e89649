#include "comm/bin_codec.h"

#include <algorithm>

namespace BinCodec {

namespace {

// b(k, m): the length is telegram byte k plus m.
constexpr uint16_t b(int k, int m) { return static_cast<uint16_t>(k * 256 + m); }

struct LengthRow {
    int services[2];
    uint16_t readRsp, writeRsp, readReq, writeReq;
};

constexpr LengthRow kLengthRows[] = {
    {{0, 1}, 8, 4, 6, 10},
    {{2, 2}, 12, 4, 5, 13},
    {{3, 3}, 8, 4, 5, 9},
    {{4, 5}, 12, 4, 5, 13},
    {{6, 11}, b(2, 5), 4, 6, b(5, 7)},
    {{7, 10}, 12, 4, 5, 13},
    {{8, 8}, 14, 4, 8, 18},
    {{9, 9}, b(7, 10), 4, 8, b(12, 14)},
    {{12, 12}, b(7, 10), 4, 7, b(11, 13)},
    {{16, 17}, 12, 4, 3, 11},
    {{18, 18}, 18, 4, 3, 17},
    {{32, 33}, 4, 4, 6, 6},
    {{48, 49}, 12, 12, 11, 11},
    {{50, 50}, 16, 16, 17, 17},
};

struct LengthTables {
    uint16_t t[4][64] = {};
};

constexpr LengthTables makeTables()
{
    LengthTables tables;
    for (const LengthRow& row : kLengthRows) {
        for (int s : row.services) {
            tables.t[0][s] = row.readRsp;
            tables.t[1][s] = row.writeRsp;
            tables.t[2][s] = row.readReq;
            tables.t[3][s] = row.writeReq;
        }
    }
    return tables;
}

constexpr LengthTables kTables = makeTables();

// ---------------------------------------------------------------- layouts

// One payload field: its kind and its position in the data area.
enum class F : uint8_t {
    U8,        // one byte
    U16,       // 16-bit, big-endian on the wire
    U32,       // 32-bit, big-endian on the wire
    SetSel,    // set addressing: 0 on the wire when the data byte is 1, else 1
    Zero,      // a 0 byte (no data position)
    One,       // a 1 byte (no data position)
    I16As32,   // the 16-bit data value sign-extended to 32 bits on the wire
    Low16Of32, // 32 bits on the wire whose low 16 go to the 16-bit data field
    ByteAs16,  // one byte on the wire, held in a 16-bit data field
    Text,      // length byte and that many characters (at most 24)
    Text5,     // five characters; the data area holds them as a text of length 5
};

struct Field {
    F kind;
    uint8_t pos;
};

constexpr int MaxFields = 8;

struct Layout {
    bool defined = false;
    bool zelkOnly = false;
    int count = 0;
    Field f[MaxFields] = {};
};

constexpr Layout L(std::initializer_list<Field> fields, bool zelkOnly = false)
{
    Layout l;
    l.defined = true;
    l.zelkOnly = zelkOnly;
    for (const Field& f : fields)
        l.f[l.count++] = f;
    return l;
}

constexpr Layout None{};
constexpr bool Zelk = true;

Layout readRequest(int s)
{
    switch (s) {
    case -1: return L({{F::U16, 0}, {F::One, 0}}, Zelk);
    case 0: case 32: return L({{F::U16, 0}, {F::U8, 2}});
    case 1: case 33: return L({{F::U16, 0}, {F::SetSel, 2}});
    case 2: case 3: case 4: case 5: case 7: case 10: return L({{F::U16, 0}});
    case 6: case 11: return L({{F::U16, 0}, {F::U8, 2}});
    case 8: return L({{F::U16, 2}, {F::U16, 4}, {F::U8, 0}});
    case 9: return L({{F::U16, 2}, {F::U8, 4}, {F::U8, 5}, {F::U8, 0}});
    case 12: return L({{F::U16, 0}, {F::U8, 2}, {F::U8, 3}});
    case 18: return L({});
    case 16: case 17: return L({}, Zelk);
    case 48: return L({{F::U32, 0}, {F::U32, 4}}, Zelk);
    case 49: return L({{F::U16, 0}, {F::U16, 2}, {F::U16, 4}, {F::U16, 6}}, Zelk);
    case 50: return L({{F::U32, 0}, {F::U16, 4}, {F::U16, 6}, {F::U16, 8}, {F::U32, 12}}, Zelk);
    default: return None;
    }
}

Layout writeRequest(int s)
{
    switch (s) {
    case -1: return L({{F::U16, 0}, {F::I16As32, 2}, {F::One, 0}}, Zelk);
    case 0: return L({{F::U16, 0}, {F::U32, 4}, {F::U8, 2}});
    case 1: return L({{F::U16, 0}, {F::U32, 4}, {F::SetSel, 2}});
    case 2: case 4: return L({{F::U16, 0}, {F::U32, 4}, {F::U32, 8}});
    case 3: return L({{F::U16, 0}, {F::U32, 4}});
    case 5: case 7: return L({{F::U16, 0}, {F::U16, 2}, {F::U16, 4}, {F::U16, 6}, {F::U16, 8}});
    case 6: case 11: return L({{F::U16, 0}, {F::U8, 2}, {F::Text, 3}});
    case 8:
        return L({{F::U16, 2}, {F::U16, 4}, {F::U8, 0}, {F::U8, 12}, {F::U32, 8}, {F::Text5, 13}});
    case 9:
        return L({{F::U16, 2}, {F::Zero, 0}, {F::U8, 5}, {F::U8, 0}, {F::U8, 12}, {F::U32, 8},
                  {F::Text, 13}});
    case 10:
        return L({{F::U16, 0}, {F::U8, 2}, {F::U8, 4}, {F::U8, 5}, {F::U8, 6}, {F::U16, 8},
                  {F::U8, 10}, {F::U8, 11}});
    case 12: return L({{F::U16, 0}, {F::U8, 2}, {F::U8, 3}, {F::U32, 4}, {F::U8, 8}, {F::Text, 9}});
    case 16: case 48: return L({{F::U32, 0}, {F::U32, 4}});
    case 17: case 49: return L({{F::U16, 0}, {F::U16, 2}, {F::U16, 4}, {F::U16, 6}});
    case 18: return L({{F::U16, 0}, {F::U32, 4}, {F::U32, 8}, {F::U16, 12}, {F::U16, 14}});
    case 32: return L({{F::U16, 0}, {F::U8, 2}});
    case 33: return L({{F::U16, 0}, {F::SetSel, 2}});
    case 50: return L({{F::U32, 0}, {F::U16, 4}, {F::U16, 6}, {F::U16, 8}, {F::U32, 12}}, Zelk);
    default: return None;
    }
}

Layout readAnswer(int s)
{
    switch (s) {
    case -1: return L({{F::Low16Of32, 2}}, Zelk);
    case 0: case 1: case 3: return L({{F::U32, 4}});
    case 2: case 4: return L({{F::U32, 4}, {F::U32, 8}});
    case 5: case 7: return L({{F::U16, 2}, {F::U16, 4}, {F::U16, 6}, {F::U16, 8}});
    case 6: case 11: return L({{F::Text, 3}});
    case 8: return L({{F::U32, 8}, {F::U8, 12}, {F::Text5, 13}});
    case 9: return L({{F::U32, 8}, {F::U8, 12}, {F::Text, 13}});
    case 10:
        return L({{F::ByteAs16, 2}, {F::U8, 4}, {F::U8, 5}, {F::U8, 6}, {F::U16, 8}, {F::U8, 10},
                  {F::U8, 11}});
    case 12: return L({{F::U32, 4}, {F::U8, 8}, {F::Text, 9}});
    case 16: case 48: return L({{F::U32, 0}, {F::U32, 4}});
    case 17: case 49: return L({{F::U16, 0}, {F::U16, 2}, {F::U16, 4}, {F::U16, 6}});
    case 18: return L({{F::U16, 0}, {F::U32, 4}, {F::U32, 8}, {F::U16, 12}, {F::U16, 14}});
    case 32: case 33: return L({});
    case 50: return L({{F::U32, 0}, {F::U16, 4}, {F::U16, 6}, {F::U32, 12}}, Zelk);
    default: return None;
    }
}

Layout writeAnswer(int s)
{
    switch (s) {
    case -1: return L({}, Zelk);
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10:
    case 11: case 12: case 16: case 17: case 18: case 32: case 33:
        return L({});
    case 48: return L({{F::U32, 0}, {F::U32, 4}});
    case 49: return L({{F::U16, 0}, {F::U16, 2}, {F::U16, 4}, {F::U16, 6}});
    case 50: return L({{F::U32, 0}, {F::U16, 4}, {F::U16, 6}, {F::U32, 12}}, Zelk);
    default: return None;
    }
}

Layout layoutOf(TelKind kind, int service)
{
    switch (kind) {
    case TelKind::ReadRsp: return readAnswer(service);
    case TelKind::WriteRsp: return writeAnswer(service);
    case TelKind::ReadReq: return readRequest(service);
    case TelKind::WriteReq: return writeRequest(service);
    }
    return None;
}

bool isAnswer(TelKind kind) { return kind == TelKind::ReadRsp || kind == TelKind::WriteRsp; }

uint8_t kindBits(TelKind kind)
{
    switch (kind) {
    case TelKind::ReadRsp: return AnswerBit;
    case TelKind::WriteRsp: return AnswerBit | WriteBit;
    case TelKind::ReadReq: return 0;
    case TelKind::WriteReq: return WriteBit;
    }
    return 0;
}

void putBE(uint8_t* p, uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        p[i] = static_cast<uint8_t>(v);
        v >>= 8;
    }
}

} // namespace

const uint16_t (&LenReadRsp)[64] = kTables.t[0];
const uint16_t (&LenWriteRsp)[64] = kTables.t[1];
const uint16_t (&LenReadReq)[64] = kTables.t[2];
const uint16_t (&LenWriteReq)[64] = kTables.t[3];

const uint16_t* LengthTable(TelKind kind)
{
    return kTables.t[static_cast<int>(kind)];
}

int TelLength(const uint8_t* buf, int count)
{
    if (buf == nullptr || count < 2)
        return LenNeedMore;
    const uint16_t entry = LengthTable(KindOf(buf[1]))[buf[1] & ServiceMask];
    if (entry == 0)
        return LenNoTelegram;
    if (entry < 256)
        return entry;
    const int at = entry / 256;
    if (count <= at)
        return LenNeedMore;
    if (buf[at] > MaxTelText)
        return QelResult::Malformed;
    return buf[at] + entry % 256;
}

uint8_t Xor(const uint8_t* buf, int count)
{
    uint8_t x = 0;
    for (int i = 0; i < count; ++i)
        x ^= buf[i];
    return x;
}

int BuildTel(TelKind kind, int Service, uint8_t Byte0, const TTelData& Data, uint8_t Status,
             Dialect dialect, uint8_t* Buffer)
{
    const Layout l = layoutOf(kind, Service);
    if (!l.defined || (l.zelkOnly && dialect != Dialect::Zelk) || Buffer == nullptr)
        return QelResult::NotSupported;
    const int wireService = Service < 0 ? 1 : Service;
    uint8_t* p = Buffer;
    *p++ = Byte0;
    *p++ = static_cast<uint8_t>(wireService | kindBits(kind));
    for (int i = 0; i < l.count; ++i) {
        const Field f = l.f[i];
        switch (f.kind) {
        case F::U8: *p++ = Data.GetByte(f.pos); break;
        case F::U16: putBE(p, Data.GetU16(f.pos), 2); p += 2; break;
        case F::U32: putBE(p, Data.GetU32(f.pos), 4); p += 4; break;
        case F::SetSel: *p++ = Data.GetByte(f.pos) == 1 ? 0 : 1; break;
        case F::Zero: *p++ = 0; break;
        case F::One: *p++ = 1; break;
        case F::I16As32: putBE(p, static_cast<uint32_t>(int32_t(Data.GetI16(f.pos))), 4); p += 4; break;
        case F::Low16Of32: putBE(p, Data.GetU16(f.pos), 4); p += 4; break;
        case F::ByteAs16: *p++ = static_cast<uint8_t>(Data.GetU16(f.pos)); break;
        case F::Text: {
            // A length taken from the data area is cut to what a text holds.
            const int len = std::min<int>(Data.GetByte(f.pos), MaxTelText);
            *p++ = static_cast<uint8_t>(len);
            for (int c = 1; c <= len; ++c)
                *p++ = Data.GetByte(f.pos + c);
            break;
        }
        case F::Text5:
            for (int c = 1; c <= 5; ++c)
                *p++ = Data.GetByte(f.pos + c);
            break;
        }
    }
    if (isAnswer(kind))
        *p++ = Status;
    const int n = static_cast<int>(p - Buffer);
    *p++ = Xor(Buffer, n);
    return n + 1;
}

bool DecodePayload(TelKind kind, int Service, const uint8_t* Buffer, int count, TTelData& Data,
                   int32_t& Status)
{
    const Layout l = layoutOf(kind, Service);
    if (!l.defined)
        return true;
    const bool answer = isAnswer(kind);
    // The payload ends before the status (answers) and the check byte.
    const int end = count - 1 - (answer ? 1 : 0);
    if (Buffer == nullptr || end < 2)
        return false;
    TTelData d = Data;
    int i = 2;
    auto need = [&](int n) { return i + n <= end; };
    for (int k = 0; k < l.count; ++k) {
        const Field f = l.f[k];
        switch (f.kind) {
        case F::U8:
        case F::Zero:
        case F::One:
            if (!need(1))
                return false;
            if (f.kind == F::U8)
                d.SetByte(f.pos, Buffer[i]);
            i += 1;
            break;
        case F::SetSel:
            if (!need(1))
                return false;
            d.SetByte(f.pos, Buffer[i] == 0 ? 1 : 0);
            i += 1;
            break;
        case F::ByteAs16:
            if (!need(1))
                return false;
            d.SetU16(f.pos, Buffer[i]);
            i += 1;
            break;
        case F::U16:
            if (!need(2))
                return false;
            d.SetU16(f.pos, GetWordBE(Buffer + i));
            i += 2;
            break;
        case F::U32:
        case F::I16As32:
            if (!need(4))
                return false;
            if (f.kind == F::U32)
                d.SetU32(f.pos, GetLongBE(Buffer + i));
            else
                d.SetU16(f.pos, static_cast<uint16_t>(GetLongBE(Buffer + i)));
            i += 4;
            break;
        case F::Low16Of32:
            if (!need(4))
                return false;
            d.SetU16(f.pos, static_cast<uint16_t>(GetLongBE(Buffer + i)));
            i += 4;
            break;
        case F::Text: {
            if (!need(1))
                return false;
            const int len = Buffer[i];
            if (len > MaxTelText || !need(1 + len))
                return false;
            d.SetByte(f.pos, static_cast<uint8_t>(len));
            for (int c = 1; c <= len; ++c)
                d.SetByte(f.pos + c, Buffer[i + c]);
            i += 1 + len;
            break;
        }
        case F::Text5:
            if (!need(5))
                return false;
            d.SetByte(f.pos, 5);
            for (int c = 1; c <= 5; ++c)
                d.SetByte(f.pos + c, Buffer[i + c - 1]);
            i += 5;
            break;
        }
    }
    Data = d;
    if (answer)
        Status = Buffer[count - 2];
    return true;
}

int BinBuildTel(int Service, int ReqId, const TTelData& Data, bool IsWrite, uint8_t* Buffer)
{
    return BuildTel(IsWrite ? TelKind::WriteReq : TelKind::ReadReq, Service,
                    static_cast<uint8_t>((ReqId & 0x0F) << 4), Data, 0, Dialect::Card, Buffer);
}

int BinDecodeTel(TRecTel& Rsp, int Count, const uint8_t* Buffer)
{
    if (Buffer == nullptr || Count < 2) {
        Rsp.Status = QelResult::Malformed;
        return QelResult::Malformed;
    }
    if ((Buffer[1] & AnswerBit) == 0)
        return QelResult::NotSupported;
    Rsp.ReqId = Buffer[0] >> 4;
    Rsp.IsReq = 0;
    Rsp.IsRead = (Buffer[1] & WriteBit) == 0 ? 1 : 0;
    Rsp.Service = Buffer[1] & ServiceMask;

    // Every length the tables cannot give (no telegram, a corrupt text
    // length, a length byte beyond the bytes received) is malformed.
    const int n = TelLength(Buffer, Count);
    if (n <= 0 || n != Count) {
        Rsp.Status = QelResult::Malformed;
        return QelResult::Malformed;
    }
    if (Xor(Buffer, n - 1) != Buffer[n - 1]) {
        Rsp.Status = QelResult::Checksum;
        return QelResult::Ok;
    }
    if (!DecodePayload(KindOf(Buffer[1]), Rsp.Service, Buffer, n, Rsp.Data, Rsp.Status)) {
        Rsp.Status = QelResult::Malformed;
        return QelResult::Malformed;
    }
    return QelResult::Ok;
}

} // namespace BinCodec
