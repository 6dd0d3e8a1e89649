// Editing a download list's lines: the editors' choice, label and
// callbacks, inserts, search, delete, mark all and the print's content.

#include "lists/dwn_edit.h"

#include "config/lang_texts.h"
#include "dialogs/print_tab_widths.h"
#include "project/vortalin_prj.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

bool DwnFits16Bit(const TParaRec& Para, int32_t Value)
{
    if (Para.Attr & ParaAttr::Signed)
        return Value >= -0x8000 && Value <= 0x7FFF;
    return Value >= 0 && Value <= 0xFFFF;
}

// ---------------------------------------------------------------- editors

TDwnEditTarget TDwnEdit::Target() const
{
    TDwnEditTarget t;
    for (int i = 0; i < view_.Count() && t.Marked < 2; ++i)
        if (view_.Line(i)->Selected) {
            ++t.Marked;
            t.Line = view_.Line(i);
            t.Index = i;
        }
    if (!t.Marked) {
        t.Line = view_.Line(0);
        return t;
    }
    const QString place = engine_.GetShortName() + QStringLiteral("; ");
    if (t.Marked > 1)
        t.Label = place + engine_.Text(0, 26);
    else if (t.Line->Para)
        t.Label = t.Line->Para->GetIdText() + u' ' + t.Line->Para->GetName(engine_.Language)
            + QStringLiteral("; ") + place + engine_.Text(0, 27) + u' ' + QString::number(t.Index);
    else
        t.Label = place + engine_.Text(0, 27) + u' ' + QString::number(t.Index);
    return t;
}

QString TDwnEdit::InsertLabel() const
{
    return engine_.Text(2, 5) + QStringLiteral("; ") + engine_.GetShortName();
}

QString TDwnEdit::SearchLabel() const
{
    return engine_.Text(2, 14) + QStringLiteral("; ") + engine_.GetShortName();
}

TDwnEditor TDwnEdit::EditorFor(int Column, bool ChangeProperties)
{
    const TDwnEntry* line = view_.CurrentEntry();
    if (!line) {
        SearchAdr = -1;
        return TDwnEditor::Address;
    }
    if (Column == 1 && !ChangeProperties)
        Column = 3;
    switch (Column) {
    case 1: return TDwnEditor::Mode;
    case 2:
        if (!engine_.CompressEnabled()) {
            // No parameter sets in this type.
            engine_.Message(engine_.TextLines(0, 20), dblOk, dmiInformation);
            return TDwnEditor::None;
        }
        return TDwnEditor::Set;
    case 7: return TDwnEditor::Remark;
    default:
        if (line->IsUserStep() || (!line->Para && ChangeProperties))
            return TDwnEditor::InputBox;
        return line->IsBlank() ? TDwnEditor::None : TDwnEditor::Value;
    }
}

// ---------------------------------------------------------------- callbacks

void TDwnEdit::ChangePara(int32_t Value)
{
    if (engine_.Transferring())
        return;
    // The line the value editor shows: the one marked line.
    TDwnEntry* line = nullptr;
    for (int i = 0; i < view_.Count(); ++i)
        if (view_.Line(i)->Selected) {
            if (line)
                return;
            line = view_.Line(i);
        }
    if (!line || !line->Para)
        return;
    if (!engine_.CompressEnabled() && !DwnFits16Bit(*line->Para, Value)) {
        const TVortalinText* t = engine_.Texts();
        engine_.Message({t ? t->GetErrorText(3) : QStringLiteral("Error Code 3")}, dblOk, dmiError);
        return;
    }
    line->Value = Value;
    engine_.Modified = true;
    rowsChanged();
}

void TDwnEdit::ChangeSet(int16_t Sel)
{
    if (engine_.Transferring())
        return;
    for (const TDwnEntryPtr& e : engine_.Lines)
        if (e->Selected && e->Para && e->SetMask != Sel) {
            e->SetMask = Sel;
            engine_.Modified = true;
        }
    rowsChanged();
}

void TDwnEdit::ChangeNote(const QString& Text)
{
    if (engine_.Transferring())
        return;
    for (const TDwnEntryPtr& e : engine_.Lines)
        if (e->Selected)
            e->Note = Text.left(kDwnNoteLen);
    engine_.Modified = true;
    rowsChanged();
}

void TDwnEdit::ChangeMode(int Mode)
{
    if (engine_.Transferring() || Mode < DwnMode::RW || Mode > DwnMode::WO)
        return;
    // Blank lines and user steps keep theirs.
    for (const TDwnEntryPtr& e : engine_.Lines)
        if (e->Selected && e->Mode <= DwnMode::WO)
            e->Mode = uint8_t(Mode);
    engine_.Modified = true;
    rowsChanged();
}

