// The simulated Interbus board: the board library's entry points over a
// ring of simulated devices.

#include "sim/cards/sim_ibs_card.h"

#include "comm/ibddi_api.h"
#include "sim/cards/sim_card_common.h"
#include "sim/cards/sim_card_control.h"
#include "sim/sim_zelk_telegram.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>

namespace qelsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kImage = 1024;
constexpr IBDDIRET kFail = 1;

struct Device {
    uint8_t idCode = 0x01;
    int length = 2;
    QByteArray vendor;
    std::shared_ptr<SimInverter> inv;
    bool handshake = false;
    int ref = 0;
    bool connected = false;
    int outOfs = 0;
    int inOfs = 0;
    uint16_t lastW0 = 0xFFFF;
    uint16_t hsIn[2] = {0, ('Q' << 8) | 'E'};
    std::deque<std::array<int, 3>> pcpErrors;
};

// Words to bytes, most significant byte first.
QByteArray toBytes(const QVector<uint16_t>& words)
{
    QByteArray b;
    for (uint16_t w : words) {
        b.append(char(w >> 8));
        b.append(char(w));
    }
    return b;
}

std::array<int, 3> pcpErrorFor(int error)
{
    switch (error) {
    case 1: return {6, 2, 0};
    case 3: return {6, 8, 0};
    case 4: return {6, 3, 0};
    case 6: return {8, 0, 0x22};
    case 8: return {6, 3, 0x30};
    case 11: return {8, 0, 0x33};
    case 13: return {6, 4, 0};
    case 14: return {8, 0, 0x34};
    default: return {5, 0, 0};
    }
}

class IbsBoard final : public SimByteVariableCard<SimIbsBoard> {
public:
    IbsBoard()
    {
        resetLocked();
        for (const SimCardEntry& e : loadSetup("QEL_SIMIBS_SETUP").entries) {
            Device d = inverterDevice(e.inverter, e.kind == QLatin1String("handshake"));
            if (e.kind == QLatin1String("other"))
                d = Device{};
            devices_[e.inverter->address()] = d;
        }
    }

    // ---- control ----
    void placeInverterLocked(const std::shared_ptr<SimInverter>& inv) override
    {
        devices_[inv->address()] = inverterDevice(inv, false);
    }
    std::shared_ptr<SimInverter> addHandshakeInverter(int address, int32_t cfgId) override
    {
        auto inv = std::make_shared<SimInverter>(address, cfgId);
        locked([&] { devices_[address] = inverterDevice(inv, true); });
        return inv;
    }
    void addDevice(int address, uint8_t idCode, int length, const QByteArray& vendor) override
    {
        Device d;
        d.idCode = idCode;
        d.length = length;
        d.vendor = vendor;
        locked([&] { devices_[address] = d; });
    }
    std::shared_ptr<SimInverter> inverter(int address) const override
    {
        return locked([&] {
            auto it = devices_.find(address);
            return it == devices_.end() ? nullptr : it->second.inv;
        });
    }
    void pushPcpError(int address, int errorClass, int errorCode, int additional) override
    {
        locked([&] {
            if (auto it = devices_.find(address); it != devices_.end())
                it->second.pcpErrors.push_back({errorClass, errorCode, additional});
        });
    }
    void indicate(const QVector<uint16_t>& words) override
    {
        locked([&] { post(words, 0); });
    }
    void abortConnection(int address) override
    {
        std::lock_guard lock(mutex_);
        auto it = devices_.find(address);
        if (it == devices_.end() || !it->second.ref)
            return;
        it->second.connected = false;
        post({0x488D, 1, uint16_t(it->second.ref)}, 0);
    }
    void setDiagnostic(uint16_t word) override { locked([&] { diag_ = word; }); }
    uint16_t diagnostic() const override { return locked([&] { return diag_; }); }
    void failCall(const QByteArray& name, int times) override { locked([&] { failCall_[name] = times; }); }
    void failMessage(int code, int times) override { locked([&] { failMsg_[code] = times; }); }
    void overstateMapping(int extra) override { locked([&] { extraRecords_ = extra; }); }
    QList<QVector<uint16_t>> sent() const override { return locked([&] { return sent_; }); }
    QList<QByteArray> openedNodes() const override { return locked([&] { return opened_; }); }
    int openNodes() const override { return locked([&] { return int(nodes_.size()); }); }
    int connects() const override { return locked([&] { return connects_; }); }
    QByteArray outputImage() const override
    {
        return locked([&] { return QByteArray(reinterpret_cast<const char*>(out_), kImage); });
    }
    QByteArray inputImage() const override
    {
        return locked([&] { return const_cast<IbsBoard*>(this)->buildInputLocked(); });
    }
    void clearLog() override
    {
        locked([&] {
            sent_.clear();
            opened_.clear();
            connects_ = 0;
        });
    }

