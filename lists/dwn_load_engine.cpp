#include "lists/dwn_load_engine.h"

#include "config/cfg_codes.h"
#include "config/file_save.h"
#include "config/lang_texts.h"
#include "config/vortalin_help.h"
#include "project/vortalin_prj.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

TDwnLoadEngine::TDwnLoadEngine(TVortalinPrj* Project, TScheduler* Scheduler,
                               const TVortalinText* Texts, IDwnInteraction& Ui, IDwnNotify* Notify,
                               QObject* Parent)
    : QObject(Parent), prj_(Project), sch_(Scheduler), texts_(Texts), ui_(Ui),
      notify_(Notify ? Notify : &defaultNotify_)
{
    Timer1.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, &TDwnLoadEngine::Timer1Timer);
}

TDwnLoadEngine::~TDwnLoadEngine()
{
    if (waitLoop_)
        waitLoop_->quit();
    Unregister();
}

QString TDwnLoadEngine::text(int s, int i) const
{
    return texts_ ? texts_->GetText(s, i) : QStringLiteral("???");
}

QStringList TDwnLoadEngine::textLines(int s, int i) const
{
    if (const QStringList* l = texts_ ? texts_->GetStrings(s, i) : nullptr)
        return *l;
    return {QStringLiteral("???")};
}

int TDwnLoadEngine::message(const QStringList& lines, int buttons, int icon, const QString& p1,
                            int def, int cancel, const QString& title, const QString& p2, int help)
{
    MsgLines = lines;
    TDwnMessage m;
    m.Lines = MsgLines;
    m.Buttons = buttons;
    m.Title = title.isNull() ? GetShortName() : title;
    m.Icon = icon;
    m.P1 = p1;
    m.P2 = p2;
    m.Default = def;
    m.Cancel = cancel;
    m.HelpContext = help;
    return ui_.Message(m);
}

QString TDwnLoadEngine::GetShortName() const
{
    if (FileName.isEmpty())
        return text(2, 12) + QString::number(WdwNr);
    QString n = FileName;
    const int sep = std::max(n.lastIndexOf(u'/'), n.lastIndexOf(u'\\'));
    return n.mid(sep + 1);
}

TDwnEntry* TDwnLoadEngine::GetDwnEntry(int Index) const
{
    return Index >= 0 && Index < int(Lines.size()) ? Lines[size_t(Index)].get() : nullptr;
}

TDwnEntry* TDwnLoadEngine::InsertNewLine(int Index, std::shared_ptr<TParaRec> Para, int Address,
                                         int32_t Value, int SetMask, int Mode, bool OwnsPara,
                                         const QString& Note)
{
    auto e = std::make_shared<TDwnEntry>();
    e->Para = std::move(Para);
    e->Address = int16_t(Address);
    e->Value = Value;
    e->SetMask = int16_t(SetMask);
    e->Mode = uint8_t(Mode);
    e->OwnsPara = OwnsPara ? 1 : 0;
    e->Selected = 0;
    e->Note = Note.left(kDwnNoteLen);
    const int at = std::clamp(Index, 0, int(Lines.size()));
    Lines.insert(Lines.begin() + at, e);
    return e.get();
}

TPrjInvRec* TDwnLoadEngine::Inv() const
{
    return prj_ ? prj_->GetInv(InvAdr) : nullptr;
}

std::shared_ptr<TCfgRec> TDwnLoadEngine::Cfg() const
{
    const TPrjInvRec* inv = Inv();
    return inv ? inv->Cfg : nullptr;
}

bool TDwnLoadEngine::CompressEnabled() const
{
    const auto cfg = Cfg();
    return cfg && cfg->NewStyle;
}

int TDwnLoadEngine::cfgNumberOf(int adr) const
{
    const TPrjInvRec* inv = prj_ ? prj_->GetInv(adr) : nullptr;
    if (!inv)
        return -1;
    return inv->Cfg ? inv->Cfg->CfgId : inv->CfgId;
}

