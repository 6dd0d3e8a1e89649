#include "sim/sim_din_net_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qelsim {

struct SimDinNetServer::Session {
    explicit Session(SimServerBase& bus) : responder(bus) {}
    din::RequestParser parser;
    SimDinResponder responder;
};

namespace {

bool toAddr(const QString& host, quint16 port, sockaddr_in& sa)
{
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    return inet_pton(AF_INET, host.toLatin1().constData(), &sa.sin_addr) == 1;
}

quint16 boundPort(int fd)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    return ntohs(sa.sin_port);
}

bool setError(QString* error, const QString& what)
{
    if (error)
        *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(strerror(errno)));
    return false;
}

void sendAll(int fd, const QByteArray& bytes)
{
    int off = 0;
    while (off < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + off, size_t(bytes.size() - off), MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return;
        }
        off += int(n);
    }
}

} // namespace

SimDinNetServer::SimDinNetServer() = default;

SimDinNetServer::~SimDinNetServer()
{
    stop();
    for (int fd : udpFds_)
        ::close(fd);
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

int SimDinNetServer::connectionCount() const { return accepted_; }
int SimDinNetServer::openConnections() const { return open_; }
void SimDinNetServer::dropConnections() { drop_ = true; }

bool SimDinNetServer::startUdp(quint16 port, const QStringList& hosts, QString* error)
{
    for (const QString& host : hosts) {
        sockaddr_in sa;
        if (!toAddr(host, port, sa)) {
            if (error)
                *error = QStringLiteral("not an IPv4 address: %1").arg(host);
            return false;
        }
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return setError(error, QStringLiteral("socket"));
        // The product binds the same port on its side; both must allow it.
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
            ::close(fd);
            return setError(error, QStringLiteral("bind %1:%2").arg(host).arg(port));
        }
        if (port == 0)
            port = boundPort(fd);
        udpFds_.push_back(fd);
    }
    port_ = port;
    startThread([this] { runUdp(); });
    return true;
}

bool SimDinNetServer::startTcp(quint16 port, const QString& host, QString* error)
{
    sockaddr_in sa;
    if (!toAddr(host, port, sa)) {
        if (error)
            *error = QStringLiteral("not an IPv4 address: %1").arg(host);
        return false;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        return setError(error, QStringLiteral("socket"));
    const int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return setError(error, QStringLiteral("bind %1:%2").arg(host).arg(port));
    if (::listen(listenFd_, 8) != 0)
        return setError(error, QStringLiteral("listen"));
    port_ = boundPort(listenFd_);
    startThread([this] { runTcp(); });
    return true;
}

void SimDinNetServer::onBytes(Session& s, const QByteArray& bytes,
                              const std::function<void(const QByteArray&)>& write)
{
    const auto now = std::chrono::steady_clock::now();
    s.parser.append(bytes);
    while (auto frame = s.parser.next()) {
        logFrame(frame->raw);
        transmit(s.responder.respond(*frame), now, write, false);
    }
}

void SimDinNetServer::runUdp()
{
    // One line per (local socket, sender).
    std::map<std::pair<int, std::string>, std::unique_ptr<Session>> sessions;
    std::vector<pollfd> fds;
    char buf[2048];
    while (!stopping()) {
        fds.clear();
        for (int fd : udpFds_)
            fds.push_back({fd, POLLIN, 0});
        fds.push_back({stopFd(), POLLIN, 0});
        if (::poll(fds.data(), nfds_t(fds.size()), 200) < 0 && errno != EINTR)
            break;
        for (size_t i = 0; i + 1 < fds.size() && !stopping(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(fds[i].fd, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0)
                continue;
            const std::string key(reinterpret_cast<const char*>(&from), len);
            auto& s = sessions[{fds[i].fd, key}];
            if (!s)
                s = std::make_unique<Session>(*this);
            const int fd = fds[i].fd;
            onBytes(*s, QByteArray(buf, int(n)), [fd, from](const QByteArray& b) {
                ::sendto(fd, b.constData(), size_t(b.size()), 0, reinterpret_cast<const sockaddr*>(&from), sizeof from);
            });
        }
    }
}

void SimDinNetServer::runTcp()
{
    struct Conn {
        int fd;
        std::unique_ptr<Session> session;
    };
    std::vector<Conn> conns;
    std::vector<pollfd> fds;
    char buf[2048];
    auto closeAll = [&] {
        for (Conn& c : conns)
            ::close(c.fd);
        conns.clear();
        open_ = 0;
    };
    while (!stopping()) {
        if (drop_.exchange(false))
            closeAll();
        fds.clear();
        fds.push_back({listenFd_, POLLIN, 0});
        fds.push_back({stopFd(), POLLIN, 0});
        for (const Conn& c : conns)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), nfds_t(fds.size()), 50) < 0 && errno != EINTR)
            break;
        if (stopping())
            break;
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                const int one = 1;
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                conns.push_back({fd, std::make_unique<Session>(*this)});
                ++accepted_;
                ++open_;
            }
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            auto it = std::find_if(conns.begin(), conns.end(), [&](const Conn& c) { return c.fd == fds[i].fd; });
            if (it == conns.end())
                continue;
            const ssize_t n = ::recv(it->fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                const int fd = it->fd;
                onBytes(*it->session, QByteArray(buf, int(n)), [fd](const QByteArray& b) { sendAll(fd, b); });
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                ::close(it->fd);
                conns.erase(it);
                --open_;
            }
        }
    }
    closeAll();
}

} // namespace qelsim