    // ---- the library's entry points ----
    IBDDIRET openNode(const char* name, int32_t, IBDDIHND* h)
    {
        std::lock_guard lock(mutex_);
        if (!name || !h || failing("DDI_DevOpenNode"))
            return kFail;
        opened_ << QByteArray(name);
        *h = nextNode_++;
        nodes_.insert(*h);
        return 0;
    }
    IBDDIRET closeNode(IBDDIHND h)
    {
        std::lock_guard lock(mutex_);
        return nodes_.erase(h) ? 0 : kFail;
    }
    IBDDIRET getDiagnostic(IBDDIHND h, uint16_t* diag)
    {
        std::lock_guard lock(mutex_);
        if (!diag || !nodes_.count(h) || failing("GetIBSDiagnostic"))
            return kFail;
        *diag = diag_;
        return 0;
    }
    IBDDIRET sndMessage(IBDDIHND h, T_DDI_MXI_ACCESS* d)
    {
        std::lock_guard lock(mutex_);
        if (!d || !d->msgBlk || !nodes_.count(h) || d->msgLength < 4 || failing("DDI_MXI_SndMessage"))
            return kFail;
        QVector<uint16_t> words;
        for (int i = 0; i + 1 < d->msgLength; i += 2)
            words << uint16_t((d->msgBlk[i] << 8) | d->msgBlk[i + 1]);
        AppendToCardLog(sent_, words);
        onMessage(words);
        return 0;
    }
    IBDDIRET rcvMessage(IBDDIHND h, T_DDI_MXI_ACCESS* d)
    {
        std::lock_guard lock(mutex_);
        if (!d || !d->msgBlk || !nodes_.count(h) || failing("DDI_MXI_RcvMessage"))
            return kFail;
        if (mailbox_.empty() || mailbox_.begin()->first > simNow())
            return ERR_NO_MSG;
        const QByteArray m = mailbox_.begin()->second;
        mailbox_.erase(mailbox_.begin());
        const int n = std::min<int>(int(m.size()), d->msgLength);
        std::memcpy(d->msgBlk, m.constData(), size_t(n));
        d->msgLength = uint16_t(n);
        return 0;
    }
    IBDDIRET readData(IBDDIHND h, T_DDI_DTI_ACCESS* d)
    {
        std::lock_guard lock(mutex_);
        if (!d || !d->data || !nodes_.count(h) || d->address + d->length > kImage || failing("DDI_DTI_ReadData"))
            return kFail;
        const QByteArray in = buildInputLocked();
        std::memcpy(d->data, in.constData() + d->address, d->length);
        return 0;
    }
    IBDDIRET writeData(IBDDIHND h, T_DDI_DTI_ACCESS* d)
    {
        std::lock_guard lock(mutex_);
        if (!d || !d->data || !nodes_.count(h) || d->address + d->length > kImage || failing("DDI_DTI_WriteData"))
            return kFail;
        std::memcpy(out_ + d->address, d->data, d->length);
        onOutputs();
        return 0;
    }

private:
    void resetLocked() override
    {
        devices_.clear();
        variables_.clear();
        faults_.clear();
        mailbox_.clear();
        sent_.clear();
        opened_.clear();
        failCall_.clear();
        failMsg_.clear();
        refs_.clear();
        diag_ = 0xA0;
        connects_ = 0;
        lastPos_ = 0;
        extraRecords_ = 0;
        std::memset(out_, 0, kImage);
    }

    static Device inverterDevice(const std::shared_ptr<SimInverter>& inv, bool handshake)
    {
        Device d;
        d.inv = inv;
        d.handshake = handshake;
        d.idCode = handshake ? 0xB3 : 0xE3;
        d.length = handshake ? 4 : 8;
        d.vendor = handshake ? QByteArray() : QByteArray("QEL");
        return d;
    }

    bool failing(const QByteArray& name)
    {
        auto it = failCall_.find(name);
        if (it == failCall_.end() || it->second <= 0)
            return false;
        --it->second;
        return true;
    }

    void post(const QVector<uint16_t>& words, int delayMs)
    {
        mailbox_.emplace(simNow() + std::chrono::milliseconds(delayMs), toBytes(words));
    }
    void post(const QByteArray& bytes, int delayMs)
    {
        mailbox_.emplace(simNow() + std::chrono::milliseconds(delayMs), bytes);
    }

