#pragma once

#include "mainwin/window_kinds.h"

#include <memory>

class TEditorWindows;
class TFMain;
class TScope;
class TSetScopeEditorsDlg;

// The scope, one window for the whole run, as the main window reaches it:
// shown for an inverter and a recording, redrawn when the hexadecimal
// display changes. Its set-up dialog edits with the program's address and
// value editors and its inverter selection.
class TScopeKind : public IWindowKind {
public:
    TScopeKind(TFMain& Main, TEditorWindows& Editors);
    ~TScopeKind() override;
    TScopeKind(const TScopeKind&) = delete;
    TScopeKind& operator=(const TScopeKind&) = delete;

    TScope* Window() const { return scope_; }

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    void HexDisplayChanged() override;

private:
    std::unique_ptr<TSetScopeEditorsDlg> editors_;
    TScope* scope_ = nullptr;
};
