#include "comm/din_codec.h"

#include <algorithm>
#include <cstring>

namespace DinCodec {

namespace {

constexpr uint8_t LetterBase = 'G';

uint8_t numberDigit(int id) { return static_cast<uint8_t>(NibbleToHex(id & 0x0F)); }

// Set byte of services 1 and 33: 1 selects the actual set (sent as 0),
// anything else indirect set addressing (sent as 1).
uint8_t setAddressing(const TTelData& d) { return d.GetByte(2) == 1 ? 0 : 1; }

// Removes the first n bytes of the buffer.
void consume(uint8_t* buf, int& count, int n)
{
    n = std::min(n, count);
    if (n <= 0)
        return;
    std::memmove(buf, buf + n, static_cast<size_t>(count - n));
    count -= n;
}

class Writer {
public:
    explicit Writer(uint8_t* out) : out_(out) {}
    void byte(uint8_t b) { out_[n_++] = b; }
    void hex1(int v) { byte(static_cast<uint8_t>(NibbleToHex(v & 0x0F))); }
    void hex2(uint8_t v) { ByteToHex2(v, out_ + n_); n_ += 2; }
    void hex4(uint16_t v) { WordToHex4(v, out_ + n_); n_ += 4; }
    void hex8(uint32_t v) { LongToHex8(v, out_ + n_); n_ += 8; }
    int size() const { return n_; }
    uint8_t* data() { return out_; }

private:
    uint8_t* out_;
    int n_ = 0;
};

// Appends the request payload; false when the service is refused in this
// direction.
bool writePayload(Writer& w, int service, const TTelData& d, bool isWrite)
{
    switch (service) {
    case QelService::Plain:
        w.hex4(d.GetU16(0));
        if (isWrite)
            w.hex4(d.GetU16(2));
        return true;
    case QelService::ParaSet:
        w.hex4(d.GetU16(0));
        if (isWrite)
            w.hex8(d.GetU32(4));
        w.hex2(d.GetByte(2));
        return true;
    case QelService::ParaSetAdr:
        w.hex4(d.GetU16(0));
        if (isWrite)
            w.hex8(d.GetU32(4));
        w.hex2(setAddressing(d));
        return true;
    case 2: case 3: case 4: case 5: case 7: case 10:
        if (isWrite)
            return false;
        w.hex4(d.GetU16(0));
        return true;
    case 6: case 11:
        if (isWrite)
            return false;
        w.hex4(d.GetU16(0));
        w.hex1(d.GetByte(2));
        return true;
    case 8:
        if (isWrite)
            return false;
        w.hex4(d.GetU16(2));
        w.hex4(d.GetU16(4));
        w.hex1(d.GetByte(0));
        return true;
    case 9:
        if (isWrite)
            return false;
        w.hex4(d.GetU16(2));
        w.hex2(d.GetByte(4));
        w.hex2(d.GetByte(5));
        w.hex1(d.GetByte(0));
        return true;
    case 12:
        if (isWrite)
            return false;
        w.hex4(d.GetU16(0));
        w.hex2(d.GetByte(2));
        w.hex1(d.GetByte(3));
        return true;
    case QelService::ProcData32:
        if (isWrite) {
            w.hex8(d.GetU32(0));
            w.hex8(d.GetU32(4));
        }
        return true;
    case QelService::ProcData16:
        if (isWrite) {
            for (int pos = 0; pos < 8; pos += 2)
                w.hex4(d.GetU16(pos));
        }
        return true;
    case QelService::ScopeRead:
        return !isWrite;
    case QelService::ParaSetCmd:
        w.hex4(d.GetU16(0));
        w.hex2(d.GetByte(2));
        return true;
    case QelService::ParaSetAdrCmd:
        w.hex4(d.GetU16(0));
        w.hex2(setAddressing(d));
        return true;
    case QelService::ProcData32RW:
        if (!isWrite)
            return false;
        w.hex8(d.GetU32(0));
        w.hex8(d.GetU32(4));
        return true;
    case QelService::ProcData16RW:
        if (!isWrite)
            return false;
        for (int pos = 0; pos < 8; pos += 2)
            w.hex4(d.GetU16(pos));
        return true;
    default:
        return false;
    }
}

// Sequential reader of an answer payload that never passes its end.
class Reader {
public:
    Reader(const uint8_t* p, int len) : p_(p), len_(len) {}
    bool has(int n) const { return n >= 0 && pos_ + n <= len_; }
    uint8_t hex2() { uint8_t v = Hex2ToByte(p_ + pos_); pos_ += 2; return v; }
    uint16_t hex4() { uint16_t v = Hex4ToWord(p_ + pos_); pos_ += 4; return v; }
    uint32_t hex8() { uint32_t v = Hex8ToLong(p_ + pos_); pos_ += 8; return v; }
    uint8_t ch() { return p_[pos_++]; }
    const uint8_t* here() const { return p_ + pos_; }
    void skip(int n) { pos_ += n; }

private:
    const uint8_t* p_;
    int len_;
    int pos_ = 0;
};

// A text field: hex2 length L, then L characters. Stored as the length byte
// at `at` (cut to 24) and the characters behind it.
bool readText(Reader& r, TTelData& out, int at)
{
    if (!r.has(2))
        return false;
    const int len = r.hex2();
    if (!r.has(len))
        return false;
    const int kept = std::min(len, MaxTelText);
    out.SetByte(at, static_cast<uint8_t>(kept));
    for (int i = 0; i < kept; ++i)
        out.SetByte(at + 1 + i, r.here()[i]);
    r.skip(len);
    return true;
}

} // namespace

char NibbleToHex(int nibble)
{
    nibble &= 0x0F;
    return static_cast<char>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

int HexDigitValue(uint8_t c)
{
    int v = static_cast<int>(c) - 0x30;
    if (v > 15)
        v -= 7;
    return v;
}

static uint32_t hexToValue(const uint8_t* p, int digits)
{
    uint32_t v = 0;
    for (int i = 0; i < digits; ++i)
        v = (v << 4) + static_cast<uint32_t>(HexDigitValue(p[i]));
    return v;
}

uint8_t Hex2ToByte(const uint8_t* p) { return static_cast<uint8_t>(hexToValue(p, 2)); }
uint16_t Hex4ToWord(const uint8_t* p) { return static_cast<uint16_t>(hexToValue(p, 4)); }
uint32_t Hex8ToLong(const uint8_t* p) { return hexToValue(p, 8); }

static void valueToHex(uint32_t v, int digits, uint8_t* out)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<uint8_t>(NibbleToHex(static_cast<int>(v & 0x0F)));
        v >>= 4;
    }
}