    // Confirmation: code + 0x8000, parameter count, result, more words.
    void confirm(int code, QVector<uint16_t> more = {})
    {
        uint16_t result = 0;
        if (auto it = failMsg_.find(code); it != failMsg_.end() && it->second > 0) {
            --it->second;
            result = 0x0A;
        }
        QVector<uint16_t> w{uint16_t(code | 0x8000), uint16_t(1 + more.size()), result};
        w += more;
        post(w, 0);
    }

    // The ring: every position up to the last device, gaps filled with I/O
    // modules; offsets in the images follow each other.
    std::vector<std::pair<int, Device*>> ring()
    {
        std::vector<std::pair<int, Device*>> r;
        int last = 0;
        for (auto& [a, d] : devices_)
            last = std::max(last, a - 1);
        static Device filler;
        int ofs = 0;
        for (int g = 1; g <= last; ++g) {
            auto it = devices_.find(g + 1);
            Device* d = it == devices_.end() ? &filler : &it->second;
            if (it != devices_.end()) {
                d->outOfs = ofs;
                d->inOfs = ofs;
            }
            ofs += d->length;
            r.push_back({g, d});
        }
        return r;
    }

    Device* byRef(int ref)
    {
        auto it = refs_.find(ref);
        if (it == refs_.end())
            return nullptr;
        auto d = devices_.find(it->second);
        return d == devices_.end() ? nullptr : &d->second;
    }

    // A device without an inverter takes the card's faults only.
    SimFault takeFault(Device& d)
    {
        return d.inv ? SimCardControl<SimIbsBoard, QByteArray>::takeFault(*d.inv) : faults_.take();
    }

    void onMessage(const QVector<uint16_t>& w)
    {
        const int code = w[0];
        auto p = [&](int i) -> int { return i + 2 < w.size() ? w[i + 2] : 0; };
        switch (code) {
        case 0x1303:
            diag_ &= uint16_t(~0x20);
            confirm(code);
            return;
        case 0x0710:
            confirm(code);
            return;
        case 0x0701:
            diag_ |= 0x20;
            confirm(code);
            return;
        case 0x0702:
            diag_ &= uint16_t(~0x20);
            confirm(code);
            return;
        case 0x0309: {
            const auto r = ring();
            if (p(1) == 0) {
                confirm(code, {0, 0, 0, 0, uint16_t(r.size()), 0, 0x0001});
            } else {
                const int g = p(2);
                if (g < 1 || g > int(r.size())) {
                    confirm(code, {0, 0, 0, 0, 0, 0, 0});
                    return;
                }
                const Device& d = *r[size_t(g - 1)].second;
                lastPos_ = g;
                confirm(code, {0, 0, 0, 0, 0, uint16_t(0x0100 + g), uint16_t(((d.length / 2) << 8) | d.idCode)});
            }
            return;
        }
        case 0x0264:
            refs_[p(2)] = lastPos_ + 1;
            if (auto it = devices_.find(lastPos_ + 1); it != devices_.end())
                it->second.ref = p(2);
            confirm(code);
            return;
        case 0x008B: {
            ++connects_;
            Device* d = byRef(p(0));
            const bool ok = d && !d->vendor.isEmpty();
            if (ok)
                d->connected = true;
            post({uint16_t(0x808B), 2, uint16_t(p(0)), uint16_t(ok ? 0 : 1)}, 0);
            return;
        }
        case 0x0327: {
            const auto r = ring();
            QVector<uint16_t> recs;
            int count = 0;
            for (const auto& [g, d] : r) {
                if (d->length == 0)
                    continue;
                recs << 0x0001 << uint16_t(0x0100 + g) << uint16_t(d->length) << uint16_t(d->inOfs + 0x1000) << 0 << 0;
                recs << 0x4001 << uint16_t(d->outOfs) << uint16_t(d->length) << uint16_t(0x0100 + g) << 0 << 0;
                count += 2;
            }
            count += extraRecords_;
            if (p(0) == 0) {
                confirm(code, {0, 0, uint16_t(count)});
            } else {
                QVector<uint16_t> more{0, uint16_t(p(0)), uint16_t(count)};
                more += recs;
                confirm(code, more);
            }
            return;
        }
        case 0x032B: {
            QVector<uint16_t> more;
            for (int i = 1; i <= 12; ++i)
                more << uint16_t(0x1100 + i);
            confirm(code, more);
            return;
        }
        case 0x0081:
        case 0x0082:
        case 0x0087:
            pcp(code, w);
            return;
        case 0x0885:
            telegram(w);
            return;
        default:
            return;
        }
    }

