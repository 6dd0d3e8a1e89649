#pragma once

// What a download-list window is given besides the program's shared
// objects (dialogs/shared_objects.h): the main form and the tool windows,
// and the windows of its owner, among which it takes its number.

#include "lists/dwn_load_windows.h"
#include "lists/window_tools.h"

struct TDwnLoadShared : TWindowTools {
    TDwnLoadWindows* Windows = nullptr;
};
