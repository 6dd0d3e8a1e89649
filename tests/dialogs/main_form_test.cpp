// A window's hold on the main form: it reaches the form while the form
// takes calls, and goes quiet once the form has gone.
#include "fake_main_form.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(MainFormRef, ReachesTheFormWhileItLivesAndNothingAfterwards)
{
    auto form = std::make_unique<qeltest::TFakeMainForm>();
    std::vector<PTOperatingFuncs> funcs;
    std::vector<TContextList*> lists;
    form->OnSetPrgOpFuncs = [&](PTOperatingFuncs f) { funcs.push_back(f); };
    form->OnSetContextFuncs = [&](TContextList* l) { lists.push_back(l); };
    form->Bar = QRect(0, 0, 800, 60);

    TOperatingFuncs ops;
    TContextList context;
    const TMainFormRef ref(form.get());
    ASSERT_TRUE(ref);
    ref.HandOver(&ops, &context);
    ref.HandOver(nullptr, nullptr);
    EXPECT_EQ(funcs, (std::vector<PTOperatingFuncs>{&ops, nullptr}));
    EXPECT_EQ(lists, (std::vector<TContextList*>{&context, nullptr}));
    EXPECT_EQ(ref.BarFrame(), QRect(0, 0, 800, 60));

    // A window closing after the main form hands over nothing.
    form.reset();
    EXPECT_FALSE(ref);
    ref.HandOver(&ops, &context);
    EXPECT_EQ(funcs.size(), 2u);
    EXPECT_EQ(lists.size(), 2u);
    EXPECT_EQ(ref.BarFrame(), QRect());

    // Without a form, a window opens at the top of the screen.
    EXPECT_FALSE(TMainFormRef());
    EXPECT_EQ(TMainFormRef().BarFrame(), QRect());
}
