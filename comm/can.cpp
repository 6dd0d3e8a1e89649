#include "comm/can.h"

#include "comm/card_driver_support.h"
#include "comm/nested_wait.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cstring>

namespace {

constexpr int WaitBackstopMs = 20;

bool okStatus(NCTYPE_STATUS s) { return s >= 0; }

} // namespace

TCan::TCan(QObject* Owner)
    : tCustomQelProt(Owner)
{
    FTimeOut = 200;
    connect(&FTimer, &qel::TTimer::timeout, this, &TCan::OnTimer);
    FSyncPoll.setSingleShot(true);
    connect(&FSyncPoll, &qel::TTimer::timeout, this, [this] { SyncWake(); });
}

TCan::~TCan()
{
    FOnRspAvail = nullptr;
    // Nobody waits for an outstanding request when the driver goes away.
    FPending = false;
    FHolding = false;
    Close();
    QCoreApplication::removePostedEvents(this);
    FLib.Unload();
}

QString TCan::GetVersion() const
{
    return QStringLiteral("CAN Driver\r\nVersion: 1.3\r\nDate: 06.09.2002");
}

void TCan::SetCardID(const QString& Value)
{
    if (!FOpen)
        FCardId = Value;
}

void TCan::SetBaudRate(TCanBaudRate Value)
{
    if (!FOpen)
        FBaudRate = Value;
}

void TCan::SetWaitTout(bool Value)
{
    if (!FOpen)
        FWaitTout = Value;
}

NCTYPE_STATE TCan::NotifyCallback(NCTYPE_OBJH ObjHandle, NCTYPE_STATE State, NCTYPE_STATUS, void* RefData)
{
    // Library thread: note the object and wake the GUI thread, nothing
    // else. The driver cancels every notification before it goes away, so
    // RefData is alive here.
    if ((State & NC_ST_READ_AVAIL) && RefData) {
        auto* drv = static_cast<TCan*>(RefData);
        {
            std::lock_guard lock(drv->FNotifyMutex);
            drv->FNotified.push_back(ObjHandle);
        }
        drv->FWake.Signal();
    }
    return NC_ST_READ_AVAIL;
}

// ---------------------------------------------------------------- open/close

bool TCan::BindLibrary()
{
    if (!FLib.Load(QStringLiteral("nican.DLL")))
        return false;
    const bool all = FLib.Bind("ncConfig", FConfig) && FLib.Bind("ncOpenObject", FOpenObject)
        && FLib.Bind("ncCloseObject", FCloseObject) && FLib.Bind("ncRead", FRead) && FLib.Bind("ncWrite", FWrite)
        && FLib.Bind("ncGetAttribute", FGetAttribute) && FLib.Bind("ncAction", FAction)
        && FLib.Bind("ncCreateNotification", FCreateNotification) && FLib.Bind("ncReset", FReset);
    if (!all)
        FLib.Unload();
    return all;
}

int TCan::Open()
{
    if (FOpen)
        return QelResult::AlreadyOpen;
    if (!BindLibrary())
        return QelResult::OpenFailed;
    const QByteArray name = FCardId.toLatin1();
    const NCTYPE_ATTRID ids[8] = {NC_ATTR_BAUD_RATE, NC_ATTR_START_ON_OPEN, NC_ATTR_READ_Q_LEN, NC_ATTR_WRITE_Q_LEN,
                                  NC_ATTR_COMP_STD,  NC_ATTR_COMP_XTD,      NC_ATTR_MASK_STD,   NC_ATTR_MASK_XTD};
    const uint32_t values[8] = {uint32_t(CanBaudRateBits(FBaudRate)), 1, 10, 10, 0xCFFFFFFF, 0xCFFFFFFF, 0, 0};
    bool opened = false;
    for (int attempt = 0; attempt < OpenAttempts && !opened; ++attempt) {
        if (!okStatus(FConfig(name.constData(), 8, ids, values)))
            continue;
        FIntf = 0;
        opened = okStatus(FOpenObject(name.constData(), &FIntf));
    }
    if (!opened) {
        FLib.Unload();
        return QelResult::OpenFailed;
    }
    FObjects.clear();
    TCanObject tel;
    if (!OpenRecvObject(TelegramId, tel)) {
        // Every receive object falls back to the telegram object: without
        // it the driver cannot work.
        FCloseObject(FIntf);
        FIntf = 0;
        FLib.Unload();
        return QelResult::OpenFailed;
    }
    FObjects.push_back(tel);
    FErrCnt = 0;
    FPending = false;
    FHolding = false;
    FOpen = true;
    return QelResult::Ok;
}

