// Scope samples per second: four channels of one inverter recorded with
// read cycle 0 through TScheduler -> TProtSel -> TAnsi -> a pseudo-terminal
// -> invsim paced at 115200 baud (type 21, turnaround 0), once by the fast
// read (one service-18 exchange a sample) and once per channel (four
// service-0 reads a sample). Each rate is given as a ratio to what the line
// allows from the exact frame lengths (request from the product's codec,
// answer from the simulator's frame builder, 10 bits a character).
//
// For comparison the same line in the same run also carries a plain
// scheduler client reading one parameter (as bench_scheduler_throughput
// does); the per-channel ratio should come within 0.01 of its ratio.
//
// Usage: bench_scope_throughput [--seconds S] (per series, default 3)

#include "bench_line.h"
#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "project/vortalin_prj.h"
#include "scope/scope_engine.h"
#include "sim/sim_din_frames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

using namespace bench;

namespace {

constexpr int kAddr = 1;
constexpr int kBaud = 115200;
constexpr int kWarmUp = 5;
constexpr int16_t kChannels[4] = {0x0105, 0x0207, 0x0109, 0x0108};

// Characters of one steady-state exchange (no address part).
int exchangeChars(int service, uint16_t parAdr, bool withSet)
{
    TTelData d;
    d.ParAdr = parAdr;
    if (withSet)
        d.SetByte(2, 1);
    uint8_t buf[64] = {};
    const int req = tCustomQelProt::AnsiBuildTel(service, 2, -1, d, false, buf);
    qelsim::SimReply reply;
    const QByteArray ans = qelsim::din::answer(service, false, '2', reply);
    return req + int(ans.size());
}

struct Invsim : InvsimProcess {
    bool start()
    {
        return InvsimProcess::start(QStringLiteral(QEL_INVSIM_PATH),
                                    {QStringLiteral("--addr"), QString::number(kAddr), QStringLiteral("--config"),
                                     QStringLiteral(QEL_TYPE21_SOURCE), QStringLiteral("--baud"),
                                     QString::number(kBaud), QStringLiteral("--turnaround"), QStringLiteral("0")});
    }
};

// Counts completed samples and keeps the time of the first counted one.
class CountingScreen : public IScopeScreen {
public:
    void SetRunButton(bool) override {}
    void SetRecordingLook(bool) override {}
    void ClearPlot() override {}
    void RestartDrawing() override {}
    void DrawSample(int) override
    {
        ++samples;
        if (samples == kWarmUp)
            t0 = Clock::now();
        if (samples == target && loop) {
            t1 = Clock::now();
            loop->quit();
        }
    }
    void RedrawAll() override {}
    int ScrollPosition() const override { return 0; }
    void ChannelsResolved() override {}
    void CaptionChanged() override {}
    void FileChanged() override {}
    void Busy(bool) override {}
    void CloseForEmptyProject() override {}

    int samples = 0;
    int target = 0;
    QEventLoop* loop = nullptr;
    Clock::time_point t0, t1;
};

// Samples per second of a recording of `count` samples (after the warm-up).
std::optional<double> scopeRate(TScheduler& sch, TVortalinPrj& prj, bool fast, int count)
{
    TScopeEngine eng;
    auto screen = std::make_shared<CountingScreen>();
    eng.Project = &prj;
    eng.Screen = screen;
    eng.SetScheduler(&sch);
    eng.ScopeInv = kAddr;
    for (int k = 0; k < 4; ++k) {
        eng.Setup.Chan[k].Inverter = kAddr;
        eng.Setup.Chan[k].Address = kChannels[k];
    }
    eng.CheckChannels();
    if (!fast)
        eng.FastService = 0;
    else if (eng.FastService != 18)
        return std::nullopt;
    QEventLoop loop;
    screen->loop = &loop;
    screen->target = kWarmUp + count;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    bool stalled = false;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });
    watchdog.start(60000);
    eng.SpeedButton1Click(true);
    loop.exec();
    eng.Stop();
    eng.SetScheduler(nullptr);
    if (stalled || eng.RecState != TScopeEngine::recIdle)
        return std::nullopt;
    return count / std::chrono::duration<double>(screen->t1 - screen->t0).count();
}

