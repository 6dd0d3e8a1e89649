#include "comm/ibs.h"

#include "comm/card_driver_support.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cstring>

namespace {

constexpr int ConfirmMs = 2000;
constexpr int ConnectMs = 1000;
constexpr int TelegramIndex = 0x5FFB;
// "VarAcc" write: the data area holds at most this many bytes from 6.
constexpr int MaxVarBytes = TTelData::Size - 6;

bool isPcp(uint8_t id) { return id == 0xE3 || id == 0xC3; }

// Process images travel with their 16-bit words most significant byte
// first; the driver keeps them in its own order.
void swapWords(uint8_t* p, int n)
{
    for (int i = 0; i + 1 < n; i += 2)
        std::swap(p[i], p[i + 1]);
}

int pcpResult(int cls, int code, int add)
{
    if (cls == 6) {
        switch (code) {
        case 2: return 1;
        case 3: return add == 0x30 ? 8 : 4;
        case 4:
        case 6:
        case 7: return 13;
        case 5: return add == 0x10 ? 3 : (add == 0x11 ? 13 : (add == 0x14 ? 1 : 7));
        case 8: return 3;
        default: return 7;
        }
    }
    if (cls == 8) {
        switch (add) {
        case 0x22: return 6;
        case 0x30:
        case 0x41: return 3;
        case 0x33: return 11;
        case 0x34: return 14;
        default: return 7;
        }
    }
    return 7;
}

} // namespace

tIbs::tIbs(QObject* Owner)
    : tCustomQelProt(Owner)
{
    FTimeOut = PollMs;
    connect(&FTimer, &qel::TTimer::timeout, this, &tIbs::Poll);
}

tIbs::~tIbs()
{
    FOnRspAvail = nullptr;
    FPending = false;
    FReopening = false;
    Close();
    QCoreApplication::removePostedEvents(this);
    FLib.Unload();
}

QString tIbs::GetVersion() const
{
    return QStringLiteral("Interbus - G4 Driver\r\nVersion: 1.40\r\nDate: 06.09.2002");
}

void tIbs::SetCardNo(int Value)
{
    if (Value >= 1 && Value <= 8)
        FCardNo = Value;
}

// ---------------------------------------------------------------- mailbox

bool tIbs::Send(int Code, const std::vector<uint16_t>& Params)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(4 + 2 * Params.size());
    auto put = [&](uint16_t w) {
        bytes.push_back(uint8_t(w >> 8));
        bytes.push_back(uint8_t(w));
    };
    put(uint16_t(Code));
    put(uint16_t(Params.size()));
    for (uint16_t w : Params)
        put(w);
    T_DDI_MXI_ACCESS d{};
    d.msgType = 0;
    d.msgLength = uint16_t(bytes.size());
    d.DDIUserID = 0;
    d.msgBlk = bytes.data();
    return FSndMessage(FMbx, &d) == 0;
}

int tIbs::Receive(TMsg& Msg)
{
    uint8_t buf[ImageSize];
    T_DDI_MXI_ACCESS d{};
    d.msgLength = ImageSize;
    d.msgBlk = buf;
    const int r = FRcvMessage(FMbx, &d);
    if (r != 0)
        return r;
    const int n = std::min<int>(d.msgLength, ImageSize);
    Msg.b.assign(buf, buf + n);
    FLastMsgCode = Msg.Code();
    return 0;
}

bool tIbs::Pause(int Ms)
{
    const std::shared_ptr<const bool> alive = AliveToken();
    QEventLoop loop;
    qel::TTimer::singleShot(Ms, &loop, [&loop] { loop.quit(); });
    loop.exec();
    return *alive;
}

bool tIbs::Exchange(int Code, const std::vector<uint16_t>& Params, int TimeoutMs, TMsg& Conf)
{
    const std::shared_ptr<const bool> alive = AliveToken();
    const bool outer = FMailboxBusy;
    FMailboxBusy = true;
    bool ok = Send(Code, Params);
    if (ok) {
        ok = false;
        qel::TStopwatch clock;
        for (;;) {
            TMsg m;
            const int r = Receive(m);
            if (r == 0 && m.Code() == (Code | 0x8000)) {
                Conf = m;
                ok = true;
                break;
            }
            if (r == 0)
                continue; // something else: read on
            if (clock.elapsed() >= TimeoutMs)
                break;
            if (!Pause(MailboxPollMs))
                return false;
        }
    }
    FMailboxBusy = outer;
    return ok;
}

