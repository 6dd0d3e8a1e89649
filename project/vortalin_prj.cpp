#include "project/vortalin_prj.h"

#include <QRegularExpression>

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Extension with its dot, lower case; "" when the name has none. Both
// separators end a folder name.
QString lowerExt(const QString& fileName)
{
    const qsizetype sep = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > sep ? fileName.mid(dot).toLower() : QString();
}

enum class FileKind { Work, Down, Scope, Rem };

FileKind kindOf(const QString& fileName)
{
    const QString ext = lowerExt(fileName);
    if (ext == u".wr5" || ext == u".trc")
        return FileKind::Work;
    if (ext == u".dw5" || ext == u".dwn" || ext == u".op5")
        return FileKind::Down;
    if (ext == u".sc5" || ext == u".sco")
        return FileKind::Scope;
    return FileKind::Rem;
}

QStringList& pick(FileKind k, QStringList& work, QStringList& down, QStringList& scope,
                  QStringList& rem)
{
    switch (k) {
    case FileKind::Work: return work;
    case FileKind::Down: return down;
    case FileKind::Scope: return scope;
    case FileKind::Rem: break;
    }
    return rem;
}

}  // namespace

TVortalinPrj::TVortalinPrj(QObject* owner)
    : TVortalinCfgList(owner), interaction_(std::make_shared<NoPrjInteraction>())
{
    MsgOverride = {QStringLiteral("Datei @P1 existiert bereits - überschreiben ?")};
    MsgSave = {QStringLiteral("Cfg-Id @P1 wurde von Umrichter @P2 gelesen."),
               QStringLiteral("Soll die Konfiguraion gespeichert werden ?")};
    MsgNotOnDisc = {QStringLiteral("Für Umrichter @P1 wurde Cfg-Id @P2 ermittelt."),
                    QStringLiteral("Die Konfiguraion konnte weder aus einer Konfigurationsdatei,"),
                    QStringLiteral("noch aus dem Umrichter eingelesen werden."),
                    QStringLiteral("Sie können entweder eine verfügbare Konfiguration auswählen,"),
                    QStringLiteral("oder den Vorgang abbrechen")};
    MsgWrongId = {QStringLiteral("An Umrichteradresse @P1"),
                  QStringLiteral("wurde eine abweichende CFG-ID festgestellt."),
                  QStringLiteral("Aktuelle CFG-ID des Projektes: @P2"),
                  QStringLiteral("Aktuelle CFG-ID des Umrichters: @P3"),
                  QStringLiteral("Wollen Sie die neue CFG-ID verwenden ?")};
    MsgExtSearch = {QStringLiteral("Mit den aktuellen Einstellungen konnte kein"),
                    QStringLiteral("Umrichter erkannt werden."),
                    QStringLiteral("DIN66019, Umrichter: @P1"),
                    QStringLiteral("@P2"),
                    QStringLiteral("Wollen Sie, das die Suche mit anderen"),
                    QStringLiteral("Baudraten fortgesetzt wird ?")};
    MsgErrWrToFile = {QStringLiteral("Datei @P1"), QStringLiteral("konnte nicht geschrieben werden")};
    YesNoButtons = {QStringLiteral("Ja"), QStringLiteral("Nein")};
    NotOnDiscButtons = {QStringLiteral("Auswählen"), QStringLiteral("Abbrechen")};
    NewOldIdButtons = {QStringLiteral("Neue CFG-ID verwenden"),
                       QStringLiteral("Alte CFG-ID beibehalten")};
}

// Entries go before the configurations of the base class.
TVortalinPrj::~TVortalinPrj()
{
    // No scheduler turn may reach a project that is going.
    watch_.reset();
    for (auto& e : Inv)
        e.reset();
    SavedWindows.clear();
}

void TVortalinPrj::SetInteraction(std::shared_ptr<IPrjInteraction> interaction)
{
    interaction_ = interaction ? std::move(interaction) : std::make_shared<NoPrjInteraction>();
}

QStringList TVortalinPrj::splitLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();  // the break after the last line
    return lines;
}

QString TVortalinPrj::PrjRemarks() const
{
    return Remarks.join(u'\n');
}

void TVortalinPrj::SetPrjRemarks(const QString& text)
{
    if (text != PrjRemarks())
        Remarks = splitLines(text);
}

void TVortalinPrj::SetWatchInterval(int seconds)
{
    if (seconds == watchInterval_)
        return;
    watchInterval_ = seconds;
    watchIntervalDays_ = seconds / 86400.0;
}

// ---- entries

TPrjInvRec* TVortalinPrj::GetInv(int InvAdr) const
{
    if (InvAdr < 0 || InvAdr >= kPrjInvCount)
        return nullptr;
    return Inv[size_t(InvAdr)].get();
}

int TVortalinPrj::InvCount() const
{
    int n = 0;
    for (const auto& e : Inv)
        n += e ? 1 : 0;
    return n;
}

void TVortalinPrj::SetInvState(int InvAdr, int NewState)
{
    TPrjInvRec* inv = GetInv(InvAdr);
    if (!inv || inv->State == NewState)
        return;
    inv->State = NewState;
    if (OnInvStateChanged)
        OnInvStateChanged(this, InvAdr, NewState);
}

