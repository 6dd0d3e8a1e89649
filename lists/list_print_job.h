#pragma once

// What a list window prints, built without widgets by the list's logic and
// sent to the print window by the window.

#include <QList>
#include <QString>
#include <QStringList>

class TFrmvortalinprint;

// The print window's caption, title and footer, the lines above the table,
// the tab widths, the table header and its rows.
struct TListPrintJob {
    QString DialogCaption, Title, Footer;
    QStringList HeadLines;
    QList<int> TabPercents;
    QString Header;
    QStringList Rows;
};

// Prints the job; nothing when the print is cancelled or fails to begin.
void PrintListJob(TFrmvortalinprint& Print, const TListPrintJob& Job);
