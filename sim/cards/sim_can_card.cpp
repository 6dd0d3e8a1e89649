// The simulated CAN interface card: the CAN frame library's entry points
// over a bus of simulated inverters.

#include "sim/cards/sim_can_card.h"

#include "comm/nican_api.h"
#include "sim/cards/sim_card_common.h"
#include "sim/cards/sim_card_control.h"
#include "sim/sim_zelk_telegram.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace qelsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kTelegramId = 0x7EB;
constexpr size_t kQueueLen = 10;
constexpr NCTYPE_STATUS kError = -1074388991; // any negative status

// An abort code the driver maps back to the inverter's error number.
uint32_t abortCodeFor(int error)
{
    switch (error) {
    case 1: return 0x06060000;
    case 2: return 0x06020000;
    case 3: return 0x06070000;
    case 4: return 0x06010000;
    case 6: return 0x08000022;
    case 8: return 0x06010010;
    case 11: return 0x06090000;
    case 12: return 0x06090012;
    case 13: return 0x06040000;
    case 14: return 0x06010011;
    case 15: return 0x08000037;
    default: return 0x05000000;
    }
}

struct Frame {
    uint32_t id = 0;
    uint8_t len = 8;
    std::array<uint8_t, 8> d{};
    bool onItsWay = false; // counted in the card clock's flow until delivered
};

struct Object {
    QByteArray name;
    bool isInterface = false;
    uint32_t cobId = 0;
    std::deque<Frame> queue;
    bool armed = false;
    NCTYPE_NOTIFY_CALLBACK callback = nullptr;
    void* ref = nullptr;
};

// A segmented telegram exchange with one node.
struct Segmented {
    QByteArray in;
    bool receiving = false;
    QList<Frame> answer; // answer segments not yet sent
    int lastCount = -1;  // count of the answer segment last sent
};

class CanCard final : public SimCardControl<SimCanCard, std::pair<uint32_t, int>> {
public:
    CanCard()
    {
        for (const SimCardEntry& e : loadSetup("QEL_SIMCAN_SETUP").entries)
            inverters_[e.inverter->address()] = e.inverter;
    }
    ~CanCard() override { stopThread(); }

    // ---- control ----
    void placeInverterLocked(const std::shared_ptr<SimInverter>& inv) override { inverters_[inv->address()] = inv; }
    std::shared_ptr<SimInverter> inverter(int address) const override
    {
        return locked([&] {
            auto it = inverters_.find(address);
            return it == inverters_.end() ? nullptr : it->second;
        });
    }
    void setVariable(int address, uint16_t index, uint8_t sub, uint32_t value, int size) override
    {
        locked([&] { variables_[{address, index, sub}] = {value, size}; });
    }
    uint32_t variable(int address, uint16_t index, uint8_t sub) const override
    {
        return locked([&] {
            auto it = variables_.find({address, index, sub});
            return it == variables_.end() ? 0 : it->second.first;
        });
    }
    void pushReply(int address, const QByteArray& bytes) override
    {
        locked([&] { replies_[address].push_back(bytes); });
    }
    void inject(const SimCanFrame& f) override
    {
        Frame fr;
        fr.id = f.id;
        fr.len = uint8_t(std::min<qsizetype>(f.data.size(), 8));
        std::memcpy(fr.d.data(), f.data.constData(), fr.len);
        locked([&] { scheduleLocked(fr, 0); });
    }
    void failConfig(int times) override { locked([&] { failConfig_ = times; }); }
    void failOpen(const QByteArray& name, int times) override { locked([&] { failOpen_[name] = times; }); }
    void failWrite(int times) override { locked([&] { failWrite_ = times; }); }
    void setErrorStates(int count) override { locked([&] { errorStates_ = count; }); }
    QList<SimCanFrame> written() const override { return locked([&] { return written_; }); }
    QList<SimCanFrame> delivered() const override { return locked([&] { return delivered_; }); }
    void clearLog() override
    {
        locked([&] {
            written_.clear();
            delivered_.clear();
        });
    }
    int configCalls() const override { return locked([&] { return configCalls_; }); }
    int resets() const override { return locked([&] { return resets_; }); }
    int openObjects() const override { return locked([&] { return int(objects_.size()); }); }
    bool interfaceOpen() const override
    {
        return locked([&] {
            return std::any_of(objects_.begin(), objects_.end(), [](const auto& o) { return o.second.isInterface; });
        });
    }
    bool threadRunning() const override { return locked([&] { return running_; }); }
    QList<QByteArray> openNames() const override
    {
        return locked([&] {
            QList<QByteArray> names;
            for (const auto& [h, o] : objects_)
                names << o.name;
            return names;
        });
    }

