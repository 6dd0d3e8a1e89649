#pragma once

#include "mainwin/window_kinds.h"

// The work lists as the main window reaches them: a new list or a list file
// opened through the work-list manager and brought to the front.
class TWrkListKind : public IWindowKind {
public:
    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
};
