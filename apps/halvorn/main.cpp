// Halvorn: the main program. The main window is created first; it runs the
// start-up sequence when the message loop shows it.
#include "mainwin/fmain.h"
#include "mainwin/fsplash.h"
#include "mainwin/op_para_plug.h"
#include "mainwin/prj_expl_plug.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The main window ends the program itself (start-up failures, Quit).
    QApplication::setQuitOnLastWindowClosed(false);

    auto* main = new TFMain();
    main->CmdLineParam = QCoreApplication::arguments().value(1);
    main->Splash = new TFSplash();
    // The editors, choice and explorer windows, scope, progress, print,
    // project and fieldbus windows are created here as they join the program
    // (see mainwin/later_windows.h).
    PlugOpParaAndPrjEdit(*main);
    PlugPrjExpl(*main);
    main->show();
    const int status = app.exec();
    delete main;
    return status;
}
