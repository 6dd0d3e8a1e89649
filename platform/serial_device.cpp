#include "platform/serial_device.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace qelserial {

namespace {

int charBits(const LineSettings& s)
{
    return 1 + s.dataBits + (s.parity == Parity::None ? 0 : 1) + s.stopBits;
}

} // namespace

Parity parityFromLetter(char letter)
{
    switch (letter) {
    case 'E': return Parity::Even;
    case 'O': return Parity::Odd;
    case 'M': return Parity::Mark;
    case 'S': return Parity::Space;
    default: return Parity::None;
    }
}

LineError newLineError(const ErrorCounts& before, const ErrorCounts& after)
{
    if (after.parity != before.parity)
        return LineError::Parity;
    if (after.frame != before.frame)
        return LineError::Framing;
    if (after.overrun != before.overrun)
        return LineError::Overrun;
    return LineError::None;
}

SerialDevice::~SerialDevice()
{
    close();
}

unsigned int SerialDevice::speedFor(int baudRate)
{
    switch (baudRate) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

bool SerialDevice::open(const QString& path, const LineSettings& settings)
{
    close();
    lastError_ = 0;
    const QByteArray native = path.toLocal8Bit();
    int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    auto fail = [&](int err) {
        lastError_ = err;
        ::close(fd);
        return false;
    };
    if (!::isatty(fd))
        return fail(ENOTTY);
    // No sharing: TIOCEXCL keeps other openers out (except privileged ones),
    // the advisory lock keeps out every other instance of this program.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return fail(errno);
    fd_ = fd;
    int bits = 0;
    hasModemLines_ = ::ioctl(fd_, TIOCMGET, &bits) == 0;
    if (!applySettings(settings)) {
        int err = lastError_;
        close();
        lastError_ = err;
        return false;
    }
    serial_icounter_struct counts{};
    hasErrorCounters_ = ::ioctl(fd_, TIOCGICOUNT, &counts) == 0;
    emulatedCts_.store(false);
    lastArrival_ = {};
    return true;
}

void SerialDevice::close()
{
    if (fd_ < 0)
        return;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // also releases the advisory lock
    fd_ = -1;
    hasModemLines_ = false;
    hasErrorCounters_ = false;
    emulatedCts_.store(false);
}

bool makeRawTermios(const LineSettings& s, termios& tio)
{
    const unsigned int speed = SerialDevice::speedFor(s.baudRate);
    if (speed == 0 || s.dataBits < 5 || s.dataBits > 8 || (s.stopBits != 1 && s.stopBits != 2))
        return false;
    ::cfmakeraw(&tio);
    // Nothing of the line discipline stays: no flow control, no character
    // translation, no break or parity marking; parity is only checked.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[s.dataBits - 5];
    if (s.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    switch (s.parity) {
    case Parity::None: break;
    case Parity::Even: tio.c_cflag |= PARENB; break;
    case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    if (s.parity != Parity::None)
        tio.c_iflag |= INPCK;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    return true;
}

bool SerialDevice::applySettings(const LineSettings& s)
{
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        lastError_ = errno;
        return false;
    }
    if (!makeRawTermios(s, tio)) {
        lastError_ = EINVAL;
        return false;
    }
    // tcsetattr fails with EINVAL only when none of the changes could be
    // made; what counts is what the device holds afterwards.
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0 && errno != EINVAL) {
        lastError_ = errno;
        return false;
    }
    termios back{};
    if (::tcgetattr(fd_, &back) != 0) {
        lastError_ = errno;
        return false;
    }
    constexpr tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    const bool raw = back.c_iflag == tio.c_iflag && back.c_oflag == tio.c_oflag && back.c_lflag == 0
        && (back.c_cflag & CRTSCTS) == 0 && back.c_cc[VMIN] == 1 && back.c_cc[VTIME] == 0
        && ::cfgetospeed(&back) == ::cfgetospeed(&tio);
    // A pseudo-terminal carries bytes without character framing and always
    // reports CS8 without parity; a real line must take the framing.
    const bool framed = (back.c_cflag & framing) == (tio.c_cflag & framing);
    if (!raw || (!framed && hasModemLines_)) {
        lastError_ = EINVAL;
        return false;
    }
    settings_ = s;
    // Three character times, at least 2 ms: longer than the pauses inside
    // one telegram from a sender that paces its characters.
    using namespace std::chrono;
    const auto threeChars = nanoseconds(3LL * charBits(s) * 1'000'000'000LL / s.baudRate);
    quietGap_ = std::max<steady_clock::duration>(threeChars, milliseconds(2));
    return true;
}

long SerialDevice::readSome(void* buffer, size_t maximum)
{
    if (fd_ < 0)
        return -1;
    if (maximum == 0)
        return 0;
    for (;;) {
        ssize_t n = ::read(fd_, buffer, maximum);
        if (n > 0) {
            if (!hasModemLines_) {
                lastArrival_ = std::chrono::steady_clock::now();
                emulatedCts_.store(true);
            }
            return static_cast<long>(n);
        }
        if (n == 0)
            return -1;  // raw mode with VMIN 1: end of file means hang-up
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        lastError_ = errno;
        return -1;  // EIO after hang-up, ENODEV after removal
    }
}

long SerialDevice::writeSome(const void* data, size_t length)
{
    if (fd_ < 0)
        return -1;
    for (;;) {
        ssize_t n = ::write(fd_, data, length);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

bool SerialDevice::drain()
{
    if (fd_ < 0)
        return false;
    while (::tcdrain(fd_) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

void SerialDevice::discardInput()
{
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
}

bool SerialDevice::setRts(bool on)
{
    if (fd_ < 0)
        return false;
    if (!hasModemLines_)
        return true;  // nothing to switch on a line without modem signals
    int bit = TIOCM_RTS;
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool SerialDevice::setDtr(bool on)
{
    if (fd_ < 0)
        return false;
    if (!hasModemLines_)
        return true;
    int bit = TIOCM_DTR;
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool SerialDevice::modemBits(int& bits) const
{
    return fd_ >= 0 && ::ioctl(fd_, TIOCMGET, &bits) == 0;
}

bool SerialDevice::cts() const
{
    if (fd_ < 0)
        return false;
    if (!hasModemLines_)
        return emulatedCts_.load();
    int bits = 0;
    return modemBits(bits) && (bits & TIOCM_CTS) != 0;
}

uint32_t SerialDevice::ctsTransitions() const
{
    serial_icounter_struct counts{};
    if (fd_ < 0 || !hasErrorCounters_ || ::ioctl(fd_, TIOCGICOUNT, &counts) != 0)
        return 0;
    return static_cast<uint32_t>(counts.cts);
}

bool SerialDevice::errorCounts(ErrorCounts& out) const
{
    serial_icounter_struct counts{};
    if (fd_ < 0 || !hasErrorCounters_ || ::ioctl(fd_, TIOCGICOUNT, &counts) != 0)
        return false;
    out.parity = static_cast<uint32_t>(counts.parity);
    out.frame = static_cast<uint32_t>(counts.frame);
    out.overrun = static_cast<uint32_t>(counts.overrun) + static_cast<uint32_t>(counts.buf_overrun);
    return true;
}

std::optional<std::chrono::steady_clock::duration> SerialDevice::updateEmulatedCts(
    std::chrono::steady_clock::time_point now)
{
    if (hasModemLines_ || !emulatedCts_.load())
        return std::nullopt;
    const auto quietFor = now - lastArrival_;
    if (quietFor >= quietGap_) {
        emulatedCts_.store(false);
        return std::nullopt;
    }
    return quietGap_ - quietFor;
}

void SerialDevice::dropEmulatedCts()
{
    if (!hasModemLines_)
        emulatedCts_.store(false);
}

} // namespace qelserial
