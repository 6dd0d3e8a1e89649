// Editing the lines of a download-list window: the shared editors and
// their callbacks, inserts, search, delete, mark all, the memo's own
// commands, print and adding the file to the project. While a transfer
// runs nothing here changes the lines: the transfer's answers go to the
// lines by index, and a compare keeps its results in the marks.

#include "lists/dwn_load.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/print_form.h"
#include "dialogs/print_tab_widths.h"
#include "lists/adr_edit.h"
#include "dialogs/shared_objects.h"
#include "lists/dwn_load_env.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "project/vortalin_prj.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>

int TDwnLoad::message(const QStringList& Lines, int Buttons, int Icon, const QString& P1)
{
    TDwnMessage m;
    m.Lines = Lines;
    m.Buttons = Buttons;
    m.Title = GetShortName();
    m.Icon = Icon;
    m.P1 = P1;
    return dlg_->Message(m);
}

static QStringList textLines(int s, int i)
{
    const TVortalinText* t = LangTexts;
    const QStringList* l = t ? t->GetStrings(s, i) : nullptr;
    return l ? *l : QStringList{QStringLiteral("???")};
}

static bool changeDownloadProperties()
{
    const TProgCfg* c = ProgCfg;
    return c && c->ChangeDownloadProperties;
}

// ---------------------------------------------------------------- editors

QString TDwnLoad::lineLabel(int& marked, TDwnEntry*& line, int& lineIndex) const
{
    marked = 0;
    line = nullptr;
    lineIndex = 0;
    for (int i = 0; i < view_.Count() && marked < 2; ++i)
        if (view_.Line(i)->Selected) {
            ++marked;
            line = view_.Line(i);
            lineIndex = i;
        }
    if (!marked)
        line = view_.Line(0);
    if (marked == 1 && line->Para)
        return line->Para->GetIdText() + u' ' + line->Para->GetName(engine_->Language) + QStringLiteral("; ")
            + GetShortName() + QStringLiteral("; ") + text(0, 27) + u' ' + QString::number(lineIndex);
    if (marked == 1)
        return GetShortName() + QStringLiteral("; ") + text(0, 27) + u' ' + QString::number(lineIndex);
    if (marked > 1)
        return GetShortName() + QStringLiteral("; ") + text(0, 26);
    return QString();
}

void TDwnLoad::SetDialogBoxes()
{
    const TDwnLoadShared& sh = shared_;
    const QPointer<TDwnLoad> self(this);
    if (sh.AdrEdit && sh.AdrEdit->isVisible()) {
        if (SearchAdr < 0)
            sh.AdrEdit->EditAddress(engine_->InvAdr, text(2, 5) + QStringLiteral("; ") + GetShortName(), false,
                                    [self](int16_t a) { if (self) self->EnterPara(a); }, 0x7FFF);
        else
            sh.AdrEdit->EditAddress(engine_->InvAdr, text(2, 14) + QStringLiteral("; ") + GetShortName(), true,
                                    [self](int16_t a) { if (self) self->SearchPara(a); }, SearchAdr);
    }
    int marked = 0, index = 0;
    TDwnEntry* line = nullptr;
    const QString label = lineLabel(marked, line, index);
    if (sh.ValEdit && sh.ValEdit->isVisible()) {
        if (marked == 1 && line->Para)
            sh.ValEdit->EditValue(0, engine_->InvAdr, line->Para, label, line->Value,
                                  [self](int32_t v) { if (self) self->ChangePara(v); });
        else
            sh.ValEdit->EditValue(0, -1, nullptr, QString(), 0, nullptr);
    }
    if (sh.SetEdit && sh.SetEdit->isVisible()) {
        if (marked)
            sh.SetEdit->EditSet(line->SetMask, label, [self](int16_t s) { if (self) self->ChangeSet(s); });
        else
            sh.SetEdit->EditSet(0, QString(), nullptr);
    }
    if (sh.RemEdit && sh.RemEdit->isVisible()) {
        if (marked)
            sh.RemEdit->EditRemark(line->Note, label, [self](const QString& t) { if (self) self->ChangeNote(t); });
        else
            sh.RemEdit->EditRemark(QString(), QString(), nullptr);
    }
    if (sh.ModeEdit && sh.ModeEdit->isVisible()) {
        if (marked)
            sh.ModeEdit->EditMode(label, line->Mode, [self](int m) { if (self) self->ChangeMode(m); });
        else
            sh.ModeEdit->EditMode(QString(), 0, nullptr);
    }
}

