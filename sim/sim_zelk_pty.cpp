#include "sim/sim_zelk_pty.h"

#include "sim/sim_clock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace qelsim {

namespace {
constexpr int kPartialTimeoutMs = 200; // a telegram's rest must follow within this
constexpr int kMaxLog = 10000;
} // namespace

SimZelkPty::SimZelkPty() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    setCharBits(11); // 8 data bits, parity, start and stop bit
}

SimZelkPty::~SimZelkPty()
{
    stop();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool SimZelkPty::start(const QString& linkPath, QString* error)
{
    if (!pty_.open(linkPath, error))
        return false;
    startThread([this] { run(); });
    return true;
}

int SimZelkPty::sendRequest(int service, bool isWrite, const SimData& data)
{
    int number;
    {
        std::lock_guard lock(mutex_);
        number = nextNumber_;
        const QByteArray t = zelk::buildRequest(service, isWrite, number, master_, data);
        if (t.isEmpty())
            return -1;
        nextNumber_ = nextNumber_ % 15 + 1;
        outgoing_.push_back(t);
    }
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
    return number;
}

void SimZelkPty::sendRaw(const QByteArray& bytes)
{
    {
        std::lock_guard lock(mutex_);
        outgoing_.push_back(bytes);
    }
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

QList<zelk::Telegram> SimZelkPty::receivedRequests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

QList<zelk::Telegram> SimZelkPty::receivedAnswers() const
{
    std::lock_guard lock(mutex_);
    return answers_;
}

std::optional<zelk::Telegram> SimZelkPty::answerTo(int number) const
{
    std::lock_guard lock(mutex_);
    for (auto it = answers_.rbegin(); it != answers_.rend(); ++it)
        if (it->number == number)
            return *it;
    return std::nullopt;
}

void SimZelkPty::run()
{
    const int fd = pty_.masterFd();
    char buf[512];
    while (!stopping()) {
        // Until the next scheduled answer is due, to the microsecond: a
        // millisecond-rounded wait would make every answer late.
        int64_t timeoutNs = 50'000'000;
        if (!scheduled_.empty()) {
            const auto left = scheduled_.begin()->first - std::chrono::steady_clock::now();
            timeoutNs = std::clamp<int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(left).count(), 0,
                                            timeoutNs);
        }
        const timespec timeout{time_t(timeoutNs / 1000000000), long(timeoutNs % 1000000000)};
        pollfd fds[3] = {{fd, POLLIN, 0}, {stopFd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::ppoll(fds, 3, &timeout, nullptr) < 0 && errno != EINTR)
            break;
        sendDue();
        if (stopping())
            break;
        if (fds[2].revents & POLLIN) {
            uint64_t v;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &v, sizeof v);
        }
        for (;;) {
            QByteArray t;
            {
                std::lock_guard lock(mutex_);
                if (outgoing_.empty())
                    break;
                t = outgoing_.front();
                outgoing_.pop_front();
            }
            simFlow(1);
            transmit({{0, t}}, simNow(), [this](const QByteArray& b) { pty_.write(b); }, true);
            handleAsleepBytes([this](const QByteArray& b) { onBytes(b); });
            simFlow(-1);
        }
        const auto now = simNow();
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                handleReceived(QByteArray(buf, int(n)), [this](const QByteArray& b) { onBytes(b); });
                continue;
            }
        }
        if (fds[0].revents & (POLLHUP | POLLERR)) {
            reader_.clear();
            idleMs(10);
        }
        // The rest of a telegram that never came: start afresh.
        if (reader_.pending() > 0 && now - lastRx_ > std::chrono::milliseconds(kPartialTimeoutMs))
            reader_.clear();
    }
}

