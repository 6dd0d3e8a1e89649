#include "quintel/cp_settings.h"

#include "comm/tel_records.h"
#include "platform/settings_store.h"

#include <algorithm>

namespace {

const QString kKey = QString::fromLatin1(TCpSettings::Key);

bool readInt(const SettingsStore& s, const char* name, int& out)
{
    quint32 v = 0;
    if (s.readDword(kKey, QString::fromLatin1(name), v) != SettingsStore::Status::Ok)
        return false;
    out = int(v);
    return true;
}

QString readStr(const SettingsStore& s, const char* name)
{
    QString v;
    if (s.readString(kKey, QString::fromLatin1(name), v) != SettingsStore::Status::Ok)
        return QString();
    return v;
}

}  // namespace

bool TCpSettings::LoadFromRegistry(const SettingsStore& s)
{
    Protocol = 1;
    if (!s.keyExists(kKey))
        return false;
    ApplicationPath = readStr(s, "ApplicationPath");
    BinPath = readStr(s, "BinPath");
    DataPath = readStr(s, "DataPath");
    AppName = readStr(s, "AppName");
    AppIcon = readStr(s, "AppIcon");
    int single = 0;
    if (!readInt(s, "Inverter", Inverter) || !readInt(s, "Proglng", Proglng)
        || !readInt(s, "Paralng", Paralng) || !readInt(s, "SendSingle", single)
        || !readInt(s, "Baudrate", Baudrate) || !readInt(s, "Comport", Comport)
        || !readInt(s, "TimeOut", TimeOut))
        return false;
    SendSingle = single != 0;
    SettingsStore::Type t;
    if (s.valueType(kKey, QStringLiteral("Protocol"), t) == SettingsStore::Status::Ok) {
        if (!readInt(s, "Protocol", Protocol))
            return false;
    }
    if (Protocol != 1 && Protocol != 2)
        Protocol = 1;
    Baudrate = std::clamp(Baudrate, 0, BaudCount - 1);
    Comport = std::clamp(Comport, 0, PortCount - 1);
    return true;
}

bool TCpSettings::SaveToRegistry(SettingsStore& s) const
{
    using St = SettingsStore::Status;
    const std::pair<const char*, int> values[] = {
        {"Inverter", Inverter}, {"Proglng", Proglng},   {"Paralng", Paralng},
        {"SendSingle", SendSingle ? 1 : 0}, {"Comport", Comport}, {"Baudrate", Baudrate},
        {"TimeOut", TimeOut},   {"Protocol", Protocol},
    };
    for (const auto& [name, v] : values)
        if (s.writeDword(kKey, QString::fromLatin1(name), quint32(v)) != St::Ok)
            return false;
    return s.save();
}

int TCpSettings::ParseTimeOut(const QString& Text)
{
    const int blank = Text.indexOf(QLatin1Char(' '));
    return (blank < 0 ? Text : Text.left(blank)).toInt();
}

int TCpSettings::BaudBits(int index)
{
    return BaudRateBits(TBaudRate(std::clamp(index, 0, BaudCount - 1)));
}
