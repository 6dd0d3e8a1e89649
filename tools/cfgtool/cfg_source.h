#pragma once

#include "config/cfg_file.h"
#include "config/cfg_records.h"

#include <QByteArray>
#include <QChar>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

// An inverter type in its readable JSON form (data/configs/FORMAT.md): the
// configuration, how its file is laid out, and its second-language names.
struct CfgSource {
    std::shared_ptr<TCfgRec> cfg;
    CfgFileLayout layout;
    // Language letter ("d", "i", ...) to the names of its .add file.
    std::map<QChar, AddFileNames> addNames;
};

// JSON to a configuration. False with the reasons in `errors`.
bool CfgSourceFromJson(const QJsonObject& json, CfgSource& source, QStringList& errors);
bool CfgSourceFromJsonText(const QByteArray& text, CfgSource& source, QStringList& errors);

// The roles the simulator derives from the source: header parameters agree
// with the info block. Messages for every disagreement.
QStringList CheckHeaderParams(const CfgSource& source);

// A configuration (as read from its file) back to JSON text, one parameter
// or value per line; building it again gives the same file.
QByteArray CfgSourceToJsonText(const TCfgRec& cfg, const CfgFileLayout& layout);

// Language letter for a language number of the .add file names (1 "d" ...).
int AddLanguageOfLetter(QChar letter);
