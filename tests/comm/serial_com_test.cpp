#include "comm/serial_com.h"

#include "comm/line_trace.h"

#include "wait_until.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <atomic>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <stdlib.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// COM9 mapped to a fresh pseudo-terminal; the test is the far end on the
// master side.
class SerialComTest : public ::testing::Test {
protected:
    static constexpr int kPort = 8;  // "COM9"

    void SetUp() override
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        hadEnv_ = qEnvironmentVariableIsSet("QEL_COM9");
        oldEnv_ = qgetenv("QEL_COM9");
        qputenv("QEL_COM9", ::ptsname(master_));
    }
    void TearDown() override
    {
        com_.Close();
        if (hadEnv_)
            qputenv("QEL_COM9", oldEnv_);
        else
            qunsetenv("QEL_COM9");
        closeMaster();
    }

    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    void farEndWrite(const QByteArray& bytes)
    {
        ASSERT_EQ(::write(master_, bytes.constData(), bytes.size()), bytes.size());
    }

    // Collects what the far end receives until `count` bytes are there,
    // then for a short while more to catch surplus bytes.
    QByteArray farEndRead(int count)
    {
        QByteArray got;
        auto drain = [&] {
            char buf[512];
            ssize_t n;
            while ((n = ::read(master_, buf, sizeof buf)) > 0)
                got.append(buf, n);
            return got.size() >= count;
        };
        qeltest::waitUntil(drain);
        qeltest::runEventLoopFor(20);
        drain();
        return got;
    }

    QByteArray portRead(int count)
    {
        QByteArray got;
        qeltest::waitUntil([&] {
            char buf[300];
            uint16_t n = 0;
            while (com_.Read(buf, sizeof buf, n) == 0 && n > 0)
                got.append(buf, n);
            return got.size() >= count;
        });
        return got;
    }

    static QByteArray allByteValues()
    {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(static_cast<char>(i));
        return bytes;
    }

    TSerialCom com_;
    int master_ = -1;
    bool hadEnv_ = false;
    QByteArray oldEnv_;
};

// Frames that the calling thread itself put wholly into the device.
thread_local int t_framesWritten = 0;

void countFramesWritten(TLineStage stage, std::chrono::steady_clock::time_point)
{
    if (stage == TLineStage::BytesWritten)
        ++t_framesWritten;
}

double processCpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

TEST(SerialComClosed, EveryOperationReportsNotOpen)
{
    TSerialCom com;
    char buf[8];
    uint16_t count = 7;
    EXPECT_FALSE(com.IsOpen());
    EXPECT_EQ(com.Close(), -4);
    EXPECT_EQ(com.Write("abc", 3), -4);
    EXPECT_EQ(com.Read(buf, sizeof buf, count), -4);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(com.InQueue(), -4);
    EXPECT_EQ(com.GetError(), 0);
    EXPECT_EQ(com.SetRTS(), -4);
    EXPECT_EQ(com.ClrRTS(), -4);
    EXPECT_EQ(com.SetDTR(), -4);
    EXPECT_EQ(com.ClrDTR(), -4);
    EXPECT_FALSE(com.CTS());
    EXPECT_EQ(com.SetHandler(EV_RXCHAR, nullptr, [](uint32_t, void*) {}), -4);
    com.Flush();
    EXPECT_FALSE(com.Sending());
}

TEST(SerialComCharTicks, OneCharacterPerRate)
{
    using namespace std::chrono;
    auto ticks = [](auto d) { return duration_cast<steady_clock::duration>(d).count(); };
    EXPECT_EQ(TSerialCom::CharTicks(1200), ticks(milliseconds(10)));
    EXPECT_EQ(TSerialCom::CharTicks(2400), ticks(milliseconds(5)));
    EXPECT_EQ(TSerialCom::CharTicks(4800), ticks(microseconds(2500)));
    EXPECT_EQ(TSerialCom::CharTicks(9600), ticks(microseconds(1250)));
    EXPECT_EQ(TSerialCom::CharTicks(19200), ticks(microseconds(625)));
    EXPECT_EQ(TSerialCom::CharTicks(115200), TSerialCom::CharTicks(19200));
    EXPECT_EQ(TSerialCom::CharTicks(38400), TSerialCom::CharTicks(19200));
}

