// The download-list window's side of editing: it opens the shared editors
// and dialogs that the list's editing (TDwnEdit) names, keeps the memo's
// own commands, and hands copies, pastes, drags and drops to the list.

#include "lists/dwn_load.h"

#include "config/drag_drop.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/drag_exec.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/dwn_load_env.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "project/vortalin_prj.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>

// ---------------------------------------------------------------- editors

void TDwnLoad::SetDialogBoxes()
{
    const TDwnLoadShared& sh = DwnLoadShared();
    const QPointer<TDwnLoad> self(this);
    if (sh.AdrEdit && sh.AdrEdit->isVisible()) {
        if (edit_.SearchAdr < 0)
            sh.AdrEdit->EditAddress(engine_->InvAdr, edit_.InsertLabel(), false,
                                    [self](int16_t a) { if (self) self->EnterPara(a); }, 0x7FFF);
        else
            sh.AdrEdit->EditAddress(engine_->InvAdr, edit_.SearchLabel(), true,
                                    [self](int16_t a) { if (self) self->SearchPara(a); }, edit_.SearchAdr);
    }
    const TDwnEditTarget t = edit_.Target();
    if (sh.ValEdit && sh.ValEdit->isVisible()) {
        if (t.Marked == 1 && t.Line->Para)
            sh.ValEdit->EditValue(0, engine_->InvAdr, t.Line->Para, t.Label, t.Line->Value,
                                  [self](int32_t v) { if (self) self->ChangePara(v); });
        else
            sh.ValEdit->EditValue(0, -1, nullptr, QString(), 0, nullptr);
    }
    if (sh.SetEdit && sh.SetEdit->isVisible()) {
        if (t.Marked)
            sh.SetEdit->EditSet(t.Line->SetMask, t.Label, [self](int16_t s) { if (self) self->ChangeSet(s); });
        else
            sh.SetEdit->EditSet(0, QString(), nullptr);
    }
    if (sh.RemEdit && sh.RemEdit->isVisible()) {
        if (t.Marked)
            sh.RemEdit->EditRemark(t.Line->Note, t.Label, [self](const QString& s) { if (self) self->ChangeNote(s); });
        else
            sh.RemEdit->EditRemark(QString(), QString(), nullptr);
    }
    if (sh.ModeEdit && sh.ModeEdit->isVisible()) {
        if (t.Marked)
            sh.ModeEdit->EditMode(t.Label, t.Line->Mode, [self](int m) { if (self) self->ChangeMode(m); });
        else
            sh.ModeEdit->EditMode(QString(), 0, nullptr);
    }
}

void TDwnLoad::openForCurrent(int Column)
{
    if (view_.CurrentEntry())
        OpenEditor(Column);
}

void TDwnLoad::inputValue(TDwnEntry& line)
{
    QString v = QString::number(line.Value);
    if (InputBox && InputBox(text(5, 3), line.Note, v))
        edit_.EnterValue(line, v);
}

void TDwnLoad::OpenEditor(int Column)
{
    const TDwnLoadShared& sh = DwnLoadShared();
    const QPointer<TDwnLoad> self(this);
    const TDwnEditor editor = edit_.EditorFor(Column, ProgCfg && ProgCfg->ChangeDownloadProperties);
    TDwnEntry* line = view_.CurrentEntry();
    const QString label = edit_.Target().Label;
    switch (editor) {
    case TDwnEditor::None: return;
    case TDwnEditor::InputBox: inputValue(*line); return;
    case TDwnEditor::Address:
        if (sh.AdrEdit)
            sh.AdrEdit->EditAddress(engine_->InvAdr, edit_.InsertLabel(), false,
                                    [self](int16_t a) { if (self) self->EnterPara(a); }, 0x7FFF);
        break;
    case TDwnEditor::Mode:
        if (sh.ModeEdit)
            sh.ModeEdit->EditMode(label, line->Mode, [self](int m) { if (self) self->ChangeMode(m); });
        break;
    case TDwnEditor::Set:
        if (sh.SetEdit)
            sh.SetEdit->EditSet(line->SetMask, label, [self](int16_t s) { if (self) self->ChangeSet(s); });
        break;
    case TDwnEditor::Remark:
        if (sh.RemEdit)
            sh.RemEdit->EditRemark(line->Note, label, [self](const QString& t) { if (self) self->ChangeNote(t); });
        break;
    case TDwnEditor::Value:
        if (sh.ValEdit)
            sh.ValEdit->EditValue(0, engine_->InvAdr, line->Para, label, line->Value,
                                  [self](int32_t v) { if (self) self->ChangePara(v); });
        break;
    }
    SetDialogBoxes();
}

void TDwnLoad::DoSearch()
{
    const int16_t start = edit_.StartSearch();
    if (TfrmAdrEdit* a = DwnLoadShared().AdrEdit)
        a->EditAddress(engine_->InvAdr, QString(), false, nullptr, start);
    SetDialogBoxes();
}

void TDwnLoad::Parametereinf1Click()
{
    edit_.SearchAdr = -1;
    const QPointer<TDwnLoad> self(this);
    if (TfrmAdrEdit* a = DwnLoadShared().AdrEdit)
        a->EditAddress(engine_->InvAdr, edit_.InsertLabel(), false,
                       [self](int16_t adr) { if (self) self->EnterPara(adr); }, 0);
}

// ---------------------------------------------------------------- commands

void TDwnLoad::DoDelete()
{
    if (MemoActive())
        Memo1->textCursor().removeSelectedText();
    else
        edit_.DeleteMarked();
}

void TDwnLoad::DoMarkAll()
{
    if (MemoActive())
        Memo1->selectAll();
    else
        edit_.MarkAll();
}

void TDwnLoad::DoCopy()
{
    if (MemoActive()) {
        Memo1->copy();
        return;
    }
    if (!ClpBrd)
        return;
    if (auto content = edit_.CopyMarked(model_->Options))
        ClpBrd->SetIntClpBrd(std::move(content));
}

void TDwnLoad::DoPaste()
{
    if (MemoActive()) {
        Memo1->paste();
        return;
    }
    if (const TIntClpBrd* c = ClpBrd ? ClpBrd->Content() : nullptr)
        edit_.PasteContent(*c);
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
    TFrmvortalinprint* p = DwnLoadShared().Print;
    if (!p)
        return;
    TDwnPrintHead head;
    if (ProgCfg) {
        head.AppName = ProgCfg->AppName;
        head.VersionText = ProgCfg->VersionText;
    }
    head.Caption = GetCaptionText(false);
    head.Now = QDateTime::currentDateTime();
    for (int c = 0; c < kDwnColCount; ++c) {
        head.ColWidths << ListView1->horizontalHeader()->sectionSize(c);
        head.ColCaptions << model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    head.TextOptions = model_->Options;
    PrintListJob(*p, edit_.PrintJob(head));
}

// ---------------------------------------------------------------- drag and drop

void TDwnLoad::ListView1StartDrag()
{
    if (DragDrop && edit_.StartDrag(*DragDrop, ListView1))
        ExecDrag(*DragDrop, ListView1);
}

bool TDwnLoad::ListView1DragOver(const QMimeData* Data) const
{
    return DragDrop && edit_.AcceptsDrop(*DragDrop, Data, ListView1);
}

bool TDwnLoad::ListView1DragDrop(const QMimeData* Data, int Row)
{
    return DragDrop && edit_.Drop(*DragDrop, Data, ListView1, Row);
}
