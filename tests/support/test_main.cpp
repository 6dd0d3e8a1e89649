// Shared main of every test executable: one QApplication on the offscreen
// platform, so that window tests run without a display and event-loop
// based code (timers, posted events, sockets) works as in the programs.
#include <QApplication>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As in both programs: closing the last visible window (a splash, a
    // dialog a test answered) must not post a quit, which would end every
    // event loop a later wait runs.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