    void pcp(int code, const QVector<uint16_t>& w)
    {
        auto p = [&](int i) -> int { return i + 2 < w.size() ? w[i + 2] : 0; };
        const uint16_t head = uint16_t(p(0));
        Device* d = byRef(head & 0xFF);
        if (!d || !d->connected)
            return; // nobody at that reference: no confirmation
        const SimFault fault = takeFault(*d);
        if (fault.silence)
            return;
        QByteArray c = toBytes({uint16_t(code | 0x8000), 0, head});
        auto reply = [&](int cls, int ecode, int add, const QByteArray& data) {
            c.append(char(cls));
            c.append(char(ecode));
            c.append(char(0));
            c.append(char(add));
            c.append(data);
            if (c.size() % 2)
                c.append(char(0));
            c[2] = char(((c.size() - 4) / 2) >> 8);
            c[3] = char((c.size() - 4) / 2);
            post(c, fault.delayMs);
        };
        if (!d->pcpErrors.empty()) {
            const auto e = d->pcpErrors.front();
            d->pcpErrors.pop_front();
            reply(e[0], e[1], e[2], {});
            return;
        }
        if (fault.refuse) {
            const auto e = pcpErrorFor(fault.refuse);
            reply(e[0], e[1], e[2], {});
            return;
        }
        if (code == 0x0087) {
            QByteArray t;
            const QByteArray model("Sim drive"), version("V5.0");
            t.append(char(d->vendor.size())).append(d->vendor);
            t.append(char(model.size())).append(model);
            t.append(char(version.size())).append(version);
            reply(0, 0, int(t.size()), t);
            return;
        }
        const uint16_t index = uint16_t(p(1));
        const int address = refs_[head & 0xFF];
        if (index >= 0x2000 && index <= 0x5FFF && d->inv) {
            SimRequest req;
            req.address = address;
            req.service = -1;
            req.isWrite = code == 0x0082;
            req.data.setU16(0, uint16_t(index - 0x2000));
            if (req.isWrite)
                req.data.setU16(2, uint16_t(p(3)));
            const SimReply r = d->inv->handle(req);
            if (r.status) {
                const auto e = pcpErrorFor(r.status);
                reply(e[0], e[1], e[2], {});
                return;
            }
            if (req.isWrite) {
                reply(0, 0, 0, {});
                return;
            }
            const uint16_t v = r.data.u16(2);
            QByteArray value;
            value.append(char(v >> 8)).append(char(v));
            reply(0, 0, 2, value);
            return;
        }
        const uint8_t sub = uint8_t(code == 0x0081 ? p(2) >> 8 : p(2) >> 8);
        const auto key = std::make_tuple(address, index, sub);
        auto it = variables_.find(key);
        if (it == variables_.end()) {
            reply(6, 5, 0x11, {}); // object does not exist
            return;
        }
        if (code == 0x0082) {
            const int len = p(2) & 0xFF;
            QByteArray bytes;
            for (int i = 0; i < len; ++i) {
                const int word = p(3 + i / 2);
                bytes.append(char(i % 2 == 0 ? word >> 8 : word));
            }
            it->second = bytes;
            reply(0, 0, 0, {});
            return;
        }
        reply(0, 0, int(it->second.size()), it->second);
    }

    void telegram(const QVector<uint16_t>& w)
    {
        if (w.size() < 5 || w[3] != 0x5FFB)
            return;
        const int ref = w[2];
        Device* d = byRef(ref);
        if (!d || !d->connected || !d->inv)
            return;
        const int len = w[4];
        int delayMs = 0;
        const QByteArray out = telegramAnswer(toBytes(w.mid(5)).left(len), *d->inv, refs_[ref], delayMs);
        if (out.isEmpty())
            return;
        QByteArray m = toBytes({0x4885, 0, uint16_t(ref), 0x5FFB, uint16_t(out.size())});
        m.append(out);
        if (m.size() % 2)
            m.append(char(0));
        m[2] = char(((m.size() - 4) / 2) >> 8);
        m[3] = char((m.size() - 4) / 2);
        post(m, delayMs);
    }

