// The Zelk driver's receive path on a pseudo-terminal: the CTS-driven
// framing of the line-event thread (length from the telegram's first
// bytes, the rest waited for, what has no telegram dropped) and the
// matching of answers to outstanding requests in the GUI thread. Byte 0
// chooses the request (read of service 0, -1 or 6, or a write), the role
// (master or slave), SendSlow and a refusal; byte 1 is the value or the
// error number; the rest is noise, one burst after the request.
//
// Behind the noise comes a run of bytes that starts no telegram, so that a
// telegram the noise left unfinished is completed at once rather than
// after the 200 ms the line waits for a rest (real time, it measures the
// line); that run is noise too.
//
// The driver's promise: the request ends (an answer or -10 at its time-out)
// and, when the noise did not end it, the good answer the inverter sends
// after the line went quiet is read.

#include "comm/zelk.h"
#include "fuzz_line.h"
#include "sim/sim_zelk_telegram.h"

#include <vector>

namespace {

struct TZelkLine {
    qelfuzz::TFuzzLine Line;
    tZelk Drv;
    std::vector<TRecTel> Answers;
    int Requests = 0;

    TZelkLine(int com, bool master)
        : Line(com)
    {
        Drv.SetComport(TComPort(com - 1));
        Drv.SetMaster(master);
        Drv.SetTimeOut(1000);
        Drv.SetOnRspAvail([this](QObject*, TRecTel rec) { Answers.push_back(rec); });
        Drv.SetOnReqAvail([this](QObject*, TRecTel) { ++Requests; });
        if (Drv.Open() != 0)
            qelfuzz::broken("the driver does not open the line");
    }
};

// A byte that, as byte 0 and 1 of a telegram, starts none (by the
// simulator's length tables) and is no text length either.
char noTelegramByte()
{
    for (int b = 0xFF; b > 24; --b)
        if (qelsim::zelk::lengthEntry(b & 0x80, b & 0x40, b & 0x3F) == 0)
            return char(b);
    qelfuzz::broken("every byte starts a telegram");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static TZelkLine master(2, true);
    static TZelkLine slave(3, false);
    static const QByteArray quiet(48, noTelegramByte());
    const uint8_t opt = data[0];
    const uint8_t arg = data[1];
    TZelkLine& l = (opt & 4) ? slave : master;

    static const int services[] = {QelService::ParaSet, QelService::Plain, 6, QelService::ParaSet};
    const bool isWrite = (opt & 3) == 3;
    const int service = services[opt & 3];
    const int refusal = (opt & 16) ? 1 + arg % 15 : 0;
    l.Drv.SetSendSlow(opt & 8);

    TTelData d;
    d.ParAdr = 0x0203;
    d.SetByte(2, 1);
    d.Value = arg;
    l.Answers.clear();
    const int id = isWrite ? l.Drv.WriteParaReq(1, service, d) : l.Drv.ReadParaReq(1, service, d);
    if (id < 1 || id > 15)
        qelfuzz::broken("a request on an idle line was refused");
    l.Line.Take();
    l.Line.Send(qelfuzz::bytes(data + 2, size - 2) + quiet);

    // The inverter's answer; a plain access went out as service 1.
    const int wireService = service == QelService::Plain ? 1 : service;
    qelsim::SimData v;
    if (service == 6)
        v.setText(3, QByteArray("Motor speed ") + QByteArray::number(arg));
    else
        v.setI32(4, 0x12345600 + arg);
    if (l.Answers.empty()) {
        l.Line.Send(qelsim::zelk::buildAnswer(wireService, isWrite, id, &l == &master, refusal, v));
        if (l.Answers.size() != 1)
            qelfuzz::broken("the answer after the noise was not read");
        const TRecTel& r = l.Answers.front();
        if (r.Status != refusal || r.ReqId != id || r.Service != service || r.InvAdr != 1)
            qelfuzz::broken("the answer after the noise was read wrong");
        if (refusal == 0 && !isWrite) {
            const bool same = service == QelService::Plain ? r.Data.GetU16(2) == uint16_t(v.i32(4))
                : service == 6 ? QByteArray(reinterpret_cast<const char*>(r.Data.Bytes() + 4), r.Data.GetByte(3))
                        == v.text(3)
                               : r.Data.GetI32(4) == v.i32(4);
            if (!same)
                qelfuzz::broken("the value after the noise was read wrong");
        }
    }
    // Whatever the line did, the request ends: at its time-out at the latest.
    qelfuzz::TFuzzLine::RunUntil([&] { return !l.Answers.empty(); });
    if (l.Answers.size() != 1 || l.Answers.front().ReqId != id || l.Drv.PendingCount() != 0)
        qelfuzz::broken("the request ended more than once or not at all");
    return 0;
}
