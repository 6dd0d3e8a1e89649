#pragma once

// A small hand-made configuration for the explorer tests: groups with
// shortcut letters, visible and invisible parameters, a per-set parameter,
// a plain-text table and the set-pointer, active-set and password
// parameters.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "mainwin/prj_expl_core.h"
#include "project/vortalin_prj.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(u'|').toStdString() << ']'; }

namespace expltest {

inline std::shared_ptr<TParaRec> MakePara(int addr, const QString& id, const QString& name, uint32_t attr,
                                          uint32_t flags, uint16_t format = 0)
{
    auto p = std::make_shared<TParaRec>();
    p->Addr = int16_t(addr);
    p->SetIdText(id);
    p->SetName(0, name);
    p->SetName(1, name + QStringLiteral(" EN"));
    p->Attr = attr;
    p->Flags = flags;
    p->Format = format;
    p->LowerLim = 0;
    p->UpperLim = 1000;
    p->DefVal = 50;
    p->Mul = 1;
    p->Div = 1;
    return p;
}

inline std::shared_ptr<TGrpRec> MakeGroup(const char id[2], char shortcut, const QString& name, int16_t prop,
                                          int16_t base)
{
    auto g = std::make_shared<TGrpRec>();
    g->IdChar = {id[0], id[1]};
    g->Shortcut = shortcut;
    g->Prop = prop;
    g->BaseAddr = base;
    g->Name.Set(0, name);
    g->Name.Set(1, name + QStringLiteral(" EN"));
    g->Index = uint8_t(base >> 8);
    return g;
}

// NewStyle: group "DR" (shortcut Q) with a per-set parameter, a signed and
// an unsigned one, an invisible one and a supervisor one; group "SY"
// (shortcut 1) with set pointer, active set and password.
inline std::shared_ptr<TCfgRec> MakeCfg(int cfgId, bool newStyle)
{
    auto c = std::make_shared<TCfgRec>();
    c->CfgId = cfgId;
    c->NewStyle = newStyle ? 1 : 0;
    c->SetPtrParAdr = 0x0201;
    c->ActSetParAdr = 0x0202;
    c->AccessParAdr = 0x0203;
    auto pt = std::make_shared<TPlainTextRec>();
    pt->TextId = 7;
    auto def = std::make_shared<TDefRec>();
    def->Mask = 0x3;
    def->Name.Set(0, QStringLiteral("Modus"));
    def->Name.Set(1, QStringLiteral("Mode"));
    auto sub = std::make_shared<TSubRec>();
    sub->Value = 1;
    sub->Name.Set(0, QStringLiteral("Ein"));
    sub->Name.Set(1, QStringLiteral("On"));
    def->SubList.Add(sub);
    pt->DefList.Add(def);
    c->PlainTexts.Add(pt);

    auto dr = MakeGroup("DR", 'Q', QStringLiteral("Antrieb"), 0x10, 0x0100);
    dr->ParaList.Add(MakePara(0x0101, QStringLiteral("d1"), QStringLiteral("Sollwert"), ParaAttr::PerSet | 0x40, 0x0E,
                              0x0012));
    dr->ParaList.Add(MakePara(0x0102, QStringLiteral("d2"), QStringLiteral("Strom"), ParaAttr::Signed | 0x40, 0x06));
    dr->ParaList.Add(MakePara(0x0103, QStringLiteral("d3"), QStringLiteral("Zaehler"), 0x40, 0x04));
    dr->ParaList.Add(MakePara(0x0104, QStringLiteral("d4"), QStringLiteral("Versteckt"), 0x40, 0x00));
    dr->ParaList.Add(MakePara(0x0105, QStringLiteral("d5"), QStringLiteral("Service"), 0x47, 0x04));
    auto modus = MakePara(0x0106, QStringLiteral("d6"), QStringLiteral("Modus"), 0x40, 0x0C);
    modus->TextId = 7;
    modus->PlainText = pt;
    modus->DefCount = 1;
    dr->ParaList.Add(modus);
    c->GrpList.Add(dr);

    auto sy = MakeGroup("SY", '1', QStringLiteral("System"), 0x10, 0x0200);
    sy->ParaList.Add(MakePara(0x0201, QStringLiteral("s1"), QStringLiteral("Satzzeiger"), 0x40, 0x0E));
    sy->ParaList.Add(MakePara(0x0202, QStringLiteral("s2"), QStringLiteral("Aktiver Satz"), 0x40, 0x04));
    sy->ParaList.Add(MakePara(0x0203, QStringLiteral("s3"), QStringLiteral("Passwort"), 0x40, 0x04));
    c->GrpList.Add(sy);

    auto hidden = MakeGroup("HG", 'h', QStringLiteral("Verborgen"), 0x00, 0x0300);
    hidden->ParaList.Add(MakePara(0x0301, QStringLiteral("h1"), QStringLiteral("Intern"), 0x40, 0x04));
    c->GrpList.Add(hidden);
    return c;
}

// A project with configurations 100 (NewStyle) and 101 (old style).
struct ExplProject {
    ExplProject()
    {
        prj.Append(MakeCfg(100, true));
        prj.Append(MakeCfg(101, false));
    }
    void add(int adr, int cfgId, const QString& name)
    {
        ASSERT_EQ(prj.AddInv(adr, cfgId, name, prOffline, true), 0);
    }
    TVortalinPrj prj;
};

} // namespace expltest
