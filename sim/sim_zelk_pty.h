#pragma once

// A simulated inverter on a point-to-point binary-telegram (Zelk) line,
// played on a pseudo-terminal. It answers the system's requests and can
// send requests of its own, whose answers it collects.
//
// Answers are scheduled, not waited for: several requests may be
// outstanding, and an answer delayed by a fault lets later answers pass it.
//
// Request numbers: the side that is master puts the numbers of its
// requests in the high nibble of byte 0, the slave in the low nibble; an
// answer carries its number in the nibble of the request it answers.

#include "sim/sim_pty.h"
#include "sim/sim_server_base.h"
#include "sim/sim_zelk_telegram.h"

#include <deque>
#include <map>
#include <optional>

namespace qelsim {

class SimZelkPty : public SimServerBase {
public:
    SimZelkPty();
    ~SimZelkPty() override;

    // The simulator's role on the line (default: slave, the system is
    // master). Set before start.
    void setMaster(bool simIsMaster) { master_ = simIsMaster; }

    bool start(const QString& linkPath = {}, QString* error = nullptr);
    QString path() const { return pty_.path(); }

    // Sends a request of the inverter to the system; returns its request
    // number (1..15 in turn), or -1 when the service has no layout.
    int sendRequest(int service, bool isWrite, const SimData& data);
    // Sends bytes as they are (for broken telegrams).
    void sendRaw(const QByteArray& bytes);

    // Telegrams received from the system, decoded: its requests and its
    // answers to the simulator's requests, in arrival order.
    QList<zelk::Telegram> receivedRequests() const;
    QList<zelk::Telegram> receivedAnswers() const;
    // The last answer with this request number.
    std::optional<zelk::Telegram> answerTo(int number) const;

protected:
    int productLineRate() const override { return pty_.lineRate(); }
    int lineFd() const override { return pty_.masterFd(); }

private:
    void run();
    void onBytes(const QByteArray& bytes);
    void onTelegram(const QByteArray& raw, std::chrono::steady_clock::time_point requestEnd);
    void schedule(const std::vector<SimChunk>& chunks, std::chrono::steady_clock::time_point requestEnd);
    void sendDue();

    SimPty pty_;
    std::atomic<bool> master_{false};
    int wakeFd_ = -1;
    zelk::StreamReader reader_;
    std::chrono::steady_clock::time_point lastRx_{};
    std::chrono::steady_clock::time_point rxFirst_{};
    std::multimap<std::chrono::steady_clock::time_point, QByteArray> scheduled_; // server thread only

    mutable std::mutex mutex_;
    std::deque<QByteArray> outgoing_;
    int nextNumber_ = 1;
    QList<zelk::Telegram> requests_;
    QList<zelk::Telegram> answers_;
};

} // namespace qelsim
