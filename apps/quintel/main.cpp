// Quintel: one inverter's Quintel mode. The main window runs the start-up
// when the message loop first shows it; everything after that is its
// timer cycle.
#include "dialogs/print_form.h"
#include "dialogs/text_fit.h"
#include "dialogs/progress_window.h"
#include "lists/val_edit.h"
#include "platform/settings_store.h"
#include "quintel/cp_dialogs_ui.h"
#include "quintel/cp_form.h"
#include "quintel/cp_settings_dlg.h"
#include "quintel/sel_mode.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quintel"));
    // Closing the window is the Quit command; only Quit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Window layouts are measured for narrower fonts: texts grow their controls.
    InstallTextFit();

    SettingsStore store(SettingsStore::defaultPath());
    TCpDialogsUi ui;
    auto* form = new TForm1(store, ui);
    ui.Main = form;
    ui.SelMode = new TSelMode(form);
    ui.SettingsDlg = new TCPsettings(form);
    ui.ValEdit = new TfrmValEdit(form);
    ui.ValEdit->Core().ShowDecValue = true;
    ui.PrintForm = new TFrmvortalinprint(form);
    ui.Progress = new TProgress(form);
    ui.Progress->setWindowFlag(Qt::Window);
    form->OnTextsLoaded = [&ui, form](const TVortalinText& texts) {
        ui.ApplyTexts(texts);
        ui.SetLanguage(form->Program().Settings.Proglng);
        ui.PrintForm->SetDataPath(form->Program().Settings.DataPath);
    };
    form->show();
    const int status = app.exec();
    delete form;
    return status;
}
