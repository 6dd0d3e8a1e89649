#include "quintel/cp_window_core.h"

#include "config/clpbrd_content.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/message_dlg.h"
#include "project/vortalin_prj.h"

#include <QLocale>
#include <QTimer>

TCpWindowCore::TCpWindowCore(TCpWindowEnv& Env, int Language_, QObject* parent)
    : QObject(parent), Language(Language_), env_(Env)
{
}

TCpWindowCore::~TCpWindowCore() { Unregister(); }

QString TCpWindowCore::text(int s, int i) const
{
    return env_.Texts ? env_.Texts->GetText(s, i) : QString();
}

QStringList TCpWindowCore::lines(int s, int i) const
{
    const QStringList* l = env_.Texts ? env_.Texts->GetStrings(s, i) : nullptr;
    return l ? *l : QStringList{text(s, i)};
}

int TCpWindowCore::Message(const QStringList& Lines, const QString& Title, int Icon, const QString& P1,
                           const QString& P2) const
{
    const QStringList buttons = lines(0, 6);
    return env_.ShowMessage(Lines, buttons, Title, Icon, P1, P2, QString(), 0, -1);
}

// Shown once the scheduler's or the main window's call has returned, so that
// the other clients keep running while the message is open.
void TCpWindowCore::queueMessage(const QStringList& Lines, const QString& P1, const QString& P2)
{
    QTimer::singleShot(0, this, [this, Lines, P1, P2] { Message(Lines, GetCaption(), icError, P1, P2); });
}

void TCpWindowCore::Register(QObject* Owner)
{
    owner_ = Owner;
    if (!env_.Scheduler)
        return;
    SchedSlot = env_.Scheduler->Register(
        Owner, [this](TReqRec& r) { GetRequest(r); }, [this](const TRecTel& t, int tag) { ResponseAvail(t, tag); },
        [this] { InvListChanged(); });
    if (SchedSlot >= 0)
        env_.Scheduler->SetState(SchedSlot, csPaused);
}

void TCpWindowCore::Unregister()
{
    if (env_.Scheduler && SchedSlot >= 0)
        env_.Scheduler->Unregister(SchedSlot);
    SchedSlot = -1;
}

QString TCpWindowCore::GetCaption() const
{
    QString c = text(5, 47);
    const TPrjInvRec* inv = env_.Project && InvAdr >= 0 ? env_.Project->GetInv(InvAdr) : nullptr;
    if (inv) {
        const QString name = inv->GetName().trimmed();
        c += QStringLiteral(" - ") + (name.isEmpty() ? text(0, 0) + QLatin1Char(':') + QString::number(InvAdr)
                                                     : inv->GetName());
    }
    return c;
}

void TCpWindowCore::SetInverter(int Adr)
{
    InvAdr = Adr;
    if (OnCaptionChanged)
        OnCaptionChanged();
    if (env_.Scheduler && SchedSlot >= 0)
        env_.Scheduler->ItemChanged(SchedSlot);
    Restart();
}

void TCpWindowCore::Restart()
{
    Engine.Stop();
    if (env_.Scheduler && SchedSlot >= 0)
        env_.Scheduler->SetState(SchedSlot, csPaused);
    Rows.Clear();
    if (OnCaptionChanged)
        OnCaptionChanged();
    // Start frees the entries; an editor must not go on showing one.
    if (OnReleaseEntries)
        OnReleaseEntries();
    const TPrjInvRec* inv = env_.Project ? env_.Project->GetInv(InvAdr) : nullptr;
    if (!inv) {
        queueMessage(lines(0, 15), {}, {});
        return;
    }
    // An entry whose configuration is not there yet has no Quintel mode.
    if (!inv->Cfg || inv->Cfg->QuintelCount == 0) {
        queueMessage(lines(0, 48), QString::number(InvAdr), QString::number(inv->CfgId));
        return;
    }
    if (env_.Scheduler && SchedSlot >= 0)
        env_.Scheduler->SetState(SchedSlot, csPolled);
    Engine.Start(InvAdr, inv->Cfg, {});
}

void TCpWindowCore::GetRequest(TReqRec& Req)
{
    if (Engine.Status == -3) {
        MsgLines = QStringList{env_.Texts ? env_.Texts->GetErrorText(-10) : QString::number(-10)};
        queueMessage(MsgLines, {}, {});
    }
    // At rest the engine takes Status back to -1: the message comes once.
    Engine.GetRequest(Req);
}

QString TCpWindowCore::ValueText(const tCpEntry& e) const
{
    if (e.Status != 0)
        return env_.Texts ? env_.Texts->GetErrorText(e.Status) : QString::number(e.Status);
    return e.Para->ValueToText(e.Value, Language, QLatin1Char('+'), true);
}

