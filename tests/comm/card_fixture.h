#pragma once

// Helpers of the card driver tests: the simulated card libraries built in
// the tree, a settings store that points the card-library loader at them,
// and requests run through the protocol selector and the scheduler.

#include "comm/card_library.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "platform/settings_store.h"
#include "tests/support/sim_virtual_time.h"
#include "temp_dir.h"
#include "tests/support/wait_until.h"

#include <QByteArray>
#include <QString>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <tuple>
#include <vector>

namespace cardtest {

// Path of a simulated card library of the build tree ("simcan", "simibs").
inline QString CardLibrary(const char* name)
{
    return qeltest::binaryDir() + QStringLiteral("/sim/cards/lib") + QString::fromLatin1(name)
        + QStringLiteral(".so");
}

// The control object of a simulated card. The library stays loaded for the
// whole test run, so the driver's loads share this copy of it.
template <class T> T* CardControl(const char* name, const char* symbol)
{
    static std::map<QByteArray, void*> handles;
    void*& h = handles[QByteArray(name)];
    if (!h)
        h = dlopen(CardLibrary(name).toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!h)
        return nullptr;
    using Getter = T* (*)();
    auto get = reinterpret_cast<Getter>(dlsym(h, symbol));
    return get ? get() : nullptr;
}

// The program and simulated cards with their inverters on one virtual
// clock while it lives: a driver's ticks, polls and time-outs run as fast
// as their work. Declare it before the drivers it times.
template <class... Cards> class CardVirtualTime {
public:
    explicit CardVirtualTime(Cards*... cards)
        : FCards(cards...)
    {
        std::apply([this](auto*... c) { (c->setClock(&FTime), ...); }, FCards);
    }
    ~CardVirtualTime()
    {
        std::apply([](auto*... c) { (c->setClock(nullptr), ...); }, FCards);
    }
    CardVirtualTime(const CardVirtualTime&) = delete;
    CardVirtualTime& operator=(const CardVirtualTime&) = delete;

    qel::TVirtualClock& Clock() { return FTime.clock; }

private:
    qeltest::SimVirtualTime FTime;
    std::tuple<Cards*...> FCards;
};

// A settings store of its own for the test (QEL_REGISTRY), with the given
// card libraries configured; the environment is restored afterwards.
class LibraryScope {
public:
    explicit LibraryScope(const QString& storePath, const std::map<QString, QString>& libraries = {})
        : FOld(qgetenv("QEL_REGISTRY"))
        , FHadOld(qEnvironmentVariableIsSet("QEL_REGISTRY"))
    {
        SettingsStore store(storePath);
        store.createKey(QString::fromLatin1(TCardLibrary::SettingsKey));
        for (const auto& [name, file] : libraries)
            store.writeString(QString::fromLatin1(TCardLibrary::SettingsKey), name, file);
        EXPECT_TRUE(store.save());
        qputenv("QEL_REGISTRY", storePath.toLocal8Bit());
    }
    ~LibraryScope()
    {
        if (FHadOld)
            qputenv("QEL_REGISTRY", FOld);
        else
            qunsetenv("QEL_REGISTRY");
    }

private:
    QByteArray FOld;
    bool FHadOld;
};

// One request of a scheduler client.
struct SchedReq {
    int addr = 0;
    int service = 0;
    bool read = true;
    TTelData data;
};

// A scheduler attached to the selector with one client that sends the
// requests given to Run in turn and collects their answers.
class SchedulerClient {
public:
    explicit SchedulerClient(TProtSel& sel)
    {
        FSch = new TScheduler;
        FSch->Attach(&sel);
        FSlot = FSch->Register(
            nullptr,
            [this](TReqRec& req) {
                if (FQueue.empty())
                    return;
                const SchedReq r = FQueue.front();
                FQueue.pop_front();
                req.Valid = 1;
                req.InvAdr = r.addr;
                req.Service = r.service;
                req.IsRead = r.read ? 1 : 0;
                req.Tag = FTag++;
                req.Data = r.data;
            },
            [this](const TRecTel& rsp, int) { Answers.push_back(rsp); }, nullptr);
        FSch->SetState(FSlot, 3);
        FSch->SetActive(true);
    }
    ~SchedulerClient() { FSch->Release(); }

    // Runs the requests and waits for all their answers; false when they
    // did not all come.
    bool Run(const std::vector<SchedReq>& reqs, int timeoutMs = 10000)
    {
        const size_t want = Answers.size() + reqs.size();
        for (const SchedReq& r : reqs)
            FQueue.push_back(r);
        return qeltest::waitUntil([&] { return Answers.size() >= want; }, timeoutMs);
    }
    TRecTel RunOne(const SchedReq& r)
    {
        if (!Run({r}))
            return TRecTel{};
        return Answers.back();
    }

    std::vector<TRecTel> Answers;

private:
    TScheduler* FSch = nullptr;
    int FSlot = -1;
    int FTag = 0;
    std::deque<SchedReq> FQueue;
};

// Request data of service 13: function, index, subindex, length, bytes.
inline TTelData Fieldbus(int func, uint16_t index, uint8_t sub, uint8_t len = 0, std::vector<uint8_t> bytes = {})
{
    TTelData d;
    d.SetByte(0, uint8_t(func));
    d.SetU16(2, index);
    d.SetByte(4, sub);
    d.SetByte(5, len);
    for (size_t i = 0; i < bytes.size(); ++i)
        d.SetByte(6 + int(i), bytes[i]);
    return d;
}

} // namespace cardtest
