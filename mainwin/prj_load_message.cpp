#include "mainwin/prj_load_message.h"

#include "config/lang_texts.h"

TPrjLoadMessage PrjLoadMessage(const TVortalinText& Texts, const QString& FileName, const TPrjLoadError& Error)
{
    TPrjLoadMessage m;
    m.P1 = FileName;
    int index = 49;  // not a project: also for a fault the reader did not name
    switch (Error.Kind) {
    case TPrjLoadError::Unreadable:
        index = 29;
        m.P2 = QString::number(Error.Code);
        break;
    case TPrjLoadError::BadValue:
        index = 50;
        m.P2 = QString::number(Error.Line);
        m.P3 = Error.Text;
        break;
    case TPrjLoadError::MissingValue:
        index = 51;
        m.P2 = Error.Section;
        m.P3 = Error.Text;
        break;
    case TPrjLoadError::None:
    case TPrjLoadError::NotAProject:
        break;
    }
    if (const QStringList* lines = Texts.GetStrings(0, index))
        m.Lines = *lines;
    return m;
}
