#include "sim/sim_inverter.h"

#include "sim/sim_quintel_alias.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace qelsim {

namespace {
constexpr uint16_t kCfgIdPar = 0x160F;
constexpr size_t kMaxLog = 20000;

bool hasParAdr(int service)
{
    return (service >= -1 && service <= 7) || service == 10 || service == 11 || service == 32 || service == 33;
}
} // namespace

SimInverter::SimInverter(int address, int32_t cfgId) : address_(address), model_(SimModel::bare(cfgId))
{
}

SimInverter::SimInverter(int address, SimModel model) : address_(address)
{
    setModel(std::move(model));
}

void SimInverter::setModel(SimModel model)
{
    std::lock_guard lock(mutex_);
    model_ = std::move(model);
    strict_ = true;
    resetValues();
}

SimModel SimInverter::model() const
{
    std::lock_guard lock(mutex_);
    return model_;
}

void SimInverter::setStrict(bool strict)
{
    std::lock_guard lock(mutex_);
    strict_ = strict;
}

void SimInverter::resetValues()
{
    values_.clear();
    selector_ = 0;
    scope_ = OfflineScope{};
    for (const auto& [addr, p] : model_.params) {
        if (p.perSet()) {
            for (int s = 0; s < 8; ++s)
                values_[{addr, s}] = s < int(p.values.size()) ? p.values[s] : p.def;
        } else {
            values_[{addr, 0}] = p.values.empty() ? p.def : p.values[0];
        }
    }
    setConfigNumberLocked(model_.cfgId);
}

int32_t SimInverter::configNumber() const
{
    std::lock_guard lock(mutex_);
    return model_.cfgId;
}

void SimInverter::setConfigNumber(int32_t cfgId)
{
    std::lock_guard lock(mutex_);
    setConfigNumberLocked(cfgId);
}

void SimInverter::setConfigNumberLocked(int32_t cfgId)
{
    model_.cfgId = cfgId;
    for (int s = 0; s < 8; ++s)
        values_.erase({kCfgIdPar, s});
    if (const SimParam* p = model_.param(kCfgIdPar)) {
        if (p->perSet())
            for (int s = 0; s < 8; ++s)
                values_[{kCfgIdPar, s}] = cfgId;
        else
            values_[{kCfgIdPar, 0}] = cfgId;
    }
}

int32_t SimInverter::stored(uint16_t addr, int set) const
{
    auto it = values_.find({addr, set});
    return it == values_.end() ? 0 : it->second;
}

int32_t SimInverter::value(uint16_t parAdr, int set) const
{
    std::lock_guard lock(mutex_);
    int32_t v = 0;
    int err = 0;
    int s = set;
    if (s < 0)
        resolveSet(1, 0, s);
    readValue(parAdr, s, v, err);
    return v;
}

void SimInverter::setValue(uint16_t parAdr, int32_t value, int set)
{
    std::lock_guard lock(mutex_);
    if (parAdr == kCfgIdPar) {
        setConfigNumberLocked(value);
        return;
    }
    // A value set by a test holds: the parameter follows no signal any more.
    if (signalOf(parAdr))
        signals_[parAdr] = SimSignal{};
    const SimParam* p = model_.param(parAdr);
    const bool perSet = p ? p->perSet() : true;
    if (!perSet || set >= 0) {
        values_[{parAdr, perSet ? set : 0}] = value;
        return;
    }
    for (int s = 0; s < 8; ++s)
        values_[{parAdr, s}] = value;
}

void SimInverter::setRefusal(uint16_t parAdr, int service, int error)
{
    std::lock_guard lock(mutex_);
    if (error == 0)
        refusals_.erase({parAdr, service});
    else
        refusals_[{parAdr, service}] = error;
}

std::array<uint8_t, 8> SimInverter::processOut() const
{
    std::lock_guard lock(mutex_);
    return pdOut_;
}

void SimInverter::setProcessIn(const std::array<uint8_t, 8>& in)
{
    std::lock_guard lock(mutex_);
    pdIn_ = in;
}

void SimInverter::setProcessLoopback(bool on)
{
    std::lock_guard lock(mutex_);
    loopback_ = on;
}

int SimInverter::handledCount() const
{
    std::lock_guard lock(mutex_);
    return handledCount_;
}

std::vector<SimRequest> SimInverter::handledRequests() const
{
    std::lock_guard lock(mutex_);
    return handled_;
}

