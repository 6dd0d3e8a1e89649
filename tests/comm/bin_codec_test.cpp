// The binary telegram codec: length tables, the example telegrams as byte
// tables, every layout against its table length, and the bounds that keep a
// corrupt length byte from reading past what was received.

#include "comm/bin_codec.h"

#include <gtest/gtest.h>

#include <vector>

using namespace BinCodec;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Build(TelKind kind, int service, uint8_t byte0, const TTelData& d, uint8_t status = 0,
            Dialect dialect = Dialect::Zelk)
{
    uint8_t buf[TelBufferSize + 8];
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    const int n = BuildTel(kind, service, byte0, d, status, dialect, buf);
    if (n < 0)
        return {};
    EXPECT_LE(n, MaxTelLen);
    EXPECT_EQ(buf[TelBufferSize], 0xEE) << "wrote past the buffer";
    return Bytes(buf, buf + n);
}

// Appends the XOR of everything before it.
Bytes WithCheck(Bytes b)
{
    uint8_t x = 0;
    for (uint8_t c : b)
        x ^= c;
    b.push_back(x);
    return b;
}

TTelData Sample()
{
    TTelData d;
    for (int i = 0; i < TTelData::Size; ++i)
        d.SetByte(i, static_cast<uint8_t>(0x21 + i * 7));
    return d;
}

struct LenRow {
    int service;
    int readRsp, writeRsp, readReq, writeReq;
};

// The length tables as the wire format fixes them (b k + m written k*256 + m).
const LenRow kLengths[] = {
    {0, 8, 4, 6, 10},   {1, 8, 4, 6, 10},   {2, 12, 4, 5, 13},  {3, 8, 4, 5, 9},
    {4, 12, 4, 5, 13},  {5, 12, 4, 5, 13},  {6, 0x205, 4, 6, 0x507},
    {7, 12, 4, 5, 13},  {8, 14, 4, 8, 18},  {9, 0x70A, 4, 8, 0xC0E},
    {10, 12, 4, 5, 13}, {11, 0x205, 4, 6, 0x507}, {12, 0x70A, 4, 7, 0xB0D},
    {16, 12, 4, 3, 11}, {17, 12, 4, 3, 11}, {18, 18, 4, 3, 17}, {32, 4, 4, 6, 6},
    {33, 4, 4, 6, 6},   {48, 12, 12, 11, 11}, {49, 12, 12, 11, 11}, {50, 16, 16, 17, 17},
};

const LenRow* FindRow(int service)
{
    for (const LenRow& r : kLengths)
        if (r.service == service)
            return &r;
    return nullptr;
}

} // namespace

TEST(BinCodec, LengthTablesHoldExactlyTheFormatsEntries)
{
    for (int s = 0; s < 64; ++s) {
        const LenRow* r = FindRow(s);
        SCOPED_TRACE(s);
        EXPECT_EQ(LenReadRsp[s], r ? r->readRsp : 0);
        EXPECT_EQ(LenWriteRsp[s], r ? r->writeRsp : 0);
        EXPECT_EQ(LenReadReq[s], r ? r->readReq : 0);
        EXPECT_EQ(LenWriteReq[s], r ? r->writeReq : 0);
    }
    EXPECT_EQ(LengthTable(TelKind::WriteReq), LenWriteReq);
    EXPECT_EQ(KindOf(0x00), TelKind::ReadReq);
    EXPECT_EQ(KindOf(0x40), TelKind::WriteReq);
    EXPECT_EQ(KindOf(0x80), TelKind::ReadRsp);
    EXPECT_EQ(KindOf(0xC0), TelKind::WriteRsp);
}

