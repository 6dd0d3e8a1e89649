#pragma once

// Everything of a download-list window that needs no display: its lines,
// file, inverter and configuration, reading and writing, the transfers
// (download, upload, compare) as a scheduler client, the complete list,
// compress, the inverter choice, the list-changed notice, the removal of
// marked lines, and its window's life: the inverter a new window takes, the
// save question before it closes and its scheduler state while minimised.
// The window owns one, implements its interaction and notification
// interfaces and draws what it holds.

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "lists/dwn_entry.h"
#include "lists/dwn_file.h"
#include "lists/dwn_interaction.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QEventLoop;
class TVortalinPrj;
class TVortalinText;
class TPrjInvRec;

// Program settings the list uses.
struct TDwnOptions {
    QString DataPath;              // initial folder of the save dialog
    bool DwnHighPriority = false;  // transfers hold the scheduler exclusively
    QChar Separator = u'+';        // of value texts
    bool ShowDecValue = false;
};

// Transfer states.
namespace DwnTransfer {
constexpr uint8_t Idle = 0;
constexpr uint8_t Download = 1;
constexpr uint8_t Upload = 2;
constexpr uint8_t DownloadReq = 3;
constexpr uint8_t UploadReq = 4;
constexpr uint8_t CompareReq = 5;
constexpr uint8_t Compare = 6;
constexpr uint8_t UnattendedUpload = 7;  // set by the main window before DoUpload
}  // namespace DwnTransfer

class TDwnLoadEngine : public QObject {
    Q_OBJECT
public:
    // Project, scheduler and texts are not owned and may be null (texts
    // then read "???"); the interaction is required, notify optional.
    TDwnLoadEngine(TVortalinPrj* Project, TScheduler* Scheduler, const TVortalinText* Texts,
                   IDwnInteraction& Ui, IDwnNotify* Notify = nullptr, QObject* Parent = nullptr);
    ~TDwnLoadEngine() override;

    // ---- the list
    TDwnList Lines;
    QString FileName;  // empty while untitled
    int InvAdr = -1;
    int CfgId = 0;
    bool OpList = false;
    bool Modified = false;
    QStringList Remark;  // the remark memo, one string per line
    TDwnColWidths ColWidths = kDwnDefaultColWidths;
    int WdwNr = 1;
    int Language = 0;  // of parameter names and value texts
    TDwnOptions Options;

    // ---- transfer
    uint8_t TransferState = DwnTransfer::Idle;
    int32_t TransferIndex = -1;
    int32_t RetryCount = 0;
    int32_t WaitTime = 0;
    int32_t TransferSchedState = csPolled;
    int32_t SchedSlot = -1;
    int32_t SchedState = csPaused;
    QStringList MsgLines;
    QTimer Timer1;  // user-step wait, 100 ms

    // What the list was given: the project, its texts and its window.
    TVortalinPrj* Project() const { return prj_; }
    const TVortalinText* Texts() const { return texts_; }
    IDwnNotify& Notify() const { return *notify_; }
    // A text, "???" when missing, and a message titled with the short name.
    QString Text(int s, int i) const { return text(s, i); }
    QStringList TextLines(int s, int i) const { return textLines(s, i); }
    int Message(const QStringList& Lines, int Buttons, int Icon) { return message(Lines, Buttons, Icon); }
    bool Transferring() const { return TransferState != DwnTransfer::Idle; }

    // The file name without its path; untitled: text (2,12) and WdwNr.
    QString GetShortName() const;
    // The line at Index; none outside the list.
    TDwnEntry* GetDwnEntry(int Index) const;
    // Inserts at Index clamped into 0..count; Selected cleared.
    TDwnEntry* InsertNewLine(int Index, std::shared_ptr<TParaRec> Para, int Address, int32_t Value,
                             int SetMask, int Mode, bool OwnsPara, const QString& Note);
    static uint8_t GetParaMode(const TParaRec* Para) { return DwnParaMode(Para); }

