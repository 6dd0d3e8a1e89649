// Services of a simulated inverter without a described type: values per
// set, plain access, process data, the fast scope read, polls.
#include "sim/sim_inverter.h"

#include <gtest/gtest.h>

using namespace qelsim;

namespace {
SimReply ask(SimInverter& inv, int service, bool write, std::initializer_list<std::pair<int, uint32_t>> u32 = {},
             std::initializer_list<std::pair<int, uint16_t>> u16 = {}, std::initializer_list<std::pair<int, uint8_t>> u8 = {})
{
    SimRequest r;
    r.service = service;
    r.isWrite = write;
    for (auto [pos, v] : u32)
        r.data.setU32(pos, v);
    for (auto [pos, v] : u16)
        r.data.setU16(pos, v);
    for (auto [pos, v] : u8)
        r.data.setU8(pos, v);
    return inv.handle(r);
}
} // namespace

TEST(SimInverterBare, ValuesSetsAndPlainAccess)
{
    SimInverter inv(5, 4711);
    // Set mask 0x06 writes sets 1 and 2; mask 0 is the actual set (0).
    EXPECT_EQ(ask(inv, 0, true, {{4, 77}}, {{0, 0x0203}}, {{2, 0x06}}).status, 0);
    EXPECT_EQ(inv.value(0x0203, 1), 77);
    EXPECT_EQ(inv.value(0x0203, 2), 77);
    EXPECT_EQ(inv.value(0x0203, 0), 0);
    EXPECT_EQ(ask(inv, 0, false, {}, {{0, 0x0203}}, {{2, 0x04}}).data.i32(4), 77);
    EXPECT_EQ(ask(inv, 0, false, {}, {{0, 0x0203}}, {{2, 0x00}}).data.i32(4), 0);

    // Plain access: 16 bits, echoing the address; a 16-bit write is
    // sign-extended.
    EXPECT_EQ(ask(inv, -1, true, {}, {{0, 0x0300}, {2, 0xFFFE}}).status, 0);
    EXPECT_EQ(inv.value(0x0300, 0), -2);
    const SimReply plain = ask(inv, -1, false, {}, {{0, 0x160F}});
    EXPECT_EQ(plain.data.u16(0), 0x160F);
    EXPECT_EQ(plain.data.u16(2), 4711);
    EXPECT_EQ(ask(inv, -1, true, {}, {{0, 0x160F}, {2, 1}}).status, ErrReadOnly);

    EXPECT_EQ(ask(inv, -2, false).status, 0);
    EXPECT_EQ(ask(inv, 2, false, {}, {{0, 0x0203}}).status, ErrNotAvailable);
    EXPECT_EQ(ask(inv, 40, false).status, ErrService);
    EXPECT_EQ(inv.handledCount(), 9);
}

TEST(SimInverterBare, ProcessDataScopeReadAndEcho)
{
    SimInverter inv(1);
    const SimReply pd = ask(inv, 48, true, {{0, 0x11223344}, {4, 0x55667788}});
    EXPECT_EQ(pd.data.u32(0), 0x11223344u);
    EXPECT_EQ(pd.data.u32(4), 0x55667788u);
    EXPECT_EQ(ask(inv, 17, false).data.u16(2), 0x1122);
    inv.setProcessLoopback(false);
    inv.setProcessIn({1, 0, 0, 0, 2, 0, 0, 0});
    EXPECT_EQ(ask(inv, 16, false).data.u32(4), 2u);
    EXPECT_EQ(inv.processOut()[0], 0x44);

    // Channel A reads 0x0101 of set 1, channel B 0x0102 of the actual set.
    inv.setValue(0x0101, 1234, 1);
    inv.setValue(0x0102, -9, 0);
    inv.setValue(33, 0x0101);
    inv.setValue(34, 0x02);
    inv.setValue(35, 0x0102);
    inv.setValue(37, -1);
    inv.setValue(39, -1);
    const SimReply scope = ask(inv, 18, false);
    EXPECT_EQ(scope.data.i32(4), 1234);
    EXPECT_EQ(scope.data.i32(8), -9);
    EXPECT_EQ(scope.data.u16(12), 0);

    const SimReply echo = ask(inv, 50, false, {{0, 7}, {12, 9}}, {{4, 5}, {6, 6}});
    EXPECT_EQ(echo.data.u32(0), 7u);
    EXPECT_EQ(echo.data.u16(4), 5);
    EXPECT_EQ(echo.data.u16(6), 6);
    EXPECT_EQ(echo.data.u32(12), 9u);
}

TEST(SimFaultSpec, ParsesAndCountsDown)
{
    SimFault f;
    ASSERT_TRUE(SimFault::parse("delay=30+split=4+garbage=0102*2", f, nullptr));
    EXPECT_EQ(f.delayMs, 30);
    EXPECT_EQ(f.splitGapMs, 4);
    EXPECT_EQ(f.garbage, QByteArray("\x01\x02"));
    EXPECT_EQ(f.count, 2);
    QString error;
    for (const char* badSpec : {"", "refuse=16", "delay=x", "bogus", "busy*0", "garbage=zz"})
        EXPECT_FALSE(SimFault::parse(QString::fromLatin1(badSpec), f, &error)) << badSpec;

    SimFaultQueue q;
    ASSERT_TRUE(SimFault::parse("busy*2", f, nullptr));
    q.push(f);
    ASSERT_TRUE(SimFault::parse("silence*always", f, nullptr));
    q.push(f);
    EXPECT_EQ(q.take().refuse, 6);
    EXPECT_EQ(q.take().refuse, 6);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(q.take().silence);
    q.clear();
    EXPECT_TRUE(q.take().isNone());
}

TEST(SimFaultSpec, BoundToOneParameter)
{
    SimFault f;
    ASSERT_TRUE(SimFault::parse("silence@0x0102*2", f, nullptr));
    EXPECT_TRUE(f.silence);
    EXPECT_EQ(f.parAdr, 0x0102);
    EXPECT_EQ(f.count, 2);
    ASSERT_TRUE(SimFault::parse("busy @ 259", f, nullptr));
    EXPECT_EQ(f.parAdr, 259);
    EXPECT_EQ(f.count, 1);
    for (const char* badSpec : {"busy@", "busy@0x10000", "busy@-1", "busy@x", "@5"})
        EXPECT_FALSE(SimFault::parse(QString::fromLatin1(badSpec), f, nullptr)) << badSpec;

    // Requests for other parameters (or none) pass a bound fault by and
    // take the next one that applies.
    SimFaultQueue q;
    ASSERT_TRUE(SimFault::parse("silence@0x0102*2", f, nullptr));
    q.push(f);
    ASSERT_TRUE(SimFault::parse("refuse=3", f, nullptr));
    q.push(f);
    EXPECT_EQ(q.take(0x0101).refuse, 3);
    EXPECT_TRUE(q.take(0x0101).isNone());
    EXPECT_TRUE(q.take(-1).isNone());
    EXPECT_TRUE(q.take(0x0102).silence);
    EXPECT_TRUE(q.take(0x0102).silence);
    EXPECT_TRUE(q.empty());
}
