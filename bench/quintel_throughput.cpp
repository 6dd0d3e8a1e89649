// Exchanges per second of the Quintel program's own cycle reading a type-21
// table: TQuintelProgram -> TProtSel -> TAnsi -> a pseudo-terminal -> the
// simulator, paced at the baud rate (10 bits a character, turnaround 0).
// The run starts with the start-up cycle, so the identification reads, the
// definitions and normalisation sets and then the polling of the values
// (with the periodic identification every tenth cycle) are all counted.
//
// The line's limit comes from the exact bytes that crossed it while the
// clock ran: limit = baud / (10 * characters per exchange). The ratio
// reached / limit is the share of the line the program uses (goal 0.95).
// Each rate is measured twice: from the start-up cycle on (the engine
// pauses for one 250 ms tick after the definitions), and over the polling
// alone once the table is read.
//
// Usage: bench_quintel_throughput [--seconds S] (per baud rate, default 4)

#include "bench_line.h"
#include "installer.h"
#include "platform/settings_store.h"
#include "quintel/cp_program.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>

using namespace qelsim;

using namespace bench;

namespace {


// Nobody to ask: every question gets its cancel button.
struct NullUi : ICpInteraction {
    int Message(const QStringList&, const QStringList&, const QString&, int, const QString&, const QString&,
                const QString&, int, int Cancel) override
    {
        ++messages;
        return Cancel >= 0 ? Cancel : 0;
    }
    void ErrorBox(const QString&, const QString&) override { ++messages; }
    QString ChooseSaveFile(const QString&, const QString&) override { return {}; }
    QString ChooseOpenFile(const QString&) override { return {}; }
    bool RunSettings(TCpSettings&) override { return false; }
    bool RunSelMode(int&, bool) override { return false; }
    bool EditValue(const std::shared_ptr<TParaRec>&, const QString&, int32_t&) override { return false; }
    void SetEditorLanguage(int) override {}
    bool Print(const TCpPrintJob&) override { return false; }
    void SetClipboardText(const QString&) override {}
    void ProgressStart(const QString&, const QString&, int) override {}
    void ProgressStep(int) override {}
    void ProgressStop() override {}
    void SetBusyCursor(bool) override {}
    void SetProgramIcon(const QString&) override {}
    void EndProgram() override {}
    int messages = 0;
};

} // namespace

int main(int argc, char** argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    const double seconds = secondsOption(argc, argv, 4.0, 1.0);

    SimModel model;
    QString err;
    const QString source = QStringLiteral(QEL_SOURCE_DIR "/data/configs/type0021.json");
    if (!SimModel::fromJsonFile(source, model, &err)) {
        std::printf("cannot read %s: %s\n", qPrintable(source), qPrintable(err));
        return 1;
    }

    std::printf("Quintel program reading a type-21 table (37 entries) at address 1\n");
    std::printf("TQuintelProgram -> TProtSel -> TAnsi -> pseudo-terminal -> simulator, paced, %d bits a "
                "character, turnaround 0; identification reads counted\n\n", kBitsPerChar);
    std::printf("%7s %9s %15s %13s %13s %7s %6s\n", "baud", "part", "chars/exchange", "line limit/s",
                "exchanges/s", "ratio", "rows");

    const struct {
        int baud;
        int index;
    } lines[] = {{9600, B_9600}, {38400, B_38400}};
    double worst = 1e9;
    for (const auto& l : lines) {
        QTemporaryDir tmp;
        SimDinPtyServer server;
        server.addInverter(std::make_shared<SimInverter>(1, model));
        paceLine(server, l.baud);
        server.setLineRate(l.baud);
        if (!server.start({}, &err)) {
            std::printf("cannot start the simulator: %s\n", qPrintable(err));
            return 1;
        }
        qputenv("QEL_COM1", server.path().toLocal8Bit());

        SettingsStore store(tmp.filePath(QStringLiteral("registry.reg")));
        InstallPaths paths{QStringLiteral(QEL_BINARY_DIR "/data/lang/"), QStringLiteral(QEL_BINARY_DIR "/data/configs/"),
                           tmp.path()};
        InstallReport report;
        writeInitialValues(store, paths, 0, false, report);
        const QString key = QString::fromLatin1(TCpSettings::Key);
        store.writeDword(key, QStringLiteral("Baudrate"), quint32(l.index));
        store.writeDword(key, QStringLiteral("TimeOut"), 500);
        store.save();

        NullUi ui;
        TQuintelProgram prog(ui, store);
        prog.LockDir = tmp.path();
        if (!prog.FirstShow()) {
            std::printf("the program did not start\n");
            return 1;
        }
        // The start-up cycle at once rather than after the first tick.
        prog.Timer1.stop();
        auto measure = [&](const char* part, bool startUp) {
            server.clearLog();
            const auto t0 = Clock::now();
            if (startUp)
                prog.Cycle();
            runFor(seconds);
            const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
            const QList<QByteArray> req = server.receivedFrames();
            if (req.isEmpty() || ui.messages > 0) {
                std::printf("%7d %9s  no exchange or a message (%d)\n", l.baud, part, ui.messages);
                return;
            }
            const qint64 chars = lineChars(server);
            const double perExchange = double(chars) / req.size();
            const double limit = lineLimit(l.baud, perExchange);
            const double rate = req.size() / elapsed;
            worst = std::min(worst, rate / limit);
            std::printf("%7d %9s %15.2f %13.2f %13.2f %7.3f %6d\n", l.baud, part, perExchange, limit, rate,
                        rate / limit, prog.Rows.Count());
            std::fflush(stdout);
        };
        measure("start-up", true);
        measure("polling", false);
        prog.Ending = true;
        server.stop();
    }
    std::printf("\nlowest ratio (exchanges / line limit): %.3f (goal 0.95)\n", worst);
    return 0;
}