    // ---- the library's entry points ----
    NCTYPE_STATUS config(const char* name, uint32_t count, const NCTYPE_ATTRID* ids, const uint32_t* values)
    {
        if (!name || (count && (!ids || !values)))
            return kError;
        const QByteArray n(name);
        std::lock_guard lock(mutex_);
        const bool isIntf = !n.contains("::");
        if (isIntf) {
            ++configCalls_;
            if (failConfig_ > 0) {
                --failConfig_;
                return kError;
            }
        }
        configured_.insert(n);
        return 0;
    }

    NCTYPE_STATUS openObject(const char* name, NCTYPE_OBJH* handle)
    {
        if (!name || !handle)
            return kError;
        const QByteArray n(name);
        bool startThread = false;
        {
            std::lock_guard lock(mutex_);
            if (!configured_.count(n))
                return kError;
            if (auto it = failOpen_.find(n); it != failOpen_.end() && it->second > 0) {
                --it->second;
                return kError;
            }
            Object o;
            o.name = n;
            const qsizetype std = n.indexOf("::STD");
            o.isInterface = std < 0;
            if (!o.isInterface) {
                bool ok = false;
                o.cobId = n.mid(std + 5).toUInt(&ok);
                if (!ok)
                    return kError;
            }
            *handle = nextHandle_++;
            objects_[*handle] = std::move(o);
            if (objects_[*handle].isInterface && !running_) {
                running_ = true;
                stop_ = false;
                startThread = true;
            }
        }
        if (startThread)
            thread_ = std::thread([this] { run(); });
        return 0;
    }

    NCTYPE_STATUS closeObject(NCTYPE_OBJH handle)
    {
        bool isIntf = false;
        {
            std::lock_guard notify(notifyMutex_);
            std::lock_guard lock(mutex_);
            auto it = objects_.find(handle);
            if (it == objects_.end())
                return kError;
            isIntf = it->second.isInterface;
            objects_.erase(it);
        }
        if (isIntf)
            stopThread();
        return 0;
    }

    NCTYPE_STATUS read(NCTYPE_OBJH handle, uint32_t size, void* data)
    {
        if (!data || size < sizeof(NCTYPE_CAN_DATA_TIMED))
            return kError;
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end())
            return kError;
        auto* out = static_cast<NCTYPE_CAN_DATA_TIMED*>(data);
        if (it->second.queue.empty())
            return NC_WARN_OLD_DATA;
        const Frame f = it->second.queue.front();
        it->second.queue.pop_front();
        out->Timestamp = uint64_t(simNow().time_since_epoch().count());
        std::memcpy(out->Data, f.d.data(), 8);
        return 0;
    }

    NCTYPE_STATUS getAttribute(NCTYPE_OBJH handle, NCTYPE_ATTRID id, uint32_t size, void* attr)
    {
        if (!attr || size < 4 || id != NC_ATTR_STATE)
            return kError;
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end())
            return kError;
        uint32_t state = it->second.queue.empty() ? 0 : NC_ST_READ_AVAIL;
        if (errorStates_ > 0) {
            --errorStates_;
            state |= NC_ST_ERROR;
        }
        std::memcpy(attr, &state, 4);
        return 0;
    }

    NCTYPE_STATUS action(NCTYPE_OBJH handle, uint32_t op, uint32_t)
    {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end() || !it->second.isInterface)
            return kError;
        if (op == NC_OP_RESET) {
            ++resets_;
            for (auto& [h, o] : objects_)
                o.queue.clear();
        }
        return 0;
    }

    NCTYPE_STATUS notification(NCTYPE_OBJH handle, NCTYPE_STATE desired, void* ref, NCTYPE_NOTIFY_CALLBACK cb)
    {
        // Waits for a callback that runs now: none follows a cancel.
        std::lock_guard notify(notifyMutex_);
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end())
            return kError;
        Object& o = it->second;
        o.armed = desired != 0 && cb != nullptr;
        o.callback = o.armed ? cb : nullptr;
        o.ref = o.armed ? ref : nullptr;
        if (o.armed && !o.queue.empty()) {
            pendingNotify_.push_back(handle);
            simFlow(1);
            wake_ = true;
        }
        cv_.notify_all();
        return 0;
    }

    NCTYPE_STATUS write(NCTYPE_OBJH handle, uint32_t size, const void* data)
    {
        if (!data || size < sizeof(NCTYPE_CAN_FRAME))
            return kError;
        NCTYPE_CAN_FRAME f;
        std::memcpy(&f, data, sizeof f);
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end() || !it->second.isInterface)
            return kError;
        const uint8_t len = std::min<uint8_t>(f.DataLength, 8);
        AppendToCardLog(written_, {f.ArbitrationId, f.IsRemote != 0,
                                   f.IsRemote ? QByteArray() : QByteArray(reinterpret_cast<const char*>(f.Data), len)});
        if (failWrite_ > 0) {
            --failWrite_;
            return kError;
        }
        onFrame(f);
        return 0;
    }

