#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class SettingsStore;

// What the install step is asked to do.
struct InstallOptions {
    QString prefix;        // per-user program folder; the initial directories lie below it
    QString registryPath;  // settings store file
    // Where the generated files come from; an empty entry skips that kind.
    QString langDir;       // *.srb
    QString configDir;     // Para*.bin, LNG*.add
    QString helpDir;       // help pages (*.html with their pictures)
    QString resourceDir;   // program icons and the splash picture
    int progLng = 0;       // initial program language, 0..6
    bool overwriteValues = false;  // reset the settings to their initial values
    QMap<QString, QString> ports;      // COMn -> device path, written as asked
    QMap<QString, QString> libraries;  // library file name -> shared object, written as asked
};

struct InstallReport {
    QStringList written;  // "key\value" set to its initial value
    QStringList kept;     // "key\value" already present and left alone
    QStringList copied;   // target files
    QStringList warnings;
    QStringList errors;
};

// The directories the initial values name. The programs append file names
// to ApplicationPath and BinPath directly, so those end with '/'; DataPath
// has no final separator (the programs add one before a file name).
struct InstallPaths {
    QString application;  // language files, help pages, icons
    QString bin;          // configuration files
    QString data;         // the user's files
    static InstallPaths under(const QString& prefix);
};

// $XDG_DATA_HOME/qel, or ~/.local/share/qel.
QString defaultInstallPrefix();

// One value of the initial settings.
struct InitialValue {
    QString key;
    QString name;
    bool isString = false;
    quint32 dword = 0;
    QString text;
};

// Every initial value of both programs and the project's own keys.
QList<InitialValue> initialValues(const InstallPaths& paths, int progLng);

// Writes the initial values that are missing or unusable (of another type)
// into the store, or all of them when `overwrite` is set.
void writeInitialValues(SettingsStore& store, const InstallPaths& paths, int progLng,
                        bool overwrite, InstallReport& report);

// The whole step: settings, folders, files. True when nothing failed.
bool runInstall(const InstallOptions& options, InstallReport& report);
