// A simulated inverter built from a configuration source must describe
// itself exactly as the configuration file built from the same source:
// the description services are walked the way a configuration is read
// from an inverter and compared with the file, field by field.
#include "sim/sim_inverter.h"
#include "sim/sim_model.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <map>

using namespace qelsim;

namespace {

// The configuration file, read by its documented layout.
struct FileParam {
    int16_t addr;
    uint16_t textId;
    int32_t lower, upper, def;
    uint32_t attr, flags;
    int16_t mul, div, offset;
    uint16_t format;
    uint8_t defCount;
    QByteArray name;
};
struct FileGroup {
    uint8_t index, maxPara, lastPara;
    char id[2], shortcut;
    int16_t prop, base;
    QByteArray name;
    std::vector<FileParam> params;
};
struct FileValue {
    int32_t value;
    uint8_t attr;
    QByteArray name;
};
struct FileDef {
    uint32_t mask;
    QByteArray name;
    std::vector<FileValue> values;
};
struct FileCfg {
    int32_t cfgId = 0;
    std::vector<FileGroup> groups;
    std::map<uint16_t, std::vector<FileDef>> plainTexts;
    bool hasInfo = false;
    QByteArray groupName;
    int16_t access = -1, setPtr = -1, actSet = -1, finish = -1, quintelBase = 0;
    int32_t accessValue = 0, finishValue = 0;
    uint8_t maxSet = 7;
    uint16_t quintelCount = 0;
    int16_t scopeBase = 0;
};

struct Reader {
    QByteArray f;
    int32_t i32(int at) const
    {
        return int32_t(uint8_t(f[at]) | uint8_t(f[at + 1]) << 8 | uint8_t(f[at + 2]) << 16 | uint32_t(uint8_t(f[at + 3])) << 24);
    }
    int16_t i16(int at) const { return int16_t(uint8_t(f[at]) | uint8_t(f[at + 1]) << 8); }
    uint8_t u8(int at) const { return uint8_t(f[at]); }
    QByteArray name(int at) const { return f.mid(at + 1, std::min<int>(u8(at), 47)); }
};

FileCfg readFile(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    Reader r{file.readAll()};
    FileCfg c;
    c.cfgId = r.i32(18);
    if (const int g = r.i32(22)) {
        for (int i = 0, n = r.i32(g); i < n; ++i) {
            const int at = g + 4 + 62 * i;
            FileGroup fg{r.u8(at), r.u8(at + 6), r.u8(at + 7), {char(r.u8(at + 1)), char(r.u8(at + 2))},
                         char(r.u8(at + 3)), r.i16(at + 4), r.i16(at + 8), r.name(at + 10), {}};
            if (const int p = r.i32(at + 58))
                for (int k = 0, m = r.i32(p); k < m; ++k) {
                    const int q = p + 4 + 90 * k;
                    fg.params.push_back({r.i16(q), uint16_t(r.i16(q + 2)), r.i32(q + 4), r.i32(q + 8), r.i32(q + 12),
                                         uint32_t(r.i32(q + 16)), uint32_t(r.i32(q + 20)), r.i16(q + 24),
                                         r.i16(q + 26), r.i16(q + 28), uint16_t(r.i16(q + 30)), r.u8(q + 41),
                                         r.name(q + 42)});
                }
            c.groups.push_back(fg);
        }
    }
    if (const int t = r.i32(26)) {
        for (int i = 0, n = r.i32(t); i < n; ++i) {
            const int at = t + 4 + 6 * i;
            std::vector<FileDef>& defs = c.plainTexts[uint16_t(r.i16(at))];
            if (const int d = r.i32(at + 2))
                for (int k = 0, m = r.i32(d); k < m; ++k) {
                    const int q = d + 4 + 56 * k;
                    FileDef def{uint32_t(r.i32(q)), r.name(q + 4), {}};
                    if (const int v = r.i32(q + 52))
                        for (int j = 0, w = r.i32(v); j < w; ++j) {
                            const int s = v + 4 + 53 * j;
                            def.values.push_back({r.i32(s), r.u8(s + 4), r.name(s + 5)});
                        }
                    defs.push_back(def);
                }
        }
    }
    if (const int at = r.i32(30)) {
        c.hasInfo = true;
        c.groupName = r.name(at);
        c.access = r.i16(at + 96);
        c.setPtr = r.i16(at + 98);
        c.actSet = r.i16(at + 100);
        c.finish = r.i16(at + 104);
        c.accessValue = r.i32(at + 106);
        c.finishValue = r.i32(at + 114);
        c.maxSet = r.u8(at + 118);
        c.quintelCount = uint16_t(r.i16(at + 119));
        c.quintelBase = r.i16(at + 123);
    }
    if (const int at = r.i32(34); at && r.i16(0) <= -53 && r.i32(at) > 0)
        c.scopeBase = r.i16(at + 4);
    return c;
}

class Walk {
public:
    explicit Walk(SimInverter& inv) : inv_(inv) {}
    SimReply ask(int service, uint16_t parAdr, uint8_t b2 = 0, bool write = false, int32_t value = 0)
    {
        SimRequest req;
        req.service = service;
        req.isWrite = write;
        req.data.setU16(0, parAdr);
        req.data.setU8(2, b2);
        req.data.setI32(4, value);
        return inv_.handle(req);
    }
    // A header value: classic parameter, or selector through 4 and 5;
    // `absent` when the inverter says "not available".
    int32_t header(bool selector, uint16_t classic, int sel, int32_t absent)
    {
        if (selector) {
            EXPECT_EQ(ask(0, 4, 1, true, sel).status, 0);
            classic = 5;
        }
        const SimReply r = ask(0, classic, 1);
        if (r.status == ErrNotAvailable)
            return absent;
        EXPECT_EQ(r.status, 0);
        return r.data.i32(4);
    }

private:
    SimInverter& inv_;
};

} // namespace

