#pragma once

// The scope set-up dialog's logic without widgets: a copy of the five setup
// slots and the notes, the texts of every field, the field handlers with
// their limits, AUTO, the channel commands through the shared editors, and
// applying an accepted copy to the scope.

#include "scope/scope_setup.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class TParaRec;
class TScopeDisplay;
class TScopeEngine;
class TVortalinPrj;
class TVortalinText;

// The editors the dialog opens modally; the program installs the real ones,
// tests scripted ones. Results: 1 OK, anything else cancelled.
class ISetScopeEditors {
public:
    virtual ~ISetScopeEditors() = default;
    virtual int EditAddressModal(int Inverter, const QString& Description, int16_t& Address) = 0;
    // ShowHidden: any value of the parameter may be chosen, also of one
    // that is not writable.
    virtual int EditValueModal(const TParaRec* Para, const QString& Label, int32_t& Value,
                               bool ShowHidden) = 0;
    virtual int SelectInv(const QString& Prompt, int& Inverter) = 0;
    // Colour 0x00BBGGRR; false when cancelled.
    virtual bool ChooseColour(uint32_t& Colour) = 0;
    // A modeless edit in one of the shared editors ends: the dialog uses
    // them modally.
    virtual void CloseEditors() {}
};

class TSetScopeCore {
public:
    enum Page { pgMode = 0, pgX = 1, pgChanA = 2, pgTrigger = 6, pgOffline = 7, pgNotes = 8 };

    TScopeSetup Setup;  // the copy
    QStringList Notes;
    int Language = 0;
    int PageIndex = 0;
    int OfflineBase = -1;
    // Descriptions of offline base + 4, + 5, + 6 (none when missing).
    std::array<const TParaRec*, 3> OflDesc{nullptr, nullptr, nullptr};

    TVortalinPrj* Project = nullptr;
    const TVortalinText* Texts = nullptr;
    const TScopeEngine* Scope = nullptr;  // its ring for AUTO
    ISetScopeEditors* Editors = nullptr;
    QChar Separator = u'+';
    bool ShowDecValue = false;

    // Takes the scope's slots, notes and language.
    void Load(const TScopeEngine& Eng, int Page);
    // The offline block of channel A's inverter.
    void UpdateOffline();

    QString Text(int Section, int Index) const;
    QString GetYOfs(int k) const;
    QString GetYFac(int k) const;
    QString GetParaName(int k) const;
    QString InvName(int k) const;
    QString TrigLevelText() const;  // empty when the level box is disabled
    QString OfflineText(int i) const;  // i 0..2: time base, trigger, position
    // Raw units of one display unit of the channel's parameter.
    int32_t Step(int k) const;

    // Field handlers (texts as typed).
    void SetTimeBase(const QString& Text);
    void SetMaxReadTime(const QString& Text);
    void SetReadCycle(const QString& Text);
    void SetTrigDelay(const QString& Text);
    void SetSetField(int k, const QString& Text);
    void StepSet(int k, bool Up);
    // False when the parameter's conversion rejects the text.
    bool SetYOffset(int k, const QString& Text);
    bool SetYFactor(int k, const QString& Text);
    void StepYOffset(int k, bool Up);
    void StepYFactor(int k, bool Up);
    void SetTrigChannelItem(int Item) { Setup.TrigChannel() = std::clamp(Item - 1, -1, 3); }
    void SetTrigSlopeItem(int Item) { Setup.TrigSlope() = std::clamp(Item, 0, 3); }
    void SetXYMode(bool Checked, int Item) { Setup.XYChannel() = Checked ? std::clamp(Item + 1, 1, 4) : 0; }
    void ChooseOnline();
    void ChooseOffline();

    // Channel commands (true when something changed).
    bool ChangeParaName(int k);
    bool ChangeInverter(int k);
    // Which: 0..3 a channel, 4 background, 5 grid.
    bool ChangeColour(int Which);
    void ChannelOff(int k);
    bool Auto(int k);
    // Tag 1 trigger level, 2..4 offline time base, trigger, position.
    bool EditValue(int Tag);

    // OK: the copy becomes the scope's setup (Display may be null when no
    // window shows it). True when the max read time lies below the trigger
    // delay, which the caller reports.
    bool ApplyTo(TScopeEngine& Eng, TScopeDisplay* Display) const;

private:
    const TParaRec* paraAt(int inv, int adr) const;
};