private:
    // ---- the inverters' side (mutex_ held) ----
    std::shared_ptr<SimInverter> invLocked(int address) const
    {
        auto it = inverters_.find(address);
        return it == inverters_.end() ? nullptr : it->second;
    }

    // An answer due now is on its way until delivered, so that a virtual
    // clock holds for it; the thread sleeps on the card's clock for a later
    // one, and until it has seen that one the clock holds too (else the
    // time could run past it before the thread sleeps for it).
    void scheduleLocked(Frame f, int delayMs)
    {
        f.onItsWay = delayMs <= 0;
        simFlow(1);
        if (!f.onItsWay)
            ++unseen_;
        schedule_.emplace(simNow() + std::chrono::milliseconds(delayMs), f);
        wake_ = true;
        cv_.notify_all();
    }

    static Frame make(uint32_t id, std::initializer_list<uint8_t> bytes)
    {
        Frame f;
        f.id = id;
        f.len = uint8_t(bytes.size());
        std::copy(bytes.begin(), bytes.end(), f.d.begin());
        return f;
    }

    void onFrame(const NCTYPE_CAN_FRAME& f)
    {
        const uint32_t id = f.ArbitrationId;
        if (id == 0) {
            nmt(f.Data[0], f.Data[1]);
            return;
        }
        if (id == kTelegramId) {
            segment(f);
            return;
        }
        const int node = int(id & 0x7F);
        const uint32_t base = id - uint32_t(node);
        auto inv = invLocked(node - 1);
        if (!inv || node == 0)
            return;
        if (base == 0x600 && !f.IsRemote) {
            sdo(inv, node, f.Data);
        } else if (base == 0x200 && !f.IsRemote) {
            SimRequest req;
            req.address = node - 1;
            req.service = 16;
            req.isWrite = true;
            std::copy(f.Data, f.Data + 8, req.data.b.begin());
            inv->handle(req);
        } else if (base == 0x180 && f.IsRemote) {
            const SimFault fault = takeFault(*inv);
            if (fault.silence || fault.refuse)
                return;
            SimRequest req;
            req.address = node - 1;
            req.service = 16;
            const SimReply r = inv->handle(req);
            Frame out;
            out.id = 0x180 + uint32_t(node);
            std::copy(r.data.b.begin(), r.data.b.begin() + 8, out.d.begin());
            scheduleLocked(out, fault.delayMs);
        } else if (base == 0x700 && f.IsRemote) {
            const SimFault fault = takeFault(*inv);
            if (fault.silence || fault.refuse)
                return;
            auto it = nmtState_.find(node);
            const uint8_t state = it == nmtState_.end() ? 0x05 : it->second;
            scheduleLocked(make(0x700 + uint32_t(node), {state}), fault.delayMs);
        }
    }

    void nmt(uint8_t command, uint8_t node)
    {
        uint8_t state = 0;
        switch (command) {
        case 1: state = 0x05; break;    // operational
        case 2: state = 0x04; break;    // stopped
        case 0x80:                      // pre-operational
        case 0x81:                      // reset
        case 0x82: state = 0x7F; break;
        default: return;
        }
        if (node != 0) {
            nmtState_[node] = state;
            return;
        }
        for (const auto& [a, inv] : inverters_)
            nmtState_[a + 1] = state;
    }

    void sdo(const std::shared_ptr<SimInverter>& inv, int node, const uint8_t* d)
    {
        const uint32_t answerId = 0x580 + uint32_t(node);
        const uint8_t cmd = d[0];
        const uint16_t index = uint16_t(d[1] | (d[2] << 8));
        const uint8_t sub = d[3];
        if (auto it = replies_.find(node - 1); it != replies_.end() && !it->second.empty()) {
            const QByteArray bytes = it->second.front();
            it->second.pop_front();
            Frame out;
            out.id = answerId;
            std::memcpy(out.d.data(), bytes.constData(), size_t(std::min<qsizetype>(bytes.size(), 8)));
            scheduleLocked(out, 0);
            return;
        }
        const SimFault fault = takeFault(*inv);
        if (fault.silence)
            return;
        auto abort = [&](int error) {
            const uint32_t code = abortCodeFor(error);
            scheduleLocked(make(answerId, {0x80, d[1], d[2], d[3], uint8_t(code), uint8_t(code >> 8),
                                           uint8_t(code >> 16), uint8_t(code >> 24)}),
                           fault.delayMs);
        };
        if (fault.refuse) {
            abort(fault.refuse);
            return;
        }
        const bool isRead = (cmd & 0xE0) == 0x40;
        const bool isWrite = (cmd & 0xE0) == 0x20;
        if (!isRead && !isWrite) {
            abort(7);
            return;
        }
        const int size = (cmd & 1) ? 4 - ((cmd >> 2) & 3) : 4;
        uint32_t value = 0;
        for (int i = 0; i < size; ++i)
            value |= uint32_t(d[4 + i]) << (8 * i);

        if (index >= 0x2000 && index <= 0x5FFF && sub == 0) {
            SimRequest req;
            req.address = node - 1;
            req.service = -1;
            req.isWrite = isWrite;
            req.data.setU16(0, uint16_t(index - 0x2000));
            req.data.setU16(2, uint16_t(value));
            const SimReply r = inv->handle(req);
            if (r.status) {
                abort(r.status);
                return;
            }
            if (isWrite) {
                scheduleLocked(make(answerId, {uint8_t(0x60 | (cmd & 0x0F)), d[1], d[2], d[3], d[4], d[5], d[6], d[7]}),
                               fault.delayMs);
                return;
            }
            const uint16_t v = r.data.u16(2);
            scheduleLocked(make(answerId, {0x4B, d[1], d[2], d[3], uint8_t(v), uint8_t(v >> 8), 0, 0}), fault.delayMs);
            return;
        }
        const auto key = std::make_tuple(node - 1, index, sub);
        auto it = variables_.find(key);
        if (it == variables_.end()) {
            abort(2);
            return;
        }
        if (isWrite) {
            it->second.first = size >= 4 ? value : value & ((1u << (8 * size)) - 1);
            scheduleLocked(make(answerId, {uint8_t(0x60 | (cmd & 0x0F)), d[1], d[2], d[3], d[4], d[5], d[6], d[7]}),
                           fault.delayMs);
            return;
        }
        const auto [v, s] = it->second;
        const uint8_t rcmd = uint8_t(0x43 + 4 * (4 - s));
        scheduleLocked(make(answerId, {rcmd, d[1], d[2], d[3], uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16),
                                       uint8_t(v >> 24)}),
                       fault.delayMs);
    }

    void segment(const NCTYPE_CAN_FRAME& f)
    {
        const uint8_t* d = f.Data;
        const int node = d[2];
        auto inv = invLocked(node - 1);
        if (!inv)
            return;
        Segmented& s = segmented_[node];
        if (d[1] == 3) {
            // The driver acknowledges an answer segment: the next one.
            if (d[3] != s.lastCount || s.answer.isEmpty())
                return;
            const Frame next = s.answer.takeFirst();
            s.lastCount = next.d[3];
            scheduleLocked(next, 0);
            return;
        }
        if (d[1] != 0 || d[0] < 0x20 || d[0] > 0x2F)
            return;
        if (!s.receiving) {
            s.in.clear();
            s.answer.clear();
            s.receiving = true;
        }
        const int n = (d[0] & 1) ? 4 - ((d[0] >> 2) & 3) : 4;
        s.in.append(reinterpret_cast<const char*>(d + 4), n);
        scheduleLocked(make(kTelegramId, {0x60, 2, uint8_t(node), d[3], 0, 0, 0, 0}), 0);
        if (d[3] != 0)
            return;
        s.receiving = false;
        int delayMs = 0;
        const QByteArray out = telegramAnswer(s.in, *inv, node - 1, delayMs);
        if (out.isEmpty())
            return;
        const int segments = int((out.size() + 3) / 4);
        for (int i = 0; i < segments; ++i) {
            const int r = int(std::min<qsizetype>(4, out.size() - 4 * i));
            Frame fr;
            fr.id = kTelegramId;
            fr.d[0] = r == 4 ? 0x20 : uint8_t(0x21 + 4 * (4 - r));
            fr.d[1] = 1;
            fr.d[2] = uint8_t(node);
            fr.d[3] = uint8_t(segments - 1 - i);
            std::memcpy(fr.d.data() + 4, out.constData() + 4 * i, size_t(r));
            s.answer.append(fr);
        }
        const Frame first = s.answer.takeFirst();
        s.lastCount = first.d[3];
        scheduleLocked(first, delayMs);
    }

    // ---- the delivery thread ----
    void run()
    {
        std::unique_lock lock(mutex_);
        // The unit of the clock's flow this thread holds after waking on the
        // clock: given back once it sleeps again (or has nothing scheduled),
        // so that the time neither runs past what it woke for nor past a
        // later answer it has yet to sleep for.
        long held = 0;
        while (!stop_) {
            const auto now = simNow();
            std::vector<NCTYPE_OBJH> notify;
            notify.swap(pendingNotify_);
            long done = long(notify.size());
            while (!schedule_.empty() && schedule_.begin()->first <= now) {
                const Frame f = schedule_.begin()->second;
                schedule_.erase(schedule_.begin());
                done += f.onItsWay ? 1 : 0;
                AppendToCardLog(delivered_,
                                {f.id, false, QByteArray(reinterpret_cast<const char*>(f.d.data()), f.len)});
                for (auto& [h, o] : objects_) {
                    if (o.isInterface || o.cobId != f.id || o.queue.size() >= kQueueLen)
                        continue;
                    o.queue.push_back(f);
                    notify.push_back(h);
                }
            }
            if (!notify.empty() || done) {
                lock.unlock();
                for (NCTYPE_OBJH h : notify)
                    callBack(h);
                // The callbacks have handed over what the driver is to read.
                simFlow(-done);
                lock.lock();
                continue;
            }
            if (!pendingNotify_.empty())
                continue;
            wake_ = false;
            // Later answers seen: the sleep below holds them from here. The
            // thread's own unit covers the way into it.
            const long seen = std::exchange(unseen_, 0) + std::exchange(held, 0);
            if (schedule_.empty()) {
                simFlow(-seen);
                cv_.wait(lock);
            } else if (SimClock* clock = simClock()) {
                // Held as a working thread while it sleeps; new work or an
                // earlier answer wakes it early.
                const auto due = schedule_.begin()->first;
                lock.unlock();
                simFlow(1 - seen);
                clock->sleepUntil(due, wake_, [] {});
                lock.lock();
                held = 1;
            } else {
                simFlow(-seen);
                cv_.wait_until(lock, schedule_.begin()->first);
            }
        }
        simFlow(-held);
    }

    void callBack(NCTYPE_OBJH h)
    {
        std::lock_guard notify(notifyMutex_);
        NCTYPE_NOTIFY_CALLBACK cb = nullptr;
        void* ref = nullptr;
        {
            std::lock_guard lock(mutex_);
            auto it = objects_.find(h);
            if (it == objects_.end() || !it->second.armed || it->second.queue.empty())
                return;
            cb = it->second.callback;
            ref = it->second.ref;
        }
        const NCTYPE_STATE again = cb(h, NC_ST_READ_AVAIL, 0, ref);
        if (again == 0) {
            std::lock_guard lock(mutex_);
            if (auto it = objects_.find(h); it != objects_.end())
                it->second.armed = false;
        }
    }

    void stopThread()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            wake_ = true;
            cv_.notify_all();
        }
        if (thread_.joinable())
            thread_.join();
        std::lock_guard lock(mutex_);
        running_ = false;
        long onItsWay = long(pendingNotify_.size()) + std::exchange(unseen_, 0);
        for (const auto& [due, f] : schedule_)
            onItsWay += f.onItsWay ? 1 : 0;
        simFlow(-onItsWay);
        schedule_.clear();
        pendingNotify_.clear();
    }

    void resetLocked() override
    {
        inverters_.clear();
        variables_.clear();
        replies_.clear();
        faults_.clear();
        written_.clear();
        delivered_.clear();
        segmented_.clear();
        nmtState_.clear();
        failConfig_ = failWrite_ = errorStates_ = 0;
        failOpen_.clear();
        configCalls_ = resets_ = 0;
    }

    std::mutex notifyMutex_; // held while a callback runs; taken before mutex_
    std::condition_variable cv_;
    std::thread thread_;
    bool running_ = false;
    bool stop_ = false;
    std::atomic<bool> wake_{false}; // ends the thread's sleep on the card's clock

    std::map<int, std::shared_ptr<SimInverter>> inverters_;
    std::map<int, std::deque<QByteArray>> replies_;
    std::map<int, Segmented> segmented_;
    std::map<int, uint8_t> nmtState_;

    std::set<QByteArray> configured_;
    std::map<NCTYPE_OBJH, Object> objects_;
    NCTYPE_OBJH nextHandle_ = 1;
    std::multimap<Clock::time_point, Frame> schedule_;
    std::vector<NCTYPE_OBJH> pendingNotify_;
    long unseen_ = 0; // later answers scheduled since the thread last looked

    QList<SimCanFrame> written_;
    QList<SimCanFrame> delivered_;
    int failConfig_ = 0;
    int failWrite_ = 0;
    int errorStates_ = 0;
    std::map<QByteArray, int> failOpen_;
    int configCalls_ = 0;
    int resets_ = 0;
};

} // namespace

} // namespace qelsim

