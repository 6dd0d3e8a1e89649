// The download-mode editor driven by object name.

#include "dialogs/glyph_button.h"
#include "lists/mode_edit.h"
#include "screenshot.h"

#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <vector>

namespace {

class ModeEditWindow : public ::testing::Test {
protected:
    QComboBox* list() { return form.findChild<QComboBox*>(QStringLiteral("ComboBox1")); }
    TVarneGlyphButton* ok() { return form.findChild<TVarneGlyphButton*>(QStringLiteral("OkButton")); }
    TVarneGlyphButton* cancel() { return form.findChild<TVarneGlyphButton*>(QStringLiteral("CancelButton")); }
    void open(int mode)
    {
        form.EditMode(QStringLiteral("3 lines"), mode, [this](int m) { got.push_back(m); });
    }

    TfrmModeEdit form;
    std::vector<int> got;
};

TEST_F(ModeEditWindow, ShowsTheModeAndOkHandsTheChoiceOver)
{
    open(2);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(), "3 lines");
    EXPECT_EQ(list()->currentText(), "WA-Write Always");
    list()->setCurrentIndex(1);
    ok()->click();
    EXPECT_EQ(got, std::vector<int>{1});
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ModeEditWindow, CloseSettings)
{
    form.CloseOnOK = false;
    form.CloseOnCancel = false;
    open(2);
    list()->setCurrentIndex(0);
    ok()->click();
    EXPECT_TRUE(form.isVisible());
    list()->setCurrentIndex(3);
    cancel()->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(list()->currentIndex(), 2);
    EXPECT_EQ(got, std::vector<int>{0});
    form.CloseOnCancel = true;
    cancel()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(got, std::vector<int>{0});
}

TEST_F(ModeEditWindow, DetachedOkIsDisabled)
{
    open(1);
    form.EditMode(QString(), 0, nullptr);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(ok()->isEnabled());
    ok()->click();
    EXPECT_TRUE(got.empty());
}

TEST_F(ModeEditWindow, ModeOutsideTheListSelectsNothingUntilPicked)
{
    for (int mode : {4, -1, 255}) {
        open(mode);
        EXPECT_EQ(list()->currentIndex(), -1) << mode;
        ok()->click();
        EXPECT_TRUE(got.empty()) << mode;
        EXPECT_TRUE(form.isVisible());
    }
    form.CloseOnCancel = false;
    list()->setCurrentIndex(3);
    cancel()->click();
    EXPECT_EQ(list()->currentIndex(), -1);
    list()->setCurrentIndex(3);
    ok()->click();
    EXPECT_EQ(got, std::vector<int>{3});
}

TEST_F(ModeEditWindow, Screenshot)
{
    form.SetCaptionText(QStringLiteral("Edit download mode"));
    form.SetOkText(QStringLiteral("OK"));
    form.SetCancelText(QStringLiteral("Cancel"));
    open(0);
    EXPECT_GE(form.height(), ok()->geometry().bottom() + 1 + 5);
    EXPECT_LE(cancel()->geometry().right() + 1 + 10, form.width());
    qeltest::saveScreenshot(form, QStringLiteral("mode_edit.png"));
}

}  // namespace

#include "lists/tool_editor_fit.h"

namespace {

TEST(ToolEditorFit, GrowsToTheOkButtonAndPullsButtonsIn)
{
    struct Case {
        QSize client;
        QRect ok, cancel;
        int height;
        int okX, cancelX;
    };
    const Case cases[] = {
        {{300, 84}, {130, 54, 75, 25}, {215, 54, 75, 25}, 84, 130, 215},   // fits: 10 to spare
        {{300, 60}, {130, 54, 75, 25}, {215, 54, 75, 25}, 84, 130, 215},   // grows
        {{300, 84}, {132, 54, 75, 25}, {216, 54, 75, 25}, 84, 130, 215},   // one too few
        {{280, 90}, {130, 54, 75, 25}, {215, 54, 75, 25}, 90, 110, 195},
    };
    for (const Case& c : cases) {
        const TToolEditorFit fit = FitToolEditor(c.client, c.ok, c.cancel);
        EXPECT_EQ(fit.clientHeight, c.height) << c.client.width();
        EXPECT_EQ(fit.ok.x(), c.okX) << c.client.width();
        EXPECT_EQ(fit.cancel.x(), c.cancelX) << c.client.width();
        EXPECT_EQ(fit.ok.y(), c.ok.y());
        EXPECT_EQ(fit.cancel.size(), c.cancel.size());
    }
}

}  // namespace
