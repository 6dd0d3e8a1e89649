#include "comm/card_library.h"

#include "platform/settings_store.h"

#include <dlfcn.h>

QString TCardLibrary::PathFor(const QString& WinName, const SettingsStore& Store)
{
    QString path;
    if (Store.readString(QString::fromLatin1(SettingsKey), WinName, path) != SettingsStore::Status::Ok)
        return {};
    return path.trimmed();
}

QString TCardLibrary::PathFor(const QString& WinName)
{
    SettingsStore store(SettingsStore::defaultPath());
    store.load(); // a missing or unreadable store configures nothing
    return PathFor(WinName, store);
}

bool TCardLibrary::Load(const QString& WinName)
{
    Unload();
    const QString path = PathFor(WinName);
    if (path.isEmpty()) {
        FError = QStringLiteral("no shared object configured for %1").arg(WinName);
        return false;
    }
    // Local binding: two card libraries may export the same names.
    FHandle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) {
        const char* why = dlerror();
        FError = why ? QString::fromLocal8Bit(why) : QStringLiteral("cannot load %1").arg(path);
        return false;
    }
    FError.clear();
    return true;
}

void* TCardLibrary::Symbol(const char* Name)
{
    if (!FHandle)
        return nullptr;
    dlerror();
    void* sym = dlsym(FHandle, Name);
    if (!sym)
        FError = QStringLiteral("entry point %1 missing").arg(QString::fromLatin1(Name));
    return sym;
}

void TCardLibrary::Unload()
{
    if (FHandle)
        dlclose(FHandle);
    FHandle = nullptr;
}
