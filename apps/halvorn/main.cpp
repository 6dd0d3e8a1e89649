// Halvorn: the main program. The main window is created first (with the
// objects shared by the whole run), then the splash and the windows around
// it (THalvornWindows), which register their kinds with the main window; the
// main window runs the start-up sequence when the message loop shows it.
#include "mainwin/fmain.h"
#include "mainwin/fsplash.h"
#include "mainwin/halvorn_windows.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The main window ends the program itself (start-up failures, Quit).
    QApplication::setQuitOnLastWindowClosed(false);

    auto* main = new TFMain();
    main->CmdLineParam = QCoreApplication::arguments().value(1);
    main->Splash = new TFSplash();
    auto windows = std::make_unique<THalvornWindows>(*main);

    main->show();
    const int status = app.exec();
    windows.reset();
    delete main;
    return status;
}
