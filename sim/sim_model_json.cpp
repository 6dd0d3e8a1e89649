// Reads an inverter type from the readable configuration source (the JSON
// files the sample configuration files are built from), so that a
// simulated inverter reports exactly what its configuration file holds.
#include "sim/sim_data.h"
#include "sim/sim_model.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace qelsim {

namespace {

struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void bad(const QString& what)
{
    throw SourceError(what.toStdString());
}

// A number, or a string with a hexadecimal number ("0x160F", "-0x0E00").
// 32-bit fields take the bit pattern, so the result is the low 32 bits.
int64_t number(const QJsonValue& v, const QString& key)
{
    if (v.isDouble())
        return int64_t(v.toDouble());
    if (v.isString()) {
        QString s = v.toString().trimmed();
        bool neg = s.startsWith(QLatin1Char('-'));
        if (neg)
            s = s.mid(1);
        bool ok = false;
        qint64 n = 0;
        if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            n = s.mid(2).toLongLong(&ok, 16);
        else
            n = s.toLongLong(&ok, 10);
        if (!ok)
            bad(QStringLiteral("\"%1\": not a number: %2").arg(key, v.toString()));
        return neg ? -n : n;
    }
    bad(QStringLiteral("\"%1\": not a number").arg(key));
}

int64_t get(const QJsonObject& o, const char* key, int64_t def)
{
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isUndefined() || v.isNull() ? def : number(v, QLatin1String(key));
}

int64_t need(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        bad(QStringLiteral("\"%1\" missing").arg(QLatin1String(key)));
    return number(v, QLatin1String(key));
}

QByteArray name(const QJsonObject& o, const char* key = "name")
{
    const QString s = o.value(QLatin1String(key)).toString();
    if (s.size() > 47)
        bad(QStringLiteral("name longer than 47 characters: %1").arg(s));
    return toWireText(s);
}

std::vector<int32_t> setValues(const QJsonObject& o)
{
    std::vector<int32_t> out;
    for (const QJsonValue& v : o.value(QLatin1String("setValues")).toArray())
        out.push_back(int32_t(number(v, QStringLiteral("setValues"))));
    return out;
}

void read(const QJsonObject& root, SimModel& m)
{
    m.fileCfgId = int32_t(need(root, "cfgId"));
    m.cfgId = m.fileCfgId;
    const QJsonValue ns = root.value(QLatin1String("newStyle"));
    if (!ns.isBool())
        bad(QStringLiteral("\"newStyle\" missing"));
    m.newStyle = ns.toBool();
    m.scopeBase = int16_t(get(root, "scopeBase", -1));

    const QJsonValue infoValue = root.value(QLatin1String("info"));
    if (infoValue.isObject()) {
        const QJsonObject info = infoValue.toObject();
        m.groupName = name(info, "groupName");
        m.typeName = name(info, "typeName");
        m.accessParAdr = int16_t(get(info, "accessParAdr", -1));
        m.setPtrParAdr = int16_t(get(info, "setPtrParAdr", -1));
        m.actSetParAdr = int16_t(get(info, "actSetParAdr", -1));
        m.finishParAdr = int16_t(get(info, "finishParAdr", -1));
        m.maxSet = int(get(info, "maxSet", 0) & 0xFF);
        m.quintelBase = int16_t(get(info, "quintelBase", 0));
        m.quintelSel = int16_t(get(info, "quintelSel", -1));
        m.quintelCount = int(get(info, "quintelCount", 0) & 0xFFFF);
    } else {
        // What a reader takes for a file without configuration info.
        m.maxSet = 7;
        m.quintelBase = -1;
    }

    for (const QJsonValue& tv : root.value(QLatin1String("plainTexts")).toArray()) {
        const QJsonObject t = tv.toObject();
        SimPlainText pt;
        pt.textId = uint16_t(need(t, "textId"));
        for (const QJsonValue& dv : t.value(QLatin1String("defs")).toArray()) {
            const QJsonObject d = dv.toObject();
            SimBitField f;
            f.mask = uint32_t(need(d, "mask"));
            f.name = name(d);
            for (const QJsonValue& vv : d.value(QLatin1String("values")).toArray()) {
                const QJsonObject v = vv.toObject();
                f.values.push_back({int32_t(need(v, "value")), uint8_t(get(v, "attr", 0)), name(v)});
            }
            pt.fields.push_back(std::move(f));
        }
        m.plainTexts.push_back(std::move(pt));
    }

    for (const QJsonValue& gv : root.value(QLatin1String("groups")).toArray()) {
        const QJsonObject go = gv.toObject();
        SimGroup g;
        g.index = uint8_t(need(go, "index"));
        const QByteArray id = toWireText(go.value(QLatin1String("idChar")).toString());
        if (id.size() != 2)
            bad(QStringLiteral("group \"idChar\" must have 2 characters"));
        g.idChar[0] = id[0];
        g.idChar[1] = id[1];
        const QByteArray sc = toWireText(go.value(QLatin1String("shortcut")).toString());
        g.shortcut = sc.isEmpty() ? char(QChar::fromLatin1(id[0]).toUpper().toLatin1()) : sc[0];
        g.prop = int16_t(get(go, "prop", 0x10));
        g.base = uint16_t(need(go, "baseAddr"));
        g.name = name(go);
        const QJsonArray params = go.value(QLatin1String("params")).toArray();
        int highest = 0;
        for (const QJsonValue& pv : params) {
            const QJsonObject po = pv.toObject();
            SimParam p;
            p.addr = uint16_t(need(po, "addr"));
            p.name = name(po);
            p.textId = uint16_t(get(po, "textId", 0));
            p.lower = int32_t(get(po, "lowerLim", 0));
            p.upper = int32_t(get(po, "upperLim", 0));
            p.def = int32_t(get(po, "defVal", 0));
            p.attr = uint32_t(get(po, "attr", 0));
            p.flags = uint32_t(get(po, "flags", 0));
            p.mul = int16_t(get(po, "mul", 1));
            p.div = int16_t(get(po, "div", 1));
            p.offset = int16_t(get(po, "offset", 0));
            p.format = uint16_t(get(po, "format", 0));
            int defaultCount = 0;
            if (const SimPlainText* t = m.plainText(p.textId); t && p.textId != 0)
                defaultCount = int(t->fields.size());
            p.defCount = uint8_t(get(po, "defCount", defaultCount));
            p.values = setValues(po);
            if (po.contains(QLatin1String("signal"))) {
                QString signalError;
                if (!SimSignal::fromJson(po.value(QLatin1String("signal")).toObject(), p.signal, &signalError))
                    throw SourceError(signalError.toStdString());
            }
            highest = std::max(highest, p.addr & 0xFF);
            m.params[p.addr] = std::move(p);
        }
        g.maxPara = uint8_t(get(go, "maxPara", highest));
        g.lastPara = uint8_t(get(go, "lastPara", int(params.size()) - 1));
        m.groups.push_back(std::move(g));
    }

    for (const QJsonValue& ov : root.value(QLatin1String("operatorParams")).toArray()) {
        const QJsonObject po = ov.toObject();
        SimParam p;
        p.operatorParam = true;
        p.addr = uint16_t(need(po, "addr"));
        p.name = name(po);
        p.attr = uint32_t(get(po, "attr", 0));
        p.flags = uint32_t(get(po, "flags", 0));
        p.mul = int16_t(get(po, "mul", 1));
        p.div = int16_t(get(po, "div", 1));
        p.offset = int16_t(get(po, "offset", 0));
        p.format = uint16_t(get(po, "format", 0));
        p.def = int32_t(get(po, "value", 0));
        p.values = setValues(po);
        m.params[p.addr] = std::move(p);
    }

    for (const QJsonValue& ev : root.value(QLatin1String("quintelEntries")).toArray()) {
        const QJsonObject e = ev.toObject();
        m.quintelEntries.push_back({int32_t(get(e, "target", -1)), int32_t(get(e, "def", 0))});
    }

    // The type parameter's flag 0x800: header values through the selector.
    if (const SimParam* t = m.param(2))
        m.selectorHeader = t->flags & 0x800;
    // The number the inverter reports is parameter 0x160F's.
    if (const SimParam* c = m.param(0x160F))
        m.cfgId = c->def;
}

} // namespace

bool SimModel::fromJsonFile(const QString& path, SimModel& out, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    if (!fromJson(f.readAll(), out, error)) {
        if (error)
            *error = path + QStringLiteral(": ") + *error;
        return false;
    }
    return true;
}

bool SimModel::fromJson(const QByteArray& json, SimModel& out, QString* error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (!doc.isObject()) {
        if (error)
            *error = pe.error != QJsonParseError::NoError ? pe.errorString() : QStringLiteral("not a JSON object");
        return false;
    }
    SimModel m;
    try {
        read(doc.object(), m);
    } catch (const SourceError& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
    out = std::move(m);
    return true;
}

} // namespace qelsim
