// DIN 66019 II frame codec: request frames as byte tables, the answer
// checks with their consume-and-leftover rules, and the answer decoders.

#include "comm/custom_qel_prot.h"
#include "comm/din_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace DinCodec;

namespace {

using Bytes = std::vector<uint8_t>;

// Frames are written with these stand-ins for the control characters.
Bytes B(const std::string& s)
{
    Bytes out;
    for (char c : s) {
        switch (c) {
        case '<': out.push_back(STX); break;
        case '>': out.push_back(ETX); break;
        case '^': out.push_back(EOT); break;
        case '?': out.push_back(ENQ); break;
        case '+': out.push_back(ACK); break;
        case '-': out.push_back(NAK); break;
        default: out.push_back(static_cast<uint8_t>(c));
        }
    }
    return out;
}

// A data answer as the inverter sends it: STX, body, ETX, block check.
Bytes Answer(const std::string& body, int bccDelta = 0)
{
    Bytes out = B("<" + body + ">");
    uint8_t x = 0;
    for (size_t i = 1; i < out.size(); ++i)
        x ^= out[i];
    if (x < 0x20)
        x += 0x20;
    out.push_back(static_cast<uint8_t>(x + bccDelta));
    return out;
}

Bytes Build(int service, int id, int addr, const TTelData& d, bool write, int* result = nullptr)
{
    uint8_t buf[MinTelBuffer];
    const int n = tCustomQelProt::AnsiBuildTel(service, id, addr, d, write, buf);
    if (result)
        *result = n;
    return n < 0 ? Bytes{} : Bytes(buf, buf + n);
}

TTelData Tel(uint16_t par, uint8_t setByte = 0, int32_t value = 0)
{
    TTelData d;
    d.ParAdr = par;
    d.SetByte(2, setByte);
    d.Value = value;
    return d;
}

Bytes WithBcc(Bytes frame, uint8_t bcc)
{
    frame.push_back(bcc);
    return frame;
}

} // namespace

TEST(DinCodecBuild, ExampleFramesOfTheProtocol)
{
    // Write of service 0, address 1, request 3, parameter 0x0203, value
    // 0x1234, set byte 1.
    EXPECT_EQ(Build(0, 3, 1, Tel(0x0203, 1, 0x1234), true),
              WithBcc(B("^01<G30203000012340" "1>"), 0x73));
    // Read of service -1 without address part: no block check.
    EXPECT_EQ(Build(-1, 3, -1, Tel(0x0203), false), B("0203?"));
    // Poll of address 5.
    EXPECT_EQ(Build(-2, 1, 5, TTelData{}, false), B("^05?"));
}

