#include "sim/cards/sim_card_setup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace qelsim {

namespace {

bool parseFault(const QJsonValue& v, SimFault& f, QString& error)
{
    QString why;
    if (!SimFault::parse(v.toString(), f, &why)) {
        error = QStringLiteral("fault \"%1\": %2").arg(v.toString(), why);
        return false;
    }
    return true;
}

} // namespace

bool LoadSimCardSetup(const QString& path, SimCardSetup& out, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &pe);
    if (!doc.isObject()) {
        error = QStringLiteral("%1: %2").arg(path, pe.errorString());
        return false;
    }
    const QJsonObject root = doc.object();
    const QDir base = QFileInfo(path).absoluteDir();
    for (const QJsonValue& item : root.value(QStringLiteral("inverters")).toArray()) {
        const QJsonObject o = item.toObject();
        const int address = o.value(QStringLiteral("address")).toInt(-1);
        if (address < 0 || address > 255) {
            error = QStringLiteral("%1: an inverter without a valid address").arg(path);
            return false;
        }
        SimCardEntry e;
        const QString config = o.value(QStringLiteral("config")).toString();
        if (!config.isEmpty()) {
            QString file = base.filePath(config);
            if (!QFileInfo::exists(file))
                file = config;
            SimModel model;
            QString why;
            if (!SimModel::fromJsonFile(file, model, &why)) {
                error = QStringLiteral("%1: %2").arg(config, why);
                return false;
            }
            e.inverter = std::make_shared<SimInverter>(address, model);
        } else {
            e.inverter = std::make_shared<SimInverter>(address, o.value(QStringLiteral("cfgid")).toInt(1));
        }
        if (o.contains(QStringLiteral("fault"))) {
            SimFault f;
            if (!parseFault(o.value(QStringLiteral("fault")), f, error))
                return false;
            e.inverter->faults().push(f);
        }
        e.kind = o.value(QStringLiteral("kind")).toString(QStringLiteral("pcp"));
        out.entries.push_back(e);
    }
    if (root.contains(QStringLiteral("fault"))) {
        if (!parseFault(root.value(QStringLiteral("fault")), out.cardFault, error))
            return false;
        out.hasCardFault = true;
    }
    return true;
}

SimCardSetup SimCardSetupFromEnv(const char* envVar)
{
    SimCardSetup setup;
    const QString path = qEnvironmentVariable(envVar);
    if (path.isEmpty())
        return setup;
    QString error;
    if (!LoadSimCardSetup(path, setup, error)) {
        std::fprintf(stderr, "simulated card: %s\n", qPrintable(error));
        return SimCardSetup{};
    }
    return setup;
}

} // namespace qelsim
