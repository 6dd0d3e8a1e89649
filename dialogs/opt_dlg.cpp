#include "dialogs/opt_dlg.h"

#include "dialogs/glyph_button.h"
#include "dialogs/window_place.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>

namespace {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QSpinBox* spin(QWidget* parent, const char* name, int lo, int hi)
{
    auto* s = named(new QSpinBox(parent), name);
    s->setRange(lo, hi);
    return s;
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    return named(new QLabel(text, parent), name);
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text)
{
    return named(new QCheckBox(text, parent), name);
}

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* c = named(new QComboBox(parent), name);
    c->addItems(items);
    return c;
}

QStringList texts(const char* const* items, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QString::fromLatin1(items[i]);
    return out;
}

QStringList comPorts()
{
    QStringList out;
    for (int i = 1; i <= 9; ++i)
        out << QStringLiteral("COM%1").arg(i);
    return out;
}

QStringList baudRates()
{
    QStringList out;
    for (int b = B_1200; b <= B_115200; ++b)
        out << QString::number(BaudRateBits(TBaudRate(b)));
    return out;
}

const QStringList& languages()
{
    static const QStringList l = {QStringLiteral("English"), QStringLiteral("Deutsch"),
                                  QStringLiteral("Italiano"), QStringLiteral("Français"),
                                  QStringLiteral("Castellano"), QStringLiteral("Russian"),
                                  QStringLiteral("American")};
    return l;
}

// Selects an index of the list, none when outside it.
void select(QComboBox* c, int index)
{
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

int selected(const QComboBox* c, int unchanged)
{
    return c->currentIndex() >= 0 ? c->currentIndex() : unchanged;
}

TVarneGlyphButton* infoButton(QWidget* parent, const char* name)
{
    auto* b = named(new TVarneGlyphButton(parent), name);
    b->setText(QStringLiteral("?"));
    b->setFixedSize(25, 25);
    b->setAutoDefault(false);
    return b;
}

// A page whose form rows sit at the top, an info button at the bottom right.
QFormLayout* pageForm(QWidget* page, TVarneGlyphButton* info)
{
    auto* outer = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    outer->addLayout(form);
    outer->addStretch(1);
    if (info) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(info);
        outer->addLayout(row);
    }
    return form;
}

} // namespace

TfrmOptDlg::TfrmOptDlg(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmOptDlg"));
    setWindowTitle(QStringLiteral("Optionen"));

    pcOptions = named(new QTabWidget(this), "pcOptions");
    pcOptions->setUsesScrollButtons(false);  // every page's tab stays visible
    const auto page = [this](const char* name, const QString& caption) {
        QWidget* w = named(new QWidget(pcOptions), name);
        pcOptions->addTab(w, caption);
        return w;
    };
    tsDefPrj = page("tsDefPrj", QStringLiteral("Defaultprojekt"));
    tsCommon = page("tsCommon", QStringLiteral("Allgemein"));
    tsPlainText = page("tsPlainText", QStringLiteral("Parametertexte"));
    tsAnsi = page("tsAnsi", QStringLiteral("DIN 66019"));
    tsZelk = page("tsZelk", QStringLiteral("Zelk"));
    tsIP = page("tsIP", QStringLiteral("IP"));
    tsCan = page("tsCan", QStringLiteral("CAN"));
    tsPBS = page("tsPBS", QStringLiteral("ProfiBus"));

    buildDefPrjPage();
    buildCommonPage();
    buildPlainTextPage();
    buildAnsiPage();
    buildZelkPage();
    buildIpPage();
    buildCanPage();
    buildPbsPage();
    buildButtons();

    ShowMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
}

