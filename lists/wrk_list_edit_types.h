#pragma once

#include "config/clpbrd_content.h"
#include "config/drag_drop.h"
#include "lists/list_print_job.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The list menu of a work-list window as it opens.
struct TWrkListMenuState {
    // The add/remove item: enabled with a file; Add: the caption is the
    // add text (the file is not in the project, or there is no file).
    bool AddToPrjEnabled = false;
    bool AddToPrjIsAdd = true;
    // Steps that need a focused row; without one the items stay as they were.
    bool HasFocusedRow = false;
    bool EditInv = false, EditAdr = false, EditSet = false, EditRem = false, EditVal = false;
    bool CutCopyDelete = false;
};

// A work list's print.
using TWrkPrintJob = TListPrintJob;

// The column under a press at x (viewport coordinates): the column whose
// span, summed from the first column's left edge, strictly contains x;
// 5 on a boundary or outside every column.
int WrkClickedColumn(int x, int firstColumnLeft, const std::array<int, 7>& widths);
