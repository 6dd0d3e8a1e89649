#pragma once

#include "comm/tel_records.h"

#include <QString>
#include <QStringList>

// Everything the project shows to the user and asks of the user: questions
// and messages, the save dialog, the configuration choice, the inverter
// dialog and the add-file question. The project has no widgets; the program
// installs the implementation with the real dialogs (dialogs/), tests
// install a scripted one. Progress goes through the configuration list's
// IProgress (TVortalinCfgList::Progress), which the same program code
// installs.

class TPrjEditRows;

// Icon codes of a message; the same numbers as the message dialog's icons.
enum TPrjMsgIcon {
    pmiWarning = 1,
    pmiError = 2,
    pmiInformation = 3,
    pmiConfirmation = 4,
    pmiNone = 5,
};

// What the inverter dialog shows and gives back.
struct TInvEditData {
    QString InvName;
    int InvAdr = 0;
    int CfgId = 0;
    TProt Prot = prOffline;
    // Which fields the user may change.
    bool EditName = true;
    bool EditAdr = true;
    bool EditCfg = true;
    bool EditProt = true;
};

// What the save dialog is opened with.
struct TSaveDlgOptions {
    QString DefaultExt;   // without the dot, e.g. "pr5"
    QString Filter;       // "Description|pattern|Description|pattern..."
    int FilterIndex = 1;  // 1-based
    QString InitialDir;
    QString FileName;     // name the dialog is preset with; empty: none
};

class IPrjInteraction {
public:
    virtual ~IPrjInteraction() = default;

    // A message with buttons, as the program's message dialog shows it:
    // Msg lines with "@P1".."@P3", button captions (glyph prefix allowed),
    // Icon a TPrjMsgIcon. Returns the index of the pressed button; Cancel
    // (or -1) when the dialog was closed.
    virtual int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                        int Icon, const QString& P1, const QString& P2, const QString& P3,
                        int Default, int Cancel) = 0;

    // The save dialog: the chosen path, empty when cancelled. It never asks
    // about overwriting; the project does that itself.
    virtual QString ChooseSaveFile(const TSaveDlgOptions& Options) = 0;

    // The configuration choice for an inverter address: the chosen number,
    // 0 for the automatic choice (only offered with AllowAuto), -1 when
    // cancelled or nothing can be chosen.
    virtual int ChooseCfg(int InvAdr, bool AllowAuto) = 0;

    // The inverter dialog: true when closed with OK; Data then holds what
    // the user entered.
    virtual bool EditInv(TInvEditData& Data) = 0;

    // The add-file question for FileName with the given choices (item 0 the
    // whole project, then one per inverter, each beginning with its address
    // followed by a blank): -1 whole project, 0..239 an inverter, -2
    // cancelled.
    virtual int AskAddFile(const QString& FileName, const QStringList& Choices) = 0;

    // The project dialog, run modally on Rows (filled by the project):
    // true when closed with OK. Without a dialog it counts as cancelled.
    virtual bool EditPrj(TPrjEditRows& Rows)
    {
        (void)Rows;
        return false;
    }
};

// Used until the program installs its dialogs: every question is answered
// as if the user cancelled it, nothing is chosen.
class NoPrjInteraction final : public IPrjInteraction {
public:
    int Message(const QStringList&, const QStringList&, const QString&, int, const QString&,
                const QString&, const QString&, int, int Cancel) override
    {
        return Cancel;
    }
    QString ChooseSaveFile(const TSaveDlgOptions&) override { return QString(); }
    int ChooseCfg(int, bool) override { return -1; }
    bool EditInv(TInvEditData&) override { return false; }
    int AskAddFile(const QString&, const QStringList&) override { return -2; }
};
