#include "scope/scope_file.h"

#include "config/cfg_codes.h"
#include "config/cfg_records.h"
#include "config/file_save.h"
#include "config/lang_texts.h"
#include "config/vortalin_help.h"
#include "platform/codepage.h"
#include "project/vortalin_prj.h"
#include "scope/scope_engine.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <set>

namespace {

// Sequential little-endian reader over a byte view.
class Reader {
public:
    explicit Reader(QByteArrayView b) : b_(b) {}
    bool i32(int32_t& v) { return get(v); }
    bool u16(uint16_t& v) { return get(v); }
    bool f64(double& v) { return get(v); }
    bool u8(uint8_t& v) { return get(v); }
    bool bytes(int n, QByteArray& out)
    {
        if (n < 0 || left() < n)
            return false;
        out = QByteArray(b_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    bool skip(int64_t n)
    {
        if (n < 0 || left() < n)
            return false;
        pos_ += n;
        return true;
    }
    bool seek(int64_t p)
    {
        if (p < 0 || p > b_.size())
            return false;
        pos_ = p;
        return true;
    }
    int64_t left() const { return b_.size() - pos_; }

private:
    template <class T> bool get(T& v)
    {
        if (left() < int64_t(sizeof(T)))
            return false;
        std::memcpy(&v, b_.data() + pos_, sizeof(T));
        v = qFromLittleEndian(v);
        pos_ += sizeof(T);
        return true;
    }
    QByteArrayView b_;
    int64_t pos_ = 0;
};

class Writer {
public:
    template <class T> void put(T v)
    {
        v = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&v), sizeof(T));
    }
    void patch32(int at, int32_t v)
    {
        v = qToLittleEndian(v);
        std::memcpy(out.data() + at, &v, 4);
    }
    QByteArray out;
};

} // namespace

TScopeFileResult ParseScopeFile(QByteArrayView bytes, TScopeFileImage& out)
{
    out = TScopeFileImage{};
    Reader r(bytes);
    int32_t magic = 0;
    if (!r.i32(magic))
        return sfShortHeader;
    if (uint32_t(magic) != kScopeMagic && uint32_t(magic) != kScopeMagicMulti)
        return sfBadMagic;
    out.Multi = uint32_t(magic) == kScopeMagicMulti;
    int32_t lastSlot = 0;
    if (!r.i32(out.NotesOffset) || !r.i32(out.CfgId) || !r.i32(out.TimeBase) || !r.f64(out.StartDate)
        || !r.i32(lastSlot))
        return sfShortHeader;
    const int values = out.Multi ? 10 : 9;
    if (lastSlot >= 0 && r.left() < (int64_t(lastSlot) + 1) * values * 4)
        return sfShortHeader;
    if (lastSlot < kScopeSlots - 1)
        return sfBadHeader;
    for (int s = 0; s <= lastSlot; ++s)
        for (int v = 0; v < values; ++v) {
            int32_t x = 0;
            r.i32(x);
            if (s < kScopeSlots)
                out.Slot[s][out.Multi || v == 0 ? v : v + 1] = x;
        }

    // Samples: M + 1 of them; beyond the ring's size they are not read.
    bool shortData = false;
    int32_t last = 0;
    if (!r.i32(last)) {
        shortData = true;
    } else if (last < 0) {
        return sfBadHeader;
    } else {
        const int n = std::min(last, kScopeLastIndex) + 1;
        out.Samples.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            TScopeSample s;
            if (!(r.i32(s.ChanVal[0]) && r.i32(s.ChanVal[1]) && r.i32(s.ChanVal[2]) && r.i32(s.ChanVal[3])
                  && r.u16(s.TimeDelta))) {
                shortData = true;
                break;
            }
            out.Samples.push_back(s);
        }
    }
    if (out.Samples.empty())
        out.Samples.push_back(TScopeSample{});

    // Notes.
    if (out.NotesOffset > 100) {
        int32_t count = 0;
        if (!r.seek(out.NotesOffset) || !r.i32(count)) {
            shortData = true;
        } else {
            for (int i = 0; i < count; ++i) {
                uint8_t len = 0;
                QByteArray line;
                if (!r.u8(len) || !r.bytes(len, line)) {
                    shortData = true;
                    break;
                }
                out.Notes << fromCodePage(line, CodePage::Cp1252);
            }
        }
    }
    return shortData ? sfShortData : sfOk;
}