    // The project's inverter at InvAdr and its configuration (none when the
    // inverter left the project).
    TPrjInvRec* Inv() const;
    std::shared_ptr<TCfgRec> Cfg() const;
    // The Compress item's state: the configuration has parameter sets.
    bool CompressEnabled() const;

    // ---- files
    // 0 written; 1 cancelled; otherwise the I/O code of the failed write.
    int SaveData(const QString& Name);
    void DoSave() { SaveData(FileName); }
    void DoSaveAs() { SaveData(QString()); }
    void LoadData(const QString& Name);

    // ---- the window's life
    // A new window's list goes to Adr (0 outside the project's addresses)
    // with that inverter's configuration, reads Name when given (which may
    // move it to another inverter), and takes the project's first inverter
    // when its own is not in the project. False, after the message, when
    // the project has none.
    bool OpenFor(int Adr, const QString& Name);
    // Whether the window may close: never during a transfer; while the list
    // is modified the user saves it (asked again while still modified),
    // drops the changes or cancels.
    bool CloseQuery();
    // Minimised, the window's slot is not polled; restored, it gets back
    // SchedState, or polled in turn when another client holds the exclusive
    // state.
    void Minimised();
    void Restored();
    // The window closes: not polled, any transfer dropped, the slot given
    // back.
    void Closing();

    // ---- scheduler client
    // Registers GiveNextReq, ReceiveAnswer and ResetCfgList for Form and
    // sets the slot to SchedState; the slot, -1 when none is free.
    int Register(QObject* Form);
    void Unregister();
    void GiveNextReq(TReqRec& Req);
    void ReceiveAnswer(const TRecTel& Rsp, int Tag);
    void ResetCfgList();

    // ---- operations
    void DoDownload() { startTransfer(DwnTransfer::DownloadReq); }
    void DoUpload() { startTransfer(DwnTransfer::UploadReq); }
    void DoCompare() { startTransfer(DwnTransfer::CompareReq); }
    void DoMakeList();
    void DoCompress();
    void DoSettings();
    void Timer1Timer();
    // Removes every marked line; the line now at the first removed index
    // is selected.
    void RemoveMarkedLines();
    void ClearMarks();
    void MarkAll();

    // True while the provider or the answer handler runs (they may run the
    // event loop); a list-changed notice or close then waits until it ends.
    bool InSchedulerCall() const { return callDepth_ > 0; }
    // Closes the window now, or when the scheduler call ends.
    void RequestClose();

private:
    friend class DwnCallScope;
    QString text(int s, int i) const;
    QStringList textLines(int s, int i) const;
    int message(const QStringList& lines, int buttons, int icon, const QString& p1 = {},
                int def = 0, int cancel = -1, const QString& title = {}, const QString& p2 = {},
                int help = 0);
    void notifyCaption();
    void notifyContext();
    int cfgNumberOf(int adr) const;
    int firstInvWithCfg(int cfgId) const;
    int firstInv() const;

    // files
    bool confirmOverwrite(const QString& name);
    bool readConfigLine(int number, bool& cfgMode);
    void readEntryLine(const TDwnFileLine& l, bool cfgMode);

    // transfer
    void startTransfer(uint8_t requested);
    void endTransfer(bool cancelled);
    void userStep(const TDwnEntry& e);
    void errorDialog(const TRecTel& Rsp, int Tag);
    int32_t setSchedState(int state);
    void leaveCall();
    void doResetCfgList();

    // complete list
    void appendSpecial(int16_t adr, int32_t value);
    void appendBlank();
    void appendParaLines(const TCfgRec& cfg, const TGrpRec& grp, int& index, int set, int buildMode,
                         bool& any);
    int16_t setMaskFor(int set, int buildMode) const;

    TVortalinPrj* prj_;
    QPointer<TScheduler> sch_;
    const TVortalinText* texts_;
    IDwnInteraction& ui_;
    IDwnNotify defaultNotify_;
    IDwnNotify* notify_;
    int callDepth_ = 0;
    bool pendingReset_ = false;
    bool pendingClose_ = false;
    QEventLoop* waitLoop_ = nullptr;
};
