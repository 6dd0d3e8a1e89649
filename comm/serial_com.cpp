#include "comm/serial_com.h"

#include "comm/line_trace.h"
#include "platform/clock.h"
#include "platform/com_port_map.h"
#include "platform/serial_device.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <linux/futex.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A write the device does not complete within this time is left for the
// next wake-up of the writer thread.
constexpr auto kWriteWait = std::chrono::seconds(30);
// How often CTS is sampled on a device with modem lines while the handler
// wants EV_CTS (the kernel offers no CTS wait that combines with poll).
constexpr int kCtsSampleMs = 2;

void signalFd(int fd)
{
    const uint64_t one = 1;
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

// Above-normal priority as far as the process may raise it; without the
// right to do so the threads run at normal priority. The timer slack (by
// default 50 us that the kernel may add to every timed wait) goes down to
// the minimum, so that the end-of-frame wait ends when it is due.
//
// Both threads of a port run on one processor (home; -1: wherever the
// kernel puts them). They hand every frame to each other in turn and never
// need to run at once; apart, each hand-off wakes an idle processor, which
// costs more than all else of an exchange. When home is busy, a woken
// thread still preempts what runs there, so RTS stays on time; only the
// throughput suffers.
void raisePriority(const char* name, int home)
{
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -5);
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    ::pthread_setname_np(::pthread_self(), name);
    if (home >= 0 && home < CPU_SETSIZE) {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(home, &set);
        ::pthread_setaffinity_np(::pthread_self(), sizeof set, &set);
    }
}

timespec toTimespec(Clock::duration d)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    return ts;
}

} // namespace

struct TSerialCom::State {
    // Wakes one sleeping thread (the writer) from any other. A condition
    // variable would do, but glibc's takes its mutex back after a wait as if
    // it were contended, which costs one more futex call on every frame.
    class WakeWord {
    public:
        // The one sleeper: returns once signal() was called since the last return.
        void wait()
        {
            while (pending_.exchange(0, std::memory_order_acquire) == 0) {
                sleeping_.store(1, std::memory_order_seq_cst);
                // A signal after this load makes the futex call return at once.
                if (pending_.load(std::memory_order_seq_cst) == 0)
                    futex(FUTEX_WAIT_PRIVATE, 0);
                sleeping_.store(0, std::memory_order_relaxed);
            }
        }
        void signal()
        {
            pending_.store(1, std::memory_order_seq_cst);
            if (sleeping_.load(std::memory_order_seq_cst) != 0)
                futex(FUTEX_WAKE_PRIVATE, 1);
        }
        void reset() { pending_.store(0); }

