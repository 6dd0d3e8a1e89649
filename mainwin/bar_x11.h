#pragma once

// The bar's hints to an X11 window manager. Like a panel, the bar reserves
// the strip from the screen's top down to its frame's bottom edge
// (_NET_WM_STRUT_PARTIAL, and _NET_WM_STRUT for older managers), so that
// the manager keeps maximised and newly placed windows below it. And it
// offers no resize function (_MOTIF_WM_HINTS): its height is fixed, and a
// manager draws a resize handle below the tool bar of a window it may
// resize. Other window systems (offscreen, Wayland) get neither.

#include <QRect>

class QWidget;

// The top edge of _NET_WM_STRUT_PARTIAL in the root window's device pixels:
// the rows reserved from the top and the columns they span. No rows: none.
struct TBarStrut {
    int Rows = 0;
    int StartX = 0;
    int EndX = 0;
    bool operator==(const TBarStrut&) const = default;
};

// The strut of a bar whose frame is BarFrame (device-independent pixels;
// Scale: the device pixel ratio).
TBarStrut BarStrut(const QRect& BarFrame, qreal Scale);

// Sets Strut on the top-level Window (no rows: removes it). False where the
// window system is not X11 or the X server named no atom for the property.
bool SetX11Strut(QWidget* Window, const TBarStrut& Strut);
// Takes the resize function (and the resize handle) out of the Motif hints
// Qt gave the top-level Window. False where the window system is not X11 or
// the X server named no atom for the property.
bool SetX11NoResize(QWidget* Window);
