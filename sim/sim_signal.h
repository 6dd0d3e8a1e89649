#pragma once

// A simulated signal: a parameter that follows a sine or a ramp over time
// instead of holding a stored value. Set per parameter in a configuration
// source ("signal", simulator only), by invsim --signal, or by a test.

#include <QJsonObject>
#include <QString>

#include <cstdint>

namespace qelsim {

struct SimSignal {
    enum Kind { None, Sine, Ramp };
    Kind kind = None;
    double amplitude = 0;
    double periodMs = 1000;
    double offset = 0;

    bool active() const { return kind != None && periodMs > 0; }

    // The value `ms` milliseconds after the inverter started. A sine swings
    // between offset - amplitude and offset + amplitude; a ramp rises from
    // offset to offset + amplitude in one period and starts again.
    int32_t at(double ms) const;

    // {"kind": "sine"|"ramp", "amplitude": A, "periodMs": P, "offset": O}
    static bool fromJson(const QJsonObject& o, SimSignal& out, QString* error);
    // "ADDR=KIND:AMPLITUDE:PERIODMS[:OFFSET]", ADDR decimal or 0x-hex.
    static bool parse(const QString& spec, uint16_t& addr, SimSignal& out, QString* error);
};

} // namespace qelsim