    private:
        void futex(int op, uint32_t value)
        {
            static_assert(sizeof pending_ == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free);
            ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&pending_), op, value, nullptr, nullptr, 0);
        }

        std::atomic<uint32_t> pending_{0};
        std::atomic<uint32_t> sleeping_{0};
    };

    // The critical section: send buffer, input queue, line error, handler,
    // and every use of the device by the GUI-side operations.
    std::mutex lock;
    WakeWord sendEvent;  // wakes the writer thread

    qelserial::SerialDevice device;
    bool open = false;           // under lock
    std::atomic<bool> isOpen{false};
    std::atomic<bool> stop{false};
    std::atomic<bool> sending{false};
    std::atomic<bool> txEmptyPending{false};
    // When the transmitter last became empty (steady_clock ticks).
    std::atomic<Clock::rep> txEmptyAt{0};
    // The first bytes after a Write are traced as the answer's first.
    std::atomic<bool> awaitingFirstByte{false};
    std::atomic<std::thread::id> eventThreadId{};
    int stopFd = -1;  // wakes every wait of both threads at Close
    int wakeFd = -1;  // wakes the line-event thread (transmitter empty, new handler)
    // The line-event thread's wait: stopFd, wakeFd and the device. wakeFd
    // is watched edge-triggered, so that each signal wakes the thread once
    // without a read to take the count back.
    int epollFd = -1;
    std::thread writer;
    std::thread lineEvents;
    int home = -1;  // the processor both threads run on

    // Send buffer (under lock): what the device did not take at once. Each
    // Write starts a new generation, so the writer thread never books bytes
    // of an older buffer against a newer one.
    uint8_t sendBuffer[SendBufferSize] = {};
    int sendCount = 0;
    int sendOffset = 0;
    uint64_t sendGeneration = 0;
    // Under lock: the latest frame is wholly in the device; the writer
    // thread is to wait for the transmitter to empty and report it.
    bool drainDue = false;

    // Input queue, filled only by the line-event thread (under lock).
    std::deque<uint8_t> input;
    bool hungUp = false;  // under lock: the far end has gone
    // For the program clock's LineFlow: bytes read from the device whose
    // line events have not been handled yet (line-event thread only), and
    // whether a written frame is on its way until its EV_TXEMPTY has been
    // handled (under lock).
    long unhandledBytes = 0;
    bool frameOnWay = false;
    bool ctsHeld = false; // line-event thread only

    // Counts Flush calls (under lock): bytes the line-event thread read
    // from the device while a Flush ran are discarded with the rest.
    uint64_t flushGeneration = 0;

    // Line errors (under lock).
    int lineError = 0;
    qelserial::ErrorCounts recordedCounts;  // counts already turned into lineError
    qelserial::ErrorCounts reportedCounts;  // counts already reported as EV_ERR

    // Handler (under lock).
    uint32_t eventMask = 0;
    void* handlerParam = nullptr;
    std::shared_ptr<const TSerialHandler> handler;

    bool onEventThread() const { return std::this_thread::get_id() == eventThreadId.load(); }

    // Moves whatever the device holds into the input queue; called without
    // the lock, by the line-event thread only (the device's one reader).
    // Returns the bytes added to the queue.
    long pump();
    // Turns new error counts into the recorded line error.
    void recordErrorsLocked();
    // True when errors were counted since the last EV_ERR.
    bool newErrorsForEventLocked();

    // The descriptors the threads wait on; false when one is missing.
    bool openWaits();
    void closeWaits();

    void writerLoop();
    // Sends what Write queued and waits for the transmitter to empty.
    void sendQueued();
    void lineEventLoop();
    void deliver(uint32_t events);
};

long TSerialCom::State::pump()
{
    uint64_t generation;
    {
        std::lock_guard lk(lock);
        if (hungUp)
            return 0;
        generation = flushGeneration;
    }
    long total = 0;
    uint8_t chunk[512];
    for (;;) {
        // The device is read without the lock, so that a Write or Flush of
        // the GUI thread never waits for this system call (and never has
        // to sleep on the lock and be woken again).
        const long n = device.readSome(chunk, sizeof chunk);
        std::lock_guard lk(lock);
        if (n < 0) {
            hungUp = true;
            break;
        }
        if (n == 0)
            break;
        unhandledBytes += n;
        if (generation == flushGeneration) {
            // Beyond the queue's size bytes are lost, as in a full input buffer.
            const size_t room = InputQueueSize - std::min<size_t>(input.size(), InputQueueSize);
            input.insert(input.end(), chunk, chunk + std::min<size_t>(room, static_cast<size_t>(n)));
            total += n;
        }
        // A short read has emptied the device: asking again would only
        // cost a system call (later bytes wake the poll).
        if (static_cast<size_t>(n) < sizeof chunk)
            break;
    }
    if (total > 0 && awaitingFirstByte.exchange(false, std::memory_order_relaxed))
        LineTrace::Now(TLineStage::FirstAnswerByte);
    return total;
}

void TSerialCom::State::recordErrorsLocked()
{
    qelserial::ErrorCounts now;
    if (!device.errorCounts(now))
        return;
    switch (qelserial::newLineError(recordedCounts, now)) {
    case qelserial::LineError::Parity: lineError = -7; break;
    case qelserial::LineError::Framing: lineError = -8; break;
    case qelserial::LineError::Overrun: lineError = -9; break;
    case qelserial::LineError::None: break;
    }
    recordedCounts = now;
}

bool TSerialCom::State::newErrorsForEventLocked()
{
    qelserial::ErrorCounts now;
    if (!device.errorCounts(now))
        return false;
    const bool changed = qelserial::newLineError(reportedCounts, now) != qelserial::LineError::None;
    reportedCounts = now;
    return changed;
}