bool TCan::WaitIdle()
{
    return RunNestedWait(FWaitLoop, AliveToken(), WaitBackstopMs, [this] { return !FPending; });
}

int TCan::Close()
{
    if (!FOpen || FClosing)
        return QelResult::NotOpen;
    FClosing = true;
    FOpen = false;
    if (FPending) {
        if (SyncActive()) {
            // The request is the synchronous exchange's own, suspended below
            // us: it ends now.
            FRec.Status = QelResult::DriverClosed;
            FPending = false;
            FHolding = false;
            SyncWake();
        } else if (!WaitIdle()) {
            return QelResult::Ok;
        }
    }
    FTimer.stop();
    FSyncPoll.stop();
    ReleaseObjects();
    if (FIntf) {
        FCreateNotification(FIntf, 0, 0, nullptr, nullptr);
        FCloseObject(FIntf);
        FIntf = 0;
    }
    {
        std::lock_guard lock(FNotifyMutex);
        FNotified.clear();
    }
    FWake.Cancel();
    FClosing = false;
    return QelResult::Ok;
}

void TCan::ReleaseObjects()
{
    while (!FObjects.empty())
        CloseRecvObject(FObjects.size() - 1);
}

// ---------------------------------------------------------- receive objects

void TCan::Arm(NCTYPE_OBJH Handle)
{
    FCreateNotification(Handle, NC_ST_READ_AVAIL, -1, this, &TCan::NotifyCallback);
}

void TCan::Disarm(NCTYPE_OBJH Handle)
{
    FCreateNotification(Handle, 0, 0, nullptr, nullptr);
}

bool TCan::OpenRecvObject(int CobId, TCanObject& Obj)
{
    const QByteArray name = FCardId.toLatin1() + "::STD" + QByteArray::number(CobId);
    const NCTYPE_ATTRID ids[3] = {NC_ATTR_COMM_TYPE, NC_ATTR_READ_Q_LEN, NC_ATTR_RX_DATA_LEN};
    const uint32_t values[3] = {0, 10, 8};
    if (!okStatus(FConfig(name.constData(), 3, ids, values)))
        return false;
    NCTYPE_OBJH h = 0;
    if (!okStatus(FOpenObject(name.constData(), &h)))
        return false;
    Obj.Key = CobId - 0x581;
    Obj.CobId = CobId;
    Obj.Handle = h;
    if (!okStatus(FCreateNotification(h, NC_ST_READ_AVAIL, -1, this, &TCan::NotifyCallback))) {
        FCloseObject(h);
        return false;
    }
    return true;
}

void TCan::CloseRecvObject(size_t Index)
{
    const NCTYPE_OBJH h = FObjects[Index].Handle;
    // The notification goes first: no callback names a closed handle.
    Disarm(h);
    FCloseObject(h);
    FObjects.erase(FObjects.begin() + std::ptrdiff_t(Index));
}

int TCan::RecvObject(int CobId)
{
    for (size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].CobId == CobId)
            return int(i);
    TCanObject obj;
    if (!OpenRecvObject(CobId, obj))
        return 0;
    FObjects.push_back(obj);
    return int(FObjects.size()) - 1;
}

int TCan::FindObject(NCTYPE_OBJH Handle) const
{
    for (size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].Handle == Handle)
            return int(i);
    return -1;
}

void TCan::DropWaiting(NCTYPE_OBJH Handle)
{
    NCTYPE_CAN_DATA_TIMED buf;
    for (int i = 0; i < 64; ++i) {
        const NCTYPE_STATUS s = FRead(Handle, sizeof buf, &buf);
        if (s < 0 || s == NC_WARN_OLD_DATA)
            return;
    }
}

// ------------------------------------------------------------------ requests

int TCan::ReadParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(true, Addr, Service, Data);
}

int TCan::WriteParaReq(int Addr, int Service, const TTelData& Data)
{
    return Request(false, Addr, Service, Data);
}

