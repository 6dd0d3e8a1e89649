// A Quintel-mode window of the main program polling a type-21 table:
// TfrmCpWindow (a scheduler client) -> TScheduler -> TProtSel -> TAnsi -> a
// pseudo-terminal -> the simulator, paced at the baud rate (10 bits a
// character, turnaround 0), at 38400 and 115200 baud.
//
// Reported per rate:
// - learning: the time from the window's start until every shown entry has
//   its first value (type 21: 36 target reads, 8 definition reads, 28
//   normalisation reads, then the first value of each entry), the number of
//   exchanges it took, and the line time of those exchanges over that time;
// - polling: reads per second once the table is read, the line's limit
//   (baud / (10 * characters per exchange), from the bytes that crossed it)
//   and their ratio (goal 0.95).
//
// Usage: bench_cp_window_throughput [--seconds S] (polling time per rate, default 4)

#include "bench_line.h"
#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "project/vortalin_prj.h"
#include "quintel/cp_window.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "tools/cfgtool/cfg_source.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <chrono>
#include <cstdio>

using namespace qelsim;

using namespace bench;

namespace {


bool tableRead(TfrmCpWindow& w)
{
    const tQuintel& q = w.Engine();
    if (q.State != 3 || q.Entries.empty())
        return false;
    for (const auto& e : q.Entries)
        if (e->Id >= 0 && (e->Status == tQuintel::NotReadYet || w.Core().Rows.Count() <= e->Id))
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const double seconds = secondsOption(argc, argv, 4.0, 1.0);

    const QString source = QStringLiteral(QEL_SOURCE_DIR "/data/configs/type0021.json");
    SimModel model;
    QString err;
    QFile f(source);
    CfgSource cfgSource;
    QStringList errors;
    if (!SimModel::fromJsonFile(source, model, &err) || !f.open(QIODevice::ReadOnly) ||
        !CfgSourceFromJsonText(f.readAll(), cfgSource, errors)) {
        std::printf("cannot read %s: %s%s\n", qPrintable(source), qPrintable(err), qPrintable(errors.join(' ')));
        return 1;
    }

    std::printf("Quintel-mode window polling a type-21 table (37 entries) at address 1\n");
    std::printf("TfrmCpWindow -> TScheduler -> TProtSel -> TAnsi -> pseudo-terminal -> simulator, paced, %d bits a "
                "character, turnaround 0\n\n", kBitsPerChar);
    std::printf("%7s | %10s %10s %11s | %15s %13s %10s %7s\n", "baud", "learn ms", "exchanges", "line share",
                "chars/exchange", "line limit/s", "reads/s", "ratio");

    const struct {
        int baud;
        TBaudRate index;
    } lines[] = {{38400, B_38400}, {115200, B_115200}};
    double worst = 1e9;
    for (const auto& l : lines) {
        SimDinPtyServer server;
        server.addInverter(std::make_shared<SimInverter>(1, model));
        paceLine(server, l.baud);
        server.setLineRate(l.baud);
        if (!server.start({}, &err)) {
            std::printf("cannot start the simulator: %s\n", qPrintable(err));
            return 1;
        }
        qputenv("QEL_COM1", server.path().toLocal8Bit());

        TVortalinPrj prj;
        prj.Append(cfgSource.cfg);
        if (prj.AddInv(1, cfgSource.cfg->CfgId, QStringLiteral("Drive"), prOffline, true) != 0) {
            std::printf("cannot add the inverter\n");
            return 1;
        }
        TProtSel sel;
        sel.Ansi()->SetComport(Com1);
        sel.Ansi()->SetBaudrate(l.index);
        sel.Ansi()->SetTimeOut(500);
        sel.SetProtocol(1, prANSI);
        auto* sch = new TScheduler;
        sch->Attach(&sel);
        sch->SetActive(true);
        int messages = 0;
        TQuintelWindows windows;
        TCpWindowEnv env;
        env.Windows = &windows;
        env.Scheduler = sch;
        env.Project = &prj;
        env.Message = [&messages](const QStringList&, const QStringList&, const QString&, int,
                                          const QString&, const QString&, const QString&, int, int) {
            ++messages;
            return 0;
        };

        server.clearLog();
        const auto t0 = Clock::now();
        TfrmCpWindow* w = ShowQuintelWindow(env, 1, 0);
        if (!w || !runUntil([&] { return tableRead(*w); }, 60, 0.001)) {
            std::printf("%7d   the table was not read (%d messages)\n", l.baud, messages);
            return 1;
        }
        const double learn = std::chrono::duration<double>(Clock::now() - t0).count();
        const int learnExchanges = server.requestCount();
        const double learnShare = double(lineChars(server)) * kBitsPerChar / l.baud / learn;

        server.clearLog();
        const int before = server.requestCount();
        const auto t1 = Clock::now();
        runFor(seconds);
        const double elapsed = std::chrono::duration<double>(Clock::now() - t1).count();
        const int reads = server.requestCount() - before;
        const double perExchange = double(lineChars(server)) / std::max(1, int(server.receivedFrames().size()));
        const double limit = lineLimit(l.baud, perExchange);
        const double rate = reads / elapsed;
        worst = std::min(worst, rate / limit);
        std::printf("%7d | %10.0f %10d %11.3f | %15.2f %13.2f %10.2f %7.3f\n", l.baud, learn * 1000, learnExchanges,
                    learnShare, perExchange, limit, rate, rate / limit);
        std::fflush(stdout);

        delete w;
        sch->SetActive(false);
        sch->Release();
        server.stop();
    }
    std::printf("\nlowest polling ratio (reads / line limit): %.3f (goal 0.95)\n", worst);
    return 0;
}
