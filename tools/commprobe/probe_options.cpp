#include "tools/commprobe/probe_options.h"

#include <QRegularExpression>

namespace {

const struct {
    const char* name;
    TProt prot;
} kProts[] = {
    {"din", prANSI}, {"zelk", prZelk}, {"ip", prIP},  {"offline", prOffline},
    {"ibs", prIBS},  {"can", prCAN},   {"pbs", prPBS},
};

bool takeInt(const QStringList& args, int& i, const QString& name, int64_t lo, int64_t hi, int& out,
             QString& error)
{
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return false;
    }
    int64_t v = 0;
    if (!ParseProbeNumber(args[++i], v) || v < lo || v > hi) {
        error = QStringLiteral("%1: \"%2\" is not a number from %3 to %4").arg(name, args[i]).arg(lo).arg(hi);
        return false;
    }
    out = int(v);
    return true;
}

constexpr int kPbsRates[] = {9600, 19200, 45450, 93750, 187500, 500000, 750000, 1500000, 3000000, 6000000, 12000000};

} // namespace

bool PbsBaudRateOf(int bitRate, TPbsBaudRate& out)
{
    for (int i = 0; i < int(std::size(kPbsRates)); ++i)
        if (kPbsRates[i] == bitRate) {
            out = TPbsBaudRate(i);
            return true;
        }
    return false;
}

bool ParseProbeNumber(const QString& text, int64_t& out)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t = t.mid(1);
    }
    if (t.isEmpty())
        return false;
    bool ok = false;
    qulonglong v = 0;
    if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        if (digits.isEmpty() || !QRegularExpression(QStringLiteral("^[0-9A-Fa-f]+$")).match(digits).hasMatch())
            return false;
        v = digits.toULongLong(&ok, 16);
    } else {
        if (!QRegularExpression(QStringLiteral("^[0-9]+$")).match(t).hasMatch())
            return false;
        v = t.toULongLong(&ok, 10);
    }
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    out = negative ? -int64_t(v) : int64_t(v);
    return true;
}

