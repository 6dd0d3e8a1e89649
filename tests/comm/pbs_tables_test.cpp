// The Profibus DP driver's fixed tables without a card: the slave list
// rule, the error table, bit rates and the parameter sets.

#include "comm/pbs.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Hex(const char* hex)
{
    const QByteArray b = QByteArray::fromHex(hex);
    return std::vector<uint8_t>(b.begin(), b.end());
}

TEST(PbsTables, SlaveListIsNormalised)
{
    const struct {
        QStringList in;
        QStringList out;
    } cases[] = {
        {{"7 ", " ", "3", "x", "200", "3", "-1"}, {"3", "7"}},
        {{}, {"1"}},
        {{"", "abc", "125"}, {"1"}},
        {{" 124", "0", "0x10", "12.5", "05"}, {"0", "5", "124"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tPBS::NormaliseSlaveList(c.in), c.out) << c.in.join('|').toStdString();

    tPBS pbs;
    pbs.SetSlaveList({"9", "2", "9"});
    EXPECT_EQ(pbs.GetSlaveList(), (QStringList{"2", "9"}));
}

TEST(PbsTables, ErrorTable)
{
    const struct {
        int cls, code, add, result;
    } cases[] = {
        {5, 9, 99, 14},  {6, 2, 7, -10},  {6, 3, 0, 4},   {6, 3, 48, 8},  {6, 4, 5, 13},
        {6, 5, 0, 3},    {6, 5, 16, 3},   {6, 5, 17, 13}, {6, 7, 1, 13},  {8, 0, 0, 15},
        {8, 0, 16, 12},  {8, 0, 34, 6},   {8, 0, 48, 3},  {8, 0, 51, 11}, {8, 0, 52, 7},
        {8, 0, 55, 15},
        // Combinations the table lacks are refusals all the same.
        {6, 3, 1, 7},    {6, 9, 0, 7},    {8, 1, 34, 7},  {8, 0, 99, 7},  {3, 0, 0, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tPBS::ErrorResult(c.cls, c.code, c.add), c.result) << c.cls << "/" << c.code << "/" << c.add;
}

TEST(PbsTables, BitRatesGiveBusCodeAndSendTimeOut)
{
    using B = TPbsBaudRate;
    const struct {
        B rate;
        int code, timeout;
    } cases[] = {
        {B::B_9K6, 0, 400}, {B::B_19K2, 1, 400}, {B::B_45K45, 11, 400}, {B::B_93K75, 2, 400},
        {B::B_187K5, 3, 400}, {B::B_500K, 4, 200}, {B::B_750K, 5, 100}, {B::B_1M5, 6, 100},
        {B::B_3M, 7, 100}, {B::B_6M, 8, 100}, {B::B_12M, 9, 100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tPBS::BusCode(c.rate), c.code) << int(c.rate);
        EXPECT_EQ(tPBS::SendTimeOut(c.rate), c.timeout) << int(c.rate);
    }
}

TEST(PbsTables, ParameterSetsByteForByte)
{
    EXPECT_EQ(tPBS::BusParamSet(TPbsBaudRate::B_500K, 2),
              Hex("0042" "02" "04" "00C8" "000B" "0064" "00" "01" "000186A0" "01" "20" "01" "00" "0001" "01F4"
                  "0064" "000000000000" "0000"
                  "0000000000000000000000000000000000000000000000000000000000000000"));
    EXPECT_EQ(tPBS::SlaveParamSet(0x05EB, Hex("0005B7A393")),
              Hex("0034" "E0" "00" "000000000000000000000000" "0009" "38" "01" "32" "0B" "05EB" "00"
                  "0005B7A393" "0004" "0000" "0012" "00000000000000000000000000000000"));
    // 17 bytes of configuration data make 64; one more does not fit.
    EXPECT_EQ(tPBS::SlaveParamSet(1, std::vector<uint8_t>(17, 0)).size(), 64u);
    EXPECT_TRUE(tPBS::SlaveParamSet(1, std::vector<uint8_t>(18, 0)).empty());
}

TEST(PbsTables, DriverAtCreation)
{
    tPBS pbs;
    EXPECT_EQ(pbs.GetVersion(), "Profibus DP Driver\r\nVersion: 1.22\r\nDate: 16.05.2001");
    EXPECT_EQ(pbs.GetProtType(), prPBS);
    EXPECT_FALSE(pbs.IsOpen());
    EXPECT_EQ(pbs.GetTimeOut(), 55);
    EXPECT_EQ(pbs.GetRetryCnt(), 5);
    EXPECT_EQ(pbs.GetBaudrate(), TPbsBaudRate::B_93K75);
    EXPECT_EQ(pbs.GetMasteraddr(), 0);
    EXPECT_EQ(pbs.State(), tPBS::stClosed);
    EXPECT_EQ(pbs.Close(), QelResult::NotOpen);
    EXPECT_EQ(pbs.ReadParaReq(1, -1, TTelData{}), QelResult::DriverClosed);
    TRecTel rsp;
    EXPECT_EQ(pbs.ReadPara(1, -1, TTelData{}, rsp), QelResult::DriverClosed);
    EXPECT_EQ(rsp.Status, QelResult::DriverClosed);
    EXPECT_EQ(pbs.ReadParaRsp(1, 1, -1, 0, TTelData{}), QelResult::NotSupported);
    EXPECT_EQ(pbs.WriteParaRsp(1, 1, -1, 0, TTelData{}), QelResult::NotSupported);
    pbs.SetOnReqAvail([](QObject*, TRecTel) {});
    EXPECT_FALSE(pbs.GetOnReqAvail());
}

} // namespace
