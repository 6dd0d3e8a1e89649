#include "scope/scope_engine.h"

#include "config/cfg_records.h"
#include "config/lang_texts.h"
#include "project/vortalin_prj.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>

namespace {
constexpr int kTagChannel = 10000;
constexpr int kTagStatus = 20000;
constexpr int kTagSelect = 20001;
constexpr int kTagStopOffline = 20002;
constexpr int kMaxDelta = 0xFFFF;

// A plain parameter access (service -1); a write carries its 16-bit value
// in ParSet.
void plainRequest(TReqRec& Req, int parAdr, bool read, int tag, int value = 0)
{
    Req.Valid = 1;
    Req.Service = QelService::Plain;
    Req.IsRead = read ? 1 : 0;
    Req.Data.ParAdr = uint16_t(parAdr);
    Req.Data.ParSet = read ? 0 : uint16_t(value);
    Req.Tag = tag;
}

int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

TScopeEngine::TScopeEngine()
    : NowMs(steadyMs), NowDate([] { return DateOf(QDateTime::currentDateTime()); })
{
}

TScopeEngine::~TScopeEngine()
{
    SetScheduler(nullptr);
}

double TScopeEngine::DateOf(const QDateTime& t)
{
    static const QDate epoch(1899, 12, 30);
    return double(epoch.daysTo(t.date())) + t.time().msecsSinceStartOfDay() / 86400000.0;
}

void TScopeEngine::SetScheduler(TScheduler* Sch, QObject* Form)
{
    if (sched_ && SchedSlot >= 0)
        sched_->Unregister(SchedSlot);
    sched_ = Sch;
    SchedSlot = -1;
    if (!sched_)
        return;
    SchedSlot = sched_->Register(
        Form, [this](TReqRec& req) { BuildRequest(req); },
        [this](const TRecTel& rsp, int tag) { HandleReply(rsp, tag); }, [this] { ProjectChanged(); });
    if (SchedSlot >= 0)
        SchedState = sched_->SetState(SchedSlot, csPaused);
}

// ---- helpers

QStringList TScopeEngine::text(int section, int index) const
{
    if (Texts)
        if (const QStringList* l = Texts->GetStrings(section, index))
            return *l;
    return {QStringLiteral("???")};
}

QString TScopeEngine::text1(int section, int index) const
{
    return Texts ? Texts->GetText(section, index) : QStringLiteral("???");
}

void TScopeEngine::message(const QStringList& lines, int icon)
{
    Interaction->Message(lines, sbOk, Title, icon, QString(), QString(), QString(), 0, -1);
}

bool TScopeEngine::inProject(int inv) const
{
    return Project && Project->GetInv(inv) != nullptr;
}

TCfgRec* TScopeEngine::cfgOf(int inv) const
{
    const TPrjInvRec* r = Project ? Project->GetInv(inv) : nullptr;
    return r ? r->Cfg.get() : nullptr;
}

QString TScopeEngine::invLine(int inv) const
{
    const TPrjInvRec* r = Project ? Project->GetInv(inv) : nullptr;
    const QString name = r ? r->GetName().trimmed() : QString();
    return name.isEmpty() ? text1(0, 0) + u':' + QString::number(inv) : name;
}

void TScopeEngine::usedChannels()
{
    FirstChan = 4;
    LastChan = -1;
    for (int k = 0; k < kScopeChannels; ++k)
        if (Setup.Chan[k].Address >= 0) {
            LastChan = k;
            FirstChan = std::min(FirstChan, k);
        }
}

int TScopeEngine::nextChannel(int from) const
{
    int k = from > 3 ? 0 : std::max(from, 0);
    for (int n = 0; n < kScopeChannels; ++n, k = (k + 1) % kScopeChannels)
        if (Setup.Chan[k].Address >= 0)
            return k;
    return -1;
}

// ---- start and stop

void TScopeEngine::SpeedButton1Click(bool Down)
{
    if (Down) {
        if (RecState == recIdle)
            start();
        return;
    }
    // The inverter still records: have it stop and read out what it has.
    if (RecState == recOfflineTrigger && !StopAsked) {
        RecState = recOfflineStop;
        StopAsked = true;
        Screen->SetRunButton(true);
        return;
    }
    Stop();
}

void TScopeEngine::start()
{
    const bool offline = Setup.OfflineMode() == 1 && OfflineBase >= 0;
    const int want = Setup.ReadCycle() > 0 || offline ? csPolled : csExclusive;
    SchedState = sched_ && SchedSlot >= 0 ? sched_->SetState(SchedSlot, want) : want;
    if (want == csExclusive && SchedState != csExclusive) {
        message(text(0, 23));
        Screen->SetRunButton(false);
        return;
    }
    Screen->ClearPlot();
    RecState = offline ? recOfflineSetup : recTimingSetup;
    ReqStep = 0;
    StopAsked = false;
    offlineRun_ = offline;
    offlineBegun_ = false;
    Screen->SetRecordingLook(true);
}

void TScopeEngine::Stop()
{
    if (RecState == recIdle)
        return;
    Screen->SetRunButton(false);
    RecState = recIdle;
    StopAsked = false;
    SchedState = sched_ && SchedSlot >= 0 ? sched_->SetState(SchedSlot, csPaused) : csPaused;
    if (offlineRun_ && offlineBegun_) {
        // RingEnd is one past the newest complete sample.
        if (RingEnd > 0)
            --RingEnd;
        RingStart = 0;
    }
    offlineRun_ = false;
    Setup.ScrollPos() = 0;
    Screen->SetRecordingLook(false);
    Screen->RedrawAll();
}

void TScopeEngine::FormDeactivate()
{
    if (RecState != recIdle && SchedState == csExclusive)
        Stop();
}

void TScopeEngine::FormClose()
{
    Stop();
    WindowOpen = false;
    if (sched_ && SchedSlot >= 0)
        SchedState = sched_->SetState(SchedSlot, csRegistered);
}

void TScopeEngine::DoReadOfflineMem()
{
    if (RecState != recIdle || OfflineBase < 0)
        return;
    Setup.OfflineMode() = 1;
    for (int k = 1; k < kScopeChannels; ++k)
        Setup.Chan[k].Inverter = Setup.Chan[0].Inverter;
    Screen->SetRunButton(true);
    SpeedButton1Click(true);
    if (RecState == recOfflineSetup) {
        RecState = recOfflineSettings;
        ReqStep = 0;
    }
}

void TScopeEngine::beginOnline()
{
    RecState = recSampling;
    RingStart = 0;
    RingEnd = 0;
    Wrapped = false;
    PrevStamp = -1;
    RecTime = 0;
    Unsaved = true;
    CycleStart = NowMs();
    const int trig = Setup.TrigChannel();
    TrigState = trig >= 0 && trig < kScopeChannels && Setup.Chan[trig].Address >= 0 ? 1 : 0;
    TrigIndex = -1;
    LastIndex = kScopeLastIndex;
    StartDate = NowDate();
    Ring[0] = TScopeSample{};
    stage_ = TScopeSample{};
}

void TScopeEngine::beginOffline()
{
    RingStart = 0;
    RingEnd = 0;
    Wrapped = false;
    PrevStamp = -1;
    RecTime = 0;
    Unsaved = true;
    CycleStart = 0;
    TrigState = 0;
    TrigIndex = -1;
    LastIndex = kScopeLastIndex;
    StartDate = 0;
    ReqStep = 4;
    Ring[0] = TScopeSample{};
    stage_ = TScopeSample{};
    offlineBegun_ = true;
}

// ---- requests

void TScopeEngine::BuildRequest(TReqRec& Req)
{
    Req.Valid = 0;
    Req.InvAdr = Setup.Chan[0].Inverter;
    Req.Service = QelService::Plain;
    Req.IsRead = 1;
    Req.Tag = 0;
    Req.Data.Clear();
    CycleSkip = false;

    switch (RecState) {
    case recSampling:
        samplingRequest(Req);
        return;
    case recOfflineStop:
        plainRequest(Req, OfflineBase + 7, false, kTagStopOffline, 0);
        RecState = recOfflineTrigger;
        return;
    case recOfflineTrigger:
    case recOfflineStoring:
        plainRequest(Req, OfflineBase + 8, true, kTagStatus);
        return;
    case recOfflineReadOut:
        readOutRequest(Req);
        return;
    case recStopRequested:
        Stop();
        return;
    case recTimingSetup:
        // The steady clock always counts milliseconds.
        RecState = recChannelSetup;
        [[fallthrough]];
    case recChannelSetup:
        channelSetupRequest(Req);
        return;
    case recOfflineSetup:
        offlineSetupRequest(Req);
        return;
    case recOfflineSettings:
        offlineSettingsRequest(Req);
        return;
    case recIdle:
        return;
    }
}

bool TScopeEngine::noChannels()
{
    usedChannels();
    if (LastChan >= 0)
        return false;
    message(text(1, 16));
    Stop();
    return true;
}

// Online: the next channel's value, or one fast read of all four; the
// read cycle decides whether its answer is stored.
void TScopeEngine::samplingRequest(TReqRec& Req)
{
    if (Setup.ReadCycle() > 0 && (FastService == 18 || ReqStep == LastChan + 1)) {
        const int64_t now = NowMs();
        if (now - CycleStart < Setup.ReadCycle())
            CycleSkip = true;  // sent all the same; its answer is not stored
        else
            CycleStart = now;
    }
    Req.Valid = 1;
    Req.IsRead = 1;
    if (FastService == 18) {
        Req.InvAdr = FastInv;
        Req.Service = QelService::ScopeRead;
        Req.Tag = kTagChannel;
        return;
    }
    const int k = nextChannel(ReqStep);
    if (k < 0) {
        Req.Valid = 0;
        return;
    }
    const TScopeChannel& c = Setup.Chan[k];
    Req.Data.ParAdr = uint16_t(c.Address);
    if (!c.NewStyle) {
        Req.Service = QelService::Plain;
    } else if (c.SetSel < 0) {
        Req.Service = QelService::ParaSetAdr;
        Req.Data.ParSet = 0;
    } else {
        Req.Service = QelService::ParaSet;
        Req.Data.ParSet = uint16_t(1 << c.SetSel);
    }
    Req.InvAdr = c.Inverter;
    Req.Tag = kTagChannel + k;
    ReqStep = k + 1;
}

// Offline read-out: select the next sample, then read its channels.
void TScopeEngine::readOutRequest(TReqRec& Req)
{
    if (ReqStep == 4) {
        plainRequest(Req, OfflineBase + 9, false, kTagSelect, RingStart);
        ReqStep = 5;
        return;
    }
    const int k = nextChannel(ReqStep);
    if (k < 0)
        return;
    plainRequest(Req, OfflineBase + 10 + k, true, kTagChannel + k);
    if (Setup.Chan[k].NewStyle) {
        Req.Service = QelService::ParaSetAdr;
        Req.Data.ParSet = 0;
    }
    ReqStep = k + 1;
}

// Online set-up: per-channel reading begins at once; the fast read first
// writes the channel selection, each parameter once, in order, an off
// channel's two skipped.
void TScopeEngine::channelSetupRequest(TReqRec& Req)
{
    if (noChannels())
        return;
    if (FastService < 18) {
        ReqStep = 0;
        beginOnline();
        return;
    }
    if (ReqStep < 1)
        ReqStep = 1;
    while (ReqStep <= 8 && Setup.Chan[(ReqStep - 1) / 2].Address < 0)
        ReqStep += 2 - ((ReqStep - 1) & 1);
    if (ReqStep > 8) {
        beginOnline();
        return;
    }
    const int k = (ReqStep - 1) / 2;
    const bool address = ((ReqStep - 1) & 1) == 0;
    const TScopeChannel& c = Setup.Chan[k];
    const int mask = 1 << std::max<int>(c.SetSel, 0);
    Req.Valid = 1;
    Req.InvAdr = FastInv;
    Req.Service = QelService::ParaSet;
    Req.IsRead = 0;
    Req.Data.ParAdr = uint16_t(32 + ReqStep);
    Req.Data.ParSet = uint16_t(mask);
    Req.Data.Value = address ? c.Address : mask;
    Req.Tag = (address ? 16 : 32) + k;
    ++ReqStep;
}

// Offline set-up: the channel addresses, time base, trigger and trigger
// position into the inverter's scope block, then its start.
void TScopeEngine::offlineSetupRequest(TReqRec& Req)
{
    if (noChannels())
        return;
    if (ReqStep <= 3) {
        plainRequest(Req, OfflineBase + ReqStep, false, 16 + ReqStep, Setup.Chan[ReqStep].Address);
    } else if (ReqStep <= 6) {
        const int32_t v = ReqStep == 4 ? Setup.OfflineTimeBase()
            : ReqStep == 5             ? Setup.OfflineTrigger()
                                       : Setup.OfflineTrigPos();
        plainRequest(Req, OfflineBase + ReqStep, false, 48 + ReqStep - 4, v);
    } else if (ReqStep == 7) {
        plainRequest(Req, OfflineBase + 7, false, 0, 255);
    } else {
        RecState = recOfflineTrigger;
        beginOffline();
        return;
    }
    ++ReqStep;
}

// Reading a memory recorded earlier: the settings stored in the inverter
// first, then its samples.
void TScopeEngine::offlineSettingsRequest(TReqRec& Req)
{
    if (ReqStep <= 6) {
        plainRequest(Req, OfflineBase + ReqStep, true, ReqStep <= 3 ? 0x110 + ReqStep : 0x130 + ReqStep - 4);
        ++ReqStep;
        return;
    }
    CheckChannels();
    if (noChannels())
        return;
    RecState = recOfflineReadOut;
    beginOffline();
}

// ---- answers

void TScopeEngine::setupWriteFailed(const TRecTel& Rsp, int Tag)
{
    const int k = Tag & 0xF;
    const QString letter(QChar(u'A' + std::min(k, 3)));
    QStringList lines{invLine(Setup.Chan[std::min(k, 3)].Inverter)};
    switch (Tag & 0x30) {
    case 0x20:
        lines << text1(1, 5) + u' ' + letter + QStringLiteral(" (") + text1(0, 2) + u')';
        break;
    case 0x10:
        lines << text1(1, 5) + u' ' + letter + QStringLiteral(" (") + text1(0, 1) + u')';
        break;
    case 0x30:
        lines << text1(1, 33);
        if (TCfgRec* cfg = cfgOf(ScopeInv))
            if (TParaRec* p = cfg->FindPara(OfflineBase + 4 + k))
                lines << p->GetName(Language);
        break;
    default:
        lines << text1(0, 22);
        break;
    }
    lines << (Texts ? Texts->GetErrorText(Rsp.Status) : QStringLiteral("???"));
    message(lines);
    Stop();
}

void TScopeEngine::storeValue(TScopeSample& s, int k, const TRecTel& Rsp) const
{
    if (Rsp.Service == QelService::Plain) {
        int32_t v = int16_t(Rsp.Data.ParSet);
        const TParaRec* p = Setup.Chan[k].Para;
        if (p && !(p->Attr & 0x400))
            v = uint16_t(Rsp.Data.ParSet);
        s.ChanVal[k] = v;
    } else {
        s.ChanVal[k] = Rsp.Data.Value;
    }
}

void TScopeEngine::HandleReply(const TRecTel& Rsp, int Tag)
{
    if (SchedState == csPaused || RecState == recIdle)
        return;
    if (Tag < kTagChannel) {
        if (Rsp.Status != 0) {
            setupWriteFailed(Rsp, Tag);
            return;
        }
        if (Tag & 0x100) {
            const int16_t v = int16_t(Rsp.Data.ParSet);
            if ((Tag & 0x30) == 0x10 && (Tag & 0xF) < kScopeChannels)
                Setup.Chan[Tag & 0xF].Address = v;
            else if ((Tag & 0x3F) == 0x30)
                Setup.OfflineTimeBase() = v;
            else if ((Tag & 0x3F) == 0x31)
                Setup.OfflineTrigger() = v;
            else if ((Tag & 0x3F) == 0x32)
                Setup.OfflineTrigPos() = v;
        }
        return;
    }
    if (Tag == kTagStatus) {
        if (Rsp.Status != 0)
            return;  // read again
        const int v = Rsp.Data.ParSet;
        if (v == 0)
            RecState = recOfflineReadOut;
        else if (v == 2 && RecState != recOfflineStop)  // a stop asked for is still sent
            RecState = recOfflineStoring;
        return;
    }
    if (Tag == kTagStopOffline)
        return;
    if (RecState == recOfflineReadOut) {
        offlineAnswer(Rsp, Tag);
        return;
    }
    if (RecState == recSampling && Tag >= kTagChannel && Tag < kTagChannel + kScopeChannels)
        onlineAnswer(Rsp, Tag - kTagChannel);
}

void TScopeEngine::offlineAnswer(const TRecTel& Rsp, int Tag)
{
    if (Rsp.Status != 0) {
        const int s = Rsp.Status;
        if ((Tag == kTagSelect && s == 3) || s == 2 || s == 8 || s == 13)
            Stop();
        else
            ReqStep = 4;  // the same sample again, all its channels
        return;
    }
    const int k = Tag - kTagChannel;
    if (Tag == kTagSelect || k < 0 || k >= kScopeChannels)
        return;
    if (k == FirstChan)
        stage_ = TScopeSample{};
    storeValue(stage_, k, Rsp);
    if (k != LastChan)
        return;
    const bool first = PrevStamp == -1;
    stage_.TimeDelta = first ? 1 : uint16_t(Setup.OfflineTimeBase());
    Ring[RingEnd] = stage_;
    RecTime = first ? 1 : RecTime + stage_.TimeDelta;
    if (first) {
        Screen->RestartDrawing();
        PrevStamp = 0;
    }
    Screen->DrawSample(RingEnd);
    if (!(RingEnd > 0 && xyDuplicateOf(RingEnd, RingEnd - 1)))
        ++RingEnd;
    ++RingStart;
    ReqStep = 4;
    if (RingStart == LastIndex - 1)
        Stop();
}

bool TScopeEngine::xyDuplicateOf(int a, int b) const
{
    if (Setup.XYChannel() <= 0)
        return false;
    for (int k = 0; k < kScopeChannels; ++k)
        if (Setup.Chan[k].Address >= 0 && Ring[a].ChanVal[k] != Ring[b].ChanVal[k])
            return false;
    return true;
}

void TScopeEngine::onlineAnswer(const TRecTel& Rsp, int k)
{
    const bool fast = FastService == 18;
    if (PrevStamp == -1 && !fast && Rsp.Status != 0) {
        message({invLine(Setup.Chan[k].Inverter),
                 text1(1, 5) + u' ' + QChar(u'A' + k) + QStringLiteral(" (") + text1(0, 1) + u')',
                 Texts ? Texts->GetErrorText(Rsp.Status) : QStringLiteral("???")});
        Stop();
        return;
    }
    if (CycleSkip) {
        if (!fast)
            ReqStep = LastChan + 1;
        return;
    }
    if (Rsp.Status != 0 || !Rsp.IsRead) {
        // The incomplete sample is given up; the pass starts again.
        if (!fast)
            ReqStep = 0;
        return;
    }
    if (fast) {
        stage_ = TScopeSample{};
        const TTelData& d = Rsp.Data;
        const int32_t v[kScopeChannels] = {d.GetI32(4), d.GetI32(8), d.GetI16(12), d.GetI16(14)};
        for (int c = 0; c < kScopeChannels; ++c)
            if (Setup.Chan[c].Address >= 0)
                stage_.ChanVal[c] = v[c];
        commitOnline(d.GetU16(0));
        return;
    }
    if (k == FirstChan)
        stage_ = TScopeSample{};
    storeValue(stage_, k, Rsp);
    if (k == LastChan)
        commitOnline(0);
}

// A complete sample enters the ring.
void TScopeEngine::commitOnline(uint16_t stamp)
{
    const bool fast = FastService == 18;
    if (PrevStamp == -1) {
        stage_.TimeDelta = 1;
        Ring[0] = stage_;
        RingEnd = 0;
        RecTime = 1;
        Screen->RestartDrawing();
        if (fast) {
            PrevStamp = stamp;
        } else {
            PrevMs = NowMs();
            PrevStamp = 0;
        }
    } else {
        int64_t delta = 0, newStamp = 0, now = 0;
        if (fast) {
            int64_t s = stamp;
            if (s < PrevStamp)
                s += 0x10000;
            delta = s - PrevStamp;
            newStamp = s & 0xFFFF;
        } else {
            now = NowMs();
            delta = std::clamp<int64_t>(now - PrevMs, 0, kMaxDelta);
        }
        // X/Y mode: a sample equal in every used channel to the newest is
        // not kept; the time goes on from the newest.
        if (Setup.XYChannel() > 0) {
            bool same = true;
            for (int c = 0; c < kScopeChannels; ++c)
                if (Setup.Chan[c].Address >= 0 && stage_.ChanVal[c] != Ring[RingEnd].ChanVal[c])
                    same = false;
            if (same)
                return;
        }
        if (fast)
            PrevStamp = newStamp;
        else
            PrevMs = now;
        if (!Wrapped && RecTime >= Setup.MaxReadTime())
            LastIndex = RingEnd;
        if (RingEnd == LastIndex) {
            RingEnd = -1;
            Wrapped = true;
        }
        ++RingEnd;
        const uint16_t old = Ring[RingEnd].TimeDelta;
        stage_.TimeDelta = uint16_t(delta);
        Ring[RingEnd] = stage_;
        RecTime += delta;
        if (Wrapped) {
            RingStart = RingEnd + 1 > LastIndex ? 0 : RingEnd + 1;
            RecTime -= old;
            if (TrigState == 3)
                TrigTime -= old;
            StartDate += old / 86400000.0;
        }
    }

    // Software trigger on the trigger channel's value of this sample.
    if (TrigState != 0) {
        const int32_t v = Ring[RingEnd].ChanVal[Setup.TrigChannel()];
        const int32_t L = Setup.Chan[Setup.TrigChannel()].TrigLevel;
        if (TrigState == 1) {
            TrigPrev = v;
            TrigState = 2;
        } else if (TrigState == 2) {
            const int slope = Setup.TrigSlope();
            const bool fires = ((slope == 0 || slope == 2) && TrigPrev > L && v <= L)
                || ((slope == 1 || slope == 2) && TrigPrev < L && v >= L) || (slope == 3 && v == L);
            if (fires) {
                TrigState = 3;
                TrigIndex = RingEnd;
                TrigTime = RecTime;
            } else {
                TrigPrev = v;
            }
        }
    }
    Screen->DrawSample(RingEnd);
    if (TrigState == 3 && TrigTime + Setup.TrigDelay() < RecTime)
        Stop();
}

// ---- channels and the project

void TScopeEngine::CheckChannels()
{
    if (!Project)
        return;
    if (!inProject(ScopeInv)) {
        for (int a = 0; a <= MaxInvAdr; ++a)
            if (inProject(a)) {
                ScopeInv = a;
                break;
            }
        Screen->CaptionChanged();
        if (sched_ && SchedSlot >= 0)
            sched_->ItemChanged(SchedSlot);
    }
    if (Project->InvCount() == 0) {
        for (TScopeChannel& c : Setup.Chan) {
            c.Para = nullptr;
            c.Address = -1;
            c.Inverter = -1;
        }
        OfflineBase = -1;
        Screen->ChannelsResolved();
        return;
    }
    for (TScopeChannel& c : Setup.Chan) {
        if (!inProject(c.Inverter))
            c.Inverter = int16_t(ScopeInv);
        TCfgRec* cfg = cfgOf(c.Inverter);
        c.Para = cfg && c.Address >= 0 ? cfg->FindPara(c.Address) : nullptr;
        c.NewStyle = cfg ? cfg->NewStyle : 0;
        if (!c.Para)
            c.Address = -1;
    }
    ScopeInv = Setup.Chan[0].Inverter;
    TCfgRec* own = cfgOf(ScopeInv);
    OfflineBase = own && own->ScopeBase >= 0 ? own->ScopeBase : -1;
    // Offline needs a block the configuration describes.
    if (OfflineBase < 0)
        Setup.OfflineMode() = 0;
    TimeUnit = QStringLiteral("ms");
    if (OfflineBase >= 0 && Setup.OfflineMode() == 1)
        if (const TParaRec* tb = own->FindPara(OfflineBase + 4); tb && (tb->Flags & 0x800))
            TimeUnit = QStringLiteral("us");
    Screen->ChannelsResolved();
    Screen->CaptionChanged();
    if (Setup.OfflineMode() == 1)
        return;

    FastService = 18;
    int inv = -1;
    for (int k = 0; k < kScopeChannels; ++k) {
        const TScopeChannel& c = Setup.Chan[k];
        if (c.Address < 0)
            continue;
        bool impossible = false;
        if (inv < 0)
            inv = c.Inverter;
        else if (c.Inverter != inv)
            impossible = true;
        if (k >= 2 && c.Para && (c.Para->Attr & 0xC0) == 0x80)
            impossible = true;
        if (impossible) {
            FastService = 0;
            message(text(1, 47));
            break;
        }
    }
    if (inv >= 0)
        if (TCfgRec* cfg = cfgOf(inv); cfg && !cfg->NewStyle)
            FastService = 0;
    for (int k = 0; k < kScopeChannels; ++k)
        if (Setup.Chan[k].Address >= 0 && Setup.Chan[k].SetSel < 0) {
            if (FastService == 18)
                message(text(1, 47));
            FastService = 0;
            break;
        }
    FastInv = inv >= 0 ? inv : ScopeInv;
}

void TScopeEngine::ProjectChanged()
{
    if (!WindowOpen || FileLoading)
        return;
    // A recording ends before its channels may move to another drive.
    Stop();
    CheckChannels();
    if (!inProject(ScopeInv)) {
        message(text(0, 15));
        message(text(1, 15), 3);
        WindowOpen = false;
        Screen->CloseForEmptyProject();
    }
}
