#pragma once

#include "lists/dwn_load_env.h"
#include "mainwin/window_kinds.h"

class TEditorWindows;
class TFMain;

// The download-list windows as the main window reaches them: a new list,
// a list file opened or restored, an open list brought to the front, the
// parameter save through a complete list and the hexadecimal display. The
// windows use the program's single editors and print window.
class TDwnLoadKind : public IDwnLoadKind {
public:
    TDwnLoadKind(TFMain& Main, const TEditorWindows& Editors);

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    QWidget* ShowFile(int Inv, int Lng, const QString& FileName) override;
    void SaveParas(int Inv, int Lng) override;
    void HexDisplayChanged() override;

private:
    TDwnLoadShared tools_;
};
