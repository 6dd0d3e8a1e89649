// The project file (".pr5"): reading, writing and the project for one file.

#include "comm/prot_sel.h"
#include "config/cfg_codes.h"
#include "config/file_save.h"
#include "project/prj_paths.h"
#include "project/vortalin_prj.h"
#include "platform/profile_file.h"

#include <QFileInfo>

namespace {

const QString kProject = QStringLiteral("PROJECT");
const QString kRemarks = QStringLiteral("REMARKS");
const QString kGlobalFiles = QStringLiteral("GLOBALFILES");
const QString kMissing = QStringLiteral("###");

constexpr int kMaxRemarkLen = 100;
constexpr int kMaxSavedWindows = 64;

// A decimal number, or `def` when the key is missing or holds no number.
int readInt(const ProfileFile& pf, const QString& section, const QString& key, int def)
{
    bool ok = false;
    const int v = pf.readString(section, key, QString()).toInt(&ok, 10);
    return ok ? v : def;
}

// Value part of a section line: the text after the first '='.
QString valueOf(const QString& line)
{
    const qsizetype eq = line.indexOf(u'=');
    return line.mid(eq + 1);
}

// A value stays on its line: line breaks become blanks.
QString oneLine(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

// Writes one file list under "<prefix><KIND><n>" keys, numbers restarting per kind.
bool writeFiles(ProfileFile& pf, const QString& section, const QString& prefix,
                const std::array<const QStringList*, 4>& lists, const QString& targetDir,
                bool copyMode)
{
    static const char* const kinds[] = {"WORK", "DOWN", "SCOPE", "REM"};
    bool ok = true;
    for (int k = 0; k < 4; ++k) {
        const QStringList& list = *lists[size_t(k)];
        for (int n = 0; n < list.size(); ++n) {
            const QString name = copyMode ? targetDir + PrjBaseName(list[n]) : list[n];
            ok &= pf.writeString(section, prefix + QLatin1String(kinds[k]) + QString::number(n),
                                 oneLine(name));
        }
    }
    return ok;
}

bool hasFiles(const std::array<const QStringList*, 4>& lists)
{
    for (const QStringList* l : lists)
        if (!l->isEmpty())
            return true;
    return false;
}

}  // namespace

int TVortalinPrj::LoadFromFile(const QString& fileName)
{
    int result = 0;
    LoadError = {};
    // Only the first fault is told: later ones often follow from it.
    const auto fault = [&](TPrjLoadError e) {
        if (LoadError.Kind == TPrjLoadError::None)
            LoadError = std::move(e);
        result = 1;
    };
    ProfileFile pf(fileName);
    // A missing or unreadable file is taken like an empty one.
    if (!pf.load() || !QFileInfo::exists(fileName))
        fault({TPrjLoadError::Unreadable, IoOpenErrorCode(fileName, false)});
    FileName = fileName;
    // A key that is missing, or present without a usable number.
    const auto faultyKey = [&](const QString& section, const QString& key) {
        if (!pf.hasSection(section))
            fault({TPrjLoadError::NotAProject});
        else if (!pf.hasKey(section, key))
            fault({TPrjLoadError::MissingValue, 0, 0, section, key});
        else
            fault({TPrjLoadError::BadValue, 0, pf.lineOf(section, key), section,
                   key + u'=' + pf.readString(section, key, QString())});
    };

    // Presence decides, so a project may well be named "###".
    if (pf.hasKey(kProject, QStringLiteral("NAME"))) {
        PrjName = pf.readString(kProject, QStringLiteral("NAME"), QString());
    } else {
        PrjName = kMissing;
        faultyKey(kProject, QStringLiteral("NAME"));
    }
    // -1 stands for a missing key; any other number is the interval.
    const int interval = readInt(pf, kProject, QStringLiteral("WATCHINTERVAL"), -1);
    if (interval == -1)
        faultyKey(kProject, QStringLiteral("WATCHINTERVAL"));
    else
        SetWatchInterval(interval);

    Remarks.clear();
    for (const QString& line : pf.sectionLines(kRemarks))
        Remarks.append(valueOf(line).left(kMaxRemarkLen).trimmed());

    PendingChanges |= pcGeneral;
    // All former entries go before any is read, so that a reading stopped
    // half-way never leaves entries of the former project beside new ones.
    ClearInvs();
    for (const QString& line : pf.sectionLines(kGlobalFiles)) {
        const QString name = valueOf(line).trimmed();
        if (!name.isEmpty())
            OwnListForFile(name).append(name);
    }

    // Every entry sets its protocol; the drivers take the new kinds once,
    // after the last entry (or when a read on the way needs them), so that
    // the Profibus driver is not reopened, waiting for its slaves, for
    // each entry.
    if (ProtSel)
        ProtSel->HoldDriverUpdates();
    bool stopped = false;
    for (int a = 0; a < kPrjInvCount; ++a) {
        const QString sec = QStringLiteral("Inv") + QString::number(a);
        const int cfgId = readInt(pf, sec, QStringLiteral("CFGID"), -1);
        if (cfgId < 0 || !pf.hasKey(sec, QStringLiteral("NAME")))
            continue;
        bool ok = false;
        const int prot = pf.readString(sec, QStringLiteral("PROT"), kMissing).toInt(&ok, 10);
        if (!ok) {
            // Named as the writer writes it.
            faultyKey(QStringLiteral("INV") + QString::number(a), QStringLiteral("PROT"));
            stopped = true;
            break;
        }
        const QString name = pf.readString(sec, QStringLiteral("NAME"), QString());
        if (AddInv(a, cfgId, name, TProt(prot & 0xFF), false) != 0)
            continue;
        TPrjInvRec* inv = GetInv(a);
        for (const QString& line : pf.sectionLines(QStringLiteral("FILES") + QString::number(a))) {
            const QString file = valueOf(line).trimmed();
            if (!file.isEmpty())
                ListForFile(*inv, file).append(file);
        }
    }

    if (ProtSel)
        ProtSel->ReleaseDriverUpdates();

    // Configurations no entry holds any more.
    for (int i = 0; i < Count();) {
        const TCfgRec* cfg = GetCfg(i);
        bool used = false;
        for (const auto& e : Inv)
            used = used || (e && e->Cfg.get() == cfg);
        if (used)
            ++i;
        else
            Delete(i);
    }

    FirePendingChanges();
    if (stopped)
        return result;

    SavedWindows.clear();
    for (int i = 0; i < kMaxSavedWindows; ++i) {
        const QString sec = QStringLiteral("WINDOW") + QString::number(i);
        TSavedWdwRec w;
        w.WdwType = readInt(pf, sec, QStringLiteral("WDWTYPE"), -1);
        w.InvNr = readInt(pf, sec, QStringLiteral("INVNR"), -3);
        const int state = readInt(pf, sec, QStringLiteral("STATE"), -1);
        w.Height = readInt(pf, sec, QStringLiteral("HEIGHT"), -1);
        w.Width = readInt(pf, sec, QStringLiteral("WIDTH"), -1);
        w.Left = readInt(pf, sec, QStringLiteral("LEFT"), -1);
        w.Top = readInt(pf, sec, QStringLiteral("TOP"), -1);
        if (w.WdwType == -1 || w.InvNr == -3 || state == -1 || w.Height == -1 || w.Width == -1
            || w.Left == -1 || w.Top == -1 || !pf.hasKey(sec, QStringLiteral("FILENAME")))
            continue;
        w.FileName = pf.readString(sec, QStringLiteral("FILENAME"), QString());
        w.State = uint8_t(state);
        SavedWindows.push_back(std::make_unique<TSavedWdwRec>(w));
    }

    Modified = false;
    return result;
}

QString TVortalinPrj::askProjectFileName()
{
    TSaveDlgOptions options;
    options.DefaultExt = QStringLiteral("pr5");
    options.Filter = SaveFilter();
    options.FilterIndex = 1;
    options.InitialDir = DataPath;
    const QString chosen = Interaction().ChooseSaveFile(options);
    if (chosen.isEmpty())
        return QString();
    const QString name = PrjBaseName(chosen);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || name.mid(dot).toLower() != u".pr5")
        return QString();
    if (QFileInfo::exists(chosen)
        && Interaction().Message(MsgOverride, YesNoButtons, QString(), pmiConfirmation, chosen,
                                 QString(), QString(), 0, -1)
            != 0)
        return QString();
    return chosen;
}

