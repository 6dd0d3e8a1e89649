#pragma once

// What the benchmarks share: the command line, running the event loop for a
// time, a simulator paced like a real line and the line's own limit.

#include "sim/sim_din_pty_server.h"

#include <QByteArray>
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

// Characters on a paced line: start bit, 8 data bits, stop bit.
constexpr int kBitsPerChar = 10;

// Windows shown by a benchmark go offscreen unless a platform is chosen;
// call before the application object is made.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The value of `--seconds S`, no less than `least`; `fallback` without it.
inline double secondsOption(int argc, char** argv, double fallback, double least)
{
    double seconds = fallback;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds")
            seconds = std::max(least, std::atof(argv[i + 1]));
    return seconds;
}

inline void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds or `seconds` have passed, looking
// every `stepSeconds`; whether `done` held.
inline bool runUntil(const std::function<bool()>& done, double seconds, double stepSeconds = 0.05)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && Clock::now() < end)
        runFor(stepSeconds);
    return done();
}

// The simulator answers at the pace of a line of `baud`: kBitsPerChar bits a
// character, no turnaround.
inline void paceLine(qelsim::SimDinPtyServer& server, int baud)
{
    server.setBaudRate(baud);
    server.setCharBits(kBitsPerChar);
    server.setTurnaroundMs(0);
}

// The characters that crossed the line since the simulator's log was
// cleared: the request frames it received and the answers it sent.
inline qint64 lineChars(const qelsim::SimDinPtyServer& server)
{
    qint64 chars = 0;
    for (const QByteArray& b : server.receivedFrames())
        chars += b.size();
    for (const QByteArray& b : server.sentChunks())
        chars += b.size();
    return chars;
}

// Exchanges per second a line of `baud` allows at `charsPerExchange`.
inline double lineLimit(int baud, double charsPerExchange)
{
    return baud / (kBitsPerChar * charsPerExchange);
}

// The simulator as a program of its own, which prints its pseudo-terminal's
// path as its first line; ended when this goes.
struct InvsimProcess {
    QProcess proc;
    QString pty;

    bool start(const QString& program, const QStringList& args)
    {
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start(program, args);
        if (!proc.waitForStarted(10000))
            return false;
        while (!proc.canReadLine())
            if (!proc.waitForReadyRead(10000))
                return false;
        pty = QString::fromLatin1(proc.readLine()).trimmed();
        return !pty.isEmpty();
    }
    ~InvsimProcess()
    {
        proc.terminate();
        if (!proc.waitForFinished(5000))
            proc.kill();
        proc.waitForFinished();
    }
};

}  // namespace bench
