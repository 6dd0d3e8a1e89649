// Upload and download of a complete download list (sample type 21, built
// parameter by parameter over every set) through the list's scheduler
// client -> TScheduler -> TProtSel -> TAnsi -> a pseudo-terminal -> the
// simulator, paced at the baud rate with zero turnaround.
//
// The line time of a transfer is the time its bytes take on the line:
// every request frame the simulator received and every byte it sent back,
// 10 bits a character (7E1). The report gives that over the time the
// transfer took (goal 0.95): what the list's own handling between the
// exchanges (request provider, answer handler, scheduler, driver) costs.
// Refused writes (parameters the inverter does not let the bus write) are
// answered Skip in the error dialog, as a user would; they count as
// exchanges.
//
// Usage: bench_dwn_transfer

#include "bench_line.h"
#include "comm/prot_sel.h"
#include "config/lang_texts.h"
#include "lists/dwn_load_engine.h"
#include "project/vortalin_prj.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

using namespace bench;

namespace {

constexpr int kAddr = 1;

// The transfer's progress: it starts with the first request and finishes
// at the end, so it times the transfer itself (not the scheduler's idle
// poll before the first request).
class BenchProgress : public IProgress {
public:
    void Start(const QString&, const QString&) override { t0 = Clock::now(); }
    void SetText(const QString&) override {}
    void SetMax(int) override {}
    void SetPosition(int) override {}
    bool Cancelled() const override { return false; }
    void Finish() override
    {
        t1 = Clock::now();
        if (onFinish)
            onFinish();
    }
    Clock::time_point t0, t1;
    std::function<void()> onFinish;
};

// Answers every question with its default button: Yes to the start
// question, Skip in the error dialog, OK; build mode 1.
class BenchUi : public IDwnInteraction {
public:
    int Message(const TDwnMessage& m) override
    {
        if (m.Buttons == dblIgnoreCancel)
            ++skips;
        return m.Buttons == dblBuildModes ? 1 : m.Default;
    }
    QString ChooseSaveFile(const TDwnSaveDlg&) override { return {}; }
    int ChooseInverter(const QString&, int) override { return -1; }
    IProgress& Progress() override { return progress; }
    void ShowWait(const QString&, const QString&, int) override {}
    void UpdateWait(int) override {}
    void HideWait() override {}

    int skips = 0;
    BenchProgress progress;
};

struct Result {
    bool done = false;
    int lines = 0;
    int exchanges = 0;
    int skips = 0;
    double seconds = 0;
    double lineSeconds = 0;
};

Result run(TDwnLoadEngine& engine, BenchUi& ui, qelsim::SimDinPtyServer& sim, int baud, bool upload)
{
    Result r;
    sim.clearLog();
    const int skips0 = ui.skips;
    QEventLoop loop;
    ui.progress.onFinish = [&] { loop.quit(); };
    if (upload) {
        engine.TransferState = DwnTransfer::UnattendedUpload;
        engine.DoUpload();
    } else {
        engine.DoDownload();
    }
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    loop.exec();
    ui.progress.onFinish = nullptr;
    r.seconds = std::chrono::duration<double>(ui.progress.t1 - ui.progress.t0).count();
    r.done = engine.TransferState == DwnTransfer::Idle;
    r.lines = int(engine.Lines.size());
    r.exchanges = sim.requestCount();
    r.skips = ui.skips - skips0;
    r.lineSeconds = double(lineChars(sim)) * kBitsPerChar / baud;
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qelsim::SimModel model;
    QString error;
    if (!qelsim::SimModel::fromJsonFile(QStringLiteral(QEL_SAMPLE_SOURCES "/type0021.json"), model, &error)) {
        std::printf("%s\n", qPrintable(error));
        return 1;
    }
    TVortalinPrj prj;
    prj.BinPath = QStringLiteral(QEL_SAMPLE_BINARIES "/");
    if (prj.AddInv(kAddr, 21, QStringLiteral("Bench"), prOffline, true) != 0) {
        std::printf("cannot load configuration 21 from %s\n", QEL_SAMPLE_BINARIES);
        return 1;
    }

    std::printf("Complete list of type 21 (build mode 1): list client -> TScheduler -> TProtSel -> TAnsi\n"
                "(DIN 66019 II) -> pseudo-terminal -> simulator paced at the baud rate, %d bits a character,\n"
                "turnaround 0; refused writes answered Skip\n\n",
                kBitsPerChar);
    std::printf("%7s %9s %6s %10s %6s %10s %10s %7s\n", "baud", "transfer", "lines", "exchanges", "skips",
                "line s", "elapsed s", "ratio");
    double worst = 1e9;
    bool ok = true;
    const struct {
        int baud;
        TBaudRate rate;
    } speeds[] = {{9600, B_9600}, {38400, B_38400}};
    for (const auto& sp : speeds) {
        qelsim::SimDinPtyServer sim;
        sim.addInverter(std::make_shared<qelsim::SimInverter>(kAddr, model));
        paceLine(sim, sp.baud);
        if (!sim.start({}, &error)) {
            std::printf("%s\n", qPrintable(error));
            return 1;
        }
        qputenv("QEL_COM1", sim.path().toLocal8Bit());
        TProtSel sel;
        sel.Ansi()->SetComport(Com1);
        sel.Ansi()->SetBaudrate(sp.rate);
        sel.Ansi()->SetTimeOut(1000);
        sel.SetRetryCnt(0);
        sel.SetProtocol(kAddr, prANSI);
        auto* sch = new TScheduler;
        sch->Attach(&sel);
        BenchUi ui;
        {
            TDwnLoadEngine engine(&prj, sch, nullptr, ui);
            engine.InvAdr = kAddr;
            engine.CfgId = 21;
            engine.Register(nullptr);
            engine.DoMakeList();
            sch->SetActive(true);
            for (bool upload : {true, false}) {
                const Result r = run(engine, ui, sim, sp.baud, upload);
                if (!r.done) {
                    std::printf("%7d %9s  did not finish\n", sp.baud, upload ? "upload" : "download");
                    ok = false;
                    continue;
                }
                const double ratio = r.lineSeconds / r.seconds;
                worst = std::min(worst, ratio);
                std::printf("%7d %9s %6d %10d %6d %10.3f %10.3f %7.3f\n", sp.baud, upload ? "upload" : "download",
                            r.lines, r.exchanges, r.skips, r.lineSeconds, r.seconds, ratio);
                std::fflush(stdout);
            }
            sch->SetActive(false);
        }
        sch->Release();
    }
    std::printf("\nlowest ratio (line time / elapsed time): %.3f (goal 0.95)\n", worst);
    return ok ? 0 : 1;
}
