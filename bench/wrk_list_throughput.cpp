// Reads per second of a work list of 100 parameters on 4 inverters (types
// with and without parameter sets, rows interleaved so that every request
// goes to another inverter than the one before) through TScheduler ->
// TProtSel -> TAnsi -> a pseudo-terminal -> the simulator, paced at the
// baud rate (10 bits a character, turnaround 0).
//
// The line's limit comes from the exact bytes that crossed it while the
// clock ran (the request frames the simulator received, with their address
// parts, and the answers it sent): limit = baud / (10 * characters per
// exchange). The ratio reached / limit is the share of the line the list
// uses (goal 0.95). Each baud rate runs headless (the list's logic alone)
// and with the window shown (offscreen), where every changed value is also
// painted; a fifth of the parameters change on every read.
//
// Usage: bench_wrk_list_throughput [--seconds S] (per series, default 3)

#include "bench_line.h"
#include "lists/fwrk_list.h"
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

constexpr int kInverters = 4;
constexpr int kRowsPerInverter = 25;

std::shared_ptr<TCfgRec> loadCfg(const QString& source)
{
    QFile f(source);
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    CfgSource src;
    QStringList errors;
    return CfgSourceFromJsonText(f.readAll(), src, errors) ? src.cfg : nullptr;
}

// The first parameters of a configuration outside the header group.
std::vector<int> readableParams(const TCfgRec& cfg, int count)
{
    std::vector<int> out;
    for (const auto& g : cfg.GrpList)
        for (const auto& p : g->ParaList)
            if (p->Addr >= 0x100 && int(out.size()) < count)
                out.push_back(p->Addr);
    return out;
}

struct Result {
    double rate = 0;
    double limit = 0;
    double charsPerExchange = 0;
    int exchanges = 0;
    int repaints = 0;
};

} // namespace

int main(int argc, char** argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const double seconds = secondsOption(argc, argv, 3.0, 0.5);

    const QString src = QStringLiteral(QEL_SOURCE_DIR) + QStringLiteral("/data/configs/");
    const int types[kInverters] = {21, 3, 21, 3};
    TVortalinPrj prj;
    std::vector<SimModel> models(kInverters);
    for (int k = 0; k < kInverters; ++k) {
        const QString file = src + QStringLiteral("type%1.json").arg(types[k], 4, 10, QLatin1Char('0'));
        QString err;
        if (!SimModel::fromJsonFile(file, models[size_t(k)], &err)) {
            std::printf("cannot read %s: %s\n", qPrintable(file), qPrintable(err));
            return 1;
        }
        if (prj.IndexOfCfg(types[k]) < 0) {
            auto cfg = loadCfg(file);
            if (!cfg)
                return 1;
            prj.Append(cfg);
        }
        if (prj.AddInv(k + 1, types[k], QStringLiteral("inv"), prANSI, true) != 0)
            return 1;
    }

    std::printf("Work list of %d parameters on %d inverters (types 21, 3, 21, 3; rows interleaved)\n",
                kInverters * kRowsPerInverter, kInverters);
    std::printf("TScheduler -> TProtSel -> TAnsi -> pseudo-terminal -> simulator, paced, %d bits a character, "
                "turnaround 0\n\n", kBitsPerChar);
    std::printf("%7s %9s %15s %13s %13s %7s %10s\n", "baud", "mode", "chars/exchange", "line limit/s",
                "reads/s", "ratio", "repaints");

    const struct {
        int baud;
        TBaudRate rate;
    } lines[] = {{38400, B_38400}, {115200, B_115200}};
    double worst = 1e9;
    for (const auto& l : lines) {
        for (bool windowed : {false, true}) {
            SimDinPtyServer server;
            for (int k = 0; k < kInverters; ++k) {
                auto inv = std::make_shared<SimInverter>(k + 1, models[size_t(k)]);
                const std::vector<int> pars = readableParams(*prj.GetInv(k + 1)->Cfg, kRowsPerInverter);
                for (size_t i = 0; i < pars.size(); i += 5)
                    inv->setChangeOnRead(uint16_t(pars[i]), true);
                server.addInverter(inv);
            }
            paceLine(server, l.baud);
            QString err;
            if (!server.start({}, &err)) {
                std::printf("cannot start the simulator: %s\n", qPrintable(err));
                return 1;
            }
            qputenv("QEL_COM1", server.path().toLocal8Bit());
            TProtSel sel;
            sel.Ansi()->SetComport(Com1);
            sel.Ansi()->SetBaudrate(l.rate);
            sel.Ansi()->SetTimeOut(500);
            for (int k = 0; k < kInverters; ++k)
                sel.SetProtocol(k + 1, prANSI);
            auto* sch = new TScheduler;
            sch->Attach(&sel);

            auto win = std::make_unique<TFWrkList>(0);
            TWrkListCore& core = win->Core();
            core.Project = &prj;
            std::vector<std::vector<int>> pars;
            for (int k = 0; k < kInverters; ++k)
                pars.push_back(readableParams(*prj.GetInv(k + 1)->Cfg, kRowsPerInverter));
            for (int i = 0; i < kRowsPerInverter; ++i)
                for (int k = 0; k < kInverters; ++k) {
                    if (i >= int(pars[size_t(k)].size()))
                        continue;
                    // Types with sets: set mask 1 and the actual set in turn.
                    const int set = types[k] == 21 ? (i % 2 ? 0 : 1) : -1;
                    core.InsertItem(core.ParseLine(QStringLiteral("%1,%2,%3;").arg(k + 1).arg(set).arg(pars[size_t(k)][size_t(i)])), -1);
                }
            core.Modified = false;
            win->SetScheduler(sch);
            if (windowed)
                win->show();
            sch->SetActive(true);
            runFor(0.5);  // warm-up: the port is open, every row read once or more
            server.clearLog();
            const int cells0 = core.Model().ChangedCells;
            const auto t0 = Clock::now();
            runFor(seconds);
            const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
            const QList<QByteArray> req = server.receivedFrames();
            Result r;
            r.exchanges = int(req.size());
            r.repaints = core.Model().ChangedCells - cells0;
            const qint64 chars = lineChars(server);
            sch->SetActive(false);
            win.reset();
            sch->Release();
            server.stop();
            if (r.exchanges == 0) {
                std::printf("%7d %9s  no exchange\n", l.baud, windowed ? "window" : "headless");
                continue;
            }
            r.rate = r.exchanges / elapsed;
            r.charsPerExchange = double(chars) / r.exchanges;
            r.limit = lineLimit(l.baud, r.charsPerExchange);
            worst = std::min(worst, r.rate / r.limit);
            std::printf("%7d %9s %15.2f %13.2f %13.2f %7.3f %10d\n", l.baud, windowed ? "window" : "headless",
                        r.charsPerExchange, r.limit, r.rate, r.rate / r.limit, r.repaints);
            std::fflush(stdout);
            QTimer::singleShot(0, [] {});
            runFor(0.05);
        }
    }
    std::printf("\nlowest ratio (reads / line limit): %.3f (goal 0.95)\n", worst);
    return 0;
}
