#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Start-up fitting shared by the small editor windows: the client area grows
// to hold the OK button (its bottom plus 5), and a window too narrow for
// the Cancel button gets both buttons moved in from the right edge.
struct TToolEditorFit {
    int clientHeight = 0;
    QRect ok;
    QRect cancel;
};

TToolEditorFit FitToolEditor(QSize client, QRect ok, QRect cancel);

// Applies FitToolEditor to a window and its two buttons.
void ApplyToolEditorFit(QWidget& form, QWidget& ok, QWidget& cancel);
