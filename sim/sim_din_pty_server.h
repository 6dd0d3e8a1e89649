#pragma once

// Inverters on a DIN 66019 II serial line, played on a pseudo-terminal:
// the product opens the slave path as its serial port.

#include "sim/sim_din_frames.h"
#include "sim/sim_din_responder.h"
#include "sim/sim_pty.h"
#include "sim/sim_server_base.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>

namespace qelsim {

// A dial-up modem in front of the line: it answers "OK" to commands and
// the dial result to the dial command ("ATD..."), and is online after a
// "CONNECT" line until the product closes the port (hang-up).
struct SimModemSettings {
    bool enabled = false;
    bool answerOk = true;                         // false: never "OK"
    bool echo = true;                             // echo command lines (E1)
    QByteArray dialResult = "CONNECT 38400";      // e.g. "BUSY", "NO CARRIER"; empty: silence
    int dialDelayMs = 0;                          // before the dial result
};

class SimDinPtyServer : public SimServerBase {
public:
    SimDinPtyServer();
    ~SimDinPtyServer() override;

    // Opens the pseudo-terminal (and the link, when given) and starts the
    // server thread.
    bool start(const QString& linkPath = {}, QString* error = nullptr);
    // The path the product opens: the link, or the slave device.
    QString path() const { return pty_.path(); }

    void setModem(const SimModemSettings& modem);
    bool modemOnline() const;
    // Command lines the modem received, as sent.
    QStringList modemCommands() const;

    // Answers only while the product has set the line to `bps` (read from
    // the pseudo-terminal's settings through the master side): a request
    // sent at another rate stays unanswered, as on a real line where it
    // would arrive garbled. 0 (the default): any rate.
    void setLineRate(int bps) { lineRate_ = bps; }
    // The rate the product has set on the line now; 0 when unknown.
    int currentLineRate() const;

    // Called (in the server thread) with a readable line for every complete
    // request frame, e.g. "addr=1 service=-1 read par=0x160F answered".
    void setRequestLog(std::function<void(const QString& line)> log);

protected:
    int productLineRate() const override { return currentLineRate(); }
    int lineFd() const override { return pty_.masterFd(); }

private:
    void run();
    void onBytes(const QByteArray& bytes);
    void onModemBytes(const QByteArray& bytes);
    void hangUp();
    void writeLine(const QByteArray& bytes);

    SimPty pty_;
    din::RequestParser parser_;
    SimDinResponder responder_;
    std::chrono::steady_clock::time_point rxFirst_{};

    mutable std::mutex modemMutex_;
    SimModemSettings modem_;
    bool online_ = false;
    QStringList modemLog_;
    QByteArray modemLine_;
    bool hungUp_ = true;

    std::atomic<int> lineRate_{0};
    int lastAddress_ = -1;
    std::mutex logMutex_;
    std::function<void(const QString&)> requestLog_;
};

} // namespace qelsim
