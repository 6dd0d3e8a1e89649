#include "pdf_text.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace qeltest {

QString pdfToTextTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
}

PdfText pdfText(const QString& pdf)
{
    PdfText out;
    const QString tool = pdfToTextTool();
    if (tool.isEmpty())
        return out;
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    out.finished = p.waitForFinished(60000);
    out.exitCode = p.exitCode();
    out.text = QString::fromUtf8(p.readAllStandardOutput());
    out.errors = p.readAllStandardError();
    return out;
}

}  // namespace qeltest