    // The drivers' outputs: process data to the PCP inverters, the
    // handshake requests of the others.
    void onOutputs()
    {
        for (const auto& [g, d] : ring()) {
            if (!d->inv)
                continue;
            const uint8_t* o = out_ + d->outOfs;
            if (d->handshake) {
                const uint16_t w0 = uint16_t((o[0] << 8) | o[1]);
                const uint16_t w1 = uint16_t((o[2] << 8) | o[3]);
                if (w0 == d->lastW0)
                    continue;
                d->lastW0 = w0;
                if (w0 == 0) {
                    d->hsIn[0] = 0;
                    d->hsIn[1] = ('Q' << 8) | 'E';
                    continue;
                }
                const SimFault fault = takeFault(*d);
                if (fault.silence)
                    continue;
                SimRequest req;
                req.address = g + 1;
                req.service = -1;
                req.isWrite = (w0 & 0x8000) != 0;
                req.data.setU16(0, uint16_t(w0 & 0x7FFF));
                req.data.setU16(2, w1);
                const SimReply r = fault.refuse ? SimReply{fault.refuse, {}} : d->inv->handle(req);
                d->hsIn[0] = uint16_t((w0 & 0x7FFF) | (r.status ? 0x8000 : 0));
                d->hsIn[1] = r.status ? uint16_t(r.status) : (req.isWrite ? w1 : r.data.u16(2));
                continue;
            }
            SimRequest req;
            req.address = g + 1;
            req.service = 16;
            req.isWrite = true;
            for (int i = 0; i + 1 < d->length && i + 1 < 8; i += 2) {
                req.data.b[size_t(i)] = o[i + 1];
                req.data.b[size_t(i + 1)] = o[i];
            }
            d->inv->handle(req);
        }
    }

    QByteArray buildInputLocked()
    {
        QByteArray in(kImage, 0);
        for (const auto& [g, d] : ring()) {
            if (!d->inv)
                continue;
            if (d->handshake) {
                in[d->inOfs] = char(d->hsIn[0] >> 8);
                in[d->inOfs + 1] = char(d->hsIn[0]);
                in[d->inOfs + 2] = char(d->hsIn[1] >> 8);
                in[d->inOfs + 3] = char(d->hsIn[1]);
                continue;
            }
            SimRequest req;
            req.address = g + 1;
            req.service = 16;
            const SimReply r = d->inv->handle(req);
            for (int i = 0; i + 1 < d->length && i + 1 < 8; i += 2) {
                in[d->inOfs + i] = char(r.data.b[size_t(i + 1)]);
                in[d->inOfs + i + 1] = char(r.data.b[size_t(i)]);
            }
        }
        return in;
    }

    std::map<int, Device> devices_;
    std::multimap<Clock::time_point, QByteArray> mailbox_;
    QList<QVector<uint16_t>> sent_;
    QList<QByteArray> opened_;
    std::set<IBDDIHND> nodes_;
    IBDDIHND nextNode_ = 1;
    std::map<QByteArray, int> failCall_;
    std::map<int, int> failMsg_;
    std::map<int, int> refs_; // communication reference -> address
    uint16_t diag_ = 0xA0;
    int connects_ = 0;
    int lastPos_ = 0;
    int extraRecords_ = 0;
    uint8_t out_[kImage] = {};
};

} // namespace

} // namespace qelsim

constexpr auto board = qelsim::TheCard<qelsim::IbsBoard>;

SIM_EXPORT qelsim::SimIbsBoard* qelsim_ibs_board() { return &board(); }

SIM_EXPORT IBDDIRET DDI_DevOpenNode(const char* DevName, int32_t Perm, IBDDIHND* NodeHd)
{
    return board().openNode(DevName, Perm, NodeHd);
}
SIM_EXPORT IBDDIRET DDI_DevCloseNode(IBDDIHND NodeHd) { return board().closeNode(NodeHd); }
SIM_EXPORT IBDDIRET GetIBSDiagnostic(IBDDIHND NodeHd, uint16_t* Diag) { return board().getDiagnostic(NodeHd, Diag); }
SIM_EXPORT IBDDIRET DDI_MXI_SndMessage(IBDDIHND NodeHd, T_DDI_MXI_ACCESS* Dscr) { return board().sndMessage(NodeHd, Dscr); }
SIM_EXPORT IBDDIRET DDI_MXI_RcvMessage(IBDDIHND NodeHd, T_DDI_MXI_ACCESS* Dscr) { return board().rcvMessage(NodeHd, Dscr); }
SIM_EXPORT IBDDIRET DDI_DTI_ReadData(IBDDIHND NodeHd, T_DDI_DTI_ACCESS* Dscr) { return board().readData(NodeHd, Dscr); }
SIM_EXPORT IBDDIRET DDI_DTI_WriteData(IBDDIHND NodeHd, T_DDI_DTI_ACCESS* Dscr) { return board().writeData(NodeHd, Dscr); }