int TCan::BuildRequest(bool IsRead, int Service, const TTelData& Data, int& CobId)
{
    const int n = FNode;
    std::memset(&FFrame, 0, sizeof FFrame);
    FFrame.DataLength = 8;
    FSecondRemote = false;
    FPhase = TPhase::Plain;
    FExpectAnswer = true;
    CobId = TelegramId;
    const int func = Data.GetByte(0);

    auto sdo = [&](uint8_t cmd, uint16_t index, uint16_t sub) {
        FPhase = TPhase::Sdo;
        FFrame.ArbitrationId = uint32_t(0x600 + n);
        FFrame.Data[0] = cmd;
        FSdoIndex = index;
        FSdoSub = sub;
        CobId = 0x580 + n;
    };
    auto remote = [&](int id) {
        FFrame.ArbitrationId = uint32_t(id);
        FFrame.IsRemote = 1;
        FFrame.DataLength = 0;
        CobId = id;
    };
    auto telegram = [&]() -> int {
        uint8_t buf[BinCodec::TelBufferSize];
        const int len = BinBuildTel(Service, FReqId, Data, !IsRead, buf);
        if (len < 0 || len > MaxOutTel)
            return QelResult::NotSupported;
        std::memcpy(FOut, buf, size_t(len));
        FOutLen = len;
        FSendPos = 0;
        FInLen = 0;
        FPhase = TPhase::Segments;
        FSdoIndex = uint16_t(n << 8);
        FSdoSub = uint16_t((len - 1) / 4);
        FCountSet = true;
        FFrame.ArbitrationId = TelegramId;
        CobId = TelegramId;
        return 0;
    };

    if (IsRead) {
        switch (Service) {
        case QelService::Plain:
            sdo(0x40, uint16_t(0x2000 + Data.ParAdr), 0);
            FLenWritten = 2;
            return 0;
        case QelService::Fieldbus:
            if (func == fbVarAcc) {
                sdo(0x40, Data.GetU16(2), Data.GetByte(4));
                FLenWritten = std::min<int>(Data.GetByte(5), 4);
                return 0;
            }
            if (func == fbCanBusInfo) {
                remote(0x700 + n);
                return 0;
            }
            return QelResult::NotSupported;
        case QelService::ProcData32:
        case QelService::ProcData16:
            remote(0x180 + n);
            return 0;
        default:
            return telegram();
        }
    }
    switch (Service) {
    case QelService::Plain:
        sdo(0x2B, uint16_t(0x2000 + Data.ParAdr), 0);
        FValueWritten = Data.ParSet;
        FLenWritten = 2;
        FFrame.Data[4] = uint8_t(Data.ParSet);
        FFrame.Data[5] = uint8_t(Data.ParSet >> 8);
        return 0;
    case QelService::Fieldbus:
        if (func == fbVarAcc) {
            const int len = std::min<int>(Data.GetByte(5), 4);
            if (len != 1 && len != 2 && len != 4)
                return QelResult::NotSupported;
            uint32_t v = 0;
            for (int i = 0; i < len; ++i)
                v = (v << 8) | Data.GetByte(6 + i);
            sdo(uint8_t(0x23 + 4 * (4 - len)), Data.GetU16(2), Data.GetByte(4));
            FValueWritten = v;
            FLenWritten = len;
            for (int i = 0; i < 4; ++i)
                FFrame.Data[4 + i] = uint8_t(v >> (8 * i));
            return 0;
        }
        if (func == fbControlBus && Data.GetU16(2) == 4) {
            FFrame.ArbitrationId = 0;
            FFrame.DataLength = 2;
            FFrame.Data[0] = Data.GetByte(6);
            FFrame.Data[1] = uint8_t(n);
            FExpectAnswer = false;
            return 0;
        }
        return QelResult::NotSupported;
    case QelService::ProcData32:
    case QelService::ProcData16:
        FFrame.ArbitrationId = uint32_t(0x200 + n);
        std::memcpy(FFrame.Data, Data.Bytes(), 8);
        FExpectAnswer = false;
        return 0;
    case QelService::ProcData32RW:
    case QelService::ProcData16RW:
        FFrame.ArbitrationId = uint32_t(0x200 + n);
        std::memcpy(FFrame.Data, Data.Bytes(), 8);
        FSecondRemote = true;
        CobId = 0x180 + n;
        return 0;
    default:
        return telegram();
    }
}

