#include "platform/serial_device.h"

#include "wait_until.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace qelserial;

namespace {

// A fresh pseudo-terminal; the device under test opens the slave side, the
// test plays the far end on the master side.
class PtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    }
    void TearDown() override { closeMaster(); }

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

    // Everything the far end receives until `count` bytes are there.
    QByteArray farEndRead(int count)
    {
        QByteArray got;
        qeltest::waitUntil([&] {
            char buf[512];
            ssize_t n;
            while ((n = ::read(master_, buf, sizeof buf)) > 0)
                got.append(buf, n);
            return got.size() >= count;
        });
        return got;
    }

    QByteArray deviceRead(SerialDevice& dev, int count)
    {
        QByteArray got;
        qeltest::waitUntil([&] {
            char buf[512];
            long n;
            while ((n = dev.readSome(buf, sizeof buf)) > 0)
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

    int master_ = -1;
    QString slavePath_;
};

TEST(SerialDeviceHelpers, ParityLetters)
{
    EXPECT_EQ(parityFromLetter('E'), Parity::Even);
    EXPECT_EQ(parityFromLetter('O'), Parity::Odd);
    EXPECT_EQ(parityFromLetter('M'), Parity::Mark);
    EXPECT_EQ(parityFromLetter('S'), Parity::Space);
    EXPECT_EQ(parityFromLetter('N'), Parity::None);
    EXPECT_EQ(parityFromLetter('e'), Parity::None);
    EXPECT_EQ(parityFromLetter('\0'), Parity::None);
}

TEST(SerialDeviceHelpers, LineErrorPriority)
{
    struct Case {
        ErrorCounts after;
        LineError expected;
    };
    const ErrorCounts before{5, 5, 5};
    const Case cases[] = {
        {{5, 5, 5}, LineError::None},
        {{6, 5, 5}, LineError::Parity},
        {{5, 6, 5}, LineError::Framing},
        {{5, 5, 7}, LineError::Overrun},
        {{6, 6, 5}, LineError::Parity},
        {{5, 6, 6}, LineError::Framing},
        {{6, 6, 6}, LineError::Parity},
    };
    for (const Case& c : cases)
        EXPECT_EQ(newLineError(before, c.after), c.expected)
            << c.after.parity << "/" << c.after.frame << "/" << c.after.overrun;
}

TEST(SerialDeviceHelpers, RawTermiosCarriesTheLineSettings)
{
    struct Case {
        LineSettings settings;
        tcflag_t cflagBits;  // of CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
        bool inpck;
    };
    const Case cases[] = {
        {{38400, 7, Parity::Even, 1}, CS7 | PARENB, true},
        {{38400, 8, Parity::Even, 1}, CS8 | PARENB, true},
        {{9600, 8, Parity::None, 1}, CS8, false},
        {{9600, 8, Parity::Odd, 2}, CS8 | PARENB | PARODD | CSTOPB, true},
        {{1200, 7, Parity::Mark, 1}, CS7 | PARENB | CMSPAR | PARODD, true},
        {{115200, 8, Parity::Space, 1}, CS8 | PARENB | CMSPAR, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings.baudRate);
        termios tio{};
        // Start from a cooked terminal with flow control to see it all go.
        tio.c_iflag = ICRNL | IXON | IXOFF | ISTRIP | IGNPAR | PARMRK;
        tio.c_oflag = OPOST | ONLCR;
        tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
        tio.c_cflag = CS8 | CRTSCTS | PARENB | PARODD | CSTOPB;
        ASSERT_TRUE(makeRawTermios(c.settings, tio));
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), c.cflagBits);
        EXPECT_EQ(tio.c_cflag & (CRTSCTS | CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
        EXPECT_EQ(tio.c_iflag, c.inpck ? tcflag_t(INPCK) : tcflag_t(0));
        EXPECT_EQ(tio.c_oflag, 0u);
        EXPECT_EQ(tio.c_lflag, 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 1);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
        EXPECT_EQ(::cfgetospeed(&tio), SerialDevice::speedFor(c.settings.baudRate));
        EXPECT_EQ(::cfgetispeed(&tio), SerialDevice::speedFor(c.settings.baudRate));
    }
    termios tio{};
    EXPECT_FALSE(makeRawTermios({12345, 8, Parity::None, 1}, tio));
    EXPECT_FALSE(makeRawTermios({9600, 9, Parity::None, 1}, tio));
    EXPECT_FALSE(makeRawTermios({9600, 8, Parity::None, 3}, tio));
}

TEST_F(PtyTest, OpensRawWithEveryLineSetting)
{
    // A pseudo-terminal keeps no character framing, but raw mode and the
    // speed must be in place whatever framing was asked for.
    SerialDevice dev;
    for (const LineSettings& s : {LineSettings{38400, 7, Parity::Even, 1}, LineSettings{38400, 8, Parity::Even, 1},
                                  LineSettings{1200, 7, Parity::Mark, 2}, LineSettings{115200, 8, Parity::None, 1}}) {
        ASSERT_TRUE(dev.open(slavePath_, s)) << dev.lastError();
        termios tio{};
        ASSERT_EQ(::tcgetattr(dev.fd(), &tio), 0);
        EXPECT_EQ(tio.c_lflag, 0u);
        EXPECT_EQ(tio.c_oflag, 0u);
        EXPECT_EQ(tio.c_iflag & ~tcflag_t(INPCK), 0u);
        EXPECT_EQ(::cfgetospeed(&tio), SerialDevice::speedFor(s.baudRate));
        dev.close();
    }
}

TEST_F(PtyTest, RefusesSettingsTheLineCannotHave)
{
    SerialDevice dev;
    EXPECT_FALSE(dev.open(slavePath_, {12345, 8, Parity::None, 1}));
    EXPECT_FALSE(dev.isOpen());
    EXPECT_FALSE(dev.open(slavePath_, {9600, 9, Parity::None, 1}));
    EXPECT_FALSE(dev.open(slavePath_, {9600, 8, Parity::None, 3}));
    EXPECT_FALSE(dev.open(QStringLiteral("/nonexistent/tty"), {}));
    EXPECT_TRUE(dev.open(slavePath_, {}));
}

TEST_F(PtyTest, EveryByteValuePassesUntouchedBothWays)
{
    const QByteArray bytes = allByteValues();
    for (const LineSettings& settings : {LineSettings{38400, 7, Parity::Even, 1}, LineSettings{9600, 8, Parity::None, 1}}) {
        SerialDevice dev;
        ASSERT_TRUE(dev.open(slavePath_, settings));
        farEndWrite(bytes);
        EXPECT_EQ(deviceRead(dev, bytes.size()), bytes);

        ASSERT_EQ(dev.writeSome(bytes.constData(), bytes.size()), bytes.size());
        EXPECT_TRUE(dev.drain());
        EXPECT_EQ(farEndRead(bytes.size()), bytes);
    }
}

TEST_F(PtyTest, OpenIsExclusive)
{
    SerialDevice first;
    ASSERT_TRUE(first.open(slavePath_, {}));
    SerialDevice second;
    EXPECT_FALSE(second.open(slavePath_, {}));
    EXPECT_EQ(second.lastError(), EBUSY);
    first.close();
    EXPECT_TRUE(second.open(slavePath_, {}));
}

TEST_F(PtyTest, WithoutModemLinesRtsDtrSucceedAndCtsFollowsTheFarEndSending)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open(slavePath_, {38400, 8, Parity::Even, 1}));
    EXPECT_FALSE(dev.hasModemLines());
    EXPECT_FALSE(dev.hasErrorCounters());
    ErrorCounts counts;
    EXPECT_FALSE(dev.errorCounts(counts));
    EXPECT_TRUE(dev.setRts(true));
    EXPECT_TRUE(dev.setRts(false));
    EXPECT_TRUE(dev.setDtr(true));
    EXPECT_TRUE(dev.setDtr(false));

    EXPECT_FALSE(dev.cts());
    farEndWrite("\x02telegram");
    EXPECT_EQ(deviceRead(dev, 9).size(), 9);
    EXPECT_TRUE(dev.cts());
    // The line falls quiet: CTS drops once the gap has passed.
    EXPECT_TRUE(qeltest::waitUntil([&] {
        dev.updateEmulatedCts(std::chrono::steady_clock::now());
        return !dev.cts();
    }));
    farEndWrite("x");
    EXPECT_EQ(deviceRead(dev, 1).size(), 1);
    EXPECT_TRUE(dev.cts());
    dev.dropEmulatedCts();
    EXPECT_FALSE(dev.cts());
}

TEST_F(PtyTest, ReadReportsTheFarEndHangingUp)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open(slavePath_, {}));
    char buf[16];
    EXPECT_EQ(dev.readSome(buf, sizeof buf), 0);
    closeMaster();
    EXPECT_EQ(dev.readSome(buf, sizeof buf), -1);
}

} // namespace