TEST(DinCodecBuild, EveryServiceAndDirection)
{
    TTelData d;
    for (int i = 0; i < TTelData::Size; ++i)
        d.SetByte(i, static_cast<uint8_t>(0x10 + i)); // 10 11 12 13 14 15 16 17 ...
    struct Case {
        int service;
        bool write;
        std::string frame; // without the block check
    };
    const Case cases[] = {
        {-1, true, "^07<11101312>"},
        {0, false, "^07G51110" "12?"},
        {0, true, "^07<G5111017161514" "12>"},
        {1, false, "^07H51110" "01?"},      // set byte 0x12: indirect, sent as 1
        {1, true, "^07<H5111017161514" "01>"},
        {2, false, "^07I51110?"},
        {3, false, "^07J51110?"},
        {4, false, "^07K51110?"},
        {5, false, "^07L51110?"},
        {6, false, "^07M511102?"},          // low nibble of byte 2
        {7, false, "^07N51110?"},
        {8, false, "^07O5131215140?"},       // 16-bit at 2, at 4, nibble of byte 0
        {9, false, "^07P513121415" "0?"},    // 16-bit at 2, bytes 4, 5, nibble of byte 0
        {10, false, "^07Q51110?"},
        {11, false, "^07R511102?"},
        {12, false, "^07S51110123?"},        // ParAdr, byte 2, nibble of byte 3
        {16, false, "^07W5?"},
        {16, true, "^07<W51312111017161514>"},
        {17, false, "^07X5?"},
        {17, true, "^07<X51110131215141716>"},
        {18, false, "^07Y5?"},
        {32, false, "^07g51110" "12?"},
        {32, true, "^07<g51110" "12>"},
        {33, false, "^07h51110" "01?"},
        {33, true, "^07<h51110" "01>"},
        {48, true, "^07<w51312111017161514>"},
        {49, true, "^07<x51110131215141716>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "service " << c.service << (c.write ? " write" : " read"));
        Bytes body = B(c.frame);
        // Block check from the byte after STX (index 3), or from the letter (index 3).
        const size_t start = c.write ? 4 : 3;
        uint8_t x = 0;
        for (size_t i = start; i < body.size(); ++i)
            x ^= body[i];
        Bytes expected = WithBcc(body, x < 0x20 ? x + 0x20 : x);
        Bytes got = Build(c.service, 5, 7, d, c.write);
        EXPECT_EQ(got, expected);
        EXPECT_LE(static_cast<int>(got.size()), MaxTelLen);
    }
    // Set byte 1 selects the actual set: sent as 0 by services 1 and 33.
    const Bytes actualSet = Build(1, 2, -1, Tel(0x0102, 1), false);
    EXPECT_EQ(Bytes(actualSet.begin(), actualSet.end() - 1), B("H20102" "00?"));
    const Bytes actualSetCmd = Build(33, 2, -1, Tel(0x0102, 1), true);
    EXPECT_EQ(Bytes(actualSetCmd.begin(), actualSetCmd.end() - 1), B("<h20102" "00>"));
}

TEST(DinCodecBuild, RefusedServicesAndDirections)
{
    const struct {
        int service;
        bool write;
    } refused[] = {
        {-2, true}, {2, true}, {3, true}, {4, true}, {5, true}, {6, true}, {7, true}, {8, true},
        {9, true}, {10, true}, {11, true}, {12, true}, {18, true}, {48, false}, {49, false},
        {13, false}, {13, true}, {14, false}, {14, true}, {15, false}, {19, true}, {50, false},
        {50, true}, {-3, false}, {31, true}, {64, false},
    };
    for (const auto& c : refused) {
        int result = 0;
        Build(c.service, 1, 1, TTelData{}, c.write, &result);
        EXPECT_EQ(result, QelResult::NotSupported) << "service " << c.service << " write " << c.write;
    }
}

TEST(DinCodecBuild, LongestFrameFitsAndBlockCheckIsPrintable)
{
    const Bytes f = Build(16, 1, 1, TTelData{}, true);
    ASSERT_EQ(f.size(), 24u);
    EXPECT_EQ(RequestBcc(f.data(), static_cast<int>(f.size()) - 1), f.back());
    // Eight '0' digits and ETX XOR to 0x03: the check adds 0x20.
    EXPECT_EQ(Build(-1, 1, 1, TTelData{}, true), WithBcc(B("^01<00000000>"), 0x23));
}

TEST(DinCodecHex, DigitsAndValues)
{
    uint8_t buf[8];
    LongToHex8(0x89ABCDEF, buf);
    EXPECT_EQ(Bytes(buf, buf + 8), B("89ABCDEF"));
    EXPECT_EQ(Hex8ToLong(buf), 0x89ABCDEFu);
    WordToHex4(0x0A50, buf);
    EXPECT_EQ(Bytes(buf, buf + 4), B("0A50"));
    EXPECT_EQ(Hex4ToWord(buf), 0x0A50);
    ByteToHex2(0xF1, buf);
    EXPECT_EQ(Hex2ToByte(buf), 0xF1);
    EXPECT_EQ(NibbleToHex(0x1C), 'C');
    // Digits are not checked: 'G' reads as 16, a control character as negative.
    EXPECT_EQ(HexDigitValue('G'), 16);
    EXPECT_LT(HexDigitValue(ETX), 0);
}

TEST(DinCodecCheck, Acknowledge)
{
    const struct {
        std::string buffer;
        int id;
        int result;
        std::string left;
    } cases[] = {
        {"3+", 3, 1, ""},
        {"4+", 3, 2, ""},
        {"+", 0, 1, ""},      // no number digit: only for a request without one
        {"+", 3, 2, ""},
        {"xx3+", 3, 1, ""},   // leading noise is consumed with the acknowledge
        {"3+^05", 3, 1, "^05"}, // what follows stays, moved to the front
        {"<G3+", 3, 0, "<G3+"}, // a data frame comes first
        {"35-", 3, 0, "35-"},
        {"", 3, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buffer);
        Bytes buf = B(c.buffer);
        buf.resize(buf.size() + 8, 0xEE); // bytes beyond Count are never looked at
        int count = static_cast<int>(c.buffer.size());
        EXPECT_EQ(AnsiCheckAck(buf.data(), count, c.id), c.result);
        EXPECT_EQ(Bytes(buf.begin(), buf.begin() + count), B(c.left));
    }
}

TEST(DinCodecCheck, Refusal)
{
    const struct {
        std::string buffer;
        int id;
        int result;
        int error;
        std::string left;
    } cases[] = {
        {"35-", 3, 1, 5, ""},
        {"45-", 3, 2, -1, ""},     // another request's refusal is removed
        {"3F^", 3, 1, 15, ""},     // EOT ends a refusal too
        {"5-", 0, 1, 5, ""},       // no number digit
        {"5-", 3, 2, -1, ""},
        {"^35-", 3, 1, 5, ""},     // EOT at the start is skipped
        {"30-", 3, -2, 0, ""},     // error 0 is malformed
        {"3G-", 3, -2, 16, ""},
        {"36-^0", 3, 1, 6, "^0"},
        {"-", 3, 0, -1, "-"},      // nothing before it to read
        {"<35-", 3, 0, -1, "<35-"},
        {"3+", 3, 0, -1, "3+"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buffer);
        Bytes buf = B(c.buffer);
        int count = static_cast<int>(buf.size());
        int error = -1;
        EXPECT_EQ(AnsiCheckNak(buf.data(), count, error, c.id), c.result);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Bytes(buf.begin(), buf.begin() + count), B(c.left));
    }
}

