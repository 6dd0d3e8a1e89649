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
    Mode = 0;
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
    Mode = 3;
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
    if (Mode == 2) {
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

// ---- cycle

void TQuintelProgram::TimerTick()
{
    Timer1.stop();
    if (Offline) {
        FBlinkOn = !FBlinkOn;
        InvBtnCaption = FBlinkOn ? text(0, 22) : QString();
        changed();
    }
    Cycle();
}

void TQuintelProgram::Cycle()
{
    if (Ending)
        return;
    if (FInCycle) {
        // A tick during a synchronous read or a dialog of the cycle waits.
        timerOn();
        return;
    }
    if (FReqHandle != 0)
        return;  // the answer runs the next cycle
    FInCycle = true;
    runCycle();
    FInCycle = false;
}

void TQuintelProgram::showPending()
{
    while (!FPending.empty() && !Ending) {
        const TPending p = FPending.front();
        FPending.erase(FPending.begin());
        if (p.Result)
            ShowResult(p.Name, p.Code);
        else
            ShowError(p.Name, p.Code);
    }
}

bool TQuintelProgram::scanStep()
{
    for (int a = 0; a <= ScanLastAdr; ++a) {
        if (Ending)
            return true;
        CurAdr = a;
        updateInvBtn();
        const std::vector<TProt> tries = a == 0 ? std::vector<TProt>{prZelk, prANSI} : std::vector<TProt>{prANSI};
        for (TProt prot : tries) {
            ProtSelect->SetProtocol(a, prot);
            const int r = Identify();
            if (r >= 0) {
                if (Cfg->QuintelCount > 0) {
                    Settings.Inverter = a;
                    Settings.Baudrate = ProtSelect->Ansi()->GetBaudrate();
                    Settings.Protocol = ProtSelect->GetActiveProtocol(a);
                    Settings.SaveToRegistry(FStore);
                    updateInvBtn();
                    updateComBtn();
                    startEngine(true);
                    setBusy(true);
                    Mode = 2;
                    timerOn();
                    return true;
                }
                ShowError(QString(), 102);
                break;
            }
            if (r == -2) {
                ShowError(QString(), -2);
                FNoCfgShown = CurCfgId;
                CurAdr = Settings.Inverter;
                ResetProtocols();
                setSerial(Settings.Baudrate);
                ProtSelect->SetProtocol(CurAdr, TProt(Settings.Protocol));
                updateInvBtn();
                updateComBtn();
                Mode = 2;
                timerOn();
                return true;
            }
        }
    }
    const int cur = ProtSelect->Ansi()->GetBaudrate();
    const int next = cur + 1 > 5 ? 0 : cur + 1;
    // From a stored index 6 or 7 the scan goes round once through 0..5.
    const bool round = next == Settings.Baudrate || (Settings.Baudrate > 5 && cur == 5);
    if (round) {
        message(31, oneButton(), icError, QStringLiteral("COM%1").arg(Settings.Comport + 1), {}, 0, 1);
        ResetProtocols();
        CurAdr = Settings.Inverter;
        setSerial(Settings.Baudrate);
        updateComBtn();
        ProtSelect->SetProtocol(CurAdr, TProt(Settings.Protocol));
        updateInvBtn();
        Mode = 2;
        timerOn();
        return true;
    }
    ResetProtocols();
    setSerial(next);
    ComBtnCaption = QStringLiteral("COM%1 %2").arg(Settings.Comport + 1).arg(TCpSettings::BaudBits(next));
    changed();
    timerOn();
    return false;
}

void TQuintelProgram::runCycle()
{
    ++CycleCount;
    showPending();
    if (Ending)
        return;

    // 1. Bus scan.
    if (Mode == 4 && scanStep())
        return;

    // 2. Start-up.
    if (Mode == 3) {
        ApplySettings();
        const int r = Identify();
        if (r == -1) {
            if (message(30, yesNo(), icConfirmation, QString::number(CurAdr), {}, 0, 1) == 0) {
                Mode = 4;
                setBusy(true);
                timerOn();
                return;
            }
        } else if (r == -2) {
            ShowError(QString(), -2);
            FNoCfgShown = CurCfgId;
        } else if (Cfg->QuintelCount == 0) {
            ShowError(QString(), 102);
        }
        startEngine(true);
        setBusy(true);
        Mode = 2;
    }

    // 3. Settings.
    if (ComDlgReq) {
        Mode = 0;
        ComDlgReq = false;
        TCpSettings s = Settings;
        if (FUi.RunSettings(s) && !Ending) {
            Settings = s;
            updateComBtn();
            Settings.SaveToRegistry(FStore);
            ApplySettings();
            if (Offline) {
                Mode = 2;
                timerOn();
                return;
            }
            clearTable();
            const int r = Identify();
            if (r == 1) {
                if (Cfg->QuintelCount == 0)
                    ShowError(QString(), 102);
                startEngine(true);
                setBusy(true);
            } else if (r < 0) {
                ShowError(QString(), r);
                if (r == -2)
                    FNoCfgShown = CurCfgId;
                startEngine(false);
            }
        }
        Mode = 2;
    }

    // 4. Inverter.
    if (InvDlgReq) {
        Mode = 0;
        InvDlgReq = false;
        // The current address is proposed also while offline.
        int a = CurAdr;
        if (FUi.RunSelMode(a, Offline) && !Ending) {
            if (a == -1) {
                Offline = true;
                InvBtnCaption = text(0, 22);
                changed();
                Engine.Stop();
            } else {
                Offline = false;
                FileName.clear();
                UpdateCaption();
                CurAdr = Settings.Inverter = a;
                Settings.SaveToRegistry(FStore);
                StaticText1 = QStringLiteral("(?)");
                updateInvBtn();
                ProtSelect->SetProtocol(CurAdr, TProt(Settings.Protocol));
                clearTable();
                const int r = Identify();
                if (r < 0) {
                    ShowError(QString(), r);
                    if (r == -2)
                        FNoCfgShown = CurCfgId;
                    startEngine(false);
                } else {
                    if (Cfg->QuintelCount == 0)
                        ShowError(QString(), 102);
                    startEngine(true);
                    setBusy(true);
                }
            }
        }
        Mode = 2;
    }

    // 5. Download.
    if (DownloadReq) {
        DownloadReq = false;
        Download();
    }

    // 6. Edit.
    if (EditReq) {
        EditReq = false;
        const int id = SelectedRow;
        if (tCpEntry* e = id >= 0 ? Engine.GetEntry(id) : nullptr) {
            int32_t value = e->Value;
            const QString label = e->Name + QLatin1Char(' ') + e->Para->GetName(ParaLang);
            const std::shared_ptr<TParaRec> para = e->Para;
            if (FUi.EditValue(para, label, value) && !Ending) {
                if (!Offline) {
                    Engine.SetValue(id, value);
                } else if (tCpEntry* now = Engine.GetEntry(id)) {
                    now->Value = value;
                    Rows.SetValueText(id, now->Para->ValueToText(value, ParaLang, QLatin1Char('+'), true));
                }
            }
        }
    }

    // Commands that change the table or open a dialog run here, never
    // inside another command or a synchronous exchange.
    if (OpenReq) {
        OpenReq = false;
        Open();
    }
    if (SaveReq) {
        SaveReq = false;
        Save();
    }
    if (PrintReq) {
        PrintReq = false;
        Print();
    }
    if (CopyReq) {
        CopyReq = false;
        Copy();
    }
    if (QuitReq) {
        QuitReq = false;
        Quit();
    }
    showPending();
    if (Ending)
        return;

    // 7. Periodic identification.
    if (CycleCount >= IdentifyEvery) {
        CycleCount = 0;
        if (!Offline) {
            const int r = Identify();
            if (r == -2) {
                // The inverter's new number has no configuration: no table
                // of the old one may go on polling or editing it.
                Engine.Stop();
                startEngine(false, false);
                clearTable();
                if (FNoCfgShown != CurCfgId) {
                    FNoCfgShown = CurCfgId;
                    ShowError(QString(), -2);
                }
            } else if (r == 1 || FRestartReading) {
                clearTable();
                if (Cfg && Cfg->QuintelCount == 0)
                    ShowError(QString(), 102);
                // Reading again after a failure: the failure was reported.
                startEngine(true, r == 1);
                setBusy(true);
            }
        }
    }

    // 8. Traffic.
    if (Offline || Mode != 2) {
        timerOn();
        return;
    }
    TReqRec req;
    Engine.GetRequest(req);
    if (!req.Valid) {
        timerOn();
        if (Engine.Status >= -1)
            setBusy(false);
        return;
    }
    const int h = req.IsRead ? ProtSelect->ReadParaReq(req.InvAdr, req.Service, req.Data)
                             : ProtSelect->WriteParaReq(req.InvAdr, req.Service, req.Data);
    if (h < 0) {
        // Refused: nothing is outstanding, the engine builds it again.
        Engine.RequestNotSent();
        ReqTag = -1;
        FReqHandle = 0;
        timerOn();
        return;
    }
    ReqTag = req.Tag;
    FReqHandle = h;
}
