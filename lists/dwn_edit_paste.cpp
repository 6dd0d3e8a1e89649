// Lines going out of and coming into a download list: copied lines,
// pasted clipboard rows, the drag of the marked lines and dropped
// parameters, download-list lines, operator-list lines and work-list rows.
// A row whose value was never read takes the description's default value,
// as a paste without values does, never a 0 that a download would write.

#include "lists/dwn_edit.h"

#include "config/drag_drop.h"
#include "lists/wrk_list_item.h"

#include <algorithm>

namespace {

int32_t defaultValue(const TParaRec* Para)
{
    return Para ? Para->DefVal : 0;
}

}  // namespace

QString DwnCopyLine(const TDwnEntry& Line, const TVortalinText* Texts, const TDwnTextOptions& Opt)
{
    const auto c = DwnLineColumns(Line, Texts, Opt);
    QStringList cols;
    for (size_t i = 1; i < c.size(); ++i)
        cols << c[i];
    return cols.join(u'\t');
}

void TDwnEdit::refuseMessage()
{
    engine_.Message(engine_.TextLines(0, 19), dblOk, dmiError);
}

bool TDwnEdit::fitsType(int InvAdr)
{
    if (CheckInvCfgId(InvAdr, engine_.CfgId))
        return true;
    refuseMessage();
    return false;
}

int TDwnEdit::insertAt(int At) const
{
    return std::clamp(At, 0, int(engine_.Lines.size()));
}

int TDwnEdit::startDrop(int At, bool OpLines)
{
    engine_.OpList = OpLines;
    return insertAt(At);
}

void TDwnEdit::afterInsert(int Count, int FocusLine)
{
    engine_.Modified = true;
    view_.SetScrollMax();
    view_.SetPosition(view_.Position + Count);
    view_.FocusRow = std::clamp(FocusLine - view_.Position, 0, view_.Rows - 1);
    rowsChanged();
}

// ---------------------------------------------------------------- clipboard

std::unique_ptr<TIntClpBrd> TDwnEdit::CopyMarked(const TDwnTextOptions& Opt) const
{
    auto content = std::make_unique<TIntClpBrd>();
    for (const TDwnEntryPtr& l : engine_.Lines) {
        if (!l->Selected)
            continue;
        TClpBrdItem it;
        it.Kind = l->IsBlank()      ? cbkBlank
            : l->IsUserStep()       ? cbkUserStep
            : engine_.OpList        ? cbkOperator
                                    : cbkParameter;
        it.InvAdr = engine_.InvAdr;
        it.Address = l->Address;
        it.SetSel = l->SetMask;
        it.Value = l->Value;
        it.ValueValid = true;
        it.Remark = l->Note;
        it.Para = l->Para;
        content->Items.push_back(std::move(it));
        content->Lines << DwnCopyLine(*l, engine_.Texts(), Opt);
    }
    if (content->Items.empty())
        return nullptr;
    content->Flags = cbfRows;
    return content;
}

int TDwnEdit::PasteContent(const TIntClpBrd& Content)
{
    const int at = view_.CurrentLine();
    if (at < 0 || !Content.PastesRows())
        return 0;
    // A copy: a message shown while pasting runs the event loop, where the
    // clipboard may change.
    const std::vector<TClpBrdItem> items = Content.Items;
    return PasteItems(at, items, Content.Flags);
}

