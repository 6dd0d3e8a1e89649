#include "lists/dwn_entry.h"

#include <algorithm>

void DeleteDwnEntry(TDwnList& List, int Index)
{
    if (Index < 0 || Index >= int(List.size()))
        return;
    if (auto& line = List[size_t(Index)]; line && line->OwnsPara)
        line->Para.reset();
    List.erase(List.begin() + Index);
}

int DeleteMarkedDwnEntries(TDwnList& List)
{
    const auto marked = [](const TDwnEntryPtr& line) { return line && line->Selected; };
    const auto first = std::find_if(List.begin(), List.end(), marked);
    if (first == List.end())
        return -1;
    const int index = int(first - List.begin());
    for (auto it = first; it != List.end(); ++it)
        if (marked(*it) && (*it)->OwnsPara)
            (*it)->Para.reset();
    List.erase(std::remove_if(first, List.end(), marked), List.end());
    return index;
}

uint8_t DwnParaMode(const TParaRec* Para)
{
    if (!Para)
        return DwnMode::RW;
    if (Para->Flags & ParaFlag::DownloadWO)
        return DwnMode::WO;
    if (Para->Flags & ParaFlag::DownloadWA)
        return DwnMode::WA;
    if (Para->Flags & ParaFlag::DownloadRO)
        return DwnMode::RO;
    return DwnMode::RW;
}

std::shared_ptr<TParaRec> FindSharedPara(const std::shared_ptr<TCfgRec>& Cfg, int Addr)
{
    if (!Cfg)
        return nullptr;
    TParaRec* p = Cfg->FindPara(Addr);
    return p ? std::shared_ptr<TParaRec>(Cfg, p) : nullptr;
}
