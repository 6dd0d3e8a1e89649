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

struct Req : qelfuzz::CardRequest {
    bool telegram; // travels as segments on 0x7EB
};

Req Choose(uint8_t b)
{
    using qelfuzz::parAccess;
    switch (b % 12) {
    case 0: return {{true, QelService::Plain, parAccess(0x0102)}, false};
    case 1: return {{false, QelService::Plain, parAccess(0x0010, 0xBEEF)}, false};
    // A read names the length it expects (byte 5) as a write does.
    case 2: return {{true, QelService::Fieldbus, qelfuzz::fieldbusAccess(fbVarAcc, 0x1000, 1, QByteArray(4, '\0'))}, false};
    case 3: return {{false, QelService::Fieldbus, qelfuzz::fieldbusAccess(fbVarAcc, 0x1001, 0, QByteArray::fromHex("1234"))}, false};
    case 4: return {{true, 0, parAccess(0x0102)}, true};
    case 5: return {{false, 0, [] { TTelData d = parAccess(0x0102); d.Value = 0x1234; return d; }()}, true};
    case 6: return {{true, 1, parAccess(0x0102, 1)}, true};
    case 7: return {{true, 3, parAccess(0x0102)}, true};
    case 8: return {{true, 6, parAccess(0x0102)}, true};  // a text: the longest answers
    case 9: return {{true, 10, parAccess(0x0102)}, true};
    case 10: return {{true, 12, parAccess(0x0102)}, true};
    default: return {{true, 2, parAccess(0x0102)}, true};
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
    std::function<void()> inject;
    if (!noise.empty())
        inject = [&] {
            for (const auto& f : noise)
                Card()->inject(f);
        };
    return qelfuzz::request(drv, log, sync, kAddr, r, inject);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto in = qelfuzz::cardInput(data, size, 120); // late inside the time-out
    if (!in)
        return 0;
    const Req req = Choose(in->choice);
    const bool sync = in->sync;
    std::vector<qelsim::SimCanFrame> noise;
    bool own = false; // a noise frame on the identifier the request listens on
    const uint32_t ownId = req.telegram ? uint32_t(TCan::TelegramId) : uint32_t(0x580 + kNode);
    for (size_t p = 0; p + kFrameBytes <= in->noiseSize && int(noise.size()) < kMaxFrames; p += kFrameBytes) {
        noise.push_back(Noise(in->noise + p));
        own = own || noise.back().id == ownId;
    }

    qelsim::SimCanCard* card = Card();
    const auto inv = qelfuzz::freshInverter(*card, kAddr);
    card->setVariable(kAddr, 0x1000, 1, 0x11223344, 4);
    card->setVariable(kAddr, 0x1001, 0, 0, 2);

    TCan drv;
    drv.SetTimeOut(kTimeOut);
    drv.SetRetryCnt(1);
    if (drv.Open() != 0)
        qelfuzz::broken("the driver does not open on the simulated card");
    qelfuzz::AnswerLog log(drv);

    // A plain read first opens the SDO object, so that frames on it are
    // noise to a telegram too; then the answer to expect.
    if (!Run(drv, log, Choose(0), false, {}))
        qelfuzz::broken("a clean plain read got no answer");
    const TRecTel expected = qelfuzz::cleanAnswer(Run(drv, log, req, sync, {}));

    const std::optional<TRecTel> got =
        qelfuzz::withLateAnswer(*inv, in->lateMs, [&] { return Run(drv, log, req, sync, noise); });
    qelfuzz::expectAnswerThroughNoise(qelfuzz::expectEnded(got, "a request with noise on the bus did not end"),
                                      expected, own, "noise on other identifiers kept the answer from being read");
    // Late frames (the inverter's answer when the noise decided) arrive.
    qeltest::runEventLoopFor(4 * kTimeOut);

    // The next clean request is read. An inverter left inside a telegram
    // by the noise takes the next one for its rest: that one may go
    // unanswered.
    std::optional<TRecTel> again = Run(drv, log, req, sync, {});
    if (req.telegram && again && again->Status == QelResult::NoAnswer)
        again = Run(drv, log, req, sync, {});
    qelfuzz::expectReadAgain(again, expected);
    drv.Close();
    return 0;
}
