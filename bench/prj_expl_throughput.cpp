// Reads per second of the project explorer polling the group "Drive"
// through TScheduler -> TProtSel -> TAnsi -> a pseudo-terminal -> the
// simulator, paced at the baud rate (10 bits a character, turnaround 0).
// Type 21: 12 parameters, the first expanded into its eight set rows (20
// rows), with the set pointer, active set and password in the status bar;
// type 3: the group of an inverter without set addressing.
//
// The line's limit comes from the exact bytes that crossed it while the
// clock ran (request frames received and answers sent by the simulator):
// limit = baud / (10 * characters per exchange); the ratio reached / limit
// is the share of the line the explorer uses (goal 0.95).
//
// Usage: bench_prj_expl_throughput [--seconds S] (per series, default 3)

#include "comm/prot_sel.h"
#include "mainwin/prj_expl_core.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "tools/cfgtool/cfg_source.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace qelsim;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBitsPerChar = 10;

void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

std::shared_ptr<TCfgRec> readCfg(const QString& path)
{
    QFile f(path);
    CfgSource src;
    QStringList errors;
    if (!f.open(QIODevice::ReadOnly) || !CfgSourceFromJsonText(f.readAll(), src, errors))
        return nullptr;
    return src.cfg;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    double seconds = 3.0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds")
            seconds = std::max(0.5, std::atof(argv[i + 1]));

    const QString root = QStringLiteral(QEL_SOURCE_DIR);
    std::printf("Project explorer polling the group \"Drive\" of one inverter\n");
    std::printf("TScheduler -> TProtSel -> TAnsi -> pseudo-terminal -> simulator, paced, %d bits a character, "
                "turnaround 0\n\n", kBitsPerChar);
    std::printf("%5s %7s %5s %15s %13s %13s %7s\n", "type", "baud", "rows", "chars/exchange", "line limit/s",
                "reads/s", "ratio");

    double worst = 1e9;
    for (int type : {21, 3}) {
        const QString source = root + QStringLiteral("/data/configs/type%1.json").arg(type, 4, 10, QLatin1Char('0'));
        SimModel model;
        QString err;
        auto cfg = readCfg(source);
        if (!cfg || !SimModel::fromJsonFile(source, model, &err)) {
            std::printf("cannot read %s: %s\n", qPrintable(source), qPrintable(err));
            return 1;
        }
        const struct {
            int baud;
            TBaudRate rate;
        } lines[] = {{38400, B_38400}, {115200, B_115200}};
        for (const auto& l : lines) {
            SimDinPtyServer server;
            server.addInverter(std::make_shared<SimInverter>(1, model));
            server.setBaudRate(l.baud);
            server.setCharBits(kBitsPerChar);
            server.setTurnaroundMs(0);
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

            TVortalinPrj prj;
            prj.Append(cfg);
            if (prj.AddInv(1, type, QStringLiteral("inv"), prOffline, true) != 0)
                return 1;
            auto core = std::make_unique<TPrjExplCore>();
            core->Project = &prj;
            core->SetScheduler(sch, nullptr);
            core->BuildTree();
            TExplNode* groups = core->Root()->Children.front()->Children.front().get();
            for (auto& g : groups->Children)
                if (g->Grp && g->Grp->IdText() == QStringLiteral("dr"))
                    core->Select(g.get());
            if (core->PageMode != pmParaList) {
                std::printf("no group \"Drive\" in type %d\n", type);
                return 1;
            }
            for (int r = 0; r < int(core->Rows.size()); ++r)
                if (core->Rows[size_t(r)].StateImage == 1) {
                    core->ExpandSets(r);
                    break;
                }
            core->Shown();
            sch->SetActive(true);
            runFor(0.5);
            server.clearLog();
            const auto t0 = Clock::now();
            runFor(seconds);
            const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
            const QList<QByteArray> req = server.receivedFrames();
            const QList<QByteArray> ans = server.sentChunks();
            qint64 chars = 0;
            for (const QByteArray& b : req)
                chars += b.size();
            for (const QByteArray& b : ans)
                chars += b.size();
            const int rows = int(core->Rows.size());
            sch->SetActive(false);
            core.reset();
            sch->Release();
            server.stop();
            if (req.isEmpty()) {
                std::printf("%5d %7d  no exchange\n", type, l.baud);
                continue;
            }
            const double rate = req.size() / elapsed;
            const double perExchange = double(chars) / req.size();
            const double limit = l.baud / (kBitsPerChar * perExchange);
            worst = std::min(worst, rate / limit);
            std::printf("%5d %7d %5d %15.2f %13.2f %13.2f %7.3f\n", type, l.baud, rows, perExchange, limit, rate,
                        rate / limit);
            std::fflush(stdout);
        }
    }
    qunsetenv("QEL_COM1");
    std::printf("\nworst ratio %.3f (goal 0.95)\n", worst);
    return 0;
}
