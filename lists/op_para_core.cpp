#include "lists/op_para_core.h"

#include "config/cfg_read_inverter.h"
#include "config/vortalin_help.h"
#include "lists/dwn_file.h"
#include "lists/val_edit_core.h"

#include <QFileInfo>

namespace {

bool notAvailable(int status)
{
    return status == 2 || status == 13;
}

} // namespace

TOpParaCore::TOpParaCore(TVortalinPrj* Project_, int InvAdr_, int Language_, QObject* parent)
    : QObject(parent), Language(Language_), Project(Project_), ui_(std::make_shared<NoOpParaInteraction>())
{
    InvAdr = (InvAdr_ < 0 || InvAdr_ >= kPrjInvCount) ? 0 : InvAdr_;
    if (Project && !Project->GetInv(InvAdr)) {
        for (int a = 0; a < kPrjInvCount; ++a)
            if (Project->GetInv(a)) {
                InvAdr = a;
                break;
            }
    }
    if (Project)
        DataPath = Project->DataPath;
}

TOpParaCore::~TOpParaCore()
{
    SetScheduler(nullptr);
}

void TOpParaCore::SetInteraction(std::shared_ptr<IOpParaInteraction> ui)
{
    ui_ = ui ? std::move(ui) : std::make_shared<NoOpParaInteraction>();
}

QString TOpParaCore::text(int s, int i) const
{
    return Texts ? Texts->GetText(s, i) : QStringLiteral("???");
}

QStringList TOpParaCore::textLines(int s, int i) const
{
    if (const QStringList* l = Texts ? Texts->GetStrings(s, i) : nullptr)
        return *l;
    return {QStringLiteral("???")};
}

int TOpParaCore::message(const QStringList& lines, int buttons, int icon, const QString& title,
                         const QString& p1, const QString& p2, int def, int cancel)
{
    TDwnMessage m;
    m.Lines = lines;
    m.Buttons = buttons;
    m.Title = title;
    m.Icon = icon;
    m.P1 = p1;
    m.P2 = p2;
    m.Default = def;
    m.Cancel = cancel;
    return ui_->Message(m);
}

bool TOpParaCore::HoldsPara(const TParaRec* Para) const
{
    if (!Para)
        return false;
    for (const TOpRow& r : rows_)
        if (r.Rec.get() == Para)
            return true;
    return false;
}

// ---------------------------------------------------------------- scheduler

void TOpParaCore::SetScheduler(TScheduler* Sch, QObject* Owner)
{
    if (sch_ && SchedSlot >= 0)
        sch_->Unregister(SchedSlot);
    SchedSlot = -1;
    sch_ = Sch;
    if (!Sch)
        return;
    SchedState = csPaused;
    SchedSlot = Sch->Register(
        Owner, [this](TReqRec& Req) { GiveNextReq(Req); },
        [this](const TRecTel& Rsp, int Tag) { ReceiveAnswer(Rsp, Tag); }, [this] { ResetCfgList(); });
    if (SchedSlot >= 0)
        SchedState = Sch->SetState(SchedSlot, csPolled);
}

void TOpParaCore::freeRows()
{
    // The value editor may describe its edit with one of the records.
    if (Editor && HoldsPara(Editor->Para.get())) {
        if (OnDetachEditor)
            OnDetachEditor();
        else
            Editor->TakeEdit(1, InvAdr, nullptr, QString(), 0, nullptr);
    }
    rows_.clear();
    if (OnRowsChanged)
        OnRowsChanged();
}

void TOpParaCore::setSaveSlots(bool On)
{
    SaveSlots = On;
    if (OnOpFuncsChanged)
        OnOpFuncsChanged();
}

void TOpParaCore::reset()
{
    freeRows();
    setSaveSlots(false);
    ParCount = -1;
    ErrCount = 0;
    ParAdr = FirstOpPar;
    LastId = -1;
    // Without this a rebuilt list would stop after the first parameters,
    // as many as the last build found.
    Found = 0;
    ReqState = rqName;
}

