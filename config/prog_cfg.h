#pragma once

#include "config/bin_file_index.h"
#include "config/opt_changes.h"

#include <QString>
#include <functional>
#include <memory>

class SettingsStore;
class TProtSel;

// Version text of the driver of a protocol ("" when the driver is missing).
using TDriverVersionFn = std::function<QString(TProt)>;

// The options dialog as the settings object sees it: edits the values in
// place and tells whether the user confirmed (OK) or cancelled.
class TOptDlgIface {
public:
    virtual ~TOptDlgIface() = default;
    // Handed over before each showing (the settings object's provider).
    virtual void SetDriverVersion(const TDriverVersionFn& fn) { (void)fn; }
    virtual bool RunOptions(TOptValues& values) = 0;
};

// Registry keys of the main program's settings.
namespace ProgCfgKeys {
inline const QString DefPrj = QStringLiteral("Software\\QEL\\Vortalin5\\DefPrj");
inline const QString PrjExpl = QStringLiteral("Software\\QEL\\Vortalin5\\PrjExpl");
inline const QString Appl = QStringLiteral("Software\\QEL\\Vortalin5\\Appl");
inline const QString Din = QStringLiteral("Software\\QEL\\Vortalin5\\Din");
inline const QString Zelk = QStringLiteral("Software\\QEL\\Vortalin5\\Zelk");
inline const QString IP = QStringLiteral("Software\\QEL\\Vortalin5\\IP");
inline const QString CAN = QStringLiteral("Software\\QEL\\Vortalin5\\CAN");
inline const QString PBS = QStringLiteral("Software\\QEL\\Vortalin5\\PBS");
inline const QString Manual = QStringLiteral("Software\\QEL\\Document\\Manual");
} // namespace ProgCfgKeys

// The main program's settings, read from the settings store at start-up,
// edited through the options dialog and written back at shutdown when
// Modified is set. Values only the installation sets (directories,
// branding, switches) are read but never written.
class TProgCfg {
public:
    TProgCfg();
    ~TProgCfg();

    // Store file used by LoadFromRegistry/SaveToRegistry; defaults to
    // SettingsStore::defaultPath() at creation.
    QString RegistryPath;

    // Default project (key DefPrj).
    int MinInvAdr = 0;
    int MaxInvAdr = 0;
    TProtSet DefProts = 0;
    int Watchinterval = 0;

    // Project explorer (key PrjExpl).
    bool ShowPlainTextInfo = false;
    bool ShowParaInfo = false;
    bool ShowInvisible = false;
    bool ShowSupervisor = false;

    // Program (key Appl).
    QString ApplicationPath;
    QString BinPath;
    QString DataPath;
    int lng = 0;
    bool CloseOnCancel = false;
    bool CloseOnOK = false;
    int NoAdvHelpMenu = 0;
    bool ShowDecValue = false;
    bool ChangeDownloadProperties = false;
    bool EnableFbsWindow = false;
    bool DwnHighPriority = false;
    QString Separator = QStringLiteral("+");
    int PtMode = 0;
    int ProgLng = 0;
    int SecondLng = 0;
    QString AppName;
    QString AppPicture;
    QString AppIcon;
    QString Vendor;
    bool EnableAltBinPath = false;
    bool EnableAltApplPath = false;

    // Drivers.
    TSerialDrvCfg Din;
    TSerialDrvCfg Zelk;
    TIpDrvCfg Ip;
    TCanDrvCfg Can;
    TPbsDrvCfg Pbs;

    // Manual of the help menu (key Software\QEL\Document\Manual, Path).
    QString ManualPath;

    // Index of the installed configuration files (bin_file_index.h).
    TCfgFileList CfgFileList;
    void ScanBinFiles();

    bool Modified = false;
    const QString VersionText = QStringLiteral("Version 5.4");

    // Fired by Execute when a setting that takes effect at once changed.
    std::function<void(TProgCfg* sender)> OnPrgCfgChanged;

    // The protocol selector, set by the main window: the dialog's "?"
    // buttons ask its driver settings objects for their version. Unset:
    // the buttons do nothing.
    TProtSel* ProtSel = nullptr;

    // The version text of a protocol's driver through ProtSel ("" when the
    // driver is missing); an empty function while ProtSel is unset.
    TDriverVersionFn DriverVersion() const;

    // True when every required key and value was read. A required key or
    // value that is missing or of another type, an optional value of
    // another type, or an unreadable store gives false; the fields read
    // up to that point keep their new values.
    bool LoadFromRegistry();
    bool LoadFromStore(const SettingsStore& store);

    // Writes the user-changeable values, creating keys as needed, and
    // saves the store. False when the store cannot be read or written.
    bool SaveToRegistry();
    bool SaveToStore(SettingsStore& store) const;

    // The options dialog: created by the window side and handed over here
    // (the settings object owns it).
    void SetOptionDlg(std::unique_ptr<TOptDlgIface> dlg);
    TOptDlgIface* OptionDlg() const { return optionDlg_.get(); }

    // Shows the options dialog and takes over its changes.
    void Execute();

    // The dialog's values from the settings, and taking them over: sets
    // Modified on any difference and fires OnPrgCfgChanged when a setting
    // that takes effect at once differs. Returns what changed.
    TOptValues OptValues() const;
    TOptChanges TakeOver(const TOptValues& edited);

private:
    std::unique_ptr<TOptDlgIface> optionDlg_;
};
