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
#include "sim/sim_din_frames.h"

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

bool validStatus(int s)
{
    return (s >= 0 && s <= 15) || s == QelResult::NoAnswer || s == QelResult::Checksum || s == QelResult::Malformed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static TDinLine l;
    const uint8_t opt = data[0];
    const uint8_t arg = data[1];
    const QByteArray noise = qelfuzz::bytes(data + 2, size - 2);

    static const int services[] = {QelService::ParaSet, QelService::Plain, 6, QelService::ParaSet};
    const bool isWrite = (opt & 3) == 3;
    const int service = services[opt & 3];
    const bool echo = opt & 4;
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
    const QByteArray frame = l.Line.Take();
    if (echo)
        l.Line.Send(frame); // a two-wire line hears its own frame
    l.Line.Send(noise);

    // The inverter's answer, built by the simulator's side of the protocol.
    qelsim::SimReply reply;
    reply.status = refusal;
    if (service == QelService::Plain) {
        reply.data.setU16(0, 0x0203);
        reply.data.setU16(2, uint16_t(0x1200 + arg));
    } else if (service == 6) {
        reply.data.setText(3, QByteArray("Motor speed ") + QByteArray::number(arg));
    } else {
        reply.data.setI32(4, 0x12345600 + arg);
    }
    const char digit = service < 0 ? 0 : qelsim::din::hexDigit(id);
    // A refusal of service -1 carries no request number: behind any other
    // byte it reads as another request's (the acknowledge and refusal
    // rules), so only numbered answers and data frames are promised.
    const bool numbered = service >= 0 || refusal == 0;
    const bool endedByNoise = !l.Answers.empty();
    if (!endedByNoise) {
        l.Line.Send(qelsim::din::answer(service, isWrite, digit, reply));
        if (numbered && !noise.contains('\x02')) {
            if (l.Answers.size() != 1)
                qelfuzz::broken("the answer behind the noise was not read");
            const TRecTel& r = l.Answers.front();
            if (r.Status != refusal || r.ReqId != id)
                qelfuzz::broken("the answer behind the noise was read wrong");
            if (refusal == 0 && !isWrite) {
                const qelsim::SimData& want = reply.data;
                const bool same = service == QelService::Plain ? r.Data.GetU16(2) == want.u16(2)
                    : service == 6 ? QByteArray(reinterpret_cast<const char*>(r.Data.Bytes() + 4), r.Data.GetByte(3))
                            == want.text(3)
                                   : r.Data.GetI32(4) == want.i32(4);
                if (!same)
                    qelfuzz::broken("the value behind the noise was read wrong");
            }
        }
    }
    // Whatever the line did, the request ends: at its time-out at the latest.
    qelfuzz::TFuzzLine::RunUntil([&] { return !l.Answers.empty(); });
    if (l.Answers.size() != 1 || !validStatus(l.Answers.front().Status))
        qelfuzz::broken("the request ended more than once or with no result code");
    return 0;
}