// The end-of-frame wait sleeps instead of spinning: it must never return
// before its deadline (how late it wakes is the benchmark's figure).
TEST(SerialComSleepUntil, NeverReturnsBeforeItsDeadline)
{
    using namespace std::chrono;
    const steady_clock::duration waits[] = {
        -milliseconds(1), steady_clock::duration(0), microseconds(1), microseconds(50),
        steady_clock::duration(TSerialCom::CharTicks(115200)), steady_clock::duration(TSerialCom::CharTicks(9600)),
        milliseconds(3)};
    for (const auto w : waits) {
        for (int i = 0; i < 20; ++i) {
            const auto deadline = steady_clock::now() + w;
            TSerialCom::SleepUntil(deadline);
            const auto woke = steady_clock::now();
            ASSERT_GE(woke, deadline) << duration_cast<nanoseconds>(w).count() << " ns";
        }
    }
}

TEST_F(SerialComTest, EndOfFrameWaitCountsFromTheTransmitterEmptyMoment)
{
    // As the drivers wait before raising RTS: from the time the port took
    // when the transmitter became empty, in the handler of that event.
    ASSERT_EQ(com_.Open(kPort, 115200, 8, 'E'), 0);
    using Clock = std::chrono::steady_clock;
    std::atomic<int> events{0};
    std::atomic<bool> ordered{true};
    std::atomic<bool> early{false};
    std::atomic<Clock::time_point> written{};
    ASSERT_EQ(com_.SetHandler(EV_TXEMPTY, nullptr, [&](uint32_t, void*) {
        const auto emptyAt = com_.TxEmptyTime();
        if (emptyAt < written.load() || emptyAt > Clock::now())
            ordered = false;
        const auto deadline = emptyAt + Clock::duration(TSerialCom::CharTicks(115200));
        TSerialCom::SleepUntil(deadline);
        if (Clock::now() < deadline)
            early = true;
        ++events;
    }), 0);
    for (int i = 0; i < 5; ++i) {
        written = Clock::now();
        ASSERT_EQ(com_.Write("\x02" "ab\x03", 4), 4);
        ASSERT_TRUE(qeltest::waitUntil([&] { return events.load() == i + 1; }));
    }
    EXPECT_TRUE(ordered.load());
    EXPECT_FALSE(early.load());
    EXPECT_EQ(farEndRead(20).size(), 20);
}

TEST_F(SerialComTest, IdlePortWritesInTheCallersThreadTheRestGoesThroughTheWriter)
{
    ASSERT_EQ(com_.Open(kPort, 115200, 8, 'N'), 0);
    std::atomic<int> emptyEvents{0};
    ASSERT_EQ(com_.SetHandler(EV_TXEMPTY, nullptr, [&](uint32_t, void*) { ++emptyEvents; }), 0);
    LineTrace::SetHook(countFramesWritten);
    struct Unhook {
        ~Unhook() { LineTrace::SetHook(nullptr); }
    } unhook;
    auto writeHere = [&](const QByteArray& frame) {
        const int before = t_framesWritten;
        EXPECT_EQ(com_.Write(frame.constData(), static_cast<int>(frame.size())), frame.size());
        return t_framesWritten > before;
    };

    // Idle: the frame is in the device when Write returns; the transmitter
    // still becomes empty behind it.
    EXPECT_TRUE(writeHere("\x02" "ab\x03"));
    EXPECT_TRUE(qeltest::waitUntil([&] { return emptyEvents.load() == 1 && !com_.Sending(); }));
    EXPECT_EQ(farEndRead(4), QByteArray("\x02" "ab\x03"));

    // The far end stops reading until a frame does not fit: its rest waits
    // for the writer thread.
    QByteArray taken;
    QByteArray cut(100, 0);
    bool queued = false;
    for (int i = 0; i < 20000 && !queued; ++i) {
        for (int k = 0; k < cut.size(); ++k)
            cut[k] = static_cast<char>((i * 7 + k) & 0x7F);
        queued = !writeHere(cut);
        if (!queued)
            taken += cut;
    }
    ASSERT_TRUE(queued);
    EXPECT_TRUE(com_.Sending());
    // A frame behind queued bytes goes through the writer thread too, even
    // were there room now; it replaces the unsent rest.
    const QByteArray next("\x82" "next\x83");
    EXPECT_FALSE(writeHere(next));

    QByteArray got;
    EXPECT_TRUE(qeltest::waitUntil([&] {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(master_, buf, sizeof buf)) > 0)
            got.append(buf, n);
        return got.endsWith(next);
    }));
    // In the order written: every frame taken, what the device took of the
    // cut one, then the next frame.
    ASSERT_TRUE(got.startsWith(taken));
    const QByteArray between = got.mid(taken.size(), got.size() - taken.size() - next.size());
    EXPECT_TRUE(cut.startsWith(between)) << between.size() << " bytes between";
    EXPECT_TRUE(qeltest::waitUntil([&] { return !com_.Sending(); }));

    // Idle again: straight into the device.
    const int events = emptyEvents.load();
    EXPECT_TRUE(writeHere("\x02" "cd\x03"));
    EXPECT_EQ(farEndRead(4), QByteArray("\x02" "cd\x03"));
    EXPECT_TRUE(qeltest::waitUntil([&] { return emptyEvents.load() > events && !com_.Sending(); }));
}

