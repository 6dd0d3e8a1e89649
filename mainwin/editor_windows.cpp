#include "mainwin/editor_windows.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/list_interaction_dlg.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TfrmAdrEdit* frmAdrEdit = nullptr;
TfrmSetEdit* frmSetEdit = nullptr;
TfrmRemEdit* frmRemEdit = nullptr;
TfrmValEdit* frmValEdit = nullptr;
TFrmvortalinprint* Frmvortalinprint = nullptr;
TfrmModeEdit* frmModeEdit = nullptr;

TEditorWindows::TEditorWindows()
{
    adrEdit_ = std::make_unique<TfrmAdrEdit>();
    frmAdrEdit = adrEdit_.get();
    setEdit_ = std::make_unique<TfrmSetEdit>();
    frmSetEdit = setEdit_.get();
    remEdit_ = std::make_unique<TfrmRemEdit>();
    frmRemEdit = remEdit_.get();
    valEdit_ = std::make_unique<TfrmValEdit>();
    frmValEdit = valEdit_.get();
    // The editor's own messages (write errors) with the program's dialog.
    valEdit_->Core().SetInteraction(std::make_shared<TListInteractionDlg>(valEdit_.get()));
    print_ = std::make_unique<TFrmvortalinprint>();
    Frmvortalinprint = print_.get();
    modeEdit_ = std::make_unique<TfrmModeEdit>();
    frmModeEdit = modeEdit_.get();
}

TEditorWindows::~TEditorWindows()
{
    frmModeEdit = nullptr;
    modeEdit_.reset();
    Frmvortalinprint = nullptr;
    print_.reset();
    frmValEdit = nullptr;
    valEdit_.reset();
    frmRemEdit = nullptr;
    remEdit_.reset();
    frmSetEdit = nullptr;
    setEdit_.reset();
    frmAdrEdit = nullptr;
    adrEdit_.reset();
}

void SetUpEditors(const TVortalinText& t, const TProgCfg& cfg, TVortalinPrj* Prj, TScheduler* Sch)
{
    const QString ok = t.GetText(0, 6);
    const QString cancel = t.GetText(0, 7);
    if (TfrmValEdit* v = frmValEdit) {
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
    if (TfrmAdrEdit* a = frmAdrEdit) {
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
    if (TfrmSetEdit* s = frmSetEdit) {
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
    if (TfrmRemEdit* r = frmRemEdit) {
        // Its record goes to whichever main window exists when it is handed over.
        r->SetMainForm(ClpBrd, [](PTOperatingFuncs Funcs) {
            if (MainSetPrgOpFuncs)
                MainSetPrgOpFuncs(Funcs);
        });
        r->CloseOnOK = cfg.CloseOnOK;
        r->CloseOnCancel = cfg.CloseOnCancel;
        r->SetOkText(ok);
        r->SetCancelText(cancel);
        r->SetCaptionText(t.GetText(5, 4));
    }
    if (TfrmModeEdit* m = frmModeEdit) {
        m->CloseOnOK = cfg.CloseOnOK;
        m->CloseOnCancel = cfg.CloseOnCancel;
        m->SetOkText(ok);
        m->SetCancelText(cancel);
        m->SetCaptionText(QStringLiteral("Edit download mode"));
    }
}

void SetUpPrintWindow(const TVortalinText& t, const TProgCfg& cfg)
{
    TFrmvortalinprint* p = Frmvortalinprint;
    if (!p)
        return;
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

void EditorSettingsChanged(const TProgCfg& cfg)
{
    if (TfrmValEdit* v = frmValEdit) {
        v->SetLanguage(cfg.lng);
        v->Core().ShowDecValue = cfg.ShowDecValue;
    }
    if (frmAdrEdit)
        frmAdrEdit->SetLanguage(cfg.lng);
}
