#include "platform/com_port_map.h"

#include "platform/settings_store.h"

#include <QtGlobal>

namespace {

bool validPort(int portNumber)
{
    return portNumber >= 1 && portNumber <= 9;
}

QString fromEnvironment(int portNumber)
{
    const QByteArray name = "QEL_COM" + QByteArray::number(portNumber);
    return qEnvironmentVariable(name.constData());
}

QString fromStore(int portNumber, const SettingsStore& store)
{
    QString path;
    if (store.readString(QString::fromLatin1(kComPortsKey), QStringLiteral("COM%1").arg(portNumber), path)
        != SettingsStore::Status::Ok)
        return {};
    return path.trimmed();
}

QString defaultPath(int portNumber)
{
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

} // namespace

QString comPortDevicePath(int portNumber, const SettingsStore& store)
{
    if (!validPort(portNumber))
        return {};
    QString path = fromEnvironment(portNumber);
    if (path.isEmpty())
        path = fromStore(portNumber, store);
    return path.isEmpty() ? defaultPath(portNumber) : path;
}

QString comPortDevicePath(int portNumber)
{
    if (!validPort(portNumber))
        return {};
    if (QString path = fromEnvironment(portNumber); !path.isEmpty())
        return path;
    SettingsStore store(SettingsStore::defaultPath());
    store.load();  // a missing or unreadable store leaves the defaults
    return comPortDevicePath(portNumber, store);
}
