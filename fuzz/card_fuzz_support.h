#pragma once

// Shared by the card driver targets (can_*, ibs_*, pbs_*): the simulated
// card libraries of the build tree behind the card-library loader, the
// program and the cards on one virtual clock (a time-out takes no real
// time), the wait for a driver's answer, and how a target reports a broken
// promise.

#include "fuzz_support.h"

#include "comm/card_library.h"
#include "comm/custom_qel_prot.h"
#include "platform/settings_store.h"
#include "platform/virtual_clock.h"
#include "tests/support/sim_virtual_time.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>

namespace qelfuzz {

// The driver broke what it promises: libFuzzer keeps the input.
[[noreturn]] inline void brokenPromise(const char* what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

// An answer on stderr, for the report of a broken promise.
inline void describe(const char* what, const TRecTel& r)
{
    std::fprintf(stderr, "%s: status %d, address %d, service %d, read %d, data %s\n", what, int(r.Status),
                 int(r.InvAdr), int(r.Service), int(r.IsRead),
                 QByteArray(reinterpret_cast<const char*>(r.Data.Bytes()), 24).toHex(' ').constData());
}

// Two answers of the same request carry the same result.
inline bool sameAnswer(const TRecTel& a, const TRecTel& b)
{
    return a.Status == b.Status && a.InvAdr == b.InvAdr && a.Service == b.Service && a.IsRead == b.IsRead
        && std::memcmp(a.Data.Bytes(), b.Data.Bytes(), TTelData::Size) == 0;
}

// Aborts unless `got` is the answer `expected`.
inline void expectAnswer(const TRecTel& got, const TRecTel& expected, const char* what)
{
    if (sameAnswer(got, expected))
        return;
    describe("expected", expected);
    describe("got", got);
    brokenPromise(what);
}

// The program's and the simulated cards' time for the whole run.
inline qeltest::SimVirtualTime& virtualTime()
{
    app();
    static qeltest::SimVirtualTime time;
    return time;
}

// Points the card-library loader at the simulated card `name` ("simcan")
// for the Windows library `winName` and returns the card's control object
// (`symbol`) of the same loaded copy the driver will use, on the run's
// virtual clock.
template <class T> T* simCard(const char* name, const char* winName, const char* symbol)
{
    app();
    const QString lib = QStringLiteral(QEL_FUZZ_SIM_CARDS_DIR "/lib") + QLatin1String(name) + QStringLiteral(".so");
    const QString storePath = scratchPath(QStringLiteral("registry.reg"));
    SettingsStore store(storePath);
    store.load();
    store.createKey(QString::fromLatin1(TCardLibrary::SettingsKey));
    store.writeString(QString::fromLatin1(TCardLibrary::SettingsKey), QString::fromLatin1(winName), lib);
    if (!store.save())
        brokenPromise("cannot write the settings store");
    qputenv("QEL_REGISTRY", storePath.toLocal8Bit());
    // Kept loaded for the run: the driver's loads share this copy.
    void* handle = dlopen(lib.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    auto get = handle ? reinterpret_cast<T* (*)()>(dlsym(handle, symbol)) : nullptr;
    if (!get) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(lib), dlerror());
        brokenPromise("simulated card library missing (build the sim/cards targets)");
    }
    T* card = get();
    card->setClock(&virtualTime());
    return card;
}

// Runs the event loop until `done` holds or `realMs` of real time have
// passed; whether it holds. On the virtual clock the time does not move on
// once it holds.
inline bool waitFor(const std::function<bool()>& done, int realMs = 1500)
{
    if (done())
        return true;
    QDeadlineTimer deadline(realMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    auto outer = virtualTime().clock.SetGate([&, held = false]() mutable {
        if (held || !done())
            return false;
        held = true;
        loop.quit();
        return true;
    });
    loop.exec();
    virtualTime().clock.SetGate(std::move(outer));
    return done();
}

// Lets `ms` of program time pass (late frames of the last exchange arrive).
inline void letTimePass(int ms)
{
    QEventLoop loop;
    qel::TTimer::singleShot(ms, &loop, [&] { loop.quit(); });
    loop.exec();
}

// The answers a driver raises.
class AnswerLog {
public:
    explicit AnswerLog(tCustomQelProt& drv)
    {
        drv.SetOnRspAvail([this](QObject*, TRecTel rec) {
            ++FCount;
            FLast = rec;
        });
    }
    int Count() const { return FCount; }
    const TRecTel& Last() const { return FLast; }

private:
    int FCount = 0;
    TRecTel FLast;
};

// One asynchronous request, with `afterSend` run once it is on its way (the
// noise goes on the line there); the answer, or none when the request was
// refused (its code in `refused`) or no answer came in `realMs`.
inline std::optional<TRecTel> exchange(tCustomQelProt& drv, AnswerLog& log, bool read, int addr, int service,
                                       const TTelData& data, const std::function<void()>& afterSend,
                                       int* refused = nullptr, int realMs = 1500)
{
    const int before = log.Count();
    const int id = read ? drv.ReadParaReq(addr, service, data) : drv.WriteParaReq(addr, service, data);
    if (refused)
        *refused = id < 0 ? id : 0;
    if (id < 0)
        return std::nullopt;
    if (afterSend)
        afterSend();
    if (!waitFor([&] { return log.Count() > before; }, realMs))
        return std::nullopt;
    if (log.Last().ReqId != id)
        brokenPromise("the answer carries another request number");
    return log.Last();
}

} // namespace qelfuzz