void SimZelkPty::schedule(const std::vector<SimChunk>& chunks, std::chrono::steady_clock::time_point requestEnd)
{
    if (simClock()) {
        transmit(chunks, requestEnd, [this](const QByteArray& b) { pty_.write(b); }, true);
        return;
    }
    auto at = std::max(requestEnd, std::chrono::steady_clock::now());
    for (const SimChunk& c : chunks) {
        at += std::chrono::milliseconds(c.delayMs);
        if (!c.bytes.isEmpty())
            scheduled_.emplace(at, c.bytes);
        at += std::chrono::duration_cast<std::chrono::steady_clock::duration>(charTime() * int(c.bytes.size()));
    }
}

void SimZelkPty::sendDue()
{
    while (!scheduled_.empty() && scheduled_.begin()->first <= std::chrono::steady_clock::now() && !stopping()) {
        const auto it = scheduled_.begin();
        const QByteArray bytes = it->second;
        const auto due = it->first;
        scheduled_.erase(it);
        transmit({{0, bytes}}, due, [this](const QByteArray& b) { pty_.write(b); }, true);
    }
}

void SimZelkPty::onBytes(const QByteArray& bytes)
{
    const auto now = simNow();
    if (reader_.pending() == 0)
        rxFirst_ = now;
    lastRx_ = now;
    reader_.append(bytes);
    while (auto raw = reader_.next()) {
        const auto end = std::max<std::chrono::steady_clock::time_point>(
            now, rxFirst_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(charTime() * int(raw->size())));
        onTelegram(*raw, end);
        rxFirst_ = simNow();
    }
}

void SimZelkPty::onTelegram(const QByteArray& raw, std::chrono::steady_clock::time_point requestEnd)
{
    logFrame(raw);
    const zelk::Telegram tel = zelk::decode(raw);
    {
        std::lock_guard lock(mutex_);
        auto& list = tel.isAnswer ? answers_ : requests_;
        if (list.size() >= kMaxLog)
            list.remove(0, kMaxLog / 2);
        list.append(tel);
    }
    // A broken request is not answered: the master times out.
    if (tel.isAnswer || !tel.checkOk || !tel.lengthOk)
        return;
    const auto addrs = addresses();
    if (addrs.empty())
        return;
    auto inv = inverter(addrs.front());
    if (!inv)
        return;

    SimRequest asked;
    asked.service = tel.service;
    asked.data = tel.data;
    const SimFault fault = takeFault(inv->address(), parameterOf(asked));
    std::vector<SimChunk> chunks;
    if (fault.echo)
        chunks.push_back({0, raw});
    int firstDelay = turnaroundMs() + fault.delayMs;
    auto add = [&](const QByteArray& bytes) {
        chunks.push_back({firstDelay, bytes});
        firstDelay = 0;
    };
    if (!fault.garbage.isEmpty())
        add(fault.garbage);
    auto send = [&] { schedule(chunks, requestEnd); };
    if (fault.silence) {
        send();
        return;
    }
    auto answerer = inv;
    if (fault.foreignAddr)
        if (auto other = otherInverter(inv->address()))
            answerer = other;

    SimRequest req;
    req.address = answerer->address();
    req.service = tel.service;
    req.isWrite = tel.isWrite;
    req.reqId = tel.number;
    req.data = tel.data;
    SimReply reply;
    if (fault.refuse)
        reply.status = fault.refuse;
    else
        reply = answerer->handle(req);

    QByteArray out = zelk::buildAnswer(tel.service, tel.isWrite, tel.number, tel.highNibble, reply.status, reply.data);
    if (out.isEmpty()) {
        send();
        return;
    }
    const QByteArray foreign =
        zelk::buildAnswer(tel.service, tel.isWrite, tel.number % 15 + 1, tel.highNibble, reply.status, reply.data);
    if (fault.badCheck)
        out[out.size() - 1] = char(out[out.size() - 1] ^ 0x01);
    if (fault.stale)
        add(foreign);
    if (fault.foreignId)
        out = foreign;
    if (fault.splitGapMs > 0 && out.size() > 1) {
        const int half = int(out.size()) / 2;
        add(out.left(half));
        chunks.push_back({fault.splitGapMs, out.mid(half)});
    } else {
        add(out);
    }
    send();
}

} // namespace qelsim
