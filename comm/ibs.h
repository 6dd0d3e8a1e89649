#pragma once

// tIbs: inverters on an Interbus ring behind an Interbus controller board,
// reached through the board's device driver library ("IBDDIWNT.DLL",
// loaded at Open). The driver starts the bus if needed, reads the bus
// configuration into a device table (the device at position G is the
// inverter at address G + 1) and reaches each inverter through the PCP
// channel of the board's mailbox or, for devices that announce it, through
// a handshake in their process data. Process data, bus information and bus
// control are served from the board directly.
//
// Everything runs in the GUI thread; the library is called synchronously.
// The poll (timer 1, 55 ms, and the immediate-poll event) receives one
// mailbox message at a time; exchanges that wait for a confirmation poll
// the mailbox in a local event loop with the mailbox-busy flag set, which
// keeps the poll off the messages they wait for. Answers are raised from a
// posted event, never from inside the poll.

#include "comm/card_library.h"
#include "comm/custom_qel_prot.h"
#include "comm/ibddi_api.h"
#include "platform/clock.h"

#include <QEvent>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class tIbs : public tCustomQelProt {
    Q_OBJECT

public:
    static constexpr QEvent::Type PollEvent = static_cast<QEvent::Type>(QEvent::User + 109);
    static constexpr QEvent::Type AnswerEvent = static_cast<QEvent::Type>(QEvent::User + 110);
    static constexpr QEvent::Type ReopenEvent = static_cast<QEvent::Type>(QEvent::User + 111);
    static constexpr int PollMs = 55;
    static constexpr int PollLimit = 19;
    static constexpr int ImageSize = 1024;
    static constexpr int TableSize = 256;
    // Steps of the local wait of a mailbox exchange.
    static constexpr int MailboxPollMs = 2;

    // One entry of the device table.
    struct TDevice {
        int16_t DevNo = -1;
        uint8_t Length = 0;
        uint8_t IdCode = 0;
        uint8_t CommRef = 0;
        uint8_t State = 2;   // 1 PCP connected, 2 unusable, 3 aborted, 4 handshake
        int16_t InOfs = -1;
        int16_t OutOfs = -1;
    };

    explicit tIbs(QObject* Owner = nullptr);
    ~tIbs() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prIBS; }
    bool IsOpen() const override { return FOpen; }
    void SetTimeOut(int) override {} // the poll period is fixed

    int Open() override;
    int Close() override;

    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;
    int ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;
    int WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;

    // Board number 1..8; other values are not taken.
    int GetCardNo() const { return FCardNo; }
    void SetCardNo(int Value);

    const TDevice& Device(int Addr) const { return FDevs[size_t(Addr & 0xFF)]; }
    int DeviceCount() const { return FDevCount; }
    bool RestartPending() const { return FRestart; }

protected:
    bool event(QEvent* e) override;
    bool SyncRequestPending() const override { return FPending || FReopening; }
    int SyncEvaluate(TRecTel& Rsp) override;

private:
    // A mailbox message as received: its bytes, read as big-endian words.
    struct TMsg {
        std::vector<uint8_t> b;
        int Byte(int i) const { return i >= 0 && i < int(b.size()) ? b[size_t(i)] : 0; }
        int Word(int i) const { return (Byte(2 * i) << 8) | Byte(2 * i + 1); }
        int Code() const { return Word(0); }
        int WordCount() const { return int(b.size()) / 2; }
    };

    bool BindLibrary();
    int OpenSteps();
    void CloseNodes();

    bool Send(int Code, const std::vector<uint16_t>& Params);
    // 0 a message, ERR_NO_MSG none, another number an error.
    int Receive(TMsg& Msg);
    // Sends and waits up to TimeoutMs for the confirmation (Code + 0x8000).
    bool Exchange(int Code, const std::vector<uint16_t>& Params, int TimeoutMs, TMsg& Conf);
    bool ExchangeOk(int Code, const std::vector<uint16_t>& Params, int TimeoutMs);
    // Runs the event loop for a few ms; false when the driver went away.
    bool Pause(int Ms);
    bool Connect(int Ref);

    bool ReadImage();
    bool WriteImage();

    int Request(bool IsRead, int Addr, int Service, const TTelData& Data);
    int CheckRefused(bool IsRead, int Service, const TTelData& Data) const;
    void Poll();
    void Evaluate(const TMsg& Msg);
    void EvaluatePcp(const TMsg& Msg);
    void CheckHandshake();
    void EndByPoll();
    void Complete(int Status);
    void Reopen();

    TCardLibrary FLib;
    DDI_DevOpenNode_t FOpenNode = nullptr;
    DDI_DevCloseNode_t FCloseNode = nullptr;
    GetIBSDiagnostic_t FDiagnostic = nullptr;
    DDI_MXI_SndMessage_t FSndMessage = nullptr;
    DDI_MXI_RcvMessage_t FRcvMessage = nullptr;
    DDI_DTI_ReadData_t FReadData = nullptr;
    DDI_DTI_WriteData_t FWriteData = nullptr;

    int FCardNo = 1;
    bool FOpen = false;
    bool FClosing = false;
    IBDDIHND FMbx = 0;
    IBDDIHND FData = 0;
    qel::TTimer FTimer;

    std::array<TDevice, TableSize> FDevs{};
    int FDevCount = 0;
    int FConfigWord = 0;
    uint8_t FOutImage[ImageSize] = {};
    uint8_t FInImage[ImageSize] = {};

    bool FPending = false;
    bool FReopening = false;
    int FReqId = 0;
    int FPollCount = 0;
    bool FMailboxBusy = false;
    bool FRestart = false;
    bool FBusStopped = false;
    int FLastMsgCode = 0;
    bool FHandshakeReq = false;
    uint16_t FValueWritten = 0;
    TRecTel FRec;
};
