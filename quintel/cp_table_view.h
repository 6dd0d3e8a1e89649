#pragma once

// The table both Quintel-mode windows show their entries in: one row an
// entry, selected whole and one at a time, read-only, no grid and no row
// numbers.

class QAbstractItemModel;
class QObject;
class QTableView;
class QWidget;

// A view named "ListView1" on rows, owned by parent; keys reach
// keyFilter first (Enter opens the value editor).
QTableView* NewCpTableView(QAbstractItemModel* rows, QWidget* parent, QObject* keyFilter);
