#pragma once

// What every simulated line has: the inverters it serves, a fault queue
// for the next requests, a log of the frames received, line pacing, and a
// thread of its own that does all the I/O, so that a test blocked in a
// synchronous driver call (a local event loop in the GUI thread) still
// gets its answers.

#include "sim/sim_fault.h"
#include "sim/sim_inverter.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qelsim {

// A piece of an answer: sent `delayMs` after the end of the previous piece
// (the first one: after the end of the request).
struct SimChunk {
    int delayMs = 0;
    QByteArray bytes;
};

class SimServerBase {
public:
    SimServerBase();
    virtual ~SimServerBase();
    SimServerBase(const SimServerBase&) = delete;
    SimServerBase& operator=(const SimServerBase&) = delete;

    // Inverters on this line, by address. A bare inverter is created by
    // the second form.
    void addInverter(const std::shared_ptr<SimInverter>& inv);
    std::shared_ptr<SimInverter> addInverter(int address, int32_t cfgId = 1);
    void removeInverter(int address);
    std::shared_ptr<SimInverter> inverter(int address) const;
    std::vector<int> addresses() const;

    // Faults for the next requests received on this line, whatever their
    // address; an inverter's own queue is asked first.
    SimFaultQueue& faults() { return faults_; }

    // Line pacing: each character takes `charBits` bit times at `baud`
    // (0 = no pacing); an answer starts `turnaroundMs` after the request.
    void setBaudRate(int baud);
    void setCharBits(int bits);
    void setTurnaroundMs(int ms);
    int baudRate() const { return baud_; }

    // Complete request frames (or telegrams) received, and their bytes.
    int requestCount() const;
    QList<QByteArray> receivedFrames() const;
    // Everything sent back, answers and injected bytes alike.
    QList<QByteArray> sentChunks() const;
    void clearLog();

    // Stops the thread; the server cannot be started again.
    void stop();
    bool running() const { return thread_.joinable() && !stop_; }

    // For the protocol responders of a transport.
    void logFrame(const QByteArray& frame);
    // The fault for a request to `address` (for parameter `parAdr`, -1
    // when the request names none).
    SimFault takeFault(int address, int parAdr = -1);
    // Another served inverter than `address` (the next one up), for a
    // foreign answer; none when the line serves only one.
    std::shared_ptr<SimInverter> otherInverter(int address) const;
    std::vector<std::shared_ptr<SimInverter>> allInverters() const;
    int turnaroundMs() const { return turnaround_; }

protected:
    void startThread(std::function<void()> loop);
    bool stopping() const { return stop_; }
    int stopFd() const { return stopFd_; }
    // Waits, but returns false at once when the server stops.
    bool sleepUntil(std::chrono::steady_clock::time_point t, bool precise = false);
    bool sleepMs(int ms);
    // Waits in real time (nothing on the line to wait for), but returns
    // false at once when the server stops.
    bool idleMs(int ms);

    // Sends the chunks through `write`, paced; the first chunk starts no
    // earlier than `requestEnd`.
    using Writer = std::function<void(const QByteArray&)>;
    void transmit(const std::vector<SimChunk>& chunks, std::chrono::steady_clock::time_point requestEnd,
                  const Writer& write, bool pacePerChar);
    // One character's time on the line (bits / baud), exact to the
    // nanosecond: rounded to whole microseconds the simulated line would
    // run up to one per cent fast.
    std::chrono::nanoseconds charTime() const;
    // The rate the product has set on the line, 0 when unknown: on program
    // time (sim_clock.h) a line without pacing of its own takes the
    // character times of that rate, so that an exchange takes time.
    virtual int productLineRate() const { return 0; }
    // The descriptor the line's requests are read from (-1: none). On
    // program time, what arrives there while the line's thread sleeps
    // through an answer is taken at once and kept (asleepBytes), as it
    // waits for the thread, not the other way round.
    virtual int lineFd() const { return -1; }
    // What was taken while asleep, to be handled as received now.
    QByteArray takeAsleepBytes();
    // Hands what was taken while asleep to `handle` until none is left.
    void handleAsleepBytes(const Writer& handle);
    // Bytes read from the line, handed to `handle`, then what came while
    // it sent the answer. On program time they count as under way until
    // then, so that their answer is sent before the next read
    // (sim_clock.h).
    void handleReceived(const QByteArray& bytes, const Writer& handle);

private:
    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<SimInverter>> inverters_;
    SimFaultQueue faults_;
    QList<QByteArray> frames_;
    QList<QByteArray> sent_;
    int requests_ = 0;
    std::atomic<int> baud_{0};
    std::atomic<int> charBits_{10};
    std::atomic<int> turnaround_{0};
    std::atomic<bool> stop_{false};
    int stopFd_ = -1;
    std::thread thread_;
    QByteArray asleep_; // the line's thread only

    void takeWhileAsleep();
};

} // namespace qelsim