TEST(SimModelSource, DescribesItselfAsItsConfigurationFile)
{
    const QDir sources(qeltest::sourceDir() + QStringLiteral("/data/configs"));
    const QDir built(qeltest::binaryDir() + QStringLiteral("/data/configs"));
    const QStringList jsons = sources.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(jsons.isEmpty());
    for (const QString& json : jsons) {
        SCOPED_TRACE(json.toStdString());
        SimModel model;
        QString error;
        ASSERT_TRUE(SimModel::fromJsonFile(sources.filePath(json), model, &error)) << error.toStdString();
        const QString bin = built.filePath(QStringLiteral("Para%1.bin").arg(model.fileCfgId % 10000, 4, 10, QLatin1Char('0')));
        ASSERT_TRUE(QFile::exists(bin)) << bin.toStdString();
        const FileCfg file = readFile(bin);
        ASSERT_EQ(file.cfgId, model.fileCfgId);
        SimInverter inv(1, model);
        Walk w(inv);

        // Header values.
        const SimReply typeFlags = w.ask(4, 2, 1);
        ASSERT_EQ(typeFlags.status, 0);
        const bool selector = typeFlags.data.u32(8) & 0x800;
        if (file.hasInfo) {
            EXPECT_EQ(w.header(selector, 5, 1, -1), file.access);
            EXPECT_EQ(w.header(selector, 8, 2, -1), file.setPtr);
            EXPECT_EQ(w.header(selector, 9, 3, -1), file.actSet);
            EXPECT_EQ(w.header(selector, 42, 5, -1), file.finish);
            EXPECT_EQ(w.header(selector, 4, 0, 0) & 0xFF, file.maxSet);
            const SimReply group = w.ask(6, 0x000A);
            EXPECT_EQ(group.status == 0 ? group.data.text(3) : QByteArray("No Group"), file.groupName);
            if (file.access >= 0) {
                const SimReply acc = w.ask(3, uint16_t(file.access));
                EXPECT_EQ(acc.status == 0 ? acc.data.i32(4) : 683, file.accessValue);
            }
            if (file.finish >= 0) {
                const SimReply fin = w.ask(3, uint16_t(file.finish));
                EXPECT_EQ(fin.status == 0 ? fin.data.u8(4) : -1, file.finishValue);
            }
            const int32_t qb = w.header(selector, 43, 6, INT32_MIN);
            if (qb != INT32_MIN) {
                EXPECT_EQ(int16_t(qb), file.quintelBase);
                // Only a selector inverter reports its number of entries.
                if (selector) {
                    const SimReply lim = w.ask(2, uint16_t(-int16_t(qb)), 1);
                    EXPECT_EQ(lim.status, 0);
                    EXPECT_EQ(lim.data.i32(8) + 1, file.quintelCount);
                }
            } else {
                EXPECT_EQ(file.quintelCount, 0);
            }
            if (model.newStyle) {
                EXPECT_EQ(int16_t(w.header(selector, 55, 11, -1)), file.scopeBase);
            }
        }

        // Groups, parameters and plain texts, in reading order.
        std::map<int, const FileGroup*> fileGroups;
        for (const FileGroup& g : file.groups)
            fileGroups[uint16_t(g.base)] = &g;
        int groupsSeen = 0;
        for (int base = 0; base < 0x8000; base += 0x100) {
            const SimReply g = w.ask(10, uint16_t(base));
            auto it = fileGroups.find(base);
            if (g.status == ErrNotAvailable) {
                EXPECT_TRUE(it == fileGroups.end()) << "group " << base;
                continue;
            }
            ASSERT_EQ(g.status, 0);
            ASSERT_TRUE(it != fileGroups.end()) << "group " << base;
            const FileGroup& fg = *it->second;
            ++groupsSeen;
            EXPECT_EQ(g.data.u16(2), fg.index);
            EXPECT_EQ(char(g.data.u8(4)), fg.id[0]);
            EXPECT_EQ(char(g.data.u8(5)), fg.id[1]);
            EXPECT_EQ(char(g.data.u8(6)), fg.shortcut);
            EXPECT_EQ(g.data.i16(8), fg.prop);
            EXPECT_EQ(g.data.u8(10), fg.maxPara);
            EXPECT_EQ(g.data.u8(11), fg.lastPara);
            EXPECT_EQ(w.ask(11, uint16_t(base)).data.text(3), fg.name);

            size_t found = 0;
            for (int a = base; found < size_t(fg.lastPara) + 1 && a - base <= 100; ++a) {
                const SimReply lim = w.ask(2, uint16_t(a));
                if (lim.status == ErrNotAvailable)
                    continue;
                ASSERT_EQ(lim.status, 0);
                ASSERT_LT(found, fg.params.size()) << "parameter " << a;
                const FileParam& fp = fg.params[found++];
                ASSERT_EQ(uint16_t(fp.addr), a);
                EXPECT_EQ(lim.data.i32(4), fp.lower);
                EXPECT_EQ(lim.data.i32(8), fp.upper);
                EXPECT_EQ(w.ask(3, uint16_t(a)).data.i32(4), fp.def);
                const SimReply af = w.ask(4, uint16_t(a));
                EXPECT_EQ(af.data.u32(4), fp.attr);
                EXPECT_EQ(af.data.u32(8), fp.flags);
                const SimReply sc = w.ask(5, uint16_t(a));
                EXPECT_EQ(sc.data.i16(2), fp.div);
                EXPECT_EQ(sc.data.i16(4), fp.mul);
                EXPECT_EQ(sc.data.i16(6), fp.offset);
                EXPECT_EQ(sc.data.u16(8), fp.format);
                EXPECT_EQ(w.ask(6, uint16_t(a)).data.text(3), fp.name);
                const SimReply tx = w.ask(7, uint16_t(a));
                EXPECT_EQ(tx.data.u16(6), fp.textId);
                EXPECT_EQ(tx.data.u8(8), fp.defCount);
                if (fp.defCount == 0)
                    continue;
                const auto pt = file.plainTexts.find(fp.textId);
                ASSERT_TRUE(pt != file.plainTexts.end());
                ASSERT_EQ(pt->second.size(), fp.defCount);
                for (int d = 0; d < fp.defCount; ++d) {
                    SimRequest r12;
                    r12.service = 12;
                    r12.data.setU16(0, fp.textId);
                    r12.data.setU8(2, uint8_t(d));
                    const SimReply def = inv.handle(r12);
                    ASSERT_EQ(def.status, 0);
                    const FileDef& fd = pt->second[d];
                    EXPECT_EQ(def.data.u32(4), fd.mask);
                    EXPECT_EQ(def.data.text(9), fd.name);
                    ASSERT_EQ(def.data.u8(8), fd.values.size());
                    for (int s = 0; s < int(fd.values.size()); ++s) {
                        SimRequest r9;
                        r9.service = 9;
                        r9.data.setU16(2, fp.textId);
                        r9.data.setU8(4, uint8_t(d));
                        r9.data.setU8(5, uint8_t(s));
                        const SimReply v = inv.handle(r9);
                        ASSERT_EQ(v.status, 0);
                        EXPECT_EQ(v.data.i32(8), fd.values[s].value);
                        EXPECT_EQ(v.data.u8(12), fd.values[s].attr);
                        EXPECT_EQ(v.data.text(13), fd.values[s].name);
                    }
                }
            }
            EXPECT_EQ(found, fg.params.size()) << "group " << base;
        }
        EXPECT_EQ(groupsSeen, int(file.groups.size()));
    }
}

