#pragma once

// Command line of commprobe.

#include "comm/tel_records.h"
#include "comm/to_prop_types.h"

#include <QString>
#include <QStringList>

#include <vector>

struct ProbeCommand {
    // A parameter access, a fieldbus variable access (service 13) or
    // process data (services 16, 17, 48, 49).
    enum Kind { Para, Fieldbus, Process };
    Kind kind = Para;
    bool isRead = true;
    int service = 0;
    int parAdr = 0;
    int64_t value = 0;
    int set = 0;
    // Fieldbus: function 0..4, index, subindex, length; the bytes written
    // (fieldbus data from byte 6, process data from byte 0).
    int func = 0;
    int index = 0;
    int sub = 0;
    int length = 0;
    std::vector<uint8_t> bytes;
};

struct ProbeOptions {
    bool help = false;
    TProt prot = prANSI;
    QString protName = QStringLiteral("din");
    QString device;          // a device path or COM1..COM9
    QString host;
    int port = -1;           // -1: the driver's own
    int udp = -1;            // -1: the driver's own, 0 TCP, 1 UDP
    int baud = -1;           // bit/s; -1: the driver's own
    int timeoutMs = -1;
    int retries = -1;
    int addr = 0;
    int cycle = 0;           // > 0: that many exchanges through the scheduler
    int cardNo = -1;         // Interbus board 1..8; -1: the driver's own
    QString cardId;          // CAN interface name; empty: the driver's own
    int bitRate = -1;        // CAN or Profibus DP bit rate; -1: the driver's own
    int masterAddr = -1;     // Profibus DP master address; -1: the driver's own
    bool waitTout = false;   // CAN: answers are held until the time-out
    std::vector<ProbeCommand> commands;
};

// The Profibus DP rate of a bit rate; false when there is none.
bool PbsBaudRateOf(int bitRate, TPbsBaudRate& out);

// Decimal with an optional sign, or 0x-hex.
bool ParseProbeNumber(const QString& text, int64_t& out);

// False with a message when the arguments (without the program name) are wrong.
bool ParseProbeArgs(const QStringList& args, ProbeOptions& opt, QString& error);

QString ProbeHelpText();