TEST_F(SerialComTest, WaitForInputReturnsWhenTheNextByteArrives)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    using Clock = std::chrono::steady_clock;
    std::atomic<int> stage{0};
    QByteArray got;
    std::atomic<bool> rest{false};
    std::atomic<bool> nothingMore{true};
    ASSERT_EQ(com_.SetHandler(EV_RXCHAR, nullptr, [&](uint32_t, void*) {
        if (stage.load() != 0)
            return;
        char buf[16];
        uint16_t n = 0;
        com_.Read(buf, sizeof buf, n);
        got.append(buf, n);
        stage = 1; // the far end sends the rest now
        // Long enough for a loaded machine; the bytes end the wait.
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (got.size() < 4 && com_.WaitForInput(deadline)) {
            com_.Read(buf, sizeof buf, n);
            got.append(buf, n);
        }
        rest = got.size() == 4;
        // Nothing further comes: the wait ends at its deadline.
        nothingMore = !com_.WaitForInput(Clock::now() + std::chrono::milliseconds(1));
        stage = 2;
    }), 0);
    farEndWrite("ab");
    ASSERT_TRUE(qeltest::waitUntil([&] { return stage.load() == 1; }));
    farEndWrite("cd");
    ASSERT_TRUE(qeltest::waitUntil([&] { return stage.load() == 2; }));
    EXPECT_TRUE(rest.load());
    EXPECT_TRUE(nothingMore.load());
    EXPECT_EQ(got, QByteArray("abcd"));
}

TEST_F(SerialComTest, OpenTwiceCloseTwiceAndReopen)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 7, 'E'), 0);
    EXPECT_TRUE(com_.IsOpen());
    EXPECT_EQ(com_.Open(kPort, 9600, 8, 'N'), -3);
    EXPECT_TRUE(com_.IsOpen());
    // Still the first opening: bytes flow.
    farEndWrite("ok");
    EXPECT_EQ(portRead(2), "ok");
    EXPECT_EQ(com_.Close(), 0);
    EXPECT_FALSE(com_.IsOpen());
    EXPECT_EQ(com_.Close(), -4);
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    farEndWrite("again");
    EXPECT_EQ(portRead(5), "again");
}

TEST_F(SerialComTest, OpenFailures)
{
    EXPECT_EQ(com_.Open(-1, 38400, 8, 'E'), -2);
    EXPECT_EQ(com_.Open(9, 38400, 8, 'E'), -2);
    EXPECT_EQ(com_.Open(kPort, 12345, 8, 'E'), -2);
    qputenv("QEL_COM9", "/nonexistent/tty");
    EXPECT_EQ(com_.Open(kPort, 38400, 8, 'E'), -2);
    EXPECT_FALSE(com_.IsOpen());
    // A port held by another object cannot be opened.
    qputenv("QEL_COM9", ::ptsname(master_));
    TSerialCom other;
    ASSERT_EQ(other.Open(kPort, 38400, 8, 'E'), 0);
    EXPECT_EQ(com_.Open(kPort, 38400, 8, 'E'), -2);
    EXPECT_EQ(other.Close(), 0);
    EXPECT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
}