// Every layout builds a telegram of the length its table gives (texts of
// 0, 5 and 24 characters), and decoding it gives back what rebuilds the
// same bytes.
TEST(BinCodec, EveryLayoutAgreesWithItsLengthTableAndRoundTrips)
{
    const TelKind kinds[] = {TelKind::ReadRsp, TelKind::WriteRsp, TelKind::ReadReq, TelKind::WriteReq};
    int built = 0;
    for (TelKind kind : kinds) {
        for (int s = -1; s < 64; ++s) {
            for (int textLen : {0, 5, 24}) {
                SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " service " << s << " text " << textLen);
                TTelData d = Sample();
                for (int pos : {3, 9, 13})
                    d.SetByte(pos, static_cast<uint8_t>(textLen));
                const Bytes t = Build(kind, s, 0x50, d, 7);
                const int wire = s < 0 ? 1 : s;
                if (LengthTable(kind)[wire] == 0) {
                    EXPECT_TRUE(t.empty());
                    continue;
                }
                ASSERT_FALSE(t.empty());
                ++built;
                EXPECT_EQ(TelLength(t.data(), int(t.size())), int(t.size()));
                EXPECT_EQ(Xor(t.data(), int(t.size()) - 1), t.back());
                EXPECT_EQ(KindOf(t[1]), kind);
                EXPECT_EQ(t[1] & ServiceMask, wire);

                TTelData back;
                int32_t status = -1;
                ASSERT_TRUE(DecodePayload(kind, s, t.data(), int(t.size()), back, status));
                if (kind == TelKind::ReadRsp || kind == TelKind::WriteRsp) {
                    EXPECT_EQ(status, 7);
                }
                // Service -1's answer keeps only 16 bits of the 32 on the wire.
                if (!(s < 0 && kind == TelKind::ReadRsp)) {
                    EXPECT_EQ(Build(kind, s, 0x50, back, 7), t);
                }
            }
        }
    }
    EXPECT_GT(built, 100);
}

TEST(BinCodec, ExampleTelegramsAsBytes)
{
    struct Case {
        const char* name;
        TelKind kind;
        int service;
        uint8_t byte0;
        TTelData data;
        uint8_t status;
        Bytes expected; // without the check byte
    };
    auto data = [](std::initializer_list<std::pair<int, uint8_t>> bytes) {
        TTelData d;
        for (auto [pos, v] : bytes)
            d.SetByte(pos, v);
        return d;
    };
    TTelData valueMinus2;
    valueMinus2.ParAdr = 0x0203;
    valueMinus2.Value = -2;
    TTelData plainWrite;
    plainWrite.ParAdr = 0x0A0B;
    plainWrite.ParSet = 0xFFFE; // -2 as a 16-bit value
    TTelData plainWritePos;
    plainWritePos.ParAdr = 0x0A0B;
    plainWritePos.ParSet = 0x1234;

    const Case cases[] = {
        {"read 0, number 3, 0x1234, set 1", TelKind::ReadReq, 0, 0x30, data({{0, 0x34}, {1, 0x12}, {2, 1}}), 0,
         {0x30, 0x00, 0x12, 0x34, 0x01}},
        {"write 0 with -2", TelKind::WriteReq, 0, 0x10, valueMinus2, 0,
         {0x10, 0x40, 0x02, 0x03, 0xFF, 0xFF, 0xFF, 0xFE, 0x00}},
        {"read 1, actual set goes out as 0", TelKind::ReadReq, 1, 0x10, data({{0, 1}, {2, 1}}), 0,
         {0x10, 0x01, 0x00, 0x01, 0x00}},
        {"read 1, any other set byte goes out as 1", TelKind::ReadReq, 1, 0x10, data({{0, 1}, {2, 5}}), 0,
         {0x10, 0x01, 0x00, 0x01, 0x01}},
        {"read -1 goes out as 1 with set byte 1", TelKind::ReadReq, -1, 0x20, data({{0, 0x0B}, {1, 0x0A}}), 0,
         {0x20, 0x01, 0x0A, 0x0B, 0x01}},
        {"write -1 sign-extends its 16-bit value", TelKind::WriteReq, -1, 0x20, plainWrite, 0,
         {0x20, 0x41, 0x0A, 0x0B, 0xFF, 0xFF, 0xFF, 0xFE, 0x01}},
        {"write -1 positive value", TelKind::WriteReq, -1, 0x20, plainWritePos, 0,
         {0x20, 0x41, 0x0A, 0x0B, 0x00, 0x00, 0x12, 0x34, 0x01}},
        {"read 8", TelKind::ReadReq, 8, 0x10, data({{0, 9}, {2, 0x22}, {3, 0x11}, {4, 0x44}, {5, 0x33}}), 0,
         {0x10, 0x08, 0x11, 0x22, 0x33, 0x44, 0x09}},
        {"read 9", TelKind::ReadReq, 9, 0x10, data({{0, 9}, {2, 0x22}, {3, 0x11}, {4, 0x44}, {5, 0x55}}), 0,
         {0x10, 0x09, 0x11, 0x22, 0x44, 0x55, 0x09}},
        {"read 12", TelKind::ReadReq, 12, 0x10, data({{0, 0x02}, {1, 0x01}, {2, 0x33}, {3, 0x44}}), 0,
         {0x10, 0x0C, 0x01, 0x02, 0x33, 0x44}},
        {"read 18 has no payload", TelKind::ReadReq, 18, 0xF0, TTelData{}, 0, {0xF0, 0x12}},
        {"write 9: zero byte, text with all its characters", TelKind::WriteReq, 9, 0x10,
         data({{0, 0x09}, {2, 0x02}, {3, 0x01}, {5, 0x07}, {8, 0x44}, {9, 0x33}, {10, 0x22}, {11, 0x11},
               {12, 0x0C}, {13, 2}, {14, 'A'}, {15, 'B'}}),
         0, {0x10, 0x49, 0x01, 0x02, 0x00, 0x07, 0x09, 0x0C, 0x11, 0x22, 0x33, 0x44, 0x02, 'A', 'B'}},
        {"write 8: five characters at 14..18", TelKind::WriteReq, 8, 0x10,
         data({{0, 9}, {2, 0x02}, {3, 0x01}, {4, 0x04}, {5, 0x03}, {8, 0x44}, {9, 0x33}, {10, 0x22},
               {11, 0x11}, {12, 0x0C}, {13, 0}, {14, 'a'}, {15, 'b'}, {16, 'c'}, {17, 'd'}, {18, 'e'}}),
         0, {0x10, 0x48, 0x01, 0x02, 0x03, 0x04, 0x09, 0x0C, 0x11, 0x22, 0x33, 0x44, 'a', 'b', 'c', 'd', 'e'}},
        {"write 6: text length over 24 is cut", TelKind::WriteReq, 6, 0x10,
         data({{0, 0x02}, {1, 0x01}, {2, 0x05}, {3, 200}, {4, 'x'}}), 0,
         [] {
             Bytes b{0x10, 0x46, 0x01, 0x02, 0x05, 24, 'x'};
             b.resize(b.size() + 23, 0);
             return b;
         }()},
        {"answer 10 (slave role): byte from the 16-bit field", TelKind::ReadRsp, 10, 0x03,
         data({{2, 0x7F}, {3, 0x01}, {4, 'Q'}, {5, 'R'}, {6, 'S'}, {8, 0x34}, {9, 0x12}, {10, 9}, {11, 8}}), 0,
         {0x03, 0x8A, 0x7F, 'Q', 'R', 'S', 0x12, 0x34, 0x09, 0x08, 0x00}},
        {"answer to write 48 carries both values", TelKind::WriteRsp, 48, 0x03,
         data({{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 8}, {5, 7}, {6, 6}, {7, 5}}), 2,
         {0x03, 0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 0x02}},
        {"answer to write 1 is the status only", TelKind::WriteRsp, 1, 0x03, Sample(), 4, {0x03, 0xC1, 0x04}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Build(c.kind, c.service, c.byte0, c.data, c.status), WithCheck(c.expected));
    }
    // The first telegram of the table, its check byte worked out by hand.
    EXPECT_EQ(WithCheck(cases[0].expected).back(), 0x17);
}

