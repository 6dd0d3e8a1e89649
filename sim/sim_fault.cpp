#include "sim/sim_fault.h"

#include <QStringList>

namespace qelsim {

bool SimFault::parse(const QString& spec, SimFault& out, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("fault \"%1\": %2").arg(spec, why);
        return false;
    };
    SimFault f;
    QString items = spec.trimmed();
    const int star = items.lastIndexOf(QLatin1Char('*'));
    if (star >= 0) {
        const QString cnt = items.mid(star + 1).trimmed().toLower();
        items = items.left(star);
        if (cnt == QLatin1String("always")) {
            f.count = 0;
        } else {
            bool ok = false;
            f.count = cnt.toInt(&ok);
            if (!ok || f.count < 1)
                return fail(QStringLiteral("count must be a positive number or \"always\""));
        }
    }
    const int at = items.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString adr = items.mid(at + 1).trimmed().toLower();
        items = items.left(at);
        bool ok = false;
        f.parAdr = adr.startsWith(QLatin1String("0x")) ? adr.mid(2).toInt(&ok, 16) : adr.toInt(&ok, 10);
        if (!ok || f.parAdr < 0 || f.parAdr > 0xFFFF)
            return fail(QStringLiteral("parameter address must be 0..0xFFFF"));
    }
    if (items.trimmed().isEmpty())
        return fail(QStringLiteral("no fault given"));
    for (const QString& rawItem : items.split(QLatin1Char('+'))) {
        const QString item = rawItem.trimmed();
        const int eq = item.indexOf(QLatin1Char('='));
        const QString name = (eq < 0 ? item : item.left(eq)).trimmed().toLower();
        const QString arg = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        bool ok = true;
        auto number = [&](int lo, int hi) {
            const int v = arg.toInt(&ok);
            if (!ok || v < lo || v > hi)
                ok = false;
            return v;
        };
        if (name == QLatin1String("ok")) {
        } else if (name == QLatin1String("silence")) {
            f.silence = true;
        } else if (name == QLatin1String("delay")) {
            f.delayMs = number(0, 600000);
        } else if (name == QLatin1String("split")) {
            f.splitGapMs = arg.isEmpty() ? 20 : number(1, 600000);
        } else if (name == QLatin1String("echo")) {
            f.echo = true;
        } else if (name == QLatin1String("badcheck")) {
            f.badCheck = true;
        } else if (name == QLatin1String("stale")) {
            f.stale = true;
        } else if (name == QLatin1String("foreignid")) {
            f.foreignId = true;
        } else if (name == QLatin1String("foreignaddr")) {
            f.foreignAddr = true;
        } else if (name == QLatin1String("refuse")) {
            f.refuse = number(1, 15);
        } else if (name == QLatin1String("busy")) {
            f.refuse = 6;
        } else if (name == QLatin1String("garbage")) {
            f.garbage = arg.isEmpty() ? QByteArray("\x7f?#\xff", 4) : QByteArray::fromHex(arg.toLatin1());
            if (f.garbage.isEmpty())
                ok = false;
        } else {
            return fail(QStringLiteral("unknown item \"%1\"").arg(name));
        }
        if (!ok)
            return fail(QStringLiteral("bad argument of \"%1\"").arg(name));
    }
    out = f;
    return true;
}

void SimFaultQueue::push(const SimFault& fault)
{
    std::lock_guard lock(mutex_);
    queue_.push_back(fault);
    // The caller's thread keeps its copy: share no byte buffer with it.
    queue_.back().garbage.detach();
}

void SimFaultQueue::clear()
{
    std::lock_guard lock(mutex_);
    queue_.clear();
}

bool SimFaultQueue::empty() const
{
    std::lock_guard lock(mutex_);
    return queue_.empty();
}

SimFault SimFaultQueue::take(int parAdr)
{
    SimFault f;
    tryTake(parAdr, f);
    return f;
}

bool SimFaultQueue::tryTake(int parAdr, SimFault& out)
{
    std::lock_guard lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->parAdr >= 0 && it->parAdr != parAdr)
            continue;
        out = *it;
        out.garbage.detach();   // leaves the lock unshared with the queued fault
        if (it->count > 0 && --it->count == 0)
            queue_.erase(it);
        return true;
    }
    return false;
}

} // namespace qelsim