// Exchanges per second of a plain client reading one parameter.
std::optional<double> plainRate(TScheduler& sch, int count)
{
    QEventLoop loop;
    int answered = 0, sent = 0;
    const int total = kWarmUp + count;
    Clock::time_point t0, t1;
    const int slot = sch.Register(
        nullptr,
        [&](TReqRec& req) {
            if (sent >= total)
                return;
            req.Valid = 1;
            req.InvAdr = kAddr;
            req.Service = 0;
            req.IsRead = 1;
            req.Tag = sent++;
            req.Data.Clear();
            req.Data.ParAdr = uint16_t(kChannels[0]);
            req.Data.SetByte(2, 1);
        },
        [&](const TRecTel&, int) {
            ++answered;
            if (answered == kWarmUp)
                t0 = Clock::now();
            if (answered == total) {
                t1 = Clock::now();
                loop.quit();
            }
        },
        nullptr);
    sch.SetState(slot, csPolled);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    sch.Unregister(slot);
    if (answered < total)
        return std::nullopt;
    return count / std::chrono::duration<double>(t1 - t0).count();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = secondsOption(argc, argv, 3.0, 0.2);

    Invsim sim;
    if (!sim.start()) {
        std::printf("cannot start invsim\n");
        return 1;
    }
    qputenv("QEL_COM1", sim.pty.toLocal8Bit());
    TProtSel sel;
    sel.Ansi()->SetComport(Com1);
    sel.Ansi()->SetBaudrate(B_115200);
    sel.Ansi()->SetTimeOut(500);
    sel.SetProtocol(kAddr, prANSI);
    if (sel.GetActiveProtocol(kAddr) != prANSI) {
        std::printf("cannot open the line\n");
        return 1;
    }
    TScheduler sch;
    sch.Attach(&sel);
    sch.SetActive(true);

    TVortalinPrj prj;
    prj.BinPath = QStringLiteral(QEL_CONFIG_DIR "/");
    prj.SetInteraction(std::make_shared<NoPrjInteraction>());
    if (prj.AddInv(kAddr, 21, QStringLiteral("Bench"), prOffline, true) != 0) {
        std::printf("cannot load configuration 21 from %s\n", QEL_CONFIG_DIR);
        return 1;
    }

    std::printf("Scope, 4 channels of one inverter, read cycle 0 -> TScheduler -> TProtSel -> TAnsi -> pty -> invsim\n");
    std::printf("paced at %d baud, %d bits a character, turnaround 0\n\n", kBaud, kBitsPerChar);
    std::printf("%-22s %14s %13s %13s %7s\n", "series", "chars/sample", "line limit/s", "achieved/s", "ratio");

    bool ok = true;
    // Plain client: one read exchange of the same length as a channel read.
    const int plainChars = exchangeChars(0, uint16_t(kChannels[0]), true);
    const double plainLimit = lineLimit(kBaud, plainChars);
    const auto plain = plainRate(sch, std::max(20, int(plainLimit * seconds)));
    double plainRatio = 0;
    if (plain) {
        plainRatio = *plain / plainLimit;
        std::printf("%-22s %14d %13.2f %13.2f %7.3f\n", "scheduler client", plainChars, plainLimit, *plain, plainRatio);
    } else {
        std::printf("scheduler client stalled\n");
        ok = false;
    }

    int perChars = 0;
    for (int16_t a : kChannels)
        perChars += exchangeChars(0, uint16_t(a), true);
    const double perLimit = lineLimit(kBaud, perChars);
    const auto per = scopeRate(sch, prj, false, std::max(20, int(perLimit * seconds)));
    double perRatio = 0;
    if (per) {
        perRatio = *per / perLimit;
        std::printf("%-22s %14d %13.2f %13.2f %7.3f\n", "scope per channel", perChars, perLimit, *per, perRatio);
    } else {
        std::printf("scope per channel stalled\n");
        ok = false;
    }

    const int fastChars = exchangeChars(18, 0, false);
    const double fastLimit = lineLimit(kBaud, fastChars);
    const auto fast = scopeRate(sch, prj, true, std::max(20, int(fastLimit * seconds)));
    if (fast)
        std::printf("%-22s %14d %13.2f %13.2f %7.3f\n", "scope fast read (18)", fastChars, fastLimit, *fast,
                    *fast / fastLimit);
    else {
        std::printf("scope fast read stalled\n");
        ok = false;
    }
    if (fast && per)
        std::printf("\nfast read / per channel: %.2f samples a second more than %.2fx\n", *fast - *per, *fast / *per);
    if (plain && per)
        std::printf("per-channel ratio %.3f vs scheduler client %.3f: difference %.3f (goal within 0.01; "
                    "project goal 0.95)\n",
                    perRatio, plainRatio, std::abs(perRatio - plainRatio));
    sch.SetActive(false);
    sch.Detach();
    return ok ? 0 : 1;
}
