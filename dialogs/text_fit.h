#pragma once

// Texts that fit their controls. Window layouts give controls the sizes
// measured for a narrower font than a Linux desktop's; a control whose text
// needs more room grows (never shrinks), and so do the controls and windows
// around it, in every language.

#include <QList>
#include <QString>

class QWidget;

struct TCutText {
    QWidget* Control = nullptr;
    QString Text;
    int Needed = 0;  // pixels the text needs
    int Room = 0;    // pixels the control gives it
};

// The texts that the shown (or to be shown) controls of Window cut: labels,
// buttons, check boxes, radio buttons, group box titles, tab bars that need
// scroll arrows, column headers, choice lists, read-only fields, the rows of
// a tree in a splitter pane narrower than they are, and the window caption.
// A label that elides (elided_label.h) cuts nothing.
QList<TCutText> FindCutTexts(QWidget* Window);

// Grows what FindCutTexts finds. A control placed by coordinates grows to
// the right; what lies right of its old right edge in the same parent moves
// along, what spans that edge widens with it, and the parent grows, up to
// the window. A window wider than the work area is not made. A splitter pane
// takes the room its rows need from the other panes.
void FitTexts(QWidget* Window);

// From now on every top-level window of the program fits its texts when it
// is shown. The programs' entries call it once.
void InstallTextFit();

// "Window/Control: "text" needs N, has M" lines for a report.
QString DescribeCutTexts(const QList<TCutText>& Cuts);