void TDwnLoad::openForCurrent(int Column)
{
    if (!view_.CurrentEntry())
        return;
    OpenEditor(Column);
}

bool TDwnLoad::inputValue(TDwnEntry& line)
{
    QString v = QString::number(line.Value);
    if (!InputBox || !InputBox(text(5, 3), line.Note, v))
        return false;
    bool ok = false;
    const int32_t n = v.trimmed().toInt(&ok);
    if (!ok || Transferring())
        return false;
    line.Value = n;
    engine_->Modified = true;
    FillList(view_.Position);
    return true;
}

void TDwnLoad::OpenEditor(int Column)
{
    const TDwnLoadShared& sh = shared_;
    const QPointer<TDwnLoad> self(this);
    TDwnEntry* line = view_.CurrentEntry();
    if (!line) {
        // An empty row: insert a parameter there.
        SearchAdr = -1;
        if (sh.AdrEdit)
            sh.AdrEdit->EditAddress(engine_->InvAdr, text(2, 5) + QStringLiteral("; ") + GetShortName(), false,
                                    [self](int16_t a) { if (self) self->EnterPara(a); }, 0x7FFF);
        SetDialogBoxes();
        return;
    }
    int marked = 0, index = 0;
    TDwnEntry* looked = nullptr;
    const QString label = lineLabel(marked, looked, index);
    if (Column == 1 && !changeDownloadProperties())
        Column = 3;
    switch (Column) {
    case 1:
        if (sh.ModeEdit)
            sh.ModeEdit->EditMode(label, line->Mode, [self](int m) { if (self) self->ChangeMode(m); });
        break;
    case 2: {
        const auto cfg = engine_->Cfg();
        if (!cfg || !cfg->NewStyle) {
            message(textLines(0, 20), dblOk, dmiInformation);
            return;
        }
        if (sh.SetEdit)
            sh.SetEdit->EditSet(line->SetMask, label, [self](int16_t s) { if (self) self->ChangeSet(s); });
        break;
    }
    case 7:
        if (sh.RemEdit)
            sh.RemEdit->EditRemark(line->Note, label, [self](const QString& t) { if (self) self->ChangeNote(t); });
        break;
    default:
        if (line->IsUserStep() || (!line->Para && changeDownloadProperties())) {
            inputValue(*line);
            return;
        }
        if (line->IsBlank())
            return;
        if (sh.ValEdit)
            sh.ValEdit->EditValue(0, engine_->InvAdr, line->Para, label, line->Value,
                                  [self](int32_t v) { if (self) self->ChangePara(v); });
        break;
    }
    SetDialogBoxes();
}

// ---------------------------------------------------------------- callbacks

void TDwnLoad::ChangePara(int32_t Value)
{
    if (Transferring())
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
    const auto cfg = engine_->Cfg();
    if (!(cfg && cfg->NewStyle) && !DwnFits16Bit(*line->Para, Value)) {
        const TVortalinText* t = LangTexts;
        message({t ? t->GetErrorText(3) : QStringLiteral("Error Code 3")}, dblOk, dmiError);
        return;
    }
    line->Value = Value;
    engine_->Modified = true;
    FillList(view_.Position);
}

void TDwnLoad::ChangeSet(int16_t Sel)
{
    if (Transferring())
        return;
    for (const TDwnEntryPtr& e : engine_->Lines)
        if (e->Selected && e->Para && e->SetMask != Sel) {
            e->SetMask = Sel;
            engine_->Modified = true;
        }
    FillList(view_.Position);
}

void TDwnLoad::ChangeNote(const QString& Text)
{
    if (Transferring())
        return;
    for (const TDwnEntryPtr& e : engine_->Lines)
        if (e->Selected)
            e->Note = Text.left(kDwnNoteLen);
    engine_->Modified = true;
    FillList(view_.Position);
}

