#include "tools/cfgtool/cfg_source.h"

#include "platform/codepage.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <optional>

namespace {

// Reads JSON values with a path for messages.
class Reader {
public:
    explicit Reader(QStringList& errors) : errors_(errors) {}

    void error(const QString& where, const QString& what) { errors_ << where + QStringLiteral(": ") + what; }

    // A number, a decimal string or a "0x"/"-0x" hexadecimal string.
    std::optional<qint64> integer(const QJsonValue& v, const QString& where)
    {
        if (v.isDouble()) {
            const double d = v.toDouble();
            if (d != std::trunc(d) || std::fabs(d) > 9e15) {
                error(where, QStringLiteral("not an integer"));
                return std::nullopt;
            }
            return static_cast<qint64>(d);
        }
        if (v.isString()) {
            QString s = v.toString().trimmed();
            bool neg = s.startsWith(QLatin1Char('-'));
            if (neg)
                s.remove(0, 1);
            bool ok = false;
            qint64 n = 0;
            if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
                n = s.mid(2).toLongLong(&ok, 16);
            else
                n = s.toLongLong(&ok, 10);
            if (ok)
                return neg ? -n : n;
        }
        error(where, QStringLiteral("not an integer"));
        return std::nullopt;
    }

    // Integer field with range [lo, hi]; absent gives def.
    qint64 field(const QJsonObject& o, const char* key, const QString& where, qint64 lo, qint64 hi, std::optional<qint64> def)
    {
        const QString at = where + QLatin1Char('.') + QLatin1String(key);
        if (!o.contains(QLatin1String(key))) {
            if (!def)
                error(at, QStringLiteral("missing"));
            return def.value_or(0);
        }
        const auto v = integer(o.value(QLatin1String(key)), at);
        if (!v)
            return def.value_or(0);
        if (*v < lo || *v > hi) {
            error(at, QStringLiteral("out of range"));
            return def.value_or(0);
        }
        return *v;
    }
    int32_t i32(const QJsonObject& o, const char* key, const QString& w, std::optional<qint64> def)
    {
        return static_cast<int32_t>(static_cast<uint32_t>(field(o, key, w, INT32_MIN, UINT32_MAX, def)));
    }
    int16_t i16(const QJsonObject& o, const char* key, const QString& w, std::optional<qint64> def)
    {
        return static_cast<int16_t>(static_cast<uint16_t>(field(o, key, w, INT16_MIN, UINT16_MAX, def)));
    }
    uint8_t u8(const QJsonObject& o, const char* key, const QString& w, std::optional<qint64> def)
    {
        return static_cast<uint8_t>(field(o, key, w, 0, 255, def));
    }

    // A text that Windows-1252 can hold, of at most maxLen characters.
    QString text(const QJsonValue& v, const QString& where, int maxLen)
    {
        if (!v.isString()) {
            error(where, QStringLiteral("not a string"));
            return QString();
        }
        const QString s = v.toString();
        if (s.size() > maxLen)
            error(where, QStringLiteral("longer than %1 characters").arg(maxLen));
        if (fromCodePage(toCodePage(s, CodePage::Cp1252), CodePage::Cp1252) != s)
            error(where, QStringLiteral("not representable in Windows-1252"));
        return s.left(maxLen);
    }
    QString text(const QJsonObject& o, const char* key, const QString& where, int maxLen, std::optional<QString> def)
    {
        if (!o.contains(QLatin1String(key))) {
            if (!def)
                error(where + QLatin1Char('.') + QLatin1String(key), QStringLiteral("missing"));
            return def.value_or(QString());
        }
        return text(o.value(QLatin1String(key)), where + QLatin1Char('.') + QLatin1String(key), maxLen);
    }

    // name2: {"d": "..."}; returns letter -> name.
    std::map<QChar, QString> names2(const QJsonObject& o, const QString& where)
    {
        std::map<QChar, QString> out;
        const QJsonValue v = o.value(QLatin1String("name2"));
        if (v.isUndefined() || v.isNull())
            return out;
        if (!v.isObject()) {
            error(where + QStringLiteral(".name2"), QStringLiteral("not an object"));
            return out;
        }
        const QJsonObject n = v.toObject();
        for (auto it = n.begin(); it != n.end(); ++it) {
            if (it.key().size() != 1 || AddLanguageOfLetter(it.key()[0]) == 0) {
                error(where + QStringLiteral(".name2"), QStringLiteral("unknown language letter ") + it.key());
                continue;
            }
            out[it.key()[0]] = text(it.value(), where + QStringLiteral(".name2.") + it.key(), kMaxNameLen);
        }
        return out;
    }