int TDwnEdit::PasteItems(int At, const std::vector<TClpBrdItem>& Items, int Flags)
{
    const int need = cbfInvAdr | cbfSetSel | cbfAddress;
    if (engine_.Transferring() || (Flags & need) != need)
        return 0;
    TDwnLoadEngine& e = engine_;
    const int start = insertAt(At);
    int at = start;
    int refused = 0;
    for (const TClpBrdItem& it : Items) {
        const QString note = (Flags & cbfRemark) ? it.Remark : QString();
        const bool hasValue = (Flags & cbfValue) && it.ValueValid;
        switch (it.Kind) {
        case cbkParameter: {
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
        case cbkBlank:
        case cbkUserStep:
            e.InsertNewLine(at++, nullptr, 0, (Flags & cbfValue) ? it.Value : 0, it.SetSel,
                            it.Kind == cbkBlank ? DwnMode::Blank : DwnMode::UserStep, false, note);
            break;
        case cbkOperator: {
            if (!e.Lines.empty() && !e.OpList) {
                ++refused;
                break;
            }
            e.OpList = true;
            // The line owns a copy: the copied line's description goes
            // with its window.
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

// ---------------------------------------------------------------- drag and drop

bool TDwnEdit::StartDrag(TDragDrop& Dd, QObject* SourceView) const
{
    // The lines themselves: they stay alive while dragged, also when this
    // list drops them meanwhile.
    std::vector<std::shared_ptr<void>> items;
    for (const TDwnEntryPtr& l : engine_.Lines)
        if (l->Selected)
            items.push_back(l);
    return Dd.Start(SourceView, engine_.OpList ? ddkOpLines : ddkDwnLines, std::move(items),
                    int16_t(engine_.InvAdr), Dd.SetSel);
}

bool TDwnEdit::AcceptsKind(uint8_t Kind) const
{
    if (engine_.Transferring())
        return false;
    const bool empty = engine_.Lines.empty();
    switch (Kind) {
    case ddkExplParams:
    case ddkDwnLines:
    case ddkWrkRows: return empty || !engine_.OpList;
    case ddkOpLines: return empty || engine_.OpList;
    default: return false;
    }
}

bool TDwnEdit::AcceptsDrop(const TDragDrop& Dd, const QMimeData* Data, const QObject* OwnView) const
{
    for (uint8_t k : {ddkExplParams, ddkDwnLines, ddkWrkRows, ddkOpLines})
        if (AcceptsKind(k) && Dd.Accepts(Data, OwnView, {k}))
            return true;
    return false;
}

int TDwnEdit::DropPosition(int Row) const
{
    return view_.Position + (Row >= 0 ? Row : view_.Rows - 1);
}

bool TDwnEdit::Drop(const TDragDrop& Dd, const QMimeData* Data, const QObject* OwnView, int Row)
{
    if (!AcceptsDrop(Dd, Data, OwnView))
        return false;
    const int at = DropPosition(Row);
    const int n = int(Dd.Items.size());
    switch (Dd.Kind) {
    case ddkExplParams: {
        std::vector<std::shared_ptr<const TParaRec>> paras;
        for (int i = 0; i < n; ++i)
            paras.push_back(Dd.Item<const TParaRec>(i));
        return DropDescriptions(at, Dd.InvAdr, Dd.SetSel, paras);
    }
    case ddkDwnLines:
    case ddkOpLines: {
        std::vector<TDwnEntryPtr> lines;
        for (int i = 0; i < n; ++i)
            lines.push_back(Dd.Item<TDwnEntry>(i));
        return DropDwnLines(at, Dd.InvAdr, lines, Dd.Kind == ddkOpLines);
    }
    case ddkWrkRows: {
        std::vector<std::shared_ptr<TWrkListItem>> rows;
        for (int i = 0; i < n; ++i)
            rows.push_back(Dd.Item<TWrkListItem>(i));
        return DropWrkRows(at, rows);
    }
    default: return false;
    }
}

bool TDwnEdit::DropDescriptions(int At, int InvAdr, int SetSel,
                                const std::vector<std::shared_ptr<const TParaRec>>& Paras)
{
    if (!AcceptsKind(ddkExplParams) || !fitsType(InvAdr))
        return false;
    const int start = startDrop(At, false);
    int at = start;
    for (const auto& p : Paras) {
        if (!p)
            continue;
        // The description of this list's configuration (the same type).
        std::shared_ptr<TParaRec> para = FindSharedPara(engine_.Cfg(), p->Addr);
        const int mode = TDwnLoadEngine::GetParaMode(p.get());
        engine_.InsertNewLine(at++, std::move(para), p->Addr, p->DefVal, SetSel, mode, false, QString());
    }
    afterInsert(int(Paras.size()), start);
    return true;
}

bool TDwnEdit::DropDwnLines(int At, int InvAdr, const std::vector<TDwnEntryPtr>& Lines, bool OpLines)
{
    // Operator lines carry their descriptions: any type takes them.
    if (!AcceptsKind(OpLines ? ddkOpLines : ddkDwnLines) || (!OpLines && !fitsType(InvAdr)))
        return false;
    const int start = startDrop(At, OpLines);
    int at = start;
    for (const TDwnEntryPtr& l : Lines) {
        std::shared_ptr<TParaRec> para = l->Para;
        if (OpLines && l->OwnsPara && l->Para) {
            para = std::make_shared<TParaRec>();
            l->Para->CopyTo(*para);
        }
        engine_.InsertNewLine(at++, std::move(para), l->Address, l->Value, l->SetMask, l->Mode,
                              OpLines && l->OwnsPara, l->Note);
    }
    afterInsert(int(Lines.size()), start);
    return true;
}

bool TDwnEdit::DropWrkRows(int At, const std::vector<std::shared_ptr<TWrkListItem>>& Rows)
{
    if (!AcceptsKind(ddkWrkRows))
        return false;
    const int start = startDrop(At, false);
    int at = start;
    int refused = 0;
    for (const auto& r : Rows) {
        if (!r)
            continue;
        if (r->IsBlank()) {
            engine_.InsertNewLine(at++, nullptr, 0, 0, 0, DwnMode::Blank, false, r->Remark);
            continue;
        }
        if (!CheckInvCfgId(r->Inverter, engine_.CfgId)) {
            ++refused;
            continue;
        }
        if (!r->Para)
            continue;
        std::shared_ptr<TParaRec> para = FindSharedPara(engine_.Cfg(), r->Address);
        if (!para)
            continue;
        const int32_t value = r->ValueValid ? r->Value : para->DefVal;
        const int mode = TDwnLoadEngine::GetParaMode(para.get());
        engine_.InsertNewLine(at++, std::move(para), r->Address, value, r->SetSel, mode, false, r->Remark);
    }
    afterInsert(int(Rows.size()), start);
    if (refused)
        refuseMessage();
    return true;
}
