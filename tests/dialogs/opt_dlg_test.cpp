#include "dialogs/opt_dlg.h"
#include "dialogs/glyph_button.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TOptValues sample()
{
    TOptValues v;
    v.DefProts = ProtBit(prANSI) | ProtBit(prCAN);
    v.MinInvAdr = 3;
    v.MaxInvAdr = 40;
    v.Watchinterval = 15;
    v.ProgLng = 3;
    v.CloseOnOK = true;
    v.Separator = QStringLiteral("/");
    v.DwnHighPriority = true;
    v.ShowParaInfo = true;
    v.ShowSupervisor = true;
    v.SecondLng = 5;
    v.lng = 1;
    v.Din = {true, B_57600, Com3, 250, QStringLiteral("ATDT0"), true};
    v.Zelk = {false, B_9600, Com9, 1500, QString(), false};
    v.Ip = {QStringLiteral("10.0.0.2"), 5000, 700, true};
    v.Can = {QStringLiteral("MyCard"), 14, 90, true};
    v.Pbs = {12, 10, 333};
    return v;
}

TEST(OptDlg, ControlsRoundTripEveryValue)
{
    TfrmOptDlg dlg;
    const TOptValues v = sample();
    dlg.SetValues(v);
    EXPECT_FALSE(compareOptValues(v, dlg.Values(v)).Modified);
    // The controls really hold them (not just the base record).
    EXPECT_FALSE(compareOptValues(v, dlg.Values(TOptValues{})).Modified);

    dlg.speDinTimeOut->setValue(300);
    const TOptValues edited = dlg.Values(v);
    EXPECT_EQ(edited.Din.TimeOut, 300);
    EXPECT_EQ(compareOptValues(v, edited), (TOptChanges{true, true}));
}

TEST(OptDlg, FieldLimits)
{
    TfrmOptDlg dlg;
    TOptValues v = sample();
    v.MinInvAdr = 300;
    v.Din.TimeOut = 5000;
    v.Ip.Port = 100000;
    v.Pbs.Masteraddress = 200;
    v.Separator = QStringLiteral("abc");
    dlg.SetValues(v);
    const TOptValues r = dlg.Values(v);
    EXPECT_EQ(r.MinInvAdr, 239);
    EXPECT_EQ(r.Din.TimeOut, 1000);
    EXPECT_EQ(r.Ip.Port, 65535);
    EXPECT_EQ(r.Pbs.Masteraddress, 127);
    EXPECT_EQ(r.Separator, QStringLiteral("a"));
    EXPECT_EQ(dlg.cobCanCardId->count(), 4);
    EXPECT_TRUE(dlg.cobCanCardId->isEditable());
    EXPECT_EQ(dlg.cobPBSBaud->count(), kPbsBaudCount);
    EXPECT_EQ(dlg.cobCanBaud->count(), kCanBaudCount);
    EXPECT_EQ(dlg.cobDinBaud->itemText(7), QStringLiteral("115200"));
    EXPECT_EQ(dlg.cobZelkComport->count(), 9);
    EXPECT_EQ(dlg.pcOptions->count(), 8);
    EXPECT_EQ(dlg.HelpContext, 30);
    dlg.SetPageCaption(dlg.tsCan, QStringLiteral("CAN bus"));
    EXPECT_EQ(dlg.pcOptions->tabText(6), QStringLiteral("CAN bus"));
}

TEST(OptDlg, ListWithoutSelectionKeepsTheStoredIndex)
{
    TfrmOptDlg dlg;
    TOptValues v = sample();
    v.ProgLng = 9;
    v.lng = 4;
    dlg.SetValues(v);
    EXPECT_EQ(dlg.cobProgLng->currentIndex(), -1);
    const TOptValues r = dlg.Values(v);
    EXPECT_EQ(r.ProgLng, 9);
    EXPECT_EQ(r.lng, 4);
    EXPECT_FALSE(compareOptValues(v, r).Modified);
}

