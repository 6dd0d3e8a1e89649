#include "config/cfg_records.h"

#include "platform/codepage.h"

#include <algorithm>

namespace {
const QString kBlankName(kMaxNameLen, QLatin1Char(' '));
}

TNames::TNames() : name_{kBlankName, kBlankName} {}

void TNames::Set(int lang, const QString& text)
{
    name_[lang == 1 ? 1 : 0] = text.left(kMaxNameLen);
}

TSubRec* TSubList::FindValue(int32_t value) const
{
    for (const auto& s : items_)
        if (s->Value == value)
            return s.get();
    return nullptr;
}

TDefRec* TDefList::FindMask(uint32_t mask) const
{
    for (const auto& d : items_)
        if (d->Mask == mask)
            return d.get();
    return nullptr;
}

std::shared_ptr<TPlainTextRec> TPlainTextList::FindIdShared(int id) const
{
    for (const auto& t : items_)
        if (static_cast<int>(static_cast<uint16_t>(t->TextId)) == id)
            return t;
    return nullptr;
}

TPlainTextRec* TPlainTextList::FindId(int id) const
{
    return FindIdShared(id).get();
}

TParaRec::TParaRec() : idText_(kMaxIdTextLen, QLatin1Char(' ')) {}

void TParaRec::SetIdText(const QString& text)
{
    idText_ = text.left(kMaxIdTextLen);
}

void TParaRec::CopyTo(TParaRec& dest) const
{
    dest = *this;
}

TParaRec* TParaList::FindAddr(int addr) const
{
    for (const auto& p : items_)
        if (static_cast<int>(p->Addr) == addr)
            return p.get();
    return nullptr;
}

QString TGrpRec::IdText() const
{
    return fromCodePage(QByteArrayView(IdChar.data(), 2), CodePage::Cp1252);
}

TGrpRec* TGrpList::FindGroup(int addr) const
{
    const int base = addr & 0xFF00;
    for (const auto& g : items_)
        if (static_cast<int>(g->BaseAddr) == base)
            return g.get();
    return nullptr;
}

void TGrpList::SortByIndex()
{
    std::stable_sort(items_.begin(), items_.end(),
                     [](const auto& a, const auto& b) { return a->Index < b->Index; });
}

TCfgRec::TCfgRec() : GroupName(kBlankName), TypeName(kBlankName) {}

TParaRec* TCfgRec::FindPara(int addr) const
{
    if (const TGrpRec* g = GrpList.FindGroup(addr))
        if (TParaRec* p = g->ParaList.FindAddr(addr))
            return p;
    for (const auto& g : GrpList)
        if (TParaRec* p = g->ParaList.FindAddr(addr))
            return p;
    return nullptr;
}