// The default project: protocols searched, address range, watch interval.
void TfrmOptDlg::buildDefPrjPage()
{
    auto* v = new QVBoxLayout(tsDefPrj);
    GBProt = named(new QGroupBox(QStringLiteral("Protokolle"), tsDefPrj), "GBProt");
    auto* g = new QGridLayout(GBProt);
    chbAnsi = check(GBProt, "chbAnsi", QStringLiteral("DIN 66019"));
    chbZelk = check(GBProt, "chbZelk", QStringLiteral("Zelk"));
    chbIBS = check(GBProt, "chbIBS", QStringLiteral("Interbus"));
    chbIp = check(GBProt, "chbIp", QStringLiteral("IP"));
    chbCAN = check(GBProt, "chbCAN", QStringLiteral("CAN"));
    chbPBS = check(GBProt, "chbPBS", QStringLiteral("ProfiBus"));
    QCheckBox* boxes[] = {chbAnsi, chbZelk, chbIBS, chbIp, chbCAN, chbPBS};
    for (int i = 0; i < 6; ++i)
        g->addWidget(boxes[i], i % 3, i / 3);
    v->addWidget(GBProt);

    gbAdrRange = named(new QGroupBox(QStringLiteral("Adressbereich"), tsDefPrj), "gbAdrRange");
    auto* f = new QFormLayout(gbAdrRange);
    labMinAdr = label(gbAdrRange, "labMinAdr", QStringLiteral("Von Adresse"));
    labMaxAdr = label(gbAdrRange, "labMaxAdr", QStringLiteral("Bis Adresse"));
    speDefMinAdr = spin(gbAdrRange, "speDefMinAdr", 0, 239);
    speDefMaxAdr = spin(gbAdrRange, "speDefMaxAdr", 0, 239);
    f->addRow(labMinAdr, speDefMinAdr);
    f->addRow(labMaxAdr, speDefMaxAdr);
    v->addWidget(gbAdrRange);

    gbCtrl = named(new QGroupBox(QStringLiteral("Überwachung"), tsDefPrj), "gbCtrl");
    auto* c = new QFormLayout(gbCtrl);
    labInterval = label(gbCtrl, "labInterval", QStringLiteral("Intervall [s]"));
    speDefWatchInterval = spin(gbCtrl, "speDefWatchInterval", 0, INT_MAX);
    c->addRow(labInterval, speDefWatchInterval);
    v->addWidget(gbCtrl);
    v->addStretch(1);
}

// General: dialogs, program language, separator, download priority.
void TfrmOptDlg::buildCommonPage()
{
    auto* v = new QVBoxLayout(tsCommon);
    grbDialogs = named(new QGroupBox(QStringLiteral("Dialoge"), tsCommon), "grbDialogs");
    auto* d = new QVBoxLayout(grbDialogs);
    chbCloseOnOK = check(grbDialogs, "chbCloseOnOK", QStringLiteral("Schließen bei OK"));
    chbCloseOnCancel = check(grbDialogs, "chbCloseOnCancel", QStringLiteral("Schließen bei Abbruch"));
    d->addWidget(chbCloseOnOK);
    d->addWidget(chbCloseOnCancel);
    v->addWidget(grbDialogs);

    grbLng = named(new QGroupBox(QStringLiteral("Sprache"), tsCommon), "grbLng");
    auto* l = new QFormLayout(grbLng);
    labProgLng = label(grbLng, "labProgLng", QStringLiteral("Programmsprache"));
    cobProgLng = combo(grbLng, "cobProgLng", languages());
    LabARProgLng = label(grbLng, "LabARProgLng", QStringLiteral("(wirksam nach Neustart)"));
    l->addRow(labProgLng, cobProgLng);
    l->addRow(QString(), LabARProgLng);
    v->addWidget(grbLng);

    grbSeperator = named(new QGroupBox(QStringLiteral("Trennzeichen"), tsCommon), "grbSeperator");
    auto* s = new QFormLayout(grbSeperator);
    labSeperator = label(grbSeperator, "labSeperator", QStringLiteral("Klartext-Trennzeichen"));
    edSeparator = named(new QLineEdit(grbSeperator), "edSeparator");
    edSeparator->setMaxLength(1);
    edSeparator->setFixedWidth(40);
    s->addRow(labSeperator, edSeparator);
    v->addWidget(grbSeperator);

    grbPriority = named(new QGroupBox(QStringLiteral("Priorität"), tsCommon), "grbPriority");
    auto* p = new QVBoxLayout(grbPriority);
    cbHpriorDwnload = check(grbPriority, "cbHpriorDwnload", QStringLiteral("Download mit hoher Priorität"));
    p->addWidget(cbHpriorDwnload);
    v->addWidget(grbPriority);
    v->addStretch(1);
}