TEST(OptDlg, InfoButtonsAskTheDriverForItsVersion)
{
    TfrmOptDlg dlg;
    QStringList shown;
    dlg.ShowMessage = [&](const QString& t) { shown << t; };
    dlg.btnCanInfo->click();
    EXPECT_TRUE(shown.isEmpty());  // no provider: nothing happens

    QList<TProt> asked;
    dlg.SetDriverVersion([&](TProt p) {
        asked << p;
        return p == prCAN ? QString() : QStringLiteral("Driver %1").arg(int(p));
    });
    for (TVarneGlyphButton* b : {dlg.bntDinInfo, dlg.bntZelkInfo, dlg.btnIpInfo, dlg.btnCanInfo, dlg.btnPbsInfo})
        b->click();
    EXPECT_EQ(asked, (QList<TProt>{prANSI, prZelk, prIP, prCAN, prPBS}));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Driver 1"), QStringLiteral("Driver 2"), QStringLiteral("Driver 4"),
                                  QString(), QStringLiteral("Driver 6")}));
}

TEST(OptDlg, ExecuteThroughTheSettingsObject)
{
    TProgCfg cfg;
    cfg.Din.TimeOut = 100;
    cfg.ProgLng = 1;
    cfg.SetOptionDlg(std::make_unique<TfrmOptDlg>());
    auto* dlg = static_cast<TfrmOptDlg*>(cfg.OptionDlg());
    int fired = 0;
    cfg.OnPrgCfgChanged = [&](TProgCfg*) { ++fired; };

    // Cancel: nothing taken over.
    QTimer::singleShot(0, dlg, [dlg] {
        dlg->speDinTimeOut->setValue(500);
        dlg->btnCancel->click();
    });
    cfg.Execute();
    EXPECT_EQ(cfg.Din.TimeOut, 100);
    EXPECT_FALSE(cfg.Modified);

    // OK with only the program language: modified, no event.
    QTimer::singleShot(0, dlg, [dlg] {
        EXPECT_EQ(dlg->speDinTimeOut->value(), 100);  // filled afresh
        dlg->cobProgLng->setCurrentIndex(2);
        dlg->btnOK->click();
    });
    cfg.Execute();
    EXPECT_EQ(cfg.ProgLng, 2);
    EXPECT_TRUE(cfg.Modified);
    EXPECT_EQ(fired, 0);

    // OK with a driver change: event.
    QTimer::singleShot(0, dlg, [dlg] {
        dlg->edSeparator->clear();
        dlg->btnOK->click();
    });
    cfg.Separator = QStringLiteral("#");
    cfg.Execute();
    EXPECT_EQ(cfg.Separator, QStringLiteral("+"));
    EXPECT_EQ(fired, 1);
}

// Not a check: pictures of every page for looking at by eye.
// Each page, when chosen, is shown whole: every control on it lies inside
// the page. With QEL_SCREENSHOT_DIR set the pages are also saved as pictures.
TEST(OptDlg, EveryPageShowsItsControlsWhole)
{
    TfrmOptDlg dlg;
    dlg.SetValues(sample());
    dlg.show();
    const QString shots = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    ASSERT_GT(dlg.pcOptions->count(), 0);
    for (int i = 0; i < dlg.pcOptions->count(); ++i) {
        QWidget* page = dlg.pcOptions->widget(i);
        SCOPED_TRACE(page->objectName().toStdString());
        dlg.pcOptions->setCurrentIndex(i);
        EXPECT_TRUE(page->isVisible());
        int controls = 0;
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(page) || w->parentWidget() != page)
                continue;
            ++controls;
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_TRUE(page->rect().contains(w->geometry()));
        }
        EXPECT_GT(controls, 0);
        if (!shots.isEmpty())
            dlg.grab().save(QStringLiteral("%1/optdlg_%2.png").arg(shots, page->objectName()));
    }
}

} // namespace