// Header values of a described inverter, read either from their classic
// parameters or through selector parameter 4 and read-out parameter 5.
int SimInverter::headerValue(uint16_t addr, int32_t sel, int32_t& out) const
{
    auto pick = [&](int32_t v) {
        if (v < 0)
            return int(ErrNotAvailable);
        out = v;
        return 0;
    };
    // A classic inverter keeps them in described parameters.
    if (!model_.selectorHeader || (addr != 4 && addr != 5))
        return -1;
    if (addr == 4)
        return pick(sel);
    switch (sel) {
    case 0: return model_.maxSet <= 0 ? int(ErrNotAvailable) : pick(model_.maxSet);
    case 1: return pick(model_.accessParAdr);
    case 2: return pick(model_.setPtrParAdr);
    case 3: return pick(model_.actSetParAdr);
    case 5: return pick(model_.finishParAdr);
    // In selector mode a negative base means "entries selected one at a
    // time"; its 16 bits are the value.
    case 6: return model_.quintelBase == -1 ? int(ErrNotAvailable) : pick(uint16_t(model_.quintelBase));
    case 11: return pick(model_.scopeBase);
    default: return ErrNotAvailable;
    }
}

int SimInverter::quintelAlias(uint16_t addr) const
{
    return quintelAliasTarget(model_, addr, [this](uint16_t a) { return stored(a, 0); });
}

int32_t SimInverter::selector() const
{
    return model_.param(4) ? stored(4, 0) : selector_;
}

int SimInverter::scopeBase() const
{
    if (!strict_)
        return -1;
    if (model_.scopeBase >= 0)
        return model_.scopeBase;
    return -1;
}

// Parameters with a role beyond holding a value: header read-out through
// the selector, the selector-mode Quintel entries and the offline scope.
// Returns -1 when `addr` has no such role.
int SimInverter::roleRead(uint16_t addr, int32_t& out) const
{
    if (!strict_)
        return -1;
    if (model_.selectorHeader && addr == 5)
        return headerValue(5, selector(), out);
    if (model_.quintelBase < -1) {
        const uint16_t s = uint16_t(-model_.quintelBase);
        if (addr == s + 1 || addr == s + 2) {
            const int n = stored(s, 0);
            const bool inTable = n >= 1 && n <= int(model_.quintelEntries.size());
            if (addr == s + 1)
                out = inTable ? model_.quintelEntries[n - 1].target : -1;
            else
                out = inTable ? model_.quintelEntries[n - 1].def : 0;
            return 0;
        }
    }
    const int base = scopeBase();
    if (base >= 0 && addr >= base + 8 && addr <= base + 13 && addr != base + 9) {
        if (addr == base + 8) {
            out = offlineStatus();
            return 0;
        }
        out = offlineSample(addr - (base + 10), stored(uint16_t(base + 9), 0));
        return 0;
    }
    return -1;
}

bool SimInverter::readValue(uint16_t addr, int set, int32_t& out, int& err) const
{
    err = 0;
    if (const int t = strict_ ? quintelAlias(addr) : -1; t >= 0)
        addr = uint16_t(t);
    const int role = roleRead(addr, out);
    if (role >= 0) {
        err = role;
        return role == 0;
    }
    const SimParam* p = model_.param(addr);
    if (p || !strict_) {
        if (const SimSignal* sig = signalOf(addr)) {
            out = sig->at(nowMs());
            return true;
        }
    }
    if (p) {
        out = stored(addr, p->perSet() ? set : 0);
        return true;
    }
    if (addr == kCfgIdPar) {
        out = model_.cfgId;
        return true;
    }
    if (!strict_) {
        out = stored(addr, set);
        return true;
    }
    const int h = headerValue(addr, selector_, out);
    if (h == 0)
        return true;
    err = ErrNotAvailable;
    return false;
}

