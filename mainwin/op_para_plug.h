#pragma once

class TFMain;
class TfrmValEdit;

// Joins the operator-parameter windows and the project dialog to the main
// window: the menu entries and tool button that open them, the restore of
// a saved operator window, the hexadecimal-display switch and the texts
// pushed at start-up. Called by the program's entry before the main window
// is shown; the operator windows open the value editor given.
void PlugOpParaAndPrjEdit(TFMain& Main, TfrmValEdit* ValEdit);
