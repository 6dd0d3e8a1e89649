// The simulator's Quintel values: QuintelSel + n stands for entry n's
// target with the request's set addressing.

#include "temp_dir.h"

#include "sim/sim_inverter.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace qelsim;

namespace {

SimModel sample(int type)
{
    SimModel m;
    QString error;
    const QString src = QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type%1.json").arg(type, 4, 10, QLatin1Char('0')));
    EXPECT_TRUE(SimModel::fromJsonFile(src, m, &error)) << error.toStdString();
    return m;
}

SimReply access(SimInverter& inv, int service, bool write, int par, int set, int32_t value = 0)
{
    SimRequest r;
    r.address = inv.address();
    r.service = service;
    r.isWrite = write;
    r.data.setU16(0, uint16_t(par));
    if (service == -1) {
        r.data.setU16(2, uint16_t(value));
    } else {
        r.data.setU8(2, uint8_t(set));
        r.data.setI32(4, value);
    }
    return inv.handle(r);
}

} // namespace

TEST(SimQuintelAlias, SelectorTypeValuesAreTheTargets)
{
    for (int type : {22, 26}) {
        SCOPED_TRACE(type);
        SimInverter inv(1, sample(type));
        inv.setValue(0x101, 11, 0);
        inv.setValue(0x101, 22, 1);
        // CP01 and CP02 both stand for 0x101; the set byte chooses.
        EXPECT_EQ(access(inv, 0, false, 0x0E41, 0x01).data.i32(4), 11);
        EXPECT_EQ(access(inv, 0, false, 0x0E42, 0x02).data.i32(4), 22);
        // Service 1 on the wire: 0 the actual set (0), 1 the set pointer (1).
        inv.setValue(0x0003, 1);
        EXPECT_EQ(access(inv, 1, false, 0x0E41, 0).data.i32(4), 11);
        EXPECT_EQ(access(inv, 1, false, 0x0E41, 1).data.i32(4), 22);
        // CP00 is the password.
        EXPECT_EQ(access(inv, 0, false, 0x0E40, 0x01).data.i32(4), 5179);

        // Writes reach the target, its limits hold.
        EXPECT_EQ(access(inv, 0, true, 0x0E43, 0x04, 900).status, 0);
        EXPECT_EQ(inv.value(0x103, 2), 900);
        EXPECT_EQ(access(inv, 0, true, 0x0E43, 0x04, 999999).status, int(ErrLimits));
        EXPECT_EQ(inv.value(0x0E43, 2), 900);

        // CP05 is undefined: its own parameter.
        EXPECT_EQ(access(inv, 0, true, 0x0E45, 0x01, 4711).status, 0);
        EXPECT_EQ(inv.value(0x0E45), 4711);
        EXPECT_EQ(inv.value(0x0E40 + 36), 0);
    }
}

TEST(SimQuintelAlias, PairTypeTargetsComeFromTheEntryParameters)
{
    SimModel m = sample(21);
    m.quintelSel = 0x0E80;  // no parameter of its own there
    SimInverter inv(1, m);
    inv.setValue(0x109, -7, 0);
    // CP04 targets 0x109 (parameter 0x0E06).
    EXPECT_EQ(access(inv, 0, false, 0x0E84, 0x01).data.i32(4), -7);
    EXPECT_EQ(access(inv, -1, true, 0x0E84, 0, -9).status, 0);
    EXPECT_EQ(inv.value(0x109), -9);
    // A target changed in the inverter moves the alias.
    inv.setValue(0x0E06, 0x104);
    EXPECT_EQ(access(inv, 0, false, 0x0E84, 0x01).data.i32(4), inv.value(0x104, 0));
    // CP05's target is -1, and 0x0E80 + 37 is beyond the table.
    EXPECT_EQ(access(inv, 0, false, 0x0E85, 0x01).status, int(ErrNotAvailable));
    EXPECT_EQ(access(inv, 0, false, 0x0E80 + 37, 0x01).status, int(ErrNotAvailable));
}
