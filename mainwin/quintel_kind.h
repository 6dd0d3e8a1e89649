#pragma once

#include "mainwin/window_kinds.h"
#include "quintel/cp_window_core.h"

// The Quintel-mode windows as the main window reaches them: opened for an
// inverter from the menu entry with the tools given; the print header names
// the program from the settings. The windows still open are freed with this
// object.
class TQuintelKind : public IWindowKind {
public:
    explicit TQuintelKind(const TWindowTools& Tools);
    ~TQuintelKind() override;
    TQuintelKind(const TQuintelKind&) = delete;
    TQuintelKind& operator=(const TQuintelKind&) = delete;

    const TQuintelWindows& Windows() const { return windows_; }

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    void TextsChanged(const TVortalinText& Texts, const TProgCfg& Cfg) override;

private:
    TQuintelWindows windows_;
    TCpWindowEnv env_;
};