int TCan::Request(bool IsRead, int Addr, int Service, const TTelData& Data)
{
    if (!FOpen)
        return QelResult::DriverClosed;
    if (FPending || SyncWaitingForIdle())
        return QelResult::DriverBusy;
    const int nextId = FReqId % MaxReqId + 1;
    const int savedId = FReqId;
    FReqId = nextId;
    FAddr = Addr;
    FNode = Addr + 1;
    int cobId = TelegramId;
    const int r = BuildRequest(IsRead, Service, Data, cobId);
    if (r < 0) {
        FReqId = savedId;
        return r;
    }
    const int obj = RecvObject(cobId);
    FReqObj = FObjects[size_t(obj)].Handle;
    DropWaiting(FReqObj);

    FRec = TRecTel{};
    FRec.ReqId = FReqId;
    FRec.InvAdr = Addr;
    FRec.Service = Service;
    FRec.IsRead = IsRead ? 1 : 0;
    FRec.IsReq = 0;
    FRec.Data = Data;
    FRec.Status = QelResult::Pending;
    FService = Service;
    FIsRead = IsRead;
    FPending = true;
    FHolding = false;
    FTimedOut = false;
    if (!FExpectAnswer && Service == QelService::Fieldbus) {
        // A bus command is not answered: its result is known now and
        // delivered at the time-out.
        FHolding = true;
        FHeldStatus = QelResult::Ok;
    }
    SendFrame();
    return FReqId;
}

void TCan::WriteFrame(const NCTYPE_CAN_FRAME& Frame)
{
    if (FAddr >= 128)
        return; // nodes above 127 do not exist on the bus
    if (FWrite(FIntf, sizeof Frame, &Frame) < 0)
        ++FErrCnt;
}

void TCan::SendFrame()
{
    if (!FPending)
        return;
    if (FPhase == TPhase::Sdo || FPhase == TPhase::Segments || FPhase == TPhase::Answer) {
        FFrame.Data[1] = uint8_t(FSdoIndex);
        FFrame.Data[2] = uint8_t(FSdoIndex >> 8);
        FFrame.Data[3] = uint8_t(FSdoSub);
    }
    if (FPhase == TPhase::Segments) {
        const int left = FOutLen - FSendPos;
        FFrame.Data[0] = left > 4 ? 0x23 : uint8_t(0x23 + 4 * (4 - left));
        for (int i = 0; i < 4; ++i) {
            const int p = FSendPos + i;
            FFrame.Data[4 + i] = p < FOutLen ? FOut[p] : 0;
        }
        FSendPos += 4;
    }
    WriteFrame(FFrame);
    if (FSecondRemote) {
        NCTYPE_CAN_FRAME rtr{};
        rtr.ArbitrationId = uint32_t(0x180 + FNode);
        rtr.IsRemote = 1;
        WriteFrame(rtr);
    }
    FTimedOut = false;
    FTimer.start(std::max(FTimeOut, 1));
    if (!SyncActive())
        Arm(FReqObj);
}

void TCan::SendAck(const uint8_t* Frame)
{
    NCTYPE_CAN_FRAME ack{};
    ack.ArbitrationId = TelegramId;
    ack.DataLength = 8;
    ack.Data[0] = 0x60;
    ack.Data[1] = 3;
    ack.Data[2] = uint8_t(FNode);
    ack.Data[3] = Frame[3];
    std::memcpy(ack.Data + 4, Frame + 4, 4);
    WriteFrame(ack);
    FTimedOut = false;
    FTimer.start(std::max(FTimeOut, 1));
}

// --------------------------------------------------------------- evaluation

void TCan::FramesNotified()
{
    std::vector<NCTYPE_OBJH> handles;
    {
        std::lock_guard lock(FNotifyMutex);
        handles.swap(FNotified);
    }
    // A synchronous exchange polls its object itself.
    for (NCTYPE_OBJH h : handles)
        if (!SyncActive())
            Evaluate(h);
}

bool TCan::event(QEvent* e)
{
    if (e->type() == AnswerEvent) {
        RaiseRspAvail(static_cast<TCardAnswerEvent*>(e)->Rec); // may free the driver
        return true;
    }
    return tCustomQelProt::event(e);
}

