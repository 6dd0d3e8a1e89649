// Binary telegrams on the inverter's side, against the documented byte
// sequences, and the Zelk line on a pseudo-terminal in both roles.
#include "pty_client.h"

#include "sim/sim_zelk_pty.h"
#include "sim/sim_zelk_telegram.h"
#include "wait_until.h"

#include <gtest/gtest.h>

using namespace qelsim;
using simtest::PtyClient;

namespace {
QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out += char(b);
    return out;
}
} // namespace

TEST(ZelkTelegram, DocumentedTelegrams)
{
    // Read of service 0, number 3, parameter 0x1234, set byte 1.
    const QByteArray read = bytes({0x30, 0x00, 0x12, 0x34, 0x01, 0x17});
    const zelk::Telegram t = zelk::decode(read);
    EXPECT_TRUE(t.checkOk);
    EXPECT_TRUE(t.lengthOk);
    EXPECT_FALSE(t.isAnswer);
    EXPECT_FALSE(t.isWrite);
    EXPECT_EQ(t.number, 3);
    EXPECT_TRUE(t.highNibble);
    EXPECT_EQ(t.data.u16(0), 0x1234);
    EXPECT_EQ(t.data.u8(2), 1);
    EXPECT_EQ(zelk::buildRequest(0, false, 3, true, t.data), read);

    // Write of service 0 with value -2.
    SimData w;
    w.setU16(0, 0x1234);
    w.setI32(4, -2);
    w.setU8(2, 1);
    EXPECT_EQ(zelk::buildRequest(0, true, 3, true, w).mid(4, 4), bytes({0xFF, 0xFF, 0xFF, 0xFE}));

    // Answer with value 256 and status 5.
    QByteArray ans = bytes({0x30, 0x80, 0x00, 0x00, 0x01, 0x00, 0x05});
    ans += char(zelk::checkByte(ans, 7));
    const zelk::Telegram a = zelk::decode(ans);
    EXPECT_TRUE(a.isAnswer);
    EXPECT_TRUE(a.checkOk);
    EXPECT_EQ(a.data.i32(4), 256);
    EXPECT_EQ(a.status, 5);
    QByteArray wrongCheck = ans;
    wrongCheck[7] = char(wrongCheck[7] ^ 0x10);
    EXPECT_FALSE(zelk::decode(wrongCheck).checkOk);

    // An answer to a write of 48 carries both values back.
    SimData pd;
    pd.setU32(0, 0x01020304);
    pd.setU32(4, 0xA0B0C0D0);
    const QByteArray w48 = zelk::buildAnswer(48, true, 2, true, 0, pd);
    EXPECT_EQ(w48, [&] {
        QByteArray e = bytes({0x20, 0xF0, 1, 2, 3, 4, 0xA0, 0xB0, 0xC0, 0xD0, 0});
        return e + char(zelk::checkByte(e, int(e.size())));
    }());
}

TEST(ZelkTelegram, BuiltTelegramsAgreeWithTheLengthTables)
{
    SimData d;
    d.setText(3, "ABC");
    d.setText(9, "DEFG");
    d.setText(13, "HIJKL");
    int checked = 0;
    for (int service = 0; service < 64; ++service)
        for (bool answer : {false, true})
            for (bool write : {false, true}) {
                const QByteArray t = answer ? zelk::buildAnswer(service, write, 1, true, 0, d)
                                            : zelk::buildRequest(service, write, 1, true, d);
                const int entry = zelk::lengthEntry(answer, write, service);
                EXPECT_EQ(t.isEmpty(), entry == 0) << service << answer << write;
                if (t.isEmpty())
                    continue;
                EXPECT_EQ(zelk::telegramLength(t), t.size()) << service << answer << write;
                const zelk::Telegram back = zelk::decode(t);
                EXPECT_TRUE(back.lengthOk && back.checkOk) << service << answer << write;
                ++checked;
            }
    EXPECT_EQ(checked, 21 * 4);
}

