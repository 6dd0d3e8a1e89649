// The Profibus DP driver's receive path (a slave's input data: the
// parameter channel's answer and the process data) on whatever the card
// reports, end to end through the card-library loader and the simulated
// DP master card.
//
// Input: byte 0 the request, byte 1 the exchange (bit 0: synchronous) and
// how late the inverter's own answer comes, then input reads: a length
// (0 to 32 bytes, as the card reports it) and that many bytes. Each input
// runs on a fresh card and driver: a clean exchange first gives the answer
// to expect; then the same request with the noise in the slave's input
// reads (after the parameter channel request went out; before a process
// data read) must end (an answer or an error code). A parameter channel
// request must end with that answer when no noisy read carried the toggle
// of the request, and process data always end with result 0; a clean
// request afterwards must be read again.

#include "card_fuzz_support.h"

#include "comm/pbs.h"
#include "sim/cards/sim_pbs_card.h"

#include <vector>

namespace {

constexpr int kAddr = 4;
constexpr int kTick = 55;
constexpr int kTimeOut = 40 * kTick;
// Read once a tick: the noise and the late answer stay inside the time-out.
constexpr int kMaxReads = 16;

struct Req : qelfuzz::CardRequest {
    bool channel; // the parameter channel (else process data)
};

TTelData Process()
{
    TTelData d;
    for (int i = 0; i < 8; ++i)
        d.SetByte(i, uint8_t(0x11 * (i + 1)));
    return d;
}

Req Choose(uint8_t b)
{
    switch (b % 8) {
    case 0: return {{true, QelService::Plain, qelfuzz::parAccess(0x0102)}, true};
    case 1: return {{false, QelService::Plain, qelfuzz::parAccess(0x0010, 0xBEEF)}, true};
    case 2: return {{true, QelService::Fieldbus, qelfuzz::fieldbusAccess(fbVarAcc, 0x6001, 0)}, true};
    case 3: return {{false, QelService::Fieldbus, qelfuzz::fieldbusAccess(fbVarAcc, 0x6002, 1, QByteArray::fromHex("FFFE"))}, true};
    case 4: return {{true, QelService::ProcData32, {}}, false};
    case 5: return {{true, QelService::ProcData16, {}}, false};
    case 6: return {{false, QelService::ProcData32RW, Process()}, false};
    default: return {{false, QelService::ProcData16RW, Process()}, false};
    }
}

qelsim::SimPbsCard* Card()
{
    static qelsim::SimPbsCard* card = qelfuzz::simCard<qelsim::SimPbsCard>("simpbs", "PAPI.DLL", "qelsim_pbs_card");
    return card;
}

// One exchange, synchronous or not, with `before` run before the request
// is placed and `after` once it is on its way; the answer, or none when
// the driver gave none.
std::optional<TRecTel> Run(tPBS& drv, qelfuzz::AnswerLog& log, const Req& r, bool sync,
                           const std::function<void()>& before = {}, const std::function<void()>& after = {})
{
    if (before)
        before();
    return qelfuzz::request(drv, log, sync, kAddr, r, after);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto in = qelfuzz::cardInput(data, size, 500);
    if (!in)
        return 0;
    const Req req = Choose(in->choice);
    const bool sync = in->sync;
    std::vector<QByteArray> reads;
    for (size_t i = 0; i < in->noiseSize && int(reads.size()) < kMaxReads;) {
        const int len = in->noise[i] % 33;
        ++i;
        const size_t n = std::min<size_t>(size_t(len), in->noiseSize - i);
        reads.push_back(qelfuzz::bytes(in->noise + i, n));
        i += n;
    }

    qelsim::SimPbsCard* card = Card();
    const auto inv = qelfuzz::freshInverter(*card, kAddr);
    card->setVariable(kAddr, 0x6001, 0, QByteArray::fromHex("12345678"));
    card->setVariable(kAddr, 0x6002, 1, QByteArray::fromHex("0000"));

    tPBS drv;
    drv.SetSlaveList({QString::number(kAddr)});
    drv.SetTimeOut(kTimeOut);
    drv.SetRetryCnt(1);
    if (drv.Open() != 0)
        qelfuzz::broken("the driver does not open on the simulated card");
    qelfuzz::AnswerLog log(drv);

    const TRecTel expected = qelfuzz::cleanAnswer(Run(drv, log, req, sync));

    auto noise = [&] {
        for (const QByteArray& r : reads)
            card->pushInput(kAddr, r);
    };
    const std::optional<TRecTel> got = qelfuzz::withLateAnswer(*inv, in->lateMs, [&] {
        return req.channel ? Run(drv, log, req, sync, {}, noise) : Run(drv, log, req, sync, noise);
    });
    const TRecTel& ended = qelfuzz::expectEnded(got, "a request with noise in the inputs did not end");
    if (req.channel) {
        // A read the driver takes (a length it can hold) with the toggle
        // of the request may be taken for its answer; any other must not
        // keep the answer behind it from being read.
        const QByteArray sent = card->channelRequest(kAddr);
        const int toggle = sent.isEmpty() ? -1 : (uint8_t(sent[0]) & 0x40);
        bool answering = toggle < 0;
        for (const QByteArray& r : reads)
            answering = answering || (!r.isEmpty() && r.size() <= 16 && (uint8_t(r[0]) & 0x40) == toggle);
        qelfuzz::expectAnswerThroughNoise(ended, expected, answering,
                                          "inputs without the request's toggle kept the answer from being read");
    } else if (ended.Status != 0) {
        qelfuzz::broken("process data did not end with result 0");
    }
    // A late answer comes; process data reads, one input read each, take
    // what is left of the noise.
    qeltest::runEventLoopFor(600);
    for (size_t i = 0; i < reads.size(); ++i)
        if (!Run(drv, log, Choose(4), false))
            qelfuzz::broken("a process data read got no answer");

    qelfuzz::expectReadAgain(Run(drv, log, req, sync), expected);
    drv.Close();
    return 0;
}
