// The complete list of the inverter's configuration, Compress, the choice
// of the inverter and the removal of marked lines.

#include "lists/dwn_load_engine.h"

#include "config/lang_texts.h"
#include "project/vortalin_prj.h"

#include <algorithm>

namespace {

// Array index values written at most per block.
constexpr int64_t kMaxArrayIndices = 65536;
// Sets a mask can address.
constexpr int kLastMaskSet = 7;

bool isArrayPara(const TParaRec& p)
{
    return (p.Flags & ParaFlag::IndexPara) && !(p.Flags & ParaFlag::NotInCompleteList);
}

// Whether a parameter belongs to the complete list of a set.
bool inCompleteList(const TCfgRec& cfg, const TParaRec& p, int set)
{
    if (p.Flags & ParaFlag::NotInCompleteList)
        return false;
    if (p.Addr == cfg.AccessParAdr || p.Addr == cfg.SetPtrParAdr)
        return false;
    return set == 0 || (p.Attr & ParaAttr::PerSet);
}

}  // namespace

void TDwnLoadEngine::ClearMarks()
{
    for (const TDwnEntryPtr& e : Lines)
        e->Selected = 0;
}

void TDwnLoadEngine::MarkAll()
{
    for (const TDwnEntryPtr& e : Lines)
        e->Selected = 1;
}

void TDwnLoadEngine::RemoveMarkedLines()
{
    if (OpList)
        notify_->ReleaseClipboard();
    ui_.BusyCursor(true);
    const int first = DeleteMarkedDwnEntries(Lines);
    ui_.BusyCursor(false);
    notify_->RefreshView(false);
    const int show = first < 0 ? -1 : std::min(first, int(Lines.size()) - 1);
    if (TDwnEntry* e = GetDwnEntry(show))
        e->Selected = 1;
    notify_->SelectLine(show);
    Modified = true;
}

// ---------------------------------------------------------------- complete list

void TDwnLoadEngine::appendSpecial(int16_t adr, int32_t value)
{
    if (adr == -1)
        return;
    auto para = FindSharedPara(Cfg(), adr);
    const uint8_t mode = GetParaMode(para.get());
    InsertNewLine(int(Lines.size()), std::move(para), adr, value, -1, mode, false, QString());
}

void TDwnLoadEngine::appendBlank()
{
    InsertNewLine(int(Lines.size()), nullptr, 0, 0, -1, DwnMode::Blank, false, QString());
}

int16_t TDwnLoadEngine::setMaskFor(int set, int buildMode) const
{
    return buildMode == 0 ? int16_t(-1) : int16_t(1 << set);
}

// The lines of the parameter at `index` of the group for set `set`;
// `index` moves past it and, for an array parameter, past its block.
void TDwnLoadEngine::appendParaLines(const TCfgRec& cfg, const TGrpRec& grp, int& index, int set,
                                     int buildMode, bool& any)
{
    const auto included = [&](const TParaRec& q) { return inCompleteList(cfg, q, set); };
    const std::shared_ptr<TCfgRec> cfgShared = Cfg();
    const auto shared = [&](int i) {
        return std::shared_ptr<TParaRec>(cfgShared, grp.ParaList.GetItem(i));
    };
    const TParaRec& p = *grp.ParaList.GetItem(index);
    const int first = index;
    int end = index + 1;
    if (isArrayPara(p))
        while (end < grp.ParaList.Count() && isArrayPara(*grp.ParaList.GetItem(end)))
            ++end;
    index = end;
    if (!included(p))
        return;
    const int16_t mask = setMaskFor(set, buildMode);
    if (end == first + 1 && !isArrayPara(p)) {
        InsertNewLine(int(Lines.size()), shared(first), p.Addr, p.DefVal, mask, GetParaMode(&p), false, QString());
        any = true;
        return;
    }
    int64_t count = 0;
    for (int64_t v = p.LowerLim; v <= p.UpperLim && count < kMaxArrayIndices; ++v, ++count) {
        InsertNewLine(int(Lines.size()), shared(first), p.Addr, int32_t(v), mask, DwnMode::WA, false, QString());
        for (int m = first + 1; m < end; ++m) {
            const TParaRec& q = *grp.ParaList.GetItem(m);
            if (included(q))
                InsertNewLine(int(Lines.size()), shared(m), q.Addr, q.DefVal, mask, GetParaMode(&q), false,
                              QString());
        }
        any = true;
    }
}

