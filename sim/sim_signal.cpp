#include "sim/sim_signal.h"

#include <QStringList>

#include <cmath>
#include <numbers>

namespace qelsim {

int32_t SimSignal::at(double ms) const
{
    if (!active())
        return int32_t(std::lround(offset));
    const double phase = std::fmod(ms, periodMs) / periodMs;
    const double v = kind == Sine ? offset + amplitude * std::sin(2 * std::numbers::pi * phase)
                                  : offset + amplitude * phase;
    return int32_t(std::lround(v));
}

namespace {
bool kindFrom(const QString& text, SimSignal::Kind& kind)
{
    if (text.compare(QLatin1String("sine"), Qt::CaseInsensitive) == 0)
        kind = SimSignal::Sine;
    else if (text.compare(QLatin1String("ramp"), Qt::CaseInsensitive) == 0)
        kind = SimSignal::Ramp;
    else
        return false;
    return true;
}
} // namespace

bool SimSignal::fromJson(const QJsonObject& o, SimSignal& out, QString* error)
{
    SimSignal s;
    if (!kindFrom(o.value(QLatin1String("kind")).toString(), s.kind)) {
        if (error)
            *error = QStringLiteral("signal kind must be \"sine\" or \"ramp\"");
        return false;
    }
    s.amplitude = o.value(QLatin1String("amplitude")).toDouble(0);
    s.periodMs = o.value(QLatin1String("periodMs")).toDouble(1000);
    s.offset = o.value(QLatin1String("offset")).toDouble(0);
    if (!(s.periodMs > 0)) {
        if (error)
            *error = QStringLiteral("signal periodMs must be above 0");
        return false;
    }
    out = s;
    return true;
}

bool SimSignal::parse(const QString& spec, uint16_t& addr, SimSignal& out, QString* error)
{
    auto fail = [&] {
        if (error)
            *error = QStringLiteral("bad signal \"%1\" (ADDR=sine|ramp:AMPLITUDE:PERIODMS[:OFFSET])").arg(spec);
        return false;
    };
    const int eq = spec.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return fail();
    bool ok = false;
    const uint a = spec.left(eq).trimmed().toUInt(&ok, 0);
    if (!ok || a > 0xFFFF)
        return fail();
    const QStringList f = spec.mid(eq + 1).split(QLatin1Char(':'));
    if (f.size() < 3 || f.size() > 4)
        return fail();
    SimSignal s;
    if (!kindFrom(f[0].trimmed(), s.kind))
        return fail();
    bool ok1 = false, ok2 = false, ok3 = true;
    s.amplitude = f[1].toDouble(&ok1);
    s.periodMs = f[2].toDouble(&ok2);
    if (f.size() == 4)
        s.offset = f[3].toDouble(&ok3);
    if (!ok1 || !ok2 || !ok3 || !(s.periodMs > 0))
        return fail();
    addr = uint16_t(a);
    out = s;
    return true;
}

} // namespace qelsim