// How parameters and their texts are shown.
void TfrmOptDlg::buildPlainTextPage()
{
    QFormLayout* f = pageForm(tsPlainText, nullptr);
    chbShowPlainText = check(tsPlainText, "chbShowPlainText", QStringLiteral("Klartextinfo anzeigen"));
    chbShowParaInfo = check(tsPlainText, "chbShowParaInfo", QStringLiteral("Parameterinfo anzeigen"));
    chbShowDecValue = check(tsPlainText, "chbShowDecValue", QStringLiteral("Dezimalwert vor Klartext"));
    chbShowInvisible = check(tsPlainText, "chbShowInvisible", QStringLiteral("Unsichtbare Parameter anzeigen"));
    chbShowSupervisor = check(tsPlainText, "chbShowSupervisor", QStringLiteral("Supervisor-Parameter anzeigen"));
    for (QCheckBox* c : {chbShowPlainText, chbShowParaInfo, chbShowDecValue, chbShowInvisible, chbShowSupervisor})
        f->addRow(c);
    labPtMode = label(tsPlainText, "labPtMode", QStringLiteral("Parametertexte"));
    cobActLng = combo(tsPlainText, "cobActLng", {QStringLiteral("Originaltexte"), QStringLiteral("Zweitsprache")});
    labPtLng = label(tsPlainText, "labPtLng", QStringLiteral("Zweitsprache"));
    cobSecondLng = combo(tsPlainText, "cobSecondLng", languages());
    labARSecLng = label(tsPlainText, "labARSecLng", QStringLiteral("(wirksam nach Neustart)"));
    f->addRow(labPtMode, cobActLng);
    f->addRow(labPtLng, cobSecondLng);
    f->addRow(QString(), labARSecLng);
}

void TfrmOptDlg::buildAnsiPage()
{
    bntDinInfo = infoButton(tsAnsi, "bntDinInfo");
    QFormLayout* f = pageForm(tsAnsi, bntDinInfo);
    labDinComport = label(tsAnsi, "labDinComport", QStringLiteral("Schnittstelle"));
    labDinBaud = label(tsAnsi, "labDinBaud", QStringLiteral("Baudrate"));
    labDinTimeOut = label(tsAnsi, "labDinTimeOut", QStringLiteral("Timeout [ms]"));
    labDinModemCmd = label(tsAnsi, "labDinModemCmd", QStringLiteral("Modembefehl"));
    cobDinComport = combo(tsAnsi, "cobDinComport", comPorts());
    cobDinBaud = combo(tsAnsi, "cobDinBaud", baudRates());
    speDinTimeOut = spin(tsAnsi, "speDinTimeOut", 0, 1000);
    edDinModemCmd = named(new QLineEdit(tsAnsi), "edDinModemCmd");
    chbDinSendSingle = check(tsAnsi, "chbDinSendSingle", QStringLiteral("Zeichen einzeln senden"));
    chbDinCloseCom = check(tsAnsi, "chbDinCloseCom", QStringLiteral("Schnittstelle freigeben, wenn inaktiv"));
    f->addRow(labDinComport, cobDinComport);
    f->addRow(labDinBaud, cobDinBaud);
    f->addRow(labDinTimeOut, speDinTimeOut);
    f->addRow(labDinModemCmd, edDinModemCmd);
    f->addRow(chbDinSendSingle);
    f->addRow(chbDinCloseCom);
    connect(bntDinInfo, &QPushButton::clicked, this, &TfrmOptDlg::bntDinInfoClick);
}