TEST(BinCodec, CardBuilderRefusesZelkOnlyAndUnknownServices)
{
    uint8_t buf[TelBufferSize];
    TTelData d;
    d.ParAdr = 0x1234;
    d.SetByte(2, 1);
    EXPECT_EQ(BinBuildTel(0, 3, d, false, buf), 6);
    EXPECT_EQ(Bytes(buf, buf + 6), WithCheck({0x30, 0x00, 0x12, 0x34, 0x01}));

    for (int s : {16, 17, 48, 49, 50, -1, -2, 13, 14, 19, 63, 64})
        EXPECT_EQ(BinBuildTel(s, 1, d, false, buf), QelResult::NotSupported) << "read " << s;
    for (int s : {50, -1, -2, 13, 31, 64})
        EXPECT_EQ(BinBuildTel(s, 1, d, true, buf), QelResult::NotSupported) << "write " << s;
    for (int s : {16, 17, 18, 48, 49, 32, 33})
        EXPECT_GT(BinBuildTel(s, 1, d, true, buf), 0) << "write " << s;
    // The Zelk dialect has the extra layouts.
    EXPECT_EQ(BuildTel(TelKind::ReadReq, 50, 0x10, d, 0, Dialect::Zelk, buf), 17);
    EXPECT_EQ(BuildTel(TelKind::WriteReq, -2, 0x10, d, 0, Dialect::Zelk, buf), QelResult::NotSupported);
}

