#pragma once

// The shared objects a download-list window reaches: set once by the
// program (the main window) before the first list opens, read by every
// window. Null members are missing: the windows then leave out what needs
// them.

#include <QPointer>
#include <QWidget>

#include <functional>

class TDwnLoad;
class TFrmvortalinprint;
class TProgCfg;
class TScheduler;
class TVortalinPrj;
class TVortalinText;
class TfrmAdrEdit;
class TfrmModeEdit;
class TfrmSetEdit;
class TfrmValEdit;

struct TDwnLoadShared {
    TVortalinPrj* Project = nullptr;
    TScheduler* Scheduler = nullptr;
    const TVortalinText* Texts = nullptr;
    TProgCfg* ProgCfg = nullptr;
    // The main bar: windows cascade below it, a maximised one fills the
    // work area below it.
    QPointer<QWidget> MainWindow;
    // The single tool windows.
    QPointer<TfrmValEdit> ValEdit;
    QPointer<TfrmSetEdit> SetEdit;
    QPointer<TfrmAdrEdit> AdrEdit;
    QPointer<TfrmModeEdit> ModeEdit;
    QPointer<TFrmvortalinprint> Print;
    // A window became active (hand its operation slots and context items
    // to the main window) or closes (hand none).
    std::function<void(TDwnLoad* Window)> OnActivated;
    std::function<void(TDwnLoad* Window)> OnClosing;
};

TDwnLoadShared& DwnLoadShared();