TEST_F(SerialComTest, EveryByteValuePassesUntouchedBothWays)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 7, 'E'), 0);
    const QByteArray bytes = allByteValues();
    farEndWrite(bytes);
    EXPECT_EQ(portRead(bytes.size()), bytes);

    QByteArray sent;
    for (int offset = 0; offset < bytes.size(); offset += TSerialCom::SendBufferSize) {
        const QByteArray part = bytes.mid(offset, TSerialCom::SendBufferSize);
        ASSERT_EQ(com_.Write(part.constData(), part.size()), part.size());
        ASSERT_TRUE(qeltest::waitUntil([&] { return !com_.Sending(); }));
    }
    EXPECT_EQ(farEndRead(bytes.size()), bytes);
}

TEST_F(SerialComTest, WriteQueuesAtMostOneHundredBytes)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    QByteArray bytes;
    for (int i = 0; i < 150; ++i)
        bytes.append(static_cast<char>(i));
    EXPECT_EQ(com_.Write(bytes.constData(), bytes.size()), 100);
    EXPECT_EQ(farEndRead(100), bytes.left(100));
    EXPECT_TRUE(qeltest::waitUntil([&] { return !com_.Sending(); }));
    EXPECT_EQ(com_.Write(bytes.constData(), 0), 0);
    EXPECT_FALSE(com_.Sending());
}

TEST_F(SerialComTest, ReadsNeverWaitAndTakeOnlyWhatArrived)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    char buf[16];
    uint16_t count = 99;
    EXPECT_EQ(com_.Read(buf, sizeof buf, count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(com_.InQueue(), 0);

    farEndWrite("0123456789");
    ASSERT_TRUE(qeltest::waitUntil([&] { return com_.InQueue() == 10; }));
    EXPECT_EQ(com_.Read(buf, 4, count), 0);
    EXPECT_EQ(QByteArray(buf, count), "0123");
    EXPECT_EQ(com_.InQueue(), 6);
    EXPECT_EQ(com_.Read(buf, sizeof buf, count), 0);
    EXPECT_EQ(QByteArray(buf, count), "456789");
    EXPECT_EQ(com_.Read(buf, sizeof buf, count), 0);
    EXPECT_EQ(count, 0);

    farEndWrite("stale");
    ASSERT_TRUE(qeltest::waitUntil([&] { return com_.InQueue() == 5; }));
    com_.Flush();
    EXPECT_EQ(com_.InQueue(), 0);
    EXPECT_EQ(com_.GetError(), 0);  // a pseudo-terminal has no line errors
}

TEST_F(SerialComTest, ModemLinesSucceedWithoutModemSignals)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    EXPECT_EQ(com_.SetRTS(), 0);
    EXPECT_EQ(com_.ClrRTS(), 0);
    EXPECT_EQ(com_.SetDTR(), 0);
    EXPECT_EQ(com_.ClrDTR(), 0);
    EXPECT_FALSE(com_.CTS());
}

TEST_F(SerialComTest, HandlerRunsInTheLineEventThreadAndReadsThere)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 7, 'E'), 0);
    std::mutex m;
    std::vector<std::thread::id> threads;
    QByteArray received;
    int param = 42;
    ASSERT_EQ(com_.SetHandler(EV_RXCHAR, &param, [&](uint32_t events, void* p) {
        EXPECT_EQ(p, &param);
        EXPECT_TRUE(events & EV_RXCHAR);
        char buf[8];
        uint16_t n = 0;
        std::lock_guard lk(m);
        threads.push_back(std::this_thread::get_id());
        // One byte at a time until empty, as a driver does.
        while (com_.Read(buf, 1, n) == 0 && n > 0)
            received.append(buf, n);
    }), 0);
    farEndWrite("\x02" "01R12\x03" "x");
    ASSERT_TRUE(qeltest::waitUntil([&] { std::lock_guard lk(m); return received.size() == 8; }));
    std::lock_guard lk(m);
    EXPECT_EQ(received, QByteArray("\x02" "01R12\x03" "x"));
    ASSERT_FALSE(threads.empty());
    for (auto id : threads) {
        EXPECT_NE(id, std::this_thread::get_id());
        EXPECT_EQ(id, threads.front());
    }
}

