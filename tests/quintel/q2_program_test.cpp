// The Quintel program end to end: the real program logic, protocol
// selector and DIN 66019 II driver against simulated inverters on a
// pseudo-terminal, with a scripted interaction.

#include "q2_fixture.h"

#include <QFile>

using q2::ProgramTest;


namespace {

const QStringList kRows21 = {
    "CP00|0|Password|5179",
    "CP01|0|Maximum frequency|50.0 Hz",
    "CP02|1|Maximum frequency|50.0 Hz",
    "CP03|A|Acceleration time|5.00 s",
    "CP04|I|Speed offset|-2.5 %",
    "CP06|0|Control word|17: On+Stop+Terminal",
    "CP07|0|Pulse count|102.4 Hz",
    "CP08|A|Rated speed|1450 1/min",
    "CP09|0-7|Minimum frequency|0.0 Hz",
};

struct TableCase {
    int type;
    int rows;
    const char* staticText;
    bool setColumn;
    QStringList expected;
};

class ProgramTypesTest : public ProgramTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(ProgramTypesTest, StartUpReadsTheTable)
{
    const TableCase c = GetParam();
    addInverter(1, c.type);
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(c.rows); }, 30000));
    EXPECT_EQ(prog->Rows.Count(), c.rows);
    EXPECT_EQ(prog->StaticText1, QString::fromLatin1(c.staticText));
    EXPECT_EQ(prog->Rows.Width(TCpRowModel::ColSet), c.setColumn ? 100 : 0);
    QStringList rows;
    for (int i = 0; i < prog->Rows.Count(); ++i)
        rows << row(i);
    EXPECT_EQ(rows, c.expected);
    EXPECT_EQ(prog->InvBtnCaption, QStringLiteral("Inverter:1"));
    EXPECT_EQ(prog->ComBtnCaption, QStringLiteral("COM6 9600"));
    EXPECT_EQ(prog->Caption, QStringLiteral("Quintel V5.4 "));
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, ProgramTypesTest,
                         ::testing::Values(TableCase{21, 9, "21:VX-210", true, kRows21},
                                           // Selector mode: the same table through QuintelSel + n.
                                           TableCase{22, 9, "22:VX-220", true, kRows21},
                                           TableCase{3, 4, "3:VL-03", false,
                                                     {"CP00|0|Password|5179", "CP01|0|Maximum frequency|50.0 Hz",
                                                      "CP02|0|Speed offset|-2.5 %",
                                                      "CP04|0|Control word|17: On+Stop+Terminal"}}));

}  // namespace
