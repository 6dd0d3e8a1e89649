#pragma once

// A download list's questions and progress with the program's dialogs: the
// message dialog with the main window's button lists, the save dialog, the
// transfer progress window and the user-step wait window.

#include "lists/dwn_interaction.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class TProgress;
class TfrmProgress;
class TVortalinText;

// The five button lists of the message dialog: the main window's, or
// built from the language texts while it has none.
QStringList DwnButtonList(const TVortalinText* Texts, int List);

class TDwnLoadDlg : public IDwnInteraction {
public:
    TDwnLoadDlg(const TVortalinText* Texts, QWidget* Parent);
    ~TDwnLoadDlg() override;

    int Message(const TDwnMessage& Msg) override;
    QString ChooseSaveFile(const TDwnSaveDlg& Dlg) override;
    int ChooseInverter(const QString& Caption, int InvAdr) override;
    IProgress& Progress() override;
    void ShowWait(const QString& Caption, const QString& Text, int Max) override;
    void UpdateWait(int Remaining) override;
    void HideWait() override;
    void BusyCursor(bool On) override;

    // The save dialog's filter (text (5,18) lists, then (5,41)).
    QString SaveFilter;
    // The modal inverter selection; unset: counts as cancelled.
    std::function<int(const QString& Caption, int InvAdr)> InvSelDlg;

private:
    const TVortalinText* texts_;
    QPointer<QWidget> parent_;
    std::unique_ptr<TfrmProgress> progress_;
    std::unique_ptr<TProgress> wait_;
    int busy_ = 0;
};
