#include "comm/offline.h"

#include "wait_until.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct OfflineFixture : ::testing::Test {
    tOffline drv;
    std::vector<TRecTel> answers;

    void SetUp() override
    {
        drv.SetOnRspAvail([this](QObject* sender, TRecTel tel) {
            EXPECT_EQ(sender, &drv);
            answers.push_back(tel);
        });
    }
};

TEST_F(OfflineFixture, AnswersEveryRequestWith16AndNumbersWrapAfter15)
{
    ASSERT_EQ(drv.Open(), 0);
    drv.SetTimeOut(5);
    // More than 15 outstanding at once: the numbers repeat, yet every
    // request keeps a timer of its own and gets its own answer.
    constexpr int count = 20;
    std::vector<int> ids;
    TTelData data;
    for (int i = 0; i < count; ++i) {
        const int adr = i == 3 ? 300 : i; // any address is accepted
        ids.push_back(i % 2 ? drv.ReadParaReq(adr, i, data) : drv.WriteParaReq(adr, i, data));
    }
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(ids[i], i % 15 + 1) << i;
    EXPECT_EQ(drv.PendingCount(), count);

    ASSERT_TRUE(qeltest::waitUntil([&] { return int(answers.size()) == count; }));
    EXPECT_EQ(drv.PendingCount(), 0);
    for (int i = 0; i < count; ++i) {
        const TRecTel& a = answers[i];
        EXPECT_EQ(a.ReqId, ids[i]);
        EXPECT_EQ(a.InvAdr, i == 3 ? 300 : i);
        EXPECT_EQ(a.Service, i);
        EXPECT_EQ(a.IsRead, i % 2 ? 1 : 0);
        EXPECT_EQ(a.IsReq, 0);
        EXPECT_EQ(a.Status, QelResult::Offline);
        EXPECT_EQ(a.Data.GetU32(4), 0u);
    }
}

TEST_F(OfflineFixture, OpenCloseAndRequestsWhileClosed)
{
    TTelData data;
    EXPECT_EQ(drv.ReadParaReq(1, 0, data), QelResult::DriverClosed);
    EXPECT_EQ(drv.Close(), QelResult::NotOpen);
    EXPECT_EQ(drv.Open(), 0);
    EXPECT_EQ(drv.Open(), QelResult::AlreadyOpen);
    EXPECT_TRUE(drv.IsOpen());
    EXPECT_EQ(drv.GetProtType(), prOffline);
    EXPECT_EQ(drv.GetVersion(), "Offline Driver\r\nVersion: 1.10\r\nDate: 01.01.2000");

    // A request accepted before Close is still answered.
    drv.SetTimeOut(5);
    EXPECT_EQ(drv.ReadParaReq(7, 0, data), 1);
    EXPECT_EQ(drv.Close(), 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return answers.size() == 1; }));
    EXPECT_EQ(answers[0].Status, QelResult::Offline);
}

TEST_F(OfflineFixture, SynchronousCallsAnswerAtOnce)
{
    TTelData data;
    TRecTel rsp;
    rsp.Data.Value = 1234; // the data area is left alone
    EXPECT_EQ(drv.ReadPara(5, 0, data, rsp), QelResult::DriverClosed);
    EXPECT_EQ(rsp.Status, QelResult::DriverClosed);

    drv.Open();
    EXPECT_EQ(drv.ReadPara(5, 0, data, rsp), 0);
    EXPECT_EQ(rsp.Status, QelResult::Offline);
    EXPECT_EQ(rsp.ReqId, -1);
    EXPECT_EQ(rsp.InvAdr, 5);
    EXPECT_EQ(rsp.IsRead, 1);
    EXPECT_EQ(rsp.Data.Value, 1234);

    EXPECT_EQ(drv.WritePara(6, -1, data, rsp), 0);
    EXPECT_EQ(rsp.IsRead, 0);
    EXPECT_EQ(rsp.Service, -1);
    EXPECT_EQ(drv.ReadParaRsp(1, 1, 0, 0, data), QelResult::NotSupported);
    EXPECT_TRUE(answers.empty()); // synchronous calls raise no event
}

} // namespace
