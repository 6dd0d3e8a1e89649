#pragma once

// Readable failure output for Qt's strings, shared so that test files
// compiled together define it once.

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(u'|').toStdString() << ']'; }
