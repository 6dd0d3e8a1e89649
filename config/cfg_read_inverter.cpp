#include "config/cfg_read_inverter.h"

#include "comm/prot_sel.h"
#include "config/cfg_codes.h"
#include "config/cfg_list.h"
#include "config/value_conversion.h"
#include "platform/codepage.h"

#include <algorithm>

namespace {

// The synchronous exchanges keep the event loop running, so another window
// could start a second upload (or the same one again) from inside this one;
// its requests would interleave with ours on the same line.
bool g_running = false;

constexpr uint16_t kCfgIdPar = 0x160F;
constexpr uint16_t kTypePar = 2;
constexpr uint16_t kGroupNamePar = 0x000A;
constexpr uint16_t kSelectorPar = 4;
constexpr uint16_t kSelectedValuePar = 5;
constexpr uint32_t kSelectorHeaderFlag = 0x800;

bool notAvailable(int status)
{
    return status == 2 || status == 13;
}

QString idLetters(const TGrpRec& g)
{
    const char b[2] = {g.IdChar[0], g.IdChar[1]};
    return fromCodePage(QByteArrayView(b, 2), CodePage::Cp1252);
}

class CfgUploader {
public:
    CfgUploader(TVortalinCfgList& list, TProtSel& sel, int addr, bool showProgress)
        : list_(list), sel_(sel), addr_(addr), showProgress_(showProgress), savedRetries_(sel.GetRetryCnt())
    {
        g_running = true;
        if (savedRetries_ < CfgUpload::kMinRetries)
            sel_.SetRetryCnt(CfgUpload::kMinRetries);
    }
    ~CfgUploader()
    {
        sel_.SetRetryCnt(savedRetries_);
        g_running = false;
    }

    int Run();

private:
    // One exchange; the driver's own refusal (busy, closed) counts as the
    // result when the record was not filled.
    int exchange(bool read, int service, const TTelData& d, TRecTel& rsp)
    {
        rsp = TRecTel{};
        const int r = read ? sel_.ReadPara(addr_, service, d, rsp) : sel_.WritePara(addr_, service, d, rsp);
        return r != 0 ? r : rsp.Status;
    }
    int request(int service, uint16_t par, uint8_t setByte, TRecTel& rsp)
    {
        TTelData d;
        d.ParAdr = par;
        d.SetByte(2, setByte);
        return exchange(true, service, d, rsp);
    }
    // Service 0 with set 0: the value is at answer byte 4.
    int readValue(uint16_t par, int32_t& value)
    {
        TRecTel rsp;
        const int st = request(QelService::ParaSet, par, 1, rsp);
        value = rsp.Data.GetI32(4);
        return st;
    }
    // A header value: the classic parameter, or the selector written into
    // parameter 4 and read back from parameter 5. A failed selector write
    // sets `hard` (not available is no excuse there).
    int headerValue(uint16_t classicPar, int32_t selector, int32_t& value, bool& hard)
    {
        hard = false;
        if (!selectorHeader_)
            return readValue(classicPar, value);
        TTelData d;
        d.ParAdr = kSelectorPar;
        d.SetByte(2, 1);
        d.Value = selector;
        TRecTel rsp;
        const int st = exchange(false, QelService::ParaSet, d, rsp);
        if (st != 0) {
            hard = true;
            return st;
        }
        return readValue(kSelectedValuePar, value);
    }

    int fail(int code)
    {
        dropCfg();
        list_.LastError = code;
        finishProgress();
        return -1;
    }
    void dropCfg()
    {
        if (!cfg_)
            return;
        for (int i = 0; i < list_.Count(); ++i)
            if (list_.GetCfg(i) == cfg_.get()) {
                list_.Delete(i);
                break;
            }
        cfg_.reset();
    }
    void finishProgress()
    {
        if (progressShown_) {
            list_.Progress().Finish();
            progressShown_ = false;
        }
    }

    int readHeader();
    int readGroup(uint16_t base);
    int readParam(TGrpRec& grp, uint16_t addr);
    int readPlainText(TParaRec& para);
    int readTypeName();
    int readQuintel();

