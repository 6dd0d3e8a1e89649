#pragma once

#include "lists/dwn_load_env.h"
#include "mainwin/window_kinds.h"

// The download-list windows as the main window reaches them: a new list,
// a list file opened or restored, an open list brought to the front, the
// parameter save through a complete list and the hexadecimal display. The
// windows open with the tools given; those still there are freed with this
// object.
class TDwnLoadKind : public IDwnLoadKind {
public:
    explicit TDwnLoadKind(const TWindowTools& Tools);

    const TDwnLoadWindows& Windows() const { return windows_; }

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
    QWidget* ShowFile(int Inv, int Lng, const QString& FileName) override;
    void SaveParas(int Inv, int Lng) override;
    void HexDisplayChanged() override;

private:
    TDwnLoadWindows windows_;
    TDwnLoadShared tools_;
};
