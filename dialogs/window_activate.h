#pragma once

// A tool window that the program opens for the user to type into (the
// editors) has to become the active window as well: on X11 setFocus() on one
// of its fields does not move the keyboard away from the window the user was
// in, and a window manager need not give a newly mapped tool window the focus.

class QWidget;

// Raises Window and asks the window system to activate it once the show
// that is under way has gone through (called from its showEvent, or right
// after show()). Nothing happens when the window has been hidden meanwhile.
void ActivateWhenShown(QWidget* Window);