    QJsonArray array(const QJsonObject& o, const char* key, const QString& where)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return QJsonArray();
        if (!v.isArray())
            error(where + QLatin1Char('.') + QLatin1String(key), QStringLiteral("not an array"));
        return v.toArray();
    }

private:
    QStringList& errors_;
};

QByteArray charsOf(const QString& s)
{
    return toCodePage(s, CodePage::Cp1252);
}

// Second-language names of one record kind, per letter, with the first
// language as fallback so every .add file names every record.
struct PendingNames {
    std::map<QChar, QString> names;
};

QString pick(const std::map<QChar, QString>& names, QChar letter, const QString& fallback)
{
    const auto it = names.find(letter);
    return it != names.end() ? it->second : fallback;
}

}  // namespace

int AddLanguageOfLetter(QChar letter)
{
    static const QString letters = QStringLiteral("difsra");
    const qsizetype i = letters.indexOf(letter);
    return i < 0 ? 0 : static_cast<int>(i) + 1;
}

bool CfgSourceFromJson(const QJsonObject& json, CfgSource& src, QStringList& errors)
{
    const int errorsBefore = errors.size();
    Reader r(errors);
    auto cfg = std::make_shared<TCfgRec>();
    src.cfg = cfg;
    const QString top = QStringLiteral("$");

    cfg->CfgId = r.i32(json, "cfgId", top, std::nullopt);
    src.layout.version = r.i16(json, "fileVersion", top, kCfgFileVersion);
    if (src.layout.version > kCfgFileOldVersion)
        r.error(top + QStringLiteral(".fileVersion"), QStringLiteral("must be -52 or lower"));
    if (!json.value(QLatin1String("newStyle")).isBool())
        r.error(top + QStringLiteral(".newStyle"), QStringLiteral("missing or not a bool"));
    cfg->NewStyle = json.value(QLatin1String("newStyle")).toBool() ? 1 : 0;
    src.layout.withTrailer = json.value(QLatin1String("trailer")).toBool(true);

    const bool oldVersion = src.layout.version > kCfgFileVersion;
    const int16_t impliedScope = cfg->NewStyle ? -1 : 0x3200;
    cfg->ScopeBase = r.i16(json, "scopeBase", top, oldVersion ? impliedScope : -1);
    if (oldVersion && cfg->ScopeBase != impliedScope)
        r.error(top + QStringLiteral(".scopeBase"), QStringLiteral("the older file version implies %1").arg(impliedScope));
    if (!oldVersion && !src.layout.withTrailer)
        cfg->ScopeBase = 0;

    // Info block.
    const QJsonValue infoValue = json.value(QLatin1String("info"));
    src.layout.withInfo = infoValue.isObject();
    if (src.layout.withInfo) {
        const QJsonObject info = infoValue.toObject();
        const QString w = QStringLiteral("$.info");
        cfg->GroupName = r.text(info, "groupName", w, kMaxNameLen, QString());
        cfg->TypeName = r.text(info, "typeName", w, kMaxNameLen, QString());
        cfg->AccessParAdr = r.i16(info, "accessParAdr", w, -1);
        cfg->SetPtrParAdr = r.i16(info, "setPtrParAdr", w, -1);
        cfg->ActSetParAdr = r.i16(info, "actSetParAdr", w, -1);
        cfg->TypeParAdr = r.i16(info, "typeParAdr", w, -1);
        cfg->FinishParAdr = r.i16(info, "finishParAdr", w, -1);
        cfg->AccessValue = r.i32(info, "accessValue", w, 0);
        cfg->TypeValue = r.i32(info, "typeValue", w, 0);
        cfg->FinishValue = r.i32(info, "finishValue", w, 0);
        cfg->MaxSet = r.u8(info, "maxSet", w, 0);
        cfg->QuintelCount = static_cast<uint16_t>(r.field(info, "quintelCount", w, 0, 0xFFFF, 0));
        cfg->QuintelSel = r.i16(info, "quintelSel", w, -1);
        cfg->QuintelBase = r.i16(info, "quintelBase", w, 0);
    } else {
        // What the reader makes of a file without info.
        cfg->GroupName.clear();
        cfg->TypeName.clear();
        cfg->AccessParAdr = cfg->SetPtrParAdr = cfg->ActSetParAdr = cfg->TypeParAdr = cfg->FinishParAdr = -1;
        cfg->MaxSet = 7;
    }

    std::map<QChar, bool> letters;
    auto collect = [&letters](const std::map<QChar, QString>& n) {
        for (const auto& [l, s] : n)
            letters[l] = true;
    };

    // Plain texts.
    struct TableNames {
        std::vector<std::map<QChar, QString>> defs;
        std::vector<std::vector<std::map<QChar, QString>>> values;
    };
    std::vector<TableNames> tableNames;
    const QJsonArray tables = r.array(json, "plainTexts", top);
    for (int i = 0; i < tables.size(); ++i) {
        const QString w = QStringLiteral("$.plainTexts[%1]").arg(i);
        const QJsonObject t = tables[i].toObject();
        auto table = std::make_shared<TPlainTextRec>();
        table->TextId = r.i16(t, "textId", w, std::nullopt);
        if (cfg->PlainTexts.FindId(static_cast<uint16_t>(table->TextId)))
            r.error(w, QStringLiteral("textId used twice"));
        TableNames tn;
        const QJsonArray defs = r.array(t, "defs", w);
        for (int k = 0; k < defs.size(); ++k) {
            const QString wd = w + QStringLiteral(".defs[%1]").arg(k);
            const QJsonObject d = defs[k].toObject();
            auto def = std::make_shared<TDefRec>();
            def->Mask = static_cast<uint32_t>(r.i32(d, "mask", wd, std::nullopt));
            const QString name = r.text(d, "name", wd, kMaxNameLen, std::nullopt);
            def->Name.Set(0, name);
            def->Name.Set(1, name);
            tn.defs.push_back(r.names2(d, wd));
            collect(tn.defs.back());
            tn.values.emplace_back();
            const QJsonArray values = r.array(d, "values", wd);
            for (int s = 0; s < values.size(); ++s) {
                const QString wv = wd + QStringLiteral(".values[%1]").arg(s);
                const QJsonObject v = values[s].toObject();
                auto sub = std::make_shared<TSubRec>();
                sub->Value = r.i32(v, "value", wv, std::nullopt);
                sub->Attr = r.u8(v, "attr", wv, 0);
                const QString vname = r.text(v, "name", wv, kMaxNameLen, std::nullopt);
                sub->Name.Set(0, vname);
                sub->Name.Set(1, vname);
                tn.values.back().push_back(r.names2(v, wv));
                collect(tn.values.back().back());
                def->SubList.Add(std::move(sub));
            }
            table->DefList.Add(std::move(def));
        }
        tableNames.push_back(std::move(tn));
        cfg->PlainTexts.Add(std::move(table));
    }

    // Groups and parameters.
    std::vector<std::map<QChar, QString>> groupNames;
    std::vector<std::vector<std::map<QChar, QString>>> paraNames;
    const QJsonArray groups = r.array(json, "groups", top);
    for (int i = 0; i < groups.size(); ++i) {
        const QString w = QStringLiteral("$.groups[%1]").arg(i);
        const QJsonObject go = groups[i].toObject();
        auto g = std::make_shared<TGrpRec>();
        g->Index = r.u8(go, "index", w, std::nullopt);
        const QByteArray id = charsOf(r.text(go, "idChar", w, 2, std::nullopt));
        if (id.size() != 2)
            r.error(w + QStringLiteral(".idChar"), QStringLiteral("needs two characters"));
        g->IdChar = {id.size() > 0 ? id[0] : ' ', id.size() > 1 ? id[1] : ' '};
        const QByteArray sc = charsOf(r.text(go, "shortcut", w, 1, QString(QChar::fromLatin1(g->IdChar[0])).toUpper()));
        g->Shortcut = sc.isEmpty() ? ' ' : sc[0];
        g->Prop = r.i16(go, "prop", w, 0x0010);
        g->BaseAddr = r.i16(go, "baseAddr", w, std::nullopt);
        if (g->BaseAddr & 0xFF)
            r.error(w + QStringLiteral(".baseAddr"), QStringLiteral("low byte must be 0"));
        const QString gname = r.text(go, "name", w, kMaxNameLen, std::nullopt);
        g->Name.Set(0, gname);
        g->Name.Set(1, gname);
        groupNames.push_back(r.names2(go, w));
        collect(groupNames.back());
        paraNames.emplace_back();

        const QJsonArray params = r.array(go, "params", w);
        int maxNumber = 0;
        for (int k = 0; k < params.size(); ++k) {
            const QString wp = w + QStringLiteral(".params[%1]").arg(k);
            const QJsonObject po = params[k].toObject();
            auto p = std::make_shared<TParaRec>();
            p->Addr = r.i16(po, "addr", wp, std::nullopt);
            if ((p->Addr & 0xFF00) != (g->BaseAddr & 0xFF00))
                r.error(wp + QStringLiteral(".addr"), QStringLiteral("not in the group's address range"));
            const QString pname = r.text(po, "name", wp, kMaxNameLen, std::nullopt);
            p->SetName(0, pname);
            p->SetName(1, pname);
            const int number = p->Addr & 0xFF;
            maxNumber = std::max(maxNumber, number);
            const QString defaultId = g->IdText() + QStringLiteral("%1").arg(number % 100, 2, 10, QLatin1Char('0'));
            p->SetIdText(r.text(po, "idText", wp, kMaxIdTextLen, defaultId));
            p->TextId = static_cast<uint16_t>(r.i16(po, "textId", wp, 0));
            p->LowerLim = r.i32(po, "lowerLim", wp, 0);
            p->UpperLim = r.i32(po, "upperLim", wp, 0);
            p->DefVal = r.i32(po, "defVal", wp, 0);
            p->Attr = static_cast<uint32_t>(r.i32(po, "attr", wp, 0));
            p->Flags = static_cast<uint32_t>(r.i32(po, "flags", wp, 0));
            p->Mul = r.i16(po, "mul", wp, 1);
            p->Div = r.i16(po, "div", wp, 1);
            p->Offset = r.i16(po, "offset", wp, 0);
            p->Format = static_cast<uint16_t>(r.i16(po, "format", wp, 0));
            p->PlainText = cfg->PlainTexts.FindIdShared(p->TextId);
            const int tableDefs = p->PlainText ? std::min(255, p->PlainText->DefList.Count()) : 0;
            p->DefCount = r.u8(po, "defCount", wp, tableDefs);
            paraNames.back().push_back(r.names2(po, wp));
            collect(paraNames.back().back());
            if (g->ParaList.FindAddr(p->Addr) || cfg->FindPara(p->Addr))
                r.error(wp + QStringLiteral(".addr"), QStringLiteral("address used twice"));
            g->ParaList.Add(std::move(p));
        }
        if (params.isEmpty())
            r.error(w, QStringLiteral("a group without parameters is dropped by every reader"));
        g->MaxPara = r.u8(go, "maxPara", w, maxNumber);
        g->LastPara = r.u8(go, "lastPara", w, std::max<qsizetype>(params.size() - 1, 0));
        cfg->GrpList.Add(std::move(g));
    }

    // Second-language files: every record, its own name where the source
    // gives none in that language.
    src.addNames.clear();
    for (const auto& [letter, used] : letters) {
        AddFileNames& add = src.addNames[letter];
        for (int i = 0; i < cfg->GrpList.Count(); ++i) {
            const TGrpRec* g = cfg->GrpList.GetItem(i);
            add.groups.push_back({g->BaseAddr, pick(groupNames[size_t(i)], letter, g->GetName(0))});
            for (int k = 0; k < g->ParaList.Count(); ++k) {
                const TParaRec* p = g->ParaList.GetItem(k);
                add.params.push_back({p->Addr, pick(paraNames[size_t(i)][size_t(k)], letter, p->GetName(0))});
            }
        }
        for (int i = 0; i < cfg->PlainTexts.Count(); ++i) {
            const TPlainTextRec* t = cfg->PlainTexts.GetItem(i);
            AddFileNames::Table table{t->TextId, {}};
            for (int k = 0; k < t->DefList.Count(); ++k) {
                const TDefRec* d = t->DefList.GetItem(k);
                AddFileNames::Def def{d->Mask, pick(tableNames[size_t(i)].defs[size_t(k)], letter, d->GetName(0)), {}};
                for (int s = 0; s < d->SubList.Count(); ++s) {
                    const TSubRec* v = d->SubList.GetItem(s);
                    def.values.push_back({v->Value, pick(tableNames[size_t(i)].values[size_t(k)][size_t(s)], letter, v->GetName(0))});
                }
                table.defs.push_back(std::move(def));
            }
            add.tables.push_back(std::move(table));
        }
    }
    return errors.size() == errorsBefore;
}

