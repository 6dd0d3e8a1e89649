#pragma once

// A driver of the tests' own for the selector's and the scheduler's tests:
// no bytes cross a line there, so the test decides when each request is
// answered, refused or left waiting.

#include "comm/custom_qel_prot.h"

#include <QTimer>

#include <algorithm>
#include <vector>

class ScriptedDriver : public tCustomQelProt {
public:
    struct Sent {
        int ReqId;
        int Addr;
        int Service;
        bool IsRead;
        TTelData Data;
    };

    explicit ScriptedDriver(TProt Kind, bool OneAtATime = true)
        : FKind(Kind)
        , FOneAtATime(OneAtATime)
    {
    }

    // Result of the next Open calls (0 opens).
    int OpenResult = 0;
    int OpenCalls = 0;
    // Nonzero: every request is refused with it.
    int RefuseWith = 0;
    // Answer each request with Status 0 after this many ms (-1: never by itself).
    int AutoAnswerMs = -1;

    std::vector<Sent> SentLog;
    std::vector<int> Outstanding;

    QString GetVersion() const override { return QStringLiteral("Scripted Driver\r\nVersion: 0\r\nDate: -"); }
    TProt GetProtType() const override { return FKind; }
    bool IsOpen() const override { return FOpen; }

    int Open() override
    {
        ++OpenCalls;
        if (FOpen)
            return QelResult::AlreadyOpen;
        if (OpenResult != 0)
            return OpenResult;
        FOpen = true;
        return 0;
    }
    int Close() override
    {
        if (!FOpen)
            return QelResult::NotOpen;
        FOpen = false;
        return 0;
    }

    int ReadParaReq(int Addr, int Service, const TTelData& Data) override { return req(true, Addr, Service, Data); }
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override { return req(false, Addr, Service, Data); }

    // Completes request ReqId (or raises an answer nobody asked for).
    void Answer(int ReqId, int Status = 0, int32_t Value = 0)
    {
        Outstanding.erase(std::remove(Outstanding.begin(), Outstanding.end(), ReqId), Outstanding.end());
        TRecTel rsp;
        rsp.ReqId = ReqId;
        rsp.Status = Status;
        rsp.Data.Value = Value;
        for (const Sent& s : SentLog) {
            if (s.ReqId == ReqId) {
                rsp.InvAdr = s.Addr;
                rsp.Service = s.Service;
                rsp.IsRead = s.IsRead ? 1 : 0;
            }
        }
        RaiseRspAvail(rsp);
    }

    // Number the next request will get.
    int NextReqId() const { return FNext; }

protected:
    bool SyncRequestPending() const override { return !Outstanding.empty(); }
    int SyncEvaluate(TRecTel& Rsp) override
    {
        Rsp.Status = QelResult::NoAnswer;
        return Rsp.Status;
    }

private:
    int req(bool IsRead, int Addr, int Service, const TTelData& Data)
    {
        if (!FOpen)
            return QelResult::DriverClosed;
        if (RefuseWith != 0)
            return RefuseWith;
        if (FOneAtATime && !Outstanding.empty())
            return QelResult::DriverBusy;
        const int id = FNext;
        FNext = FNext >= MaxReqId ? 1 : FNext + 1;
        SentLog.push_back({id, Addr, Service, IsRead, Data});
        Outstanding.push_back(id);
        if (AutoAnswerMs >= 0)
            QTimer::singleShot(AutoAnswerMs, this, [this, id] {
                if (std::find(Outstanding.begin(), Outstanding.end(), id) != Outstanding.end())
                    Answer(id, 0, 1000 + id);
            });
        return id;
    }

    TProt FKind;
    bool FOneAtATime;
    bool FOpen = false;
    int FNext = 1;
};
