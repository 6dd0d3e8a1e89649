// commprobe over the simulated Profibus DP card: the real program, the
// loader pointed at the card library by the install step, the card set up
// from a file named in the environment.

#include "commprobe_card_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using cardprobe::built;
using cardprobe::Data;

class PbsCommProbe : public cardprobe::CommProbeCardTest {
protected:
    void SetUp() override
    {
        cardprobe::CommProbeCardTest::SetUp();
        for (const char* p : {"tools/commprobe/commprobe", "tools/qel-install/qel-install", "sim/cards/libsimpbs.so"})
            ASSERT_TRUE(QFileInfo::exists(built(QString::fromLatin1(p)))) << p << " not built";
        InstallCards({"PAPI.DLL=" + built("sim/cards/libsimpbs.so")});
    }

    int Probe(const QStringList& args, QStringList& lines) { return RunProbe({"QEL_SIMPBS_SETUP"}, args, lines); }
};

TEST_F(PbsCommProbe, ParametersProcessDataAndTelegrams)
{
    QStringList lines;
    EXPECT_EQ(Probe({"--prot", "pbs", "--bitrate", "1500000", "--master", "2", "--addr", "4", "read", "-1",
                     "0x160F", "pdwrite", "16", "1", "2", "3", "4", "5", "6", "7", "8", "pdread", "16", "write", "0",
                     "0x0101", "77", "1", "read", "0", "0x0101", "1"},
                    lines),
              0);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "result=0 status=0 data=" + Data({{0, "0F16"}, {2, "3412"}}));
    EXPECT_EQ(lines[2], "result=0 status=0 data=" + Data({{0, "0102030405060708"}}));
    EXPECT_EQ(lines[4], "result=0 status=0 data=" + Data({{0, "010101004D000000"}}));
}

TEST_F(PbsCommProbe, RefusalsSilenceAndWrongArguments)
{
    QStringList lines;
    // Identify is not carried over Profibus DP.
    EXPECT_EQ(Probe({"--prot", "pbs", "--addr", "4", "fbread", "1", "0", "0"}, lines), 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=-104 status=-104 ")) << qPrintable(lines[0]);
    EXPECT_EQ(Probe({"--prot", "pbs", "--addr", "6", "--retries", "1", "read", "-1", "1"}, lines), 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("result=0 status=-10 ")) << qPrintable(lines[0]);
    EXPECT_EQ(Probe({"--prot", "pbs", "--bitrate", "125000", "read", "-1", "1"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "pbs", "--master", "126", "read", "-1", "1"}, lines), 2);
    EXPECT_EQ(Probe({"--prot", "can", "--bitrate", "1500000", "read", "-1", "1"}, lines), 2);
}

} // namespace
