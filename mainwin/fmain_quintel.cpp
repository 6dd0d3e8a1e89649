// The main window's Quintel-mode windows: the menu entry and what the
// windows reach of the main program.
#include "mainwin/fmain.h"

#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "mainwin/editor_windows.h"
#include "lists/val_edit.h"
#include "quintel/cp_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

void TFMain::createQuintelWindows()
{
    Later.ShowQuintelWindow = [this](int Inv, int Lng) -> QWidget* {
        // Until the explorer names the current inverter, the project's first.
        if (!Later.CurrentInv && project_) {
            for (int a = 0; a < kPrjInvCount; ++a)
                if (project_->GetInv(a)) {
                    Inv = a;
                    break;
                }
        }
        TCpWindowEnv& env = CpWindowEnv;
        env.Scheduler = scheduler_;
        env.Project = project_;
        env.Texts = langTexts_.get();
        env.ClpBrd = ClpBrd;
        env.InvSel = FrmInvSel;
        env.MainForm = this;
        env.AppName = progCfg_->AppName;
        env.VersionText = progCfg_->VersionText;
        env.Message = [this](const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                             const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) {
            return ui_->Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
        };
        // The program's single value editor and print window; a main window
        // run without them (tests) gives the windows ones of its own.
        if (!env.ValEdit && frmValEdit)
            env.ValEdit = frmValEdit;
        if (!env.PrintForm && Frmvortalinprint)
            env.PrintForm = Frmvortalinprint;
        const bool ownEditor = !env.ValEdit || env.ValEdit != frmValEdit;
        if (!env.ValEdit)
            env.ValEdit = new TfrmValEdit(this);
        TValEditCore& ed = env.ValEdit->Core();
        if (ownEditor && !ed.Visible) {
            env.ValEdit->Connect(scheduler_, project_);
            env.ValEdit->SetLanguage(Lng);
            ed.Texts = langTexts_.get();
            ed.Separator = progCfg_->Separator.isEmpty() ? QChar(u'+') : progCfg_->Separator.at(0);
            ed.ShowDecValue = progCfg_->ShowDecValue;
            ed.CloseOnOK = progCfg_->CloseOnOK;
            ed.CloseOnCancel = progCfg_->CloseOnCancel;
            env.ValEdit->SetCaptionText(langTexts_->GetText(5, 3));
            env.ValEdit->SetOkText(langTexts_->GetText(0, 6));
            env.ValEdit->SetCancelText(langTexts_->GetText(0, 7));
        }
        if (!env.PrintForm) {
            TFrmvortalinprint* pf = new TFrmvortalinprint(this);
            env.PrintForm = pf;
            const TVortalinText& t = *langTexts_;
            pf->Setprtbtn->setText(t.GetText(6, 0));
            pf->SetFontBtn->setText(t.GetText(6, 1));
            pf->printbtn->setText(t.GetText(0, 6));
            pf->cancelbtn->setText(t.GetText(0, 7));
            pf->GroupBox1->setTitle(t.GetText(6, 2));
            pf->GroupBox2->setTitle(t.GetText(6, 3));
            pf->GroupBox3->setTitle(t.GetText(6, 4));
            pf->Label2->setText(t.GetText(6, 5));
            pf->Label3->setText(t.GetText(6, 6));
        }
        env.PrintForm->SetDataPath(progCfg_->DataPath);
        return ShowQuintelWindow(Inv, Lng);
    };
}

void TFMain::releaseQuintelWindows()
{
    Later.ShowQuintelWindow = nullptr;
    for (auto& w : QuintelWindows)
        delete w.data();
    // The editor and print window are children of this window.
    CpWindowEnv = TCpWindowEnv();
}