void TfrmOptDlg::buildZelkPage()
{
    bntZelkInfo = infoButton(tsZelk, "bntZelkInfo");
    QFormLayout* f = pageForm(tsZelk, bntZelkInfo);
    labZelkComport = label(tsZelk, "labZelkComport", QStringLiteral("Schnittstelle"));
    labZelkBaud = label(tsZelk, "labZelkBaud", QStringLiteral("Baudrate"));
    labZelkTimeOut = label(tsZelk, "labZelkTimeOut", QStringLiteral("Timeout [ms]"));
    cobZelkComport = combo(tsZelk, "cobZelkComport", comPorts());
    cobZelkBaud = combo(tsZelk, "cobZelkBaud", baudRates());
    speZelkTimeOut = spin(tsZelk, "speZelkTimeOut", 0, INT_MAX);
    chbZelkSendSingle = check(tsZelk, "chbZelkSendSingle", QStringLiteral("Zeichen einzeln senden"));
    chbZelkclosecom = check(tsZelk, "chbZelkclosecom", QStringLiteral("Schnittstelle freigeben, wenn inaktiv"));
    f->addRow(labZelkComport, cobZelkComport);
    f->addRow(labZelkBaud, cobZelkBaud);
    f->addRow(labZelkTimeOut, speZelkTimeOut);
    f->addRow(chbZelkSendSingle);
    f->addRow(chbZelkclosecom);
    connect(bntZelkInfo, &QPushButton::clicked, this, &TfrmOptDlg::bntZelkInfoClick);
}

void TfrmOptDlg::buildIpPage()
{
    btnIpInfo = infoButton(tsIP, "btnIpInfo");
    QFormLayout* f = pageForm(tsIP, btnIpInfo);
    labIPHost = label(tsIP, "labIPHost", QStringLiteral("Host"));
    labIpPort = label(tsIP, "labIpPort", QStringLiteral("Port"));
    labIpTimeOut = label(tsIP, "labIpTimeOut", QStringLiteral("Timeout [ms]"));
    edIpHost = named(new QLineEdit(tsIP), "edIpHost");
    speIpPort = spin(tsIP, "speIpPort", 0, 65535);  // a port number has 16 bits
    speIpTimeOut = spin(tsIP, "speIpTimeOut", 0, INT_MAX);
    rbIPUdp = named(new QRadioButton(QStringLiteral("UDP"), tsIP), "rbIPUdp");
    rbIPtcp = named(new QRadioButton(QStringLiteral("TCP"), tsIP), "rbIPtcp");
    auto* rb = new QHBoxLayout;
    rb->addWidget(rbIPUdp);
    rb->addWidget(rbIPtcp);
    rb->addStretch(1);
    f->addRow(labIPHost, edIpHost);
    f->addRow(labIpPort, speIpPort);
    f->addRow(labIpTimeOut, speIpTimeOut);
    f->addRow(rb);
    connect(btnIpInfo, &QPushButton::clicked, this, &TfrmOptDlg::btnIpInfoClick);
}

void TfrmOptDlg::buildCanPage()
{
    btnCanInfo = infoButton(tsCan, "btnCanInfo");
    QFormLayout* f = pageForm(tsCan, btnCanInfo);
    labCANCardiD = label(tsCan, "labCANCardiD", QStringLiteral("Karte"));
    labCanBaud = label(tsCan, "labCanBaud", QStringLiteral("Baudrate"));
    LabCanTimeout = label(tsCan, "LabCanTimeout", QStringLiteral("Timeout [ms]"));
    cobCanCardId = combo(tsCan, "cobCanCardId",
                         {QStringLiteral("CAN0"), QStringLiteral("CAN1"), QStringLiteral("CAN2"), QStringLiteral("CAN3")});
    cobCanCardId->setEditable(true);
    cobCanBaud = combo(tsCan, "cobCanBaud", texts(kCanBaudTexts, kCanBaudCount));
    speCanTimeout = spin(tsCan, "speCanTimeout", 0, INT_MAX);
    chbCANWaitTout = check(tsCan, "chbCANWaitTout", QStringLiteral("Timeout abwarten"));
    f->addRow(labCANCardiD, cobCanCardId);
    f->addRow(labCanBaud, cobCanBaud);
    f->addRow(LabCanTimeout, speCanTimeout);
    f->addRow(chbCANWaitTout);
    connect(btnCanInfo, &QPushButton::clicked, this, &TfrmOptDlg::btnCanInfoClick);
}

