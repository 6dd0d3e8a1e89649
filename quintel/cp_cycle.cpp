// The Quintel program's cycle: on each timer tick and after each answer,
// the state's own work (bus scan or start-up), then the buttons' requests
// in a fixed order, the periodic identification and, while running, the
// engine's next request. Buttons only set flags, so dialogs, downloads and
// edits never interleave with an outstanding request.

#include "quintel/cp_program.h"

#include "dialogs/message_dlg.h"

#include <utility>

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

void TQuintelProgram::runCycle()
{
    ++CycleCount;
    showPending();
    if (Ending)
        return;

    // The state's own work first; the scan, or a start-up that chose one,
    // may end the cycle.
    switch (Mode()) {
    case cmBusScan:
        if (scan())
            return;
        break;
    case cmStartUp:
        if (startUp())
            return;
        break;
    case cmIdle:
    case cmRunning:
        break;
    }

    if (takeRequests())
        return;
    showPending();
    if (Ending)
        return;
    identifyPeriodically();

    if (Mode() == cmRunning && !Offline)
        sendNext();
    else
        timerOn();
}

// ---- after an identification

// The message that Identify's result calls for, then the table read from
// its start. The engine reads, under the hourglass, with the configuration
// in hand: after a successful identification, at the start-up (none yet
// when it failed) and on a periodic retry of the same inverter. A failed
// choice of the user or a number without configuration leave it idle
// until an identification finds one. A periodic identification reports
// such a number once, and a failed reading again only for a new type.
void TQuintelProgram::readTable(int identified, TIdentifyCause cause)
{
    const bool periodic = cause == TIdentifyCause::Periodic;
    const bool reading = identified >= 0 || cause == TIdentifyCause::StartUp || (periodic && identified == -1);
    if (identified == -2) {
        if (!periodic || FNoCfgShown != CurCfgId)
            ShowError(QString(), -2);
        FNoCfgShown = CurCfgId;
    } else if (identified == -1 && cause == TIdentifyCause::Choice) {
        ShowError(QString(), -1);  // the start-up asked about a scan instead
    } else if (reading && Cfg && Cfg->QuintelCount == 0) {
        ShowError(QString(), 102);
    }
    startEngine(reading, !periodic || identified == 1);
    if (reading)
        setBusy(true);
}

// ---- states

// Addresses 0 to 32 at the drivers' current rate, then the next rate. True
// when the scan ended: an inverter found, a number without configuration,
// or all rates tried.
bool TQuintelProgram::scan()
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
            if (r >= 0 && Cfg->QuintelCount > 0) {
                Settings.Inverter = a;
                Settings.Baudrate = ProtSelect->Ansi()->GetBaudrate();
                Settings.Protocol = ProtSelect->GetActiveProtocol(a);
                Settings.SaveToRegistry(FStore);
                updateInvBtn();
                updateComBtn();
                readTable(r, TIdentifyCause::StartUp);
                setMode(cmRunning);
                timerOn();
                return true;
            }
            if (r >= 0) {
                ShowError(QString(), 102);
                break;
            }
            if (r == -2) {
                ShowError(QString(), -2);
                FNoCfgShown = CurCfgId;
                endScan();
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
        endScan();
        return true;
    }
    ResetProtocols();
    setSerial(next);
    ComBtnCaption = QStringLiteral("COM%1 %2").arg(Settings.Comport + 1).arg(TCpSettings::BaudBits(next));
    changed();
    timerOn();
    return false;
}

// Back to the stored inverter, rate and protocol, running whatever the
// engine had.
void TQuintelProgram::endScan()
{
    ResetProtocols();
    CurAdr = Settings.Inverter;
    setSerial(Settings.Baudrate);
    updateComBtn();
    ProtSelect->SetProtocol(CurAdr, TProt(Settings.Protocol));
    updateInvBtn();
    setMode(cmRunning);
    timerOn();
}

