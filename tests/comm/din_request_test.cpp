// The request state shared by the DIN 66019 II drivers: what each line's
// rules make the answer scan look for.

#include "comm/din_codec.h"
#include "comm/din_request.h"

#include <gtest/gtest.h>

TEST(DinRequest, ScanParamsFollowEachLinesRules)
{
    // Serial line: a poll is acknowledged, no negative service is numbered.
    // IP: a poll is not acknowledged, only service -1 goes unnumbered.
    struct Case {
        bool read;
        int service;
        bool serialAck;
        bool serialNumbered;
        bool ipAck;
        bool ipNumbered;
    };
    const Case cases[] = {
        {false, 0, true, true, true, true},
        {false, -1, true, false, true, false},
        {true, 0, false, true, false, true},
        {true, 32, true, true, true, true},
        {true, 33, true, true, true, true},
        {true, -1, false, false, false, false},
        {true, -2, true, false, false, true},
    };
    for (const Case& c : cases) {
        TDinRequest req;
        req.Reset();
        TTelData d;
        d.ParAdr = 0x0203;
        uint8_t frame[DinCodec::MinTelBuffer];
        ASSERT_GT(req.Prepare(c.read, 1, c.service, d, frame), 0) << c.service;
        req.Sent();
        const int id = req.ReqId();
        ASSERT_EQ(id, 2);

        const DinAnswerScan::TParams serial = req.ScanParams(true, true);
        EXPECT_EQ(serial.WantAck, c.serialAck) << c.read << " " << c.service;
        EXPECT_EQ(serial.AckId, c.serialNumbered ? id : 0) << c.read << " " << c.service;
        const DinAnswerScan::TParams ip = req.ScanParams(false, false);
        EXPECT_EQ(ip.WantAck, c.ipAck) << c.read << " " << c.service;
        EXPECT_EQ(ip.AckId, c.ipNumbered ? id : 0) << c.read << " " << c.service;
        for (const DinAnswerScan::TParams& p : {serial, ip}) {
            EXPECT_EQ(p.ReqId, id);
            EXPECT_EQ(p.Service, c.service);
            EXPECT_EQ(p.IsRead, c.read);
            EXPECT_EQ(p.ExpectedParAdr, c.read ? 0x0203 : 0);
            EXPECT_EQ(p.Echo, nullptr);
        }
    }
}
