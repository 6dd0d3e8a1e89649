// The list's part in its window's life: the inverter and configuration a
// new window takes, the save question before it closes, and the scheduler
// state of a minimised, restored and closed window.

#include "lists/dwn_load_engine.h"

#include "project/vortalin_prj.h"

bool TDwnLoadEngine::OpenFor(int Adr, const QString& Name)
{
    InvAdr = Adr >= 0 && Adr < kPrjInvCount ? Adr : 0;
    // A list of the inverter's own configuration stays with it (with 0 a
    // list saved for the second inverter of a type would go to the first).
    if (const int cfg = cfgNumberOf(InvAdr); cfg >= 0)
        CfgId = cfg;
    if (!Name.isEmpty())
        LoadData(Name);
    const int adr = Inv() ? InvAdr : firstInv();
    if (adr < 0) {
        // Said before any list exists: the message has no title.
        TDwnMessage m;
        m.Lines = textLines(0, 15);
        m.Buttons = dblOk;
        m.Icon = dmiError;
        ui_.Message(m);
        return false;
    }
    InvAdr = adr;
    CfgId = cfgNumberOf(adr);
    return true;
}

bool TDwnLoadEngine::CloseQuery()
{
    if (Transferring())
        return false;
    while (Modified) {
        const QString name = GetShortName();
        const int a = message(textLines(2, 6) + textLines(0, 24), dblYesNoCancel, dmiConfirmation, name, 0, -1);
        if (a == 2 || a < 0)
            return false;
        if (a == 1)
            Modified = false;
        else if (a == 0)
            SaveData(QString());
    }
    return true;
}

void TDwnLoadEngine::Minimised()
{
    if (sch_ && SchedSlot >= 0)
        sch_->SetState(SchedSlot, csPaused);
}

void TDwnLoadEngine::Restored()
{
    if (!sch_ || SchedSlot < 0 || sch_->GetState(SchedSlot) == SchedState)
        return;
    const int wanted = SchedState;
    setSchedState(wanted);
    // Another window holds the scheduler exclusively: the transfer goes on
    // polled in turn rather than never.
    if (wanted == csExclusive && SchedState != wanted)
        setSchedState(csPolled);
}

void TDwnLoadEngine::Closing()
{
    setSchedState(csPaused);
    TransferState = DwnTransfer::Idle;
    Unregister();
}
