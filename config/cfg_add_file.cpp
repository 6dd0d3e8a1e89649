#include "config/cfg_bytes.h"
#include "config/cfg_codes.h"
#include "config/cfg_file.h"

#include <QFile>

namespace {
constexpr int kAddHeaderSize = 57;
}  // namespace

QByteArray BuildAddFile(int32_t cfgId, const AddFileNames& names)
{
    ByteWriter w;
    w.i16(kCfgFileVersion);
    w.raw(kAddMagic, 14);
    w.i32(cfgId);
    w.zeros(25);
    w.zeros(12);  // three section offsets
    auto entries = [&w](const std::vector<AddFileNames::Entry>& list) {
        w.i32(static_cast<int32_t>(list.size()));
        for (const auto& e : list) {
            w.i16(e.addr);
            w.lenString(e.name, kMaxNameLen);
        }
    };
    w.patchI32(45, static_cast<int32_t>(w.pos()));
    entries(names.groups);
    w.patchI32(49, static_cast<int32_t>(w.pos()));
    entries(names.params);
    w.patchI32(53, static_cast<int32_t>(w.pos()));
    w.i32(static_cast<int32_t>(names.tables.size()));
    for (const auto& t : names.tables) {
        w.i16(t.textId);
        w.u16(static_cast<uint16_t>(t.defs.size()));
        for (const auto& d : t.defs) {
            w.u32(d.mask);
            w.lenString(d.name, kMaxNameLen);
            w.u16(static_cast<uint16_t>(d.values.size()));
            for (const auto& v : d.values) {
                w.i32(v.value);
                w.lenString(v.name, kMaxNameLen);
            }
        }
    }
    return w.data();
}

int ApplyAddFile(const QByteArray& data, TCfgRec& cfg)
{
    ByteReader r(data);
    const int16_t version = r.i16();
    if (r.failed())
        return kIoReadError;
    if (version > kCfgFileOldVersion)
        return kErrNotCfgFile;
    const QByteArray magic = r.bytes(14);
    if (r.failed())
        return kIoReadError;
    if (magic.compare(QByteArray(kAddMagic), Qt::CaseInsensitive) != 0)
        return kErrNotCfgFile;
    const int32_t cfgId = r.i32();
    if (r.failed())
        return kIoReadError;
    if (cfgId != cfg.CfgId)
        return kErrOtherCfgFile;
    if (data.size() < kAddHeaderSize)
        return 0;  // no sections to read
    r.seek(45);
    const int32_t groupOffset = r.i32();
    const int32_t paraOffset = r.i32();
    const int32_t plainOffset = r.i32();

    // Damage inside the file ends that section; what was set stays. Counts
    // only bound the loops (nothing is allocated from them), and a read past
    // the end stops the loop; negative counts run no loop.
    if (groupOffset != 0) {
        ByteReader s(data);
        s.seek(groupOffset);
        const int32_t n = s.i32();
        for (int32_t i = 0; i < n && !s.failed(); ++i) {
            const int16_t addr = s.i16();
            const QString name = s.lenString(kMaxNameLen);
            if (s.failed())
                break;
            if (TGrpRec* g = cfg.GrpList.FindGroup(addr))
                g->Name.Set(1, name);
        }
    }
    if (paraOffset != 0) {
        ByteReader s(data);
        s.seek(paraOffset);
        const int32_t n = s.i32();
        for (int32_t i = 0; i < n && !s.failed(); ++i) {
            const int16_t addr = s.i16();
            const QString name = s.lenString(kMaxNameLen);
            if (s.failed())
                break;
            for (const auto& g : cfg.GrpList) {
                if (TParaRec* p = g->ParaList.FindAddr(addr)) {
                    p->Name.Set(1, name);
                    break;
                }
            }
        }
    }
    if (plainOffset != 0) {
        ByteReader s(data);
        s.seek(plainOffset);
        const int32_t tables = s.i32();
        for (int32_t i = 0; i < tables && !s.failed(); ++i) {
            const uint16_t textId = s.u16();
            const uint16_t defs = s.u16();
            TPlainTextRec* table = s.failed() ? nullptr : cfg.PlainTexts.FindId(textId);
            for (int k = 0; k < defs && !s.failed(); ++k) {
                const uint32_t mask = s.u32();
                const QString defName = s.lenString(kMaxNameLen);
                const uint16_t values = s.u16();
                if (s.failed())
                    break;
                TDefRec* def = table ? table->DefList.FindMask(mask) : nullptr;
                if (def)
                    def->Name.Set(1, defName);
                for (int v = 0; v < values && !s.failed(); ++v) {
                    const int32_t value = s.i32();
                    const QString name = s.lenString(kMaxNameLen);
                    if (def && !s.failed())
                        if (TSubRec* sub = def->SubList.FindValue(value))
                            sub->Name.Set(1, name);
                }
            }
        }
    }
    return 0;
}

int TCfgRec::LoadAddFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return IoOpenErrorCode(fileName, false);
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return kIoReadError;
    return ApplyAddFile(data, *this);
}
