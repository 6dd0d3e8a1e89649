#include "quintel/cp_program.h"

#include "comm/custom_qel_prot.h"
#include "dialogs/message_dlg.h"
#include "platform/settings_store.h"
#include "project/prj_discovery.h"

#include <QFile>
#include <QMetaObject>

TQuintelProgram::TQuintelProgram(ICpInteraction& Ui, SettingsStore& Store,
                                 const TProtSel::TDriverFactory& Factory, QObject* Owner)
    : QObject(Owner), ProtSelect(std::make_unique<TProtSel>(nullptr, Factory)), FUi(Ui), FStore(Store)
{
    ProtSelect->SetRetryCnt(0);
    Timer1.setSingleShot(true);
    Timer1.setInterval(TimerMs);
    connect(&Timer1, &qel::TTimer::timeout, this, &TQuintelProgram::TimerTick);
    Texts.SetVersion(5);
    Now = [] { return QDateTime::currentDateTime(); };
}

TQuintelProgram::~TQuintelProgram()
{
    Ending = true;
    setMode(cmIdle);
    Timer1.stop();
    ProtSelect->OnRspAvail = nullptr;
    if (tCustomQelProt* din = ProtSelect->DriverOf(prANSI))
        din->Close();
}

// ---- texts and messages

QStringList TQuintelProgram::oneButton() const { return {QStringLiteral("0") + text(0, 5)}; }

QStringList TQuintelProgram::yesNo() const
{
    return {QStringLiteral("3") + text(0, 8), QStringLiteral("4") + text(0, 9)};
}

int TQuintelProgram::messageLines(const QStringList& lines, const QStringList& buttons, int icon,
                                  const QString& p1, const QString& p2, int def, int cancel)
{
    return FUi.Message(lines, buttons, Settings.AppName, icon, p1, p2, QString(), def, cancel);
}

int TQuintelProgram::message(int k, const QStringList& buttons, int icon, const QString& p1,
                             const QString& p2, int def, int cancel)
{
    const QStringList* lines = Texts.GetStrings(0, k);
    return messageLines(lines ? *lines : QStringList{QStringLiteral("???")}, buttons, icon, p1, p2,
                        def, cancel);
}

void TQuintelProgram::ShowError(const QString& Name, int Code)
{
    const QString adr = QString::number(CurAdr);
    const QString cfg = QString::number(CurCfgId);
    switch (Code) {
    case 0: return;
    case -5: message(18, oneButton(), icError, FileName, QString::number(LastResult), 0, 0); return;
    case -4: message(11, oneButton(), icError, cfg, {}, 0, 0); return;
    case -3: message(14, oneButton(), icError, cfg, {}, 0, 0); return;
    case -2: message(20, oneButton(), icError, cfg, {}, 0, 0); return;
    case -1: message(21, oneButton(), icError, {}, {}, 0, 0); return;
    case 101: message(25, oneButton(), icError, adr, {}, 0, 0); return;
    case 102: message(29, oneButton(), icError, adr, cfg, 0, 0); return;
    case 103: message(32, oneButton(), icError, {}, {}, 0, 0); return;
    default: ShowResult(Name, Code); return;
    }
}

void TQuintelProgram::ShowResult(const QString& Name, int Code)
{
    if (Code == 0)
        return;
    QStringList lines;
    if (!Name.isEmpty())
        lines << Name;
    lines << Texts.GetErrorText(Code);
    messageLines(lines, oneButton(), icError, {}, {}, 0, 0);
}

// ---- captions

QString TQuintelProgram::invCaption() const
{
    return text(0, 0) + QLatin1Char(':') + QString::number(CurAdr);
}

void TQuintelProgram::changed()
{
    if (OnViewChanged)
        OnViewChanged();
}

void TQuintelProgram::updateInvBtn()
{
    InvBtnCaption = invCaption();
    changed();
}

void TQuintelProgram::updateComBtn()
{
    ComBtnCaption = QStringLiteral("COM%1 %2")
                        .arg(Settings.Comport + 1)
                        .arg(TCpSettings::BaudBits(Settings.Baudrate));
    changed();
}

void TQuintelProgram::UpdateCaption()
{
    Caption = Settings.AppName + QLatin1Char(' ') + QLatin1String(Version) + QLatin1Char(' ') + FileName;
    changed();
}

void TQuintelProgram::setBusy(bool b)
{
    if (Busy == b)
        return;
    Busy = b;
    FUi.SetBusyCursor(b);
}

