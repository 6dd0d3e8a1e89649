// The inverter dialog offscreen: the protocol list, the empty-name rule,
// the configuration number controls and the "..." choice.

#include "dialogs/glyph_button.h"
#include "dialogs/inv_edit_dlg.h"
#include "dialogs/sel_cfg_dlg.h"

#include "choice_dlg_support.h"
#include "screenshot.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

using qeltest::answerModal;

TEST(InvEditDlgTest, ProtocolListMapping)
{
    const std::pair<int, int> writes[] = {{prANSI, 0}, {prZelk, 1}, {prIBS, 2}, {prIP, 3},
                                          {prCAN, 4},  {prPBS, 5},  {prOffline, 6}, {7, 6},
                                          {-1, 6},     {255, 6}};
    TfrmInvEdit f;
    for (auto [prot, item] : writes) {
        SCOPED_TRACE(prot);
        f.SetProt(prot);
        EXPECT_EQ(f.cobProt->currentIndex(), item);
        EXPECT_EQ(InvEditProtItem(prot), item);
    }
    const TProt reads[] = {prANSI, prZelk, prIBS, prIP, prCAN, prPBS, prOffline};
    for (int i = 0; i < 7; ++i) {
        f.cobProt->setCurrentIndex(i);
        EXPECT_EQ(f.Prot(), reads[i]);
    }
    EXPECT_EQ(f.cobProt->itemText(0), QStringLiteral("DIN66019II"));
    f.cobProt->setCurrentIndex(-1);
    EXPECT_EQ(f.Prot(), prOffline);
}

TEST(InvEditDlgTest, EmptyNameTakesTheAddressAndKeepsTheDialogOpen)
{
    TfrmInvEdit f;
    f.SetInvName(QString());
    f.SetInvAdr(17);
    QString caption;
    bool openAfterFirst = false;
    answerModal([&](QDialog& d) {
        caption = d.windowTitle();
        f.btnOK->click();
        openAfterFirst = d.isVisible();
        EXPECT_EQ(f.edInvName->text(), QStringLiteral("17"));
        f.btnOK->click();
    });
    EXPECT_TRUE(f.Execute());
    EXPECT_TRUE(openAfterFirst);
    EXPECT_EQ(caption, QStringLiteral("Umrichter hinzufügen"));
    EXPECT_EQ(f.InvName(), QStringLiteral("17"));

    // With a name the caption is the edit caption; Cancel gives false.
    answerModal([&](QDialog& d) {
        caption = d.windowTitle();
        f.btnCancel->click();
    });
    EXPECT_FALSE(f.Execute());
    EXPECT_EQ(caption, QStringLiteral("Umrichter bearbeiten"));
}

TEST(InvEditDlgTest, NumberControlsAndSwitches)
{
    TfrmInvEdit f;
    TFrmSelCfg sel;
    struct Case {
        bool editCfg;
        bool withSel;
        bool button, edit;
    };
    for (const Case& c : {Case{false, true, false, false}, Case{true, true, true, false},
                          Case{true, false, false, true}}) {
        SCOPED_TRACE(testing::Message() << c.editCfg << c.withSel);
        f.SetEditCfg(c.editCfg);
        f.SelCfgDlg = c.withSel ? &sel : nullptr;
        bool button = false, edit = false;
        answerModal([&](QDialog& d) {
            button = f.btnSelCfg->isEnabled();
            edit = f.edCfgId->isEnabled();
            d.reject();
        });
        f.Execute();
        EXPECT_EQ(button, c.button);
        EXPECT_EQ(edit, c.edit);
        EXPECT_TRUE(f.edCfgId->isReadOnly());
    }
    f.SetEditName(false);
    f.SetEditAdr(false);
    f.SetEditProt(false);
    EXPECT_FALSE(f.edInvName->isEnabled() || f.speInvAdr->isEnabled() || f.cobProt->isEnabled());
    f.SetCfgId(4711);
    EXPECT_EQ(f.edCfgId->text(), QStringLiteral("4711"));
    EXPECT_EQ(f.CfgId(), 4711);
}