bool CfgSourceFromJsonText(const QByteArray& text, CfgSource& source, QStringList& errors)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        errors << QStringLiteral("JSON: %1 at offset %2").arg(pe.errorString()).arg(pe.offset);
        return false;
    }
    return CfgSourceFromJson(doc.object(), source, errors);
}

QStringList CheckHeaderParams(const CfgSource& source)
{
    QStringList out;
    const TCfgRec& cfg = *source.cfg;
    if (!source.layout.withInfo)
        return out;
    const TParaRec* type = cfg.FindPara(2);
    if (type && (type->Flags & 0x800))
        return out;  // selector header values come from the info block itself
    auto check = [&](int addr, int expected, int bits, const char* what) {
        const TParaRec* p = cfg.FindPara(addr);
        if (!p)
            return;
        const int value = bits == 8 ? (p->DefVal & 0xFF) : static_cast<int16_t>(p->DefVal & 0xFFFF);
        if (value != expected)
            out << QStringLiteral("parameter %1 holds %2 but %3 is %4").arg(addr).arg(value).arg(QLatin1String(what)).arg(expected);
    };
    check(4, cfg.MaxSet, 8, "maxSet");
    check(5, cfg.AccessParAdr, 16, "accessParAdr");
    check(8, cfg.SetPtrParAdr, 16, "setPtrParAdr");
    check(9, cfg.ActSetParAdr, 16, "actSetParAdr");
    check(42, cfg.FinishParAdr, 16, "finishParAdr");
    if (cfg.QuintelCount > 0)
        check(43, cfg.QuintelBase, 16, "quintelBase");
    check(55, cfg.ScopeBase, 16, "scopeBase");
    return out;
}

