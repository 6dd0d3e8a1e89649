// Big plants: how the list windows and the explorer grow with their size.
// Each part prints one line per size with the time (and for the explorer
// the memory) and the growth against the first size, so that linear growth
// reads as a time per item that stays flat.
//
//   wrk-delete  a work-list window (shown, offscreen) with n rows: select
//               all, then Delete
//   wrk-load    a work-list file of n rows loaded into the shown window
//   wrk-paste   1,000 copied rows pasted into the middle of n rows
//   dwn         a download list of n lines: Compress (eight set lines of
//               one address and value merged into one line), then the
//               removal of every second line marked
//   expl        the project explorer (shown) of n inverters of type 21:
//               the heap the window takes with its tree, and the time of
//               a rebuild
//
// Usage: bench_big_lists [--only wrk-delete|wrk-load|wrk-paste|dwn|expl]

#include "config/clpbrd_content.h"
#include "config/progress_iface.h"
#include "lists/dwn_load_engine.h"
#include "lists/fwrk_list.h"
#include "mainwin/prj_expl.h"
#include "project/vortalin_prj.h"
#include "tools/cfgtool/cfg_source.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const std::function<void()>& f)
{
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Heap bytes in use (freed memory that the process keeps does not count, so
// sizes measured one after the other do not hide each other).
double heapInUse()
{
    return double(mallinfo2().uordblks);
}

std::shared_ptr<TCfgRec> sampleCfg(int type)
{
    QFile f(QStringLiteral(QEL_SOURCE_DIR "/data/configs/type%1.json").arg(type, 4, 10, QLatin1Char('0')));
    CfgSource src;
    QStringList errors;
    if (!f.open(QIODevice::ReadOnly) || !CfgSourceFromJsonText(f.readAll(), src, errors))
        return nullptr;
    return src.cfg;
}

// One line of a table: size, time, time per item, growth against the first
// size over the size's growth (1.0 is linear).
struct Table {
    int firstN = 0;
    double firstT = 0;
    void row(int n, double t, const char* extra = "")
    {
        if (firstN == 0) {
            firstN = n;
            firstT = t;
        }
        const double growth = firstT > 0 ? (t / firstT) / (double(n) / firstN) : 0;
        std::printf("%9d %11.4f %13.3f %9.2f%s\n", n, t, t / n * 1e6, growth, extra);
        std::fflush(stdout);
    }
};

void header(const char* what)
{
    std::printf("\n%s\n%9s %11s %13s %9s\n", what, "n", "seconds", "us per item", "growth");
}

// ---------------------------------------------------------------- work list

struct WrkWindow {
    TVortalinPrj prj;
    std::unique_ptr<TFWrkList> w;
    explicit WrkWindow(const std::shared_ptr<TCfgRec>& cfg)
    {
        prj.Append(cfg);
        prj.AddInv(1, 21, QStringLiteral("A"), prOffline, true);
        w = std::make_unique<TFWrkList>(0);
        w->Core().Project = &prj;
        w->show();
        QApplication::processEvents();
    }
    ~WrkWindow() { w->Core().Modified = false; }
};

QString wrkFile(const QTemporaryDir& dir, int n)
{
    const QString path = dir.filePath(QStringLiteral("rows%1.wr5").arg(n));
    QByteArray t;
    t.reserve(n * 24);
    for (int i = 0; i < n; ++i)
        t += "1,-1," + QByteArray::number(0x0101 + i % 40) + ";row " + QByteArray::number(i) + "\r\n";
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(t);
    return path;
}

void wrkDelete(const std::shared_ptr<TCfgRec>& cfg, const QTemporaryDir& dir)
{
    header("work list: select all + Delete (window shown)");
    Table tab;
    for (int n : {1000, 3000, 10000}) {
        WrkWindow ww(cfg);
        ww.w->LoadFromFile(wrkFile(dir, n));
        QApplication::processEvents();
        const double t = seconds([&] {
            ww.w->MarkAll();
            ww.w->Delete();
            QApplication::processEvents();
        });
        tab.row(n, t, ww.w->Core().Model().TrailingRow() == 0 ? "" : "  (rows left!)");
    }
}

void wrkLoad(const std::shared_ptr<TCfgRec>& cfg, const QTemporaryDir& dir)
{
    header("work list: load a file into the window (shown)");
    Table tab;
    for (int n : {1000, 10000, 100000}) {
        const QString file = wrkFile(dir, n);
        WrkWindow ww(cfg);
        const double t = seconds([&] {
            ww.w->LoadFromFile(file);
            QApplication::processEvents();
        });
        tab.row(n, t, ww.w->Core().Model().TrailingRow() == n ? "" : "  (rows missing!)");
    }
}

void wrkPaste(const std::shared_ptr<TCfgRec>& cfg, const QTemporaryDir& dir)
{
    header("work list: paste 1,000 rows into the middle of n rows (window shown); per item: per list row");
    Table tab;
    for (int n : {1000, 10000, 100000}) {
        WrkWindow ww(cfg);
        ww.w->LoadFromFile(wrkFile(dir, n));
        QApplication::processEvents();
        std::vector<int> rows(1000);
        for (int i = 0; i < 1000; ++i)
            rows[size_t(i)] = i % n;
        const std::unique_ptr<TIntClpBrd> content = ww.w->Core().CopyRows(rows);
        const double t = seconds([&] {
            ww.w->Core().PasteContent(*content, n / 2);
            QApplication::processEvents();
        });
        tab.row(n, t, ww.w->Core().Model().TrailingRow() == n + 1000 ? "" : "  (rows missing!)");
    }
}

// ---------------------------------------------------------------- download list

// Answers every question with its first button (Yes).
struct YesUi : IDwnInteraction {
    int Message(const TDwnMessage&) override { return 0; }
    QString ChooseSaveFile(const TDwnSaveDlg&) override { return {}; }
    int ChooseInverter(const QString&, int) override { return -1; }
    IProgress& Progress() override { return progress; }
    void ShowWait(const QString&, const QString&, int) override {}
    void UpdateWait(int) override {}
    void HideWait() override {}
    NoProgress progress;
};

void dwn()
{
    header("download list: Compress (7 of 8 lines merged away)");
    Table compress;
    std::vector<std::pair<int, double>> removal;
    for (int n : {1000, 10000, 50000}) {
        YesUi ui;
        TDwnLoadEngine e(nullptr, nullptr, nullptr, ui);
        for (int i = 0; i < n; ++i)
            e.InsertNewLine(i, nullptr, int16_t(0x0100 + i / 8), 7, int16_t(1 << (i % 8)), DwnMode::RW, false, {});
        const double t = seconds([&] { e.DoCompress(); });
        compress.row(n, t, int(e.Lines.size()) == (n + 7) / 8 ? "" : "  (wrong line count!)");

        e.Lines.clear();
        for (int i = 0; i < n; ++i)
            e.InsertNewLine(i, nullptr, int16_t(i), 0, -1, DwnMode::RW, false, {});
        for (int i = 0; i < n; i += 2)
            e.Lines[size_t(i)]->Selected = 1;
        removal.push_back({n, seconds([&] { e.RemoveMarkedLines(); })});
    }
    header("download list: remove every second line, marked");
    Table rm;
    for (auto [n, t] : removal)
        rm.row(n, t);
}

// ---------------------------------------------------------------- explorer

void expl(const std::shared_ptr<TCfgRec>& cfg)
{
    std::printf("\nexplorer of n inverters of type 21 (window shown)\n%9s %12s %12s %14s %9s\n", "n",
                "memory MB", "rebuild ms", "ms per inverter", "growth");
    double firstPer = 0;
    for (int n : {30, 60, 120, 240}) {
        TVortalinPrj prj;
        prj.Append(cfg);
        for (int a = 0; a < n; ++a)
            prj.AddInv(a, 21, QStringLiteral("Drive %1").arg(a), prOffline, true);
        QApplication::processEvents();
        const double before = heapInUse();
        auto w = std::make_unique<TFPrjExpl>();
        w->Core().Project = &prj;
        w->show();
        w->RebuildTree();
        QApplication::processEvents();
        const double mb = (heapInUse() - before) / 1e6;
        constexpr int kRebuilds = 5;
        const double t = seconds([&] {
            for (int i = 0; i < kRebuilds; ++i) {
                w->RebuildTree();
                QApplication::processEvents();
            }
        }) / kRebuilds;
        const double per = t / n;
        if (firstPer == 0)
            firstPer = per;
        std::printf("%9d %12.1f %12.2f %14.4f %9.2f\n", n, mb, t * 1e3, per * 1e3, per / firstPer);
        std::fflush(stdout);
        w.reset();
        QApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string only;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--only")
            only = argv[i + 1];
    auto wanted = [&](const char* part) { return only.empty() || only == part; };

    const std::shared_ptr<TCfgRec> cfg = sampleCfg(21);
    QTemporaryDir dir;
    if (!cfg || !dir.isValid()) {
        std::printf("cannot read the sample configuration 21\n");
        return 1;
    }
    std::printf("Big plants: list windows, download lists and the explorer by size\n");
    std::printf("growth = (time / time at the first size) / (n / first n); 1.0 is linear\n");
    if (wanted("wrk-delete"))
        wrkDelete(cfg, dir);
    if (wanted("wrk-load"))
        wrkLoad(cfg, dir);
    if (wanted("wrk-paste"))
        wrkPaste(cfg, dir);
    if (wanted("dwn"))
        dwn();
    if (wanted("expl"))
        expl(cfg);
    return 0;
}