TEST(ZelkPty, AnswersTheMasterWithFaults)
{
    SimZelkPty server;
    auto inv = server.addInverter(1);
    inv->setValue(0x1234, 0x01020304, 0);
    ASSERT_TRUE(server.start());
    PtyClient client(server.path());
    ASSERT_TRUE(client.isOpen());

    auto answer = [](int number, int status, int32_t value) {
        SimData d;
        d.setI32(4, value);
        return zelk::buildAnswer(0, false, number, true, status, d);
    };
    const QByteArray read = bytes({0x30, 0x00, 0x12, 0x34, 0x01, 0x17});
    const QByteArray right = answer(3, 0, 0x01020304);
    EXPECT_EQ(right, [] {
        QByteArray e = bytes({0x30, 0x80, 1, 2, 3, 4, 0});
        return e + char(zelk::checkByte(e, 7));
    }());
    client.write(read);
    EXPECT_EQ(client.readAtLeast(8), right);

    // Arriving byte by byte makes no difference.
    for (char c : read)
        client.write(QByteArray(1, c));
    EXPECT_EQ(client.readAtLeast(8), right);

    QByteArray bad = right;
    bad[7] = char(bad[7] ^ 1);
    struct Case {
        const char* spec;
        QByteArray expected;
    } cases[] = {
        {"busy", answer(3, 6, 0)},
        {"stale", answer(4, 0, 0x01020304) + right},
        {"foreignid", answer(4, 0, 0x01020304)},
        {"badcheck", bad},
        {"echo", read + right},
    };
    for (const Case& c : cases) {
        SimFault f;
        ASSERT_TRUE(SimFault::parse(QString::fromLatin1(c.spec), f, nullptr));
        server.faults().push(f);
        client.write(read);
        EXPECT_EQ(client.readAtLeast(c.expected.size()), c.expected) << c.spec;
    }

    // A request with a wrong check byte is not answered; the next one is.
    QByteArray broken = read;
    broken[5] = 0x18;
    client.write(broken);
    client.write(read);
    EXPECT_EQ(client.readAtLeast(8), right);
    EXPECT_EQ(server.requestCount(), 9);
}

TEST(ZelkPty, DelayedAnswerLetsALaterOnePass)
{
    SimZelkPty server;
    auto inv = server.addInverter(1);
    inv->setValue(0x0203, 7, 0);
    ASSERT_TRUE(server.start());
    PtyClient client(server.path());
    SimFault slow;
    ASSERT_TRUE(SimFault::parse("delay=150", slow, nullptr));
    server.faults().push(slow);
    SimData d;
    d.setU16(0, 0x0203);
    d.setU8(2, 1);
    client.write(zelk::buildRequest(0, false, 1, true, d) + zelk::buildRequest(0, false, 2, true, d));
    const QByteArray got = client.readAtLeast(16);
    ASSERT_EQ(got.size(), 16);
    EXPECT_EQ(uint8_t(got[0]), 0x20); // number 2 first
    EXPECT_EQ(uint8_t(got[8]), 0x10);
    EXPECT_EQ(zelk::decode(got.left(8)).data.i32(4), 7);
}

TEST(ZelkPty, SendsRequestsOfItsOwnInEitherRole)
{
    for (bool simMaster : {true, false}) {
        SimZelkPty server;
        server.addInverter(1);
        server.setMaster(simMaster);
        ASSERT_TRUE(server.start());
        PtyClient client(server.path());
        SimData d;
        d.setU16(0, 0x0203);
        d.setU8(2, 1);
        const int n = server.sendRequest(0, false, d);
        EXPECT_EQ(n, 1);
        const QByteArray req = client.readAtLeast(6);
        ASSERT_EQ(req.size(), 6);
        EXPECT_EQ(uint8_t(req[0]), simMaster ? 0x10 : 0x01);

        // The system answers in the nibble of the request.
        SimData v;
        v.setI32(4, -5);
        client.write(zelk::buildAnswer(0, false, 1, simMaster, 0, v));
        EXPECT_TRUE(qeltest::waitUntil([&] { return server.answerTo(1).has_value(); }));
        const auto a = server.answerTo(1);
        ASSERT_TRUE(a.has_value());
        EXPECT_EQ(a->data.i32(4), -5);
        EXPECT_EQ(a->status, 0);
        EXPECT_EQ(server.sendRequest(0, false, d), 2);
    }
}
