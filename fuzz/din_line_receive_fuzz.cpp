// The DIN 66019 II serial driver's receive path on a pseudo-terminal:
// whatever bytes the line delivers go through the port's line-event thread
// into the driver's receive ring and its evaluation. Byte 0 chooses the
// request (read of service 0, -1 or 6, or a write), whether the line echoes
// the frame, SendSlow and whether the inverter refuses; byte 1 is the value
// or the error number; the rest is noise, sent after the request.
//
// The driver's promise: the request ends, with an answer or an error code,
// at its time-out at the latest; and when the noise did not end it, the
// good answer that follows is read, as long as the noise opens no data
// frame (holds no STX) that the answer could be taken for the end of, and
// the answer is a data frame or carries a request number.

#include "comm/ansi.h"
#include "fuzz_line.h"

#include <vector>

namespace {

struct TDinLine {
    qelfuzz::TFuzzLine Line{1};
    TAnsi Drv;
    std::vector<TRecTel> Answers;

    TDinLine()
    {
        Drv.SetComport(Com1);
        Drv.SetTimeOut(1000);
        Drv.SetOnRspAvail([this](QObject*, TRecTel rec) { Answers.push_back(rec); });
        if (Drv.Open() != 0)
            qelfuzz::broken("the driver does not open the line");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static TDinLine l;
    const uint8_t opt = data[0];
    const qelfuzz::TLineRequest req(opt, data[1]);
    const QByteArray noise = qelfuzz::bytes(data + 2, size - 2);
    const bool echo = opt & 4;
    l.Drv.SetSendSlow(opt & 8);

    l.Answers.clear();
    const int id = req.Place(l.Drv, "a request on an idle line was refused");
    const QByteArray frame = l.Line.Take();
    if (echo)
        l.Line.Send(frame); // a two-wire line hears its own frame
    l.Line.Send(noise);

    const bool endedByNoise = !l.Answers.empty();
    if (!endedByNoise) {
        // A noise with no STX opens no data frame the answer could be
        // taken for the end of.
        const qelsim::SimReply reply = qelfuzz::dinReply(req);
        l.Line.Send(qelfuzz::dinFrame(req, id, reply));
        if (req.Numbered() && !noise.contains('\x02')) {
            const TRecTel& r = qelfuzz::onlyAnswer(l.Answers, qelfuzz::kBehindNoise);
            qelfuzz::expectAnswerRead(r, req, id, reply.data, reply.data.u16(2), qelfuzz::kBehindNoise);
        }
    }
    // Whatever the line did, the request ends: at its time-out at the latest.
    qelfuzz::expectEndsOnce(l.Answers, qelfuzz::hasResultCode, "the request ended more than once or with no result code");
    return 0;
}
