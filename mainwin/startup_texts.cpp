#include "mainwin/startup_texts.h"

#include "config/lang_texts.h"
#include "dialogs/glyph_button.h"
#include "dialogs/opt_dlg.h"
#include "project/prj_edit_rows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

void PushOptDlgTexts(TfrmOptDlg& d, const TVortalinText& t)
{
    d.setWindowTitle(t.GetText(5, 26));
    auto setText = [](auto* w, const QString& s) { w->setText(s); };
    setText(d.btnOK, t.GetText(8, 0));
    setText(d.btnCancel, t.GetText(8, 1));
    d.SetPageCaption(d.tsDefPrj, t.GetText(8, 2));
    d.GBProt->setTitle(t.GetText(8, 3));
    d.gbAdrRange->setTitle(t.GetText(8, 4));
    d.gbCtrl->setTitle(t.GetText(8, 5));
    setText(d.labInterval, t.GetText(8, 6));
    setText(d.labMinAdr, t.GetText(8, 7));
    setText(d.labMaxAdr, t.GetText(8, 8));
    d.SetPageCaption(d.tsAnsi, t.GetText(8, 9));
    d.SetPageCaption(d.tsZelk, t.GetText(8, 10));
    for (auto* l : {d.labDinComport, d.labZelkComport})
        setText(l, t.GetText(8, 11));
    for (auto* l : {d.labDinBaud, d.labCanBaud, d.labPBSbaud, d.labZelkBaud})
        setText(l, t.GetText(8, 12));
    for (auto* l : {d.labDinTimeOut, d.labZelkTimeOut, d.LabCanTimeout, d.labPbstimeout, d.labIpTimeOut})
        setText(l, t.GetText(8, 13));
    setText(d.chbDinSendSingle, t.GetText(8, 14));
    setText(d.chbZelkSendSingle, t.GetText(8, 14));
    setText(d.chbShowParaInfo, t.GetText(8, 15));
    d.SetPageCaption(d.tsCommon, t.GetText(8, 16));
    d.grbDialogs->setTitle(t.GetText(8, 17));
    setText(d.chbCloseOnCancel, t.GetText(8, 18));
    setText(d.chbCloseOnOK, t.GetText(8, 19));
    d.grbLng->setTitle(t.GetText(8, 20));
    setText(d.labProgLng, t.GetText(8, 21));
    d.grbSeperator->setTitle(t.GetText(8, 22));
    setText(d.labSeperator, t.GetText(8, 23));
    d.SetPageCaption(d.tsPlainText, t.GetText(8, 24));
    setText(d.chbShowPlainText, t.GetText(8, 25));
    setText(d.labPtMode, t.GetText(8, 26));
    // 13: the language choice of the parameter texts.
    d.cobActLng->clear();
    d.cobActLng->addItems({t.GetText(8, 27), t.GetText(8, 28)});
    setText(d.labPtLng, t.GetText(8, 29));
    setText(d.LabARProgLng, t.GetText(8, 35));
    setText(d.labARSecLng, t.GetText(8, 35));
    setText(d.chbShowDecValue, t.GetText(8, 36));
    setText(d.chbShowInvisible, t.GetText(8, 37));
    setText(d.chbShowSupervisor, t.GetText(8, 38));
    setText(d.labDinModemCmd, t.GetText(8, 39));
    setText(d.labCANCardiD, t.GetText(8, 40));
    setText(d.chbCANWaitTout, t.GetText(8, 41));
    for (auto* b : {d.bntZelkInfo, d.bntDinInfo, d.btnIpInfo, d.btnCanInfo, d.btnPbsInfo})
        setText(b, t.GetText(8, 42));
    setText(d.labIPHost, t.GetText(8, 43));
    setText(d.labIpPort, t.GetText(8, 44));
    setText(d.labPBSMasteraddr, t.GetText(8, 45));
    d.grbPriority->setTitle(t.GetText(8, 46));
    setText(d.chbDinCloseCom, t.GetText(8, 47));
    setText(d.chbZelkclosecom, t.GetText(8, 47));
    setText(d.cbHpriorDwnload, t.GetText(3, 56));
    d.cobSecondLng->clear();
    for (int i = 0; i < d.cobProgLng->count(); ++i)
        d.cobSecondLng->addItem(d.cobProgLng->itemText(i));
}

void PushPrjEditTexts(TPrjEditRows& d, const TVortalinText& t)
{
    auto lines = [&t](int i) {
        const QStringList* l = t.GetStrings(7, i);
        return l ? *l : QStringList{QStringLiteral("???")};
    };
    d.FrmHeaderText = t.GetText(7, 0);
    for (int i = 0; i < 6; ++i)
        d.SetPageText(i, t.GetText(7, 1 + i));
    d.PrjNameLabText = t.GetText(7, 7);
    d.IntervalLabText = t.GetText(7, 8);
    d.RemarkLabText = t.GetText(7, 9);
    for (int g = 0; g < 7; ++g)
        d.SetButtonText(g, t.GetText(7, 10 + g));
    d.SetButtonText(7, t.GetText(7, 36));
    for (int i = 0; i < 4; ++i)
        d.SetInvColText(i, t.GetText(7, 17 + i));
    for (int i = 0; i < 3; ++i)
        d.SetFileColText(i, t.GetText(7, 21 + i));
    d.ChgCfgIdInfo = lines(33);
    d.DelCfgIdInfo = lines(34);
    d.AssFilesInfoHeader = t.GetText(7, 35);
    d.ToManyZelk = lines(46);
    d.InvAdrInUse = lines(48);
}
