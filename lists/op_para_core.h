#pragma once

// Everything of the operator-parameter window that needs no display: it
// asks an inverter for the parameters of its operator module (0x80..0xFF),
// builds a description for every parameter and set, then reads all values
// in turn as a scheduler client, and saves the rows as an "*.op5" list.
// Top_para draws it and forwards user input.

#include "comm/scheduler.h"
#include "config/cfg_records.h"
#include "config/lang_texts.h"
#include "lists/op_para_interaction.h"
#include "project/vortalin_prj.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TValEditCore;

// One row's description: the parameter as the module describes it, its
// last value and the one set the row reads.
struct Top_pararec : TParaRec {
    int32_t Value = 0;
    bool ValueValid = false;
    uint8_t SetMask = 1;  // 1 for set 0, 1 << k for set k
};

// One row as the list shows it.
struct TOpRow {
    std::shared_ptr<Top_pararec> Rec;
    QString Caption;    // "0080h"
    QString SetText;
    QString Name;
    QString ValueText;  // "??" until the first value arrives
    // The last read succeeded. Unlike ValueValid it survives
    // InvalidateValues: a row without it is saved read-only.
    bool ValueRead = false;
};

// What the value editor is opened with for a row.
struct TOpEditArgs {
    int SetSel = 1;
    int Inverter = 0;
    std::shared_ptr<const TParaRec> Para;
    QString Label;
    int32_t Value = 0;
};

class TOpParaCore : public QObject {
    Q_OBJECT
public:
    static constexpr int FirstOpPar = 0x80;
    static constexpr int EndOpPar = 0x100;
    static constexpr int MaxErrors = 10;
    // More further sets than a set mask holds would only add rows that read
    // nothing.
    static constexpr int MaxFurtherSets = 7;

    // Request states.
    enum : int {
        rqReset = 0,
        rqName = 1,
        rqScaling = 2,
        rqCount = 3,
        rqAttr = 4,
        rqBuilt = 10,
        rqCyclic = 11,
        rqNone = 100,
    };

    // InvAdr outside 0..239 becomes 0; without an entry there the project's
    // first inverter is taken.
    TOpParaCore(TVortalinPrj* Project, int InvAdr, int Language, QObject* parent = nullptr);
    ~TOpParaCore() override;

    // ---- fields of the window
    int InvAdr = 0;
    int Language = 0;
    int ReqState = rqReset;
    int ParAdr = FirstOpPar;
    int ParCount = -1;
    int Found = 0;
    int ErrCount = 0;
    int LastId = -1;
    int SchedSlot = -1;
    int SchedState = csPaused;
    // Save and Save As are offered (a list is built).
    bool SaveSlots = false;
    // Initial folder of the save dialog.
    QString DataPath;

    // ---- shared objects, not owned
    QPointer<TVortalinPrj> Project;
    const TVortalinText* Texts = nullptr;
    // The value editor whose description may be one of the rows.
    QPointer<TValEditCore> Editor;
    IOpParaInteraction& Interaction() const { return *ui_; }
    void SetInteraction(std::shared_ptr<IOpParaInteraction> ui);

    // ---- events for the window
    std::function<void()> OnRowsChanged;          // rows added or all freed
    std::function<void(int Row)> OnRowChanged;    // one row's value text
    std::function<void()> OnOpFuncsChanged;       // SaveSlots changed: hand them on
    std::function<void()> OnCaptionChanged;
    // Detaches the value editor from a row about to be freed; without it
    // the editor's edit is emptied directly.
    std::function<void()> OnDetachEditor;

    // ---- rows
    const std::vector<TOpRow>& Rows() const { return rows_; }
    int RowCount() const { return int(rows_.size()); }
    bool HoldsPara(const TParaRec* Para) const;

    // ---- scheduler client
    // Registers (Owner is the window the scheduler knows the client by) and
    // is polled from the start; null unregisters.
    void SetScheduler(TScheduler* Sch, QObject* Owner = nullptr);
    TScheduler* Scheduler() const { return sch_.data(); }
    void GiveNextReq(TReqRec& Req);
    void ReceiveAnswer(const TRecTel& Rsp, int Tag);
    void ResetCfgList() {}

    // Clears every row's validity: the next answers redraw all values.
    void InvalidateValues();
    // Builds the list again from 0x80 (a new module, another inverter).
    void Restart() { ReqState = rqReset; }

    // ---- window state
    void Minimised();
    void Restored();
    // The window closes: state 1, no save slots.
    void Closing();

    // ---- caption, settings, editing
    QString Caption() const;
    // The inverter selection; after OK the list is built for the chosen one.
    void DoSettings();
    // False when Row is no row.
    bool EditArgs(int Row, TOpEditArgs& Args) const;

    // ---- saving
    // 0 written; 1 nothing to save or cancelled; else the I/O code (reported).
    int SaveData(const QString& Name);
    void DoSaveAs() { SaveData(QString()); }

    // Texts, "???" when missing.
    QString text(int s, int i) const;
    QStringList textLines(int s, int i) const;

private:
    void reset();
    void freeRows();
    void setSaveSlots(bool On);
    void addRow(std::shared_ptr<Top_pararec> rec);
    void buildFailed();
    void finishParameter();
    int message(const QStringList& lines, int buttons, int icon, const QString& title,
                const QString& p1, const QString& p2 = QString(), int def = 0, int cancel = -1);

    std::vector<TOpRow> rows_;
    QPointer<TScheduler> sch_;
    std::shared_ptr<IOpParaInteraction> ui_;
    // The request last handed out; an answer to anything else (asked before
    // a rebuild) is dropped.
    bool asked_ = false;
    int askedState_ = 0;
    int askedTag_ = 0;
};
