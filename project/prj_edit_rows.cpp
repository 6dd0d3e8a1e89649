#include "project/prj_edit_rows.h"

#include <algorithm>

void SplitFilePath(const QString& Path, QString& Dir, QString& Name)
{
    const int cut = int(std::max(Path.lastIndexOf(u'/'), Path.lastIndexOf(u'\\'))) + 1;
    Dir = Path.left(cut);
    Name = Path.mid(cut);
}

void TPrjEditRows::SetPageText(int Index, const QString& Text)
{
    if (Index >= 0 && Index < int(PageTexts.size()))
        PageTexts[size_t(Index)] = Text;
}

void TPrjEditRows::SetButtonText(int Group, const QString& Text)
{
    if (Group >= 0 && Group < int(ButtonTexts.size()))
        ButtonTexts[size_t(Group)] = Text;
}

void TPrjEditRows::SetInvColText(int Index, const QString& Text)
{
    if (Index >= 0 && Index < int(InvColTexts.size()))
        InvColTexts[size_t(Index)] = Text;
}

void TPrjEditRows::SetFileColText(int Index, const QString& Text)
{
    if (Index >= 0 && Index < int(FileColTexts.size()))
        FileColTexts[size_t(Index)] = Text;
}

QString TPrjEditRows::ProtText(int Prot)
{
    static const char* const texts[] = {"Offline", "DIN 66019", "Zelk", "Interbus", "IP", "CAN", "Profibus"};
    return Prot >= 0 && Prot <= 6 ? QString::fromLatin1(texts[Prot]) : QStringLiteral("ERROR");
}

QString TPrjEditRows::NumberText(const TPrjInvRow& Row) const
{
    const TPrjInvRec& c = *Row.Copy;
    if (Row.FromProject && !Row.Changed)
        return QStringLiteral("%1 / %2").arg(c.PrjCfgId).arg(c.CfgId);
    return QString::number(c.PrjCfgId);
}

int TPrjEditRows::FileKindOf(const QString& Path)
{
    TPrjInvRec probe;
    const QStringList* l = &TVortalinPrj::ListForFile(probe, Path);
    if (l == &probe.WorkFiles)
        return pfkWork;
    if (l == &probe.DownFiles)
        return pfkDown;
    if (l == &probe.ScopeFiles)
        return pfkScope;
    return pfkRem;
}

int TPrjEditRows::FilterIndexForPage(int Page)
{
    switch (Page) {
    case 2: return 2;
    case 3: return 3;
    case 4: return 4;
    default: return 6;
    }
}

static QStringList& kindList(TPrjInvRec& c, int Kind)
{
    switch (Kind) {
    case pfkWork: return c.WorkFiles;
    case pfkDown: return c.DownFiles;
    case pfkScope: return c.ScopeFiles;
    default: return c.RemFiles;
    }
}

int TPrjEditRows::message(const QStringList& Lines, const QStringList& Buttons, const QString& Title,
                          int Default, int Cancel)
{
    if (!ui_)
        return Cancel;
    return ui_->Message(Lines, Buttons, Title, pmiInformation, QString(), QString(), QString(), Default, Cancel);
}

// ---------------------------------------------------------------- filling

void TPrjEditRows::Clear()
{
    for (auto& f : Files)
        f.clear();
    Inverters.clear();
    SelInv = -1;
}

void TPrjEditRows::Fill(const TVortalinPrj& Prj, int ShowPage)
{
    Clear();
    if (ShowPage >= 1 && ShowPage <= 5)
        Page = ShowPage;
    PrjName = Prj.PrjName;
    ShownInterval = std::clamp(Prj.WatchInterval(), 0, 5000);
    WatchInterval = ShownInterval;
    Remarks = Prj.PrjRemarks();
    DataPath = Prj.DataPath;
    FileName = Prj.FileName;

    auto addFiles = [this](int adr, TPrjInvRec* copy, const std::array<const QStringList*, 4>& lists) {
        for (int k = 0; k < kPrjFileKinds; ++k)
            for (const QString& path : *lists[size_t(k)]) {
                TPrjFileRow r;
                r.Adr = adr;
                r.Copy = copy;
                SplitFilePath(path, r.Dir, r.Name);
                Files[size_t(k)].push_back(r);
            }
    };
    addFiles(-1, nullptr, {&Prj.WorkFiles, &Prj.DownFiles, &Prj.ScopeFiles, &Prj.RemFiles});
    for (int a = 0; a < kPrjInvCount; ++a) {
        const TPrjInvRec* e = Prj.GetInv(a);
        if (!e)
            continue;
        TPrjInvRow row;
        row.Copy = std::make_unique<TPrjInvRec>();
        TPrjInvRec& c = *row.Copy;
        c.Name = e->Name;
        c.PrjCfgId = e->PrjCfgId;
        c.CfgId = e->CfgId;
        c.InvAdr = e->InvAdr;
        c.Prot = e->Prot;
        c.WorkFiles = e->WorkFiles;
        c.DownFiles = e->DownFiles;
        c.ScopeFiles = e->ScopeFiles;
        c.RemFiles = e->RemFiles;
        row.FromProject = true;
        row.OrigAdr = a;
        addFiles(a, &c, {&e->WorkFiles, &e->DownFiles, &e->ScopeFiles, &e->RemFiles});
        Inverters.push_back(std::move(row));
    }
    SelInv = Inverters.empty() ? -1 : 0;
}

