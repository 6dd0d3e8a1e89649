#pragma once

// The Quintel program without its widgets: start-up, settings and
// identification, the timer cycle with its answer handler, the table rows
// and the commands. TForm1 draws it and forwards the user's input; all
// that is shown or asked goes through ICpInteraction.

#include "comm/prot_sel.h"
#include "config/cfg_list.h"
#include "config/lang_texts.h"
#include "quintel/cp_interaction.h"
#include "quintel/cp_rows.h"
#include "quintel/cp_settings.h"
#include "platform/single_instance.h"
#include "quintel/quintel.h"
#include "platform/clock.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class SettingsStore;

class TQuintelProgram : public QObject {
    Q_OBJECT
public:
    static constexpr const char* Version = "V5.4";
    static constexpr const char* MutexName = "Quintel0xcdMut";
    static constexpr int TimerMs = 250;
    static constexpr int IdentifyEvery = 10;
    static constexpr int ScanLastAdr = 32;

    // The cycle's state. The first showing sets the start-up, which ends
    // running, or scanning when no inverter answers and the user agrees.
    // The scan ends running once it found an inverter, met a number
    // without configuration or went round all rates. The settings and
    // inverter dialogs hold the cycle idle while they run. Every change
    // goes through setMode.
    enum TCycleMode : int {
        cmIdle,     // a dialog of the cycle runs, or nothing is worked on
        cmRunning,  // the engine's requests are sent
        cmStartUp,  // the next cycle applies the settings and identifies the inverter
        cmBusScan,  // each cycle searches the addresses at one rate
    };

    TQuintelProgram(ICpInteraction& Ui, SettingsStore& Store,
                    const TProtSel::TDriverFactory& Factory = {}, QObject* Owner = nullptr);
    ~TQuintelProgram() override;

    // Components.
    std::unique_ptr<TProtSel> ProtSelect;
    qel::TTimer Timer1;
    tQuintel Engine;
    TVortalinText Texts;
    TCpSettings Settings;
    TVortalinCfgList Configurations;
    TCpRowModel Rows;

    // Fields.
    bool Shown = false;
    bool InvDlgReq = false, ComDlgReq = false, EditReq = false, DownloadReq = false;
    // The commands that change the table or show a dialog wait for the cycle.
    bool OpenReq = false, SaveReq = false, PrintReq = false, CopyReq = false, QuitReq = false;
    int CurAdr = 1;
    int ReqTag = -1;
    std::shared_ptr<TCfgRec> Cfg;
    int CurCfgId = -1;
    int CycleCount = 0;
    int ParaLang = 0;
    bool Offline = false;
    QString FileName;
    int LastResult = 0;
    int SelectedRow = -1;  // the table's selected row, -1 none (set by the window)
    bool Ending = false;
    TCycleMode Mode() const { return FMode; }

    // What the window shows.
    QString Caption = QStringLiteral("Quintel 5");
    QString InvBtnCaption;
    QString ComBtnCaption;
    QString StaticText1 = QStringLiteral("(?)");
    bool Busy = false;
    // Called after any of the texts above or the column captions changed.
    std::function<void()> OnViewChanged;

    // Folder of the single-instance lock; empty: the default.
    QString LockDir;

    // First showing of the main window; false when the program is to end.
    bool FirstShow();
    void ApplySettings();
    void ResetProtocols();
    // 1 new configuration loaded, 0 unchanged, -1 no answer, -2 no configuration.
    int Identify();
    void ShowError(const QString& Name, int Code);
    // A result of the inverter or a driver, shown with the entry name and
    // the code's text (never a program message).
    void ShowResult(const QString& Name, int Code);
    void UpdateCaption();

    // Window input.
    void TimerTick();
    void Cycle();
    void AnswerAvail(const TRecTel& Tel);

    // Commands (run by the cycle once their flags are set).
    void Save();
    void Open();
    void Download();
    void Print();
    void Copy();
    void Quit();

    // The table as text, as Copy puts it on the clipboard (empty: no rows).
    QStringList CopyLines() const;
    TCpPrintJob PrintJob() const;
    // Rebuilds the row of an entry's value.
    QString ValueText(const tCpEntry& e) const;

    // Clock of the print and copy headers; replaceable for tests.
    std::function<QDateTime()> Now;

private:
    QString text(int section, int index) const { return Texts.GetText(section, index); }
    int messageLines(const QStringList& lines, const QStringList& buttons, int icon,
                     const QString& p1, const QString& p2, int def, int cancel);
    int message(int k, const QStringList& buttons, int icon, const QString& p1, const QString& p2,
                int def, int cancel);
    QStringList oneButton() const;
    QStringList yesNo() const;
    QString invCaption() const;
    void updateInvBtn();
    void updateComBtn();
    void changed();
    // Afresh (a new inverter or a choice of the user): a failed reading is
    // reported again; a periodic restart after a failure is not.
    void startEngine(bool withCfg, bool afresh = true);
    void clearTable();
    void addRows();
    void updateSetColumn();
    void setBusy(bool b);
    void timerOn() { Timer1.start(TimerMs); }
    void onEngineError(const QString& Name, int Code);
    bool loadCfg(int number);
    int sync(bool isRead, int service, const TTelData& d, TRecTel& rsp);
    int readPlain(int par, TRecTel& rsp);
    QString secondLine() const;
    int readCfgNumber();
    void setSerial(int baud);
    void showPending();
    void setMode(TCycleMode m) { FMode = m; }
    // The cycle, one function a state or request; those that may end the
    // cycle return true when they did.
    void runCycle();
    bool scan();
    void endScan();
    bool startUp();
    bool takeRequests();
    bool settingsDialog();
    void inverterDialog();
    void editSelected();
    void identifyPeriodically();
    void sendNext();
    // Why the inverter was identified: it decides what a failure shows and
    // whether the engine reads.
    enum class TIdentifyCause { StartUp, Choice, Periodic };
    void readTable(int identified, TIdentifyCause cause);
    // Download parts.
    bool verifyDefinitions();
    bool verifyNorm();
    bool writeValues();
    void downloadFailed(const QString& Name, int Code);

    ICpInteraction& FUi;
    SettingsStore& FStore;
    TSingleInstanceLock FLock;
    TCycleMode FMode = cmIdle;
    bool FInCycle = false;
    int FReqHandle = 0;
    bool FBlinkOn = false;
    int FNoCfgShown = -1;          // configuration number whose -2 was shown
    bool FReadFailedShown = false; // message -4 shown since the last table read or fresh start
    bool FRestartReading = false;  // restart reading at the next identification
    struct TPending {
        QString Name;
        int Code;
        bool Result;  // ShowResult, else ShowError
    };
    std::vector<TPending> FPending;
    QString FOpenDir, FSaveDir;
};
