#pragma once

#include "comm/tel_records.h"
#include "config/cfg_list.h"
#include "config/opt_changes.h"
#include "project/prj_interaction.h"
#include "project/prj_load_error.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TProtSel;
class TScheduler;
class TPrjWatch;
class TPrjEditRows;

// Bits of OnPrjChanged.
using TPrjChanges = unsigned;
inline constexpr TPrjChanges pcGeneral = 0x01;     // name, file, remarks, interval
inline constexpr TPrjChanges pcInvAdded = 0x02;    // entry added, its number or address changed
inline constexpr TPrjChanges pcInvRemoved = 0x04;  // entry removed or another configuration attached
inline constexpr TPrjChanges pcFiles = 0x08;       // linked files
inline constexpr TPrjChanges pcInvName = 0x10;     // an inverter's name

// Kind of a saved window.
enum TWindowKind : int {
    wkPrjExpl = 0,
    wkOperator = 1,
    wkScope = 2,
    wkWorkList = 3,
    wkDownList = 4,
};

using TPrjModifiedEvent = std::function<void(QObject* Sender, TPrjChanges PrjChg)>;
using TInvProtChangedEvent = std::function<void(QObject* Sender, int InvAdr, TProt pr)>;
using TInvStateChangedEvent = std::function<void(QObject* Sender, int InvAdr, int NewState)>;

inline constexpr int kPrjInvCount = 240;
inline constexpr int kInvNameLen = 24;

// One inverter of the project, at index InvAdr of TVortalinPrj::Inv.
class TPrjInvRec {
public:
    QString GetName() const { return Name; }
    // Keeps the first 24 characters.
    void SetName(const QString& text) { Name = text.left(kInvNameLen); }

    QString Name;
    int CfgId = 0;     // number of the attached configuration
    int PrjCfgId = 0;  // number given when added; 0: read from the inverter
    int InvAdr = 0;
    TProt Prot = prOffline;  // low byte of the file's value, unchecked
    // -1 no valid answer, -2 answers with CfgId, -3 answers with another number.
    int State = -1;
    // Shared with the project's configuration list; stays valid for a
    // holder even after the list dropped it.
    std::shared_ptr<TCfgRec> Cfg;
    QStringList WorkFiles, DownFiles, RemFiles, ScopeFiles;
};

// One window of the project's saved layout.
struct TSavedWdwRec {
    int WdwType = 0;  // TWindowKind
    int InvNr = 0;
    QString FileName;
    uint8_t State = 0;  // 0 normal, 1 minimised, 2 maximised
    int Height = 0, Width = 0, Left = 0, Top = 0;
};

// The project: up to 240 inverters by bus address, their configurations
// (this object's own configuration list), linked files, remarks and the
// saved window layout, stored in a ".pr5" file. All of it runs in the GUI
// thread; changes are reported through the On... events.
class TVortalinPrj : public TVortalinCfgList {
    Q_OBJECT
public:
    explicit TVortalinPrj(QObject* owner = nullptr);
    ~TVortalinPrj() override;

    // Events; unset means no handler.
    TPrjModifiedEvent OnPrjChanged;
    TInvProtChangedEvent OnInvProtChanged;
    TInvStateChangedEvent OnInvStateChanged;

    // Questions, dialogs and choices; never null (NoPrjInteraction until set).
    IPrjInteraction& Interaction() const { return *interaction_; }
    void SetInteraction(std::shared_ptr<IPrjInteraction> interaction);

    // ---- settings
    TProtSel* ProtSel = nullptr;  // not owned
    bool Modified = false;
    TPrjChanges PendingChanges = 0;
    QString PrjName;
    QString DefPrjName;
    QString DefInvName = QStringLiteral("Umrichter");
    QString BinPath;   // ends with a separator; file names are appended
    QString DataPath;  // initial folder of the save dialog
    QString FileName;  // empty for a project never saved; case kept
    int ParaLanguage = 0;
    QString MsgCancelText = QStringLiteral("Abbrechen");
    QString MsgInvSearchTitle = QStringLiteral("Umrichter suchen");
    QString CopyPrjTitle;
    QString CopyPrjText;
    QString MsgCopyErrText = QStringLiteral("Folgende Dateien konnten nicht kopiert werden:");
    QString PrjFilesText = QStringLiteral("Projektdateien (*.pr5)|*.pr5");
    QString AllFilesText = QStringLiteral("Alle Dateien (*.*)|*.*");
    QString CommonInvText = QStringLiteral("Global im Projekt");
    // File filter of the project dialog's open dialog.
    QString FilterStr;

