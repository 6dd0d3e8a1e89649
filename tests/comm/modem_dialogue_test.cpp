// The modem dialogue on its own: every answer text, lines split across
// polls, and the two time limits counted in polls.

#include "comm/modem_dialogue.h"

#include <gtest/gtest.h>

using Action = TModemDialogue::Action;

TEST(ModemDialogue, AnswersAndLines)
{
    const struct {
        const char* afterDial;
        Action result;
    } cases[] = {
        {"CONNECT 9600\r\n", Action::Connected},
        {"connect\n", Action::Connected}, // any case
        {"BUSY\r\n", Action::Failed},
        {"NO CARRIER\r", Action::Failed},
        {"NO DIALTONE\r\n", Action::Failed},
        {"NO ANSWER\r\n", Action::Failed},
        {"ERROR\r\n", Action::Failed},
        {"RING\r\nCONNECT 2400/ARQ\r\n", Action::Connected}, // other lines are dropped
        {"CONNECT", Action::Wait},                          // no line end yet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterDial);
        TModemDialogue d("ATDT 0815");
        EXPECT_EQ(d.Start(), QByteArray("AT\r\n"));
        QByteArray send;
        EXPECT_EQ(d.Poll("AT\r", send), Action::Wait); // the modem's echo
        EXPECT_EQ(d.Poll("\nO", send), Action::Wait);
        // "OK": dial; what came after it in the same read is dropped.
        EXPECT_EQ(d.Poll("K\r\nBUSY\r\n", send), Action::SendCommand);
        EXPECT_EQ(send, QByteArray("ATDT 0815\r\n"));
        EXPECT_FALSE(d.WaitingForOk());
        EXPECT_EQ(d.Poll(c.afterDial, send), c.result);
    }
}

TEST(ModemDialogue, ErrorBeforeOkAndOkOnlyOnce)
{
    TModemDialogue d("ATD1");
    d.Start();
    QByteArray send;
    EXPECT_EQ(d.Poll("ERROR\r\n", send), Action::Failed);

    TModemDialogue d2("ATD1");
    d2.Start();
    EXPECT_EQ(d2.Poll("OK\r\n", send), Action::SendCommand);
    send.clear();
    EXPECT_EQ(d2.Poll("OK\r\n", send), Action::Wait); // a second OK does not dial again
    EXPECT_TRUE(send.isEmpty());
}

TEST(ModemDialogue, TimeLimits)
{
    // No "OK" within 100 polls.
    TModemDialogue d("ATD1");
    d.Start();
    QByteArray send;
    for (int i = 1; i < TModemDialogue::OkPolls; ++i)
        ASSERT_EQ(d.Poll({}, send), Action::Wait) << i;
    EXPECT_EQ(d.Poll({}, send), Action::Failed);

    // No "CONNECT" within 6000 polls from the start.
    TModemDialogue d2("ATD1");
    d2.Start();
    EXPECT_EQ(d2.Poll("OK\n", send), Action::SendCommand);
    for (int i = 2; i < TModemDialogue::TotalPolls; ++i)
        ASSERT_EQ(d2.Poll(i % 7 ? QByteArray() : QByteArray("x"), send), Action::Wait) << i;
    EXPECT_EQ(d2.Poll({}, send), Action::Failed);
}