constexpr auto card = qelsim::TheCard<qelsim::CanCard>;

SIM_EXPORT qelsim::SimCanCard* qelsim_can_card() { return &card(); }

SIM_EXPORT NCTYPE_STATUS ncConfig(const char* ObjName, uint32_t NumAttrs, const NCTYPE_ATTRID* AttrIdList,
                                  const uint32_t* AttrValueList)
{
    return card().config(ObjName, NumAttrs, AttrIdList, AttrValueList);
}
SIM_EXPORT NCTYPE_STATUS ncOpenObject(const char* ObjName, NCTYPE_OBJH* ObjHandle)
{
    return card().openObject(ObjName, ObjHandle);
}
SIM_EXPORT NCTYPE_STATUS ncCloseObject(NCTYPE_OBJH ObjHandle) { return card().closeObject(ObjHandle); }
SIM_EXPORT NCTYPE_STATUS ncRead(NCTYPE_OBJH ObjHandle, uint32_t SizeofData, void* Data)
{
    return card().read(ObjHandle, SizeofData, Data);
}
SIM_EXPORT NCTYPE_STATUS ncWrite(NCTYPE_OBJH ObjHandle, uint32_t SizeofData, const void* Data)
{
    return card().write(ObjHandle, SizeofData, Data);
}
SIM_EXPORT NCTYPE_STATUS ncGetAttribute(NCTYPE_OBJH ObjHandle, NCTYPE_ATTRID AttrId, uint32_t SizeofAttr, void* Attr)
{
    return card().getAttribute(ObjHandle, AttrId, SizeofAttr, Attr);
}
SIM_EXPORT NCTYPE_STATUS ncAction(NCTYPE_OBJH ObjHandle, uint32_t Opcode, uint32_t Param)
{
    return card().action(ObjHandle, Opcode, Param);
}
SIM_EXPORT NCTYPE_STATUS ncCreateNotification(NCTYPE_OBJH ObjHandle, NCTYPE_STATE DesiredState, int32_t,
                                              void* RefData, NCTYPE_NOTIFY_CALLBACK Callback)
{
    return card().notification(ObjHandle, DesiredState, RefData, Callback);
}
SIM_EXPORT NCTYPE_STATUS ncReset(const char*, uint32_t) { return 0; }
