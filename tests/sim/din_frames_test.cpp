// DIN 66019 II frames on the inverter's side, against the byte sequences
// the protocol documents.
#include "sim/sim_din_frames.h"

#include <gtest/gtest.h>

using namespace qelsim;
using namespace qelsim::din;

namespace {

std::vector<Frame> parseAll(const QByteArray& bytes, bool byteByByte = false)
{
    RequestParser p;
    std::vector<Frame> out;
    if (byteByByte) {
        for (char c : bytes) {
            p.append(QByteArray(1, c));
            while (auto f = p.next())
                out.push_back(*f);
        }
    } else {
        p.append(bytes);
        while (auto f = p.next())
            out.push_back(*f);
    }
    return out;
}

const QByteArray kWriteExample = QByteArray("\x04" "01" "\x02" "G3" "0203" "00001234" "01" "\x03" "\x73");

} // namespace

TEST(DinFrames, DocumentedRequestsDecode)
{
    ASSERT_EQ(kWriteExample.size(), 22);
    for (bool slow : {false, true}) {
        auto frames = parseAll(kWriteExample, slow);
        ASSERT_EQ(frames.size(), 1u);
        const Frame& f = frames[0];
        EXPECT_TRUE(f.hasAddress);
        EXPECT_EQ(f.address, 1);
        EXPECT_EQ(f.req.service, 0);
        EXPECT_TRUE(f.req.isWrite);
        EXPECT_EQ(f.req.reqId, 3);
        EXPECT_EQ(f.req.data.u16(0), 0x0203);
        EXPECT_EQ(f.req.data.i32(4), 0x1234);
        EXPECT_EQ(f.req.data.u8(2), 1);
        EXPECT_TRUE(f.checkOk);
        EXPECT_TRUE(f.layoutOk);
        EXPECT_EQ(f.raw, kWriteExample);
    }

    auto plain = parseAll(QByteArray("0203\x05"));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_FALSE(plain[0].hasAddress);
    EXPECT_EQ(plain[0].req.service, -1);
    EXPECT_FALSE(plain[0].req.isWrite);
    EXPECT_EQ(plain[0].req.data.u16(0), 0x0203);

    auto poll = parseAll(QByteArray("\x04" "05" "\x05"));
    ASSERT_EQ(poll.size(), 1u);
    EXPECT_TRUE(poll[0].isPoll());
    EXPECT_EQ(poll[0].address, 5);
}

TEST(DinFrames, BrokenRequestsAreMarked)
{
    QByteArray badCheck = kWriteExample;
    badCheck[21] = 0x72;
    auto f = parseAll(badCheck);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_FALSE(f[0].checkOk);

    // Read of service 2 with a check byte, behind line noise.
    auto g = parseAll(QByteArray("\xff?" "\x04" "07" "I1" "0203" "\x05" "\x7c"));
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].address, 7);
    EXPECT_EQ(g[0].req.service, 2);
    EXPECT_TRUE(g[0].checkOk);
    EXPECT_EQ(g[0].req.data.u16(0), 0x0203);

    // A read of service 48 has no layout.
    auto h = parseAll(QByteArray("w1") + "\x05" + blockCheck("w1\x05"));
    ASSERT_EQ(h.size(), 1u);
    EXPECT_FALSE(h[0].known);

    // A frame whose block check has not arrived yet stays pending.
    RequestParser p;
    p.append(kWriteExample.left(21));
    EXPECT_FALSE(p.next().has_value());
    p.append(kWriteExample.right(1));
    EXPECT_TRUE(p.next().has_value());
}

TEST(DinFrames, AnswersAsDocumented)
{
    SimReply refused;
    refused.status = 5;
    SimReply ok;
    ok.data.setI32(4, 0x1235);
    SimReply plain;
    plain.data.setU16(0, 0x0203);
    plain.data.setU16(2, 0xFFFE);
    SimReply name;
    name.data.setText(3, "Hello");

    struct Case {
        int service;
        bool isWrite;
        char digit;
        SimReply reply;
        QByteArray expected;
    } cases[] = {
        {0, false, '3', refused, QByteArray("35\x15")},
        {0, true, '3', ok, QByteArray("3\x06")},
        {-1, true, 0, ok, QByteArray("\x06")},
        {-2, false, 0, ok, QByteArray("\x06")},
        {0, false, '3', ok, QByteArray("\x02" "G3" "00001235" "\x03" "\x72")},
        {-1, false, 0, plain, QByteArray("\x02" "0203" "FFFE" "\x03" "\x21")},
        {6, false, '4', name, QByteArray("\x02" "M4" "05" "Hello" "\x03" "\x3d")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(answer(c.service, c.isWrite, c.digit, c.reply), c.expected) << "service " << c.service;
}
