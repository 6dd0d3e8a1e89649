#include "lists/adr_edit_lists.h"

#include "config/cfg_records.h"
#include "project/vortalin_prj.h"

#include <QRegularExpression>

void TAdrEditLists::FillLists(int InvAdr)
{
    Groups.clear();
    Params.clear();
    GroupIndex = ParamIndex = -1;
    cfg_.reset();
    group_ = nullptr;
    const TPrjInvRec* inv = Project && InvAdr >= 0 && InvAdr < kPrjInvCount ? Project->GetInv(InvAdr)
                                                                            : nullptr;
    if (!inv)
        return;
    Inverter = InvAdr;
    cfg_ = inv->Cfg;
    if (!cfg_ || cfg_->GrpList.Count() == 0) {
        cfg_.reset();
        Address = -1;
        return;
    }
    for (const auto& grp : cfg_->GrpList) {
        Groups << grp->IdText() + u' ' + grp->GetName(Language);
        if (GroupIndex < 0 && Address >= 0 && uint16_t(grp->BaseAddr) == (Address & 0xFF00))
            GroupIndex = int(Groups.size()) - 1;
    }
    if (GroupIndex < 0)
        GroupIndex = 0;
    group_ = cfg_->GrpList.GetItem(GroupIndex);
    fillParams(true);
}

void TAdrEditLists::fillParams(bool keepAddress)
{
    Params.clear();
    ParamIndex = -1;
    if (!group_)
        return;
    for (const auto& para : group_->ParaList) {
        Params << para->GetIdText() + u' ' + para->GetName(Language);
        if (keepAddress && ParamIndex < 0 && Address >= 0 && uint16_t(para->Addr) == Address)
            ParamIndex = int(Params.size()) - 1;
    }
    if (ParamIndex < 0 && !Params.isEmpty()) {
        ParamIndex = 0;
        Address = group_->ParaList.GetItem(0)->Addr;
    } else if (Params.isEmpty()) {
        // Nothing to pick: OK must not hand over the address of another group.
        Address = -1;
    }
}

void TAdrEditLists::ChooseGroup(int index)
{
    TGrpRec* grp = cfg_ ? cfg_->GrpList.GetItem(index) : nullptr;
    if (!grp)
        return;
    GroupIndex = index;
    group_ = grp;
    fillParams(false);
}

void TAdrEditLists::ChooseParam(int index)
{
    const TParaRec* para = group_ ? group_->ParaList.GetItem(index) : nullptr;
    if (!para)
        return;
    ParamIndex = index;
    Address = para->Addr;
}

int TAdrEditLists::ReadDirectEntry(const QString& text)
{
    QString t = text.trimmed().toLower();
    if (t.isEmpty())
        t = QStringLiteral("0");
    const qsizetype cut = t.indexOf(QRegularExpression(QStringLiteral("[., ]")));
    if (cut >= 0)
        t.truncate(cut);
    int base = 10;
    if (t.endsWith(u'h')) {
        base = 16;
        t.chop(1);
    } else if (t.endsWith(u'd')) {
        t.chop(1);
    }
    bool ok = false;
    const qlonglong value = t.toLongLong(&ok, base);  // fails for numbers too large to read
    if (!ok || value < 0 || value > 0x7FFF)
        return -1;
    return int(value);
}

QString TAdrEditLists::DirectText(int address)
{
    return QStringLiteral("%1").arg(address & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper() + u'h';
}
