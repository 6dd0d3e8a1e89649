#pragma once

// The scope's recording engine: the setup, the sample ring's bookkeeping
// and the recording state machine, run as a client of the request
// scheduler. Online it reads the channel parameters one by one or, when
// the inverter allows it, all four with one fast read (service 18); offline
// it programs the inverter's scope memory, waits for it and reads it out.
// No widgets: the scope window owns it and carries out its screen effects.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "scope/scope_interaction.h"
#include "scope/scope_screen.h"
#include "scope/scope_setup.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class TVortalinPrj;
class TVortalinText;
class TCfgRec;

class TScopeEngine {
public:
    // The recording states; the window's blink text in brackets. A stop
    // or a change the user asks for is only noted here and carried out at
    // the next BuildRequest.
    enum TRecState : int {
        recIdle = 0,             // no recording
        recSampling = 1,         // online sampling ("Running")
        recTimingSetup = 2,      // timing set-up
        recChannelSetup = 3,     // channel check and fast-read set-up
        recStopRequested = 4,    // ends at the next BuildRequest
        recOfflineSetup = 5,     // offline set-up writes
        recOfflineTrigger = 6,   // the inverter waits for its trigger ("Triggering")
        recOfflineStoring = 7,   // the inverter stores ("Storing")
        recOfflineReadOut = 8,   // the inverter's memory is read out ("Reading")
        recOfflineSettings = 9,  // reading the offline settings stored in the inverter
        recOfflineStop = 10,     // the inverter's recording is being stopped
    };

    TScopeEngine();
    ~TScopeEngine();
    TScopeEngine(const TScopeEngine&) = delete;
    TScopeEngine& operator=(const TScopeEngine&) = delete;

    // ---- surroundings (not owned)
    TVortalinPrj* Project = nullptr;
    const TVortalinText* Texts = nullptr;  // none: every text "???"
    std::shared_ptr<IScopeInteraction> Interaction = std::make_shared<NoScopeInteraction>();
    std::shared_ptr<IScopeScreen> Screen = std::make_shared<NoScopeScreen>();
    QString Title;     // the window's title: caption of every message
    QString AppName;   // first field of an export
    QString DataPath;  // folder of the save dialog when no name is given
    QString FileFilter;  // "Recordings|*.sc5|Exports|*.se5|All|*.*" (filters 1 and 2)
    // Steady milliseconds; replaced by tests.
    std::function<int64_t()> NowMs;
    // Local date and time as days since 30 December 1899; replaced by tests.
    std::function<double()> NowDate;

    // Registers the engine with the scheduler (client state 2); null
    // unregisters it.
    void SetScheduler(TScheduler* Sch, QObject* Form = nullptr);
    TScheduler* Scheduler() const { return sched_; }

    // ---- scheduler callbacks
    void BuildRequest(TReqRec& Req);
    void HandleReply(const TRecTel& Rsp, int Tag);
    void ProjectChanged();

    // ---- operations
    void CheckChannels();
    // The start/stop button was pressed down (true) or released (false).
    void SpeedButton1Click(bool Down);
    // F9 / the pop-up entry: toggles the button.
    void RunStop1Click() { SpeedButton1Click(RecState == recIdle); }
    void DoReadOfflineMem();
    void FormDeactivate();
    // The window closes: a recording ends at once, client state 1.
    void FormClose();
    // Ends a recording at once (button up, panels on, client state 2).
    void Stop();

    // ---- files (scope_file.cpp)
    // 0 saved; 1 nothing saved (not idle, cancelled, declined or failed).
    int SaveToFile(const QString& FileName);
    // 0 loaded; 1 nothing loaded or the load ended early.
    int LoadFromFile(const QString& FileName);
    int FindInverterByCfg(int CfgId);
    int DoExport();
    void AddProj1Click();
    // The export text of the recording in memory.
    QByteArray ExportText() const;

    // ---- state
    TScopeSetup Setup;
    TScopeRing& Ring = ScopeRing;
    QStringList ScopeNotes;
    QString FileName;
    QString TimeUnit = QStringLiteral("ms");

    TRecState RecState = recIdle;
    int SchedSlot = -1;
    int SchedState = csPaused;
    int ScopeInv = 0;
    int Language = 0;
    int FastService = 0;
    int FastInv = 0;  // the inverter of the used channels (fast read)
    int FirstChan = 4, LastChan = -1;
    int ReqStep = 0;
    int RingStart = 0, RingEnd = 0;
    int LastIndex = kScopeLastIndex;
    bool Wrapped = false;
    int64_t CycleStart = 0;
    bool CycleSkip = false;
    int64_t PrevStamp = -1;
    int64_t PrevMs = 0;
    int64_t RecTime = 0;
    int TrigState = 0;
    int32_t TrigPrev = 0;
    int64_t TrigTime = 0;
    int TrigIndex = -1;
    double StartDate = 0;
    bool Unsaved = false;
    int OfflineBase = -1;
    bool FileLoading = false;
    // Set while the window is open (from its opening to its close).
    bool WindowOpen = false;
    // The stop button was pressed while the inverter waits for its trigger:
    // the memory is read out first; a second press ends at once.
    bool StopAsked = false;

    // Days since 30 December 1899 of a local date and time.
    static double DateOf(const class QDateTime& t);

private:
    QStringList text(int section, int index) const;
    QString text1(int section, int index) const;
    void message(const QStringList& lines, int icon = 2);
    QString invLine(int inv) const;
    TCfgRec* cfgOf(int inv) const;
    bool inProject(int inv) const;
    void usedChannels();
    int nextChannel(int from) const;
    void beginOnline();
    void beginOffline();
    void start();
    // True (after the message and a stop) when no channel has a parameter.
    bool noChannels();
    // The request of each state group.
    void samplingRequest(TReqRec& Req);
    void readOutRequest(TReqRec& Req);
    void channelSetupRequest(TReqRec& Req);
    void offlineSetupRequest(TReqRec& Req);
    void offlineSettingsRequest(TReqRec& Req);
    void setupWriteFailed(const TRecTel& Rsp, int Tag);
    void storeValue(TScopeSample& s, int k, const TRecTel& Rsp) const;
    void onlineAnswer(const TRecTel& Rsp, int k);
    void offlineAnswer(const TRecTel& Rsp, int Tag);
    void commitOnline(uint16_t stamp);
    bool xyDuplicateOf(int a, int b) const;

    QPointer<TScheduler> sched_;  // may go before the engine
    TScopeSample stage_;
    bool offlineRun_ = false;    // the recording in progress is offline
    bool offlineBegun_ = false;  // its read-out bookkeeping has begun
};