void ByteToHex2(uint8_t v, uint8_t* out) { valueToHex(v, 2, out); }
void WordToHex4(uint16_t v, uint8_t* out) { valueToHex(v, 4, out); }
void LongToHex8(uint32_t v, uint8_t* out) { valueToHex(v, 8, out); }

int RequestBcc(const uint8_t* frame, int len)
{
    int start = -1;
    for (int i = 0; i < len; ++i) {
        if (frame[i] == STX) {
            start = i + 1;
            break;
        }
    }
    if (start < 0) {
        for (int i = 0; i < std::min(len, 21); ++i) {
            if (frame[i] > 'F') {
                start = i;
                break;
            }
        }
    }
    if (start < 0)
        return -1;
    uint8_t x = 0;
    const int end = std::min(len, start + MinTelBuffer);
    for (int i = start; i < end; ++i) {
        x ^= frame[i];
        if (frame[i] == ETX || frame[i] == ENQ)
            return x < 0x20 ? x + 0x20 : x;
    }
    return -1;
}

uint8_t AnswerBcc(const uint8_t* buf, int from, int etx)
{
    uint8_t x = 0;
    for (int i = from; i <= etx; ++i)
        x ^= buf[i];
    return x < 0x20 ? static_cast<uint8_t>(x + 0x20) : x;
}

int AnsiBuildTel(int Service, int ReqId, int Addr, const TTelData& Data, bool IsWrite, uint8_t* Buffer)
{
    uint8_t frame[MinTelBuffer];
    Writer w(frame);

    if (Addr >= 0) {
        w.byte(EOT);
        w.hex2(static_cast<uint8_t>(Addr & 0xFF));
    }
    if (Service == QelService::Poll) {
        if (IsWrite)
            return QelResult::NotSupported;
        w.byte(ENQ);
        std::memcpy(Buffer, frame, static_cast<size_t>(w.size()));
        return w.size();
    }
    if (IsWrite)
        w.byte(STX);
    if (Service >= 0) {
        w.byte(static_cast<uint8_t>(LetterBase + Service));
        w.byte(numberDigit(ReqId));
    }
    if (!writePayload(w, Service, Data, IsWrite))
        return QelResult::NotSupported;
    w.byte(IsWrite ? ETX : ENQ);
    if (IsWrite || Service >= 0) {
        const int bcc = RequestBcc(w.data(), w.size());
        if (bcc < 0)
            return QelResult::NotSupported;
        w.byte(static_cast<uint8_t>(bcc));
    }
    std::memcpy(Buffer, frame, static_cast<size_t>(w.size()));
    return w.size();
}

int AnsiCheckAck(uint8_t* Buffer, int& Count, int Id)
{
    for (int i = 0; i < Count; ++i) {
        if (Buffer[i] == STX)
            return 0;
        if (Buffer[i] != ACK)
            continue;
        int result = 1;
        if ((i > 0 && Buffer[i - 1] != numberDigit(Id)) || (i == 0 && Id != 0))
            result = 2;
        consume(Buffer, Count, i + 1);
        return result;
    }
    return 0;
}

