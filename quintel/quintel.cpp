#include "quintel/quintel.h"
#include "platform/clock.h"

#include "config/vortalin_help.h"

#include <QEventLoop>

#include <algorithm>
#include <climits>

tCpEntry::tCpEntry() : Para(std::make_shared<TParaRec>()) {}

tQuintel::tQuintel() = default;

tQuintel::~tQuintel()
{
    // A wait still running (the owner freed the engine from inside it)
    // must not touch the engine any more.
    *FAlive = false;
    for (QEventLoop* loop : FWaits)
        loop->quit();
}

int tQuintel::quintelCount() const { return Cfg ? std::max<int>(Cfg->QuintelCount, 0) : 0; }
int tQuintel::base() const { return Cfg ? Cfg->QuintelBase : 0; }
int tQuintel::selectorPar() const { return base() < 0 ? -base() : -1; }
int tQuintel::valuePar() const { return Cfg ? Cfg->QuintelSel : -1; }
bool tQuintel::newStyle() const { return Cfg && Cfg->NewStyle; }

QString tQuintel::entryName(int n)
{
    const QString name = n < 10 ? QStringLiteral("CP0%1").arg(n) : QStringLiteral("CP%1").arg(n);
    return name.left(4);
}

std::shared_ptr<TParaRec> tQuintel::paraCopy(const TParaRec* src)
{
    auto p = std::make_shared<TParaRec>();
    if (src)
        src->CopyTo(*p);
    return p;
}

void tQuintel::clearEntries() { Entries.clear(); }

tCpEntry* tQuintel::GetEntry(int Id) const
{
    const int k = IndexOfId(Id);
    return k < 0 ? nullptr : Entries[size_t(k)].get();
}

int tQuintel::IndexOfId(int Id) const
{
    for (size_t k = 0; k < Entries.size(); ++k)
        if (Entries[k]->Id == Id)
            return int(k);
    return -1;
}

QString tQuintel::SetSelText(int Def)
{
    switch ((Def >> 8) & 3) {
    case 0: return SetMaskToStr(int16_t(Def & 0xFF));
    case 2: return SetMaskToStr(-1);
    default: return SetMaskToStr(0);  // 1, and 3, which requests treat as 1
    }
}

// Waiting

// The machine is at rest when no request is outstanding or it stands in
// state 0. The wait lets the message loop run so that the owner's next
// GetRequest or the outstanding answer reaches the engine (Abort then
// stops the machine); it ends when one of them did or after WaitLimitMs.
// Whatever was outstanding is forgotten afterwards: its answer, should it
// still come, belongs to no request of the engine. False when the engine
// was freed meanwhile.
bool tQuintel::waitForRest()
{
    if (Busy && State != 0) {
        Abort = true;
        QEventLoop loop;
        qel::TTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &qel::TTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(WaitLimitMs);
        FWaits.push_back(&loop);
        const std::shared_ptr<bool> alive = FAlive;
        loop.exec();
        if (!*alive)
            return false;
        FWaits.erase(std::find(FWaits.begin(), FWaits.end(), &loop));
    }
    Busy = false;
    FOutTag = 0;
    return true;
}

void tQuintel::notifyRest()
{
    if (Busy && State != 0)
        return;
    for (QEventLoop* loop : FWaits)
        loop->quit();
}

// Control

int tQuintel::Start(int Inverter_, std::shared_ptr<TCfgRec> Cfg_, TQuintelOnError OnError_)
{
    if (!waitForRest())
        return 0;
    Abort = false;
    clearEntries();
    Inverter = Inverter_;
    Cfg = std::move(Cfg_);
    OnError = std::move(OnError_);
    Status = -2;
    State = 0;
    if (Cfg) {
        State = 1;
        NextId = 0;
        Index = -1;
        ErrCount = 0;
    }
    return 0;
}

void tQuintel::Stop()
{
    if (!waitForRest())
        return;
    Abort = false;
    Status = -1;
    State = 0;
}

void tQuintel::Reset()
{
    Busy = false;
    FOutTag = 0;
    State = 0;
    Status = -1;
    notifyRest();
}

void tQuintel::SetValue(int Id, int Value)
{
    if (IndexOfId(Id) < 0)
        return;
    if (!waitForRest())
        return;
    Abort = false;
    // The table may have changed while waiting.
    const int k = IndexOfId(Id);
    if (k < 0)
        return;
    State = 8;
    Index = k;
    Entries[size_t(k)]->Value = Value;
}

void tQuintel::RequestNotSent()
{
    Busy = false;
    FOutTag = 0;
    notifyRest();
}

