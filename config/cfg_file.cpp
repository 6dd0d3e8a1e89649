#include "config/cfg_file.h"

#include "config/cfg_bytes.h"
#include "config/cfg_codes.h"
#include "config/file_save.h"
#include "config/progress_iface.h"
#include "platform/codepage.h"

#include <QFileInfo>

namespace {

constexpr int kHeaderSize = 54;
constexpr int kGroupRecSize = 62;
constexpr int kParaRecSize = 90;
constexpr int kPlainIndexSize = 6;
constexpr int kDefRecSize = 56;
constexpr int kValueRecSize = 53;
constexpr int kInfoSize = 125;
constexpr int kNameSize = 48;

void writeName(ByteWriter& w, const TNames& names)
{
    w.lenString(names.Get(0), kMaxNameLen);
}

void writeParam(ByteWriter& w, const TParaRec& p)
{
    w.i16(p.Addr);
    w.u16(p.TextId);
    w.i32(p.LowerLim);
    w.i32(p.UpperLim);
    w.i32(p.DefVal);
    w.u32(p.Attr);
    w.u32(p.Flags);
    w.i16(p.Mul);
    w.i16(p.Div);
    w.i16(p.Offset);
    w.u16(p.Format);
    w.zeros(4);  // the PlainText reference is never written
    w.lenString(p.GetIdText(), kMaxIdTextLen);
    w.u8(p.DefCount);
    writeName(w, p.Name);
}

}  // namespace

QByteArray BuildCfgFile(const TCfgRec& cfg, const CfgFileLayout& layout)
{
    ByteWriter w;
    w.i16(layout.version);
    w.raw(kCfgMagic, 14);
    w.i16(cfg.NewStyle ? 1 : 0);
    w.i32(cfg.CfgId);
    w.zeros(4 * 4 + 16);  // four offsets, reserved

    // Groups, then the parameter block of each.
    w.patchI32(22, static_cast<int32_t>(w.pos()));
    w.i32(cfg.GrpList.Count());
    std::vector<qsizetype> groupOffsetAt;
    for (const auto& g : cfg.GrpList) {
        w.u8(g->Index);
        w.raw(g->IdChar.data(), 2);
        w.raw(&g->Shortcut, 1);
        w.i16(g->Prop);
        w.u8(g->MaxPara);
        w.u8(g->LastPara);
        w.i16(g->BaseAddr);
        writeName(w, g->Name);
        groupOffsetAt.push_back(w.pos());
        w.i32(0);
    }
    for (int i = 0; i < cfg.GrpList.Count(); ++i) {
        const TGrpRec* g = cfg.GrpList.GetItem(i);
        w.patchI32(groupOffsetAt[static_cast<size_t>(i)], static_cast<int32_t>(w.pos()));
        w.i32(g->ParaList.Count());
        for (const auto& p : g->ParaList)
            writeParam(w, *p);
    }

    // Plain-text index, then per table its definitions and their values.
    w.patchI32(26, static_cast<int32_t>(w.pos()));
    w.i32(cfg.PlainTexts.Count());
    std::vector<qsizetype> tableOffsetAt;
    for (const auto& t : cfg.PlainTexts) {
        w.i16(t->TextId);
        tableOffsetAt.push_back(w.pos());
        w.i32(0);
    }
    for (int i = 0; i < cfg.PlainTexts.Count(); ++i) {
        const TPlainTextRec* t = cfg.PlainTexts.GetItem(i);
        w.patchI32(tableOffsetAt[static_cast<size_t>(i)], static_cast<int32_t>(w.pos()));
        w.i32(t->DefList.Count());
        std::vector<qsizetype> defOffsetAt;
        for (const auto& d : t->DefList) {
            w.u32(d->Mask);
            writeName(w, d->Name);
            defOffsetAt.push_back(w.pos());
            w.i32(0);
        }
        for (int k = 0; k < t->DefList.Count(); ++k) {
            const TDefRec* d = t->DefList.GetItem(k);
            w.patchI32(defOffsetAt[static_cast<size_t>(k)], static_cast<int32_t>(w.pos()));
            w.i32(d->SubList.Count());
            for (const auto& s : d->SubList) {
                w.i32(s->Value);
                w.u8(s->Attr);
                writeName(w, s->Name);
            }
        }
    }

    if (layout.withInfo) {
        w.patchI32(30, static_cast<int32_t>(w.pos()));
        w.lenString(cfg.GroupName, kMaxNameLen);
        w.lenString(cfg.TypeName, kMaxNameLen);
        w.i16(cfg.AccessParAdr);
        w.i16(cfg.SetPtrParAdr);
        w.i16(cfg.ActSetParAdr);
        w.i16(cfg.TypeParAdr);
        w.i16(cfg.FinishParAdr);
        w.i32(cfg.AccessValue);
        w.i32(cfg.TypeValue);
        w.i32(cfg.FinishValue);
        w.u8(cfg.MaxSet);
        w.u16(static_cast<uint16_t>(cfg.QuintelCount));
        w.i16(cfg.QuintelSel);
        w.i16(cfg.QuintelBase);
    }
    if (layout.withTrailer && layout.version <= kCfgFileVersion) {
        w.patchI32(34, static_cast<int32_t>(w.pos()));
        w.i32(1);
        w.i32(cfg.ScopeBase);
        w.u32(kCfgTrailerEndMark);
    }
    return w.data();
}

