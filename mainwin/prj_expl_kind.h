#pragma once

#include "mainwin/window_kinds.h"

class TFMain;
struct TWindowTools;
class TFPrjExpl;

// The project explorer as the main window reaches it: created hidden (owned
// by the main window), shown from the menu entry and tool button, given
// texts, settings and the project events; its inverter is the current one
// of the menu commands. It edits with the program's value and set editors.
class TPrjExplKind : public IPrjExplKind {
public:
    TPrjExplKind(TFMain& Main, const TWindowTools& Tools);

    TFPrjExpl* Window() const { return w_; }

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    void TextsChanged(const TVortalinText& Texts, const TProgCfg& Cfg) override;
    void SettingsChanged(const TProgCfg& Cfg) override;
    void ProjectChanged(TPrjChanges Chg) override;
    void InvStateChanged(int InvAdr, int NewState) override;
    int CurrentInv() const override;
    void RebuildTree() override;

private:
    TFPrjExpl* w_;
};