bool tIbs::ExchangeOk(int Code, const std::vector<uint16_t>& Params, int TimeoutMs)
{
    TMsg conf;
    return Exchange(Code, Params, TimeoutMs, conf) && conf.Word(2) == 0;
}

bool tIbs::Connect(int Ref)
{
    TMsg conf;
    const std::shared_ptr<const bool> alive = AliveToken();
    FLastMsgCode = 0;
    bool ok = Exchange(0x008B, {uint16_t(Ref), 0}, ConnectMs, conf);
    if (!*alive)
        return false;
    if (!ok && FLastMsgCode == 0x488D)
        ok = Exchange(0x008B, {uint16_t(Ref), 0}, ConfirmMs, conf);
    return ok && conf.Word(3) == 0;
}

bool tIbs::ReadImage()
{
    T_DDI_DTI_ACCESS d{};
    d.length = ImageSize;
    d.address = 0;
    d.data = FInImage;
    if (FReadData(FData, &d) != 0)
        return false;
    swapWords(FInImage, ImageSize);
    return true;
}

bool tIbs::WriteImage()
{
    uint8_t wire[ImageSize];
    std::memcpy(wire, FOutImage, ImageSize);
    swapWords(wire, ImageSize);
    T_DDI_DTI_ACCESS d{};
    d.length = ImageSize;
    d.address = 0;
    d.data = wire;
    return FWriteData(FData, &d) == 0;
}

// ---------------------------------------------------------------- open/close

bool tIbs::BindLibrary()
{
    if (!FLib.Load(QStringLiteral("IBDDIWNT.DLL")))
        return false;
    const bool all = FLib.Bind("DDI_DevOpenNode", FOpenNode) && FLib.Bind("DDI_DevCloseNode", FCloseNode)
        && FLib.Bind("GetIBSDiagnostic", FDiagnostic) && FLib.Bind("DDI_MXI_SndMessage", FSndMessage)
        && FLib.Bind("DDI_MXI_RcvMessage", FRcvMessage) && FLib.Bind("DDI_DTI_ReadData", FReadData)
        && FLib.Bind("DDI_DTI_WriteData", FWriteData);
    if (!all)
        FLib.Unload();
    return all;
}

void tIbs::CloseNodes()
{
    if (FData)
        FCloseNode(FData);
    if (FMbx)
        FCloseNode(FMbx);
    FData = 0;
    FMbx = 0;
}

int tIbs::Open()
{
    if (FOpen)
        return QelResult::AlreadyOpen;
    if (!BindLibrary())
        return QelResult::OpenFailed;
    const std::shared_ptr<const bool> alive = AliveToken();
    const int r = OpenSteps();
    if (!*alive)
        return QelResult::OpenFailed;
    if (r != 0) {
        CloseNodes();
        FLib.Unload();
        return QelResult::OpenFailed;
    }
    FPending = false;
    FPollCount = 0;
    FRestart = false;
    FBusStopped = false;
    FTimer.start(PollMs);
    FOpen = true;
    return QelResult::Ok;
}

