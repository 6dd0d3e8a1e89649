// Simulated signals (sine and ramp per parameter) and the offline scope
// memory's states: trigger wait, storing, finished, early end.
#include "sim/sim_inverter.h"
#include "sim/sim_signal.h"

#include "temp_dir.h"
#include "wait_until.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace qelsim;

TEST(SimSignal, ShapesAndParsing)
{
    SimSignal sine{SimSignal::Sine, 500, 2000, 1000};
    EXPECT_EQ(sine.at(0), 1000);
    EXPECT_EQ(sine.at(500), 1500);
    EXPECT_EQ(sine.at(1500), 500);
    EXPECT_EQ(sine.at(2500), 1500);  // periodic
    SimSignal ramp{SimSignal::Ramp, 100, 1000, -50};
    EXPECT_EQ(ramp.at(0), -50);
    EXPECT_EQ(ramp.at(500), 0);
    EXPECT_EQ(ramp.at(1250), -25);

    uint16_t addr = 0;
    SimSignal s;
    ASSERT_TRUE(SimSignal::parse(QStringLiteral("0x0105=sine:500:2000:1000"), addr, s, nullptr));
    EXPECT_EQ(addr, 0x0105);
    EXPECT_EQ(s.kind, SimSignal::Sine);
    EXPECT_EQ(s.at(500), 1500);
    ASSERT_TRUE(SimSignal::parse(QStringLiteral("7=ramp:10:100"), addr, s, nullptr));
    EXPECT_EQ(addr, 7);
    EXPECT_EQ(s.offset, 0);
    for (const char* bad : {"0x105", "x=sine:1:2", "5=square:1:2", "5=sine:1:0", "5=sine:1", "70000=sine:1:2"})
        EXPECT_FALSE(SimSignal::parse(QString::fromLatin1(bad), addr, s, nullptr)) << bad;
}

TEST(SimSignal, ReadsFollowTheSignalOfTheSourceOrTheTest)
{
    SimModel model;
    QString error;
    ASSERT_TRUE(SimModel::fromJsonFile(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type0021.json")),
                                       model, &error))
        << error.toStdString();
    ASSERT_TRUE(model.param(0x0105)->signal.active());
    SimInverter inv(1, model);
    // Values of a sine between 500 and 1500, not all equal over a period.
    int lo = 1 << 30, hi = -(1 << 30);
    ASSERT_TRUE(qeltest::waitUntil([&] {
        const int v = inv.value(0x0105);
        EXPECT_GE(v, 500);
        EXPECT_LE(v, 1500);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        return hi - lo > 200;
    }));
    inv.setSignal(0x0105, SimSignal{SimSignal::Ramp, 0, 1000, 42});
    EXPECT_EQ(inv.value(0x0105), 42);
    inv.setSignal(0x0105, SimSignal{});  // inactive: the stored value again
    EXPECT_EQ(inv.value(0x0105), 700);
    // A value set by a test ends the source's signal too.
    SimInverter other(2, model);
    other.setValue(0x0207, 5);
    EXPECT_EQ(other.value(0x0207), 5);

    QByteArray bad = R"({"cfgId": 9, "newStyle": true, "groups": [{"index": 1, "idChar": "ab", "baseAddr": "0x0100",
        "params": [{"addr": "0x0101", "name": "x", "signal": {"kind": "saw"}}]}]})";
    EXPECT_FALSE(SimModel::fromJson(bad, model, &error));
}

namespace {
SimReply plain(SimInverter& inv, int addr, bool write = false, int value = 0)
{
    SimRequest r;
    r.service = -1;
    r.isWrite = write;
    r.data.setU16(0, uint16_t(addr));
    r.data.setU16(2, uint16_t(value));
    return inv.handle(r);
}
} // namespace

TEST(SimSignal, OfflineMemoryWaitsStoresAndEndsEarly)
{
    SimModel model;
    QString error;
    ASSERT_TRUE(SimModel::fromJsonFile(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type0021.json")),
                                       model, &error));
    const int base = model.scopeBase;
    SimInverter inv(1, model);
    inv.setSignal(0x0109, SimSignal{SimSignal::Ramp, 1000, 1000, 0});  // 1 per ms
    ASSERT_EQ(plain(inv, base + 0, true, 0x0109).status, 0);
    ASSERT_EQ(plain(inv, base + 4, true, 2000).status, 0);  // 2000 us (flag 0x800)
    inv.setOfflineScope(std::chrono::milliseconds(150), 20);

    ASSERT_EQ(plain(inv, base + 7, true, 255).status, 0);
    EXPECT_EQ(plain(inv, base + 8).data.u16(2), 1);
    ASSERT_TRUE(qeltest::waitUntil([&] { return plain(inv, base + 8).data.u16(2) != 1; }));
    ASSERT_TRUE(qeltest::waitUntil([&] { return plain(inv, base + 8).data.u16(2) == 0; }));
    // Samples 2 ms apart on the ramp.
    ASSERT_EQ(plain(inv, base + 9, true, 3).status, 0);
    const int v3 = int16_t(plain(inv, base + 10).data.u16(2));
    ASSERT_EQ(plain(inv, base + 9, true, 4).status, 0);
    const int v4 = int16_t(plain(inv, base + 10).data.u16(2));
    EXPECT_TRUE(v4 - v3 == 2 || v4 - v3 == -998) << v3 << " " << v4;
    EXPECT_EQ(plain(inv, base + 9, true, 19).status, 0);
    EXPECT_EQ(plain(inv, base + 9, true, 20).status, ErrLimits);

    // Ended while waiting for the trigger: nothing stored.
    inv.setOfflineScope(std::chrono::milliseconds(60000), 20);
    ASSERT_EQ(plain(inv, base + 7, true, 255).status, 0);
    EXPECT_EQ(plain(inv, base + 8).data.u16(2), 1);
    ASSERT_EQ(plain(inv, base + 7, true, 0).status, 0);
    EXPECT_EQ(plain(inv, base + 8).data.u16(2), 0);
    EXPECT_EQ(plain(inv, base + 9, true, 0).status, ErrLimits);
}
