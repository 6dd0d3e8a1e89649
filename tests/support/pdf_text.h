#pragma once

// Reading back a printed PDF with pdftotext (poppler-utils).

#include <QByteArray>
#include <QString>

namespace qeltest {

// Where pdftotext is; empty when it is not installed.
QString pdfToTextTool();

struct PdfText {
    bool finished = false;  // the tool ended within a minute
    int exitCode = -1;
    QString text;           // pdftotext -layout: pages end with a form feed
    QByteArray errors;
};

// The text of `pdf`; nothing finished when the tool is missing.
PdfText pdfText(const QString& pdf);

}  // namespace qeltest
