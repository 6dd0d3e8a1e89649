#pragma once

// Control interface of the simulated CAN interface card (libsimcan.so).
// The library implements the CAN frame library's C entry points
// (comm/nican_api.h) with inverters behind the interface that speak the
// identifier plan of the CAN driver; a test reaches the same loaded copy
// through qelsim_can_card() (dlsym) and drives it from here.
//
// Frames from the inverters are delivered by a thread of the library,
// which also calls the notification callbacks; it runs while the interface
// object is open. A cancelled notification is never called after the
// cancel returned, and object handles are never reused.

#include "sim/cards/sim_card.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <memory>

namespace qelsim {

struct SimCanFrame {
    uint32_t id = 0;
    bool remote = false;
    QByteArray data; // DataLength bytes

    bool operator==(const SimCanFrame&) const = default;
};

// reset(): no inverters, faults, variables or log; counters cleared. Only
// while the interface is closed. An inverter's address is its node
// address + 1.
class SimCanCard : public SimCard {
public:

    // Fieldbus variables (SDO indexes outside 0x2000..0x5FFF) of a node:
    // value and size in bytes (1, 2 or 4). Unknown ones are refused.
    virtual void setVariable(int address, uint16_t index, uint8_t sub, uint32_t value, int size) = 0;
    virtual uint32_t variable(int address, uint16_t index, uint8_t sub) const = 0;

    // The next SDO request to `address` is answered with these bytes (an
    // abort frame, a wrong echo) in place of the inverter's answer.
    virtual void pushReply(int address, const QByteArray& bytes) = 0;
    // A frame from the bus, delivered now.
    virtual void inject(const SimCanFrame& frame) = 0;

    // Card faults: the next n interface configurations fail; the next n
    // opens of `name` fail; the next n writes fail; the next n state reads
    // report the error state.
    virtual void failConfig(int times) = 0;
    virtual void failOpen(const QByteArray& name, int times) = 0;
    virtual void failWrite(int times) = 0;
    virtual void setErrorStates(int count) = 0;

    // Frames the driver wrote, frames the card delivered.
    virtual QList<SimCanFrame> written() const = 0;
    virtual QList<SimCanFrame> delivered() const = 0;
    virtual void clearLog() = 0;

    virtual int configCalls() const = 0;   // ncConfig of the interface
    virtual int resets() const = 0;        // ncAction reset
    virtual int openObjects() const = 0;   // open handles, the interface included
    virtual bool interfaceOpen() const = 0;
    virtual bool threadRunning() const = 0;
    virtual QList<QByteArray> openNames() const = 0;
};

} // namespace qelsim

extern "C" qelsim::SimCanCard* qelsim_can_card();
