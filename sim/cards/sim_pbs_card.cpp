// The simulated Profibus DP master card: the card library's entry points
// over simulated slaves.

#include "sim/cards/sim_pbs_card.h"

#include "comm/papi_api.h"
#include "sim/cards/sim_card_common.h"
#include "sim/cards/sim_card_control.h"
#include "sim/sim_zelk_telegram.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

namespace qelsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLogBytes = 80;
constexpr int kSlot = 32; // room of each slave in the card's data areas

struct Slave {
    std::shared_ptr<SimInverter> inv;
    uint16_t ident = 0x05EB;
    QByteArray cfg = QByteArray::fromHex("B7A393");
    bool neverReady = false;
    uint8_t extraStatus = 0;
    int inLen = 16;
    int outLen = 16;
    bool refuseConnect = false;
    bool connected = false;
    uint8_t out[kSlot] = {};
    uint8_t channel[8] = {};   // the parameter channel answer
    uint8_t lastRequest[8] = {};
    bool hasRequest = false;
    Clock::time_point channelDue{};
    uint8_t dueChannel[8] = {};
    bool channelPending = false;
    QByteArray lastPd;
    std::deque<std::array<int, 3>> paramErrors;
    std::deque<int> negTelegrams;
    std::deque<QByteArray> inputs; // delivered in place of the inputs
    int channelRequests = 0;
};

struct Block {
    PAPI_BLOCK b{};
    QByteArray d;
    Clock::time_point due{};
};

uint16_t be16(const QByteArray& b, int pos)
{
    return pos + 1 < b.size() ? uint16_t((uint8_t(b[pos]) << 8) | uint8_t(b[pos + 1])) : 0;
}

std::array<int, 3> channelErrorFor(int error)
{
    switch (error) {
    case 3: return {6, 5, 0};
    case 4: return {6, 3, 0};
    case 6: return {8, 0, 34};
    case 7: return {8, 0, 52};
    case 8: return {6, 3, 48};
    case 11: return {8, 0, 51};
    case 12: return {8, 0, 16};
    case 13: return {6, 4, 0};
    case 14: return {5, 0, 0};
    case 15: return {8, 0, 0};
    default: return {8, 0, 100 + error}; // no entry of its own: a refusal
    }
}

class PbsCard final : public SimByteVariableCard<SimPbsCard> {
public:
    PbsCard()
    {
        resetLocked();
        for (const SimCardEntry& e : loadSetup("QEL_SIMPBS_SETUP").entries)
            slaves_[e.inverter->address()].inv = e.inverter;
    }

