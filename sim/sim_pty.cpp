#include "sim/sim_pty.h"

#include "sim/sim_clock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qelsim {

namespace {

int rateOfSpeed(speed_t s)
{
    switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

} // namespace

SimPty::~SimPty()
{
    close();
}

bool SimPty::open(const QString& linkPath, QString* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
        close();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail("grantpt/unlockpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slave_ = QString::fromLocal8Bit(name);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Raw from the start: without it the slave would echo what the
    // simulator sends back to the simulator before the product opens it.
    const int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0)
        return fail("open slave");
    termios t{};
    if (tcgetattr(s, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(s, TCSANOW, &t);
    }
    ::close(s);

    if (!linkPath.isEmpty()) {
        QFileInfo fi(linkPath);
        if (fi.isSymLink() || fi.exists())
            QFile::remove(linkPath);
        if (symlink(name, QFile::encodeName(linkPath).constData()) != 0)
            return fail("symlink");
        link_ = linkPath;
    }
    return true;
}

void SimPty::close()
{
    if (!link_.isEmpty()) {
        QFile::remove(link_);
        link_.clear();
    }
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

int SimPty::lineRate() const
{
    termios t{};
    if (master_ < 0 || ::tcgetattr(master_, &t) != 0)
        return 0;
    return rateOfSpeed(cfgetospeed(&t));
}

void SimPty::write(const QByteArray& bytes) const
{
    int off = 0;
    simFlow(bytes.size());
    while (off < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + off, size_t(bytes.size() - off));
        if (n > 0) {
            off += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 100) > 0)
                continue;
        }
        simFlow(off - bytes.size());
        return;
    }
}

} // namespace qelsim