void TCan::OnTimer()
{
    FTimedOut = true;
    if (SyncActive()) {
        SyncWake();
        return;
    }
    Evaluate();
}

int TCan::SyncEvaluate(TRecTel& Rsp)
{
    int status = Evaluate();
    if (!FPending) {
        status = FRec.Status == QelResult::Pending ? QelResult::DriverClosed : FRec.Status;
        FRec.Status = status;
    }
    Rsp = FRec;
    if (status == QelResult::Pending)
        FSyncPoll.start(SyncPollMs);
    return status;
}

bool TCan::SdoIndexMatches(const uint8_t* f) const
{
    return f[1] == uint8_t(FSdoIndex) && f[2] == uint8_t(FSdoIndex >> 8) && f[3] == uint8_t(FSdoSub);
}

int TCan::AbortResult(const uint8_t* f) const
{
    const uint8_t b7 = f[7], b6 = f[6], b4 = f[4];
    if (b7 == 6) {
        switch (b6) {
        case 1: return b4 == 0x10 ? 8 : (b4 == 0x11 ? 14 : 4);
        case 2: return 2;
        case 4: return b4 == 0 ? 13 : 3;
        case 6: return 1;
        case 7: return 3;
        case 9: return b4 == 0x12 ? 12 : (b4 == 0x30 ? 3 : 11);
        default: return 7;
        }
    }
    if (b7 == 8)
        return b4 == 0x22 ? 6 : (b4 == 0x37 ? 15 : 3);
    return 7;
}

bool TCan::Judge(const uint8_t* f)
{
    const uint8_t cmd = f[0];
    if (FService == QelService::Fieldbus && FIsRead && FRec.Data.GetByte(0) == fbCanBusInfo) {
        FRec.Data.SetByte(5, 1);
        FRec.Data.SetByte(6, cmd);
        Complete(QelResult::Ok);
        return true;
    }
    const bool pdRead = (FIsRead && (FService == 16 || FService == 17)) || FService == 48 || FService == 49;
    if (pdRead) {
        std::memcpy(FRec.Data.Bytes(), f, 8);
        Complete(QelResult::Ok);
        return true;
    }
    if (FPhase == TPhase::Sdo) {
        if (!SdoIndexMatches(f))
            return false;
        if (cmd == 0x80) {
            Complete(AbortResult(f));
            return true;
        }
        if (FIsRead ? (cmd < 0x40 || cmd > 0x4F) : (cmd < 0x60 || cmd > 0x6F))
            return false;
        const int len = (cmd & 1) ? 4 - ((cmd >> 2) & 3) : FLenWritten;
        uint32_t v = 0;
        for (int i = 0; i < len; ++i)
            v |= uint32_t(f[4 + i]) << (8 * i);
        if (!FIsRead) {
            // The inverter echoes what it took.
            if (v != FValueWritten)
                return false;
        } else if (FService == QelService::Plain) {
            FRec.Data.SetU16(2, uint16_t(v));
        } else {
            FRec.Data.SetByte(5, uint8_t(len));
            for (int i = 0; i < len; ++i)
                FRec.Data.SetByte(6 + i, uint8_t(v >> (8 * (len - 1 - i))));
        }
        Complete(QelResult::Ok);
        return true;
    }
    if (FPhase == TPhase::Segments || FPhase == TPhase::Answer) {
        const bool answer = FPhase == TPhase::Answer;
        if (f[2] != uint8_t(FNode))
            return false;
        if (cmd == 0x80) {
            if (f[1] != (answer ? 1 : 2) || (FCountSet && f[3] != uint8_t(FSdoSub)))
                return false;
            Complete(AbortResult(f));
            return true;
        }
        if (!answer) {
            if (cmd < 0x60 || cmd > 0x6F || f[1] != 2 || f[3] != uint8_t(FSdoSub))
                return false;
            if (FSdoSub > 0) {
                --FSdoSub;
                SendFrame();
                return false;
            }
            FPhase = TPhase::Answer;
            FSdoIndex = uint16_t((FNode << 8) + 3);
            FCountSet = false;
            FInLen = 0;
            return false;
        }
        if (cmd < 0x20 || cmd > 0x2F || f[1] != 1)
            return false;
        if (FCountSet && f[3] != uint8_t(FSdoSub))
            return false;
        if (!FCountSet) {
            FSdoSub = f[3];
            FCountSet = true;
        }
        const int n = (cmd & 1) ? 4 - ((cmd >> 2) & 3) : 4;
        if (FInLen + n <= MaxInTel) {
            std::memcpy(FIn + FInLen, f + 4, size_t(n));
            FInLen += n;
        }
        SendAck(f);
        if (FSdoSub > 0) {
            --FSdoSub;
            return false;
        }
        TRecTel dec = FRec;
        if (BinDecodeTel(dec, FInLen, FIn) == 0 && dec.Service == (FService & BinCodec::ServiceMask)
            && dec.ReqId == FReqId && dec.IsRead == (FIsRead ? 1 : 0) && dec.IsReq == 0) {
            dec.ReqId = FReqId;
            dec.Service = FService;
            dec.InvAdr = FAddr;
            FRec = dec;
            Complete(dec.Status);
            return true;
        }
        return false;
    }
    return false;
}