bool ParseProbeArgs(const QStringList& args, ProbeOptions& opt, QString& error)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            opt.help = true;
        } else if (a == QLatin1String("--prot")) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("--prot needs a value");
                return false;
            }
            const QString name = args[++i].toLower();
            bool found = false;
            for (const auto& p : kProts) {
                if (name == QLatin1String(p.name)) {
                    opt.prot = p.prot;
                    opt.protName = name;
                    found = true;
                }
            }
            if (!found) {
                error = QStringLiteral("--prot: unknown protocol \"%1\"").arg(args[i]);
                return false;
            }
        } else if (a == QLatin1String("--device") || a == QLatin1String("--host")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                error = QStringLiteral("%1 needs a value").arg(a);
                return false;
            }
            (a == QLatin1String("--device") ? opt.device : opt.host) = args[++i];
        } else if (a == QLatin1String("--port")) {
            if (!takeInt(args, i, a, 0, 65535, opt.port, error))
                return false;
        } else if (a == QLatin1String("--udp") || a == QLatin1String("--tcp")) {
            opt.udp = a == QLatin1String("--udp") ? 1 : 0;
        } else if (a == QLatin1String("--baud")) {
            if (!takeInt(args, i, a, 1, 115200, opt.baud, error))
                return false;
            bool known = false;
            for (int b = B_1200; b <= B_115200; ++b)
                known = known || BaudRateBits(TBaudRate(b)) == opt.baud;
            if (!known) {
                error = QStringLiteral("--baud: %1 is not one of 1200 2400 4800 9600 19200 38400 57600 115200")
                            .arg(opt.baud);
                return false;
            }
        } else if (a == QLatin1String("--timeout")) {
            if (!takeInt(args, i, a, 0, 600000, opt.timeoutMs, error))
                return false;
        } else if (a == QLatin1String("--retries")) {
            if (!takeInt(args, i, a, 0, 49, opt.retries, error))
                return false;
        } else if (a == QLatin1String("--addr")) {
            if (!takeInt(args, i, a, 0, 255, opt.addr, error))
                return false;
        } else if (a == QLatin1String("--cycle")) {
            if (!takeInt(args, i, a, 1, 100000000, opt.cycle, error))
                return false;
        } else if (a == QLatin1String("--card")) {
            if (!takeInt(args, i, a, 1, 8, opt.cardNo, error))
                return false;
        } else if (a == QLatin1String("--card-id")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                error = QStringLiteral("--card-id needs a value");
                return false;
            }
            opt.cardId = args[++i];
        } else if (a == QLatin1String("--bitrate")) {
            // Checked against the protocol's rates once all options are read.
            if (!takeInt(args, i, a, 1, 12000000, opt.bitRate, error))
                return false;
        } else if (a == QLatin1String("--master")) {
            if (!takeInt(args, i, a, 0, 125, opt.masterAddr, error))
                return false;
        } else if (a == QLatin1String("--wait-tout")) {
            opt.waitTout = true;
        } else if (a == QLatin1String("fbread") || a == QLatin1String("fbwrite") || a == QLatin1String("pdread")
                   || a == QLatin1String("pdwrite")) {
            ProbeCommand cmd;
            const bool fb = a.startsWith(QLatin1String("fb"));
            cmd.kind = fb ? ProbeCommand::Fieldbus : ProbeCommand::Process;
            cmd.isRead = a.endsWith(QLatin1String("read"));
            // fbread FUNC INDEX SUB [LEN]; fbwrite FUNC INDEX SUB BYTE...;
            // pdread SERVICE; pdwrite SERVICE BYTE...
            const int fixed = fb ? 3 : 1;
            const int most = fb ? (cmd.isRead ? 4 : 3 + 66) : (cmd.isRead ? 1 : 1 + 8);
            std::vector<int64_t> nums;
            while (i + 1 < args.size() && int(nums.size()) < most) {
                int64_t v = 0;
                if (!ParseProbeNumber(args[i + 1], v))
                    break;
                nums.push_back(v);
                ++i;
            }
            if (int(nums.size()) < fixed) {
                error = fb ? QStringLiteral("%1 needs FUNC INDEX SUBINDEX").arg(a)
                           : QStringLiteral("%1 needs SERVICE").arg(a);
                return false;
            }
            auto inRange = [&](int64_t v, int64_t lo, int64_t hi, const char* what) {
                if (v >= lo && v <= hi)
                    return true;
                error = QStringLiteral("%1: %2 %3 out of range").arg(a, QLatin1String(what)).arg(v);
                return false;
            };
            if (fb) {
                cmd.service = QelService::Fieldbus;
                if (!inRange(nums[0], 0, 4, "function") || !inRange(nums[1], 0, 0xFFFF, "index")
                    || !inRange(nums[2], 0, 255, "subindex"))
                    return false;
                cmd.func = int(nums[0]);
                cmd.index = int(nums[1]);
                cmd.sub = int(nums[2]);
                if (cmd.isRead && nums.size() > 3) {
                    if (!inRange(nums[3], 0, 255, "length"))
                        return false;
                    cmd.length = int(nums[3]);
                }
                for (size_t k = 3; !cmd.isRead && k < nums.size(); ++k) {
                    if (!inRange(nums[k], 0, 255, "byte"))
                        return false;
                    cmd.bytes.push_back(uint8_t(nums[k]));
                }
                if (!cmd.isRead)
                    cmd.length = int(cmd.bytes.size());
            } else {
                cmd.service = int(nums[0]);
                const bool ok = cmd.service == 16 || cmd.service == 17
                    || (!cmd.isRead && (cmd.service == 48 || cmd.service == 49));
                if (!ok) {
                    error = QStringLiteral("%1: service %2 is not process data").arg(a).arg(cmd.service);
                    return false;
                }
                for (size_t k = 1; k < nums.size(); ++k) {
                    if (!inRange(nums[k], 0, 255, "byte"))
                        return false;
                    cmd.bytes.push_back(uint8_t(nums[k]));
                }
            }
            opt.commands.push_back(cmd);
        } else if (a == QLatin1String("read") || a == QLatin1String("write")) {
            ProbeCommand cmd;
            cmd.isRead = a == QLatin1String("read");
            // read SERVICE PARADR [SET]; write SERVICE PARADR VALUE [SET]
            const int fixed = cmd.isRead ? 2 : 3;
            std::vector<int64_t> nums;
            while (i + 1 < args.size() && int(nums.size()) < fixed + 1) {
                int64_t v = 0;
                if (!ParseProbeNumber(args[i + 1], v)) {
                    if (int(nums.size()) < fixed) {
                        error = QStringLiteral("%1: \"%2\" is not a number").arg(a, args[i + 1]);
                        return false;
                    }
                    break;
                }
                nums.push_back(v);
                ++i;
            }
            if (int(nums.size()) < fixed) {
                error = cmd.isRead ? QStringLiteral("read needs SERVICE PARADR [SET]")
                                   : QStringLiteral("write needs SERVICE PARADR VALUE [SET]");
                return false;
            }
            cmd.service = int(nums[0]);
            cmd.parAdr = int(nums[1]);
            if (!cmd.isRead)
                cmd.value = nums[2];
            if (int(nums.size()) > fixed)
                cmd.set = int(nums[fixed]);
            if (cmd.service < -2 || cmd.service > 255) {
                error = QStringLiteral("%1: service %2 out of range").arg(a).arg(cmd.service);
                return false;
            }
            if (cmd.parAdr < 0 || cmd.parAdr > 0xFFFF) {
                error = QStringLiteral("%1: parameter address %2 is not 16-bit").arg(a).arg(cmd.parAdr);
                return false;
            }
            if (cmd.set < -1 || cmd.set > 255) {
                error = QStringLiteral("%1: set %2 is not -1..255").arg(a).arg(cmd.set);
                return false;
            }
            opt.commands.push_back(cmd);
        } else {
            error = QStringLiteral("unknown argument \"%1\"").arg(a);
            return false;
        }
    }
    if (opt.help)
        return true;
    if (opt.bitRate > 0) {
        TPbsBaudRate pbs;
        bool known = false;
        for (int b = 0; b <= int(TCanBaudRate::B_1000K); ++b)
            known = known || CanBaudRateBits(TCanBaudRate(b)) == opt.bitRate;
        if (opt.prot == prPBS && !PbsBaudRateOf(opt.bitRate, pbs)) {
            error = QStringLiteral("--bitrate: %1 is not a Profibus DP bit rate (9600 19200 45450 93750 187500 "
                                   "500000 750000 1500000 3000000 6000000 12000000)")
                        .arg(opt.bitRate);
            return false;
        }
        if (opt.prot != prPBS && !known) {
            error = QStringLiteral("--bitrate: %1 is not a CAN bit rate (5000 .. 1000000)").arg(opt.bitRate);
            return false;
        }
    }
    if (opt.commands.empty()) {
        error = QStringLiteral("no command given");
        return false;
    }
    return true;
}

