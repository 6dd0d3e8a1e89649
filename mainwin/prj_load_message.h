#pragma once

#include "project/prj_load_error.h"

#include <QString>
#include <QStringList>

class TVortalinText;

// The message that tells why a project file did not load: its lines from
// the language texts and their placeholders (@P1 is always the file).
struct TPrjLoadMessage {
    QStringList Lines;
    QString P1, P2, P3;
};

TPrjLoadMessage PrjLoadMessage(const TVortalinText& Texts, const QString& FileName, const TPrjLoadError& Error);