int tIbs::OpenSteps()
{
    const QByteArray digit = QByteArray::number(FCardNo);
    FMbx = 0;
    FData = 0;
    IBDDIHND h = 0;
    if (FOpenNode(("IBB" + digit + "N1_M").constData(), DDI_RW, &h) != 0)
        return -1;
    FMbx = h;
    if (FOpenNode(("IBB" + digit + "N1_D").constData(), DDI_RW, &h) != 0)
        return -1;
    FData = h;

    uint16_t diag = 0;
    if (FDiagnostic(FMbx, &diag) != 0 || !(diag & 0x80) || (diag & 0x10))
        return -1;
    if (!(diag & 0x20)) {
        if (!ExchangeOk(0x1303, {}, ConfirmMs) || !ExchangeOk(0x0710, {1}, ConfirmMs)
            || !ExchangeOk(0x0701, {}, ConfirmMs))
            return -1;
    }

    FDevs.fill(TDevice{});
    TMsg conf;
    if (!Exchange(0x0309, {1, 0, 0, 1}, ConfirmMs, conf) || conf.Word(2) != 0)
        return -1;
    FDevCount = conf.Word(7);
    FConfigWord = conf.Word(9);
    if (FDevCount == 0)
        return -1;

    int ref = 2;
    for (int g = 1; g <= FDevCount; ++g) {
        if (!Exchange(0x0309, {1, 3, uint16_t(g), 1}, ConfirmMs, conf) || conf.Word(2) != 0)
            return -1;
        if (g + 1 >= TableSize)
            continue; // the table ends at address 255
        TDevice& dev = FDevs[size_t(g + 1)];
        dev.DevNo = int16_t(conf.Word(8));
        const int len = (conf.Word(9) >> 8) * 2;
        dev.Length = uint8_t(len > 31 ? 0 : len);
        dev.IdCode = uint8_t(conf.Word(9));
        if (!isPcp(dev.IdCode) || ref > 0xFF)
            continue;
        Exchange(0x0264, {20, 1, uint16_t(ref), 128}, ConfirmMs, conf);
        if (!Connect(ref)) {
            dev.State = 2;
            continue;
        }
        dev.State = 1;
        // The vendor text: its length byte at 10, the letters from 11.
        if (Exchange(0x0087, {uint16_t(ref)}, ConfirmMs, conf) && conf.Word(3) == 0 && conf.Byte(10) >= 3
            && conf.Byte(11) == 'Q' && conf.Byte(12) == 'E' && conf.Byte(13) == 'L') {
            dev.CommRef = uint8_t(ref);
            ++ref;
        } else {
            dev.State = 2;
        }
    }

    // Process-data mapping.
    if (!Exchange(0x0327, {0, 1}, ConfirmMs, conf))
        return -1;
    const int count = conf.Word(5);
    if (!Exchange(0x0327, {uint16_t(conf.Word(4) + 1), uint16_t(count)}, ConfirmMs, conf) || conf.Word(2) != 0
        || conf.Word(5) != count)
        return -1;
    for (int i = 0; i < count; ++i) {
        const int w = 6 + 6 * i;
        if (w + 6 > conf.WordCount())
            break; // only as far as the message holds records
        auto fits = [](int ofs, int len) { return ofs >= 0 && ofs + std::max(len, 1) <= ImageSize; };
        if (conf.Word(w) < 0x4000) {
            for (int a = 0; a < TableSize; ++a) {
                TDevice& dev = FDevs[size_t(a)];
                if (dev.DevNo == conf.Word(w + 1) && dev.DevNo != -1) {
                    const int ofs = conf.Word(w + 3) - 0x1000;
                    dev.InOfs = fits(ofs, dev.Length) ? int16_t(ofs) : int16_t(-1);
                }
            }
        } else {
            for (int a = 0; a < TableSize; ++a) {
                TDevice& dev = FDevs[size_t(a)];
                if (dev.DevNo == conf.Word(w + 3) && dev.DevNo != -1) {
                    const int ofs = conf.Word(w + 1);
                    dev.OutOfs = fits(ofs, dev.Length) ? int16_t(ofs) : int16_t(-1);
                }
            }
        }
    }

    // Handshake devices announce themselves with 0 and "QE" in their inputs.
    std::memset(FOutImage, 0, ImageSize);
    for (int a = 0; a < TableSize; ++a) {
        TDevice& dev = FDevs[size_t(a)];
        if (dev.IdCode != 0xB3 || dev.Length != 4 || dev.InOfs < 0 || dev.OutOfs < 0)
            continue;
        std::memset(FOutImage + dev.OutOfs, 0, 4);
        if (!WriteImage())
            return -1;
        for (int i = 0; i < 5; ++i) {
            if (ReadImage()) {
                uint16_t w0, w1;
                std::memcpy(&w0, FInImage + dev.InOfs, 2);
                std::memcpy(&w1, FInImage + dev.InOfs + 2, 2);
                if (w0 == 0 && w1 == (('Q' << 8) | 'E')) {
                    dev.State = 4;
                    break;
                }
            }
            if (!Pause(100))
                return -1;
        }
    }
    return 0;
}

