// The configuration choice: rows and groups without widgets, then the
// dialog offscreen.

#include "dialogs/glyph_button.h"
#include "dialogs/sel_cfg_dlg.h"

#include "choice_dlg_support.h"
#include "screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>

namespace {

using qeltest::answerModal;

TCfgFileRec rec(int id, const char* group, const char* type)
{
    TCfgFileRec r;
    r.CfgId = int16_t(id);
    r.GroupName = QString::fromUtf8(group);
    r.TypeName = QString::fromUtf8(type);
    return r;
}

const TCfgFileList kIndex{rec(25, "VX", "VX-25"), rec(8, "Lift", "L-8"), rec(21, "VX", "VX-21"),
                          rec(21, "VX", "VX-21b"), rec(3, "Lift", "L-3"), rec(30, "vx", "vx-30")};

std::vector<int> ids(const std::vector<TSelCfgRow>& rows)
{
    std::vector<int> out;
    for (const auto& r : rows)
        out.push_back(r.CfgId);
    return out;
}

TEST(SelCfgDlgTest, RowsAndGroups)
{
    EXPECT_EQ(SelCfgGroups(kIndex, QStringLiteral("Alle")),
              (QStringList{QStringLiteral("Alle"), QStringLiteral("VX"), QStringLiteral("Lift"),
                           QStringLiteral("vx")}));
    const QString autoText = QStringLiteral("0: Automatik");
    const auto all = SelCfgRows(kIndex, 0, QStringLiteral("Alle"), &autoText);
    EXPECT_EQ(ids(all), (std::vector<int>{0, 3, 8, 21, 21, 25, 30}));
    EXPECT_EQ(all[0].Name, autoText);
    // Equal numbers keep index order.
    EXPECT_EQ(all[3].Name, QStringLiteral("VX-21"));
    EXPECT_EQ(all[4].Name, QStringLiteral("VX-21b"));
    // A family alone, compared exactly; without the automatic row.
    EXPECT_EQ(ids(SelCfgRows(kIndex, 1, QStringLiteral("VX"), nullptr)), (std::vector<int>{21, 21, 25}));
    EXPECT_EQ(ids(SelCfgRows(kIndex, 2, QStringLiteral("Lift"), &autoText)), (std::vector<int>{0, 3, 8}));
    // A number 0 (or below) in the index stays behind the automatic row.
    const TCfgFileList odd{rec(0, "G", "zero"), rec(-3, "G", "neg")};
    EXPECT_EQ(ids(SelCfgRows(odd, 0, {}, &autoText)), (std::vector<int>{0, -3, 0}));
    EXPECT_TRUE(SelCfgRows({}, 0, {}, nullptr).empty());
}

TEST(SelCfgDlgTest, ResultsOfTheDialog)
{
    TFrmSelCfg f;
    // Without an index nothing is shown.
    EXPECT_EQ(f.Execute(1, true), -1);

    TCfgFileList index = kIndex;
    f.CfgFileList = &index;
    struct Case {
        const char* name;
        bool allowAuto;
        std::function<void(QDialog&)> act;
        int expected;
    };
    const Case cases[] = {
        {"first row preselected", false, [&](QDialog&) { f.btnOK->click(); }, 3},
        {"automatic row first", true, [&](QDialog&) { f.btnOK->click(); }, 0},
        {"cancel", true, [&](QDialog&) { f.btnCancel->click(); }, -1},
        {"double click", false,
         [&](QDialog&) {
             QTreeWidgetItem* it = f.lvCfg->topLevelItem(2);
             emit f.lvCfg->itemDoubleClicked(it, 0);
         },
         21},
        {"family", false,
         [&](QDialog&) {
             f.cobGroup->setCurrentIndex(1);
             EXPECT_EQ(f.lvCfg->topLevelItemCount(), 3);
             f.btnOK->click();
         },
         21},
        {"selection removed", true,
         [&](QDialog& d) {
             f.lvCfg->clearSelection();
             EXPECT_FALSE(f.btnOK->isEnabled());
             f.btnOK->click();
             EXPECT_TRUE(d.isVisible());
             d.reject();
         },
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int rows = -1;
        answerModal([&](QDialog& d) {
            rows = f.lvCfg->topLevelItemCount();
            c.act(d);
        });
        EXPECT_EQ(f.Execute(5, c.allowAuto), c.expected);
        EXPECT_EQ(rows, c.allowAuto ? 7 : 6);
        EXPECT_EQ(f.lvCfg->topLevelItemCount(), 0);  // emptied after every showing
        EXPECT_EQ(f.labInvAdr->text(), QStringLiteral("5"));
    }

    // An empty index: an empty list whose OK gives 0.
    index.clear();
    answerModal([&](QDialog&) {
        EXPECT_TRUE(f.btnOK->isEnabled());
        f.btnOK->click();
    });
    EXPECT_EQ(f.Execute(5, false), 0);
    // The index is read at each showing.
    index = {rec(42, "N", "New")};
    answerModal([&](QDialog&) { f.btnOK->click(); });
    EXPECT_EQ(f.Execute(5, false), 42);
}

TEST(SelCfgDlgTest, TextsAndScreenshot)
{
    TVortalinText texts;
    choicetest::loadKeyTexts(texts);
    TFrmSelCfg f;
    f.SetTexts(texts);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("7.28"));
    EXPECT_EQ(f.labInfo->text(), QStringLiteral("7.29"));
    EXPECT_EQ(f.labGroup->text(), QStringLiteral("7.30"));
    EXPECT_EQ(f.lvCfg->headerItem()->text(0), QStringLiteral("7.19"));
    EXPECT_EQ(f.lvCfg->headerItem()->text(1), QStringLiteral("7.18"));
    EXPECT_EQ(f.btnCancel->text(), QStringLiteral("7.10"));
    EXPECT_EQ(f.btnOK->text(), QStringLiteral("7.11"));
    EXPECT_EQ(f.AllGroupsText, QStringLiteral("7.31"));
    EXPECT_EQ(f.CfgIdZeroText, QStringLiteral("7.32"));

    TFrmSelCfg shown;
    TCfgFileList index = kIndex;
    shown.CfgFileList = &index;
    answerModal([&](QDialog& d) {
        qeltest::saveScreenshot(d, "sel_cfg_dlg.png");
        d.reject();
    });
    shown.Execute(3, true);
}

}  // namespace