// Requests

void tQuintel::fillRequest(TReqRec& Req, bool isRead, int service, int parAdr)
{
    Req.Valid = 1;
    Req.InvAdr = Inverter;
    Req.IsRead = isRead ? 1 : 0;
    Req.Service = service;
    Req.Data.Clear();
    Req.Data.ParAdr = uint16_t(parAdr);
    FTagCounter = FTagCounter == INT_MAX ? 1 : FTagCounter + 1;
    Req.Tag = FTagCounter;
    FOutTag = FTagCounter;
    FOutService = service;
    Busy = true;
}

// The access of one entry: service -1 without sets, else service 0 with
// the set mask or service 1 with the set addressing.
void tQuintel::fillEntryAccess(TReqRec& Req, const tCpEntry& e, bool isRead)
{
    if (!newStyle()) {
        fillRequest(Req, isRead, QelService::Plain, e.Address);
        if (!isRead)
            Req.Data.ParSet = uint16_t(e.Value);
        return;
    }
    int service = QelService::ParaSetAdr;
    int sel = 1;
    switch ((e.Def >> 8) & 3) {
    case 0:
        service = QelService::ParaSet;
        sel = e.Def & 0xFF;
        break;
    case 2: sel = 0; break;
    default: break;
    }
    fillRequest(Req, isRead, service, e.Address);
    Req.Data.ParSet = uint16_t(sel & 0xFF);
    if (!isRead)
        Req.Data.Value = e.Value;
}

// States 4 to 7: the four reads of normalisation set CpNo. False when
// there is nothing left to read.
bool tQuintel::normRequest(TReqRec& Req)
{
    if (State == 4 && !(newStyle() && CpNo <= 7))
        return false;
    const int s = selectorPar();
    const int first = s >= 0 ? s + 3 : base() + 72;
    fillRequest(Req, true, QelService::ParaSet, first + (State - 4));
    Req.Data.ParSet = uint16_t(Index & 0xFF);
    return true;
}

void tQuintel::finishDefinitions()
{
    AllSet0 = true;
    for (const auto& e : Entries) {
        if (e->NormSet > 0 && e->NormSet <= 7) {
            const TNormRec& n = Norm[size_t(e->NormSet)];
            e->Para->Mul = n.Mul;
            e->Para->Div = n.Div;
            e->Para->Offset = n.Offset;
            e->Para->Format = uint16_t(n.Format);
        }
        if (e->Id >= 0 && (e->Def & 0xFF) != 1)
            AllSet0 = false;
    }
    Index = 0;
    State = 3;
    Status = -1;
}

void tQuintel::GetRequest(TReqRec& Req)
{
    Req.Valid = 0;
    if (Abort) {
        State = 0;
        Status = -1;
        notifyRest();
        return;
    }
    if (!Cfg)
        State = 0;
    const int n = quintelCount();
    const int s = selectorPar();
    for (;;) {
        switch (State) {
        case 1:
        case 2:
            if (State == 1 && Index == -1) {
                if (n == 0) {
                    State = 0;
                    return;
                }
                CpNo = 0;
                auto cp0 = std::make_unique<tCpEntry>();
                cp0->Address = Cfg->AccessParAdr;
                cp0->Para = paraCopy(Cfg->FindPara(Cfg->AccessParAdr));
                cp0->Status = NotReadYet;
                cp0->Name = QStringLiteral("CP00");
                cp0->Def = 1;
                cp0->Id = NextId++;
                if (valuePar() >= 0)
                    cp0->Address = int16_t(valuePar());
                Entries.push_back(std::move(cp0));
                Index = base();
                CpNo = 1;
                if (s >= 0)
                    State = 9;
                continue;
            }
            if (CpNo >= n) {
                State = 4;
                Index = 2;
                CpNo = 1;
                continue;
            }
            fillRequest(Req, true, QelService::Plain, Index);
            return;
        case 9:
            if (CpNo >= n) {
                State = 4;
                Index = 2;
                CpNo = 1;
                continue;
            }
            fillRequest(Req, false, QelService::Plain, s);
            Req.Data.ParSet = uint16_t(CpNo);
            Index = s;
            return;
        case 3: {
            const int count = int(Entries.size());
            const int from = Index >= 0 && Index < count ? Index : 0;
            // One round at most: a table without addresses sends nothing.
            for (int i = 0; i < count; ++i) {
                const int k = (from + i) % count;
                if (Entries[size_t(k)]->Address != -1) {
                    Index = k;
                    fillEntryAccess(Req, *Entries[size_t(k)], true);
                    return;
                }
            }
            return;
        }
        case 8: {
            if (Index < 0 || Index >= int(Entries.size())) {
                State = 3;
                Index = 0;
                return;
            }
            const tCpEntry& e = *Entries[size_t(Index)];
            if (!newStyle() && (e.Value > 32767 || e.Value < -32768)) {
                // A 16-bit write cannot carry the value.
                State = 3;
                const QString name = e.Name;
                if (OnError)
                    OnError(name, 3);
                return;
            }
            fillEntryAccess(Req, e, false);
            return;
        }
        case 4:
        case 5:
        case 6:
        case 7:
            if (!normRequest(Req))
                finishDefinitions();
            return;
        default:
            State = 0;
            Status = -1;
            return;
        }
    }
}

