// Lines coming into a download-list window: pasted clipboard rows and
// dropped parameters, download-list lines, operator-list lines and
// work-list rows. A row whose value was never read takes the
// description's default value, as a paste without values does, never a
// 0 that a download would write.

#include "lists/dwn_load.h"

#include "config/lang_texts.h"
#include "config/drag_drop.h"
#include "dialogs/drag_exec.h"
#include "dialogs/shared_objects.h"
#include "lists/wrk_list_item.h"
#include "project/vortalin_prj.h"

#include <QTableView>

QString DwnCopyLine(const TDwnEntry& Line, const TVortalinText* Texts, const TDwnTextOptions& Opt)
{
    const auto c = DwnLineColumns(Line, Texts, Opt);
    QStringList cols;
    for (size_t i = 1; i < c.size(); ++i)
        cols << c[i];
    return cols.join(u'\t');
}

void TDwnLoad::refuseMessage()
{
    const QStringList* l = LangTexts ? LangTexts->GetStrings(0, 19) : nullptr;
    message(l ? *l : QStringList{QStringLiteral("???")}, dblOk, dmiError);
}

void TDwnLoad::afterInsert(int Count, int FocusLine)
{
    engine_->Modified = true;
    SetScrollMax();
    view_.SetPosition(view_.Position + Count);
    const int r = FocusLine - view_.Position;
    view_.FocusRow = std::clamp(r, 0, view_.Rows - 1);
    FillList(view_.Position);
}

int TDwnLoad::PasteItems(int At, const std::vector<TClpBrdItem>& Items, int Flags)
{
    const int need = cbfInvAdr | cbfSetSel | cbfAddress;
    if (Transferring() || (Flags & need) != need)
        return 0;
    TDwnLoadEngine& e = *engine_;
    int at = std::clamp(At, 0, int(e.Lines.size()));
    const int start = at;
    int refused = 0;
    for (const TClpBrdItem& it : Items) {
        const QString note = (Flags & cbfRemark) ? it.Remark : QString();
        const bool hasValue = (Flags & cbfValue) && it.ValueValid;
        switch (it.Kind) {
        case 0: {
            if (!e.Lines.empty() && e.OpList) {
                ++refused;
                break;
            }
            e.OpList = false;
            if (!CheckInvCfgId(it.InvAdr, e.CfgId)) {
                ++refused;
                break;
            }
            std::shared_ptr<TParaRec> para = FindSharedPara(e.Cfg(), it.Address);
            if (!para)
                break;
            const int32_t value = hasValue ? it.Value : defaultValue(para.get());
            const int mode = TDwnLoadEngine::GetParaMode(para.get());
            e.InsertNewLine(at++, std::move(para), it.Address, value, it.SetSel, mode, false, note);
            break;
        }
        case 1:
        case 2:
            e.InsertNewLine(at++, nullptr, 0, (Flags & cbfValue) ? it.Value : 0, it.SetSel,
                            it.Kind == 1 ? DwnMode::Blank : DwnMode::UserStep, false, note);
            break;
        case 3: {
            if (!e.Lines.empty() && !e.OpList) {
                ++refused;
                break;
            }
            e.OpList = true;
            std::shared_ptr<TParaRec> own;
            if (it.Para) {
                own = std::make_shared<TParaRec>();
                it.Para->CopyTo(*own);
            }
            const int32_t value = hasValue ? it.Value : defaultValue(own.get());
            const int mode = TDwnLoadEngine::GetParaMode(own.get());
            e.InsertNewLine(at++, std::move(own), it.Address, value, it.SetSel, mode, true, note);
            break;
        }
        default:
            ++refused;
            break;
        }
    }
    if (refused)
        refuseMessage();
    afterInsert(int(Items.size()), start);
    return refused;
}

bool TDwnLoad::AcceptsKind(int Kind) const
{
    if (Transferring())
        return false;
    const bool empty = engine_->Lines.empty();
    switch (Kind) {
    case 1:
    case 3:
    case 4: return empty || !engine_->OpList;
    case 5: return empty || engine_->OpList;
    default: return false;
    }
}

int TDwnLoad::DropPosition(int Row) const
{
    return view_.Position + (Row >= 0 ? Row : view_.Rows - 1);
}

bool TDwnLoad::DropDescriptions(int At, int InvAdr, int SetSel,
                                const std::vector<std::shared_ptr<const TParaRec>>& Paras)
{
    if (!AcceptsKind(1))
        return false;
    TDwnLoadEngine& e = *engine_;
    if (!CheckInvCfgId(InvAdr, e.CfgId)) {
        refuseMessage();
        return false;
    }
    e.OpList = false;
    int at = std::clamp(At, 0, int(e.Lines.size()));
    const int start = at;
    for (const auto& p : Paras) {
        if (!p)
            continue;
        // The description of this list's configuration (the same type).
        std::shared_ptr<TParaRec> para = FindSharedPara(e.Cfg(), p->Addr);
        const int mode = TDwnLoadEngine::GetParaMode(p.get());
        e.InsertNewLine(at++, std::move(para), p->Addr, p->DefVal, SetSel, mode, false, QString());
    }
    afterInsert(int(Paras.size()), start);
    return true;
}