TEST(DinCodecCheck, DataFrameResultsAndConsumption)
{
    struct Case {
        const char* name;
        Bytes buffer;
        int service;
        int id;
        int result;
        Bytes left;
    };
    const Bytes tail = B("^0");
    auto cat = [](Bytes a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); return a; };
    const Case cases[] = {
        {"decoded", Answer("G312345678"), 0, 3, 1, {}},
        {"leftover kept", cat(Answer("G312345678"), tail), 0, 3, 1, tail},
        {"noise before", cat(B("xx"), Answer("G312345678")), 0, 3, 1, {}},
        {"wrong bcc", cat(Answer("G312345678", 1), tail), 0, 3, -1, tail},
        {"other service", Answer("H312345678"), 0, 3, 2, {}},
        {"other request", Answer("G412345678"), 0, 3, 2, {}},
        {"plain", Answer("02030042"), -1, 0, 1, {}},
        {"plain expected, letter found", Answer("G312345678"), -1, 0, 2, {}},
        {"no letter for service 0", Answer("02030042"), 0, 3, -2, {}},
        {"not decodable service", Answer("g3"), 32, 3, -2, {}},
        {"payload too short", Answer("G31234"), 0, 3, -2, {}},
        {"empty frame", Answer(""), -1, 0, -2, {}},
        {"ETX is the last byte", B("<G312345678>"), 0, 3, 0, B("<G312345678>")},
        {"no STX", B("G312345678>x"), 0, 3, 0, B("G312345678>x")},
        {"stale frame first", cat(Answer("G212345678"), Answer("G3ABCDEF01")), 0, 3, 2, Answer("G3ABCDEF01")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes buf = c.buffer;
        int count = static_cast<int>(buf.size());
        TTelData d;
        const int r = tCustomQelProt::AnsiCheckData(buf.data(), count, c.id, d, c.service);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(Bytes(buf.begin(), buf.begin() + count), c.left);
        if (r != 1) {
            EXPECT_EQ(d.GetU32(4), 0u) << "nothing stored unless decoded";
        }
    }
}

TEST(DinCodecCheck, StaleAnswerThenOwnIsFoundByRepeating)
{
    // The driver repeats a check while it reports 2.
    Bytes buf = Answer("G2DEADBEEF");
    const Bytes own = Answer("G300000042");
    buf.insert(buf.end(), own.begin(), own.end());
    int count = static_cast<int>(buf.size());
    TTelData d;
    int r;
    while ((r = AnsiCheckData(buf.data(), count, 3, d, 0)) == 2) {
    }
    EXPECT_EQ(r, 1);
    EXPECT_EQ(d.Value, 0x42);
    EXPECT_EQ(count, 0);
}

