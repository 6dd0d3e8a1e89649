#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The per-user settings store that stands in for the registry under the
// current user. It is one text file in the .reg export syntax:
//
//   Windows Registry Editor Version 5.00
//
//   [Software\QEL\Vortalin5\Appl]
//   "lng"=dword:00000000
//   "DataPath"="C:\\data\\"
//
// Key paths and value names compare without case and keep the case they
// were first written with. Values are typed (dword, string); a value of any
// other type met in the file ("hex:…", "hex(2):…" with continuation lines)
// is kept verbatim and reads as the wrong type.
//
// Writes change the store in memory and are recorded; save() re-reads the
// file, replays the recorded changes onto it and replaces it atomically
// (temporary file, then rename), so two programs that save the same file
// only overwrite the values each of them actually changed, as with the
// registry.
class SettingsStore {
public:
    enum class Type { Dword, String, Other };

    // Result of a single read or write.
    enum class Status {
        Ok,
        KeyMissing,    // the key does not exist
        ValueMissing,  // the key exists, the value does not
        WrongType,     // the value exists with another type
        Invalid,       // the data cannot be stored (line break in a string, empty key path)
    };

    struct Value {
        QString name;          // empty: the key's default value ("@")
        Type type = Type::Other;
        quint32 dword = 0;
        QString text;          // Type::String
        QString raw;           // Type::Other: the text after '=' as found (continuation lines included)
    };

    explicit SettingsStore(QString filePath);

    // $QEL_REGISTRY when set, else $XDG_CONFIG_HOME/qel/registry.reg
    // (~/.config/qel/registry.reg when XDG_CONFIG_HOME is unset or empty).
    static QString defaultPath();

    const QString& filePath() const { return path_; }

    // Reads the file. A missing file is an empty store (true); a file that
    // exists but cannot be read gives false and leaves the store as it was.
    // Pending unsaved changes are dropped.
    bool load();

    // Writes the recorded changes (see above). Creates the folder of the
    // file when needed. False when the file cannot be read back or written;
    // the changes then stay pending.
    bool save();

    bool hasPendingChanges() const { return !ops_.isEmpty(); }

    // Keys. A key exists when it was written itself or when a key below it
    // exists (as a registry parent key does).
    bool keyExists(const QString& key) const;
    Status createKey(const QString& key);
    Status deleteKey(const QString& key);           // with everything below it
    QStringList subKeyNames(const QString& key) const;  // direct children, first-seen order

    // Values.
    Status readDword(const QString& key, const QString& name, quint32& out) const;
    Status readString(const QString& key, const QString& name, QString& out) const;
    Status valueType(const QString& key, const QString& name, Type& out) const;
    QStringList valueNames(const QString& key) const;  // file order

    // Writing a value creates its key (and replaces a value of another type).
    Status writeDword(const QString& key, const QString& name, quint32 value);
    Status writeString(const QString& key, const QString& name, const QString& value);
    Status deleteValue(const QString& key, const QString& name);

    // The whole file as it would be written now.
    QByteArray serialize() const;

private:
    struct Key {
        QString path;
        QList<Value> values;
    };
    struct Op {
        enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
        QString key;
        Value value;
    };

    static bool parse(const QByteArray& bytes, QList<Key>& out);
    static QString normalizeKey(const QString& key);
    // "HKEY_CURRENT_USER\" in front of a key in the file; the store's paths
    // are below it.
    static const QString& rootKey();
    static Status apply(QList<Key>& keys, const Op& op);
    static int findKey(const QList<Key>& keys, const QString& path);
    static int findValue(const Key& key, const QString& name);
    const Value* lookup(const QString& key, const QString& name, Status& status) const;
    Status record(Op op);

    QString path_;
    QList<Key> keys_;
    QList<Op> ops_;
};
