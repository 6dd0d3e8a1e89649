#include "sim/sim_server_base.h"

#include "sim/sim_clock.h"

#include <utility>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

namespace qelsim {

namespace {
constexpr int kMaxLog = 10000;
}

SimServerBase::SimServerBase() : stopFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SimServerBase::~SimServerBase()
{
    stop();
    if (stopFd_ >= 0)
        ::close(stopFd_);
}

void SimServerBase::stop()
{
    stop_ = true;
    if (stopFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void SimServerBase::startThread(std::function<void()> loop)
{
    thread_ = std::thread([loop = std::move(loop)] {
        // The pacing waits end when a character is due, not up to the
        // default 50 us of timer slack later.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        loop();
    });
}

bool SimServerBase::sleepUntil(std::chrono::steady_clock::time_point t, bool precise)
{
    // Waking from a sleep takes some tens of microseconds even with the
    // smallest timer slack; a precise wait sleeps to this much before the
    // time and spins the rest.
    constexpr auto kSpin = std::chrono::microseconds(250);
    if (SimClock* c = simClock())
        return c->sleepUntil(t, stop_, [this] { takeWhileAsleep(); });
    for (;;) {
        if (stop_)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= t)
            return true;
        if (precise && t - now <= kSpin) {
            while (std::chrono::steady_clock::now() < t) {
            }
            return !stop_;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(t - now);
        if (left < std::chrono::milliseconds(2)) {
            // Absolute on the monotonic clock (steady_clock's), so a late
            // wake-up does not add to the next character's time.
            const auto wake = precise ? t - kSpin : t;
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wake.time_since_epoch()).count();
            const timespec ts{time_t(ns / 1000000000), long(ns % 1000000000)};
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
            continue;
        }
        pollfd p{stopFd_, POLLIN, 0};
        ::poll(&p, 1, int(left.count() / 1000) - 1);
    }
}

bool SimServerBase::sleepMs(int ms)
{
    return sleepUntil(simNow() + std::chrono::milliseconds(ms));
}

void SimServerBase::takeWhileAsleep()
{
    const int fd = lineFd();
    if (fd < 0)
        return;
    char buf[512];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN))
            return;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return;
        asleep_.append(buf, int(n));
        simFlow(-n);
    }
}

QByteArray SimServerBase::takeAsleepBytes()
{
    return std::exchange(asleep_, QByteArray());
}

void SimServerBase::handleAsleepBytes(const Writer& handle)
{
    for (QByteArray more = takeAsleepBytes(); !more.isEmpty(); more = takeAsleepBytes())
        handle(more);
}

void SimServerBase::handleReceived(const QByteArray& bytes, const Writer& handle)
{
    simFlow(1);
    simFlow(-bytes.size());
    handle(bytes);
    handleAsleepBytes(handle);
    simFlow(-1);
}

bool SimServerBase::idleMs(int ms)
{
    pollfd p{stopFd_, POLLIN, 0};
    ::poll(&p, 1, ms);
    return !stop_;
}

void SimServerBase::addInverter(const std::shared_ptr<SimInverter>& inv)
{
    std::lock_guard lock(mutex_);
    inverters_[inv->address()] = inv;
}

std::shared_ptr<SimInverter> SimServerBase::addInverter(int address, int32_t cfgId)
{
    auto inv = std::make_shared<SimInverter>(address, cfgId);
    addInverter(inv);
    return inv;
}

void SimServerBase::removeInverter(int address)
{
    std::lock_guard lock(mutex_);
    inverters_.erase(address);
}

std::shared_ptr<SimInverter> SimServerBase::inverter(int address) const
{
    std::lock_guard lock(mutex_);
    auto it = inverters_.find(address);
    return it == inverters_.end() ? nullptr : it->second;
}

std::vector<int> SimServerBase::addresses() const
{
    std::lock_guard lock(mutex_);
    std::vector<int> out;
    for (const auto& [a, inv] : inverters_)
        out.push_back(a);
    return out;
}

std::vector<std::shared_ptr<SimInverter>> SimServerBase::allInverters() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<SimInverter>> out;
    for (const auto& [a, inv] : inverters_)
        out.push_back(inv);
    return out;
}

std::shared_ptr<SimInverter> SimServerBase::otherInverter(int address) const
{
    std::lock_guard lock(mutex_);
    if (inverters_.size() < 2)
        return nullptr;
    auto it = inverters_.upper_bound(address);
    if (it == inverters_.end())
        it = inverters_.begin();
    return it->second;
}

