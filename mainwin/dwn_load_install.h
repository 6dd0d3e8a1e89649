#pragma once

// The download-list windows in the main program: the main window's entries
// and hooks that open them (new list, open, restore, parameter save) and
// refresh them (hexadecimal display), with the tool windows they use.

#include "lists/dwn_load_env.h"

class TFMain;

// Tools: the single editors and the print window (MainWindow is set
// here). The parameter save asks for the inverter with the program's
// inverter selection.
void InstallDwnLoad(TFMain& Main, const TDwnLoadShared& Tools);