void TDwnLoad::ChangeMode(int Mode)
{
    if (Transferring() || Mode < 0 || Mode > 3)
        return;
    for (const TDwnEntryPtr& e : engine_->Lines)
        if (e->Selected && e->Mode < 4)
            e->Mode = uint8_t(Mode);
    engine_->Modified = true;
    FillList(view_.Position);
}

void TDwnLoad::EnterPara(int16_t Address)
{
    if (Transferring())
        return;
    const int at = view_.CurrentLine() >= 0 ? view_.CurrentLine() : view_.Count() - 1;
    std::shared_ptr<TParaRec> para = FindSharedPara(engine_->Cfg(), Address);
    const int mode = TDwnLoadEngine::GetParaMode(para.get());
    engine_->InsertNewLine(at, std::move(para), Address, 0, -1, mode, false, QString());
    engine_->Modified = true;
    SetScrollMax();
    view_.SetPosition(view_.Position + 1);
    FillList(view_.Position);
}

void TDwnLoad::SearchPara(int16_t Address)
{
    if (Transferring())
        return;
    SearchAdr = Address;
    const int start = view_.CurrentLine() >= 0 ? view_.CurrentLine() + 1 : 0;
    view_.ClearMarks();
    for (int i = std::max(0, start); i < view_.Count(); ++i) {
        const TDwnEntry* e = view_.Line(i);
        if (!e->IsBlank() && e->Address == Address) {
            SelectLine(i);
            return;
        }
    }
    view_.FocusRow = -1;
    FillList(view_.Position);
}

void TDwnLoad::DoSearch()
{
    if (SearchAdr < 0)
        SearchAdr = 0x7FFF;
    if (const TDwnEntry* e = view_.CurrentEntry())
        SearchAdr = e->Address;
    if (TfrmAdrEdit* a = shared_.AdrEdit)
        a->EditAddress(engine_->InvAdr, QString(), false, nullptr, SearchAdr);
    SetDialogBoxes();
}

void TDwnLoad::Parametereinf1Click()
{
    SearchAdr = -1;
    const QPointer<TDwnLoad> self(this);
    if (TfrmAdrEdit* a = shared_.AdrEdit)
        a->EditAddress(engine_->InvAdr, text(2, 5) + QStringLiteral("; ") + GetShortName(), false,
                       [self](int16_t adr) { if (self) self->EnterPara(adr); }, 0);
}

void TDwnLoad::insertSpecial(int Mode)
{
    const int at = view_.CurrentLine();
    if (at < 0 || Transferring())
        return;
    engine_->InsertNewLine(at, nullptr, 0, 0, 0, Mode, false, QString());
    SetScrollMax();
    view_.SetPosition(view_.Position + 1);
    FillList(view_.Position);
    engine_->Modified = true;
}

bool TDwnLoad::CheckInvCfgId(int InvAdr, int CfgId)
{
    TVortalinPrj* prj = ::Project;
    const TPrjInvRec* inv = prj ? prj->GetInv(InvAdr) : nullptr;
    if (!inv || !inv->Cfg)
        return false;
    if (inv->Cfg->CfgId == CfgId)
        return true;
    if (!engine_->Lines.empty())
        return false;
    engine_->InvAdr = InvAdr;
    engine_->CfgId = inv->Cfg->CfgId;
    GetCaptionText(true);
    ContextItemsChanged(engine_->CompressEnabled());
    return true;
}

// ---------------------------------------------------------------- commands

void TDwnLoad::DoDelete()
{
    if (MemoActive()) {
        Memo1->textCursor().removeSelectedText();
        return;
    }
    if (Transferring())
        return;
    engine_->RemoveMarkedLines();
}

void TDwnLoad::DoMarkAll()
{
    if (MemoActive()) {
        Memo1->selectAll();
        return;
    }
    if (Transferring())
        return;
    engine_->MarkAll();
    FillList(view_.Position);
}

