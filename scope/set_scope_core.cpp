#include "scope/set_scope_core.h"

#include "config/cfg_records.h"
#include "config/lang_texts.h"
#include "project/vortalin_prj.h"
#include "scope/scope_display.h"
#include "scope/scope_engine.h"
#include "scope/scope_numbers.h"
#include "scope/scope_span.h"

#include <algorithm>
#include <cmath>

namespace {
int32_t sat32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
QChar letter(int k)
{
    return QChar(u'A' + k);
}
} // namespace

void TSetScopeCore::Load(const TScopeEngine& Eng, int Page)
{
    PageIndex = Page;
    Setup = Eng.Setup;
    Language = Eng.Language;
    Notes = Eng.ScopeNotes;
    Scope = &Eng;
    UpdateOffline();
}

QString TSetScopeCore::Text(int Section, int Index) const
{
    return Texts ? Texts->GetText(Section, Index) : QStringLiteral("???");
}

const TParaRec* TSetScopeCore::paraAt(int inv, int adr) const
{
    const TPrjInvRec* r = Project ? Project->GetInv(inv) : nullptr;
    return r && r->Cfg ? r->Cfg->FindPara(adr) : nullptr;
}

void TSetScopeCore::UpdateOffline()
{
    OfflineBase = -1;
    OflDesc = {nullptr, nullptr, nullptr};
    const TPrjInvRec* r = Project ? Project->GetInv(Setup.Chan[0].Inverter) : nullptr;
    if (!r || !r->Cfg)
        return;
    const int base = r->Cfg->ScopeBase;
    if (base < 0 || !r->Cfg->FindPara(base))
        return;
    OfflineBase = base;
    for (int i = 0; i < 3; ++i)
        OflDesc[i] = r->Cfg->FindPara(base + 4 + i);
}

QString TSetScopeCore::GetYOfs(int k) const
{
    const TScopeChannel& c = Setup.Chan[k];
    return c.Para ? c.Para->ValueToText(c.YOffset, Language, Separator, true) : QString::number(c.YOffset);
}

QString TSetScopeCore::GetYFac(int k) const
{
    const TScopeChannel& c = Setup.Chan[k];
    return c.Para ? SpanDescription(*c.Para).ValueToText(c.YFactor, Language, Separator, true)
                  : QString::number(c.YFactor);
}

QString TSetScopeCore::GetParaName(int k) const
{
    const TScopeChannel& c = Setup.Chan[k];
    if (c.Para)
        return c.Para->GetIdText() + u' ' + c.Para->GetName(Language);
    return c.Address == -1 ? Text(1, 6) : Text(0, 4);
}

QString TSetScopeCore::InvName(int k) const
{
    const int inv = Setup.Chan[k].Inverter;
    if (inv < 0)
        return QStringLiteral("?");
    const TPrjInvRec* r = Project ? Project->GetInv(inv) : nullptr;
    return QString::number(inv) + u' ' + (r ? r->GetName() : QString());
}

QString TSetScopeCore::TrigLevelText() const
{
    const int t = Setup.TrigChannel();
    if (t < 0 || t > 3 || !Setup.Chan[t].Para)
        return QString();
    return Setup.Chan[t].Para->ValueToText(Setup.Chan[t].TrigLevel, Language, Separator, true);
}

QString TSetScopeCore::OfflineText(int i) const
{
    if (!OflDesc[i])
        return QString();
    const int32_t v = i == 0 ? Setup.OfflineTimeBase() : i == 1 ? Setup.Chan[4].General2 : Setup.Chan[4].TrigLevel;
    return OflDesc[i]->ValueToText(v, Language, Separator, ShowDecValue);
}

int32_t TSetScopeCore::Step(int k) const
{
    const TParaRec* p = Setup.Chan[k].Para;
    // Without a multiplier the division has no meaning: one raw unit.
    if (!p || p->Mul == 0)
        return 1;
    return p->Div / p->Mul;
}

// ---- fields

void TSetScopeCore::SetTimeBase(const QString& Text)
{
    Setup.TimeBase() = std::clamp(MakeStringToDecimal(Text), 1, kMaxTimeBase);
}

void TSetScopeCore::SetMaxReadTime(const QString& Text)
{
    Setup.MaxReadTime() = std::max(MakeStringToDecimal(Text), kMinMaxReadTime);
}

