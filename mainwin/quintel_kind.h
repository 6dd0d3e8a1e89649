#pragma once

#include "mainwin/window_kinds.h"
#include "quintel/cp_window_core.h"

class TEditorWindows;
class TFMain;

// The Quintel-mode windows as the main window reaches them: opened for an
// inverter from the menu entry, with the program's value editor and print
// window; freed with this object.
class TQuintelKind : public IWindowKind {
public:
    TQuintelKind(TFMain& Main, TEditorWindows& Editors);
    ~TQuintelKind() override;

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;

private:
    TFMain& main_;
    TEditorWindows& editors_;
    // What the windows are created with, filled at each showing.
    TCpWindowEnv env_;
};