    TVortalinCfgList& list_;
    TProtSel& sel_;
    const int addr_;
    const bool showProgress_;
    const int savedRetries_;
    bool selectorHeader_ = false;
    bool progressShown_ = false;
    std::shared_ptr<TCfgRec> cfg_;
};

int CfgUploader::Run()
{
    // The configuration number: plain access, 16 bits, sign-extended.
    TRecTel rsp;
    int st = request(QelService::Plain, kCfgIdPar, 0, rsp);
    if (st != 0)
        return fail(st);
    const int cfgId = rsp.Data.GetI16(2);
    const int loaded = list_.IndexOfCfg(cfgId);
    if (loaded >= 0) {
        list_.LastError = 0;
        return loaded;
    }

    int32_t value = 0;
    if ((st = readValue(kCfgIdPar, value)) != 0)
        return fail(st);
    if ((st = request(QelService::Inv4, kTypePar, 1, rsp)) != 0)
        return fail(st);
    selectorHeader_ = (rsp.Data.GetU32(8) & kSelectorHeaderFlag) != 0;

    cfg_ = std::make_shared<TCfgRec>();
    cfg_->CfgId = cfgId;
    cfg_->NewStyle = 1;
    cfg_->ScopeBase = -1;
    list_.Append(cfg_);

    if ((st = request(QelService::Inv6, kGroupNamePar, 0, rsp)) == 0)
        cfg_->GroupName = telText(rsp.Data, 3);
    else if (notAvailable(st))
        cfg_->GroupName = CfgUpload::kNoGroup;
    else
        return fail(st);
    cfg_->TypeName.clear();

    if ((st = readHeader()) != 0)
        return fail(st);

    IProgress& progress = list_.Progress();
    if (showProgress_) {
        progress.Start(list_.ReadTitle, list_.CancelText);
        progressShown_ = true;
        progress.SetText(QStringLiteral(" "));
        progress.SetPosition(0);
    }

    for (int g = 0; g < 128; ++g) {
        if (showProgress_ && progress.Cancelled()) {
            dropCfg();
            finishProgress();
            list_.LastError = kErrCancelled;
            return kErrCancelled;
        }
        if ((st = readGroup(static_cast<uint16_t>(g << 8))) != 0)
            return fail(st);
    }

    if ((st = readTypeName()) != 0)
        return fail(st);
    if ((st = readQuintel()) != 0)
        return fail(st);

    cfg_->GrpList.SortByIndex();
    finishProgress();
    list_.LastError = 0;
    for (int i = 0; i < list_.Count(); ++i)
        if (list_.GetCfg(i) == cfg_.get())
            return i;
    // Removed by someone else while the event loop ran.
    return fail(QelResult::ResourceMissing);
}

int CfgUploader::readHeader()
{
    TCfgRec& c = *cfg_;
    int32_t v = 0;
    bool hard = false;
    TRecTel rsp;

    // Each entry: classic parameter, selector, and what a value or "not
    // available" sets. Extra requests follow the access and finish entries.
    auto step = [&](uint16_t par, int32_t sel, auto&& take, auto&& absent) {
        const int st = headerValue(par, sel, v, hard);
        if (st == 0)
            take(v);
        else if (!hard && notAvailable(st))
            absent();
        else
            return st;
        return 0;
    };
    int st = step(5, 1, [&](int32_t x) { c.AccessParAdr = int16_t(x); }, [&] { c.AccessParAdr = -1; });
    if (st != 0)
        return st;
    if (c.AccessParAdr >= 0) {
        st = request(QelService::Inv3, uint16_t(c.AccessParAdr), 1, rsp);
        if (st == 0)
            c.AccessValue = rsp.Data.GetI32(4);
        else if (notAvailable(st))
            c.AccessValue = CfgUpload::kDefaultAccessValue;
        else
            return st;
    }
    if ((st = step(8, 2, [&](int32_t x) { c.SetPtrParAdr = int16_t(x); }, [&] { c.SetPtrParAdr = -1; })) != 0)
        return st;
    c.TypeParAdr = kTypePar;
    c.TypeValue = c.CfgId;
    if ((st = step(9, 3, [&](int32_t x) { c.ActSetParAdr = int16_t(x); }, [&] { c.ActSetParAdr = -1; })) != 0)
        return st;
    if ((st = step(42, 5, [&](int32_t x) { c.FinishParAdr = int16_t(x); }, [&] { c.FinishParAdr = -1; })) != 0)
        return st;
    if (c.FinishParAdr >= 0) {
        st = request(QelService::Inv3, uint16_t(c.FinishParAdr), 1, rsp);
        if (st == 0)
            c.FinishValue = rsp.Data.GetByte(4);
        else if (notAvailable(st))
            c.FinishValue = -1;
        else
            return st;
    }
    if ((st = step(4, 0, [&](int32_t x) { c.MaxSet = uint8_t(x); }, [&] { c.MaxSet = 0; })) != 0)
        return st;
    return step(55, 11, [&](int32_t x) { c.ScopeBase = int16_t(x); }, [&] { c.ScopeBase = -1; });
}

int CfgUploader::readGroup(uint16_t base)
{
    TRecTel rsp;
    int st = request(QelService::Inv10, base, 1, rsp);
    if (notAvailable(st))
        return 0;
    if (st != 0)
        return st;
    TGrpRec& grp = *cfg_->GrpList.AddNew();
    const TTelData& d = rsp.Data;
    grp.Index = d.GetByte(2);
    grp.IdChar = {char(d.GetByte(4)), char(d.GetByte(5))};
    grp.Shortcut = char(d.GetByte(6));
    grp.Prop = d.GetI16(8);
    grp.MaxPara = d.GetByte(10);
    grp.LastPara = d.GetByte(11);
    grp.BaseAddr = int16_t(base);

    IProgress& progress = list_.Progress();
    if (showProgress_) {
        progress.SetMax(grp.LastPara);
        progress.SetPosition(0);
        progress.SetText(list_.GroupText + QLatin1Char(' ') + idLetters(grp));
    }

    if ((st = request(QelService::Inv11, base, 0, rsp)) != 0)
        return st;
    const QString name = telText(rsp.Data, 3);
    grp.Name.Set(0, name);
    grp.Name.Set(1, name);

    for (int offset = 0; offset <= CfgUpload::kMaxGroupOffset; ++offset) {
        if (showProgress_)
            progress.SetPosition(grp.ParaList.Count());
        if ((st = readParam(grp, uint16_t(base + offset))) != 0)
            return st;
        if (grp.ParaList.Count() >= grp.LastPara + 1)
            break;
    }
    return 0;
}

int CfgUploader::readParam(TGrpRec& grp, uint16_t addr)
{
    TRecTel rsp;
    int st = request(QelService::Inv2, addr, 1, rsp);
    if (notAvailable(st))
        return 0;
    if (st != 0)
        return st;
    TParaRec& p = *grp.ParaList.AddNew();
    p.Addr = int16_t(addr);
    p.LowerLim = rsp.Data.GetI32(4);
    p.UpperLim = rsp.Data.GetI32(8);

    if ((st = request(QelService::Inv3, addr, 1, rsp)) != 0)
        return st;
    p.DefVal = rsp.Data.GetI32(4);
    if ((st = request(QelService::Inv4, addr, 1, rsp)) != 0)
        return st;
    p.Attr = rsp.Data.GetU32(4);
    p.Flags = rsp.Data.GetU32(8);
    if ((st = request(QelService::Inv5, addr, 1, rsp)) != 0)
        return st;
    p.Div = rsp.Data.GetI16(2);
    p.Mul = rsp.Data.GetI16(4);
    p.Offset = rsp.Data.GetI16(6);
    p.Format = rsp.Data.GetU16(8);
    if ((st = request(QelService::Inv6, addr, 0, rsp)) != 0)
        return st;
    const QString name = telText(rsp.Data, 3);
    p.SetName(0, name);
    p.SetName(1, name);
    if ((st = request(QelService::Inv7, addr, 1, rsp)) != 0)
        return st;
    p.TextId = uint16_t(rsp.Data.GetI16(6));
    p.DefCount = rsp.Data.GetByte(8);
    p.SetIdText(idLetters(grp) + (QStringLiteral("00") + QString::number(addr & 0xFF)).right(2));

    if (p.DefCount > 0)
        return readPlainText(p);
    return 0;
}

int CfgUploader::readPlainText(TParaRec& para)
{
    if (auto table = cfg_->PlainTexts.FindIdShared(para.TextId)) {
        para.PlainText = table;
        return 0;
    }
    auto table = std::make_shared<TPlainTextRec>();
    table->TextId = int16_t(para.TextId);
    cfg_->PlainTexts.Add(table);
    para.PlainText = table;

    TRecTel rsp;
    for (int def = 0; def < para.DefCount; ++def) {
        TTelData q;
        q.SetU16(0, para.TextId);
        q.SetByte(2, uint8_t(def));
        q.SetByte(3, 0);
        int st = exchange(true, QelService::Inv12, q, rsp);
        if (st != 0)
            return st;
        TDefRec& d = *table->DefList.AddNew();
        d.Mask = rsp.Data.GetU32(4);
        const QString defName = telText(rsp.Data, 9);
        d.Name.Set(0, defName);
        d.Name.Set(1, defName);
        const int values = rsp.Data.GetByte(8);
        for (int sub = 0; sub < values; ++sub) {
            TTelData v;
            v.SetByte(0, 0);
            v.SetU16(2, para.TextId);
            v.SetByte(4, uint8_t(def));
            v.SetByte(5, uint8_t(sub));
            if ((st = exchange(true, QelService::Inv9, v, rsp)) != 0)
                return st;
            TSubRec& s = *d.SubList.AddNew();
            s.Value = rsp.Data.GetI32(8);
            s.Attr = rsp.Data.GetByte(12);
            const QString subName = telText(rsp.Data, 13);
            s.Name.Set(0, subName);
            s.Name.Set(1, subName);
        }
    }
    return 0;
}

int CfgUploader::readTypeName()
{
    int32_t value = 0;
    const int st = readValue(kTypePar, value);
    if (notAvailable(st)) {
        cfg_->TypeName = CfgUpload::kNoType;
        return 0;
    }
    if (st != 0)
        return st;
    const TParaRec* p = cfg_->FindPara(kTypePar);
    if (!p) {
        cfg_->TypeName.clear();
        return 0;
    }
    // The name goes into the configuration (and its file) for good: the
    // hexadecimal display the user may have switched on must not turn it
    // into a number.
    const unsigned char hex = HexDisplay;
    HexDisplay = 0;
    cfg_->TypeName = p->ValueToText(value, 0, QLatin1Char('+'), false).left(kMaxNameLen);
    HexDisplay = hex;
    return 0;
}

int CfgUploader::readQuintel()
{
    TCfgRec& c = *cfg_;
    c.QuintelCount = CfgUpload::kDefaultQuintelCount;
    c.QuintelSel = -1;
    int32_t v = 0;
    bool hard = false;
    int st = headerValue(43, 6, v, hard);
    if (st == 0)
        c.QuintelBase = int16_t(v);
    else if (!hard && notAvailable(st))
        c.QuintelCount = 0;
    else
        return st;
    if (selectorHeader_ && c.QuintelCount > 0) {
        TRecTel rsp;
        const auto sel = uint16_t(-uint16_t(c.QuintelBase));
        if ((st = request(QelService::Inv2, sel, 1, rsp)) != 0)
            return st;
        // The configuration file keeps the count in 16 bits.
        const int64_t count = int64_t(rsp.Data.GetI32(8)) + 1;
        if (count < 0 || count > 0xFFFF)
            return QelResult::Malformed;
        c.QuintelCount = int(count);
    }
    return 0;
}

} // namespace

int TVortalinCfgList::ReadFromInverter(int Addr, TProtSel& ProtSel, bool ShowProgress)
{
    if (Addr < 0 || Addr > MaxInvAdr) {
        LastError = QelResult::AddrRange;
        return -1;
    }
    if (g_running) {
        LastError = QelResult::DriverBusy;
        return -1;
    }
    CfgUploader upload(*this, ProtSel, Addr, ShowProgress);
    return upload.Run();
}

QString telText(const TTelData& d, int pos)
{
    const int len = std::min({int(d.GetByte(pos)), kMaxNameLen, TTelData::Size - pos - 1});
    QByteArray bytes;
    for (int i = 0; i < len; ++i)
        bytes.append(static_cast<char>(d.GetByte(pos + 1 + i)));
    return fromCodePage(bytes, CodePage::Cp1252);
}
