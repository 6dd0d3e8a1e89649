#pragma once

#include "mainwin/window_kinds.h"

struct TWindowTools;

// The work lists as the main window reaches them: a new list or a list file
// opened through the work-list manager and brought to the front. The
// windows open the tool windows given, handed to the manager here.
class TWrkListKind : public IWindowKind {
public:
    explicit TWrkListKind(const TWindowTools& Tools);

    QWidget* Show(int Inv, int Lng, const QString& FileName) override;
};
