#include "pty_client.h"

#include "wait_until.h"

#include <QFile>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace simtest {

PtyClient::PtyClient(const QString& path)
{
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) {
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
}

PtyClient::~PtyClient()
{
    close();
}

void PtyClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void PtyClient::write(const QByteArray& bytes)
{
    got_.clear();
    [[maybe_unused]] ssize_t n = ::write(fd_, bytes.constData(), size_t(bytes.size()));
}

void PtyClient::drain()
{
    char buf[256];
    ssize_t n;
    while ((n = ::read(fd_, buf, sizeof buf)) > 0)
        got_.append(buf, int(n));
}

QByteArray PtyClient::readAtLeast(int count, int timeoutMs)
{
    qeltest::waitUntil([&] { drain(); return got_.size() >= count; }, timeoutMs);
    const QByteArray out = got_;
    got_.clear();
    return out;
}

QByteArray PtyClient::readUntilEndsWith(const QByteArray& bytes, int timeoutMs)
{
    qeltest::waitUntil([&] { drain(); return got_.endsWith(bytes); }, timeoutMs);
    const QByteArray out = got_;
    got_.clear();
    return out;
}

} // namespace simtest
