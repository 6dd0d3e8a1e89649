#pragma once

// The offline driver: stands in for every inverter without a working
// connection. It sends nothing and answers each request with result 16
// after its time-out, so that every request gets an answer.

#include "comm/custom_qel_prot.h"

#include <list>

class tOffline : public tCustomQelProt {
    Q_OBJECT
public:
    static constexpr int DefaultTimeOut = 50;

    explicit tOffline(QObject* Owner = nullptr);
    ~tOffline() override;

    QString GetVersion() const override;
    TProt GetProtType() const override { return prOffline; }
    bool IsOpen() const override { return FOpen; }

    int Open() override;
    int Close() override;

    // Any address, any service, any number of outstanding requests.
    int ReadParaReq(int Addr, int Service, const TTelData& Data) override;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override;

    // Answer at once: Status 16 while open, -100 while closed.
    int ReadPara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;
    int WritePara(int Addr, int Service, const TTelData& Data, TRecTel& Rsp) override;

    int PendingCount() const { return static_cast<int>(FPending.size()); }

protected:
    bool SyncRequestPending() const override { return false; }
    int SyncEvaluate(TRecTel& Rsp) override { return Rsp.Status; }
    void timerEvent(QTimerEvent* event) override;

private:
    struct TRequestListItem {
        int ReqId = 0;
        int TimerId = 0; // one timer per request, so any number can be pending
        uint8_t IsRead = 0;
        int Service = 0;
        int InvAdr = 0;
    };

    int request(bool IsRead, int Addr, int Service);
    int answerNow(bool IsRead, int Addr, int Service, TRecTel& Rsp) const;

    bool FOpen = false;
    int FNextReqId = 1;
    std::list<TRequestListItem> FPending;
};
