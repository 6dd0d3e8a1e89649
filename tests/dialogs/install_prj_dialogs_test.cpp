// Adding an inverter with the real dialogs, answered from timers, through
// the protocol selector against the simulator on a pseudo-terminal.

#include "comm/prot_sel.h"
#include "config/prog_cfg.h"
#include "dialogs/add_file_dlg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/install_prj_dialogs.h"
#include "dialogs/inv_edit_dlg.h"
#include "dialogs/sel_cfg_dlg.h"
#include "project/vortalin_prj.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"

#include "choice_dlg_support.h"
#include "temp_dir.h"
#include "sample_inverter.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

using qeltest::answerModal;
using qelsim::SimInverter;
using qelsim::SimModel;

class PrjDialogsEndToEnd : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("bin"))));
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("data"))));
        cfg.BinPath = path(QStringLiteral("bin")) + u'/';
        cfg.DataPath = path(QStringLiteral("data")) + u'/';
        for (int type : {21, 22, 25}) {
            const QString name = TVortalinCfgList::BinFileName(type);
            const QString from = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs/") + name);
            ASSERT_TRUE(QFile::copy(from, cfg.BinPath + name)) << "build the sample_configs target";
        }
        cfg.ScanBinFiles();
        ASSERT_EQ(cfg.CfgFileList.size(), 3u);

        QString error;
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM1", din.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com1);
        sel->Ansi()->SetBaudrate(B_19200);
        sel->Ansi()->SetTimeOut(400);
        sel->SetRetryCnt(0);
        prj.BinPath = cfg.BinPath;
        prj.ProtSel = sel.get();
        prj.OnInvProtChanged = [this](QObject*, int a, TProt p) { sel->SetProtocol(a, p); };
        dlgs = InstallPrjDialogs(prj, cfg);
    }
    void TearDown() override
    {
        prj.ProtSel = nullptr;
        sel.reset();
        qunsetenv("QEL_COM1");
    }

    // Answers the inverter dialog: name, address, protocol, and in the
    // configuration choice behind "..." the row showing `cfgRowText`.
    void answerInvDialog(const QString& name, int adr, const QString& cfgRowText, QStringList* rowsSeen)
    {
        answerModal([this, name, adr, cfgRowText, rowsSeen](QDialog& d) {
            TfrmInvEdit* f = dlgs->InvEdit.get();
            f->edInvName->setText(name);
            f->speInvAdr->setValue(adr);
            f->cobProt->setCurrentIndex(0);  // DIN66019II
            answerModal(
                [this, f, &d, cfgRowText, rowsSeen](QDialog&) {
                    TFrmSelCfg& s = *dlgs->SelCfg;
                    for (int i = 0; i < s.lvCfg->topLevelItemCount(); ++i) {
                        QTreeWidgetItem* it = s.lvCfg->topLevelItem(i);
                        rowsSeen->append(it->text(0) + u' ' + it->text(1));
                        if (it->text(1) == cfgRowText)
                            s.lvCfg->setCurrentItem(it);
                    }
                    s.btnOK->click();
                    QTimer::singleShot(0, &d, [f] { f->btnOK->click(); });
                },
                &d);
            f->btnSelCfg->click();
        });
    }

    TProgCfg cfg;
    TVortalinPrj prj;
    qelsim::SimDinPtyServer din;
    std::unique_ptr<TProtSel> sel;
    std::shared_ptr<TPrjDialogs> dlgs;
};

TEST_F(PrjDialogsEndToEnd, NewInvWithAChosenNumberAndWithTheAutomaticChoice)
{
    din.addInverter(qeltest::sampleInverter(4, 22));
    din.addInverter(qeltest::sampleInverter(2, 21));
    const QString type22 = cfg.CfgFileList[1].TypeName;
    ASSERT_EQ(cfg.CfgFileList[1].CfgId, 22);

    QStringList rows;
    answerInvDialog(QStringLiteral("Lüfter"), 4, type22, &rows);
    EXPECT_EQ(prj.NewInv(-1, 0, QString(), prOffline, true, true, true, true, true), 4);
    ASSERT_NE(prj.GetInv(4), nullptr);
    EXPECT_EQ(prj.GetInv(4)->Name, QStringLiteral("Lüfter"));
    EXPECT_EQ(prj.GetInv(4)->CfgId, 22);
    EXPECT_EQ(prj.GetInv(4)->PrjCfgId, 22);
    EXPECT_EQ(prj.GetInv(4)->Prot, prANSI);
    // The choice offered the automatic row first, then the index in order.
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], QStringLiteral("0 0: Automatik"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("21 ")));

    rows.clear();
    answerInvDialog(QStringLiteral("Pumpe"), 2, QStringLiteral("0: Automatik"), &rows);
    EXPECT_EQ(prj.NewInv(-1, 0, QString(), prOffline, true, true, true, true, true), 2);
    ASSERT_NE(prj.GetInv(2), nullptr);
    EXPECT_EQ(prj.GetInv(2)->PrjCfgId, 0);
    EXPECT_EQ(prj.GetInv(2)->CfgId, 21);  // read from the inverter
    EXPECT_EQ(prj.InvCount(), 2);
}

TEST_F(PrjDialogsEndToEnd, AddFileQuestionLinksToTheChosenInverter)
{
    din.addInverter(qeltest::sampleInverter(2, 21));
    ASSERT_EQ(prj.AddInv(2, 21, QStringLiteral("Pumpe"), prANSI, true), 0);
    const QString file = path(QStringLiteral("Liste.wr5"));
    QStringList choices;
    answerModal([&](QDialog&) {
        for (int i = 0; i < dlgs->AddFile->cbInvList->count(); ++i)
            choices << dlgs->AddFile->cbInvList->itemText(i);
        dlgs->AddFile->cbInvList->setCurrentIndex(1);
        dlgs->AddFile->btnAddFile->click();
    });
    EXPECT_TRUE(prj.AskAddFile(file));
    EXPECT_EQ(choices, (QStringList{QStringLiteral("-1  Global im Projekt"), QStringLiteral("2   Pumpe")}));
    EXPECT_EQ(prj.FindFile(file), 2);
}

}  // namespace

namespace {

TEST_F(PrjDialogsEndToEnd, TheChoiceReadsTheSettingsIndexAtEveryShowingAndTheDialogsTakeTheirTexts)
{
    TVortalinText texts;
    choicetest::loadKeyTexts(texts);
    dlgs->SetTexts(texts);
    EXPECT_EQ(dlgs->InvEdit->FrmNewInvText, QStringLiteral("7.15"));
    EXPECT_EQ(dlgs->SelCfg->windowTitle(), QStringLiteral("7.28"));
    EXPECT_EQ(dlgs->AddFile->windowTitle(), QStringLiteral("7.45"));

    // A rescan replaces the index.
    TCfgFileRec rec;
    rec.CfgId = 77;
    rec.GroupName = QStringLiteral("New");
    rec.TypeName = QStringLiteral("N-77");
    cfg.CfgFileList = {rec};
    int rows = -1;
    answerModal([&](QDialog&) {
        rows = dlgs->SelCfg->lvCfg->topLevelItemCount();
        dlgs->SelCfg->btnOK->click();
    });
    EXPECT_EQ(prj.Interaction().ChooseCfg(5, false), 77);
    EXPECT_EQ(rows, 1);
}

}  // namespace
