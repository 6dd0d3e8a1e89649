#include "lists/val_edit_core.h"

#include <bit>
#include <limits>

TValEditCore::TValEditCore(QObject* parent)
    : QObject(parent)
    , interaction_(std::make_shared<NoListInteraction>())
{
}

TValEditCore::~TValEditCore()
{
    leaveScheduler();
}

void TValEditCore::SetInteraction(std::shared_ptr<IListInteraction> ui)
{
    interaction_ = ui ? std::move(ui) : std::make_shared<NoListInteraction>();
}

void TValEditCore::refresh()
{
    if (OnRefresh)
        OnRefresh();
}

void TValEditCore::close()
{
    if (OnClose)
        OnClose();
    else
        Closed();
}

TPrjInvRec* TValEditCore::InvEntry(int InvAdr) const
{
    if (!project_)
        return nullptr;
    TPrjInvRec* inv = project_->GetInv(InvAdr);
    return inv && inv->Cfg ? inv : nullptr;
}

void TValEditCore::TakeEdit(int SetSel_, int Inverter_, std::shared_ptr<const TParaRec> Para_,
                            const QString& Label_, int32_t Value_, TOnValue OnValue_)
{
    ++editSerial_;
    // A write not yet sent is dropped; one already sent is still answered
    // (sent_), but no longer for this edit.
    WriteState = 0;
    Modal = false;
    SetSel = SetSel_;
    Inverter = Inverter_;
    Para = std::move(Para_);
    Label = Label_;
    Value = Value_;
    OrgValue = Value_;
    OnValue = std::move(OnValue_);
}

void TValEditCore::TakeModalEdit(std::shared_ptr<const TParaRec> Para_, const QString& Label_, int32_t Value_)
{
    ++editSerial_;
    WriteState = 0;
    Modal = true;
    Para = std::move(Para_);
    Label = Label_;
    Value = Value_;
    OrgValue = Value_;
    OnValue = nullptr;
}

// ---- scheduler

void TValEditCore::leaveScheduler()
{
    if (scheduler_ && SchSlot >= 0)
        scheduler_->Unregister(SchSlot);
    SchSlot = -1;
    Connected = false;
}

bool TValEditCore::Connect(TScheduler* Sch, TVortalinPrj* Prj)
{
    if (Visible)
        return false;
    if (Connected)
        leaveScheduler();
    scheduler_ = Sch;
    project_ = Prj;
    if (!Sch || !Prj)
        return true;
    SchSlot = Sch->Register(
        nullptr, [this](TReqRec& Req) { GiveNextReq(Req); },
        [this](const TRecTel& Rsp, int Tag) { ReceiveAnswer(Rsp, Tag); }, [this] { ResetCfgList(); });
    if (SchSlot < 0)
        return true;
    WantedState = csPaused;
    Connected = true;
    return true;
}

void TValEditCore::SetLanguage(int Lang)
{
    if (Lang == Language)
        return;
    Language = Lang;
    if (Visible)
        refresh();
}

// ---- buttons

void TValEditCore::OkClicked()
{
    if (Modal)
        return;
    if (OnValue) {
        OnValue(Value);
        if (CloseOnOK)
            close();
        return;
    }
    if (Connected && scheduler_) {
        scheduler_->SetNextSlot(SchSlot);
        WriteState = 2;
    }
}

void TValEditCore::CancelClicked()
{
    if (Modal)
        return;
    if (CloseOnCancel) {
        close();
        return;
    }
    Value = OrgValue;
    Typed = false;
    refresh();
}

// ---- window state

void TValEditCore::Shown()
{
    Visible = true;
    WriteState = 0;
    if (Connected && scheduler_)
        WantedState = scheduler_->SetState(SchSlot, csPolled);
    Typed = false;
    refresh();
}

void TValEditCore::Closed()
{
    Visible = false;
    if (Connected && scheduler_)
        scheduler_->SetState(SchSlot, csPaused);
}

void TValEditCore::Minimised()
{
    if (Connected && scheduler_)
        scheduler_->SetState(SchSlot, csPaused);
}

void TValEditCore::Restored()
{
    if (Connected && scheduler_ && scheduler_->GetState(SchSlot) != WantedState)
        WantedState = scheduler_->SetState(SchSlot, WantedState);
}

// ---- writing

void TValEditCore::showError(int Status, bool RangeForm)
{
    QString line;
    if (Texts)
        line = Texts->GetErrorText(Status);
    else
        line = (RangeForm ? QStringLiteral("Error code : ") : QStringLiteral("Error code :")) + QString::number(Status);
    Interaction().Message({line}, OkButtons, QString(), pmiError, QString(), QString(), QString(), 0, -1);
}

void TValEditCore::GiveNextReq(TReqRec& Req)
{
    if (WriteState != 2)
        return;
    const TPrjInvRec* inv = InvEntry(Inverter);
    if (!inv || !Para) {
        // The inverter left the project (or is still being added): nothing
        // can be written; the edit returns to its start value.
        WriteState = 0;
        showError(QelResult::AddrRange, false);
        Value = OrgValue;
        Typed = false;
        refresh();
        return;
    }
    WriteTag = WriteTag >= 15 ? 0 : WriteTag + 1;
    Req.Data.Clear();
    Req.InvAdr = Inverter;
    Req.IsRead = 0;
    Req.Tag = WriteTag;
    Req.Data.ParAdr = uint16_t(Para->Addr);
    if (inv->Cfg->NewStyle) {
        if (SetSel >= 1 && SetSel <= 255) {
            Req.Service = QelService::ParaSet;
            Req.Data.SetByte(2, uint8_t(SetSel));
        } else {
            Req.Service = QelService::ParaSetAdr;
            Req.Data.SetByte(2, SetSel == 0 ? 1 : 0);
        }
        Req.Data.Value = Value;
    } else {
        Req.Service = QelService::Plain;
        const bool isSigned = Para->Attr & ParaAttr::Signed;
        const bool fits = isSigned ? Value >= -32768 && Value <= 32767 : Value >= 0 && Value <= 65535;
        if (!fits) {
            Req.Data.Clear();
            WriteState = 0;
            showError(3, true);
            return;
        }
        Req.Data.ParSet = uint16_t(Value & 0xFFFF);
    }
    Req.Valid = 1;
    WriteState = 4;
    sent_ = SentWrite{WriteTag, editSerial_, Value};
}