void TCpWindowCore::appendRows()
{
    const int id = Engine.Status;
    if (id < Rows.Count())
        return;
    // Rows are added in Id order; an Id ahead of the rows adds the rows before it too.
    for (int i = Rows.Count(); i <= id; ++i) {
        TCpRowModel::TRow row;
        if (const tCpEntry* e = Engine.GetEntry(i)) {
            row.Name = e->Name;
            row.SetText = tQuintel::SetSelText(e->Def);
            row.ParaName = e->Para->GetName(Language);
            if (Engine.ShowIdText)
                row.ParaName = QStringLiteral("(") + e->Para->GetIdText() + QStringLiteral(") ") + row.ParaName;
        }
        row.ValueText = QStringLiteral(" ");
        Rows.Append(row);
    }
    Rows.SetWidth(TCpRowModel::ColSet, Engine.AllSet0 ? 0 : 100);
}

void TCpWindowCore::ResponseAvail(const TRecTel& Tel, int Tag)
{
    Engine.ResponseAvail(Tel, Tag);
    if (Engine.Status < 0)
        return;
    appendRows();
    if (const tCpEntry* e = Engine.GetEntry(Engine.Status))
        Rows.SetValueText(Engine.Status, ValueText(*e));
}

void TCpWindowCore::InvListChanged()
{
    // An outstanding answer may never come.
    Engine.Reset();
    Restart();
}

bool TCpWindowCore::OwnsPara(const TParaRec* Para) const
{
    if (!Para)
        return false;
    for (const auto& e : Engine.Entries)
        if (e->Para.get() == Para)
            return true;
    return false;
}

int TCpWindowCore::SetSelOfDef(int Def)
{
    switch ((Def >> 8) & 3) {
    case 0: return Def & 0xFF;
    case 2: return -1;
    default: return 0;
    }
}

std::optional<TCpEditArgs> TCpWindowCore::EditArgs(int Id) const
{
    const tCpEntry* e = Engine.GetEntry(Id);
    if (!e)
        return std::nullopt;
    TCpEditArgs a;
    a.SetSel = SetSelOfDef(e->Def);
    a.Inverter = InvAdr;
    a.Para = e->Para;
    a.Value = e->Value;
    a.Label = e->Name + QLatin1Char(' ') + e->Para->GetName(Language) + QStringLiteral("; ") + GetCaption();
    return a;
}

QStringList TCpWindowCore::CopyLines() const
{
    if (Rows.Count() == 0)
        return {};
    const bool withSet = Rows.Width(TCpRowModel::ColSet) > 1;
    const QChar tab(u'\t');
    auto line = [&](const QString& c0, const QString& c1, const QString& c2, const QString& c3) {
        return c0 + tab + (withSet ? c1 + tab : QString()) + c2 + tab + c3;
    };
    QStringList out{GetCaption(),
                    line(Rows.Caption(0), Rows.Caption(1), Rows.Caption(2), Rows.Caption(3))};
    for (int i = 0; i < Rows.Count(); ++i) {
        const TCpRowModel::TRow& r = Rows.Row(i);
        out << line(r.Name, r.SetText, r.ParaName, r.ValueText);
    }
    return out;
}

void TCpWindowCore::CopyToClipboard()
{
    QStringList l = CopyLines();
    if (l.isEmpty() || !env_.ClpBrd)
        return;
    auto content = std::make_unique<TIntClpBrd>();
    content->Lines = std::move(l);
    content->Flags = cbfLines;
    env_.ClpBrd->SetIntClpBrd(std::move(content));
}

TCpPrintJob TCpWindowCore::PrintJob() const
{
    TCpPrintJob j;
    const QString caption = GetCaption();
    j.Title = text(0, 18) + QLatin1Char(' ') + caption;
    j.Header = env_.AppName + QStringLiteral("  ") + caption;
    j.PageText = text(0, 17);
    const TPrjInvRec* inv = env_.Project ? env_.Project->GetInv(InvAdr) : nullptr;
    const QString typeName = inv && inv->Cfg ? inv->Cfg->GetTypeName() : QString();
    const QDateTime now = env_.Now ? env_.Now() : QDateTime::currentDateTime();
    j.Lines << env_.AppName + QLatin1Char(' ') + env_.VersionText << text(3, 51) + QLatin1Char(' ') + typeName
            << text(0, 40) + QStringLiteral(": ") + QLocale().toString(now, QLocale::ShortFormat)
            << QStringLiteral(" ");
    for (int c = 0; c < 4; ++c)
        j.ColWidths[size_t(c)] = Rows.Width(c);
    const QChar tab(u'\t');
    j.HeaderLine = QStringList{Rows.Caption(0), Rows.Caption(1), Rows.Caption(2), Rows.Caption(3)}.join(tab);
    for (int i = 0; i < Rows.Count(); ++i) {
        const TCpRowModel::TRow& r = Rows.Row(i);
        j.Rows << QStringList{r.Name, r.SetText, r.ParaName, r.ValueText}.join(tab);
    }
    return j;
}
