#pragma once

// What the operator-parameter window shows to and asks of the user. The
// logic (op_para_core.h) has no widgets: the window installs the real
// dialogs, tests a scripted implementation.

#include "lists/dwn_interaction.h"
#include "project/prj_interaction.h"

#include <QString>
#include <QStringList>

class IOpParaInteraction {
public:
    virtual ~IOpParaInteraction() = default;
    // Msg.Buttons names one of the program's button lists; the index of the
    // pressed button, Cancel (or -1) when the dialog was closed.
    virtual int Message(const TDwnMessage& Msg) = 0;
    // The save dialog; empty when cancelled. It never asks about
    // overwriting.
    virtual QString ChooseSaveFile(const TSaveDlgOptions& Options) = 0;
    // The modal inverter selection starting at InvAdr: the chosen address,
    // -1 when not closed with OK.
    virtual int ChooseInverter(const QString& Caption, int InvAdr) = 0;
};

// Until the program installs its dialogs: every question is cancelled.
class NoOpParaInteraction final : public IOpParaInteraction {
public:
    int Message(const TDwnMessage& Msg) override { return Msg.Cancel; }
    QString ChooseSaveFile(const TSaveDlgOptions&) override { return QString(); }
    int ChooseInverter(const QString&, int) override { return -1; }
};