int ReadScopeFileCfgIds(QByteArrayView bytes, int& A, int& B, int& C, int& D)
{
    A = B = C = D = 0;
    Reader r(bytes);
    int32_t magic = 0, notes = 0, cfg = 0, timeBase = 0, lastSlot = 0;
    double date = 0;
    if (!r.i32(magic))
        return -1;
    if (uint32_t(magic) != kScopeMagic && uint32_t(magic) != kScopeMagicMulti)
        return 0;
    const bool multi = uint32_t(magic) == kScopeMagicMulti;
    if (!r.i32(notes) || !r.i32(cfg) || !r.i32(timeBase) || !r.f64(date))
        return -1;
    if (!multi)
        A = B = C = D = cfg;
    if (!r.i32(lastSlot))
        return -1;
    int* ids[4] = {&A, &B, &C, &D};
    for (int s = 0; s <= lastSlot; ++s)
        for (int v = 0; v < (multi ? 10 : 9); ++v) {
            int32_t x = 0;
            if (!r.i32(x))
                return -1;
            if (multi && v == 1 && s < 4)
                *ids[s] = x & 0xFFFF;
        }
    return 0;
}

int ReadScopeFileCfgIds(const QString& FileName, int& A, int& B, int& C, int& D)
{
    A = B = C = D = 0;
    QFile f(FileName);
    if (!f.exists() || !f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return -1;
    return ReadScopeFileCfgIds(QByteArrayView(bytes), A, B, C, D);
}

// ---- the scope's file operations

namespace {
int cfgNumber(const TVortalinPrj* prj, int inv)
{
    const TPrjInvRec* r = prj ? prj->GetInv(inv) : nullptr;
    if (!r)
        return 0;
    return r->Cfg ? r->Cfg->CfgId : r->CfgId;
}

QString folderOf(const QString& name)
{
    const int cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    return cut < 0 ? QString() : name.left(cut);
}
} // namespace

int TScopeEngine::SaveToFile(const QString& Name)
{
    if (RecState != recIdle)
        return 1;
    QString target = Name;
    if (target.isEmpty()) {
        TSaveDlgOptions opt;
        opt.DefaultExt = QStringLiteral("sc5");
        opt.Filter = FileFilter;
        opt.FilterIndex = 1;
        opt.InitialDir = DataPath;  // the given name has no folder
        const QString chosen = Interaction->ChooseSaveFile(opt, FileName);
        if (chosen.isEmpty())
            return 1;
        target = ChangeExt(chosen, QStringLiteral("sc5"));
        if (QFileInfo::exists(target)
            && Interaction->Message(text(0, 13), sbYesNo, Title, 4, target, QString(), QString(), 0, 1) != 0)
            return 1;
    }

    // Channels on more than one inverter make the multi-inverter variant.
    bool multi = false;
    int inv = -1;
    for (int k = 0; k < kScopeChannels; ++k)
        if (Setup.Chan[k].Address >= 0) {
            if (inv >= 0 && Setup.Chan[k].Inverter != inv)
                multi = true;
            inv = Setup.Chan[k].Inverter;
        }

    Screen->Busy(true);
    Writer w;
    w.put<uint32_t>(multi ? kScopeMagicMulti : kScopeMagic);
    w.put<int32_t>(0);
    w.put<int32_t>(cfgNumber(Project, Setup.Chan[0].Inverter));
    w.put<int32_t>(Setup.TimeBase());
    w.put<double>(StartDate);
    w.put<int32_t>(kScopeSlots - 1);
    Setup.ScrollPos() = Screen->ScrollPosition();
    for (const TScopeChannel& c : Setup.Chan) {
        w.put<int32_t>(c.Address);
        if (multi)
            w.put<uint32_t>((uint32_t(uint16_t(c.Inverter)) << 16) + uint32_t(cfgNumber(Project, c.Inverter) & 0xFFFF));
        w.put<int32_t>(c.SetSel);
        w.put<int32_t>(c.YOffset);
        w.put<int32_t>(c.YFactor);
        w.put<uint32_t>(c.Colour);
        w.put<int32_t>(c.TrigLevel);
        w.put<int32_t>(c.General1);
        w.put<int32_t>(c.General2);
        w.put<int32_t>(c.General3);
    }
    const int last = Wrapped ? LastIndex : RingEnd;
    w.put<int32_t>(last);
    for (int n = 0, i = RingStart; n <= last; ++n, i = i >= LastIndex ? 0 : i + 1) {
        const TScopeSample& s = Ring[i];
        for (int32_t v : s.ChanVal)
            w.put<int32_t>(v);
        w.put<uint16_t>(s.TimeDelta);
    }
    if (!ScopeNotes.isEmpty()) {
        w.patch32(4, int32_t(w.out.size()));
        w.put<int32_t>(int32_t(ScopeNotes.size()));
        for (const QString& line : ScopeNotes) {
            const QByteArray b = toCodePage(line, CodePage::Cp1252).left(255);
            w.put<uint8_t>(uint8_t(b.size()));
            w.out.append(b);
        }
    }
    w.put<uint32_t>(kScopeEndMarker);
    const int rc = SaveFileAtomically(target, w.out);
    Screen->Busy(false);
    if (rc != 0) {
        Interaction->Message(text(0, 30), sbOk, Title, 2, target, QString::number(rc), QString(), 0, -1);
        return 1;
    }
    Unsaved = false;
    FileName = target;
    Screen->FileChanged();
    Screen->CaptionChanged();
    if (sched_ && SchedSlot >= 0) {
        sched_->SetState(SchedSlot, SchedState);
        sched_->ItemChanged(SchedSlot);
    }
    return 0;
}

int TScopeEngine::FindInverterByCfg(int CfgId)
{
    for (int a = 0; a <= MaxInvAdr; ++a)
        if (inProject(a) && cfgNumber(Project, a) == CfgId)
            return a;
    const int r = Interaction->Message(text(0, 44), sbYesNoCancel, Title, 4, QString::number(CfgId), QString(),
                                       QString(), 0, 1);
    if (r == 0 && Project) {
        const int n = Project->NewInv(-1, CfgId, QString(), prOffline, true, true, true, false, true);
        return n < 0 ? -1 : n;
    }
    if (r == 2)
        return inProject(ScopeInv) ? -2 : -1;
    return -1;
}

int TScopeEngine::LoadFromFile(const QString& Name)
{
    while (Unsaved) {
        const int r = Interaction->Message(text(0, 24), sbYesNoCancel, Title, 4, QString(), QString(), QString(), 0, 2);
        if (r == 0)
            SaveToFile(QString());
        else if (r == 1)
            Unsaved = false;
        else
            return 1;
    }
    if (!QFileInfo::exists(Name))
        return 1;
    // The file replaces the recording: one still running ends first.
    Stop();
    Screen->Busy(true);
    QFile f(Name);
    if (!f.open(QIODevice::ReadOnly)) {
        Screen->Busy(false);
        Interaction->Message(text(0, 29), sbOk, Title, 2, Name, QString::number(IoOpenErrorCode(Name, false)), QString(), 0, -1);
        return 1;
    }
    const QByteArray bytes = f.readAll();
    f.close();

    TScopeFileImage img;
    const TScopeFileResult res = ParseScopeFile(QByteArrayView(bytes), img);
    bool taken = false;
    bool shortRead = res == sfShortData;
    auto finish = [&] {
        Screen->Busy(false);
        if (inProject(ScopeInv)) {
            if (shortRead || res == sfShortHeader)
                Interaction->Message(text(0, 29), sbOk, Title, 2, Name, QString::number(kIoReadError), QString(), 0, -1);
            CheckChannels();
            FileLoading = false;
            Screen->RedrawAll();
            Screen->CaptionChanged();
            if (sched_ && SchedSlot >= 0) {
                sched_->SetState(SchedSlot, SchedState);
                sched_->ItemChanged(SchedSlot);
            }
            Screen->FileChanged();
        }
        FileLoading = false;
        return taken ? 0 : 1;
    };
    if (res == sfBadMagic || res == sfBadHeader) {
        Interaction->Message(text(0, 25), sbOk, Title, 2, QString(), QString(), QString(), 0, -1);
        return finish();
    }
    if (res == sfShortHeader)
        return finish();

    // The file's slots, in range.
    TScopeSetup s = Setup;
    s.TimeBase() = img.TimeBase;
    int cfgs[kScopeSlots] = {};
    for (int k = 0; k < kScopeSlots; ++k) {
        TScopeChannel& c = s.Chan[k];
        const int32_t* v = img.Slot[k];
        c.Address = int16_t(v[0]);
        if (img.Multi) {
            cfgs[k] = v[1] & 0xFFFF;
            const int inv = v[1] >> 16;
            c.Inverter = int16_t(inv < 0 || inv > MaxInvAdr ? 1 : inv);
        }
        c.SetSel = int16_t(v[2]);
        c.YOffset = v[3];
        c.YFactor = v[4];
        c.Colour = uint32_t(v[5]);
        c.TrigLevel = v[6];
        c.General1 = v[7];
        c.General2 = v[8];
        c.General3 = v[9];
        c.Para = nullptr;
    }
    s.Clamp();

    FileLoading = true;
    int scopeInv = ScopeInv;
    if (!img.Multi) {
        if (!(inProject(scopeInv) && cfgNumber(Project, scopeInv) == img.CfgId)) {
            const int r = FindInverterByCfg(img.CfgId);
            if (r == -2)
                return finish();  // cancelled: nothing of the file is taken
            if (r >= 0)
                scopeInv = r;
        }
        for (TScopeChannel& c : s.Chan)
            c.Inverter = int16_t(scopeInv);
    } else {
        std::set<int> declined;
        for (int k = 0; k < kScopeChannels; ++k) {
            TScopeChannel& c = s.Chan[k];
            if (declined.count(cfgs[k]))
                continue;
            if (inProject(c.Inverter) && cfgNumber(Project, c.Inverter) == cfgs[k])
                continue;
            const int r = FindInverterByCfg(cfgs[k]);
            if (r == -2)
                break;
            if (r >= 0) {
                c.Inverter = int16_t(r);
                if (k == 0)
                    scopeInv = r;
                continue;
            }
            // Declined: later channels of that number take the scope's own
            // configuration; without one they count as declined too.
            if (inProject(scopeInv)) {
                for (int j = k + 1; j < kScopeChannels; ++j)
                    if (cfgs[j] == cfgs[k])
                        cfgs[j] = cfgNumber(Project, scopeInv);
            } else {
                declined.insert(cfgs[k]);
            }
        }
    }

    // Commit.
    ScopeInv = scopeInv;
    for (int k = 0; k < kScopeChannels; ++k)
        s.Chan[k].Invisible = 0;
    Setup = s;
    LastIndex = kScopeLastIndex;
    RecTime = 0;
    for (size_t i = 0; i < img.Samples.size(); ++i) {
        Ring[i] = img.Samples[i];
        RecTime += img.Samples[i].TimeDelta;
    }
    ScopeNotes = img.Notes;
    StartDate = std::isfinite(img.StartDate) ? img.StartDate : 0;
    RingStart = 0;
    RingEnd = int(img.Samples.size()) - 1;
    Wrapped = false;
    Unsaved = false;
    TrigIndex = -1;
    FileName = Name;
    taken = true;
    return finish() == 0 && !shortRead ? 0 : 1;
}

QByteArray TScopeEngine::ExportText() const
{
    QString t;
    const QString crlf = QStringLiteral("\r\n");
    t += AppName + u',' + FileName + QStringLiteral(", , , ,") + crlf;
    for (const QString& n : ScopeNotes)
        t += n + crlf;
    t += QStringLiteral("TIME ,");
    for (int k = 0; k < kScopeChannels; ++k)
        t += Setup.Chan[k].Para ? Setup.Chan[k].Para->GetIdText() + u',' : QStringLiteral("OFF,");
    t += crlf;
    const int count = Wrapped ? LastIndex + 1 : RingEnd - RingStart + 1;
    int64_t time = 0;
    for (int n = 0, i = RingStart; n < count; ++n, i = i >= LastIndex ? 0 : i + 1) {
        const TScopeSample& s = Ring[i];
        time += s.TimeDelta;
        t += QString::number(time) + u',';
        for (int32_t v : s.ChanVal)
            t += QString::number(v) + u',';
        t += crlf;
    }
    return toCodePage(t, CodePage::Cp1252);
}

int TScopeEngine::DoExport()
{
    if (RecState != recIdle)
        return 1;
    TSaveDlgOptions opt;
    opt.DefaultExt = QStringLiteral("se5");
    opt.Filter = FileFilter;
    opt.FilterIndex = 2;
    opt.InitialDir = folderOf(FileName).isEmpty() ? DataPath : folderOf(FileName);
    const int dot = FileName.lastIndexOf(u'.');
    const QString chosen = Interaction->ChooseSaveFile(opt, dot < 0 ? FileName : FileName.left(dot));
    if (chosen.isEmpty())
        return 1;
    const QString target = ChangeExt(chosen, QStringLiteral("se5"));
    if (QFileInfo::exists(target)
        && Interaction->Message(text(0, 13), sbYesNo, Title, 4, target, QString(), QString(), 0, 1) != 0)
        return 1;
    Screen->Busy(true);
    const int rc = SaveFileAtomically(target, ExportText());
    Screen->Busy(false);
    if (rc != 0) {
        Interaction->Message(text(0, 30), sbOk, Title, 2, target, QString::number(rc), QString(), 0, -1);
        return 1;
    }
    return 0;
}

void TScopeEngine::AddProj1Click()
{
    if (Project && !FileName.isEmpty() && Project->FindFile(FileName) == -2)
        Project->AddFile(FileName, ScopeInv);
}