    // ---- control ----
    void placeInverterLocked(const std::shared_ptr<SimInverter>& inv) override
    {
        slaves_[inv->address()] = Slave{};
        slaves_[inv->address()].inv = inv;
    }
    std::shared_ptr<SimInverter> inverter(int address) const override
    {
        return locked([&] {
            auto it = slaves_.find(address);
            return it == slaves_.end() ? nullptr : it->second.inv;
        });
    }
    void setSlaveIdent(int address, uint16_t ident) override { locked([&] { slaves_[address].ident = ident; }); }
    void setSlaveConfig(int address, const QByteArray& identifiers) override
    {
        locked([&] { slaves_[address].cfg = identifiers; });
    }
    void setNeverReady(int address, bool on) override
    {
        locked([&] {
            slaves_[address].neverReady = on;
            announce(address);
        });
    }
    void setStatusBits(int address, uint8_t status1) override
    {
        locked([&] {
            slaves_[address].extraStatus = status1;
            announce(address);
        });
    }
    void setIoLength(int address, int in, int out) override
    {
        locked([&] {
            slaves_[address].inLen = in;
            slaves_[address].outLen = out;
        });
    }
    void refuseConnection(int address, bool on) override { locked([&] { slaves_[address].refuseConnect = on; }); }
    void pushParamError(int address, int errorClass, int errorCode, int additional) override
    {
        locked([&] { slaves_[address].paramErrors.push_back({errorClass, errorCode, additional}); });
    }
    void pushNegativeTelegram(int address, int code) override
    {
        locked([&] { slaves_[address].negTelegrams.push_back(code); });
    }
    void pushInput(int address, const QByteArray& bytes) override
    {
        std::lock_guard lock(mutex_);
        slaves_[address].inputs.push_back(bytes.left(kSlot));
    }
    void failCall(const QByteArray& name, int result, int times) override
    {
        locked([&] { failCall_[name] = {result, times}; });
    }
    void dropConfirmation(int service, int times) override { locked([&] { drop_[service] = times; }); }
    void inject(int service, int primitive, int ref, int result, const QByteArray& data) override
    {
        locked([&] { queue(service, primitive, ref, result, data); });
    }
    void setLastError(int value) override { locked([&] { lastError_ = value; }); }
    QList<Request> requests() const override { return locked([&] { return log_; }); }
    int calls(const QByteArray& name) const override
    {
        return locked([&] {
            auto it = calls_.find(name);
            return it == calls_.end() ? 0 : it->second;
        });
    }
    int mode() const override { return locked([&] { return mode_; }); }
    QByteArray paramSet(int address) const override
    {
        return locked([&] {
            auto it = params_.find(address);
            return it == params_.end() ? QByteArray() : it->second;
        });
    }
    QByteArray busParams() const override { return locked([&] { return busParams_; }); }
    int channelRequests(int address) const override
    {
        return locked([&] {
            auto it = slaves_.find(address);
            return it == slaves_.end() ? 0 : it->second.channelRequests;
        });
    }
    QByteArray channelRequest(int address) const override
    {
        return locked([&] {
            auto it = slaves_.find(address);
            if (it == slaves_.end() || !it->second.hasRequest)
                return QByteArray();
            return QByteArray(reinterpret_cast<const char*>(it->second.lastRequest), 8);
        });
    }
    void clearLog() override
    {
        locked([&] {
            log_.clear();
            calls_.clear();
        });
    }

    // ---- entry points ----
    uint16_t getVersions(char* card, char* lib)
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_get_versions", r))
            return uint16_t(r);
        std::strncpy(card, "Simulated DP master", 99);
        std::strncpy(lib, "simpbs 1.0", 99);
        return 0;
    }
    uint16_t setDefault()
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_set_default", r))
            return uint16_t(r);
        mode_ = 0;
        queue_.clear();
        return 0;
    }
    uint16_t getSerial(uint8_t* number)
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_get_serial_device_number", r))
            return uint16_t(r);
        const uint8_t n[4] = {0x12, 0x34, 0x56, 0x78};
        std::memcpy(number, n, 4);
        return 0;
    }
    uint16_t end()
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_end", r))
            return uint16_t(r);
        mode_ = 0;
        queue_.clear();
        diagWaiting_.clear();
        for (auto& [a, s] : slaves_) {
            s.connected = false;
            params_.erase(a);
        }
        params_.clear();
        return 0;
    }
    uint16_t getLastError()
    {
        std::lock_guard lock(mutex_);
        ++calls_["profi_get_last_error"];
        return uint16_t(lastError_);
    }
    uint16_t receive(PAPI_BLOCK* block, uint8_t* data, uint16_t* length)
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_rcv_con_ind", r))
            return uint16_t(r);
        const auto now = simNow();
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->due > now)
                continue;
            *block = it->b;
            const int n = std::min<int>(int(it->d.size()), std::min<int>(*length, PAPI_DATA_SIZE));
            std::memset(data, 0, *length);
            std::memcpy(data, it->d.constData(), size_t(n));
            *length = uint16_t(n);
            queue_.erase(it);
            return PAPI_RCV_BLOCK;
        }
        return PAPI_RCV_NONE;
    }
    uint16_t getData(uint16_t area, uint16_t offset, uint16_t* length, uint8_t* buffer)
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_get_data", r))
            return uint16_t(r);
        if (area == PAPI_AREA_FAULT) {
            std::memset(buffer, 0, std::min<int>(*length, 6));
            return 0;
        }
        Slave* s = slaveAt(offset);
        if (area != PAPI_AREA_IO || !s)
            return 1;
        if (!s->inputs.empty()) {
            const QByteArray bytes = s->inputs.front();
            s->inputs.pop_front();
            const int k = std::min<int>(int(bytes.size()), kSlot);
            std::memcpy(buffer, bytes.constData(), size_t(k));
            *length = uint16_t(k);
            return 0;
        }
        const int n = std::min(s->inLen, kSlot);
        uint8_t in[kSlot] = {};
        settleChannel(*s);
        std::memcpy(in, s->channel, 8);
        if (s->inv) {
            SimRequest req;
            req.address = s->inv->address();
            req.service = 16;
            const SimReply rep = s->inv->handle(req);
            for (int i = 0; i < 8; i += 2) {
                in[8 + i] = rep.data.b[size_t(i + 1)];
                in[9 + i] = rep.data.b[size_t(i)];
            }
        }
        std::memcpy(buffer, in, size_t(n));
        *length = uint16_t(n);
        return 0;
    }
    uint16_t setData(uint16_t area, uint16_t offset, uint16_t length, const uint8_t* buffer)
    {
        std::lock_guard lock(mutex_);
        int r = 0;
        if (failing("profi_set_data", r))
            return uint16_t(r);
        Slave* s = slaveAt(offset);
        if (area != PAPI_AREA_IO || !s)
            return 1;
        std::memcpy(s->out, buffer, std::min<size_t>(length, kSlot));
        onOutputs(*s);
        return 0;
    }
    uint16_t sndReqRes(PAPI_BLOCK* block, const uint8_t* data)
    {
        std::lock_guard lock(mutex_);
        Request entry;
        entry.layer = block->layer;
        entry.service = block->service;
        entry.ref = block->ref;
        entry.data = QByteArray(reinterpret_cast<const char*>(data), kLogBytes);
        int r = 0;
        if (failing("profi_snd_req_res", r)) {
            entry.result = r;
            addLog(entry);
            return uint16_t(r);
        }
        addLog(entry);
        onRequest(*block, data);
        return 0;
    }