// Answers

// A failed answer while the definitions are read: transmission failures
// are retried up to five times in a row, anything else ends the reading.
bool tQuintel::definitionFailed(int Result)
{
    if (Result >= QelResult::Checksum && Result <= QelResult::Parity)
        ++ErrCount;
    else
        ErrCount = 1000;
    if (ErrCount > 5) {
        Status = -3;
        State = 0;
        return true;
    }
    return false;
}

// After an entry's definition: the next pair of parameters, or in selector
// mode the selection of the next entry.
void tQuintel::afterEntry()
{
    if (selectorPar() >= 0) {
        State = 9;
        Index = selectorPar();
    } else {
        State = 1;
    }
}

void tQuintel::ResponseAvail(const TRecTel& Tel, int Tag)
{
    if (Tag == 0 || Tag != FOutTag)
        return;
    FOutTag = 0;
    Busy = false;
    const int service = FOutService;
    if (Abort) {
        State = 0;
        Status = -1;
        notifyRest();
        return;
    }
    const int r = Tel.Status;
    const int16_t v16 = int16_t(Tel.Data.ParSet);
    switch (State) {
    case 1:
    case 2:
    case 4:
    case 5:
    case 6:
    case 7:
    case 9:
        if (r != 0) {
            definitionFailed(r);
            break;
        }
        ErrCount = 0;
        if (State == 1) {
            auto e = std::make_unique<tCpEntry>();
            e->Address = v16;
            const TParaRec* p = (v16 != -1 && Cfg) ? Cfg->FindPara(v16) : nullptr;
            if (p) {
                e->Para = paraCopy(p);
                e->Status = NotReadYet;
                e->Id = NextId++;
                e->Name = entryName(CpNo);
                Index += 1;
                State = 2;
            } else {
                e->Id = -1;
                Index += 2;
                CpNo += 1;
                afterEntry();
            }
            Entries.push_back(std::move(e));
        } else if (State == 2) {
            if (!Entries.empty()) {
                tCpEntry& e = *Entries.back();
                e.Def = newStyle() ? int32_t(v16) : int32_t(uint32_t(1) << (v16 & 31));
                if (valuePar() >= 0)
                    e.Address = int16_t(valuePar() + CpNo);
                e.NormSet = int16_t((e.Def >> 10) & 7);
            }
            Index += 1;
            CpNo += 1;
            afterEntry();
        } else if (State == 9) {
            State = 1;
            Index += 1;
        } else {
            const int16_t low = int16_t(Tel.Data.Value & 0xFFFF);
            if (CpNo >= 1 && CpNo <= 7) {
                TNormRec& n = Norm[size_t(CpNo)];
                switch (State) {
                case 4: n.Div = low == 0 ? 1 : low; break;
                case 5: n.Mul = low; break;
                case 6: n.Offset = low; break;
                default: n.Format = low; break;
                }
            }
            if (State == 7) {
                Index <<= 1;
                CpNo += 1;
                State = 4;
            } else {
                State += 1;
            }
        }
        break;
    case 3:
        if (Index >= 0 && Index < int(Entries.size())) {
            tCpEntry& e = *Entries[size_t(Index)];
            e.Status = r;
            Status = e.Id;
            if (r == 0) {
                e.Value = service == QelService::Plain ? int32_t(v16) : Tel.Data.Value;
                if (Index == 0)
                    ShowIdText = e.Value == -3;
            }
        }
        Index += 1;
        break;
    case 8: {
        State = 3;
        if (Index < 0 || Index >= int(Entries.size()))
            break;
        tCpEntry& e = *Entries[size_t(Index)];
        e.Status = r;
        Status = e.Id;
        if (r != 0 && OnError) {
            const QString name = e.Name;
            notifyRest();
            OnError(name, r);
            return;
        }
        break;
    }
    default:
        break;
    }
    notifyRest();
}