TEST(SimModelSource, RolesOfParameters)
{
    SimModel model;
    QString error;
    ASSERT_TRUE(SimModel::fromJsonFile(qeltest::sourceDir() + QStringLiteral("/data/configs/type0022.json"), model, &error))
        << error.toStdString();
    SimInverter inv(1, model);
    Walk w(inv);
    // The reported configuration number is parameter 0x160F's.
    const SimReply cfg = w.ask(-1, 0x160F);
    EXPECT_EQ(cfg.data.u16(2), model.param(0x160F)->def);

    // Selector-mode Quintel entries.
    ASSERT_LT(model.quintelBase, -1);
    const uint16_t s = uint16_t(-model.quintelBase);
    ASSERT_GE(model.quintelEntries.size(), 3u);
    EXPECT_EQ(w.ask(0, s, 1, true, 3).status, 0);
    EXPECT_EQ(w.ask(0, uint16_t(s + 1), 1).data.i32(4), model.quintelEntries[2].target);
    EXPECT_EQ(w.ask(0, uint16_t(s + 2), 1).data.i32(4), model.quintelEntries[2].def);

    // Sets: a per-set parameter keeps a value per set; a mask beyond the
    // highest set is refused; indirect addressing follows the set pointer.
    const SimParam* perSet = nullptr;
    for (const auto& [a, p] : model.params)
        if (p.perSet() && !p.operatorParam && (p.flags & 0x8) && p.upper > p.lower + 10) {
            perSet = &p;
            break;
        }
    ASSERT_NE(perSet, nullptr);
    const uint16_t a = perSet->addr;
    EXPECT_EQ(w.ask(0, a, 0x04, true, perSet->lower + 1).status, 0);
    EXPECT_EQ(w.ask(0, a, 0x04).data.i32(4), perSet->lower + 1);
    EXPECT_EQ(w.ask(0, a, 0x01, true, perSet->upper + 1).status, ErrLimits);
    EXPECT_EQ(inv.value(a, 2), perSet->lower + 1);
    inv.setValue(uint16_t(model.setPtrParAdr), 2);
    EXPECT_EQ(w.ask(1, a, 1).data.i32(4), perSet->lower + 1);
    EXPECT_EQ(w.ask(0, 0x160F, 1, true, 5).status, ErrReadOnly);
    EXPECT_EQ(w.ask(0, 0x7F7F, 1).status, ErrNotAvailable);

    // Offline scope: record, wait for the status, read a sample.
    const uint16_t base = uint16_t(model.scopeBase);
    inv.setValue(0x0101, 1000);
    SimRequest chan;
    chan.service = -1;
    chan.isWrite = true;
    chan.data.setU16(0, base);
    chan.data.setU16(2, 0x0101);
    EXPECT_EQ(inv.handle(chan).status, 0);
    EXPECT_EQ(w.ask(0, uint16_t(base + 7), 1, true, 255).status, 0);
    EXPECT_EQ(w.ask(0, uint16_t(base + 9), 1, true, 5).status, 0);
    EXPECT_EQ(w.ask(0, uint16_t(base + 10), 1).data.i32(4), 1005);
    EXPECT_EQ(w.ask(0, uint16_t(base + 9), 1, true, 100).status, ErrLimits);
}
