// Reading a configuration from an inverter, on whatever the inverter
// answers: the upload's whole sequence through the protocol selector, with
// the answer records the driver hands up taken from the input. The bytes
// of a line that become those records are the line targets' part; here
// every request is answered at once, so a whole upload runs per input.
//
// Byte 0: the progress window shown (bit 0) and the group before which the
// user cancels (bits 1-7, 0: never). Then per request one byte: bits 0-2
// the result (0 four times in eight, else not available 2 or 13, error 5, a
// time-out, or the driver refusing the request), bits 3-7 times three the
// number of answer bytes that follow (from byte 0 of the data area). When
// the input ends, every request is answered "not available".
//
// Promises: the call ends; on failure or cancel nothing is left in the
// list and LastError says why; on success the index names a configuration
// of the number read; the selector's retry count is what it was.

#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "config/cfg_codes.h"
#include "config/cfg_list.h"
#include "fuzz_support.h"

#include <algorithm>
#include <memory>

namespace {

using qelfuzz::broken;

// Answers every synchronous request from the input.
class TAnsweringDriver : public tCustomQelProt {
public:
    const uint8_t* In = nullptr;
    size_t Left = 0;

    QString GetVersion() const override { return QStringLiteral("Answers\r\nVersion: 0\r\nDate: -"); }
    TProt GetProtType() const override { return prANSI; }
    bool IsOpen() const override { return FOpen; }
    int Open() override
    {
        FOpen = true;
        return 0;
    }
    int Close() override
    {
        FOpen = false;
        return 0;
    }
    int ReadParaReq(int, int, const TTelData&) override { return QelResult::NotSupported; }
    int WriteParaReq(int, int, const TTelData&) override { return QelResult::NotSupported; }
    int ReadPara(int Addr, int Service, const TTelData&, TRecTel& Rsp) override { return answer(true, Addr, Service, Rsp); }
    int WritePara(int Addr, int Service, const TTelData&, TRecTel& Rsp) override
    {
        return answer(false, Addr, Service, Rsp);
    }

protected:
    bool SyncRequestPending() const override { return false; }
    int SyncEvaluate(TRecTel& Rsp) override { return Rsp.Status; }

private:
    int answer(bool read, int addr, int service, TRecTel& rsp)
    {
        rsp = TRecTel{};
        rsp.InvAdr = addr;
        rsp.Service = service;
        rsp.IsRead = read ? 1 : 0;
        if (Left == 0) {
            rsp.Status = 2;
            return 0;
        }
        const uint8_t c = *In++;
        --Left;
        static const int results[] = {0, 0, 0, 0, 2, 13, 5, QelResult::NoAnswer};
        const size_t n = std::min<size_t>({size_t(c >> 3) * 3, size_t(TTelData::Size), Left});
        std::copy_n(In, n, rsp.Data.Bytes());
        In += n;
        Left -= n;
        if ((c & 7) == 7 && (c & 0x80))
            return QelResult::DriverBusy; // refused, the record untouched
        rsp.Status = results[c & 7];
        return 0;
    }

    bool FOpen = false;
};

// Cancels before the given group (counted by the texts the upload shows).
class TCancelAt : public IProgress {
public:
    int CancelAt = 0;
    int Groups = 0;
    bool Shown = false;
    void Start(const QString&, const QString&) override
    {
        if (Shown)
            broken("the progress started twice");
        Shown = true;
    }
    void SetText(const QString& t) override
    {
        if (t.size() > 1)
            ++Groups;
    }
    void SetMax(int) override {}
    void SetPosition(int) override {}
    bool Cancelled() const override { return CancelAt > 0 && Groups >= CancelAt; }
    void Finish() override { Shown = false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    qelfuzz::app();
    static TAnsweringDriver* drv = nullptr;
    static TProtSel sel(nullptr, [](TProt kind) -> std::unique_ptr<tCustomQelProt> {
        if (kind != prANSI)
            return nullptr;
        auto d = std::make_unique<TAnsweringDriver>();
        drv = d.get();
        return d;
    });
    static bool ready = [] {
        sel.SetProtocol(1, prANSI);
        return true;
    }();
    (void)ready;

    TVortalinCfgList list;
    auto progress = std::make_unique<TCancelAt>();
    TCancelAt& p = *progress;
    list.SetProgress(std::move(progress));
    list.GroupText = QStringLiteral("Group");
    // One configuration already loaded: an inverter reporting its number
    // gets it back after a single request.
    auto loaded = std::make_shared<TCfgRec>();
    loaded->CfgId = 21;
    list.Append(loaded);

    const bool show = data[0] & 1;
    p.CancelAt = data[0] >> 1;
    drv->In = data + 1;
    drv->Left = size - 1;
    sel.SetRetryCnt(3);

    const int r = list.ReadFromInverter(1, sel, show);

    if (sel.GetRetryCnt() != 3)
        broken("the retry count was not restored");
    if (p.Shown)
        broken("the progress was left open");
    if (r == -1 || r == kErrCancelled) {
        if (list.Count() != 1 || list.GetCfg(0) != loaded.get())
            broken("a failed read left a configuration behind");
        if (list.LastError == 0 || (r == kErrCancelled && list.LastError != kErrCancelled))
            broken("a failed read does not say why");
        if (r == kErrCancelled && (!show || p.CancelAt == 0))
            broken("cancelled without a cancel");
        return 0;
    }
    if (r < 0 || r >= list.Count() || list.Count() > 2 || list.LastError != 0)
        broken("the result names no configuration");
    const TCfgRec* cfg = list.GetCfg(r);
    if (list.Count() == 1 && cfg != loaded.get())
        broken("the loaded configuration was not returned");
    if (list.Count() == 2) {
        for (int i = 1; i < cfg->GrpList.Count(); ++i)
            if (cfg->GrpList.GetItem(i - 1)->Index > cfg->GrpList.GetItem(i)->Index)
                broken("the groups are not sorted by index");
        if (cfg->GroupName.size() > 47 || cfg->TypeName.size() > 47)
            broken("a name is longer than a configuration holds");
    }
    return 0;
}