    QStringList WorkFiles, DownFiles, ScopeFiles, RemFiles;  // linked to the whole project
    QStringList Remarks;

    // Lines joined by "\n"; writing splits at line breaks when the text differs.
    QString PrjRemarks() const;
    void SetPrjRemarks(const QString& text);

    int WatchInterval() const { return watchInterval_; }
    // Also keeps the interval in days for the watch.
    void SetWatchInterval(int seconds);
    double WatchIntervalDays() const { return watchIntervalDays_; }

    // Multi-line messages: one text of lines joined by "\n"; writing
    // replaces all lines.
    QString MsgNoCfgText() const { return MsgNoCfg.join(u'\n'); }
    QString MsgErrWrToFileText() const { return MsgErrWrToFile.join(u'\n'); }
    void SetMsgErrWrToFileText(const QString& t) { MsgErrWrToFile = splitLines(t); }

    // Two-item button lists: the Yes/first text is item 0, the No/second item 1.
    QString MsgYesText() const { return YesNoButtons.value(0); }
    void SetMsgYesText(const QString& t) { YesNoButtons[0] = t; }
    QString MsgNoText() const { return YesNoButtons.value(1); }
    void SetMsgNoText(const QString& t) { YesNoButtons[1] = t; }
    QString MsgNotOnDiscSelText() const { return NotOnDiscButtons.value(0); }
    void SetMsgNotOnDiscSelText(const QString& t) { NotOnDiscButtons[0] = t; }
    QString MsgNotOnDiscCancelText() const { return NotOnDiscButtons.value(1); }
    void SetMsgNotOnDiscCancelText(const QString& t) { NotOnDiscButtons[1] = t; }
    QString MsgNewIdText() const { return NewOldIdButtons.value(0); }
    void SetMsgNewIdText(const QString& t) { NewOldIdButtons[0] = t; }
    QString MsgOldIdText() const { return NewOldIdButtons.value(1); }
    void SetMsgOldIdText(const QString& t) { NewOldIdButtons[1] = t; }

    // The message lines and button lists themselves.
    QStringList MsgOverride, MsgSave, MsgNoCfg, MsgNotOnDisc, MsgWrongId, MsgExtSearch,
        MsgErrWrToFile;
    QStringList YesNoButtons, NotOnDiscButtons, NewOldIdButtons;
    const QStringList OkGlyphButtons{QStringLiteral("0OK")};  // write-error message
    const QStringList OkButtons{QStringLiteral("OK")};        // copy-error message

    // ---- inverter entries
    // The entry at InvAdr; null outside 0..239 or for a free address.
    TPrjInvRec* GetInv(int InvAdr) const;
    int InvCount() const;
    // Stores a different state and fires OnInvStateChanged.
    void SetInvState(int InvAdr, int NewState);
    // Frees the entry (no event; the caller fires PendingChanges, which
    // gets bit 4) and its configuration when no other entry holds it.
    void RemoveInv(int InvAdr);
    // Frees every entry and clears the project's own file lists;
    // configurations stay loaded. Bit 4 joins PendingChanges when an entry
    // was freed (the caller fires).
    void ClearInvs();
    // ClearInvs, then frees the project (the main window at shutdown). The
    // project must be on the heap and owned by a parent or nobody, never
    // by a smart pointer.
    void Release();

    // Adds an entry (the configuration is looked up, loaded or chosen):
    // 0 added, -1 the address has an entry, -2 refused or failed
    // (address outside 0..239, second Zelk inverter, no configuration).
    int AddInv(int InvAdr, int CfgId, const QString& Name, TProt Prot, bool Quiet);

    // ---- discovery (prj_discovery.cpp)
    // Address of the new entry; -1 cancelled (or no free address), -2
    // refused or failed.
    int NewInv(int InvAdr, int CfgId, const QString& Name, TProt Prot, bool ShowDialog,
               bool EditName, bool EditAdr, bool EditCfg, bool EditProt);
    // Builds the project by a bus search: 0 it holds an inverter, -1 none.
    int NewPrj(const QString& Name, int FirstAdr, int LastAdr, int WatchInterval, TProtSet Prots);
    // The configuration number in use afterwards; -1 no entry at InvAdr.
    int ChangeCfgId(int InvAdr, int NewCfgId);