void TOpParaCore::GiveNextReq(TReqRec& Req)
{
    if (ReqState == rqReset)
        reset();
    if (ReqState == rqBuilt) {
        ParAdr = -1;
        ReqState = rqCyclic;
        if (!rows_.empty()) {
            setSaveSlots(true);
        } else {
            ReqState = rqNone;
            message(textLines(10, 0), dblOk, dmiError, text(10, 1), QString::number(InvAdr));
            return;
        }
    }
    int service = 0;
    switch (ReqState) {
    case rqName: service = 6; break;
    case rqScaling: service = 5; break;
    case rqCount: service = QelService::ParaSetAdr; break;
    case rqAttr: service = 4; break;
    case rqCyclic: service = QelService::ParaSet; break;
    default: return;
    }
    Req.Data.Clear();
    Req.Valid = 1;
    Req.InvAdr = InvAdr;
    Req.IsRead = 1;
    Req.Service = service;
    if (ReqState == rqCyclic) {
        ++ParAdr;
        if (ParAdr >= int(rows_.size()))
            ParAdr = 0;
        const Top_pararec& rec = *rows_[ParAdr].Rec;
        Req.Data.ParAdr = uint16_t(rec.Addr);
        Req.Data.SetByte(2, rec.SetMask);
    } else {
        Req.Data.ParAdr = uint16_t(ParAdr);
    }
    Req.Tag = ParAdr;
    asked_ = true;
    askedState_ = ReqState;
    askedTag_ = ParAdr;
}

void TOpParaCore::addRow(std::shared_ptr<Top_pararec> rec)
{
    TOpRow row;
    row.Caption = QString::number(uint16_t(rec->Addr), 16).rightJustified(4, u'0').toUpper() + u'h';
    row.SetText = SetMaskToStr(rec->SetMask);
    row.Name = rec->GetName(0);
    row.ValueText = QStringLiteral("??");
    row.Rec = std::move(rec);
    rows_.push_back(std::move(row));
}

void TOpParaCore::buildFailed()
{
    if (++ErrCount > MaxErrors)
        ReqState = rqBuilt;
}

void TOpParaCore::finishParameter()
{
    ErrCount = 0;
    ++ParAdr;
    ++Found;
    ReqState = rqName;
    if (ParAdr >= EndOpPar || (ParCount >= 0 && Found >= ParCount))
        ReqState = rqBuilt;
}

void TOpParaCore::ReceiveAnswer(const TRecTel& Rsp, int Tag)
{
    if (SchedState == csPaused)
        return;
    // Only the answer to the request last given counts: one asked before a
    // rebuild or a change of inverter must not land in the new list.
    if (!asked_ || askedState_ != ReqState || askedTag_ != Tag)
        return;
    asked_ = false;
    const bool ok = Rsp.Status == 0;
    const TTelData& d = Rsp.Data;

    switch (ReqState) {
    case rqName:
        if (ok) {
            auto rec = std::make_shared<Top_pararec>();
            const QString name = telText(d, 3);
            rec->SetName(0, name);
            rec->SetName(1, name);
            rec->Addr = int16_t(ParAdr);
            rec->Attr = 0x480;
            rec->Flags = 0x0F;
            rec->Mul = 1;
            rec->Div = 1;
            rec->Offset = 0;
            rec->Format = 0;
            rec->ValueValid = false;
            rec->SetMask = 1;
            addRow(std::move(rec));
            if (OnRowsChanged)
                OnRowsChanged();
            ReqState = ParAdr == 0x81 ? rqCount : rqScaling;
        } else if (notAvailable(Rsp.Status)) {
            if (ParCount >= 0 && Found < ParCount) {
                ++ParAdr;
                if (ParAdr >= EndOpPar)
                    ReqState = rqBuilt;
            } else {
                ReqState = rqBuilt;
            }
        } else {
            buildFailed();
        }
        break;
    case rqCount:
        if (ok) {
            ParCount = d.GetI32(4);
            ReqState = rqScaling;
        } else {
            buildFailed();
        }
        break;
    case rqScaling:
        if (ok && !rows_.empty()) {
            Top_pararec& rec = *rows_.back().Rec;
            rec.Div = d.GetI16(2);
            rec.Mul = d.GetI16(4);
            rec.Offset = d.GetI16(6);
            rec.Format = d.GetU16(8);
            ErrCount = 0;
            ReqState = rqAttr;
        } else {
            buildFailed();
        }
        break;
    case rqAttr:
        if (ok && !rows_.empty()) {
            auto base = rows_.back().Rec;
            base->Attr = d.GetU32(4);
            base->Flags = d.GetU32(8);
            const int further = std::min(int(base->Attr >> 20), MaxFurtherSets);
            for (int k = 1; k <= further; ++k) {
                auto rec = std::make_shared<Top_pararec>(*base);
                rec->ValueValid = false;
                rec->Value = 0;
                rec->SetMask = uint8_t(1u << k);
                addRow(std::move(rec));
            }
            if (further > 0 && OnRowsChanged)
                OnRowsChanged();
            finishParameter();
        } else {
            buildFailed();
        }
        break;
    case rqCyclic: {
        if (Tag < 0 || Tag >= int(rows_.size()))
            return;
        TOpRow& row = rows_[Tag];
        Top_pararec& rec = *row.Rec;
        if (ok) {
            const int32_t v = d.GetI32(4);
            if (v != rec.Value || !rec.ValueValid) {
                row.ValueText = rec.ValueToText(v, 0, u'+', false);
                rec.Value = v;
                rec.ValueValid = true;
                if (OnRowChanged)
                    OnRowChanged(Tag);
            }
            row.ValueRead = true;
            if (Tag == 0) {
                if (LastId != -1 && LastId != v)
                    ReqState = rqReset;
                LastId = v;
            }
        } else {
            row.ValueText = Texts ? Texts->GetErrorText(Rsp.Status) : QStringLiteral("Error Code %1").arg(Rsp.Status);
            rec.ValueValid = false;
            row.ValueRead = false;
            if (OnRowChanged)
                OnRowChanged(Tag);
        }
        break;
    }
    default:
        break;
    }
}

