#pragma once

#include "lists/op_para.h"
#include "mainwin/window_kinds.h"

class TFMain;

// The operator-parameter windows as the main window reaches them: opened
// for an inverter from the menu entry and at restore, redrawn when the
// hexadecimal display changes. They open the value editor given.
class TOpParaKind : public IWindowKind {
public:
    TOpParaKind(TFMain& Main, TfrmValEdit* ValEdit);

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    void HexDisplayChanged() override;

private:
    TOpParaEnv env_;
};