// ---- dump ---------------------------------------------------------------

namespace {

// Hexadecimal JSON strings.
QString hex(uint32_t v, int digits)
{
    return QStringLiteral("\"0x%1\"").arg(v, digits, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("0X"), QLatin1String("0x"));
}

QString addrText(int16_t a)
{
    if (a < 0)
        return a == -1 ? QStringLiteral("-1")
                       : QStringLiteral("\"-0x%1\"").arg(-int(a), 4, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("-0X"), QLatin1String("-0x"));
    return hex(static_cast<uint16_t>(a), 4);
}

QString q(const QString& s)
{
    // A JSON string literal.
    QJsonArray a{s};
    QByteArray b = QJsonDocument(a).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(b.mid(1, b.size() - 2));
}

QString kv(const char* key, const QString& value)
{
    return QLatin1Char('"') + QLatin1String(key) + QStringLiteral("\": ") + value;
}

QString num(qint64 v)
{
    return QString::number(v);
}

}  // namespace

QByteArray CfgSourceToJsonText(const TCfgRec& cfg, const CfgFileLayout& layout)
{
    QStringList top;
    top << kv("cfgId", num(cfg.CfgId));
    top << kv("fileVersion", num(layout.version));
    top << kv("newStyle", cfg.NewStyle ? QStringLiteral("true") : QStringLiteral("false"));
    if (layout.version <= kCfgFileVersion && !layout.withTrailer)
        top << kv("trailer", QStringLiteral("false"));
    if (layout.withInfo) {
        QStringList info;
        info << kv("groupName", q(cfg.GroupName)) << kv("typeName", q(cfg.TypeName))
             << kv("accessParAdr", addrText(cfg.AccessParAdr)) << kv("setPtrParAdr", addrText(cfg.SetPtrParAdr))
             << kv("actSetParAdr", addrText(cfg.ActSetParAdr)) << kv("typeParAdr", addrText(cfg.TypeParAdr))
             << kv("finishParAdr", addrText(cfg.FinishParAdr)) << kv("accessValue", num(cfg.AccessValue))
             << kv("typeValue", num(cfg.TypeValue)) << kv("finishValue", num(cfg.FinishValue))
             << kv("maxSet", num(cfg.MaxSet)) << kv("quintelCount", num(cfg.QuintelCount & 0xFFFF))
             << kv("quintelSel", addrText(cfg.QuintelSel)) << kv("quintelBase", addrText(cfg.QuintelBase));
        top << kv("info", QLatin1Char('{') + info.join(QStringLiteral(", ")) + QLatin1Char('}'));
    } else {
        top << kv("info", QStringLiteral("null"));
    }
    top << kv("scopeBase", addrText(cfg.ScopeBase));

    QStringList tables;
    for (const auto& t : cfg.PlainTexts) {
        QStringList defs;
        for (const auto& d : t->DefList) {
            QStringList values;
            for (const auto& s : d->SubList)
                values << QStringLiteral("          {") + kv("value", num(s->Value)) + QStringLiteral(", ") + kv("attr", num(s->Attr))
                        + QStringLiteral(", ") + kv("name", q(s->GetName(0))) + QLatin1Char('}');
            defs << QStringLiteral("        {") + kv("mask", hex(d->Mask, 8)) + QStringLiteral(", ") + kv("name", q(d->GetName(0)))
                    + QStringLiteral(", \"values\": [\n") + values.join(QStringLiteral(",\n")) + QStringLiteral("\n        ]}");
        }
        tables << QStringLiteral("    {") + kv("textId", num(static_cast<uint16_t>(t->TextId))) + QStringLiteral(", \"defs\": [\n")
                  + defs.join(QStringLiteral(",\n")) + QStringLiteral("\n    ]}");
    }
    top << QStringLiteral("\"plainTexts\": [\n") + tables.join(QStringLiteral(",\n")) + QStringLiteral("\n  ]");

    QStringList groups;
    for (const auto& g : cfg.GrpList) {
        QStringList params;
        for (const auto& p : g->ParaList) {
            QStringList f;
            f << kv("addr", addrText(p->Addr)) << kv("name", q(p->GetName(0))) << kv("idText", q(p->GetIdText()))
              << kv("textId", num(p->TextId)) << kv("defCount", num(p->DefCount)) << kv("lowerLim", num(p->LowerLim))
              << kv("upperLim", num(p->UpperLim)) << kv("defVal", num(p->DefVal)) << kv("attr", hex(p->Attr, 8))
              << kv("flags", hex(p->Flags, 8)) << kv("mul", num(p->Mul)) << kv("div", num(p->Div))
              << kv("offset", num(p->Offset)) << kv("format", hex(p->Format, 4));
            params << QStringLiteral("        {") + f.join(QStringLiteral(", ")) + QLatin1Char('}');
        }
        QStringList f;
        f << kv("index", num(g->Index))
          << kv("idChar", q(fromCodePage(QByteArrayView(g->IdChar.data(), 2), CodePage::Cp1252)))
          << kv("shortcut", q(fromCodePage(QByteArrayView(&g->Shortcut, 1), CodePage::Cp1252)))
          << kv("prop", hex(static_cast<uint16_t>(g->Prop), 4)) << kv("baseAddr", addrText(g->BaseAddr))
          << kv("maxPara", num(g->MaxPara)) << kv("lastPara", num(g->LastPara)) << kv("name", q(g->GetName(0)));
        groups << QStringLiteral("    {") + f.join(QStringLiteral(", ")) + QStringLiteral(", \"params\": [\n")
                  + params.join(QStringLiteral(",\n")) + QStringLiteral("\n    ]}");
    }
    top << QStringLiteral("\"groups\": [\n") + groups.join(QStringLiteral(",\n")) + QStringLiteral("\n  ]");

    return (QStringLiteral("{\n  ") + top.join(QStringLiteral(",\n  ")) + QStringLiteral("\n}\n")).toUtf8();
}
