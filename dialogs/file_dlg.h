#pragma once

// The programs' file dialogs: Qt's own dialog in every desktop (its labels
// and buttons follow the program's language through Qt's translations,
// qt_translations.h; a desktop's native dialog would speak the desktop's),
// titled as the language file says, and placed centred over the window it
// serves, or on the work area, below the main bar.

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;
struct TSaveDlgOptions;

enum TFileDlgKind : int { fdOpen = 0, fdSave = 1 };

// The titles the program's language file has for its open and save
// dialogs; empty: Qt's own.
void SetFileDlgTitles(const QString& Open, const QString& Save);
QString FileDlgTitle(TFileDlgKind Kind);

// Sets Dlg up as one of the program's file dialogs of that kind. Served:
// the window it serves; null or the bar: the program's active window. It
// opens centred over that window, or on the work area when that is the
// bar or none.
void PrepareFileDlg(QFileDialog& Dlg, TFileDlgKind Kind, QWidget* Served = nullptr);

// "Text (*.a)|*.a|All (*.*)|*.*" as Qt name filters; "*.*" becomes "*" so
// that names without a dot show too.
QStringList QtNameFilters(const QString& filter);

// Runs one of the program's file dialogs of that kind, named ObjectName,
// over Parent (Served as for PrepareFileDlg), set up from Options: the
// filters with the one at FilterIndex chosen, the folder, and for saving
// the proposed name and the default suffix. A save dialog never asks about
// overwriting: its callers ask with their own message. The chosen file,
// empty when cancelled.
QString ChooseFileDlg(TFileDlgKind Kind, const TSaveDlgOptions& Options, QWidget* Parent,
                      const QString& ObjectName, QWidget* Served = nullptr);
// Shows Dlg modally: the chosen file, empty when cancelled.
QString ExecFileDlg(QFileDialog& Dlg);