int SimInverter::writeValue(uint16_t addr, int set, int32_t value, bool sixteenBit)
{
    if (const int t = strict_ ? quintelAlias(addr) : -1; t >= 0)
        addr = uint16_t(t);
    if (const SimParam* p = model_.param(addr)) {
        if (strict_ && !(p->flags & 0x8))
            return ErrReadOnly;
        if (sixteenBit)
            value = p->isSigned() ? int32_t(int16_t(value)) : int32_t(uint16_t(value));
        if (!p->operatorParam && p->lower <= p->upper && (value < p->lower || value > p->upper))
            return ErrLimits;
        const int base = scopeBase();
        if (base >= 0 && addr == base + 9 && (value < 0 || value >= scope_.count))
            return ErrLimits; // past the recorded samples: the read-out is complete
        values_[{addr, p->perSet() ? set : 0}] = value;
        if (base >= 0 && addr == base + 7)
            scopeControl(value);
        return 0;
    }
    if (addr == kCfgIdPar)
        return ErrReadOnly;
    if (strict_) {
        if (model_.selectorHeader && addr == 4) {
            selector_ = sixteenBit ? int16_t(value) : value;
            return 0;
        }
        return ErrNotAvailable;
    }
    values_[{addr, set}] = sixteenBit ? int32_t(int16_t(value)) : value;
    return 0;
}

const SimSignal* SimInverter::signalOf(uint16_t addr) const
{
    if (auto it = signals_.find(addr); it != signals_.end())
        return it->second.active() ? &it->second : nullptr;
    const SimParam* p = model_.param(addr);
    return p && p->signal.active() ? &p->signal : nullptr;
}

double SimInverter::nowMs() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
}

void SimInverter::setSignal(uint16_t parAdr, const SimSignal& signal)
{
    std::lock_guard lock(mutex_);
    signals_[parAdr] = signal;
}

void SimInverter::setOfflineScope(std::chrono::milliseconds triggerWait, int samples)
{
    std::lock_guard lock(mutex_);
    scopeWait_ = triggerWait;
    scopeSamples_ = std::max(samples, 0);
}

// 1 waiting for the trigger, 2 storing, 0 finished (or never started).
int SimInverter::offlineStatus() const
{
    if (!scope_.running)
        return 0;
    const double t = nowMs() - scope_.triggerMs;
    if (t < 0)
        return 1;
    return t < scope_.count * scope_.intervalMs ? 2 : 0;
}

int32_t SimInverter::offlineSample(int k, int sample) const
{
    if (k < 0 || k > 3 || scope_.channel[k] < 0 || sample < 0 || sample >= scope_.count)
        return 0;
    if (const SimSignal* sig = signalOf(uint16_t(scope_.channel[k])))
        return int32_t(int16_t(sig->at(scope_.triggerMs + sample * scope_.intervalMs)));
    return int32_t(int16_t(scope_.first[k] + sample));
}

// Offline scope: 255 into base+7 starts a recording of the parameters named
// in base+0..3 at the interval of base+4 (microseconds when its description
// has flag 0x800, else milliseconds); 0 ends it.
void SimInverter::scopeControl(int32_t value)
{
    const int base = scopeBase();
    if (value == 255) {
        scope_.running = true;
        scope_.start = std::chrono::steady_clock::now();
        scope_.count = scopeSamples_;
        scope_.triggerMs = nowMs() + double(scopeWait_.count());
        const SimParam* tb = model_.param(uint16_t(base + 4));
        const int32_t interval = std::max<int32_t>(stored(uint16_t(base + 4), 0), 1);
        scope_.intervalMs = tb && (tb->flags & 0x800) ? interval / 1000.0 : double(interval);
        for (int k = 0; k < 4; ++k) {
            scope_.channel[k] = int16_t(stored(uint16_t(base + k), 0));
            int32_t v = 0;
            int e = 0;
            if (scope_.channel[k] >= 0)
                readValue(uint16_t(scope_.channel[k]), 0, v, e);
            scope_.first[k] = v;
        }
    } else if (value == 0 && scope_.running) {
        const int status = offlineStatus();
        if (status == 1)
            scope_.count = 0;
        else if (status == 2)
            scope_.count = std::min(scope_.count, int((nowMs() - scope_.triggerMs) / scope_.intervalMs) + 1);
        scope_.running = false;
    }
}

int SimInverter::resolveSet(int service, uint8_t setByte, int& set) const
{
    // The active set and the set pointer are parameters of their own
    // (their set-0 value counts).
    auto setFrom = [&](int16_t parAdr) {
        return parAdr < 0 ? 0 : std::clamp<int32_t>(stored(uint16_t(parAdr), 0), 0, 7);
    };
    const int maxSet = std::clamp(model_.maxSet, 0, 7);
    if (service == 0 || service == 32) {
        if (setByte == 0) {
            set = setFrom(model_.actSetParAdr);
            return 0;
        }
        if (setByte >> (maxSet + 1))
            return ErrSet;
        set = std::countr_zero(unsigned(setByte));
        return 0;
    }
    // Services 1 and 33 (wire 0 actual set, else indirect) and -1.
    set = setFrom(service == -1 || setByte == 0 ? model_.actSetParAdr : model_.setPtrParAdr);
    return 0;
}

