// Halvorn: the main program. The main window is created first; it runs the
// start-up sequence when the message loop shows it.
#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "mainwin/dwn_load_install.h"
#include "mainwin/fmain.h"
#include "mainwin/fsplash.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The main window ends the program itself (start-up failures, Quit).
    QApplication::setQuitOnLastWindowClosed(false);

    auto* main = new TFMain();
    main->CmdLineParam = QCoreApplication::arguments().value(1);
    main->Splash = new TFSplash();
    // The single editors and the print window, shared by the list windows.
    TfrmValEdit valEdit;
    TfrmSetEdit setEdit;
    TfrmAdrEdit adrEdit;
    TfrmModeEdit modeEdit;
    TFrmvortalinprint printForm;
    TDwnLoadShared tools;
    tools.ValEdit = &valEdit;
    tools.SetEdit = &setEdit;
    tools.AdrEdit = &adrEdit;
    tools.ModeEdit = &modeEdit;
    tools.Print = &printForm;
    InstallDwnLoad(*main, tools);
    // The editors, choice and explorer windows, scope, progress, print,
    // project and fieldbus windows are created here as they join the program
    // (see mainwin/later_windows.h).
    main->show();
    const int status = app.exec();
    delete main;
    return status;
}
