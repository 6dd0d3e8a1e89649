// Throughput and cost of one scheduler client reading one parameter over
// and over through TScheduler -> TProtSel -> a serial driver (TAnsi,
// DIN 66019 II, or tZelk, binary telegrams) -> a pseudo-terminal -> invsim.
//
// Paced runs: invsim times every character at the baud rate (10 bits a
// character for DIN 66019 II's 7E1, 11 for the Zelk line's 8E1) and
// answers with zero turnaround, so the line allows at most
// baud / (bits * (request + answer characters)) exchanges a second; the
// report gives the rate reached and its ratio to that limit. The request
// length comes from the product's codec, the DIN answer length from the
// simulator's frame builder (the steady state: no address part after the
// first good exchange).
//
// Stages: time stamps taken inside the port and the drivers (the line
// trace hook) give the median of each stage of one exchange at 38400 and
// 115200: request handed to the driver, whole frame written, transmitter
// empty (drained), RTS raised (its lateness after the one-character
// deadline), first answer byte read, answer complete and posted to the GUI
// thread, answer evaluated, next request handed over.
//
// Simulator alone: a minimal client (raw pseudo-terminal, write the
// request, read to the end of the answer, no threads) against the same
// paced invsim; the floor the simulator and the pseudo-terminal set. The
// last table splits the time beyond the line into that floor, the way of
// the request into the device, the answer's post to the GUI thread and the
// rest.
//
// Product against minimal client: for each driver, rate and service, the
// product's series and the minimal client's in alternating rounds (the
// machine's load then falls on both alike); the median elapsed-time ratio
// of each and their difference.
//
// Unpaced runs: invsim answers at once; the cost of an exchange is then the
// software alone (this process's CPU time by thread, and how often its
// threads went to sleep; invsim runs in its own process), next to how late
// RTS was raised after its deadline.
//
// Usage: bench_scheduler_throughput [--seconds S] [--rounds R]
//                                   [--only paced,sim,compare,unpaced]
//   S: seconds per series (default 3); R: rounds of the comparison
//   (default 3, at least 3); --only runs the parts named (all by default)

#include "bench_line.h"
#include "comm/bin_codec.h"
#include "comm/custom_qel_prot.h"
#include "comm/line_trace.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "sim/sim_din_frames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace bench;

