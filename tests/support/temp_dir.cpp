#include "temp_dir.h"

#include <QtGlobal>

namespace qeltest {

namespace {

// The environment wins, so that ctest and CI can point elsewhere; without
// it the folders the executable was built from.
QString fromEnvOr(const char* name, const char* builtIn)
{
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromUtf8(builtIn) : v;
}

} // namespace

QString sourceDir() { return fromEnvOr("QEL_SOURCE_DIR", QEL_DEFAULT_SOURCE_DIR); }
QString binaryDir() { return fromEnvOr("QEL_BINARY_DIR", QEL_DEFAULT_BINARY_DIR); }

} // namespace qeltest
