#include "config/cfg_codes.h"

#include <QDir>
#include <QFileInfo>

int IoOpenErrorCode(const QString& fileName, bool forWriting)
{
    const QFileInfo info(fileName);
    if (!info.absoluteDir().exists())
        return kIoPathNotFound;
    if (!forWriting && !info.exists())
        return kIoFileNotFound;
    return kIoAccessDenied;
}
