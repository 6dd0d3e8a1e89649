#pragma once

// Command line of commprobe.

#include "comm/tel_records.h"

#include <QString>
#include <QStringList>

#include <vector>

struct ProbeCommand {
    bool isRead = true;
    int service = 0;
    int parAdr = 0;
    int64_t value = 0;
    int set = 0;
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
    std::vector<ProbeCommand> commands;
};

// Decimal with an optional sign, or 0x-hex.
bool ParseProbeNumber(const QString& text, int64_t& out);

// False with a message when the arguments (without the program name) are wrong.
bool ParseProbeArgs(const QStringList& args, ProbeOptions& opt, QString& error);

QString ProbeHelpText();
