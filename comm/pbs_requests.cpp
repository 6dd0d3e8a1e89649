// The request side of tPBS: placing requests, the parameter channel,
// process data, telegrams over the acyclic connection, answer delivery and
// the synchronous exchange.

#include "comm/pbs.h"
#include "platform/clock.h"

#include "comm/card_driver_support.h"

#include <QCoreApplication>

#include <cstring>

namespace {

uint32_t getBE(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

void putBE(uint8_t* p, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        p[i] = uint8_t(v >> (8 * (n - 1 - i)));
}

// A value of 1, 2 or 4 bytes, big-endian, the short ones sign-extended.
int32_t valueBE(const uint8_t* p, int len)
{
    switch (len) {
    case 1: return int8_t(p[0]);
    case 2: return int16_t(getBE(p, 2));
    case 4: return int32_t(getBE(p, 4));
    default: return 0;
    }
}

bool countsAsFailedTry(int status)
{
    return status == QelResult::Malformed || status == 1
        || (status <= QelResult::Parity && status >= QelResult::Checksum);
}

} // namespace

int tPBS::ErrorResult(int Class, int Code, int Add)
{
    if (Class == 5)
        return 14;
    if (Class == 6) {
        switch (Code) {
        case 2: return QelResult::NoAnswer;
        case 3: return Add == 0 ? 4 : (Add == 48 ? 8 : 7);
        case 4: return 13;
        case 5: return (Add == 0 || Add == 16) ? 3 : (Add == 17 ? 13 : 7);
        case 7: return 13;
        default: return 7;
        }
    }
    if (Class == 8 && Code == 0) {
        switch (Add) {
        case 0: return 15;
        case 16: return 12;
        case 34: return 6;
        case 48: return 3;
        case 51: return 11;
        case 52: return 7;
        case 55: return 15;
        default: return 7;
        }
    }
    // A refusal the table does not know is still a refusal.
    return 7;
}

int tPBS::ReadParaReq(int Addr, int Service, const TTelData& Data) { return Place(true, Addr, Service, Data); }

int tPBS::WriteParaReq(int Addr, int Service, const TTelData& Data) { return Place(false, Addr, Service, Data); }

int tPBS::Place(bool IsRead, int Addr, int Service, const TTelData& Data)
{
    if (!FOpenFlag || FClosing)
        return QelResult::DriverClosed;
    const int found = SlaveIndexOf(Addr);
    const int idx = found < 0 ? SpareIndex : found;
    if (FBusy != 0)
        return QelResult::DriverBusy;
    FReqId = FReqId % MaxReqId + 1;
    FService = Service;
    FAddr = Addr;
    FSync = false;

    TRequest r;
    if (Service == QelService::Plain) {
        r.Kind = IsRead ? 1 : 2;
        r.ParAdr = uint16_t(Data.ParAdr + 0x2000);
        r.Set = 0;
        if (!IsRead) {
            r.Length = 2;
            r.Value = int16_t(Data.GetU16(2));
        }
    } else if (Service == QelService::Fieldbus) {
        if (Data.GetByte(0) != fbVarAcc)
            return QelResult::NotSupported;
        r.Kind = IsRead ? 1 : 2;
        r.ParAdr = Data.GetU16(2);
        r.Set = Data.GetByte(4);
        if (!IsRead) {
            r.Length = Data.GetByte(5);
            // The length code has two bits; anything else would spill into
            // the toggle and error bits or send stale value bytes.
            if (r.Length != 1 && r.Length != 2 && r.Length != 4)
                return QelResult::NotSupported;
            r.Value = valueBE(Data.Bytes() + 6, r.Length);
        }
    } else if (Service == 16 || Service == 17) {
        r.Kind = IsRead ? 5 : 6;
        r.PdFormat = Service == 16 ? 1 : 2;
    } else if (Service == 48 || Service == 49) {
        if (IsRead)
            return QelResult::NotSupported;
        r.Kind = 7;
        r.PdFormat = Service == 48 ? 1 : 2;
    } else if (Service >= 0 && Service <= 12) {
        uint8_t tel[BinCodec::TelBufferSize] = {};
        const int len = BinBuildTel(Service, FReqId, Data, !IsRead, tel);
        if (len < 0 || len > 64)
            return QelResult::NotSupported;
        r.Kind = IsRead ? 3 : 4;
        r.TelLen = uint8_t(len);
        std::memcpy(r.Tel, tel, size_t(len));
    } else {
        return QelResult::NotSupported;
    }

    FRec = TRecTel{};
    FRec.Data = Data;
    if ((r.Kind == 6 || r.Kind == 7) && idx != SpareIndex) {
        uint8_t* out = FSlaves[size_t(idx)].Out + 8;
        if (r.PdFormat == 1) {
            putBE(out, Data.GetU32(0), 4);
            putBE(out + 4, Data.GetU32(4), 4);
        } else {
            for (int i = 0; i < 4; ++i)
                putBE(out + 2 * i, Data.GetU16(2 * i), 2);
        }
    }
    TRequest& rec = RecordOf(idx);
    const uint8_t toggle = rec.Toggle;
    rec = r;
    rec.Toggle = toggle;
    rec.Pending = true;
    FBusy = 1;
    FReqIndex = idx;
    RequestStep(idx);
    FRec.IsRead = IsRead ? 1 : 0;
    return FReqId;
}

bool tPBS::ReadInputs(int Index)
{
    TSlave& s = FSlaves[size_t(Index)];
    if (!InDataExchange(Index) || s.InLen > ImageSize)
        return false;
    uint8_t buf[PAPI_DATA_SIZE] = {};
    uint16_t len = 0;
    int r = PAPI_BUSY;
    for (int i = 0; i < BusyCalls && r == PAPI_BUSY; ++i) {
        len = s.InLen;
        r = FGetData(PAPI_AREA_IO, s.InOfs, &len, buf);
    }
    FLastResult = r;
    if (r != 0 || len > ImageSize)
        return false;
    std::memcpy(s.In, buf, len);
    return true;
}

bool tPBS::WriteOutputs(int Index)
{
    TSlave& s = FSlaves[size_t(Index)];
    // The image holds 16 bytes; a longer output would read past it.
    if (!InDataExchange(Index) || s.OutLen > ImageSize)
        return false;
    int r = PAPI_BUSY;
    for (int i = 0; i < BusyCalls && r == PAPI_BUSY; ++i)
        r = FSetData(PAPI_AREA_IO, s.OutOfs, s.OutLen, s.Out);
    FLastResult = r;
    return r == 0;
}

void tPBS::RequestStep(int Index)
{
    TRequest& r = RecordOf(Index);
    if (!r.Pending)
        return;
    const bool slave = Index != SpareIndex;
    if (!r.Sent) {
        if (slave) {
            TSlave& s = FSlaves[size_t(Index)];
            switch (r.Kind) {
            case 1:
            case 2:
                ReadInputs(Index);
                r.Toggle = (s.In[0] & 0x40) ? 0 : 0x40;
                s.Out[0] = r.Kind == 1 ? uint8_t(r.Toggle + 1) : uint8_t((r.Length - 1) * 16 + r.Toggle + 2);
                s.Out[1] = r.Set;
                putBE(s.Out + 2, r.ParAdr, 2);
                std::memset(s.Out + 4, 0, 4);
                if (r.Kind == 2)
                    putBE(s.Out + 4, uint32_t(r.Value), r.Length);
                WriteOutputs(Index);
                break;
            case 3:
            case 4:
                if (s.ConnOpen) {
                    uint8_t d[PAPI_DATA_SIZE] = {};
                    d[0] = s.Addr;
                    d[3] = r.TelLen;
                    std::memcpy(d + 4, r.Tel, r.TelLen);
                    SendRequest(68, d, uint16_t(Index));
                }
                break;
            case 5:
                ReadInputs(Index);
                r.Complete = true;
                break;
            case 6:
                WriteOutputs(Index);
                r.Complete = true;
                break;
            case 7:
                WriteOutputs(Index);
                ReadInputs(Index);
                r.Complete = true;
                break;
            default:
                break;
            }
        }
        r.SendTick = FTick;
        r.Sent = true;
        return;
    }
    if (r.Complete)
        return;
    if (slave && (r.Kind == 1 || r.Kind == 2)) {
        TSlave& s = FSlaves[size_t(Index)];
        ReadInputs(Index);
        if ((s.In[0] & 0x40) == r.Toggle) {
            ParamChannelAnswer(s, r);
            return;
        }
    }
    if (FTick - r.SendTick > FTimeOut / TickMs) {
        r.ErrClass = 6;
        r.ErrCode = 2;
        r.ErrAdd = 0;
        r.Complete = true;
    }
}

void tPBS::ParamChannelAnswer(TSlave& S, TRequest& R)
{
    const uint8_t b0 = S.In[0];
    if (b0 & 0x80) {
        const int add = int(getBE(S.In + 6, 2));
        if (!(S.In[4] == 6 && S.In[5] == 5 && add == 1)) {
            R.ErrClass = S.In[4];
            R.ErrCode = S.In[5];
            R.ErrAdd = uint16_t(add);
        }
    } else if (R.Kind == 1) {
        const int len = ((b0 >> 4) & 3) + 1;
        R.Length = uint8_t(len);
        if (len != 3)
            R.Value = valueBE(S.In + 4, len);
    }
    R.Complete = true;
}

void tPBS::TelegramAnswer(const PAPI_BLOCK& B, const uint8_t* D)
{
    if (FBusy != 1 || FReqIndex == SpareIndex || B.ref != FReqIndex)
        return;
    const TSlave& s = FSlaves[size_t(FReqIndex)];
    TRequest& r = FSlaves[size_t(FReqIndex)].Req;
    if (D[2] != s.Addr || !r.Sent || r.Complete || (r.Kind != 3 && r.Kind != 4))
        return;
    if (B.result == 0) {
        if (D[5] <= 63 && D[6] == FReqId * 16) {
            r.TelLen = D[5];
            std::memcpy(r.Tel, D + 6, r.TelLen);
            r.Complete = true;
        }
        return;
    }
    FLastResult = B.result;
    if (D[1] == 1) {
        r.ErrClass = 8;
        r.ErrCode = 0;
        r.ErrAdd = D[4] == 0xC2 ? 34 : (D[4] == 0xA9 ? 52 : 0);
        r.Complete = true;
    }
}

void tPBS::DeliverAnswer()
{
    if (FBusy != 1)
        return;
    TRequest& r = RecordOf(FReqIndex);
    if (!r.Complete)
        return;
    FRec.Service = FService;
    FRec.InvAdr = FAddr;
    FRec.IsReq = 0;
    FRec.ReqId = FReqId;
    TTelData& d = FRec.Data;
    if (r.ErrClass == 0) {
        FRec.Status = 0;
        if (FService == QelService::Plain) {
            d.SetU16(0, uint16_t(r.ParAdr - 0x2000));
            d.SetU16(2, uint16_t(r.Value));
        } else if (FService == QelService::Fieldbus) {
            d.SetU16(2, r.ParAdr);
            d.SetByte(4, r.Set);
            d.SetByte(5, r.Length);
            if (r.Length == 1 || r.Length == 2 || r.Length == 4) {
                uint8_t v[4];
                putBE(v, uint32_t(r.Value), r.Length);
                for (int i = 0; i < r.Length; ++i)
                    d.SetByte(6 + i, v[i]);
            }
        } else if (r.Kind == 5 || r.Kind == 7) {
            if (FReqIndex != SpareIndex) {
                const uint8_t* in = FSlaves[size_t(FReqIndex)].In + 8;
                if (r.PdFormat == 1) {
                    d.SetU32(0, getBE(in, 4));
                    d.SetU32(4, getBE(in + 4, 4));
                } else {
                    for (int i = 0; i < 4; ++i)
                        d.SetU16(2 * i, uint16_t(getBE(in + 2 * i, 2)));
                }
            }
        } else if (r.Kind == 3 || r.Kind == 4) {
            TRecTel dec = FRec;
            const int res = BinDecodeTel(dec, r.TelLen, r.Tel);
            // An answer to another service or direction is no answer to
            // this request.
            if (res < 0 || dec.Service != (FService & BinCodec::ServiceMask) || dec.IsRead != FRec.IsRead) {
                FRec.Status = QelResult::Malformed;
            } else {
                dec.Service = FService;
                dec.InvAdr = FAddr;
                dec.ReqId = FReqId;
                dec.IsReq = 0;
                FRec = dec;
            }
        }
    } else {
        FRec.Status = ErrorResult(r.ErrClass, r.ErrCode, r.ErrAdd);
        d.SetU16(0, uint16_t(r.ParAdr - 0x2000));
        d.SetU16(2, uint16_t(r.Value));
    }
    r.Pending = r.Sent = r.Complete = false;
    FinishAnswer();
}

void tPBS::FinishAnswer()
{
    FAnswerTick = FTick;
    if (FSync) {
        FBusy = 2;
        Wake();
        return;
    }
    FBusy = 0;
    QCoreApplication::postEvent(this, new TCardAnswerEvent(AnswerEvent, FRec));
}

void tPBS::AbandonOutstanding(int Status)
{
    if (FBusy != 1)
        return;
    TRequest& r = RecordOf(FReqIndex);
    const uint8_t toggle = r.Toggle;
    r = TRequest{};
    r.Toggle = toggle;
    FRec.Service = FService;
    FRec.InvAdr = FAddr;
    FRec.IsReq = 0;
    FRec.ReqId = FReqId;
    FRec.Status = Status;
    FinishAnswer();
}

// ------------------------------------------------------ synchronous exchange

int tPBS::SyncEvaluate(TRecTel& Rsp)
{
    Rsp = FRec;
    return FBusy == 1 ? QelResult::Pending : FRec.Status;
}

int tPBS::ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    return SyncRun(true, Addr, Service, Data, Rsp);
}

