#pragma once

#include "lists/op_para.h"
#include "mainwin/window_kinds.h"

// The operator-parameter windows as the main window reaches them: opened
// for an inverter from the menu entry and at restore, redrawn when the
// hexadecimal display changes. They open with the tools given; the windows
// still open are freed with this object.
class TOpParaKind : public IWindowKind {
public:
    explicit TOpParaKind(const TWindowTools& Tools);
    ~TOpParaKind() override;
    TOpParaKind(const TOpParaKind&) = delete;
    TOpParaKind& operator=(const TOpParaKind&) = delete;

    const TOpParaWindows& Windows() const { return windows_; }

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    void HexDisplayChanged() override;

private:
    TOpParaWindows windows_;
    TOpParaEnv env_;
};
