#pragma once

// The description of one simulated inverter type: what the inverter
// reports through its description services and the header values it
// keeps. Names are held as wire bytes (Windows-1252).

#include "sim/sim_signal.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace qelsim {

struct SimSubValue {
    int32_t value = 0;
    uint8_t attr = 0;
    QByteArray name;
};

struct SimBitField {
    uint32_t mask = 0;
    QByteArray name;
    std::vector<SimSubValue> values;
};

struct SimPlainText {
    uint16_t textId = 0;
    std::vector<SimBitField> fields;
};

struct SimParam {
    uint16_t addr = 0;
    uint16_t textId = 0;
    int32_t lower = 0;
    int32_t upper = 0;
    int32_t def = 0;
    uint32_t attr = 0;
    uint32_t flags = 0;
    int16_t mul = 0;
    int16_t div = 1;
    int16_t offset = 0;
    uint16_t format = 0;
    uint8_t defCount = 0;
    QByteArray name;
    // Start values per set (index = set); empty: every set starts at `def`.
    std::vector<int32_t> values;
    // A parameter of the operator module (0x80..0xFF): it answers values,
    // names, scaling and attributes only, and has no limits; attribute
    // bits 20 and up give its number of further sets.
    bool operatorParam = false;
    // Simulator only: the value follows this signal when it is active.
    SimSignal signal;

    bool perSet() const { return (attr & 0x800) || (operatorParam && (attr >> 20) > 0); }
    bool isSigned() const { return attr & 0x400; }
};

struct SimGroup {
    uint16_t base = 0;  // low byte 0
    uint8_t index = 0;
    char idChar[2] = {' ', ' '};
    char shortcut = ' ';
    int16_t prop = 0;
    uint8_t maxPara = 0;
    uint8_t lastPara = 0;
    QByteArray name;
};

struct SimQuintelEntry {
    int32_t target = -1;
    int32_t def = 0;
};

struct SimModel {
    // The configuration number the inverter reports (parameter 0x160F).
    int32_t cfgId = 0;
    // The number of the configuration file built from the same source.
    int32_t fileCfgId = 0;
    bool newStyle = true;
    QByteArray groupName;   // family name, reported as the name of 0x000A
    QByteArray typeName;
    // Header values as the configuration info holds them. A classic
    // inverter reports them through described parameters 4, 5, 8, 9, 42,
    // 43 and 55 (a missing one is "not available"); a selector inverter
    // through parameters 4 and 5 from these fields (-1, or 0 for maxSet:
    // "not available"). maxSet also bounds the set masks accepted.
    int16_t accessParAdr = -1;
    int16_t setPtrParAdr = -1;
    int16_t actSetParAdr = -1;
    int16_t finishParAdr = -1;
    int16_t quintelBase = -1;  // -1: no Quintel mode
    int16_t quintelSel = -1;   // values of CPn at quintelSel + n (sim_quintel_alias.h); -1 none
    int quintelCount = 0;
    int16_t scopeBase = -1;
    int maxSet = 7;            // -1: not available
    // Header values read through selector parameter 4 and read-out
    // parameter 5 (flag 0x800 of parameter 2) instead of parameters 4, 5,
    // 8, 9, 42, 43 and 55.
    bool selectorHeader = false;
    std::vector<SimGroup> groups;           // in source order
    std::map<uint16_t, SimParam> params;    // by address
    std::vector<SimPlainText> plainTexts;
    // Entries of a selector-mode Quintel mode (quintelBase < 0): writing n
    // into parameter -quintelBase makes the next two read entry n.
    std::vector<SimQuintelEntry> quintelEntries;

    const SimParam* param(uint16_t addr) const
    {
        auto it = params.find(addr);
        return it == params.end() ? nullptr : &it->second;
    }
    const SimGroup* group(uint16_t base) const;
    const SimPlainText* plainText(uint16_t textId) const;

    // A model that accepts every address: the configuration number in
    // 0x160F and nothing described.
    static SimModel bare(int32_t cfgId);

    // Reads a configuration source (JSON). Returns false and sets `error`
    // when the file cannot be read or is not such a source.
    static bool fromJsonFile(const QString& path, SimModel& out, QString* error);
    static bool fromJson(const QByteArray& json, SimModel& out, QString* error);
};

} // namespace qelsim
