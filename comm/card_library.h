#pragma once

// Loads a card vendor's library (the Windows DLL of a fieldbus card) and
// binds its entry points by name. The shared object that stands in for a
// Windows file name is the string value of that name under
// Software\QEL\Libraries in the settings store; nothing configured, a file
// that does not load and a missing entry point all count as a missing
// library, and a failed load leaves nothing loaded.

#include <QString>

class SettingsStore;

class TCardLibrary {
public:
    static constexpr const char* SettingsKey = "Software\\QEL\\Libraries";

    TCardLibrary() = default;
    ~TCardLibrary() { Unload(); }
    TCardLibrary(const TCardLibrary&) = delete;
    TCardLibrary& operator=(const TCardLibrary&) = delete;

    // The configured shared object of a library; empty when none.
    static QString PathFor(const QString& WinName, const SettingsStore& Store);
    // Reads the per-user settings store.
    static QString PathFor(const QString& WinName);

    // Loads the library configured for WinName; false when it cannot be
    // loaded (then nothing is loaded). A loaded library is unloaded first.
    bool Load(const QString& WinName);

    // Binds one entry point; false (and Fn cleared) when it is missing.
    template <class F> bool Bind(const char* Name, F& Fn)
    {
        void* sym = Symbol(Name);
        Fn = reinterpret_cast<F>(sym);
        return sym != nullptr;
    }

    void Unload();
    bool IsLoaded() const { return FHandle != nullptr; }
    // Why the last Load or Bind failed, for messages; empty after success.
    const QString& LastError() const { return FError; }

private:
    void* Symbol(const char* Name);

    void* FHandle = nullptr;
    QString FError;
};