int tIbs::Close()
{
    if (!FOpen || FClosing)
        return QelResult::NotOpen;
    FClosing = true;
    if (FPending) {
        if (SyncActive()) {
            FRec.Status = QelResult::DriverClosed;
            FPending = false;
            SyncWake();
        } else {
            const std::shared_ptr<const bool> alive = AliveToken();
            while (FPending) {
                if (!Pause(10))
                    return QelResult::Ok;
            }
        }
    }
    FTimer.stop();
    CloseNodes();
    QCoreApplication::removePostedEvents(this, PollEvent);
    FOpen = false;
    FClosing = false;
    return QelResult::Ok;
}

// ------------------------------------------------------------------ requests

int tIbs::ReadParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(true, Addr, Service, Data);
}

int tIbs::WriteParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(false, Addr, Service, Data);
}

int tIbs::ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    if (FRestart && FOpen)
        Close();
    return tCustomQelProt::ReadPara(Addr, Service, Data, Rsp);
}

int tIbs::WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp)
{
    if (FRestart && FOpen)
        Close();
    return tCustomQelProt::WritePara(Addr, Service, Data, Rsp);
}

int tIbs::CheckRefused(bool IsRead, int Service, const TTelData& Data) const
{
    if (Service == QelService::Fieldbus) {
        const int func = Data.GetByte(0);
        if (func > fbControlBus)
            return QelResult::NotSupported;
        if (func == fbIdentify && !IsRead)
            return QelResult::NotSupported;
        if (func == fbVarAcc && !IsRead && Data.GetByte(5) > MaxVarBytes)
            return QelResult::NotSupported;
        return 0;
    }
    const bool servedByPoll = Service == 16 || Service == 17 || (!IsRead && (Service == 48 || Service == 49));
    if (Service == QelService::Plain || servedByPoll)
        return 0;
    uint8_t buf[BinCodec::TelBufferSize];
    return BinBuildTel(Service, 1, Data, !IsRead, buf) < 0 ? QelResult::NotSupported : 0;
}

