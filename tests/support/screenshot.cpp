#include "screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace qeltest {

void saveScreenshot(QWidget& w, const QString& name)
{
    const QString dir = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QDir(dir).filePath(name));
}

}  // namespace qeltest
