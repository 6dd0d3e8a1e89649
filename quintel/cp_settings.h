#pragma once

// The Quintel program's settings under Software\QEL\Quintel5 in the
// settings store. The dialog that edits them is TCPsettings
// (cp_settings_dlg.h); this class holds the values and reads and writes
// them without a display.

#include <QString>

class SettingsStore;

class TCpSettings {
public:
    static constexpr const char* Key = "Software\\QEL\\Quintel5";
    static constexpr int BaudCount = 8;    // 1200 .. 115200
    static constexpr int PortCount = 9;    // COM1 .. COM9

    int Inverter = 1;
    QString ApplicationPath;
    QString BinPath;
    QString DataPath;
    int Proglng = 0;
    int Paralng = 0;
    QString AppName;
    QString AppIcon;
    bool SendSingle = false;
    int Baudrate = 3;
    int Comport = 0;
    int TimeOut = 100;
    int Protocol = 1;  // 1 DIN 66019 II, 2 Zelk

    // False when the key or a required value is missing or of the wrong
    // type. Baudrate and Comport are clamped to their tables and a
    // Protocol other than 1 or 2 is taken as 1, so that no later use reads
    // past a table and the program and the dialog agree.
    bool LoadFromRegistry(const SettingsStore& store);
    // Writes the changeable values and saves the store.
    bool SaveToRegistry(SettingsStore& store) const;

    // The number before the first blank of Text; 0 when there is none.
    static int ParseTimeOut(const QString& Text);
    // Bit rate of a baud index (clamped).
    static int BaudBits(int index);
};
