#pragma once

// Shared by the card driver targets (can_*, ibs_*, pbs_*): the simulated
// card libraries of the build tree behind the card-library loader, the
// program and the cards on one virtual clock (a time-out takes no real
// time), the wait for a driver's answer, and the checks of what a driver
// promises for a request that noise from the card met.

#include "fuzz_support.h"

#include "comm/card_library.h"
#include "comm/custom_qel_prot.h"
#include "platform/settings_store.h"
#include "platform/virtual_clock.h"
#include "sim/cards/sim_card.h"
#include "sim/sim_inverter.h"
#include "tests/support/sim_virtual_time.h"
#include "tests/support/wait_until.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace qelfuzz {

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
    broken(what);
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
        broken("cannot write the settings store");
    qputenv("QEL_REGISTRY", storePath.toLocal8Bit());
    // Kept loaded for the run: the driver's loads share this copy.
    void* handle = dlopen(lib.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    auto get = handle ? reinterpret_cast<T* (*)()>(dlsym(handle, symbol)) : nullptr;
    if (!get) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(lib), dlerror());
        broken("simulated card library missing (build the sim/cards targets)");
    }
    T* card = get();
    card->setClock(&virtualTime());
    return card;
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
    if (!qeltest::waitUntil([&] { return log.Count() > before; }, realMs))
        return std::nullopt;
    if (log.Last().ReqId != id)
        broken("the answer carries another request number");
    return log.Last();
}

// A request of a target: read or write, the service and its data.
struct CardRequest {
    bool read;
    int service;
    TTelData data;
};

// The head of a target's input: byte 0 chooses the request, byte 1 the
// exchange (bit 0: synchronous) and how late the inverter's own answer
// comes (1 to `maxLateMs` ms); the noise follows. None for a shorter input.
struct CardInput {
    uint8_t choice;
    bool sync;
    int lateMs;
    const uint8_t* noise;
    size_t noiseSize;
};

inline std::optional<CardInput> cardInput(const uint8_t* data, size_t size, int maxLateMs)
{
    if (size < 2)
        return std::nullopt;
    return CardInput{data[0], bool(data[1] & 1), 1 + (data[1] >> 1) % maxLateMs, data + 2, size - 2};
}

// The card back to fresh with one inverter, at `addr`, whose parameter
// 0x0102 (the one the targets' parameter requests name) holds 0x1234.
inline std::shared_ptr<qelsim::SimInverter> freshInverter(qelsim::SimCard& card, int addr)
{
    card.reset();
    auto inv = card.addInverter(addr);
    inv->setValue(0x0102, 0x1234);
    return inv;
}

// The data of a plain parameter access.
inline TTelData parAccess(uint16_t par, uint16_t word = 0)
{
    TTelData d;
    d.ParAdr = par;
    d.ParSet = word;
    return d;
}

// The data of a fieldbus access (`func`: fbVarAcc, fbIdentify) to object
// `index`, sub-index `sub`, with the bytes a write carries.
inline TTelData fieldbusAccess(int func, uint16_t index, uint8_t sub, const QByteArray& bytes = {})
{
    TTelData d;
    d.SetByte(0, uint8_t(func));
    d.SetU16(2, index);
    d.SetByte(4, sub);
    d.SetByte(5, uint8_t(bytes.size()));
    for (int i = 0; i < bytes.size(); ++i)
        d.SetByte(6 + i, uint8_t(bytes[i]));
    return d;
}

// One exchange, synchronous or not, with `afterSend` run once the request
// is on its way; the answer, or none when the driver gave none (the code of
// a refusal in `refused`). The synchronous exchange sends before it runs
// the event loop, so `afterSend` is queued to come there.
inline std::optional<TRecTel> request(tCustomQelProt& drv, AnswerLog& log, bool sync, int addr, const CardRequest& r,
                                      const std::function<void()>& afterSend, int* refused = nullptr)
{
    if (!sync)
        return exchange(drv, log, r.read, addr, r.service, r.data, afterSend, refused);
    if (afterSend)
        QMetaObject::invokeMethod(&drv, afterSend, Qt::QueuedConnection);
    TRecTel rsp;
    const int res = r.read ? drv.ReadPara(addr, r.service, r.data, rsp) : drv.WritePara(addr, r.service, r.data, rsp);
    if (refused)
        *refused = res < 0 ? res : 0;
    if (res < 0)
        return std::nullopt;
    return rsp;
}

// The answer to expect: the clean request ends with one (an error code is
// one too).
inline TRecTel cleanAnswer(const std::optional<TRecTel>& rsp)
{
    if (!rsp)
        broken("a clean request got no answer");
    return *rsp;
}

// Whether the inverter answered the clean request at all; when it did not,
// no later answer of the same request is promised either.
inline bool answered(const TRecTel& expected) { return expected.Status != QelResult::NoAnswer; }

// Runs `noisy` (the request with the noise) with the inverter's own answer
// `delayMs` late, so that the noise comes first; the inverter answers in
// time again afterwards.
inline std::optional<TRecTel> withLateAnswer(qelsim::SimInverter& inv, int delayMs,
                                             const std::function<std::optional<TRecTel>()>& noisy)
{
    qelsim::SimFault late;
    late.delayMs = delayMs;
    inv.faults().push(late);
    std::optional<TRecTel> got = noisy();
    inv.faults().clear();
    return got;
}

// The request with the noise ended (`didNotEnd` says where the noise was),
// and not as pending.
inline const TRecTel& expectEnded(const std::optional<TRecTel>& got, const char* didNotEnd)
{
    if (!got)
        broken(didNotEnd);
    if (got->Status == QelResult::Pending)
        broken("an answer delivered as pending");
    return *got;
}

// Noise that could answer the request may be taken for its answer; other
// noise must not keep the inverter's answer behind it from being read.
inline void expectAnswerThroughNoise(const TRecTel& got, const TRecTel& expected, bool noiseCouldAnswer,
                                     const char* what)
{
    if (answered(expected) && !noiseCouldAnswer)
        expectAnswer(got, expected, what);
}

// A clean request after the noise ends and is read as before it.
inline void expectReadAgain(const std::optional<TRecTel>& again, const TRecTel& expected)
{
    if (!again)
        broken("a clean request after the noise did not end");
    if (answered(expected))
        expectAnswer(*again, expected, "a clean request after the noise was not read");
}

} // namespace qelfuzz