// ---------------------------------------------------------------- inverters

int TPrjEditRows::FindInv(int Adr) const
{
    for (size_t i = 0; i < Inverters.size(); ++i)
        if (Inverters[i].Copy->InvAdr == Adr)
            return int(i);
    return -1;
}

bool TPrjEditRows::HasZelk(int ExceptRow) const
{
    for (size_t i = 0; i < Inverters.size(); ++i)
        if (int(i) != ExceptRow && Inverters[i].Copy->Prot == prZelk)
            return true;
    return false;
}

int TPrjEditRows::FileRowsOf(const TPrjInvRec* Copy) const
{
    int n = 0;
    for (const auto& f : Files)
        for (const TPrjFileRow& r : f)
            n += Copy && r.Copy == Copy;
    return n;
}

int TPrjEditRows::ProposedAdr() const
{
    for (int a = 0; a < kPrjInvCount; ++a)
        if (FindInv(a) < 0)
            return a;
    return -1;
}

int TPrjEditRows::insertInv(TPrjInvRow Row)
{
    // Right after the last row whose address is not greater.
    size_t at = 0;
    while (at < Inverters.size() && Inverters[at].Copy->InvAdr <= Row.Copy->InvAdr)
        ++at;
    Inverters.insert(Inverters.begin() + std::ptrdiff_t(at), std::move(Row));
    return int(at);
}

void TPrjEditRows::insertFile(int Kind, TPrjFileRow Row)
{
    auto& list = Files[size_t(Kind)];
    size_t at = 0;
    while (at < list.size() && list[at].Adr <= Row.Adr)
        ++at;
    list.insert(list.begin() + std::ptrdiff_t(at), std::move(Row));
}

void TPrjEditRows::removeFileRowsOf(const TPrjInvRec* Copy)
{
    for (auto& f : Files)
        f.erase(std::remove_if(f.begin(), f.end(), [Copy](const TPrjFileRow& r) { return r.Copy == Copy; }),
                f.end());
}

bool TPrjEditRows::AddInv()
{
    TInvEditData d;
    d.InvName.clear();
    d.InvAdr = ProposedAdr();
    d.CfgId = 0;
    d.Prot = prANSI;
    if (!ui_ || d.InvAdr < 0 || !ui_->EditInv(d))
        return false;
    if (FindInv(d.InvAdr) >= 0) {
        message(InvAdrInUse, {ButtonTexts[1]}, QString(), 0, -1);
        return false;
    }
    if (d.Prot == prZelk && HasZelk(-1)) {
        message(ToManyZelk, {ButtonTexts[1]}, QString(), 0, -1);
        return false;
    }
    if (d.InvAdr < 0 || d.InvAdr >= kPrjInvCount)
        return false;
    TPrjInvRow row;
    row.Copy = std::make_unique<TPrjInvRec>();
    row.Copy->SetName(d.InvName);
    row.Copy->PrjCfgId = d.CfgId;
    row.Copy->InvAdr = d.InvAdr;
    row.Copy->Prot = d.Prot;
    row.Changed = true;
    row.NumberGiven = d.CfgId != 0;
    SelInv = insertInv(std::move(row));
    return true;
}

