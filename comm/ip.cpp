#include "comm/ip.h"

#include "comm/din_answer_scan.h"
#include "comm/nested_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <climits>
#include <cstring>

using namespace DinCodec;

namespace {

// Backstop of the local waits (connect, host lookup, close); the waits are
// woken by the notifications they wait for.
constexpr int WaitBackstopMs = 20;

bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The value of a run of decimal digits, capped so that long runs of zeros
// or digits cannot overflow.
int decimalValue(const QString& s)
{
    int v = 0;
    for (QChar c : s) {
        v = v * 10 + (c.unicode() - '0');
        if (v > 100000)
            return 100000;
    }
    return v;
}

} // namespace

TIp::TIp(QObject* Owner)
    : tCustomQelProt(Owner)
    , FUdp(std::make_unique<QUdpSocket>())
    , FTcp(std::make_unique<QTcpSocket>())
{
    FTimeOut = 5000;
    // Inverters are reached directly, never through an application proxy.
    FUdp->setProxy(QNetworkProxy::NoProxy);
    FTcp->setProxy(QNetworkProxy::NoProxy);
    FTimer.setSingleShot(true);
    connect(&FTimer, &qel::TTimer::timeout, this, &TIp::OnTimer);

    connect(FUdp.get(), &QUdpSocket::readyRead, this, [this] {
        while (FUdp->hasPendingDatagrams()) {
            const QNetworkDatagram d = FUdp->receiveDatagram();
            const QByteArray bytes = d.data();
            Receive(bytes.constData(), bytes.size());
        }
    });
    connect(FTcp.get(), &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = FTcp->readAll();
        Receive(bytes.constData(), bytes.size());
    });
    connect(FTcp.get(), &QTcpSocket::connected, this, [this] {
        FConnected = true;
        WakeWait();
    });
    connect(FTcp.get(), &QTcpSocket::disconnected, this, [this] {
        FConnected = false;
        WakeWait();
    });
    // A refused connection, an unknown host or a dropped line: remembered,
    // the next request closes the driver. Nothing is thrown.
    connect(FTcp.get(), &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        FConnError = true;
        WakeWait();
    });
}

TIp::~TIp()
{
    FOnRspAvail = nullptr;
    // Nothing waits for an outstanding request when the driver goes away.
    FDin.Abandon();
    FOpenAborted = true;
    Close();
    FTcp->disconnect(this);
    FUdp->disconnect(this);
    FTcp->abort();
    FUdp->close();
}

QString TIp::GetVersion() const
{
    return QStringLiteral("IP Driver\r\nVersion: 1.2\r\nDate: 06.09.2002");
}

void TIp::SetTimeOut(int ms)
{
    FTimeOut = std::max(ms, MinTimeOut);
}

void TIp::SetIpAddress(const QString& Value)
{
    if (!FClosed || FOpening)
        return;
    FIpAddress = Value;
    FConnError = false;
}

void TIp::SetIpPort(int Value)
{
    if (!FClosed || FOpening)
        return;
    FIpPort = Value;
    FConnError = false;
}

void TIp::SetUDP(bool Value)
{
    if (!FClosed || FOpening)
        return;
    FUDP = Value;
    FConnError = false;
}

// ------------------------------------------------------------ address texts

bool TIp::IsHostName(const QString& Text)
{
    for (QChar c : Text)
        if (c.unicode() > '9')
            return true;
    return false;
}

bool TIp::ParseDottedDecimal(const QString& Text, QHostAddress& Out)
{
    const QStringList parts = Text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    quint32 ip = 0;
    for (const QString& p : parts) {
        if (!allDigits(p))
            return false;
        const int v = decimalValue(p);
        if (v > 255)
            return false;
        ip = (ip << 8) | quint32(v);
    }
    Out = QHostAddress(ip);
    return true;
}

QString TIp::BroadcastBaseOf(const QString& Address)
{
    const QString a = Address.trimmed();
    const qsizetype dot = a.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    const QString last = a.mid(dot + 1);
    if (!allDigits(last) || decimalValue(last) != 255)
        return {};
    return a.left(dot + 1);
}

// ---------------------------------------------------------------- waiting

int TIp::ConnectWaitMs() const
{
    const qint64 ms = qint64(FTimeOut) * ConnectTimeOuts;
    return int(std::min<qint64>(ms, INT_MAX));
}

void TIp::WakeWait()
{
    if (FWaitLoop)
        FWaitLoop->quit();
}

bool TIp::WaitFor(const std::function<bool()>& done)
{
    return RunNestedWait(FWaitLoop, AliveToken(), WaitBackstopMs, done);
}