// The settings applied and the inverter identified. True when no inverter
// answered and the user chose a bus scan, which begins with the next cycle.
bool TQuintelProgram::startUp()
{
    ApplySettings();
    const int r = Identify();
    if (r == -1 && message(30, yesNo(), icConfirmation, QString::number(CurAdr), {}, 0, 1) == 0) {
        setMode(cmBusScan);
        setBusy(true);
        timerOn();
        return true;
    }
    readTable(r, TIdentifyCause::StartUp);
    setMode(cmRunning);
    return false;
}

// Running: the engine's next request is sent. While it is outstanding the
// timer stays off; its answer runs the next cycle.
void TQuintelProgram::sendNext()
{
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

// ---- requests

// The buttons' requests in their fixed order. True when the cycle ends.
bool TQuintelProgram::takeRequests()
{
    if (std::exchange(ComDlgReq, false) && settingsDialog())
        return true;
    // Open, save, print, copy and quit change the table or open a dialog:
    // they run here, never inside another command or a synchronous exchange.
    static constexpr std::pair<bool TQuintelProgram::*, void (TQuintelProgram::*)()> requests[] = {
        {&TQuintelProgram::InvDlgReq, &TQuintelProgram::inverterDialog},
        {&TQuintelProgram::DownloadReq, &TQuintelProgram::Download},
        {&TQuintelProgram::EditReq, &TQuintelProgram::editSelected},
        {&TQuintelProgram::OpenReq, &TQuintelProgram::Open},
        {&TQuintelProgram::SaveReq, &TQuintelProgram::Save},
        {&TQuintelProgram::PrintReq, &TQuintelProgram::Print},
        {&TQuintelProgram::CopyReq, &TQuintelProgram::Copy},
        {&TQuintelProgram::QuitReq, &TQuintelProgram::Quit},
    };
    for (const auto& [flag, run] : requests)
        if (std::exchange(this->*flag, false))
            (this->*run)();
    return false;
}

// True when the cycle ends: new settings while offline identify nothing.
bool TQuintelProgram::settingsDialog()
{
    setMode(cmIdle);
    TCpSettings s = Settings;
    if (FUi.RunSettings(s) && !Ending) {
        Settings = s;
        updateComBtn();
        Settings.SaveToRegistry(FStore);
        ApplySettings();
        if (Offline) {
            setMode(cmRunning);
            timerOn();
            return true;
        }
        clearTable();
        // The same type goes on being read.
        const int r = Identify();
        if (r != 0)
            readTable(r, TIdentifyCause::Choice);
    }
    setMode(cmRunning);
    return false;
}

void TQuintelProgram::inverterDialog()
{
    setMode(cmIdle);
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
            readTable(Identify(), TIdentifyCause::Choice);
        }
    }
    setMode(cmRunning);
}

void TQuintelProgram::editSelected()
{
    const int id = SelectedRow;
    tCpEntry* e = id >= 0 ? Engine.GetEntry(id) : nullptr;
    if (!e)
        return;
    int32_t value = e->Value;
    const QString label = e->Name + QLatin1Char(' ') + e->Para->GetName(ParaLang);
    const std::shared_ptr<TParaRec> para = e->Para;
    if (!FUi.EditValue(para, label, value) || Ending)
        return;
    if (!Offline) {
        Engine.SetValue(id, value);
    } else if (tCpEntry* now = Engine.GetEntry(id)) {
        now->Value = value;
        Rows.SetValueText(id, now->Para->ValueToText(value, ParaLang, QLatin1Char('+'), true));
    }
}

// Every tenth cycle while online. Another type, a number without
// configuration (no table of the old one may go on polling or editing the
// new inverter) or a failed reading: the table is read again.
void TQuintelProgram::identifyPeriodically()
{
    if (CycleCount < IdentifyEvery)
        return;
    CycleCount = 0;
    if (Offline)
        return;
    const int r = Identify();
    if (r == 1 || r == -2 || FRestartReading) {
        clearTable();
        readTable(r, TIdentifyCause::Periodic);
    }
}
