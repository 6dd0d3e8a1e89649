#pragma once

// The download-list windows in the main program: the main window's entries
// and hooks that open them (new list, open, restore, parameter save) and
// refresh them (hexadecimal display), with the tool windows they use.

#include "lists/dwn_load_env.h"

#include <functional>

class TFMain;

// Tools: the single editors and the print window (MainWindow is set
// here). InvSel: the modal inverter selection of the parameter save
// (caption, preset address) giving the address or -1; unset leaves the
// parameter save disabled.
void InstallDwnLoad(TFMain& Main, const TDwnLoadShared& Tools,
                    std::function<int(const QString& Caption, int InvAdr)> InvSel = {});
