// The Quintel-mode window's rules that need no inverter: the value
// editor's set selector from an entry's definition word and the placing of
// new windows.

#include "quintel/cp_window.h"

#include <gtest/gtest.h>

namespace {

TEST(CpWindowCore, SetSelectorFollowsTheSetAddressingOfTheDefinition)
{
    const struct {
        int def;
        int setSel;
    } cases[] = {
        {0x0005, 5},   // addressing 0: the set mask
        {0x1C81, 0x81},  // the normalisation bits do not count
        {0x0000, 0},
        {0x0105, 0},   // 1: the actual set
        {0x0205, -1},  // 2: indirect
        {0x0305, 0},   // 3: taken as the actual set
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCpWindowCore::SetSelOfDef(c.def), c.setSel) << std::hex << c.def;
}

TEST(CpWindowCore, WindowsCascadeBelowTheMainBar)
{
    EXPECT_EQ(CpWindowPos(0, 61), QPoint(25, 86));
    EXPECT_EQ(CpWindowPos(9, 61), QPoint(250, 311));
}

}  // namespace
