// The project dialog offscreen, driven by object name through the project's
// EditPrj: the rows shown, the buttons' enabling, adding an inverter and a
// file, and the fields taken over on OK.

#include "dialogs/prj_edit.h"
#include "dialogs/prj_interaction_dlg.h"
#include "project/vortalin_prj.h"

#include "temp_dir.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QStringList rowTexts(QTreeWidget* l)
{
    QStringList out;
    for (int i = 0; i < l->topLevelItemCount(); ++i) {
        QStringList cols;
        for (int c = 0; c < l->columnCount(); ++c)
            cols << l->topLevelItem(i)->text(c);
        out << cols.join(u'|');
    }
    return out;
}

void screenshot(QWidget& w, const QString& name)
{
    const QString dir = qeltest::binaryDir() + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().toImage().save(dir + u'/' + name));
}

struct PrjEditWindow : qeltest::TempDirTest {
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("bin"))));
        prj.BinPath = path(QStringLiteral("bin")) + u'/';
        TCfgRec cfg;
        cfg.CfgId = 21;
        cfg.NewStyle = 1;
        ASSERT_EQ(cfg.SaveToFile(prj.BinPath + TVortalinCfgList::BinFileName(21)), 0);
        ASSERT_EQ(prj.AddInv(3, 21, QStringLiteral("Pump"), prANSI, true), 0);
        prj.GetInv(3)->WorkFiles << QStringLiteral("/lists/pump.wr5");
        prj.PrjName = QStringLiteral("Plant");
        ui = std::make_shared<TPrjInteractionDlg>();
        ui->PrjEditDlg = [this](TPrjEditRows& r) { return dlg.Execute(r); };
        ui->InvEditDlg = [](TInvEditData& d) {
            d.InvName = QStringLiteral("Fan");
            d.CfgId = 21;
            return true;
        };
        prj.SetInteraction(ui);
    }
    TVortalinPrj prj;
    TfrmPrjEdit dlg;
    std::shared_ptr<TPrjInteractionDlg> ui;
};

TEST_F(PrjEditWindow, ShowsRowsAddsAndTakesTheFieldsOnOk)
{
    dlg.ChooseMenuItem = [](QPushButton*, const QStringList& items) {
        EXPECT_EQ(items, (QStringList{"-1: Global im Projekt", "0: Fan", "3: Pump"}));
        return 2;
    };
    QString askedDir;
    int askedIndex = 0;
    dlg.ChooseFile = [&](const QString& dir, const QString&, int index) {
        askedDir = dir;
        askedIndex = index;
        return QStringLiteral("/scope/run.sc5");
    };
    prj.DataPath = QStringLiteral("/data");
    bool ran = false;
    QTimer::singleShot(0, &dlg, [&] {
        ran = true;
        auto* pages = dlg.findChild<QTabWidget*>(QStringLiteral("PageControl"));
        auto* inv = dlg.findChild<QTreeWidget*>(QStringLiteral("lvInvList"));
        auto* work = dlg.findChild<QTreeWidget*>(QStringLiteral("lvWork"));
        auto* scope = dlg.findChild<QTreeWidget*>(QStringLiteral("lvScope"));
        ASSERT_TRUE(pages && inv && work && scope);
        EXPECT_EQ(pages->currentIndex(), 1);
        EXPECT_EQ(rowTexts(inv), QStringList{"3|Pump|21 / 21|DIN 66019"});
        EXPECT_EQ(rowTexts(work), QStringList{"3|pump.wr5|/lists/"});
        EXPECT_FALSE(dlg.findChild<QPushButton*>(QStringLiteral("btnDelScopeList"))->isEnabled());
        EXPECT_TRUE(dlg.findChild<QPushButton*>(QStringLiteral("btnDelInv"))->isEnabled());
        for (int i = 0; i < 6; ++i) {
            pages->setCurrentIndex(i);
            screenshot(dlg, QStringLiteral("prj_edit_page%1.png").arg(i));
        }
        dlg.findChild<QPushButton*>(QStringLiteral("btnAddInv"))->click();
        EXPECT_EQ(rowTexts(inv), (QStringList{"0|Fan|21|DIN 66019", "3|Pump|21 / 21|DIN 66019"}));
        pages->setCurrentIndex(2);
        dlg.findChild<QPushButton*>(QStringLiteral("btnAddWrkList"))->click();
        EXPECT_EQ(askedIndex, 2);
        EXPECT_EQ(askedDir, QStringLiteral("/data"));
        EXPECT_EQ(pages->currentIndex(), 4);  // the scope page shows the new file
        EXPECT_EQ(rowTexts(scope), QStringList{"3|run.sc5|/scope/"});
        EXPECT_TRUE(dlg.findChild<QPushButton*>(QStringLiteral("btnDelScopeList"))->isEnabled());
        dlg.findChild<QLineEdit*>(QStringLiteral("edPrjName"))->setText(QStringLiteral("Plant 2"));
        dlg.findChild<QSpinBox*>(QStringLiteral("speWatchInterval"))->setValue(30);
        dlg.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    prj.EditPrj(1);
    ASSERT_TRUE(ran);
    EXPECT_EQ(prj.PrjName, QStringLiteral("Plant 2"));
    EXPECT_EQ(prj.WatchInterval(), 30);
    EXPECT_TRUE(prj.Modified);
    ASSERT_NE(prj.GetInv(0), nullptr);
    EXPECT_EQ(prj.GetInv(0)->Name, QStringLiteral("Fan"));
    EXPECT_EQ(prj.GetInv(3)->ScopeFiles, QStringList{"/scope/run.sc5"});
    EXPECT_EQ(prj.GetInv(3)->WorkFiles, QStringList{"/lists/pump.wr5"});
}

TEST_F(PrjEditWindow, CancelKeepsTheProjectAndThePageShownLast)
{
    QTimer::singleShot(0, &dlg, [&] {
        dlg.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(5);
        dlg.findChild<QLineEdit*>(QStringLiteral("edPrjName"))->setText(QStringLiteral("X"));
        dlg.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    prj.EditPrj(-1);
    EXPECT_EQ(prj.PrjName, QStringLiteral("Plant"));
    EXPECT_FALSE(prj.Modified);
    EXPECT_NE(prj.GetInv(3), nullptr);
    int page = -1;
    QTimer::singleShot(0, &dlg, [&] {
        page = dlg.Pages()->currentIndex();
        dlg.reject();
    });
    prj.EditPrj(-1);
    EXPECT_EQ(page, 5);
}

} // namespace
