#pragma once

// Settings-store values read and written through one list: the values of
// a key in the store's order, each with how the store keeps it, whether a
// load needs it, whether a save writes it back, and the field of S that
// holds it. Loading and saving go through the same list, so each value is
// named once.

#include "config/opt_changes.h"
#include "platform/settings_store.h"

#include <QString>

#include <cstddef>
#include <variant>

namespace StoredValues {

using St = SettingsStore::Status;

// Reads the values of one key in order and remembers the first failure.
class KeyReader {
public:
    KeyReader(const SettingsStore& store, const QString& key) : s_(store), key_(key) {}

    bool present() const { return s_.keyExists(key_); }
    bool ok() const { return ok_; }

    // A required integer: missing or of another type fails.
    bool req(const QString& name, int& out)
    {
        if (!ok_)
            return false;
        quint32 d = 0;
        if (s_.readDword(key_, name, d) != St::Ok)
            return ok_ = false;
        out = int(d);
        return true;
    }
    bool reqBool(const QString& name, bool& out, bool lowByte = false)
    {
        int v = 0;
        if (!req(name, v))
            return false;
        out = (lowByte ? (v & 0xFF) : v) != 0;
        return true;
    }
    // An optional integer: missing gives the default; present with another
    // type is a broken store and fails. Returns whether it was present.
    // After a failure nothing more is read and `out` is left as it was.
    bool opt(const QString& name, int& out, int def)
    {
        if (!ok_)
            return false;
        quint32 d = 0;
        const St st = s_.readDword(key_, name, d);
        return optional(st, out, int(d), def);
    }
    bool optBool(const QString& name, bool& out)
    {
        int v = out ? 1 : 0;
        const bool there = opt(name, v, 0);
        out = v != 0;
        return there;
    }
    bool optStr(const QString& name, QString& out, const QString& def = QString())
    {
        if (!ok_)
            return false;
        QString text;
        const St st = s_.readString(key_, name, text);
        return optional(st, out, text, def);
    }

private:
    // An optional value read with status st.
    template <class T> bool optional(St st, T& out, const T& read, const T& def)
    {
        if (st == St::Ok) {
            out = read;
            return true;
        }
        if (st == St::WrongType)
            ok_ = false;
        else
            out = def;
        return false;
    }

    const SettingsStore& s_;
    QString key_;
    bool ok_ = true;
};

// Writes the values of one key in order and remembers the first failure.
class KeyWriter {
public:
    KeyWriter(SettingsStore& store, const QString& key) : s_(store), key_(key)
    {
        ok_ = s_.createKey(key_) == St::Ok;
    }
    bool ok() const { return ok_; }
    void dword(const QString& name, int v)
    {
        if (ok_)
            ok_ = s_.writeDword(key_, name, quint32(v)) == St::Ok;
    }
    void flag(const QString& name, bool v) { dword(name, v ? 1 : 0); }
    void str(const QString& name, const QString& v)
    {
        if (ok_)
            ok_ = s_.writeString(key_, name, v) == St::Ok;
    }

private:
    SettingsStore& s_;
    QString key_;
    bool ok_ = false;
};

// How the store keeps one value.
enum class TForm {
    Int,        // an integer
    Range,      // an integer kept within 0..Arg
    Byte,       // the low byte of an integer
    ByteIndex,  // an index in the low byte, kept below Arg
    Bool,       // an integer, non-zero = on; written as 1 or 0
    ByteBool,   // an integer whose low byte, non-zero, is on; written as 1 or 0
    ProtBit,    // ByteBool for the bit of protocol Arg in a protocol set
    Text,       // a string
    Separator,  // a string whose first character counts; empty gives "+"
};

constexpr bool Required = true;  // missing (or of another type) fails the load
constexpr bool Optional = false;  // missing gives the default: 0, off or empty
constexpr bool Saved = true;      // written back: the user can change it
constexpr bool Kept = false;      // the installation's value, never written

// One value of a key and the field of S that holds it: the one list both
// loading and saving go through, in the store's order.
template <class S> struct TStoredValue {
    const char* Name;
    std::variant<int S::*, bool S::*, QString S::*, TBaudRate S::*, TComPort S::*, TProtSet S::*> Member;
    TForm Form;
    bool Need;
    bool Write;
    int Arg = 0;
};

// How one value is read into its field and written from it.
void readInto(KeyReader& r, const QString& name, TForm form, bool need, int arg, int& out);
void readInto(KeyReader& r, const QString& name, TForm form, bool need, int arg, bool& out);
void readInto(KeyReader& r, const QString& name, TForm form, bool need, int arg, QString& out);
void readInto(KeyReader& r, const QString& name, TForm form, bool need, int arg, TProtSet& out);
template <class Enum> void readInto(KeyReader& r, const QString& name, TForm form, bool need, int arg, Enum& out)
{
    int v = int(out);
    readInto(r, name, form, need, arg, v);
    out = Enum(v);
}

void writeFrom(KeyWriter& w, const QString& name, TForm form, int arg, int v);
void writeFrom(KeyWriter& w, const QString& name, TForm form, int arg, TBaudRate v);
void writeFrom(KeyWriter& w, const QString& name, TForm form, int arg, TComPort v);
void writeFrom(KeyWriter& w, const QString& name, TForm form, int arg, bool v);
void writeFrom(KeyWriter& w, const QString& name, TForm form, int arg, const QString& v);
void writeFrom(KeyWriter& w, const QString& name, TForm form, int arg, TProtSet v);

// Reads every value of the list; false after the first failure.
template <class S, size_t N> bool readValues(KeyReader& r, const TStoredValue<S> (&values)[N], S& s)
{
    for (const TStoredValue<S>& v : values)
        std::visit([&](auto member) { readInto(r, QLatin1String(v.Name), v.Form, v.Need, v.Arg, s.*member); },
                   v.Member);
    return r.ok();
}

// Writes the values of the list the user can change.
template <class S, size_t N> bool writeValues(KeyWriter& w, const TStoredValue<S> (&values)[N], const S& s)
{
    for (const TStoredValue<S>& v : values)
        if (v.Write == Saved)
            std::visit([&](auto member) { writeFrom(w, QLatin1String(v.Name), v.Form, v.Arg, s.*member); },
                       v.Member);
    return w.ok();
}

} // namespace StoredValues
