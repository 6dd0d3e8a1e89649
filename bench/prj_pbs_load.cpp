// Loading a project whose inverters sit behind the simulated Profibus DP
// master card, with the protocol selector bound to the project as the main
// window binds it: the time of TVortalinPrj::LoadFromFile, how often the
// Profibus driver was opened on the way (the card's profi_get_versions
// calls, one per open) and the driver's state afterwards. Every entry names
// its configuration number and the configuration file is on disk, so the
// load itself reads nothing from the inverters; what remains is the
// driver's work to bring the listed slaves into data exchange.
//
// Usage: bench_prj_pbs_load [--sizes 5,10,20,40]

#include "comm/card_library.h"
#include "comm/pbs.h"
#include "comm/prot_sel.h"
#include "platform/settings_store.h"
#include "project/vortalin_prj.h"
#include "sim/cards/sim_pbs_card.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<int> sizesOption(int argc, char** argv, std::vector<int> sizes)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--sizes") {
            sizes.clear();
            for (const QString& s : QString::fromLocal8Bit(argv[i + 1]).split(u','))
                if (const int n = s.toInt(); n > 0 && n <= 124)
                    sizes.push_back(n);
        }
    return sizes;
}

// Entries at addresses 1..n, all of type 21 on Profibus.
QByteArray projectText(int n)
{
    QByteArray t = "[PROJECT]\r\nNAME=Plant\r\nWATCHINTERVAL=0\r\n\r\n";
    for (int a = 1; a <= n; ++a)
        t += "[INV" + QByteArray::number(a) + "]\r\nCFGID=21\r\nPROT=" + QByteArray::number(int(prPBS))
            + "\r\nNAME=Drive " + QByteArray::number(a) + "\r\n\r\n";
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::vector<int> sizes = sizesOption(argc, argv, {5, 10, 20, 40});

    QTemporaryDir dir;
    const QString lib = QStringLiteral(QEL_SIMPBS_PATH);
    void* handle = dlopen(lib.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    auto get = handle ? reinterpret_cast<qelsim::SimPbsCard* (*)()>(dlsym(handle, "qelsim_pbs_card")) : nullptr;
    qelsim::SimPbsCard* card = get ? get() : nullptr;
    if (!dir.isValid() || !card) {
        std::printf("cannot load %s\n", qPrintable(lib));
        return 1;
    }
    {
        SettingsStore store(dir.filePath(QStringLiteral("registry.reg")));
        store.createKey(QString::fromLatin1(TCardLibrary::SettingsKey));
        store.writeString(QString::fromLatin1(TCardLibrary::SettingsKey), QStringLiteral("PAPI.DLL"), lib);
        if (!store.save())
            return 1;
    }
    qputenv("QEL_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    const QString bin = dir.filePath(QStringLiteral("bin")) + u'/';
    QDir().mkpath(bin);
    const QString cfgName = TVortalinCfgList::BinFileName(21);
    if (!QFile::copy(QStringLiteral(QEL_SAMPLE_BINARIES) + u'/' + cfgName, bin + cfgName)) {
        std::printf("no %s: build the sample_configs target\n", qPrintable(cfgName));
        return 1;
    }

    std::printf("Project load with Profibus DP entries on the simulated card (type 21, addresses 1..n)\n");
    std::printf("TVortalinPrj::LoadFromFile -> OnInvProtChanged -> TProtSel::SetProtocol -> tPBS\n\n");
    std::printf("%8s %10s %12s %8s %8s %10s\n", "entries", "load s", "s/entry", "opens", "open", "slaves");
    for (int n : sizes) {
        card->reset();
        for (int a = 1; a <= n; ++a)
            card->addInverter(a, 21);
        const QString file = dir.filePath(QStringLiteral("plant%1.pr5").arg(n));
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(projectText(n)) < 0)
            return 1;
        f.close();

        TProtSel sel;
        sel.SetRetryCnt(0);
        TVortalinPrj prj;
        prj.BinPath = bin;
        prj.ProtSel = &sel;
        prj.OnInvProtChanged = [&sel](QObject*, int a, TProt p) { sel.SetProtocol(a, p); };
        card->clearLog();
        const auto t0 = Clock::now();
        const int rc = prj.LoadFromFile(file);
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        auto* pbs = dynamic_cast<tPBS*>(sel.DriverOf(prPBS));
        const int opens = card->calls("profi_get_versions");
        std::printf("%8d %10.3f %12.4f %8d %8s %10lld%s\n", n, s, s / n, opens,
                    pbs && pbs->IsOpen() ? "yes" : "no", pbs ? (long long)pbs->GetSlaveList().size() : -1LL,
                    rc == 0 ? "" : "  (load result not 0)");
        std::fflush(stdout);
        prj.OnInvProtChanged = nullptr;
        prj.ProtSel = nullptr;
    }
    card->reset();
    return 0;
}