void TValEditCore::ReceiveAnswer(const TRecTel& Rsp, int Tag)
{
    if (!sent_)
        return;
    const SentWrite s = *sent_;
    sent_.reset();
    // Still the edit the write was made for (no re-pointing or modal edit
    // since)? A second OK meanwhile left its own write pending (2).
    const bool sameEdit = s.Serial == editSerial_;
    if (WriteState == 4)
        WriteState = 0;
    if (Rsp.Status != 0 || Tag != s.Tag) {
        showError(Rsp.Status, false);
        if (sameEdit) {
            WriteState = 0;
            Value = OrgValue;
            Typed = false;
            refresh();
        }
        return;
    }
    if (!sameEdit)
        return;
    OrgValue = s.Value;
    if (Para && (Para->Flags & ParaFlag::ConfirmWrite)) {
        const QString line = Texts ? Texts->GetErrorText(18) : QStringLiteral("Operation succesfully executed");
        Interaction().Message({line}, OkButtons, QString(), pmiInformation, QString(), QString(), QString(), 0, -1);
    }
    if (CloseOnOK)
        close();
}

void TValEditCore::ResetCfgList()
{
    if (Visible)
        close();
}

// ---- controls

QString TValEditCore::ValueText() const
{
    return Para ? Para->ValueToText(Value, Language, Separator, ShowDecValue) : QString();
}

bool TValEditCore::EditEnabled() const
{
    return Para && ((Para->Flags & ParaFlag::BusWrite) || ShowHidden);
}

std::vector<TCCItem> TValEditCore::BuildControls(bool* scrollOn) const
{
    std::vector<TCCItem> items;
    bool scroll = false;
    if (EditEnabled()) {
        const TPlainTextRec* table = Para->PlainText.get();
        if (!table || table->DefList.Count() == 0) {
            scroll = true;
        } else {
            scroll = table->DefList.Count() == 1;
            for (const auto& def : table->DefList) {
                bool allHidden = true;
                for (const auto& sub : def->SubList)
                    if (!(sub->Attr & 1))
                        allHidden = false;
                const bool multiBit = std::popcount(def->Mask) >= 2;
                TCCItem item;
                item.Def = def.get();
                item.Index = int(items.size());
                if (!multiBit && allHidden) {
                    item.IsCheck = true;
                    item.Caption = def->GetName(Language).trimmed();
                    if (ShowDecValue)
                        item.Caption = QString::number(def->Mask) + u':' + item.Caption;
                    scroll = false;
                } else if (multiBit && allHidden && !ShowHidden) {
                    continue;
                } else {
                    item.Caption = def->GetName(Language).trimmed();
                    for (const auto& sub : def->SubList) {
                        if ((sub->Attr & 1) && !ShowHidden)
                            continue;
                        QString text = sub->GetName(Language).trimmed();
                        if (ShowDecValue)
                            text = QString::number(sub->Value) + u':' + text;
                        item.Entries.push_back({sub->Value, text});
                    }
                }
                items.push_back(std::move(item));
            }
        }
        const TPrjInvRec* inv = InvEntry(Inverter);
        if (!inv || !inv->Cfg->NewStyle || Para->LowerLim == Para->UpperLim)
            scroll = false;
    }
    if (scrollOn)
        *scrollOn = scroll;
    return items;
}

bool TValEditCore::CheckState(const TCCItem& Item) const
{
    return Item.Def && (uint32_t(Value) & Item.Def->Mask) != 0;
}

int TValEditCore::ComboIndex(const TCCItem& Item) const
{
    if (!Item.Def)
        return -1;
    const int32_t bits = int32_t(uint32_t(Value) & Item.Def->Mask);
    for (size_t i = 0; i < Item.Entries.size(); ++i)
        if (Item.Entries[i].first == bits)
            return int(i);
    return -1;
}

TValEditCore::ScrollRange TValEditCore::ScrollBarRange() const
{
    ScrollRange r{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 256, Value};
    if (Para) {
        r.Min = Para->LowerLim;
        r.Max = std::max(Para->UpperLim, Para->LowerLim);
        r.PageStep = Para->Mul > 0 ? std::max(1, Para->Div / Para->Mul) : 1;
    }
    r.Position = std::clamp(Value, r.Min, r.Max);
    return r;
}

void TValEditCore::SetFromCheck(const TCCItem& Item, bool Checked)
{
    if (!Item.Def)
        return;
    Value = Checked ? int32_t(uint32_t(Value) | Item.Def->Mask) : int32_t(uint32_t(Value) & ~Item.Def->Mask);
}

void TValEditCore::SetFromCombo(const TCCItem& Item, int Index)
{
    if (!Item.Def || Index < 0 || Index >= int(Item.Entries.size()))
        return;
    Value = int32_t((uint32_t(Value) & ~Item.Def->Mask) | uint32_t(Item.Entries[size_t(Index)].first));
}

void TValEditCore::SetFromScroll(int32_t Position)
{
    Value = Position;
}

void TValEditCore::SetFromText(const QString& Text)
{
    int32_t v = 0;
    if (Para && Para->TextToValue(Text, v))
        Value = v;
}