void SimServerBase::setBaudRate(int baud) { baud_ = std::max(0, baud); }
void SimServerBase::setCharBits(int bits) { charBits_ = std::max(1, bits); }
void SimServerBase::setTurnaroundMs(int ms) { turnaround_ = std::max(0, ms); }

std::chrono::nanoseconds SimServerBase::charTime() const
{
    int baud = baud_;
    if (baud <= 0 && simClock())
        baud = productLineRate();
    if (baud <= 0)
        return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(int64_t(charBits_) * 1000000000 / baud);
}

int SimServerBase::requestCount() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

namespace {

// The logs are appended to by the line's thread; a caller gets buffers of
// its own, so no implicitly shared data crosses the threads.
QList<QByteArray> deepCopy(const QList<QByteArray>& list)
{
    QList<QByteArray> out;
    out.reserve(list.size());
    for (const QByteArray& b : list)
        out.append(QByteArray(b.constData(), b.size()));
    return out;
}

} // namespace

QList<QByteArray> SimServerBase::receivedFrames() const
{
    std::lock_guard lock(mutex_);
    return deepCopy(frames_);
}

QList<QByteArray> SimServerBase::sentChunks() const
{
    std::lock_guard lock(mutex_);
    return deepCopy(sent_);
}

void SimServerBase::clearLog()
{
    std::lock_guard lock(mutex_);
    frames_.clear();
    sent_.clear();
    requests_ = 0;
}

void SimServerBase::logFrame(const QByteArray& frame)
{
    std::lock_guard lock(mutex_);
    ++requests_;
    if (frames_.size() >= kMaxLog)
        frames_.remove(0, kMaxLog / 2);
    frames_.append(QByteArray(frame.constData(), frame.size()));
}

SimFault SimServerBase::takeFault(int address, int parAdr)
{
    SimFault f;
    if (auto inv = inverter(address); inv && inv->faults().tryTake(parAdr, f))
        return f;
    return faults_.take(parAdr);
}

void SimServerBase::transmit(const std::vector<SimChunk>& chunks, std::chrono::steady_clock::time_point requestEnd,
                             const Writer& write, bool pacePerChar)
{
    const auto ct = charTime();
    // The line is free from the end of the request on. Found a little
    // late (the simulator's own wake-up), the answer keeps that start and
    // sends at once what the line would have carried meanwhile, so the
    // simulator's lateness does not lengthen the exchange; much later (the
    // simulator was held up) it starts now.
    constexpr auto kCatchUp = std::chrono::milliseconds(1);
    const auto now = simNow();
    auto lineFree = requestEnd >= now - kCatchUp ? requestEnd : now;
    for (const SimChunk& c : chunks) {
        if (c.bytes.isEmpty() && c.delayMs == 0)
            continue;
        const auto begin = lineFree + std::chrono::milliseconds(c.delayMs);
        if (!sleepUntil(begin))
            return;
        {
            std::lock_guard lock(mutex_);
            if (sent_.size() >= kMaxLog)
                sent_.remove(0, kMaxLog / 2);
            if (!c.bytes.isEmpty())
                sent_.append(QByteArray(c.bytes.constData(), c.bytes.size()));
        }
        // On program time a chunk arrives whole when its last character
        // is due.
        if (ct.count() == 0 || !pacePerChar || simClock()) {
            if (ct.count() > 0 && !sleepUntil(begin + ct * int(c.bytes.size()), true))
                return;
            if (!c.bytes.isEmpty())
                write(c.bytes);
        } else {
            // Each byte leaves when its character time has passed; bytes
            // that are due together go in one write.
            int sentCount = 0;
            while (sentCount < c.bytes.size()) {
                const auto now = std::chrono::steady_clock::now();
                int due = int((now - begin) / ct);
                due = std::min<int>(due, int(c.bytes.size()));
                if (due > sentCount) {
                    write(c.bytes.mid(sentCount, due - sentCount));
                    sentCount = due;
                    continue;
                }
                // The last character's end is the end of the answer: it
                // is waited for exactly.
                if (!sleepUntil(begin + ct * (sentCount + 1), sentCount + 1 == c.bytes.size()))
                    return;
            }
        }
        lineFree = std::max(simNow(), begin + ct * int(c.bytes.size()));
    }
}

} // namespace qelsim
