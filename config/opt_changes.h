#pragma once

#include "comm/tel_records.h"

#include <QString>
#include <cstdint>
#include <iterator>

// Settings of one serial driver (DIN 66019 II or Zelk). ModemCmd is used by
// the DIN 66019 II driver only.
struct TSerialDrvCfg {
    bool SendSingle = false;
    TBaudRate Baudrate = B_1200;
    TComPort Comport = Com1;
    int TimeOut = 0;
    QString ModemCmd;
    bool CloseCom = false;
    bool operator==(const TSerialDrvCfg&) const = default;
};

struct TIpDrvCfg {
    QString Host;
    int Port = 0;  // 0..65535
    int TimeOut = 0;
    bool UDP = false;
    bool operator==(const TIpDrvCfg&) const = default;
};

// CAN bit rates, index of TCanDrvCfg::Baudrate.
inline constexpr const char* kCanBaudTexts[] = {"5K", "8K", "10K", "20K", "25K", "40K", "50K", "100K",
                                                "125K", "200K", "250K", "400K", "500K", "800K", "1M"};
inline constexpr int kCanBaudCount = int(std::size(kCanBaudTexts));

struct TCanDrvCfg {
    QString CardId;
    int Baudrate = 0;  // index into kCanBaudTexts
    int TimeOut = 0;
    bool WaitTOut = false;
    bool operator==(const TCanDrvCfg&) const = default;
};

// Profibus DP bit rates, index of TPbsDrvCfg::Baudrate.
inline constexpr const char* kPbsBaudTexts[] = {"9K6", "19K2", "45K45", "93K75", "187K5", "500K",
                                                "750K", "1M5", "3M", "6M", "12M"};
inline constexpr int kPbsBaudCount = int(std::size(kPbsBaudTexts));

struct TPbsDrvCfg {
    int Masteraddress = 0;  // low byte
    int Baudrate = 0;       // index into kPbsBaudTexts
    int TimeOut = 0;
    bool operator==(const TPbsDrvCfg&) const = default;
};

// Protocols of the default project as a set of TProt: bit 1 << TProt.
using TProtSet = std::uint8_t;
constexpr TProtSet ProtBit(TProt p) { return TProtSet(1u << int(p)); }

// Everything the options dialog shows and edits, as one record: the
// settings object fills it, the dialog edits it, and compareOptValues()
// decides what the change means.
struct TOptValues {
    // Default-project page and the program language: take effect with the
    // next new project or the next start.
    TProtSet DefProts = 0;
    int MinInvAdr = 0;
    int MaxInvAdr = 0;
    int Watchinterval = 0;
    int ProgLng = 0;

    // Take effect at once.
    bool CloseOnOK = false;
    bool CloseOnCancel = false;
    QString Separator = QStringLiteral("+");  // as typed; see separatorOf()
    bool DwnHighPriority = false;
    bool ShowPlainTextInfo = false;
    bool ShowParaInfo = false;
    bool ShowDecValue = false;
    bool ShowInvisible = false;
    bool ShowSupervisor = false;
    int SecondLng = 0;
    int lng = 0;
    TSerialDrvCfg Din;
    TSerialDrvCfg Zelk;
    TIpDrvCfg Ip;
    TCanDrvCfg Can;
    TPbsDrvCfg Pbs;
};

// The separator a typed text stands for: its first character, "+" when empty.
QString separatorOf(const QString& typed);

struct TOptChanges {
    bool Modified = false;  // something differs: the settings must be saved
    bool Notify = false;    // a setting that takes effect at once differs
    bool operator==(const TOptChanges&) const = default;
};

// Compares the dialog's values with the current settings.
TOptChanges compareOptValues(const TOptValues& current, const TOptValues& edited);