int ParseCfgHeader(const QByteArray& data, CfgFileHeader& h)
{
    ByteReader r(data);
    h.version = r.i16();
    if (r.failed())
        return kIoReadError;
    if (h.version > kCfgFileOldVersion)
        return kErrNotCfgFile;
    const QByteArray magic = r.bytes(14);
    if (r.failed())
        return kIoReadError;
    if (magic.compare(QByteArray(kCfgMagic), Qt::CaseInsensitive) != 0)
        return kErrNotCfgFile;
    h.newStyle = r.i16() != 0;
    h.cfgId = r.i32();
    if (r.failed())
        return kIoReadError;
    h.groupOffset = r.i32();
    h.plainOffset = r.i32();
    h.infoOffset = r.i32();
    h.trailerOffset = r.i32();
    h.offsetsRead = !r.failed();
    return 0;
}

CfgFileLayout LayoutOf(const CfgFileHeader& h)
{
    CfgFileLayout l;
    l.version = h.version;
    l.withInfo = h.infoOffset != 0;
    l.withTrailer = h.version <= kCfgFileVersion && h.trailerOffset != 0;
    return l;
}

namespace {

// Definitions and values of one table at the reader's position.
bool readDefinitions(ByteReader& r, TPlainTextRec& table)
{
    const int32_t defCount = r.count(kDefRecSize);
    for (int32_t k = 0; k < defCount && !r.failed(); ++k) {
        auto def = std::make_shared<TDefRec>();
        def->Mask = r.u32();
        def->Name.Set(0, r.lenString(kMaxNameLen));
        def->Name.Set(1, def->Name.Get(0));
        const int32_t valueOffset = r.i32();
        if (r.failed())
            return false;
        if (valueOffset != 0) {
            const qsizetype back = r.pos();
            r.seek(valueOffset);
            const int32_t valueCount = r.count(kValueRecSize);
            for (int32_t s = 0; s < valueCount && !r.failed(); ++s) {
                auto sub = std::make_shared<TSubRec>();
                sub->Value = r.i32();
                sub->Attr = r.u8();
                sub->Name.Set(0, r.lenString(kMaxNameLen));
                sub->Name.Set(1, sub->Name.Get(0));
                if (!r.failed())
                    def->SubList.Add(std::move(sub));
            }
            r.seek(back);
        }
        if (!r.failed())
            table.DefList.Add(std::move(def));
    }
    return !r.failed();
}

bool readParam(ByteReader& r, TParaRec& p)
{
    p.Addr = r.i16();
    p.TextId = r.u16();
    p.LowerLim = r.i32();
    p.UpperLim = r.i32();
    p.DefVal = r.i32();
    p.Attr = r.u32();
    p.Flags = r.u32();
    p.Mul = r.i16();
    p.Div = r.i16();
    p.Offset = r.i16();
    p.Format = r.u16();
    r.bytes(4);
    p.SetIdText(r.lenString(kMaxIdTextLen));
    p.DefCount = r.u8();
    p.Name.Set(0, r.lenString(kMaxNameLen));
    p.Name.Set(1, p.Name.Get(0));
    return !r.failed();
}

}  // namespace

