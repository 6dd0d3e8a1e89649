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
//    it, is the one read, changed or erased;
//  - blanks around section names, keys and values are trimmed on reading;
//  - a missing key gives the caller's default, a present empty value "";
//  - lines the layer does not understand (comments, text before the first
//    section) are kept as they are.
// Changes are made in memory; save() writes the whole file with CRLF line
// ends (LF alone is accepted on reading) through a temporary file that then
// replaces the target. The file keeps its single-byte code page on disk.
class ProfileFile {
public:
    explicit ProfileFile(QString filePath, CodePage codePage = CodePage::Cp1252);

    const QString& filePath() const { return path_; }

    // A file that does not exist loads as an empty file (true); one that
    // exists but cannot be read gives false and leaves the content empty.
    bool load();
    // False when the folder or file cannot be written; the target then
    // keeps its former content.
    bool save();

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Names of every section header in file order (duplicates included).
    QStringList sectionNames() const;
    // The non-blank lines of the (first) section, trimmed, in file order.
    QStringList sectionLines(const QString& section) const;
    // Key names of the (first) section in file order, each once.
    QStringList keyNames(const QString& section) const;

    // Replaces the first key of that name or appends it at the end of the
    // section; a missing section is appended to the file. False when the
    // text cannot be stored as one line (line breaks, a key with '=' or
    // starting with '[', a section name with ']', empty names).
    bool writeString(const QString& section, const QString& key, const QString& value);
    // Erase the first section of that name with all its lines, or the first
    // key of that name. False when there was nothing to erase.
    bool eraseSection(const QString& section);
    bool eraseKey(const QString& section, const QString& key);

    // The file content as save() would write it.
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