void TDwnEdit::EnterPara(int16_t Address)
{
    if (engine_.Transferring())
        return;
    const int at = view_.CurrentLine() >= 0 ? view_.CurrentLine() : view_.Count() - 1;
    std::shared_ptr<TParaRec> para = FindSharedPara(engine_.Cfg(), Address);
    const int mode = TDwnLoadEngine::GetParaMode(para.get());
    engine_.InsertNewLine(at, std::move(para), Address, 0, -1, mode, false, QString());
    engine_.Modified = true;
    view_.SetScrollMax();
    view_.SetPosition(view_.Position + 1);
    rowsChanged();
}

void TDwnEdit::SearchPara(int16_t Address)
{
    if (engine_.Transferring())
        return;
    SearchAdr = Address;
    const int start = view_.CurrentLine() >= 0 ? view_.CurrentLine() + 1 : 0;
    view_.ClearMarks();
    // No wrap-around: a search from the last line finds nothing.
    for (int i = std::max(0, start); i < view_.Count(); ++i) {
        const TDwnEntry* e = view_.Line(i);
        if (!e->IsBlank() && e->Address == Address) {
            engine_.Notify().SelectLine(i);
            return;
        }
    }
    view_.FocusRow = -1;
    rowsChanged();
}

bool TDwnEdit::EnterValue(TDwnEntry& Line, const QString& Entry)
{
    bool ok = false;
    const int32_t n = Entry.trimmed().toInt(&ok);
    if (!ok || engine_.Transferring())
        return false;
    Line.Value = n;
    engine_.Modified = true;
    rowsChanged();
    return true;
}

int16_t TDwnEdit::StartSearch()
{
    if (SearchAdr < 0)
        SearchAdr = 0x7FFF;
    if (const TDwnEntry* e = view_.CurrentEntry())
        SearchAdr = e->Address;
    return SearchAdr;
}

void TDwnEdit::InsertSpecial(int Mode)
{
    const int at = view_.CurrentLine();
    if (at < 0 || engine_.Transferring())
        return;
    engine_.InsertNewLine(at, nullptr, 0, 0, 0, Mode, false, QString());
    view_.SetScrollMax();
    view_.SetPosition(view_.Position + 1);
    engine_.Modified = true;
    rowsChanged();
}

void TDwnEdit::DeleteMarked()
{
    if (!engine_.Transferring())
        engine_.RemoveMarkedLines();
}

void TDwnEdit::MarkAll()
{
    if (engine_.Transferring())
        return;
    engine_.MarkAll();
    rowsChanged();
}

bool TDwnEdit::CheckInvCfgId(int InvAdr, int CfgId)
{
    TVortalinPrj* prj = engine_.Project();
    const TPrjInvRec* inv = prj ? prj->GetInv(InvAdr) : nullptr;
    if (!inv || !inv->Cfg)
        return false;
    if (inv->Cfg->CfgId == CfgId)
        return true;
    if (!engine_.Lines.empty())
        return false;
    engine_.InvAdr = InvAdr;
    engine_.CfgId = inv->Cfg->CfgId;
    engine_.Notify().CaptionChanged();
    engine_.Notify().ContextItemsChanged(engine_.CompressEnabled());
    return true;
}

// ---------------------------------------------------------------- print

TListPrintJob TDwnEdit::PrintJob(const TDwnPrintHead& Head) const
{
    TListPrintJob j;
    j.DialogCaption = engine_.Text(0, 18) + u' ' + engine_.GetShortName();
    j.Title = Head.AppName + QStringLiteral("  ") + Head.Caption;
    j.Footer = engine_.Text(0, 17);
    const QLocale loc;
    j.HeadLines << Head.AppName + u' ' + Head.VersionText;
    const auto cfg = engine_.Cfg();
    j.HeadLines << engine_.Text(3, 51) + u' ' + (cfg ? cfg->GetTypeName() : QString());
    j.HeadLines << engine_.Text(0, 40) + QStringLiteral(": ") + loc.toString(Head.Now, QLocale::ShortFormat);
    if (!engine_.FileName.isEmpty())
        j.HeadLines << engine_.Text(0, 41) + QStringLiteral(": ")
                + loc.toString(QFileInfo(engine_.FileName).lastModified(), QLocale::ShortFormat);
    j.HeadLines << QStringLiteral(" ");
    if (!engine_.Remark.join(QString()).isEmpty())
        j.HeadLines << engine_.Remark << QStringLiteral(" ");
    j.TabPercents = TabWidthsToPercent(Head.ColWidths);
    j.Header = Head.ColCaptions.join(u'\t');
    for (int i = 0; i < view_.Count(); ++i) {
        const TDwnEntry& e = *view_.Line(i);
        auto c = DwnLineColumns(e, engine_.Texts(), Head.TextOptions);
        if (e.IsBlank() || e.IsUserStep())
            for (int k = 0; k < 4; ++k)
                c[size_t(k)] = QStringLiteral(" ");
        QStringList cols{QString::number(i)};
        for (const QString& s : c)
            cols << s;
        j.Rows << cols.join(u'\t');
    }
    return j;
}
