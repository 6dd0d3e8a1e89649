#pragma once

// The far end of a serial line for the targets of the serial drivers: a
// pseudo-terminal whose slave side a driver opens as a COM port, and the
// program on a virtual clock. The time stands while the target sends and
// reads; the target waits for the line's work (every byte on its way taken
// and handled, what that posted run), never for time. Only RunUntil lets
// the time move, so a request that nothing answers ends at its time-out in
// no real time.

#include "fuzz_support.h"
#include "platform/clock.h"
#include "platform/virtual_clock.h"
#include "sim/sim_pty.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace qelfuzz {

// The program clock of the run; made once, after the application.
inline qel::TVirtualClock& virtualClock()
{
    app();
    static qel::TVirtualClock* clock = [] {
        auto* c = new qel::TVirtualClock;
        c->SetGate([] { return true; }); // held, until RunUntil lets it go
        return c;
    }();
    return *clock;
}

// A broken promise of the code under test: says what and stops the run.
[[noreturn]] inline void broken(const char* what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

class TFuzzLine {
public:
    // Opens a pseudo-terminal and maps COM<com> to its slave side.
    explicit TFuzzLine(int com)
    {
        virtualClock();
        QString error;
        if (!FPty.open({}, &error))
            broken("no pseudo-terminal");
        qputenv(QStringLiteral("QEL_COM%1").arg(com).toLatin1().constData(), FPty.path().toLocal8Bit());
    }

    // What the driver has sent, once everything it put on its way has left
    // the port (the transmitter-empty event handled too).
    QByteArray Take()
    {
        QByteArray got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            pollfd p{FPty.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, 1) > 0 && (p.revents & POLLIN)) {
                char buf[256];
                const ssize_t n = ::read(FPty.masterFd(), buf, sizeof buf);
                if (n > 0) {
                    qel::LineFlow(-long(n));
                    got.append(buf, qsizetype(n));
                }
            }
            QCoreApplication::sendPostedEvents();
            if (qel::LineInFlight() == 0)
                return got;
            if (std::chrono::steady_clock::now() > until)
                broken("the driver's frame never left the port");
        }
    }

    // Puts bytes on the line as one burst and waits until the driver has
    // handled them and what that posted has run.
    void Send(const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            return;
        qel::LineFlow(long(bytes.size()));
        qsizetype off = 0;
        while (off < bytes.size()) {
            const ssize_t n = ::write(FPty.masterFd(), bytes.constData() + off, size_t(bytes.size() - off));
            if (n > 0) {
                off += n;
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                broken("the line does not take bytes");
            } else {
                pollfd p{FPty.masterFd(), POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        }
        Settle();
    }

    // Until nothing is on its way and nothing is posted.
    static void Settle()
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            QCoreApplication::sendPostedEvents();
            if (qel::LineInFlight() == 0) {
                QCoreApplication::sendPostedEvents();
                if (qel::LineInFlight() == 0)
                    return;
            }
            if (std::chrono::steady_clock::now() > until)
                broken("bytes on the line were never handled");
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    }

    // Runs the program, its time moving, until `done` holds (a time-out of
    // a few seconds of program time takes no real time).
    static void RunUntil(const std::function<bool()>& done)
    {
        auto& clock = virtualClock();
        clock.SetGate({});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!done()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (std::chrono::steady_clock::now() > until)
                broken("the request never ended");
        }
        clock.SetGate([] { return true; });
    }

private:
    qelsim::SimPty FPty;
};

} // namespace qelfuzz
