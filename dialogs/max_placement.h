#pragma once

// Maximised child windows of the main program fill the desktop work area
// below the main bar, not the whole screen. A window manager keeps a
// maximised window at its own size, so a maximise request is answered as
// the bar answers its own: the window gives up the manager's maximised
// state and is placed below the bar. It still counts as maximised (the
// saved window layout records it so) until it is moved or resized. Where
// the window manager's work area already starts below the bar (the bar
// reserves its strip), its own maximised state is left as it is.

#include <QMargins>
#include <QRect>

class QWidget;

// The outer bounds of a maximised window: the work area from the bar's
// bottom edge (its frame's top + height) down, with the work area's left,
// width and bottom. A bar above the work area counts from its top; a bar
// that leaves no room below it (or none, an empty rectangle) gives the
// whole work area.
QRect MaxPlacementFrame(const QRect& WorkArea, const QRect& BarFrame);
// The same as client geometry of a window whose frame has Frame margins.
QRect MaxPlacementGeometry(const QRect& WorkArea, const QRect& BarFrame, const QMargins& Frame);

// The bar maximised windows go below: the main window sets itself when it
// is created. Without one a maximise request is left to the window manager.
void SetMaxPlacementBar(QWidget* Bar);
QWidget* MaxPlacementBar();

// Makes the maximise requests of the top-level Window place it below the
// bar (after the request's own state-change event has been handled).
void InstallMaxPlacement(QWidget* Window);
// Window was placed by a maximise request and has kept that geometry.
bool IsMaxPlaced(const QWidget* Window);
// Maximised for the saved layout: placed, or maximised by the window
// manager.
bool CountsAsMaximised(const QWidget* Window);
