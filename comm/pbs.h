#pragma once

// tPBS: inverters that are slaves on a Profibus DP line, with the PC as DP
// master through a master card driven by the card library "PAPI.DLL"
// (loaded at Open). Each slave's cyclic data hold an 8-byte parameter
// channel followed by 8 bytes of process data; services 0 to 12 travel as
// binary telegrams over the slave's acyclic connection.
//
// Everything runs in the GUI thread, driven by a 55 ms timer. Qt does not
// fire a timer again while its handler runs, so the tick never waits for
// later ticks: a restart runs from an event the tick posts, and answers
// are raised from an event posted at the tick's end. The request side
// (placing requests, the parameter channel, answer delivery, the
// synchronous exchange) is in pbs_requests.cpp.

#include "comm/card_library.h"
#include "comm/custom_qel_prot.h"
#include "comm/papi_api.h"
#include "comm/to_prop_types.h"
#include "platform/clock.h"

#include <QEvent>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class QEventLoop;


class tPBS : public tCustomQelProt {
    Q_OBJECT

public:
    static constexpr QEvent::Type AnswerEvent = static_cast<QEvent::Type>(QEvent::User + 112);
    static constexpr QEvent::Type RestartEvent = static_cast<QEvent::Type>(QEvent::User + 113);
    static constexpr int TickMs = 55;
    static constexpr int SlaveCount = 125;
    static constexpr int ImageSize = 16;
    static constexpr int SpareIndex = 255;
    static constexpr int OpenWaitTicks = 363;
    static constexpr int OpenWaitMs = 20000;
    // An initialisation request unconfirmed this long ends the
    // initialisation with a reset.
    static constexpr int InitConfirmMs = 2000;
    static constexpr int BusyCalls = 101;
    static constexpr uint16_t DefaultIdent = 0x05EB;

    // Master states.
    enum { stInit = 0, stRunning = 1, stOperate = 2, stClosed = 3, stReinit = 4, stConfigRead = 5 };

    struct TRequest {
        bool Pending = false, Sent = false, Complete = false;
        int Kind = 0; // 1..7
        uint8_t Toggle = 0;
        uint16_t ParAdr = 0;
        uint8_t Set = 0;
        uint8_t Length = 0;
        int32_t Value = 0;
        uint8_t ErrClass = 0, ErrCode = 0;
        uint16_t ErrAdd = 0;
        int SendTick = 0;
        int PdFormat = 1;
        uint8_t TelLen = 0;
        uint8_t Tel[64] = {};
    };

    struct TSlave {
        uint8_t Addr = 255;
        std::vector<uint8_t> ParamSet;
        uint8_t InLen = 0, OutLen = 0;
        uint16_t InOfs = 0, OutOfs = 0;
        uint8_t In[ImageSize] = {};
        uint8_t Out[ImageSize] = {};
        TRequest Req;
        bool DiagValid = false;
        uint8_t Diag[6] = {};
        bool ConnOpen = false;
        uint16_t CfgFaults = 0, PrmFaults = 0;

        uint16_t DiagIdent() const { return uint16_t((Diag[4] << 8) | Diag[5]); }
    };

    explicit tPBS(QObject* Owner = nullptr);
    ~tPBS() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prPBS; }
    bool IsOpen() const override { return FOpenFlag; }
    void SetOnReqAvail(tOnReq) override {}
    tOnReq GetOnReqAvail() const override { return {}; }

    int Open() override;
    int Close() override;

    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;
    int ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;
    int WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;

    TPbsBaudRate GetBaudrate() const { return FBaudrate; }
    void SetBaudrate(TPbsBaudRate Value);
    uint8_t GetMasteraddr() const { return FMasteraddr; }
    void SetMasteraddr(uint8_t Value);
    QStringList GetSlaveList() const { return FSlaveList; }
    void SetSlaveList(const QStringList& Value);

    // The list rule: trimmed whole numbers 0..124, each once, ascending,
    // as decimal texts; nothing left gives "1".
    static QStringList NormaliseSlaveList(const QStringList& List);
    // Bus code and connection send time-out of a bit rate.
    static int BusCode(TPbsBaudRate Rate);
    static int SendTimeOut(TPbsBaudRate Rate);
    // The 66-byte bus parameter set for a bit rate and master address.
    static std::vector<uint8_t> BusParamSet(TPbsBaudRate Rate, uint8_t Masteraddr);
    // A slave parameter set from an ident number and configuration data
    // (length word first); empty when it would exceed 64 bytes.
    static std::vector<uint8_t> SlaveParamSet(uint16_t Ident, const std::vector<uint8_t>& CfgData);
    // TRecTel.Status of an error (class, code, additional code).
    static int ErrorResult(int Class, int Code, int Add);

    // State for tests and diagnostics.
    int State() const { return FState; }
    int Mode() const { return FMode; }
    int TickCount() const { return FTick; }
    int Busy() const { return FBusy; }
    const TSlave& Slave(int Index) const { return FSlaves[size_t(Index)]; }
    bool InDataExchange(int Index) const;
    uint16_t TemplateIdent() const { return FTplIdent; }
    const std::vector<uint8_t>& TemplateCfg() const { return FTplCfg; }
    int LastResult() const { return FLastResult; }
    // The tick at which the last answer was delivered.
    int LastAnswerTick() const { return FAnswerTick; }