int TDwnLoadEngine::firstInvWithCfg(int cfgId) const
{
    for (int a = 0; prj_ && a < kPrjInvCount; ++a)
        if (prj_->GetInv(a) && cfgNumberOf(a) == cfgId)
            return a;
    return -1;
}

int TDwnLoadEngine::firstInv() const
{
    for (int a = 0; prj_ && a < kPrjInvCount; ++a)
        if (prj_->GetInv(a))
            return a;
    return -1;
}

void TDwnLoadEngine::notifyCaption()
{
    notify_->CaptionChanged();
}

void TDwnLoadEngine::notifyContext()
{
    notify_->ContextItemsChanged(CompressEnabled());
}

int32_t TDwnLoadEngine::setSchedState(int state)
{
    if (sch_ && SchedSlot >= 0)
        SchedState = sch_->SetState(SchedSlot, state);
    return SchedState;
}

// ---------------------------------------------------------------- files

bool TDwnLoadEngine::confirmOverwrite(const QString& name)
{
    if (!QFileInfo::exists(name))
        return true;
    return message(textLines(0, 13), dblYesNo, dmiConfirmation, name, 0, -1) == 0;
}

int TDwnLoadEngine::SaveData(const QString& Name)
{
    TDwnSaveDlg dlg;
    dlg.InitialDir = QFileInfo(Name).path();
    if (Name.isEmpty() || QFileInfo(Name).path() == QStringLiteral("."))
        dlg.InitialDir = Options.DataPath;
    QString target = Name;
    if (!Name.isEmpty() && !Name.endsWith(u'5')) {
        // An older list is never written in its own format.
        dlg.FilterIndex = 1;
        const QString chosen = ui_.ChooseSaveFile(dlg);
        if (chosen.isEmpty())
            return 1;
        target = ChangeExt(chosen, QStringLiteral("dw5"));
        if (!confirmOverwrite(target))
            return 1;
    } else if (Name.isEmpty()) {
        dlg.FileName = FileName;
        dlg.FilterIndex = OpList ? 2 : 1;
        const QString chosen = ui_.ChooseSaveFile(dlg);
        if (chosen.isEmpty())
            return 1;
        target = ChangeExt(chosen, OpList ? QStringLiteral("op5") : QStringLiteral("dw5"));
        if (!confirmOverwrite(target))
            return 1;
    }
    ui_.BusyCursor(true);
    TDwnFileHeader h;
    h.Remark = Remark;
    h.CfgId = CfgId;
    h.OpList = OpList;
    h.ColWidths = ColWidths;
    const int r = SaveFileAtomically(target, DwnListBytes(h, Lines));
    ui_.BusyCursor(false);
    if (r != 0) {
        message(textLines(0, 30), dblOk, dmiError, target, 0, -1, text(5, 11), QString::number(r));
        return r;
    }
    Modified = false;
    FileName = target;
    notifyCaption();
    if (sch_ && SchedSlot >= 0)
        sch_->SetState(SchedSlot, SchedState);
    notify_->AddProjEnabled();
    return 0;
}

void TDwnLoadEngine::LoadData(const QString& Name)
{
    if (Name.isEmpty() || !QFileInfo(Name).isFile())
        return;
    OpList = false;
    ui_.BusyCursor(true);
    QFile f(Name);
    QByteArray bytes;
    bool ok = f.open(QIODevice::ReadOnly);
    int code = ok ? 0 : IoOpenErrorCode(Name, false);
    if (ok) {
        bytes = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            ok = false;
            code = kIoReadError;
        }
    }
    if (!ok) {
        ui_.BusyCursor(false);
        message(textLines(0, 29), dblOk, dmiError, Name, 0, -1, {}, QString::number(code));
        return;
    }
    Remark.clear();
    bool cfgMode = true;  // modes come from the configuration while on
    bool stopped = false;
    for (const QString& raw : SplitDwnFileLines(bytes)) {
        const TDwnFileLine l = ParseDwnLine(raw);
        if (l.kind == TDwnFileLine::Remark) {
            Remark << l.Text;
            continue;
        }
        if (l.kind != TDwnFileLine::Fields)
            continue;
        if (l.FieldCount >= 3)
            cfgMode = false;
        if (l.Mode == DwnFileMode::OpListLine) {
            OpList = true;
            CfgId = l.Value;
        } else if (l.Mode == DwnFileMode::CfgLine || (l.Address == -32768 && l.Value > 0)) {
            if (!readConfigLine(l.Value, cfgMode)) {
                stopped = true;
                break;
            }
        } else if (l.Mode == DwnFileMode::ColLine) {
            if (l.Address >= 0 && l.Address < kDwnColCount && l.Value >= 0 && l.Value <= kDwnMaxColWidth)
                ColWidths[size_t(l.Address)] = l.Value;
        } else {
            readEntryLine(l, cfgMode);
        }
    }
    notify_->RefreshView(true);
    if (!stopped) {
        FileName = Name;
        notifyCaption();
        Modified = false;
        if (sch_ && SchedSlot >= 0)
            sch_->SetState(SchedSlot, SchedState);
        notify_->AddProjEnabled();
    }
    ui_.BusyCursor(false);
}