bool TIp::ResolveHost(const QString& Text, QHostAddress& Out)
{
    if (!IsHostName(Text)) {
        if (!ParseDottedDecimal(Text, Out))
            return false;
    } else {
        bool done = false;
        QHostInfo info;
        const int id = QHostInfo::lookupHost(Text.trimmed(), this, [&](const QHostInfo& i) {
            info = i;
            done = true;
            WakeWait();
        });
        FTimedOut = false;
        FTimer.start(ConnectWaitMs());
        if (!WaitFor([&] { return done || FTimedOut || FOpenAborted; }))
            return false;
        FTimer.stop();
        if (!done) {
            QHostInfo::abortHostLookup(id);
            return false;
        }
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
            return false;
        // The datagram socket is bound for IPv4 unless only IPv6 is there.
        Out = info.addresses().first();
        for (const QHostAddress& a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                Out = a;
                break;
            }
        }
    }
    // Linux takes 0.0.0.0 (the start value "000.000.000.000") for the local
    // host; it names no inverter.
    return !Out.isNull() && Out != QHostAddress(QHostAddress::AnyIPv4) && Out != QHostAddress(QHostAddress::AnyIPv6);
}

// ---------------------------------------------------------------- open/close

int TIp::Open()
{
    if (!FClosed || FOpening)
        return QelResult::AlreadyOpen;
    if (FTcp->state() != QAbstractSocket::UnconnectedState)
        FTcp->abort();
    FConnected = false;
    FTimedOut = false;
    // Every Open is a fresh attempt: an earlier error must not keep a
    // gateway that is back from being reached again.
    FConnError = false;
    if (FIpPort < 1 || FIpPort > 65535)
        return QelResult::OpenFailed;

    const std::shared_ptr<const bool> alive = AliveToken();
    FOpening = true;
    FOpenAborted = false;
    const int r = FUDP ? OpenUdp() : OpenTcp();
    if (!*alive)
        return QelResult::OpenFailed;
    FOpening = false;
    FTimer.stop();
    if (r != QelResult::Ok || FOpenAborted) {
        FTcp->abort();
        FUdp->close();
        return QelResult::OpenFailed;
    }
    FDin.Reset();
    FRecvCount = 0;
    FClosed = false;
    return QelResult::Ok;
}

int TIp::OpenUdp()
{
    FBroadcastBase = BroadcastBaseOf(FIpAddress);
    // An unknown host fails here rather than at the first datagram.
    if (!ResolveHost(FIpAddress, FRemote))
        return QelResult::OpenFailed;
    FUdp->close();
    const QHostAddress local(FRemote.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6
                                                                                  : QHostAddress::AnyIPv4);
    // Shared, so that a gateway simulated on another loopback address of
    // this host can hold the same port.
    if (!FUdp->bind(local, quint16(FIpPort), QAbstractSocket::ShareAddress))
        return QelResult::OpenFailed;
    return QelResult::Ok;
}

int TIp::OpenTcp()
{
    FBroadcastBase.clear();
    const bool isName = IsHostName(FIpAddress);
    QHostAddress address;
    if (!isName && !ResolveHost(FIpAddress, address))
        return QelResult::OpenFailed;

    FTimedOut = false;
    FTimer.start(ConnectWaitMs());
    if (isName)
        FTcp->connectToHost(FIpAddress.trimmed(), quint16(FIpPort)); // the socket resolves the name
    else
        FTcp->connectToHost(address, quint16(FIpPort));
    if (!WaitFor([this] { return FConnected || FConnError || FTimedOut || FOpenAborted; }))
        return QelResult::OpenFailed;
    FTimer.stop();
    if (!FConnected || FConnError || FTcp->state() != QAbstractSocket::ConnectedState)
        return QelResult::OpenFailed;
    return QelResult::Ok;
}

int TIp::Close()
{
    if (FClosed) {
        if (FOpening) {
            // Closing while Open waits: the attempt is given up.
            FOpenAborted = true;
            WakeWait();
        }
        return QelResult::NotOpen;
    }
    if (FClosing)
        return QelResult::NotOpen;
    FClosing = true;

    if (FDin.Pending()) {
        if (SyncActive()) {
            // The outstanding request is the synchronous exchange's own: its
            // loop is suspended below us, so waiting for it would never end.
            FDin.Finish(QelResult::DriverClosed, false);
            FTimer.stop();
            SyncWake();
        } else if (!WaitFor([this] { return !FDin.Pending(); })) {
            return QelResult::Ok; // freed (and closed) by a handler meanwhile
        }
    }
    if (!FUDP)
        FTcp->abort();
    FUdp->close(); // releases the local port
    FTimer.stop();
    FRecvCount = 0;
    FConnected = false;
    QCoreApplication::removePostedEvents(this, WakeEvent);
    FClosed = true;
    FClosing = false;
    return QelResult::Ok;
}

// ------------------------------------------------------------------ requests

int TIp::ReadParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(true, Addr, Service, Data);
}

int TIp::WriteParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(false, Addr, Service, Data);
}