protected:
    bool event(QEvent* e) override;
    bool SyncRequestPending() const override { return FBusy != 0; }
    int SyncEvaluate(TRecTel& Rsp) override;

private:
    // ---- master (pbs.cpp) ----
    bool BindLibrary();
    void Tick();
    void MasterStep();
    bool InitSequence(); // false: reset done
    // Sends one initialisation request and waits for its confirmation
    // (into Conf): 0 positive, the card's refusal, the block's result, or
    // -1 when nothing came in time.
    int InitRequest(uint8_t Layer, uint8_t Service, const uint8_t* Data, uint8_t* Conf);
    int SendRequest(uint8_t Service, const uint8_t* Data, uint16_t Ref = 0, uint8_t Layer = 11);
    void SetMode(int Mode);
    void Confirmation(const PAPI_BLOCK& B, const uint8_t* D);
    void Indication(const PAPI_BLOCK& B, const uint8_t* D);
    void StoreDiagnosis(const uint8_t* D);
    void RequestDiagnosis();
    void ConfigAnswer(const uint8_t* D);
    void ConfigAdvance();
    void ConfigReadNext();
    void ConnectionStep();
    void FaultCheck();
    void Restart();
    void Reset();
    void EndCard();
    void AbortConnections();
    void ClearSlave(TSlave& S);
    int SlaveIndexOf(int Addr) const;
    int ListedCount() const;
    // Runs the event loop until Done() or MaxMs; false when the driver
    // went away meanwhile.
    template <class F> bool WaitFor(F Done, int MaxMs);
    bool RunTicks(int Ticks);
    // Waits until no request is on the bus; false when the driver went away.
    bool WaitOffBus();
    void Wake();

    // ---- requests (pbs_requests.cpp) ----
    int Place(bool IsRead, int Addr, int Service, const TTelData& Data);
    TRequest& RecordOf(int Index) { return Index == SpareIndex ? FSpare : FSlaves[size_t(Index)].Req; }
    void RequestStep(int Index);
    bool ReadInputs(int Index);
    bool WriteOutputs(int Index);
    void ParamChannelAnswer(TSlave& S, TRequest& R);
    void TelegramAnswer(const PAPI_BLOCK& B, const uint8_t* D);
    void DeliverAnswer();
    void FinishAnswer(); // busy 2 or the answer event
    void AbandonOutstanding(int Status);
    int SyncRun(bool IsRead, int Addr, int Service, const TTelData& Data, TRecTel& Rsp);

    TCardLibrary FLib;
    profi_get_versions_t FGetVersions = nullptr;
    profi_set_default_t FSetDefault = nullptr;
    profi_get_serial_device_number_t FGetSerial = nullptr;
    profi_end_t FEnd = nullptr;
    profi_rcv_con_ind_t FRcvConInd = nullptr;
    profi_get_data_t FGetData = nullptr;
    profi_snd_req_res_t FSndReqRes = nullptr;
    profi_set_data_t FSetData = nullptr;
    profi_get_last_error_t FGetLastError = nullptr;

    TPbsBaudRate FBaudrate = TPbsBaudRate::B_93K75;
    uint8_t FMasteraddr = 0;
    QStringList FSlaveList;

    std::array<TSlave, SlaveCount> FSlaves;
    TRequest FSpare;
    int FState = stClosed;
    int FMode = 0;
    int FTick = 0;
    bool FOpenFlag = false;
    bool FReopenMark = false;
    bool FOpening = false, FClosing = false, FRestarting = false;
    bool FDestroying = false;
    bool FRestartRequest = false;
    bool FCfgPending = false;
    int FCfgPos = 0;
    int FCfgTick = 0;
    bool FDiagOutstanding = false, FDiagRetry = false;
    bool FConnPending = false;
    uint16_t FTplIdent = DefaultIdent;
    std::vector<uint8_t> FTplCfg;
    std::vector<uint8_t> FBusTemplate;
    int FSendTimeOut = 400;
    int FLastResult = 0;
    int FAnswerTick = 0;
    qel::TTimer FTimer;
    QEventLoop* FWaitLoop = nullptr;

    // Request state.
    int FBusy = 0; // 0 idle, 1 outstanding, 2 answer waits for the synchronous exchange
    int FReqIndex = SpareIndex;
    int FReqId = 0;
    int FService = 0;
    int FAddr = 0;
    bool FSync = false;
    TRecTel FRec;
};
