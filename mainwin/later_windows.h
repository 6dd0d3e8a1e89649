#pragma once

#include <QString>

#include <functional>

class QWidget;
class TProgCfg;
class TVortalinText;

// Where the windows the main window starts, shows and feeds but that this
// program does not hold yet plug in. Each is set by the module that brings
// the window (before the main window is shown); an unset one leaves its menu
// entry and tool button disabled and is skipped by start-up, restore and
// settings changes. `Inv` is an inverter address, `Lng` the setting lng.
struct TLaterWindows {
    // Start-up: the windows' texts and settings (explorer, work-list
    // manager, project dialogs); also called with every settings change for
    // the values they take at once.
    std::function<void(const TVortalinText& Texts, const TProgCfg& Cfg)> PushTexts;
    std::function<void(const TProgCfg& Cfg)> SettingsChanged;

    // Work lists (TWrkLists.OpenList): the window, null when none opened.
    std::function<QWidget*(const QString& FileName)> OpenWorkList;
    // Download lists (CreateDwnLoad), and the window of a list file: an
    // open one of that file takes the focus, else one opens.
    std::function<QWidget*(int Inv, int Lng, const QString& FileName)> CreateDwnLoad;
    std::function<QWidget*(int Inv, int Lng, const QString& FileName)> ShowDwnLoadFile;
    // Parameter save through a complete download list.
    std::function<void()> SaveParas;
    // Scope (ShowScope).
    std::function<QWidget*(int Inv, int Lng, const QString& FileName)> ShowScope;
    // Operator parameters (CreateOpPara).
    std::function<QWidget*(int Inv, int Lng)> CreateOpPara;
    // Quintel-mode window (ShowQuintelWindow).
    std::function<QWidget*(int Inv, int Lng)> ShowQuintelWindow;
    // Fieldbus test window.
    std::function<void()> ShowFbs;
    // Project edit dialog (TVortalinPrj.EditPrj with -1).
    std::function<void()> EditPrj;

    // Project explorer: show it (rebuilding its tree first when asked), the
    // inverter selected in it, and the project-event updates.
    std::function<QWidget*(bool RebuildTree)> ShowPrjExpl;
    std::function<int()> CurrentInv;
    std::function<void(int InvAdr, int NewState)> SetInvState;
    std::function<void()> UpdatePrjProps;
    std::function<void()> UpdateFileLists;
    std::function<void()> UpdateInvNames;

    // Hexadecimal display changed: the windows that show values redraw.
    std::function<void()> HexDisplayChanged;
};
