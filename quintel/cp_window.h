#pragma once

// The Quintel-mode window of the main program: the table of one inverter's
// Quintel entries, kept current through the scheduler. Up to ten are open
// at a time (QuintelWindows). The logic is TCpWindowCore; this class draws
// it and forwards what the user does.

#include "dialogs/context_item.h"
#include "dialogs/operating_funcs.h"
#include "quintel/cp_window_core.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>

class QTableView;
class TfrmCpWindow;

// Shows the window for inverter `a` (negative: 0) among Env.Windows:
// restarts the window of that inverter found before the first free entry,
// or creates one in the first free entry; null when all ten hold other
// inverters. A new window uses the shared objects and dialogs in Env.
TfrmCpWindow* ShowQuintelWindow(const TCpWindowEnv& Env, int a, int Language);
// Top left corner of a new window in entry i below a main bar whose bottom
// edge is at mainBottom.
QPoint CpWindowPos(int i, int mainBottom);

class TfrmCpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 588;
    static constexpr int DefaultHeight = 427;

    TfrmCpWindow(const TCpWindowEnv& Env, int a, int Language, QWidget* parent = nullptr);
    ~TfrmCpWindow() override;

    const TCpWindowEnv& Env() const { return env_; }
    TCpWindowCore& Core() { return core_; }
    tQuintel& Engine() { return core_.Engine; }
    int InvAdr() const { return core_.InvAdr; }

    TOperatingFuncs OpFuncs;
    TContextList ContextItems;

    QString GetCaption() const { return core_.GetCaption(); }
    void Restart() { core_.Restart(); }
    void SelectInverter();
    void CopyToClipboard() { core_.CopyToClipboard(); }
    void Print();
    // Opens the value editor for the selected row.
    void EditSelected();
    // Hands the operation slots and context commands to the main window.
    void Activated();

    QTableView* ListView1 = nullptr;

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void applyWidths();
    void updateCaption();
    void releaseEditor();
    bool editorShown() const;

    TCpWindowEnv env_;
    TCpWindowCore core_;
};
