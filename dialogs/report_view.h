#pragma once

// The report view the list windows show their lines in (download list,
// work list, operator parameters, Quintel mode): one row a line, selected
// whole, read-only, no grid, no row numbers, headers that do not sort.

#include <QAbstractItemView>

class QAbstractItemModel;
class QTableView;

void SetUpReportView(QTableView* View, QAbstractItemModel* Rows, QAbstractItemView::SelectionMode Mode);

// A list of parameter lines besides (download and work lists): rows one
// text line high, texts not wrapped, a horizontal scroll bar when needed,
// headers not highlighted, and the marked lines shown also while another
// window is active.
void SetUpLineListView(QTableView* View);