void TOpParaCore::InvalidateValues()
{
    for (TOpRow& r : rows_)
        r.Rec->ValueValid = false;
}

// ---------------------------------------------------------------- window state

void TOpParaCore::Minimised()
{
    if (sch_ && SchedSlot >= 0)
        sch_->SetState(SchedSlot, csPaused);
}

void TOpParaCore::Restored()
{
    if (sch_ && SchedSlot >= 0 && sch_->GetState(SchedSlot) != SchedState)
        sch_->SetState(SchedSlot, SchedState);
}

void TOpParaCore::Closing()
{
    if (sch_ && SchedSlot >= 0)
        SchedState = sch_->SetState(SchedSlot, csRegistered);
}

// ---------------------------------------------------------------- caption, settings

QString TOpParaCore::Caption() const
{
    const TPrjInvRec* inv = Project ? Project->GetInv(InvAdr) : nullptr;
    if (!inv || inv->GetName().trimmed().isEmpty())
        return text(5, 44) + QStringLiteral(" - ") + text(0, 0) + u':' + QString::number(InvAdr);
    return text(5, 44) + QStringLiteral(" - ") + inv->GetName();
}

void TOpParaCore::DoSettings()
{
    const int a = ui_->ChooseInverter(text(5, 44), InvAdr);
    if (a < 0 || a >= kPrjInvCount)
        return;
    InvAdr = a;
    if (OnCaptionChanged)
        OnCaptionChanged();
    ReqState = rqReset;
}

bool TOpParaCore::EditArgs(int Row, TOpEditArgs& Args) const
{
    if (Row < 0 || Row >= int(rows_.size()))
        return false;
    const TOpRow& row = rows_[Row];
    int32_t v = 0;
    if (!row.Rec->TextToValue(row.ValueText, v))
        v = 0;
    Args.SetSel = row.Rec->SetMask;
    Args.Inverter = InvAdr;
    Args.Para = row.Rec;
    Args.Label = row.Name + QStringLiteral("; ") + Caption() + QStringLiteral("; ") + text(0, 2) + u' ' + row.SetText;
    Args.Value = v;
    return true;
}

// ---------------------------------------------------------------- saving

int TOpParaCore::SaveData(const QString& Name)
{
    if (rows_.empty())
        return 1;
    QString target = Name;
    if (target.isEmpty()) {
        TSaveDlgOptions o;
        o.DefaultExt = QStringLiteral("op5");
        o.Filter = text(5, 41) + QStringLiteral("(*.op5)|*.op5");
        o.InitialDir = DataPath;
        const QString chosen = ui_->ChooseSaveFile(o);
        if (chosen.isEmpty())
            return 1;
        target = ChangeExt(chosen, QStringLiteral("op5"));
        if (QFileInfo::exists(target)
            && message(textLines(0, 13), dblYesNo, dmiConfirmation, text(10, 1), target) != 0)
            return 1;
    }
    std::vector<TOpParaRow> out;
    out.reserve(rows_.size());
    for (const TOpRow& r : rows_) {
        TOpParaRow o;
        o.Address = r.Rec->Addr;
        o.Value = r.Rec->Value;
        o.SetMask = r.Rec->SetMask;
        o.Para = r.Rec.get();
        o.Valid = r.ValueRead;
        out.push_back(o);
    }
    const int r = WriteOpParaList(target, rows_.front().Rec->Value, out);
    if (r != 0)
        message(textLines(7, 58), dblOk, dmiError, QString(), target);
    return r;
}
