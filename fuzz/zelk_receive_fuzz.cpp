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

constexpr qelfuzz::TAnswerMessages kAfterNoise{"the answer after the noise was not read",
                                               "the answer after the noise was read wrong",
                                               "the value after the noise was read wrong"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static TZelkLine master(2, true);
    static TZelkLine slave(3, false);
    static const QByteArray quiet(48, noTelegramByte());
    const uint8_t opt = data[0];
    const qelfuzz::TLineRequest req(opt, data[1]);
    TZelkLine& l = (opt & 4) ? slave : master;
    l.Drv.SetSendSlow(opt & 8);

    l.Answers.clear();
    const int id = req.Place(l.Drv, "a request on an idle line was refused");
    l.Line.Take();
    l.Line.Send(qelfuzz::bytes(data + 2, size - 2) + quiet);

    // The inverter's answer; a plain access went out as service 1.
    const int wireService = req.Service == QelService::Plain ? 1 : req.Service;
    qelsim::SimData v;
    if (req.Service == 6)
        v.setText(3, QByteArray("Motor speed ") + QByteArray::number(req.Arg));
    else
        v.setI32(4, 0x12345600 + req.Arg);
    if (l.Answers.empty()) {
        l.Line.Send(qelsim::zelk::buildAnswer(wireService, req.IsWrite, id, &l == &master, req.Refusal, v));
        const TRecTel& r = qelfuzz::onlyAnswer(l.Answers, kAfterNoise);
        if (r.Service != req.Service || r.InvAdr != 1)
            qelfuzz::broken(kAfterNoise.ReadWrong);
        // A plain access reads the low word of the value.
        qelfuzz::expectAnswerRead(r, req, id, v, uint16_t(v.i32(4)), kAfterNoise);
    }
    // Whatever the line did, the request ends: at its time-out at the latest.
    qelfuzz::expectEndsOnce(
        l.Answers, [&](const TRecTel& r) { return r.ReqId == id && l.Drv.PendingCount() == 0; },
        "the request ended more than once or not at all");
    return 0;
}
