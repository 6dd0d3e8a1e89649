#include "sim/sim_model.h"

#include <QFile>

namespace qelsim {

bool SimModel::fromJsonFile(const QString& path, SimModel& out, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    return fromJson(f.readAll(), out, error);
}

bool SimModel::fromJson(const QByteArray& json, SimModel& out, QString* error)
{
    (void)json;
    (void)out;
    if (error)
        *error = QStringLiteral("configuration sources are not supported yet");
    return false;
}

} // namespace qelsim
