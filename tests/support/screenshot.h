#pragma once

#include <QString>

class QWidget;

namespace qeltest {

// Saves a picture of `w` as `name` in the folder QEL_SCREENSHOT_DIR names;
// nothing when it is not set. For looking at windows, never for checks.
void saveScreenshot(QWidget& w, const QString& name);

}  // namespace qeltest