namespace {

constexpr int kAddr = 1;
constexpr uint16_t kParAdr = 0x0203;
constexpr int kWarmUp = 5; // exchanges before the clock starts

struct Driver {
    const char* name;
    TProt prot;
    int bitsPerChar;
};
constexpr Driver kDin{"DIN", prANSI, 10};  // start, 7 data, even parity, stop
constexpr Driver kZelk{"Zelk", prZelk, 11}; // start, 8 data, even parity, stop

double cpuSeconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double processCpuSeconds() { return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }
// The GUI thread: scheduler, selector and the driver's evaluation.
double guiCpuSeconds() { return cpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

// CPU time of this process's threads of one name (the port's writer and
// line-event threads name themselves), from /proc.
double namedThreadsCpuSeconds(const char* name)
{
    double total = 0;
    QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name)
            continue;
        QFile stat(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return total;
}
// Times this process's threads went to sleep (voluntary context switches):
// each is a wake-up later, the dearest part of an exchange.
long processSleeps()
{
    long total = 0;
    QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                total += line.mid(24).trimmed().toLong();
    }
    return total;
}

double writerCpuSeconds() { return namedThreadsCpuSeconds("qel-serial-wr"); }
double eventCpuSeconds() { return namedThreadsCpuSeconds("qel-serial-ev"); }

TTelData readData()
{
    TTelData d;
    d.ParAdr = kParAdr;
    d.SetByte(2, 1);
    return d;
}

// Characters of one steady-state exchange.
int exchangeChars(const Driver& drv, int service)
{
    uint8_t buf[64] = {};
    if (drv.prot == prZelk) {
        using namespace BinCodec;
        const int req = BuildTel(TelKind::ReadReq, service, 0x10, readData(), 0, Dialect::Zelk, buf);
        const int ans = BuildTel(TelKind::ReadRsp, service, 0x10, readData(), 0, Dialect::Zelk, buf);
        return req + ans;
    }
    const int req = tCustomQelProt::AnsiBuildTel(service, 2, -1, readData(), false, buf);
    qelsim::SimReply reply;
    const QByteArray ans = qelsim::din::answer(service, false, service >= 0 ? '2' : 0, reply);
    return req + int(ans.size());
}

// ------------------------------------------------------------ stage trace

enum Stamp {
    sHanded,
    sWritten,
    sDrained,
    sRtsDeadline,
    sRtsRaised,
    sFirstByte,
    sPosted,
    sEvaluated,
    sNextHanded,
    kStamps
};

struct TraceLog {
    std::array<std::atomic<int64_t>, kStamps> cur{};
    std::vector<std::array<int64_t, kStamps>> done; // GUI thread only
};
TraceLog g_trace;

int64_t ns(Clock::time_point t) { return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count(); }

void traceHook(TLineStage stage, Clock::time_point at)
{
    const int64_t t = ns(at);
    switch (stage) {
    case TLineStage::RequestHanded: {
        // The drivers take requests in the GUI thread, after the previous
        // exchange has ended: it is complete now.
        if (g_trace.cur[sHanded].load() != 0) {
            std::array<int64_t, kStamps> e{};
            for (int i = 0; i < kStamps; ++i)
                e[size_t(i)] = g_trace.cur[size_t(i)].load();
            e[sNextHanded] = t;
            g_trace.done.push_back(e);
        }
        for (auto& c : g_trace.cur)
            c.store(0);
        g_trace.cur[sHanded].store(t);
        break;
    }
    case TLineStage::BytesWritten: g_trace.cur[sWritten].store(t); break;
    case TLineStage::Drained: g_trace.cur[sDrained].store(t); break;
    case TLineStage::RtsDeadline: g_trace.cur[sRtsDeadline].store(t); break;
    case TLineStage::RtsRaised: g_trace.cur[sRtsRaised].store(t); break;
    case TLineStage::FirstAnswerByte: g_trace.cur[sFirstByte].store(t); break;
    case TLineStage::AnswerPosted: g_trace.cur[sPosted].store(t); break;
    case TLineStage::AnswerEvaluated: g_trace.cur[sEvaluated].store(t); break;
    }
}

void traceReset()
{
    g_trace.done.clear();
    for (auto& c : g_trace.cur)
        c.store(0);
}

// Percentile (0..1) of the differences to - from over the complete
// exchanges, in microseconds; NaN when no exchange has both.
double stagePercentile(Stamp from, Stamp to, double p)
{
    std::vector<double> v;
    for (const auto& e : g_trace.done)
        if (e[size_t(from)] != 0 && e[size_t(to)] != 0)
            v.push_back(double(e[size_t(to)] - e[size_t(from)]) / 1000.0);
    if (v.empty())
        return std::nan("");
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// ---------------------------------------------------------------- simulator

struct Invsim : InvsimProcess {
    bool start(const Driver& drv, int baud)
    {
        QStringList args{QStringLiteral("--addr"), QString::number(kAddr), QStringLiteral("--baud"),
                         QString::number(baud), QStringLiteral("--turnaround"), QStringLiteral("0")};
        if (drv.prot == prZelk)
            args << QStringLiteral("--zelk");
        return InvsimProcess::start(QStringLiteral(QEL_INVSIM_PATH), args);
    }
};

struct Series {
    int exchanges = 0;
    int failures = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    double guiCpuSeconds = 0;
    double writerCpuSeconds = 0;
    double eventCpuSeconds = 0;
    long sleeps = 0;
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
    double wr0 = 0;
    double ev0 = 0;
    long sleeps0 = 0;
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
                wr0 = writerCpuSeconds();
                ev0 = eventCpuSeconds();
                sleeps0 = processSleeps();
                traceReset();
            } else if (answered > kWarmUp && rsp.Status != 0) {
                ++s.failures;
            }
            if (answered == total) {
                s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
                s.cpuSeconds = processCpuSeconds() - cpu0;
                s.guiCpuSeconds = guiCpuSeconds() - gui0;
                s.writerCpuSeconds = writerCpuSeconds() - wr0;
                s.eventCpuSeconds = eventCpuSeconds() - ev0;
                s.sleeps = processSleeps() - sleeps0;
                sch->SetActive(false);
                loop.quit();
            }
        },
        nullptr);
    sch->SetState(slot, csPolled);
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

TBaudRate rateOf(int baud)
{
    switch (baud) {
    case 9600: return B_9600;
    case 38400: return B_38400;
    default: return B_115200;
    }
}