void SimInverter::setChangeOnRead(uint16_t parAdr, bool on)
{
    std::lock_guard lock(mutex_);
    if (on)
        changing_.insert(parAdr);
    else
        changing_.erase(parAdr);
}

void SimInverter::stepOnRead(uint16_t addr, int set)
{
    if (!changing_.count(addr))
        return;
    const SimParam* p = model_.param(addr);
    const int s = p && !p->perSet() ? 0 : set;
    if (!p && strict_)
        return;
    int32_t v = stored(addr, s);
    if (p && p->lower <= p->upper)
        v = v >= p->upper || v < p->lower ? p->lower : v + 1;
    else
        v = v == std::numeric_limits<int32_t>::max() ? 0 : v + 1;
    values_[{addr, s}] = v;
}

SimReply SimInverter::handle(const SimRequest& req)
{
    std::lock_guard lock(mutex_);
    ++handledCount_;
    if (handled_.size() >= kMaxLog)
        handled_.erase(handled_.begin(), handled_.begin() + kMaxLog / 2);
    handled_.push_back(req);
    return handleLocked(req);
}

SimReply SimInverter::handleLocked(const SimRequest& req)
{
    SimReply r;
    const SimData& d = req.data;
    SimData& a = r.data;
    const uint16_t addr = d.u16(0);
    auto refuse = [&](int err) {
        r.status = err;
        return r;
    };
    if (hasParAdr(req.service)) {
        auto it = refusals_.find({addr, req.service});
        if (it == refusals_.end())
            it = refusals_.find({addr, kAnyService});
        if (it != refusals_.end())
            return refuse(it->second);
    }
    const SimParam* p = model_.param(addr);
    // Operator parameters describe themselves by name, scaling and
    // attributes only.
    auto needDescription = [&]() {
        return p == nullptr || (p->operatorParam && req.service != 4 && req.service != 5 && req.service != 6);
    };
    auto processIn = [&]() {
        const std::array<uint8_t, 8>& src = loopback_ ? pdOut_ : pdIn_;
        for (int i = 0; i < 8; ++i)
            a.b[i] = src[i];
    };
    int32_t v = 0;
    int err = 0;
    int set = 0;

    switch (req.service) {
    case -2:
        return r;
    case -1:
        if (int e = resolveSet(-1, 0, set))
            return refuse(e);
        if (req.isWrite)
            return refuse(writeValue(addr, set, d.u16(2), true));
        stepOnRead(addr, set);
        if (!readValue(addr, set, v, err))
            return refuse(err);
        a.setU16(0, addr);
        a.setU16(2, uint16_t(v));
        return r;
    case 0:
    case 1:
        if (int e = resolveSet(req.service, d.u8(2), set))
            return refuse(e);
        if (req.isWrite) {
            if (req.service == 0 && d.u8(2) != 0) {
                for (int s = 0; s < 8; ++s)
                    if (d.u8(2) & (1 << s))
                        if (int e = writeValue(addr, s, d.i32(4), false))
                            return refuse(e);
                return r;
            }
            return refuse(writeValue(addr, set, d.i32(4), false));
        }
        stepOnRead(addr, set);
        if (!readValue(addr, set, v, err))
            return refuse(err);
        a.setI32(4, v);
        return r;
    case 32:
    case 33:
        if (int e = resolveSet(req.service, d.u8(2), set))
            return refuse(e);
        if (!readValue(addr, set, v, err))
            return refuse(err);
        return r;
    case 16:
    case 17:
        if (req.isWrite) {
            std::copy(d.b.begin(), d.b.begin() + 8, pdOut_.begin());
            return r;
        }
        processIn();
        return r;
    case 48:
    case 49:
        std::copy(d.b.begin(), d.b.begin() + 8, pdOut_.begin());
        processIn();
        return r;
    case 50:
        a.setU32(0, d.u32(0));
        a.setU16(4, d.u16(4));
        a.setU16(6, d.u16(6));
        a.setU32(12, d.u32(12));
        return r;
    case 18: {
        if (req.isWrite)
            return refuse(ErrReadOnly);
        // Channel k is selected by parameter 33 + 2k (address) and 34 + 2k
        // (set mask), as the scope writes them.
        int32_t ch[4] = {0, 0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            int32_t chAddr = 0, mask = 0;
            int e = 0;
            if (!readValue(uint16_t(33 + 2 * k), 0, chAddr, e) || chAddr < 0 || chAddr > 0xFFFF)
                continue;
            readValue(uint16_t(34 + 2 * k), 0, mask, e);
            int chSet = 0;
            resolveSet(0, uint8_t(mask), chSet);
            readValue(uint16_t(chAddr), chSet, ch[k], e);
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
        a.setU16(0, uint16_t(ms.count()));
        a.setI32(4, ch[0]);
        a.setI32(8, ch[1]);
        a.setU16(12, uint16_t(ch[2]));
        a.setU16(14, uint16_t(ch[3]));
        return r;
    }
    default:
        break;
    }

    // Description services 2 to 12: read only.
    if (req.service >= 2 && req.service <= 12 && req.isWrite)
        return refuse(ErrReadOnly);
    switch (req.service) {
    case 2:
        if (needDescription())
            return refuse(ErrNotAvailable);
        a.setI32(4, p->lower);
        a.setI32(8, p->upper);
        return r;
    case 3:
        if (needDescription())
            return refuse(ErrNotAvailable);
        a.setI32(4, p->def);
        return r;
    case 4:
        if (needDescription()) {
            // The type parameter's flag word tells how the header values
            // are read, even when the type parameter is not described.
            if (!(strict_ && addr == 2))
                return refuse(ErrNotAvailable);
            a.setU32(4, 0);
            a.setU32(8, model_.selectorHeader ? 0x800 : 0);
            return r;
        }
        a.setU32(4, p->attr);
        a.setU32(8, p->flags);
        return r;
    case 5:
        if (needDescription())
            return refuse(ErrNotAvailable);
        a.setU16(2, uint16_t(p->div));
        a.setU16(4, uint16_t(p->mul));
        a.setU16(6, uint16_t(p->offset));
        a.setU16(8, p->format);
        return r;
    case 6:
        if (p) {
            a.setText(3, p->name);
            return r;
        }
        if (strict_ && addr == 0x000A && !model_.groupName.isEmpty()) {
            a.setText(3, model_.groupName);
            return r;
        }
        return refuse(ErrNotAvailable);
    case 7:
        if (needDescription())
            return refuse(ErrNotAvailable);
        a.setU16(6, p->textId);
        a.setU16(8, p->defCount);
        return r;
    case 10:
    case 11: {
        const SimGroup* g = (addr & 0xFF) ? nullptr : model_.group(addr);
        if (!g)
            return refuse(ErrNotAvailable);
        if (req.service == 11) {
            a.setText(3, g->name);
            return r;
        }
        a.setU16(2, g->index);
        a.setU8(4, uint8_t(g->idChar[0]));
        a.setU8(5, uint8_t(g->idChar[1]));
        a.setU8(6, uint8_t(g->shortcut));
        a.setU16(8, uint16_t(g->prop));
        a.setU8(10, g->maxPara);
        a.setU8(11, g->lastPara);
        return r;
    }
    case 8:
    case 9:
    case 12: {
        // 12: table d.u16(0), field d.u8(2); 9: table d.u16(2), field d.u8(4),
        // value d.u8(5); 8: table d.u16(2), field d.u16(4), value d.u8(0),
        // with the name cut or padded to five characters.
        const uint16_t textId = req.service == 12 ? d.u16(0) : d.u16(2);
        const int field = req.service == 12 ? d.u8(2) : req.service == 9 ? d.u8(4) : d.u16(4);
        const SimPlainText* t = model_.plainText(textId);
        if (!t || field >= int(t->fields.size()))
            return refuse(ErrNotAvailable);
        const SimBitField& f = t->fields[field];
        if (req.service == 12) {
            a.setU32(4, f.mask);
            a.setU8(8, uint8_t(f.values.size()));
            a.setText(9, f.name);
            return r;
        }
        const int sub = req.service == 9 ? d.u8(5) : d.u8(0);
        if (sub >= int(f.values.size()))
            return refuse(ErrNotAvailable);
        const SimSubValue& s = f.values[sub];
        a.setI32(8, s.value);
        a.setU8(12, s.attr);
        if (req.service == 9)
            a.setText(13, s.name);
        else
            a.setText(13, s.name.leftJustified(5, ' ', true), 5);
        return r;
    }
    default:
        return refuse(ErrService);
    }
}

} // namespace qelsim
