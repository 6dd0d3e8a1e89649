// Throughput of one scheduler client reading one parameter over and over
// through TScheduler -> TProtSel -> TAnsi -> a pseudo-terminal -> invsim.
//
// Paced runs: invsim times every character at the baud rate (10 bits a
// character for 7E1) and answers with zero turnaround, so the line allows
// at most baud / (10 * (request + answer characters)) exchanges a second;
// the report gives the rate reached and its ratio to that limit. The
// request length comes from the product's codec, the answer length from
// the simulator's frame builder (the steady state: no address part after
// the first good exchange).
//
// Unpaced runs: invsim answers at once; the cost of an exchange is then the
// software alone (this process's CPU time; invsim runs in its own process).
//
// Usage: bench_scheduler_throughput [--seconds S] (per series, default 3)

#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "sim/sim_din_frames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAddr = 1;
constexpr uint16_t kParAdr = 0x0203;
constexpr int kBitsPerChar = 10; // start, 7 data, even parity, stop
constexpr int kWarmUp = 5;       // exchanges before the clock starts

double cpuSeconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double processCpuSeconds() { return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }
// The GUI thread: scheduler, selector and the driver's evaluation.
double guiCpuSeconds() { return cpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

TTelData readData()
{
    TTelData d;
    d.ParAdr = kParAdr;
    d.SetByte(2, 1);
    return d;
}

// Characters of one steady-state exchange: the read request as the codec
// builds it without address part, and the simulator's data answer.
int exchangeChars(int service)
{
    uint8_t buf[64] = {};
    const int req = tCustomQelProt::AnsiBuildTel(service, 2, -1, readData(), false, buf);
    qelsim::SimReply reply;
    const QByteArray ans = qelsim::din::answer(service, false, service >= 0 ? '2' : 0, reply);
    return req + int(ans.size());
}

struct Invsim {
    QProcess proc;
    QString pty;

    bool start(int baud)
    {
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start(QStringLiteral(QEL_INVSIM_PATH),
                   {QStringLiteral("--addr"), QString::number(kAddr), QStringLiteral("--baud"), QString::number(baud),
                    QStringLiteral("--turnaround"), QStringLiteral("0")});
        if (!proc.waitForStarted(10000))
            return false;
        while (!proc.canReadLine())
            if (!proc.waitForReadyRead(10000))
                return false;
        pty = QString::fromLatin1(proc.readLine()).trimmed();
        return !pty.isEmpty();
    }
    ~Invsim()
    {
        proc.terminate();
        if (!proc.waitForFinished(5000))
            proc.kill();
        proc.waitForFinished();
    }
};

struct Series {
    int exchanges = 0;
    int failures = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    double guiCpuSeconds = 0;
    // Median time between two answers: the rate a quiet machine reaches,
    // without the outliers that other processes' load causes.
    double medianInterval = 0;
};

// Runs `count` reads of `service` (after the warm-up) through a scheduler
// client on an open selector.
std::optional<Series> runSeries(TProtSel& sel, int service, int count)
{
    auto* sch = new TScheduler;
    sch->Attach(&sel);
    QEventLoop loop;
    int answered = 0;
    int sent = 0;
    const int total = kWarmUp + count;
    Series s;
    Clock::time_point t0;
    Clock::time_point last;
    std::vector<double> intervals;
    intervals.reserve(size_t(count));
    double cpu0 = 0;
    double gui0 = 0;
    bool stalled = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });

    const int slot = sch->Register(
        nullptr,
        [&](TReqRec& req) {
            if (sent >= total)
                return;
            req.Valid = 1;
            req.InvAdr = kAddr;
            req.Service = service;
            req.IsRead = 1;
            req.Tag = sent++;
            req.Data = readData();
        },
        [&](const TRecTel& rsp, int) {
            ++answered;
            watchdog.start(2000);
            const auto now = Clock::now();
            if (answered > kWarmUp)
                intervals.push_back(std::chrono::duration<double>(now - last).count());
            last = now;
            if (answered == kWarmUp) {
                t0 = Clock::now();
                cpu0 = processCpuSeconds();
                gui0 = guiCpuSeconds();
            } else if (answered > kWarmUp && rsp.Status != 0) {
                ++s.failures;
            }
            if (answered == total) {
                s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
                s.cpuSeconds = processCpuSeconds() - cpu0;
                s.guiCpuSeconds = guiCpuSeconds() - gui0;
                sch->SetActive(false);
                loop.quit();
            }
        },
        nullptr);
    sch->SetState(slot, 3);
    watchdog.start(2000);
    sch->SetActive(true);
    loop.exec();
    sch->Release();
    if (stalled)
        return std::nullopt;
    s.exchanges = count;
    std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
    s.medianInterval = intervals[intervals.size() / 2];
    return s;
}

