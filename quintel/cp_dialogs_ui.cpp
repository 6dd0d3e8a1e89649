#include "quintel/cp_dialogs_ui.h"

#include "config/lang_texts.h"
#include "dialogs/file_dlg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/message_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/print_tab_widths.h"
#include "dialogs/progress_window.h"
#include "dialogs/qt_translations.h"
#include "lists/val_edit.h"
#include "quintel/cp_settings_dlg.h"
#include "quintel/sel_mode.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

void TCpDialogsUi::ApplyTexts(const TVortalinText& t)
{
    // The file dialogs' titles: the Open and Save hints.
    SetFileDlgTitles(t.GetText(2, 3), t.GetText(2, 1));
    if (SettingsDlg) {
        SettingsDlg->setWindowTitle(t.GetText(2, 6));
        QLabel* labels[] = {SettingsDlg->Label1, SettingsDlg->Label2, SettingsDlg->Label3, SettingsDlg->Label4,
                            SettingsDlg->Label5};
        for (int i = 0; i < 5; ++i)
            labels[i]->setText(t.GetText(3, i));
        SettingsDlg->OkBtn->setText(t.GetText(0, 5));
        SettingsDlg->CancelBtn->setText(t.GetText(0, 7));
    }
    if (SelMode) {
        SelMode->setWindowTitle(t.GetText(2, 5));
        SelMode->Label1->setText(t.GetText(0, 0));
        SelMode->OkBtn->setText(t.GetText(0, 5));
        SelMode->CancelBtn->setText(t.GetText(0, 7));
    }
    if (ValEdit) {
        ValEdit->SetCaptionText(t.GetText(0, 6));
        ValEdit->SetOkText(t.GetText(0, 5));
        ValEdit->SetCancelText(t.GetText(0, 7));
    }
    if (PrintForm) {
        PrintForm->Setprtbtn->setText(t.GetText(1, 0) + QStringLiteral(".."));
        PrintForm->SetFontBtn->setText(t.GetText(1, 1) + QStringLiteral(".."));
        PrintForm->GroupBox1->setTitle(t.GetText(1, 0));
        PrintForm->GroupBox2->setTitle(t.GetText(1, 1));
        PrintForm->GroupBox3->setTitle(t.GetText(1, 3));
        PrintForm->Label2->setText(t.GetText(1, 4));
        PrintForm->Label3->setText(t.GetText(1, 5));
        PrintForm->printbtn->setText(t.GetText(1, 2));
        PrintForm->cancelbtn->setText(t.GetText(0, 7));
    }
}

int TCpDialogsUi::Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                          const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel)
{
    return UserMessageDlg(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
}

void TCpDialogsUi::ErrorBox(const QString& Title, const QString& Text)
{
    QMessageBox::critical(Main, Title, Text);
}

QString TCpDialogsUi::ChooseSaveFile(const QString& InitialDir, const QString& ProposedName)
{
    QFileDialog dlg(Main, QString(), InitialDir, QStringLiteral("CP-files (*.cp5)"));
    PrepareFileDlg(dlg, fdSave, Main);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("cp5"));
    // The program asks about overwriting itself.
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (!ProposedName.isEmpty())
        dlg.selectFile(ProposedName);
    return ExecFileDlg(dlg);
}

QString TCpDialogsUi::ChooseOpenFile(const QString& InitialDir)
{
    QFileDialog dlg(Main, QString(), InitialDir, QStringLiteral("CP-files (*.cp5 *.cpd)"));
    PrepareFileDlg(dlg, fdOpen, Main);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QStringLiteral("cp5"));
    dlg.setOption(QFileDialog::ReadOnly);
    return ExecFileDlg(dlg);
}

void TCpDialogsUi::SetLanguage(int Proglng)
{
    InstallQtTranslations(Proglng);
}

bool TCpDialogsUi::RunSettings(TCpSettings& Settings)
{
    if (!SettingsDlg || SettingsDlg->Execute(Settings) != 1)
        return false;
    // Qt's own texts follow a changed language at once.
    SetLanguage(Settings.Proglng);
    return true;
}

bool TCpDialogsUi::RunSelMode(int& Address, bool Offline)
{
    if (!SelMode)
        return false;
    SelMode->Address = Address;
    SelMode->Offlinebtn->setChecked(Offline);
    SelMode->OnlineBtn->setChecked(!Offline);
    if (SelMode->exec() != 1)
        return false;
    Address = SelMode->Address;
    return true;
}

bool TCpDialogsUi::EditValue(const std::shared_ptr<TParaRec>& Para, const QString& Label, int32_t& Value)
{
    return ValEdit && ValEdit->EditModal(Para, Label, Value) == 1;
}

void TCpDialogsUi::SetEditorLanguage(int Lang)
{
    if (ValEdit)
        ValEdit->SetLanguage(Lang);
}

bool TCpDialogsUi::Print(const TCpPrintJob& Job)
{
    if (!PrintForm || !PrintForm->BeginPrint(Job.Title, Job.Header, Job.PageText))
        return false;
    for (const QString& l : Job.Lines)
        PrintForm->PrintLine(l);
    const QList<int> tabs = TabWidthsToPercent(QList<int>(Job.ColWidths.begin(), Job.ColWidths.end()));
    for (int i = 0; i < tabs.size(); ++i)
        PrintForm->SetTabWidth(i, tabs[i]);
    PrintForm->SetHeader(Job.HeaderLine);
    PrintForm->PrintList(&Job.Rows);
    return PrintForm->EndPrint();
}

void TCpDialogsUi::SetClipboardText(const QString& Text)
{
    QGuiApplication::clipboard()->setText(Text);
}

void TCpDialogsUi::ProgressStart(const QString& Caption, const QString& Text, int Max)
{
    if (!Progress)
        return;
    Progress->SetTexts(Caption, Text, QString());
    Progress->show();
    Progress->Start(Max);
}

void TCpDialogsUi::ProgressStep(int Position)
{
    if (Progress)
        Progress->Step(Position);
}

void TCpDialogsUi::ProgressStop()
{
    if (!Progress)
        return;
    Progress->Stop();
    Progress->hide();
}

void TCpDialogsUi::SetBusyCursor(bool Busy)
{
    if (Busy == FBusy)
        return;
    FBusy = Busy;
    if (Busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TCpDialogsUi::SetProgramIcon(const QString& FileName)
{
    QApplication::setWindowIcon(QIcon(FileName));
}

void TCpDialogsUi::EndProgram()
{
    if (OnEnd) {
        OnEnd();
        return;
    }
    // After the current handler: the window may still be on the stack.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}