// ---- start-up

bool TQuintelProgram::FirstShow()
{
    if (Shown)
        return true;
    Shown = true;
    auto end = [this] {
        Ending = true;
        FUi.EndProgram();
        return false;
    };
    FStore.load();
    if (!Settings.LoadFromRegistry(FStore)) {
        FUi.ErrorBox(QStringLiteral("Quintel"),
                     QStringLiteral("Error reading registry.\nProgram not properly installed."));
        return end();
    }
    UpdateCaption();
    if (!Settings.AppIcon.isEmpty() && QFile::exists(Settings.ApplicationPath + Settings.AppIcon))
        FUi.SetProgramIcon(Settings.ApplicationPath + Settings.AppIcon);

    for (;;) {
        const QString path = Settings.ApplicationPath + Language::QuintelFileName(Settings.Proglng);
        if (Texts.LoadFromFile(path, Language::CodePageOf(Settings.Proglng)))
            break;
        const bool last = Settings.Proglng == 0;
        FUi.ErrorBox(Settings.AppName,
                     QStringList{Settings.AppName, QStringLiteral("Error reading language file"), path,
                                 last ? QStringLiteral("Programm is terminating.")
                                      : QStringLiteral("Using default language.")}
                         .join(QLatin1Char('\n')));
        if (last)
            return end();
        Settings.Proglng = 0;
    }

    if (FLock.Acquire(QString::fromLatin1(MutexName), LockDir) != TSingleInstanceLock::lrTaken) {
        message(33, oneButton(), icError, Settings.AppName, {}, 0, 0);
        return end();
    }

    CurAdr = Settings.Inverter;
    StaticText1 = QStringLiteral("(?)");
    InvBtnCaption = invCaption();
    Rows.SetCaption(TCpRowModel::ColSet, text(0, 2));
    Rows.SetCaption(TCpRowModel::ColPara, text(0, 1));
    Rows.SetCaption(TCpRowModel::ColValue, text(0, 3));
    changed();

    ProtSelect->OnRspAvail = [this](QObject*, TRecTel tel) { AnswerAvail(tel); };
    timerOn();
    setMode(cmStartUp);
    return true;
}

void TQuintelProgram::setSerial(int baud)
{
    for (TSerialProp* p : {static_cast<TSerialProp*>(ProtSelect->Ansi()), ProtSelect->Zelk()})
        p->SetBaudrate(TBaudRate(baud));
}

void TQuintelProgram::ApplySettings()
{
    updateComBtn();
    ResetProtocols();
    for (TSerialProp* p : {static_cast<TSerialProp*>(ProtSelect->Ansi()), ProtSelect->Zelk()}) {
        p->SetSendSlow(Settings.SendSingle);
        p->SetTimeOut(Settings.TimeOut);
        p->SetBaudrate(TBaudRate(Settings.Baudrate));
        p->SetComport(TComPort(Settings.Comport));
    }
    CurAdr = Settings.Inverter;
    ProtSelect->SetProtocol(CurAdr, TProt(Settings.Protocol));
    if (ProtSelect->GetActiveProtocol(CurAdr) != TProt(Settings.Protocol))
        ShowError(QString(), -3);
}

void TQuintelProgram::ResetProtocols()
{
    for (int a = 0; a <= MaxInvAdr; ++a)
        if (ProtSelect->GetProtocol(a) != prOffline)
            ProtSelect->SetProtocol(a, prOffline);
}

// ---- identification

int TQuintelProgram::sync(bool isRead, int service, const TTelData& d, TRecTel& rsp)
{
    // A driver that could not run the exchange leaves the record as it was.
    rsp = TRecTel();
    const int r = isRead ? ProtSelect->ReadPara(CurAdr, service, d, rsp)
                         : ProtSelect->WritePara(CurAdr, service, d, rsp);
    return r != 0 ? r : rsp.Status;
}

int TQuintelProgram::readPlain(int par, TRecTel& rsp)
{
    TTelData d;
    d.ParAdr = uint16_t(par);
    return sync(true, QelService::Plain, d, rsp);
}

int TQuintelProgram::readCfgNumber()
{
    TRecTel rsp;
    if (readPlain(PrjDiscovery::kCfgIdPar, rsp) != 0)
        return -1;
    const int number = rsp.Data.GetI16(2);
    if (number != 8 && number != 12)
        return number;
    // Answered: 21/22; error 2: 25/26; any other failure leaves the number
    // as it was, which here means no valid answer.
    const int refined = PrjDiscovery::RefineCfgId(*ProtSelect, CurAdr, number,
                                                  PrjDiscovery::TVariantRule::KeepOnOtherError);
    return refined == number ? -1 : refined;
}

