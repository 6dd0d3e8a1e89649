// commprobe over both simulated cards: the real program, the loader
// pointed at the card libraries by the install step, the cards set up
// from a file named in the environment.

#include "commprobe_card_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using cardprobe::built;
using cardprobe::Data;

class CardCommProbe : public cardprobe::CommProbeCardTest {
protected:
    void SetUp() override
    {
        cardprobe::CommProbeCardTest::SetUp();
        for (const char* p : {"tools/commprobe/commprobe", "tools/qel-install/qel-install"})
            ASSERT_TRUE(QFileInfo(built(QString::fromLatin1(p))).isExecutable()) << p << " not built";
        InstallCards(
            {"nican.DLL=" + built("sim/cards/libsimcan.so"), "IBDDIWNT.DLL=" + built("sim/cards/libsimibs.so")});
    }

    int Probe(const QStringList& args, QStringList& lines)
    {
        return RunProbe({"QEL_SIMCAN_SETUP", "QEL_SIMIBS_SETUP"}, args, lines);
    }
};

TEST_F(CardCommProbe, ParametersVariablesAndProcessDataOverBothCards)
{
    for (const char* prot : {"can", "ibs"}) {
        QStringList lines;
        EXPECT_EQ(Probe({"--prot", prot, "--addr", "4", "read", "-1", "0x160F", "pdwrite", "16", "1", "2", "3",
                         "4", "5", "6", "7", "8", "pdread", "16", "write", "0", "0x0101", "77", "1", "read", "0",
                         "0x0101", "1"},
                        lines),
                  0)
            << prot;
        ASSERT_EQ(lines.size(), 5) << prot;
        EXPECT_EQ(lines[0], "result=0 status=0 data=" + Data({{0, "0F16"}, {2, "3412"}})) << prot;
        EXPECT_EQ(lines[2], "result=0 status=0 data=" + Data({{0, "0102030405060708"}})) << prot;
        EXPECT_EQ(lines[4], "result=0 status=0 data=" + Data({{0, "010101004D000000"}})) << prot;
    }
    QStringList lines;
    EXPECT_EQ(Probe({"--prot", "can", "--card-id", "CAN0", "--bitrate", "125000", "--addr", "4", "fbread", "4", "0",
                     "0"},
                    lines),
              0);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], "result=0 status=0 data=" + Data({{0, "04"}, {5, "0105"}}));
    EXPECT_EQ(Probe({"--prot", "ibs", "--card", "2", "--addr", "4", "fbread", "1", "0", "0"}, lines), 0);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=0 status=0 data=01000000001251454C0D")) << qPrintable(lines[0]);
}

TEST_F(CardCommProbe, SilentInverterAndWrongArguments)
{
    QStringList lines;
    EXPECT_EQ(Probe({"--prot", "can", "--addr", "6", "--retries", "1", "--timeout", "50", "read", "-1", "1"}, lines),
              1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=0 status=-10 ")) << qPrintable(lines[0]);
    EXPECT_EQ(Probe({"--prot", "can", "--bitrate", "12345", "read", "-1", "1"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "ibs", "pdread", "18"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "ibs", "fbread", "5", "0", "0"}, lines), 2);
}

} // namespace
