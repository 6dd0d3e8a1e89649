#pragma once

#include <QString>

class TVortalinText;

// The files the start-up picks by the program language. `appPath` is used
// as it is (it ends with a separator).

// "lngprog" + letter + ".srb", else the first installed of e, d, i, f, s,
// r, a; empty when none is installed.
QString ChooseLanguageFile(const QString& appPath, int progLng);

// "Halvorn" + letter + ".html", else "Halvorne.html"; empty when neither
// exists (the program has no help then).
QString ChooseHelpFile(const QString& appPath, int progLng);

// The open dialog's filter in "Description|pattern|..." form, texts from
// section 5 of the language texts.
QString OpenDialogFilter(const TVortalinText& texts);

// What the command line names, by the extension as written (no case
// folding): nothing, a download list, a scope recording, or a project.
enum TCmdLineKind { clNone, clDownList, clScope, clProject };
TCmdLineKind ClassifyCommandLine(const QString& param);

// Which entries of the help menu the setting NoAdvHelpMenu leaves visible.
struct THelpMenuVisibility {
    bool miInhalt = true, miHowTo = true, N8 = true, miInvManuals = true, N9 = true;
};
THelpMenuVisibility HelpMenuVisibility(int noAdvHelpMenu);