TEST(BinCodec, DecodeAnswers)
{
    TRecTel rsp;
    // Read of service 0 answered with value 256 and error 5.
    Bytes t = WithCheck({0x30, 0x80, 0x00, 0x00, 0x01, 0x00, 0x05});
    EXPECT_EQ(BinDecodeTel(rsp, int(t.size()), t.data()), 0);
    EXPECT_EQ(rsp.ReqId, 3);
    EXPECT_EQ(rsp.Service, 0);
    EXPECT_EQ(rsp.IsRead, 1);
    EXPECT_EQ(rsp.IsReq, 0);
    EXPECT_EQ(rsp.Data.Value, 256);
    EXPECT_EQ(rsp.Status, 5);

    // Wrong check byte: status -11, nothing decoded, result 0.
    TRecTel bad;
    bad.Data.Value = 77;
    t.back() ^= 0x01;
    EXPECT_EQ(BinDecodeTel(bad, int(t.size()), t.data()), 0);
    EXPECT_EQ(bad.Status, QelResult::Checksum);
    EXPECT_EQ(bad.Data.Value, 77);

    // Answer to a write of 48 carries both values back.
    TRecTel w;
    t = WithCheck({0x70, 0xF0, 0x80, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0});
    EXPECT_EQ(BinDecodeTel(w, int(t.size()), t.data()), 0);
    EXPECT_EQ(w.ReqId, 7);
    EXPECT_EQ(w.IsRead, 0);
    EXPECT_EQ(w.Data.GetU32(0), 0x80000001u);
    EXPECT_EQ(w.Data.GetI32(4), -1);
    EXPECT_EQ(w.Status, 0);

    // Texts keep their length byte; answer 8 holds its five characters as
    // a text of length 5.
    TRecTel txt;
    t = WithCheck({0x10, 0x86, 3, 'a', 'b', 'c', 0});
    EXPECT_EQ(BinDecodeTel(txt, int(t.size()), t.data()), 0);
    EXPECT_EQ(txt.Data.GetByte(3), 3);
    EXPECT_EQ(txt.Data.GetByte(6), 'c');
    TRecTel five;
    t = WithCheck({0x10, 0x88, 0, 0, 0, 9, 0x42, 'v', 'w', 'x', 'y', 'z', 0});
    EXPECT_EQ(BinDecodeTel(five, int(t.size()), t.data()), 0);
    EXPECT_EQ(five.Data.GetI32(8), 9);
    EXPECT_EQ(five.Data.GetByte(12), 0x42);
    EXPECT_EQ(five.Data.GetByte(13), 5);
    EXPECT_EQ(five.Data.GetByte(18), 'z');

    // Not an answer.
    t = WithCheck({0x10, 0x00, 0x12, 0x34, 0x01});
    EXPECT_EQ(BinDecodeTel(rsp, int(t.size()), t.data()), QelResult::NotSupported);
}

// A corrupt length byte never makes the decoder read past the bytes
// received, and never reads as a success.
TEST(BinCodec, MalformedLengthsAreRefused)
{
    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes longText{0x10, 0x86, 200, 'a', 'b'};
    longText.resize(40, 'x');
    const Case cases[] = {
        {"text length 200 in answer 6", WithCheck(longText)},
        {"text length 25 (one over)", [] {
             Bytes b{0x10, 0x86, 25};
             b.resize(2 + 1 + 25 + 1, 'q');
             return WithCheck(b);
         }()},
        {"length byte of answer 9 not received", {0x10, 0x89, 0, 0, 0}},
        {"one byte short", WithCheck({0x30, 0x80, 0x00, 0x00, 0x01, 0x00})},
        {"one byte over", WithCheck({0x30, 0x80, 0x00, 0x00, 0x01, 0x00, 0x05, 0x00})},
        {"service without telegram", WithCheck({0x10, 0x8D, 0})},
        {"only one byte", {0x10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRecTel rsp;
        rsp.Status = 0;
        // A copy exactly as long as the count, so a read beyond shows under ASan.
        std::vector<uint8_t> exact(c.bytes);
        EXPECT_EQ(BinDecodeTel(rsp, int(exact.size()), exact.data()), QelResult::Malformed);
        EXPECT_EQ(rsp.Status, QelResult::Malformed);
    }
    EXPECT_EQ(TelLength(longText.data(), int(longText.size())), QelResult::Malformed);
    const uint8_t header9[] = {0x10, 0x89, 0, 0, 0, 0, 0};
    EXPECT_EQ(TelLength(header9, 7), LenNeedMore);
    const uint8_t header9full[] = {0x10, 0x89, 0, 0, 0, 0, 0, 24};
    EXPECT_EQ(TelLength(header9full, 8), 34);
    EXPECT_EQ(TelLength(header9full, 1), LenNeedMore);
    const uint8_t noTel[] = {0x10, 0x0E};
    EXPECT_EQ(TelLength(noTel, 2), LenNoTelegram);
}
