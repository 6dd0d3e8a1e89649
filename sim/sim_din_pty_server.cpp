#include "sim/sim_din_pty_server.h"

#include "sim/sim_clock.h"

#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qelsim {

namespace {

QString describe(const din::Frame& frame, int address)
{
    const SimRequest& r = frame.req;
    QString line = QStringLiteral("addr=%1 service=%2 %3")
                       .arg(address)
                       .arg(r.service)
                       .arg(r.isWrite ? QStringLiteral("write") : QStringLiteral("read"));
    if (r.service != -2)
        line += QStringLiteral(" par=0x") + QStringLiteral("%1").arg(r.data.u16(0), 4, 16, QLatin1Char('0')).toUpper();
    // A parameter write also names the raw value, so a check can see what
    // a user's entry sent.
    if (r.isWrite && r.service == -1)
        line += QStringLiteral(" value=%1").arg(r.data.u16(2));
    else if (r.isWrite && (r.service == 0 || r.service == 1))
        line += QStringLiteral(" value=%1").arg(r.data.i32(4));
    return line;
}

} // namespace

SimDinPtyServer::SimDinPtyServer() : responder_(*this) {}

SimDinPtyServer::~SimDinPtyServer()
{
    stop();
}

bool SimDinPtyServer::start(const QString& linkPath, QString* error)
{
    if (!pty_.open(linkPath, error))
        return false;
    startThread([this] { run(); });
    return true;
}

void SimDinPtyServer::setModem(const SimModemSettings& modem)
{
    std::lock_guard lock(modemMutex_);
    modem_ = modem;
}

bool SimDinPtyServer::modemOnline() const
{
    std::lock_guard lock(modemMutex_);
    return online_;
}

QStringList SimDinPtyServer::modemCommands() const
{
    std::lock_guard lock(modemMutex_);
    return modemLog_;
}

int SimDinPtyServer::currentLineRate() const
{
    return pty_.lineRate();
}

void SimDinPtyServer::setRequestLog(std::function<void(const QString&)> log)
{
    std::lock_guard lock(logMutex_);
    requestLog_ = std::move(log);
}

void SimDinPtyServer::run()
{
    const int fd = pty_.masterFd();
    char buf[512];
    while (!stopping()) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd(), POLLIN, 0}};
        if (::poll(fds, 2, 200) < 0 && errno != EINTR)
            break;
        if (stopping())
            break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                hungUp_ = false;
                handleReceived(QByteArray(buf, int(n)), [this](const QByteArray& b) { onBytes(b); });
                continue;
            }
            if (n < 0 && errno == EAGAIN)
                continue;
        }
        if (fds[0].revents & (POLLHUP | POLLERR | POLLIN)) {
            // Nobody has the slave side open.
            hangUp();
            idleMs(10);
        }
    }
}

void SimDinPtyServer::hangUp()
{
    if (hungUp_)
        return;
    hungUp_ = true;
    parser_.clear();
    responder_.reset();
    std::lock_guard lock(modemMutex_);
    online_ = false;
    modemLine_.clear();
}

void SimDinPtyServer::writeLine(const QByteArray& bytes)
{
    transmit({{0, bytes}}, simNow(), [this](const QByteArray& b) { pty_.write(b); }, true);
}

void SimDinPtyServer::onBytes(const QByteArray& bytes)
{
    bool modemCommandMode;
    {
        std::lock_guard lock(modemMutex_);
        modemCommandMode = modem_.enabled && !online_;
    }
    if (modemCommandMode) {
        onModemBytes(bytes);
        return;
    }
    const auto now = simNow();
    if (parser_.pending() == 0)
        rxFirst_ = now;
    parser_.append(bytes);
    while (auto frame = parser_.next()) {
        logFrame(frame->raw);
        if (frame->hasAddress)
            lastAddress_ = frame->address;
        const int rate = lineRate_;
        const bool rateOk = rate == 0 || currentLineRate() == rate;
        {
            std::lock_guard lock(logMutex_);
            if (requestLog_)
                requestLog_(describe(*frame, lastAddress_) +
                            (rateOk ? QString() : QStringLiteral(" ignored (line rate %1)").arg(currentLineRate())));
        }
        if (!rateOk) {
            // Garbled at the wrong rate: no inverter recognises the frame.
            rxFirst_ = simNow();
            continue;
        }
        const auto chunks = responder_.respond(*frame);
        // On a real line the request needed its character times to arrive.
        const auto requestEnd = std::max<std::chrono::steady_clock::time_point>(
            now, rxFirst_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(charTime() * int(frame->raw.size())));
        transmit(chunks, requestEnd, [this](const QByteArray& b) { pty_.write(b); }, true);
        rxFirst_ = simNow();
    }
}

void SimDinPtyServer::onModemBytes(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (c != '\r' && c != '\n') {
            std::lock_guard lock(modemMutex_);
            if (modemLine_.size() < 256)
                modemLine_ += c;
            continue;
        }
        QByteArray line;
        SimModemSettings modem;
        {
            std::lock_guard lock(modemMutex_);
            line = modemLine_.trimmed();
            modemLine_.clear();
            if (line.isEmpty())
                continue;
            modemLog_.append(QString::fromLatin1(line));
            modem = modem_;
        }
        if (modem.echo)
            writeLine(line + "\r");
        const QByteArray upper = line.toUpper();
        if (!upper.startsWith("AT"))
            continue;
        if (upper.startsWith("ATD")) {
            if (modem.dialDelayMs > 0 && !sleepMs(modem.dialDelayMs))
                return;
            if (!modem.dialResult.isEmpty()) {
                writeLine("\r\n" + modem.dialResult + "\r\n");
                if (modem.dialResult.toUpper().startsWith("CONNECT")) {
                    std::lock_guard lock(modemMutex_);
                    online_ = true;
                    return; // what follows in this read belongs to the line
                }
            }
        } else if (modem.answerOk) {
            writeLine("\r\nOK\r\n");
        }
    }
}

} // namespace qelsim