    // ---- configuration watch (prj_watch.cpp)
    TScheduler* scheduler() const;
    // Registers the watch as the scheduler's client; null unregisters it.
    void SetScheduler(TScheduler* Sch);
    // The watch client; null until a scheduler was assigned.
    TPrjWatch* Watch() const { return watch_.get(); }

    // ---- project file
    // Reads a ".pr5" file: 0 read completely, 1 something missing or wrong.
    // The base class's configuration loader stays reachable.
    using TVortalinCfgList::LoadFromFile;
    int LoadFromFile(const QString& FileName);
    // Why the last LoadFromFile gave 1, for the caller to tell the user.
    TPrjLoadError LoadError;
    // 0 written, 1 not written. Empty FileName: ask in the save dialog.
    int SaveToFile(const QString& FileName, bool CopyMode = false);
    // A project of offline entries for up to four configuration numbers
    // (below 0: none) and one maximised window of WdwKind showing FileName.
    int NewPrjForFile(const QString& FileName, int CfgId1, int CfgId2, int CfgId3, int CfgId4,
                      TWindowKind WdwKind);
    // Saves the project into a folder chosen in the save dialog and copies
    // every linked file there: 0 copied, 1 cancelled or failed.
    int CopyPrj(bool ShowProgress);

    // ---- linked files (names compared without case)
    // -1 linked to the whole project, 0..239 to that inverter, -2 not linked.
    int FindFile(const QString& FileName) const;
    // Index in its list; -1 no such inverter (InvAdr neither -1 nor an
    // entry), -2 already linked.
    int AddFile(const QString& FileName, int InvAdr);
    // Where it was removed from as FindFile tells; -2 not found.
    int RemoveFile(const QString& FileName);
    // Asks where to link the file; true when it was linked.
    bool AskAddFile(const QString& FileName);

    // ---- project dialog (prj_edit.cpp)
    // Fills the dialog's rows, runs the dialog through the interaction and
    // applies the rows after OK. Page 1..5 is shown first; any other value
    // keeps the page shown last.
    void EditPrj(int Page);
    // The dialog's rows and texts, kept from run to run.
    TPrjEditRows& PrjEdit();
    // Applies rows confirmed with OK; fires OnPrjChanged with the bits.
    void ApplyPrjEdit(const TPrjEditRows& Rows);

    // ---- saved windows
    int AddWdw();
    TSavedWdwRec* GetWdw(int Index) const;
    int WdwCount() const { return int(SavedWindows.size()); }
    void DeleteWdw(int Index);
    std::vector<std::unique_ptr<TSavedWdwRec>> SavedWindows;

    // ---- helpers of the project's own operations
    // Fires OnPrjChanged with PendingChanges when not empty, then empties it.
    void FirePendingChanges();
    // Drops cfg from the configuration list when no entry holds it.
    void ReleaseCfgIfUnused(const std::shared_ptr<TCfgRec>& cfg);
    // The list a file of that name belongs to (by extension, any case).
    static QStringList& ListForFile(TPrjInvRec& inv, const QString& fileName);
    QStringList& OwnListForFile(const QString& fileName);
    // "Description|pattern|..." filter of the save dialog.
    QString SaveFilter() const { return PrjFilesText + u'|' + AllFilesText; }
    // Splits a text at CR LF, LF or CR.
    static QStringList splitLines(const QString& text);

private:
    // Frees the entry at InvAdr without touching configurations or events.
    void freeEntry(int InvAdr);
    int findFileIn(const QString& FileName, QStringList** list, int* index) const;
    // The save dialog as SaveToFile and CopyPrj open it; empty: cancelled
    // or not a ".pr5" name.
    QString askProjectFileName();
    void reportWriteError(const QString& fileName);

    std::array<std::unique_ptr<TPrjInvRec>, kPrjInvCount> Inv;  // index = address
    // Shared so that the watch's type is needed only where it is made.
    std::shared_ptr<TPrjWatch> watch_;
    std::shared_ptr<TPrjEditRows> prjEdit_;
    std::shared_ptr<IPrjInteraction> interaction_;
    int watchInterval_ = 5;
    double watchIntervalDays_ = 5.0 / 86400.0;
};
