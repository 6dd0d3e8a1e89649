#pragma once

// Inverters behind a DIN 66019 II gateway on the network: frames come as
// UDP datagrams or over TCP connections, on loopback.

#include "sim/sim_din_frames.h"
#include "sim/sim_din_responder.h"
#include "sim/sim_server_base.h"

#include <QStringList>

#include <map>
#include <memory>

namespace qelsim {

class SimDinNetServer : public SimServerBase {
public:
    SimDinNetServer();
    ~SimDinNetServer() override;

    // UDP: binds `port` (0 = a free one) on each of `hosts` and answers each
    // datagram's sender from the address it was sent to. The product's UDP
    // socket uses the same port number locally, so the simulator must not
    // sit on the product's own address: the default host is 127.0.0.2.
    // More hosts (127.0.0.5 ...) stand for gateways at several addresses.
    bool startUdp(quint16 port = 0, const QStringList& hosts = {QStringLiteral("127.0.0.2")},
                  QString* error = nullptr);
    // TCP: listens on `host`:`port` (0 = a free one); every connection is a
    // line of its own.
    bool startTcp(quint16 port = 0, const QString& host = QStringLiteral("127.0.0.1"), QString* error = nullptr);

    quint16 port() const { return port_; }
    int connectionCount() const;   // TCP connections accepted so far
    int openConnections() const;   // TCP connections open now
    // Closes every open TCP connection (a gateway that drops the line).
    void dropConnections();

private:
    struct Session;
    void runUdp();
    void runTcp();
    void onBytes(Session& s, const QByteArray& bytes, const std::function<void(const QByteArray&)>& write);

    std::vector<int> udpFds_;
    int listenFd_ = -1;
    quint16 port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<int> open_{0};
    std::atomic<bool> drop_{false};
};

} // namespace qelsim
