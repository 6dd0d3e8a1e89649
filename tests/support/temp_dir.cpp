#include "temp_dir.h"

#include <QtGlobal>

namespace qeltest {

QString sourceDir() { return qEnvironmentVariable("QEL_SOURCE_DIR"); }
QString binaryDir() { return qEnvironmentVariable("QEL_BINARY_DIR"); }

} // namespace qeltest
