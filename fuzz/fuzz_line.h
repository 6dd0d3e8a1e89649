#pragma once

// The far end of a serial line for the targets of the serial drivers: a
// pseudo-terminal whose slave side a driver opens as a COM port, and the
// program on a virtual clock. The time stands while the target sends and
// reads; the target waits for the line's work (every byte on its way taken
// and handled, what that posted run), never for time. Only RunUntil lets
// the time move, so a request that nothing answers ends at its time-out in
// no real time.
//
// Also the request these targets place (chosen by the input's first two
// bytes), the inverter's answer to it and the checks of what the drivers
// promise for it.

#include "comm/custom_qel_prot.h"
#include "fuzz_support.h"
#include "platform/clock.h"
#include "platform/virtual_clock.h"
#include "sim/sim_data.h"
#include "sim/sim_din_frames.h"
#include "sim/sim_pty.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace qelfuzz {

// The program clock of the run; made once, after the application.
inline qel::TVirtualClock& virtualClock()
{
    app();
    static qel::TVirtualClock* clock = [] {
        auto* c = new qel::TVirtualClock;
        c->SetGate([] { return true; }); // held, until RunUntil lets it go
        return c;
    }();
    return *clock;
}

class TFuzzLine {
public:
    // Opens a pseudo-terminal and maps COM<com> to its slave side.
    explicit TFuzzLine(int com)
    {
        virtualClock();
        QString error;
        if (!FPty.open({}, &error))
            broken("no pseudo-terminal");
        qputenv(QStringLiteral("QEL_COM%1").arg(com).toLatin1().constData(), FPty.path().toLocal8Bit());
    }

    // What the driver has sent, once everything it put on its way has left
    // the port (the transmitter-empty event handled too).
    QByteArray Take()
    {
        QByteArray got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            pollfd p{FPty.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, 1) > 0 && (p.revents & POLLIN)) {
                char buf[256];
                const ssize_t n = ::read(FPty.masterFd(), buf, sizeof buf);
                if (n > 0) {
                    qel::LineFlow(-long(n));
                    got.append(buf, qsizetype(n));
                }
            }
            QCoreApplication::sendPostedEvents();
            if (qel::LineInFlight() == 0)
                return got;
            if (std::chrono::steady_clock::now() > until)
                broken("the driver's frame never left the port");
        }
    }

    // Puts bytes on the line as one burst and waits until the driver has
    // handled them and what that posted has run.
    void Send(const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            return;
        qel::LineFlow(long(bytes.size()));
        qsizetype off = 0;
        while (off < bytes.size()) {
            const ssize_t n = ::write(FPty.masterFd(), bytes.constData() + off, size_t(bytes.size() - off));
            if (n > 0) {
                off += n;
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                broken("the line does not take bytes");
            } else {
                pollfd p{FPty.masterFd(), POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        }
        Settle();
    }

    // Until nothing is on its way and nothing is posted.
    static void Settle()
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            QCoreApplication::sendPostedEvents();
            if (qel::LineInFlight() == 0) {
                QCoreApplication::sendPostedEvents();
                if (qel::LineInFlight() == 0)
                    return;
            }
            if (std::chrono::steady_clock::now() > until)
                broken("bytes on the line were never handled");
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    }

    // Runs the program, its time moving, until `done` holds (a time-out of
    // a few seconds of program time takes no real time).
    static void RunUntil(const std::function<bool()>& done)
    {
        auto& clock = virtualClock();
        clock.SetGate({});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!done()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (std::chrono::steady_clock::now() > until)
                broken("the request never ended");
        }
        clock.SetGate([] { return true; });
    }

private:
    qelsim::SimPty FPty;
};

// The request of a target: byte 0 chooses a read of service 0, -1 or 6 or a
// write (bits 0-1) and whether the inverter refuses it (bit 4); byte 1 is
// the value, or the error number of the refusal.
struct TLineRequest {
    bool IsWrite;
    int Service;
    int Refusal; // 0, or the error number the inverter answers with
    uint8_t Arg;

    TLineRequest(uint8_t opt, uint8_t arg)
        : IsWrite((opt & 3) == 3)
        , Service(kServices[opt & 3])
        , Refusal((opt & 16) ? 1 + arg % 15 : 0)
        , Arg(arg)
    {
    }