int tPBS::WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    return SyncRun(false, Addr, Service, Data, Rsp);
}

int tPBS::SyncRun(bool IsRead, int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    auto fail = [&](int status) {
        Rsp = TRecTel{};
        Rsp.InvAdr = Addr;
        Rsp.Service = Service;
        Rsp.IsRead = IsRead ? 1 : 0;
        Rsp.Status = status;
        return status;
    };
    if (!FOpenFlag)
        return fail(QelResult::DriverClosed);
    const std::shared_ptr<const bool> alive = AliveToken();
    qel::TStopwatch since;
    since.start();
    for (;;) {
        int status = 0;
        for (int attempt = 0; attempt < FRetryCnt; ++attempt) {
            const int r = Place(IsRead, Addr, Service, Data);
            if (r < 0)
                return fail(r);
            FSync = true;
            if (!WaitOffBus())
                return fail(QelResult::DriverClosed);
            FBusy = 0;
            FSync = false;
            Rsp = FRec;
            status = FRec.Status;
            if (!countsAsFailedTry(status))
                break;
        }
        // Error 6 asks for the request again, but not for ever.
        if (status != QelResult::InvErrRepeat || since.elapsed() >= RepeatOnBusyLimitMs)
            break;
    }
    return Rsp.Status <= QelResult::DriverClosed ? Rsp.Status : QelResult::Ok;
}
