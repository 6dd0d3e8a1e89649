#pragma once

#include "platform/codepage.h"

#include <QList>
#include <QString>
#include <QStringList>

// A text file of "[section]" headers followed by "key=value" lines, read and
// written with the rules of the Windows profile-file functions that the
// project file relies on:
//  - section and key names compare without case;
//  - the first of duplicate sections, and the first of duplicate keys within
//    it, is the one read or changed;
//  - blanks around section names, keys and values are trimmed on reading;
//  - a missing key gives the caller's default, a present empty value "";
//  - lines the layer does not understand (comments, text before the first
//    section) are kept as they are.
// Changes are made in memory; serialize() gives the whole file with CRLF
// line ends (LF alone is accepted on reading) for the caller to write. The
// file keeps its single-byte code page on disk.
class ProfileFile {
public:
    explicit ProfileFile(QString filePath, CodePage codePage = CodePage::Cp1252);

    // A file that does not exist loads as an empty file (true); one that
    // exists but cannot be read gives false and leaves the content empty.
    bool load();

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    bool hasKey(const QString& section, const QString& key) const;
    bool hasSection(const QString& section) const;
    // The number (from 1) of the key's line in the file as loaded; 0 when
    // the key is missing. For telling the user where a file is damaged.
    int lineOf(const QString& section, const QString& key) const;

    // The non-blank lines of the (first) section, trimmed, in file order.
    QStringList sectionLines(const QString& section) const;

    // Replaces the first key of that name or appends it at the end of the
    // section; a missing section is appended to the file. False when the
    // text cannot be stored as one line (line breaks, a key with '=' or
    // starting with '[', a section name with ']', empty names).
    bool writeString(const QString& section, const QString& key, const QString& value);

    // The file content as it is to be written.
    QByteArray serialize() const;

private:
    struct Section {
        QString header;  // the header line as found or written
        QString name;    // trimmed name between the brackets
        QStringList lines;
    };

    static bool splitKeyLine(const QString& line, QString& key, QString& value);
    int findSection(const QString& name) const;
    int findKeyLine(const Section& s, const QString& key) const;

    QString path_;
    CodePage codePage_;
    QStringList preamble_;  // lines before the first section
    QList<Section> sections_;
};
