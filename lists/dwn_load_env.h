#pragma once

// The tool windows a download-list window reaches besides the program's
// shared objects (dialogs/shared_objects.h): handed to each window when it
// is created. Null members are missing: the windows then leave out what
// needs them.

#include "dialogs/main_form.h"

#include <QPointer>
#include <QWidget>

class TDwnLoad;
class TFrmvortalinprint;
class TfrmAdrEdit;
class TfrmModeEdit;
class TfrmRemEdit;
class TfrmSetEdit;
class TfrmValEdit;

struct TDwnLoadShared {
    // The main window: it takes the slots and context commands, and windows
    // cascade below its bar.
    TMainFormRef MainForm;
    // The single tool windows.
    QPointer<TfrmValEdit> ValEdit;
    QPointer<TfrmSetEdit> SetEdit;
    QPointer<TfrmAdrEdit> AdrEdit;
    QPointer<TfrmModeEdit> ModeEdit;
    QPointer<TfrmRemEdit> RemEdit;
    QPointer<TFrmvortalinprint> Print;
};

