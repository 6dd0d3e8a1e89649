#include "project/prj_watch.h"

#include "comm/prot_sel.h"
#include "project/prj_discovery.h"
#include "project/vortalin_prj.h"

using namespace PrjDiscovery;

namespace {

constexpr double kSecondsPerDay = 86400.0;

}  // namespace

TPrjWatch::TPrjWatch(TVortalinPrj& Prj, TScheduler& Sch) : prj_(Prj), sch_(&Sch)
{
    cycleStart_ = Now();
    index_ = -1;
    slot_ = Sch.Register(
        &Prj, [this](TReqRec& req) { WatchRequest(req); },
        [this](const TRecTel& rsp, int tag) { WatchResponse(rsp, tag); }, [] {});
    if (slot_ >= 0)
        Sch.SetState(slot_, csPolled);
}

TPrjWatch::~TPrjWatch()
{
    if (sch_ && slot_ >= 0)
        sch_->Unregister(slot_);
}

void TPrjWatch::WatchRequest(TReqRec& Req)
{
    if (!sch_ || sch_->GetState(slot_) <= csRegistered || questionOpen_)
        return;
    if (prj_.WatchInterval() == 0 || index_ >= MaxInvAdr) {
        const TClock::time_point now = Now();
        const double days = std::chrono::duration<double>(now - cycleStart_).count() / kSecondsPerDay;
        if (prj_.WatchIntervalDays() > 0 && days > prj_.WatchIntervalDays()) {
            index_ = -1;
            cycleStart_ = now;
        }
        return;
    }
    for (int a = index_ + 1; a <= MaxInvAdr; ++a) {
        if (!prj_.GetInv(a))
            continue;
        index_ = a;
        Req.InvAdr = a;
        Req.IsRead = 1;
        Req.Service = QelService::Plain;
        Req.Tag = 0;
        Req.Data.Clear();
        Req.Data.ParAdr = kCfgIdPar;
        Req.Data.ParSet = 0;
        Req.Valid = 1;
        return;
    }
    // Every entry has been asked: the cycle is complete until the interval
    // has passed.
    index_ = MaxInvAdr;
}

void TPrjWatch::WatchResponse(const TRecTel& Rsp, int Tag)
{
    Q_UNUSED(Tag);
    const int a = Rsp.InvAdr;
    int number = -1;
    if (Rsp.Status == 0) {
        if (Rsp.Service == QelService::Plain)
            number = Rsp.Data.GetI16(2);
        else if (Rsp.Service == QelService::ParaSet)
            number = Rsp.Data.GetI32(4);
    }
    // No configuration has a negative number.
    if (number < 0)
        number = -1;
    // The entry may have been removed while its answer was on the way.
    if (!prj_.GetInv(a))
        return;
    if (number == 8 || number == 12) {
        if (prj_.ProtSel)
            number = RefineCfgId(*prj_.ProtSel, a, number, TVariantRule::NewOnAnyError);
        else
            number = number == 8 ? 25 : 26;
    }
    // The synchronous read ran the event loop.
    TPrjInvRec* inv = prj_.GetInv(a);
    if (!inv)
        return;
    // Only an entry still being added has no configuration: AddInv's reads
    // run the message loop, and judging (or switching) the half-made entry
    // meanwhile would compare with a number not yet set.
    if (!inv->Cfg)
        return;

    if (number == -1) {
        prj_.SetInvState(a, -1);
        return;
    }
    if (number == inv->CfgId) {
        prj_.SetInvState(a, -2);
        return;
    }
    if (inv->State != -3)
        askAboutNumber(a, number);
}

void TPrjWatch::askAboutNumber(int InvAdr, int Number)
{
    TPrjInvRec* inv = prj_.GetInv(InvAdr);
    const int former = inv->CfgId;
    questionOpen_ = true;
    const int answer =
        prj_.Interaction().Message(prj_.MsgWrongId, prj_.NewOldIdButtons, QString(), pmiInformation,
                                   QString::number(InvAdr), QString::number(former), QString::number(Number), 0, 1);
    int state = -3;
    if (answer == 0 && prj_.GetInv(InvAdr)) {
        const int r = prj_.ChangeCfgId(InvAdr, Number);
        if (r > 0 && r != former)
            state = -2;
    }
    // The entry may have gone while the question was open.
    if ((inv = prj_.GetInv(InvAdr)) != nullptr) {
        inv->State = state;
        if (prj_.OnInvStateChanged)
            prj_.OnInvStateChanged(&prj_, InvAdr, state);
    }
    questionOpen_ = false;
}

TScheduler* TVortalinPrj::scheduler() const
{
    return watch_ ? watch_->Scheduler() : nullptr;
}

void TVortalinPrj::SetScheduler(TScheduler* Sch)
{
    if (Sch && scheduler() == Sch)
        return;
    watch_.reset();
    if (Sch)
        watch_ = std::make_shared<TPrjWatch>(*this, *Sch);
}
