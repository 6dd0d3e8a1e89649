// commprobe: talks to one inverter through the protocol selector; see
// ProbeHelpText for the command line.

#include "tools/commprobe/probe_options.h"
#include "tools/commprobe/probe_run.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    ProbeOptions opt;
    QString error;
    if (!ParseProbeArgs(app.arguments().mid(1), opt, error)) {
        err << "commprobe: " << error << "\nTry 'commprobe --help'.\n";
        return 2;
    }
    if (opt.help) {
        out << ProbeHelpText();
        return 0;
    }
    return RunCommProbe(opt, out, err);
}