int tIbs::Request(bool IsRead, int Addr, int Service, const TTelData& Data)
{
    if (FOpen && FRestart) {
        // The board asked for a restart: the driver closes.
        Close();
    }
    if (!FOpen || FClosing)
        return QelResult::DriverClosed;
    if (FPending || FReopening || SyncWaitingForIdle())
        return QelResult::DriverBusy;
    if (const int r = CheckRefused(IsRead, Service, Data))
        return r;

    const int addr = Addr & 0xFF;
    FRec = TRecTel{};
    FRec.InvAdr = Addr;
    FRec.Service = Service;
    FRec.IsRead = IsRead ? 1 : 0;
    FRec.IsReq = 0;
    FRec.Data = Data;
    FRec.Status = QelResult::Pending;
    FPollCount = 0;
    FHandshakeReq = false;
    FReqId = FReqId % MaxReqId + 1;
    FRec.ReqId = FReqId;
    FPending = true;
    QCoreApplication::postEvent(this, new QEvent(PollEvent));
    if (FBusStopped) {
        FPollCount = PollLimit;
        return FReqId;
    }

    const int func = Data.GetByte(0);
    const bool servedByPoll = (IsRead && (Service == 16 || Service == 17))
        || (!IsRead && (Service == 16 || Service == 17 || Service == 48 || Service == 49))
        || (Service == QelService::Fieldbus && (func == fbIbsBusInfo || func == fbControlBus));
    // A read of 48 or 49 is process data too.
    if (servedByPoll || Service == 48 || Service == 49) {
        FPollCount = PollLimit;
        return FReqId;
    }

    TDevice& dev = FDevs[size_t(addr)];
    if (dev.State == 0 || dev.State == 3) {
        const std::shared_ptr<const bool> alive = AliveToken();
        const bool ok = dev.CommRef != 0 && Connect(dev.CommRef);
        if (!*alive)
            return QelResult::DriverClosed;
        dev.State = ok ? 1 : 2;
    }
    if (dev.State == 2) {
        FPollCount = PollLimit;
        return FReqId;
    }

    const uint16_t head = uint16_t((FReqId << 8) | dev.CommRef);
    bool sent = false;
    if (Service == QelService::Plain && dev.State == 4) {
        uint16_t w0 = uint16_t(Data.ParAdr | (IsRead ? 0 : 0x8000));
        std::memcpy(FOutImage + dev.OutOfs, &w0, 2);
        if (!IsRead) {
            FValueWritten = Data.ParSet;
            std::memcpy(FOutImage + dev.OutOfs + 2, &FValueWritten, 2);
        }
        FHandshakeReq = true;
        sent = WriteImage();
    } else if (Service == QelService::Plain) {
        const uint16_t index = uint16_t(0x2000 + Data.ParAdr);
        sent = IsRead ? Send(0x0081, {head, index, 0}) : Send(0x0082, {head, index, 2, Data.ParSet});
    } else if (Service == QelService::Fieldbus && func == fbVarAcc) {
        const uint16_t index = Data.GetU16(2);
        if (IsRead) {
            sent = Send(0x0081, {head, index, uint16_t(Data.GetByte(4) << 8)});
        } else {
            std::vector<uint16_t> p{head, index};
            const int len = Data.GetByte(5);
            const int words = (len + 1) / 2 + 1;
            for (int i = 0; i < words; ++i)
                p.push_back(uint16_t((Data.GetByte(4 + 2 * i) << 8) | Data.GetByte(5 + 2 * i)));
            sent = Send(0x0082, p);
        }
    } else if (Service == QelService::Fieldbus && func == fbIdentify) {
        sent = Send(0x0087, {head});
    } else {
        uint8_t tel[BinCodec::TelBufferSize] = {};
        const int len = BinBuildTel(Service, FReqId, Data, !IsRead, tel);
        std::vector<uint16_t> p{dev.CommRef, uint16_t(TelegramIndex), uint16_t(len)};
        for (int i = 0; i < len; i += 2)
            p.push_back(uint16_t((tel[i] << 8) | (i + 1 < len ? tel[i + 1] : 0)));
        sent = Send(0x0885, p);
    }
    if (!sent) {
        FPending = false;
        FHandshakeReq = false;
        QCoreApplication::removePostedEvents(this, PollEvent);
        return QelResult::OpenFailed;
    }
    return FReqId;
}

// ------------------------------------------------------------------- polling

bool tIbs::event(QEvent* e)
{
    if (e->type() == PollEvent) {
        Poll();
        return true;
    }
    if (e->type() == AnswerEvent) {
        RaiseRspAvail(static_cast<TCardAnswerEvent*>(e)->Rec); // may free the driver
        return true;
    }
    if (e->type() == ReopenEvent) {
        Reopen();
        return true;
    }
    return tCustomQelProt::event(e);
}

int tIbs::SyncEvaluate(TRecTel& Rsp)
{
    // The poll (timer and immediate-poll event) does the work and wakes us.
    if (FPending || FReopening) {
        Rsp = FRec;
        return QelResult::Pending;
    }
    if (FRec.Status == QelResult::Pending)
        FRec.Status = QelResult::DriverClosed;
    Rsp = FRec;
    return FRec.Status;
}

void tIbs::Poll()
{
    if (FMailboxBusy || !FOpen)
        return;
    TMsg m;
    const int r = Receive(m);
    if (r == 0) {
        Evaluate(m);
    } else if (FPending) {
        if (FPollCount < PollLimit)
            CheckHandshake();
        else
            EndByPoll();
    }
    ++FPollCount;
    if (SyncActive())
        SyncWake();
}