void TfrmOptDlg::buildPbsPage()
{
    btnPbsInfo = infoButton(tsPBS, "btnPbsInfo");
    QFormLayout* f = pageForm(tsPBS, btnPbsInfo);
    labPBSMasteraddr = label(tsPBS, "labPBSMasteraddr", QStringLiteral("Masteradresse"));
    labPBSbaud = label(tsPBS, "labPBSbaud", QStringLiteral("Baudrate"));
    labPbstimeout = label(tsPBS, "labPbstimeout", QStringLiteral("Timeout [ms]"));
    spePbsMasteradr = spin(tsPBS, "spePbsMasteradr", 0, 127);
    cobPBSBaud = combo(tsPBS, "cobPBSBaud", texts(kPbsBaudTexts, kPbsBaudCount));
    spePBSTimeout = spin(tsPBS, "spePBSTimeout", 0, INT_MAX);
    f->addRow(labPBSMasteraddr, spePbsMasteradr);
    f->addRow(labPBSbaud, cobPBSBaud);
    f->addRow(labPbstimeout, spePBSTimeout);
    connect(btnPbsInfo, &QPushButton::clicked, this, &TfrmOptDlg::btnPbsInfoClick);
}

// OK and Cancel, and the dialog's layout: the pages above the buttons.
void TfrmOptDlg::buildButtons()
{
    btnOK = named(new TVarneGlyphButton(this), "btnOK");
    btnOK->setText(QStringLiteral("OK"));
    btnOK->SetGlyphKind(glOK);
    btnOK->setDefault(true);
    btnCancel = named(new TVarneGlyphButton(this), "btnCancel");
    btnCancel->setText(QStringLiteral("Abbruch"));
    btnCancel->SetGlyphKind(glCancel);
    btnCancel->setAutoDefault(false);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(pcOptions);
    main->addLayout(buttons);
}

void TfrmOptDlg::SetPageCaption(QWidget* page, const QString& caption)
{
    const int i = pcOptions->indexOf(page);
    if (i >= 0)
        pcOptions->setTabText(i, caption);
}

void TfrmOptDlg::showVersion(TProt prot)
{
    if (!DriverVersion)
        return;
    const QString text = DriverVersion(prot);
    if (ShowMessage)
        ShowMessage(text);
}

void TfrmOptDlg::SetValues(const TOptValues& v)
{
    chbAnsi->setChecked(v.DefProts & ProtBit(prANSI));
    chbZelk->setChecked(v.DefProts & ProtBit(prZelk));
    chbIBS->setChecked(v.DefProts & ProtBit(prIBS));
    chbIp->setChecked(v.DefProts & ProtBit(prIP));
    chbCAN->setChecked(v.DefProts & ProtBit(prCAN));
    chbPBS->setChecked(v.DefProts & ProtBit(prPBS));
    speDefMinAdr->setValue(v.MinInvAdr);
    speDefMaxAdr->setValue(v.MaxInvAdr);
    speDefWatchInterval->setValue(v.Watchinterval);

    select(cobDinComport, v.Din.Comport);
    select(cobDinBaud, v.Din.Baudrate);
    speDinTimeOut->setValue(v.Din.TimeOut);
    chbDinSendSingle->setChecked(v.Din.SendSingle);
    chbDinCloseCom->setChecked(v.Din.CloseCom);
    edDinModemCmd->setText(v.Din.ModemCmd);

    select(cobZelkComport, v.Zelk.Comport);
    select(cobZelkBaud, v.Zelk.Baudrate);
    speZelkTimeOut->setValue(v.Zelk.TimeOut);
    chbZelkSendSingle->setChecked(v.Zelk.SendSingle);
    chbZelkclosecom->setChecked(v.Zelk.CloseCom);

    edIpHost->setText(v.Ip.Host);
    speIpPort->setValue(v.Ip.Port);
    speIpTimeOut->setValue(v.Ip.TimeOut);
    rbIPUdp->setChecked(v.Ip.UDP);
    rbIPtcp->setChecked(!v.Ip.UDP);

    cobCanCardId->setCurrentText(v.Can.CardId);
    select(cobCanBaud, v.Can.Baudrate);
    speCanTimeout->setValue(v.Can.TimeOut);
    chbCANWaitTout->setChecked(v.Can.WaitTOut);

    spePbsMasteradr->setValue(v.Pbs.Masteraddress);
    select(cobPBSBaud, v.Pbs.Baudrate);
    spePBSTimeout->setValue(v.Pbs.TimeOut);

    chbCloseOnOK->setChecked(v.CloseOnOK);
    chbCloseOnCancel->setChecked(v.CloseOnCancel);
    select(cobProgLng, v.ProgLng);
    edSeparator->setText(v.Separator);
    cbHpriorDwnload->setChecked(v.DwnHighPriority);

    chbShowPlainText->setChecked(v.ShowPlainTextInfo);
    chbShowParaInfo->setChecked(v.ShowParaInfo);
    chbShowDecValue->setChecked(v.ShowDecValue);
    chbShowInvisible->setChecked(v.ShowInvisible);
    chbShowSupervisor->setChecked(v.ShowSupervisor);
    select(cobSecondLng, v.SecondLng);
    select(cobActLng, v.lng);
}