int AnsiCheckNak(uint8_t* Buffer, int& Count, int& ErrorNumber, int Id)
{
    for (int i = 0; i < Count; ++i) {
        if (Buffer[i] == STX)
            return 0;
        // An EOT (or NAK) at the very start carries no error digit before it.
        if (i == 0 || (Buffer[i] != NAK && Buffer[i] != EOT))
            continue;
        int result = 1;
        if ((i > 1 && Buffer[i - 2] != numberDigit(Id)) || (i == 1 && Id != 0))
            result = 2;
        if (result == 1) {
            const int digit = HexDigitValue(Buffer[i - 1]);
            ErrorNumber = digit;
            if (digit < 1 || digit > 15)
                result = -2;
        }
        consume(Buffer, Count, i + 1);
        return result;
    }
    return 0;
}

int AnsiCheckData(uint8_t* Buffer, int& Count, int Id, TTelData& Data, int Service)
{
    int stx = -1;
    for (int i = 0; i < Count; ++i) {
        if (Buffer[i] == STX) {
            stx = i;
            continue;
        }
        if (Buffer[i] != ETX || stx < 0 || i + 1 >= Count)
            continue;

        int result;
        if (AnswerBcc(Buffer, stx + 1, i) != Buffer[i + 1]) {
            result = -1;
        } else if (Buffer[stx + 1] < LetterBase) {
            if (Service == QelService::Plain)
                result = AnsiDecodeData(Service, Data, Buffer + stx + 1, i - stx - 1) == 0 ? 1 : -2;
            else
                result = -2;
        } else if (Buffer[stx + 1] - LetterBase != Service) {
            result = 2;
        } else if (stx + 2 >= i || Buffer[stx + 2] != numberDigit(Id)) {
            result = 2;
        } else {
            result = AnsiDecodeData(Service, Data, Buffer + stx + 3, i - stx - 3) == 0 ? 1 : -2;
        }
        consume(Buffer, Count, i + 2);
        return result;
    }
    return 0;
}

int AnsiDecodeData(int Service, TTelData& Data, const uint8_t* payload, int len)
{
    Reader r(payload, len);
    // Decode into a copy first, so that a payload that turns out not to
    // fit leaves Data as it was.
    TTelData d = Data;
    switch (Service) {
    case QelService::Plain:
        if (!r.has(8))
            return -2;
        d.SetU16(0, r.hex4());
        d.SetU16(2, r.hex4());
        break;
    case 0: case 1: case 3:
        if (!r.has(8))
            return -2;
        d.SetU32(4, r.hex8());
        break;
    case 2: case 4:
        if (!r.has(16))
            return -2;
        d.SetU32(4, r.hex8());
        d.SetU32(8, r.hex8());
        break;
    case 5: case 7:
        if (!r.has(16))
            return -2;
        for (int pos = 2; pos <= 8; pos += 2)
            d.SetU16(pos, r.hex4());
        break;
    case 6: case 11:
        if (!readText(r, d, 3))
            return -2;
        break;
    case 8:
        if (!r.has(15))
            return -2;
        d.SetU32(8, r.hex8());
        d.SetByte(12, r.hex2());
        d.SetByte(13, 5);
        for (int i = 0; i < 5; ++i)
            d.SetByte(14 + i, r.ch());
        break;
    case 9:
        if (!r.has(10))
            return -2;
        d.SetU32(8, r.hex8());
        d.SetByte(12, r.hex2());
        if (!readText(r, d, 13))
            return -2;
        break;
    case 10:
        if (!r.has(13))
            return -2;
        d.SetU16(2, r.hex2());
        d.SetByte(4, r.ch());
        d.SetByte(5, r.ch());
        d.SetByte(6, r.ch());
        d.SetU16(8, r.hex4());
        d.SetByte(10, r.hex2());
        d.SetByte(11, r.hex2());
        break;
    case 12:
        if (!r.has(10))
            return -2;
        d.SetU32(4, r.hex8());
        d.SetByte(8, r.hex2());
        if (!readText(r, d, 9))
            return -2;
        break;
    case QelService::ProcData32: case QelService::ProcData32RW:
        if (!r.has(16))
            return -2;
        d.SetU32(0, r.hex8());
        d.SetU32(4, r.hex8());
        break;
    case QelService::ProcData16: case QelService::ProcData16RW:
        if (!r.has(16))
            return -2;
        for (int pos = 0; pos < 8; pos += 2)
            d.SetU16(pos, r.hex4());
        break;
    case QelService::ScopeRead:
        if (!r.has(28))
            return -2;
        d.SetU16(0, r.hex4());
        d.SetU32(4, r.hex8());
        d.SetU32(8, r.hex8());
        d.SetU16(12, r.hex4());
        d.SetU16(14, r.hex4());
        break;
    default:
        return -1;
    }
    Data = d;
    return 0;
}

} // namespace DinCodec
