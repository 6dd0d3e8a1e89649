#include "config/stored_values.h"

#include <algorithm>

namespace StoredValues {

namespace {

int clampIndex(int v, int count)
{
    return std::clamp(v, 0, count - 1);
}

} // namespace

void readInto(KeyReader& r, const QString& name, TForm form, bool need, int arg, int& out)
{
    int raw = 0;
    if (need == Optional) {
        r.opt(name, out, 0);
        return;
    }
    if (!r.req(name, raw))
        return;
    switch (form) {
    case TForm::Range: out = std::clamp(raw, 0, arg); break;
    case TForm::Byte: out = raw & 0xFF; break;
    case TForm::ByteIndex: out = clampIndex(raw & 0xFF, arg); break;
    default: out = raw; break;
    }
}

void readInto(KeyReader& r, const QString& name, TForm form, bool need, int, bool& out)
{
    if (need == Optional)
        r.optBool(name, out);
    else
        r.reqBool(name, out, form == TForm::ByteBool);
}

void readInto(KeyReader& r, const QString& name, TForm form, bool, int, QString& out)
{
    if (form != TForm::Separator) {
        r.optStr(name, out);
        return;
    }
    QString typed;
    r.optStr(name, typed);
    if (r.ok())
        out = separatorOf(typed);
}

void readInto(KeyReader& r, const QString& name, TForm, bool, int arg, TProtSet& out)
{
    const TProtSet bit = ProtBit(TProt(arg));
    bool on = false;
    if (r.reqBool(name, on, true))
        out = on ? TProtSet(out | bit) : TProtSet(out & ~bit);
}

void writeFrom(KeyWriter& w, const QString& name, TForm, int, int v) { w.dword(name, v); }
void writeFrom(KeyWriter& w, const QString& name, TForm, int, TBaudRate v) { w.dword(name, int(v)); }
void writeFrom(KeyWriter& w, const QString& name, TForm, int, TComPort v) { w.dword(name, int(v)); }
void writeFrom(KeyWriter& w, const QString& name, TForm, int, bool v) { w.flag(name, v); }
void writeFrom(KeyWriter& w, const QString& name, TForm form, int, const QString& v)
{
    w.str(name, form == TForm::Separator ? separatorOf(v) : v);
}
void writeFrom(KeyWriter& w, const QString& name, TForm, int arg, TProtSet v)
{
    w.flag(name, (v & ProtBit(TProt(arg))) != 0);
}

} // namespace StoredValues
