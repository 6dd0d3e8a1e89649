#include "comm/pbs.h"

#include "comm/card_driver_support.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QtDebug>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>

namespace {

// The card answered the initialisation request with nothing in time.
constexpr int Unconfirmed = -1;

void putLE(uint8_t* p, int v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putBE(std::vector<uint8_t>& b, size_t pos, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b[pos + size_t(i)] = uint8_t(v >> (8 * (n - 1 - i)));
}

int getLE(const uint8_t* p) { return p[0] | (p[1] << 8); }

} // namespace

tPBS::tPBS(QObject* Owner)
    : tCustomQelProt(Owner)
{
    FTimeOut = 55;
    FRetryCnt = 5;
    FBusTemplate = BusParamSet(TPbsBaudRate::B_93K75, 0);
    FTplCfg = {0x00, 0x05, 0xB7, 0xA3, 0x93};
    connect(&FTimer, &qel::TTimer::timeout, this, &tPBS::Tick);
}

tPBS::~tPBS()
{
    FOnRspAvail = nullptr;
    FDestroying = true;
    Close();
    QCoreApplication::removePostedEvents(this);
    FLib.Unload();
}

QString tPBS::GetVersion() const
{
    return QStringLiteral("Profibus DP Driver\r\nVersion: 1.22\r\nDate: 16.05.2001");
}

// ------------------------------------------------------------------ settings

void tPBS::SetBaudrate(TPbsBaudRate Value)
{
    if (!FOpenFlag && !FReopenMark)
        FBaudrate = Value;
}

void tPBS::SetMasteraddr(uint8_t Value)
{
    if (!FOpenFlag && !FReopenMark)
        FMasteraddr = Value;
}

void tPBS::SetSlaveList(const QStringList& Value)
{
    if (!FOpenFlag && !FReopenMark)
        FSlaveList = NormaliseSlaveList(Value);
}

QStringList tPBS::NormaliseSlaveList(const QStringList& List)
{
    bool seen[SlaveCount] = {};
    for (const QString& entry : List) {
        bool ok = false;
        const int n = entry.trimmed().toInt(&ok, 10);
        if (ok && n >= 0 && n < SlaveCount)
            seen[n] = true;
    }
    QStringList out;
    for (int n = 0; n < SlaveCount; ++n)
        if (seen[n])
            out << QString::number(n);
    if (out.isEmpty())
        out << QStringLiteral("1");
    return out;
}

int tPBS::BusCode(TPbsBaudRate Rate)
{
    static constexpr int codes[] = {0, 1, 11, 2, 3, 4, 5, 6, 7, 8, 9};
    const int i = int(Rate);
    return i >= 0 && i < int(std::size(codes)) ? codes[i] : 2;
}

int tPBS::SendTimeOut(TPbsBaudRate Rate)
{
    switch (Rate) {
    case TPbsBaudRate::B_500K: return 200;
    case TPbsBaudRate::B_9K6:
    case TPbsBaudRate::B_19K2:
    case TPbsBaudRate::B_45K45:
    case TPbsBaudRate::B_93K75:
    case TPbsBaudRate::B_187K5: return 400;
    default: return 100;
    }
}

std::vector<uint8_t> tPBS::BusParamSet(TPbsBaudRate Rate, uint8_t Masteraddr)
{
    std::vector<uint8_t> b(66, 0);
    putBE(b, 0, 66, 2);
    b[2] = Masteraddr;
    b[3] = uint8_t(BusCode(Rate));
    putBE(b, 4, 200, 2);    // slot time
    putBE(b, 6, 11, 2);     // min T_SDR
    putBE(b, 8, 100, 2);    // max T_SDR
    b[10] = 0;              // T_QUI
    b[11] = 1;              // T_SET
    putBE(b, 12, 100000, 4); // target rotation time
    b[16] = 1;              // gap update factor
    b[17] = 32;             // highest station address
    b[18] = 1;              // max retry limit
    putBE(b, 20, 1, 2);     // min slave interval
    putBE(b, 22, 500, 2);   // poll time-out
    putBE(b, 24, 100, 2);   // data control time
    return b;
}

std::vector<uint8_t> tPBS::SlaveParamSet(uint16_t Ident, const std::vector<uint8_t>& CfgData)
{
    const size_t c = CfgData.size();
    const size_t l = c + 47;
    if (l > 64)
        return {};
    std::vector<uint8_t> b(l, 0);
    putBE(b, 0, uint32_t(l), 2);
    b[2] = 0xE0;
    putBE(b, 16, 9, 2);
    b[18] = 0x38;
    b[19] = 1;
    b[20] = 50;
    b[21] = 11;
    putBE(b, 22, Ident, 2);
    std::copy(CfgData.begin(), CfgData.end(), b.begin() + 25);
    const size_t p = 25 + c;
    putBE(b, p, 4, 2);
    putBE(b, p + 4, 18, 2);
    return b;
}

// ------------------------------------------------------------------ helpers

int tPBS::SlaveIndexOf(int Addr) const
{
    if (Addr < 0 || Addr > 254)
        return -1;
    for (int i = 0; i < SlaveCount && FSlaves[size_t(i)].Addr != 255; ++i)
        if (FSlaves[size_t(i)].Addr == Addr)
            return i;
    return -1;
}

int tPBS::ListedCount() const
{
    int n = 0;
    while (n < SlaveCount && FSlaves[size_t(n)].Addr != 255)
        ++n;
    return n;
}

bool tPBS::InDataExchange(int Index) const
{
    if (Index < 0 || Index >= SlaveCount)
        return false;
    const TSlave& s = FSlaves[size_t(Index)];
    return s.Addr != 255 && s.DiagValid && s.Diag[3] == FMasteraddr && (s.Diag[0] & 0x7F) == 0;
}

void tPBS::ClearSlave(TSlave& S)
{
    S.Req = TRequest{};
    S.ConnOpen = false;
    S.DiagValid = false;
    std::memset(S.Diag, 0, sizeof S.Diag);
    S.CfgFaults = 0;
    S.PrmFaults = 0;
}

void tPBS::Wake()
{
    if (FWaitLoop)
        FWaitLoop->quit();
}

template <class F> bool tPBS::WaitFor(F Done, int MaxMs)
{
    const std::shared_ptr<const bool> alive = AliveToken();
    qel::TStopwatch clock;
    while (!Done()) {
        if (clock.elapsed() >= MaxMs)
            break;
        QEventLoop loop;
        QEventLoop* outer = FWaitLoop;
        FWaitLoop = &loop;
        qel::TTimer::singleShot(TickMs, &loop, [&loop] { loop.quit(); });
        loop.exec();
        if (!*alive)
            return false;
        FWaitLoop = outer;
    }
    return true;
}

bool tPBS::RunTicks(int Ticks)
{
    if (FDestroying)
        return true;
    const int target = FTick + Ticks;
    return WaitFor([&] { return FTick >= target || !FTimer.isActive(); }, Ticks * TickMs * 4 + 1000);
}

bool tPBS::WaitOffBus()
{
    return WaitFor([&] { return FBusy != 1 || !FTimer.isActive(); }, INT_MAX);
}

int tPBS::SendRequest(uint8_t Service, const uint8_t* Data, uint16_t Ref, uint8_t Layer)
{
    int r = PAPI_BUSY;
    for (int i = 0; i < BusyCalls && r == PAPI_BUSY; ++i) {
        PAPI_BLOCK b{};
        b.ref = Ref;
        b.layer = Layer;
        b.service = Service;
        r = FSndReqRes(&b, Data, 0);
    }
    FLastResult = r;
    return r;
}

// ------------------------------------------------------------ open and close

bool tPBS::BindLibrary()
{
    if (FLib.IsLoaded())
        return true;
    if (!FLib.Load(QStringLiteral("PAPI.DLL")))
        return false;
    const bool all = FLib.Bind("profi_get_versions", FGetVersions) && FLib.Bind("profi_set_default", FSetDefault)
        && FLib.Bind("profi_get_serial_device_number", FGetSerial) && FLib.Bind("profi_end", FEnd)
        && FLib.Bind("profi_rcv_con_ind", FRcvConInd) && FLib.Bind("profi_get_data", FGetData)
        && FLib.Bind("profi_snd_req_res", FSndReqRes) && FLib.Bind("profi_set_data", FSetData)
        && FLib.Bind("profi_get_last_error", FGetLastError);
    if (!all)
        FLib.Unload();
    return all;
}

int tPBS::Open()
{
    if (FOpenFlag || FReopenMark)
        return QelResult::AlreadyOpen;
    if (FOpening)
        return QelResult::ResourceMissing;
    FOpening = true;
    char card[100] = {}, lib[100] = {};
    if (!BindLibrary() || FGetVersions(card, lib) != 0) {
        FOpening = false;
        return QelResult::ResourceMissing;
    }
    FTimer.start(TickMs);
    FBusTemplate[3] = uint8_t(BusCode(FBaudrate));
    FSendTimeOut = SendTimeOut(FBaudrate);

    FTplIdent = DefaultIdent;
    FTplCfg = {0x00, 0x05, 0xB7, 0xA3, 0x93};
    FSlaveList = NormaliseSlaveList(FSlaveList);
    for (TSlave& s : FSlaves) {
        ClearSlave(s);
        s.Addr = 255;
        s.ParamSet.clear();
    }
    for (int i = 0; i < FSlaveList.size(); ++i) {
        TSlave& s = FSlaves[size_t(i)];
        s.Addr = uint8_t(FSlaveList[i].toInt());
        s.ParamSet = SlaveParamSet(FTplIdent, FTplCfg);
        std::memset(s.In, 0, ImageSize);
        std::memset(s.Out, 0, ImageSize);
    }
    FSpare = TRequest{};
    FBusy = 0;
    FCfgPending = FDiagOutstanding = FDiagRetry = FConnPending = false;
    FRestartRequest = false;
    FState = stInit;
    FMode = 0x00;

    const std::shared_ptr<const bool> alive = AliveToken();
    const int start = FTick;
    const int listed = ListedCount();
    WaitFor(
        [&] {
            if (FTick - start >= OpenWaitTicks || FState == stClosed)
                return true;
            for (int i = 0; i < listed; ++i)
                if (!InDataExchange(i))
                    return false;
            return true;
        },
        OpenWaitMs);
    if (!*alive)
        return QelResult::ResourceMissing;
    FOpening = false;
    // Closed while waiting: the open did not complete.
    if (FState == stClosed)
        return QelResult::ResourceMissing;
    FOpenFlag = true;
    return QelResult::Ok;
}

void tPBS::AbortConnections()
{
    int aborted = 0;
    const int listed = ListedCount();
    for (int i = 0; i < listed; ++i) {
        TSlave& s = FSlaves[size_t(i)];
        if (!s.ConnOpen)
            continue;
        uint8_t d[PAPI_DATA_SIZE] = {};
        d[1] = 0x80;
        SendRequest(65, d, uint16_t(i));
        s.ConnOpen = false;
        ++aborted;
    }
    if (aborted > 0)
        RunTicks(10);
}

void tPBS::EndCard()
{
    for (int i = 0; i < BusyCalls; ++i)
        if (FEnd() == 0)
            break;
}

int tPBS::Close()
{
    if (FClosing)
        return QelResult::ResourceMissing;
    FClosing = true;
    const std::shared_ptr<const bool> alive = AliveToken();
    // Only a request on the bus is waited for; an answer that waits for
    // the synchronous exchange stays for it.
    if (!FDestroying && !WaitOffBus())
        return QelResult::Ok;
    if (!FOpenFlag && !FReopenMark && !FOpening) {
        FClosing = false;
        return QelResult::NotOpen;
    }
    if (FBusy == 1)
        AbandonOutstanding(QelResult::DriverClosed);
    AbortConnections();
    if (!*alive)
        return QelResult::Ok;
    EndCard();
    FMode = 0x00;
    FState = stClosed;
    for (TSlave& s : FSlaves) {
        ClearSlave(s);
        s.Addr = 255;
    }
    FTimer.stop();
    // A restart the last tick asked for belongs to this session.
    QCoreApplication::removePostedEvents(this, RestartEvent);
    FRestartRequest = false;
    FOpenFlag = false;
    FReopenMark = false;
    FClosing = false;
    Wake();
    return QelResult::Ok;
}

// ---------------------------------------------------------------- the tick

void tPBS::Tick()
{
    try {
        ++FTick;
        if (FRestartRequest && !FRestarting && !FClosing) {
            FRestartRequest = false;
            QCoreApplication::postEvent(this, new QEvent(RestartEvent));
        }
        if (FCfgPending && FTick - FCfgTick > 10) {
            FCfgPending = false;
            if (FState == stConfigRead)
                ConfigAdvance();
        }
        MasterStep();
        const int listed = ListedCount();
        for (int i = 0; i < listed; ++i)
            RequestStep(i);
        RequestStep(SpareIndex);
        DeliverAnswer();
        if (FState == stOperate) {
            ConnectionStep();
            FaultCheck();
        }
    } catch (const std::exception& e) {
        qWarning("Profibus DP tick: %s", e.what());
    }
    Wake();
}

void tPBS::SetMode(int Mode)
{
    FMode = Mode;
    if (Mode == 0xC0 && FState == stRunning)
        FState = stOperate;
    else if (Mode != 0xC0 && FState == stOperate)
        FState = stRunning;
}

void tPBS::MasterStep()
{
    switch (FState) {
    case stClosed:
        return;
    case stInit:
    case stReinit: {
        const int r = FSetDefault(0, 0, 0, 0);
        FLastResult = r;
        if (r == 31) {
            FLastResult = FGetLastError();
            Reset();
        } else if (r == 10 || r == 11 || r == 28) {
            Reset();
        } else if (r == 0) {
            InitSequence();
        }
        return;
    }
    default: {
        PAPI_BLOCK b{};
        uint8_t d[PAPI_DATA_SIZE] = {};
        uint16_t len = PAPI_DATA_SIZE;
        const int r = FRcvConInd(&b, d, &len);
        if (r == PAPI_RCV_BLOCK) {
            if (b.primitive == 1)
                Confirmation(b, d);
            else if (b.primitive == 2)
                Indication(b, d);
        } else if (r == PAPI_RCV_FAULT) {
            uint8_t fault[PAPI_DATA_SIZE] = {};
            uint16_t n = 6;
            FGetData(PAPI_AREA_FAULT, 0, &n, fault);
            Reset();
            return;
        }
        if (FDiagRetry && !FDiagOutstanding && FState != stClosed && FState != stInit && FState != stReinit)
            RequestDiagnosis();
        return;
    }
    }
}

int tPBS::InitRequest(uint8_t Layer, uint8_t Service, const uint8_t* Data, uint8_t* Conf)
{
    PAPI_BLOCK b{};
    b.layer = Layer;
    b.service = Service;
    const int sent = FSndReqRes(&b, Data, 0);
    FLastResult = sent;
    if (sent != 0)
        return sent;
    const auto until = qel::Now() + std::chrono::milliseconds(InitConfirmMs);
    for (;;) {
        PAPI_BLOCK rb{};
        uint16_t len = PAPI_DATA_SIZE;
        const int r = FRcvConInd(&rb, Conf, &len);
        if (r == PAPI_RCV_BLOCK) {
            if (rb.service == Service && rb.primitive == 1 && rb.result == 0)
                return 0;
            return rb.result != 0 ? rb.result : 0xFFFF;
        }
        if (r != PAPI_RCV_NONE)
            return r;
        if (qel::Now() >= until)
            return Unconfirmed;
        // The tick waits here without its event loop: nothing else of the
        // driver may run in the middle of the initialisation.
        qel::SleepFor(1);
    }
}

bool tPBS::InitSequence()
{
    uint8_t serial[4] = {};
    FGetSerial(serial);
    uint8_t conf[PAPI_DATA_SIZE];
    auto step = [&](uint8_t layer, uint8_t service, const uint8_t* d) {
        std::memset(conf, 0, sizeof conf);
        return InitRequest(layer, service, d, conf);
    };

    uint8_t d[PAPI_DATA_SIZE] = {};
    d[1] = 0xFF;
    putLE(d + 4, 12);
    putLE(d + 6, 256);
    d[30] = 125;
    d[31] = 16;
    d[32] = 16;
    d[33] = 6;
    putLE(d + 34, 375);
    putLE(d + 36, 66);
    putLE(d + 38, 64);
    if (step(5, 27, d) == Unconfirmed)
        return Reset(), false;

    std::memset(d, 0, sizeof d);
    d[0] = FMasteraddr;
    d[34] = FSlaves[0].Addr;
    d[37] = 0xE0;
    d[38] = 0xFF;
    if (step(11, 193, d) == Unconfirmed)
        return Reset(), false;

    std::memset(d, 0, sizeof d);
    std::vector<uint8_t> bus = FBusTemplate;
    bus[2] = FMasteraddr;
    putLE(d, int(bus.size()));
    d[3] = 127;
    std::copy(bus.begin(), bus.end(), d + 6);
    if (step(11, 225, d) == Unconfirmed)
        return Reset(), false;

    const int listed = ListedCount();
    for (int i = 0; i < listed; ++i) {
        const TSlave& s = FSlaves[size_t(i)];
        std::memset(d, 0, sizeof d);
        putLE(d, int(s.ParamSet.size()));
        d[3] = s.Addr;
        std::copy(s.ParamSet.begin(), s.ParamSet.end(), d + 6);
        if (step(11, 225, d) == Unconfirmed)
            return Reset(), false;
    }
    for (int i = 0; i < listed; ++i) {
        TSlave& s = FSlaves[size_t(i)];
        std::memset(d, 0, sizeof d);
        d[0] = 6;
        d[1] = s.Addr;
        const int r = step(11, 232, d);
        if (r == Unconfirmed)
            return Reset(), false;
        if (r == FLastResult && r != 0)
            continue; // not accepted by the card
        if (r != 0)
            break;
        s.InOfs = uint16_t(getLE(conf + 6));
        s.OutOfs = uint16_t(getLE(conf + 8));
        s.InLen = conf[10];
        s.OutLen = conf[11];
    }

    SetMode(0x00);
    std::memset(d, 0, sizeof d);
    d[1] = 0x80;
    d[2] = 0x40;
    const int r = SendRequest(194, d);
    if (FReopenMark) {
        FOpenFlag = true;
        FReopenMark = false;
    }
    if (r == 0)
        FState = stRunning;
    else
        Reset();
    return r == 0;
}

// ------------------------------------------------- confirmations, indications

void tPBS::Confirmation(const PAPI_BLOCK& B, const uint8_t* D)
{
    const bool operate = FMode == 0xC0;
    if (B.result != 0) {
        if (B.service == 64 && operate) {
            FConnPending = false;
        } else if (B.service == 68 && operate) {
            TelegramAnswer(B, D);
        }
        return;
    }
    uint8_t d[PAPI_DATA_SIZE] = {};
    d[1] = 0x80;
    switch (B.service) {
    case 194:
        if (FMode == 0x00) {
            SetMode(0x40);
            d[2] = 0x80;
            SendRequest(194, d);
        } else if (FMode == 0x40) {
            SetMode(0x80);
            d[2] = 0xC0;
            SendRequest(194, d);
        } else if (FMode == 0x80) {
            SetMode(0xC0);
        }
        return;
    case 229:
        if (!operate)
            return;
        StoreDiagnosis(D);
        FDiagOutstanding = false;
        if (getLE(D + 4) > 0)
            RequestDiagnosis();
        return;
    case 2:
        if (operate)
            ConfigAnswer(D);
        return;
    case 64:
        // A reference that names no listed slave is not ours.
        if (operate && B.ref < ListedCount()) {
            FSlaves[B.ref].ConnOpen = true;
            FConnPending = false;
        }
        return;
    case 68:
        if (operate)
            TelegramAnswer(B, D);
        return;
    default:
        return;
    }
}

void tPBS::Indication(const PAPI_BLOCK& B, const uint8_t* D)
{
    uint8_t d[PAPI_DATA_SIZE] = {};
    d[1] = 0x80;
    switch (B.service) {
    case 194:
        SetMode(D[2]);
        if (FMode == 0x40 || FMode == 0x80) {
            d[2] = FMode == 0x40 ? 0x80 : 0xC0;
            SendRequest(194, d);
        }
        return;
    case 229:
        StoreDiagnosis(D);
        if (getLE(D + 4) > 0 && !FDiagOutstanding)
            RequestDiagnosis();
        return;
    case 65:
        if (B.ref < ListedCount()) {
            FSlaves[B.ref].ConnOpen = false;
            FConnPending = false;
        }
        return;
    default:
        return;
    }
}

void tPBS::RequestDiagnosis()
{
    uint8_t d[PAPI_DATA_SIZE] = {};
    if (SendRequest(229, d) == 0) {
        FDiagOutstanding = true;
        FDiagRetry = false;
    } else {
        FDiagRetry = true;
    }
}

void tPBS::StoreDiagnosis(const uint8_t* D)
{
    const int i = SlaveIndexOf(D[2]);
    if (i < 0)
        return;
    TSlave& s = FSlaves[size_t(i)];
    std::memcpy(s.Diag, D + 8, 6);
    s.DiagValid = true;
}

// ---------------------------------------------------- re-configuration

void tPBS::FaultCheck()
{
    const int listed = ListedCount();
    bool needed = false;
    for (int i = 0; i < listed; ++i) {
        TSlave& s = FSlaves[size_t(i)];
        if (!s.DiagValid)
            return;
        const uint8_t st1 = s.Diag[0];
        if (st1 & 0x04)
            s.CfgFaults = uint16_t(std::min(s.CfgFaults + 1, 0xFFFF));
        else
            s.CfgFaults = 0;
        bool need = s.CfgFaults > 3;
        const uint16_t ident = s.DiagIdent();
        if (ident == 0x05EB || ident == 0x1234 || ident == 0x04A2) {
            if (st1 & 0x40) {
                if (s.ParamSet.size() >= 24) {
                    s.ParamSet[22] = uint8_t(ident >> 8);
                    s.ParamSet[23] = uint8_t(ident);
                }
                s.PrmFaults = uint16_t(std::min(s.PrmFaults + 1, 0xFFFF));
            } else {
                s.PrmFaults = 0;
            }
            need = need || s.PrmFaults > 3;
        }
        if (need) {
            if (s.ParamSet.size() >= 24) {
                s.ParamSet[22] = uint8_t(ident >> 8);
                s.ParamSet[23] = uint8_t(ident);
            }
            needed = true;
        }
    }
    if (needed && !FCfgPending) {
        FState = stConfigRead;
        FCfgPos = 0;
        ConfigReadNext();
    }
}

void tPBS::ConfigReadNext()
{
    uint8_t d[PAPI_DATA_SIZE] = {};
    d[0] = FSlaves[size_t(FCfgPos)].Addr;
    SendRequest(2, d);
    FCfgPending = true;
    FCfgTick = FTick;
}

void tPBS::ConfigAdvance()
{
    ++FCfgPos;
    if (FCfgPos >= ListedCount())
        FRestartRequest = true;
    else
        ConfigReadNext();
}

void tPBS::ConfigAnswer(const uint8_t* D)
{
    if (!FCfgPending)
        return;
    FCfgPending = false;
    if (D[0] == 0 && D[1] == 0 && FCfgPos < ListedCount()) {
        const int len = (D[4] << 8) | D[5];
        if (len == 5 && D[6] == 0xB7 && (D[7] & 0xF0) == 0xA0 && (D[8] & 0xF0) == 0x90) {
            TSlave& s = FSlaves[size_t(FCfgPos)];
            FTplCfg.assign(D + 4, D + 9);
            FTplIdent = s.DiagIdent();
            s.ParamSet = SlaveParamSet(FTplIdent, FTplCfg);
        }
    }
    if (FState == stConfigRead)
        ConfigAdvance();
}

void tPBS::ConnectionStep()
{
    if (FConnPending)
        return;
    const int listed = ListedCount();
    for (int i = 0; i < listed; ++i) {
        const TSlave& s = FSlaves[size_t(i)];
        if (!InDataExchange(i) || s.DiagIdent() != DefaultIdent || s.ConnOpen)
            continue;
        uint8_t d[PAPI_DATA_SIZE] = {};
        d[0] = s.Addr;
        putLE(d + 4, FSendTimeOut);
        d[6] = 1;
        d[13] = 2;
        d[15] = 2;
        if (SendRequest(64, d, uint16_t(i)) == 0)
            FConnPending = true;
        return;
    }
}

// ------------------------------------------------------- restart and reset

void tPBS::Restart()
{
    FRestarting = true;
    if (FOpenFlag) {
        FOpenFlag = false;
        FReopenMark = true;
    }
    const std::shared_ptr<const bool> alive = AliveToken();
    if (!WaitOffBus())
        return;
    if (FState == stClosed || FClosing) {
        FRestarting = false;
        return;
    }
    AbortConnections();
    if (!*alive)
        return;
    if (FState == stClosed) {
        FRestarting = false;
        return;
    }
    EndCard();
    FMode = 0x00;
    const int listed = ListedCount();
    for (int i = 0; i < listed; ++i)
        ClearSlave(FSlaves[size_t(i)]);
    FSpare = TRequest{};
    FCfgPending = FDiagOutstanding = FDiagRetry = FConnPending = false;
    FRestartRequest = false;
    FState = stReinit;
    FRestarting = false;
}

void tPBS::Reset()
{
    // A request on the bus ends now rather than leaving its caller waiting.
    AbandonOutstanding(QelResult::NoAnswer);
    FMode = 0x00;
    const int listed = ListedCount();
    for (int i = 0; i < listed; ++i)
        ClearSlave(FSlaves[size_t(i)]);
    FCfgPending = FDiagOutstanding = FDiagRetry = FConnPending = false;
    FState = stInit;
    EndCard();
}

bool tPBS::event(QEvent* e)
{
    if (e->type() == AnswerEvent) {
        RaiseRspAvail(static_cast<TCardAnswerEvent*>(e)->Rec); // may free the driver
        return true;
    }
    if (e->type() == RestartEvent) {
        if (FState != stClosed && !FClosing && !FRestarting)
            Restart();
        return true;
    }
    return tCustomQelProt::event(e);
}
