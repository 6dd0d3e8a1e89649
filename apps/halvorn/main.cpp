// Halvorn: the main program. The main window is created first; it runs the
// start-up sequence when the message loop shows it.
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"
#include "mainwin/fsplash.h"

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
    // The editors and the print window; the choice and explorer windows,
    // scope, progress, project and fieldbus windows are created here as they
    // join the program (see mainwin/later_windows.h).
    auto editors = std::make_unique<TEditorWindows>();
    main->show();
    const int status = app.exec();
    editors.reset();
    delete main;
    return status;
}