private:
    void resetLocked() override
    {
        slaves_.clear();
        variables_.clear();
        faults_.clear();
        queue_.clear();
        log_.clear();
        calls_.clear();
        failCall_.clear();
        drop_.clear();
        params_.clear();
        busParams_.clear();
        diagWaiting_.clear();
        mode_ = 0;
        master_ = 0;
        lastError_ = 0;
    }

    void addLog(const Request& r)
    {
        if (log_.size() < kSimCardMaxLog) // a full log keeps its first entries
            log_.push_back(r);
    }

    bool failing(const QByteArray& name, int& result)
    {
        ++calls_[name];
        auto it = failCall_.find(name);
        if (it == failCall_.end() || it->second.second <= 0)
            return false;
        --it->second.second;
        result = it->second.first;
        return true;
    }

    void queue(int service, int primitive, int ref, int result, const QByteArray& d, int delayMs = 0)
    {
        Block b;
        b.b.ref = uint16_t(ref);
        b.b.layer = 11;
        b.b.service = uint8_t(service);
        b.b.primitive = uint8_t(primitive);
        b.b.result = uint16_t(result);
        b.d = d;
        b.d.resize(PAPI_DATA_SIZE, '\0');
        b.due = simNow() + std::chrono::milliseconds(delayMs);
        queue_.push_back(b);
    }

    // Slaves in address order share the data areas, kSlot bytes each.
    int ordinal(int address) const
    {
        int k = 0;
        for (const auto& [a, s] : slaves_) {
            if (a == address)
                return k;
            ++k;
        }
        return -1;
    }
    Slave* slaveAt(int offset)
    {
        int k = 0;
        for (auto& [a, s] : slaves_) {
            if (k * kSlot == offset)
                return &s;
            ++k;
        }
        return nullptr;
    }

    // Station status 1 as the slave reports it.
    uint8_t status1(int address)
    {
        auto it = slaves_.find(address);
        if (it == slaves_.end())
            return 0x01; // station not existent
        const Slave& s = it->second;
        uint8_t st = s.extraStatus;
        if (s.neverReady)
            st |= 0x02;
        const QByteArray prm = params_.count(address) ? params_[address] : QByteArray();
        if (prm.size() < 27) {
            st |= 0x02;
        } else {
            if (be16(prm, 22) != s.ident)
                st |= 0x40;
            const int c = be16(prm, 25);
            const QByteArray want = QByteArray(1, char(0)) + char(2 + s.cfg.size()) + s.cfg;
            if (prm.mid(25, c) != want)
                st |= 0x04;
        }
        return st;
    }

    QByteArray diagnosis(int address, int waiting)
    {
        QByteArray d(14, '\0');
        d[2] = char(address);
        d[4] = char(waiting);
        d[5] = char(waiting >> 8);
        d[8] = char(status1(address));
        d[9] = 0x04;
        d[10] = 0;
        d[11] = char(master_);
        auto it = slaves_.find(address);
        const uint16_t ident = it == slaves_.end() ? 0 : it->second.ident;
        d[12] = char(ident >> 8);
        d[13] = char(ident);
        return d;
    }

    // A new diagnosis of the slave is announced while in Operate.
    void announce(int address)
    {
        if (mode_ != 0xC0 || !params_.count(address))
            return;
        queue(229, 2, 0, 0, diagnosis(address, int(diagWaiting_.size())));
    }

    void enterOperate()
    {
        diagWaiting_.clear();
        for (const auto& [a, prm] : params_)
            diagWaiting_.push_back(a);
        if (diagWaiting_.empty())
            return;
        const int first = diagWaiting_.front();
        diagWaiting_.pop_front();
        queue(229, 2, 0, 0, diagnosis(first, int(diagWaiting_.size())));
    }

    void onRequest(const PAPI_BLOCK& b, const uint8_t* d)
    {
        const int service = b.service;
        auto dropped = [&] {
            auto it = drop_.find(service);
            if (it == drop_.end() || it->second <= 0)
                return false;
            --it->second;
            return true;
        };
        auto le = [&](int pos) { return d[pos] | (d[pos + 1] << 8); };
        switch (service) {
        case 27:
            if (!dropped())
                queue(27, 1, 0, 0, {});
            return;
        case 193:
            master_ = d[0];
            if (!dropped())
                queue(193, 1, 0, 0, {});
            return;
        case 225: {
            const int len = std::min(le(0), PAPI_DATA_SIZE - 6);
            const QByteArray set(reinterpret_cast<const char*>(d + 6), len);
            if (d[3] == 127)
                busParams_ = set;
            else
                params_[d[3]] = set;
            if (!dropped())
                queue(225, 1, 0, 0, {});
            return;
        }
        case 232: {
            if (dropped())
                return;
            const int address = d[1];
            QByteArray c(12, '\0');
            int in = 16, out = 16;
            if (auto it = slaves_.find(address); it != slaves_.end()) {
                in = it->second.inLen;
                out = it->second.outLen;
            }
            const int k = std::max(ordinal(address), 0);
            c[6] = char(k * kSlot);
            c[7] = char((k * kSlot) >> 8);
            c[8] = char(k * kSlot);
            c[9] = char((k * kSlot) >> 8);
            c[10] = char(in);
            c[11] = char(out);
            queue(232, 1, 0, 0, c);
            return;
        }
        case 194: {
            mode_ = d[2];
            if (dropped())
                return;
            QByteArray c(4, '\0');
            c[2] = char(mode_);
            queue(194, 1, 0, 0, c);
            if (mode_ == 0xC0)
                enterOperate();
            return;
        }
        case 229: {
            if (dropped())
                return;
            int address = 0xFF;
            if (!diagWaiting_.empty()) {
                address = diagWaiting_.front();
                diagWaiting_.pop_front();
            }
            queue(229, 1, 0, 0, diagnosis(address, int(diagWaiting_.size())));
            return;
        }
        case 2: {
            if (dropped())
                return;
            auto it = slaves_.find(d[0]);
            if (it == slaves_.end())
                return;
            const QByteArray& cfg = it->second.cfg;
            QByteArray c(6, '\0');
            c[4] = char((2 + cfg.size()) >> 8);
            c[5] = char(2 + cfg.size());
            c.append(cfg);
            queue(2, 1, 0, 0, c);
            return;
        }
        case 64: {
            if (dropped())
                return;
            auto it = slaves_.find(d[0]);
            const bool ok = it != slaves_.end() && mode_ == 0xC0 && status1(d[0]) == 0 && !it->second.refuseConnect;
            if (ok)
                it->second.connected = true;
            queue(64, 1, b.ref, ok ? 0 : 1, {});
            return;
        }
        case 65: {
            if (auto it = slaves_.find(d[0]); it != slaves_.end())
                it->second.connected = false;
            for (auto& [a, s] : slaves_)
                if (ordinal(a) == b.ref)
                    s.connected = false;
            if (!dropped())
                queue(65, 1, b.ref, 0, {});
            return;
        }
        case 68:
            telegram(b, d);
            return;
        default:
            return;
        }
    }

    void telegram(const PAPI_BLOCK& b, const uint8_t* d)
    {
        const int address = d[0];
        auto it = slaves_.find(address);
        if (it == slaves_.end() || !it->second.connected || !it->second.inv)
            return;
        Slave& s = it->second;
        QByteArray c(6, '\0');
        c[2] = char(address);
        if (!s.negTelegrams.empty()) {
            c[1] = 1;
            c[4] = char(s.negTelegrams.front());
            s.negTelegrams.pop_front();
            queue(68, 1, b.ref, 1, c);
            return;
        }
        int delayMs = 0;
        const QByteArray raw(reinterpret_cast<const char*>(d + 4), d[3]);
        const QByteArray out = telegramAnswer(raw, *s.inv, address, delayMs);
        if (out.isEmpty())
            return;
        c[5] = char(out.size());
        c.append(out);
        queue(68, 1, b.ref, 0, c, delayMs);
    }

    // A delayed parameter channel answer becomes visible once due.
    void settleChannel(Slave& s)
    {
        if (s.channelPending && simNow() >= s.channelDue) {
            std::memcpy(s.channel, s.dueChannel, 8);
            s.channelPending = false;
        }
    }

    void onOutputs(Slave& s)
    {
        if (!s.inv)
            return;
        const QByteArray pd(reinterpret_cast<const char*>(s.out + 8), 8);
        if (pd != s.lastPd) {
            s.lastPd = pd;
            SimRequest req;
            req.address = s.inv->address();
            req.service = 16;
            req.isWrite = true;
            for (int i = 0; i < 8; i += 2) {
                req.data.b[size_t(i)] = s.out[9 + i];
                req.data.b[size_t(i + 1)] = s.out[8 + i];
            }
            s.inv->handle(req);
        }
        settleChannel(s);
        const uint8_t b0 = s.out[0];
        const int kind = b0 & 3;
        if ((kind != 1 && kind != 2) || (b0 & 0x40) == (s.channel[0] & 0x40) || s.channelPending)
            return;
        channel(s);
    }

    void channel(Slave& s)
    {
        const bool write = (s.out[0] & 3) == 2;
        const int len = ((s.out[0] >> 4) & 3) + 1;
        const uint8_t toggle = s.out[0] & 0x40;
        const uint16_t index = uint16_t((s.out[2] << 8) | s.out[3]);
        const uint8_t sub = s.out[1];
        const int address = s.inv->address();
        const SimFault fault = takeFault(*s.inv);
        std::memcpy(s.lastRequest, s.out, 8);
        s.hasRequest = true;
        if (fault.silence)
            return; // the slave did not take it: the same bytes again are a new request
        ++s.channelRequests;
        uint8_t a[8] = {};
        auto error = [&](const std::array<int, 3>& e) {
            a[0] = uint8_t(0x80 | toggle);
            a[4] = uint8_t(e[0]);
            a[5] = uint8_t(e[1]);
            a[6] = uint8_t(e[2] >> 8);
            a[7] = uint8_t(e[2]);
        };
        auto value = [&](const QByteArray& v) {
            const int n = v.size() >= 4 ? 4 : (v.size() == 3 ? 4 : std::max<int>(1, int(v.size())));
            a[0] = uint8_t(toggle | ((n - 1) << 4));
            for (int i = 0; i < n && i < v.size(); ++i)
                a[4 + i] = uint8_t(v[i]);
        };
        if (!s.paramErrors.empty()) {
            error(s.paramErrors.front());
            s.paramErrors.pop_front();
        } else if (fault.refuse) {
            error(channelErrorFor(fault.refuse));
        } else if (index >= 0x2000 && index <= 0x5FFF) {
            SimRequest req;
            req.address = address;
            req.service = -1;
            req.isWrite = write;
            req.data.setU16(0, uint16_t(index - 0x2000));
            if (write) {
                uint32_t v = 0;
                for (int i = 0; i < len; ++i)
                    v = (v << 8) | s.out[4 + i];
                req.data.setU16(2, uint16_t(v));
            }
            const SimReply rep = s.inv->handle(req);
            if (rep.status) {
                error(channelErrorFor(rep.status));
            } else if (write) {
                a[0] = uint8_t(toggle | ((len - 1) << 4));
            } else {
                const uint16_t v = rep.data.u16(2);
                value(QByteArray() + char(v >> 8) + char(v));
            }
        } else {
            auto it = variables_.find({address, index, sub});
            if (it == variables_.end()) {
                error({6, 5, 17}); // object does not exist
            } else if (write) {
                it->second = QByteArray(reinterpret_cast<const char*>(s.out + 4), len);
                a[0] = uint8_t(toggle | ((len - 1) << 4));
            } else {
                value(it->second);
            }
        }
        if (fault.delayMs > 0) {
            std::memcpy(s.dueChannel, a, 8);
            s.channelDue = simNow() + std::chrono::milliseconds(fault.delayMs);
            s.channelPending = true;
        } else {
            std::memcpy(s.channel, a, 8);
        }
    }

    std::map<int, Slave> slaves_;
    std::deque<Block> queue_;
    QList<Request> log_;
    std::map<QByteArray, int> calls_;
    std::map<QByteArray, std::pair<int, int>> failCall_;
    std::map<int, int> drop_;
    std::map<int, QByteArray> params_;
    QByteArray busParams_;
    std::deque<int> diagWaiting_;
    int mode_ = 0;
    int master_ = 0;
    int lastError_ = 0;
};

} // namespace

} // namespace qelsim