bool TSerialCom::State::openWaits()
{
    stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    if (stopFd < 0 || wakeFd < 0 || epollFd < 0)
        return false;
    const struct {
        int fd;
        uint32_t events;
    } watched[] = {{stopFd, EPOLLIN}, {wakeFd, EPOLLIN | EPOLLET}, {device.fd(), EPOLLIN}};
    for (const auto& w : watched) {
        epoll_event ev{};
        ev.events = w.events;
        ev.data.fd = w.fd;
        if (::epoll_ctl(epollFd, EPOLL_CTL_ADD, w.fd, &ev) != 0)
            return false;
    }
    return true;
}

void TSerialCom::State::closeWaits()
{
    for (int* fd : {&epollFd, &wakeFd, &stopFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void TSerialCom::State::writerLoop()
{
    raisePriority("qel-serial-wr", home);
    for (;;) {
        sendEvent.wait();
        if (stop.load())
            return;
        sendQueued();
    }
}

void TSerialCom::State::sendQueued()
{
    const auto deadline = Clock::now() + kWriteWait;
    for (;;) {
        uint8_t chunk[SendBufferSize];
        int length;
        uint64_t generation;
        {
            std::lock_guard lk(lock);
            if (sendCount == 0 && !drainDue)
                return;
            length = sendCount;
            std::memcpy(chunk, sendBuffer + sendOffset, static_cast<size_t>(length));
            generation = sendGeneration;
        }
        if (length > 0) {
            // The device is written without the lock, so that a Read or
            // Write of another thread never waits for the line.
            const long written = device.writeSome(chunk, static_cast<size_t>(length));
            if (written < 0)
                return;  // the bytes stay queued; the next Write replaces them
            if (written == 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return;  // the rest waits for the next wake-up
                pollfd fds[2] = {{device.fd(), POLLOUT, 0}, {stopFd, POLLIN, 0}};
                ::poll(fds, 2, static_cast<int>(left.count()) + 1);
                if (stop.load())
                    return;
                continue;
            }
            bool allSent = false;
            {
                std::lock_guard lk(lock);
                // A newer frame replaced the buffer: the next turn takes it.
                if (generation == sendGeneration) {
                    sendCount -= static_cast<int>(written);
                    sendOffset += static_cast<int>(written);
                    allSent = sendCount == 0;
                    drainDue = allSent;
                }
            }
            if (allSent)
                LineTrace::Now(TLineStage::BytesWritten);
            continue;
        }
        // The whole frame is in the device (written here or by Write).
        device.drain();
        const auto drained = Clock::now();
        LineTrace::At(TLineStage::Drained, drained);
        bool empty = false;
        {
            std::lock_guard lk(lock);
            // A frame written meanwhile is drained on the next turn.
            if (generation == sendGeneration && sendCount == 0) {
                sending.store(false);
                drainDue = false;
                empty = true;
            }
        }
        if (empty) {
            txEmptyAt.store(drained.time_since_epoch().count());
            txEmptyPending.store(true);
            signalFd(wakeFd);
        }
    }
}

void TSerialCom::State::deliver(uint32_t events)
{
    std::shared_ptr<const TSerialHandler> h;
    void* param;
    {
        std::lock_guard lk(lock);
        events &= eventMask;
        h = handler;
        param = handlerParam;
    }
    if (events != 0 && h && *h)
        (*h)(events, param);
}

void TSerialCom::State::lineEventLoop()
{
    raisePriority("qel-serial-ev", home);
    eventThreadId.store(std::this_thread::get_id());
    bool lastCts;
    uint32_t lastCtsTransitions;
    {
        std::lock_guard lk(lock);
        lastCts = device.cts();
        lastCtsTransitions = device.ctsTransitions();
    }
    while (!stop.load()) {
        int timeoutMs = -1;
        bool hungUpNow;
        {
            std::lock_guard lk(lock);
            hungUpNow = hungUp;
            if (auto left = device.updateEmulatedCts(Clock::now()))
                timeoutMs = static_cast<int>(
                    std::chrono::ceil<std::chrono::milliseconds>(*left).count());
            else if (device.hasModemLines() && (eventMask & EV_CTS))
                timeoutMs = kCtsSampleMs;
        }
        // A hung-up device reports itself readable for ever: once a read
        // (here or in the handler) has seen the hang-up, the watch ends.
        if (hungUpNow)
            break;
        epoll_event ready[3];
        const int rc = ::epoll_wait(epollFd, ready, 3, timeoutMs);
        if (stop.load())
            break;
        if (rc < 0 && errno != EINTR)
            break;
        bool woken = false;
        bool readable = false;
        for (int i = 0; i < rc; ++i) {
            woken = woken || ready[i].data.fd == wakeFd;
            readable = readable || ready[i].data.fd == device.fd();
        }

        uint32_t events = 0;
        bool frameDone = false;
        if (woken && txEmptyPending.exchange(false)) {
            events |= EV_TXEMPTY;
            // A Write of the handler puts the next frame on its way.
            std::lock_guard lk(lock);
            frameDone = std::exchange(frameOnWay, false);
        }
        bool cts;
        uint32_t ctsTransitions;
        const bool received = readable && pump() > 0;
        {
            std::lock_guard lk(lock);
            if (received)
                events |= EV_RXCHAR;
            if (newErrorsForEventLocked())
                events |= EV_ERR;
            // Bytes read in this pass raised the emulated CTS: the rise is
            // reported even when this thread was held up for longer than
            // the quiet gap since the read (a pulse seen by nobody would
            // leave the answer unread); a later pass reports the fall.
            if (!received)
                device.updateEmulatedCts(Clock::now());
            cts = device.cts();
            ctsTransitions = device.ctsTransitions();
            hungUpNow = hungUp;
        }
        if (cts != lastCts || ctsTransitions != lastCtsTransitions)
            events |= EV_CTS;
        lastCts = cts;
        lastCtsTransitions = ctsTransitions;

        if (events != 0) {
            deliver(events);
            // Everything received has been taken: the emulated sender is
            // done. The fall is reported at once, so that the next bytes
            // raise CTS again even when they follow closely.
            bool fell = false;
            {
                std::lock_guard lk(lock);
                if (input.empty() && lastCts) {
                    device.dropEmulatedCts();
                    fell = !device.cts();
                }
            }
            if (fell) {
                lastCts = false;
                deliver(EV_CTS);
            }
        }
        // What arrived has been handled (or left for the driver to take);
        // an emulated CTS still up has its fall on the way.
        const bool ctsUp = !device.hasModemLines() && lastCts;
        const long handled = unhandledBytes + (frameDone ? 1 : 0) - (ctsUp != ctsHeld ? (ctsUp ? 1 : -1) : 0);
        ctsHeld = ctsUp;
        if (handled != 0)
            qel::LineFlow(-handled);
        unhandledBytes = 0;
        if (hungUpNow) {
            // The far end has gone: as with a failed line-event wait, the
            // handler is not called again until the port is reopened.
            break;
        }
    }
}

TSerialCom::TSerialCom()
    : d_(std::make_unique<State>())
{
}

TSerialCom::~TSerialCom()
{
    Close();
}

int TSerialCom::Open(int comPort, int baudRate, int dataBits, char parity)
{
    State& s = *d_;
    {
        std::lock_guard lk(s.lock);
        if (s.open)
            return -3;
    }
    if (comPort < 0 || comPort > 8)
        return -2;
    const QString path = comPortDevicePath(comPort + 1);
    qelserial::LineSettings settings;
    settings.baudRate = baudRate;
    settings.dataBits = dataBits;
    settings.parity = qelserial::parityFromLetter(parity);
    settings.stopBits = 1;
    if (!s.device.open(path, settings))
        return -2;

    if (!s.openWaits()) {
        s.closeWaits();
        s.device.close();
        return -2;
    }
    {
        std::lock_guard lk(s.lock);
        s.stop.store(false);
        s.sending.store(false);
        s.txEmptyPending.store(false);
        s.sendEvent.reset();
        s.sendCount = 0;
        s.sendOffset = 0;
        s.drainDue = false;
        s.input.clear();
        s.hungUp = false;
        s.lineError = 0;
        s.recordedCounts = {};
        s.device.errorCounts(s.recordedCounts);
        s.reportedCounts = s.recordedCounts;
        s.eventMask = 0;
        s.handlerParam = nullptr;
        s.handler.reset();
        s.open = true;
        s.isOpen.store(true);
    }
    try {
        // Where the opening thread runs now: an online processor this
        // process may use.
        s.home = ::sched_getcpu();
        s.writer = std::thread([&s] { s.writerLoop(); });
        s.lineEvents = std::thread([&s] { s.lineEventLoop(); });
    } catch (const std::system_error&) {
        Close();
        return -2;
    }
    return 0;
}

int TSerialCom::Close()
{
    State& s = *d_;
    {
        std::lock_guard lk(s.lock);
        if (!s.open)
            return -4;
        s.open = false;
        s.isOpen.store(false);
        s.stop.store(true);
    }
    s.sendEvent.signal();
    signalFd(s.stopFd);
    if (s.writer.joinable())
        s.writer.join();
    if (s.lineEvents.joinable())
        s.lineEvents.join();
    {
        std::lock_guard lk(s.lock);
        s.handler.reset();
        s.handlerParam = nullptr;
        s.eventMask = 0;
        qel::LineFlow(-s.sendCount - (std::exchange(s.frameOnWay, false) ? 1 : 0) - s.unhandledBytes -
                      (std::exchange(s.ctsHeld, false) ? 1 : 0));
        s.unhandledBytes = 0;
        s.sendCount = 0;
        s.drainDue = false;
        s.input.clear();
        s.sending.store(false);
        s.device.close();
    }
    s.eventThreadId.store(std::thread::id());
    s.closeWaits();
    return 0;
}

bool TSerialCom::IsOpen() const
{
    return d_->isOpen.load();
}

int TSerialCom::Write(const void* data, int length)
{
    State& s = *d_;
    int n;
    bool direct;
    {
        std::lock_guard lk(s.lock);
        if (!s.open)
            return -4;
        if (data == nullptr || length <= 0)
            return 0;
        n = std::min(length, SendBufferSize);
        ++s.sendGeneration;
        s.sending.store(true);
        s.awaitingFirstByte.store(true, std::memory_order_relaxed);
        // Nothing queued for the writer thread: the frame goes into the
        // device's buffer from here, without waiting for that thread to
        // wake. The write does not block; under the lock, so that it can
        // never overtake bytes the writer thread is about to send.
        // On its way: the frame (replacing what was still queued), and
        // the frame as such until its EV_TXEMPTY has been handled.
        qel::LineFlow(n - s.sendCount + (std::exchange(s.frameOnWay, true) ? 0 : 1));
        long written = 0;
        if (s.sendCount == 0)
            written = std::max(0L, s.device.writeSome(data, static_cast<size_t>(n)));
        // What the device did not take (or a frame behind queued bytes,
        // which it replaces) goes through the writer thread.
        s.sendCount = n - static_cast<int>(written);
        s.sendOffset = 0;
        std::memcpy(s.sendBuffer, static_cast<const uint8_t*>(data) + written, static_cast<size_t>(s.sendCount));
        s.drainDue = s.sendCount == 0;
        direct = s.drainDue;
    }
    if (direct)
        LineTrace::Now(TLineStage::BytesWritten);
    // The writer thread sends the rest, or waits for the transmitter to
    // empty and reports it (EV_TXEMPTY, TxEmptyTime).
    s.sendEvent.signal();
    return n;
}

bool TSerialCom::Sending() const
{
    return d_->sending.load();
}

std::chrono::steady_clock::time_point TSerialCom::TxEmptyTime() const
{
    return Clock::time_point(Clock::duration(d_->txEmptyAt.load()));
}

bool TSerialCom::WaitForInput(std::chrono::steady_clock::time_point deadline)
{
    State& s = *d_;
    for (;;) {
        {
            std::lock_guard lk(s.lock);
            if (!s.input.empty())
                return true;
            if (!s.open || s.hungUp)
                return false;
        }
        if (s.onEventThread() && s.pump() > 0)
            return true;
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        // Only the line-event thread reads the device; elsewhere the queue
        // is looked at again when the wait ends.
        if (!s.onEventThread()) {
            SleepUntil(std::min(deadline, now + std::chrono::milliseconds(1)));
            continue;
        }
        const timespec left = toTimespec(deadline - now);
        pollfd fds[2] = {{s.device.fd(), POLLIN, 0}, {s.stopFd, POLLIN, 0}};
        if (::ppoll(fds, 2, &left, nullptr) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents != 0)
            return false; // closing
    }
}

void TSerialCom::SleepUntil(std::chrono::steady_clock::time_point deadline)
{
    // steady_clock is CLOCK_MONOTONIC: an absolute sleep on it cannot end
    // early, and an interrupted one is simply resumed.
    const timespec ts = toTimespec(deadline.time_since_epoch());
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
    while (Clock::now() < deadline)
        std::this_thread::yield();
}

int TSerialCom::Read(void* buffer, uint16_t maximum, uint16_t& count)
{
    State& s = *d_;
    count = 0;
    // The line-event thread looks at the device only when nothing is
    // queued: what it pumped for this event is there already, and bytes
    // still on their way wake it again.
    if (s.onEventThread()) {
        bool empty;
        {
            std::lock_guard lk(s.lock);
            empty = s.input.empty();
        }
        if (empty)
            s.pump();
    }
    std::lock_guard lk(s.lock);
    if (!s.open)
        return -4;
    s.recordErrorsLocked();
    const size_t n = std::min<size_t>(maximum, s.input.size());
    if (n > 0 && buffer != nullptr) {
        std::copy_n(s.input.begin(), n, static_cast<uint8_t*>(buffer));
        s.input.erase(s.input.begin(), s.input.begin() + static_cast<std::ptrdiff_t>(n));
        count = static_cast<uint16_t>(n);
    }
    return 0;
}

int TSerialCom::InQueue()
{
    State& s = *d_;
    if (s.onEventThread())
        s.pump();
    std::lock_guard lk(s.lock);
    if (!s.open)
        return -4;
    s.recordErrorsLocked();
    return static_cast<int>(s.input.size());
}

int TSerialCom::GetError()
{
    State& s = *d_;
    std::lock_guard lk(s.lock);
    if (!s.open)
        return 0;
    s.recordErrorsLocked();
    const int error = s.lineError;
    s.lineError = 0;
    return error;
}

void TSerialCom::Flush()
{
    State& s = *d_;
    std::lock_guard lk(s.lock);
    if (!s.open)
        return;
    // What the line-event thread is reading now goes as well.
    ++s.flushGeneration;
    // Only a virtual program clock counts bytes on their way (nothing is
    // counted on the real one), so a real line spares the system call.
    int waiting = 0;
    if (qel::LineInFlight() > 0 && ::ioctl(s.device.fd(), FIONREAD, &waiting) == 0 && waiting > 0)
        qel::LineFlow(-waiting);
    s.device.discardInput();
    s.input.clear();
    s.recordErrorsLocked();
    s.lineError = 0;
}

namespace {

template <typename Fn>
int modemLine(std::mutex& lock, const bool& open, Fn fn)
{
    std::lock_guard lk(lock);
    if (!open)
        return -4;
    return fn() ? 0 : -2;
}

} // namespace

int TSerialCom::SetRTS()
{
    return modemLine(d_->lock, d_->open, [this] { return d_->device.setRts(true); });
}

int TSerialCom::ClrRTS()
{
    return modemLine(d_->lock, d_->open, [this] { return d_->device.setRts(false); });
}

int TSerialCom::SetDTR()
{
    return modemLine(d_->lock, d_->open, [this] { return d_->device.setDtr(true); });
}

int TSerialCom::ClrDTR()
{
    return modemLine(d_->lock, d_->open, [this] { return d_->device.setDtr(false); });
}

bool TSerialCom::CTS() const
{
    std::lock_guard lk(d_->lock);
    return d_->open && d_->device.cts();
}

int TSerialCom::SetHandler(uint32_t eventMask, void* param, TSerialHandler handler)
{
    State& s = *d_;
    {
        std::lock_guard lk(s.lock);
        if (!s.open)
            return -4;
        s.eventMask = eventMask;
        s.handlerParam = param;
        s.handler = handler ? std::make_shared<const TSerialHandler>(std::move(handler)) : nullptr;
    }
    signalFd(s.wakeFd);  // the line-event thread may now need to sample CTS
    return 0;
}

int64_t TSerialCom::CharTicks(int baudRate)
{
    using Period = Clock::period;
    static_assert(Period::num == 1, "steady_clock ticks are a fraction of a second");
    constexpr int64_t frequency = Period::den;
    if (frequency > 0xFFFFFFFFLL)
        return 0;
    switch (baudRate) {
    case 1200: return frequency / 100;
    case 2400: return frequency / 200;
    case 4800: return frequency / 400;
    case 9600: return frequency / 800;
    default: return frequency / 1600;
    }
}
