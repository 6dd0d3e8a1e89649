#pragma once

// Shared by the fuzz targets: the Qt application some readers need, a
// scratch file for readers that take a path, the generated samples, and
// how a target reports a broken promise.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qelfuzz {

// The code under test broke what it promises: says what and stops the run,
// so that libFuzzer keeps the input.
[[noreturn]] inline void broken(const char* what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

// One application object for the whole run (event loops, timers).
inline QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication a(argc, argv);
    return a;
}

// A folder of the run's own, removed at exit.
inline QString scratchPath(const QString& name)
{
    static QTemporaryDir dir;
    return QDir(dir.path()).filePath(name);
}

// Writes the input to a scratch file and returns its path.
inline QString writeScratch(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = scratchPath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A generated sample file ("configs/Para0003.bin"); empty when the samples
// were not built.
inline QByteArray sample(const QString& relative)
{
    QFile f(QStringLiteral(QEL_FUZZ_DATA_DIR "/") + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace qelfuzz