void TVortalinPrj::reportWriteError(const QString& fileName)
{
    Interaction().Message(MsgErrWrToFile, OkGlyphButtons, QString(), pmiError, fileName, QString(),
                          QString(), 0, 1);
}

int TVortalinPrj::SaveToFile(const QString& fileNameIn, bool CopyMode)
{
    const QString fileName = fileNameIn.isEmpty() ? askProjectFileName() : fileNameIn;
    if (fileName.isEmpty())
        return 1;
    const QString targetDir = PrjDirPart(fileName);

    // Built in memory and saved whole: nothing of the file's former
    // content remains.
    ProfileFile pf(fileName);

    bool ok = pf.writeString(kProject, QStringLiteral("NAME"), oneLine(PrjName));
    ok &= pf.writeString(kProject, QStringLiteral("WATCHINTERVAL"), QString::number(watchInterval_));
    // A remark line holding a break is written as several lines.
    QStringList remarks;
    for (const QString& r : Remarks)
        remarks += r.isEmpty() ? QStringList{QString()} : splitLines(r);
    for (int i = 0; i < remarks.size(); ++i)
        ok &= pf.writeString(kRemarks, QStringLiteral("LINE") + QString::number(i), remarks[i]);
    const std::array<const QStringList*, 4> own{&WorkFiles, &DownFiles, &ScopeFiles, &RemFiles};
    if (hasFiles(own))
        ok &= writeFiles(pf, kGlobalFiles, QString(), own, targetDir, CopyMode);
    for (int a = 0; a < kPrjInvCount; ++a) {
        const TPrjInvRec* inv = GetInv(a);
        if (!inv)
            continue;
        const QString sec = QStringLiteral("INV") + QString::number(a);
        ok &= pf.writeString(sec, QStringLiteral("CFGID"), QString::number(inv->PrjCfgId));
        ok &= pf.writeString(sec, QStringLiteral("PROT"), QString::number(int(inv->Prot)));
        ok &= pf.writeString(sec, QStringLiteral("NAME"), oneLine(inv->Name));
        const std::array<const QStringList*, 4> lists{&inv->WorkFiles, &inv->DownFiles,
                                                      &inv->ScopeFiles, &inv->RemFiles};
        if (hasFiles(lists)) {
            const QString files = QStringLiteral("FILES") + QString::number(a);
            ok &= writeFiles(pf, files, files, lists, targetDir, CopyMode);
        }
    }
    for (int i = 0; i < WdwCount(); ++i) {
        const TSavedWdwRec& w = *SavedWindows[size_t(i)];
        const QString sec = QStringLiteral("WINDOW") + QString::number(i);
        ok &= pf.writeString(sec, QStringLiteral("WDWTYPE"), QString::number(w.WdwType));
        ok &= pf.writeString(sec, QStringLiteral("INVNR"), QString::number(w.InvNr));
        ok &= pf.writeString(sec, QStringLiteral("FILENAME"), oneLine(w.FileName));
        ok &= pf.writeString(sec, QStringLiteral("STATE"), QString::number(w.State));
        ok &= pf.writeString(sec, QStringLiteral("HEIGHT"), QString::number(w.Height));
        ok &= pf.writeString(sec, QStringLiteral("WIDTH"), QString::number(w.Width));
        ok &= pf.writeString(sec, QStringLiteral("LEFT"), QString::number(w.Left));
        ok &= pf.writeString(sec, QStringLiteral("TOP"), QString::number(w.Top));
    }

    if (!ok || SaveFileAtomically(fileName, pf.serialize()) != 0) {
        reportWriteError(fileName);
        return 1;
    }

    Modified = false;
    if (!CopyMode && fileName != FileName) {
        // The name keeps its case; only a change beyond case is news for
        // the caption.
        const bool otherName = fileName.compare(FileName, Qt::CaseInsensitive) != 0;
        FileName = fileName;
        if (otherName && OnPrjChanged)
            OnPrjChanged(this, pcGeneral);
    }
    return 0;
}