bool TQuintelProgram::loadCfg(int number)
{
    const int index = Configurations.LoadFromFile(Settings.BinPath + TVortalinCfgList::BinFileName(number), false);
    if (index < 0) {
        // Never keep the old inverter's configuration for a new number.
        Cfg.reset();
        return false;
    }
    Cfg = Configurations.GetCfgShared(index);
    ParaLang = 0;
    if (Settings.Paralng > 0)
        ParaLang = Cfg->LoadAddFile(Settings.BinPath + TVortalinCfgList::AddFileName(number, Settings.Paralng)) == 0 ? 1 : 0;
    FUi.SetEditorLanguage(ParaLang);
    return true;
}

int TQuintelProgram::Identify()
{
    const int number = readCfgNumber();
    if (number < 0) {
        CurCfgId = -1;
        return -1;
    }
    int result = 0;
    if (number != CurCfgId) {
        CurCfgId = number;
        result = loadCfg(number) ? 1 : 0;
    }
    if (!Cfg)
        return -2;
    StaticText1 = QStringLiteral("%1:%2").arg(CurCfgId).arg(Cfg->GetTypeName());
    changed();
    return result;
}

// ---- engine and rows

void TQuintelProgram::onEngineError(const QString& Name, int Code)
{
    // Raised inside the answer handler: shown by the next cycle.
    FPending.push_back({Name, Code, true});
}

void TQuintelProgram::startEngine(bool withCfg, bool afresh)
{
    Engine.Start(CurAdr, withCfg ? Cfg : nullptr,
                 [this](const QString& n, int c) { onEngineError(n, c); });
    if (afresh)
        FReadFailedShown = false;
    FRestartReading = false;
}

void TQuintelProgram::clearTable() { Rows.Clear(); }

QString TQuintelProgram::ValueText(const tCpEntry& e) const
{
    if (e.Status != 0)
        return Texts.GetErrorText(e.Status);
    return e.Para->ValueToText(e.Value, ParaLang, QLatin1Char('+'), true);
}

void TQuintelProgram::updateSetColumn()
{
    Rows.SetWidth(TCpRowModel::ColSet, Engine.AllSet0 ? 0 : 100);
}

void TQuintelProgram::addRows()
{
    const int status = Engine.Status;
    for (int id = Rows.Count(); id <= status; ++id) {
        TCpRowModel::TRow row;
        if (const tCpEntry* e = Engine.GetEntry(id)) {
            row.Name = e->Name;
            row.SetText = tQuintel::SetSelText(e->Def);
            row.ParaName = e->Para->GetName(ParaLang);
            if (Engine.ShowIdText)
                row.ParaName = QStringLiteral("(") + e->Para->GetIdText() + QStringLiteral(") ") + row.ParaName;
        }
        row.ValueText = QStringLiteral(" ");
        Rows.Append(row);
        updateSetColumn();
    }
}

void TQuintelProgram::AnswerAvail(const TRecTel& Tel)
{
    // Only the answer to the outstanding send counts; anything else (a late
    // answer of a request given up, another driver's) is dropped.
    if (FReqHandle == 0 || Tel.ReqId != FReqHandle)
        return;
    FReqHandle = 0;
    const int tag = ReqTag;
    ReqTag = -1;
    Engine.ResponseAvail(Tel, tag);
    if (Mode() == cmRunning) {
        if (Engine.Status >= -1)
            setBusy(false);
        if (Engine.Status >= 0) {
            addRows();
            if (const tCpEntry* e = Engine.GetEntry(Engine.Status))
                Rows.SetValueText(Engine.Status, ValueText(*e));
        }
    }
    // A value stored: the table was read; a later failure is a new one.
    if (Engine.Status >= 0)
        FReadFailedShown = false;
    // A failed reading starts again at the next identification; it is
    // reported once.
    if (Engine.Status == -3) {
        FRestartReading = true;
        if (!FReadFailedShown) {
            FReadFailedShown = true;
            FPending.push_back({QString(), -4, false});
        }
    }
    // The next cycle runs from the event loop, not inside the driver's event.
    QMetaObject::invokeMethod(this, &TQuintelProgram::Cycle, Qt::QueuedConnection);
}