bool TDwnLoad::DropDwnLines(int At, int InvAdr, const std::vector<TDwnEntryPtr>& Lines, bool OpLines)
{
    if (!AcceptsKind(OpLines ? 5 : 3))
        return false;
    TDwnLoadEngine& e = *engine_;
    if (!OpLines && !CheckInvCfgId(InvAdr, e.CfgId)) {
        refuseMessage();
        return false;
    }
    e.OpList = OpLines;
    int at = std::clamp(At, 0, int(e.Lines.size()));
    const int start = at;
    for (const TDwnEntryPtr& l : Lines) {
        std::shared_ptr<TParaRec> para = l->Para;
        if (OpLines && l->OwnsPara && l->Para) {
            para = std::make_shared<TParaRec>();
            l->Para->CopyTo(*para);
        }
        e.InsertNewLine(at++, std::move(para), l->Address, l->Value, l->SetMask, l->Mode,
                        OpLines && l->OwnsPara, l->Note);
    }
    afterInsert(int(Lines.size()), start);
    return true;
}

bool TDwnLoad::DropWrkRows(int At, const std::vector<std::shared_ptr<TWrkListItem>>& Rows)
{
    if (!AcceptsKind(4))
        return false;
    TDwnLoadEngine& e = *engine_;
    e.OpList = false;
    int at = std::clamp(At, 0, int(e.Lines.size()));
    const int start = at;
    int refused = 0;
    for (const auto& r : Rows) {
        if (!r)
            continue;
        if (r->IsBlank()) {
            e.InsertNewLine(at++, nullptr, 0, 0, 0, DwnMode::Blank, false, r->Remark);
            continue;
        }
        if (!CheckInvCfgId(r->Inverter, e.CfgId)) {
            ++refused;
            continue;
        }
        if (!r->Para)
            continue;
        std::shared_ptr<TParaRec> para = FindSharedPara(e.Cfg(), r->Address);
        if (!para)
            continue;
        const int32_t value = r->ValueValid ? r->Value : para->DefVal;
        const int mode = TDwnLoadEngine::GetParaMode(para.get());
        e.InsertNewLine(at++, std::move(para), r->Address, value, r->SetSel, mode, false, r->Remark);
    }
    afterInsert(int(Rows.size()), start);
    if (refused)
        refuseMessage();
    return true;
}

void TDwnLoad::ListView1StartDrag()
{
    if (!DragDrop)
        return;
    std::vector<std::shared_ptr<void>> items;
    for (const TDwnEntryPtr& l : engine_->Lines)
        if (l->Selected)
            items.push_back(l);
    // The lines themselves: they stay alive while dragged, also when this
    // window drops them meanwhile.
    if (!DragDrop->Start(ListView1, engine_->OpList ? ddkOpLines : ddkDwnLines, std::move(items),
                         int16_t(engine_->InvAdr), DragDrop->SetSel))
        return;
    ExecDrag(*DragDrop, ListView1);
}

bool TDwnLoad::ListView1DragOver(const QMimeData* Data) const
{
    if (!DragDrop)
        return false;
    for (uint8_t k : {ddkExplParams, ddkDwnLines, ddkWrkRows, ddkOpLines})
        if (AcceptsKind(k) && DragDrop->Accepts(Data, ListView1, {k}))
            return true;
    return false;
}

bool TDwnLoad::ListView1DragDrop(const QMimeData* Data, int Row)
{
    if (!ListView1DragOver(Data))
        return false;
    const TDragDrop& dd = *DragDrop;
    const int at = DropPosition(Row);
    const int n = int(dd.Items.size());
    switch (dd.Kind) {
    case ddkExplParams: {
        std::vector<std::shared_ptr<const TParaRec>> paras;
        for (int i = 0; i < n; ++i)
            paras.push_back(dd.Item<const TParaRec>(i));
        return DropDescriptions(at, dd.InvAdr, dd.SetSel, paras);
    }
    case ddkDwnLines:
    case ddkOpLines: {
        std::vector<TDwnEntryPtr> lines;
        for (int i = 0; i < n; ++i)
            lines.push_back(dd.Item<TDwnEntry>(i));
        return DropDwnLines(at, dd.InvAdr, lines, dd.Kind == ddkOpLines);
    }
    case ddkWrkRows: {
        std::vector<std::shared_ptr<TWrkListItem>> rows;
        for (int i = 0; i < n; ++i)
            rows.push_back(dd.Item<TWrkListItem>(i));
        return DropWrkRows(at, rows);
    }
    default: return false;
    }
}
