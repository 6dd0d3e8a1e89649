#pragma once

#include <Qt>

class QObject;
class TDragDrop;

// Runs the drag that `dd` was filled for (TDragDrop::Start) from `source`
// and empties the object when it ends, whatever the outcome. Nothing
// happens when the object carries nothing.
Qt::DropAction ExecDrag(TDragDrop& dd, QObject* source);
