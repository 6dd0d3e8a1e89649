// The set editor: selector display and the box rule headless, then the
// window driven by object name.

#include "dialogs/glyph_button.h"
#include "lists/set_edit.h"
#include "screenshot.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <optional>

namespace {

struct ShowCase {
    int sel;
    int boxes;  // mask of ticked boxes
    bool enabled;
    TSetEditState::TChoice choice;
    int got;  // GetSet
};

TEST(SetEditState, ShowSetMapsSelectorToBoxesAndChoice)
{
    const ShowCase cases[] = {
        {5, 0x05, true, TSetEditState::chEnhanced, 5},
        {255, 0xFF, true, TSetEditState::chEnhanced, 255},
        {0x80, 0x80, true, TSetEditState::chEnhanced, 0x80},
        {0, 0x01, false, TSetEditState::chActual, 0},
        {-1, 0x01, false, TSetEditState::chIndirect, -1},
        {-7, 0x01, false, TSetEditState::chIndirect, -1},
        // From a list file: only the low eight bits, box 0 when they are 0.
        {0x1F0, 0xF0, true, TSetEditState::chEnhanced, 0xF0},
        {0x100, 0x01, true, TSetEditState::chEnhanced, 1},
        {0x7F00, 0x01, true, TSetEditState::chEnhanced, 1},
    };
    for (const ShowCase& c : cases) {
        for (int before : {0x0, 0x80, 0xFF}) {
            TSetEditState s;
            s.ShowSet(before == 0 ? -1 : before);
            s.ShowSet(c.sel);
            SCOPED_TRACE(testing::Message() << "sel " << c.sel << " after " << before);
            EXPECT_EQ(s.SetMask(), c.boxes);
            EXPECT_EQ(s.BoxesEnabled(), c.enabled);
            EXPECT_EQ(s.Choice(), c.choice);
            EXPECT_EQ(s.GetSet(), c.got);
        }
    }
}

TEST(SetEditState, AtLeastOneBoxStaysTicked)
{
    TSetEditState s;
    s.ShowSet(4);
    s.SetBox(2, false);
    EXPECT_EQ(s.SetMask(), 4);
    s.SetBox(0, true);
    s.SetBox(2, false);
    EXPECT_EQ(s.SetMask(), 1);
    // Choosing another kind keeps the ticks for a return to enhanced.
    s.Choose(TSetEditState::chActual);
    EXPECT_FALSE(s.BoxesEnabled());
    EXPECT_EQ(s.GetSet(), 0);
    s.Choose(TSetEditState::chEnhanced);
    EXPECT_TRUE(s.BoxesEnabled());
    EXPECT_EQ(s.GetSet(), 1);
    s.Choose(TSetEditState::chIndirect);
    s.All();
    EXPECT_EQ(s.Choice(), TSetEditState::chEnhanced);
    EXPECT_EQ(s.GetSet(), 255);
}

class SetEditWindow : public ::testing::Test {
protected:
    QCheckBox* box(int i) { return form.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(i)); }
    template <class T>
    T* child(const char* name) { return form.findChild<T*>(QString::fromLatin1(name)); }
    TVarneGlyphButton* ok() { return child<TVarneGlyphButton>("OkButton"); }
    TVarneGlyphButton* cancel() { return child<TVarneGlyphButton>("CancelButton"); }
    int ticked()
    {
        int m = 0;
        for (int i = 0; i < 8; ++i)
            m |= box(i)->isChecked() ? 1 << i : 0;
        return m;
    }
    void open(int16_t sel)
    {
        form.EditSet(sel, QStringLiteral("P 0101"), [this](int16_t s) { got = s; ++calls; });
    }

    TfrmSetEdit form;
    std::optional<int> got;
    int calls = 0;
};

TEST_F(SetEditWindow, ShowsTheSelectorAndOkHandsItOver)
{
    open(5);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(child<QLabel>("Label1")->text(), "P 0101");
    EXPECT_TRUE(child<QRadioButton>("EnhSetRB")->isChecked());
    EXPECT_EQ(ticked(), 0x05);
    EXPECT_TRUE(box(3)->isEnabled());
    EXPECT_TRUE(ok()->isEnabled());
    ok()->click();
    EXPECT_EQ(got, 5);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SetEditWindow, ClearingTheOnlyTickedBoxTicksItAgain)
{
    open(4);
    box(2)->click();
    EXPECT_TRUE(box(2)->isChecked());
    box(6)->click();
    box(2)->click();
    EXPECT_EQ(ticked(), 0x40);
    ok()->click();
    EXPECT_EQ(got, 0x40);
}

TEST_F(SetEditWindow, IndirectThenEnhancedGivesSetZero)
{
    open(-1);
    EXPECT_TRUE(child<QRadioButton>("IndirectSetRB")->isChecked());
    EXPECT_FALSE(box(0)->isEnabled());
    EXPECT_EQ(ticked(), 0x01);
    child<QRadioButton>("EnhSetRB")->click();
    EXPECT_TRUE(box(0)->isEnabled());
    ok()->click();
    EXPECT_EQ(got, 1);
}

TEST_F(SetEditWindow, AllButtonAndRadioButtons)
{
    open(0);
    EXPECT_TRUE(child<QRadioButton>("ActSetRB")->isChecked());
    child<QPushButton>("Button1")->click();
    EXPECT_TRUE(child<QRadioButton>("EnhSetRB")->isChecked());
    EXPECT_EQ(ticked(), 0xFF);
    EXPECT_TRUE(box(7)->isEnabled());
    child<QRadioButton>("IndirectSetRB")->click();
    EXPECT_FALSE(box(7)->isEnabled());
    EXPECT_EQ(ticked(), 0xFF);
    form.CloseOnOK = false;
    ok()->click();
    EXPECT_EQ(got, -1);
    EXPECT_TRUE(form.isVisible());
    child<QRadioButton>("EnhSetRB")->click();
    ok()->click();
    EXPECT_EQ(got, 255);
}

TEST_F(SetEditWindow, WithoutCallbackOkIsDisabledAndDoesNothing)
{
    open(3);
    form.EditSet(-1, QString(), nullptr);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(ok()->isEnabled());
    EXPECT_TRUE(child<QRadioButton>("IndirectSetRB")->isChecked());
    ok()->click();
    EXPECT_EQ(calls, 0);
}

TEST_F(SetEditWindow, CancelRestoresOrClosesAsSet)
{
    form.CloseOnCancel = false;
    open(0x0A);
    box(0)->click();
    child<QRadioButton>("ActSetRB")->click();
    cancel()->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(child<QRadioButton>("EnhSetRB")->isChecked());
    EXPECT_EQ(ticked(), 0x0A);
    EXPECT_EQ(form.SetMask(), 0x0A);
    form.CloseOnCancel = true;
    cancel()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(calls, 0);
}

TEST_F(SetEditWindow, RepointedWhileVisible)
{
    open(1);
    form.EditSet(0x30, QStringLiteral("P 0202"), [this](int16_t s) { got = s + 1000; });
    EXPECT_EQ(ticked(), 0x30);
    EXPECT_EQ(child<QLabel>("Label1")->text(), "P 0202");
    ok()->click();
    EXPECT_EQ(got, 0x30 + 1000);
}

}  // namespace

namespace {

TEST_F(SetEditWindow, Screenshot)
{
    open(0x15);
    qeltest::saveScreenshot(form, QStringLiteral("set_edit.png"));
    EXPECT_GE(form.height(), ok()->geometry().bottom() + 1 + 5);
}

}  // namespace
