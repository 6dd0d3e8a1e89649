#pragma once

// Where a window that opens "in the screen centre" goes on a desktop with a
// main bar at the top of the work area: centred on the work area (the
// screen less panels and docks), moved down below the bar when it would
// cover it, and kept inside the work area where it fits.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// The frame rectangle for a window whose frame (decorations included) has
// FrameSize. An empty BarFrame means there is no bar to keep clear of.
QRect CentredFrame(const QRect& WorkArea, const QRect& BarFrame, const QSize& FrameSize);
// The same centred over the frame rectangle Over (the window a dialog
// serves) in place of the work area's centre, and kept inside the work
// area at the right as well where it fits.
QRect CentredFrameOver(const QRect& WorkArea, const QRect& BarFrame, const QRect& Over, const QSize& FrameSize);

// Fits the texts of the top-level Window (text_fit.h) and moves it so that its frame is CentredFrame of its
// screen's work area and the main bar (MaxPlacementBar). Before the window
// is first shown its decorations are not known yet; the bar's own are taken
// as the estimate, since the same window manager draws both.
void CentreOnWorkArea(QWidget* Window);
// Moves the top-level Window at its present size so that its frame is
// CentredFrameOver the frame of Over; with no Over (or a hidden one, the
// bar, the window itself) centred on the work area.
void PlaceCentredOver(QWidget* Window, const QWidget* Over);
// Moves the top-level Window so that its frame's top-left corner is Corner,
// also while the window manager has not framed it yet (the bar's frame is
// then the estimate of its decorations).
void MoveFrameTo(QWidget* Window, const QPoint& Corner);

// The decorations around the top-level Window's inside; null while the
// window manager has not framed it.
QMargins FrameMargins(const QWidget* Window);
// The same, and before the window is framed the bar's (MaxPlacementBar) as
// the estimate, since the same window manager draws both.
QMargins EstimatedFrameMargins(const QWidget* Window);