int TIp::Request(bool IsRead, int Addr, int Service, const TTelData& Data)
{
    if (FClosing)
        return QelResult::NotOpen;
    if (!FClosed && (FConnError || (!FUDP && FTcp->state() != QAbstractSocket::ConnectedState))) {
        // The line is gone: close, so that the selector sends the
        // addresses to the offline driver until the driver is opened again.
        const std::shared_ptr<const bool> alive = AliveToken();
        Close();
        if (!*alive)
            return QelResult::DriverClosed;
    }
    if (FClosed)
        return QelResult::DriverClosed;
    if (SyncWaitingForIdle())
        return QelResult::DriverBusy;

    uint8_t frame[MinTelBuffer];
    const int n = FDin.Prepare(IsRead, Addr, Service, Data, frame);
    if (n < 0)
        return n;

    FTimer.stop();
    FRecvCount = 0;
    const int sent = Send(IsRead, Addr, frame, n);
    if (sent != QelResult::Ok)
        return sent;

    FDin.Sent();
    FTimedOut = false;
    FTimer.start(FTimeOut);
    return FDin.ReqId();
}

int TIp::Send(bool IsRead, int Addr, const uint8_t* Frame, int Len)
{
    const char* bytes = reinterpret_cast<const char*>(Frame);
    if (!FUDP) {
        if (FTcp->write(bytes, Len) != Len)
            return QelResult::OpenFailed;
        FTcp->flush();
        return QelResult::Ok;
    }
    QHostAddress to = FRemote;
    // Behind a ".255" address every inverter has its own host. A read goes
    // to the host of its inverter, and so does a write to one inverter; a
    // broadcast write goes to the configured (broadcast) address.
    if (!FBroadcastBase.isEmpty() && (IsRead || Addr <= MaxInvAdr)) {
        if (!ParseDottedDecimal(FBroadcastBase + QString::number(Addr), to))
            return QelResult::OpenFailed;
    }
    if (FUdp->writeDatagram(bytes, Len, to, quint16(FIpPort)) != Len)
        return QelResult::OpenFailed;
    return QelResult::Ok;
}

// ---------------------------------------------------------------- receiving

void TIp::Receive(const char* Bytes, qint64 Len)
{
    if (FClosed)
        return;
    DinAnswerScan::Append(FRecvBuf, FRecvCount, RecvBufSize,
                          reinterpret_cast<const uint8_t*>(Bytes), int(std::min<qint64>(Len, INT_MAX)));
    bool frameEnd = false;
    for (int i = 0; i < FRecvCount && !frameEnd; ++i) {
        const uint8_t b = FRecvBuf[i];
        frameEnd = b == ACK || b == EOT || b == NAK || (b == ETX && i + 1 < FRecvCount);
    }
    if (!frameEnd || !FDin.Pending())
        return;
    if (SyncActive())
        SyncWake(); // the synchronous loop evaluates
    else
        QCoreApplication::postEvent(this, new QEvent(WakeEvent));
}

bool TIp::event(QEvent* e)
{
    if (e->type() == WakeEvent) {
        if (SyncActive())
            SyncWake();
        else
            Evaluate();
        return true;
    }
    return tCustomQelProt::event(e);
}

void TIp::OnTimer()
{
    FTimer.stop();
    FTimedOut = true;
    if (FOpening) {
        WakeWait();
        return;
    }
    if (SyncActive())
        SyncWake();
    else
        Evaluate();
}

// --------------------------------------------------------------- evaluation

int TIp::SyncEvaluate(TRecTel& Rsp)
{
    const int status = Evaluate();
    Rsp = FDin.Rec();
    return status;
}

int TIp::FinishWith(int status, bool good)
{
    FDin.Finish(status, good);
    FTimer.stop();
    SyncWake();
    WakeWait(); // Close may be waiting for the request to end
    RaiseRspAvail(FDin.Rec()); // not while synchronous; may free the driver
    return status;
}

int TIp::Evaluate()
{
    if (!FDin.Pending()) {
        if (!SyncActive())
            return QelResult::Pending; // a late wake-up; nothing to do
        // The request has ended (Close ends it with -100).
        TRecTel& rec = FDin.Rec();
        if (rec.Status == QelResult::Pending)
            rec.Status = QelResult::DriverClosed;
        return rec.Status;
    }
    // A broadcast write is not answered.
    if (FDin.IsBroadcast())
        return FinishWith(QelResult::Ok, false);

    // No echo and no line errors on the network. A poll is not
    // acknowledged here, and only service -1 goes without request number.
    int errorNumber = 0;
    const DinAnswerScan::TOutcome outcome
        = DinAnswerScan::Scan(FRecvBuf, FRecvCount, FDin.ScanParams(false, false), FDin.Rec().Data, errorNumber);
    if (outcome != DinAnswerScan::TOutcome::None)
        return FinishWith(TDinRequest::StatusOf(outcome, errorNumber), outcome == DinAnswerScan::TOutcome::Success);
    if (FTimedOut)
        return FinishWith(QelResult::NoAnswer, false);
    FDin.Rec().Status = QelResult::Pending;
    return QelResult::Pending;
}