bool TDwnLoadEngine::readConfigLine(int number, bool& cfgMode)
{
    if (number == CfgId)
        return true;
    if (const int a = prj_ ? firstInvWithCfg(number) : -1; a >= 0) {
        InvAdr = a;
        CfgId = number;
        notifyContext();
        return true;
    }
    CfgId = number;
    const int answer = message(textLines(0, 44), dblYesNoCancel, dmiConfirmation,
                               QString::number(number), 0, 1);
    if (answer == 0) {
        const int adr = prj_ ? prj_->NewInv(-1, number, QString(), prOffline, true, true, true, false, true) : -1;
        if (adr < 0)
            return false;
        InvAdr = adr;
        CfgId = cfgNumberOf(adr);
        if (CfgId != number)
            cfgMode = false;
        notifyContext();
        return true;
    }
    if (answer == 2)
        return false;
    cfgMode = false;
    return true;
}

void TDwnLoadEngine::readEntryLine(const TDwnFileLine& l, bool cfgMode)
{
    if (OpList) {
        auto para = std::make_shared<TParaRec>();
        para->SetIdText(QString());
        para->Addr = int16_t(l.Address);
        QString note;
        ParseOpParaNote(l.Text, *para, note);
        InsertNewLine(int(Lines.size()), std::move(para), l.Address, l.Value, l.SetMask, l.Mode, true, note);
        return;
    }
    // A line is never dropped: without the list's inverter it goes to the
    // project's first one, which the window takes afterwards anyway.
    if (!Inv())
        if (const int a = firstInv(); a >= 0) {
            InvAdr = a;
            notifyContext();
        }
    int address = l.Address;
    int mode = l.Mode;
    bool fixedMode = false;
    if (address < 0) {
        fixedMode = true;
        if (address == -32768) {
            address = 0;
            mode = DwnMode::Blank;
        } else {
            address = -address;
            mode = DwnMode::WA;
        }
    }
    std::shared_ptr<TParaRec> para = FindSharedPara(Cfg(), address);
    if (cfgMode && !fixedMode)
        mode = GetParaMode(para.get());
    if (mode > 4)
        para.reset();
    InsertNewLine(int(Lines.size()), std::move(para), address, l.Value, l.SetMask, mode, false, l.Text);
}

// ---------------------------------------------------------------- scheduler

int TDwnLoadEngine::Register(QObject* Form)
{
    if (!sch_ || SchedSlot >= 0)
        return SchedSlot;
    SchedSlot = sch_->Register(
        Form, [this](TReqRec& r) { GiveNextReq(r); },
        [this](const TRecTel& t, int tag) { ReceiveAnswer(t, tag); }, [this] { ResetCfgList(); });
    if (SchedSlot >= 0)
        SchedState = sch_->SetState(SchedSlot, SchedState);
    return SchedSlot;
}

void TDwnLoadEngine::Unregister()
{
    if (sch_ && SchedSlot >= 0)
        sch_->Unregister(SchedSlot);
    SchedSlot = -1;
}
