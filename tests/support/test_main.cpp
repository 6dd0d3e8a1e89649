// Shared main of every test executable: one QApplication on the offscreen
// platform, so that window tests run without a display and event-loop
// based code (timers, posted events, sockets) works as in the programs.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// Each test process gets folders of its own for what the programs keep in
// the user's environment - the settings store, the single-instance locks,
// temporary files - so that tests running side by side (ctest -j runs each
// case in a process of its own) never meet in them, and no test touches the
// settings of the user who runs it.
bool usePrivateFolders(const QTemporaryDir& root)
{
    if (!root.isValid())
        return false;
    const QDir base(root.path());
    for (const char* sub : {"run", "config"}) {
        if (!base.mkpath(QString::fromLatin1(sub)))
            return false;
    }
    // Qt and the lock code expect a runtime folder only its owner can enter.
    QFile::setPermissions(base.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base.filePath(QStringLiteral("run"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base.filePath(QStringLiteral("config"))));
    // Temporary files go in the folder itself: a short path, as window
    // captions show file names.
    qputenv("TMPDIR", QFile::encodeName(root.path()));
    qunsetenv("QEL_REGISTRY");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Made before the private TMPDIR is set, in the folder the runner gave.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/q-XXXXXX"));
    if (!usePrivateFolders(root)) {
        std::fprintf(stderr, "cannot make the test's private folders under %s\n",
                     qPrintable(QDir::tempPath()));
        return 2;
    }
    QApplication app(argc, argv);
    // As in both programs: closing the last visible window (a splash, a
    // dialog a test answered) must not post a quit, which would end every
    // event loop a later wait runs.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
