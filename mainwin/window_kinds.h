#pragma once

// How the main window reaches the kinds of windows it opens: one small
// interface a kind, registered in one table (TWindowKinds) by the program's
// entry before the main window is shown. `Inv` is an inverter address,
// `Lng` the setting lng.

#include "project/vortalin_prj.h"

#include <array>

class QString;
class QWidget;
class TProgCfg;
class TVortalinText;

class IWindowKind {
public:
    virtual ~IWindowKind() = default;
    // Shows the kind's window for the inverter, language and file (empty:
    // none), creating it when needed; the window, null when none opened.
    virtual QWidget* Show(int Inv, int Lng, const QString& FileName) = 0;
    // Start-up: the language texts and settings. Later, every settings change.
    virtual void TextsChanged(const TVortalinText&, const TProgCfg&) {}
    virtual void SettingsChanged(const TProgCfg&) {}
    // The hexadecimal display was switched: shown values are redrawn.
    virtual void HexDisplayChanged() {}
    // The project's events: its change bits, an inverter's new state.
    virtual void ProjectChanged(TPrjChanges) {}
    virtual void InvStateChanged(int, int) {}
};

// The project explorer also names the current inverter of the menu
// commands and rebuilds its tree for a restored project.
class IPrjExplKind : public IWindowKind {
public:
    virtual int CurrentInv() const = 0;
    virtual void RebuildTree() = 0;
};

// Download lists also bring an open list's window to the front and save an
// inverter's parameters through a complete list.
class IDwnLoadKind : public IWindowKind {
public:
    // An open window of that list file takes the focus, else one opens.
    virtual QWidget* ShowFile(int Inv, int Lng, const QString& FileName) = 0;
    virtual void SaveParas(int Inv, int Lng) = 0;
};

struct TWindowKinds {
    IPrjExplKind* PrjExpl = nullptr;
    IWindowKind* OpPara = nullptr;
    IWindowKind* Scope = nullptr;
    IWindowKind* WrkList = nullptr;
    IDwnLoadKind* DwnLoad = nullptr;
    IWindowKind* Quintel = nullptr;

    // Every kind, for what the main window tells them all.
    std::array<IWindowKind*, 6> All() const { return {PrjExpl, OpPara, Scope, WrkList, DwnLoad, Quintel}; }
};