void TSetScopeCore::SetReadCycle(const QString& Text)
{
    Setup.ReadCycle() = std::clamp(MakeStringToDecimal(Text), 0, kMaxReadCycle);
}

void TSetScopeCore::SetTrigDelay(const QString& Text)
{
    Setup.TrigDelay() = std::max(MakeStringToDecimal(Text), 0);
}

void TSetScopeCore::SetSetField(int k, const QString& Text)
{
    const QChar c = Text.isEmpty() ? QChar(u'0') : Text[0];
    const int v = c.isDigit() ? c.digitValue() : 0;
    Setup.Chan[k].SetSel = int16_t(std::clamp(v, 0, 7));
}

void TSetScopeCore::StepSet(int k, bool Up)
{
    TScopeChannel& c = Setup.Chan[k];
    c.SetSel = int16_t(std::clamp(c.SetSel + (Up ? 1 : -1), -1, 7));
}

bool TSetScopeCore::SetYOffset(int k, const QString& Text)
{
    TScopeChannel& c = Setup.Chan[k];
    int32_t v = 0;
    if (c.Para) {
        if (!c.Para->TextToValue(Text, v))
            return false;
    } else {
        v = MakeStringToDecimal(Text);
    }
    c.YOffset = v;
    return true;
}

bool TSetScopeCore::SetYFactor(int k, const QString& Text)
{
    TScopeChannel& c = Setup.Chan[k];
    int32_t v = 0;
    if (c.Para) {
        if (!SpanDescription(*c.Para).TextToValue(Text, v))
            return false;
    } else {
        v = MakeStringToDecimal(Text);
    }
    c.YFactor = std::max(v, 1);
    return true;
}

void TSetScopeCore::StepYOffset(int k, bool Up)
{
    TScopeChannel& c = Setup.Chan[k];
    c.YOffset = sat32(int64_t(c.YOffset) + (Up ? 1 : -1) * int64_t(Step(k)));
}

void TSetScopeCore::StepYFactor(int k, bool Up)
{
    TScopeChannel& c = Setup.Chan[k];
    c.YFactor = std::max(1, sat32(int64_t(c.YFactor) + (Up ? 1 : -1) * int64_t(Step(k))));
}

void TSetScopeCore::ChooseOnline()
{
    Setup.OfflineMode() = 0;
}

void TSetScopeCore::ChooseOffline()
{
    Setup.OfflineMode() = 1;
    for (int k = 1; k < kScopeChannels; ++k)
        Setup.Chan[k].Inverter = Setup.Chan[0].Inverter;
    if (!Setup.Chan[0].NewStyle)
        return;
    int32_t* v[3] = {&Setup.OfflineTimeBase(), &Setup.OfflineTrigger(), &Setup.OfflineTrigPos()};
    for (int i = 0; i < 3; ++i)
        if (OflDesc[i] && (*v[i] < OflDesc[i]->LowerLim || *v[i] > OflDesc[i]->UpperLim))
            *v[i] = OflDesc[i]->LowerLim;
}

// ---- channel commands

bool TSetScopeCore::ChangeParaName(int k)
{
    if (!Editors)
        return false;
    TScopeChannel& c = Setup.Chan[k];
    int16_t adr = c.Address;
    if (Editors->EditAddressModal(c.Inverter, Text(1, 5) + u' ' + letter(k), adr) != 1)
        return false;
    const TParaRec* p = adr >= 0 ? paraAt(c.Inverter, adr) : nullptr;
    if (!p)
        return false;
    c.Para = const_cast<TParaRec*>(p);
    c.Address = adr;
    return true;
}

bool TSetScopeCore::ChangeInverter(int k)
{
    if (!Editors)
        return false;
    TScopeChannel& c = Setup.Chan[k];
    int inv = c.Inverter;
    if (Editors->SelectInv(Text(1, 44) + QStringLiteral(" CH ") + letter(k), inv) != 1)
        return false;
    c.Inverter = int16_t(inv);
    c.Para = c.Address >= 0 ? const_cast<TParaRec*>(paraAt(inv, c.Address)) : nullptr;
    if (k == 0 && Setup.OfflineMode() == 1)
        for (int j = 1; j < kScopeChannels; ++j)
            Setup.Chan[j].Inverter = c.Inverter;
    if (k == 0)
        UpdateOffline();
    return true;
}