void tIbs::Evaluate(const TMsg& m)
{
    switch (m.Code()) {
    case 0x6342:
        FRestart = true;
        return;
    case 0x488D: {
        const int ref = m.Word(2) & 0x3F;
        for (TDevice& dev : FDevs)
            if (dev.CommRef == ref && ref != 0)
                dev.State = 3;
        return;
    }
    case 0x4885: {
        if (!FPending || m.Word(3) != TelegramIndex)
            return;
        const int len = m.Word(4) & 0xFF;
        if (10 + len > int(m.b.size()))
            return;
        TRecTel dec = FRec;
        if (BinDecodeTel(dec, len, m.b.data() + 10) == 0 && dec.Service == (FRec.Service & BinCodec::ServiceMask)
            && dec.IsRead == FRec.IsRead && dec.IsReq == 0 && dec.ReqId == FReqId) {
            dec.Service = FRec.Service;
            dec.InvAdr = FRec.InvAdr;
            FRec = dec;
            Complete(dec.Status);
        }
        return;
    }
    case 0x8081:
    case 0x8082:
    case 0x8087:
        EvaluatePcp(m);
        return;
    default:
        return;
    }
}

void tIbs::EvaluatePcp(const TMsg& m)
{
    if (!FPending)
        return;
    const int reqId = m.Byte(4);
    const bool isRead = m.Byte(1) != 0x82;
    if (reqId != FReqId || isRead != (FRec.IsRead != 0))
        return;
    const int cls = m.Byte(6);
    if (cls != 0) {
        Complete(pcpResult(cls, m.Byte(7), m.Byte(9)));
        return;
    }
    if (isRead && FRec.Service == QelService::Plain) {
        const int n = m.Byte(9);
        uint32_t v = 0;
        if (n == 1 || n == 2 || n == 4)
            for (int i = 0; i < n; ++i)
                v = (v << 8) | uint32_t(m.Byte(10 + i));
        FRec.Data.SetU16(2, uint16_t(v));
    } else if (isRead && FRec.Service == QelService::Fieldbus && FRec.Data.GetByte(0) == fbVarAcc) {
        const int n = std::min(m.Byte(9), 63);
        FRec.Data.SetByte(5, uint8_t(n));
        for (int i = 0; i < n; ++i)
            FRec.Data.SetByte(6 + i, uint8_t(m.Byte(10 + i)));
    } else if (isRead && FRec.Service == QelService::Fieldbus && FRec.Data.GetByte(0) == fbIdentify) {
        // Three texts with a length byte each, joined by carriage returns.
        const int total = m.Byte(9);
        int pos = 10;
        QByteArray joined;
        for (int t = 0; t < 3 && pos < 10 + total; ++t) {
            const int len = m.Byte(pos);
            if (t > 0)
                joined.append('\r');
            for (int i = 0; i < len && pos + 1 + i < 10 + total; ++i)
                joined.append(char(m.Byte(pos + 1 + i)));
            pos += 1 + len;
        }
        joined.truncate(63);
        FRec.Data.SetByte(5, uint8_t(joined.size()));
        for (int i = 0; i < joined.size(); ++i)
            FRec.Data.SetByte(6 + i, uint8_t(joined[i]));
    }
    Complete(QelResult::Ok);
}

void tIbs::CheckHandshake()
{
    if (!FHandshakeReq)
        return;
    const TDevice& dev = FDevs[size_t(FRec.InvAdr & 0xFF)];
    if (dev.State != 4 || !ReadImage())
        return;
    uint16_t w0, w1;
    std::memcpy(&w0, FInImage + dev.InOfs, 2);
    std::memcpy(&w1, FInImage + dev.InOfs + 2, 2);
    if ((w0 & 0x7FFF) != (FRec.Data.ParAdr & 0x7FFF))
        return;
    if (w0 & 0x8000) {
        Complete(w1 & 0xFF);
        return;
    }
    if (FRec.IsRead) {
        FRec.Data.SetU16(2, w1);
        Complete(QelResult::Ok);
    } else if (w1 == FValueWritten) {
        Complete(QelResult::Ok);
    }
}

