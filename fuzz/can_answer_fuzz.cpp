// The CAN driver's receive path (SDO answers, the segmented telegram's
// acknowledgements and answer segments) on whatever the bus delivers, end
// to end through the card-library loader and the simulated CAN card.
//
// Input: byte 0 the request, byte 1 the exchange (bit 0: synchronous) and
// how late the inverter's own answer comes (after the noise), then frames
// of 10 bytes each: an identifier choice, the data length, 8 data bytes.
// Each input runs on a fresh card and driver: a clean exchange first gives
// the answer to expect; then the same request with the noise on the bus
// must end (an answer or an error code), and must end with that answer when
// no noise frame carried the identifier it listens on; a clean request
// afterwards must be read again.

#include "card_fuzz_support.h"

#include "comm/can.h"
#include "sim/cards/sim_can_card.h"

#include <vector>

namespace {

constexpr int kAddr = 1;
constexpr int kNode = kAddr + 1;
constexpr int kTimeOut = 200;
constexpr int kFrameBytes = 10;
constexpr int kMaxFrames = 24;

struct Req {
    bool read;
    int service;
    TTelData data;
    bool telegram; // travels as segments on 0x7EB
};

TTelData Par(uint16_t par, uint16_t word = 0)
{
    TTelData d;
    d.ParAdr = par;
    d.ParSet = word;
    return d;
}

TTelData VarAcc(uint16_t index, uint8_t sub, uint8_t len, uint32_t value = 0)
{
    TTelData d;
    d.SetByte(0, fbVarAcc);
    d.SetU16(2, index);
    d.SetByte(4, sub);
    d.SetByte(5, len);
    for (int i = 0; i < len && i < 4; ++i)
        d.SetByte(6 + i, uint8_t(value >> (8 * (len - 1 - i))));
    return d;
}

Req Choose(uint8_t b)
{
    switch (b % 12) {
    case 0: return {true, QelService::Plain, Par(0x0102), false};
    case 1: return {false, QelService::Plain, Par(0x0010, 0xBEEF), false};
    case 2: return {true, QelService::Fieldbus, VarAcc(0x1000, 1, 4), false};
    case 3: return {false, QelService::Fieldbus, VarAcc(0x1001, 0, 2, 0x1234), false};
    case 4: return {true, 0, Par(0x0102), true};
    case 5: return {false, 0, [] { TTelData d = Par(0x0102); d.Value = 0x1234; return d; }(), true};
    case 6: return {true, 1, Par(0x0102, 1), true};
    case 7: return {true, 3, Par(0x0102), true};
    case 8: return {true, 6, Par(0x0102), true};  // a text: the longest answers
    case 9: return {true, 10, Par(0x0102), true};
    case 10: return {true, 12, Par(0x0102), true};
    default: return {true, 2, Par(0x0102), true};
    }
}

// The identifier of a noise frame; some choices shape the data like the
// frames the driver waits for, so that the fuzzer reaches past the first
// checks.
qelsim::SimCanFrame Noise(const uint8_t* f)
{
    qelsim::SimCanFrame out;
    const uint8_t sel = f[0];
    QByteArray data(reinterpret_cast<const char*>(f + 2), 8);
    switch (sel % 8) {
    case 0: out.id = 0x580 + kNode; break;
    case 1: out.id = TCan::TelegramId; break;
    case 2: out.id = 0x180 + kNode; break;
    case 3: out.id = 0x700 + kNode; break;
    case 4: out.id = 0x580 + kNode + 1; break;
    case 5: // a segment acknowledgement for our node
        out.id = TCan::TelegramId;
        data[1] = 2;
        data[2] = char(kNode);
        break;
    case 6: // an answer segment for our node
        out.id = TCan::TelegramId;
        data[1] = 1;
        data[2] = char(kNode);
        break;
    default: out.id = uint32_t((sel << 3) | (f[1] & 7)) & 0x7FF; break;
    }
    out.data = data.left(f[1] % 9);
    return out;
}

qelsim::SimCanCard* Card()
{
    static qelsim::SimCanCard* card = qelfuzz::simCard<qelsim::SimCanCard>("simcan", "nican.DLL", "qelsim_can_card");
    return card;
}

// One exchange, synchronous or not, with `noise` put on the bus once the
// request is on its way; the answer, or none when the driver gave none.
std::optional<TRecTel> Run(TCan& drv, qelfuzz::AnswerLog& log, const Req& r, bool sync,
                           const std::vector<qelsim::SimCanFrame>& noise)
{
    auto inject = [&] {
        for (const auto& f : noise)
            Card()->inject(f);
    };
    if (!sync)
        return qelfuzz::exchange(drv, log, r.read, kAddr, r.service, r.data, inject);
    // The synchronous exchange sends before it runs the event loop, where
    // the noise then comes.
    if (!noise.empty())
        QMetaObject::invokeMethod(&drv, inject, Qt::QueuedConnection);
    TRecTel rsp;
    const int res = r.read ? drv.ReadPara(kAddr, r.service, r.data, rsp) : drv.WritePara(kAddr, r.service, r.data, rsp);
    if (res < 0)
        return std::nullopt;
    return rsp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const Req req = Choose(data[0]);
    const bool sync = data[1] & 1;
    const int delayMs = 1 + (data[1] >> 1) % 120; // inside the time-out
    std::vector<qelsim::SimCanFrame> noise;
    bool own = false; // a noise frame on the identifier the request listens on
    const uint32_t ownId = req.telegram ? uint32_t(TCan::TelegramId) : uint32_t(0x580 + kNode);
    for (size_t p = 2; p + kFrameBytes <= size && int(noise.size()) < kMaxFrames; p += kFrameBytes) {
        noise.push_back(Noise(data + p));
        own = own || noise.back().id == ownId;
    }

    qelsim::SimCanCard* card = Card();
    card->reset();
    auto inv = card->addInverter(kAddr);
    inv->setValue(0x0102, 0x1234);
    card->setVariable(kAddr, 0x1000, 1, 0x11223344, 4);
    card->setVariable(kAddr, 0x1001, 0, 0, 2);

    TCan drv;
    drv.SetTimeOut(kTimeOut);
    drv.SetRetryCnt(1);
    if (drv.Open() != 0)
        qelfuzz::brokenPromise("the driver does not open on the simulated card");
    qelfuzz::AnswerLog log(drv);

    // A plain read first opens the SDO object, so that frames on it are
    // noise to a telegram too; then the answer to expect.
    if (!Run(drv, log, Choose(0), false, {}))
        qelfuzz::brokenPromise("a clean plain read got no answer");
    const std::optional<TRecTel> expected = Run(drv, log, req, sync, {});
    if (!expected)
        qelfuzz::brokenPromise("a clean request got no answer");
    const bool answered = expected->Status != QelResult::NoAnswer;

    qelsim::SimFault late;
    late.delayMs = delayMs;
    inv->faults().push(late);
    const std::optional<TRecTel> got = Run(drv, log, req, sync, noise);
    if (!got)
        qelfuzz::brokenPromise("a request with noise on the bus did not end");
    if (got->Status == QelResult::Pending)
        qelfuzz::brokenPromise("an answer delivered as pending");
    if (answered && !own)
        qelfuzz::expectAnswer(*got, *expected, "noise on other identifiers kept the answer from being read");
    inv->faults().clear();
    // Late frames (the inverter's answer when the noise decided) arrive.
    qelfuzz::letTimePass(4 * kTimeOut);

    // The next clean request is read. An inverter left inside a telegram
    // by the noise takes the next one for its rest: that one may go
    // unanswered.
    std::optional<TRecTel> again = Run(drv, log, req, sync, {});
    if (req.telegram && again && again->Status == QelResult::NoAnswer)
        again = Run(drv, log, req, sync, {});
    if (!again)
        qelfuzz::brokenPromise("a clean request after the noise did not end");
    if (answered)
        qelfuzz::expectAnswer(*again, *expected, "a clean request after the noise was not read");
    drv.Close();
    return 0;
}