bool TSetScopeCore::ChangeColour(int Which)
{
    if (!Editors)
        return false;
    uint32_t c = Which < 4 ? Setup.Chan[Which].Colour
        : Which == 4       ? uint32_t(Setup.BackColour())
                           : uint32_t(Setup.GridColour());
    if (!Editors->ChooseColour(c))
        return false;
    if (Which < 4)
        Setup.Chan[Which].Colour = c;
    else if (Which == 4)
        Setup.BackColour() = int32_t(c);
    else
        Setup.GridColour() = int32_t(c);
    return true;
}

void TSetScopeCore::ChannelOff(int k)
{
    Setup.Chan[k].Para = nullptr;
    Setup.Chan[k].Address = -1;
}

bool TSetScopeCore::Auto(int k)
{
    TScopeChannel& c = Setup.Chan[k];
    if (!c.Para || !Scope)
        return false;
    int64_t lo = 2147483647, hi = -2147483648LL;
    const TScopeEngine& E = *Scope;
    int i = E.RingStart;
    for (int n = 0; n < kScopeRingSize; ++n) {
        const int32_t v = E.Ring[i].ChanVal[k];
        lo = std::min<int64_t>(lo, v);
        hi = std::max<int64_t>(hi, v);
        if (i == E.RingEnd)
            break;
        i = i >= E.LastIndex ? 0 : i + 1;
    }
    double f = double(hi - lo) / 9.0;
    const int mul = c.Para->Mul, div = c.Para->Div;
    if (mul != 0 && div != 0) {
        double disp = f * mul / div;
        if (disp < 1)
            disp = 1;
        f = disp * div / mul;
    } else if (f < 1) {
        f = 1;  // no scale: raw units
    }
    f = std::clamp(f, -2147483647.0, 2147483647.0);
    int64_t r = std::llround(f);
    if (double(r) < f)
        ++r;
    c.YFactor = int32_t(std::clamp<int64_t>(r, 1, 2147483647));
    c.YOffset = sat32(std::llround(double(hi - lo) / 2.0 + double(lo)));
    return true;
}

bool TSetScopeCore::EditValue(int Tag)
{
    if (!Editors)
        return false;
    const TParaRec* p = nullptr;
    int32_t* target = nullptr;
    QString label;
    if (Tag == 1) {
        const int t = Setup.TrigChannel();
        if (t < 0 || t > 3 || !Setup.Chan[t].Para)
            return false;
        p = Setup.Chan[t].Para;
        target = &Setup.Chan[t].TrigLevel;
        label = Text(1, 18) + u' ' + letter(t);
    } else if (Tag >= 2 && Tag <= 4) {
        p = OflDesc[Tag - 2];
        if (!p)
            return false;
        target = Tag == 2 ? &Setup.OfflineTimeBase() : Tag == 3 ? &Setup.OfflineTrigger() : &Setup.OfflineTrigPos();
        label = p->GetName(Language);
    } else {
        return false;
    }
    int32_t v = *target;
    if (Editors->EditValueModal(p, label, v, Tag == 1) != 1)
        return false;
    *target = v;
    return true;
}

// ---- OK

bool TSetScopeCore::ApplyTo(TScopeEngine& Eng, TScopeDisplay* Display) const
{
    Eng.Setup = Setup;
    Eng.CheckChannels();
    if (Eng.OfflineBase == -1)
        Eng.Setup.OfflineMode() = 0;
    const bool warn = Eng.Setup.MaxReadTime() < Eng.Setup.TrigDelay();
    Eng.ScopeNotes = Notes;
    if (Display)
        Display->KeepCursorColumn(Eng.Setup.TimeBase());
    // A channel switched off here loses its values in the recording.
    for (int k = 0; k < kScopeChannels; ++k) {
        if (Setup.Chan[k].Address != -1)
            continue;
        int i = Eng.RingStart;
        for (int n = 0; n < kScopeRingSize; ++n) {
            Eng.Ring[i].ChanVal[k] = 0;
            if (i == Eng.RingEnd)
                break;
            i = i >= Eng.LastIndex ? 0 : i + 1;
        }
    }
    if (Display) {
        Display->CalcZeroLines();
        Display->ClearcursorText();
    }
    return warn;
}