TEST(InvEditDlgTest, ChoosingTheNumberAndCancellingTheChoice)
{
    TCfgFileList index{{21, QStringLiteral("G"), QStringLiteral("VX-21"), {}, 0, 0},
                       {8, QStringLiteral("G"), QStringLiteral("VX-8"), {}, 0, 0}};
    TFrmSelCfg sel;
    sel.CfgFileList = &index;
    TfrmInvEdit f;
    f.SelCfgDlg = &sel;
    f.SetInvName(QStringLiteral("A"));
    f.SetInvAdr(9);
    f.SetCfgId(21);

    struct Step {
        const char* name;
        int row;  // -1: cancel
        int expected;
    };
    // Rows: 0 "Automatik", 8, 21.
    for (const Step& s : {Step{"cancelled", -1, 21}, Step{"row 8", 1, 8}, Step{"automatic", 0, 0}}) {
        SCOPED_TRACE(s.name);
        QString shownAdr;
        answerModal([&](QDialog& d) {
            answerModal(
                [&](QDialog& c) {
                    shownAdr = sel.labInvAdr->text();
                    if (s.row < 0) {
                        sel.btnCancel->click();
                    } else {
                        sel.lvCfg->setCurrentItem(sel.lvCfg->topLevelItem(s.row));
                        c.accept();
                    }
                    QTimer::singleShot(0, &d, [&d] { d.accept(); });
                },
                &d);
            f.btnSelCfg->click();
        });
        EXPECT_TRUE(f.Execute());
        EXPECT_EQ(shownAdr, QStringLiteral("9"));
        EXPECT_EQ(f.CfgId(), s.expected);
    }
}

TEST(InvEditDlgTest, TextsFromTheLanguageStore)
{
    TVortalinText texts;
    choicetest::loadKeyTexts(texts);
    TfrmInvEdit f;
    f.SetTexts(texts);
    EXPECT_EQ(f.FrmNewInvText, QStringLiteral("7.15"));
    EXPECT_EQ(f.FrmEditInvText, QStringLiteral("7.14"));
    EXPECT_EQ(f.labname->text(), QStringLiteral("7.26"));
    EXPECT_EQ(f.labInvAdr->text(), QStringLiteral("7.27"));
    EXPECT_EQ(f.labCfgId->text(), QStringLiteral("7.19"));
    EXPECT_EQ(f.labProt->text(), QStringLiteral("7.20"));
    EXPECT_EQ(f.btnCancel->text(), QStringLiteral("7.10"));
    EXPECT_EQ(f.btnOK->text(), QStringLiteral("7.11"));
}

// Shown, the dialog holds what was set, and no control or caption is cut
// off by the dialog's edge or by its own width. With QEL_SCREENSHOT_DIR set
// the dialog is also saved as a picture.
TEST(InvEditDlgTest, ShownWithTheGivenValuesAndEveryControlWhole)
{
    TfrmInvEdit f;
    f.SetInvName(QStringLiteral("Pumpe 1"));
    f.SetInvAdr(3);
    f.SetCfgId(21);
    f.SetProt(prZelk);
    f.show();
    EXPECT_EQ(f.edInvName->text(), QStringLiteral("Pumpe 1"));
    EXPECT_EQ(f.speInvAdr->value(), 3);
    EXPECT_EQ(f.edCfgId->text(), QStringLiteral("21"));
    EXPECT_EQ(f.cobProt->currentIndex(), 1);
    const QList<QWidget*> controls{f.labname, f.edInvName, f.labInvAdr, f.speInvAdr, f.labCfgId, f.edCfgId,
                                   f.btnSelCfg, f.labProt, f.cobProt, f.btnOK, f.btnCancel};
    for (QWidget* w : controls) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(f.rect().contains(QRect(w->mapTo(&f, QPoint(0, 0)), w->size())));
    }
    for (QLabel* l : {f.labname, f.labInvAdr, f.labCfgId, f.labProt}) {
        SCOPED_TRACE(l->text().toStdString());
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width());
    }
    qeltest::saveScreenshot(f, "inv_edit_dlg.png");
}

}  // namespace