bool TPrjEditRows::EditInv(int Row)
{
    if (!ui_ || Row < 0 || Row >= int(Inverters.size()))
        return false;
    TPrjInvRec* c = Inverters[size_t(Row)].Copy.get();
    TInvEditData d;
    d.InvName = c->Name;
    d.CfgId = c->PrjCfgId;
    d.InvAdr = c->InvAdr;
    d.Prot = c->Prot;
    if (!ui_->EditInv(d))
        return false;
    bool changed = false;
    if (d.InvAdr != c->InvAdr) {
        if (FindInv(d.InvAdr) >= 0 || d.InvAdr < 0 || d.InvAdr >= kPrjInvCount) {
            message(InvAdrInUse, {ButtonTexts[1]}, QString(), 0, -1);
            return false;
        }
        if (FileRowsOf(c) > 0) {
            const int a = message(ChgCfgIdInfo, {ButtonTexts[7], ButtonTexts[6], ButtonTexts[0]},
                                  AssFilesInfoHeader, 0, 2);
            if (a == 0) {
                for (auto& f : Files) {
                    std::vector<TPrjFileRow> moved;
                    for (auto it = f.begin(); it != f.end();)
                        if (it->Copy == c) {
                            moved.push_back(*it);
                            it = f.erase(it);
                        } else {
                            ++it;
                        }
                    for (TPrjFileRow& r : moved) {
                        r.Adr = d.InvAdr;
                        const int kind = int(&f - &Files[0]);
                        insertFile(kind, r);
                    }
                }
            } else if (a == 1) {
                removeFileRowsOf(c);
                c->WorkFiles.clear();
                c->DownFiles.clear();
                c->ScopeFiles.clear();
                c->RemFiles.clear();
            } else {
                return false;
            }
        }
        TPrjInvRow row = std::move(Inverters[size_t(Row)]);
        Inverters.erase(Inverters.begin() + Row);
        row.Copy->InvAdr = d.InvAdr;
        row.Changed = true;
        Row = insertInv(std::move(row));
        SelInv = Row;
        changed = true;
    }
    TPrjInvRow& r = Inverters[size_t(Row)];
    if (d.CfgId != c->PrjCfgId) {
        c->PrjCfgId = d.CfgId;
        r.NumberGiven = true;
        r.Changed = true;
        changed = true;
    }
    if (d.InvName.left(kInvNameLen) != c->Name) {
        c->SetName(d.InvName);
        r.Changed = true;
        changed = true;
    }
    if (d.Prot != c->Prot) {
        if (d.Prot == prZelk && HasZelk(Row)) {
            message(ToManyZelk, {ButtonTexts[1]}, QString(), 0, -1);
        } else {
            c->Prot = d.Prot;
            r.Changed = true;
            changed = true;
        }
    }
    return changed;
}

bool TPrjEditRows::DelInv(int Row)
{
    if (Row < 0 || Row >= int(Inverters.size()))
        return false;
    const TPrjInvRec* c = Inverters[size_t(Row)].Copy.get();
    const bool withFiles = FileRowsOf(c) > 0;
    if (withFiles) {
        if (message(DelCfgIdInfo, {ButtonTexts[6], ButtonTexts[0]}, AssFilesInfoHeader, 0, 1) != 0)
            return false;
        removeFileRowsOf(c);
    }
    Inverters.erase(Inverters.begin() + Row);
    if (Inverters.empty())
        SelInv = -1;
    else if (withFiles)
        SelInv = std::min(Row, int(Inverters.size()) - 1);
    else
        SelInv = 0;
    return true;
}

// ---------------------------------------------------------------- files

QStringList TPrjEditRows::AddFileMenu(std::vector<int>* Adrs) const
{
    QStringList items{GlobalItemText};
    if (Adrs)
        *Adrs = {-1};
    for (const TPrjInvRow& r : Inverters) {
        items << QString::number(r.Copy->InvAdr) + QStringLiteral(": ") + r.Copy->Name;
        if (Adrs)
            Adrs->push_back(r.Copy->InvAdr);
    }
    return items;
}

bool TPrjEditRows::AddFile(int Adr, const QString& Path, int* Kind)
{
    TPrjInvRec* copy = nullptr;
    if (Adr != -1) {
        const int i = FindInv(Adr);
        if (i < 0)
            return false;
        copy = Inverters[size_t(i)].Copy.get();
    }
    const int kind = FileKindOf(Path);
    TPrjFileRow r;
    r.Adr = Adr;
    r.Copy = copy;
    SplitFilePath(Path, r.Dir, r.Name);
    insertFile(kind, r);
    if (copy)
        kindList(*copy, kind).append(Path);
    if (Kind)
        *Kind = kind;
    return true;
}

bool TPrjEditRows::DelFile(int Kind, int Row)
{
    if (Kind < 0 || Kind >= kPrjFileKinds)
        return false;
    auto& list = Files[size_t(Kind)];
    if (Row < 0 || Row >= int(list.size()))
        return false;
    const TPrjFileRow r = list[size_t(Row)];
    if (r.Copy) {
        // The line equal with case first: two files differing only in case
        // stay in step with their rows.
        QStringList& paths = kindList(*r.Copy, Kind);
        const QString path = r.Path();
        int at = int(paths.indexOf(path));
        if (at < 0)
            for (int i = 0; i < paths.size() && at < 0; ++i)
                if (paths[i].compare(path, Qt::CaseInsensitive) == 0)
                    at = i;
        if (at >= 0)
            paths.removeAt(at);
    }
    list.erase(list.begin() + Row);
    return true;
}
