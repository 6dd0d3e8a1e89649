#pragma once

// TIp: DIN 66019 II frames carried over the network to an inverter or a
// gateway, as UDP datagrams or over a TCP connection the driver opens as
// a client. One request at a time; answers are evaluated like on the
// serial line, without echo and line errors.
//
// UDP: the local port equals the remote port (gateways answer to the port
// they were sent from). With an address whose last part is 255 every
// request for one inverter goes to the host whose last part is the
// inverter address; a broadcast write goes to the configured address.
//
// Everything runs in the GUI thread: socket notifications, the time-out
// timer and the wake-up event (QEvent::User + 100).

#include "comm/custom_qel_prot.h"
#include "comm/din_codec.h"
#include "comm/din_request.h"
#include "platform/clock.h"

#include <QEvent>
#include <QHostAddress>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QEventLoop;
class QTcpSocket;
class QUdpSocket;

class TIp : public tCustomQelProt {
    Q_OBJECT

public:
    static constexpr QEvent::Type WakeEvent = static_cast<QEvent::Type>(QEvent::User + 100);
    static constexpr int RecvBufSize = 120;
    static constexpr int MinTimeOut = 50;
    // Opening a TCP connection waits up to this many answer time-outs.
    static constexpr int ConnectTimeOuts = 10;

    explicit TIp(QObject* Owner = nullptr);
    ~TIp() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prIP; }
    bool IsOpen() const override { return !FClosed; }

    // Below 50 ms becomes 50.
    void SetTimeOut(int ms) override;

    int Open() override;
    int Close() override;

    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;

    // Dotted address or host name; port (remote, and local for UDP); UDP or
    // TCP. Taken only while closed; a change clears a connection error.
    QString GetIpAddress() const { return FIpAddress; }
    void SetIpAddress(const QString& Value);
    int GetIpPort() const { return FIpPort; }
    void SetIpPort(int Value);
    bool GetUDP() const { return FUDP; }
    void SetUDP(bool Value);

    // UDP with an address ending in ".255": the address up to and including
    // its last dot; empty otherwise.
    QString BroadcastBase() const { return FBroadcastBase; }
    // A TCP error or a dropped connection was seen; the next request closes
    // the driver.
    bool ConnectionError() const { return FConnError; }

    // A text with a character above '9' is a host name to be resolved.
    static bool IsHostName(const QString& Text);
    // Four decimal numbers 0..255 separated by dots; leading zeros are
    // decimal ("010" is ten), never octal. Surrounding blanks are ignored.
    static bool ParseDottedDecimal(const QString& Text, QHostAddress& Out);
    // The broadcast base of an address (see BroadcastBase).
    static QString BroadcastBaseOf(const QString& Address);

protected:
    bool event(QEvent* e) override;
    bool SyncRequestPending() const override { return FDin.Pending(); }
    int SyncEvaluate(TRecTel& Rsp) override;

private:
    int OpenUdp();
    int OpenTcp();
    // Dotted decimal, or a name looked up within the connect wait.
    // The unspecified address 0.0.0.0 is no destination.
    bool ResolveHost(const QString& Text, QHostAddress& Out);
    // Runs the event loop until `done` holds; false when the driver was
    // destroyed meanwhile (touch nothing then).
    bool WaitFor(const std::function<bool()>& done);
    void WakeWait();
    int ConnectWaitMs() const;

    int Request(bool IsRead, int Addr, int Service, const TTelData& Data);
    int Send(bool IsRead, int Addr, const uint8_t* Frame, int Len);
    void Receive(const char* Bytes, qint64 Len);
    int Evaluate();
    int FinishWith(int status, bool good);
    void OnTimer();

    std::unique_ptr<QUdpSocket> FUdp;
    std::unique_ptr<QTcpSocket> FTcp;
    qel::TTimer FTimer; // timer 1: answer time-out, and the connect wait in Open

    QString FIpAddress = QStringLiteral("000.000.000.000");
    int FIpPort = 8000;
    bool FUDP = false;

    bool FClosed = true;
    bool FOpening = false;
    bool FOpenAborted = false;
    bool FClosing = false;
    bool FConnected = false;
    bool FConnError = false;
    bool FTimedOut = false;
    QString FBroadcastBase;
    QHostAddress FRemote; // the configured address, resolved at Open (UDP)
    QEventLoop* FWaitLoop = nullptr;

    // The newest bytes received for the current request (an overflow
    // drops the oldest, DinAnswerScan::Append).
    uint8_t FRecvBuf[RecvBufSize] = {};
    int FRecvCount = 0;

    TDinRequest FDin;
};