void TDwnLoadEngine::DoMakeList()
{
    if (TransferState != DwnTransfer::Idle)
        return;
    const std::shared_ptr<TCfgRec> cfg = Cfg();
    if (!cfg)
        return;
    while (Modified) {
        const int a = message(textLines(0, 24), dblYesNoCancel, dmiConfirmation, {}, 0, 2);
        if (a == 0)
            SaveData(QString());
        else if (a == 1)
            Modified = false;
        else
            return;
    }
    ui_.BusyCursor(true);
    MarkAll();
    RemoveMarkedLines();
    notify_->RefreshView(true);
    Modified = false;
    OpList = false;

    int buildMode = 0;
    if (cfg->NewStyle) {
        ui_.BusyCursor(false);
        buildMode = message(textLines(2, 22), dblBuildModes, dmiConfirmation, {}, 0, -1, QString(), {}, 168);
        ui_.BusyCursor(true);
    }
    if (buildMode < 0 || buildMode > 2) {
        ui_.BusyCursor(false);
        return;
    }
    const int maxMaskSet = std::min<int>(cfg->MaxSet, kLastMaskSet);
    const auto groups = [&](auto&& perGroup) {
        for (const auto& g : cfg->GrpList)
            perGroup(*g);
    };
    appendSpecial(cfg->AccessParAdr, cfg->AccessValue);
    if (buildMode == 0) {
        appendSpecial(cfg->SetPtrParAdr, 0);
        appendSpecial(cfg->TypeParAdr, cfg->TypeValue);
        for (int s = 0; s <= cfg->MaxSet; ++s) {
            appendBlank();
            appendSpecial(cfg->SetPtrParAdr, s);
            groups([&](const TGrpRec& g) {
                bool any = false;
                for (int i = 0; i < g.ParaList.Count();)
                    appendParaLines(*cfg, g, i, s, 0, any);
                if (any)
                    appendBlank();
            });
            appendSpecial(cfg->FinishParAdr, cfg->FinishValue);
        }
        appendSpecial(cfg->SetPtrParAdr, 0);
        appendSpecial(cfg->FinishParAdr, cfg->FinishValue);
    } else if (buildMode == 1) {
        appendSpecial(cfg->TypeParAdr, cfg->TypeValue);
        groups([&](const TGrpRec& g) {
            for (int i = 0; i < g.ParaList.Count();) {
                const int at = i;
                bool any = false;
                const bool listed = inCompleteList(*cfg, *g.ParaList.GetItem(at), 0);
                for (int s = 0; s <= (listed ? maxMaskSet : 0); ++s) {
                    i = at;
                    appendParaLines(*cfg, g, i, s, 1, any);
                }
            }
            appendBlank();
        });
    } else {
        appendSpecial(cfg->TypeParAdr, cfg->TypeValue);
        for (int s = 0; s <= maxMaskSet; ++s)
            groups([&](const TGrpRec& g) {
                bool any = false;
                for (int i = 0; i < g.ParaList.Count();)
                    appendParaLines(*cfg, g, i, s, 2, any);
                appendBlank();
            });
    }
    notify_->RefreshView(false);
    Modified = true;
    ui_.BusyCursor(false);
}

// ---------------------------------------------------------------- compress

void TDwnLoadEngine::DoCompress()
{
    if (TransferState != DwnTransfer::Idle)
        return;
    if (Lines.empty()) {
        message(textLines(0, 21), dblOk, dmiError);
        return;
    }
    if (message(textLines(2, 16), dblYesNo, dmiConfirmation, {}, 0, 2) != 0)
        return;
    ui_.BusyCursor(true);
    ClearMarks();
    const int n = int(Lines.size());
    for (int i = 0; i < n; ++i) {
        TDwnEntry& l = *Lines[size_t(i)];
        if (l.Selected || l.IsBlank() || l.SetMask < 1)
            continue;
        int16_t mask = l.SetMask;
        for (int j = i + 1; j < n; ++j) {
            TDwnEntry& v = *Lines[size_t(j)];
            if (v.Selected)
                continue;
            if (v.Address != l.Address)
                break;
            if (!v.IsBlank() && v.SetMask >= 1 && v.Value == l.Value) {
                mask = int16_t(mask | v.SetMask);
                v.Selected = 1;
            }
        }
        l.SetMask = mask;
    }
    RemoveMarkedLines();
    Modified = true;
    ui_.BusyCursor(false);
}

// ---------------------------------------------------------------- inverter

void TDwnLoadEngine::DoSettings()
{
    if (TransferState != DwnTransfer::Idle)
        return;
    const int chosen = ui_.ChooseInverter(text(5, 0) + QStringLiteral("; ") + GetShortName(), InvAdr);
    if (chosen < 0 || !prj_ || !prj_->GetInv(chosen))
        return;
    if (!OpList) {
        const int number = cfgNumberOf(chosen);
        if (number != CfgId && !Lines.empty()) {
            message(textLines(0, 19), dblOk, dmiError);
            return;
        }
        CfgId = number;
    }
    InvAdr = chosen;
    notifyCaption();
    notifyContext();
}
