#pragma once

// The project's configuration watch: a client of the request scheduler that
// reads the configuration number (0x160F) of one entry per turn, sets the
// entries' states from the answers, and asks the user what to do when an
// inverter reports another number than the one in use. A cycle over all
// entries starts no earlier than the project's watch interval after the
// previous one started; an interval of 0 stops the watch.

#include "comm/scheduler.h"
#include "platform/clock.h"

#include <QPointer>

#include <chrono>
#include <functional>

class TVortalinPrj;

class TPrjWatch {
public:
    using TClock = qel::TSteady;

    // Registers with the scheduler and puts the client into polled state 3;
    // the first cycle starts at the first turn.
    TPrjWatch(TVortalinPrj& Prj, TScheduler& Sch);
    // Unregisters while the scheduler still exists.
    ~TPrjWatch();
    TPrjWatch(const TPrjWatch&) = delete;
    TPrjWatch& operator=(const TPrjWatch&) = delete;

    TScheduler* Scheduler() const { return sch_; }
    int Slot() const { return slot_; }
    // Address of the entry asked last in this cycle; -1 before its first.
    int Index() const { return index_; }
    // The wrong-number question is on screen; no request is made meanwhile.
    bool QuestionOpen() const { return questionOpen_; }

    // The client's request provider and answer handler.
    void WatchRequest(TReqRec& Req);
    void WatchResponse(const TRecTel& Rsp, int Tag);

    // The clock of the interval (the program clock); replaceable so that a
    // cycle's restart can be checked without waiting.
    std::function<TClock::time_point()> Now = [] { return qel::Now(); };

private:
    void askAboutNumber(int InvAdr, int Number);

    TVortalinPrj& prj_;
    QPointer<TScheduler> sch_;
    int slot_ = -1;
    int index_ = -1;
    TClock::time_point cycleStart_;
    bool questionOpen_ = false;
};