struct OpenLine {
    Invsim sim;
    TProtSel sel;

    bool open(int baud, TBaudRate rate)
    {
        if (!sim.start(baud))
            return false;
        qputenv("QEL_COM1", sim.pty.toLocal8Bit());
        sel.Ansi()->SetComport(Com1);
        sel.Ansi()->SetBaudrate(rate);
        sel.Ansi()->SetTimeOut(500);
        sel.SetProtocol(kAddr, prANSI);
        return sel.GetActiveProtocol(kAddr) == prANSI;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    double secondsPerSeries = 3.0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds")
            secondsPerSeries = std::max(0.2, std::atof(argv[i + 1]));

    std::printf("Scheduler client -> TProtSel -> TAnsi (DIN 66019 II) -> pseudo-terminal -> invsim\n");
    std::printf("paced at the baud rate, %d bits a character (7E1), turnaround 0; read of 0x%04X, set byte 1\n\n",
                kBitsPerChar, kParAdr);
    std::printf("%7s %8s %14s %13s %13s %7s %13s %7s %9s\n", "baud", "service", "chars req+ans",
                "line limit/s", "achieved/s", "ratio", "median rate/s", "ratio", "failures");

    const struct {
        int baud;
        TBaudRate rate;
    } lines[] = {{9600, B_9600}, {38400, B_38400}, {115200, B_115200}};
    bool ok = true;
    double worst = 1e9;
    for (const auto& l : lines) {
        OpenLine line;
        if (!line.open(l.baud, l.rate)) {
            std::printf("cannot open the line at %d baud\n", l.baud);
            return 1;
        }
        for (int service : {0, -1}) {
            const int chars = exchangeChars(service);
            const double limit = double(l.baud) / (kBitsPerChar * chars);
            const int count = std::max(20, int(std::lround(limit * secondsPerSeries)));
            const auto s = runSeries(line.sel, service, count);
            if (!s) {
                std::printf("%7d %8d  stalled\n", l.baud, service);
                ok = false;
                continue;
            }
            const double rate = s->exchanges / s->seconds;
            const double medianRate = 1.0 / s->medianInterval;
            worst = std::min(worst, rate / limit);
            std::printf("%7d %8d %14d %13.2f %13.2f %7.3f %13.2f %7.3f %9d\n", l.baud, service, chars, limit, rate,
                        rate / limit, medianRate, medianRate / limit, s->failures);
            std::fflush(stdout);
        }
    }
    std::printf("\nlowest ratio (exchanges / elapsed time): %.3f (goal 0.95)\n\n", worst);

    // Unpaced: the software's own cost per exchange.
    {
        OpenLine line;
        if (!line.open(0, B_115200)) {
            std::printf("cannot open the unpaced line\n");
            return 1;
        }
        std::printf("Unpaced (invsim answers at once):\n");
        std::printf("%8s %11s %14s %22s %22s\n", "service", "exchanges", "us/exchange", "CPU us/exch. process",
                    "CPU us/exch. GUI thr.");
        for (int service : {0, -1}) {
            const int count = std::max(200, int(2000 * secondsPerSeries));
            const auto s = runSeries(line.sel, service, count);
            if (!s) {
                std::printf("%8d  stalled\n", service);
                ok = false;
                continue;
            }
            std::printf("%8d %11d %14.1f %22.1f %22.1f\n", service, s->exchanges, 1e6 * s->seconds / s->exchanges,
                        1e6 * s->cpuSeconds / s->exchanges, 1e6 * s->guiCpuSeconds / s->exchanges);
        }
        std::printf("(process: this process only - scheduler, selector, driver and the port's two threads,\n"
                    " invsim runs apart; GUI thread: scheduler, selector and the driver's request and evaluation)\n");
    }
    return ok ? 0 : 1;
}
