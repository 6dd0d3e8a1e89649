#pragma once

#include "mainwin/window_kinds.h"

#include <memory>

class TFMain;
struct TWindowTools;
class TScope;
class TSetScopeEditorsDlg;

// The scope, one window for the whole run, as the main window reaches it:
// shown for an inverter and a recording, redrawn when the hexadecimal
// display changes. Its set-up dialog edits with the address and value
// editors and the inverter choice given.
class TScopeKind : public IWindowKind {
public:
    TScopeKind(TFMain& Main, const TWindowTools& Tools);
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
