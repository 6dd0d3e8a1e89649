#pragma once

// Shared by the Quintel tests: small configurations built in code, a
// scripted inverter that answers the engine's requests from tables, and an
// owner that runs the engine's request/answer cycle by hand.

#include "quintel/quintel.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace qtest {

inline std::shared_ptr<TParaRec> para(int addr)
{
    auto p = std::make_shared<TParaRec>();
    p->Addr = int16_t(addr);
    p->Mul = 1;
    p->Div = 1;
    p->SetIdText(QStringLiteral("P%1").arg(addr, 3, 16, QLatin1Char('0')));
    return p;
}

// A configuration knowing the password 1 and the given parameters.
inline std::shared_ptr<TCfgRec> makeCfg(int cfgId, bool newStyle, int count, int base, int sel,
                                        std::vector<int> known = {0x101, 0x102, 0x103, 0x104})
{
    auto cfg = std::make_shared<TCfgRec>();
    cfg->CfgId = cfgId;
    cfg->NewStyle = newStyle ? 1 : 0;
    cfg->AccessParAdr = 1;
    cfg->QuintelCount = count;
    cfg->QuintelBase = int16_t(base);
    cfg->QuintelSel = int16_t(sel);
    TGrpRec* g0 = cfg->GrpList.AddNew();
    g0->BaseAddr = 0;
    g0->ParaList.Add(para(1));
    TGrpRec* g1 = cfg->GrpList.AddNew();
    g1->BaseAddr = 0x100;
    for (int a : known)
        g1->ParaList.Add(para(a));
    return cfg;
}

// One request as text: R or W, service, address, the set byte of services
// 0 and 1, and for writes the value ("R-1:0E00", "W-1:0E00=2",
// "R0:0E48/02", "W1:0101/01=150").
inline QString describe(const TReqRec& r)
{
    QString s = QStringLiteral("%1%2:%3")
                    .arg(r.IsRead ? QLatin1Char('R') : QLatin1Char('W'))
                    .arg(r.Service)
                    .arg(r.Data.ParAdr, 4, 16, QLatin1Char('0'))
                    .toUpper();
    if (r.Service == 0 || r.Service == 1)
        s += QStringLiteral("/%1").arg(r.Data.ParSet & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    if (!r.IsRead)
        s += QStringLiteral("=%1").arg(r.Service == -1 ? int(int16_t(r.Data.ParSet)) : r.Data.Value);
    return s;
}

// Answers requests from tables: 16-bit values by address (service -1),
// 32-bit values by address and set byte (services 0 and 1; falling back to
// the address alone). A selector-mode inverter keeps the entry selected at
// `selPar` and answers selPar+1 and selPar+2 from `entries`.
struct ScriptedInverter {
    std::map<int, int32_t> values;
    std::map<std::pair<int, int>, int32_t> setValues;
    int selPar = -1;
    std::vector<std::pair<int, int>> entries;  // target, definition of CP01, CP02, ...
    int selected = 0;
    std::deque<int> results;  // result codes of the next answers (front first)
    std::vector<TReqRec> writes;

    TRecTel answer(const TReqRec& r)
    {
        TRecTel t;
        t.InvAdr = r.InvAdr;
        t.Service = r.Service;
        t.IsRead = r.IsRead;
        t.Data.ParAdr = r.Data.ParAdr;
        if (!results.empty()) {
            t.Status = results.front();
            results.pop_front();
            if (t.Status != 0)
                return t;
        }
        const int adr = r.Data.ParAdr;
        if (!r.IsRead) {
            writes.push_back(r);
            if (adr == selPar)
                selected = int16_t(r.Data.ParSet);
            return t;
        }
        int32_t v = 0;
        if (selPar >= 0 && (adr == selPar + 1 || adr == selPar + 2)) {
            const bool in = selected >= 1 && selected <= int(entries.size());
            v = adr == selPar + 1 ? (in ? entries[size_t(selected - 1)].first : -1)
                                  : (in ? entries[size_t(selected - 1)].second : 0);
        } else if (auto it = setValues.find({adr, r.Data.ParSet & 0xFF}); it != setValues.end() && r.Service >= 0) {
            v = it->second;
        } else if (auto it2 = values.find(adr); it2 != values.end()) {
            v = it2->second;
        }
        if (r.Service == -1)
            t.Data.ParSet = uint16_t(v);
        else
            t.Data.Value = v;
        return t;
    }
};

// Runs the engine's cycle: each step asks for a request, records it and
// hands back the inverter's answer with the request's tag.
struct ScriptedOwner {
    tQuintel& q;
    ScriptedInverter& inv;
    QStringList sent;

    bool step()
    {
        TReqRec r;
        r.Valid = 1;
        q.GetRequest(r);
        if (!r.Valid)
            return false;
        sent << describe(r);
        q.ResponseAvail(inv.answer(r), r.Tag);
        return true;
    }
    // Steps until `n` requests were sent or the engine sent nothing
    // `idle` times in a row.
    void run(int n, int idle = 3)
    {
        int quiet = 0;
        for (int sentNow = 0; sentNow < n && quiet < idle;) {
            if (step()) {
                ++sentNow;
                quiet = 0;
            } else {
                ++quiet;
            }
        }
    }
};

} // namespace qtest