int ParseCfgBody(const QByteArray& data, const CfgFileHeader& h, TCfgRec& cfg, IProgress* progress)
{
    if (!h.offsetsRead)
        return kIoReadError;
    ByteReader r(data);

    if (h.plainOffset != 0) {
        r.seek(h.plainOffset);
        const int32_t tableCount = r.count(kPlainIndexSize);
        if (progress)
            progress->SetMax(tableCount);
        for (int32_t i = 0; i < tableCount && !r.failed(); ++i) {
            if (progress) {
                progress->SetPosition(i);
                if (progress->Cancelled())
                    return kErrCancelled;
            }
            auto table = std::make_shared<TPlainTextRec>();
            table->TextId = r.i16();
            const int32_t defOffset = r.i32();
            if (r.failed())
                break;
            if (defOffset != 0) {
                const qsizetype back = r.pos();
                r.seek(defOffset);
                if (!readDefinitions(r, *table))
                    break;
                r.seek(back);
            }
            cfg.PlainTexts.Add(std::move(table));
        }
        if (r.failed())
            return kIoReadError;
    }

    if (h.groupOffset != 0) {
        r.seek(h.groupOffset);
        const int32_t groupCount = r.count(kGroupRecSize);
        if (progress)
            progress->SetMax(groupCount);
        for (int32_t i = 0; i < groupCount && !r.failed(); ++i) {
            if (progress) {
                progress->SetPosition(i);
                if (progress->Cancelled())
                    return kErrCancelled;
            }
            auto g = std::make_shared<TGrpRec>();
            g->Index = r.u8();
            const QByteArray id = r.bytes(2);
            const QByteArray shortcut = r.bytes(1);
            g->Prop = r.i16();
            g->MaxPara = r.u8();
            g->LastPara = r.u8();
            g->BaseAddr = r.i16();
            g->Name.Set(0, r.lenString(kMaxNameLen));
            g->Name.Set(1, g->Name.Get(0));
            const int32_t paraOffset = r.i32();
            if (r.failed())
                break;
            g->IdChar = {id[0], id[1]};
            g->Shortcut = shortcut[0];
            if (paraOffset == 0)
                continue;
            const qsizetype back = r.pos();
            r.seek(paraOffset);
            const int32_t paraCount = r.count(kParaRecSize);
            for (int32_t k = 0; k < paraCount && !r.failed(); ++k) {
                auto p = std::make_shared<TParaRec>();
                if (!readParam(r, *p))
                    break;
                p->PlainText = cfg.PlainTexts.FindIdShared(p->TextId);
                g->ParaList.Add(std::move(p));
            }
            r.seek(back);
            if (r.failed())
                break;
            if (g->ParaList.Count() > 0)
                cfg.GrpList.Add(std::move(g));
        }
        if (r.failed())
            return kIoReadError;
    }

    if (h.infoOffset != 0) {
        r.seek(h.infoOffset);
        if (r.remaining() < kInfoSize)
            return kIoReadError;
        cfg.GroupName = r.lenString(kMaxNameLen);
        cfg.TypeName = r.lenString(kMaxNameLen);
        cfg.AccessParAdr = r.i16();
        cfg.SetPtrParAdr = r.i16();
        cfg.ActSetParAdr = r.i16();
        cfg.TypeParAdr = r.i16();
        cfg.FinishParAdr = r.i16();
        cfg.AccessValue = r.i32();
        cfg.TypeValue = r.i32();
        cfg.FinishValue = r.i32();
        cfg.MaxSet = r.u8();
        cfg.QuintelCount = r.u16();
        cfg.QuintelSel = r.i16();
        cfg.QuintelBase = r.i16();
        if (r.failed())
            return kIoReadError;
    } else {
        cfg.GroupName.clear();
        cfg.TypeName.clear();
        cfg.AccessParAdr = cfg.SetPtrParAdr = cfg.ActSetParAdr = cfg.TypeParAdr = cfg.FinishParAdr = -1;
        cfg.MaxSet = 7;
        cfg.QuintelCount = 0;
    }

    if (h.version <= kCfgFileVersion) {
        cfg.ScopeBase = 0;
        if (h.trailerOffset != 0) {
            r.seek(h.trailerOffset);
            const int32_t entries = r.i32();
            if (entries > 0)
                cfg.ScopeBase = static_cast<int16_t>(r.i32());
            if (r.failed())
                return kIoReadError;
        }
    } else {
        cfg.ScopeBase = cfg.NewStyle ? -1 : 0x3200;
    }
    return 0;
}

int TCfgRec::SaveToFile(const QString& fileName)
{
    // Written beside the target and renamed over it only when complete, so a
    // failed save leaves the old file as it was.
    const int result = SaveFileAtomically(fileName, BuildCfgFile(*this));
    if (result != 0)
        return result;
    FileName = fileName;
    FileDate = QFileInfo(fileName).lastModified();
    return 0;
}