TEST_F(SerialComTest, TransmitterEmptyDrivesByteByByteSending)
{
    // The way a driver sends slowly: the first byte from the caller, each
    // further one from the handler when the transmitter is empty.
    ASSERT_EQ(com_.Open(kPort, 38400, 7, 'E'), 0);
    const QByteArray frame("\x02" "01W123\x03" "\x11\x13\x0D\xFF");
    std::atomic<int> position{0};
    std::atomic<int> emptyEvents{0};
    ASSERT_EQ(com_.SetHandler(EV_TXEMPTY, nullptr, [&](uint32_t events, void*) {
        ASSERT_EQ(events, EV_TXEMPTY);
        EXPECT_FALSE(com_.Sending());
        ++emptyEvents;
        const int next = ++position;
        if (next < frame.size()) {
            EXPECT_EQ(com_.Write(frame.constData() + next, 1), 1);
        }
    }), 0);
    ASSERT_EQ(com_.Write(frame.constData(), 1), 1);
    EXPECT_EQ(farEndRead(frame.size()), frame);
    EXPECT_TRUE(qeltest::waitUntil([&] { return emptyEvents.load() == frame.size(); }));
}

TEST_F(SerialComTest, CtsRisesWhenTheFarEndStartsSendingAndFallsAfterwards)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    std::mutex m;
    std::vector<QByteArray> telegrams;
    std::vector<bool> ctsStates;
    ASSERT_EQ(com_.SetHandler(EV_CTS | EV_TXEMPTY | EV_ERR, nullptr, [&](uint32_t events, void*) {
        if (!(events & EV_CTS))
            return;
        const bool on = com_.CTS();
        std::lock_guard lk(m);
        ctsStates.push_back(on);
        if (!on)
            return;
        // A CTS-driven receive: take what has arrived.
        char buf[64];
        uint16_t n = 0;
        QByteArray telegram;
        while (com_.Read(buf, sizeof buf, n) == 0 && n > 0)
            telegram.append(buf, n);
        telegrams.push_back(telegram);
    }), 0);
    auto count = [&] { std::lock_guard lk(m); return telegrams.size(); };

    farEndWrite(QByteArray("\x10\x81\x01\x02\x03", 5));
    ASSERT_TRUE(qeltest::waitUntil([&] { return count() == 1; }));
    // The next telegram follows as soon as the first was taken.
    farEndWrite(QByteArray("\x20\x81\x04\x05\x06", 5));
    ASSERT_TRUE(qeltest::waitUntil([&] { return count() == 2; }));
    EXPECT_TRUE(qeltest::waitUntil([&] { return !com_.CTS(); }));
    farEndWrite(QByteArray("\x30\x81", 2));
    ASSERT_TRUE(qeltest::waitUntil([&] { return count() == 3; }));

    std::lock_guard lk(m);
    EXPECT_EQ(telegrams[0], QByteArray("\x10\x81\x01\x02\x03", 5));
    EXPECT_EQ(telegrams[1], QByteArray("\x20\x81\x04\x05\x06", 5));
    EXPECT_EQ(telegrams[2], QByteArray("\x30\x81", 2));
    // Each rise is followed by a fall before the next rise.
    ASSERT_GE(ctsStates.size(), 5u);
    for (size_t i = 0; i < ctsStates.size(); ++i)
        EXPECT_EQ(ctsStates[i], i % 2 == 0) << i;
}

TEST_F(SerialComTest, FarEndClosingLeavesTheThreadsIdle)
{
    ASSERT_EQ(com_.Open(kPort, 38400, 8, 'E'), 0);
    std::atomic<int> calls{0};
    ASSERT_EQ(com_.SetHandler(EV_RXCHAR | EV_CTS | EV_TXEMPTY | EV_ERR, nullptr,
                              [&](uint32_t, void*) { ++calls; }), 0);
    farEndWrite("bye");
    ASSERT_TRUE(qeltest::waitUntil([&] { return com_.InQueue() == 3; }));
    closeMaster();
    EXPECT_EQ(com_.Write("more", 4), 4);  // goes nowhere, but must not spin either

    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    qeltest::runEventLoopFor(400);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    // A thread spinning on the hung-up device would use about all of it.
    EXPECT_LT(cpu, wall * 0.5) << "cpu " << cpu << " s in " << wall << " s";
    const int callsAfterHangUp = calls.load();
    qeltest::runEventLoopFor(50);
    EXPECT_EQ(calls.load(), callsAfterHangUp);

    // What arrived before stays readable; closing still works.
    char buf[8];
    uint16_t n = 0;
    EXPECT_EQ(com_.Read(buf, sizeof buf, n), 0);
    EXPECT_EQ(QByteArray(buf, n), "bye");
    EXPECT_EQ(com_.Close(), 0);
}

} // namespace