void tIbs::EndByPoll()
{
    const int service = FRec.Service;
    const bool read = FRec.IsRead != 0;
    const int func = FRec.Data.GetByte(0);
    const int index = FRec.Data.GetU16(2);
    const int sub = FRec.Data.GetByte(4);
    TTelData& d = FRec.Data;
    const TDevice& dev = FDevs[size_t(FRec.InvAdr & 0xFF)];

    if (service == QelService::Fieldbus && func == fbIbsBusInfo) {
        if (!read) {
            Complete(7);
            return;
        }
        if (index == 0 && sub == 0) {
            d.SetByte(5, 4);
            d.SetByte(6, uint8_t(FDevCount >> 8));
            d.SetByte(7, uint8_t(FDevCount));
            d.SetByte(8, uint8_t(FConfigWord >> 8));
            d.SetByte(9, uint8_t(FConfigWord));
            Complete(0);
        } else if (index == 0 && sub == 1) {
            TMsg conf;
            const std::shared_ptr<const bool> alive = AliveToken();
            const bool ok = Exchange(0x032B, {2, 1, 4}, ConfirmMs, conf);
            if (!*alive)
                return;
            if (!ok || conf.Word(2) != 0) {
                Complete(3);
                return;
            }
            d.SetByte(5, 24);
            for (int i = 0; i < 24; ++i)
                d.SetByte(6 + i, uint8_t(conf.Byte(6 + i)));
            Complete(0);
        } else if (index == 1 && sub < TableSize) {
            const TDevice& e = FDevs[size_t(sub)];
            const uint8_t bytes[9] = {uint8_t(uint16_t(e.DevNo) >> 8), uint8_t(e.DevNo), e.Length, e.IdCode,
                                      uint8_t(uint16_t(e.InOfs) >> 8), uint8_t(e.InOfs),
                                      uint8_t(uint16_t(e.OutOfs) >> 8), uint8_t(e.OutOfs), e.CommRef};
            d.SetByte(5, 9);
            for (int i = 0; i < 9; ++i)
                d.SetByte(6 + i, bytes[i]);
            Complete(0);
        } else {
            Complete(13);
        }
        return;
    }
    if (service == QelService::Fieldbus && func == fbControlBus) {
        if (read) {
            Complete(7);
            return;
        }
        const std::shared_ptr<const bool> alive = AliveToken();
        bool ok = false;
        switch (index) {
        case 0:
            ok = ExchangeOk(0x0702, {0}, ConfirmMs);
            if (!*alive)
                return;
            if (ok)
                FBusStopped = true;
            break;
        case 1:
            ok = ExchangeOk(0x0701, {}, ConfirmMs);
            if (!*alive)
                return;
            if (ok)
                FBusStopped = false;
            break;
        case 2:
            ok = ExchangeOk(0x1303, {}, ConfirmMs);
            if (!*alive)
                return;
            if (ok)
                FBusStopped = true;
            break;
        case 3:
            // Closing here would wait for this very request: it is taken
            // off the driver and the close and open run from the event loop.
            FPending = false;
            FReopening = true;
            QCoreApplication::postEvent(this, new QEvent(ReopenEvent));
            return;
        default:
            Complete(13);
            return;
        }
        Complete(ok ? 0 : 3);
        return;
    }
    const bool pd = service == 16 || service == 17 || service == 48 || service == 49;
    if (pd) {
        if (!read) {
            if (dev.OutOfs >= 0 && dev.Length > 0) {
                std::memcpy(FOutImage + dev.OutOfs, d.Bytes(), std::min<size_t>(dev.Length, TTelData::Size));
                WriteImage();
            }
        }
        if (read || service == 48 || service == 49) {
            std::memset(d.Bytes(), 0, 8);
            if (dev.InOfs >= 0 && dev.Length > 0 && ReadImage())
                std::memcpy(d.Bytes(), FInImage + dev.InOfs, std::min<size_t>(dev.Length, 8));
        }
        Complete(0);
        return;
    }
    Complete(QelResult::NoAnswer);
}

void tIbs::Complete(int Status)
{
    if (!FPending)
        return;
    FPending = false;
    FHandshakeReq = false;
    FRec.Status = Status;
    SyncWake();
    if (!SyncActive())
        QCoreApplication::postEvent(this, new TCardAnswerEvent(AnswerEvent, FRec));
}

void tIbs::Reopen()
{
    const std::shared_ptr<const bool> alive = AliveToken();
    Close();
    if (!*alive)
        return;
    const int r = Open();
    if (!*alive)
        return;
    FReopening = false;
    FRec.Status = r == 0 ? 0 : 3;
    SyncWake();
    if (!SyncActive())
        QCoreApplication::postEvent(this, new TCardAnswerEvent(AnswerEvent, FRec));
}
