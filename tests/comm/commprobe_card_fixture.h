#pragma once

// commprobe over simulated cards: the real program, the loader pointed at
// the card libraries by the install step, the cards set up from a file
// named in the environment.
// commprobe runs as a process of its own on the real clock, so these tests
// take real time.

#include "temp_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <utility>

namespace cardprobe {

inline QString built(const QString& rel) { return qeltest::binaryDir() + QLatin1Char('/') + rel; }

class CommProbeCardTest : public qeltest::TempDirTest {
protected:
    // Installs the card libraries ("PAPI.DLL=<path>") into a registry of
    // the temporary folder and writes the cards' set-up file: the inverter
    // at 4 answers, the one at 6 stays silent.
    void InstallCards(const QStringList& libraries)
    {
        QStringList args{"--registry", path("registry.reg"), "--prefix", path("prefix")};
        for (const QString& library : libraries)
            args << "--library" << library;
        QProcess install;
        install.start(built(QStringLiteral("tools/qel-install/qel-install")), args);
        ASSERT_TRUE(install.waitForFinished(30000));
        QFile setup(path("cards.json"));
        ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
        setup.write(R"({"inverters": [{"address": 4, "cfgid": 4660},
                                       {"address": 6, "cfgid": 33, "fault": "silence*always"}]})");
    }

    // Runs commprobe with the set-up file named in each of `setupVars`;
    // its exit code (-1 when it hung) and its output lines.
    int RunProbe(const QStringList& setupVars, const QStringList& args, QStringList& lines)
    {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QEL_REGISTRY", path("registry.reg"));
        for (const QString& var : setupVars)
            env.insert(var, path("cards.json"));
        probe.setProcessEnvironment(env);
        probe.start(built(QStringLiteral("tools/commprobe/commprobe")), args);
        if (!probe.waitForFinished(60000)) {
            probe.kill();
            probe.waitForFinished();
            return -1;
        }
        lines = QString::fromLatin1(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return probe.exitCode();
    }
};

// The 72 data bytes as printed, with `hex` at byte `pos`.
inline QString Data(std::initializer_list<std::pair<int, const char*>> fields)
{
    QString data(144, QLatin1Char('0'));
    for (const auto& [pos, hex] : fields)
        data.replace(pos * 2, int(strlen(hex)), QString::fromLatin1(hex));
    return data;
}

} // namespace cardprobe