TOptValues TfrmOptDlg::Values(const TOptValues& base) const
{
    TOptValues v = base;
    v.DefProts = 0;
    const std::pair<QCheckBox*, TProt> prots[] = {{chbAnsi, prANSI}, {chbZelk, prZelk}, {chbIBS, prIBS},
                                                  {chbIp, prIP},     {chbCAN, prCAN},   {chbPBS, prPBS}};
    for (const auto& [box, prot] : prots)
        if (box->isChecked())
            v.DefProts |= ProtBit(prot);
    // Bits outside the six protocols are kept as they were.
    TProtSet known = 0;
    for (const auto& p : prots)
        known |= ProtBit(p.second);
    v.DefProts |= base.DefProts & ~known;
    v.MinInvAdr = speDefMinAdr->value();
    v.MaxInvAdr = speDefMaxAdr->value();
    v.Watchinterval = speDefWatchInterval->value();

    v.Din.Comport = TComPort(selected(cobDinComport, base.Din.Comport));
    v.Din.Baudrate = TBaudRate(selected(cobDinBaud, base.Din.Baudrate));
    v.Din.TimeOut = speDinTimeOut->value();
    v.Din.SendSingle = chbDinSendSingle->isChecked();
    v.Din.CloseCom = chbDinCloseCom->isChecked();
    v.Din.ModemCmd = edDinModemCmd->text();

    v.Zelk.Comport = TComPort(selected(cobZelkComport, base.Zelk.Comport));
    v.Zelk.Baudrate = TBaudRate(selected(cobZelkBaud, base.Zelk.Baudrate));
    v.Zelk.TimeOut = speZelkTimeOut->value();
    v.Zelk.SendSingle = chbZelkSendSingle->isChecked();
    v.Zelk.CloseCom = chbZelkclosecom->isChecked();

    v.Ip.Host = edIpHost->text();
    v.Ip.Port = speIpPort->value();
    v.Ip.TimeOut = speIpTimeOut->value();
    v.Ip.UDP = rbIPUdp->isChecked();

    v.Can.CardId = cobCanCardId->currentText();
    v.Can.Baudrate = selected(cobCanBaud, base.Can.Baudrate);
    v.Can.TimeOut = speCanTimeout->value();
    v.Can.WaitTOut = chbCANWaitTout->isChecked();

    v.Pbs.Masteraddress = spePbsMasteradr->value();
    v.Pbs.Baudrate = selected(cobPBSBaud, base.Pbs.Baudrate);
    v.Pbs.TimeOut = spePBSTimeout->value();

    v.CloseOnOK = chbCloseOnOK->isChecked();
    v.CloseOnCancel = chbCloseOnCancel->isChecked();
    v.ProgLng = selected(cobProgLng, base.ProgLng);
    v.Separator = edSeparator->text();
    v.DwnHighPriority = cbHpriorDwnload->isChecked();

    v.ShowPlainTextInfo = chbShowPlainText->isChecked();
    v.ShowParaInfo = chbShowParaInfo->isChecked();
    v.ShowDecValue = chbShowDecValue->isChecked();
    v.ShowInvisible = chbShowInvisible->isChecked();
    v.ShowSupervisor = chbShowSupervisor->isChecked();
    v.SecondLng = selected(cobSecondLng, base.SecondLng);
    v.lng = selected(cobActLng, base.lng);
    return v;
}

bool TfrmOptDlg::RunOptions(TOptValues& values)
{
    SetValues(values);
    CentreOnWorkArea(this);
    if (exec() != QDialog::Accepted)
        return false;
    values = Values(values);
    return true;
}
