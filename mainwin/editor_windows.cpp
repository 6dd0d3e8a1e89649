#include "mainwin/editor_windows.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/list_interaction_dlg.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/window_tools.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TEditorWindows::TEditorWindows(TVortalinClpBrd* ClpBrd, IMainForm* Main)
{
    adrEdit_ = std::make_unique<TfrmAdrEdit>();
    setEdit_ = std::make_unique<TfrmSetEdit>();
    remEdit_ = std::make_unique<TfrmRemEdit>();
    remEdit_->SetMainForm(ClpBrd, Main);
    valEdit_ = std::make_unique<TfrmValEdit>();
    // The editor's own messages (write errors) with the program's dialog.
    valEdit_->Core().SetInteraction(std::make_shared<TListInteractionDlg>(valEdit_.get()));
    print_ = std::make_unique<TFrmvortalinprint>();
    modeEdit_ = std::make_unique<TfrmModeEdit>();
}

TEditorWindows::~TEditorWindows()
{
    modeEdit_.reset();
    print_.reset();
    valEdit_.reset();
    remEdit_.reset();
    setEdit_.reset();
    adrEdit_.reset();
}

void TEditorWindows::SetUp(const TVortalinText& t, const TProgCfg& cfg, TVortalinPrj* Prj, TScheduler* Sch)
{
    const QString ok = t.GetText(0, 6);
    const QString cancel = t.GetText(0, 7);
    {
        TfrmValEdit* v = valEdit_.get();
        v->Connect(Sch, Prj);
        TValEditCore& c = v->Core();
        c.Texts = &t;
        // What button list 1 holds once the start-up has filled it.
        c.OkButtons = {QStringLiteral("0") + ok};
        v->SetLanguage(cfg.lng);
        c.Separator = cfg.Separator.isEmpty() ? QChar(u'+') : cfg.Separator.at(0);
        c.ShowDecValue = cfg.ShowDecValue;
        c.CloseOnOK = cfg.CloseOnOK;
        c.CloseOnCancel = cfg.CloseOnCancel;
        v->SetOkText(ok);
        v->SetCancelText(cancel);
        v->SetCaptionText(t.GetText(5, 3));
    }
    {
        TfrmAdrEdit* a = adrEdit_.get();
        a->SetProject(Prj);
        a->SetLanguage(cfg.lng);
        a->CloseOnOK = cfg.CloseOnOK;
        a->CloseOnCancel = cfg.CloseOnCancel;
        a->SetOkText(ok);
        a->SetCancelText(cancel);
        a->SetCaptionText(t.GetText(5, 1));
        a->SetDirectText(t.GetText(0, 32));
        a->SetListText(t.GetText(0, 33));
    }
    {
        TfrmSetEdit* s = setEdit_.get();
        s->CloseOnOK = cfg.CloseOnOK;
        s->CloseOnCancel = cfg.CloseOnCancel;
        s->SetOkText(ok);
        s->SetCancelText(cancel);
        s->SetCaptionText(t.GetText(5, 2));
        s->SetEnhancedText(t.GetText(0, 36));
        s->SetActualText(t.GetText(0, 37));
        s->SetIndirectText(t.GetText(0, 38));
        s->SetAllText(t.GetText(0, 31));
    }
    {
        TfrmRemEdit* r = remEdit_.get();
        r->CloseOnOK = cfg.CloseOnOK;
        r->CloseOnCancel = cfg.CloseOnCancel;
        r->SetOkText(ok);
        r->SetCancelText(cancel);
        r->SetCaptionText(t.GetText(5, 4));
    }
    {
        TfrmModeEdit* m = modeEdit_.get();
        m->CloseOnOK = cfg.CloseOnOK;
        m->CloseOnCancel = cfg.CloseOnCancel;
        m->SetOkText(ok);
        m->SetCancelText(cancel);
        m->SetCaptionText(QStringLiteral("Edit download mode"));
    }
}

void TEditorWindows::HandTo(TWindowTools& Tools) const
{
    Tools.ValEdit = ValEdit();
    Tools.SetEdit = SetEdit();
    Tools.AdrEdit = AdrEdit();
    Tools.RemEdit = RemEdit();
    Tools.ModeEdit = ModeEdit();
    Tools.Print = Print();
}

void TEditorWindows::SetUpPrintWindow(const TVortalinText& t, const TProgCfg& cfg)
{
    TFrmvortalinprint* p = print_.get();
    p->Setprtbtn->setText(t.GetText(6, 0));
    p->SetFontBtn->setText(t.GetText(6, 1));
    p->printbtn->setText(t.GetText(0, 6));
    p->cancelbtn->setText(t.GetText(0, 7));
    p->GroupBox1->setTitle(t.GetText(6, 2));
    p->GroupBox2->setTitle(t.GetText(6, 3));
    p->GroupBox3->setTitle(t.GetText(6, 4));
    p->Label2->setText(t.GetText(6, 5));
    p->Label3->setText(t.GetText(6, 6));
    // Printed without a printer, a job becomes a PDF file in the data folder.
    p->SetDataPath(cfg.DataPath);
}

void TEditorWindows::SettingsChanged(const TProgCfg& cfg)
{
    valEdit_->SetLanguage(cfg.lng);
    valEdit_->Core().ShowDecValue = cfg.ShowDecValue;
    adrEdit_->SetLanguage(cfg.lng);
}