    // A refusal of service -1 carries no request number: behind any other
    // byte it reads as another request's (the acknowledge and refusal
    // rules), so only numbered answers and data frames are promised.
    bool Numbered() const { return Service >= 0 || Refusal == 0; }

    // Places the request on an idle driver; its request number. A refused
    // request is broken promise `refused`.
    int Place(tCustomQelProt& drv, const char* refused) const
    {
        TTelData d;
        d.ParAdr = 0x0203;
        d.SetByte(2, 1);
        d.Value = Arg;
        const int id = IsWrite ? drv.WriteParaReq(1, Service, d) : drv.ReadParaReq(1, Service, d);
        if (id < 1 || id > 15)
            broken(refused);
        return id;
    }

private:
    static constexpr int kServices[] = {QelService::ParaSet, QelService::Plain, 6, QelService::ParaSet};
};

// The DIN 66019 II answer of the inverter to `req`, as the simulator's side
// of the protocol builds it: the word of a plain access, a text of service
// 6, else a value, each from the request's byte 1.
inline qelsim::SimReply dinReply(const TLineRequest& req)
{
    qelsim::SimReply reply;
    reply.status = req.Refusal;
    if (req.Service == QelService::Plain) {
        reply.data.setU16(0, 0x0203);
        reply.data.setU16(2, uint16_t(0x1200 + req.Arg));
    } else if (req.Service == 6) {
        reply.data.setText(3, QByteArray("Motor speed ") + QByteArray::number(req.Arg));
    } else {
        reply.data.setI32(4, 0x12345600 + req.Arg);
    }
    return reply;
}

// The frame of `reply`, numbered `id` where the service numbers its answers.
inline QByteArray dinFrame(const TLineRequest& req, int id, const qelsim::SimReply& reply)
{
    const char digit = req.Service < 0 ? 0 : qelsim::din::hexDigit(id);
    return qelsim::din::answer(req.Service, req.IsWrite, digit, reply);
}

// What a target says when the inverter's answer that came with the noise
// was not read, was read wrong, or its value was.
struct TAnswerMessages {
    const char* NotRead;
    const char* ReadWrong;
    const char* ValueWrong;
};

inline constexpr TAnswerMessages kBehindNoise{"the answer behind the noise was not read",
                                              "the answer behind the noise was read wrong",
                                              "the value behind the noise was read wrong"};

// The one answer the driver has raised.
inline const TRecTel& onlyAnswer(const std::vector<TRecTel>& answers, const TAnswerMessages& say)
{
    if (answers.size() != 1)
        broken(say.NotRead);
    return answers.front();
}

// The answer read carries the inverter's result and the request's number
// and, for a read it did not refuse, the value sent: `plainWord` for a
// plain access, the text at 3 for service 6, else the value at 4 of `sent`.
inline void expectAnswerRead(const TRecTel& r, const TLineRequest& req, int id, const qelsim::SimData& sent,
                             uint16_t plainWord, const TAnswerMessages& say)
{
    if (r.Status != req.Refusal || r.ReqId != id)
        broken(say.ReadWrong);
    if (req.Refusal != 0 || req.IsWrite)
        return;
    const bool same = req.Service == QelService::Plain ? r.Data.GetU16(2) == plainWord
        : req.Service == 6 ? QByteArray(reinterpret_cast<const char*>(r.Data.Bytes() + 4), r.Data.GetByte(3))
                == sent.text(3)
                           : r.Data.GetI32(4) == sent.i32(4);
    if (!same)
        broken(say.ValueWrong);
}

// A result a DIN 66019 II request may end with: the inverter's error
// numbers, no answer, a bad block check or a malformed frame.
inline bool hasResultCode(const TRecTel& r)
{
    const int s = r.Status;
    return (s >= 0 && s <= 15) || s == QelResult::NoAnswer || s == QelResult::Checksum || s == QelResult::Malformed;
}

// Whatever the line did, the request ends, once, at its time-out at the
// latest, and its answer is `complete`.
inline void expectEndsOnce(const std::vector<TRecTel>& answers, const std::function<bool(const TRecTel&)>& complete,
                           const char* what)
{
    TFuzzLine::RunUntil([&] { return !answers.empty(); });
    if (answers.size() != 1 || !complete(answers.front()))
        broken(what);
}

} // namespace qelfuzz