struct OpenLine {
    Invsim sim;
    TProtSel sel;

    bool open(const Driver& drv, int baud)
    {
        if (!sim.start(drv, baud))
            return false;
        qputenv("QEL_COM1", sim.pty.toLocal8Bit());
        TSerialProp* prop = drv.prot == prZelk ? sel.Zelk() : sel.Ansi();
        prop->SetComport(Com1);
        prop->SetBaudrate(rateOf(baud == 0 ? 115200 : baud));
        prop->SetTimeOut(500);
        sel.SetProtocol(kAddr, drv.prot);
        return sel.GetActiveProtocol(kAddr) == drv.prot;
    }
};

// ------------------------------------------------------- simulator alone

struct AloneRun {
    double rate = 0;           // exchanges a second over the elapsed time, 0: the simulator stopped answering
    double medianInterval = 0; // seconds
};

// A minimal client on the raw pseudo-terminal: write the request, read to
// the end of the answer, again.
AloneRun simAlone(const Driver& drv, const QString& path, int service, int count)
{
    AloneRun run;
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return run;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);

    auto readSome = [fd](uint8_t* buf, int room) -> int {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            return -1;
        const ssize_t n = ::read(fd, buf, size_t(room));
        return n > 0 ? int(n) : -1;
    };
    // One exchange: true when a whole answer came back.
    auto exchange = [&](int id, bool withAddr) {
        uint8_t req[64];
        int reqLen;
        if (drv.prot == prZelk)
            reqLen = BinCodec::BuildTel(BinCodec::TelKind::ReadReq, service, uint8_t(id << 4), readData(), 0,
                                        BinCodec::Dialect::Zelk, req);
        else
            reqLen = tCustomQelProt::AnsiBuildTel(service, id, withAddr ? kAddr : -1, readData(), false, req);
        if (reqLen <= 0 || ::write(fd, req, size_t(reqLen)) != reqLen)
            return false;
        uint8_t ans[128];
        int got = 0;
        for (;;) {
            const int n = readSome(ans + got, int(sizeof ans) - got);
            if (n < 0)
                return false;
            got += n;
            if (drv.prot == prZelk) {
                const int len = BinCodec::TelLength(ans, got);
                if (len > 0 && got >= len)
                    return true;
                if (len == 0 || len < BinCodec::LenNeedMore)
                    return false;
            } else {
                // STX ... ETX and the block check.
                const uint8_t* etx = static_cast<const uint8_t*>(std::memchr(ans, 0x03, size_t(got)));
                if (etx && etx + 1 < ans + got)
                    return true;
            }
            if (got >= int(sizeof ans))
                return false;
        }
    };
    int id = 1;
    bool ok = true;
    for (int i = 0; i < kWarmUp && ok; ++i, id = id % 15 + 1)
        ok = exchange(id, i == 0);
    std::vector<double> intervals;
    const auto t0 = Clock::now();
    auto last = t0;
    for (int i = 0; i < count && ok; ++i, id = id % 15 + 1) {
        ok = exchange(id, false);
        const auto now = Clock::now();
        intervals.push_back(std::chrono::duration<double>(now - last).count());
        last = now;
    }
    if (ok) {
        run.rate = count / std::chrono::duration<double>(last - t0).count();
        std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
        run.medianInterval = intervals[intervals.size() / 2];
    }
    ::close(fd);
    return run;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return std::nan("");
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 != 0 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The product against the minimal client, each on its own paced invsim,
// in alternating rounds; false when a line could not be opened or a series
// stalled.
bool compareInRounds(double secondsPerSeries, int rounds)
{
    std::printf("Product against the minimal client, interleaved: %d rounds of each, medians of the elapsed-time\n"
                "ratios (exchanges / line limit):\n",
                rounds);
    std::printf("%6s %7s %8s %9s %9s %11s %9s %9s\n", "driver", "baud", "service", "product", "minimal",
                "difference", "product", "minimal");
    std::printf("%6s %7s %8s %9s %9s %11s %9s %9s\n", "", "", "", "ratio", "ratio", "", "median us", "median us");
    bool ok = true;
    for (const Driver& drv : {kDin, kZelk}) {
        for (int baud : {38400, 115200}) {
            OpenLine line;
            Invsim alone;
            if (!line.open(drv, baud) || !alone.start(drv, baud)) {
                std::printf("cannot open the %s line at %d baud\n", drv.name, baud);
                return false;
            }
            for (int service : {0, -1}) {
                const double limit = double(baud) / (drv.bitsPerChar * exchangeChars(drv, service));
                const int count = std::max(20, int(std::lround(limit * secondsPerSeries)));
                std::vector<double> product, minimal, productUs, minimalUs;
                for (int round = 0; round < rounds && ok; ++round) {
                    // Each side goes first in every other round.
                    for (int side = 0; side < 2; ++side) {
                        if ((side + round) % 2 == 0) {
                            const auto s = runSeries(line.sel, service, count);
                            if (!s) {
                                ok = false;
                                break;
                            }
                            product.push_back(s->exchanges / s->seconds / limit);
                            productUs.push_back(1e6 * s->medianInterval);
                        } else {
                            const AloneRun run = simAlone(drv, alone.pty, service, count);
                            if (run.rate <= 0) {
                                ok = false;
                                break;
                            }
                            minimal.push_back(run.rate / limit);
                            minimalUs.push_back(1e6 * run.medianInterval);
                        }
                    }
                }
                if (!ok) {
                    std::printf("%6s %7d %8d  stalled\n", drv.name, baud, service);
                    return false;
                }
                const double p = median(product);
                const double m = median(minimal);
                std::printf("%6s %7d %8d %9.3f %9.3f %+11.3f %9.0f %9.0f\n", drv.name, baud, service, p, m, p - m,
                            median(productUs), median(minimalUs));
                std::fflush(stdout);
            }
        }
    }
    std::printf("(difference: product less minimal client; median us: the median time of one exchange,\n"
                " median of the rounds)\n\n");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double secondsPerSeries = secondsOption(argc, argv, 3.0, 0.2);
    std::string only;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--only")
            only = argv[i + 1];
        if (std::string(argv[i]) == "--rounds")
            rounds = std::max(3, std::atoi(argv[i + 1]));
    }
    auto part = [&only](const char* name) {
        return only.empty() || ("," + only + ",").find("," + std::string(name) + ",") != std::string::npos;
    };
    LineTrace::SetHook(traceHook);

    std::printf("Scheduler client -> TProtSel -> driver -> pseudo-terminal -> invsim, paced at the baud rate,\n"
                "turnaround 0; read of 0x%04X, set byte 1. DIN: TAnsi, DIN 66019 II, 7E1 (10 bits a character);\n"
                "Zelk: tZelk, binary telegrams, 8E1 (11 bits a character).\n\n",
                kParAdr);

    const int bauds[] = {9600, 38400, 115200};
    bool ok = true;
    double worst115 = 1e9;
    double worst38 = 1e9;
    struct StageRow {
        const char* driver;
        int baud;
        int service;
        double line;     // us of line time per exchange
        double interval; // median us per exchange
        double med[8];
        double simAloneInterval = std::nan(""); // median us per exchange of the minimal client
    };
    std::vector<StageRow> stageRows;
    if (part("paced"))
        std::printf("%6s %7s %8s %6s %13s %11s %7s %12s %7s %9s %10s\n", "driver", "baud", "service", "chars",
                    "line limit/s", "achieved/s", "ratio", "median r./s", "ratio", "failures", "RTS late");
    for (const Driver& drv : {kDin, kZelk}) {
        if (!part("paced"))
            break;
        for (int baud : bauds) {
            OpenLine line;
            if (!line.open(drv, baud)) {
                std::printf("cannot open the %s line at %d baud\n", drv.name, baud);
                return 1;
            }
            for (int service : {0, -1}) {
                const int chars = exchangeChars(drv, service);
                const double limit = double(baud) / (drv.bitsPerChar * chars);
                const int count = std::max(20, int(std::lround(limit * secondsPerSeries)));
                const auto s = runSeries(line.sel, service, count);
                if (!s) {
                    std::printf("%6s %7d %8d  stalled\n", drv.name, baud, service);
                    ok = false;
                    continue;
                }
                const double rate = s->exchanges / s->seconds;
                const double medianRate = 1.0 / s->medianInterval;
                if (baud == 115200)
                    worst115 = std::min(worst115, rate / limit);
                if (baud == 38400)
                    worst38 = std::min(worst38, rate / limit);
                std::printf("%6s %7d %8d %6d %13.2f %11.2f %7.3f %12.2f %7.3f %9d %6.0f us\n", drv.name, baud,
                            service, chars, limit, rate, rate / limit, medianRate, medianRate / limit, s->failures,
                            stagePercentile(sRtsDeadline, sRtsRaised, 0.5));
                std::fflush(stdout);
                if (baud != 9600) {
                    StageRow r{drv.name, baud, service, 1e6 / limit, 1e6 * s->medianInterval, {}};
                    r.med[0] = stagePercentile(sHanded, sWritten, 0.5);
                    r.med[1] = stagePercentile(sWritten, sDrained, 0.5);
                    r.med[2] = stagePercentile(sRtsDeadline, sRtsRaised, 0.5);
                    r.med[3] = stagePercentile(sDrained, sFirstByte, 0.5);
                    r.med[4] = stagePercentile(sFirstByte, sPosted, 0.5);
                    r.med[5] = stagePercentile(sPosted, sEvaluated, 0.5);
                    r.med[6] = stagePercentile(sEvaluated, sNextHanded, 0.5);
                    r.med[7] = stagePercentile(sHanded, sNextHanded, 0.5);
                    stageRows.push_back(r);
                }
            }
        }
    }
    if (part("paced")) {
    std::printf("\nlowest ratio (exchanges / elapsed time): 115200: %.3f (goal 0.95), 38400: %.3f (goal 0.97)\n",
                worst115, worst38);
    std::printf("(RTS late: median time from the end-of-frame deadline to RTS raised)\n\n");

    std::printf("Stages of one exchange, medians in us (from time stamps in the port and the drivers):\n");
    std::printf("%6s %7s %7s %7s %8s %7s %7s %8s %7s %8s %9s %8s %8s %7s\n", "driver", "baud", "service", "line",
                "exchange", "beyond", "handed>", "written>", "RTS", "drained>", "1st byte>", "posted>", "evaluated",
                "handed>");
    std::printf("%6s %7s %7s %7s %8s %7s %7s %8s %7s %8s %9s %8s %8s %7s\n", "", "", "", "", "", "the line",
                "written", "drained", "late", "1st byte", "posted", "evaluated", ">next", "next");
    for (const StageRow& r : stageRows)
        std::printf("%6s %7d %7d %7.0f %8.0f %7.0f %7.1f %8.1f %7.1f %8.1f %9.1f %8.1f %8.1f %7.0f\n", r.driver,
                    r.baud, r.service, r.line, r.interval, r.interval - r.line, r.med[0], r.med[1], r.med[2],
                    r.med[3], r.med[4], r.med[5], r.med[6], r.med[7]);
    std::printf("(handed: the driver took the request (GUI thread); written: the frame is in the device (the\n"
                " GUI thread on an idle port, else the writer thread); drained: the transmitter is empty; RTS\n"
                " late: after the one-character deadline; 1st byte: the first answer byte read (line-event\n"
                " thread); posted: the answer complete, posted to the GUI thread; evaluated: the answer handed\n"
                " on (GUI thread); next: the next request taken. drained>1st\n"
                " byte holds the request's and the first answer character's line time, 1st byte>posted the rest of\n"
                " the answer's)\n\n");
    }

    // The simulator alone: its own floor.
    if (part("sim")) {
    std::printf("Simulator alone (a minimal raw client, no threads) against the same paced invsim:\n");
    std::printf("%6s %7s %8s %13s %11s %7s %12s %7s %9s\n", "driver", "baud", "service", "line limit/s",
                "achieved/s", "ratio", "median r./s", "ratio", "beyond us");
    for (const Driver& drv : {kDin, kZelk}) {
        for (int baud : {38400, 115200}) {
            Invsim sim;
            if (!sim.start(drv, baud)) {
                std::printf("cannot start invsim\n");
                return 1;
            }
            for (int service : {0, -1}) {
                const double limit = double(baud) / (drv.bitsPerChar * exchangeChars(drv, service));
                const int count = std::max(20, int(std::lround(limit * secondsPerSeries)));
                const AloneRun run = simAlone(drv, sim.pty, service, count);
                const double medianRate = run.medianInterval > 0 ? 1.0 / run.medianInterval : 0;
                std::printf("%6s %7d %8d %13.2f %11.2f %7.3f %12.2f %7.3f %9.0f\n", drv.name, baud, service, limit,
                            run.rate, run.rate / limit, medianRate, medianRate / limit,
                            1e6 * run.medianInterval - 1e6 / limit);
                std::fflush(stdout);
                for (StageRow& r : stageRows)
                    if (r.driver == drv.name && r.baud == baud && r.service == service)
                        r.simAloneInterval = 1e6 * run.medianInterval;
            }
        }
    }

    std::printf("(beyond: median exchange time less the line time)\n\n");
    }

    // Where the time beyond the line goes: the simulator's own floor (the
    // minimal client's), the request's way into the device, the post to the
    // GUI thread, and the rest.
    if (part("paced") && part("sim")) {
        std::printf("Time beyond the line per exchange, medians in us: the simulator's floor (minimal client), the\n"
                    "request's way into the device (handed>written), the post to the GUI thread (posted>evaluated),\n"
                    "evaluated>next, and what remains (the drain runs beside the line, so it is not taken off):\n");
        std::printf("%6s %7s %8s %8s %9s %9s %9s %8s %8s %11s\n", "driver", "baud", "service", "beyond",
                    "simulator", "to device", "to GUI", ">next", "rest", "goal beyond");
        for (const StageRow& r : stageRows) {
            const double beyond = r.interval - r.line;
            const double floor = r.simAloneInterval - r.line;
            const double rest = beyond - floor - r.med[0] - r.med[5] - r.med[6];
            const double goal = r.line / (r.baud == 115200 ? 0.95 : 0.97) - r.line;
            std::printf("%6s %7d %8d %8.0f %9.0f %9.1f %9.1f %8.1f %8.0f %11.0f\n", r.driver, r.baud, r.service,
                        beyond, floor, r.med[0], r.med[5], r.med[6], rest, goal);
        }
        std::printf("(goal beyond: what 0.95 of the line at 115200, 0.97 at 38400 leave)\n\n");
    }

    if (part("compare"))
        ok = compareInRounds(secondsPerSeries, rounds) && ok;

    // Unpaced: the software's own cost per exchange.
    if (part("unpaced")) {
    std::printf("\nUnpaced (invsim answers at once):\n");
    std::printf("%6s %8s %11s %13s %9s %9s %9s %9s %8s %13s %13s\n", "driver", "service", "exchanges",
                "us/exchange", "CPU us/", "exchange", "", "", "sleeps/", "RTS late us", "RTS late us");
    std::printf("%6s %8s %11s %13s %9s %9s %9s %9s %8s %13s %13s\n", "", "", "", "", "process", "GUI", "writer",
                "events", "exchange", "median", "99th pct.");
    for (const Driver& drv : {kDin, kZelk}) {
        OpenLine line;
        if (!line.open(drv, 0)) {
            std::printf("cannot open the unpaced %s line\n", drv.name);
            return 1;
        }
        for (int service : {0, -1}) {
            const int count = std::max(200, int(2000 * secondsPerSeries));
            const auto s = runSeries(line.sel, service, count);
            if (!s) {
                std::printf("%6s %8d  stalled\n", drv.name, service);
                ok = false;
                continue;
            }
            std::printf("%6s %8d %11d %13.1f %9.1f %9.1f %9.1f %9.1f %8.2f %13.1f %13.1f\n", drv.name, service,
                        s->exchanges, 1e6 * s->seconds / s->exchanges, 1e6 * s->cpuSeconds / s->exchanges,
                        1e6 * s->guiCpuSeconds / s->exchanges, 1e6 * s->writerCpuSeconds / s->exchanges,
                        1e6 * s->eventCpuSeconds / s->exchanges, double(s->sleeps) / s->exchanges,
                        stagePercentile(sRtsDeadline, sRtsRaised, 0.5),
                        stagePercentile(sRtsDeadline, sRtsRaised, 0.99));
        }
    }
    std::printf("(process: this process only - scheduler, selector, driver and the port's two threads,\n"
                " invsim runs apart; GUI: the GUI thread - scheduler, selector and the driver's request and\n"
                " evaluation; writer, events: the port's writer and line-event threads; sleeps: times a\n"
                " thread of this process went to sleep, each a wake-up later;\n"
                " RTS late: from the one-character deadline after the transmitter became empty to RTS raised)\n");
    }
    LineTrace::SetHook(nullptr);
    return ok ? 0 : 1;
}
