// Cyclic reads per second of the operator-parameter window (36 rows: the
// 30-parameter module of sim/data with its further sets) through
// TScheduler -> TProtSel -> TAnsi -> a pseudo-terminal -> the simulator,
// paced at the baud rate (10 bits a character, turnaround 0).
//
// The line's limit comes from the exact bytes that crossed it while the
// clock ran (request frames received and answers sent by the simulator):
// limit = baud / (10 * characters per exchange). The ratio reached / limit
// is the share of the line the window uses (goal 0.95). Each baud rate runs
// with the window's logic alone (headless) and with the window shown
// (offscreen); a third of the rows change on every read.
//
// Usage: bench_op_para_throughput [--seconds S] (per series, default 3)

#include "bench_line.h"
#include "comm/prot_sel.h"
#include "lists/op_para.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "tools/cfgtool/cfg_source.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace qelsim;

using namespace bench;

namespace {

constexpr int kRows = 36;

} // namespace

int main(int argc, char** argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const double seconds = secondsOption(argc, argv, 3.0, 0.5);

    const QString root = QStringLiteral(QEL_SOURCE_DIR);
    SimModel model, ops;
    QString err;
    if (!SimModel::fromJsonFile(root + QStringLiteral("/data/configs/type0021.json"), model, &err)
        || !SimModel::fromJsonFile(root + QStringLiteral("/sim/data/op_module30.json"), ops, &err)) {
        std::printf("cannot read the sources: %s\n", qPrintable(err));
        return 1;
    }
    for (auto it = model.params.begin(); it != model.params.end();)
        it = it->second.operatorParam ? model.params.erase(it) : std::next(it);
    for (const auto& [adr, p] : ops.params)
        model.params[adr] = p;

    QFile f(root + QStringLiteral("/data/configs/type0021.json"));
    CfgSource src;
    QStringList errors;
    if (!f.open(QIODevice::ReadOnly) || !CfgSourceFromJsonText(f.readAll(), src, errors))
        return 1;
    TVortalinPrj prj;
    prj.Append(src.cfg);
    if (prj.AddInv(1, 21, QStringLiteral("inv"), prANSI, true) != 0)
        return 1;

    std::printf("Operator-parameter window, %d rows of one inverter\n", kRows);
    std::printf("TScheduler -> TProtSel -> TAnsi -> pseudo-terminal -> simulator, paced, %d bits a character, "
                "turnaround 0\n\n", kBitsPerChar);
    std::printf("%7s %9s %15s %13s %13s %7s\n", "baud", "mode", "chars/exchange", "line limit/s", "reads/s",
                "ratio");

    const struct {
        int baud;
        TBaudRate rate;
    } lines[] = {{9600, B_9600}, {38400, B_38400}, {115200, B_115200}};
    double worst = 1e9;
    for (const auto& l : lines) {
        for (bool windowed : {false, true}) {
            SimDinPtyServer server;
            auto inv = std::make_shared<SimInverter>(1, model);
            for (int a = 0x84; a <= 0x9E; a += 3)
                inv->setChangeOnRead(uint16_t(a), true);
            server.addInverter(inv);
            paceLine(server, l.baud);
            if (!server.start({}, &err)) {
                std::printf("cannot start the simulator: %s\n", qPrintable(err));
                return 1;
            }
            qputenv("QEL_COM1", server.path().toLocal8Bit());
            TProtSel sel;
            sel.Ansi()->SetComport(Com1);
            sel.Ansi()->SetBaudrate(l.rate);
            sel.Ansi()->SetTimeOut(500);
            sel.SetProtocol(1, prANSI);
            auto* sch = new TScheduler;
            sch->Attach(&sel);

            std::unique_ptr<Top_para> win;
            std::unique_ptr<TOpParaCore> core;
            TOpParaEnv env;
            env.Project = &prj;
            env.Scheduler = sch;
            if (windowed) {
                win = std::make_unique<Top_para>(env, nullptr, 1, 0);
                win->show();
            } else {
                core = std::make_unique<TOpParaCore>(&prj, 1, 0);
                core->SetScheduler(sch);
            }
            TOpParaCore& c = windowed ? win->Core() : *core;
            sch->SetActive(true);
            if (!runUntil([&] { return c.ReqState == TOpParaCore::rqCyclic && c.RowCount() == kRows; }, 60)) {
                std::printf("%7d %9s  the list was not built\n", l.baud, windowed ? "window" : "headless");
                return 1;
            }
            runFor(0.3);
            server.clearLog();
            const auto t0 = Clock::now();
            runFor(seconds);
            const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
            const QList<QByteArray> req = server.receivedFrames();
            const qint64 chars = lineChars(server);
            sch->SetActive(false);
            win.reset();
            core.reset();
            sch->Release();
            server.stop();
            if (req.isEmpty()) {
                std::printf("%7d %9s  no exchange\n", l.baud, windowed ? "window" : "headless");
                continue;
            }
            const double rate = req.size() / elapsed;
            const double perExchange = double(chars) / req.size();
            const double limit = lineLimit(l.baud, perExchange);
            worst = std::min(worst, rate / limit);
            std::printf("%7d %9s %15.2f %13.2f %13.2f %7.3f\n", l.baud, windowed ? "window" : "headless",
                        perExchange, limit, rate, rate / limit);
            std::fflush(stdout);
        }
    }
    qunsetenv("QEL_COM1");
    std::printf("\nworst ratio %.3f (goal 0.95)\n", worst);
    return 0;
}