void TVortalinPrj::freeEntry(int InvAdr)
{
    Inv[size_t(InvAdr)].reset();
}

void TVortalinPrj::ReleaseCfgIfUnused(const std::shared_ptr<TCfgRec>& cfg)
{
    if (!cfg)
        return;
    // An entry may hold a configuration under another number than the one
    // being released, so holders are found by identity.
    for (const auto& e : Inv)
        if (e && e->Cfg == cfg)
            return;
    for (int i = 0; i < Count(); ++i)
        if (GetCfg(i) == cfg.get()) {
            Delete(i);
            return;
        }
}

void TVortalinPrj::RemoveInv(int InvAdr)
{
    TPrjInvRec* inv = GetInv(InvAdr);
    if (!inv)
        return;
    std::shared_ptr<TCfgRec> cfg = inv->Cfg;
    freeEntry(InvAdr);
    ReleaseCfgIfUnused(cfg);
    PendingChanges |= pcInvRemoved;
}

void TVortalinPrj::ClearInvs()
{
    for (auto& e : Inv)
        if (e) {
            e.reset();
            // Freed entries always restart the scheduler.
            PendingChanges |= pcInvRemoved;
        }
    WorkFiles.clear();
    DownFiles.clear();
    ScopeFiles.clear();
    RemFiles.clear();
}

void TVortalinPrj::Release()
{
    ClearInvs();
    delete this;  // a QObject parent forgets its child on deletion
}

void TVortalinPrj::FirePendingChanges()
{
    if (PendingChanges == 0)
        return;
    const TPrjChanges bits = PendingChanges;
    PendingChanges = 0;
    if (OnPrjChanged)
        OnPrjChanged(this, bits);
}

// ---- saved windows

int TVortalinPrj::AddWdw()
{
    SavedWindows.push_back(std::make_unique<TSavedWdwRec>());
    return WdwCount() - 1;
}

TSavedWdwRec* TVortalinPrj::GetWdw(int Index) const
{
    if (Index < 0 || Index >= WdwCount())
        return nullptr;
    return SavedWindows[size_t(Index)].get();
}

void TVortalinPrj::DeleteWdw(int Index)
{
    if (Index < 0 || Index >= WdwCount())
        return;
    SavedWindows.erase(SavedWindows.begin() + Index);
}

// ---- linked files

QStringList& TVortalinPrj::ListForFile(TPrjInvRec& inv, const QString& fileName)
{
    return pick(kindOf(fileName), inv.WorkFiles, inv.DownFiles, inv.ScopeFiles, inv.RemFiles);
}

QStringList& TVortalinPrj::OwnListForFile(const QString& fileName)
{
    return pick(kindOf(fileName), WorkFiles, DownFiles, ScopeFiles, RemFiles);
}

int TVortalinPrj::findFileIn(const QString& FileName, QStringList** list, int* index) const
{
    auto search = [&](const QStringList& l) {
        for (int i = 0; i < l.size(); ++i)
            if (sameName(l[i], FileName)) {
                *list = const_cast<QStringList*>(&l);
                *index = i;
                return true;
            }
        return false;
    };
    for (const QStringList* l : {&WorkFiles, &DownFiles, &ScopeFiles, &RemFiles})
        if (search(*l))
            return -1;
    for (int a = 0; a < kPrjInvCount; ++a) {
        const TPrjInvRec* inv = Inv[size_t(a)].get();
        if (!inv)
            continue;
        for (const QStringList* l : {&inv->WorkFiles, &inv->DownFiles, &inv->ScopeFiles, &inv->RemFiles})
            if (search(*l))
                return a;
    }
    return -2;
}

int TVortalinPrj::FindFile(const QString& FileName) const
{
    QStringList* list = nullptr;
    int index = 0;
    return findFileIn(FileName, &list, &index);
}

int TVortalinPrj::AddFile(const QString& FileName, int InvAdr)
{
    if (FindFile(FileName) != -2)
        return -2;
    QStringList* list = nullptr;
    if (InvAdr == -1) {
        list = &OwnListForFile(FileName);
    } else if (TPrjInvRec* inv = GetInv(InvAdr)) {
        list = &ListForFile(*inv, FileName);
    } else {
        return -1;
    }
    list->append(FileName);
    const int index = int(list->size()) - 1;
    Modified = true;
    PendingChanges = pcFiles;
    FirePendingChanges();
    return index;
}

int TVortalinPrj::RemoveFile(const QString& FileName)
{
    QStringList* list = nullptr;
    int index = 0;
    const int where = findFileIn(FileName, &list, &index);
    if (where == -2)
        return -2;
    list->removeAt(index);
    Modified = true;
    PendingChanges = pcFiles;
    FirePendingChanges();
    return where;
}

bool TVortalinPrj::AskAddFile(const QString& FileName)
{
    QStringList choices{QStringLiteral("-1  ") + CommonInvText};
    for (int a = 0; a < kPrjInvCount; ++a)
        if (const TPrjInvRec* inv = GetInv(a))
            choices.append(QString::number(a).leftJustified(4, u' ', true) + inv->Name);
    const int answer = Interaction().AskAddFile(FileName, choices);
    if (answer < -1)
        return false;
    return AddFile(FileName, answer) >= 0;
}
