#pragma once

#include <memory>

class QWidget;
class TProgCfg;
class TVortalinPrj;
class TVortalinText;
class TfrmInvEdit;
class TfrmAddFileDlg;
class TFrmSelCfg;

// The project's three choice dialogs. They live as long as the project's
// interaction that calls them.
struct TPrjDialogs {
    ~TPrjDialogs();
    std::unique_ptr<TFrmSelCfg> SelCfg;
    std::unique_ptr<TfrmInvEdit> InvEdit;
    std::unique_ptr<TfrmAddFileDlg> AddFile;

    // Every text of the three from the language texts.
    void SetTexts(const TVortalinText& texts);
};

// Installs the project's dialogs (messages, save dialog, progress window)
// with the inverter dialog, the add-file question and the configuration
// choice plugged in. The choice reads the settings' configuration index
// at every showing, so a rescan is seen; `cfg` must outlive the project.
std::shared_ptr<TPrjDialogs> InstallPrjDialogs(TVortalinPrj& prj, const TProgCfg& cfg,
                                               QWidget* parent = nullptr);
