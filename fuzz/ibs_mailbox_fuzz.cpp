// The Interbus driver's receive path (the board's mailbox messages: PCP
// confirmations, telegram answers, abort and restart indications) on
// whatever the board delivers, end to end through the card-library loader
// and the simulated Interbus board.
//
// Input: byte 0 the request, byte 1 the exchange (bit 0: synchronous) and
// how late the inverter's own answer comes (after the noise), then
// messages: a code choice, a parameter count and that many 16-bit words.
// Each input runs on a fresh board and driver: a clean exchange first gives
// the answer to expect; then the same request with the noise in the mailbox
// must end (an answer or an error code), and must end with that answer when
// no noise message is of a kind that answers a request; a clean request
// afterwards must be read again.

#include "card_fuzz_support.h"

#include "comm/ibs.h"
#include "sim/cards/sim_ibs_card.h"

#include <vector>

namespace {

constexpr int kAddr = 2;
// Fewer than the 19 polls of the time-out, so that the answer behind them
// is still polled in time.
constexpr int kMaxMessages = 16;
constexpr int kMaxWords = 24;

using Req = qelfuzz::CardRequest;

Req Choose(uint8_t b)
{
    using qelfuzz::fieldbusAccess;
    using qelfuzz::parAccess;
    switch (b % 10) {
    case 0: return {true, QelService::Plain, parAccess(0x0102)};
    case 1: return {false, QelService::Plain, parAccess(0x0010, 0xBEEF)};
    case 2: return {true, QelService::Fieldbus, fieldbusAccess(fbVarAcc, 0x6000, 2)};
    case 3: return {false, QelService::Fieldbus, fieldbusAccess(fbVarAcc, 0x6001, 0, QByteArray::fromHex("0102"))};
    case 4: return {true, QelService::Fieldbus, fieldbusAccess(fbIdentify, 0, 0)};
    case 5: return {true, 0, parAccess(0x0102)};
    case 6: return {false, 0, [] { TTelData d = parAccess(0x0102); d.Value = 0x1234; return d; }()};
    case 7: return {true, 3, parAccess(0x0102)};
    case 8: return {true, 6, parAccess(0x0102)};
    default: return {true, 12, parAccess(0x0102)};
    }
}

// Message codes that answer a request.
bool Answers(uint16_t code) { return code == 0x8081 || code == 0x8082 || code == 0x8087 || code == 0x4885; }

// The noise messages from the input; some code choices shape the message
// like the ones the driver takes, so that the fuzzer reaches past the first
// checks.
std::vector<QVector<uint16_t>> Messages(const uint8_t* p, size_t n, bool& answering)
{
    std::vector<QVector<uint16_t>> out;
    answering = false;
    size_t i = 0;
    while (i + 2 <= n && int(out.size()) < kMaxMessages) {
        const uint8_t sel = p[i];
        const int count = p[i + 1] % (kMaxWords + 1);
        i += 2;
        QVector<uint16_t> words;
        static const uint16_t codes[] = {0x8081, 0x8082, 0x8087, 0x4885, 0x488D, 0x6342, 0x8309};
        words << ((sel & 7) < 7 ? codes[sel & 7] : uint16_t((sel << 8) | p[i - 1]));
        // The announced count, or (bit 3) one that does not match.
        words << uint16_t((sel & 8) ? p[i - 1] : count);
        for (int w = 0; w < count && i + 2 <= n; ++w, i += 2)
            words << uint16_t((p[i] << 8) | p[i + 1]);
        if (words[0] == 0x4885 && words.size() > 3 && (sel & 0x10))
            words[3] = 0x5FFB; // the telegram channel
        answering = answering || Answers(words[0]);
        out.push_back(words);
    }
    return out;
}

qelsim::SimIbsBoard* Board()
{
    static qelsim::SimIbsBoard* board =
        qelfuzz::simCard<qelsim::SimIbsBoard>("simibs", "IBDDIWNT.DLL", "qelsim_ibs_board");
    return board;
}

// One exchange, synchronous or not, with `noise` in the mailbox once the
// request is on its way; the answer, or none when the driver gave none.
// A driver closed by a restart indication is opened again first.
std::optional<TRecTel> Run(tIbs& drv, qelfuzz::AnswerLog& log, const Req& r, bool sync,
                           const std::vector<QVector<uint16_t>>& noise)
{
    std::function<void()> post;
    if (!noise.empty())
        post = [&] {
            for (const auto& m : noise)
                Board()->indicate(m);
        };
    std::optional<TRecTel> rsp;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int refused = 0;
        rsp = qelfuzz::request(drv, log, sync, kAddr, r, post, &refused);
        if (refused != QelResult::DriverClosed || drv.IsOpen())
            break;
        // Noise still in the mailbox may answer what opening waits for and
        // fail it; each failed open takes some of it.
        bool opened = false;
        for (int i = 0; i <= kMaxMessages && !opened; ++i)
            opened = drv.Open() == 0;
        if (!opened)
            qelfuzz::broken("the driver does not open again after a restart indication");
    }
    return rsp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto in = qelfuzz::cardInput(data, size, 50); // late before the first poll tick
    if (!in)
        return 0;
    const Req req = Choose(in->choice);
    const bool sync = in->sync;
    bool answering = false;
    const std::vector<QVector<uint16_t>> noise = Messages(in->noise, in->noiseSize, answering);

    qelsim::SimIbsBoard* board = Board();
    const auto inv = qelfuzz::freshInverter(*board, kAddr);
    board->setVariable(kAddr, 0x6000, 2, QByteArray::fromHex("0A0B0C"));
    board->setVariable(kAddr, 0x6001, 0, QByteArray::fromHex("0000"));

    tIbs drv;
    drv.SetRetryCnt(1);
    if (drv.Open() != 0)
        qelfuzz::broken("the driver does not open on the simulated board");
    qelfuzz::AnswerLog log(drv);

    const TRecTel expected = qelfuzz::cleanAnswer(Run(drv, log, req, sync, {}));

    const std::optional<TRecTel> got =
        qelfuzz::withLateAnswer(*inv, in->lateMs, [&] { return Run(drv, log, req, sync, noise); });
    qelfuzz::expectAnswerThroughNoise(qelfuzz::expectEnded(got, "a request with noise in the mailbox did not end"),
                                      expected, answering, "noise in the mailbox kept the answer from being read");
    // What the noise left in the mailbox and a late answer are polled away.
    qeltest::runEventLoopFor(2000);

    qelfuzz::expectReadAgain(Run(drv, log, req, sync, {}), expected);
    drv.Close();
    return 0;
}