QString ProbeHelpText()
{
    return QStringLiteral(
        "Usage: commprobe [options] command...\n"
        "\n"
        "Opens a protocol selector with one inverter address on one protocol and\n"
        "exchanges requests with that inverter.\n"
        "\n"
        "Options:\n"
        "  --prot din|zelk|ip|offline|ibs|can|pbs\n"
        "                    protocol of the address (default din). Drivers not\n"
        "                    built yet are reported as not available. The card\n"
        "                    libraries are found through Software\\QEL\\Libraries\n"
        "                    of the settings store (qel-install --library).\n"
        "  --device PATH     serial device for din and zelk: a path such as\n"
        "                    /dev/ttyUSB0 or a pseudo-terminal, or COM1..COM9 as\n"
        "                    mapped by the settings store (Software\\QEL\\Ports)\n"
        "  --host H          IP address or host name (ip)\n"
        "  --port P          IP port (ip)\n"
        "  --udp | --tcp     IP transport (ip)\n"
        "  --baud N          1200 2400 4800 9600 19200 38400 57600 115200\n"
        "  --timeout MS      answer time-out of the driver\n"
        "  --retries N       tries of a synchronous exchange, 0..49\n"
        "  --addr A          inverter address, default 0\n"
        "  --card N          Interbus board number 1..8 (ibs)\n"
        "  --card-id NAME    CAN interface name, e.g. CAN0 (can)\n"
        "  --bitrate N       CAN bit rate, 5000 .. 1000000 (can); Profibus DP bit\n"
        "                    rate 9600 .. 12000000 (pbs)\n"
        "  --master A        Profibus DP master address 0..125 (pbs)\n"
        "  --wait-tout       CAN: answers are held until the time-out (can)\n"
        "  --cycle N         run N exchanges through a scheduler client (the\n"
        "                    commands in turn) and print\n"
        "                    count=N failures=F seconds=T\n"
        "                    (a failure is an answer whose status is not 0)\n"
        "  --help            this text\n"
        "\n"
        "Commands (numbers decimal or 0x-hex; several commands allowed):\n"
        "  read SERVICE PARADR [SET]\n"
        "  write SERVICE PARADR VALUE [SET]\n"
        "  fbread FUNC INDEX SUBINDEX [LENGTH]     service 13 (ibs, can, pbs): FUNC 0 VarAcc,\n"
        "  fbwrite FUNC INDEX SUBINDEX BYTE...     1 Identify, 2 IbsBusInfo, 3 ControlBus,\n"
        "                                          4 CanBusInfo\n"
        "  pdread SERVICE                          process data 16 or 17\n"
        "  pdwrite SERVICE BYTE...                 process data 16, 17, 48 or 49 (at\n"
        "                                          most 8 bytes)\n"
        "SET is the set byte (default 0). A write of service -1 sends VALUE as the\n"
        "16-bit value; other services send it as the 32-bit value.\n"
        "\n"
        "Output, one line per exchange (synchronous, with the driver's retries):\n"
        "  result=R status=S data=HEX\n"
        "R the function result, S the answer's status, HEX the 72 data bytes.\n"
        "\n"
        "Exit status: 0 every exchange had result 0 and status 0; 1 otherwise;\n"
        "2 wrong arguments; 3 the driver could not be opened or is not available.\n");
}