int TVortalinPrj::NewPrjForFile(const QString& fileName, int CfgId1, int CfgId2, int CfgId3,
                                int CfgId4, TWindowKind WdwKind)
{
    FileName.clear();
    PrjName = DefPrjName;
    Remarks.clear();
    PendingChanges |= pcGeneral;
    // The content is replaced: entries of a former project go as well.
    ClearInvs();

    const int ids[4] = {CfgId1, CfgId2, CfgId3, CfgId4};
    for (int i = 0; i < 4; ++i) {
        if (ids[i] < 0)
            continue;
        bool repeated = false;
        for (int j = 0; j < i; ++j)
            repeated = repeated || ids[j] == ids[i];
        if (repeated)
            continue;
        const int adr = i + 1;
        if (AddInv(adr, ids[i], DefInvName + u' ' + QString::number(adr), prOffline, false) == 0)
            PendingChanges |= pcInvAdded;
    }

    TSavedWdwRec& w = *SavedWindows.emplace_back(std::make_unique<TSavedWdwRec>());
    w.WdwType = WdwKind;
    w.InvNr = 1;
    w.FileName = fileName;
    w.State = 2;
    w.Height = 300;
    w.Width = 400;
    w.Left = 40;
    w.Top = 100;

    FirePendingChanges();
    return 0;
}
