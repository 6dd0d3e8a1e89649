#pragma once

// The Quintel-mode window of the main program without its widgets: the
// engine as a scheduler client for one inverter of the project, the rows it
// has learnt, the caption, the restart with its messages, and what copy,
// print and the value editor take from the table. TfrmCpWindow draws it and
// forwards the user's input.

#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "lists/window_tools.h"
#include "quintel/cp_interaction.h"
#include "quintel/cp_rows.h"
#include "quintel/quintel.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TVortalinPrj;
class TVortalinClpBrd;
class TfrmValEdit;
class TfrmCpWindow;

inline constexpr int kQuintelWindowCount = 10;

// The Quintel-mode windows of one owner (the main program's Quintel kind, a
// test) by entry; an empty entry is free.
using TQuintelWindows = std::array<QPointer<TfrmCpWindow>, kQuintelWindowCount>;

// What the Quintel-mode windows reach outside themselves: the main
// program's shared objects, the main form (new windows are placed below its
// bar), the value editor, inverter choice, print window and message box,
// and the windows of their owner, among which a new one takes its entry.
// The program's window set fills it; tests fill it with their own.
struct TCpWindowEnv : TWindowTools {
    TScheduler* Scheduler = nullptr;
    TVortalinPrj* Project = nullptr;
    const TVortalinText* Texts = nullptr;
    TVortalinClpBrd* ClpBrd = nullptr;
    TQuintelWindows* Windows = nullptr;
    QString AppName = QStringLiteral("Halvorn");
    QString VersionText;
    // Clock of the print header; unset: now.
    std::function<QDateTime()> Now;
};

// What the value editor is opened with for one entry.
struct TCpEditArgs {
    int SetSel = 0;
    int Inverter = 0;
    std::shared_ptr<TParaRec> Para;
    int32_t Value = 0;
    QString Label;
};

class TCpWindowCore : public QObject {
    Q_OBJECT
public:
    TCpWindowCore(TCpWindowEnv& Env, int Language, QObject* parent = nullptr);
    ~TCpWindowCore() override;

    tQuintel Engine;
    TCpRowModel Rows;
    int SchedSlot = -1;
    int InvAdr = -1;  // -1 while the window is being created
    int Language = 0;
    QStringList MsgLines;

    // The window: caption changed; before the engine's entries are freed
    // (an editor showing one of them lets go of it).
    std::function<void()> OnCaptionChanged;
    std::function<void()> OnReleaseEntries;

    // Registers with the scheduler for Owner (state 2, not polled).
    void Register(QObject* Owner);
    void Unregister();

    QString GetCaption() const;
    void SetInverter(int Adr);
    void Restart();

    // Scheduler client.
    void GetRequest(TReqRec& Req);
    void ResponseAvail(const TRecTel& Tel, int Tag);
    void InvListChanged();

    // Whether a description belongs to one of the engine's entries.
    bool OwnsPara(const TParaRec* Para) const;
    // The value editor's arguments for the entry of row Id; none without it.
    std::optional<TCpEditArgs> EditArgs(int Id) const;
    static int SetSelOfDef(int Def);

    // Copy: caption, header and rows; empty when the table is empty. The
    // set column is left out while it is hidden.
    QStringList CopyLines() const;
    void CopyToClipboard();
    // The print job of the table (the set column always, width 0 when hidden).
    TCpPrintJob PrintJob() const;

    QString ValueText(const tCpEntry& e) const;
    int Message(const QStringList& Lines, const QString& Title, int Icon, const QString& P1 = {},
                const QString& P2 = {}) const;

private:
    QString text(int s, int i) const;
    QStringList lines(int s, int i) const;
    void queueMessage(const QStringList& Lines, const QString& P1, const QString& P2);
    void appendRows();

    TCpWindowEnv& env_;
    QObject* owner_ = nullptr;
};
