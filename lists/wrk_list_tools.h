#pragma once

// The tool windows a work-list window opens: the editors, the inverter
// choice and the print window of the program's set (lists/window_tools.h).
// The main program hands its set to the work-list manager, which hands it
// to every window it opens; one that is not set is not opened.

#include "lists/window_tools.h"

using TWrkListTools = TWindowTools;