constexpr auto card = qelsim::TheCard<qelsim::PbsCard>;

SIM_EXPORT qelsim::SimPbsCard* qelsim_pbs_card() { return &card(); }

SIM_EXPORT uint16_t profi_get_versions(char* Card, char* Library) { return card().getVersions(Card, Library); }
SIM_EXPORT uint16_t profi_set_default(uint16_t, uint16_t, uint16_t, uint16_t) { return card().setDefault(); }
SIM_EXPORT uint16_t profi_get_serial_device_number(uint8_t* Number) { return card().getSerial(Number); }
SIM_EXPORT uint16_t profi_end() { return card().end(); }
SIM_EXPORT uint16_t profi_rcv_con_ind(PAPI_BLOCK* Block, uint8_t* Data, uint16_t* Length)
{
    return card().receive(Block, Data, Length);
}
SIM_EXPORT uint16_t profi_get_data(uint16_t Area, uint16_t Offset, uint16_t* Length, uint8_t* Buffer)
{
    return card().getData(Area, Offset, Length, Buffer);
}
SIM_EXPORT uint16_t profi_snd_req_res(PAPI_BLOCK* Block, const uint8_t* Data, uint16_t)
{
    return card().sndReqRes(Block, Data);
}
SIM_EXPORT uint16_t profi_set_data(uint16_t Area, uint16_t Offset, uint16_t Length, const uint8_t* Buffer)
{
    return card().setData(Area, Offset, Length, Buffer);
}
SIM_EXPORT uint16_t profi_get_last_error() { return card().getLastError(); }
