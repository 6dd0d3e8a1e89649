#pragma once

#include "config/prog_cfg.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QWidget;
class TVarneGlyphButton;

// The options dialog of the main program. It only shows and edits a
// TOptValues record; what a change means is decided by the settings object
// (compareOptValues). Widgets carry the object names the language texts are
// pushed to.
class TfrmOptDlg : public QDialog, public TOptDlgIface {
    Q_OBJECT
public:
    explicit TfrmOptDlg(QWidget* parent = nullptr);

    // Fills the controls, runs the dialog modally and on OK reads them back.
    bool RunOptions(TOptValues& values) override;
    void SetDriverVersion(const TDriverVersionFn& fn) override { DriverVersion = fn; }

    void SetValues(const TOptValues& v);
    // The controls' values; a list without a selection leaves the value
    // of `base` unchanged.
    TOptValues Values(const TOptValues& base) const;

    // Version text of a protocol's driver for the "?" buttons (set from the
    // settings object's provider before showing). Unset: nothing happens.
    TDriverVersionFn DriverVersion;
    // How the version text is shown; a plain message box unless replaced.
    std::function<void(const QString&)> ShowMessage;

    int HelpContext = 30;

    // Caption of a page's tab (the language texts replace the built-in ones).
    void SetPageCaption(QWidget* page, const QString& caption);

    QTabWidget* pcOptions;
    QWidget *tsDefPrj, *tsCommon, *tsPlainText, *tsAnsi, *tsZelk, *tsIP, *tsCan, *tsPBS;

    // Default project.
    QGroupBox *GBProt, *gbAdrRange, *gbCtrl;
    QCheckBox *chbAnsi, *chbZelk, *chbIBS, *chbIp, *chbCAN, *chbPBS;
    QLabel *labMinAdr, *labMaxAdr, *labInterval;
    QSpinBox *speDefMinAdr, *speDefMaxAdr, *speDefWatchInterval;

    // General.
    QGroupBox *grbDialogs, *grbLng, *grbSeperator, *grbPriority;
    QCheckBox *chbCloseOnOK, *chbCloseOnCancel, *cbHpriorDwnload;
    QLabel *labProgLng, *LabARProgLng, *labSeperator;
    QComboBox* cobProgLng;
    QLineEdit* edSeparator;

    // Parameter texts.
    QCheckBox *chbShowPlainText, *chbShowParaInfo, *chbShowDecValue, *chbShowInvisible, *chbShowSupervisor;
    QLabel *labPtMode, *labPtLng, *labARSecLng;
    QComboBox *cobActLng, *cobSecondLng;

    // DIN 66019 II.
    QLabel *labDinComport, *labDinBaud, *labDinTimeOut, *labDinModemCmd;
    QComboBox *cobDinComport, *cobDinBaud;
    QSpinBox* speDinTimeOut;
    QCheckBox *chbDinSendSingle, *chbDinCloseCom;
    QLineEdit* edDinModemCmd;
    TVarneGlyphButton* bntDinInfo;

    // Zelk.
    QLabel *labZelkComport, *labZelkBaud, *labZelkTimeOut;
    QComboBox *cobZelkComport, *cobZelkBaud;
    QSpinBox* speZelkTimeOut;
    QCheckBox *chbZelkSendSingle, *chbZelkclosecom;
    TVarneGlyphButton* bntZelkInfo;

    // IP.
    QLabel *labIPHost, *labIpPort, *labIpTimeOut;
    QLineEdit* edIpHost;
    QSpinBox *speIpPort, *speIpTimeOut;
    QRadioButton *rbIPUdp, *rbIPtcp;
    TVarneGlyphButton* btnIpInfo;

    // CAN.
    QLabel *labCANCardiD, *labCanBaud, *LabCanTimeout;
    QComboBox *cobCanCardId, *cobCanBaud;
    QSpinBox* speCanTimeout;
    QCheckBox* chbCANWaitTout;
    TVarneGlyphButton* btnCanInfo;

    // Profibus DP.
    QLabel *labPBSMasteraddr, *labPBSbaud, *labPbstimeout;
    QSpinBox *spePbsMasteradr, *spePBSTimeout;
    QComboBox* cobPBSBaud;
    TVarneGlyphButton* btnPbsInfo;

    TVarneGlyphButton *btnOK, *btnCancel;

    void bntDinInfoClick() { showVersion(prANSI); }
    void bntZelkInfoClick() { showVersion(prZelk); }
    void btnIpInfoClick() { showVersion(prIP); }
    void btnCanInfoClick() { showVersion(prCAN); }
    void btnPbsInfoClick() { showVersion(prPBS); }

private:
    // One function a page, in the order of the tabs.
    void buildDefPrjPage();
    void buildCommonPage();
    void buildPlainTextPage();
    void buildAnsiPage();
    void buildZelkPage();
    void buildIpPage();
    void buildCanPage();
    void buildPbsPage();
    void buildButtons();
    void showVersion(TProt prot);
};
