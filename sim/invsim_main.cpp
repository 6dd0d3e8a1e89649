// invsim: simulated inverters on a pseudo-terminal or a loopback port, for
// scripts and the demo. Prints the path or port on one line, then serves
// until it is killed.

#include "sim/sim_din_net_server.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"
#include "sim/sim_zelk_pty.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace qelsim;

namespace {

int gSignalFd[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(gSignalFd[1], &c, 1);
}

int fail(const QString& text)
{
    std::fprintf(stderr, "invsim: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("invsim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulated inverters for tests and the demo.\n"
        "Prints the pseudo-terminal path (or the port) on one line and serves until killed.\n\n"
        "Fault SPEC: ITEM[+ITEM...][@PARADR][*COUNT], COUNT a number or \"always\"; items:\n"
        "  ok, silence, delay=MS, split[=MS], echo, badcheck, stale, foreignid,\n"
        "  foreignaddr, refuse=N, busy (refuse=6), garbage[=HEX].\n"
        "Each --fault applies to the next requests in the order given,\n"
        "e.g. --fault busy*3 --fault ok --fault silence; with @PARADR (0x hexadecimal\n"
        "or decimal) only to requests for that parameter, e.g. --fault silence@0x0102*5."));
    p.addHelpOption();
    const QCommandLineOption din(QStringLiteral("din"), QStringLiteral("DIN 66019 II (default)."));
    const QCommandLineOption zelk(QStringLiteral("zelk"), QStringLiteral("Binary telegram (Zelk) line; the first "
                                                                      "address answers."));
    const QCommandLineOption zelkMaster(QStringLiteral("zelk-master"),
                                        QStringLiteral("With --zelk: the simulator is master (its requests carry "
                                                       "their number in the high nibble)."));
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Symbolic link to the slave at PATH."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Pace characters at N bit/s (0: no pacing)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption turnaround(QStringLiteral("turnaround"), QStringLiteral("Delay before each answer."),
                                        QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption addr(QStringLiteral("addr"), QStringLiteral("Inverter addresses (default 1)."),
                                  QStringLiteral("A[,A...]"), QStringLiteral("1"));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("Inverter type from a configuration source; given more than "
                                                   "once, the n-th applies to the n-th address (the last to the "
                                                   "rest)."),
                                    QStringLiteral("SOURCE.json"));
    const QCommandLineOption cfgId(QStringLiteral("cfgid"),
                                   QStringLiteral("Configuration number of inverters without --config."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption udp(QStringLiteral("udp"), QStringLiteral("Serve UDP on PORT (0: a free one)."),
                                 QStringLiteral("PORT"));
    const QCommandLineOption tcp(QStringLiteral("tcp"), QStringLiteral("Serve TCP on PORT (0: a free one)."),
                                 QStringLiteral("PORT"));
    const QCommandLineOption host(QStringLiteral("host"),
                                  QStringLiteral("Loopback address to serve on (UDP default 127.0.0.2, TCP "
                                                 "127.0.0.1); may be given more than once for UDP."),
                                  QStringLiteral("ADDR"));
    const QCommandLineOption fault(QStringLiteral("fault"), QStringLiteral("Queue a fault (see above)."),
                                   QStringLiteral("SPEC"));
    const QCommandLineOption modem(QStringLiteral("modem"), QStringLiteral("A dial-up modem in front of the line."));
    const QCommandLineOption modemNoOk(QStringLiteral("modem-no-ok"),
                                       QStringLiteral("The modem never answers \"OK\"."));
    const QCommandLineOption dialResult(QStringLiteral("dial-result"),
                                        QStringLiteral("Modem's answer to the dial command (default \"CONNECT "
                                                       "38400\"; e.g. BUSY, \"NO CARRIER\")."),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption changing(QStringLiteral("changing"),
                                      QStringLiteral("Parameters (hex or decimal) whose value steps by one on "
                                                     "every read, in every inverter."),
                                      QStringLiteral("P[,P...]"));
    const QCommandLineOption signalOpt(QStringLiteral("signal"),
                                    QStringLiteral("Parameter ADDR of every inverter follows a sine or a ramp "
                                                   "(e.g. 0x0105=sine:500:2000:1000)."),
                                    QStringLiteral("ADDR=sine|ramp:AMPLITUDE:PERIODMS[:OFFSET]"));
    const QCommandLineOption offlineScope(QStringLiteral("offline-scope"),
                                          QStringLiteral("Offline scope memory: trigger wait and sample count "
                                                         "(default 100:100)."),
                                          QStringLiteral("WAITMS:SAMPLES"));
    p.addOptions({din, zelk, zelkMaster, link, baud, turnaround, addr, config, cfgId, udp, tcp, host, fault, modem, modemNoOk, dialResult, changing});
    p.addOptions({signalOpt, offlineScope});
    const QCommandLineOption rateOnly(QStringLiteral("rate-only"),
                                      QStringLiteral("DIN on a pseudo-terminal: answer only while the line is set "
                                                     "to the --baud rate (a search at another rate finds nothing)."));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("DIN on a pseudo-terminal: append one line per request received "
                                                "(address, service, direction, parameter) to FILE."),
                                 QStringLiteral("FILE"));
    p.addOptions({rateOnly, log});
    p.process(app);

    if (p.isSet(udp) && p.isSet(tcp))
        return fail(QStringLiteral("--udp and --tcp exclude each other"));
    if (p.isSet(zelk) && (p.isSet(din) || p.isSet(udp) || p.isSet(tcp) || p.isSet(modem)))
        return fail(QStringLiteral("--zelk runs on a pseudo-terminal only, without modem"));

    // Inverters.
    std::vector<SimModel> models;
    for (const QString& source : p.values(config)) {
        SimModel model;
        QString error;
        if (!SimModel::fromJsonFile(source, model, &error))
            return fail(error);
        models.push_back(std::move(model));
    }
    std::vector<std::shared_ptr<SimInverter>> inverters;
    for (const QString& a : p.value(addr).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = a.trimmed().toInt(&ok);
        if (!ok || n < 0 || n > 239)
            return fail(QStringLiteral("bad address \"%1\"").arg(a));
        const size_t k = std::min(inverters.size(), models.size() - (models.empty() ? 0 : 1));
        inverters.push_back(models.empty() ? std::make_shared<SimInverter>(n, p.value(cfgId).toInt())
                                           : std::make_shared<SimInverter>(n, models[k]));
    }
    for (const QString& a : p.value(changing).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint n = a.trimmed().toUInt(&ok, 0);
        if (!ok || n > 0xFFFF)
            return fail(QStringLiteral("bad parameter \"%1\"").arg(a));
        for (const auto& inv : inverters)
            inv->setChangeOnRead(uint16_t(n), true);
    }
    for (const QString& spec : p.values(signalOpt)) {
        uint16_t par = 0;
        SimSignal sig;
        QString error;
        if (!SimSignal::parse(spec, par, sig, &error))
            return fail(error);
        for (const auto& inv : inverters)
            inv->setSignal(par, sig);
    }
    if (p.isSet(offlineScope)) {
        const QStringList f = p.value(offlineScope).split(QLatin1Char(':'));
        bool ok1 = false, ok2 = false;
        const int wait = f.value(0).toInt(&ok1);
        const int samples = f.value(1).toInt(&ok2);
        if (f.size() != 2 || !ok1 || !ok2 || wait < 0 || samples < 0)
            return fail(QStringLiteral("bad --offline-scope \"%1\"").arg(p.value(offlineScope)));
        for (const auto& inv : inverters)
            inv->setOfflineScope(std::chrono::milliseconds(wait), samples);
    }
    std::vector<SimFault> faults;
    for (const QString& spec : p.values(fault)) {
        SimFault f;
        QString error;
        if (!SimFault::parse(spec, f, &error))
            return fail(error);
        faults.push_back(f);
    }

    std::unique_ptr<SimServerBase> server;
    QString where;
    QString error;
    if (p.isSet(zelk)) {
        auto z = std::make_unique<SimZelkPty>();
        for (const auto& inv : inverters)
            z->addInverter(inv);
        for (const SimFault& f : faults)
            z->faults().push(f);
        z->setBaudRate(p.value(baud).toInt());
        z->setTurnaroundMs(p.value(turnaround).toInt());
        z->setMaster(p.isSet(zelkMaster));
        if (!z->start(p.value(link), &error))
            return fail(error);
        where = z->path();
        server = std::move(z);
    } else if (p.isSet(udp) || p.isSet(tcp)) {
        auto net = std::make_unique<SimDinNetServer>();
        for (const auto& inv : inverters)
            net->addInverter(inv);
        for (const SimFault& f : faults)
            net->faults().push(f);
        net->setBaudRate(p.value(baud).toInt());
        net->setTurnaroundMs(p.value(turnaround).toInt());
        const bool ok = p.isSet(udp)
            ? net->startUdp(quint16(p.value(udp).toUInt()),
                            p.isSet(host) ? p.values(host) : QStringList{QStringLiteral("127.0.0.2")}, &error)
            : net->startTcp(quint16(p.value(tcp).toUInt()),
                            p.isSet(host) ? p.value(host) : QStringLiteral("127.0.0.1"), &error);
        if (!ok)
            return fail(error);
        where = QString::number(net->port());
        server = std::move(net);
    } else {
        auto pty = std::make_unique<SimDinPtyServer>();
        for (const auto& inv : inverters)
            pty->addInverter(inv);
        for (const SimFault& f : faults)
            pty->faults().push(f);
        pty->setBaudRate(p.value(baud).toInt());
        pty->setCharBits(10);
        pty->setTurnaroundMs(p.value(turnaround).toInt());
        if (p.isSet(modem)) {
            SimModemSettings m;
            m.enabled = true;
            m.answerOk = !p.isSet(modemNoOk);
            if (p.isSet(dialResult))
                m.dialResult = p.value(dialResult).toLatin1();
            pty->setModem(m);
        }
        if (p.isSet(rateOnly))
            pty->setLineRate(p.value(baud).toInt());
        if (p.isSet(log)) {
            auto file = std::make_shared<QFile>(p.value(log));
            if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
                return fail(QStringLiteral("cannot write %1").arg(p.value(log)));
            pty->setRequestLog([file](const QString& line) {
                file->write(line.toUtf8() + '\n');
                file->flush();
            });
        }
        if (!pty->start(p.value(link), &error))
            return fail(error);
        where = pty->path();
        server = std::move(pty);
    }

    // Stop cleanly on SIGTERM and SIGINT so that a link is removed.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalFd) == 0) {
        auto* notifier = new QSocketNotifier(gSignalFd[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
    }
    std::printf("%s\n", qPrintable(where));
    std::fflush(stdout);
    const int rc = app.exec();
    server->stop();
    return rc;
}
