#pragma once

class TFMain;
class TFPrjExpl;

// Joins the project explorer to the main window: creates it hidden, shows
// it from the menu entry and tool button, pushes texts and settings, hands
// it the project events and takes its inverter as the current one of the
// menu commands. Called by the program's entry before the main window is
// shown; returns the explorer (owned by the main window).
TFPrjExpl* PlugPrjExpl(TFMain& Main);
