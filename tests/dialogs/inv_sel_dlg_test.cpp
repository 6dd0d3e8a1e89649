// The inverter choice offscreen, modal and as tool window.

#include "dialogs/glyph_button.h"
#include "dialogs/inv_sel_dlg.h"
#include "project/vortalin_prj.h"

#include "choice_dlg_support.h"
#include "temp_dir.h"
#include "screenshot.h"

#include <QComboBox>
#include <QLabel>

namespace {

using qeltest::answerModal;

class InvSelDlgTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        prj.BinPath = dir() + u'/';
        TCfgRec cfg;
        cfg.CfgId = 8;
        cfg.NewStyle = 1;
        ASSERT_EQ(cfg.SaveToFile(prj.BinPath + TVortalinCfgList::BinFileName(8)), 0);
        for (auto [adr, name] : {std::pair{12, "Lüfter"}, {3, "Pumpe"}, {150, "Band"}})
            ASSERT_EQ(prj.AddInv(adr, 8, QString::fromUtf8(name), prOffline, true), 0);
    }
    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < f.ComboBox1->count(); ++i)
            out << f.ComboBox1->itemText(i);
        return out;
    }

    TVortalinPrj prj;
    TfrmInvSel f;
};

TEST_F(InvSelDlgTest, WithoutAProjectNothingIsShown)
{
    int16_t adr = 4;
    EXPECT_EQ(f.SelectInv(QStringLiteral("?"), adr), 2);
    EXPECT_FALSE(f.ShowSelect(QStringLiteral("?"), 4, [](int16_t) {}));
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.SetProject(nullptr));
    EXPECT_EQ(f.SelectedAdr(), -1);
}

TEST_F(InvSelDlgTest, ModalChoice)
{
    ASSERT_TRUE(f.SetProject(&prj));
    struct Case {
        const char* name;
        int16_t start;
        int pick;  // -1 none, -2 cancel
        int result;
        int16_t end;
        int shownSelection;
    };
    const Case cases[] = {
        {"keep", 12, -1, 1, 12, 1},
        {"pick", 12, 2, 1, 150, 1},
        {"no such entry", 77, -1, 1, 77, -1},
        {"negative", -1, -1, 1, -1, -1},
        {"cancel", 3, 1, 2, 12, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int shown = -5;
        QString prompt;
        answerModal([&](QDialog&) {
            shown = f.ComboBox1->currentIndex();
            prompt = f.Label1->text();
            EXPECT_TRUE(f.OkButton->isEnabled());
            if (c.pick >= 0)
                f.ComboBox1->setCurrentIndex(c.pick);
            (c.result == 2 ? f.CancelButton : f.OkButton)->click();
        });
        int16_t adr = c.start;
        EXPECT_EQ(f.SelectInv(QStringLiteral("Umrichter?"), adr), c.result);
        EXPECT_EQ(adr, c.end);
        EXPECT_EQ(shown, c.shownSelection);
        EXPECT_EQ(prompt, QStringLiteral("Umrichter?"));
    }
    EXPECT_EQ(items(), (QStringList{QStringLiteral("3   Pumpe"), QStringLiteral("12  Lüfter"),
                                    QStringLiteral("150 Band")}));
}

TEST_F(InvSelDlgTest, ToolWindowCallsBackItsCallerOnly)
{
    ASSERT_TRUE(f.SetProject(&prj));
    std::vector<int> got;
    auto* caller = new QObject;
    ASSERT_TRUE(f.ShowSelect(QStringLiteral("Scope"), 3,
                             [&](int16_t a) { got.push_back(a); }, caller));
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.OkButton->isEnabled());
    // Visible: the project cannot be changed.
    EXPECT_TRUE(f.SetProject(nullptr));
    EXPECT_TRUE(f.HasProject());

    f.CloseOnOK = false;
    f.ComboBox1->setCurrentIndex(2);
    f.OkButton->click();
    EXPECT_EQ(got, std::vector<int>{150});
    EXPECT_TRUE(f.isVisible());

    // The caller closes without detaching: no call into it.
    delete caller;
    f.OkButton->click();
    EXPECT_EQ(got, std::vector<int>{150});

    // Another caller; CloseOnOK closes after the call.
    f.CloseOnOK = true;
    ASSERT_TRUE(f.ShowSelect(QStringLiteral("List"), 12, [&](int16_t a) { got.push_back(a); }));
    EXPECT_EQ(f.ComboBox1->currentIndex(), 1);
    f.OkButton->click();
    EXPECT_EQ(got, (std::vector<int>{150, 12}));
    EXPECT_FALSE(f.isVisible());

    // Detached: OK disabled; Cancel closes only with CloseOnCancel.
    ASSERT_TRUE(f.ShowSelect(QString(), 0, nullptr));
    EXPECT_FALSE(f.OkButton->isEnabled());
    f.CloseOnCancel = false;
    f.CancelButton->click();
    EXPECT_TRUE(f.isVisible());
    f.CloseOnCancel = true;
    f.CancelButton->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.SetProject(nullptr));
}

TEST_F(InvSelDlgTest, ModalChoiceClosesTheToolWindowFirst)
{
    ASSERT_TRUE(f.SetProject(&prj));
    int calls = 0;
    ASSERT_TRUE(f.ShowSelect(QStringLiteral("Scope"), 3, [&](int16_t) { ++calls; }));
    answerModal([&](QDialog&) {
        f.ComboBox1->setCurrentIndex(0);
        f.OkButton->click();
    });
    int16_t adr = 12;
    EXPECT_EQ(f.SelectInv(QStringLiteral("?"), adr), 1);
    EXPECT_EQ(adr, 3);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(InvSelDlgTest, GeometryAndScreenshot)
{
    EXPECT_GE(f.height(), f.OkButton->geometry().bottom() + 1 + 5);
    EXPECT_LE(f.CancelButton->geometry().right() + 1 + 5, f.width());
    EXPECT_EQ(f.ComboBox1->x() + f.ComboBox1->width() + f.ComboBox1->x(), f.width());
    ASSERT_TRUE(f.SetProject(&prj));
    f.SetOkText(QStringLiteral("OK"));
    f.SetCancelText(QStringLiteral("Abbrechen"));
    f.SetCaptionText(QStringLiteral("Umrichter wählen"));
    ASSERT_TRUE(f.ShowSelect(QStringLiteral("Umrichter für die Liste:"), 12, [](int16_t) {}));
    qeltest::saveScreenshot(f, "inv_sel_dlg.png");
    f.close();
}

}  // namespace
