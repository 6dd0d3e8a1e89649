#include "sim/sim_din_responder.h"

namespace qelsim {

using namespace din;

std::vector<SimChunk> SimDinResponder::respond(const Frame& frame)
{
    std::vector<SimChunk> chunks;
    if (frame.hasAddress)
        selected_ = frame.address;
    const int addr = selected_;
    if (addr < 0)
        return chunks;
    SimRequest req = frame.req;
    req.address = addr;
    const bool intact = frame.checkOk && frame.layoutOk && frame.known;

    // Broadcast: every inverter carries out the write, none answers.
    if (addr >= 240) {
        if (req.isWrite && intact)
            for (const auto& inv : bus_.allInverters())
                inv->handle(req);
        return chunks;
    }
    auto inv = bus_.inverter(addr);
    if (!inv)
        return chunks;

    const SimFault fault = bus_.takeFault(addr, parameterOf(req));
    if (fault.echo)
        chunks.push_back({0, frame.raw});
    int firstDelay = bus_.turnaroundMs() + fault.delayMs;
    auto add = [&](const QByteArray& bytes) {
        chunks.push_back({firstDelay, bytes});
        firstDelay = 0;
    };
    if (!fault.garbage.isEmpty())
        add(fault.garbage);
    if (fault.silence)
        return chunks;

    auto answerer = inv;
    if (fault.foreignAddr)
        if (auto other = bus_.otherInverter(addr))
            answerer = other;

    SimReply reply;
    if (!frame.checkOk || !frame.layoutOk)
        reply.status = ErrGarbled;
    else if (!frame.known)
        reply.status = ErrService;
    else if (fault.refuse)
        reply.status = fault.refuse;
    else
        reply = answerer->handle(req);

    QByteArray out = answer(req.service, req.isWrite, frame.digit, reply);
    if (fault.badCheck && out.startsWith(STX))
        out[out.size() - 1] = char(out[out.size() - 1] ^ 0x01);

    // The same answer as it would look for another request: another
    // number digit, or for service -1 another parameter address.
    QByteArray foreign;
    if (frame.digit) {
        foreign = out;
        const char other = hexDigit((frame.req.reqId % 15) + 1);
        const int pos = foreign.startsWith(STX) ? 2 : 0;
        if (pos < foreign.size())
            foreign[pos] = other;
        if (foreign.startsWith(STX))
            foreign[foreign.size() - 1] = blockCheck(foreign.mid(1, foreign.size() - 2));
    } else if (req.service == -1 && !req.isWrite && reply.status == 0) {
        SimReply r2 = reply;
        r2.data.setU16(0, uint16_t(req.data.u16(0) + 1));
        foreign = answer(-1, false, 0, r2);
    }

    if (fault.stale && !foreign.isEmpty())
        add(foreign);
    if (fault.foreignId && !foreign.isEmpty())
        out = foreign;
    if (fault.splitGapMs > 0 && out.size() > 1) {
        const int half = int(out.size()) / 2;
        add(out.left(half));
        chunks.push_back({fault.splitGapMs, out.mid(half)});
    } else {
        add(out);
    }
    return chunks;
}

} // namespace qelsim