TEST(DinCodecDecode, EveryAnswerService)
{
    struct Case {
        int service;
        std::string payload;
        std::vector<std::pair<int, int>> bytes; // expected (position, byte)
    };
    const Case cases[] = {
        {-1, "02031234", {{0, 0x03}, {1, 0x02}, {2, 0x34}, {3, 0x12}}},
        {0, "11223344", {{4, 0x44}, {7, 0x11}}},
        {1, "11223344", {{4, 0x44}, {7, 0x11}}},
        {3, "11223344", {{4, 0x44}, {7, 0x11}}},
        {2, "1122334455667788", {{4, 0x44}, {7, 0x11}, {8, 0x88}, {11, 0x55}}},
        {4, "1122334455667788", {{4, 0x44}, {8, 0x88}}},
        {5, "AAAABBBBCCCCDDDD", {{2, 0xAA}, {4, 0xBB}, {6, 0xCC}, {8, 0xDD}, {9, 0xDD}}},
        {7, "AAAABBBBCCCCDDDD", {{2, 0xAA}, {8, 0xDD}}},
        {6, "03abc", {{3, 3}, {4, 'a'}, {5, 'b'}, {6, 'c'}, {7, 0}}},
        {11, "00", {{3, 0}, {4, 0}}},
        {8, "01020304" "05" "Hello", {{8, 0x04}, {11, 0x01}, {12, 5}, {13, 5}, {14, 'H'}, {18, 'o'}}},
        {9, "01020304" "07" "02" "ok", {{8, 0x04}, {12, 7}, {13, 2}, {14, 'o'}, {15, 'k'}}},
        {10, "7F" "abc" "1234" "05" "06", {{2, 0x7F}, {3, 0}, {4, 'a'}, {6, 'c'}, {8, 0x34}, {9, 0x12}, {10, 5}, {11, 6}}},
        {12, "01020304" "09" "01" "z", {{4, 0x04}, {7, 0x01}, {8, 9}, {9, 1}, {10, 'z'}}},
        {16, "0000000100000002", {{0, 1}, {4, 2}}},
        {48, "0000000100000002", {{0, 1}, {4, 2}}},
        {17, "0001000200030004", {{0, 1}, {2, 2}, {4, 3}, {6, 4}}},
        {49, "0001000200030004", {{0, 1}, {6, 4}}},
        {18, "0102" "11223344" "55667788" "0A0B" "0C0D", {{0, 0x02}, {1, 0x01}, {4, 0x44}, {8, 0x88}, {12, 0x0B}, {14, 0x0D}, {15, 0x0C}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "service " << c.service);
        TTelData d;
        const Bytes p = B(c.payload);
        ASSERT_EQ(AnsiDecodeData(c.service, d, p.data(), static_cast<int>(p.size())), 0);
        for (auto [pos, byte] : c.bytes)
            EXPECT_EQ(d.GetByte(pos), byte) << "at " << pos;
    }
}

TEST(DinCodecDecode, TextsAndMalformedPayloads)
{
    // A text longer than 24 characters is cut; the rest is not stored.
    const std::string long30(30, 'x');
    TTelData d;
    Bytes p = B("1E" + long30);
    ASSERT_EQ(AnsiDecodeData(6, d, p.data(), static_cast<int>(p.size())), 0);
    EXPECT_EQ(d.GetByte(3), 24);
    EXPECT_EQ(d.GetByte(4 + 23), 'x');
    EXPECT_EQ(d.GetByte(4 + 24), 0);

    // Service 12 puts its text last in the area: a long text must not run
    // past the 72 bytes.
    TTelData d12;
    Bytes p12 = B("0000000000FF" + std::string(255, 'y'));
    ASSERT_EQ(AnsiDecodeData(12, d12, p12.data(), static_cast<int>(p12.size())), 0);
    EXPECT_EQ(d12.GetByte(9), 24);
    EXPECT_EQ(d12.GetByte(10 + 24), 0);

    // Texts and fields that do not fit the frame are malformed; nothing is stored.
    const struct {
        int service;
        std::string payload;
    } bad[] = {
        {6, "05abc"}, {6, "0"}, {9, "0102030405" "03ab"}, {12, "0102030405"}, {8, "0102030405Hell"},
        {10, "7Fabc123405"}, {18, "0102"}, {-1, "0203"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(testing::Message() << "service " << c.service << " " << c.payload);
        TTelData before;
        before.SetByte(3, 0x5A);
        TTelData dd = before;
        const Bytes pp = B(c.payload);
        EXPECT_EQ(AnsiDecodeData(c.service, dd, pp.data(), static_cast<int>(pp.size())), -2);
        EXPECT_EQ(std::memcmp(dd.Bytes(), before.Bytes(), TTelData::Size), 0);
    }
    // Services without answer payload.
    for (int s : {32, 33, -2, 13, 50}) {
        TTelData dd;
        EXPECT_EQ(AnsiDecodeData(s, dd, nullptr, 0), -1) << s;
    }
}

TEST(DinCodecCheck, TextAnswerDoesNotReadPastEtx)
{
    // Length 9 but only 3 characters before ETX: malformed, the ETX and
    // block check are not taken as characters.
    Bytes buf = Answer("M2" "09" "abc");
    int count = static_cast<int>(buf.size());
    TTelData d;
    EXPECT_EQ(AnsiCheckData(buf.data(), count, 2, d, 6), -2);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(d.GetByte(3), 0);
}