void TDwnLoad::DoCopy()
{
    if (MemoActive()) {
        Memo1->copy();
        return;
    }
    if (!ClpBrd)
        return;
    auto content = std::make_unique<TIntClpBrd>();
    for (const TDwnEntryPtr& l : engine_->Lines) {
        if (!l->Selected)
            continue;
        TClpBrdItem it;
        it.Kind = l->IsBlank() ? cbkBlank : l->IsUserStep() ? cbkUserStep : engine_->OpList ? cbkOperator : cbkParameter;
        it.InvAdr = engine_->InvAdr;
        it.Address = l->Address;
        it.SetSel = l->SetMask;
        it.Value = l->Value;
        it.ValueValid = true;
        it.Remark = l->Note;
        it.Para = l->Para;
        content->Items.push_back(std::move(it));
        content->Lines << DwnCopyLine(*l, LangTexts, model_->Options);
    }
    if (content->Items.empty())
        return;
    content->Flags = cbfRows;
    ClpBrd->SetIntClpBrd(std::move(content));
}

void TDwnLoad::DoPaste()
{
    if (MemoActive()) {
        Memo1->paste();
        return;
    }
    const TIntClpBrd* c = ClpBrd ? ClpBrd->Content() : nullptr;
    const int at = view_.CurrentLine();
    if (!c || at < 0 || !c->PastesRows())
        return;
    // A copy: a message shown while pasting runs the event loop.
    const std::vector<TClpBrdItem> items = c->Items;
    PasteItems(at, items, c->Flags);
}

void TDwnLoad::DoCut()
{
    if (!MemoActive() && (Transferring() || !ClpBrd))
        return;
    DoCopy();
    DoDelete();
}

void TDwnLoad::MenuAddProjClick()
{
    TVortalinPrj* prj = ::Project;
    if (prj && !engine_->FileName.isEmpty() && prj->FindFile(engine_->FileName) < -1)
        prj->AddFile(engine_->FileName, engine_->InvAdr);
}

void TDwnLoad::DoPrint()
{
    const TDwnLoadShared& sh = shared_;
    TFrmvortalinprint* p = sh.Print;
    if (!p)
        return;
    const QString app = ProgCfg ? ProgCfg->AppName : QString();
    if (!p->BeginPrint(text(0, 18) + u' ' + GetShortName(), app + QStringLiteral("  ") + GetCaptionText(false),
                       text(0, 17)))
        return;
    const QLocale loc;
    p->PrintLine(app + u' ' + (ProgCfg ? ProgCfg->VersionText : QString()));
    const auto cfg = engine_->Cfg();
    p->PrintLine(text(3, 51) + u' ' + (cfg ? cfg->GetTypeName() : QString()));
    p->PrintLine(text(0, 40) + QStringLiteral(": ") + loc.toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    if (!engine_->FileName.isEmpty())
        p->PrintLine(text(0, 41) + QStringLiteral(": ")
                     + loc.toString(QFileInfo(engine_->FileName).lastModified(), QLocale::ShortFormat));
    p->PrintLine(QStringLiteral(" "));
    if (!engine_->Remark.join(QString()).isEmpty()) {
        for (const QString& l : engine_->Remark)
            p->PrintLine(l);
        p->PrintLine(QStringLiteral(" "));
    }
    QList<int> widths;
    QStringList captions;
    for (int c = 0; c < kDwnColCount; ++c) {
        widths << ListView1->horizontalHeader()->sectionSize(c);
        captions << model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    const QList<int> percent = TabWidthsToPercent(widths);
    for (int c = 0; c < kDwnColCount; ++c)
        p->SetTabWidth(c, percent.value(c));
    p->SetHeader(captions.join(u'\t'));
    QStringList lines;
    for (int i = 0; i < view_.Count(); ++i) {
        const TDwnEntry& e = *view_.Line(i);
        auto c = DwnLineColumns(e, LangTexts, model_->Options);
        if (e.IsBlank() || e.IsUserStep())
            for (int k = 0; k < 4; ++k)
                c[size_t(k)] = QStringLiteral(" ");
        QStringList cols{QString::number(i)};
        for (const QString& s : c)
            cols << s;
        lines << cols.join(u'\t');
    }
    p->PrintList(&lines);
    p->EndPrint();
}
