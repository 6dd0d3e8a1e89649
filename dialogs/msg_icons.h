#pragma once

#include <QPixmap>

// The four pictures of the message dialog (warning, error, information,
// question), 32 x 32, drawn here so that they look the same on every
// desktop and exist even where the platform has no icon theme.
// Returns a null pixmap for any other icon code.
QPixmap MsgIconPicture(int iconCode);