void TCan::Complete(int Status)
{
    if (FWaitTout && !FHolding) {
        FHolding = true;
        FHeldStatus = Status;
        FRec.Status = QelResult::Pending;
        return;
    }
    FTimer.stop();
    FSyncPoll.stop();
    FPending = false;
    FHolding = false;
    FRec.Status = Status;
    SyncWake();
    if (FWaitLoop)
        FWaitLoop->quit();
    if (!SyncActive())
        QCoreApplication::postEvent(this, new TCardAnswerEvent(AnswerEvent, FRec));
}

void TCan::EndHeldOrTimedOut()
{
    const bool pdWrite = !FIsRead && (FService == 16 || FService == 17);
    int status = QelResult::NoAnswer;
    if (FHolding)
        status = FHeldStatus;
    else if (pdWrite)
        status = QelResult::Ok;
    const NCTYPE_OBJH obj = FReqObj;
    FHolding = false;
    FTimer.stop();
    FSyncPoll.stop();
    FPending = false;
    FRec.Status = status;
    if (SyncActive()) {
        // A synchronous exchange gives up its receive object after the
        // time-out; the telegram object stays.
        const int i = FindObject(obj);
        if (i > 0)
            CloseRecvObject(size_t(i));
    }
    SyncWake();
    if (FWaitLoop)
        FWaitLoop->quit();
    if (!SyncActive())
        QCoreApplication::postEvent(this, new TCardAnswerEvent(AnswerEvent, FRec));
}

int TCan::Evaluate(NCTYPE_OBJH Named)
{
    if (!FPending || FBusy)
        return FPending ? QelResult::Pending : FRec.Status;
    FBusy = true;
    struct Guard {
        bool& b;
        ~Guard() { b = false; }
    } guard{FBusy};

    if (Named != 0 && Named != FReqObj) {
        // Another object's frame is of no use now; one that is no longer
        // open is not touched.
        if (FindObject(Named) >= 0) {
            NCTYPE_CAN_DATA_TIMED buf;
            FRead(Named, sizeof buf, &buf);
        }
    }
    if (!FHolding && FindObject(FReqObj) >= 0) {
        for (int guardCount = 0; guardCount < 256 && FPending && !FHolding; ++guardCount) {
            NCTYPE_STATE state = 0;
            FGetAttribute(FReqObj, NC_ATTR_STATE, sizeof state, &state);
            if (state & NC_ST_ERROR) {
                if (++FErrCnt > MaxErrors) {
                    FAction(FIntf, NC_OP_RESET, 0);
                    FAction(FIntf, NC_OP_START, 0);
                    FErrCnt = 0;
                }
            }
            if (!(state & NC_ST_READ_AVAIL))
                break;
            NCTYPE_CAN_DATA_TIMED buf;
            const NCTYPE_STATUS s = FRead(FReqObj, sizeof buf, &buf);
            if (s < 0 || s == NC_WARN_OLD_DATA)
                break;
            if (Judge(buf.Data))
                break;
        }
    }
    if (!FPending)
        return FRec.Status;
    if (FTimedOut) {
        EndHeldOrTimedOut();
        return FRec.Status;
    }
    return QelResult::Pending;
}
