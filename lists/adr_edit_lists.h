#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TCfgRec;
class TGrpRec;
class TVortalinPrj;

// The address editor's choice without widgets: the group and parameter
// lists of one inverter's configuration, the chosen address, and reading a
// typed address.
class TAdrEditLists {
public:
    TVortalinPrj* Project = nullptr;  // not owned
    // The inverter last shown (only an address the project has).
    int Inverter = -1;
    // Chosen parameter address; -1 none or invalid.
    int Address = -1;
    // Language of the group and parameter names (0 or 1).
    int Language = 0;

    // Entries "ident letters, blank, name" and the selected index (-1 none).
    QStringList Groups;
    int GroupIndex = -1;
    QStringList Params;
    int ParamIndex = -1;

    // Fills both lists for an inverter of the project and selects Address
    // (group by its high byte, then the parameter); what does not match
    // selects the first entry and Address becomes that parameter's. Both
    // lists stay empty for an address the project lacks; for an entry
    // without a configuration (one still being added) or with one without
    // groups they stay empty too and Address becomes -1, as it does for a
    // group without parameters.
    void FillLists(int InvAdr);
    // A group chosen: its parameters, the first selected and taken.
    void ChooseGroup(int index);
    // A parameter chosen: its address taken.
    void ChooseParam(int index);

    // The configuration shown; held so that a configuration the project
    // frees meanwhile stays valid here.
    const std::shared_ptr<TCfgRec>& Cfg() const { return cfg_; }

    // A typed address: trimmed, lower-cased, empty as "0", cut before the
    // first '.', ',' or blank; "h" at the end reads hexadecimal, "d"
    // decimal, else decimal. -1 for what does not read as a number or lies
    // outside 0..0x7FFF.
    static int ReadDirectEntry(const QString& text);
    // Address as four upper-case hex digits and "h" (-1 shows "FFFFh",
    // which reads back as -1).
    static QString DirectText(int address);

private:
    void fillParams(bool keepAddress);

    std::shared_ptr<TCfgRec> cfg_;
    TGrpRec* group_ = nullptr;  // inside cfg_
};
