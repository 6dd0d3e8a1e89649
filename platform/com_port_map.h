#pragma once

#include <QString>

class SettingsStore;

// Where the ports "COM1" to "COM9" live on this system. The device path of
// COMn comes from, in this order:
//   1. the environment variable QEL_COMn (tests and quick overrides),
//   2. the settings store, key Software\QEL\Ports, string value "COMn",
//   3. /dev/ttyS<n-1>.
// An empty value counts as unset. portNumber outside 1 to 9 gives "".

// Reads the per-user settings store (SettingsStore::defaultPath()).
QString comPortDevicePath(int portNumber);
// Uses the given, already loaded store.
QString comPortDevicePath(int portNumber, const SettingsStore& store);

// The settings key of the map.
inline constexpr const char* kComPortsKey = "Software\\QEL\\Ports";
